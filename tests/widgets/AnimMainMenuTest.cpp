// The menu bar: mirroring the main menu, item changes, its buttons' menus,
// and keyboard sequences through the message hook.
#include <gtest/gtest.h>

#include "MenuTestSupport.h"

using namespace menutest;

namespace {
using TBarFixture = TShown<TBarForm>;

std::vector<std::string> Captions(TAnimMainMenu* bar) {
  std::vector<std::string> v;
  for (TMenuBarButton* b : bar->Buttons()) v.push_back(b->Caption());
  return v;
}

TAnimPopupMenu* MenuOf(TMenuBarButton* b) { return dynamic_cast<TAnimPopupMenu*>(b->DropdownMenu()); }

TMenuBarButton* Button(TBarFixture& f, int i) { return f.form->Bar->Buttons().at(static_cast<size_t>(i)); }

std::string OpenMenuName() {
  TAnimPopupMenu* open = ActivePopup();
  return open && IsMenuOpen(open) && open->RootItem() ? open->RootItem()->Name() : "";
}

std::string HotName() {
  TMenuBarButton* hot = KeyboardHotButton();
  return hot && hot->Item() ? hot->Item()->Name() : "";
}

void Click(TMenuBarButton* b) {
  TWinControl* bar = b->Parent();
  POINT p{b->Left() + b->Width() / 2, b->Top() + b->Height() / 2};
  POINT screen = bar->ClientToScreen(p);
  SetCursorPos(screen.x, screen.y);
  SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

void MoveOver(TMenuBarButton* b, int dx = 0) {
  TWinControl* bar = b->Parent();
  POINT p{b->Left() + b->Width() / 2 + dx, b->Top() + b->Height() / 2};
  POINT screen = bar->ClientToScreen(p);
  SetCursorPos(screen.x, screen.y);
  SendMessageA(bar->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
}
}  // namespace

TEST(AnimMainMenu, MirrorsTheVisibleTopItems) {
  TBarFixture f;
  TAnimMainMenu* bar = f.form->Bar;
  EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&File", "&Edit", "&Help", "&Quit"}));
  EXPECT_EQ(bar->Caption(), "Menu Bar");
  EXPECT_TRUE(bar->FullSize());
  EXPECT_EQ(bar->Options().Timeout, 10);
  // The form's own menu bar is gone and kept.
  EXPECT_EQ(f.form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(f.form->Handle()), nullptr);
  EXPECT_EQ(f.form->SavedMenu(), f.form->MainMenu1);
  // Items with children open menus; others are plain buttons.
  EXPECT_EQ(MenuOf(Button(f, 0))->RootItem(), f.form->File1);
  EXPECT_EQ(Button(f, 3)->DropdownMenu(), nullptr);
  EXPECT_EQ(Button(f, 0)->GroupIndex(), 1);
  // Buttons size themselves to their captions.
  EXPECT_GT(Button(f, 0)->Width(), 16);
  EXPECT_EQ(Button(f, 0)->Top(), 0);
  EXPECT_EQ(FindMenuBarOfItem(f.form->Help1), bar);
  EXPECT_EQ(FindMenuBarOfItem(f.form->About1), nullptr);
  EXPECT_EQ(ActiveMenuBar(), bar);
  EXPECT_THROW(bar->SetMainMenu(nullptr), Exception);
  try {
    bar->SetMainMenu(nullptr);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Value cannot be empty");
  }
}

TEST(AnimMainMenu, ItemChangesKeepTheBarInStep) {
  TBarFixture f;
  TAnimMainMenu* bar = f.form->Bar;
  TMenuBarButton* help = bar->ButtonOfItem(f.form->Help1);
  // A caption of a top item: only its button changes.
  f.form->Help1->SetCaption("&Assistance");
  EXPECT_EQ(bar->ButtonOfItem(f.form->Help1), help);
  EXPECT_EQ(help->Caption(), "&Assistance");
  f.form->Help1->SetEnabled(false);
  EXPECT_FALSE(help->Enabled());
  f.form->Help1->SetDefault(true);
  EXPECT_TRUE(help->Font().Style().Has(TFontStyle::fsBold));
  // Below the top level: no button is touched.
  TMenuBarButton* file = bar->ButtonOfItem(f.form->File1);
  f.form->New1->SetCaption("&Fresh");
  EXPECT_EQ(bar->ButtonOfItem(f.form->File1), file);
  EXPECT_FALSE(bar->Rebuilding());
  // Visibility rebuilds the whole bar.
  f.form->Hidden1->SetVisible(true);
  EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&File", "&Edit", "Hi&dden", "&Assistance", "&Quit"}));
  EXPECT_NE(bar->ButtonOfItem(f.form->Help1), help);
  // Groups show in ascending order.
  f.form->File1->SetGroupIndex(5);
  EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&Edit", "Hi&dden", "&Assistance", "&Quit", "&File"}));
  EXPECT_FALSE(bar->Rebuilding());
  EXPECT_EQ(f.form->Menu(), nullptr);
}

TEST(AnimMainMenu, FreedTopItemLeavesTheBarAndItsMenus) {
  TBarFixture f;
  TAnimMainMenu* bar = f.form->Bar;
  TSubmenuOptions& sub = bar->Submenus().Add();
  sub.SetMenuItem(f.form->Help1);
  auto* bitmaps = new TMenuItemBitmaps(f.form.get());
  bitmaps->SetMenuItem(f.form->Help1);
  Click(bar->ButtonOfItem(f.form->Help1));
  ASSERT_EQ(OpenMenuName(), "Help1");
  delete f.form->Help1;
  f.form->Help1 = nullptr;
  Application().ProcessMessages();
  EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&File", "&Edit", "&Quit"}));
  EXPECT_EQ(ActivePopup(), nullptr);
  EXPECT_EQ(sub.MenuItem(), nullptr);
  EXPECT_EQ(bitmaps->MenuItem(), nullptr);
  EXPECT_EQ(GetMenuItemCount(f.form->MainMenu1->Handle()), 3);
}

TEST(AnimMainMenu, ButtonClickOpensItsMenuBelowIt) {
  TBarFixture f;
  TMenuBarButton* file = Button(f, 0);
  Click(file);
  ASSERT_EQ(OpenMenuName(), "File1");
  EXPECT_TRUE(file->Down());
  TAnimPopupForm* level = MenuOf(file)->PopupForm();
  POINT below = file->ClientToScreen({0, file->Height()});
  EXPECT_EQ(level->Left(), below.x);
  EXPECT_EQ(level->Top(), below.y);
  EXPECT_EQ(MenuOf(file)->PopupComponent, file);
  // A second click closes it.
  Click(file);
  EXPECT_EQ(OpenMenuName(), "");
  EXPECT_FALSE(file->Down());
  // A button without children runs its item's handler, the button sending.
  Click(Button(f, 3));
  EXPECT_EQ(f.form->log, std::vector<std::string>{"click "});
  EXPECT_EQ(f.robot.Sounds.back(), "MenuCommand");
}

TEST(AnimMainMenu, MovingToANeighbourOpensItsMenuButJitterDoesNot) {
  TBarFixture f;
  Click(Button(f, 0));
  ASSERT_EQ(OpenMenuName(), "File1");
  MoveOver(Button(f, 0), 1);
  MoveOver(Button(f, 0), 2);
  EXPECT_EQ(OpenMenuName(), "File1");
  MoveOver(Button(f, 1));
  MoveOver(Button(f, 1), 4);
  EXPECT_EQ(OpenMenuName(), "Edit2");
  EXPECT_FALSE(Button(f, 0)->Down());
  EXPECT_TRUE(Button(f, 1)->Down());
}

TEST(AnimMainMenu, KeyboardSequences) {
  enum TStep { kTapAlt, kF10, kAltF, kAltH, kAltZ, kRight, kLeft, kDown, kEnter, kEsc, kLetterH, kLetterZ, kCtrlN };
  struct {
    const char* name;
    std::vector<TStep> steps;
    std::string hot, open;
    bool menuMode;
    std::vector<std::string> log;
    bool beep;
  } rows[] = {
      {"Alt makes the first button hot", {kTapAlt}, "File1", "", true, {}, false},
      {"Alt again leaves menu mode", {kTapAlt, kTapAlt}, "", "", false, {}, false},
      {"F10 as Alt", {kF10}, "File1", "", true, {}, false},
      {"right moves the hot button", {kTapAlt, kRight, kRight}, "Help1", "", true, {}, false},
      {"left wraps to the last", {kTapAlt, kLeft}, "Quit1", "", true, {}, false},
      {"down opens the hot button's menu", {kTapAlt, kRight, kDown}, "", "Edit2", false, {}, false},
      {"a letter opens its button", {kTapAlt, kLetterH}, "", "Help1", false, {}, false},
      {"a letter without a button beeps", {kTapAlt, kLetterZ}, "File1", "", true, {}, true},
      {"escape leaves menu mode", {kTapAlt, kEsc}, "", "", false, {}, false},
      {"Alt+F opens File", {kAltF}, "", "File1", false, {}, false},
      {"Alt+Z opens nothing", {kAltZ}, "", "", false, {}, false},
      {"escape in a menu goes back to its hot button", {kAltF, kEsc}, "File1", "", true, {}, false},
      {"right in a menu opens the next one", {kAltF, kRight}, "", "Edit2", false, {}, false},
      {"left in a menu opens the previous one", {kAltH, kLeft}, "", "Edit2", false, {}, false},
      {"enter in a menu runs its first item once", {kAltF, kEnter}, "", "", false, {"click New1"}, false},
      {"Alt in a menu closes it", {kAltF, kTapAlt}, "", "", false, {}, false},
      {"a shortcut runs once", {kCtrlN}, "", "", false, {"click New1"}, false},
      {"a shortcut runs once with a menu open", {kAltH, kCtrlN}, "", "", false, {"click New1"}, false},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    TBarFixture f;
    for (TStep s : row.steps) {
      switch (s) {
        case kTapAlt: TapAlt(); break;
        case kF10: Press(VK_F10); break;
        case kAltF: AltKey('F'); break;
        case kAltH: AltKey('H'); break;
        case kAltZ: AltKey('Z'); break;
        case kRight: Press(VK_RIGHT); break;
        case kLeft: Press(VK_LEFT); break;
        case kDown: Press(VK_DOWN); break;
        case kEnter: Press(VK_RETURN); break;
        case kEsc: Press(VK_ESCAPE); break;
        case kLetterH: Press('H'); break;
        case kLetterZ: Press('Z'); break;
        case kCtrlN: Press('N', false, true); break;
      }
    }
    EXPECT_EQ(HotName(), row.hot);
    EXPECT_EQ(OpenMenuName(), row.open);
    EXPECT_EQ(f.form->Bar->MenuMode(), row.menuMode);
    EXPECT_EQ(f.form->log, row.log);
    bool beeped = std::find(f.robot.Sounds.begin(), f.robot.Sounds.end(), "Beep") != f.robot.Sounds.end();
    EXPECT_EQ(beeped, row.beep);
    // A menu opened from the keyboard starts on its first row.
    if (!row.open.empty()) {
      EXPECT_EQ(ActivePopup()->PopupForm()->Selected(), 0);
    }
    // With no menu open the caret is hidden exactly in menu mode.
    if (row.open.empty()) {
      EXPECT_EQ(MenuCaretHidden(), row.menuMode);
    }
    // Nothing reached the edit.
    EXPECT_EQ(f.form->Edit1->Text(), "");
  }
}

TEST(AnimMainMenu, F1ShowsTheHelpOfTheSelectedItem) {
  TBarFixture f;
  Application().SetHelpFile("Mainhelp.hlp");
  f.form->New1->SetHelpContext(1001);
  AltKey('F');
  Press(VK_F1);
  ASSERT_EQ(f.robot.HelpCalls.size(), 1u);
  EXPECT_EQ(f.robot.HelpCalls[0].second, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(OpenMenuName(), "");
  Application().SetHelpFile("");
}

TEST(AnimMainMenu, CopiesItsSettingsIntoItsMenus) {
  TBarFixture f;
  TAnimMainMenu* bar = f.form->Bar;
  bar->Options().Title.Visible = true;
  bar->Options().DoubleSpeed = true;
  bar->SetShowHint(true);
  int popups = 0;
  bar->OnPopup = [&](TComponent*) { ++popups; };
  Click(Button(f, 0));
  TAnimPopupMenu* menu = MenuOf(Button(f, 0));
  EXPECT_TRUE(menu->Options().Title.Visible);
  EXPECT_TRUE(menu->Options().DoubleSpeed);
  EXPECT_EQ(menu->Options().Timeout, 10);
  EXPECT_TRUE(menu->ShowHint());
  EXPECT_EQ(popups, 1);
}

TEST(AnimMainMenu, KeyboardSelectionRepaintsTheRowItLeft) {
  TBarFixture f;
  TMenuBarButton* file = Button(f, 0);
  PrepareKeyboardOpen(file);
  file->Click();
  TAnimPopupForm* level = MenuOf(file)->PopupForm();
  ASSERT_TRUE(IsMenuOpen(MenuOf(file)));
  ASSERT_EQ(level->Selected(), 0);
  // The options come from the bar; the menu has no background picture.
  EXPECT_TRUE(level->LevelOptions().Background.Empty());
  const TColors& colors = level->LevelOptions().Colors;
  const TBitmap& bmp = level->Canvas();
  POINT row0 = RowPoint(level, 0), row1 = RowPoint(level, 1);
  const int x = level->Width() - 6;
  EXPECT_EQ(bmp.Pixel(x, row0.y), ColorToRGB(colors.Highlight));
  level->SelectItem(1);
  EXPECT_EQ(bmp.Pixel(x, row0.y), ColorToRGB(colors.Menu));
  EXPECT_EQ(bmp.Pixel(x, row1.y), ColorToRGB(colors.Highlight));
}

// Only a key that types a character may match an accelerator; function keys,
// the keypad and punctuation once read as letters (F9 as 'x', keypad '.' as
// 'n') or matched the rows that have no accelerator.
TEST(AnimMainMenu, OnlyTypedCharactersMatchAccelerators) {
  struct {
    const char* name;
    WPARAM key;
    std::string log;  // the command run, if any
  } rows[] = {
      {"N", 'N', "click New1"},       {"O", 'O', "click Open1"},      {"F2", VK_F2, ""},
      {"F3", VK_F3, ""},              {"F5", VK_F5, ""},              {"F6", VK_F6, ""},
      {"F8", VK_F8, ""},              {"F9", VK_F9, ""},              {"F11", VK_F11, ""},
      {"F12", VK_F12, ""},            {"keypad 5", VK_NUMPAD5, ""},   {"keypad 6", VK_NUMPAD6, ""},
      {"keypad 8", VK_NUMPAD8, ""},   {"keypad .", VK_DECIMAL, ""},   {"keypad /", VK_DIVIDE, ""},
      {"keypad *", VK_MULTIPLY, ""},  {"keypad -", VK_SUBTRACT, ""},  {"OEM .", VK_OEM_PERIOD, ""},
      {"OEM ;", VK_OEM_1, ""},        {"OEM [", VK_OEM_4, ""},        {"OEM 102", VK_OEM_102, ""},
      {"insert", VK_INSERT, ""},      {"home", VK_HOME, ""},          {"apps", VK_APPS, ""},
      {"0xE5", 0xE5, ""},             {"0xFE", 0xFE, ""},
  };
  for (const auto& row : rows) {
    // In an open menu: a match runs its item, anything else beeps and keeps the menu.
    {
      SCOPED_TRACE(std::string("menu open, ") + row.name);
      TBarFixture f;
      AltKey('F');
      ASSERT_EQ(OpenMenuName(), "File1");
      Press(row.key);
      EXPECT_EQ(f.form->log, row.log.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.log});
      bool beeped = std::find(f.robot.Sounds.begin(), f.robot.Sounds.end(), "Beep") != f.robot.Sounds.end();
      EXPECT_EQ(beeped, row.log.empty());
      EXPECT_EQ(OpenMenuName(), row.log.empty() ? "File1" : "");
      if (row.log.empty()) {
        EXPECT_TRUE(std::find(f.robot.Sounds.begin(), f.robot.Sounds.end(), "MenuCommand") == f.robot.Sounds.end());
      }
    }
    // In menu mode (File, Edit, Help and Quit on the bar): no button opens or runs.
    if (row.log.empty()) {
      SCOPED_TRACE(std::string("menu mode, ") + row.name);
      TBarFixture f;
      TapAlt();
      Press(row.key);
      EXPECT_EQ(f.form->log, std::vector<std::string>{});
      EXPECT_EQ(OpenMenuName(), "");
      EXPECT_EQ(HotName(), "File1");
      bool beeped = std::find(f.robot.Sounds.begin(), f.robot.Sounds.end(), "Beep") != f.robot.Sounds.end();
      EXPECT_TRUE(beeped);
    }
  }
}
