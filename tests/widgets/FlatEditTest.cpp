// The flat edit: its height, colours and frames, read back from the window.
#include <gtest/gtest.h>

#include "FlatEdit.h"
#include "KitTestSupport.h"

using namespace kit;

namespace {
struct TEdits : TKitForm {
  TFlatEdit* Add(int x, int y) {
    auto* e = new TFlatEdit(form.get());
    e->SetParent(form.get());
    e->SetBounds(x, y, 100, 19);
    return e;
  }
  std::unique_ptr<TBitmap> Frame(TFlatEdit* e) {
    e->RedrawBorder();
    return CaptureWindow(e->Handle());
  }
};
}  // namespace

TEST(FlatEdit, HeightFollowsTheFont) {
  TFlatEdit fresh(nullptr);
  EXPECT_EQ(fresh.Height(), 19);
  // The font's measured height and 6 for the border (19 and 22 where the
  // font's height is its cell height, as on Windows).
  for (int cellHeight : {13, 16}) {
    TEdits f;
    auto* e = f.Add(10, 10);
    e->BeginLoading();
    e->Font().SetName("Arial");
    e->Font().SetHeight(cellHeight);
    e->EndLoading();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, e->Font().Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(e->Height(), tm.tmHeight + 6) << cellHeight;
  }
}

TEST(FlatEdit, FrameIsFlatUntilHotAndKeepsTheWindowColourInside) {
  TEdits f;
  auto* e = f.Add(10, 10);
  auto* other = f.Add(10, 40);
  COLORREF face = Sys(COLOR_BTNFACE), window = Sys(COLOR_WINDOW);
  RECT client;
  GetClientRect(e->Handle(), &client);
  EXPECT_EQ(client.right, 100 - 6) << "a three-pixel frame";

  other->SetFocus();
  auto flat = f.Frame(e);
  EXPECT_FALSE(e->DrawnHot());
  EXPECT_EQ(flat->Pixel(0, 0), face);
  EXPECT_EQ(flat->Pixel(1, 1), face);
  EXPECT_EQ(flat->Pixel(2, 2), window);
  EXPECT_EQ(flat->Pixel(99, 18), face);

  e->SetFocus();
  auto hot = f.Frame(e);
  EXPECT_TRUE(e->DrawnHot());
  EXPECT_EQ(hot->Pixel(0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(hot->Pixel(99, 18), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(hot->Pixel(1, 1), face);
  EXPECT_EQ(hot->Pixel(98, 17), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(hot->Pixel(2, 2), window);

  e->SetEnabled(false);
  EXPECT_EQ(e->Color(), clBtnFace);
  auto disabled = f.Frame(e);
  EXPECT_EQ(disabled->Pixel(2, 2), window) << "the innermost frame stays in the window colour";
  e->SetEnabled(true);
  EXPECT_EQ(e->Color(), clWindow);
}

TEST(FlatEdit, HoverIsHotOnlyWhileNoFlatEditHasTheFocus) {
  TEdits f;
  auto* a = f.Add(10, 10);
  auto* b = f.Add(10, 40);
  auto* button = new TButton(f.form.get());
  button->SetParent(f.form.get());
  button->SetBounds(10, 80, 75, 25);
  a->SetFocus();
  b->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_FALSE(b->DrawnHot());
  button->SetFocus();
  EXPECT_TRUE(b->DrawnHot());
  b->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_FALSE(b->DrawnHot());
}

TEST(FlatEdit, TheBorderIsPartOfTheHotArea) {
  TEdits f;
  auto* e = f.Add(10, 10);
  auto* button = new TButton(f.form.get());
  button->SetParent(f.form.get());
  button->SetBounds(10, 80, 75, 25);
  button->SetFocus();
  RECT w;
  GetWindowRect(e->Handle(), &w);
  // A point on the border, outside the client area.
  POINT border{w.left + 1, w.top + 1};
  POINT client = border;
  ScreenToClient(e->Handle(), &client);
  ASSERT_LT(client.x, 0);
  e->Perform(WM_NCMOUSEMOVE, HTBORDER, MAKELPARAM(border.x, border.y));
  EXPECT_TRUE(e->MouseInControl());
  EXPECT_TRUE(e->DrawnHot());
  e->Perform(WM_NCMOUSELEAVE);
  EXPECT_FALSE(e->MouseInControl());
  EXPECT_FALSE(e->DrawnHot());
}
