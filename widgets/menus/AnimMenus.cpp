#include "AnimMenus.h"

#include <windowsx.h>

#include <cstdlib>
#include <memory>

#include "Description.h"
#include "MenuGlyphs.h"

namespace {
constexpr UINT kRequestDelay = 250;

// Randomize, as the unit starts.
struct TUnitStart {
  TUnitStart() { std::srand(static_cast<unsigned>(GetTickCount())); }
} unitStart;

// The one hint window of all menus, freed at program end.
TMenuHintWindow* hintWindow = nullptr;

bool IsSystemName(UINT id, const char*& name) {
  for (const auto& [command, itemName] : SystemMenuItemNames())
    if (command == id) {
      name = itemName;
      return true;
    }
  return false;
}

// Whether the window allows a system command now; the system keeps the
// states of its menu up to date only when it opens the menu itself.
bool CommandAllowed(HWND window, UINT id) {
  LONG style = GetWindowLongA(window, GWL_STYLE);
  bool maximised = IsZoomed(window), minimised = IsIconic(window);
  switch (id & 0xFFF0) {
    case SC_RESTORE: return maximised || minimised;
    case SC_MOVE: return !maximised;
    case SC_SIZE: return !maximised && !minimised && (style & WS_THICKFRAME);
    case SC_MINIMIZE: return !minimised && (style & WS_MINIMIZEBOX);
    case SC_MAXIMIZE: return !maximised && (style & WS_MAXIMIZEBOX);
    default: return true;
  }
}

void CopySystemMenuItems(TComponent* owner, HWND window, HMENU menu, TMenuItem* parent) {
  bool defaultSeen = false;
  int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    TMenuPosition position;
    if (!ReadMenuPosition(menu, static_cast<UINT>(pos), true, position)) continue;
    const MENUITEMINFOA& info = position.Info;
    auto* item = new AnimMenus::TMenuItem(owner);
    bool enabled = !(info.fState & (MFS_GRAYED | MFS_DISABLED)) && CommandAllowed(window, info.wID);
    item->SetEnabled(enabled);
    item->SetChecked((info.fState & MFS_CHECKED) != 0);
    if (info.fState & MFS_DEFAULT) {
      item->SetDefault(true);
      defaultSeen = true;
    } else if ((info.wID & 0xFFF0) == SC_CLOSE && !defaultSeen) {
      item->SetDefault(true);
    }
    item->Tag = static_cast<int>(info.wID);
    item->SetOnClick([window](TComponent* sender) {
      if (IsWindow(window)) PostMessageA(window, WM_SYSCOMMAND, static_cast<WPARAM>(sender->Tag), 0);
    });
    if (info.fType & MFT_SEPARATOR) {
      item->SetCaption("-");
    } else {
      item->SetCaption(position.Caption);
      item->SetShortCut(TextToShortCut(position.ShortCutText));
      if (const char* name = nullptr; IsSystemName(info.wID & 0xFFF0, name)) {
        if (TComponent* old = owner->FindComponent(name)) delete old;
        item->SetName(name);
      }
    }
    if (info.hSubMenu) CopySystemMenuItems(owner, window, info.hSubMenu, item);
    parent->Add(item);
  }
}

TAnimMainMenu* BarOf(::TMenuItem* item) { return FindMenuBarOfItem(item); }
}  // namespace

const std::vector<std::pair<UINT, const char*>>& SystemMenuItemNames() {
  static const std::vector<std::pair<UINT, const char*>> names = {
      {SC_RESTORE, "SYSTEMRESTORE"},   {SC_MOVE, "SYSTEMMOVE"},         {SC_SIZE, "SYSTEMSIZE"},
      {SC_MINIMIZE, "SYSTEMMINIMIZE"}, {SC_MAXIMIZE, "SYSTEMMAXIMIZE"}, {SC_CLOSE, "SYSTEMCLOSE"},
  };
  return names;
}

TAnimPopupMenu* BuildSystemMenu(TComponent* owner, HWND window, TAnimPopupMenu* existing) {
  if (!owner || !window || !IsWindow(window)) return nullptr;
  HMENU system = GetSystemMenu(window, FALSE);
  if (!system) return nullptr;
  TAnimPopupMenu* menu = existing ? existing : new TAnimPopupMenu(owner);
  menu->Items()->Clear();
  CopySystemMenuItems(owner, window, system, menu->Items());
  return menu;
}

// ---- TAnimSystemMenu

namespace {
TComponent* SystemMenuOwner(TComponent* owner) {
  if (!dynamic_cast<AnimMenus::TForm*>(owner))
    throw Exception(
        "Error: Owner if TAnimSystemMenu component is not an AnimMenus.TForm. Possible reason: AnimMenus unit doesn't "
        "placed at the end of uses clause of your form's unit");
  return owner;
}
}  // namespace

TAnimSystemMenu::TAnimSystemMenu(TComponent* owner) : TAnimPopupMenu(SystemMenuOwner(owner)) {
  static_cast<AnimMenus::TForm*>(owner)->SetSystemMenu(this);
}

const TClassInfo& TAnimSystemMenu::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TAnimSystemMenu", &TAnimPopupMenu::ClassInfo(), Creator<TAnimSystemMenu>());
    i.Prop("Enabled", &TAnimSystemMenu::Enabled);
    i.Prop("AllowAdjust", &TAnimSystemMenu::AllowAdjust);
    i.Event("OnShow", &TAnimSystemMenu::OnShow);
    return i;
  }();
  return info;
}

namespace AnimMenus {

// ---- TForm

TForm::TForm(TComponent* owner) : ::TForm(owner) {}

TForm::~TForm() {
  requestTimer_.reset();
  if (systemMenu_ && ActivePopup() == systemMenu_) CloseActiveMenus(false);
}

void TForm::SetSystemMenu(TAnimSystemMenu* menu) {
  if (systemMenu_) RemoveFreeNotification(systemMenu_);
  systemMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TForm::SetSavedMenu(TMainMenu* menu) {
  if (savedMenu_ && savedMenu_ != Menu()) RemoveFreeNotification(savedMenu_);
  savedMenu_ = menu;
  if (menu) FreeNotification(menu);
}

void TForm::Notification(TComponent* component, TOperation operation) {
  ::TForm::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == systemMenu_) systemMenu_ = nullptr;
  if (component == savedMenu_) savedMenu_ = nullptr;
}

void TForm::Loaded() {
  ::TForm::Loaded();
  if (!systemMenu_) new TAnimSystemMenu(this);
}

bool TForm::SystemMenuEnabled() const { return systemMenu_ && systemMenu_->Enabled; }

void TForm::RequestSystemMenu(int x, int y, bool delayed, bool fromIcon) {
  if (ActivePopup()) return;
  fromIcon_ = fromIcon;
  if (fromIcon) {
    POINT origin = ClientToScreen({0, 0});
    popupPoint_ = {origin.x, IsIconic(Handle()) ? origin.y + 20 : origin.y - 1};
  } else {
    popupPoint_ = {x, y};
  }
  if (requestTimer_) requestTimer_->SetEnabled(false);
  if (!delayed) {
    PopupSystemMenu();
    return;
  }
  if (!requestTimer_) {
    requestTimer_ = std::make_unique<TTimer>(nullptr);
    requestTimer_->SetEnabled(false);
    requestTimer_->SetInterval(kRequestDelay);
    requestTimer_->SetOnTimer([this](TComponent*) { PopupSystemMenu(); });
  }
  requestTimer_->SetEnabled(true);
}

void TForm::PopupSystemMenu() {
  // The timer is only stopped here: this may run inside its own tick.
  if (requestTimer_) requestTimer_->SetEnabled(false);
  if (!systemMenu_) return;
  TComponent* owner = Owner();
  if (!owner || owner == &Application()) owner = this;
  if (!BuildSystemMenu(owner, Handle(), systemMenu_)) return;
  systemMenu_->PopupComponent = fromIcon_ ? this : nullptr;
  TFreeWatch watch(systemMenu_);
  if (systemMenu_->OnShow) systemMenu_->OnShow(this);
  if (!watch.Alive()) return;
  if (systemMenu_->AllowAdjust)
    systemMenu_->Options().OpenAnimation = fromIcon_ ? TAnimation::anSmart : TAnimation::anPopup;
  systemMenu_->Popup(popupPoint_.x, popupPoint_.y);
}

void TForm::WndProc(TMessage& m) {
  const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  const WPARAM hit = m.WParam;
  switch (m.Msg) {
    case WM_NCLBUTTONDOWN:
      if (swallowPress_) {
        swallowPress_ = false;
        return;
      }
      if (!SystemMenuEnabled()) break;
      if (ActivePopup() == systemMenu_) CloseActiveMenus(false);
      if (hit == HTSYSMENU) {
        RequestSystemMenu(x, y, true, true);
        return;
      }
      if (hit == HTCAPTION) {
        swallowPress_ = true;
        PostMessageA(Handle(), WM_NCLBUTTONDOWN, HTSYSMENU, m.LParam);
        PostMessageA(Handle(), WM_NCLBUTTONUP, HTCAPTION, m.LParam);
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      requestTimer_.reset();
      CloseActiveMenus(false);
      break;
    case WM_NCLBUTTONUP: {
      if (!SystemMenuEnabled()) break;
      MSG waiting;
      if (!PeekMessageA(&waiting, Handle(), WM_NCMOUSEMOVE, WM_NCMOUSEMOVE, PM_NOREMOVE)) return;
      if (hit == HTCAPTION && IsIconic(Handle())) {
        RequestSystemMenu(x, y, false, false);
        return;
      }
      if (hit == HTSYSMENU || hit == HTCAPTION) return;
      break;
    }
    case WM_NCRBUTTONDOWN:
      if (SystemMenuEnabled() && (hit == HTSYSMENU || hit == HTCAPTION)) return;
      break;
    case WM_NCRBUTTONUP:
      if (SystemMenuEnabled() && (hit == HTSYSMENU || hit == HTCAPTION)) {
        RequestSystemMenu(x, y, false, false);
        return;
      }
      break;
    default: break;
  }
  ::TForm::WndProc(m);
}

// ---- TMenuItem

void TMenuItem::BeginItemChange() {
  bar_ = BarOf(this);
  ownsLock_ = false;
  if (bar_ && !bar_->Rebuilding()) {
    bar_->BeginRebuild();
    ownsLock_ = true;
  }
}

void TMenuItem::EndItemChange(bool refreshOnly) {
  TAnimMainMenu* bar = bar_;
  bool owns = ownsLock_;
  bar_ = nullptr;
  ownsLock_ = false;
  TFreeWatch self(this);
  if (bar && owns) {
    if (refreshOnly) bar->RefreshItemButton(this);
    else bar->EndRebuild();
  }
  if (!self.Alive()) return;
  if (ActiveMenuBar()) RemoveFormMenu(Owner());
  ApplyItemBitmaps(Owner());
}

TMenuItem::~TMenuItem() {
  // Leaves its parent now, so the bar shows the items without it.
  // Items freed with their menu or form leave the bar to go with them.
  if (TAnimMainMenu* bar = BarOf(this); bar && !bar->Destroying() && !IsGoing(bar) && !IsGoing(this)) {
    Parent()->Remove(this);
    if (!bar->Rebuilding()) bar->RebuildButtons();
  }
}

#define TZ_ITEM_SETTER(Setter, Type, Getter, RefreshOnly) \
  void TMenuItem::Setter(Type v) {                         \
    if (v == Getter()) return;                             \
    BeginItemChange();                                     \
    ::TMenuItem::Setter(v);                                \
    EndItemChange(RefreshOnly);                            \
  }
TZ_ITEM_SETTER(SetCaption, const std::string&, Caption, true)
TZ_ITEM_SETTER(SetChecked, bool, Checked, true)
TZ_ITEM_SETTER(SetEnabled, bool, Enabled, true)
TZ_ITEM_SETTER(SetVisible, bool, Visible, false)
TZ_ITEM_SETTER(SetDefault, bool, Default, true)
TZ_ITEM_SETTER(SetRadioItem, bool, RadioItem, true)
TZ_ITEM_SETTER(SetBreak, TMenuBreak, Break, true)
TZ_ITEM_SETTER(SetGroupIndex, int, GroupIndex, false)
TZ_ITEM_SETTER(SetShortCut, TShortCut, ShortCut, true)
TZ_ITEM_SETTER(SetHint, const std::string&, Hint, true)
#undef TZ_ITEM_SETTER

void TMenuItem::SetOnClick(TNotifyEvent v) {
  BeginItemChange();
  ::TMenuItem::SetOnClick(std::move(v));
  EndItemChange(true);
}

const TClassInfo& TMenuItem::ClassInfo() {
  static const TClassInfo info("TMenuItem", &::TMenuItem::ClassInfo(), Creator<TMenuItem>());
  return info;
}

}  // namespace AnimMenus

// ---- TMenuHintWindow

TMenuHintWindow::TMenuHintWindow(TComponent* owner) : TCustomControl(owner) {
  TControl::SetVisible(false);
  SetColor(clInfoBk);
  SetParentFontQuiet(false);
  Font().SetColor(clInfoText);
  hideTimer_ = new TTimer(this);
  hideTimer_->SetEnabled(false);
  hideTimer_->SetOnTimer([this](TComponent*) { HideHint(); });
}

TMenuHintWindow::~TMenuHintWindow() { destroying_ = true; }

void TMenuHintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  p.WndParent = Application().Handle();
}

void TMenuHintWindow::ShowHintText(const std::string& text) {
  if (text.empty()) return;
  SetColor(clInfoBk);
  lines_ = HintLines(text);
  TBitmap scratch(1, 1);
  TCanvas& c = scratch.Canvas();
  c.Font.Assign(Font());
  int width = 0, height = 5;
  for (const auto& line : lines_) {
    SIZE s = c.TextExtent(line.empty() ? " " : line);
    height += s.cy + 1;
    width = std::max<int>(width, (line.empty() ? 0 : s.cx) + 6);
  }
  POINT cursor;
  GetCursorPos(&cursor);
  POINT at = HintWindowPos(cursor, {width, height}, MenuWorkArea());
  SetText(text);
  HandleNeeded();
  SetBounds(at.x, at.y, width, height);
  TControl::SetVisible(true);
  SetWindowPos(Handle(), HWND_TOPMOST, at.x, at.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate();
  hideTimer_->SetEnabled(false);
  hideTimer_->SetInterval(static_cast<UINT>(Application().HintHidePause()));
  hideTimer_->SetEnabled(true);
}

void TMenuHintWindow::HideHint() {
  hideTimer_->SetEnabled(false);
  TControl::SetVisible(false);
  if (HWND h = HandleIfAllocated()) ShowWindow(h, SW_HIDE);
}

void TMenuHintWindow::Paint(TCanvas& canvas) {
  RECT client = ClientRect();
  canvas.Brush.SetColor(Color());
  canvas.FillRect(client);
  if (lines_.empty()) return;
  canvas.Font.Assign(Font());
  int lineHeight = canvas.TextHeight(lines_.front().empty() ? " " : lines_.front());
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  int y = 2;
  for (const auto& line : lines_) {
    RECT r{2, y, client.right, y + lineHeight};
    canvas.DrawText(line, r, DT_NOPREFIX | DT_SINGLELINE);
    y += lineHeight + 1;
  }
}

void TMenuHintWindow::WndProc(TMessage& m) {
  if (m.Msg == WM_MOUSEACTIVATE) {
    m.Result = MA_NOACTIVATE;
    return;
  }
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::WndProc(m);
}

TMenuHintWindow& MenuHintWindow() {
  if (!hintWindow) {
    hintWindow = new TMenuHintWindow(nullptr);
    FreeAtProgramEnd([] {
      delete hintWindow;
      hintWindow = nullptr;
    });
  }
  return *hintWindow;
}

bool MenuHintWindowExists() { return hintWindow != nullptr; }

void RegisterAnimMenuClasses() {
  RegisterClass(TAnimPopupMenu::ClassInfo());
  RegisterClass(TAnimSystemMenu::ClassInfo());
  RegisterClass(TAnimMainMenu::ClassInfo());
  RegisterClass(TMenuBarButton::ClassInfo());
  RegisterClass(TMenuItemBitmaps::ClassInfo());
  RegisterClass(AnimMenus::TMenuItem::ClassInfo());
}
