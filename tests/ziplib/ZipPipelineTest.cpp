// Entry data compressed in pieces on worker threads: joined, the pieces
// must be one deflate stream of the whole file, in the order handed in.
#include "ZipPipeline.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace zipfmt;

namespace {

RawBytes Data(size_t n, unsigned seed, bool noisy) {
  RawBytes d(n);
  unsigned x = seed * 2654435761u + 7;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    d[i] = noisy ? static_cast<uint8_t>(x >> 16) : static_cast<uint8_t>("line of text\r\n"[i % 14] ^ ((x >> 28) == 0));
  }
  return d;
}

RawBytes Inflate(const RawBytes& raw, size_t expected) {
  z_stream s{};
  EXPECT_EQ(inflateInit2(&s, -MAX_WBITS), Z_OK);
  RawBytes out(expected + 16);
  s.next_in = const_cast<Bytef*>(raw.data());
  s.avail_in = static_cast<uInt>(raw.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(s.avail_in, 0u);  // nothing after the end of the stream
  out.resize(s.total_out);
  inflateEnd(&s);
  return out;
}

// Hands `files` to a pipeline cut as the zip library cuts them, and joins
// what comes back per file.
struct TJoined {
  RawBytes Data;
  uint32_t Crc = 0;
  uint32_t Size = 0;
};
std::vector<TJoined> RunPieces(const std::vector<RawBytes>& files, const std::vector<int>& levels, unsigned threads) {
  TPiecePipeline pipeline(threads);
  for (size_t f = 0; f < files.size(); ++f) {
    const RawBytes& d = files[f];
    size_t at = 0;
    do {
      auto p = std::make_unique<TPiece>();
      size_t n = std::min(kPieceInput, d.size() - at);
      p->Input.assign(d.begin() + at, d.begin() + at + n);
      p->Level = levels[f];
      p->Last = at + n == d.size();
      p->Tag = f;
      if (at > 0) p->Dictionary.assign(d.begin() + (at - std::min(at, kPieceDictionary)), d.begin() + at);
      pipeline.Submit(std::move(p));
      at += n;
    } while (at < d.size());
  }
  std::vector<TJoined> out(files.size());
  size_t lastTag = 0;
  while (auto p = pipeline.Take()) {
    EXPECT_TRUE(p->Ok);
    EXPECT_GE(p->Tag, lastTag) << "pieces out of order";
    lastTag = p->Tag;
    TJoined& j = out[p->Tag];
    j.Crc = j.Size == 0 ? p->Crc : Crc32Combine(j.Crc, p->Crc, p->InputSize);
    j.Size += p->InputSize;
    j.Data.insert(j.Data.end(), p->Output.begin(), p->Output.end());
  }
  return out;
}

}  // namespace

TEST(ZipPipeline, PiecesJoinIntoTheWholeFile) {
  struct {
    const char* Name;
    size_t Size;
    bool Noisy;
  } files[] = {
      {"empty", 0, false},
      {"one byte", 1, false},
      {"one piece exactly", kPieceInput, false},
      {"one byte over", kPieceInput + 1, true},
      {"several pieces of text", 3 * kPieceInput + 12345, false},
      {"several pieces of noise", 2 * kPieceInput + 7, true},
  };
  for (unsigned threads : {0u, 3u}) {
    for (int level : {0, 1, 9}) {
      std::vector<RawBytes> data;
      for (const auto& f : files) data.push_back(Data(f.Size, static_cast<unsigned>(f.Size), f.Noisy));
      std::vector<TJoined> joined = RunPieces(data, std::vector<int>(data.size(), level), threads);
      for (size_t i = 0; i < data.size(); ++i) {
        SCOPED_TRACE(std::string(files[i].Name) + ", level " + std::to_string(level) + ", threads " +
                     std::to_string(threads));
        EXPECT_EQ(joined[i].Size, data[i].size());
        EXPECT_EQ(joined[i].Crc, Crc32(0, data[i].data(), data[i].size()));
        EXPECT_TRUE((level ? Inflate(joined[i].Data, data[i].size()) : joined[i].Data) == data[i]);
      }
    }
  }
}

TEST(ZipPipeline, ThreadsSwitchLevelsBetweenEntries) {
  // Each thread keeps one stream: entries of mixed levels must not bleed
  // settings into one another.
  std::vector<RawBytes> data;
  std::vector<int> levels;
  for (int i = 0; i < 40; ++i) {
    data.push_back(Data(5000 + static_cast<size_t>(i) * 997, static_cast<unsigned>(i), i % 3 == 0));
    levels.push_back(i % 10);
  }
  std::vector<TJoined> joined = RunPieces(data, levels, 4);
  std::vector<TJoined> alone = RunPieces(data, levels, 0);
  for (size_t i = 0; i < data.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE((levels[i] ? Inflate(joined[i].Data, data[i].size()) : joined[i].Data) == data[i]);
    // The same stream settings give the same bytes on any thread.
    EXPECT_TRUE(joined[i].Data == alone[i].Data);
  }
}

TEST(ZipPipeline, LoaderFailuresStayWithTheirPiece) {
  for (unsigned threads : {0u, 4u}) {
    SCOPED_TRACE(threads);
    TPiecePipeline pipeline(threads, [](TPiece& p) {
      if (p.Path.find("missing") != std::string::npos) {
        p.FailCode = 4;
        p.FailText = "Could not open for reading: " + p.Path;
        return false;
      }
      p.Input.assign(p.Path.begin(), p.Path.end());
      return true;
    });
    const char* paths[] = {"a.txt", "missing.txt", "b.txt", "missing too", "c.txt"};
    for (size_t i = 0; i < 5; ++i) {
      auto p = std::make_unique<TPiece>();
      p->Load = true;
      p->Path = paths[i];
      p->ExpectedSize = 100;
      p->Tag = i;
      pipeline.Submit(std::move(p));
    }
    EXPECT_EQ(pipeline.Waiting(), 5u);
    EXPECT_EQ(pipeline.WaitingBytes(), 500u);
    for (size_t i = 0; i < 5; ++i) {
      auto p = pipeline.Take();
      ASSERT_TRUE(p);
      EXPECT_EQ(p->Tag, i);
      bool missing = std::string(paths[i]).find("missing") != std::string::npos;
      EXPECT_EQ(p->Failed, missing);
      if (missing) {
        EXPECT_EQ(p->FailText, std::string("Could not open for reading: ") + paths[i]);
      } else {
        RawBytes back = Inflate(p->Output, 64);
        EXPECT_EQ(std::string(back.begin(), back.end()), paths[i]);
      }
    }
    EXPECT_FALSE(pipeline.Take());
    EXPECT_EQ(pipeline.WaitingBytes(), 0u);
  }
}

TEST(ZipPipeline, DroppedWithPiecesInFlight) {
  // A stopped run leaves pieces behind; the threads still end.
  TPiecePipeline pipeline(4);
  for (int i = 0; i < 20; ++i) {
    auto p = std::make_unique<TPiece>();
    p->Input = Data(kPieceInput, static_cast<unsigned>(i), false);
    pipeline.Submit(std::move(p));
  }
  EXPECT_TRUE(pipeline.Take());
}
