#include "SFX.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Str(const SFXHeader& h) { return std::string(h.begin(), h.end()); }
}  // namespace

TEST(SFXHeader, SetupExampleReadsByteForByte) {
  SFXHeader h;
  ASSERT_TRUE(BuildSFXHeader("Setup", "", "", {SFXAskFiles}, OvrNever, h));
  std::string expected = std::string("MPU") + '\x12' + '\x05' + '\0' + '\0' + "Setup" + std::string(244, '\0');
  EXPECT_EQ(Str(h), expected);
}

TEST(SFXHeader, FlagsComeFromOptionsAndOverwriteMode) {
  struct {
    SFXOpts Options;
    OvrOpts Mode;
    uint8_t Flags;
  } rows[] = {
      {{}, OvrConfirm, 0},
      {{SFXAskCmdLine}, OvrConfirm, 1},
      {{SFXAskFiles}, OvrConfirm, 2},
      {{SFXHideOverWriteBox}, OvrConfirm, 4},
      {{}, OvrAlways, 8},
      {{}, OvrNever, 16},
      {{SFXAskCmdLine, SFXAskFiles, SFXHideOverWriteBox}, OvrAlways, 15},
      {{SFXAskCmdLine, SFXHideOverWriteBox}, OvrNever, 21},
  };
  for (const auto& r : rows) {
    SFXHeader h;
    ASSERT_TRUE(BuildSFXHeader("", "", "", r.Options, r.Mode, h));
    EXPECT_EQ(h[3], r.Flags) << "options " << r.Options.Bits() << " mode " << r.Mode;
  }
}

TEST(SFXHeader, TextsLieBackToBackAndFillTheBlockAt249) {
  std::string caption(100, 'c'), dir(100, 'd'), cmd(49, 'e');
  SFXHeader h;
  ASSERT_TRUE(BuildSFXHeader(caption, dir, cmd, {}, OvrConfirm, h));
  EXPECT_EQ(h[4], 100);
  EXPECT_EQ(h[5], 100);
  EXPECT_EQ(h[6], 49);
  EXPECT_EQ(Str(h).substr(7), caption + dir + cmd);  // ends at byte 255

  SFXHeader untouched{};
  untouched[0] = 'Z';
  EXPECT_FALSE(BuildSFXHeader(caption, dir, cmd + "e", {}, OvrConfirm, untouched));
  EXPECT_EQ(untouched[0], 'Z');
  SFXHeader h2;
  EXPECT_TRUE(BuildSFXHeader("Caption", "C:\\Target", "setup.exe /q", {}, OvrConfirm, h2));
  EXPECT_EQ(Str(h2).substr(7, 28), "CaptionC:\\Targetsetup.exe /q");
  EXPECT_EQ(Str(h2).substr(35), std::string(256 - 35, '\0'));
}

TEST(SFXHeader, EmptyZipRecordIsAnEndRecordWith0x9900) {
  auto r = EmptyZipRecord();
  std::string expected = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  expected[17] = '\x99';
  EXPECT_EQ(std::string(r.begin(), r.end()), expected);
  uint32_t cdOffset = r[16] | (r[17] << 8) | (r[18] << 16) | (static_cast<uint32_t>(r[19]) << 24);
  EXPECT_EQ(cdOffset, 0x9900u);
}

TEST(SFXHeader, ReadBackGivesWhatWasWritten) {
  struct {
    const char* caption;
    const char* dir;
    const char* cmd;
    SFXOpts options;
    OvrOpts mode;
  } rows[] = {
      {"Setup", "", "", {SFXAskFiles}, OvrNever},
      {"", "C:\\Target", "setup.exe /q", {SFXAskCmdLine, SFXHideOverWriteBox}, OvrAlways},
      {"My Package", "Apps", "", {}, OvrConfirm},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.caption);
    SFXHeader h;
    ASSERT_TRUE(BuildSFXHeader(r.caption, r.dir, r.cmd, r.options, r.mode, h));
    TSFXSettings s;
    ASSERT_TRUE(ParseSFXHeader(h.data(), h.size(), s));
    EXPECT_EQ(s.Caption, r.caption);
    EXPECT_EQ(s.DefaultDir, r.dir);
    EXPECT_EQ(s.CommandLine, r.cmd);
    EXPECT_EQ(s.Options, r.options);
    EXPECT_EQ(s.OverWriteMode, r.mode);
  }
}

TEST(SFXHeader, ReaderRefusesWhatIsNoBlock) {
  SFXHeader good;
  ASSERT_TRUE(BuildSFXHeader("a", "b", "c", {}, OvrConfirm, good));
  TSFXSettings s;
  EXPECT_FALSE(ParseSFXHeader(good.data(), 255, s)) << "short";
  SFXHeader bad = good;
  bad[2] = 'X';
  EXPECT_FALSE(ParseSFXHeader(bad.data(), bad.size(), s)) << "signature";
  bad = good;
  bad[4] = bad[5] = 200;  // texts past the end
  EXPECT_FALSE(ParseSFXHeader(bad.data(), bad.size(), s));
  bad = good;
  bad[4] = 249, bad[5] = bad[6] = 0;  // exactly to the end
  EXPECT_TRUE(ParseSFXHeader(bad.data(), bad.size(), s));
  EXPECT_EQ(s.Caption.size(), 249u);
  bad[3] = 8 | 16;
  ASSERT_TRUE(ParseSFXHeader(bad.data(), bad.size(), s));
  EXPECT_EQ(s.OverWriteMode, OvrNever) << "both flags: the safe reading";
}
