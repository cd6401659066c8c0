// The menus' parts: options and their copies, the title band, item
// pictures and check-mark bitmaps, the system menu, the animated form and
// the hint window.
#include <gtest/gtest.h>

#include "MenuGlyphs.h"
#include "MenuTestSupport.h"

using namespace menutest;

namespace {
using TBarFixture = TShown<TBarForm>;
using TPopupFixture = TShown<TPopupForm>;

TMenuItem* ItemNamed(TMenuItem* root, const std::string& name) {
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->Name() == name) return root->Items(i);
  return nullptr;
}
}  // namespace

TEST(MenuOptions, DefaultsAndCopies) {
  TOptions a;
  EXPECT_EQ(a.ItemHeight, 19);
  EXPECT_EQ(a.SeparatorHeight, 11);
  EXPECT_EQ(a.Indent, 27);
  EXPECT_EQ(a.Timeout, 20);
  EXPECT_EQ(a.OpenAnimation, TAnimation::anSmart);
  EXPECT_FALSE(a.Title.Visible);
  EXPECT_EQ(a.Title.Width, 50);
  EXPECT_EQ(a.Title.Font.Name(), "Arial");
  EXPECT_EQ(a.Title.Font.Size(), 24);
  EXPECT_TRUE(a.Colors.IsDefault());
  a.ItemHeight = 22;
  a.Timeout = 5;
  a.Title.Text = "tidy";
  a.Colors.Menu = clSilver;
  a.TireAwayable = true;
  TOptions b;
  b.Assign(a);
  EXPECT_EQ(b.ItemHeight, 22);
  EXPECT_EQ(b.Timeout, 5);
  EXPECT_EQ(b.Title.Text, "tidy");
  EXPECT_FALSE(b.Colors.IsDefault());
  EXPECT_FALSE(b.TireAwayable);
  // From plain options only the common part is copied.
  TSubmenuOptions s;
  s.ItemHeight = 30;
  b.Assign(s);
  EXPECT_EQ(b.ItemHeight, 30);
  EXPECT_EQ(b.Timeout, 5);
  // Pictures are copied, and copying no picture leaves none.
  a.Background.SetSize(40, 30);
  a.Title.Bitmap.SetSize(12, 10);
  b.Assign(a);
  EXPECT_EQ(b.Background.Width(), 40);
  EXPECT_EQ(b.Title.Bitmap.Height(), 10);
  TOptions plain;
  b.Assign(plain);
  EXPECT_TRUE(b.Background.Empty());
  EXPECT_TRUE(b.Title.Bitmap.Empty());
  TOptions c;
  c.Assign(plain);
  EXPECT_TRUE(c.Background.Empty());
}

TEST(MenuOptions, SubmenuFontRaisesTheItemHeight) {
  struct {
    int height, itemHeight;
  } rows[] = {{-20, 28}, {-8, 19}, {-11, 19}, {-12, 20}};
  for (auto r : rows) {
    SCOPED_TRACE(r.height);
    TSubmenuOptions s;
    TFont font;
    font.SetHeight(r.height);
    s.SetFont(font);
    EXPECT_EQ(s.ItemHeight, r.itemHeight);
  }
}

TEST(MenuOptions, SubmenuItemMustHaveChildren) {
  TBarFixture f;
  TSubMenus& subs = f.form->Bar->Submenus();
  TSubmenuOptions& s = subs.Add();
  try {
    s.SetMenuItem(f.form->New1);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "New1 doesn't contains any submenu items");
  }
  EXPECT_EQ(s.MenuItem(), nullptr);
  s.SetMenuItem(f.form->File1);
  EXPECT_EQ(s.DisplayName(), "File");
  TSubmenuOptions& later = subs.Add();
  later.ItemHeight = 40;
  later.SetMenuItem(f.form->File1);
  EXPECT_EQ(subs.ForItem(f.form->File1)->ItemHeight, 40);
  EXPECT_EQ(subs.ForItem(f.form->Help1), nullptr);
  s.SetMenuItem(nullptr);
  EXPECT_EQ(s.DisplayName(), "TSubmenuOptions");
}

TEST(MenuOptions, SubmenuOptionsShapeTheirLevel) {
  TPopupFixture f;
  TSubmenuOptions& s = f.form->PopupMenu1->Submenus().Add();
  s.SetMenuItem(f.form->More1);
  s.ItemHeight = 30;
  f.form->PopupMenu1->Popup(200, 150);
  Press('M');
  TAnimPopupForm* child = f.form->PopupMenu1->PopupForm()->ChildLevel();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Height(), 2 * 30 + 6);
  EXPECT_EQ(f.form->PopupMenu1->PopupForm()->LevelOptions().ItemHeight, 19);
}

TEST(MenuTitle, SolidBandAndGradient) {
  TTitle title;
  title.Visible = true;
  TBitmap bmp(100, 260);
  kit::Fill(bmp, kit::kMarker);
  title.ColorBegin = title.ColorEnd = clTeal;
  title.Paint(bmp.Canvas(), {0, 0, 100, 260});
  EXPECT_EQ(bmp.Pixel(2, 2), RGB(0, 128, 128));
  EXPECT_EQ(bmp.Pixel(51, 257), RGB(0, 128, 128));
  EXPECT_EQ(bmp.Pixel(52, 100), kit::kMarker);
  EXPECT_EQ(bmp.Pixel(1, 100), kit::kMarker);

  title.ColorBegin = clBlack;
  title.ColorEnd = clNavy;
  title.Paint(bmp.Canvas(), {0, 0, 100, 260});
  EXPECT_EQ(bmp.Pixel(10, 2), RGB(0, 0, 128));
  EXPECT_EQ(bmp.Pixel(10, 257), RGB(1, 1, 1));
  // On the right: the band ends 2 pixels before the edge.
  title.Align = TTitleAlign::alRight;
  kit::Fill(bmp, kit::kMarker);
  title.Paint(bmp.Canvas(), {0, 0, 100, 260});
  EXPECT_EQ(bmp.Pixel(97, 2), RGB(0, 0, 128));
  EXPECT_EQ(bmp.Pixel(98, 2), kit::kMarker);
  EXPECT_EQ(bmp.Pixel(47, 2), kit::kMarker);
  // Text in the font colour.
  title.Align = TTitleAlign::alLeft;
  title.Text = "tidy";
  kit::Fill(bmp, kit::kMarker);
  title.Paint(bmp.Canvas(), {0, 0, 100, 260});
  int white = 0;
  for (int y = 2; y < 258; ++y)
    for (int x = 2; x < 52; ++x) white += bmp.Pixel(x, y) == RGB(255, 255, 255);
  EXPECT_GT(white, 20);
}

TEST(ItemBitmaps, PicturesAreFoundByName) {
  struct {
    const char* name;
    bool found;
  } rows[] = {{"SaveAll1", true},       {"Save all", true},      {"&Print Setup...", false},
              {"Printer setup", true},  {"SYSTEMMINIMIZE", true}, {"", false},
              {"Nothing here", false}};
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    HBITMAP b = LoadItemBitmap(r.name);
    EXPECT_EQ(b != nullptr, r.found);
    if (b) DeleteObject(b);
  }
  HBITMAP minimize = LoadItemBitmap("SYSTEMMINIMIZE");
  BITMAP info{};
  GetObjectA(minimize, sizeof(info), &info);
  EXPECT_EQ(info.bmWidth, 17);
  DeleteObject(minimize);
  EXPECT_NE(CheckMarkBitmap(), nullptr);
  EXPECT_NE(RadioItemBitmap(), nullptr);
}

TEST(ItemBitmaps, SetTheItemsCheckMarks) {
  TBarFixture f;
  auto* bitmaps = new TMenuItemBitmaps(f.form.get());
  bitmaps->SetMenuItem(f.form->New1);
  bitmaps->SetCheckedBmpResource("AM_SAVE");
  bitmaps->SetUncheckedBmpResource("AM_OPEN");
  auto marks = [&] {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoA(f.form->File1->Handle(), f.form->New1->Command(), FALSE, &info);
    return std::make_pair(info.hbmpChecked, info.hbmpUnchecked);
  };
  EXPECT_EQ(marks().first, bitmaps->CheckedBitmap());
  EXPECT_EQ(marks().second, bitmaps->UncheckedBitmap());
  EXPECT_NE(bitmaps->CheckedBitmap(), nullptr);
  bitmaps->SetEnabled(false);
  EXPECT_EQ(marks().first, nullptr);
  EXPECT_EQ(marks().second, nullptr);
  bitmaps->SetEnabled(true);
  EXPECT_EQ(marks().first, bitmaps->CheckedBitmap());

  // A hash sign and no number: one message, no picture.
  bitmaps->SetCheckedBmpResource("#abc");
  ASSERT_EQ(f.robot.Boxes.size(), 1u);
  EXPECT_EQ(f.robot.Boxes[0].Text, "'#abc' is not a valid resource name");
  EXPECT_EQ(f.robot.Boxes[0].Caption, "Error");
  EXPECT_TRUE(f.robot.Boxes[0].Flags & MB_ICONERROR);
  EXPECT_EQ(bitmaps->CheckedBitmap(), nullptr);

  // One picture for both states.
  bitmaps->SetSingleBitmap(true);
  EXPECT_NE(bitmaps->CheckedBitmap(), nullptr);
}

TEST(SystemMenu, CopiesTheWindowsMenuWithItsStates) {
  TBarFixture f;
  auto row = [](TAnimPopupMenu* m, const char* name) { return ItemNamed(m->Items(), name); };
  struct {
    const char* name;
    TFormBorderStyle border;
    TBorderIcons icons;
    TWindowState state;
    std::vector<std::string> enabled, disabled;
  } rows[] = {
      {"sizeable, normal", TFormBorderStyle::bsSizeable, {TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize},
       TWindowState::wsNormal, {"SYSTEMMOVE", "SYSTEMSIZE", "SYSTEMMINIMIZE", "SYSTEMMAXIMIZE", "SYSTEMCLOSE"},
       {"SYSTEMRESTORE"}},
      {"sizeable, maximised", TFormBorderStyle::bsSizeable, {TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize},
       TWindowState::wsMaximized, {"SYSTEMRESTORE", "SYSTEMMINIMIZE", "SYSTEMCLOSE"},
       {"SYSTEMMOVE", "SYSTEMSIZE", "SYSTEMMAXIMIZE"}},
      {"single border, minimise box only", TFormBorderStyle::bsSingle, {TBorderIcon::biSystemMenu, TBorderIcon::biMinimize},
       TWindowState::wsNormal, {"SYSTEMMOVE", "SYSTEMMINIMIZE", "SYSTEMCLOSE"},
       {"SYSTEMRESTORE", "SYSTEMSIZE", "SYSTEMMAXIMIZE"}},
  };
  for (auto r : rows) {
    SCOPED_TRACE(r.name);
    f.form->SetWindowState(TWindowState::wsNormal);
    f.form->SetBorderStyle(r.border);
    f.form->SetBorderIcons(r.icons);
    f.form->SetWindowState(r.state);
    Application().ProcessMessages();
    TAnimPopupMenu* menu = BuildSystemMenu(f.form.get(), f.form->Handle(), nullptr);
    ASSERT_NE(menu, nullptr);
    for (auto& n : r.enabled) {
      SCOPED_TRACE(n);
      ASSERT_NE(row(menu, n.c_str()), nullptr);
      EXPECT_TRUE(row(menu, n.c_str())->Enabled());
    }
    for (auto& n : r.disabled) {
      SCOPED_TRACE(n);
      TMenuItem* item = row(menu, n.c_str());
      ASSERT_NE(item, nullptr);
      EXPECT_FALSE(item->Enabled());
    }
    TMenuItem* close = row(menu, "SYSTEMCLOSE");
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->Default());
    EXPECT_EQ(close->Tag, SC_CLOSE);
    EXPECT_EQ(ShortCutToText(close->ShortCut()), "Alt+F4");
    delete menu;
  }
  f.form->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(BuildSystemMenu(f.form.get(), nullptr, nullptr), nullptr);
  EXPECT_EQ(BuildSystemMenu(nullptr, f.form->Handle(), nullptr), nullptr);
}

TEST(SystemMenu, ClicksOnTheIconAndCaption) {
  TBarFixture f;
  TAnimSystemMenu* menu = f.form->SystemMenu();
  ASSERT_NE(menu, nullptr);
  // A press on the icon: the menu opens 250 ms later, below the caption.
  SendMessageA(f.form->Handle(), WM_NCLBUTTONDOWN, HTSYSMENU, MAKELPARAM(110, 110));
  EXPECT_FALSE(IsMenuOpen(menu));
  ASSERT_NE(f.form->RequestTimer(), nullptr);
  EXPECT_EQ(f.form->RequestTimer()->Interval(), 250u);
  f.FireTimer(f.form->RequestTimer());
  ASSERT_TRUE(IsMenuOpen(menu));
  EXPECT_EQ(menu->Options().OpenAnimation, TAnimation::anSmart);
  POINT origin = f.form->ClientToScreen({0, 0});
  EXPECT_EQ(menu->PopupForm()->Left(), origin.x);
  EXPECT_EQ(menu->PopupForm()->Top(), origin.y - 1);
  // Choosing an item sends its command to the window.
  POINT p = RowPoint(menu->PopupForm(), 0);
  MouseTo(menu->PopupForm(), WM_MOUSEMOVE, p.x, p.y);
  ASSERT_EQ(menu->PopupForm()->RowItem(0)->Tag & 0xFFF0, SC_RESTORE);
  CloseActiveMenus(false);

  // A right click on the caption: at the cursor, at once.
  SendMessageA(f.form->Handle(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(150, 112));
  EXPECT_FALSE(IsMenuOpen(menu));
  SendMessageA(f.form->Handle(), WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(150, 112));
  ASSERT_TRUE(IsMenuOpen(menu));
  EXPECT_EQ(menu->Options().OpenAnimation, TAnimation::anPopup);
  EXPECT_EQ(menu->PopupForm()->Left(), 150);
  EXPECT_EQ(menu->PopupForm()->Top(), 112);
  CloseActiveMenus(false);

  // A double click on the icon closes the form and opens no menu.
  SendMessageA(f.form->Handle(), WM_NCLBUTTONDOWN, HTSYSMENU, MAKELPARAM(110, 110));
  SendMessageA(f.form->Handle(), WM_NCLBUTTONDBLCLK, HTSYSMENU, MAKELPARAM(110, 110));
  Application().ProcessMessages();
  EXPECT_FALSE(f.form->Visible());
  EXPECT_FALSE(IsMenuOpen(menu));
  EXPECT_FALSE(f.form->RequestTimer() && f.form->RequestTimer()->Enabled());
}

TEST(SystemMenu, ChosenItemPostsItsCommand) {
  TBarFixture f;
  f.form->RequestSystemMenu(150, 150, false, false);
  TAnimSystemMenu* menu = f.form->SystemMenu();
  ASSERT_TRUE(IsMenuOpen(menu));
  TAnimPopupForm* level = menu->PopupForm();
  int minimize = -1;
  for (int i = 0; i < level->RowCount(); ++i)
    if (level->RowItem(i) && level->RowItem(i)->Name() == "SYSTEMMINIMIZE") minimize = i;
  ASSERT_GE(minimize, 0);
  POINT p = RowPoint(level, minimize);
  MouseTo(level, WM_MOUSEMOVE, p.x, p.y);
  MouseTo(level, WM_LBUTTONUP, p.x, p.y);
  EXPECT_FALSE(IsMenuOpen(menu));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, f.form->Handle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam & 0xFFF0, static_cast<WPARAM>(SC_MINIMIZE));
}

TEST(SystemMenu, OwnerMustBeTheAnimatedForm) {
  TForm plain(nullptr);
  try {
    TAnimSystemMenu menu(&plain);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Error: Owner if TAnimSystemMenu component is not an AnimMenus.TForm. Possible reason: AnimMenus unit "
              "doesn't placed at the end of uses clause of your form's unit");
  }
  EXPECT_EQ(plain.ComponentCount(), 0);
}

TEST(HintWindow, LinesAndPlacement) {
  TRobot robot;
  TMenuHintWindow& hint = MenuHintWindow();
  RECT work = MenuWorkArea();
  SetCursorPos(200, 200);
  hint.ShowHintText("First line&#13;Second line|long");
  EXPECT_EQ(hint.Lines(), (std::vector<std::string>{"First line", "Second line"}));
  EXPECT_EQ(hint.Left(), 200);
  EXPECT_EQ(hint.Top(), 225);
  EXPECT_TRUE(IsWindowVisible(hint.Handle()));
  EXPECT_EQ(hint.HideTimer()->Interval(), static_cast<UINT>(Application().HintHidePause()));
  EXPECT_TRUE(hint.HideTimer()->Enabled());
  int twoLines = hint.Height();
  hint.ShowHintText("One");
  EXPECT_LT(hint.Height(), twoLines);
  // Near the right edge it opens left of the cursor.
  SetCursorPos(work.right - 5, 200);
  hint.ShowHintText("A hint near the right edge of the screen");
  EXPECT_EQ(hint.Left(), work.right - 5 - hint.Width() - 10);
  robot.FireTimer(hint.HideTimer()->Handle(), TTimer::kTimerId);
  EXPECT_FALSE(IsWindowVisible(hint.Handle()));
  // An empty text changes nothing.
  hint.ShowHintText("");
  EXPECT_FALSE(IsWindowVisible(hint.Handle()));
}

TEST(AnimatedForm, DescriptionsCreateTheAnimatedItems) {
  RegisterOnce();
  const TClassInfo* info = FindClass("TMenuItem");
  ASSERT_NE(info, nullptr);
  std::unique_ptr<TComponent> item(info->Create(nullptr));
  EXPECT_NE(dynamic_cast<AnimMenus::TMenuItem*>(item.get()), nullptr);
}
