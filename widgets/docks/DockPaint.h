// Small painting helpers of the docks and bars.
#pragma once
#include <windows.h>

#include "Gdi.h"

// One line in a colour, its pen made and freed here.
inline void DrawLine(HDC dc, COLORREF colour, int x0, int y0, int x1, int y1) {
  TPenHandle pen(CreatePen(PS_SOLID, 1, colour));
  TSelectGuard use(dc, pen.Get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// A window's DC for painting its non-client area, drawing limited to the
// update region of WM_NCPAINT (the whole window when that region cannot be
// used); the DC's state is put back when done.
class TNonClientDC {
public:
  TNonClientDC(HWND wnd, HRGN updateRegion) : window_(RectOf(wnd)), dc_(wnd, TWindowDC::Window), save_(dc_.Get()) {
    if (!updateRegion || reinterpret_cast<UINT_PTR>(updateRegion) <= 1) return;
    // The region is in screen coordinates.
    TRegion clip(CreateRectRgn(0, 0, 0, 0));
    if (CombineRgn(clip.Get(), updateRegion, nullptr, RGN_COPY) == ERROR ||
        OffsetRgn(clip.Get(), -window_.left, -window_.top) == ERROR || SelectClipRgn(dc_.Get(), clip.Get()) == ERROR)
      IntersectClipRect(dc_.Get(), 0, 0, Width(), Height());
  }
  TNonClientDC(const TNonClientDC&) = delete;
  TNonClientDC& operator=(const TNonClientDC&) = delete;

  HDC Get() const { return dc_.Get(); }
  int Width() const { return window_.right - window_.left; }
  int Height() const { return window_.bottom - window_.top; }

private:
  static RECT RectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
  }
  RECT window_;
  TWindowDC dc_;
  TSaveDC save_;
};
