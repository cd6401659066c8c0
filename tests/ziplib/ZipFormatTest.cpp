#include "ZipFormat.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

using namespace zipfmt;

namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Inflate(const Bytes& raw) {
  z_stream s{};
  EXPECT_EQ(inflateInit2(&s, -MAX_WBITS), Z_OK);
  std::string out(1 << 20, '\0');
  s.next_in = const_cast<Bytef*>(raw.data());
  s.avail_in = static_cast<uInt>(raw.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END);
  out.resize(s.total_out);
  inflateEnd(&s);
  return out;
}

struct TFile {
  std::string Name, Data;
  int Level;
  const char* Password;
};

// Writes `files` behind `prefix` and returns the archive.
Bytes MakeZip(const std::string& prefix, const std::vector<TFile>& files) {
  TMemorySink sink;
  TZipWriter w(sink);
  EXPECT_TRUE(w.WriteRaw(prefix.data(), prefix.size()));
  for (const TFile& f : files) {
    TNewEntry e;
    e.Name = f.Name;
    e.Time = MakeDosTime(2001, 2, 3, 4, 5, 6);
    e.Crc = Crc32(0, reinterpret_cast<const uint8_t*>(f.Data.data()), f.Data.size());
    e.Size = static_cast<uint32_t>(f.Data.size());
    e.Level = f.Level;
    e.Encrypted = f.Password != nullptr;
    EXPECT_TRUE(w.BeginEntry(e));
    std::string pw = f.Password ? f.Password : "";
    uint8_t header[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
    TEntryEncoder enc(f.Level, f.Password ? &pw : nullptr, e.Crc, header);
    Bytes out;
    // Feed in odd pieces so chunk edges are exercised.
    for (size_t at = 0; at < f.Data.size(); at += 777)
      EXPECT_TRUE(enc.Feed(reinterpret_cast<const uint8_t*>(f.Data.data()) + at,
                           std::min<size_t>(777, f.Data.size() - at), out));
    EXPECT_TRUE(enc.Finish(out));
    EXPECT_TRUE(w.WriteEntryData(out.data(), out.size()));
    EXPECT_TRUE(w.EndEntry());
  }
  EXPECT_TRUE(w.Finish(B("note")));
  return sink.Data;
}

std::string EntryData(const Bytes& zip, const TZipEntry& e, const char* password) {
  uint64_t dataAt = e.LocalPos + kLocalHeaderSize + Get16(&zip[e.LocalPos + 26]) + Get16(&zip[e.LocalPos + 28]);
  Bytes data(zip.begin() + dataAt, zip.begin() + dataAt + e.CompressedSize);
  if (password) {
    TZipCrypto c(password);
    for (uint8_t& b : data) b = c.Decrypt(b);
    EXPECT_EQ(data[11], static_cast<uint8_t>(e.Crc >> 24));
    data.erase(data.begin(), data.begin() + 12);
  }
  return e.Method == kMethodDeflated ? Inflate(data) : std::string(data.begin(), data.end());
}

std::string Text(size_t n) {
  std::string s;
  for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i % 97) + " of the sample text\r\n";
  s.resize(n);
  return s;
}

}  // namespace

TEST(ZipFormat, WriterOutputReadsBackWithEveryMethod) {
  std::vector<TFile> files = {
      {"stored.txt", Text(5000), 0, nullptr},   {"fast.txt", Text(70000), 1, nullptr},
      {"dir/best.txt", Text(40000), 9, nullptr}, {"secret.bin", Text(3000), 6, "pass word"},
      {"secret0.bin", Text(100), 0, "x"},        {"empty.txt", "", 9, nullptr},
      {"empty-secret", "", 0, "pw"},
  };
  Bytes zip = MakeZip("STUB-BYTES", files);
  TMemorySource src(zip);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  EXPECT_EQ(dir.PrefixSize, 10u);
  EXPECT_EQ(dir.Comment, B("note"));
  ASSERT_EQ(dir.Entries.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const TZipEntry& e = dir.Entries[i];
    SCOPED_TRACE(files[i].Name);
    EXPECT_EQ(e.Name, files[i].Name);
    EXPECT_EQ(e.Size, files[i].Data.size());
    EXPECT_EQ(e.Method, files[i].Level ? kMethodDeflated : kMethodStored);
    EXPECT_EQ((e.Flags & kFlagEncrypted) != 0, files[i].Password != nullptr);
    EXPECT_EQ(e.Flags & kFlagDescriptor, 0);
    EXPECT_EQ(EntryData(zip, e, files[i].Password), files[i].Data);
    // The local header carries the same sizes and CRC as the central record.
    EXPECT_EQ(Get32(&zip[e.LocalPos + 14]), e.Crc);
    EXPECT_EQ(Get32(&zip[e.LocalPos + 18]), e.CompressedSize);
    EXPECT_EQ(Get32(&zip[e.LocalPos + 22]), e.Size);
  }
  EXPECT_LT(dir.Entries[2].CompressedSize, 40000u / 5);
}

TEST(ZipFormat, OffsetsThatIgnoreAPrefixAreFound) {
  // A stub pasted in front without adjusting the offsets.
  Bytes plain = MakeZip("", {{"a.txt", "alpha", 0, nullptr}, {"b.txt", Text(900), 9, nullptr}});
  Bytes sfx = B(std::string(300, 'S'));
  sfx.insert(sfx.end(), plain.begin(), plain.end());
  TMemorySource src(sfx);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  EXPECT_EQ(dir.PrefixSize, 300u);
  ASSERT_EQ(dir.Entries.size(), 2u);
  EXPECT_EQ(dir.Entries[0].LocalPos, 300u);
  EXPECT_EQ(EntryData(sfx, dir.Entries[1], nullptr), Text(900));
}

TEST(ZipFormat, EmptySelfExtractorKeepsEverythingInFront) {
  Bytes f = B(std::string(1000, 'S'));
  Bytes end(22, 0);
  end[0] = 'P';
  end[1] = 'K';
  end[2] = 5;
  end[3] = 6;
  end[17] = 0x99;
  f.insert(f.end(), end.begin(), end.end());
  TMemorySource src(f);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  EXPECT_EQ(dir.PrefixSize, 1000u);
  EXPECT_TRUE(dir.Entries.empty());
}

TEST(ZipFormat, CopiedEntriesKeepTheirBytes) {
  Bytes old = MakeZip("PREFIX", {{"a.txt", "alpha", 0, nullptr}, {"b.txt", Text(900), 9, "pw"}});
  TMemorySource src(old);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  TMemorySink sink;
  TZipWriter w(sink);
  ASSERT_TRUE(w.WriteRaw(old.data(), dir.PrefixSize));
  for (const TZipEntry& e : dir.Entries) ASSERT_TRUE(w.CopyEntry(src, e));
  ASSERT_TRUE(w.Finish(dir.Comment));
  EXPECT_EQ(sink.Data, old);
}

TEST(ZipFormat, DataDescriptorIsPartOfTheSpan) {
  Bytes zip = MakeZip("", {{"a.txt", "alpha", 0, nullptr}});
  // Turn the entry into one with a signed descriptor: flag bit 3, 16 bytes
  // after the data, central directory moved along.
  TMemorySource src0(zip);
  TZipDirectory d0;
  ASSERT_EQ(ReadZipDirectory(src0, d0), TReadError::None);
  uint64_t dataEnd = d0.Entries[0].LocalSpan;
  Bytes desc;
  Put32(desc, kDescriptorSig);
  Put32(desc, d0.Entries[0].Crc);
  Put32(desc, 5);
  Put32(desc, 5);
  Bytes z(zip.begin(), zip.begin() + dataEnd);
  z[6] |= kFlagDescriptor;
  z.insert(z.end(), desc.begin(), desc.end());
  TZipEntry e = d0.Entries[0];
  e.Flags |= kFlagDescriptor;
  Bytes cd = EncodeCentralHeader(e, 0);
  Bytes end = EncodeEndRecord(1, static_cast<uint32_t>(cd.size()), static_cast<uint32_t>(z.size()), {});
  z.insert(z.end(), cd.begin(), cd.end());
  z.insert(z.end(), end.begin(), end.end());
  TMemorySource src(z);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  EXPECT_EQ(dir.Entries[0].LocalSpan, dataEnd + 16);
}

TEST(ZipFormat, DamagedArchivesGiveAPreciseError) {
  Bytes good = MakeZip("", {{"a.txt", "alpha", 0, nullptr}});
  size_t endAt = good.size() - 22 - 4;  // comment "note"
  size_t cdAt = Get32(&good[endAt + 16]);
  struct TCase {
    const char* Name;
    size_t At;
    std::vector<uint8_t> Bytes;
    TReadError Expected;
  };
  std::vector<TCase> cases = {
      {"no end signature", endAt, {'X'}, TReadError::NoEndRecord},
      {"second disk", endAt + 4, {1}, TReadError::Unsupported},
      {"count mismatch", endAt + 8, {2}, TReadError::Unsupported},
      {"zip64 count", endAt + 10, {0xFF, 0xFF}, TReadError::Unsupported},
      {"directory larger than file", endAt + 12, {0xFF, 0xFF, 0, 0}, TReadError::BadCentral},
      {"offset beyond directory", endAt + 16, {0xFF, 0xFF, 0, 0}, TReadError::BadCentral},
      {"bad central signature", cdAt, {'X'}, TReadError::BadCentral},
      {"name runs past directory", cdAt + 28, {0xFF, 0x00}, TReadError::BadCentral},
      {"local offset past data", cdAt + 42, {0x40, 0, 0, 0}, TReadError::BadLocal},
      {"bad local signature", 0, {'X'}, TReadError::BadLocal},
      {"data runs into directory", cdAt + 20, {0xFF, 0, 0, 0}, TReadError::BadLocal},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Bytes z = good;
    std::copy(c.Bytes.begin(), c.Bytes.end(), z.begin() + c.At);
    TMemorySource src(z);
    TZipDirectory dir;
    EXPECT_EQ(ReadZipDirectory(src, dir), c.Expected);
  }
  TMemorySource tiny(Bytes(21, 0));
  TZipDirectory dir;
  EXPECT_EQ(ReadZipDirectory(tiny, dir), TReadError::NoEndRecord);
}

TEST(ZipFormat, MutatedArchivesNeverReadOutOfBounds) {
  Bytes good = MakeZip("SFX", {{"a.txt", "alpha", 0, nullptr}, {"b/c.txt", Text(300), 9, "pw"}});
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    Bytes z = good;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits; ++i) z[rng() % z.size()] = static_cast<uint8_t>(rng());
    if (rng() % 5 == 0) z.resize(rng() % z.size());
    TMemorySource src(z);
    TZipDirectory dir;
    if (ReadZipDirectory(src, dir) == TReadError::None) {
      for (const TZipEntry& e : dir.Entries) EXPECT_LE(e.LocalPos + e.LocalSpan, z.size());
    }
  }
}

TEST(ZipFormat, LevelsPickMethodAndFlags) {
  struct {
    int Level;
    uint16_t Method, Flags;
  } rows[] = {{0, 0, 0}, {1, 8, 6}, {2, 8, 4}, {5, 8, 0}, {8, 8, 2}, {9, 8, 2}};
  for (auto r : rows) {
    EXPECT_EQ(MethodForLevel(r.Level), r.Method) << r.Level;
    EXPECT_EQ(FlagsFor(r.Level, false), r.Flags) << r.Level;
    EXPECT_EQ(FlagsFor(r.Level, true), r.Flags | 1) << r.Level;
  }
}

TEST(ZipFormat, WildcardsMatchAsOnDos) {
  struct {
    const char *Pattern, *Name;
    bool Match;
  } rows[] = {
      {"*.*", "README", true},      {"*.*", "a.b.c", true},     {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false}, {"?.txt", "ab.txt", false}, {"a?c.*", "abc.doc", true},
      {"abc.*", "abc", true},        {"*", "x", true},           {"d*e", "dxxe", true},
      {"d*e", "dxxf", false},        {"file.txt", "FILE.txt", true}, {"*a*b", "xxaxxbb", true},
  };
  for (auto r : rows) EXPECT_EQ(WildcardMatch(r.Pattern, r.Name), r.Match) << r.Pattern << " " << r.Name;
}

TEST(ZipFormat, DosNamesAreEightDotThree) {
  struct {
    const char *Long, *Dos;
  } rows[] = {
      {"readme.txt", "README.TXT"},          {"long file name.text", "LONGFILE.TEX"},
      {"a.b.c", "A_B.C"},                    {"Makefile", "MAKEFILE"},
      {".profile", "_PROFILE"},              {"x+y;z.htm", "X_Y_Z.HTM"},
      {"verylongname", "VERYLONG"},          {"...", "__"},
  };
  for (auto r : rows) EXPECT_EQ(ForceDOSName(r.Long), r.Dos) << r.Long;
}

TEST(ZipFormat, CryptoRoundTripsAndDependsOnPassword) {
  std::string plain = Text(200);
  TZipCrypto enc("secret"), dec("secret"), wrong("Secret");
  std::string cipher, back, bad;
  for (char c : plain) cipher += static_cast<char>(enc.Encrypt(static_cast<uint8_t>(c)));
  for (char c : cipher) back += static_cast<char>(dec.Decrypt(static_cast<uint8_t>(c)));
  for (char c : cipher) bad += static_cast<char>(wrong.Decrypt(static_cast<uint8_t>(c)));
  EXPECT_NE(cipher, plain);
  EXPECT_EQ(back, plain);
  EXPECT_NE(bad, plain);
}

TEST(ZipFormat, DosTimePacksFields) {
  TDosTime t = MakeDosTime(2004, 7, 15, 13, 45, 31);
  EXPECT_EQ(t.Date, ((2004 - 1980) << 9) | (7 << 5) | 15);
  EXPECT_EQ(t.Time, (13 << 11) | (45 << 5) | 15);
  EXPECT_EQ(MakeDosTime(1970, 1, 1, 0, 0, 0).Packed(), MakeDosTime(1980, 1, 1, 0, 0, 0).Packed());
}

// Every archive the writer finishes must read back: an end record counts at
// most 65,534 entries, since 0xFFFF there marks a zip64 archive.
TEST(ZipFormat, WriterRefusesTheEntryAfterTheMostItCanReadBack) {
  TMemorySink sink;
  TZipWriter w(sink);
  TNewEntry e;
  e.Level = 0;
  for (size_t i = 0; i < kMaxEntries; ++i) {
    e.Name = "f" + std::to_string(i);
    ASSERT_TRUE(w.BeginEntry(e) && w.EndEntry()) << i;
  }
  EXPECT_EQ(w.Entries().size(), 65534u);
  e.Name = "one.more";
  EXPECT_FALSE(w.BeginEntry(e));
  EXPECT_EQ(w.Error, "too many entries (at most 65534)");
  TMemorySource copyFrom(MakeZip("", {{"a.txt", "alpha", 0, nullptr}}));
  TZipDirectory one;
  ASSERT_EQ(ReadZipDirectory(copyFrom, one), TReadError::None);
  EXPECT_FALSE(w.CopyEntry(copyFrom, one.Entries[0]));
  ASSERT_TRUE(w.Finish());

  TMemorySource src(sink.Data);
  TZipDirectory dir;
  ASSERT_EQ(ReadZipDirectory(src, dir), TReadError::None);
  ASSERT_EQ(dir.Entries.size(), 65534u);
  EXPECT_EQ(dir.Entries.back().Name, "f65533");
}

namespace {
// A sink that starts at `start` and keeps no bytes: archives near 4 GB.
class TFarSink : public IByteSink {
public:
  explicit TFarSink(uint64_t start) : start_(start), pos_(start) {}
  bool Write(const void*, size_t n) override {
    pos_ += n;
    return true;
  }
  uint64_t Position() const override { return pos_; }
  bool WriteAt(uint64_t offset, const void*, size_t n) override { return offset >= start_ && offset + n <= pos_; }

private:
  uint64_t start_, pos_;
};
}  // namespace

// 0xFFFFFFFF in a size or offset field also marks zip64: never written.
TEST(ZipFormat, WriterRefusesSizesAndOffsetsThatMarkZip64) {
  const uint8_t data[5] = {'a', 'l', 'p', 'h', 'a'};
  const uint64_t entrySpan = kLocalHeaderSize + 1 + sizeof data;  // name "a"
  struct {
    const char* Name;
    uint64_t Start;
    uint32_t Size;
    bool WithEntry;
    const char* Error;  // "" when the archive is written
  } rows[] = {
      {"entry and directory below the mark", 0xFFFFFFFFull - 200, sizeof data, true, ""},
      {"file size at the mark", 0, 0xFFFFFFFFu, true, "file too large"},
      {"largest file size", 0, 0xFFFFFFFEu, true, ""},
      {"local header at the mark", 0xFFFFFFFFull, sizeof data, true, "archive too large"},
      {"directory at the mark", 0xFFFFFFFFull - entrySpan, sizeof data, true, "archive too large"},
      {"empty archive, directory at the mark", 0xFFFFFFFFull, 0, false, "archive too large"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    TFarSink sink(r.Start);
    TZipWriter w(sink);
    bool ok = true;
    if (r.WithEntry) {
      TNewEntry e;
      e.Name = "a";
      e.Size = r.Size;
      e.Level = 0;
      ok = w.BeginEntry(e) && w.WriteEntryData(data, sizeof data) && w.EndEntry();
    }
    ok = ok && w.Finish();
    EXPECT_EQ(ok, *r.Error == '\0');
    EXPECT_EQ(w.Error, r.Error);
  }
}
