// Drawing 16 x 16 item pictures: transparent (the bottom-left pixel's
// colour is the background) or embossed for a disabled item, the shared
// dither brush of checked rows, and the check and radio marks.
#pragma once
#include <windows.h>

#include "Graphics.h"

// Copies every pixel of the picture's top-left 16 x 16 (less for a smaller
// picture) that differs from its bottom-left pixel (0, 15).
void DrawTransparentGlyph(TCanvas& canvas, int x, int y, HBITMAP bitmap);
// The dark pixels among those, first in the button-highlight colour at
// +1,+1, then in the button-shadow colour in place.
void DrawEmbossedGlyph(TCanvas& canvas, int x, int y, HBITMAP bitmap);
// Dark as the embossed look counts it.
constexpr bool IsDarkGlyphPixel(COLORREF c) { return GetRValue(c) < 133 && GetGValue(c) <= 128 && GetBValue(c) <= 132; }

// The 8 x 8 dither of checked rows: button highlight where row and column
// parity match, button face elsewhere. Dropped on a system colour change.
HBITMAP DitherBitmap();
void DropDitherBitmap();

// "CHECKMARK" and "RADIOITEM", loaded once.
HBITMAP CheckMarkBitmap();
HBITMAP RadioItemBitmap();
void FreeMarkBitmaps();
