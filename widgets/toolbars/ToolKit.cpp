#include "ToolKit.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>

#include "Forms.h"
#include "Gdi.h"
#include "Guards.h"
#include "Platform.h"

namespace {
constexpr int kComboWidth = 11;  // the arrow part of a combo button

// Shared by all buttons of the program.
int liveButtons = 0;
int hookedButtons = 0, hookId = 0;
TTimer* hotTimer = nullptr;
bool inHotTick = false;
TToolbarButton* tracked = nullptr;
// A repeat timer whose button was freed by its own tick: stopped, and freed
// on the next tick or at program end.
TTimer* retiredTimer = nullptr;

void FreeRetiredTimer() {
  delete retiredTimer;
  retiredTimer = nullptr;
}

void RetireTimer(std::unique_ptr<TTimer> timer) {
  static bool freedAtEnd = false;
  if (!freedAtEnd) FreeAtProgramEnd(FreeRetiredTimer);
  freedAtEnd = true;
  FreeRetiredTimer();
  timer->SetEnabled(false);
  retiredTimer = timer.release();
}

struct TPattern {
  TBitmapHandle bitmap;
  COLORREF face = 0, highlight = 0;
} pattern;

UINT ButtonPressedMessage() {
  static UINT msg = RegisterWindowMessageA("TZToolbarButtonPressed");
  return msg;
}

HBITMAP PatternBitmap() {
  COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (pattern.bitmap && (pattern.face != face || pattern.highlight != highlight)) pattern.bitmap.Reset();
  if (!pattern.bitmap) {
    TBitmap bmp(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) SetPixel(bmp.DC(), x, y, (x + y) % 2 == 0 ? highlight : face);
    TWindowDC screen(nullptr);
    pattern.bitmap.Reset(CreateCompatibleBitmap(screen.Get(), 8, 8));
    TMemoryDC dc(screen.Get());
    TSelectGuard select(dc.Get(), pattern.bitmap.Get());
    BitBlt(dc.Get(), 0, 0, 8, 8, bmp.DC(), 0, 0, SRCCOPY);
    pattern.face = face;
    pattern.highlight = highlight;
  }
  return pattern.bitmap.Get();
}

// The control under the mouse cursor: a windowless one where there is one.
TControl* ControlAtCursor() {
  POINT p;
  if (!GetCursorPos(&p)) return nullptr;
  TWinControl* w = TWinControl::FromHandle(WindowFromPoint(p));
  if (!w) return nullptr;
  POINT client = p;
  ScreenToClient(w->HandleIfAllocated(), &client);
  if (TGraphicControl* g = w->GraphicControlAt(client, true)) return g;
  return w;
}

TShiftState ShiftOf(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(TShiftFlag::ssShift);
  if (keys & MK_CONTROL) s.Include(TShiftFlag::ssCtrl);
  if (keys & MK_LBUTTON) s.Include(TShiftFlag::ssLeft);
  if (keys & MK_RBUTTON) s.Include(TShiftFlag::ssRight);
  if (keys & MK_MBUTTON) s.Include(TShiftFlag::ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(TShiftFlag::ssAlt);
  return s;
}

bool AppHook(TMessage& m) {
  if (m.Msg == WM_ACTIVATEAPP && !m.WParam && tracked && !tracked->ShowBorderWhenInactive()) tracked->StopHotTracking();
  return false;
}

void HotTick() {
  if (!tracked) return;
  TFlagGuard busy(inHotTick);
  if (ControlAtCursor() != tracked) tracked->StopHotTracking();
}

void LoadBitmapProp(TToolbarButton& b, const TDescValue& v, bool mask) {
  TBitmap bmp;
  if (!bmp.LoadFromBytes(ConvertValue<std::vector<uint8_t>>(v))) throw EDescriptionError("not a bitmap");
  if (mask) b.SetGlyphMask(bmp);
  else b.SetGlyph(bmp);
}
}  // namespace

char AccelChar(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

// TButtonPopupMenu

void TButtonPopupMenu::Popup(int screenX, int screenY) {
  if (OnPopup) OnPopup(this);
  static const UINT align[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  UINT flags = align[static_cast<int>(Alignment)];
  if (!NewShell()) flags |= TPM_RIGHTBUTTON;
  TrackPopupMenu(MenuHandle(), flags, screenX, screenY, 0, DropdownList().Handle(), nullptr);
}

// TDropdownList

TDropdownList& DropdownList() {
  static TDropdownList* list = nullptr;
  if (!list) {
    list = new TDropdownList;
    FreeAtProgramEnd([] {
      delete list;
      list = nullptr;
    });
  }
  return *list;
}

TDropdownList::~TDropdownList() {
  if (wnd_) DestroyWindow(wnd_);
}

void TDropdownList::AddMenu(TButtonPopupMenu* menu) {
  if (!menu || std::find(menus_.begin(), menus_.end(), menu) != menus_.end()) return;
  if (menus_.empty() && !wnd_) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = WndProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "TZDropdownList";
      RegisterClassExA(&wc);
      registered = true;
    }
    wnd_ = CreateWindowExA(0, "TZDropdownList", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
  }
  menu->FreeNotification(this);
  menus_.push_back(menu);
}

void TDropdownList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  menus_.erase(std::remove(menus_.begin(), menus_.end(), component), menus_.end());
  if (menus_.empty() && wnd_) {
    DestroyWindow(wnd_);
    wnd_ = nullptr;
  }
}

bool TDropdownList::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  auto menus = menus_;
  switch (msg) {
    case WM_COMMAND:
      for (TButtonPopupMenu* m : menus)
        if (m->DispatchCommand(LOWORD(wp))) return true;
      return false;
    case WM_INITMENUPOPUP:
      for (TButtonPopupMenu* m : menus)
        if (m->DispatchPopup(reinterpret_cast<HMENU>(wp))) return true;
      return false;
    case WM_MENUSELECT: {
      bool byHandle = (HIWORD(wp) & MF_POPUP) != 0;
      UINT_PTR item = LOWORD(wp);
      if (byHandle) item = reinterpret_cast<UINT_PTR>(GetSubMenu(reinterpret_cast<HMENU>(lp), LOWORD(wp)));
      std::string hint;
      bool found = false;
      for (TButtonPopupMenu* m : menus)
        if ((found = m->FindItemHint(item, byHandle, hint))) break;
      hint_ = found ? hint : std::string();
      Application().SetHint(hint_);
      return found;
    }
    case WM_HELP: {
      auto* info = reinterpret_cast<HELPINFO*>(lp);
      for (TButtonPopupMenu* m : menus) {
        if (reinterpret_cast<HANDLE>(m->MenuHandle()) != info->hItemHandle) continue;
        int context = m->FindHelpContext(static_cast<UINT_PTR>(info->iCtrlId), false);
        if (!context) context = m->FindHelpContext(reinterpret_cast<UINT_PTR>(info->hItemHandle), true);
        HWND active = GetActiveWindow();
        if (!active) return true;
        bool popup = (GetWindowLongPtrA(active, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
        Application().HelpCommand(popup ? HELP_CONTEXTPOPUP : HELP_CONTEXT, static_cast<ULONG_PTR>(context));
        return true;
      }
      return false;
    }
    default: return false;
  }
}

LRESULT CALLBACK TDropdownList::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (DropdownList().HandleMessage(msg, wp, lp)) return msg == WM_HELP ? TRUE : 0;
  } catch (...) {
    Application().HandleException();
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// TToolbarButton

TToolbarButton::TToolbarButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TButtonGlyph>()) {
  width_ = 22;
  height_ = 23;
  SetParentColor(true);
  UpdateOpaque();
  clickEvents_ = false;
  glyph_->OnChange = [this] { Redraw(true); };
  if (liveButtons++ == 0 && !hotTimer) {
    hotTimer = new TTimer(nullptr);
    hotTimer->SetEnabled(false);
    hotTimer->SetInterval(125);
    hotTimer->SetOnTimer([](TComponent*) { HotTick(); });
  }
  hooked_ = true;
  if (hookedButtons++ == 0) hookId = Application().HookMainWindow(AppHook);
}

TToolbarButton::~TToolbarButton() {
  *alive_ = false;
  destroying_ = true;
  if (tracked == this) {
    hotTimer->SetEnabled(false);
    tracked = nullptr;
  }
  if (inRepeatTick_) RetireTimer(std::move(repeatTimer_));
  repeatTimer_.reset();
  glyph_.reset();
  if (--liveButtons == 0) {
    pattern.bitmap.Reset();
    if (!inHotTick) {
      delete hotTimer;
      hotTimer = nullptr;
    }
  }
  if (hooked_ && --hookedButtons == 0) Application().UnhookMainWindow(hookId);
}

TTimer* TToolbarButton::HotTrackTimer() { return hotTimer; }
TToolbarButton* TToolbarButton::TrackedButton() { return tracked; }

void TToolbarButton::UpdateOpaque() { opaque_ = opaqueSetting_ || !flat_; }

void TToolbarButton::Redraw(bool erase) {
  if (!Parent() || !Parent()->HandleAllocated() || !Visible() || destroying_) return;
  RECT r = BoundsRect();
  InvalidateRect(Parent()->HandleIfAllocated(), &r, erase && !Opaque());
}

void TToolbarButton::SetAllowAllUp(bool v) {
  if (v == allowAllUp_) return;
  allowAllUp_ = v;
  UpdateExclusive();
}

void TToolbarButton::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  UpdateExclusive();
}

void TToolbarButton::SetDisplayMode(TButtonDisplayMode v) {
  if (v == displayMode_) return;
  displayMode_ = v;
  Redraw(true);
}

void TToolbarButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  state_ = v ? TButtonState::bsExclusive : TButtonState::bsUp;
  Redraw(true);
  if (v) UpdateExclusive();
}

void TToolbarButton::SetDropdownArrow(bool v) {
  if (v == dropdownArrow_) return;
  dropdownArrow_ = v;
  Redraw(true);
}

void TToolbarButton::SetDropdownCombo(bool v) {
  if (v == dropdownCombo_) return;
  dropdownCombo_ = v;
  if (!Loading()) {
    if (v) SetWidth(Width() + kComboWidth);
    else SetWidth(Width() < kComboWidth + 1 ? 1 : Width() - kComboWidth);
  }
  Redraw(true);
}

void TToolbarButton::SetDropdownMenu(TButtonPopupMenu* menu) {
  if (menu == dropdownMenu_) return;
  if (dropdownMenu_) RemoveFreeNotification(dropdownMenu_);
  dropdownMenu_ = menu;
  usesDropdown_ = menu != nullptr;
  if (menu) {
    menu->FreeNotification(this);
    DropdownList().AddMenu(menu);
  }
  if (dropdownArrow_) Redraw(true);
}

void TToolbarButton::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  UpdateOpaque();
  Redraw(true);
}

void TToolbarButton::SetOpaque(bool v) {
  if (v == opaqueSetting_) return;
  opaqueSetting_ = v;
  UpdateOpaque();
  Invalidate();
}

void TToolbarButton::SetGlyph(const TBitmap& bitmap) { glyph_->SetGlyph(bitmap); }
void TToolbarButton::SetGlyphMask(const TBitmap& bitmap) { glyph_->SetGlyphMask(bitmap); }

void TToolbarButton::SetLayout(TButtonLayout v) {
  if (v == layout_) return;
  layout_ = v;
  Redraw(true);
}

void TToolbarButton::SetMargin(int v) {
  if (v == margin_ || v < -1) return;
  margin_ = v;
  Redraw(true);
}

void TToolbarButton::SetNoBorder(bool v) {
  if (v == noBorder_) return;
  noBorder_ = v;
  Invalidate();
}

void TToolbarButton::SetNumGlyphs(int v) {
  v = std::clamp(v, 1, 5);
  if (v == glyph_->NumGlyphs()) return;
  glyph_->SetNumGlyphs(v);
}

void TToolbarButton::SetSpacing(int v) {
  if (v == spacing_) return;
  spacing_ = v;
  Redraw(true);
}

void TToolbarButton::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  Redraw(true);
}

void TToolbarButton::Loaded() {
  TGraphicControl::Loaded();
  glyph_->CreateButtonGlyph(Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled);
}

void TToolbarButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == dropdownMenu_) {
    dropdownMenu_ = nullptr;
    usesDropdown_ = false;
    Redraw(true);
  }
}

bool TToolbarButton::PointInButton(int x, int y) const {
  int right = ClientWidth() - (dropdownCombo_ && usesDropdown_ ? kComboWidth : 0);
  return x >= 0 && x < right && y >= 0 && y < ClientHeight();
}

void TToolbarButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i)
    parent->Controls(i)->Perform(ButtonPressedMessage(), static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this));
}

void TToolbarButton::UpdateTracking() {
  if (!Enabled()) return;
  bool under = ControlAtCursor() == this;
  // Flip the flag first so the start or stop always runs and fires.
  mouseInControl_ = !under;
  if (under) StartHotTracking();
  else StopHotTracking();
}

void TToolbarButton::StartHotTracking() {
  if (!Enabled() || mouseInControl_) return;
  mouseInControl_ = true;
  if (state_ == TButtonState::bsUp) state_ = TButtonState::bsHot;
  Redraw(down_);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TToolbarButton::StopHotTracking() {
  if (!Enabled() || !mouseInControl_ || mouseIsDown_) return;
  if (state_ == TButtonState::bsHot) state_ = TButtonState::bsUp;
  if (state_ == TButtonState::bsDown && !inClick_) state_ = TButtonState::bsUp;
  mouseInControl_ = false;
  Redraw(true);
  if (tracked == this) {
    hotTimer->SetEnabled(false);
    tracked = nullptr;
  }
  if (OnMouseExit) OnMouseExit(this);
}

bool TToolbarButton::DialogChar(char ch) {
  char accel = AccelChar(Caption());
  if (!accel || accel != std::toupper(static_cast<unsigned char>(ch)) || !Enabled() || !Showing()) return false;
  Click();
  return true;
}

void TToolbarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != TMouseButton::mbLeft) {
    StartHotTracking();
    TGraphicControl::MouseDown(button, shift, x, y);
    return;
  }
  auto alive = alive_;
  if (!mouseInControl_) {
    mouseInControl_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
    if (!*alive) return;
  }
  menuIsDown_ = usesDropdown_ && (!dropdownCombo_ || x >= Width() - kComboWidth);
  struct TClearMenuDown {
    TToolbarButton* self;
    std::shared_ptr<bool> alive;
    ~TClearMenuDown() {
      if (*alive) self->menuIsDown_ = false;
    }
  } clear{this, alive};
  if (!down_) {
    state_ = TButtonState::bsDown;
    Redraw(true);
  } else if (allowAllUp_) {
    Redraw(true);
  }
  if (!menuIsDown_) mouseIsDown_ = true;
  TGraphicControl::MouseDown(button, shift, x, y);
  if (!*alive) return;
  if (menuIsDown_) {
    Click();
  } else if (repeating_) {
    TControl::Click();
    if (!*alive) return;
    if (!repeatTimer_) {
      repeatTimer_ = std::make_unique<TTimer>(nullptr);
      repeatTimer_->SetOnTimer([this](TComponent*) { RepeatTick(); });
    }
    repeatTimer_->SetEnabled(false);
    repeatTimer_->SetInterval(static_cast<UINT>(repeatDelay_));
    repeatTimer_->SetEnabled(true);
  }
}

void TToolbarButton::RepeatTick() {
  auto alive = alive_;
  FreeRetiredTimer();
  struct TTickGuard {
    TToolbarButton* self;
    std::shared_ptr<bool> alive;
    ~TTickGuard() {
      if (*alive) self->inRepeatTick_ = false;
    }
  } guard{this, alive};
  inRepeatTick_ = true;
  repeatTimer_->SetInterval(static_cast<UINT>(repeatInterval_));
  POINT p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  if (repeating_ && mouseIsDown_ && MouseCapture() && PointInButton(p.x, p.y)) TControl::Click();
  else repeatTimer_->SetEnabled(false);
}

void TToolbarButton::MouseMove(TShiftState shift, int x, int y) {
  auto alive = alive_;
  TGraphicControl::MouseMove(shift, x, y);
  if (!*alive) return;
  if (tracked != this && ControlAtCursor() == this) {
    if (tracked) tracked->StopHotTracking();
    if (!*alive) return;
    if (showBorderWhenInactive_ || Application().Active()) {
      tracked = this;
      hotTimer->SetEnabled(true);
      StartHotTracking();
      if (!*alive) return;
    }
  }
  if (mouseIsDown_) {
    bool inside = PointInButton(x, y);
    if (inside && repeatTimer_) repeatTimer_->SetEnabled(true);
    TButtonState next = down_ ? TButtonState::bsExclusive : inside ? TButtonState::bsDown : TButtonState::bsUp;
    if (next != state_) {
      state_ = next;
      Redraw(true);
    }
  }
}

void TToolbarButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  auto alive = alive_;
  repeatTimer_.reset();
  if (button == TMouseButton::mbRight && Enabled()) {
    mouseIsDown_ = false;
    StopHotTracking();
    if (!*alive) return;
  }
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!*alive || button != TMouseButton::mbLeft || !mouseIsDown_) return;
  mouseIsDown_ = false;
  bool clicked = PointInButton(x, y);
  if (groupIndex_ != 0) {
    if (clicked) SetDown(!down_);
    else if (down_) state_ = TButtonState::bsExclusive;
  }
  if (clicked && !repeating_) {
    Click();
    return;
  }
  if (state_ == TButtonState::bsDown) state_ = TButtonState::bsUp;
  UpdateTracking();
}

void TToolbarButton::Click() {
  auto alive = alive_;
  // On every way out, unless a handler freed the button.
  struct TEndClick {
    TToolbarButton* self;
    std::shared_ptr<bool> alive;
    ~TEndClick() {
      if (!*alive) return;
      self->inClick_ = false;
      if (self->state_ == TButtonState::bsDown) self->state_ = TButtonState::bsUp;
      if (self->destroying_) return;
      self->Redraw(true);
      self->UpdateTracking();
    }
  } end{this, alive};
  inClick_ = true;
  if (state_ == TButtonState::bsUp || state_ == TButtonState::bsHot) {
    state_ = TButtonState::bsDown;
    Redraw(true);
  }
  StopHotTracking();
  if (!*alive) return;
  if (!dropdownMenu_ || (dropdownCombo_ && !menuIsDown_)) {
    if (TForm* form = ParentForm(); form && modalResult_ != 0) form->SetModalResult(modalResult_);
    TControl::Click();
    return;
  }
  OpenMenu();
}

void TToolbarButton::OpenMenu() {
  auto alive = alive_;
  TButtonPopupMenu* menu = dropdownMenu_;
  SetMouseCapture(false);
  TPopupAlignment oldAlignment = menu->Alignment;
  menu->Alignment = TPopupAlignment::paLeft;
  POINT at{0, Height()};
  if (auto* side = dynamic_cast<IDropdownSide*>(Parent())) {
    if (side->DropdownSide() == TDropdownSide::dsRight) at = {Width(), 0};
    if (side->DropdownSide() == TDropdownSide::dsLeft) {
      at = {0, 0};
      menu->Alignment = TPopupAlignment::paRight;
    }
  }
  at = ClientToScreen(at);
  RECT me{};
  POINT origin = ClientToScreen({0, 0});
  SetRect(&me, origin.x, origin.y, origin.x + Width(), origin.y + Height());

  // The click that closed the menu must not open it again; every other
  // mouse message goes back in the order it came, also after an exception.
  struct TRequeue {
    RECT me;
    ~TRequeue() {
      std::vector<MSG> keep;
      MSG msg;
      while (PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE)) {
        bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN ||
                     msg.message == WM_LBUTTONDBLCLK || msg.message == WM_RBUTTONDBLCLK ||
                     msg.message == WM_MBUTTONDBLCLK;
        POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (msg.hwnd) ::ClientToScreen(msg.hwnd, &pt);
        if (press && PtInRect(&me, pt)) continue;
        keep.push_back(msg);
      }
      for (const MSG& k : keep) PostMessageA(k.hwnd, k.message, k.wParam, k.lParam);
    }
  } requeue{me};
  struct TRestoreAlignment {
    TToolbarButton* self;
    TButtonPopupMenu* menu;
    TPopupAlignment old;
    std::shared_ptr<bool> alive;
    ~TRestoreAlignment() {
      if (*alive && self->dropdownMenu_ == menu) menu->Alignment = old;
    }
  } restore{this, menu, oldAlignment, alive};
  menu->PopupComponent = this;
  menu->Popup(at.x, at.y);
}

void TToolbarButton::Paint(TCanvas& target) {
  const int w = Width(), h = Height();
  std::unique_ptr<TBitmap> off;
  TCanvas* canvas = &target;
  if (Opaque()) {
    off = std::make_unique<TBitmap>(w, h);
    off->Canvas().Brush.SetColor(Color());
    off->Canvas().FillRect({0, 0, w, h});
    off->Canvas().Font.Assign(Font());
    canvas = &off->Canvas();
  }

  if (!Enabled()) {
    state_ = TButtonState::bsDisabled;
    mouseIsDown_ = false;
  } else if (state_ == TButtonState::bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
  }

  RECT r{0, 0, w, h};
  const bool pressed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
  const bool combo = dropdownCombo_ && usesDropdown_;
  const bool border = !noBorder_ && (!flat_ || pressed || (mouseInControl_ && state_ != TButtonState::bsDisabled));
  const UINT up = flat_ ? BDR_RAISEDINNER : EDGE_RAISED, sunk = flat_ ? BDR_SUNKENOUTER : EDGE_SUNKEN;
  const UINT flags = flat_ ? BF_RECT : BF_RECT | BF_SOFT | BF_MIDDLE;
  if (combo) {
    if (border) canvas->DrawEdge({r.right - kComboWidth, r.top, r.right - 2, r.bottom}, pressed && menuIsDown_ ? sunk : up, flags);
    r.right -= kComboWidth;
  }
  const bool mainPressed = pressed && !(combo && menuIsDown_);
  if (border) canvas->DrawEdge(r, mainPressed ? sunk : up, flags);
  if (!noBorder_) InflateRect(&r, flat_ ? -1 : -2, flat_ ? -1 : -2);

  POINT offset = mainPressed ? POINT{1, 1} : POINT{0, 0};
  if (state_ == TButtonState::bsExclusive && (!flat_ || !mouseInControl_)) {
    TBrushHandle brush(CreatePatternBrush(PatternBitmap()));
    ::FillRect(canvas->Handle(), &r, brush.Get());
  }
  glyph_->Draw(*canvas, r, offset, Caption(), layout_, margin_, spacing_, state_, wordWrap_,
               displayMode_ != TButtonDisplayMode::dmTextOnly, displayMode_ != TButtonDisplayMode::dmGlyphOnly,
               !combo && usesDropdown_ && dropdownArrow_);
  if (combo) glyph_->DrawButtonDropArrow(*canvas, w - 13, h / 2 - 1, state_);
  if (off) target.Draw(0, 0, off->DC(), w, h);
}

void TToolbarButton::WndProc(TMessage& m) {
  if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MBUTTONDBLCLK && m.Msg != WM_MOUSEWHEEL) {
    if (!Enabled()) {
      TGraphicControl::WndProc(m);
      return;
    }
    auto alive = alive_;
    int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
    TShiftState shift = ShiftOf(m.WParam);
    using B = TMouseButton;
    switch (m.Msg) {
      case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
      case WM_LBUTTONDOWN: MouseDown(B::mbLeft, shift, x, y); break;
      case WM_LBUTTONDBLCLK:
        MouseDown(B::mbLeft, shift + TShiftState{TShiftFlag::ssDouble}, x, y);
        if (*alive && down_) DblClick();
        break;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK: MouseDown(B::mbRight, shift, x, y); break;
      case WM_MBUTTONDOWN:
      case WM_MBUTTONDBLCLK: MouseDown(B::mbMiddle, shift, x, y); break;
      case WM_LBUTTONUP: MouseUp(B::mbLeft, shift, x, y); break;
      case WM_RBUTTONUP: MouseUp(B::mbRight, shift, x, y); break;
      case WM_MBUTTONUP: MouseUp(B::mbMiddle, shift, x, y); break;
      default: break;
    }
    return;
  }
  if (m.Msg == ButtonPressedMessage()) {
    auto* sender = reinterpret_cast<TToolbarButton*>(m.LParam);
    if (static_cast<int>(m.WParam) == groupIndex_ && sender != this) {
      if (sender->down_ && down_) {
        down_ = false;
        state_ = TButtonState::bsUp;
        Redraw(true);
      }
      allowAllUp_ = sender->allowAllUp_;
    }
    return;
  }
  switch (m.Msg) {
    case CM_MOUSEENTER: return;  // hot tracking starts on a move over the button
    case CM_MOUSELEAVE: StopHotTracking(); return;
    case CM_ENABLEDCHANGED:
      glyph_->CreateButtonGlyph(Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled);
      UpdateTracking();
      Redraw(true);
      return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED: Redraw(true); return;
    case CM_SYSCOLORCHANGE:
      if (pattern.bitmap && (pattern.face != GetSysColor(COLOR_BTNFACE) || pattern.highlight != GetSysColor(COLOR_BTNHIGHLIGHT)))
        pattern.bitmap.Reset();
      glyph_->Invalidate();
      glyph_->CreateButtonGlyph(state_);
      return;
    case WM_CANCELMODE:
      repeatTimer_.reset();
      if (mouseIsDown_) {
        mouseIsDown_ = false;
        if (groupIndex_ != 0 && down_) state_ = TButtonState::bsExclusive;
        StopHotTracking();
      }
      return;
    default: break;
  }
  TGraphicControl::WndProc(m);
}

namespace {
bool OfferChar(TWinControl* parent, char ch) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* b = dynamic_cast<TToolbarButton*>(c); b && b->DialogChar(ch)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Showing() && OfferChar(w, ch)) return true;
  }
  return false;
}
}  // namespace

bool ToolbarButtonsDialogChar(TWinControl* root, char ch) { return root && OfferChar(root, ch); }

const TClassInfo& TToolbarButton::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TToolbarButton", &GraphicControlClassInfo(), Creator<TToolbarButton>());
    i.Prop("AllowAllUp", &TToolbarButton::SetAllowAllUp);
    i.Prop("GroupIndex", &TToolbarButton::SetGroupIndex);
    i.Prop("DisplayMode", &TToolbarButton::SetDisplayMode);
    i.Prop("Down", &TToolbarButton::SetDown);
    i.Prop("DropdownArrow", &TToolbarButton::SetDropdownArrow);
    i.Prop("DropdownCombo", &TToolbarButton::SetDropdownCombo);
    i.Ref("DropdownMenu", &TToolbarButton::SetDropdownMenu);
    i.Prop("Flat", &TToolbarButton::SetFlat);
    i.PropFn<TToolbarButton>("Glyph", [](TToolbarButton& b, const TDescValue& v) { LoadBitmapProp(b, v, false); });
    i.PropFn<TToolbarButton>("GlyphMask", [](TToolbarButton& b, const TDescValue& v) { LoadBitmapProp(b, v, true); });
    i.Prop("Layout", &TToolbarButton::SetLayout);
    i.Prop("Margin", &TToolbarButton::SetMargin);
    i.Prop("ModalResult", &TToolbarButton::SetModalResult);
    i.Prop("NoBorder", &TToolbarButton::SetNoBorder);
    i.Prop("NumGlyphs", &TToolbarButton::SetNumGlyphs);
    i.Prop("OldDisabledStyle", &TToolbarButton::SetOldDisabledStyle);
    i.Prop("Repeating", &TToolbarButton::SetRepeating);
    i.Prop("RepeatDelay", &TToolbarButton::SetRepeatDelay);
    i.Prop("RepeatInterval", &TToolbarButton::SetRepeatInterval);
    i.Prop("ShowBorderWhenInactive", &TToolbarButton::SetShowBorderWhenInactive);
    i.Prop("Spacing", &TToolbarButton::SetSpacing);
    i.Prop("WordWrap", &TToolbarButton::SetWordWrap);
    i.Event("OnMouseExit", &TToolbarButton::OnMouseExit);
    return i;
  }();
  return info;
}
