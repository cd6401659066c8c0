#include "FormPalette.h"

namespace {

// Realizes the palette in the window's DC; the number of colours that moved.
UINT Realize(HWND wnd, HPALETTE palette, bool background) {
  HDC dc = GetDC(wnd);
  if (!dc) return 0;
  HPALETTE old = SelectPalette(dc, palette, background ? TRUE : FALSE);
  UINT changed = RealizePalette(dc);
  if (old) SelectPalette(dc, old, TRUE);
  ReleaseDC(wnd, dc);
  return changed == GDI_ERROR ? 0 : changed;
}

void RepaintWithOwner(HWND wnd) {
  InvalidateRect(wnd, nullptr, TRUE);
  if (HWND owner = GetWindow(wnd, GW_OWNER)) InvalidateRect(owner, nullptr, TRUE);
}

}  // namespace

bool HandlePaletteMessage(HWND wnd, HPALETTE palette, TMessage& m) {
  switch (m.Msg) {
    case WM_QUERYNEWPALETTE:
      if (!palette) return false;
      if (Realize(wnd, palette, false)) RepaintWithOwner(wnd);
      m.Result = TRUE;
      return true;
    case WM_PALETTECHANGED:
      if (!palette) return false;
      if (reinterpret_cast<HWND>(m.WParam) != wnd && Realize(wnd, palette, true)) RepaintWithOwner(wnd);
      m.Result = 0;
      return true;
    default: return false;
  }
}

TPaletteSelection::TPaletteSelection(HDC dc, HPALETTE palette) : dc_(dc) {
  if (!palette || !dc) return;
  old_ = SelectPalette(dc_, palette, FALSE);
  RealizePalette(dc_);
}

TPaletteSelection::~TPaletteSelection() {
  if (old_) SelectPalette(dc_, old_, TRUE);
}
