// Thin owners and guards for GDI and window-manager resources: each frees
// what it holds on every path out.
#pragma once
#include <windows.h>

#include <utility>

// Owns one GDI object (font, brush, pen, bitmap, region).
template <class H>
class TGdiObject {
public:
  TGdiObject() = default;
  explicit TGdiObject(H h) : h_(h) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TGdiObject& operator=(TGdiObject&& o) noexcept { if (this != &o) { Reset(); h_ = std::exchange(o.h_, nullptr); } return *this; }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(H h = nullptr) { if (h_) DeleteObject(h_); h_ = h; }
  H Detach() { return std::exchange(h_, nullptr); }

private:
  H h_ = nullptr;
};
using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TPenHandle = TGdiObject<HPEN>;
using TBitmapHandle = TGdiObject<HBITMAP>;
using TRegion = TGdiObject<HRGN>;

// Selects an object into a DC and puts the old one back.
class TSelectGuard {
public:
  TSelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~TSelectGuard() { if (old_) SelectObject(dc_, old_); }
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// GetDC / GetWindowDC / GetDCEx, released on destruction.
class TWindowDC {
public:
  enum TKind { Client, Window };
  explicit TWindowDC(HWND wnd, TKind kind = Client) : wnd_(wnd), dc_(kind == Window ? GetWindowDC(wnd) : GetDC(wnd)) {}
  TWindowDC(HWND wnd, HRGN clip, DWORD flags) : wnd_(wnd), dc_(GetDCEx(wnd, clip, flags)) {}
  ~TWindowDC() { if (dc_) ReleaseDC(wnd_, dc_); }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return dc_; }

private:
  HWND wnd_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class TPaintDC {
public:
  explicit TPaintDC(HWND wnd) : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
  ~TPaintDC() { EndPaint(wnd_, &ps_); }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  HDC Get() const { return dc_; }
  const RECT& PaintRect() const { return ps_.rcPaint; }

private:
  HWND wnd_;
  HDC dc_;
  PAINTSTRUCT ps_{};
};

// A memory DC compatible with `dc` (the screen when null).
class TMemoryDC {
public:
  explicit TMemoryDC(HDC dc = nullptr) : dc_(CreateCompatibleDC(dc)) {}
  ~TMemoryDC() { if (dc_) DeleteDC(dc_); }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC Get() const { return dc_; }

private:
  HDC dc_;
};

// SaveDC / RestoreDC.
class TSaveDC {
public:
  explicit TSaveDC(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  ~TSaveDC() { RestoreDC(dc_, id_); }
  TSaveDC(const TSaveDC&) = delete;
  TSaveDC& operator=(const TSaveDC&) = delete;

private:
  HDC dc_;
  int id_;
};

// Mouse capture, released unless something else took it meanwhile.
class TCaptureGuard {
public:
  explicit TCaptureGuard(HWND wnd) : wnd_(wnd) { SetCapture(wnd); }
  ~TCaptureGuard() { if (GetCapture() == wnd_) ReleaseCapture(); }
  TCaptureGuard(const TCaptureGuard&) = delete;
  TCaptureGuard& operator=(const TCaptureGuard&) = delete;

private:
  HWND wnd_;
};

// Stops a window from redrawing (WM_SETREDRAW) until destroyed.
class TRedrawLock {
public:
  explicit TRedrawLock(HWND wnd) : wnd_(wnd) { if (wnd_) SendMessageA(wnd_, WM_SETREDRAW, FALSE, 0); }
  ~TRedrawLock() { if (wnd_) SendMessageA(wnd_, WM_SETREDRAW, TRUE, 0); }
  TRedrawLock(const TRedrawLock&) = delete;
  TRedrawLock& operator=(const TRedrawLock&) = delete;

private:
  HWND wnd_;
};

// LockWindowUpdate, for changes that Wine or Windows would draw half-done.
class TUpdateLock {
public:
  explicit TUpdateLock(HWND wnd) : locked_(wnd && LockWindowUpdate(wnd)) {}
  ~TUpdateLock() { if (locked_) LockWindowUpdate(nullptr); }
  TUpdateLock(const TUpdateLock&) = delete;
  TUpdateLock& operator=(const TUpdateLock&) = delete;

private:
  bool locked_;
};
