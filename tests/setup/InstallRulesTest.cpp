// The install's decisions: overwrite rules, WININIT.INI, shared counts and
// the Program Manager commands.
#include "InstallRules.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;
using D = TOverwriteDecision;

TEST(DecideOverwrite, VersionsThenTimes) {
  const uint64_t v2 = PackVersion(0x00020000, 5);
  const uint64_t t = 1000;
  struct Row {
    const char* name;
    uint8_t mode;
    int32_t ms, ls;          // the record's version; ms -1: none
    std::optional<uint64_t> version, time;  // the existing file's
    uint64_t recordTime;
    D expected;
  } rows[] = {
      {"never overwrite", omNeverOverwrite, 0x00030000, 0, v2, t, t, D::Keep},
      {"older record asks", omNormal, 0x00010000, 0, v2, t, t, D::AskKeepNewer},
      {"older record, mode 3 keeps", omKeepNewerSilently, 0x00010000, 0, v2, t, t, D::Keep},
      {"lower LS asks", omNormal, 0x00020000, 4, v2, t, t, D::AskKeepNewer},
      {"newer record replaces", omNormal, 0x00030000, 0, v2, t, t, D::Replace},
      {"higher LS replaces", omNormal, 0x00020000, 6, v2, t, t, D::Replace},
      {"same version and time keeps", omNormal, 0x00020000, 5, v2, t, t, D::Keep},
      {"same version and time, mode 3", omKeepNewerSilently, 0x00020000, 5, v2, t, t, D::Keep},
      {"same version, later file asks", omNormal, 0x00020000, 5, v2, t + 1, t, D::AskKeepNewer},
      {"same version, later file, mode 3", omKeepNewerSilently, 0x00020000, 5, v2, t + 1, t, D::Keep},
      {"same version, earlier file", omNormal, 0x00020000, 5, v2, t - 1, t, D::Replace},
      {"same version, no time", omNormal, 0x00020000, 5, v2, std::nullopt, t, D::Replace},
      {"no version check", omNoVersionCheck, 0x00010000, 0, v2, t, t, D::Replace},
      {"record without version", omNormal, -1, 0, v2, t + 5, t, D::Replace},
      {"record without version, mode 3", omKeepNewerSilently, -1, 0, v2, t + 5, t, D::Replace},
      {"file without version", omNormal, 0x00010000, 0, std::nullopt, t + 5, t, D::Replace},
      // The halves compare as signed numbers: 0x80000000 is below 1.
      {"signed MS", omNormal, static_cast<int32_t>(0x80000000), 0, PackVersion(1, 0), t, t, D::AskKeepNewer},
      {"signed LS", omNormal, 1, -1, PackVersion(1, 0), t, t, D::AskKeepNewer},
  };
  for (const Row& r : rows) {
    TScriptFile f;
    f.OverwriteMode = r.mode;
    f.FileVersionMS = r.ms;
    f.FileVersionLS = r.ls;
    f.FileTime = {static_cast<uint32_t>(r.recordTime), static_cast<uint32_t>(r.recordTime >> 32)};
    EXPECT_EQ(DecideOverwrite(f, {r.version, r.time}), r.expected) << r.name;
  }
  // Times compare as whole 64-bit values.
  TScriptFile f;
  f.FileVersionMS = 1;
  f.FileTime = {0xFFFFFFFF, 1};
  EXPECT_EQ(DecideOverwrite(f, {PackVersion(1, 0), uint64_t(2) << 32}), D::AskKeepNewer);
}

TEST(RewriteWininit, AddsTheLineToTheRenameSection) {
  const std::string line = "C:\\APP\\A.DLL=C:\\APP\\IS0001.TMP";
  struct Row {
    const char* name;
    std::string old, expected;
  } rows[] = {
      {"no file", "", "[rename]\r\n" + line + "\r\n"},
      {"no rename section", "[other]\r\nx=1\r\n", "[other]\r\nx=1\r\n[rename]\r\n" + line + "\r\n"},
      {"rename section last", "[Rename]\r\nNUL=C:\\old.tmp\r\n", "[Rename]\r\nNUL=C:\\old.tmp\r\n" + line + "\r\n"},
      {"rename section between others",
       "[a]\r\nk=v\r\n[RENAME]\r\nC:\\x=C:\\y\r\n\r\n[b]\r\nz=1\r\n",
       "[a]\r\nk=v\r\n[RENAME]\r\nC:\\x=C:\\y\r\n\r\n" + line + "\r\n[b]\r\nz=1\r\n"},
      {"bare line ends", "[rename]\nC:\\x=C:\\y", "[rename]\r\nC:\\x=C:\\y\r\n" + line + "\r\n"},
      {"indented section starts a section", "[rename]\r\na=b\r\n  [next]\r\nc=d\r\n",
       "[rename]\r\na=b\r\n" + line + "\r\n  [next]\r\nc=d\r\n"},
  };
  for (const Row& r : rows) EXPECT_EQ(RewriteWininit(r.old, line), r.expected) << r.name;
}

TEST(SharedCount, ParseRaiseEncode) {
  struct Row {
    const char* name;
    uint32_t type;
    std::string data;
    bool existed;
    std::optional<TSharedCount> parsed;
    int64_t raised;
  } rows[] = {
      {"missing value, new file", 0, "", false, std::nullopt, 1},
      {"missing value, file was there", 0, "", true, std::nullopt, 2},
      {"dword", kRegDword, "\x03\0\0\0"s, true, TSharedCount{3, kRegDword}, 4},
      {"dword zero, file was there", kRegDword, "\0\0\0\0"s, true, TSharedCount{0, kRegDword}, 2},
      {"negative dword", kRegDword, "\xFF\xFF\xFF\xFF"s, false, TSharedCount{-1, kRegDword}, 1},
      {"negative dword, file was there", kRegDword, "\xFF\xFF\xFF\xFF"s, true, TSharedCount{-1, kRegDword}, 2},
      {"short dword", kRegDword, "\x03\0"s, false, std::nullopt, 1},
      {"text", kRegSz, "12\0"s, false, TSharedCount{12, kRegSz}, 13},
      {"text without NUL", kRegSz, "7", false, TSharedCount{7, kRegSz}, 8},
      {"negative text", kRegSz, "-4\0"s, true, TSharedCount{-4, kRegSz}, 2},
      {"not a number", kRegSz, "abc\0"s, true, std::nullopt, 2},
      {"empty text", kRegSz, "\0"s, false, std::nullopt, 1},
      {"binary of 1 byte", kRegBinary, "\x05"s, false, TSharedCount{5, kRegBinary}, 6},
      {"binary of 4 bytes", kRegBinary, "\x01\x01\0\0"s, false, TSharedCount{257, kRegBinary}, 258},
      {"binary of 5 bytes", kRegBinary, "\x01\0\0\0\0"s, false, std::nullopt, 1},
      {"binary of 0 bytes", kRegBinary, "", false, std::nullopt, 1},
      {"other type", 7, "1\0"s, false, std::nullopt, 1},
      {"highest count stays", kRegDword, "\xFF\xFF\xFF\x7F"s, false, TSharedCount{INT32_MAX, kRegDword}, INT32_MAX},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::optional<TSharedCount> parsed = r.type ? ParseSharedCount(r.type, r.data) : std::nullopt;
    ASSERT_EQ(parsed.has_value(), r.parsed.has_value());
    if (parsed) {
      EXPECT_EQ(parsed->Count, r.parsed->Count);
      EXPECT_EQ(parsed->Type, r.parsed->Type);
    }
    EXPECT_EQ(RaisedSharedCount(parsed, r.existed), r.raised);
  }
  EXPECT_EQ(EncodeSharedCount(13, kRegSz), "13\0"s);
  EXPECT_EQ(EncodeSharedCount(258, kRegBinary), "\x02\x01\0\0"s);
  EXPECT_EQ(EncodeSharedCount(2, kRegDword), "\x02\0\0\0"s);
}

TEST(ProgmanCommands, AddItemAndTheOthers) {
  struct Row {
    const char* name;
    std::string target, parameters, iconFile;
    int32_t index;
    std::string workingDir, expected;
  } rows[] = {
      {"target only", "C:\\APP\\A.EXE", "", "", 0, "", "[AddItem(C:\\APP\\A.EXE,\"Name\",,)]"},
      {"working folder without icon", "C:\\APP\\A.EXE", "", "", 0, "C:\\APP",
       "[AddItem(C:\\APP\\A.EXE,\"Name\",,,,,C:\\APP)]"},
      {"icon and folder", "C:\\APP\\A.EXE", "", "C:\\APP\\A.ICO", 2, "C:\\APP",
       "[AddItem(C:\\APP\\A.EXE,\"Name\",C:\\APP\\A.ICO,2,,,C:\\APP)]"},
      {"spaced target quoted, parameters not", "C:\\My App\\A.EXE", "/x y", "", 0, "C:\\My App",
       "[AddItem(\"C:\\My App\\A.EXE\" /x y,\"Name\",,,,,\"C:\\My App\")]"},
      {"icon without folder", "A.EXE", "", "A.EXE", 0, "", "[AddItem(A.EXE,\"Name\",A.EXE,0)]"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(AddItemCommand(r.target, r.parameters, "Name", r.iconFile, r.index, r.workingDir), r.expected)
        << r.name;
  EXPECT_EQ(ProgmanCommand("CreateGroup", "My Group"), "[CreateGroup(\"My Group\")]");
  EXPECT_EQ(ShowGroupCommand("My Group"), "[ShowGroup(\"My Group\",1)]");
}

TEST(ProgmanCommands, GroupInformation) {
  EXPECT_TRUE(ProgmanGroupIsEmpty("\"My Group\",C:\\WIN\\MYGROUP.GRP,0,0,0,0,0"));
  EXPECT_FALSE(ProgmanGroupIsEmpty("\"My Group\",C:\\WIN\\MYGROUP.GRP,3,0,0,0,0"));
  EXPECT_FALSE(ProgmanGroupIsEmpty("\"My Group\",C:\\WIN\\MYGROUP.GRP,"));  // nothing after the comma
  for (const char* bad : {"", "\"My Group", "\"My Group\"", "\"My Group\",one field"})
    EXPECT_THROW(ProgmanGroupIsEmpty(bad), Exception) << bad;
}

}  // namespace
