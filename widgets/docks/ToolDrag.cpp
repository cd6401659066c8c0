// The modal loops of a tool window: dragging it between docks and the
// floating state, sizing it when floating, and its close button. Each runs
// inside one gesture with the mouse captured and releases the capture, the
// cursor clip, the desktop DC and the update lock on every way out.
#include <windowsx.h>

#include <functional>

#include "Gdi.h"
#include "ToolWindow.h"

namespace {
enum class TTrack { Continue, Pass, Accept, Cancel };

// Runs until the handler accepts or cancels; losing the capture, a quit
// message (posted again) or a message error cancel.
bool TrackMessages(HWND capture, const std::function<TTrack(const MSG&)>& handle) {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) return false;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    switch (handle(msg)) {
      case TTrack::Accept: return true;
      case TTrack::Cancel: return false;
      case TTrack::Pass:
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        break;
      case TTrack::Continue: break;
    }
    if (GetCapture() != capture) return false;
  }
}

bool IsKey(UINT msg) { return msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP; }
bool IsOtherButton(UINT msg) { return msg >= WM_RBUTTONDOWN && msg <= WM_MBUTTONDBLCLK; }

POINT ScreenPointOf(const MSG& msg) {
  POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  ClientToScreen(msg.hwnd, &p);
  return p;
}

void DispatchPendingPaints() {
  MSG msg;
  for (int i = 0; i < 256 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {  // a peek takes it whatever the filter
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchMessageA(&msg);
  }
}

// The outline drawn on the desktop by inverting through a halftone brush;
// only what differs between the old and the new outline is inverted.
class TDragOutline {
public:
  explicit TDragOutline(HDC dc) : dc_(dc) {
    static const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    pattern_.Reset(CreateBitmap(8, 8, 1, 1, rows));
    brush_.Reset(CreatePatternBrush(pattern_.Get()));
  }
  ~TDragOutline() { Move(nullptr, 0); }
  TDragOutline(const TDragOutline&) = delete;
  TDragOutline& operator=(const TDragOutline&) = delete;

  void Move(const RECT* r, int thickness) {
    if (dc_) {
      TRegion before(shown_ ? Ring(rect_, thickness_) : CreateRectRgn(0, 0, 0, 0));
      TRegion after(r ? Ring(*r, thickness) : CreateRectRgn(0, 0, 0, 0));
      TRegion diff(CreateRectRgn(0, 0, 0, 0));
      CombineRgn(diff.Get(), before.Get(), after.Get(), RGN_XOR);
      RECT box;
      if (GetRgnBox(diff.Get(), &box) != NULLREGION) {
        TSaveDC save(dc_);
        SelectClipRgn(dc_, diff.Get());
        TSelectGuard brush(dc_, brush_.Get());
        PatBlt(dc_, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
      }
    }
    shown_ = r != nullptr;
    if (r) rect_ = *r;
    thickness_ = thickness;
  }

private:
  static HRGN Ring(const RECT& r, int thickness) {
    HRGN outer = CreateRectRgnIndirect(&r);
    RECT inner = r;
    InflateRect(&inner, -thickness, -thickness);
    if (inner.right > inner.left && inner.bottom > inner.top) {
      TRegion hole(CreateRectRgnIndirect(&inner));
      CombineRgn(outer, outer, hole.Get(), RGN_DIFF);
    }
    return outer;
  }

  HDC dc_;
  TBitmapHandle pattern_;
  TBrushHandle brush_;
  bool shown_ = false;
  RECT rect_{};
  int thickness_ = 0;
};

// Keeps the cursor inside a rectangle while alive.
class TCursorClip {
public:
  explicit TCursorClip(const RECT* r) : active_(r && ClipCursor(r)) {}
  ~TCursorClip() { if (active_) ClipCursor(nullptr); }
  TCursorClip(const TCursorClip&) = delete;
  TCursorClip& operator=(const TCursorClip&) = delete;

private:
  bool active_;
};

// What every loop draws on: the desktop, its updates locked.
struct TDesktopCanvas {
  TDesktopCanvas()
      : lock(GetDesktopWindow()), dc(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE) {}
  TUpdateLock lock;
  TWindowDC dc;
};

RECT ClientOnScreen(TControl* c) {
  RECT r = c->ClientRect();
  POINT o = c->ClientToScreen({0, 0});
  OffsetRect(&r, o.x, o.y);
  return r;
}
}  // namespace

void TCustomToolWindow::DragBar(int x, int y) {
  HWND wnd = Handle();
  RECT wr;
  GetWindowRect(wnd, &wr);
  RECT in = NonClientInsets();
  TDragGrip grip;
  grip.Grab = {x + in.left, y + in.top};
  grip.Ref = {wr.right - wr.left - 1, wr.bottom - wr.top - 1};
  bool ctrl = GetKeyState(VK_CONTROL) < 0;

  // The window sizes the bar would have floating and in each dock.
  const TFloatMetrics fm = FloatMetrics();
  const RECT fin = FloatingInsets(fm);
  const SIZE current{ClientWidth(), ClientHeight()};
  SIZE client = current;
  if (!ComputeLayout(TLayoutMode::lmMeasure, dockedTo_, nullptr, &client)) client = current;
  const SIZE floatSize{client.cx + fin.left + fin.right, client.cy + fin.top + fin.bottom};
  std::vector<TDock*> docks;
  std::vector<TDragDock> zones;
  for (int i = 0; i < ownerForm_->ComponentCount(); ++i) {
    auto* d = dynamic_cast<TDock*>(ownerForm_->Components(i));
    if (!d) continue;
    SIZE s = current;
    if (d != dockedTo_ && !ComputeLayout(TLayoutMode::lmMeasure, dockedTo_, d, &s)) s = current;
    int handle = dragHandle_ ? 9 : 0;
    if (d->DockAxis() == kAxisHorz) s = {s.cx + 4 + handle, s.cy + 4};
    else s = {s.cx + 4, s.cy + 4 + handle};
    TDragDock z;
    z.Position = d->Position();
    z.AllowDrag = d->AllowDrag();
    z.Client = ClientOnScreen(d);
    z.Size = s;
    docks.push_back(d);
    zones.push_back(z);
  }

  const RECT work = WorkArea();
  POINT cursor = ClientToScreen({x, y});
  int target = -1;
  RECT frame{};
  bool accepted;
  {
    DispatchPendingPaints();
    TDesktopCanvas desktop;
    TDragOutline outline(desktop.dc.Get());
    TCaptureGuard capture(wnd);
    auto update = [&](POINT c) {
      cursor = c;
      target = FindDragTarget(grip, zones, dockableTo_, c, ctrl, [&](int i) {
        bool accept = true;
        if (docks[static_cast<size_t>(i)]->OnRequestDock) docks[static_cast<size_t>(i)]->OnRequestDock(docks[static_cast<size_t>(i)], this, accept);
        return accept;
      });
      frame = target >= 0 ? DragFrame(grip, c, zones[static_cast<size_t>(target)].Size)
                          : FloatingDragFrame(grip, c, floatSize, work, fm);
      outline.Move(&frame, target >= 0 ? 1 : fm.FrameWidth);
    };
    update(cursor);
    accepted = TrackMessages(wnd, [&](const MSG& msg) {
      if (IsKey(msg.message)) {
        if (msg.wParam == VK_ESCAPE) return TTrack::Cancel;
        if (msg.wParam == VK_CONTROL) {
          bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
          if (down != ctrl) {
            ctrl = down;
            update(cursor);
          }
        }
        return TTrack::Continue;
      }
      switch (msg.message) {
        case WM_MOUSEMOVE: update(ScreenPointOf(msg)); return TTrack::Continue;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: return TTrack::Cancel;
        case WM_LBUTTONUP: return TTrack::Accept;
        default: return IsOtherButton(msg.message) ? TTrack::Continue : TTrack::Pass;
      }
    });
  }
  if (!accepted) return;

  if (target >= 0) {
    TDock* d = docks[static_cast<size_t>(target)];
    RECT dc = zones[static_cast<size_t>(target)].Client;
    bool horz = d->DockAxis() == kAxisHorz;
    int centre = horz ? (frame.top + frame.bottom) / 2 - dc.top : (frame.left + frame.right) / 2 - dc.left;
    TDropRow drop = d->RowForDrop(centre);
    int row = drop.Row;
    if (drop.NewRow) {
      d->OpenRowAt(row);
    } else if (fullSize_ && d->CountBarsInRow(row, this) > 0) {
      ++row;  // a full-size bar gets a row of its own after the one it was dropped on
      d->OpenRowAt(row);
    }
    SetDockRow(row);
    SetDockPos(horz ? frame.left - dc.left : frame.top - dc.top);
    SetDockedTo(d);
  } else {
    floatingLeft_ = frame.left;
    floatingTop_ = frame.top;
    SetDockedTo(nullptr);
  }
  KeepOnScreen(true);
}

bool TCustomToolWindow::SizeBar(int hitCode, POINT pressScreen, RECT& result) {
  HWND wnd = Handle();
  const TFloatMetrics fm = FloatMetrics();
  const RECT fin = FloatingInsets(fm);
  const SIZE least = GetMinimumSize();
  const SIZE minimum{least.cx + fin.left + fin.right, least.cy + fin.top + fin.bottom};
  RECT press;
  GetWindowRect(wnd, &press);
  RECT rect = press;
  bool accepted = false;
  BeginSizing(hitCode);
  try {
    DispatchPendingPaints();
    TDesktopCanvas desktop;
    TDragOutline outline(desktop.dc.Get());
    const RECT work = WorkArea();
    TCursorClip clip(params_.ClipWhileSizing ? &work : nullptr);
    TCaptureGuard capture(wnd);
    outline.Move(&rect, fm.FrameWidth);
    POINT last = pressScreen;
    accepted = TrackMessages(wnd, [&](const MSG& msg) {
      if (IsKey(msg.message)) return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE ? TTrack::Cancel : TTrack::Continue;
      switch (msg.message) {
        case WM_MOUSEMOVE: {
          POINT p = ScreenPointOf(msg);
          if (p.x == last.x && p.y == last.y) return TTrack::Continue;
          last = p;
          rect = SizingRect(press, hitCode, {p.x - pressScreen.x, p.y - pressScreen.y}, minimum);
          Sizing(p, rect, press);
          outline.Move(&rect, fm.FrameWidth);
          return TTrack::Continue;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: return TTrack::Cancel;
        case WM_LBUTTONUP: return TTrack::Accept;
        default: return IsOtherButton(msg.message) ? TTrack::Continue : TTrack::Pass;
      }
    });
  } catch (...) {
    EndSizing(false);
    throw;
  }
  EndSizing(accepted);
  result = rect;
  return accepted;
}

void TCustomToolWindow::TrackCloseButton() {
  HWND wnd = Handle();
  const TFloatMetrics fm = FloatMetrics();
  closeDown_ = true;
  RedrawFloatingFrame(false, true, false);
  bool click = false;
  {
    struct TRaise {
      TCustomToolWindow* bar;
      ~TRaise() {
        bar->closeDown_ = false;
        bar->RedrawFloatingFrame(false, true, false);
      }
    } raise{this};
    TCaptureGuard capture(wnd);
    TrackMessages(wnd, [&](const MSG& msg) {
      if (IsKey(msg.message) || IsOtherButton(msg.message)) return TTrack::Continue;
      switch (msg.message) {
        case WM_MOUSEMOVE: {
          RECT wr;
          GetWindowRect(wnd, &wr);
          RECT square = CloseButtonRect(fm, ClientWidth());
          OffsetRect(&square, wr.left, wr.top);
          bool over = PtInRect(&square, ScreenPointOf(msg)) != FALSE;
          if (over != closeDown_) {
            closeDown_ = over;
            RedrawFloatingFrame(false, true, false);
          }
          return TTrack::Continue;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: return TTrack::Cancel;
        case WM_LBUTTONUP:
          click = closeDown_;
          return TTrack::Accept;
        default: return TTrack::Pass;
      }
    });
  }
  if (!click) return;
  Hide();
  if (OnClose) OnClose(this);
}
