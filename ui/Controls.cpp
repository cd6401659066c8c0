#include "Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "Forms.h"

namespace {
const char kOwnClass[] = "TZWindow";
thread_local TWinControl* creating = nullptr;

// The control of each window, looked up for every message. Kept here
// rather than in a window property: under Wine every GetProp is a call to
// the window server.
std::mutex controlsMutex;
// Never freed: windows are destroyed at program end, after other statics.
std::unordered_map<HWND, TWinControl*>& ControlsByHandle() {
  static auto* map = new std::unordered_map<HWND, TWinControl*>;
  return *map;
}

void Register(HWND wnd, TWinControl* c) {
  std::lock_guard<std::mutex> lock(controlsMutex);
  ControlsByHandle()[wnd] = c;
}

void Unregister(HWND wnd, TWinControl* c) {
  std::lock_guard<std::mutex> lock(controlsMutex);
  auto& map = ControlsByHandle();
  auto it = map.find(wnd);
  if (it != map.end() && it->second == c) map.erase(it);
}

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(TShiftFlag::ssShift);
  if (keys & MK_CONTROL) s.Include(TShiftFlag::ssCtrl);
  if (keys & MK_LBUTTON) s.Include(TShiftFlag::ssLeft);
  if (keys & MK_RBUTTON) s.Include(TShiftFlag::ssRight);
  if (keys & MK_MBUTTON) s.Include(TShiftFlag::ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftFlag::ssAlt);
  return s;
}

TShiftState KeyShift() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(TShiftFlag::ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(TShiftFlag::ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftFlag::ssAlt);
  return s;
}

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL;
}

void RegisterOwnClass(WNDPROC proc) {
  static bool done = false;
  if (done) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kOwnClass;
  RegisterClassExA(&wc);
  done = true;
}
}  // namespace

HCURSOR CursorHandle(TCursor cursor) {
  LPCSTR id = nullptr;
  switch (cursor) {
    case TCursor::crDefault: return nullptr;
    case TCursor::crArrow: id = IDC_ARROW; break;
    case TCursor::crCross: id = IDC_CROSS; break;
    case TCursor::crIBeam: id = IDC_IBEAM; break;
    case TCursor::crSizeNESW: id = IDC_SIZENESW; break;
    case TCursor::crSizeNS: id = IDC_SIZENS; break;
    case TCursor::crSizeNWSE: id = IDC_SIZENWSE; break;
    case TCursor::crSizeWE: id = IDC_SIZEWE; break;
    case TCursor::crUpArrow: id = IDC_UPARROW; break;
    case TCursor::crHourGlass: id = IDC_WAIT; break;
    case TCursor::crNo: id = IDC_NO; break;
    case TCursor::crAppStart: id = IDC_APPSTARTING; break;
    case TCursor::crHelp: id = IDC_HELP; break;
    case TCursor::crHandPoint: id = IDC_HAND; break;
    case TCursor::crSizeAll: id = IDC_SIZEALL; break;
  }
  return LoadCursorA(nullptr, id);
}

// TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  destroying_ = true;
  font_.OnChange = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
  if (parent_) parent_->ChildChanged(this, TWinControl::TChildChange::Bounds);
  if (resized) Resize();
}

POINT TControl::ClientToScreen(POINT p) const {
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
    ::ClientToScreen(w->HandleIfAllocated(), &p);
    return p;
  }
  p.x += left_;
  p.y += top_;
  return parent_ ? parent_->ClientToScreen(p) : p;
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (visible) Invalidate();
  Perform(CM_VISIBLECHANGED, visible);
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
  if (parent_) parent_->ChildChanged(this, TWinControl::TChildChange::Visibility);
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED);
  Invalidate();
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  if (color_ != parent_->Color()) {
    color_ = parent_->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  fromParent_ = true;
  font_.Assign(parent_->Font());
  fromParent_ = false;
}

void TControl::FontChanged() {
  if (!fromParent_) parentFont_ = false;
  Perform(CM_FONTCHANGED);
  AdjustSize();
  Invalidate();
}

void TControl::SetText(const std::string& text) {
  if (text == GetText()) return;
  SetTextBuf(text);
  Perform(CM_TEXTCHANGED);
  AdjustSize();
  Invalidate();
}

void TControl::SetShowHint(bool v) {
  showHint_ = v;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
  parentShowHint_ = v;
  if (v && parent_) showHint_ = parent_->ShowHint();
}

void TControl::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenuBase* menu) {
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  RECT r = BoundsRect();
  bool opaque = false;
  if (auto* g = dynamic_cast<TGraphicControl*>(this)) opaque = g->Opaque();
  InvalidateRect(parent_->HandleIfAllocated(), &r, !opaque);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->HandleIfAllocated(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m{msg, wp, lp, 0};
  WndProc(m);
  return m.Result;
}

bool TControl::MouseCapture() const {
  if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->HandleAllocated() && GetCapture() == w->HandleIfAllocated();
  return parent_ && parent_->captureControl_ == this;
}

void TControl::SetMouseCapture(bool capture) {
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    if (capture) SetCapture(w->Handle());
    else if (MouseCapture()) ReleaseCapture();
    return;
  }
  if (!parent_) return;
  auto* g = static_cast<TGraphicControl*>(this);
  if (capture) {
    parent_->captureControl_ = g;
    SetCapture(parent_->Handle());
  } else if (parent_->captureControl_ == g) {
    parent_->captureControl_ = nullptr;
    if (parent_->HandleAllocated() && GetCapture() == parent_->HandleIfAllocated()) ReleaseCapture();
  }
}

void TControl::Click() { if (OnClick) OnClick(this); }
void TControl::DblClick() { if (OnDblClick) OnDblClick(this); }
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) { if (OnMouseDown) OnMouseDown(this, b, s, x, y); }
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) { if (OnMouseUp) OnMouseUp(this, b, s, x, y); }
void TControl::MouseMove(TShiftState s, int x, int y) { if (OnMouseMove) OnMouseMove(this, s, x, y); }

void TControl::MouseEvent(TMessage& m) {
  int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  TShiftState shift = ShiftFromKeys(m.WParam);
  switch (m.Msg) {
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    case WM_LBUTTONDOWN: mouseDown_ = true; MouseDown(TMouseButton::mbLeft, shift, x, y); break;
    case WM_RBUTTONDOWN: MouseDown(TMouseButton::mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(TMouseButton::mbMiddle, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
      if (clickEvents_) DblClick();
      mouseDown_ = true;
      MouseDown(TMouseButton::mbLeft, shift + TShiftState{TShiftFlag::ssDouble}, x, y);
      break;
    case WM_LBUTTONUP: {
      bool wasDown = mouseDown_;
      mouseDown_ = false;
      RECT r = ClientRect();
      POINT p{x, y};
      if (clickEvents_ && wasDown && PtInRect(&r, p)) Click();
      if (!destroying_) MouseUp(TMouseButton::mbLeft, shift, x, y);
      break;
    }
    case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, shift, x, y); break;
    default: break;
  }
}

void TControl::WndProc(TMessage& m) {
  if (IsMouseMessage(m.Msg)) {
    if (!enabled_) return;
    MouseEvent(m);
    DefaultHandler(m);
    return;
  }
  switch (m.Msg) {
    case CM_PARENTFONTCHANGED: ParentFontChanged(); return;
    case CM_PARENTCOLORCHANGED: ParentColorChanged(); return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
      return;
    case CM_MOUSEENTER: if (OnMouseEnter) OnMouseEnter(this); return;
    case CM_MOUSELEAVE: if (OnMouseLeave) OnMouseLeave(this); return;
    default: DefaultHandler(m);
  }
}

// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() {
  destroying_ = true;
  if (parent_) parent_->RemoveControl(this);
}

void TGraphicControl::PaintTo(TCanvas& target, int x, int y) {
  HDC dc = target.Handle();
  TSaveDC save(dc);
  POINT old;
  OffsetViewportOrgEx(dc, x, y, &old);
  IntersectClipRect(dc, 0, 0, width_, height_);
  TCanvas canvas(dc);
  canvas.Font.Assign(Font());
  Paint(canvas);
}

// TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  destroying_ = true;
  FreeOwned();
  if (parent_) parent_->RemoveControl(this);
  // In case its window went without a WM_NCDESTROY through us.
  if (handle_) Unregister(handle_, this);
}

void TWinControl::FreeOwned() {
  // Free what this control owns while it is still a whole control.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  std::lock_guard<std::mutex> lock(controlsMutex);
  auto& map = ControlsByHandle();
  auto it = map.find(wnd);
  return it == map.end() ? nullptr : it->second;
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (destroying_) throw EInvalidOperation("Control '" + Name() + "' is being destroyed");
    if (parent_) parent_->HandleNeeded();
    if (!handle_) CreateWnd();
  }
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = text_;
  p.Style = WS_CLIPSIBLINGS;
  if (parent_) p.Style |= WS_CHILD;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  if (parent_) p.WndParent = parent_->Handle();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (p.WndParent == nullptr && (p.Style & WS_CHILD))
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  HINSTANCE inst = GetModuleHandleA(nullptr);
  bool own = p.WinClassName.empty();
  std::string cls = own ? kOwnClass : p.WinClassName;
  if (own) {
    RegisterOwnClass(StdWndProc);
    if (p.ClassStyle != CS_DBLCLKS) {
      // A class of our own with other class styles (drop shadows, no dblclk).
      cls = std::string(kOwnClass) + "." + std::to_string(p.ClassStyle);
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof(wc);
      if (!GetClassInfoExA(inst, cls.c_str(), &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = p.ClassStyle;
        wc.lpfnWndProc = StdWndProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = cls.c_str();
        RegisterClassExA(&wc);
      }
    }
  }
  creating = this;
  HWND wnd = CreateWindowExA(p.ExStyle, cls.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                             p.WndParent, nullptr, inst, nullptr);
  creating = nullptr;
  if (!wnd) throw Exception("Error creating window '" + Name() + "' (" + std::to_string(GetLastError()) + ")");
  Attach(wnd);
  SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  UpdateBoundsFromWindow();
  HandleCreated();
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->handle_) w->CreateWnd();
  Realign();
}

void TWinControl::Attach(HWND wnd) {
  handle_ = wnd;
  Register(wnd, this);
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
  if (proc != StdWndProc) {
    defProc_ = proc;
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc));
  }
}

void TWinControl::DestroyWnd() {
  text_ = GetText();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_) w->DestroyWnd();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  if (!destroying_) DestroyWnd();
  HWND wnd = handle_;
  DestroyWindow(wnd);
  // WM_NCDESTROY has detached us (and every windowed child).
  handle_ = nullptr;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  if (c->parentFont_) c->ParentFontChanged();
  if (c->parentColor_) c->ParentColorChanged();
  if (c->parentShowHint_) c->showHint_ = ShowHint();
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (handle_) w->CreateWnd();
  } else {
    c->Invalidate();
  }
  Realign();
  ChildChanged(c, TChildChange::Inserted);
}

void TWinControl::RemoveControl(TControl* c) {
  if (c == captureControl_) {
    captureControl_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  if (c == mouseControl_) mouseControl_ = nullptr;
  bool going = destroying_ || IsGoing(this);
  if (!going && !c->destroying_) c->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  c->parent_ = nullptr;
  if (!going) {
    Realign();
    ChildChanged(c, TChildChange::Removed);
  }
}

void TWinControl::Broadcast(TMessage& m) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    c->WndProc(m);
    if (m.Result) return;
  }
}

TGraphicControl* TWinControl::GraphicControlAt(POINT p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    auto* g = dynamic_cast<TGraphicControl*>(*it);
    if (!g || !g->Visible() || (!allowDisabled && !g->Enabled())) continue;
    RECT r = g->BoundsRect();
    if (PtInRect(&r, p)) return g;
  }
  return nullptr;
}

void TWinControl::SetTabStop(bool v) {
  tabStop_ = v;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (handle_) {
    if (left != left_ || top != top_ || width != width_ || height != height_)
      SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_SIZE / WM_MOVE have updated the fields when the system allowed it.
    if (left_ != left || top_ != top || width_ != width || height_ != height) UpdateBoundsFromWindow();
    return;
  }
  TControl::SetBounds(left, top, width, height);
  Realign();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  bool resized = r.right - r.left != width_ || r.bottom - r.top != height_;
  bool moved = r.left != left_ || r.top != top_;
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (parent_ && Align() != TAlign::alNone && resized) parent_->Realign();
  if (parent_ && (moved || resized)) parent_->ChildChanged(this, TChildChange::Bounds);
  if (resized) {
    Realign();
    Resize();
  }
}

RECT TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::SetVisible(bool visible) {
  if (visible == Visible()) return;
  TControl::SetVisible(visible);
  if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  if (enabled == Enabled()) return;
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_, enabled);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

std::string TWinControl::GetText() const {
  if (!handle_) return text_;
  int n = GetWindowTextLengthA(handle_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(handle_, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(n, 0)));
  return s;
}

void TWinControl::SetTextBuf(const std::string& text) {
  text_ = text;
  if (handle_) SetWindowTextA(handle_, text.c_str());
}

HBRUSH TWinControl::ColorBrush() {
  COLORREF rgb = ColorToRGB(Color());
  if (!colorBrush_ || rgb != colorBrushRGB_) {
    colorBrush_.Reset(CreateSolidBrush(rgb));
    colorBrushRGB_ = rgb;
  }
  return colorBrush_.Get();
}

void TWinControl::Realign() {
  if (aligning_ || destroying_) return;
  ++aligning_;
  AlignControls();
  --aligning_;
}

void TWinControl::AlignControls() {
  RECT r = AlignRect();
  auto place = [&](TAlign which) {
    for (TControl* c : std::vector<TControl*>(controls_)) {
      if (c->Align() != which || !c->Visible()) continue;
      int w = c->Width(), h = c->Height();
      switch (which) {
        case TAlign::alTop: c->SetBounds(r.left, r.top, r.right - r.left, h); r.top += h; break;
        case TAlign::alBottom: c->SetBounds(r.left, r.bottom - h, r.right - r.left, h); r.bottom -= h; break;
        case TAlign::alLeft: c->SetBounds(r.left, r.top, w, r.bottom - r.top); r.left += w; break;
        case TAlign::alRight: c->SetBounds(r.right - w, r.top, w, r.bottom - r.top); r.right -= w; break;
        case TAlign::alClient:
          c->SetBounds(r.left, r.top, std::max<int>(r.right - r.left, 0), std::max<int>(r.bottom - r.top, 0));
          break;
        case TAlign::alNone: break;
      }
    }
  };
  for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) place(a);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, const RECT& area) {
  for (TControl* c : controls_) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible()) continue;
    RECT r = g->BoundsRect(), hit;
    if (!IntersectRect(&hit, &r, &area)) continue;
    TCanvas canvas(dc);
    g->PaintTo(canvas, r.left, r.top);
  }
}

void TWinControl::WMPaint(TMessage& m) {
  if (m.WParam) {  // painting into a given DC (WM_PRINTCLIENT style)
    auto dc = reinterpret_cast<HDC>(m.WParam);
    PaintWindow(dc);
    PaintControls(dc, ClientRect());
    return;
  }
  TPaintDC paint(handle_);
  PaintWindow(paint.Get());
  PaintControls(paint.Get(), paint.PaintRect());
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  if (defProc_) { DefaultHandler(m); return; }
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
  m.Result = 1;
}

bool TWinControl::Reflect(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(m.LParam); break;
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom; break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: child = reinterpret_cast<HWND>(m.LParam); break;
    case WM_DRAWITEM: child = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem; break;
    case WM_MEASUREITEM:
      child = GetDlgItem(handle_, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->CtlID));
      break;
    default: return false;
  }
  TWinControl* c = FromHandle(child);
  if (!c || c == this) return false;
  m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

void TWinControl::SetMouseControl(TControl* c) {
  if (c == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = c;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (c) c->Perform(CM_MOUSEENTER);
  if (c && !trackingLeave_ && handle_) {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
    trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
  }
}

bool TWinControl::RouteMouse(TMessage& m) {
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TGraphicControl* target = captureControl_ ? captureControl_ : GraphicControlAt(p);
  if (m.Msg == WM_MOUSEMOVE) SetMouseControl(target ? static_cast<TControl*>(target) : nullptr);
  if (!target) return false;
  bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
  bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
  if (down && target->Enabled()) {
    captureControl_ = target;
    if (GetCapture() != handle_) SetCapture(handle_);
  }
  m.Result = target->Perform(m.Msg, m.WParam, MAKELPARAM(p.x - target->Left(), p.y - target->Top()));
  if (up && (m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && captureControl_) {
    captureControl_ = nullptr;
    if (GetCapture() == handle_) ReleaseCapture();
  }
  return true;
}

void TWinControl::WndProc(TMessage& m) {
  if (IsMouseMessage(m.Msg) && handle_ && RouteMouse(m)) return;
  switch (m.Msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Reflect(m)) return;
      break;
    case WM_SIZE: {
      DefaultHandler(m);
      const int w = width_, h = height_;
      UpdateBoundsFromWindow();
      // The client area changed inside the same frame (a menu bar taken
      // away): the children are placed again all the same.
      if (w == width_ && h == height_) Realign();
      return;
    }
    case WM_MOVE:
      DefaultHandler(m);
      UpdateBoundsFromWindow();
      return;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      // A windowless control holding the mouse hears that it lost it.
      if (TGraphicControl* held = captureControl_) {
        captureControl_ = nullptr;
        held->Perform(WM_CANCELMODE);
      }
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetMouseControl(nullptr);
      Perform(CM_MOUSELEAVE);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(handle_, &p);
        TControl* over = GraphicControlAt(p, true);
        if (!over) over = this;
        if (HCURSOR cur = CursorHandle(over->Cursor())) {
          ::SetCursor(cur);
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_SETFOCUS: DefaultHandler(m); if (OnEnter) OnEnter(this); return;
    case WM_KILLFOCUS: DefaultHandler(m); if (OnExit) OnExit(this); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeyDown) {
        WORD key = static_cast<WORD>(m.WParam);
        OnKeyDown(this, key, KeyShift());
        if (!key) return;
        m.WParam = key;
      }
      break;
    case WM_KEYUP:
      if (OnKeyUp) {
        WORD key = static_cast<WORD>(m.WParam);
        OnKeyUp(this, key, KeyShift());
        if (!key) return;
      }
      break;
    case WM_CHAR:
      if (OnKeyPress) {
        char ch = static_cast<char>(m.WParam);
        OnKeyPress(this, ch);
        if (!ch) return;
        m.WParam = static_cast<unsigned char>(ch);
      }
      break;
    case WM_CONTEXTMENU:
      if (PopupMenu()) {
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        if (p.x == -1 && p.y == -1) p = ClientToScreen({0, 0});
        PopupMenu()->Popup(p.x, p.y);
        return;
      }
      break;
    case CM_FONTCHANGED:
      if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
      { TMessage n{CM_PARENTFONTCHANGED, 0, 0, 0}; Broadcast(n); }
      return;
    case CM_COLORCHANGED:
      Invalidate();
      { TMessage n{CM_PARENTCOLORCHANGED, 0, 0, 0}; Broadcast(n); }
      return;
    // Only top-level windows hear of a new colour scheme: every control
    // below them is told, windowless ones included.
    case WM_SYSCOLORCHANGE:
      DefaultHandler(m);
      Perform(CM_SYSCOLORCHANGE);
      return;
    case CM_SYSCOLORCHANGE: {
      TMessage n{CM_SYSCOLORCHANGE, 0, 0, 0};
      Broadcast(n);
      return;
    }
    case CM_SHOWHINTCHANGED:
    case CM_PARENTSHOWHINTCHANGED: {
      TControl::WndProc(m);
      TMessage n{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
      Broadcast(n);
      return;
    }
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX: {
      auto dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(Font().Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
    case CM_TEXTCHANGED:
      return;
    default: break;
  }
  TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_ || (m.Msg >= CM_BASE && m.Msg < 0xC000)) return;
  m.Result = defProc_ ? CallWindowProcA(defProc_, handle_, m.Msg, m.WParam, m.LParam)
                      : DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* c = FromHandle(wnd);
  if (!c && creating) {
    c = creating;
    creating = nullptr;
    c->handle_ = wnd;
    Register(wnd, c);
  }
  if (!c) return DefWindowProcA(wnd, msg, wp, lp);
  if (msg == CM_RELEASE) {
    delete c;
    return 0;
  }
  TMessage m{msg, wp, lp, 0};
  try {
    c->WndProc(m);
  } catch (...) {
    Application().HandleException();
  }
  if (msg == WM_NCDESTROY) {
    Unregister(wnd, c);
    if (c->defProc_) SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c->defProc_));
    c->handle_ = nullptr;
    c->defProc_ = nullptr;
    c->captureControl_ = nullptr;
    c->mouseControl_ = nullptr;
    c->trackingLeave_ = false;
  }
  return m.Result;
}

// TCustomControl

void TCustomControl::PaintWindow(HDC dc) {
  TCanvas canvas(dc);
  canvas.Font.Assign(Font());
  canvas.Brush.SetColor(Color());
  Paint(canvas);
}
