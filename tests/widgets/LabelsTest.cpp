// Pixel tests of the ellipsis label and the bevel in memory bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "EllipsisLabel.h"
#include "NewBevel.h"

namespace {
constexpr COLORREF kMarker = RGB(255, 0, 255);

void Fill(TBitmap& bmp, COLORREF c) {
  TBrushHandle brush(CreateSolidBrush(c));
  RECT r{0, 0, bmp.Width(), bmp.Height()};
  FillRect(bmp.DC(), &r, brush.Get());
}

struct TBox {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

TBox BoxOf(const TBitmap& bmp, COLORREF c) {
  TBox b;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x)
      if (bmp.Pixel(x, y) == c) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

// Exposes the measuring step.
class TProbeLabel : public TEllipsisLabel {
public:
  using TEllipsisLabel::TEllipsisLabel;
  RECT Measure(TCanvas& canvas) {
    RECT r{0, 0, Width(), Height()};
    DoDrawText(canvas, r, DT_CALCRECT | DT_EXPANDTABS);
    return r;
  }
};
}  // namespace

TEST(NewBevel, EachStyleDrawsItsEdgeAndNothingInside) {
  auto sys = [](int i) { return GetSysColor(i); };
  struct {
    TNewDrawEdgeStyle style;
    const char* name;
    COLORREF outerTopLeft, innerTopLeft, outerBottomRight, innerBottomRight;
  } rows[] = {
      {TNewDrawEdgeStyle::deRaised, "deRaised", sys(COLOR_3DLIGHT), sys(COLOR_BTNHIGHLIGHT), sys(COLOR_3DDKSHADOW), sys(COLOR_BTNSHADOW)},
      {TNewDrawEdgeStyle::deSunken, "deSunken", sys(COLOR_BTNSHADOW), sys(COLOR_3DDKSHADOW), sys(COLOR_BTNHIGHLIGHT), sys(COLOR_3DLIGHT)},
      {TNewDrawEdgeStyle::deSoftRaised, "deSoftRaised", sys(COLOR_BTNHIGHLIGHT), sys(COLOR_3DLIGHT), sys(COLOR_3DDKSHADOW), sys(COLOR_BTNSHADOW)},
      {TNewDrawEdgeStyle::deSoftSunken, "deSoftSunken", sys(COLOR_3DDKSHADOW), sys(COLOR_BTNSHADOW), sys(COLOR_BTNHIGHLIGHT), sys(COLOR_3DLIGHT)},
      {TNewDrawEdgeStyle::deThinRaised, "deThinRaised", sys(COLOR_BTNHIGHLIGHT), kMarker, sys(COLOR_BTNSHADOW), kMarker},
      {TNewDrawEdgeStyle::deThinSunken, "deThinSunken", sys(COLOR_BTNSHADOW), kMarker, sys(COLOR_BTNHIGHLIGHT), kMarker},
  };
  TNewBevel bevel(nullptr);
  EXPECT_EQ(bevel.Style(), TNewDrawEdgeStyle::deSunken);
  EXPECT_EQ(bevel.Width(), 100);
  EXPECT_EQ(bevel.Height(), 100);
  EXPECT_FALSE(bevel.Opaque());
  bevel.SetBounds(0, 0, 20, 16);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    bevel.SetStyle(row.style);
    TBitmap bmp(20, 16);
    Fill(bmp, kMarker);
    bevel.PaintTo(bmp.Canvas(), 0, 0);
    EXPECT_EQ(bmp.Pixel(0, 0), row.outerTopLeft);
    EXPECT_EQ(bmp.Pixel(1, 1), row.innerTopLeft);
    EXPECT_EQ(bmp.Pixel(19, 15), row.outerBottomRight);
    EXPECT_EQ(bmp.Pixel(18, 14), row.innerBottomRight);
    // Nothing inside the frame: what lies behind shows through.
    for (int y = 2; y < 14; ++y)
      for (int x = 2; x < 18; ++x) ASSERT_EQ(bmp.Pixel(x, y), kMarker) << x << "," << y;
  }
}

TEST(EllipsisLabel, DisabledTextIsEmbossedOnePixelApart) {
  TEllipsisLabel label(nullptr);
  label.SetAutoSize(false);
  label.SetBounds(0, 0, 60, 20);
  label.SetColor(clTeal);
  label.Font().SetName("Arial");
  label.Font().SetHeight(-14);
  label.Font().SetStyle({TFontStyle::fsBold});
  label.SetCaption("WM");
  COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);

  TBitmap enabled(60, 20);
  label.PaintTo(enabled.Canvas(), 0, 0);
  EXPECT_TRUE(BoxOf(enabled, highlight).Empty());
  EXPECT_TRUE(BoxOf(enabled, shadow).Empty());
  EXPECT_EQ(enabled.Pixel(59, 19), ColorToRGB(clTeal));

  label.SetEnabled(false);
  TBitmap disabled(60, 20);
  label.PaintTo(disabled.Canvas(), 0, 0);
  TBox light = BoxOf(disabled, highlight), dark = BoxOf(disabled, shadow);
  ASSERT_FALSE(light.Empty());
  ASSERT_FALSE(dark.Empty());
  // The highlight copy lies one pixel right and down of the shadow copy,
  // which is drawn over it.
  EXPECT_EQ(light.right, dark.right + 1);
  EXPECT_EQ(light.bottom, dark.bottom + 1);
  TBox ink = BoxOf(enabled, ColorToRGB(label.Font().Color()));
  EXPECT_EQ(dark.left, ink.left);
  EXPECT_EQ(dark.top, ink.top);
}

TEST(EllipsisLabel, LongTextIsShortenedByTheMeasuredWidth) {
  const std::string path = "C:\\Program Files\\tidy Zaderuzo\\Some Folder\\Deeper\\archive file.txt";
  const std::string words = "Creating Self-Extracting Archive and waiting for it";
  struct {
    TEllipsis ellipsis;
    std::string caption;
    UINT shorten;  // the system's own shortening of the same text
    const char* name;
  } rows[] = {
      {TEllipsis::elNone, path, 0, "none: cut off"},
      {TEllipsis::elPath, path, DT_PATH_ELLIPSIS, "path: drive and file kept"},
      {TEllipsis::elEnd, words, DT_END_ELLIPSIS, "end"},
  };
  const int width = 150, height = 18;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TEllipsisLabel label(nullptr);
    label.SetAutoSize(false);
    label.SetBounds(0, 0, width, height);
    label.SetColor(clWhite);
    label.SetEllipsis(row.ellipsis);
    label.SetCaption(row.caption);
    TBitmap shown(width, height);
    label.PaintTo(shown.Canvas(), 0, 0);

    // What the text should read: measured with the label's font.
    TBitmap expected(width, height);
    TCanvas& c = expected.Canvas();
    c.Font.Assign(label.Font());
    ASSERT_GT(c.TextWidth(row.caption), width) << "the row's text must not fit";
    std::string text = row.caption;
    if (row.shorten) {
      std::vector<char> buf(text.begin(), text.end());
      buf.resize(text.size() + 8, '\0');
      RECT r{0, 0, width, height};
      DrawTextExA(c.Handle(), buf.data(), static_cast<int>(text.size()), &r,
                  row.shorten | DT_MODIFYSTRING | DT_CALCRECT | DT_SINGLELINE, nullptr);
      text = buf.data();
      EXPECT_LE(c.TextWidth(text), width);
      EXPECT_NE(text.find("..."), std::string::npos);
    }
    if (row.ellipsis == TEllipsis::elPath) {
      EXPECT_EQ(text.substr(0, 3), "C:\\");
      EXPECT_EQ(text.substr(text.size() - 17), "\\archive file.txt");
    }
    Fill(expected, RGB(255, 255, 255));
    RECT r{0, 0, width, height};
    c.Brush.SetStyle(TBrushStyle::bsClear);
    c.DrawText(text, r, DT_LEFT | DT_EXPANDTABS);
    EXPECT_TRUE(SamePixels(shown, expected));
    EXPECT_EQ(label.Width(), width) << "the label does not grow";
  }
}

TEST(EllipsisLabel, AnEllipsisTurnsAutoSizeOffForGood) {
  TEllipsisLabel label(nullptr);
  EXPECT_TRUE(label.AutoSize());
  label.SetCaption("short");
  int grown = label.Width();
  label.SetCaption("a much longer caption than before");
  EXPECT_GT(label.Width(), grown) << "AutoSize follows the text";
  label.SetEllipsis(TEllipsis::elPath);
  EXPECT_FALSE(label.AutoSize());
  int kept = label.Width();
  label.SetCaption("C:\\an\\even\\longer\\path\\than\\the\\caption\\before\\it.txt");
  EXPECT_EQ(label.Width(), kept);
  label.SetEllipsis(TEllipsis::elNone);
  EXPECT_FALSE(label.AutoSize());
}

TEST(EllipsisLabel, AnEmptyCaptionMeasuresOneLine) {
  TProbeLabel label(nullptr);
  label.SetAutoSize(false);
  label.SetBounds(0, 0, 80, 40);
  label.SetLayout(TTextLayout::tlCenter);
  TBitmap bmp(80, 40);
  TCanvas& c = bmp.Canvas();
  c.Font.Assign(label.Font());
  c.Prepare();
  TEXTMETRICA tm{};
  GetTextMetricsA(c.Handle(), &tm);
  for (const char* caption : {"", "&"}) {
    SCOPED_TRACE(caption);
    label.SetCaption(caption);
    EXPECT_EQ(label.Measure(c).bottom, tm.tmHeight);
  }
}
