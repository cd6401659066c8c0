// The text rules of the folder controls and the colours of the background
// window: plain C++, run on the host with sanitizers and under Wine.
#include "MainFormPaint.h"
#include "NewFCtrlPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int Chars(const std::string& s) { return static_cast<int>(s.size()); }

// Characters, with "..." as wide as nothing (dots are narrow in a real font).
int NarrowDots(const std::string& s) {
  int n = static_cast<int>(s.size());
  for (size_t at = s.find("..."); at != std::string::npos; at = s.find("...", at + 3)) n -= 3;
  return n;
}

TEST(ShortenPath, NarrowedStepByStep) {
  const std::string path = "C:\\a\\b\\file.txt";  // 15
  struct Row {
    int width;
    const char* expected;
  } rows[] = {
      {40, "C:\\a\\b\\file.txt"}, {15, "C:\\a\\b\\file.txt"}, {14, "C:\\...\\b\\file.txt"},
      {12, "C:\\...\\file.txt"},   {11, "...\\file.txt"},      {9, "...\\file.txt"},
      {8, "file.txt"},             {1, "file.txt"},  // nothing left to cut
  };
  for (const Row& r : rows) EXPECT_EQ(ShortenPath(path, r.width, NarrowDots), r.expected) << r.width;
  // With plain character widths "C:\...\b\" is no narrower, so the cuts go on
  // in one call until the text fits.
  EXPECT_EQ(ShortenPath(path, 14, Chars), "...\\file.txt");
}

TEST(ShortenPath, OtherShapes) {
  struct Row {
    const char* name;
    std::string path;
    int width;
    std::string expected;
  } rows[] = {
      {"network path", "\\\\srv\\share\\dir\\f.txt", 20, "\\...\\share\\dir\\f.txt"},
      {"no drive", "\\a\\b\\c\\f", 7, "\\...\\f"},
      {"file only", "readme.txt", 2, "readme.txt"},
      {"root file", "C:\\f.txt", 6, "f.txt"},
      {"empty", "", 0, ""},
  };
  for (const Row& r : rows) EXPECT_EQ(ShortenPath(r.path, r.width, Chars), r.expected) << r.name;
  EXPECT_EQ(CutFirstFolder("\\"), "");
  EXPECT_EQ(CutFirstFolder("\\a\\b\\"), "\\...\\b\\");
  EXPECT_EQ(CutFirstFolder("\\...\\b\\c\\"), "\\...\\c\\");
  EXPECT_EQ(CutFirstFolder("...\\"), "");
  EXPECT_EQ(CutFirstFolder("a\\"), "...\\");
}

TEST(FolderList, PathLinesIndentsAndItemPaths) {
  struct Row {
    const char* directory;
    std::vector<TDirLine> lines;
    int subFolderIndent;
    std::vector<std::string> paths;  // of the path lines, then of sub-folder "s"
  } rows[] = {
      {"C:\\", {{"C:\\", dlCurrentFolder}}, 8, {"C:\\", "C:\\s"}},
      {"C:\\a\\b",
       {{"C:\\", dlParentFolder}, {"a", dlParentFolder}, {"b", dlCurrentFolder}},
       16,
       {"C:\\", "C:\\a", "C:\\a\\b", "C:\\a\\b\\s"}},
      {"\\\\server\\share\\dir",
       {{"\\\\server\\share", dlParentFolder}, {"dir", dlCurrentFolder}},
       12,
       {"\\\\server\\share\\", "\\\\server\\share\\dir", "\\\\server\\share\\dir\\s"}},
      {"\\\\server\\share\\a\\b",
       {{"\\\\server\\share", dlParentFolder}, {"a", dlParentFolder}, {"b", dlCurrentFolder}},
       16,
       {"\\\\server\\share\\", "\\\\server\\share\\a", "\\\\server\\share\\a\\b", "\\\\server\\share\\a\\b\\s"}},
      {"\\\\server\\share", {{"\\\\server\\share", dlCurrentFolder}}, 8, {"\\\\server\\share\\", "\\\\server\\share\\s"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.directory);
    std::vector<TDirLine> lines = PathLines(r.directory);
    EXPECT_EQ(lines, r.lines);
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_EQ(LineIndent(r.directory, static_cast<int>(i), lines[i].Kind), 4 * static_cast<int>(i) + 4);
    EXPECT_EQ(LineIndent(r.directory, static_cast<int>(lines.size()), dlSubFolder), r.subFolderIndent);
    lines.push_back({"s", dlSubFolder});
    std::vector<std::string> paths;
    for (size_t i = 0; i < lines.size(); ++i) paths.push_back(ItemPath(r.directory, lines, static_cast<int>(i)));
    EXPECT_EQ(paths, r.paths);
    EXPECT_EQ(ItemPath(r.directory, lines, static_cast<int>(lines.size())), "");
    EXPECT_EQ(ItemPath(r.directory, lines, -1), "");
  }
  EXPECT_EQ(PathRoot("C:\\a\\b"), "C:\\");
  EXPECT_EQ(PathRoot("\\\\server\\share\\dir"), "\\\\server\\share\\");
}

TEST(FolderList, DoubleByteCharactersCountAsOne) {
  // 0x81 0x5C is one character whose second byte looks like a backslash.
  std::string dir = "C:\\x\x81\\y\\z";
  std::vector<TDirLine> lines = {{"C:\\", 1}, {"x\x81\\y", 1}, {"z", 2}};
  auto lead = [](unsigned char c) { return c == 0x81; };
  EXPECT_EQ(ItemPath(dir, lines, 1, lead), "C:\\x\x81\\y");
  EXPECT_EQ(ItemPath(dir, lines, 1), "C:\\x\x81");  // without the rule the byte splits it
}

TEST(FolderList, DisplayNameAndComparison) {
  struct Row {
    const char* name;
    bool preserve, sensitive;
    const char* shown;
  } rows[] = {
      {"WINDOWS", true, false, "windows"},  // all upper case on a case-preserving volume
      {"Program Files", true, false, "Program Files"},
      {"C:\\", true, false, "C:\\"},
      {"C:\\", false, false, "c:\\"},
      {"Mixed", false, false, "mixed"},
      {"UPPER", false, true, "UPPER"},
      {"UPPER", true, true, "UPPER"},
  };
  for (const Row& r : rows) EXPECT_EQ(DisplayName(r.name, r.preserve, r.sensitive), r.shown) << r.name;
  EXPECT_TRUE(SamePath("C:\\Abc", "c:\\aBC", false));
  EXPECT_FALSE(SamePath("C:\\Abc", "c:\\aBC", true));
  EXPECT_FALSE(SamePath("C:\\a", "C:\\ab", false));
}

TEST(Backdrop, PaletteAndBands) {
  EXPECT_EQ(ScaleColor(0x12FF8040, 255), 0x12FF8040u);  // the fourth byte is kept
  EXPECT_EQ(ScaleColor(0x00FF8040, 128), 0x00804020u);  // 255*128/255, 128*128/255 = 64, 64*128/255 = 32
  EXPECT_EQ(ScaleColor(0x00FFFFFF, 0), 0u);
  const uint32_t blue = 0xFF0000;  // BGR: pure blue
  struct Row {
    int band;
    int factor;
  } rows[] = {{0, 255}, {1, 251}, {2, 247}, {31, 131}, {32, 127}, {62, 7}, {63, 3}};
  for (const Row& r : rows) {
    EXPECT_EQ(BandColor(blue, r.band), static_cast<uint32_t>(255 * r.factor / 255) << 16) << r.band;
    EXPECT_EQ(BandColor(0x804020, r.band), ScaleColor(0x804020, r.factor)) << r.band;
  }
  // The bands of a 600-pixel window: rounded, first at the top, the 64th
  // starting at the bottom edge.
  EXPECT_EQ(BandTop(600, 0), 0);
  EXPECT_EQ(BandTop(600, 1), 10);   // 9.52
  EXPECT_EQ(BandTop(600, 2), 19);   // 19.05
  EXPECT_EQ(BandTop(600, 62), 590);
  EXPECT_EQ(BandTop(600, 63), 600);
  EXPECT_EQ(BandTop(600, 64), 610);
  int previous = 0;
  for (int i = 1; i <= 63; ++i) {
    EXPECT_GE(BandTop(480, i), previous);
    previous = BandTop(480, i);
  }
  EXPECT_EQ(MulDivRound(5, 1, 2), 3);
  EXPECT_EQ(MulDivRound(-5, 1, 2), -3);
  EXPECT_EQ(MulDivRound(7, 3, 0), -1);
  EXPECT_EQ(MulDivRound(2000000000, 3, 4), 1500000000);  // no overflow in between
}

}  // namespace
