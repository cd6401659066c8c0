// The animated popup menu: opening and closing in steps of a fake clock,
// painting, selection by mouse and keyboard, submenus, commands, and the
// faults it must not have.
#include <gtest/gtest.h>

#include "MenuGlyphs.h"
#include "MenuTestSupport.h"

using namespace menutest;

namespace {
using TPopupFixture = TShown<TPopupForm>;

TAnimPopupForm* OpenPopup(TPopupFixture& f, int x = 200, int y = 150) {
  f.form->PopupMenu1->PopupComponent = nullptr;
  f.form->PopupMenu1->Popup(x, y);
  return f.form->PopupMenu1->PopupForm();
}

COLORREF RGBOf(TColor c) { return ColorToRGB(c); }

int seenByNextHook = 0;
LRESULT CALLBACK CountingHook(int code, WPARAM wp, LPARAM lp) {
  if (code >= 0 && wp == PM_REMOVE) ++seenByNextHook;
  return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

TEST(AnimPopup, OpensInTheStepsOfEachKind) {
  struct {
    const char* name;
    TAnimation kind;
    TAnimation resolved;
  } rows[] = {{"vertical slide", TAnimation::anVSlide, TAnimation::anVSlide},
              {"horizontal slide", TAnimation::anHSlide, TAnimation::anHSlide},
              {"unfold", TAnimation::anUnfold, TAnimation::anUnfold},
              {"smart opens vertically", TAnimation::anSmart, TAnimation::anVSlide},
              {"popup unfolds", TAnimation::anPopup, TAnimation::anUnfold},
              {"none: no frames", TAnimation::anNone, TAnimation::anNone}};
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    TPopupFixture f;
    f.form->PopupMenu1->Options().OpenAnimation = row.kind;
    TAnimPopupForm* level = OpenPopup(f);
    ASSERT_TRUE(IsMenuOpen(f.form->PopupMenu1));
    EXPECT_EQ(ActivePopup(), f.form->PopupMenu1);
    const TOptions& o = f.form->PopupMenu1->Options();
    TAnimSteps steps = AnimationSteps(level->Width(), level->Height(), o.ItemHeight, o.DoubleSpeed, row.resolved);
    // Every frame keeps the Timeout; the last size is the full one.
    size_t frames = 0;
    for (int w = AnimationStartSize(level->Width(), level->Height(), row.resolved).cx,
             h = AnimationStartSize(level->Width(), level->Height(), row.resolved).cy;
         w < level->Width() || h < level->Height(); ++frames) {
      w = std::min(level->Width(), w + steps.HStep);
      h = std::min(level->Height(), h + steps.VStep);
    }
    EXPECT_EQ(f.clock.sleeps.size(), frames);
    for (DWORD s : f.clock.sleeps) EXPECT_EQ(s, static_cast<DWORD>(o.Timeout));
    EXPECT_EQ(f.robot.Sounds, std::vector<std::string>{"MenuPopup"});
    EXPECT_EQ(level->Left(), 200);
    EXPECT_EQ(level->Top(), 150);
    EXPECT_TRUE(MenuCaretHidden());
  }
}

TEST(AnimPopup, MeasuresItsRows) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  ASSERT_EQ(level->RowCount(), 6);
  const TOptions& o = f.form->PopupMenu1->Options();
  // Five text rows and one separator, 6 pixels of frame.
  EXPECT_EQ(level->Height(), 5 * o.ItemHeight + o.SeparatorHeight + 6);
  EXPECT_EQ(level->Height(), level->ItemsHeight() + 6);
  EXPECT_EQ(level->Width(), level->ItemsWidth() + 2 * o.Indent + 10);
  EXPECT_EQ(level->RowItem(2)->Name(), "Sep1");
  EXPECT_EQ(level->RowAt(RowPoint(level, 4).x, RowPoint(level, 4).y), 4);
}

TEST(AnimPopup, CloseShrinksBackAndFiresOnMenuClose) {
  TPopupFixture f;
  std::vector<std::string> closes;
  f.form->PopupMenu1->OnMenuClose = [&](TComponent*, TMenuItem* item) { closes.push_back(item ? item->Name() : "-"); };
  TAnimPopupForm* level = OpenPopup(f);
  level->SelectItem(1);
  f.clock.sleeps.clear();
  EXPECT_TRUE(level->AnimateClose());
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));
  EXPECT_FALSE(f.clock.sleeps.empty());
  EXPECT_EQ(closes, std::vector<std::string>{"Copy1"});
  EXPECT_EQ(level->Selected(), -1);
}

TEST(AnimPopup, PaintsTitleHighlightSeparatorAndPictures) {
  TPopupFixture f;
  TOptions& o = f.form->PopupMenu1->Options();
  o.Title.Visible = true;
  o.Title.Width = 18;
  o.Title.ColorBegin = o.Title.ColorEnd = clRed;
  TAnimPopupForm* level = OpenPopup(f);
  const TBitmap& bmp = level->Canvas();
  const int T = 18;
  // The band from (2, 2), 18 wide.
  EXPECT_EQ(bmp.Pixel(2, 10), RGB(255, 0, 0));
  EXPECT_EQ(bmp.Pixel(19, level->Height() - 3), RGB(255, 0, 0));
  EXPECT_NE(bmp.Pixel(20, 10), RGB(255, 0, 0));

  level->SelectItem(0);
  int row0 = o.ItemSpace + kFirstRowOffset;
  EXPECT_EQ(bmp.Pixel(level->Width() - 6, row0 + 2), RGBOf(o.Colors.Highlight));
  // The separator's two lines.
  int sepTop = row0 + 2 * o.ItemHeight;
  EXPECT_EQ(bmp.Pixel(T + 10, sepTop + 3), RGBOf(o.Colors.Line));
  EXPECT_EQ(bmp.Pixel(T + 10, sepTop + 4), RGBOf(o.Colors.LineShadow));
  // "Copy1" finds AM_COPY: its outline is drawn beside the caption.
  int row1 = row0 + o.ItemHeight;
  bool picture = false;
  for (int y = row1 + 2; y < row1 + 18; ++y)
    for (int x = T + 5; x < T + 21; ++x) picture = picture || bmp.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(picture);
  // The checked row: its sunken square holds the check mark.
  int rowChecked = sepTop + o.SeparatorHeight + 2 * o.ItemHeight;
  bool mark = false;
  for (int y = rowChecked + 2; y < rowChecked + 18; ++y)
    for (int x = T + 5; x < T + 21; ++x) mark = mark || bmp.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(mark);
  EXPECT_EQ(bmp.Pixel(T + 3, rowChecked), GetSysColor(COLOR_BTNSHADOW));
}

TEST(AnimPopup, DisabledRowLooksByHowItWasReached) {
  TPopupFixture f;
  TColors& colors = f.form->PopupMenu1->Options().Colors;
  colors.Menu = clSilver;
  colors.Highlight = clNavy;
  colors.DisabledShadow = clLime;
  colors.DisabledText = clMaroon;
  TAnimPopupForm* level = OpenPopup(f);
  const TOptions& o = f.form->PopupMenu1->Options();
  const TBitmap& bmp = level->Canvas();
  POINT p = RowPoint(level, 3);
  int top = p.y - o.ItemHeight / 2;
  auto count = [&](COLORREF c) {
    int n = 0;
    for (int y = top; y < top + o.ItemHeight; ++y)
      for (int x = o.Indent; x < level->Width() - 4; ++x) n += bmp.Pixel(x, y) == c;
    return n;
  };
  // By the keyboard: the bar and no shadow.
  level->SelectItem(2);
  ASSERT_EQ(level->Selected(), 3);
  EXPECT_GT(count(RGBOf(o.Colors.Highlight)), 0);
  EXPECT_EQ(count(RGBOf(o.Colors.DisabledShadow)), 0);
  // By the mouse: no bar, and the shadow.
  MouseTo(level, WM_MOUSEMOVE, 5, 5);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  ASSERT_EQ(level->Selected(), 3);
  EXPECT_EQ(count(RGBOf(o.Colors.Highlight)), 0);
  EXPECT_GT(count(RGBOf(o.Colors.DisabledShadow)), 0);
}

TEST(AnimPopup, MouseSelectsRowsButNotOnJitter) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  POINT r0 = RowPoint(level, 0);
  const int h = f.form->PopupMenu1->Options().ItemHeight;
  MouseTo(level, WM_MOUSEMOVE, r0.x, r0.y);
  EXPECT_EQ(level->Selected(), 0);
  EXPECT_TRUE(level->Timer()->Enabled());
  // The last pixel of row 0, then 2 pixels down into row 1: jitter.
  MouseTo(level, WM_MOUSEMOVE, r0.x, r0.y + h / 2);
  MouseTo(level, WM_MOUSEMOVE, r0.x, r0.y + h / 2 + 2);
  EXPECT_EQ(level->Selected(), 0);
  MouseTo(level, WM_MOUSEMOVE, r0.x, r0.y + h / 2 + 3);
  EXPECT_EQ(level->Selected(), 1);
}

TEST(AnimPopup, ChoosingAnItemClosesAndRunsItOnce) {
  struct {
    const char* name;
    int row;
    std::vector<std::string> log;
    bool open;
  } rows[] = {
      {"an item: command, then its click", 1, {"command Copy1", "click Copy1"}, false},
      {"a separator does nothing", 2, {}, true},
      {"a disabled item does nothing", 3, {}, true},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    TPopupFixture f;
    TAnimPopupForm* level = OpenPopup(f);
    POINT p = RowPoint(level, row.row);
    MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
    MouseTo(level, WM_LBUTTONUP, p.x, p.y);
    EXPECT_EQ(f.form->log, row.log);
    EXPECT_EQ(IsMenuOpen(f.form->PopupMenu1), row.open);
    if (!row.open) {
      EXPECT_EQ(f.robot.Sounds.back(), "MenuCommand");
      EXPECT_EQ(ActivePopup(), nullptr);
      EXPECT_FALSE(MenuCaretHidden());
    }
  }
}

TEST(AnimPopup, SubmenuOpensBesideItsRowAfterTheDelay) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  POINT p = RowPoint(level, 4);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  EXPECT_EQ(level->ChildLevel(), nullptr);
  f.FireTimer(level->Timer());
  TAnimPopupForm* child = level->ChildLevel();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->RootItem(), f.form->More1);
  EXPECT_EQ(child->RowCount(), 2);
  EXPECT_EQ(child->Left(), level->Left() + level->Width() - 7);
  EXPECT_EQ(child->Top(), level->Top() + level->SelectedItemTop());
  EXPECT_EQ(InnermostPopupForm(), child);
  // Choosing in the submenu closes the whole chain.
  POINT q = RowPoint(child, 0);
  MouseTo(child, WM_MOUSEMOVE, q.x, q.y);
  MouseTo(child, WM_LBUTTONUP, q.x, q.y);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"command Sub1", "click Sub1"}));
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));
  EXPECT_EQ(level->ChildLevel(), nullptr);
}

TEST(AnimPopup, KeysReachTheInnermostLevelOnce) {
  struct {
    const char* name;
    std::vector<WPARAM> keys;
    int selected;
    std::vector<std::string> log;
    bool open;
  } rows[] = {
      {"down selects the first row", {VK_DOWN}, 0, {}, true},
      {"down skips the separator", {VK_DOWN, VK_DOWN, VK_DOWN}, 3, {}, true},
      {"up from the first wraps to the last", {VK_DOWN, VK_UP}, 5, {}, true},
      {"enter runs the selected item", {VK_DOWN, VK_DOWN, VK_RETURN}, -1, {"command Copy1", "click Copy1"}, false},
      {"escape closes", {VK_DOWN, VK_ESCAPE}, -1, {}, false},
      {"an accelerator runs only the click", {'C'}, -1, {"click Copy1"}, false},
      {"the accelerator of a disabled item does nothing", {'D'}, -1, {}, true},
      {"shift does nothing", {VK_SHIFT}, -1, {}, true},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    TPopupFixture f;
    TAnimPopupForm* level = OpenPopup(f);
    for (WPARAM key : row.keys) Press(key);
    EXPECT_EQ(f.form->log, row.log);
    EXPECT_EQ(IsMenuOpen(f.form->PopupMenu1), row.open);
    if (row.open) {
      EXPECT_EQ(level->Selected(), row.selected);
    }
    // Nothing of it reached the edit.
    EXPECT_EQ(f.form->Edit1->Text(), "");
  }
}

TEST(AnimPopup, AcceleratorsOpenSubmenusAndBeepWithoutMatch) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  Press('Q');
  EXPECT_EQ(f.robot.Sounds.back(), "Beep");
  EXPECT_TRUE(IsMenuOpen(f.form->PopupMenu1));
  Press('M');
  ASSERT_NE(level->ChildLevel(), nullptr);
  EXPECT_EQ(level->Selected(), 4);
  // Keys now go to the submenu; Escape closes only it.
  Press('S');
  EXPECT_EQ(f.form->log, std::vector<std::string>{"click Sub1"});
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));

  level = OpenPopup(f);
  Press('M');
  ASSERT_NE(level->ChildLevel(), nullptr);
  Press(VK_ESCAPE);
  EXPECT_EQ(level->ChildLevel(), nullptr);
  EXPECT_TRUE(IsMenuOpen(f.form->PopupMenu1));
}

TEST(AnimPopup, TheTimerClosesMenusWhenTheProgramLosesTheForeground) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  f.FireTimer(level->Timer());
  EXPECT_TRUE(IsMenuOpen(f.form->PopupMenu1));
  f.robot.Foreground = GetDesktopWindow();
  f.FireTimer(level->Timer());
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));
  EXPECT_EQ(ActivePopup(), nullptr);
  EXPECT_FALSE(MenuCaretHidden());
}

TEST(AnimPopup, HintsGoToTheApplicationAndTheHintWindow) {
  TPopupFixture f;
  f.form->PopupMenu1->SetShowHint(true);
  TAnimPopupForm* level = OpenPopup(f);
  POINT p = RowPoint(level, 0);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  EXPECT_EQ(Application().Hint(), "Cut it|Cuts the selection");
  f.FireTimer(level->Timer());
  ASSERT_TRUE(MenuHintWindowExists());
  EXPECT_EQ(MenuHintWindow().Lines(), std::vector<std::string>{"Cut it"});
  EXPECT_TRUE(IsWindowVisible(MenuHintWindow().Handle()));
  // A status bar takes the long hint instead.
  auto* status = new TStatusBar(f.form.get());
  status->SetParent(f.form.get());
  f.form->PopupMenu1->SetStatusBar(status);
  MouseTo(level, WM_MOUSEMOVE, RowPoint(level, 1).x, RowPoint(level, 1).y);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  EXPECT_EQ(status->SimpleText(), "Cuts the selection");
  EXPECT_FALSE(IsWindowVisible(MenuHintWindow().Handle()));
  // With panels the hint goes to the panel of the menu's index, when it has one.
  status->SetSimplePanel(false);
  status->AddPanel(60);
  status->AddPanel(60);
  f.form->PopupMenu1->StatusBarIndex = 1;
  MouseTo(level, WM_MOUSEMOVE, RowPoint(level, 1).x, RowPoint(level, 1).y);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  EXPECT_EQ(status->PanelText(1), "Cuts the selection");
  EXPECT_EQ(status->PanelText(0), "");
  char text[64] = "";
  SendMessageA(status->Handle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Cuts the selection");
  f.form->PopupMenu1->StatusBarIndex = 5;  // past the panels: nothing is written
  MouseTo(level, WM_MOUSEMOVE, RowPoint(level, 1).x, RowPoint(level, 1).y);
  EXPECT_EQ(status->PanelText(0), "");
  EXPECT_EQ(status->PanelText(1), "Cuts the selection");
}

TEST(AnimPopup, EmbeddedControlRowTakesTheControlsSize) {
  TPopupFixture f;
  TAnimPopupForm* form = f.form->PopupMenu1->PopupForm();
  auto* edit = new TEdit(form);
  edit->SetName("Search");
  edit->SetBounds(0, 0, 150, 30);
  auto* row = new TMenuItem(f.form.get());
  row->SetCaption("::Search");
  f.form->PopupMenu1->Items()->Add(row);
  TAnimPopupForm* level = OpenPopup(f);
  const TOptions& o = f.form->PopupMenu1->Options();
  EXPECT_EQ(level->ItemsHeight(), 5 * o.ItemHeight + o.SeparatorHeight + 30);
  EXPECT_GE(level->ItemsWidth(), 150);
  EXPECT_EQ(edit->Parent(), level);
  EXPECT_EQ(edit->Top(), RowTop({{TRowKind::rkText}, {TRowKind::rkText}, {TRowKind::rkSeparator}, {TRowKind::rkText},
                                 {TRowKind::rkText}, {TRowKind::rkText}},
                                o.Metrics(), 6));
}

// Faults the menus must not have.

TEST(AnimPopupFaults, ZeroItemHeightStillOpensAndCloses) {
  TPopupFixture f;
  f.form->PopupMenu1->Options().ItemHeight = 0;
  f.form->PopupMenu1->Options().OpenAnimation = TAnimation::anUnfold;
  TAnimPopupForm* level = OpenPopup(f);
  EXPECT_TRUE(IsMenuOpen(f.form->PopupMenu1));
  EXPECT_LE(f.clock.sleeps.size(), static_cast<size_t>(std::max(level->Width(), level->Height()) + 2));
  EXPECT_TRUE(level->AnimateClose());
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));
}

TEST(AnimPopupFaults, MenuFreedByItsOwnItemIsNotUsedAfterwards) {
  TPopupFixture f;
  TAnimPopupMenu* menu = f.form->PopupMenu1;
  TAnimPopupForm* level = OpenPopup(f);
  TFreeWatch formWatch(level);
  f.form->Copy1->SetOnClick([&](TComponent*) {
    delete menu;
    f.form->PopupMenu1 = nullptr;
    // Messages run inside the handler: the level must survive them.
    Application().ProcessMessages();
  });
  POINT p = RowPoint(level, 1);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  MouseTo(level, WM_LBUTTONUP, p.x, p.y);
  EXPECT_EQ(ActivePopup(), nullptr);
  Application().ProcessMessages();
  EXPECT_FALSE(formWatch.Alive());
}

TEST(AnimPopupFaults, SubmenuReleasedWhileItsHandlerRunsIsNotUsed) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  Press('M');
  TAnimPopupForm* child = level->ChildLevel();
  ASSERT_NE(child, nullptr);
  TFreeWatch childWatch(child);
  f.form->Sub1->SetOnClick([&](TComponent*) { Application().ProcessMessages(); });
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_FALSE(childWatch.Alive());
  EXPECT_FALSE(IsMenuOpen(f.form->PopupMenu1));
}

TEST(AnimPopupFaults, HookActsOnlyOnRemovedMessagesAndPassesAllOn) {
  TPopupFixture f;
  TAnimPopupForm* level = OpenPopup(f);
  // A hook behind ours counts what it is handed.
  seenByNextHook = 0;
  RemoveMenuHook();
  HHOOK next = SetWindowsHookExA(WH_GETMESSAGE, CountingHook, nullptr, GetCurrentThreadId());
  InstallMenuHook();
  PostMessageA(KeyTarget(), WM_KEYDOWN, VK_DOWN, 1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(level->Selected(), -1);
  Application().ProcessMessages();
  EXPECT_EQ(level->Selected(), 0);
  EXPECT_GE(seenByNextHook, 1);
  UnhookWindowsHookEx(next);
}

TEST(AnimPopupFaults, CaretIsShownAsOftenAsHidden) {
  TPopupFixture f;
  OpenPopup(f);
  EXPECT_TRUE(MenuCaretHidden());
  // A second opening over the first hides nothing more.
  OpenPopup(f);
  Press(VK_ESCAPE);
  EXPECT_FALSE(MenuCaretHidden());
  ShowMenuCaret();
  EXPECT_FALSE(MenuCaretHidden());
}

TEST(AnimPopupFaults, GlyphsSmallerThan16ReadOnlyTheirPixels) {
  for (int size : {8, 16, 17}) {
    SCOPED_TRACE(size);
    TBitmap glyph(size, size);
    kit::Fill(glyph, RGB(0, 128, 128));
    kit::Fill(glyph, RGB(0, 0, 0), {0, 0, size, 1});  // top row black
    TBitmap target(40, 40);
    kit::Fill(target, kit::kMarker);
    HBITMAP handle = CopyToHandle(glyph);
    DrawTransparentGlyph(target.Canvas(), 4, 4, handle);
    const int shown = std::min(size, 16);
    for (int x = 0; x < 40; ++x) {
      bool inTopRow = x >= 4 && x < 4 + shown;
      EXPECT_EQ(target.Pixel(x, 4), inTopRow ? RGB(0, 0, 0) : kit::kMarker) << x;
    }
    for (int y = 5; y < 40; ++y) EXPECT_EQ(target.Pixel(6, y), kit::kMarker) << y;
    // Embossed: the dark top row in the shadow colour, its highlight 1 lower.
    DrawEmbossedGlyph(target.Canvas(), 20, 20, handle);
    EXPECT_EQ(target.Pixel(20 + shown - 1, 20), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(target.Pixel(20 + shown, 20), kit::kMarker);
    EXPECT_EQ(target.Pixel(21 + shown, 21), kit::kMarker);
    EXPECT_EQ(target.Pixel(22, 22), kit::kMarker);
    DeleteObject(handle);
  }
}
