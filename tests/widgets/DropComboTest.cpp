// The drop-down combo: its parts, the popup list and how it closes, the
// Up and Down stepping, colours and frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "DropCombo.h"
#include "KitTestSupport.h"

using namespace kit;

namespace {
const std::vector<std::string> kModes = {"Ask User", "Always Overwrite", "Always Skip Extraction"};

struct TCombo : TKitForm {
  TDropDownComboBox* combo = nullptr;
  TEdit* other = nullptr;
  int changes = 0;
  TCombo() {
    combo = new TDropDownComboBox(form.get());
    combo->SetBounds(10, 10, 145, 21);
    combo->SetItems(kModes);
    combo->SetText("Ask User");
    combo->SetParent(form.get());  // its window is made now, with this text
    combo->OnChange = [this](TComponent*) { ++changes; };
    other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 100, 100, 21);
    form->HandleNeeded();
    changes = 0;
  }
  bool PopupAlive(TForm* p) const {
    const auto& forms = Screen().Forms();
    return std::find(forms.begin(), forms.end(), p) != forms.end();
  }
  void Key(TWinControl* c, WORD key) { c->Perform(WM_KEYDOWN, key, 0); }
  // Opens the list, runs `inside` on it, then lets the closing finish.
  void WithList(const std::function<void(TPopForm&)>& inside) {
    combo->DropDown();
    ASSERT_NE(combo->Popup(), nullptr);
    inside(*combo->Popup());
    Application().ProcessMessages();
  }
};
}  // namespace

TEST(DropDownCombo, DefaultsAndButtonPlace) {
  TDropDownComboBox c(nullptr);
  EXPECT_EQ(c.Width(), 145);
  // The font's measured height and 8 (21 for MS Sans Serif 8 on Windows).
  TEXTMETRICA tm{};
  {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, c.Font().Handle());
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  const int h = tm.tmHeight + 8;
  EXPECT_EQ(c.Height(), h);
  EXPECT_EQ(c.ItemIndex(), -1);
  EXPECT_EQ(c.DropDownCount(), 8);
  EXPECT_EQ(c.LocColor(), MakeColor(0xFFFF00));
  EXPECT_TRUE(c.AutoSize());
  EXPECT_EQ(c.Cursor(), TCursor::crArrow);
  EXPECT_EQ(c.DropButton()->Height(), h - 4);
  EXPECT_EQ(c.DropButton()->Width(), (h - 4) * 8 / 10);
  EXPECT_EQ(c.DropButton()->Left(), 145 - (h - 4) * 8 / 10 - 4);
  EXPECT_EQ(c.XButton()->BoundsRect().left, c.DropButton()->Left());
  c.SetAutoSize(false);
  c.SetItemHeight(20);
  EXPECT_EQ(c.Height(), 29);
}

TEST(DropDownCombo, PopupSitsUnderTheEditWithAtMostDropDownCountLines) {
  struct {
    int items, lines;
  } rows[] = {{3, 3}, {20, 8}, {0, 0}};
  for (auto row : rows) {
    SCOPED_TRACE(row.items);
    TCombo f;
    std::vector<std::string> items;
    for (int i = 0; i < row.items; ++i) items.push_back("Item " + std::to_string(i));
    f.combo->SetItems(items);
    f.WithList([&](TPopForm& p) {
      RECT edit;
      GetWindowRect(f.combo->Handle(), &edit);
      EXPECT_EQ(p.Left(), edit.left - 2);
      EXPECT_EQ(p.Top(), edit.bottom - 1);
      EXPECT_EQ(p.Width(), 145);
      const int h = f.combo->Height();
      EXPECT_EQ(p.Height(), row.lines * (h - 6) + 4);
      EXPECT_EQ(p.List->ItemCount(), row.items);
      EXPECT_EQ(p.List->ItemIndex(), row.items ? 0 : -1);
      EXPECT_EQ(SendMessageA(p.List->Handle(), LB_GETITEMHEIGHT, 0, 0), h - 6);
      EXPECT_TRUE(f.combo->Dropping());
      f.combo->CloseUp();
    });
  }
}

TEST(DropDownCombo, EnterTakesTheSelectedItem) {
  TCombo f;
  f.WithList([&](TPopForm& p) {
    p.List->SetItemIndex(2);
    f.Key(p.List, VK_RETURN);
    f.combo->CloseUp();  // as the popup's deactivation does
  });
  EXPECT_EQ(f.combo->Text(), "Always Skip Extraction");
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_GE(f.changes, 1);
  EXPECT_EQ(f.combo->Popup(), nullptr);
  EXPECT_FALSE(f.combo->Dropping());
}

TEST(DropDownCombo, EscapeKeepsTheTextAndStillSignalsAChange) {
  TCombo f;
  f.WithList([&](TPopForm& p) {
    p.List->SetItemIndex(1);
    f.Key(p.List, VK_ESCAPE);
    f.combo->CloseUp();
  });
  EXPECT_EQ(f.combo->Text(), "Ask User");
  EXPECT_EQ(f.combo->ItemIndex(), -1);
  EXPECT_EQ(f.changes, 1);
}

TEST(DropDownCombo, DoubleClickWithNothingSelectedPutsBackTheFirstText) {
  TCombo f;
  f.combo->SetText("Always Overwrite");
  f.WithList([&](TPopForm& p) {
    p.List->SetItemIndex(-1);
    p.List->Perform(CN_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), 0);
    EXPECT_TRUE(f.combo->Commit());
    f.combo->CloseUp();
  });
  EXPECT_EQ(f.combo->Text(), "Ask User");
}

TEST(DropDownCombo, PopupIsFreedAfterTheDeactivationThatClosedIt) {
  TCombo f;
  f.combo->DropDown();
  TPopForm* p = f.combo->Popup();
  ASSERT_NE(p, nullptr);
  bool aliveInHandler = false;
  f.combo->OnChange = [&](TComponent*) { aliveInHandler = f.PopupAlive(p); };
  p->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(f.combo->Popup(), nullptr);
  EXPECT_TRUE(aliveInHandler);
  EXPECT_TRUE(f.PopupAlive(p)) << "still there while its own handler runs";
  Application().ProcessMessages();
  EXPECT_FALSE(f.PopupAlive(p));
}

TEST(DropDownCombo, UpAndDownStepOnlyAfterAChoice) {
  TCombo f;
  f.combo->SetFocus();
  f.Key(f.combo, VK_DOWN);
  EXPECT_EQ(f.combo->Text(), "Ask User") << "no choice made yet";
  f.combo->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(f.combo->Commit());
  struct {
    WORD key;
    const char* text;
  } steps[] = {{VK_DOWN, "Always Overwrite"}, {VK_DOWN, "Always Skip Extraction"},
               {VK_DOWN, "Always Skip Extraction"}, {VK_UP, "Always Overwrite"},
               {VK_UP, "Ask User"}, {VK_UP, "Ask User"}};
  for (auto s : steps) {
    f.Key(f.combo, s.key);
    EXPECT_EQ(f.combo->Text(), s.text);
  }
  EXPECT_EQ(f.combo->ItemIndex(), -1) << "stepping leaves ItemIndex";
  f.combo->SetText("not an item");
  f.Key(f.combo, VK_DOWN);
  EXPECT_EQ(f.combo->Text(), "Ask User") << "an unknown text steps to the first item";
}

TEST(DropDownCombo, AltDownOpensTheList) {
  TCombo f;
  f.combo->Perform(WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  ASSERT_NE(f.combo->Popup(), nullptr);
  f.combo->CloseUp();
  Application().ProcessMessages();
}

TEST(DropDownCombo, DisabledShowsTheFaceColourAndNoXButton) {
  TCombo f;
  f.combo->SetEnabled(false);
  EXPECT_EQ(f.combo->Color(), clBtnFace);
  EXPECT_FALSE(f.combo->XButton()->Visible());
  f.combo->SetEnabled(true);
  EXPECT_EQ(f.combo->Color(), clWindow);
  EXPECT_TRUE(f.combo->XButton()->Visible());
}

TEST(DropDownCombo, LocatorFillsOnlyWhileFocused) {
  TCombo f;
  f.combo->SetLocator(TLocator::loFill);
  f.combo->SetColor(clYellow);
  f.combo->SetFocus();
  EXPECT_EQ(f.combo->Color(), MakeColor(0xFFFF00));
  f.other->SetFocus();
  EXPECT_EQ(f.combo->Color(), clYellow);
}

TEST(DropDownCombo, FrameIsFlatUntilFocused) {
  TCombo f;
  f.other->SetFocus();
  f.combo->PaintFrame();
  auto flat = CaptureWindow(f.combo->Handle());
  EXPECT_EQ(flat->Pixel(0, 0), Sys(COLOR_BTNFACE));
  EXPECT_EQ(flat->Pixel(1, 1), Sys(COLOR_BTNHIGHLIGHT));
  f.combo->SetFocus();
  EXPECT_TRUE(f.combo->DrawnHot());
  auto hot = CaptureWindow(f.combo->Handle());
  EXPECT_EQ(hot->Pixel(0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(hot->Pixel(1, 1), Sys(COLOR_BTNFACE));
  EXPECT_EQ(hot->Pixel(2, 2), Sys(COLOR_WINDOW));
}

TEST(DropDownCombo, ButtonOpensTheListAndStaysDownWithBtn3State) {
  TCombo f;
  f.combo->SetBtn3State(true);
  TToolbarButton* b = f.combo->DropButton();
  POINT at = b->ClientToScreen({3, 3});
  SetCursorPos(at.x, at.y);
  POINT c = f.combo->ScreenToClient(at);
  f.combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
  f.combo->Perform(WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
  ASSERT_NE(f.combo->Popup(), nullptr);
  EXPECT_TRUE(b->Down());
  f.combo->CloseUp();
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->GroupIndex(), 1);
  EXPECT_FALSE(b->AllowAllUp());
  Application().ProcessMessages();
}

TEST(DropDownCombo, DescriptionPlacesItByClassName) {
  RegisterClass(TDropDownComboBox::ClassInfo());
  TForm form(nullptr);
  form.LoadDescription(R"(
object F: TForm
  object ovrChoice: TDropDownComboBox
    Left = 8  Top = 8  Width = 145
    Items.Strings = ('Ask User' 'Always Overwrite' 'Always Skip Extraction')
    Text = 'Ask User'
    DropDownCount = 5
    Locator = loFill
  end
end)");
  auto* c = dynamic_cast<TDropDownComboBox*>(form.FindComponent("ovrChoice"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Items(), kModes);
  EXPECT_EQ(c->Text(), "Ask User");
  EXPECT_EQ(c->DropDownCount(), 5);
  EXPECT_EQ(c->Locator(), TLocator::loFill);
}

TEST(DropDownCombo, ArrowButtonIsPaintedBesideTheText) {
  TCombo f;
  TBitmap bmp(145, 21);
  Fill(bmp, kMarker);
  f.combo->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp.DC()), 0);
  TToolbarButton* b = f.combo->DropButton();
  EXPECT_EQ(b->NumGlyphs(), 1);
  // The 9 x 3 arrow, centred in the button: its top row is five pixels wide.
  int black = 0;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) black += bmp.Pixel(b->Left() + x, b->Top() + y) == RGB(0, 0, 0);
  EXPECT_EQ(black, 5 + 3 + 1);
}
