#include "AnimMainMenu.h"

#include <windowsx.h>

#include <algorithm>

#include "AnimMenus.h"
#include "Description.h"
#include "MenuGlyphs.h"
#include "Seam.h"

namespace {
// Posted to a bar whose top item was freed: its buttons are made again
// once the item is gone.
constexpr UINT kRebuildMessage = WM_APP + 0x3A1;

std::vector<TAnimMainMenu*> bars;
TMenuBarButton* keyboardHot = nullptr;
TMenuBarButton* lastButton = nullptr;
POINT lastMousePoint{-1000, -1000};
bool reopenPending = false;


// The item's unchecked picture in its parent's Windows menu, copied.
HBITMAP ItemGlyph(TMenuItem* item) {
  if (!item || !item->Parent() || !item->Parent()->HandleAllocated()) return nullptr;
  TMenuPosition position;
  if (!ReadMenuPosition(item->Parent()->Handle(), item->Command(), false, position) || !position.Info.hbmpUnchecked)
    return nullptr;
  return static_cast<HBITMAP>(CopyImage(position.Info.hbmpUnchecked, IMAGE_BITMAP, 0, 0, 0));
}

void SetBold(TFont& font, bool bold) {
  TFontStyles style = font.Style();
  if (bold) style.Include(TFontStyle::fsBold);
  else style.Exclude(TFontStyle::fsBold);
  font.SetStyle(style);
}

SIZE BitmapSize(HBITMAP bmp) {
  BITMAP info{};
  if (!bmp || !GetObjectA(bmp, sizeof(info), &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}
}  // namespace

const std::vector<TAnimMainMenu*>& MenuBars() { return bars; }

void FocusMenuForm(TForm* form) {
  if (!form || !form->HandleAllocated() || !form->Visible()) return;
  if (TWinControl* c = form->ActiveControl(); c && c->CanFocus()) c->SetFocus();
  else form->SetFocus();
}

TMenuBarButton* KeyboardHotButton() { return keyboardHot; }
void SetKeyboardHotButton(TMenuBarButton* button) { keyboardHot = button; }
TMenuBarButton* LastBarButton() { return lastButton; }
void SetLastBarButton(TMenuBarButton* button) { lastButton = button; }

TAnimMainMenu* ActiveMenuBar() {
  if (bars.empty()) return nullptr;
  HWND active = GetActiveWindow();
  TAnimMainMenu* found = nullptr;
  for (TAnimMainMenu* bar : bars)
    if (TForm* f = bar->OwnerForm(); f && active && f->HandleIfAllocated() == active) found = bar;
  return found ? found : bars.front();
}

TAnimMainMenu* FindMenuBarOfItem(const TMenuItem* item) {
  if (!item || !item->Parent()) return nullptr;
  for (TAnimMainMenu* bar : bars)
    if (bar->MainMenu() && bar->MainMenu()->Items() == item->Parent()) return bar;
  return nullptr;
}

void RemoveFormMenu(TComponent* component) {
  auto* form = dynamic_cast<TForm*>(component);
  if (!form || dynamic_cast<TForm*>(form->Owner()) || !form->Menu()) return;
  if (auto* animated = dynamic_cast<AnimMenus::TForm*>(form)) animated->SetSavedMenu(form->Menu());
  form->SetMenu(nullptr);
}

void CopyBarSettings(TAnimMainMenu* bar, TAnimPopupMenu* popup) {
  if (!bar || !popup) return;
  popup->Options().Assign(bar->Options());
  popup->Submenus().Assign(bar->Submenus());
  popup->Font().Assign(bar->Font());
  popup->SetStatusBar(bar->StatusBar());
  popup->StatusBarIndex = bar->StatusBarIndex;
  popup->SetParentFont(bar->ParentFont());
  if (bar->SystemFont()) popup->SetSystemFont(true);
  popup->SetShowHint(bar->ShowHint());
  popup->ParentShowHint = bar->ParentShowHint();
  popup->OnPopup = bar->OnPopup;
  popup->OnMenuCommand = bar->OnMenuCommand;
  popup->OnMenuClose = bar->OnMenuClose;
}

// ---- TMenuBarButton

TMenuBarButton::TMenuBarButton(TComponent* owner) : TToolbarButton(owner) {}

TMenuBarButton::~TMenuBarButton() {
  *alive_ = false;
  if (keyboardHot == this) keyboardHot = nullptr;
  if (lastButton == this) lastButton = nullptr;
}

TAnimMainMenu* TMenuBarButton::Bar() const { return dynamic_cast<TAnimMainMenu*>(Parent()); }

void TMenuBarButton::SetOrientation(TButtonOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  InvalidateFace();
  Redraw(true);
}

void TMenuBarButton::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v) SetBounds(Left(), Top(), Width(), Height());
}

bool TMenuBarButton::IsVertical() const {
  return orientation_ == TButtonOrientation::orVertical ||
         (orientation_ == TButtonOrientation::orAutomatic && Width() < Height());
}

void TMenuBarButton::SetItem(TMenuItem* item) {
  if (item_) RemoveFreeNotification(item_);
  item_ = item;
  if (item) FreeNotification(item);
}

void TMenuBarButton::SetMenuGlyph(HBITMAP glyph) {
  menuGlyph_.Reset(glyph);
  InvalidateFace();
  SetBounds(Left(), Top(), Width(), Height());
}

void TMenuBarButton::Notification(TComponent* component, TOperation operation) {
  TToolbarButton::Notification(component, operation);
  if (operation == TOperation::opRemove && component == item_) item_ = nullptr;
}

void TMenuBarButton::SetBounds(int left, int top, int width, int height) {
  auto* bar = dynamic_cast<TCustomToolbar*>(Parent());
  if (autoSize_ && bar) {
    TBitmap scratch(1, 1);
    TCanvas& c = scratch.Canvas();
    c.Font.Assign(Font());
    std::string text = StripAccelerators(Caption());
    SIZE extent = c.TextExtent(text.empty() ? " " : text);
    bool side = false, edge = false;
    if (bar->Docked() && bar->DockedTo()) {
      side = bar->DockedTo()->DockAxis() == kAxisVert;
      edge = !side;
    }
    SIZE s = MenuButtonSize(text.empty() ? 0 : extent.cx, extent.cy, BitmapSize(menuGlyph_.Get()).cy, iconButton_, side);
    width = s.cx;
    height = s.cy;
    if (edge) top = 0;
  }
  if (width != Width() || height != Height()) InvalidateFace();
  TToolbarButton::SetBounds(left, top, width, height);
}

void TMenuBarButton::MenuClosed() {
  StopHotTracking();
  SetDown(false);
  InvalidateFace();
  Redraw(true);
}

void TMenuBarButton::Click() {
  auto alive = alive_;
  if (TAnimMainMenu* active = ActiveMenuBar()) active->SetKeepHot(false);
  auto* menu = dynamic_cast<TAnimPopupMenu*>(DropdownMenu());
  if ((Down() || iconButton_) && menu && ActivePopup() == menu) {
    CloseActiveMenus(true);
    if (!*alive) return;
    SetDown(false);
    UpdateTracking();
    return;
  }
  CloseActiveMenus(true);
  if (!*alive) return;
  keyboardHot = nullptr;
  lastButton = this;
  if (OnClick) {
    TNotifyEvent handler = OnClick;
    handler(this);
    if (!*alive) return;
  }
  if (!DropdownMenu()) {
    ShowMenuCaret();
    StopHotTracking();
    PlayMenuSound("MenuCommand");
    UpdateTracking();
    return;
  }
  SetDown(true);
  Repaint();
  menu = dynamic_cast<TAnimPopupMenu*>(DropdownMenu());
  if (!menu) {
    POINT at = ClientToScreen({0, Height()});
    DropdownMenu()->PopupComponent = this;
    DropdownMenu()->Popup(at.x, at.y);
    if (*alive) SetDown(false);
    return;
  }
  StopHotTracking();
  SetMouseCapture(false);
  menu->PopupComponent = this;
  TAnimMainMenu* bar = Bar();
  CopyBarSettings(bar, menu);
  TBarShape shape;
  if (bar) {
    shape.DockedVertical = bar->Docked() && bar->DockedTo() && bar->DockedTo()->DockAxis() == kAxisVert;
    shape.Floating = !bar->Docked();
    shape.BarWidth = bar->Width();
    shape.BarHeight = bar->Height();
  }
  POINT at = ClientToScreen(MenuButtonPopupPoint(Left(), Top(), Width(), Height(), shape));
  menu->Popup(at.x, at.y);
  if (!*alive) return;
  if (!IsMenuOpen(menu)) MenuClosed();
}

void TMenuBarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (auto* menu = dynamic_cast<TAnimPopupMenu*>(DropdownMenu()); menu && menu->PopupForm() && !IsMenuOpen(menu))
    menu->PopupForm()->ResetSelection();
  TToolbarButton::MouseDown(button, shift, x, y);
}

void TMenuBarButton::MouseMove(TShiftState shift, int x, int y) {
  auto alive = alive_;
  auto* menu = dynamic_cast<TAnimPopupMenu*>(DropdownMenu());
  if (reopenPending) {
    reopenPending = false;
    if (menu && menu->PopupForm() && !IsMenuOpen(menu)) menu->PopupForm()->ResetSelection();
    if (Enabled()) Click();
    return;
  }
  POINT screen = ClientToScreen({x, y});
  if (std::abs(screen.x - lastMousePoint.x) <= 2 && std::abs(screen.y - lastMousePoint.y) < 3) return;
  lastMousePoint = screen;
  TAnimPopupMenu* open = ActivePopup();
  if (!Down() && menu && open && open != menu && open->BarButton() && open->BarButton() != this) {
    CloseActiveMenus(true);
    if (!*alive) return;
    reopenPending = true;
  }
  TToolbarButton::MouseMove(shift, x, y);
  if (!*alive) return;
  ShowMenuHint(nullptr, Hint());
  lastButton = this;
}

void TMenuBarButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSELEAVE:
      if (TAnimMainMenu* active = ActiveMenuBar(); active && active->KeepHot()) return;
      break;
    case CM_MOUSEENTER:
      if (!Enabled()) {
        MouseMove({}, -1, -1);
        return;
      }
      break;
    case CM_SYSCOLORCHANGE:
      DropDitherBitmap();
      InvalidateFace();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED: InvalidateFace(); break;
    default: break;
  }
  TToolbarButton::WndProc(m);
}

void TMenuBarButton::DrawFace(TBitmap& face, int w, int h) {
  face.SetSize(w, h);
  TCanvas& c = face.Canvas();
  c.Brush.SetColor(Color());
  c.FillRect({0, 0, w, h});
  HBITMAP glyph = menuGlyph_.Get();
  int glyphX = iconButton_ ? 2 : 6, glyphY = h / 2 - 7;
  int textLeft = glyph ? glyphX + std::min<int>(BitmapSize(glyph).cx, 16) : 0;
  RECT textRect{textLeft, 0, w, h};
  c.Font.Assign(Font());
  c.Brush.SetStyle(TBrushStyle::bsClear);
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (Enabled()) {
    if (glyph) DrawTransparentGlyph(c, glyphX, glyphY, glyph);
    c.Font.SetColor(Font().Color());
    c.DrawText(Caption(), textRect, flags);
  } else {
    if (glyph) DrawEmbossedGlyph(c, glyphX, glyphY, glyph);
    RECT shadow = textRect;
    OffsetRect(&shadow, 1, 1);
    c.Font.SetColor(clBtnHighlight);
    c.DrawText(Caption(), shadow, flags);
    c.Font.SetColor(clBtnShadow);
    c.DrawText(Caption(), textRect, flags);
  }
}

void TMenuBarButton::Paint(TCanvas& canvas) {
  const int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  TAnimPopupMenu* open = ActivePopup();
  bool menuOpen = open && IsMenuOpen(open);
  TAnimMainMenu* bar = Bar();
  if (bar && bar->MenuMode() && Application().Active() && !keyboardHot && lastButton == this) {
    keyboardHot = this;
    StartHotTracking();
  }
  const bool vertical = IsVertical();
  const int faceW = vertical ? h : w, faceH = vertical ? w : h;
  if (!face_ || !faceValid_ || face_->Width() != faceW || face_->Height() != faceH) {
    if (!face_) face_ = std::make_unique<TBitmap>();
    DrawFace(*face_, faceW, faceH);
    faceValid_ = true;
    rotatedValid_ = false;
  }
  const TBitmap* show = face_.get();
  if (vertical) {
    if (!rotated_ || !rotatedValid_ || rotated_->Width() != w || rotated_->Height() != h) {
      if (!rotated_) rotated_ = std::make_unique<TBitmap>();
      rotated_->SetSize(w, h);
      rotated_->Canvas().Brush.SetColor(Color());
      rotated_->Canvas().FillRect({0, 0, w, h});
      COLORREF background = ColorToRGB(Color());
      for (int y = 0; y < faceH; ++y)
        for (int x = 0; x < faceW; ++x) {
          COLORREF p = face_->Pixel(x, y);
          if (p != background) SetPixel(rotated_->DC(), faceH - y - 1, x, p);
        }
      rotatedValid_ = true;
    }
    show = rotated_.get();
  }
  const bool pressed = !iconButton_ && (State() == TButtonState::bsDown || State() == TButtonState::bsExclusive || Down());
  const bool hot = !iconButton_ && MouseInControl() && !(menuOpen && !Down());
  canvas.Brush.SetColor(Color());
  canvas.FillRect({0, 0, w, h});
  int offset = pressed ? 1 : 0;
  BitBlt(canvas.Handle(), offset, offset, w - offset, h - offset, show->DC(), 0, 0, SRCCOPY);
  if (pressed) canvas.DrawEdge({0, 0, w, h}, BDR_SUNKENOUTER, BF_RECT);
  else if (hot) canvas.DrawEdge({0, 0, w, h}, BDR_RAISEDINNER, BF_RECT);
}

const TClassInfo& TMenuBarButton::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TMenuBarButton", &TToolbarButton::ClassInfo(), Creator<TMenuBarButton>());
    i.Prop("Orientation", &TMenuBarButton::SetOrientation);
    i.Prop("AutoSize", &TMenuBarButton::SetAutoSize);
    return i;
  }();
  return info;
}

// ---- TAnimMainMenu

TAnimMainMenu::TAnimMainMenu(TComponent* owner)
    : TToolbar(owner), submenus_(std::make_unique<TSubMenus>(this)), options_(std::make_unique<TOptions>()) {
  SetCaption("Menu Bar");
  SetFullSize(true);
  options_->Timeout = 10;
  bars.push_back(this);
}

TAnimMainMenu::~TAnimMainMenu() {
  destroying_ = true;
  if (TAnimPopupMenu* open = ActivePopup(); open && open->BarButton() && open->BarButton()->Bar() == this)
    CloseActiveMenus(false);
  bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
  if (keyboardHot && keyboardHot->Bar() == this) keyboardHot = nullptr;
  if (lastButton && lastButton->Bar() == this) lastButton = nullptr;
  DeleteButtons();
}

TForm* TAnimMainMenu::OwnerForm() const {
  for (TComponent* o = Owner(); o; o = o->Owner())
    if (auto* f = dynamic_cast<TForm*>(o)) return f;
  return nullptr;
}

void TAnimMainMenu::SetMainMenu(TMainMenu* menu) {
  if (!menu) throw Exception("Value cannot be empty");
  if (menu == mainMenu_) return;
  if (mainMenu_) RemoveFreeNotification(mainMenu_);
  mainMenu_ = menu;
  FreeNotification(menu);
  if (!Loading()) RebuildButtons();
}

void TAnimMainMenu::SetStatusBar(TStatusBar* bar) {
  if (statusBar_) RemoveFreeNotification(statusBar_);
  statusBar_ = bar;
  if (bar) FreeNotification(bar);
}

void TAnimMainMenu::SetSystemFont(bool v) {
  systemFont_ = v;
  if (v) SetParentFont(false);
}

void TAnimMainMenu::Notification(TComponent* component, TOperation operation) {
  TToolbar::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == statusBar_) statusBar_ = nullptr;
  if (component == mainMenu_) {
    mainMenu_ = nullptr;
    if (!Destroying()) DeleteButtons();
    return;
  }
  if (!dynamic_cast<TMenuItem*>(component) || Destroying()) return;
  bool stale = false;
  for (TMenuBarButton* b : Buttons()) stale = stale || b->Item() == component || !b->Item();
  if (stale && HandleAllocated()) PostMessageA(HandleIfAllocated(), kRebuildMessage, 0, 0);
}

void TAnimMainMenu::WndProc(TMessage& m) {
  if (m.Msg == kRebuildMessage) {
    RebuildButtons();
    return;
  }
  TToolbar::WndProc(m);
}

std::vector<TMenuBarButton*> TAnimMainMenu::Buttons() const {
  std::vector<TMenuBarButton*> v;
  for (TControl* c : ControlOrder())
    if (auto* b = dynamic_cast<TMenuBarButton*>(c); b && !b->IconButton() && b->Parent() == this) v.push_back(b);
  return v;
}

TMenuBarButton* TAnimMainMenu::ButtonOfItem(const TMenuItem* item) const {
  for (TMenuBarButton* b : Buttons())
    if (b->Item() == item) return b;
  return nullptr;
}

TMenuBarButton* TAnimMainMenu::CreateButton(TMenuItem* item) {
  auto* b = new TMenuBarButton(this);
  b->Font().Assign(Font());
  b->SetParentFont(false);
  b->SetDropdownArrow(false);
  b->SetAllowAllUp(true);
  b->SetShowHint(ShowHint());
  b->SetParentShowHint(false);
  b->SetCursor(Cursor());
  b->SetIconButton(false);
  if (item) {
    FreeNotification(item);
    b->SetItem(item);
    b->SetCaption(item->Caption());
    b->SetEnabled(item->Enabled());
    b->SetHint(item->Hint());
    b->OnClick = item->OnClick();
    SetBold(b->Font(), item->Default());
    if (HBITMAP glyph = ItemGlyph(item)) b->SetMenuGlyph(glyph);
    if (item->Count() > 0) {
      b->SetGroupIndex(1);
      auto* popup = new TAnimPopupMenu(OwnerForm());
      popup->SetRootItem(item);
      CopyBarSettings(this, popup);
      b->SetDropdownMenu(popup);
    }
  }
  b->SetAutoSize(true);
  b->SetParent(this);
  b->SetAutoSize(true);
  return b;
}

void TAnimMainMenu::DeleteButtons() {
  for (int i = ControlCount() - 1; i >= 0; --i) {
    TControl* c = Controls(i);
    if (auto* b = dynamic_cast<TMenuBarButton*>(c)) {
      b->SetMenuGlyph(nullptr);
      TButtonPopupMenu* popup = b->DropdownMenu();
      b->SetDropdownMenu(nullptr);
      delete popup;
    }
    delete c;
  }
}

void TAnimMainMenu::Loaded() {
  if (mainMenu_) {
    DeleteButtons();
    for (int i = 0; i < mainMenu_->Items()->Count(); ++i)
      if (TMenuItem* item = mainMenu_->Items()->Items(i); item->Visible()) CreateButton(item);
    RemoveFormMenu(OwnerForm());
  }
  TToolbar::Loaded();
}

void TAnimMainMenu::RebuildButtons() {
  if (rebuilding_) return;
  BeginRebuild();
  EndRebuild();
}

void TAnimMainMenu::BeginRebuild() {
  if (rebuilding_) return;
  rebuilding_ = true;
  LockArrange();
}

void TAnimMainMenu::EndRebuild() {
  if (!rebuilding_) return;
  CloseActiveMenus(false);
  MergeButtons();
  FinishRebuild();
}

void TAnimMainMenu::MergeButtons() {
  TForm* form = OwnerForm();
  ApplyItemBitmaps(form);
  DeleteButtons();
  if (!mainMenu_) return;
  TMenuItem* items = mainMenu_->Items();
  for (int g = 0; g <= 255; ++g)
    for (int i = 0; i < items->Count(); ++i)
      if (TMenuItem* item = items->Items(i); item->Visible() && item->GroupIndex() == g) CreateButton(item);
}

void TAnimMainMenu::FinishRebuild() {
  if (lastButton && lastButton->Bar() == this) lastButton = nullptr;
  UnlockArrange();
  TForm* form = OwnerForm();
  if (Application().Active() && form && form->Visible()) FocusMenuForm(form);
  rebuilding_ = false;
  RemoveFormMenu(form);
  MSG msg;
  for (int guard = 0; guard < 64 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++guard)
    DispatchMessageA(&msg);
}

void TAnimMainMenu::RefreshItemButton(TMenuItem* item) {
  if (TMenuBarButton* b = ButtonOfItem(item)) {
    b->SetCaption(item->Caption());
    b->SetEnabled(item->Enabled());
    b->SetHint(item->Hint());
    b->OnClick = item->OnClick();
    SetBold(b->Font(), item->Default());
    b->InvalidateFace();
    b->SetBounds(b->Left(), b->Top(), b->Width(), b->Height());
    b->Redraw(true);
  }
  UnlockArrange();
  rebuilding_ = false;
  RemoveFormMenu(OwnerForm());
}

TMenuBarButton* TAnimMainMenu::MenuBarButtonForKey(char key) const {
  if (key == '\0') return nullptr;
  char k = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  for (TMenuBarButton* b : Buttons())
    if (b->Enabled() && b->Caption() != "-" && AccelChar(b->Caption()) == k) return b;
  return nullptr;
}

TMenuBarButton* TAnimMainMenu::NextMenuBarButton(TMenuBarButton* from, bool forward, bool needsDropdown) const {
  std::vector<TMenuBarButton*> buttons = Buttons();
  if (buttons.empty()) return nullptr;
  int n = static_cast<int>(buttons.size());
  int start = static_cast<int>(std::find(buttons.begin(), buttons.end(), from) - buttons.begin());
  if (start >= n) start = forward ? -1 : n;
  for (int step = 1; step <= n; ++step) {
    int i = ((start + (forward ? step : -step)) % n + n) % n;
    TMenuBarButton* b = buttons[static_cast<size_t>(i)];
    if (b->Enabled() && b->Visible() && (!needsDropdown || b->DropdownMenu())) return b;
  }
  return nullptr;
}

const TClassInfo& TAnimMainMenu::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TAnimMainMenu", &ToolWindowClassInfo(), Creator<TAnimMainMenu>());
    i.Ref("MainMenu", &TAnimMainMenu::SetMainMenu);
    i.Ref("StatusBar", &TAnimMainMenu::SetStatusBar);
    i.Prop("StatusBarIndex", &TAnimMainMenu::StatusBarIndex);
    i.Collection<TAnimMainMenu>("Submenus", [](TAnimMainMenu& m) -> TSubmenuOptions& { return m.Submenus().Add(); },
                                TSubmenuOptions::ClassInfo());
    i.Sub<TAnimMainMenu>("Options", [](TAnimMainMenu& m) -> TOptions& { return m.Options(); }, TOptions::ClassInfo());
    i.Prop("GrayWhenInactive", &TAnimMainMenu::GrayWhenInactive);
    i.Prop("SystemFont", &TAnimMainMenu::SetSystemFont);
    i.Event("OnPopup", &TAnimMainMenu::OnPopup);
    i.Event("OnMenuCommand", &TAnimMainMenu::OnMenuCommand);
    i.Event("OnMenuClose", &TAnimMainMenu::OnMenuClose);
    return i;
  }();
  return info;
}
