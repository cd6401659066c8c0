// What the extractor stubs read from bytes.
#include "SFXArchive.h"
#include "ZipFixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace sfx;
using zipfmt::Bytes;

namespace {

using TSample = fixture::TZipSample;

// A zip of `files` behind `prefix`.
Bytes Zip(const std::vector<TSample>& files, const std::string& prefix = "") {
  Bytes zip = fixture::ZipOf(files, prefix);
  EXPECT_FALSE(zip.empty());
  return zip;
}

std::string Text(size_t n) {
  std::string s;
  for (size_t i = 0; s.size() < n; ++i) s += "row " + std::to_string(i * 7919 % 1000) + " of the text\n";
  s.resize(n);
  return s;
}

class TStringOutput : public IOutput {
public:
  bool Write(const uint8_t* p, size_t n) override {
    if (FailAfter >= 0 && Data.size() + n > static_cast<size_t>(FailAfter)) return false;
    Data.append(reinterpret_cast<const char*>(p), n);
    return true;
  }
  std::string Data;
  long FailAfter = -1;
};

TZipContents Contents(const Bytes& zip) {
  zipfmt::TMemorySource src(zip);
  return ReadZipContents(src);
}

// Extracts entry `i` of `zip`, after `change` had its way with the entry.
TDataResult Extract(const Bytes& zip, size_t i, const std::string& password, std::string& out,
                    void (*change)(TZipEntry&) = nullptr) {
  zipfmt::TMemorySource src(zip);
  TZipContents c = ReadZipContents(src);
  EXPECT_EQ(c.Problem, TZipProblem::None);
  TZipEntry e = c.Items.at(i).Entry;
  if (change) change(e);
  TStringOutput o;
  TDataResult r = ExtractEntry(src, e, password, o);
  out = o.Data;
  return r;
}

// The spot where entry `i`'s data starts.
size_t DataAt(const Bytes& zip, size_t i) {
  TZipEntry e = Contents(zip).Items.at(i).Entry;
  return e.LocalPos + 30 + zipfmt::Get16(&zip[e.LocalPos + 26]) + zipfmt::Get16(&zip[e.LocalPos + 28]);
}

// A PE head with the given sections (raw offset, raw size).
Bytes Pe(const std::vector<std::pair<uint32_t, uint32_t>>& sections, size_t fileSize) {
  Bytes b(fileSize, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'M', b[1] = 'Z';
  put32(0x3C, 0x80);
  b[0x80] = 'P', b[0x81] = 'E';
  b[0x86] = static_cast<uint8_t>(sections.size());
  b[0x94] = 0xE0;  // size of the optional header
  size_t table = 0x80 + 24 + 0xE0;
  for (size_t i = 0; i < sections.size(); ++i) {
    put32(table + i * 40 + 16, sections[i].second);
    put32(table + i * 40 + 20, sections[i].first);
  }
  return b;
}

}  // namespace

TEST(StubFile, AppendedDataStartsWhereTheLastSectionEnds) {
  struct {
    const char* name;
    Bytes bytes;
    uint64_t start;
  } rows[] = {
      {"two sections", Pe({{0x400, 0x200}, {0x600, 0x400}}, 0x1000), 0xA00},
      {"out of order", Pe({{0x800, 0x200}, {0x400, 0x100}}, 0x1000), 0xA00},
      {"empty section", Pe({{0x400, 0x200}, {0x2000, 0}}, 0x1000), 0x600},
      {"nothing appended", Pe({{0x400, 0x200}}, 0x600), 0x600},
      {"section past the end", Pe({{0x400, 0x2000}}, 0x1000), 0},
      {"not a program", Bytes(0x400, 'x'), 0},
      {"too short", Bytes{'M', 'Z'}, 0},
  };
  for (auto& r : rows) {
    zipfmt::TMemorySource src(r.bytes);
    EXPECT_EQ(AppendedDataStart(src), r.start) << r.name;
  }
  Bytes noPe = Pe({{0x400, 0x200}}, 0x1000);
  noPe[0x81] = 'X';
  zipfmt::TMemorySource src(noPe);
  EXPECT_EQ(AppendedDataStart(src), 0u);
}

TEST(StubFile, ArgumentsFollowTheProgramsName) {
  const std::string self = "C:\\My Dir\\Out.exe";
  struct {
    const char* line;
    const char* args;
  } rows[] = {
      {"\"C:\\My Dir\\Out.exe\" -t", "-t"},
      {"C:\\My Dir\\Out.exe -t", "-t"},      // a test run: the path unquoted
      {"c:\\my dir\\OUT.EXE  /d ", "/d"},     // any case, blanks around
      {"C:\\My Dir\\Out.exe", ""},
      {"\"C:\\My Dir\\Out.exe\"", ""},
      {"  Out.exe", ""},
      {"Out.exe -t", "-t"},
      {"C:\\Other\\Out.exe -t /x", "-t /x"},
      {"C:\\My Dir\\Out.exe2 -t", "Dir\\Out.exe2 -t"},  // not the program's name
      {"\"C:\\My Dir\\Out.exe", ""},
      {"", ""},
  };
  for (auto& r : rows) EXPECT_EQ(ArgumentsOf(r.line, self), r.args) << r.line;
}

TEST(StubNames, SafePathsStayBelowTheFolder) {
  struct {
    const char* name;
    TNameProblem problem;
    const char* path;
    bool folder;
  } rows[] = {
      {"a.txt", TNameProblem::None, "a.txt", false},
      {"dir/sub/b.txt", TNameProblem::None, "dir\\sub\\b.txt", false},
      {"dir\\b.txt", TNameProblem::None, "dir\\b.txt", false},
      {"dir/", TNameProblem::None, "dir", true},
      {"..a/b..c/.hidden", TNameProblem::None, "..a\\b..c\\.hidden", false},
      {"COM10", TNameProblem::None, "COM10", false},
      {"", TNameProblem::Empty, "", false},
      {"/etc/passwd", TNameProblem::Rooted, "", false},
      {"\\Windows\\win.ini", TNameProblem::Rooted, "", false},
      {"\\\\server\\share\\x", TNameProblem::Rooted, "", false},
      {"C:x.txt", TNameProblem::Drive, "", false},
      {"C:\\x.txt", TNameProblem::Drive, "", false},
      {"a.txt:stream", TNameProblem::Drive, "", false},
      {"../x.txt", TNameProblem::Parent, "", false},
      {"a/../../x.txt", TNameProblem::Parent, "", false},
      {"a\\..", TNameProblem::Parent, "", false},
      {".. /x.txt", TNameProblem::Parent, "", false},  // Windows drops the blank
      {".../x.txt", TNameProblem::Parent, "", false},
      {"./x.txt", TNameProblem::BadPart, "", false},
      {"a//b.txt", TNameProblem::BadPart, "", false},
      {"a/b./c.txt", TNameProblem::BadPart, "", false},
      {"a /c.txt", TNameProblem::BadPart, "", false},
      {"a<b.txt", TNameProblem::BadPart, "", false},
      {"a\x01.txt", TNameProblem::BadPart, "", false},
      {"what?.txt", TNameProblem::BadPart, "", false},
      {"CON", TNameProblem::Device, "", false},
      {"dir/con.txt", TNameProblem::Device, "", false},
      {"LPT1.log", TNameProblem::Device, "", false},
      {"nul", TNameProblem::Device, "", false},
  };
  for (auto& r : rows) {
    std::string path = "stale";
    bool folder = !r.folder;
    EXPECT_EQ(SafePath(r.name, path, folder), r.problem) << r.name;
    EXPECT_EQ(path, r.path) << r.name;
    if (r.problem == TNameProblem::None) {
      EXPECT_EQ(folder, r.folder) << r.name;
    }
  }
}

TEST(StubZip, ContentsAreCheckedBeforeAnythingIsWritten) {
  TZipContents good = Contents(Zip({{"a.txt", "alpha"}, {"dir/b.txt", "beta"}, {"dir/", ""}}, "STUB BYTES"));
  ASSERT_EQ(good.Problem, TZipProblem::None);
  ASSERT_EQ(good.Items.size(), 3u);
  EXPECT_EQ(good.Items[1].Path, "dir\\b.txt");
  EXPECT_TRUE(good.Items[2].Folder);
  EXPECT_FALSE(good.Items[0].Encrypted());

  // One bad name anywhere refuses the whole archive and names it.
  TZipContents bad = Contents(Zip({{"a.txt", "alpha"}, {"../../evil.txt", "x"}}));
  EXPECT_EQ(bad.Problem, TZipProblem::Name);
  EXPECT_EQ(bad.Detail, "../../evil.txt");
  EXPECT_TRUE(bad.Items.empty());

  // A method the stubs cannot unpack (bzip2 here).
  Bytes other = Zip({{"a.txt", "alpha", 0}});
  for (size_t at : {size_t{8}, other.size() - 22 - 46 - 5 + 10}) other[at] = 12;
  TZipContents m = Contents(other);
  EXPECT_EQ(m.Problem, TZipProblem::Method);
  EXPECT_EQ(m.Detail, "a.txt");

  // Cut short: no directory.
  Bytes zip = Zip({{"a.txt", Text(3000)}});
  zip.resize(zip.size() - 30);
  EXPECT_EQ(Contents(zip).Problem, TZipProblem::Directory);
  EXPECT_FALSE(Contents(zip).Detail.empty());
}

TEST(StubZip, EntriesComeOutAsTheZipLibraryWroteThem) {
  const std::string big = Text(200000);
  struct {
    const char* name;
    TSample file;
  } rows[] = {
      {"stored", {"s.txt", big, 0}},
      {"deflated", {"d.txt", big, 9}},
      {"empty stored", {"e.txt", "", 0}},
      {"empty deflated", {"f.txt", "", 6}},
      {"stored, encrypted", {"se.txt", big, 0, "secret"}},
      {"deflated, encrypted", {"de.txt", big, 6, "secret"}},
      {"empty, encrypted", {"ee.txt", "", 6, "pw"}},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.name);
    Bytes zip = Zip({r.file}, "stub");
    zipfmt::TMemorySource src(zip);
    TZipContents c = ReadZipContents(src);
    ASSERT_EQ(c.Problem, TZipProblem::None);
    EXPECT_EQ(c.Items[0].Encrypted(), r.file.Password != nullptr);
    std::string out;
    EXPECT_EQ(Extract(zip, 0, r.file.Password ? r.file.Password : "", out), TDataResult::Ok);
    EXPECT_EQ(out, r.file.Data);
    if (r.file.Password) {
      EXPECT_TRUE(PasswordFits(src, c.Items[0].Entry, r.file.Password));
      EXPECT_FALSE(PasswordFits(src, c.Items[0].Entry, "Secret"));
      EXPECT_EQ(Extract(zip, 0, "Secret", out), TDataResult::WrongPassword);
      EXPECT_EQ(out, "");
    }
  }
}

TEST(StubZip, DamageIsFoundAndNothingPastTheRecordedSizeIsWritten) {
  const std::string text = Text(100000);
  Bytes stored = Zip({{"s.txt", text, 0}}), deflated = Zip({{"d.txt", text, 9}});
  std::string out;
  struct {
    const char* name;
    Bytes zip;
    void (*change)(TZipEntry&);
    TDataResult result;
  } rows[] = {
      {"crc in the directory", stored, [](TZipEntry& e) { e.Crc ^= 1; }, TDataResult::BadCrc},
      {"crc, deflated", deflated, [](TZipEntry& e) { e.Crc ^= 0x100; }, TDataResult::BadCrc},
      {"size too small", stored, [](TZipEntry& e) { e.Size -= 1; }, TDataResult::Damaged},
      {"size too large", deflated, [](TZipEntry& e) { e.Size += 1; }, TDataResult::Damaged},
      {"inflates past its size", deflated, [](TZipEntry& e) { e.Size = 1000; }, TDataResult::Damaged},
      {"data past the file", stored, [](TZipEntry& e) { e.CompressedSize += 1000; }, TDataResult::Damaged},
      {"deflate stream cut", deflated, [](TZipEntry& e) { e.CompressedSize /= 2; }, TDataResult::Damaged},
  };
  for (auto& r : rows) {
    EXPECT_EQ(Extract(r.zip, 0, "", out, r.change), r.result) << r.name;
    EXPECT_LE(out.size(), text.size()) << r.name;
    if (std::string(r.name) == "inflates past its size") {
      EXPECT_LE(out.size(), 1000u);
    }
  }
  // A flipped byte in the data.
  Bytes flipped = stored;
  flipped[DataAt(stored, 0) + 500] ^= 0x20;
  EXPECT_EQ(Extract(flipped, 0, "", out), TDataResult::BadCrc);
  flipped = deflated;
  flipped[DataAt(deflated, 0) + 100] ^= 0x55;
  TDataResult r = Extract(flipped, 0, "", out);
  EXPECT_TRUE(r == TDataResult::Damaged || r == TDataResult::BadCrc) << static_cast<int>(r);
}

TEST(StubZip, CheckByteOfAnEntryWhoseSizesFollowItsData) {
  // With sizes after the data the header ends with the time's high byte.
  Bytes zip = Zip({{"a.txt", "alpha", 6, "pw"}});
  zipfmt::TMemorySource src(zip);
  TZipEntry e = ReadZipContents(src).Items[0].Entry;
  e.Flags |= zipfmt::kFlagDescriptor;
  e.Time.Time = static_cast<uint16_t>((e.Crc >> 24) << 8);
  EXPECT_TRUE(PasswordFits(src, e, "pw"));
  e.Time.Time ^= 0x100;
  EXPECT_FALSE(PasswordFits(src, e, "pw"));
}

TEST(StubZip, StopAndWriteFailure) {
  Bytes zip = Zip({{"a.txt", Text(300000), 6}});
  zipfmt::TMemorySource src(zip);
  TZipEntry e = ReadZipContents(src).Items[0].Entry;
  TStringOutput out;
  int calls = 0;
  EXPECT_EQ(ExtractEntry(src, e, "", out, [&](uint64_t done) { return ++calls < 2 && done > 0; }),
            TDataResult::Stopped);
  EXPECT_EQ(calls, 2);
  TStringOutput full;
  full.FailAfter = 70000;
  EXPECT_EQ(ExtractEntry(src, e, "", full), TDataResult::WriteFailed);
}
