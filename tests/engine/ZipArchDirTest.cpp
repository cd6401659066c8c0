#include "ZipArchDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string U16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(uint32_t v) { return U16(static_cast<uint16_t>(v)) + U16(static_cast<uint16_t>(v >> 16)); }

// A local header and its data; `declared` overrides the compressed size.
std::string Local(const std::string& name, const std::string& data, int64_t declared = -1) {
  uint32_t csize = declared < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(declared);
  return std::string("PK\x03\x04", 4) + U16(20) + U16(0) + U16(0) + U16(0x6000) + U16(0x2C21) + U32(0xDEADBEEF) +
         U32(csize) + U32(static_cast<uint32_t>(data.size())) + U16(static_cast<uint16_t>(name.size())) + U16(0) +
         name + data;
}

std::string Central() { return std::string("PK\x01\x02", 4) + std::string(42, '\0'); }
std::string End() { return std::string("PK\x05\x06", 4) + std::string(18, '\0'); }

TZipDirResult Read(const std::string& bytes) {
  TMemoryZipInput in(bytes);
  return ReadZipLocalDirectory(in);
}

}  // namespace

TEST(ZipArchDir, ListsLocalHeadersWithTheirFields) {
  std::string longName(300, 'n');
  std::string zip = Local("a.txt", "alpha") + Local("dir/b.txt", "") + Local(longName, "x") + Central() + End();
  TZipDirResult r = Read(zip);
  EXPECT_EQ(r.FailDigit, 0);
  EXPECT_EQ(r.SFXOffset, 0u);
  ASSERT_EQ(r.Entries.size(), 3u);
  const ZipDirEntry& e = r.Entries[0];
  EXPECT_EQ(e.VersionNeeded, 20);
  EXPECT_EQ(e.ModifTime, 0x6000);
  EXPECT_EQ(e.ModifDate, 0x2C21);
  EXPECT_EQ(e.CRC32, 0xDEADBEEFu);
  EXPECT_EQ(e.ComprSize, 5u);
  EXPECT_EQ(e.UnComprSize, 5u);
  EXPECT_EQ(e.FileNameLen, 5);
  EXPECT_EQ(e.FileName, "a.txt");
  EXPECT_EQ(r.Entries[1].FileName, "dir/b.txt");
  EXPECT_EQ(r.Entries[2].FileName, longName);  // longer than 256: read whole
}

TEST(ZipArchDir, FailureDigitsTellWhereTheSearchEnded) {
  struct {
    const char* Name;
    std::string Bytes;
    int Digit;
  } rows[] = {
      {"no P", std::string(100, 'x'), 1},
      {"empty", "", 1},
      {"after P", std::string(50, 'x') + "P", 3},
      {"after PK", std::string(50, 'x') + "PK", 4},
      {"after PK 3", std::string(50, 'x') + "PK\x03", 5},
      {"beyond the window", std::string(60001, 'x') + Local("a", "b") + Central() + End(), 2},
      {"only a false header", Local("a", "b", 100000) + std::string(40, 'x'), 1},
  };
  for (const auto& r : rows) EXPECT_EQ(Read(r.Bytes).FailDigit, r.Digit) << r.Name;
}

TEST(ZipArchDir, SearchFindsHeaderBehindStubAndRepeatedP) {
  std::string zip = Local("a.txt", "alpha") + Central() + End();
  struct {
    const char* Name;
    std::string Prefix;
  } rows[] = {{"stub", std::string(8193, 's')}, {"PPK", "xxP"}, {"false header", Local("f", "", 90000)},
              {"last window byte", std::string(59999, 'y')}};
  for (const auto& r : rows) {
    TZipDirResult res = Read(r.Prefix + zip);
    EXPECT_EQ(res.FailDigit, 0) << r.Name;
    EXPECT_EQ(res.SFXOffset, r.Prefix.size()) << r.Name;
    ASSERT_EQ(res.Entries.size(), 1u) << r.Name;
    EXPECT_EQ(res.Entries[0].FileName, "a.txt") << r.Name;
  }
}

TEST(ZipArchDir, StubLargerThanTheWindowIsFoundThroughTheEndRecord) {
  // Central record and end record as a real zip has them, offsets counted
  // from the zip's own start (a stub pasted in front).
  std::string local = Local("a.txt", "alpha");
  std::string central = std::string("PK\x01\x02", 4) + std::string(24, '\0') + U16(5) + std::string(12, '\0') +
                        U32(0) + "a.txt";
  std::string end = std::string("PK\x05\x06", 4) + U16(0) + U16(0) + U16(1) + U16(1) +
                    U32(static_cast<uint32_t>(central.size())) + U32(static_cast<uint32_t>(local.size())) + U16(0);
  std::string stub(70000, 's');
  TZipDirResult r = Read(stub + local + central + end);
  EXPECT_EQ(r.FailDigit, 0);
  EXPECT_EQ(r.SFXOffset, 70000u);
  ASSERT_EQ(r.Entries.size(), 1u);
  // The same with offsets that count the stub.
  std::string central2 = central;
  central2.replace(42, 4, U32(70000));
  std::string end2 = end;
  end2.replace(16, 4, U32(70000 + static_cast<uint32_t>(local.size())));
  r = Read(stub + local + central2 + end2);
  EXPECT_EQ(r.SFXOffset, 70000u);
  EXPECT_EQ(r.Entries.size(), 1u);
}

TEST(ZipArchDir, DamageAfterTheFirstEntryRaisesStreamErrors) {
  std::string first = Local("a.txt", "alpha");
  struct {
    const char* Name;
    std::string Bytes;
    const char* Error;
  } rows[] = {
      {"second reaches the end", first + Local("b.txt", "beta", 5000) + std::string(30, 'x'),
       "Error 3 reading Zip file"},
      {"second header cut", first + std::string("PK\x03\x04", 4) + std::string(20, 'x'), "Error 2 reading Zip file"},
      {"no closing record", first + std::string(22, 'x'), "Error reading Zip File"},
  };
  for (const auto& r : rows) {
    try {
      Read(r.Bytes);
      ADD_FAILURE() << r.Name << ": no error";
    } catch (const EZipStreamError& e) {
      EXPECT_EQ(e.Message(), r.Error) << r.Name;
    }
  }
}
