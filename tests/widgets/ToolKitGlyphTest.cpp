// Button glyphs: images per state read back from memory bitmaps, the
// shared image lists, and the layout of glyph, caption and arrow.
#include <gtest/gtest.h>

#include "KitTestSupport.h"
#include "ToolKitGlyph.h"

using namespace kit;

namespace {
constexpr COLORREF kKey = RGB(0, 128, 128);  // the strip's transparent colour
const COLORREF kImageColours[] = {RGB(200, 0, 0), RGB(0, 0, 200), RGB(0, 160, 0), RGB(160, 160, 0), RGB(90, 40, 10)};

// `n` images of `size` x `size`: the key colour around a square of each
// image's own colour from (3, 3) to (size - 3, size - 3).
std::unique_ptr<TBitmap> Strip(int n, int size = 16) {
  auto bmp = std::make_unique<TBitmap>(n * size, size);
  Fill(*bmp, kKey);
  for (int i = 0; i < n; ++i) Fill(*bmp, kImageColours[i], {i * size + 3, 3, i * size + size - 3, size - 3});
  return bmp;
}

std::unique_ptr<TBitmap> Drawn(TButtonGlyph& glyph, TButtonState state, int size = 20) {
  auto bmp = std::make_unique<TBitmap>(size, size);
  Fill(*bmp, kMarker);
  glyph.DrawGlyph(bmp->Canvas(), {0, 0}, state);
  return bmp;
}
}  // namespace

TEST(ButtonGlyph, NumGlyphsFollowsTheStripShape) {
  struct {
    int width, height, before, after;
  } rows[] = {{80, 16, 2, 5}, {96, 16, 2, 1}, {50, 16, 3, 3}, {16, 16, 4, 1}, {32, 16, 1, 2}};
  for (auto row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    TButtonGlyph glyph;
    glyph.SetNumGlyphs(row.before);
    TBitmap bmp(row.width, row.height);
    glyph.SetGlyph(bmp);
    EXPECT_EQ(glyph.NumGlyphs(), row.after);
  }
}

TEST(ButtonGlyph, EachStateDrawsItsImageOrTheFirst) {
  using S = TButtonState;
  struct {
    int numGlyphs;
    S state;
    int image;
  } rows[] = {{5, S::bsUp, 0}, {5, S::bsDown, 2}, {5, S::bsExclusive, 3}, {5, S::bsHot, 4},
              {1, S::bsHot, 0}, {1, S::bsDown, 0}, {3, S::bsHot, 0},      {4, S::bsExclusive, 3}};
  for (auto row : rows) {
    SCOPED_TRACE(std::to_string(row.numGlyphs) + " images, state " + EnumNames<S>()[static_cast<int>(row.state)]);
    TButtonGlyph glyph;
    glyph.SetGlyph(*Strip(row.numGlyphs));
    ASSERT_EQ(glyph.NumGlyphs(), row.numGlyphs);
    auto bmp = Drawn(glyph, row.state);
    EXPECT_EQ(bmp->Pixel(8, 8), kImageColours[row.image]);
    EXPECT_EQ(bmp->Pixel(1, 1), kMarker) << "the key colour is transparent";
    EXPECT_EQ(bmp->Pixel(16, 8), kMarker) << "nothing beyond the image";
  }
}

TEST(ButtonGlyph, SynthesisedDisabledImageIsAnEmbossedSilhouette) {
  TButtonGlyph glyph;
  glyph.SetGlyph(*Strip(1));
  auto bmp = Drawn(glyph, TButtonState::bsDisabled);
  COLORREF highlight = Sys(COLOR_BTNHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW);
  EXPECT_EQ(bmp->Pixel(3, 3), shadow);
  EXPECT_EQ(bmp->Pixel(12, 12), shadow);
  EXPECT_EQ(bmp->Pixel(13, 13), highlight) << "one pixel down and right of the shape";
  EXPECT_EQ(bmp->Pixel(13, 4), highlight);
  EXPECT_EQ(bmp->Pixel(2, 2), kMarker);
  EXPECT_EQ(bmp->Pixel(14, 14), kMarker);
  EXPECT_EQ(bmp->Pixel(16, 16), kMarker) << "the extra row and column are transparent where empty";
}

TEST(ButtonGlyph, DisabledBackgroundColoursByStyle) {
  // Silver and white in the drawing are background in the new style; in the
  // old style everything but black is.
  auto strip = std::make_unique<TBitmap>(16, 16);
  Fill(*strip, kKey);
  Fill(*strip, RGB(192, 192, 192), {2, 2, 6, 6});
  Fill(*strip, RGB(255, 255, 255), {8, 2, 12, 6});
  Fill(*strip, RGB(0, 0, 0), {2, 9, 6, 13});
  Fill(*strip, RGB(0, 0, 200), {8, 9, 12, 13});
  struct {
    bool old;
    bool silver, white, black, blue;
  } rows[] = {{false, false, false, true, true}, {true, false, false, true, false}};
  for (auto row : rows) {
    SCOPED_TRACE(row.old ? "old style" : "new style");
    TButtonGlyph glyph;
    glyph.SetOldDisabledStyle(row.old);
    glyph.SetGlyph(*strip);
    auto bmp = Drawn(glyph, TButtonState::bsDisabled);
    COLORREF shadow = Sys(COLOR_BTNSHADOW);
    EXPECT_EQ(bmp->Pixel(3, 3) == shadow, row.silver);
    EXPECT_EQ(bmp->Pixel(9, 3) == shadow, row.white);
    EXPECT_EQ(bmp->Pixel(3, 10) == shadow, row.black);
    EXPECT_EQ(bmp->Pixel(9, 10) == shadow, row.blue);
  }
}

TEST(ButtonGlyph, LightDrawingGivesAnEmptyDisabledImage) {
  auto strip = std::make_unique<TBitmap>(16, 16);
  Fill(*strip, kKey);
  Fill(*strip, RGB(192, 192, 192), {2, 2, 14, 8});
  Fill(*strip, RGB(255, 255, 255), {2, 8, 14, 14});
  TButtonGlyph glyph;
  glyph.SetGlyph(*strip);
  auto bmp = Drawn(glyph, TButtonState::bsDisabled);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(bmp->Pixel(x, y), kMarker) << x << "," << y;
}

TEST(ButtonGlyph, StripDisabledImageTakesTheSchemeColours) {
  auto strip = Strip(2);
  Fill(*strip, RGB(255, 255, 255), {16 + 3, 3, 16 + 8, 13});
  Fill(*strip, RGB(128, 128, 128), {16 + 8, 3, 16 + 13, 13});
  TButtonGlyph glyph;
  glyph.SetGlyph(*strip);
  auto bmp = Drawn(glyph, TButtonState::bsDisabled);
  EXPECT_EQ(bmp->Pixel(4, 8), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(bmp->Pixel(10, 8), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(bmp->Pixel(1, 1), kMarker);
  EXPECT_EQ(bmp->Pixel(16, 8), kMarker);
}

TEST(ButtonGlyph, MaskChoosesTheTransparentPixels) {
  auto strip = std::make_unique<TBitmap>(16, 16);
  Fill(*strip, RGB(0, 0, 200));
  TBitmap mask(16, 16);
  Fill(mask, RGB(255, 255, 255));
  Fill(mask, RGB(0, 0, 0), {4, 4, 12, 12});
  TButtonGlyph glyph;
  glyph.SetGlyph(*strip);
  glyph.SetGlyphMask(mask);
  auto up = Drawn(glyph, TButtonState::bsUp);
  EXPECT_EQ(up->Pixel(8, 8), RGB(0, 0, 200));
  EXPECT_EQ(up->Pixel(2, 2), kMarker);
  auto disabled = Drawn(glyph, TButtonState::bsDisabled);
  EXPECT_EQ(disabled->Pixel(8, 8), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(disabled->Pixel(2, 2), kMarker);
}

TEST(ButtonGlyph, SameSizedGlyphsShareTheirLists) {
  {
    TButtonGlyph a, b;
    a.SetGlyph(*Strip(1));
    b.SetGlyph(*Strip(2));
    for (TButtonGlyph* g : {&a, &b}) {
      g->CreateButtonGlyph(TButtonState::bsUp);
      g->CreateButtonGlyph(TButtonState::bsDisabled);
    }
    ASSERT_NE(GlyphCache(), nullptr);
    EXPECT_EQ(GlyphCache()->ListCount(), 2);
    auto up = a.CreateButtonGlyph(TButtonState::bsUp), up2 = b.CreateButtonGlyph(TButtonState::bsUp);
    auto dis = a.CreateButtonGlyph(TButtonState::bsDisabled);
    EXPECT_EQ(up.List, up2.List);
    EXPECT_NE(up.Index, up2.Index);
    EXPECT_EQ(up.List->ImageWidth(), 16);
    EXPECT_EQ(dis.List->ImageWidth(), 17);
    EXPECT_EQ(dis.List->ImageHeight(), 17);
    // A freed slot is reused by the next image of that size.
    int freed = up.Index;
    a.Invalidate();
    EXPECT_EQ(GlyphCache()->ListCount(), 2) << "b still uses both lists";
    TButtonGlyph c;
    c.SetGlyph(*Strip(1));
    auto again = c.CreateButtonGlyph(TButtonState::bsUp);
    EXPECT_EQ(again.List, up2.List);
    EXPECT_EQ(again.Index, freed);
  }
  EXPECT_EQ(GlyphCache(), nullptr) << "the cache goes with the last glyph";
}

TEST(ButtonGlyph, CacheOutlivesEveryGlyphThatUsesIt) {
  auto first = std::make_unique<TButtonGlyph>();
  TButtonGlyph second;
  // The first glyph goes while the cache holds no list.
  first.reset();
  ASSERT_NE(GlyphCache(), nullptr);
  second.SetGlyph(*Strip(1));
  auto ref = second.CreateButtonGlyph(TButtonState::bsUp);
  ASSERT_NE(ref.List, nullptr);
  EXPECT_EQ(Drawn(second, TButtonState::bsUp)->Pixel(8, 8), kImageColours[0]);
}

TEST(ButtonGlyph, ListStaysWhileHeldEvenWithNoImage) {
  TButtonGlyph keepCacheAlive;
  TGlyphCache* cache = GlyphCache();
  TGlyphList* list = cache->GetList(24, 24);
  EXPECT_EQ(cache->GetList(24, 24), list) << "one list per size";
  cache->ReturnList(list);
  EXPECT_EQ(cache->ListCount(), 1) << "a holder is left, though no slot is used";
  int slot = list->AllocateIndex();
  EXPECT_EQ(slot, 0);
  list->Delete(slot);
  cache->ReturnList(list);
  EXPECT_TRUE(cache->Empty());
}

TEST(ButtonGlyph, ReplaceMaskedRefusesSmallImages) {
  TGlyphList list(16, 16);
  TBitmap small(8, 16);
  try {
    list.AddMasked(small, kBottomLeftColor);
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Invalid image size");
  }
  EXPECT_EQ(list.Count(), 0) << "the slot taken for it is free again";
  EXPECT_EQ(list.AllocateIndex(), 0);
}

TEST(ButtonGlyph, TextIsEmbossedWhenDisabled) {
  TButtonGlyph glyph;
  TBitmap bmp(60, 20);
  Fill(bmp, kMarker);
  bmp.Canvas().Font.SetColor(clBlack);
  glyph.DrawButtonText(bmp.Canvas(), "Wg", {0, 0, 60, 20}, TButtonState::bsDisabled, false);
  bool shadow = false, highlight = false, black = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      shadow |= bmp.Pixel(x, y) == Sys(COLOR_BTNSHADOW);
      highlight |= bmp.Pixel(x, y) == Sys(COLOR_BTNHIGHLIGHT);
      black |= bmp.Pixel(x, y) == RGB(0, 0, 0);
    }
  EXPECT_TRUE(shadow);
  EXPECT_TRUE(highlight);
  EXPECT_FALSE(black);
}

TEST(ButtonGlyph, DropArrowIsASmallTriangle) {
  TButtonGlyph glyph;
  TBitmap bmp(20, 10);
  Fill(bmp, kMarker);
  bmp.Canvas().Font.SetColor(clBlack);
  glyph.DrawButtonDropArrow(bmp.Canvas(), 2, 3, TButtonState::bsUp);
  EXPECT_EQ(bmp.Pixel(2 + 6, 3), RGB(0, 0, 0));
  EXPECT_EQ(bmp.Pixel(2 + 6, 3 + 1), RGB(0, 0, 0));
  EXPECT_EQ(bmp.Pixel(2 + 6, 3 + 2), RGB(0, 0, 0));
  EXPECT_EQ(bmp.Pixel(2 + 3, 3), kMarker);
  EXPECT_EQ(bmp.Pixel(2 + 6, 3 + 4), kMarker);
}

TEST(ButtonGlyph, LayoutPlacesGlyphTextAndArrow) {
  TButtonGlyph glyph;
  glyph.SetGlyph(*Strip(1));
  TBitmap bmp(10, 10);
  TCanvas& canvas = bmp.Canvas();
  RECT calc{0, 0, 1000, 0};
  canvas.DrawText("Open", calc, DT_CALCRECT);
  const int tw = calc.right, th = calc.bottom;
  const RECT client{2, 3, 2 + 80, 3 + 40};
  const int cw = 80, ch = 40, g = 16;
  using L = TButtonLayout;
  struct {
    const char* name;
    L layout;
    int margin, spacing;
    bool arrow, showGlyph;
    POINT glyphPos, textPos, arrowPos;
  } rows[] = {
      {"left, centred", L::blGlyphLeft, -1, 4, false, true,
       {(cw - (g + 4 + tw) + 1) / 2, (ch - g + 1) / 2},
       {(cw - (g + 4 + tw) + 1) / 2 + g + 4, (ch - th + 1) / 2}, {0, 0}},
      {"left, margin 2, spread", L::blGlyphLeft, 2, -1, false, true,
       {2, (ch - g + 1) / 2}, {2 + g + (cw - 2 - g - tw) / 2, (ch - th + 1) / 2}, {0, 0}},
      {"right, margin 3", L::blGlyphRight, 3, 4, false, true,
       {cw - 3 - g, (ch - g + 1) / 2}, {cw - 3 - g - 4 - tw, (ch - th + 1) / 2}, {0, 0}},
      {"top, even", L::blGlyphTop, -1, -1, false, true,
       {(cw - g + 1) / 2, (ch - (g + th)) / 3}, {(cw - tw + 1) / 2, (ch - (g + th)) / 3 * 2 + g}, {0, 0}},
      {"bottom, margin 1", L::blGlyphBottom, 1, 2, false, true,
       {(cw - g + 1) / 2, ch - 1 - g}, {(cw - tw + 1) / 2, ch - 1 - g - 2 - th}, {0, 0}},
      {"left with arrow", L::blGlyphLeft, 4, 4, true, true,
       {4, (ch - g + 1) / 2}, {4 + g + 4, (ch - th + 1) / 2}, {4 + g + 4 + tw, (ch - g + 1) / 2 + (g - 3) / 2}},
      {"top without a glyph is left", L::blGlyphTop, -1, 4, false, false,
       {(cw - tw + 1) / 2, (ch + 1) / 2}, {(cw - tw + 1) / 2, (ch - th + 1) / 2}, {0, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto r = glyph.CalcButtonLayout(canvas, client, {1, 1}, "Open", row.layout, row.margin, row.spacing, false,
                                    row.showGlyph, true, row.arrow);
    if (row.showGlyph) {
      EXPECT_EQ(r.GlyphPos.x, row.glyphPos.x + 3);
      EXPECT_EQ(r.GlyphPos.y, row.glyphPos.y + 4);
    }
    EXPECT_EQ(r.TextBounds.left, row.textPos.x + 3);
    EXPECT_EQ(r.TextBounds.top, row.textPos.y + 4);
    EXPECT_EQ(r.TextBounds.right - r.TextBounds.left, tw);
    EXPECT_EQ(r.TextBounds.bottom - r.TextBounds.top, th);
    if (row.arrow) {
      EXPECT_EQ(r.ArrowPos.x, row.arrowPos.x + 3);
      EXPECT_EQ(r.ArrowPos.y, row.arrowPos.y + 4);
    }
  }
}
