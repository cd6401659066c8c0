#include "MenuGlyphs.h"

#include <algorithm>
#include <vector>

#include "Gdi.h"

namespace {
// The picture's pixels, at most 16 x 16, read once.
struct TGlyphPixels {
  int Width = 0, Height = 0;
  std::vector<COLORREF> Pixels;
  COLORREF Background = 0;
  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }
};

bool ReadGlyph(HBITMAP bitmap, TGlyphPixels& out) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0) return false;
  out.Width = std::min<int>(info.bmWidth, 16);
  out.Height = std::min<int>(info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, 16);
  TMemoryDC dc;
  TSelectGuard select(dc.Get(), bitmap);
  out.Pixels.resize(static_cast<size_t>(out.Width * out.Height));
  for (int y = 0; y < out.Height; ++y)
    for (int x = 0; x < out.Width; ++x) out.Pixels[static_cast<size_t>(y * out.Width + x)] = GetPixel(dc.Get(), x, y);
  // Pixel (0, 15), or the bottom-left pixel of a smaller picture.
  out.Background = out.At(0, out.Height - 1);
  return true;
}

struct TMarks {
  HBITMAP check = nullptr, radio = nullptr;
  bool loaded = false;
  TBitmapHandle dither;
  COLORREF face = 0, highlight = 0;
} marks;

// The marks and the dither go as the program ends.
struct TMarksRelease {
  ~TMarksRelease();
} marksRelease;

void LoadMarks() {
  if (marks.loaded) return;
  marks.loaded = true;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  marks.check = static_cast<HBITMAP>(LoadImageA(inst, "CHECKMARK", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  marks.radio = static_cast<HBITMAP>(LoadImageA(inst, "RADIOITEM", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
}  // namespace

void DrawTransparentGlyph(TCanvas& canvas, int x, int y, HBITMAP bitmap) {
  TGlyphPixels g;
  if (!ReadGlyph(bitmap, g)) return;
  for (int row = 0; row < g.Height; ++row)
    for (int col = 0; col < g.Width; ++col)
      if (g.At(col, row) != g.Background) SetPixel(canvas.Handle(), x + col, y + row, g.At(col, row));
}

void DrawEmbossedGlyph(TCanvas& canvas, int x, int y, HBITMAP bitmap) {
  TGlyphPixels g;
  if (!ReadGlyph(bitmap, g)) return;
  COLORREF colors[2] = {GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
  for (int pass = 0; pass < 2; ++pass) {
    int offset = pass == 0 ? 1 : 0;
    for (int col = 0; col < g.Width; ++col)
      for (int row = 0; row < g.Height; ++row) {
        COLORREF c = g.At(col, row);
        if (c != g.Background && IsDarkGlyphPixel(c))
          SetPixel(canvas.Handle(), x + col + offset, y + row + offset, colors[pass]);
      }
  }
}

HBITMAP DitherBitmap() {
  COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (marks.dither && (marks.face != face || marks.highlight != highlight)) marks.dither.Reset();
  if (!marks.dither) {
    TWindowDC screen(nullptr);
    marks.dither.Reset(CreateCompatibleBitmap(screen.Get(), 8, 8));
    TMemoryDC dc(screen.Get());
    TSelectGuard select(dc.Get(), marks.dither.Get());
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) SetPixel(dc.Get(), x, y, (x % 2) == (y % 2) ? highlight : face);
    marks.face = face;
    marks.highlight = highlight;
  }
  return marks.dither.Get();
}

void DropDitherBitmap() { marks.dither.Reset(); }

HBITMAP CheckMarkBitmap() {
  LoadMarks();
  return marks.check;
}

HBITMAP RadioItemBitmap() {
  LoadMarks();
  return marks.radio;
}

void FreeMarkBitmaps() {
  if (marks.check) DeleteObject(marks.check);
  if (marks.radio) DeleteObject(marks.radio);
  marks.check = marks.radio = nullptr;
  marks.loaded = false;
  marks.dither.Reset();
}

namespace {
TMarksRelease::~TMarksRelease() { FreeMarkBitmaps(); }
}  // namespace
