// The change log's entries and the uninstall log's bytes.
#include "UndoLog.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

std::string Le32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// An entry as the file holds it, written out by hand.
std::string Entry(int32_t param, uint8_t kind, const std::string& data) {
  return Le32(0) + Le32(0) + Le32(static_cast<uint32_t>(param)) + std::string(1, static_cast<char>(kind)) +
         Le16(static_cast<uint16_t>(data.size())) + data;
}

TEST(UndoLog, EveryEntryKindByteExact) {
  TChangeLog log;
  log.Title = "My Program";
  log.Common = 1;
  log.Add(lkFolder, {"C:\\App"}, 0);
  log.Add(lkFile, {"C:\\App\\a.exe", ""}, lpExisted | lpRegistered);
  log.Add(lkFile, {"C:\\Win\\sys.dll", "C:\\Win\\is00ab12.tmp"}, lpShared);
  log.Add(lkProgmanItem, {"Group", ""}, 0);
  log.Add(lkProgmanItem, {"Group", "Item"}, 0);
  log.Add(lkIniEntry, {"C:\\App\\a.ini", "Sect", "Key"}, 0);
  log.Add(lkIniSection, {"", "Sect"}, 0);
  log.Add(lkRegKey, {"Software\\A"}, static_cast<int32_t>(0x80000002));
  log.Add(lkRegKeyIfEmpty, {"Software\\B"}, static_cast<int32_t>(0x80000001));
  log.Add(lkRegValue, {"Software\\C", "Val"}, static_cast<int32_t>(0x80000001));
  log.Add(lkShellNotify, {"C:\\Menu"}, 0x1000);

  std::string expected = "uts100a\x1A"s + Le16(11) + "\x0A" "My Program" + std::string(53, '\0') + "\x01" +
                         std::string(3, '\0');
  ASSERT_EQ(expected.size(), kLogFileHeaderSize);
  expected += Entry(0, 0, "C:\\App\0"s);
  expected += Entry(9, 1, "C:\\App\\a.exe\0\0"s);
  expected += Entry(4, 1, "C:\\Win\\sys.dll\0C:\\Win\\is00ab12.tmp\0"s);
  expected += Entry(0, 2, "Group\0\0"s);
  expected += Entry(0, 2, "Group\0Item\0"s);
  expected += Entry(0, 3, "C:\\App\\a.ini\0Sect\0Key\0"s);
  expected += Entry(0, 4, "\0Sect\0"s);
  expected += Entry(static_cast<int32_t>(0x80000002), 5, "Software\\A\0"s);
  expected += Entry(static_cast<int32_t>(0x80000001), 6, "Software\\B\0"s);
  expected += Entry(static_cast<int32_t>(0x80000001), 7, "Software\\C\0Val\0"s);
  expected += Entry(0x1000, 8, "C:\\Menu\0"s);
  EXPECT_EQ(EncodeUninstallLog(log), expected);
}

TEST(UndoLog, HeaderEdges) {
  TChangeLog empty;
  EXPECT_EQ(EncodeUninstallLog(empty), "uts100a\x1A"s + std::string(70, '\0'));
  // The title is cut at 63 characters.
  std::string header = EncodeLogFileHeader(1, std::string(70, 'x'), 0);
  ASSERT_EQ(header.size(), kLogFileHeaderSize);
  EXPECT_EQ(header[10], '\x3F');
  EXPECT_EQ(header.substr(11, 63), std::string(63, 'x'));
  EXPECT_EQ(header[74], '\0');
  // A count beyond 16 bits is refused, never wrapped.
  EXPECT_EQ(EncodeLogFileHeader(65535, "", 0).substr(8, 2), "\xFF\xFF"s);
  EXPECT_THROW(EncodeLogFileHeader(65536, "", 0), Exception);
}

TEST(UndoLog, EntryData) {
  TChangeLog log;
  size_t added = 0;
  log.OnAdd = [&](size_t count) { added = count; };
  log.Add(lkFile, {"", ""}, 0);
  EXPECT_EQ(added, 1u);
  EXPECT_EQ(log.Entries().back().Data, "\0\0"s);  // two empty texts: DataLength 2

  // Data beyond the limit is cut and still ends with its NUL.
  std::string big(70000, 'a');
  log.AddEntry(lkFolder, big.data(), big.size(), 0);
  const TLogEntry& cut = log.Entries().back();
  EXPECT_EQ(cut.Data.size(), MaxLogData);
  EXPECT_EQ(cut.Data.back(), '\0');
  EXPECT_EQ(cut.GetEntryString(0).size(), MaxLogData - 1);
  EXPECT_EQ(EncodeLogEntry(cut).size(), kLogEntryFixedSize + MaxLogData);
  EXPECT_EQ(log.Count(), 2u);

  TLogEntry taken = log.TakeLast();
  EXPECT_EQ(taken.Data.size(), MaxLogData);
  EXPECT_EQ(log.Count(), 1u);
  log.Title = "t";
  log.Common = 1;
  log.Clear();
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(log.Title, "");
  EXPECT_EQ(log.Common, 0);
}

TEST(UndoLog, GetEntryStringStaysInsideTheData) {
  struct Row {
    const char* name;
    std::string data;
    int n;
    std::string expected;
  } rows[] = {
      {"first", "a\0b\0"s, 0, "a"},
      {"second", "a\0b\0"s, 1, "b"},
      {"second of one text", "a\0"s, 1, ""},
      {"third of two", "a\0b\0"s, 2, ""},
      {"no data", "", 0, ""},
      {"empty first", "\0b\0"s, 0, ""},
      {"text without its NUL", "abc", 0, "abc"},
      {"second after an unended text", "abc", 1, ""},
  };
  for (const Row& r : rows) {
    TLogEntry e;
    e.Data = r.data;
    EXPECT_EQ(e.GetEntryString(r.n), r.expected) << r.name;
  }
}

}  // namespace
