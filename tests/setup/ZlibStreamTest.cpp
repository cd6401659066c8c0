#include "ScriptWriter.h"
#include "ZlibStream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace {

// Feeds the input in chunks of at most `chunk` bytes and keeps the output.
struct TPipe {
  std::string In;
  size_t Pos = 0;
  size_t Chunk = kInflateBufferSize;
  std::string Out;
  size_t OutLimit = SIZE_MAX;
  int Reads = 0;

  static size_t Read(void* buffer, size_t size, void* user) {
    auto& p = *static_cast<TPipe*>(user);
    ++p.Reads;
    size_t n = std::min({size, p.Chunk, p.In.size() - p.Pos});
    std::memcpy(buffer, p.In.data() + p.Pos, n);
    p.Pos += n;
    return n;
  }
  static size_t Write(const void* buffer, size_t count, void* user) {
    auto& p = *static_cast<TPipe*>(user);
    size_t n = std::min(count, p.OutLimit - p.Out.size());
    p.Out.append(static_cast<const char*>(buffer), n);
    return n;
  }
  bool Run(uint32_t& adler) { return InflateStream(Read, Write, this, adler); }
};

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  uint32_t x = 12345;
  for (char& c : s) {
    x = x * 1103515245 + 12345;
    c = static_cast<char>((x >> 16) % 7 + 'a');  // compressible, not trivially
  }
  return s;
}

TEST(InflateStream, InflatesExactly) {
  struct TCase {
    const char* Name;
    std::string Data;
    size_t Chunk;
  };
  const TCase cases[] = {
      {"empty", "", kInflateBufferSize},
      {"one byte", "x", kInflateBufferSize},
      {"32000 bytes", Pattern(32000), kInflateBufferSize},
      {"64000 bytes", Pattern(64000), kInflateBufferSize},
      {"64000 zeros", std::string(64000, '\0'), kInflateBufferSize},
      // Far more output than input: zlib holds output after the input ends.
      {"10 MB zeros", std::string(10 * 1024 * 1024, '\0'), kInflateBufferSize},
      {"byte by byte", Pattern(70000), 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TPipe p;
    p.In = fixture::Deflate(c.Data);
    p.Chunk = c.Chunk;
    uint32_t adler = 0;
    ASSERT_TRUE(p.Run(adler));
    EXPECT_TRUE(p.Out == c.Data) << p.Out.size() << " bytes instead of " << c.Data.size();
    EXPECT_EQ(adler, fixture::Adler(c.Data));
  }
}

TEST(InflateStream, NoInputGivesAdlerOne) {
  TPipe p;
  uint32_t adler = 0;
  EXPECT_TRUE(p.Run(adler));
  EXPECT_EQ(adler, 1u);
  EXPECT_EQ(p.Reads, 1);
}

TEST(InflateStream, StopsAtTheStreamEnd) {
  // Junk after the stream is neither read on for ever nor inflated.
  std::string data = Pattern(1000);
  TPipe p;
  p.In = fixture::Deflate(data) + std::string(100000, '\x7f');
  p.Chunk = 100;
  uint32_t adler = 0;
  ASSERT_TRUE(p.Run(adler));
  EXPECT_EQ(p.Out, data);
  EXPECT_EQ(adler, fixture::Adler(data));
  EXPECT_LT(p.Pos, 2000u);
}

TEST(InflateStream, TruncatedStreamDeliversWhatCame) {
  std::string data = Pattern(50000);
  TPipe p;
  p.In = fixture::Deflate(data);
  p.In.resize(p.In.size() / 2);
  uint32_t adler = 0;
  ASSERT_TRUE(p.Run(adler));
  EXPECT_GT(p.Out.size(), 0u);
  EXPECT_LT(p.Out.size(), data.size());
  EXPECT_EQ(p.Out, data.substr(0, p.Out.size()));
  EXPECT_EQ(adler, fixture::Adler(p.Out));
}

TEST(InflateStream, RefusedOutputReturnsFalse) {
  TPipe p;
  p.In = fixture::Deflate(Pattern(100000));
  p.OutLimit = 40000;
  uint32_t adler = 0xDEAD;
  EXPECT_FALSE(p.Run(adler));
  EXPECT_EQ(adler, 0xDEADu);
}

TEST(InflateStream, ErrorTexts) {
  {
    TPipe p;
    p.In = "\x78\x9c\xff\xff\xff\xff garbage";
    uint32_t adler;
    try {
      p.Run(adler);
      FAIL() << "no error";
    } catch (const EZlibDataError& e) {
      EXPECT_EQ(e.Message(), "zlib: Compressed data is corrupted");
    }
  }
  {
    // A stream made with a preset dictionary: zlib answers Z_NEED_DICT (2).
    z_stream s{};
    ASSERT_EQ(deflateInit(&s, 9), Z_OK);
    const char dict[] = "dictionary";
    deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dict), sizeof dict);
    std::string in = "dictionary dictionary", out(200, '\0');
    s.next_in = reinterpret_cast<Bytef*>(in.data());
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    TPipe p;
    p.In = out;
    uint32_t adler;
    try {
      p.Run(adler);
      FAIL() << "no error";
    } catch (const EZlibInternalError& e) {
      EXPECT_EQ(e.Message(), "zlib: Internal error. Code 2");
    }
  }
}

}  // namespace
