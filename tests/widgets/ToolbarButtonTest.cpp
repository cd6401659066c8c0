// The toolbar button's state machine, groups, repeat, hot tracking and
// menus, driven through the form as the mouse would; its look read back
// from memory bitmaps.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "KitTestSupport.h"
#include "ToolKit.h"

using namespace kit;

namespace {
using S = TButtonState;

struct TButtons : TKitForm {
  TToolbarButton* Add(int x, int y, int w = 40, int h = 24) {
    auto* b = new TToolbarButton(form.get());
    b->SetParent(form.get());
    b->SetBounds(x, y, w, h);
    return b;
  }
};

// A menu that records where it opened instead of tracking modally.
class TRecordingMenu : public TButtonPopupMenu {
public:
  using TButtonPopupMenu::TButtonPopupMenu;
  HMENU MenuHandle() override { return nullptr; }
  void Popup(int x, int y) override {
    Opened.push_back({x, y});
    Alignments.push_back(Alignment);
    if (WhileOpen) WhileOpen();
  }
  std::vector<POINT> Opened;
  std::vector<TPopupAlignment> Alignments;
  std::function<void()> WhileOpen;
};

class TSideForm : public TForm, public IDropdownSide {
public:
  using TForm::TForm;
  TDropdownSide DropdownSide() const override { return side; }
  TDropdownSide side = TDropdownSide::dsBelow;
};

std::unique_ptr<TBitmap> Painted(TToolbarButton* b) {
  auto bmp = std::make_unique<TBitmap>(b->Width(), b->Height());
  Fill(*bmp, kMarker);
  b->PaintTo(bmp->Canvas(), 0, 0);
  return bmp;
}
}  // namespace

TEST(ToolbarButton, NewButtonDefaults) {
  TToolbarButton b(nullptr);
  EXPECT_EQ(b.Width(), 22);
  EXPECT_EQ(b.Height(), 23);
  EXPECT_TRUE(b.Flat());
  EXPECT_EQ(b.Spacing(), 4);
  EXPECT_EQ(b.Margin(), -1);
  EXPECT_EQ(b.RepeatDelay(), 400);
  EXPECT_EQ(b.RepeatInterval(), 100);
  EXPECT_TRUE(b.DropdownArrow());
  EXPECT_EQ(b.State(), S::bsUp);
  EXPECT_TRUE(b.Opaque());
}

TEST(ToolbarButton, PressMoveAndReleaseStates) {
  TButtons f;
  auto* b = f.Add(10, 10);
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  struct {
    const char* name;
    POINT releaseAt;
    int clicks;
  } rows[] = {{"release inside clicks", {20, 12}, 1}, {"release outside does not", {60, 12}, 0}};
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    clicks = 0;
    f.Move(b, 5, 5);
    EXPECT_TRUE(b->MouseInControl());
    EXPECT_EQ(b->State(), S::bsHot);
    f.Press(b, 5, 5);
    EXPECT_EQ(b->State(), S::bsDown);
    EXPECT_TRUE(b->MouseIsDown());
    f.Move(b, 60, 12, true);
    EXPECT_EQ(b->State(), S::bsUp) << "moved out while held";
    f.Move(b, 6, 6, true);
    EXPECT_EQ(b->State(), S::bsDown) << "moved back in";
    f.Move(b, row.releaseAt.x, row.releaseAt.y, true);
    f.Release(b, row.releaseAt.x, row.releaseAt.y);
    EXPECT_EQ(clicks, row.clicks);
    EXPECT_FALSE(b->MouseIsDown());
    bool inside = row.releaseAt.x < 40;
    EXPECT_EQ(b->State(), inside ? S::bsHot : S::bsUp);
    EXPECT_EQ(b->MouseInControl(), inside);
  }
}

TEST(ToolbarButton, GroupWithoutAllowAllUp) {
  TButtons f;
  TToolbarButton* g[3];
  int clicks[3] = {};
  for (int i = 0; i < 3; ++i) {
    g[i] = f.Add(10 + 45 * i, 10);
    g[i]->SetGroupIndex(1);
    g[i]->OnClick = [&clicks, i](TComponent*) { ++clicks[i]; };
  }
  f.ClickAt(g[0], 5, 5);
  EXPECT_TRUE(g[0]->Down());
  EXPECT_EQ(g[0]->State(), S::bsExclusive);
  f.ClickAt(g[0], 5, 5);
  EXPECT_TRUE(g[0]->Down()) << "the down button stays down";
  EXPECT_EQ(clicks[0], 2) << "and still clicks";
  f.ClickAt(g[1], 5, 5);
  EXPECT_TRUE(g[1]->Down());
  EXPECT_FALSE(g[0]->Down());
  EXPECT_EQ(g[0]->State(), S::bsUp);
  g[1]->SetDown(false);
  EXPECT_TRUE(g[1]->Down()) << "Down cannot raise it either";
  g[2]->SetDown(true);
  EXPECT_TRUE(g[2]->Down());
  EXPECT_FALSE(g[1]->Down());
}

TEST(ToolbarButton, AllowAllUpIsSharedByTheGroup) {
  TButtons f;
  auto* a = f.Add(10, 10);
  auto* b = f.Add(60, 10);
  auto* other = f.Add(110, 10);
  for (auto* x : {a, b}) x->SetGroupIndex(3);
  other->SetGroupIndex(4);
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  EXPECT_FALSE(other->AllowAllUp());
  f.ClickAt(a, 5, 5);
  EXPECT_TRUE(a->Down());
  f.ClickAt(a, 5, 5);
  EXPECT_FALSE(a->Down()) << "raised by a second click";
  EXPECT_FALSE(b->Down());
}

TEST(ToolbarButton, DownNeedsAGroup) {
  TToolbarButton b(nullptr);
  b.SetDown(true);
  EXPECT_FALSE(b.Down());
}

TEST(ToolbarButton, DisabledButtonIsNeverHot) {
  TButtons f;
  auto* b = f.Add(10, 10);
  b->SetEnabled(false);
  f.Move(b, 5, 5);
  b->StartHotTracking();
  EXPECT_FALSE(b->MouseInControl());
  Painted(b);
  EXPECT_EQ(b->State(), S::bsDisabled);
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  f.ClickAt(b, 5, 5);
  EXPECT_EQ(clicks, 0);
  b->SetEnabled(true);
  Painted(b);
  EXPECT_EQ(b->State(), S::bsUp);
}

TEST(ToolbarButton, HotTrackingStopsWhenTheCursorLeaves) {
  TButtons f;
  auto* b = f.Add(10, 10);
  int enter = 0, exit = 0;
  b->OnMouseEnter = [&](TComponent*) { ++enter; };
  b->OnMouseExit = [&](TComponent*) { ++exit; };
  f.Move(b, 5, 5);
  EXPECT_EQ(TToolbarButton::TrackedButton(), b);
  ASSERT_NE(TToolbarButton::HotTrackTimer(), nullptr);
  EXPECT_EQ(TToolbarButton::HotTrackTimer()->Interval(), 125u);
  EXPECT_TRUE(TToolbarButton::HotTrackTimer()->Enabled());
  EXPECT_EQ(enter, 1);
  f.Move(b, 6, 6);
  EXPECT_EQ(enter, 1) << "once per entry";
  TKitForm::CursorAway();
  f.robot.FireTimer(TToolbarButton::HotTrackTimer()->Handle(), TTimer::kTimerId);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(b->State(), S::bsUp);
  EXPECT_EQ(exit, 1);
  EXPECT_EQ(TToolbarButton::TrackedButton(), nullptr);
  EXPECT_FALSE(TToolbarButton::HotTrackTimer()->Enabled());
}

TEST(ToolbarButton, InactiveApplicationShowsNoHotBorder) {
  TButtons f;
  auto* b = f.Add(10, 10);
  auto* loyal = f.Add(60, 10);
  loyal->SetShowBorderWhenInactive(true);
  TKitForm::SetAppActive(false);
  f.Move(b, 5, 5);
  EXPECT_FALSE(b->MouseInControl());
  f.Move(loyal, 5, 5);
  EXPECT_TRUE(loyal->MouseInControl());
  TKitForm::SetAppActive(true);
  f.Move(b, 5, 5);
  EXPECT_TRUE(b->MouseInControl());
  TKitForm::SetAppActive(false);
  EXPECT_FALSE(b->MouseInControl()) << "deactivation stops hot tracking";
}

TEST(ToolbarButton, RepeatingFiresAtOnceThenOnTheTimer) {
  TButtons f;
  auto* b = f.Add(10, 10);
  b->SetRepeating(true);
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  f.Press(b, 5, 5);
  EXPECT_EQ(clicks, 1);
  TTimer* t = b->RepeatTimer();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Interval(), 400u);
  f.robot.FireTimer(t->Handle(), TTimer::kTimerId);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(t->Interval(), 100u);
  f.robot.FireTimer(t->Handle(), TTimer::kTimerId);
  EXPECT_EQ(clicks, 3);
  f.Move(b, 80, 5, true);
  f.robot.FireTimer(t->Handle(), TTimer::kTimerId);
  EXPECT_EQ(clicks, 3) << "paused outside";
  EXPECT_FALSE(t->Enabled());
  f.Move(b, 5, 5, true);
  EXPECT_TRUE(t->Enabled());
  f.robot.FireTimer(t->Handle(), TTimer::kTimerId);
  EXPECT_EQ(clicks, 4);
  f.Release(b, 5, 5);
  EXPECT_EQ(clicks, 4) << "no extra click on release";
  EXPECT_EQ(b->RepeatTimer(), nullptr);
}

TEST(ToolbarButton, ClickHandlerMayFreeItsButton) {
  TButtons f;
  struct {
    const char* name;
    bool repeating;
  } rows[] = {{"plain click", false}, {"repeated click", true}};
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    auto* b = f.Add(10, 10);
    b->SetRepeating(row.repeating);
    int count = f.form->ControlCount();
    bool freed = false;
    if (row.repeating) {
      f.Press(b, 5, 5);
      b->OnClick = [&](TComponent* s) {
        delete s;
        freed = true;
      };
      HWND timer = b->RepeatTimer()->Handle();
      f.robot.FireTimer(timer, TTimer::kTimerId);
      // The freed button's timer is stopped: a tick already queued for it
      // reaches no button.
      SendMessageA(timer, WM_TIMER, TTimer::kTimerId, 0);
      f.Release(f.form.get(), 15, 15);
    } else {
      b->OnClick = [&](TComponent* s) {
        delete s;
        freed = true;
      };
      f.ClickAt(b, 5, 5);
    }
    EXPECT_TRUE(freed);
    EXPECT_EQ(f.form->ControlCount(), count - 1);
    Application().ProcessMessages();
  }
}

TEST(ToolbarButton, DropdownComboWidth) {
  struct {
    int widthBefore, widthAfter;
  } rows[] = {{40, 29}, {12, 1}, {5, 1}, {13, 2}};
  for (auto row : rows) {
    TToolbarButton b(nullptr);
    b.SetDropdownCombo(true);
    EXPECT_EQ(b.Width(), 22 + 11);
    b.SetWidth(row.widthBefore);
    b.SetDropdownCombo(false);
    EXPECT_EQ(b.Width(), row.widthAfter) << row.widthBefore;
  }
}

TEST(ToolbarButton, MenuOpensOnPressOfTheArrowPart) {
  TButtons f;
  auto* menu = new TRecordingMenu(f.form.get());
  auto* b = f.Add(10, 10, 40, 24);
  b->SetDropdownMenu(menu);
  b->SetDropdownCombo(true);
  ASSERT_EQ(b->Width(), 51);
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  f.Press(b, 45, 5);
  ASSERT_EQ(menu->Opened.size(), 1u) << "opened on the press";
  POINT below = b->ClientToScreen({0, b->Height()});
  EXPECT_EQ(menu->Opened[0].x, below.x);
  EXPECT_EQ(menu->Opened[0].y, below.y);
  EXPECT_EQ(menu->PopupComponent, b);
  f.Release(b, 45, 5);
  EXPECT_EQ(clicks, 0);
  f.Press(b, 5, 5);
  EXPECT_EQ(menu->Opened.size(), 1u);
  EXPECT_EQ(clicks, 0);
  f.Release(b, 5, 5);
  EXPECT_EQ(clicks, 1) << "the main part clicks on release";
}

TEST(ToolbarButton, PlainMenuButtonOpensOnPressAndFollowsTheDockSide) {
  TRobot robot;
  auto form = std::make_unique<TSideForm>(nullptr);
  form->SetBounds(100, 100, 300, 200);
  form->Show();
  auto* menu = new TRecordingMenu(form.get());
  auto* b = new TToolbarButton(form.get());
  b->SetParent(form.get());
  b->SetBounds(20, 30, 40, 24);
  b->SetDropdownMenu(menu);
  menu->Alignment = TPopupAlignment::paCenter;
  struct {
    TDropdownSide side;
    POINT at;
    TPopupAlignment alignment;
  } rows[] = {{TDropdownSide::dsBelow, {0, 24}, TPopupAlignment::paLeft},
              {TDropdownSide::dsRight, {40, 0}, TPopupAlignment::paLeft},
              {TDropdownSide::dsLeft, {0, 0}, TPopupAlignment::paRight}};
  for (auto row : rows) {
    form->side = row.side;
    menu->Opened.clear();
    menu->Alignments.clear();
    POINT s = b->ClientToScreen({5, 5});
    SetCursorPos(s.x, s.y);
    form->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
    form->Perform(WM_LBUTTONUP, 0, MAKELPARAM(25, 35));
    ASSERT_EQ(menu->Opened.size(), 1u);
    POINT expected = b->ClientToScreen(row.at);
    EXPECT_EQ(menu->Opened[0].x, expected.x);
    EXPECT_EQ(menu->Opened[0].y, expected.y);
    EXPECT_EQ(menu->Alignments[0], row.alignment);
    EXPECT_EQ(menu->Alignment, TPopupAlignment::paCenter) << "restored afterwards";
  }
  form.reset();
}

TEST(ToolbarButton, ClickThatClosesTheMenuDoesNotReopenIt) {
  TButtons f;
  auto* menu = new TRecordingMenu(f.form.get());
  auto* b = f.Add(10, 10);
  auto* other = f.Add(100, 10);
  b->SetDropdownMenu(menu);
  HWND wnd = f.form->Handle();
  menu->WhileOpen = [&] {
    // The clicks that ended the menu: one on this button, one elsewhere.
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(105, 15));
  };
  b->Click();
  EXPECT_EQ(menu->Opened.size(), 1u);
  MSG msg;
  std::vector<POINT> left;
  while (PeekMessageA(&msg, wnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE))
    left.push_back({GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].x, 105) << "the other click is kept";
  (void)other;
}

TEST(ToolbarButton, DestroyedMenuLeavesAPlainButton) {
  TButtons f;
  auto* menu = new TRecordingMenu(f.form.get());
  auto* b = f.Add(10, 10);
  b->SetDropdownMenu(menu);
  EXPECT_EQ(DropdownList().MenuCount(), 1);
  EXPECT_NE(DropdownList().Handle(), nullptr);
  delete menu;
  EXPECT_EQ(b->DropdownMenu(), nullptr);
  EXPECT_EQ(DropdownList().MenuCount(), 0);
  EXPECT_EQ(DropdownList().Handle(), nullptr);
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  f.ClickAt(b, 5, 5);
  EXPECT_EQ(clicks, 1);
}

TEST(ToolbarButton, AcceleratorClicks) {
  TButtons f;
  auto* b = f.Add(10, 10, 60, 24);
  b->SetCaption("&Build");
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  EXPECT_FALSE(ToolbarButtonsDialogChar(f.form.get(), 'x'));
  EXPECT_TRUE(ToolbarButtonsDialogChar(f.form.get(), 'b'));
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  EXPECT_FALSE(ToolbarButtonsDialogChar(f.form.get(), 'B'));
  EXPECT_EQ(AccelChar("a&&b"), 0);
  EXPECT_EQ(AccelChar("Save &as"), 'A');
}

TEST(ToolbarButton, ModalResultGoesToTheForm) {
  TButtons f;
  auto* b = f.Add(10, 10);
  b->SetModalResult(mrOk);
  f.ClickAt(b, 5, 5);
  EXPECT_EQ(f.form->ModalResult(), mrOk);
}

TEST(ToolbarButton, BorderFollowsFlatHotAndPressed) {
  TButtons f;
  auto* b = f.Add(10, 10, 30, 24);
  COLORREF face = ColorToRGB(f.form->Color()), hi = Sys(COLOR_BTNHIGHLIGHT), sh = Sys(COLOR_BTNSHADOW);
  struct {
    const char* name;
    bool flat, hot, down;
    COLORREF topLeft, bottomRight;
  } rows[] = {
      {"flat, up: no border", true, false, false, face, face},
      {"flat, hot: raised", true, true, false, hi, sh},
      {"flat, pressed: sunken", true, true, true, sh, hi},
      {"not flat, up: raised soft", false, false, false, hi, Sys(COLOR_3DDKSHADOW)},
      {"not flat, pressed: sunken soft", false, true, true, Sys(COLOR_3DDKSHADOW), hi},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    b->SetFlat(row.flat);
    TKitForm::CursorAway();
    b->StopHotTracking();
    if (row.hot) f.Move(b, 5, 5);
    if (row.down) f.Press(b, 5, 5);
    auto bmp = Painted(b);
    EXPECT_EQ(bmp->Pixel(0, 0), row.topLeft);
    EXPECT_EQ(bmp->Pixel(29, 23), row.bottomRight);
    if (row.down) f.Release(b, 5, 5);
  }
}

TEST(ToolbarButton, LatchedButtonShowsThePattern) {
  TButtons f;
  auto* b = f.Add(10, 10, 30, 24);
  b->SetGroupIndex(1);
  b->SetDown(true);
  TKitForm::CursorAway();
  auto bmp = Painted(b);
  COLORREF face = Sys(COLOR_BTNFACE), hi = Sys(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(bmp->Pixel(2, 2), hi);
  EXPECT_EQ(bmp->Pixel(3, 2), face);
  EXPECT_EQ(bmp->Pixel(0, 0), Sys(COLOR_BTNSHADOW)) << "sunken";
}

TEST(ToolbarButton, DescriptionPlacesItByClassName) {
  RegisterClass(TToolbarButton::ClassInfo());
  TRobot robot;
  TForm form(nullptr);
  form.LoadDescription(R"(
object F: TForm
  object B1: TToolbarButton
    Left = 4  Top = 2  Width = 60  Height = 22
    Caption = 'Add'
    GroupIndex = 2
    Down = True
    Layout = blGlyphTop
    Margin = 3
    Repeating = True
    DisplayMode = dmTextOnly
  end
end)");
  auto* b = dynamic_cast<TToolbarButton*>(form.FindComponent("B1"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Caption(), "Add");
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->Layout(), TButtonLayout::blGlyphTop);
  EXPECT_EQ(b->Margin(), 3);
  EXPECT_TRUE(b->Repeating());
  EXPECT_EQ(b->DisplayMode(), TButtonDisplayMode::dmTextOnly);
}

// A button held down that loses the mouse (a box opens, another window
// captures) is drawn up again and runs no click.
TEST(ToolbarButton, LosingTheMouseWhileHeldRaisesIt) {
  enum TLoss { kCancelMode, kOtherWindowCaptures };
  for (TLoss loss : {kCancelMode, kOtherWindowCaptures}) {
    SCOPED_TRACE(loss == kCancelMode ? "cancel mode" : "another window captures");
    TButtons f;
    auto* b = f.Add(10, 10);
    int clicks = 0;
    b->OnClick = [&](TComponent*) { ++clicks; };
    f.Move(b, 5, 5);
    f.Press(b, 5, 5);
    ASSERT_EQ(b->State(), S::bsDown);
    TForm elsewhere(nullptr);
    if (loss == kCancelMode) SendMessageA(f.form->Handle(), WM_CANCELMODE, 0, 0);
    else SetCapture(elsewhere.Handle());
    EXPECT_FALSE(b->MouseIsDown());
    EXPECT_EQ(b->State(), S::bsUp);
    EXPECT_FALSE(b->MouseInControl());
    ReleaseCapture();
    f.Release(b, 5, 5);
    EXPECT_EQ(clicks, 0);
  }
}

// An item selected in a button's menu shows its hint as the application's
// hint (the status line's text), and an item without one clears it.
TEST(ToolbarButton, MenuSelectionSetsTheApplicationHint) {
  class THintMenu : public TRecordingMenu {
  public:
    using TRecordingMenu::TRecordingMenu;
    bool FindItemHint(UINT_PTR item, bool byHandle, std::string& hint) override {
      if (byHandle || item != 7) return false;
      hint = "Opens a file";
      return true;
    }
  };
  TButtons f;
  auto* menu = new THintMenu(f.form.get());
  f.Add(10, 10)->SetDropdownMenu(menu);
  Application().SetHint("");
  SendMessageA(DropdownList().Handle(), WM_MENUSELECT, MAKEWPARAM(7, 0), 0);
  EXPECT_EQ(Application().Hint(), "Opens a file");
  EXPECT_EQ(DropdownList().Hint(), "Opens a file");
  SendMessageA(DropdownList().Handle(), WM_MENUSELECT, MAKEWPARAM(8, 0), 0);
  EXPECT_EQ(Application().Hint(), "");
}
