// The rounded button: its LED pictures, frame, corners and caption read
// back from pixels, and its mouse, keyboard and default-button rules.
#include <gtest/gtest.h>

#include <climits>

#include "KitTestSupport.h"
#include "OButton.h"
#include "StdCtrls.h"

using namespace kit;

namespace {
struct TOButtons : TKitForm {
  TOButton* Add(int x, int y, const std::string& caption = "Test") {
    auto* b = new TOButton(form.get());
    b->SetParent(form.get());
    b->SetBounds(x, y, 85, 23);
    b->SetCaption(caption);
    return b;
  }
  static std::unique_ptr<TBitmap> Painted(TOButton* b) {
    auto bmp = std::make_unique<TBitmap>(b->Width(), b->Height());
    Fill(*bmp, kMarker);
    b->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->DC()), 0);
    return bmp;
  }
  void Enter(TOButton* b) { b->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)); }
};

// Left edge of the caption's pixels in the text colour, or INT_MAX.
int TextLeft(const TBitmap& bmp, COLORREF text) {
  for (int x = 20; x < bmp.Width(); ++x)
    for (int y = 3; y < bmp.Height() - 3; ++y)
      if (bmp.Pixel(x, y) == text) return x;
  return INT_MAX;
}
}  // namespace

TEST(OButton, Defaults) {
  TOButton b(nullptr);
  EXPECT_EQ(b.Width(), 85);
  EXPECT_EQ(b.Height(), 23);
  EXPECT_EQ(b.ActiveBorderColor(), clGray);
  EXPECT_EQ(b.BorderColor(), clSilver);
  EXPECT_EQ(b.RoundSize(), 20);
  EXPECT_TRUE(b.TabStop());
}

TEST(OButton, LedFollowsTheState) {
  TOButtons f;
  auto* b = f.Add(10, 10);
  EXPECT_STREQ(b->LedPicture(), "OFF");
  f.Enter(b);
  EXPECT_TRUE(b->Hot());
  EXPECT_STREQ(b->LedPicture(), "ON");
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_STREQ(b->LedPicture(), "DOWN");
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  b->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(b->Hot());
  b->SetEnabled(false);
  EXPECT_STREQ(b->LedPicture(), "DISABLED");
  b->Perform(CM_MOUSELEAVE);
  f.Enter(b);
  EXPECT_FALSE(b->Hot()) << "a disabled button does not get hot";
}

TEST(OButton, LedPicturesAreDrawnWithBlackTransparent) {
  TOButtons f;
  auto* b = f.Add(10, 10);
  b->SetColor(clWhite);
  auto off = TOButtons::Painted(b);
  // OFF is 9 x 9 at x 5, centred: (23 - 9) / 2 = 7; its corners are black.
  EXPECT_EQ(off->Pixel(5, 7), RGB(255, 255, 255)) << "transparent corner";
  EXPECT_EQ(off->Pixel(9, 11), RGB(0, 96, 0)) << "the dark lamp";
  f.Enter(b);
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  auto down = TOButtons::Painted(b);
  // DOWN is 10 x 10, moved one pixel right and down: at (6, 7).
  EXPECT_EQ(down->Pixel(6 + 5, 7 + 5), RGB(0, 200, 0));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
}

TEST(OButton, FrameCornersAndFace) {
  TOButtons f;
  f.form->SetColor(clTeal);
  auto* b = f.Add(10, 10);
  b->SetColor(MakeColor(13565433));
  COLORREF face = ColorToRGB(b->Color()), parent = ColorToRGB(clTeal);
  struct {
    const char* name;
    int round;
    bool parentColor;
    COLORREF corner;
  } rows[] = {
      {"round corners take the parent's colour", 20, false, parent},
      {"small corners keep the face", 2, false, face},
      {"square corners keep the face", 0, false, face},
      {"parent colour: corners left alone", 20, true, kMarker},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.name);
    b->SetRoundSize(row.round);
    if (row.parentColor) b->SetParentColor(true);
    face = ColorToRGB(b->Color());
    auto bmp = TOButtons::Painted(b);
    EXPECT_EQ(bmp->Pixel(78, 11), face) << "the face";
    EXPECT_EQ(bmp->Pixel(42, 0), ColorToRGB(clSilver)) << "a one-pixel border";
    EXPECT_EQ(bmp->Pixel(42, 1), face);
    if (row.round >= 4) EXPECT_EQ(bmp->Pixel(0, 0), row.corner);
    else EXPECT_EQ(bmp->Pixel(1, 1), face) << "the face is not flooded";
    EXPECT_EQ(bmp->Pixel(3, 11), face);
  }
}

TEST(OButton, HotBorderIsTwoPixels) {
  TOButtons f;
  auto* b = f.Add(10, 10);
  f.Enter(b);
  auto bmp = TOButtons::Painted(b);
  EXPECT_EQ(bmp->Pixel(42, 0), ColorToRGB(clGray));
  EXPECT_EQ(bmp->Pixel(42, 1), ColorToRGB(clGray));
  EXPECT_EQ(bmp->Pixel(42, 2), ColorToRGB(b->Color()));
}

TEST(OButton, CaptionIsCentredByItsVisibleWidthAndGreyWhenDisabled) {
  TOButtons f;
  auto* plain = f.Add(10, 10, "Test");
  auto* accel = f.Add(10, 40, "&Test");
  COLORREF text = ColorToRGB(plain->Font().Color());
  EXPECT_EQ(TextLeft(*TOButtons::Painted(accel), text), TextLeft(*TOButtons::Painted(plain), text));
  plain->SetEnabled(false);
  auto disabled = TOButtons::Painted(plain);
  EXPECT_EQ(TextLeft(*disabled, text), INT_MAX);
  EXPECT_NE(TextLeft(*disabled, ColorToRGB(clGray)), INT_MAX);
}

TEST(OButton, ClicksByMouseInsideSpaceAndAccelerator) {
  TOButtons f;
  auto* b = f.Add(10, 10, "&Test");
  int clicks = 0;
  b->OnClick = [&](TComponent*) { ++clicks; };
  struct {
    const char* name;
    std::function<void()> act;
    int clicks;
  } rows[] = {
      {"release inside", [&] { b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
                               b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(12, 12)); }, 1},
      {"release outside", [&] { b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
                                b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(200, 12)); }, 0},
      {"space", [&] { b->Perform(WM_KEYDOWN, VK_SPACE, 0); b->Perform(WM_KEYUP, VK_SPACE, 0); }, 1},
      {"alt+t", [&] { EXPECT_TRUE(OButtonsDialogChar(f.form.get(), 't')); }, 1},
      {"other letter", [&] { EXPECT_FALSE(OButtonsDialogChar(f.form.get(), 'x')); }, 0},
      {"right button", [&] { b->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
                             b->Perform(WM_RBUTTONUP, 0, MAKELPARAM(10, 10)); }, 0},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.name);
    clicks = 0;
    row.act();
    EXPECT_EQ(clicks, row.clicks);
    EXPECT_FALSE(b->Pressed());
  }
}

TEST(OButton, FocusedButtonOrElseTheDefaultAnswersEnter) {
  TOButtons f;
  auto* first = f.Add(10, 10, "First");
  auto* second = f.Add(10, 40, "Second");
  auto* edit = new TEdit(f.form.get());
  edit->SetParent(f.form.get());
  edit->SetBounds(10, 80, 80, 21);
  first->SetDefault(true);
  int clicks[2] = {};
  first->OnClick = [&](TComponent*) { ++clicks[0]; };
  second->OnClick = [&](TComponent*) { ++clicks[1]; };
  struct {
    TWinControl* focus;
    int clicked;
  } rows[] = {{second, 1}, {edit, 0}, {first, 0}};
  for (auto row : rows) {
    clicks[0] = clicks[1] = 0;
    row.focus->SetFocus();
    EXPECT_TRUE(OButtonsDialogKey(f.form.get(), VK_RETURN));
    EXPECT_EQ(clicks[row.clicked], 1);
    EXPECT_EQ(clicks[1 - row.clicked], 0);
    TOButton* active = row.clicked ? second : first;
    EXPECT_TRUE(active->IsActive());
    EXPECT_EQ(GetWindowLongPtrA(active->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  }
  EXPECT_FALSE(OButtonsDialogKey(f.form.get(), VK_ESCAPE)) << "no cancel button";
  second->SetCancel(true);
  EXPECT_TRUE(OButtonsDialogKey(f.form.get(), VK_ESCAPE));
}

TEST(OButton, DescriptionPlacesItByClassName) {
  RegisterClass(TOButton::ClassInfo());
  TForm form(nullptr);
  form.LoadDescription(R"(
object F: TForm
  object TestBtn: TOButton
    Left = 8  Top = 8  Width = 180
    Caption = 'Test Self-Extracting Archive'
    Color = 13565433
    Enabled = False
    RoundSize = 12
  end
end)");
  auto* b = dynamic_cast<TOButton*>(form.FindComponent("TestBtn"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Color(), MakeColor(13565433));
  EXPECT_FALSE(b->Enabled());
  EXPECT_EQ(b->RoundSize(), 12);
}
