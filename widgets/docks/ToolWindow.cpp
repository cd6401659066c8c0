#include "ToolWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "Gdi.h"
#include "Guards.h"
#include "DockPaint.h"
#include "Platform.h"
#include "ToolWatch.h"

namespace {
void Fill(HDC dc, const RECT& r, COLORREF colour) {
  TBrushHandle brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

void Frame(HDC dc, const RECT& r, COLORREF colour) {
  TBrushHandle brush(CreateSolidBrush(colour));
  FrameRect(dc, &r, brush.Get());
}

using TDrawCaptionProc = BOOL(WINAPI*)(HWND, HDC, const RECT*, UINT);

TDrawCaptionProc DrawCaptionProc() {
  static TDrawCaptionProc proc = [] {
    HMODULE user = GetModuleHandleA("user32.dll");
    FARPROC p = user ? GetProcAddress(user, "DrawCaption") : nullptr;
    return reinterpret_cast<TDrawCaptionProc>(reinterpret_cast<void*>(p));
  }();
  return proc;
}

bool InsideToolWindow(const TControl* c) {
  for (const TControl* p = c->Parent(); p; p = p->Parent())
    if (dynamic_cast<const TCustomToolWindow*>(p)) return true;
  return false;
}

// The first control in tab order that takes the focus and is not on a bar.
TWinControl* FirstTabStop(TWinControl* parent) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (!w || dynamic_cast<TCustomToolWindow*>(w)) continue;
    if (w->TabStop() && w->CanFocus() && !InsideToolWindow(w)) return w;
    if (TWinControl* inner = FirstTabStop(w)) return inner;
  }
  return nullptr;
}
}  // namespace

void TFloatParent::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WS_CHILD;
  p.ExStyle = 0;
  p.X = p.Y = p.Width = p.Height = 0;
}

// ---- Life

TCustomToolWindow::TCustomToolWindow(TComponent* owner, TToolWindowParams params)
    : TCustomControl(owner), params_(params) {
  ownerForm_ = dynamic_cast<TForm*>(owner);
  if (!ownerForm_) throw EInvalidOperation("Tool windows must be owned by a form");
  {
    TCounterHold lock(layoutLock_);
    topForm_ = ownerForm_;
    floatParent_ = new TFloatParent(ownerForm_);
    floatParent_->SetParent(topForm_);
    floatParent_->FreeNotification(this);
    WatchForm(0, topForm_, true);
    hiddenInactive_ = true;
    inactiveCaption_ = !Application().Active();
    SetDockedTo(nullptr);
  }
  AddNewToolWindow(this);
  PostMessageA(Application().Handle(), kRefreshToolWindowsMessage, static_cast<WPARAM>(kRefreshToolWindowsMagic),
               kRefreshToolWindowsMagic);
}

TCustomToolWindow::~TCustomToolWindow() {
  destroying_ = true;
  RemoveNewToolWindow(this);
  SetFloating(this, false);
  UnwatchForm(0, topForm_);
  if (Parent()) SetParent(nullptr);
  if (TFloatParent* f = floatParent_) {
    floatParent_ = nullptr;
    f->RemoveFreeNotification(this);
    delete f;
  }
}

void TCustomToolWindow::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == defaultDock_) defaultDock_ = nullptr;
  if (component == floatParent_) floatParent_ = nullptr;
}

void TCustomToolWindow::Loaded() {
  TCustomControl::Loaded();
  if (!docked_) {
    // Stored relative to the form's client area.
    topForm_->HandleNeeded();
    POINT origin = topForm_->ClientToScreen({0, 0});
    SetBounds(left_ + origin.x, top_ + origin.y, width_, height_);
    KeepOnScreen(false);
  }
  AfterLoad();
  ArrangeBar();
}

// ---- Parent, dock and visibility

void TCustomToolWindow::SetParent(TWinControl* parent) {
  if (parent && parent == ownerForm_ && floatParent_) parent = floatParent_;
  if (parent == Parent()) return;
  if (parent && !dynamic_cast<TDock*>(parent) && parent != ownerForm_ && !dynamic_cast<TFloatParent*>(parent))
    throw EInvalidOperation("A tool window can only be placed on a TDock or directly on the form");
  bool quiet = Destroying() || ownerForm_->Destroying();
  if (!quiet && OnRecreating) OnRecreating(this);
  if (auto* old = dynamic_cast<TDock*>(Parent())) old->UpdateBarList(false, this, false);
  TCustomControl::SetParent(nullptr);
  dockedTo_ = dynamic_cast<TDock*>(parent);
  docked_ = dockedTo_ != nullptr;
  try {
    TCustomControl::SetParent(parent);
  } catch (...) {
    dockedTo_ = dynamic_cast<TDock*>(Parent());
    docked_ = dockedTo_ != nullptr;
    SetFloating(this, Parent() && !docked_);
    throw;
  }
  SetFloating(this, Parent() && !docked_);
  if (dockedTo_) dockedTo_->UpdateBarList(true, this, Visible() || moveHideCount_ > 0);
  if (!quiet && OnRecreated) OnRecreated(this);
}

void TCustomToolWindow::SetDockedTo(TDock* dock) {
  TDock* old = dockedTo_;
  bool changing = dock != old;
  if (changing && OnDockChanging) OnDockChanging(this);
  {
    // A bar hidden for the move shows again after the locks below are
    // released, also on failure.
    bool hidden = false;
    struct TShowAgain {
      TCustomToolWindow* bar;
      bool& hidden;
      ~TShowAgain() {
        if (!hidden) return;
        bar->SetVisible(true);
        --bar->moveHideCount_;
      }
    } showAgain{this, hidden};
    TCounterHold bounds(boundsLock_);
    TDock::TArrangeHold targetHold(dock);
    if (changing && Visible() && !Destroying()) {
      ++moveHideCount_;
      hidden = true;
      TDock::TArrangeHold oldHold(old);
      SetVisible(false);
    }
    if (dock) {
      if (Parent()) ComputeLayout(TLayoutMode::lmApply, old, dock);
      if (Parent() != dock) {
        TCounterHold lock(layoutLock_);
        SetParent(dock);
      }
      ArrangeBar();
      if (changing) SetBounds(-width_, -height_, width_, height_);
    } else {
      if (Parent()) ComputeLayout(TLayoutMode::lmApply, old, nullptr);
      {
        TCounterHold lock(layoutLock_);
        if (!dynamic_cast<TFloatParent*>(Parent())) SetParent(ownerForm_);
        SetBounds(floatingLeft_, floatingTop_, width_, height_);
        KeepOnScreen(true);
      }
      ArrangeBar();
    }
  }
  if (dock) dock->LayOutBars();
  if (changing && OnDockChanged) OnDockChanged(this);
}

void TCustomToolWindow::SetVisible(bool visible) {
  if (visible == Visible()) return;
  TControl::SetVisible(visible);
  UpdateShowing();
  if (docked_ && dockedTo_) dockedTo_->UpdateBarList(visible, this, visible);
  if (moveHideCount_ == 0 && OnVisibleChanged) OnVisibleChanged(this);
}

bool TCustomToolWindow::ShouldShow() const {
  // A docked window is a child: its parents show it with them.
  return (docked_ ? Visible() : Showing()) && !hiddenInactive_;
}

void TCustomToolWindow::UpdateShowing() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  bool show = ShouldShow();
  bool shown = (GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE) != 0;
  if (show == shown) return;
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TCustomToolWindow::SetHiddenInactive(bool value) {
  if (value == hiddenInactive_) return;
  hiddenInactive_ = value;
  UpdateShowing();
}

void TCustomToolWindow::SetInactiveCaption(bool value) {
  if (value == inactiveCaption_) return;
  inactiveCaption_ = value;
  RedrawFloatingFrame(false, false, true);
}

void TCustomToolWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (dynamic_cast<TFloatParent*>(Parent())) {
    p.Style = (p.Style & ~static_cast<DWORD>(WS_CHILD)) | WS_POPUP | WS_BORDER | WS_THICKFRAME;
    p.ExStyle = 0;
  }
  // A popup made visible would be activated: it is shown afterwards.
  if (!docked_ || !ShouldShow()) p.Style &= ~static_cast<DWORD>(WS_VISIBLE);
  else p.Style |= WS_VISIBLE;
}

void TCustomToolWindow::HandleCreated() {
  TCustomControl::HandleCreated();
  UpdateShowing();
}

// ---- Properties

void TCustomToolWindow::SetCloseButton(bool value) {
  if (value == closeButton_) return;
  closeButton_ = value;
  RedrawFloatingFrame(false, true, true);
}

void TCustomToolWindow::SetDefaultDock(TDock* dock) {
  if (dock == defaultDock_) return;
  if (defaultDock_) defaultDock_->RemoveFreeNotification(this);
  defaultDock_ = dock;
  if (dock) dock->FreeNotification(this);
}

void TCustomToolWindow::SetDockPos(int value) {
  dockPos_ = value;
  if (docked_ && dockedTo_) dockedTo_->LayOutBars();
}

void TCustomToolWindow::SetDockRow(int value) {
  dockRow_ = value;
  if (docked_ && dockedTo_) dockedTo_->LayOutBars();
}

void TCustomToolWindow::SetDragHandle(bool value) {
  if (value == dragHandle_) return;
  dragHandle_ = value;
  if (docked_ && HandleAllocated()) {
    SetWindowPos(HandleIfAllocated(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangeBar();
  }
}

void TCustomToolWindow::SetFullSize(bool value) {
  if (value == fullSize_) return;
  fullSize_ = value;
  ArrangeBar();
}

// ---- Layout

void TCustomToolWindow::LockArrange() { ++layoutLock_; }

void TCustomToolWindow::UnlockArrange() {
  if (layoutLock_ > 0 && --layoutLock_ == 0 && arrangePending_) ArrangeBar();
}

void TCustomToolWindow::ArrangeBar() { ComputeLayout(TLayoutMode::lmApplyAndSize, dockedTo_, dockedTo_); }

bool TCustomToolWindow::ComputeLayout(TLayoutMode mode, TDock* fromDock, TDock* targetDock, SIZE* clientSize) {
  TWinControl* parent = Parent();
  if (layoutLock_ > 0 || Loading() || Destroying() || !parent || parent->Destroying()) {
    arrangePending_ = true;
    return false;
  }
  arrangePending_ = false;
  TCounterHold lock(layoutLock_);
  SIZE size = LayOutControls(mode != TLayoutMode::lmMeasure, fromDock, targetDock);
  if (mode == TLayoutMode::lmApplyAndSize) {
    RECT in = NonClientInsets();
    if (docked_ && dockedTo_) {
      TDock* d = dockedTo_;
      d->MeasureRows();
      int row = d->RowThickness(dockRow_, this);
      if (d->DockAxis() == kAxisHorz) {
        size.cy = std::max<LONG>(size.cy, row);
        if (fullSize_) size.cx = d->ClientWidth() - (in.left + in.right);
      } else {
        size.cx = std::max<LONG>(size.cx, row);
        if (fullSize_) size.cy = d->ClientHeight() - (in.top + in.bottom);
      }
    }
    int w = size.cx + in.left + in.right, h = size.cy + in.top + in.bottom;
    if (w != width_ || h != height_) {
      TCounterHold bounds(boundsLock_);
      SetBounds(left_, top_, w, h);
    }
  }
  if (clientSize) *clientSize = size;
  return true;
}

TFloatMetrics TCustomToolWindow::FloatMetrics() const {
  TFloatMetrics m;
  m.FrameWidth = GetSystemMetrics(resizable_ ? SM_CXSIZEFRAME : SM_CXDLGFRAME);
  m.FrameHeight = GetSystemMetrics(resizable_ ? SM_CYSIZEFRAME : SM_CYDLGFRAME);
  m.CaptionHeight = NewShell() ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION) - 1;
  return m;
}

RECT TCustomToolWindow::NonClientInsets() const {
  if (docked_ && dockedTo_) return DockedInsets(dockedTo_->DockAxis(), dockedTo_->AllowDrag() && dragHandle_);
  return FloatingInsets(FloatMetrics());
}

RECT TCustomToolWindow::ClientRect() const {
  RECT in = NonClientInsets();
  return {0, 0, std::max<int>(width_ - in.left - in.right, 0), std::max<int>(height_ - in.top - in.bottom, 0)};
}

RECT TCustomToolWindow::WorkArea() {
  RECT r;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return r;
}

void TCustomToolWindow::KeepOnScreen(bool onlyIfFullyOff) {
  if (docked_ || !Parent()) return;
  RECT r = BoundsRect();
  RECT kept = KeepRectOnScreen(r, WorkArea(), onlyIfFullyOff);
  if (!EqualRect(&r, &kept)) SetBounds(kept.left, kept.top, width_, height_);
}

void TCustomToolWindow::SetBounds(int left, int top, int width, int height) {
  if (boundsLock_ == 0 && (width != width_ || height != height_)) SizeChanging(width, height);
  TCustomControl::SetBounds(left, top, width, height);
  if (!docked_ && !Loading() && boundsLock_ == 0) {
    floatingLeft_ = left_;
    floatingTop_ = top_;
  }
}

void TCustomToolWindow::Resize() {
  ArrangeBar();
  TCustomControl::Resize();
}

void TCustomToolWindow::ChildChanged(TControl* child, TChildChange change) {
  TCustomControl::ChildChanged(child, change);
  if (!Destroying()) ArrangeBar();
}

// ---- Mouse

void TCustomToolWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button == TMouseButton::mbLeft) HandlePress(shift, x, y);
}

void TCustomToolWindow::HandlePress(TShiftState shift, int x, int y) {
  if (docked_ && dockedTo_ && !dockedTo_->AllowDrag()) return;
  if (shift.Has(TShiftFlag::ssDouble)) {
    if (docked_) {
      SetDockedTo(nullptr);
    } else if (defaultDock_) {
      SetDockRow(0);
      SetDockPos(-8);
      SetDockedTo(defaultDock_);
    }
    return;
  }
  DragBar(x, y);
}

void TCustomToolWindow::MouseActivate(TMessage& m) {
  m.Result = MA_NOACTIVATE;
  HWND h = HandleIfAllocated();
  SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  if (activateParent_ && GetActiveWindow() != h) {
    if (topForm_->HandleAllocated()) SetActiveWindow(topForm_->HandleIfAllocated());
    if (ownerForm_ != topForm_) ownerForm_->BringToFront();
  }
}

void TCustomToolWindow::Activated(bool active) {
  if (topForm_->HandleAllocated()) SendMessageA(topForm_->HandleIfAllocated(), WM_NCACTIVATE, active, 0);
  if (active) return;
  // The form's focus goes back where it was, not to the bar.
  TWinControl* target = TWinControl::FromHandle(LastFocusOf(ownerForm_));
  if (!target) target = FirstTabStop(ownerForm_);
  if (!target) target = floatParent_;
  if (target) ownerForm_->SetActiveControl(target);
}

// ---- Non-client area

int TCustomToolWindow::NCHitTest(TMessage& m) {
  DefaultHandler(m);
  int code = static_cast<int>(m.Result);
  if (docked_) return code == HTNOWHERE ? HTCLIENT : code;
  RECT wr;
  GetWindowRect(HandleIfAllocated(), &wr);
  TFloatHitInput in;
  in.Point = {GET_X_LPARAM(m.LParam) - wr.left, GET_Y_LPARAM(m.LParam) - wr.top};
  in.Window = {wr.right - wr.left, wr.bottom - wr.top};
  in.Metrics = FloatMetrics();
  in.ClientWidth = ClientWidth();
  in.CloseButton = closeButton_;
  in.Resizable = resizable_;
  in.CornerSizing = params_.CornerSizing;
  in.DefaultCode = code;
  return FloatingHitTest(in);
}

void TCustomToolWindow::NCLeftButton(TMessage& m) {
  int code = static_cast<int>(m.WParam);
  if (!docked_ && code >= HTLEFT && code <= HTBOTTOMRIGHT) {
    RECT r;
    if (SizeBar(code, {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}, r)) {
      {
        TCounterHold lock(layoutLock_);
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      }
      ArrangeBar();
      KeepOnScreen(true);
    }
    return;
  }
  if (!docked_ && code == HTCLOSE) {
    TrackCloseButton();
    return;
  }
  DefaultHandler(m);
}

// Drops the frame redraws waiting for the window; a quit message taken on
// the way is posted again.
static void DropPendingFrameRedraws(HWND wnd) {
  MSG drop;
  while (PeekMessageA(&drop, wnd, kRedrawDockedFrameMessage, kRedrawDockedFrameMessage, PM_REMOVE)) {
    if (drop.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(drop.wParam));
      return;
    }
  }
}

void TCustomToolWindow::PostRedrawDockedFrame() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  DropPendingFrameRedraws(h);
  PostMessageA(h, kRedrawDockedFrameMessage, 0, 0);
}

bool TCustomToolWindow::TilesBackground() const {
  return docked_ && dockedTo_ && dockedTo_->HasBackground() && dockedTo_->BackgroundOnToolbars();
}

void TCustomToolWindow::PaintDockedFrame(HRGN updateRegion) {
  HWND h = HandleIfAllocated();
  if (!h || !dockedTo_) return;
  DropPendingFrameRedraws(h);
  TNonClientDC ncDC(h, updateRegion);
  HDC dc = ncDC.Get();
  int w = ncDC.Width(), ht = ncDC.Height();
  COLORREF colour = ColorToRGB(Color()), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  RECT r{0, 0, w, ht};
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&r, -1, -1);
  Frame(dc, r, colour);
  RECT in = NonClientInsets();
  RECT client{in.left, in.top, w - in.right, ht - in.bottom};
  bool tiled = TilesBackground();
  if (tiled) {
    POINT a = dockedTo_->BackgroundAnchor();
    RECT tile{-(a.x + left_), -(a.y + top_), w, ht};
    dockedTo_->PaintTiledBackground(dc, r, tile, &client);
  }
  if (!dockedTo_->AllowDrag() || !dragHandle_) return;
  // The handle: two raised grips.
  int cw = client.right - client.left, ch = client.bottom - client.top;
  if (dockedTo_->DockAxis() == kAxisHorz) {
    if (!tiled) {
      Fill(dc, {2, 2, 4, ch + 2}, colour);
      Fill(dc, {10, 2, 11, ch + 2}, colour);
    }
    for (int x : {4, 7}) {
      RECT grip{x, 2, x + 3, ch + 2};
      DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
      SetPixelV(dc, x, ch + 1, highlight);
    }
  } else {
    if (!tiled) {
      Fill(dc, {2, 2, cw + 2, 4}, colour);
      Fill(dc, {2, 10, cw + 2, 11}, colour);
    }
    for (int y : {4, 7}) {
      RECT grip{2, y, cw + 2, y + 3};
      DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
      SetPixelV(dc, cw + 1, y, highlight);
    }
  }
}

void TCustomToolWindow::RedrawFloatingFrame(bool frame, bool closeButton, bool caption) {
  if (!docked_ && HandleAllocated() && Parent()) PaintFloatingFrame(nullptr, frame, closeButton, caption);
}

void TCustomToolWindow::PaintFloatingFrame(HRGN updateRegion, bool frame, bool closeButton, bool caption) {
  HWND h = HandleIfAllocated();
  TNonClientDC ncDC(h, updateRegion);
  HDC dc = ncDC.Get();
  int w = ncDC.Width(), ht = ncDC.Height();
  const TFloatMetrics m = FloatMetrics();
  const int cw = w - 2 * m.FrameWidth;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const bool active = !inactiveCaption_;
  const COLORREF captionColour = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  if (frame) {
    RECT r{0, 0, w, ht};
    for (int i = 0; i < m.FrameWidth; ++i) {
      if (i == 0) {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        InflateRect(&r, -2, -2);
      } else if (i > 1) {
        Frame(dc, r, face);
        InflateRect(&r, -1, -1);
      }
    }
  }
  RECT square = CloseButtonRect(m, cw);
  if (caption) {
    RECT cap = FloatingCaptionRect(m, cw, closeButton_);
    {
      TSaveDC keep(dc);
      if (closeButton_) ExcludeClipRect(dc, square.left, square.top, square.right, square.bottom);
      TDrawCaptionProc draw = NewShell() ? DrawCaptionProc() : nullptr;
      if (draw) {
        draw(h, dc, &cap, DC_SMALLCAP | DC_TEXT | (active ? DC_ACTIVE : 0));
      } else {
        Fill(dc, cap, captionColour);
        RECT text = cap;
        InflateRect(&text, -1, 0);
        TCanvas canvas(dc);
        canvas.Font.SetName("MS Sans Serif");
        canvas.Font.SetHeight(-11);
        canvas.Font.SetColor(SysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        canvas.Brush.SetColor(SysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        std::string shown = FitCaption(Caption(), text.right - text.left,
                                       [&canvas](const std::string& s) { return canvas.TextWidth(s); });
        canvas.Prepare();
        SetBkMode(dc, TRANSPARENT);
        canvas.DrawText(shown, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      }
    }
    Fill(dc, {m.FrameWidth, m.FrameHeight + m.CaptionHeight - 1, m.FrameWidth + cw, m.FrameHeight + m.CaptionHeight},
         face);
  }
  if (!closeButton_) return;
  if (caption) Frame(dc, square, captionColour);
  if (closeButton) {
    RECT button = square;
    InflateRect(&button, -1, -1);
    DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closeDown_ ? DFCS_PUSHED : 0));
  }
}

// ---- Client area

void TCustomToolWindow::PaintClientBackground(HDC dc) {
  POINT a = dockedTo_->BackgroundAnchor();
  RECT in = NonClientInsets();
  RECT client = ClientRect();
  RECT tile{-(a.x + left_ + in.left), -(a.y + top_ + in.top), client.right, client.bottom};
  dockedTo_->PaintTiledBackground(dc, client, tile, nullptr);
}

void TCustomToolWindow::Paint(TCanvas& canvas) {
  if (TilesBackground()) PaintClientBackground(canvas.Handle());
}

// ---- Messages

void TCustomToolWindow::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
      RECT in = NonClientInsets();
      r->left += in.left;
      r->top += in.top;
      r->right = std::max(r->left, r->right - in.right);
      r->bottom = std::max(r->top, r->bottom - in.bottom);
      m.Result = 0;
      return;
    }
    case WM_NCPAINT:
      if (docked_) PaintDockedFrame(reinterpret_cast<HRGN>(m.WParam));
      else PaintFloatingFrame(reinterpret_cast<HRGN>(m.WParam), true, true, true);
      m.Result = 0;
      return;
    case WM_NCACTIVATE:
      if (docked_) break;
      m.Result = TRUE;  // the frame is ours; nothing of the system's caption
      return;
    case WM_NCHITTEST:
      m.Result = NCHitTest(m);
      return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      NCLeftButton(m);
      return;
    case WM_MOUSEACTIVATE:
      if (docked_) break;
      MouseActivate(m);
      return;
    case WM_ACTIVATE:
      if (!docked_) Activated(LOWORD(m.WParam) != WA_INACTIVE);
      break;
    case WM_CLOSE:
      if (topForm_->HandleAllocated()) SendMessageA(topForm_->HandleIfAllocated(), WM_CLOSE, 0, 0);
      m.Result = 0;
      return;
    case WM_GETMINMAXINFO:
      if (docked_) break;
      reinterpret_cast<MINMAXINFO*>(m.LParam)->ptMinTrackSize = {1, 1};
      reinterpret_cast<MINMAXINFO*>(m.LParam)->ptMaxTrackSize = {32767, 32767};
      m.Result = 0;
      return;
    case kRedrawDockedFrameMessage:
      if (docked_) PaintDockedFrame(nullptr);
      return;
    case WM_ERASEBKGND:
      if (!TilesBackground()) break;
      m.Result = 1;
      return;
    case WM_MOVE:
      TCustomControl::WndProc(m);
      if (TilesBackground()) {
        PostRedrawDockedFrame();
        Invalidate();
      }
      return;
    case CM_TEXTCHANGED:
      RedrawFloatingFrame(false, false, true);
      return;
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE:
    case WM_SYSCOLORCHANGE:
      TCustomControl::WndProc(m);
      if (docked_) PostRedrawDockedFrame();
      else RedrawFloatingFrame(true, true, true);
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

// ---- Description

const TClassInfo& ToolWindowClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TCustomToolWindow", &CustomControlClassInfo());
    i.Prop("ActivateParent", &TCustomToolWindow::SetActivateParent);
    i.Prop("CloseButton", &TCustomToolWindow::SetCloseButton);
    i.Ref("DefaultDock", &TCustomToolWindow::SetDefaultDock);
    i.Prop("DockableTo", &TCustomToolWindow::SetDockableTo);
    i.Ref("DockedTo", &TCustomToolWindow::SetDockedTo);
    i.Prop("DockPos", &TCustomToolWindow::SetDockPos);
    i.Prop("DockRow", &TCustomToolWindow::SetDockRow);
    i.Prop("DragHandle", &TCustomToolWindow::SetDragHandle);
    i.Prop("FullSize", &TCustomToolWindow::SetFullSize);
    i.Prop("HideWhenInactive", &TCustomToolWindow::SetHideWhenInactive);
    i.Event("OnClose", &TCustomToolWindow::OnClose);
    i.Event("OnRecreated", &TCustomToolWindow::OnRecreated);
    i.Event("OnRecreating", &TCustomToolWindow::OnRecreating);
    i.Event("OnDockChanged", &TCustomToolWindow::OnDockChanged);
    i.Event("OnDockChanging", &TCustomToolWindow::OnDockChanging);
    i.Event("OnVisibleChanged", &TCustomToolWindow::OnVisibleChanged);
    return i;
  }();
  return info;
}
