// The animated-icon reader against generated files of each layout,
// truncated and oversized ones included.
#include <gtest/gtest.h>

#include "AniFormat.h"
#include "AniWriter.h"

using fixture::TAniInfo;
using fixture::TAniOptions;

TEST(AniFormat, ReadsEveryLayout) {
  auto opts = [](auto change) {
    TAniOptions o;
    change(o);
    return o;
  };
  struct {
    const char* name;
    TAniOptions options;
    size_t frames;
  } rows[] = {
      {"header first", {}, 3},
      {"empty information list", opts([](TAniOptions& o) { o.Info = TAniInfo::Empty; }), 3},
      {"two texts", opts([](TAniOptions& o) { o.Info = TAniInfo::TwoTexts; }), 3},
      {"odd-length texts", opts([](TAniOptions& o) { o.Info = TAniInfo::TwoTexts; o.InfoText = "abcd"; }), 3},
      {"three texts", opts([](TAniOptions& o) { o.Info = TAniInfo::ThreeTexts; }), 3},
      {"long texts", opts([](TAniOptions& o) { o.Info = TAniInfo::TwoTexts; o.InfoText.assign(600, 'x'); }), 3},
      {"more than 64 frames", opts([](TAniOptions& o) { o.Frames = 70; }), 64},
      {"header counts fewer", opts([](TAniOptions& o) { o.HeaderFrames = 2; }), 2},
      {"a small frame ends the list", opts([](TAniOptions& o) { o.SmallFrameAt = 1; }), 1},
      {"image after filler", opts([](TAniOptions& o) { o.ImageOffset = 30; }), 3},
      {"rate and sequence", opts([](TAniOptions& o) { o.Rates = {1, 2, 3}; o.Sequence = {2, 1, 0}; }), 3},
      {"tables larger than 512 bytes", opts([](TAniOptions& o) {
         o.Rates.assign(200, 9);
         o.Sequence.assign(300, 4);
       }), 3},
      {"negative frame count", opts([](TAniOptions& o) { o.HeaderFrames = -5; o.Frames = 2; }), 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TAniData ani = ReadAni(fixture::AniFile(row.options));
    EXPECT_EQ(ani.Frames.size(), row.frames);
    for (const auto& f : ani.Frames) EXPECT_EQ(f.size(), 744u);
    EXPECT_EQ(ani.Header.DisplayRate, 6);
  }
}

TEST(AniFormat, TablesFillFromTheDefaultRate) {
  TAniOptions o;
  o.DisplayRate = 7;
  o.Rates = {1, 2, 3};
  o.Sequence = {5, 6};
  TAniData ani = ReadAni(fixture::AniFile(o));
  EXPECT_EQ(ani.Rates[0], 1);
  EXPECT_EQ(ani.Rates[2], 3);
  EXPECT_EQ(ani.Rates[3], 7);
  EXPECT_EQ(ani.Rates[127], 7);
  EXPECT_EQ(ani.Sequence[1], 6);
  o.Rates.assign(200, 9);
  ani = ReadAni(fixture::AniFile(o));
  EXPECT_EQ(ani.Rates[127], 9) << "what fits is kept";
  EXPECT_EQ(ani.Frames.size(), 3u) << "the rest is skipped";
}

TEST(AniFormat, RefusesDataItCannotRead) {
  auto opts = [](auto change) {
    TAniOptions o;
    change(o);
    return o;
  };
  const size_t full = fixture::AniFile().size();
  struct {
    const char* name;
    TAniOptions options;
  } rows[] = {
      {"one byte short", opts([](TAniOptions& o) { o.TruncateBy = 1; })},
      {"in the middle of a frame", opts([](TAniOptions& o) { o.TruncateBy = 500; })},
      {"in the header", opts([full](TAniOptions& o) { o.TruncateBy = full - 30; })},
      {"only the file head", opts([full](TAniOptions& o) { o.TruncateBy = full - 6; })},
      {"frame image beyond 4096 bytes", opts([](TAniOptions& o) { o.ExtraImageBytes = 4000; })},
      {"frame claims more than it has", opts([](TAniOptions& o) { o.FrameSizeDelta = 9; })},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_THROW(ReadAni(fixture::AniFile(row.options)), EAniError);
  }
  EXPECT_TRUE(ReadAni(std::vector<uint8_t>{}).Frames.empty()) << "empty data is an empty animation";
}
