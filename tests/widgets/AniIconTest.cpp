// The animated icon: frames made from generated files, their timing, a
// failed load, and the control's timer through the seam.
#include <gtest/gtest.h>

#include "AniFile.h"
#include "AniWriter.h"
#include "KitTestSupport.h"

using namespace kit;
using fixture::TAniOptions;

namespace {
COLORREF Shown(const TAniFile& ani) {
  TBitmap bmp(32, 32);
  Fill(bmp, kMarker);
  ani.Draw(bmp.Canvas(), {0, 0, 32, 32});
  return bmp.Pixel(16, 16);
}

std::vector<int> Frames(TAniFile& ani, int ticks) {
  std::vector<int> seen;
  for (int i = 0; i < ticks; ++i) {
    ani.Tick();
    seen.push_back(ani.Frame());
  }
  return seen;
}
}  // namespace

TEST(AniFile, FramesBecomeIcons) {
  TAniFile ani;
  TAniOptions o;
  o.Frames = 4;
  ani.LoadFromBytes(fixture::AniFile(o));
  EXPECT_EQ(ani.FrameCount(), 4);
  EXPECT_EQ(ani.Width(), 32);
  for (int i = 0; i < 4; ++i) {
    ani.SetFrame(i);
    EXPECT_EQ(Shown(ani), fixture::FrameColour(i)) << i;
  }
  for (int bad : {100, -1, 4, 63}) {
    ani.SetFrame(bad);
    EXPECT_EQ(ani.Frame(), 0) << bad;
  }
}

TEST(AniFile, RatesSetHowLongEachFrameShows) {
  struct {
    const char* name;
    int32_t defaultRate;
    std::vector<int32_t> rates;
    std::vector<int> frames;
  } rows[] = {
      {"rate 0: one tick each", 0, {}, {1, 2, 0, 1}},
      {"rate 6: four ticks each", 6, {}, {0, 0, 0, 1, 1, 1, 1, 2}},
      {"own rates", 6, {2, 0, 1}, {0, 1, 2, 0, 0, 1}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TAniOptions o;
    o.DisplayRate = row.defaultRate;
    o.Rates = row.rates;
    TAniFile ani;
    ani.LoadFromBytes(fixture::AniFile(o));
    int changes = 0;
    ani.OnChange = [&] { ++changes; };
    auto seen = Frames(ani, static_cast<int>(row.frames.size()));
    EXPECT_EQ(seen, row.frames);
    EXPECT_GT(changes, 0);
  }
}

TEST(AniFile, EarlierFramesPlayWhenASmallFrameEndsTheList) {
  TAniOptions o;
  o.Frames = 4;
  o.SmallFrameAt = 2;
  o.DisplayRate = 0;
  TAniFile ani;
  ani.LoadFromBytes(fixture::AniFile(o));
  EXPECT_EQ(ani.FrameCount(), 2);
  EXPECT_EQ(Frames(ani, 3), (std::vector<int>{1, 0, 1}));
}

TEST(AniFile, FailedLoadKeepsTheAnimationItHad) {
  TAniFile ani;
  auto good = fixture::AniFile();
  ani.LoadFromBytes(good);
  HICON first = ani.Icon(0);
  TAniOptions truncated;
  truncated.Frames = 5;
  truncated.TruncateBy = 300;
  EXPECT_THROW(ani.LoadFromBytes(fixture::AniFile(truncated)), EAniError);
  EXPECT_EQ(ani.FrameCount(), 3);
  EXPECT_EQ(ani.Icon(0), first);
  EXPECT_EQ(ani.Data(), good);
  TAniFile copy;
  copy.Assign(&ani);
  EXPECT_EQ(copy.FrameCount(), 3);
  copy.Assign(nullptr);
  EXPECT_EQ(copy.FrameCount(), 0);
  EXPECT_TRUE(copy.Data().empty());
}

TEST(AniIcon, TimerRunsWhileAnimated) {
  TKitForm f;
  auto* icon = new TAniIcon(f.form.get());
  icon->AniFile().LoadFromBytes(fixture::AniFile([] {
    TAniOptions o;
    o.DisplayRate = 0;
    return o;
  }()));
  icon->SetAnimated(true);
  EXPECT_FALSE(icon->TimerRunning()) << "no window yet";
  icon->SetParent(f.form.get());
  icon->SetBounds(10, 10, 32, 32);
  HWND h = icon->Handle();
  EXPECT_EQ(icon->Width(), 32);
  ASSERT_TRUE(icon->TimerRunning());
  ASSERT_EQ(f.robot.Timers.count({h, TAniIcon::kTimerId}), 1u);
  auto timer = std::make_pair(h, TAniIcon::kTimerId);
  EXPECT_EQ(f.robot.Timers[timer].first, 20u);
  f.robot.FireTimer(h, TAniIcon::kTimerId);
  EXPECT_EQ(icon->Frame(), 1);
  icon->SetFrame(100);
  EXPECT_EQ(icon->Frame(), 0);
  icon->SetAnimated(false);
  EXPECT_EQ(f.robot.Timers.count({h, TAniIcon::kTimerId}), 0u);
  icon->SetAnimated(true);
  delete icon;
  EXPECT_EQ(f.robot.Timers.count({h, TAniIcon::kTimerId}), 0u) << "killed with the window";
}

TEST(AniIcon, DescriptionCarriesTheData) {
  RegisterClass(TAniIcon::ClassInfo());
  TRobot robot;
  std::string hex;
  char digits[3];
  for (uint8_t b : fixture::AniFile()) {
    snprintf(digits, sizeof digits, "%02X", b);
    hex += digits;
  }
  TForm form(nullptr);
  form.LoadDescription("object F: TForm\n  object AniIcon1: TAniIcon\n    Left = 8\n    AniFile.Data = {" + hex +
                       "}\n    Animated = True\n  end\nend\n");
  auto* icon = dynamic_cast<TAniIcon*>(form.FindComponent("AniIcon1"));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->AniFile().FrameCount(), 3);
  EXPECT_TRUE(icon->Animated());
  EXPECT_THROW(form.LoadDescription("object F: TForm\n  object AniIcon2: TAniIcon\n    AniFile.Data = {52494646}\n  end\nend\n"),
               EDescriptionError);
}
