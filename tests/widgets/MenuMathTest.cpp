// The animated menus' arithmetic: steps, pacing, measuring, hit testing,
// keyboard selection, placement, the title band and hint texts.
#include <gtest/gtest.h>

#include <vector>

#include "MenuMath.h"

using A = TAnimation;

TEST(MenuMath, RoundsHalvesToEven) {
  struct {
    long long num, den, expected;
  } rows[] = {{5, 2, 2}, {7, 2, 4}, {15, 10, 2}, {25, 10, 2}, {114, 10, 11}, {228, 10, 23}, {-5, 2, -2}, {-7, 2, -4},
              {-1265, 10, -126}, {3, 4, 1}, {0, 7, 0}};
  for (auto r : rows) {
    SCOPED_TRACE(std::to_string(r.num) + "/" + std::to_string(r.den));
    EXPECT_EQ(RoundHalfEven(r.num, r.den), r.expected);
  }
}

TEST(MenuMath, KindsResolveForOpeningAndClosing) {
  struct {
    const char* name;
    A kind;
    bool random;
    A now, stored;
  } open[] = {{"smart: vertical, submenus horizontal", A::anSmart, false, A::anVSlide, A::anHSlide},
              {"popup: unfold, submenus horizontal", A::anPopup, false, A::anUnfold, A::anHSlide},
              {"random picks horizontal", A::anRandom, true, A::anHSlide, A::anRandom},
              {"random picks vertical", A::anRandom, false, A::anVSlide, A::anRandom},
              {"none stays", A::anNone, false, A::anNone, A::anNone},
              {"unfold stays", A::anUnfold, false, A::anUnfold, A::anUnfold}};
  for (auto r : open) {
    SCOPED_TRACE(r.name);
    TOpenKinds k = ResolveOpenKind(r.kind, r.random);
    EXPECT_EQ(k.Now, r.now);
    EXPECT_EQ(k.Stored, r.stored);
  }
  EXPECT_EQ(ResolveCloseKind(A::anSmart, false, false), A::anVSlide);
  EXPECT_EQ(ResolveCloseKind(A::anSmart, true, false), A::anHSlide);
  EXPECT_EQ(ResolveCloseKind(A::anPopup, false, false), A::anUnfold);
  EXPECT_EQ(ResolveCloseKind(A::anPopup, true, false), A::anHSlide);
  EXPECT_EQ(ResolveCloseKind(A::anRandom, true, true), A::anHSlide);
}

TEST(MenuMath, AnimationSteps) {
  struct {
    const char* name;
    int w, h, itemHeight;
    bool doubleSpeed;
    A kind;
    int frames, hstep, vstep;
  } rows[] = {
      // s = Round(19 x 0.6) = 11; 200 div 11 + 1 = 19 frames; Round(10 x 1.5) = 15.
      {"vertical slide", 120, 200, 19, false, A::anVSlide, 19, 10, 15},
      // s = Round(19 x 1.2) = 23; 200 div 23 + 1 = 9; Round(22 x 1.5) = 33 (half to even).
      {"double speed", 120, 200, 19, true, A::anVSlide, 9, 21, 33},
      {"horizontal slide", 120, 200, 19, false, A::anHSlide, 11, 16, 27},
      {"unfold takes the larger count", 300, 100, 19, false, A::anUnfold, 28, 16, 4},
      {"no animation: one frame", 120, 200, 19, false, A::anNone, 1, 181, 300},
      // A zero item height would divide by zero; a step of 0 would never end.
      {"zero item height", 120, 200, 0, false, A::anVSlide, 201, 1, 1},
      {"negative item height", 120, 200, -19, true, A::anUnfold, 201, 1, 1},
      {"far wider than high keeps a vertical step", 600, 20, 19, false, A::anUnfold, 55, 16, 1},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    TAnimSteps s = AnimationSteps(r.w, r.h, r.itemHeight, r.doubleSpeed, r.kind);
    EXPECT_EQ(s.Frames, r.frames);
    EXPECT_EQ(s.HStep, r.hstep);
    EXPECT_EQ(s.VStep, r.vstep);
    EXPECT_GE(s.HStep, 1);
    EXPECT_GE(s.VStep, 1);
  }
  EXPECT_EQ(AnimationStartSize(80, 60, A::anVSlide).cy, 0);
  EXPECT_EQ(AnimationStartSize(80, 60, A::anVSlide).cx, 80);
  EXPECT_EQ(AnimationStartSize(80, 60, A::anUnfold).cx, 0);
  EXPECT_EQ(AnimationStartSize(80, 60, A::anNone).cy, 60);
}

TEST(MenuMath, PacerPaysBackLateFrames) {
  TFramePacer pacer;
  struct {
    const char* name;
    DWORD t0, now;
    DWORD sleep;
    int lateness;
  } frames[] = {
      {"on time: sleeps the rest", 1000, 1004, 6, 0},
      {"late by 15", 1010, 1035, 0, -15},
      {"pays back instead of sleeping", 1035, 1036, 0, -6},
      {"the account reaches 0 and no more", 1036, 1037, 0, 0},
      {"sleeps again", 1037, 1037, 10, 0},
  };
  for (auto f : frames) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(pacer.Wait(10, f.t0, f.now), f.sleep);
    EXPECT_EQ(pacer.Lateness(), f.lateness);
  }
}

namespace {
const TRowShape kText{TRowKind::rkText, 0}, kSep{TRowKind::rkSeparator, 0};
}

TEST(MenuMath, MeasuresRows) {
  TRowMetrics m{19, 11, 0};
  std::vector<TRowShape> rows = {kText, kSep, kText, {TRowKind::rkControl, 24}};
  EXPECT_EQ(ItemsHeight(rows, m), 19 + 11 + 19 + 24);
  EXPECT_EQ(ItemsHeight(rows, {19, 11, 2}), 2 + 4 * 2 + 19 + 11 + 19 + 24);
  EXPECT_EQ(ItemsHeight(rows, m, 200), 200);
  EXPECT_EQ(ItemsHeight({}, m), 0);
  EXPECT_EQ(ItemsWidth(60, 30, 18), 108);
  EXPECT_EQ(ItemsWidth(60, 30, 0, 150), 150);
  SIZE form = PopupFormSize(90, 73, 27);
  EXPECT_EQ(form.cx, 90 + 54 + 10);
  EXPECT_EQ(form.cy, 79);
  EXPECT_EQ(SelectedItemTop(rows, m, 0), 0);
  EXPECT_EQ(SelectedItemTop(rows, m, 3), 19 + 11 + 19);
  EXPECT_EQ(RowTop(rows, m, 2), 3 + 19 + 11);
}

TEST(MenuMath, RowsAreHitWherePainted) {
  TRowMetrics m{19, 11, 0};
  std::vector<TRowShape> rows = {kText, kSep, kText};
  struct {
    const char* name;
    TTitleSide title;
    int x, y, row;
  } cases[] = {
      {"above the first row", TTitleSide::tsNone, 40, 2, -1},
      {"first pixel of row 0", TTitleSide::tsNone, 40, 3, 0},
      {"last pixel of row 0", TTitleSide::tsNone, 40, 21, 0},
      {"separator", TTitleSide::tsNone, 40, 22, 1},
      {"row 2", TTitleSide::tsNone, 40, 33, 2},
      {"below the rows", TTitleSide::tsNone, 40, 52, -1},
      {"on a left title", TTitleSide::tsLeft, 18, 10, -1},
      {"beside a left title", TTitleSide::tsLeft, 19, 10, 0},
      {"on a right title", TTitleSide::tsRight, 102, 10, -1},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RowAtPoint(rows, m, 120, c.title, 18, c.x, c.y), c.row);
  }
  // With gaps between rows a gap is no row.
  EXPECT_EQ(RowAtPoint(rows, {19, 11, 4}, 120, TTitleSide::tsNone, 0, 40, 4 + 3 + 19 + 1), -1);
}

TEST(MenuMath, KeyboardSelectionWrapsAndSkips) {
  // Rows: text, separator, text, invalid, text.
  std::vector<bool> sel = {true, false, true, false, true};
  struct {
    const char* name;
    int previous, requested, expected;
  } rows[] = {
      {"down from none", -1, 0, 0},
      {"down over a separator", 0, 1, 2},
      {"down over a row without information", 2, 3, 4},
      {"down from the last wraps to the first", 4, 5, 0},
      {"up from the first wraps to the last", 0, -1, 4},
      {"up over a separator", 2, 1, 0},
      {"up from none wraps to the last", -1, -2, 4},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(StepSelection(r.previous, r.requested, sel), r.expected);
  }
  EXPECT_EQ(StepSelection(-1, 0, {false, false}), -1);
  EXPECT_EQ(StepSelection(0, 1, {true}), 0);
  EXPECT_EQ(StepSelection(-1, 0, {}), -1);
}

TEST(MenuMath, PlacesPopupsInsideTheWorkArea) {
  const RECT work{0, 0, 800, 599};
  auto place = [&](POINT at, SIZE size, auto&& adjust) {
    TPlaceInput in;
    in.At = at;
    in.Size = size;
    in.WorkArea = work;
    in.OpenKind = A::anVSlide;
    adjust(in);
    return PlacePopup(in);
  };
  auto none = [](TPlaceInput&) {};
  struct {
    const char* name;
    TPlacement p;
    RECT final;
    bool upward, leftward;
  } rows[] = {
      {"fits: opens down and right", place({100, 100}, {120, 200}, none), {100, 100, 220, 300}, false, false},
      {"bottom right: grows upward, left of the edge",
       place({750, 500}, {120, 200}, none), {680, 301, 800, 501}, true, false},
      {"below a toolbar button: grows up above it",
       place({300, 560}, {120, 200}, [](TPlaceInput& in) { in.InvokerHeight = 22, in.InvokerIsButton = true; }),
       {300, 337, 420, 537}, true, false},
      {"a horizontal slide never grows upward", place({300, 500}, {120, 200}, [](TPlaceInput& in) {
         in.OpenKind = A::anHSlide;
       }), {300, 399, 420, 599}, false, false},
      {"a submenu past the right edge grows leftward from its parent",
       place({760, 100}, {120, 200}, [](TPlaceInput& in) { in.Submenu = true, in.ParentLeft = 640; }),
       {526, 100, 646, 300}, false, true},
      {"a vertical bar button: left of it", place({760, 100}, {120, 200}, [](TPlaceInput& in) {
         in.FromBarButton = true, in.BarButtonVertical = true, in.BarButtonLeft = 740;
       }), {620, 100, 740, 300}, false, false},
      {"beside a horizontal bar button when it cannot go up", place({100, 450}, {120, 200}, [](TPlaceInput& in) {
         in.FromBarButton = true, in.BarButtonLeft = 100, in.BarButtonWidth = 40, in.InvokerHeight = 500;
       }), {140, 399, 260, 599}, false, false},
      {"a system menu from its form sits at the form's top", place({300, 580}, {120, 200}, [](TPlaceInput& in) {
         in.SystemMenuFromForm = true, in.FormTop = 380;
       }), {300, 184, 420, 384}, true, false},
      {"never at or left of the screen's edge", place({-50, -10}, {120, 200}, none), {1, 1, 121, 201}, false, false},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.p.Upward, r.upward);
    EXPECT_EQ(r.p.Leftward, r.leftward);
    RECT f = FrameBounds(r.p, 120, 200);
    EXPECT_EQ(f.left, r.final.left);
    EXPECT_EQ(f.top, r.final.top);
    EXPECT_EQ(f.right, r.final.right);
    EXPECT_EQ(f.bottom, r.final.bottom);
  }
  // Mid-animation the growing edge moves, the other stays.
  TPlacement up = place({750, 500}, {120, 200}, none);
  EXPECT_EQ(FrameBounds(up, 120, 40).bottom, 501);
  EXPECT_EQ(FrameBounds(up, 120, 40).top, 461);
}

TEST(MenuMath, TitleBandRunsFromEndToNearlyBegin) {
  const COLORREF black = RGB(0, 0, 0), navy = RGB(0, 0, 128);
  EXPECT_EQ(TitleBandColor(0, black, navy), navy);
  // Each channel E + Round(255 x (B - E + 1) / 256): blue 128 - 127, red and green 0 + 1.
  EXPECT_EQ(TitleBandColor(255, black, navy), RGB(1, 1, 1));
  EXPECT_EQ(TitleBandColor(128, black, navy), RGB(0, 0, 128 - 64));
  EXPECT_EQ(TitleBandColor(255, RGB(255, 255, 255), black), RGB(255, 255, 255));
  EXPECT_EQ(TitleBandSpan(0, 100).Top, 0);
  EXPECT_EQ(TitleBandSpan(0, 100).Bottom, 0);  // Round(100 / 256)
  EXPECT_EQ(TitleBandSpan(255, 100).Bottom, 100);
  EXPECT_EQ(TitleBandSpan(1, 512).Top, 2);
  struct {
    const char* name;
    bool upward;
    int alignment;
    POINT at;
  } rows[] = {
      {"upward, left justify: from the bottom", true, 0, {(50 - 20) / 2 - 2, 190}},
      {"upward, right justify: near the top", true, 1, {13, 110}},
      {"upward, centred", true, 2, {13, (200 + 80) / 2 + 10}},
      {"downward, left justify", false, 0, {(50 + 20) / 2 + 2, 10}},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    POINT p = TitleTextPos(r.upward, r.alignment, 50, 200, 80, 20);
    EXPECT_EQ(p.x, r.at.x);
    EXPECT_EQ(p.y, r.at.y);
  }
}

TEST(MenuMath, HintTexts) {
  struct {
    const char* hint;
    std::vector<std::string> lines;
  } rows[] = {
      {"Open a project", {"Open a project"}},
      {"  First&#13;Second|long text", {"First", "Second"}},
      {"One\rTwo\r\nThree", {"One", "Two", "Three"}},
      {"Mixed&#13;a\rb", {"Mixed", "a", "b"}},
      {"", {""}},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.hint);
    EXPECT_EQ(HintLines(r.hint), r.lines);
  }
  EXPECT_EQ(StatusHintText("short|  Saves the project&#13;now "), "Saves the project now");
  EXPECT_EQ(StatusHintText("Only one part"), "Only one part");
  EXPECT_EQ(StatusHintText("ends in &#1"), "ends in  ");
  EXPECT_EQ(ShortHint("a|b"), "a");
  EXPECT_EQ(LongHint("a|b"), "b");
}

TEST(MenuMath, HintWindowStaysInTheWorkArea) {
  const RECT work{0, 0, 800, 599};
  struct {
    const char* name;
    POINT cursor;
    POINT at;
  } rows[] = {
      {"below the cursor", {100, 100}, {100, 125}},
      {"near the right edge: left of the cursor", {760, 100}, {760 - 120 - 10, 125}},
      {"near the bottom: above it", {100, 590}, {100, 590 + 25 - 30 - 35}},
      {"at the top left corner", {-5, -40}, {1, 1}},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    POINT p = HintWindowPos(r.cursor, {120, 30}, work);
    EXPECT_EQ(p.x, r.at.x);
    EXPECT_EQ(p.y, r.at.y);
  }
}

TEST(MenuMath, NamesAndButtonSizes) {
  struct {
    const char* name;
    const char* resource;
  } rows[] = {{"SaveAll1", "AM_SAVEALL"},
              {"Save all", "AM_SAVEALL"},
              {"&Print Setup...", "AM_PRINTSETUP"},
              {"Printer Setup", "AM_PRINTERSETUP"},
              {"SYSTEMCLOSE", "AM_SYSTEMCLOSE"},
              {"\xe4" "bc", "AM_BC"}};
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ItemBitmapName(r.name), r.resource);
  }
  EXPECT_EQ(StripAccelerators("&File"), "File");
  EXPECT_EQ(StripAccelerators("Save && Exit"), "Save & Exit");
  EXPECT_EQ(MenuButtonSize(30, 13, 0, false, false).cx, 46);
  EXPECT_EQ(MenuButtonSize(30, 13, 16, false, false).cx, 62);
  EXPECT_EQ(MenuButtonSize(30, 13, 0, false, false).cy, 19);
  EXPECT_EQ(MenuButtonSize(30, 13, 0, false, true).cx, 19);
  EXPECT_EQ(MenuButtonSize(30, 13, 0, true, false).cx, 20);
  TBarShape docked;
  EXPECT_EQ(MenuButtonPopupPoint(10, 0, 40, 19, docked).y, 19);
  TBarShape side;
  side.DockedVertical = true;
  EXPECT_EQ(MenuButtonPopupPoint(0, 10, 19, 40, side).x, 19);
  TBarShape floating;
  floating.Floating = true;
  floating.BarWidth = 60;
  floating.BarHeight = 100;
  EXPECT_EQ(MenuButtonPopupPoint(0, 20, 40, 19, floating).x, 40);
}
