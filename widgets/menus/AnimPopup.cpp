#include "AnimPopup.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "AnimMainMenu.h"
#include "AnimMenus.h"
#include "Description.h"
#include "MenuGlyphs.h"
#include "Seam.h"

namespace {
// The item record of older systems: everything before the picture handle.
constexpr UINT kItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
constexpr UINT kSubmenuDelay = 250;

class TSystemClock : public IMenuClock {
public:
  DWORD Now() override { return GetTickCount(); }
  void Sleep(DWORD ms) override { ::Sleep(ms); }
} systemClock;
IMenuClock* menuClock = &systemClock;

TAnimPopupMenu* activePopup = nullptr;
bool caretHidden = false;

bool RandomHorizontal() { return (std::rand() & 1) != 0; }

TForm* OwnerFormOf(const TComponent* c) {
  for (TComponent* o = c ? c->Owner() : nullptr; o; o = o->Owner())
    if (auto* f = dynamic_cast<TForm*>(o); f && !dynamic_cast<TAnimPopupForm*>(f)) return f;
  return nullptr;
}

// The simple text, or panel `index` when the bar shows panels and has it.
void SetStatusText(TStatusBar* bar, int index, const std::string& text) {
  if (!bar) return;
  if (bar->SimplePanel()) bar->SetSimpleText(text);
  else if (index >= 0 && index < bar->PanelCount()) bar->SetPanelText(index, text);
}

void MakeTopmost(HWND wnd) {
  if (wnd) SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Every open level and the visible hint window stay above other windows.
void MakeChainTopmost(TAnimPopupForm* top) {
  for (TAnimPopupForm* f = top; f; f = f->ChildLevel()) MakeTopmost(f->HandleIfAllocated());
  if (MenuHintWindowExists() && MenuHintWindow().HandleAllocated() && IsWindowVisible(MenuHintWindow().HandleIfAllocated()))
    MakeTopmost(MenuHintWindow().HandleIfAllocated());
}

void HideHintWindow() {
  if (MenuHintWindowExists()) MenuHintWindow().HideHint();
}

// The caption text of a menu row (before the tab) and the text after it.
std::pair<std::string, std::string> SplitAtTab(const std::string& text) {
  size_t tab = text.find('\t');
  if (tab == std::string::npos) return {text, {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}
}  // namespace

IMenuClock& MenuClock() { return *menuClock; }

IMenuClock* SetMenuClock(IMenuClock* c) {
  IMenuClock* previous = menuClock;
  menuClock = c ? c : &systemClock;
  return previous;
}

RECT MenuWorkArea() {
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  RECT work = screen;
  if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
    RECT rest;
    if (SubtractRect(&rest, &screen, &bar.rc)) work = rest;
  }
  return work;
}

void HideMenuCaret() {
  if (caretHidden) return;
  HideCaret(nullptr);
  caretHidden = true;
}

void ShowMenuCaret() {
  if (!caretHidden) return;
  ShowCaret(nullptr);
  caretHidden = false;
}

bool MenuCaretHidden() { return caretHidden; }

bool ReadMenuPosition(HMENU menu, UINT position, bool byPosition, TMenuPosition& out) {
  char text[256] = {};
  out = TMenuPosition{};
  out.Info.cbSize = kItemInfoSize;
  out.Info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS;
  out.Info.dwTypeData = text;
  out.Info.cch = sizeof(text) - 1;
  if (!GetMenuItemInfoA(menu, position, byPosition, &out.Info)) return false;
  out.Info.dwTypeData = nullptr;
  out.Info.cch = 0;
  if (!(out.Info.fType & MFT_SEPARATOR)) std::tie(out.Caption, out.ShortCutText) = SplitAtTab(text);
  return true;
}

void PlayMenuSound(const char* name) {
  if (name && *name) Seam().PlaySystemSound(name);
}

// ---- TAnimPopupMenu

TAnimPopupMenu::TAnimPopupMenu(TComponent* owner)
    : TButtonPopupMenu(owner), options_(std::make_unique<TOptions>()), submenus_(std::make_unique<TSubMenus>(this)) {
  form_ = new TAnimPopupForm(owner);
  form_->FreeNotification(this);
  form_->menu_ = this;
  form_->menuAlive_ = alive_;
}

TAnimPopupMenu::~TAnimPopupMenu() {
  *alive_ = false;
  if (activePopup == this) CloseActiveMenus(false);
  if (activePopup == this) activePopup = nullptr;
  if (TAnimPopupForm* form = form_) {
    form_ = nullptr;
    RemoveFreeNotification(form);
    form->HideLevel();
    form->menu_ = nullptr;
    // The form may be running a handler that freed this menu: it goes
    // once its messages are done.
    if (form->HandleAllocated() && !form->Destroying()) form->Release();
    else if (!form->Owner()) delete form;
  }
}

void TAnimPopupMenu::Notification(TComponent* component, TOperation operation) {
  TButtonPopupMenu::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == form_) form_ = nullptr;
  if (component == statusBar_) statusBar_ = nullptr;
  if (component == PopupComponent) PopupComponent = nullptr;
  if (component == rootItem_) {
    rootItem_ = nullptr;
    if (activePopup == this) CloseActiveMenus(false);
  }
}

void TAnimPopupMenu::SetStatusBar(TStatusBar* bar) {
  if (statusBar_) RemoveFreeNotification(statusBar_);
  statusBar_ = bar;
  if (bar) FreeNotification(bar);
}

void TAnimPopupMenu::SetParentFont(bool v) {
  parentFont_ = v;
  if (v) systemFont_ = false;
}

void TAnimPopupMenu::SetSystemFont(bool v) {
  systemFont_ = v;
  if (v) parentFont_ = false;
}

void TAnimPopupMenu::SetShowHint(bool v) {
  if (v != showHint_) ParentShowHint = false;
  showHint_ = v;
}

void TAnimPopupMenu::SetRootItem(TMenuItem* item) {
  if (item == rootItem_) return;
  if (rootItem_) RemoveFreeNotification(rootItem_);
  rootItem_ = item;
  if (item) FreeNotification(item);
}

TMenuBarButton* TAnimPopupMenu::BarButton() const { return dynamic_cast<TMenuBarButton*>(PopupComponent); }

const TBaseOptions& TAnimPopupMenu::OptionsFor(const TMenuItem* root) const {
  if (const TSubmenuOptions* sub = submenus_->ForItem(root)) return *sub;
  return *options_;
}

void TAnimPopupMenu::ApplyFont(TFont& target) const {
  if (systemFont_) {
    LOGFONTA lf{};
    GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof(lf), &lf);
    target.AssignLogFont(lf);
  } else if (parentFont_) {
    if (TForm* f = OwnerFormOf(this)) target.Assign(f->Font());
    else if (auto* f2 = dynamic_cast<TForm*>(Owner())) target.Assign(f2->Font());
  } else {
    target.Assign(font_);
  }
}

void TAnimPopupMenu::Popup(int x, int y) {
  auto alive = alive_;
  TComponent* invoker = PopupComponent;
  if (invoker) FreeNotification(invoker);
  const bool plainButton = dynamic_cast<TToolbarButton*>(invoker) && !dynamic_cast<TMenuBarButton*>(invoker);
  if (plainButton && IsMenuOpen(this)) {
    form_->AnimateClose();
    CloseActiveMenus(false);
    return;
  }
  CloseActiveMenus(false);
  if (!*alive || !form_) return;
  activePopup = this;
  if (OnPopup) OnPopup(this);
  if (!*alive || !form_) return;
  if (auto* owner = dynamic_cast<TForm*>(Owner()); owner && owner->Visible() && !owner->Active()) owner->BringToFront();
  TMenuItem* root = ShownRoot();
  TAnimPopupForm* form = form_;
  form->Setup(this, nullptr, root, root->Handle());
  if (TMenuBarButton* b = BarButton()) form->SetCursor(b->Cursor());
  form->openKind_ = options_->OpenAnimation;
  form->closeKind_ = options_->CloseAnimation;
  form->selectionChanged_ = true;
  ApplyItemBitmaps(Owner());
  form->HandleNeeded();
  if (!IsWindowEnabled(form->Handle())) EnableWindow(form->Handle(), TRUE);
  form->SetBounds(x, y, 0, 0);
  MakeChainTopmost(form);
  auto formAlive = form->alive_;
  bool opened = form->AnimateOpen();
  if (!*alive) return;
  if (opened && plainButton) {
    // The button waits for its menu, as a system menu would make it.
    while (*alive && IsMenuOpen(this) && !Application().Terminated()) Application().HandleMessage();
    if (!*alive) return;
  }
  if (!opened || plainButton) {
    if (*formAlive && form_ == form) form->HideLevel();
    if (activePopup == this) activePopup = nullptr;
  }
}

const TClassInfo& TAnimPopupMenu::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TAnimPopupMenu", &ComponentClassInfo(), Creator<TAnimPopupMenu>());
    i.Sub<TAnimPopupMenu>("Options", [](TAnimPopupMenu& m) -> TOptions& { return m.Options(); }, TOptions::ClassInfo());
    i.Collection<TAnimPopupMenu>("Submenus", [](TAnimPopupMenu& m) -> TSubmenuOptions& { return m.Submenus().Add(); },
                                 TSubmenuOptions::ClassInfo());
    i.Ref("StatusBar", &TAnimPopupMenu::SetStatusBar);
    i.Prop("StatusBarIndex", &TAnimPopupMenu::StatusBarIndex);
    i.Sub<TAnimPopupMenu>("Font", [](TAnimPopupMenu& m) -> TFont& { return m.Font(); }, FontClassInfo());
    i.Prop("ParentFont", &TAnimPopupMenu::SetParentFont);
    i.Prop("SystemFont", &TAnimPopupMenu::SetSystemFont);
    i.Prop("ShowHint", &TAnimPopupMenu::SetShowHint);
    i.Prop("ParentShowHint", &TAnimPopupMenu::ParentShowHint);
    i.Prop("Alignment", &TAnimPopupMenu::Alignment);
    i.Event("OnPopup", &TAnimPopupMenu::OnPopup);
    i.Event("OnMenuCommand", &TAnimPopupMenu::OnMenuCommand);
    i.Event("OnMenuClose", &TAnimPopupMenu::OnMenuClose);
    return i;
  }();
  return info;
}

// ---- TAnimPopupForm

TAnimPopupForm::TAnimPopupForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetFormStyle(TFormStyle::fsStayOnTop);
  SetPosition(TPosition::poDesigned);
  width_ = 0;
  height_ = 0;
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->SetInterval(kSubmenuDelay);
  timer_->SetOnTimer([this](TComponent*) { TimerTick(); });
  InstallMenuHook();
}

TAnimPopupForm::~TAnimPopupForm() {
  *alive_ = false;
  destroying_ = true;
  HideHintWindow();
  if (parent_ && parent_->child_ == this) parent_->child_ = nullptr;
  parent_ = nullptr;
  ReleaseChild();
  if (menu_ && menu_->form_ == this) menu_->form_ = nullptr;
}

void TAnimPopupForm::CreateParams(TCreateParams& p) {
  TForm::CreateParams(p);
  p.ExStyle |= WS_EX_TOOLWINDOW;
  p.ClassStyle |= CS_SAVEBITS;
}

void TAnimPopupForm::Setup(TAnimPopupMenu* menu, TAnimPopupForm* parent, TMenuItem* root, HMENU handle) {
  menu_ = menu;
  menuAlive_ = menu ? menu->alive_ : nullptr;
  parent_ = parent;
  if (rootItem_ && rootItem_ != root) RemoveFreeNotification(rootItem_);
  rootItem_ = root;
  if (root) FreeNotification(root);
  menuHandle_ = handle;
  if (menu) {
    TFont font;
    menu->ApplyFont(font);
    const auto* sub = dynamic_cast<const TSubmenuOptions*>(&menu->OptionsFor(root));
    if (sub && !sub->ParentFont) font.Assign(sub->Font());
    Font().Assign(font);
  }
}

void TAnimPopupForm::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == rootItem_) {
    // Its Windows menu went with it.
    rootItem_ = nullptr;
    menuHandle_ = nullptr;
    rows_.clear();
    if (!destroying_) HideLevel();
  }
}

const TBaseOptions& TAnimPopupForm::LevelOptions() const {
  static const TOptions defaults;
  if (!menu_ || !menuAlive_ || !*menuAlive_) return defaults;
  return menu_->OptionsFor(rootItem_);
}

TMenuItem* TAnimPopupForm::RowItem(int row) const {
  if (!rootItem_ || row < 0) return nullptr;
  int n = 0;
  for (int i = 0; i < rootItem_->Count(); ++i) {
    TMenuItem* item = rootItem_->Items(i);
    if (!item->Visible()) continue;
    if (n++ == row) return item;
  }
  return nullptr;
}

void TAnimPopupForm::ReadRows() {
  rows_.clear();
  if (!menuHandle_ || !IsMenu(menuHandle_)) return;
  int count = GetMenuItemCount(menuHandle_);
  for (int i = 0; i < count; ++i) {
    TRow row;
    TMenuPosition position;
    row.Valid = ReadMenuPosition(menuHandle_, static_cast<UINT>(i), true, position);
    const MENUITEMINFOA& info = position.Info;
    if (row.Valid) {
      row.Type = info.fType;
      row.State = info.fState;
      row.Id = info.wID;
      row.SubMenu = info.hSubMenu;
      row.Checked = info.hbmpChecked;
      row.Unchecked = info.hbmpUnchecked;
      if (row.Type & MFT_SEPARATOR) {
        row.Shape.Kind = TRowKind::rkSeparator;
      } else {
        row.Caption = position.Caption;
        row.ShortCutText = position.ShortCutText;
        if (row.Caption.size() > 2 && row.Caption.compare(0, 2, "::") == 0)
          row.Control = dynamic_cast<TControl*>(FindComponent(row.Caption.substr(2)));
        if (row.Control) {
          row.Shape.Kind = TRowKind::rkControl;
          row.Shape.ControlHeight = row.Control->Height();
        }
      }
    }
    rows_.push_back(row);
  }
}

std::vector<TRowShape> TAnimPopupForm::Shapes() const {
  std::vector<TRowShape> shapes;
  for (const auto& r : rows_) shapes.push_back(r.Shape);
  return shapes;
}

int TAnimPopupForm::ItemsHeight() {
  if (!menuHandle_) return 0;
  const TBaseOptions& o = LevelOptions();
  int minimum = o.FitToBackground && !o.Background.Empty() ? o.Background.Height() - 3 : 0;
  return ::ItemsHeight(Shapes(), o.Metrics(), minimum);
}

int TAnimPopupForm::ItemsWidth() {
  if (!menuHandle_) return 0;
  const TBaseOptions& o = LevelOptions();
  TBitmap scratch(1, 1);
  TCanvas& c = scratch.Canvas();
  int widestCaption = 0, widestShortcut = 0;
  for (int i = 0; i < RowCount(); ++i) {
    const TRow& row = rows_[static_cast<size_t>(i)];
    if (row.Shape.Kind == TRowKind::rkSeparator) continue;
    c.Font.Assign(Font());
    TFontStyles style = c.Font.Style();
    if (row.State & MFS_DEFAULT) style.Include(TFontStyle::fsBold);
    else style.Exclude(TFontStyle::fsBold);
    c.Font.SetStyle(style);
    int captionWidth = 0;
    if (row.Control) {
      captionWidth = row.Control->Width();
    } else {
      RECT r{0, 0, 0, 0};
      c.DrawText(row.Caption, r, DT_CALCRECT | DT_SINGLELINE);
      captionWidth = r.right - r.left;
    }
    widestCaption = std::max(widestCaption, captionWidth);
    widestShortcut = std::max(widestShortcut, c.TextWidth(ShortCutTextOf(i)));
  }
  widestCaption_ = widestCaption;
  int title = IsTop() && o.Title.Visible ? o.Title.Width : 0;
  int minimum = o.FitToBackground && !o.Background.Empty() ? o.Background.Width() - (2 * o.Indent + 4) : 0;
  return ::ItemsWidth(widestCaption, widestShortcut, title, minimum);
}

std::string TAnimPopupForm::ShortCutTextOf(int row) const {
  if (TMenuItem* item = RowItem(row); item && item->ShortCut()) return ShortCutToText(item->ShortCut());
  return rows_[static_cast<size_t>(row)].ShortCutText;
}

int TAnimPopupForm::SelectedItemTop() {
  if (selected_ < 0) return 0;
  return ::SelectedItemTop(Shapes(), LevelOptions().Metrics(), selected_);
}

void TAnimPopupForm::Measure() {
  ReadRows();
  const TBaseOptions& o = LevelOptions();
  SIZE size = PopupFormSize(ItemsWidth(), ItemsHeight(), o.Indent);
  formWidth_ = size.cx;
  formHeight_ = size.cy;
  bitmap_.SetSize(formWidth_, formHeight_);
}

int TAnimPopupForm::TitleLeft() const {
  const TBaseOptions& o = LevelOptions();
  return IsTop() && o.Title.Visible && o.Title.Align == TTitleAlign::alLeft ? o.Title.Width : 0;
}

int TAnimPopupForm::TitleRight() const {
  const TBaseOptions& o = LevelOptions();
  return IsTop() && o.Title.Visible && o.Title.Align == TTitleAlign::alRight ? o.Title.Width : 0;
}

int TAnimPopupForm::RowAt(int x, int y) const {
  if (!menuHandle_) return -1;
  const TBaseOptions& o = LevelOptions();
  TTitleSide side = TTitleSide::tsNone;
  if (IsTop() && o.Title.Visible) side = o.Title.Align == TTitleAlign::alLeft ? TTitleSide::tsLeft : TTitleSide::tsRight;
  return RowAtPoint(Shapes(), o.Metrics(), formWidth_, side, o.Title.Width, x, y);
}

void TAnimPopupForm::SetFrame(int w, int h) {
  RECT r = FrameBounds(placement_, w, h);
  drawOffset_.x = placement_.Leftward ? 0 : w - formWidth_;
  drawOffset_.y = placement_.Upward ? 0 : h - formHeight_;
  SetBounds(r.left, r.top, w, h);
}

void TAnimPopupForm::DispatchMouseMoves() {
  MSG msg;
  for (int guard = 0; guard < 64 && PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE); ++guard)
    DispatchMessageA(&msg);
}

void TAnimPopupForm::DispatchPaints() {
  MSG msg;
  for (int guard = 0; guard < 64 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++guard)
    DispatchMessageA(&msg);
}

bool TAnimPopupForm::AnimateOpen() {
  auto alive = alive_;
  auto menuAlive = menuAlive_;
  auto gone = [&] { return !*alive || !menuAlive || !*menuAlive; };
  if (gone()) return false;
  steps_ = TAnimSteps{};
  animating_ = true;
  closing_ = false;
  const TBaseOptions& o = LevelOptions();
  const TOptions& anim = menu_->Options();
  Measure();

  TPlaceInput in;
  in.At = {Left(), Top()};
  in.Size = {formWidth_, formHeight_};
  in.WorkArea = MenuWorkArea();
  in.OpenKind = openKind_;
  in.Submenu = !IsTop();
  if (parent_) in.ParentLeft = parent_->Left();
  if (IsTop()) {
    TComponent* invoker = menu_->PopupComponent;
    if (TMenuBarButton* b = menu_->BarButton()) {
      in.FromBarButton = true;
      in.BarButtonVertical = b->IsVertical();
      in.BarButtonLeft = b->ClientToScreen({0, 0}).x;
      in.BarButtonWidth = b->Width();
    }
    if (auto* c = dynamic_cast<TControl*>(invoker)) {
      in.InvokerHeight = c->Height();
      in.InvokerIsButton = dynamic_cast<TToolbarButton*>(c) || dynamic_cast<TButton*>(c);
    }
    if (auto* f = dynamic_cast<TForm*>(invoker); f && dynamic_cast<TAnimSystemMenu*>(menu_)) {
      in.SystemMenuFromForm = true;
      in.FormTop = f->Top();
    }
  }
  placement_ = PlacePopup(in);

  TOpenKinds kinds = ResolveOpenKind(openKind_, RandomHorizontal());
  openKind_ = kinds.Stored;
  steps_ = AnimationSteps(formWidth_, formHeight_, o.ItemHeight, anim.DoubleSpeed, kinds.Now);
  SIZE start = AnimationStartSize(formWidth_, formHeight_, kinds.Now);
  int w = start.cx, h = start.cy;

  DispatchMouseMoves();
  if (gone() || closing_) {
    if (*alive) animating_ = false;
    return false;
  }
  PaintRows(true);
  SetFrame(w, h);
  TForm* mainForm = Application().MainForm();
  if (!mainForm || !mainForm->Visible()) Seam().SetForegroundWindow(Handle());
  TWinControl::SetVisible(true);
  MakeTopmost(Handle());
  HideMenuCaret();
  ShowRowHint(false);

  TFramePacer pacer;
  int soundCountdown = 3;
  bool played = false;
  const int maxFrames = std::max(formWidth_, formHeight_) + 2;
  for (int frame = 0; (w < formWidth_ || h < formHeight_) && frame < maxFrames; ++frame) {
    DWORD t0 = menuClock->Now();
    if (w < formWidth_) w = std::min(formWidth_, w + steps_.HStep);
    if (h < formHeight_) h = std::min(formHeight_, h + steps_.VStep);
    SetFrame(w, h);
    CopyToWindow();
    DispatchMouseMoves();
    if (gone() || closing_) {
      if (*alive) animating_ = false;
      return false;
    }
    DispatchPaints();
    if (gone()) return false;
    if (--soundCountdown == 0) {
      PlayMenuSound("MenuPopup");
      played = true;
    }
    DWORD wait = pacer.Wait(anim.Timeout, t0, menuClock->Now());
    if (wait) menuClock->Sleep(wait);
  }
  SetFrame(formWidth_, formHeight_);
  CopyToWindow();
  if (!played) PlayMenuSound("MenuPopup");
  animating_ = false;
  closing_ = false;
  timer_->SetEnabled(true);
  return true;
}

bool TAnimPopupForm::AnimateClose() {
  auto alive = alive_;
  timer_->SetEnabled(false);
  animating_ = true;
  if (menu_ && menuAlive_ && *menuAlive_ && menu_->OnMenuClose) {
    TAnimPopupMenu* menu = menu_;
    menu->OnMenuClose(menu, RowItem(selected_));
    if (!*alive) return true;
  }
  TAnimation kind = ResolveCloseKind(closeKind_, !IsTop(), RandomHorizontal());
  SIZE target = AnimationStartSize(Width(), Height(), kind);
  int w = Width(), h = Height();
  TAnimSteps steps = AnimationSteps(w, h, LevelOptions().ItemHeight,
                                    menu_ && menuAlive_ && *menuAlive_ && menu_->Options().DoubleSpeed, kind);
  int timeout = menu_ && menuAlive_ && *menuAlive_ ? menu_->Options().Timeout : 0;
  TFramePacer pacer;
  const int maxFrames = std::max(w, h) + 2;
  for (int frame = 0; (w > target.cx || h > target.cy) && frame < maxFrames; ++frame) {
    if (closing_ || !menuAlive_ || !*menuAlive_) break;
    DWORD t0 = menuClock->Now();
    w = std::max<int>(target.cx, w - steps.HStep);
    h = std::max<int>(target.cy, h - steps.VStep);
    SetFrame(w, h);
    CopyToWindow();
    DispatchPaints();
    if (!*alive) return true;
    DWORD wait = pacer.Wait(timeout, t0, menuClock->Now());
    if (wait) menuClock->Sleep(wait);
  }
  animating_ = false;
  closing_ = false;
  HideLevel();
  return true;
}

void TAnimPopupForm::SetVisible(bool visible) {
  // Shown without activation; never through the form's own activation.
  TWinControl::SetVisible(visible);
  if (visible) MakeTopmost(HandleIfAllocated());
}

void TAnimPopupForm::HideLevel() {
  timer_->SetEnabled(false);
  ReleaseChild();
  if (HandleAllocated()) SetBounds(Left(), Top(), 0, 0);
  selected_ = previous_ = -1;
  keyboardSelection_ = false;
  DispatchPaints();
  if (HandleAllocated()) TWinControl::SetVisible(false);
}

void TAnimPopupForm::ReleaseChild() {
  TAnimPopupForm* child = child_;
  if (!child) return;
  child_ = nullptr;
  child->parent_ = nullptr;
  child->HideLevel();
  child->menu_ = nullptr;
  child->menuAlive_ = nullptr;
  if (child->HandleAllocated()) child->Release();
  else delete child;
}

void TAnimPopupForm::CloseLevel(bool animated) {
  auto alive = alive_;
  if (child_) child_->CloseLevel(animated);
  if (!*alive) return;
  if (animated && Width() > 0 && Height() > 0) AnimateClose();
  else HideLevel();
}

void TAnimPopupForm::CloseChild(bool animated) {
  auto alive = alive_;
  if (!child_) return;
  child_->CloseLevel(animated);
  if (*alive) ReleaseChild();
}

// Painting

void TAnimPopupForm::Refresh() {
  PaintRows(true);
  CopyToWindow();
}

void TAnimPopupForm::CopyToWindow() {
  if (!HandleAllocated() || bitmap_.Empty()) return;
  TWindowDC dc(HandleIfAllocated());
  BitBlt(dc.Get(), drawOffset_.x, drawOffset_.y, formWidth_, formHeight_, bitmap_.DC(), 0, 0, SRCCOPY);
}

void TAnimPopupForm::PaintWindow(HDC dc) {
  if (bitmap_.Empty()) return;
  BitBlt(dc, drawOffset_.x, drawOffset_.y, formWidth_, formHeight_, bitmap_.DC(), 0, 0, SRCCOPY);
}

void TAnimPopupForm::PaintRows(bool full) {
  if (bitmap_.Empty()) return;
  const TBaseOptions& o = LevelOptions();
  TCanvas& c = bitmap_.Canvas();
  const int W = formWidth_, H = formHeight_, T = TitleLeft(), R = W - TitleRight();
  const bool background = !o.Background.Empty();
  if (full) {
    c.Font.Assign(Font());
    c.Brush.SetColor(o.Colors.Menu);
    c.FillRect({0, 0, W, H});
    c.DrawEdge({0, 0, W, H}, EDGE_RAISED, BF_RECT);
    if (IsTop()) o.Title.Paint(c, {0, 0, W, H});
    if (background && o.ItemSpace > 0)
      BitBlt(c.Handle(), T + 3, 3, std::min(o.Background.Width(), R - T - 6), o.ItemSpace, o.Background.DC(), 0, 0,
             SRCCOPY);
  }
  const TRowMetrics m = o.Metrics();
  int y = o.ItemSpace + kFirstRowOffset;
  for (int i = 0; i < RowCount(); ++i) {
    const TRow& row = rows_[static_cast<size_t>(i)];
    if (full || i == selected_ || i == previous_) PaintRow(c, i, y);
    if (row.Control && full) {
      row.Control->SetParent(this);
      row.Control->SetBounds(T + o.Indent, y, row.Control->Width(), row.Control->Height());
    }
    y += m.RowHeight(row.Shape) + m.ItemSpace;
  }
  if (full) {
    c.Brush.SetColor(o.Colors.Menu);
    c.FrameRect({T + 2, 2, R - 2, H - 2});
    if (background && y < H - 3)
      BitBlt(c.Handle(), T + 3, y, std::min(o.Background.Width(), R - T - 6), H - 3 - y, o.Background.DC(), 0, y - 3,
             SRCCOPY);
  }
}

namespace {
// A picture that is drawn then freed (one found by the item's name).
struct TOwnedPicture {
  HBITMAP bitmap = nullptr;
  bool owned = false;
  ~TOwnedPicture() {
    if (owned && bitmap) DeleteObject(bitmap);
  }
};

HBITMAP SmallAppIcon16() {
  HICON icon = Application().Icon().Handle();
  if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  TWindowDC screen(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen.Get(), 16, 16);
  TMemoryDC dc(screen.Get());
  TSelectGuard select(dc.Get(), bmp);
  // A background colour no icon uses, read back as the transparent pixel.
  TBrushHandle brush(CreateSolidBrush(RGB(255, 0, 254)));
  RECT all{0, 0, 16, 16};
  FillRect(dc.Get(), &all, brush.Get());
  DrawIconEx(dc.Get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  SetPixel(dc.Get(), 0, 15, RGB(255, 0, 254));
  return bmp;
}

void FillRectColor(TCanvas& c, const RECT& r, TColor color) {
  c.Brush.SetColor(color);
  c.FillRect(r);
}

void Triangle(TCanvas& c, POINT a, POINT b, POINT d, TColor color) {
  c.Brush.SetColor(color);
  c.Pen.SetColor(color);
  c.Prepare();
  POINT pts[3] = {a, b, d};
  Polygon(c.Handle(), pts, 3);
}
}  // namespace

void TAnimPopupForm::PaintRow(TCanvas& c, int i, int y) {
  const TBaseOptions& o = LevelOptions();
  const TColors& col = o.Colors;
  const TRow& row = rows_[static_cast<size_t>(i)];
  const int T = TitleLeft(), R = formWidth_ - TitleRight();
  const int rowH = o.Metrics().RowHeight(row.Shape);
  const bool separator = row.Shape.Kind == TRowKind::rkSeparator;
  const bool control = row.Shape.Kind == TRowKind::rkControl;
  const bool enabled = row.Valid && row.Enabled();
  const bool isSelected = i == selected_;
  const bool highlighted = isSelected && !separator && !control && (enabled || keyboardSelection_);
  const bool bar = o.Highlight == THighlight::hiDefault || o.Highlight == THighlight::hiRectangle ||
                   o.Highlight == THighlight::hiShadow || o.Highlight == THighlight::hiFlash ||
                   o.Highlight == THighlight::hiShining;

  // The row's font: bold for the default item.
  TMenuItem* item = RowItem(i);
  c.Font.Assign(Font());
  TFontStyles style = c.Font.Style();
  if (row.State & MFS_DEFAULT) style.Include(TFontStyle::fsBold);
  if (o.Highlight == THighlight::hiHyperlink && isSelected && enabled) style.Include(TFontStyle::fsUnderline);
  c.Font.SetStyle(style);

  // Background
  if (o.Background.Empty() || highlighted) {
    int right = R - 3;
    if (o.Highlight == THighlight::hiRectangle) {
      RECT r{0, 0, 0, 0};
      c.DrawText(row.Caption, r, DT_CALCRECT | DT_SINGLELINE);
      right = std::min(R - 3, static_cast<int>(r.right) + 2 * o.Indent);
      FillRectColor(c, {T + 3, y, R - 3, y + rowH}, col.Menu);
    }
    FillRectColor(c, {T + 3, y, right, y + rowH}, highlighted && bar ? col.Highlight : col.Menu);
    if (highlighted && o.Highlight == THighlight::hiBevelLowered)
      c.DrawEdge({T + 3, y, R - 3, y + rowH}, BDR_SUNKENOUTER, BF_RECT);
    if (highlighted && o.Highlight == THighlight::hiBevelRaised)
      c.DrawEdge({T + 3, y, R - 3, y + rowH}, BDR_RAISEDINNER, BF_RECT);
  } else {
    BitBlt(c.Handle(), T + 3, y, std::min(o.Background.Width(), R - T - 6), rowH + o.ItemSpace, o.Background.DC(), 0,
           y - 3, SRCCOPY);
  }

  if (separator) {
    c.Pen.SetColor(col.Line);
    c.MoveTo(T + 4, y + 3);
    c.LineTo(R - 4, y + 3);
    c.Pen.SetColor(col.LineShadow);
    c.MoveTo(T + 4, y + 4);
    c.LineTo(R - 4, y + 4);
    return;
  }
  if (control || !row.Valid) return;

  // Caption and shortcut
  UINT align = o.Alignment == TAlignment::taRightJustify ? DT_RIGHT : o.Alignment == TAlignment::taCenter ? DT_CENTER : 0;
  RECT captionRect{T + o.Indent, y + 2, T + o.Indent + widestCaption_, y + 2 + rowH};
  int shortcutX = T + widestCaption_ + o.Indent + 10;
  RECT shortcutRect{shortcutX, y + 2, shortcutX + widestCaption_, y + 2 + rowH};
  std::string shortcut = ShortCutTextOf(i);
  c.Brush.SetStyle(TBrushStyle::bsClear);
  auto text = [&](int dx, int dy, TColor color) {
    c.Font.SetColor(color);
    RECT a = captionRect, b = shortcutRect;
    OffsetRect(&a, dx, dy);
    OffsetRect(&b, dx, dy);
    c.DrawText(row.Caption, a, DT_NOCLIP | DT_VCENTER | align);
    if (!shortcut.empty()) c.DrawText(shortcut, b, DT_NOCLIP | DT_VCENTER);
  };
  TColor arrowColor;
  if (!enabled) {
    if (!(isSelected && keyboardSelection_)) text(1, 1, col.DisabledShadow);
    text(0, 0, col.DisabledText);
    arrowColor = col.DisabledText;
  } else if (isSelected) {
    TColor selectedText = bar ? col.HighlightText : o.Highlight == THighlight::hiHyperlink ? col.Highlight : col.MenuText;
    text(0, 0, selectedText);
    arrowColor = selectedText;
  } else {
    text(0, 0, col.MenuText);
    arrowColor = col.MenuText;
  }

  // Submenu arrow
  if (row.SubMenu) {
    if (!enabled && !isSelected) Triangle(c, {R - 13, y + 7}, {R - 13, y + 13}, {R - 10, y + 10}, col.DisabledShadow);
    Triangle(c, {R - 14, y + 6}, {R - 14, y + 12}, {R - 11, y + 9}, arrowColor);
  }

  // Pictures: the row's own check bitmaps, else one found by name.
  HBITMAP checkedBmp = row.Checked, uncheckedBmp = row.Unchecked;
  TOwnedPicture found;
  if (!checkedBmp && !uncheckedBmp) {
    std::string name = item ? item->Name() : std::string();
    if (name.rfind("About", 0) == 0) {
      found.bitmap = SmallAppIcon16();
    } else {
      if (!name.empty()) found.bitmap = LoadItemBitmap(name);
      if (!found.bitmap) found.bitmap = LoadItemBitmap(StripAccelerators(row.Caption));
    }
    found.owned = found.bitmap != nullptr;
    checkedBmp = uncheckedBmp = found.bitmap;
  }
  auto picture = [&](HBITMAP bmp) {
    if (enabled) DrawTransparentGlyph(c, T + 5, y + 2, bmp);
    else DrawEmbossedGlyph(c, T + 5, y + 2, bmp);
  };
  if (row.State & MFS_CHECKED) {
    c.Pen.SetColor(highlighted ? col.Highlight : col.Menu);
    c.MoveTo(T + rowH + 3, y);
    c.LineTo(T + rowH + 3, y + rowH);
    RECT square{T + 3, y, T + 3 + rowH, y + rowH};
    RECT inside = square;
    InflateRect(&inside, -1, -1);
    if (highlighted) {
      FillRectColor(c, inside, col.Menu);
    } else {
      TBrushHandle dither(CreatePatternBrush(DitherBitmap()));
      FillRect(c.Handle(), &inside, dither.Get());
    }
    c.DrawEdge(square, BDR_SUNKENOUTER, BF_RECT);
    HBITMAP mark = checkedBmp ? checkedBmp : (row.Type & MFT_RADIOCHECK) ? RadioItemBitmap() : CheckMarkBitmap();
    picture(mark);
  } else if (uncheckedBmp) {
    if (highlighted) {
      RECT square{T + 3, y, T + 4 + rowH, y + rowH};
      FillRectColor(c, square, col.Menu);
      c.DrawEdge(square, BDR_RAISEDINNER, BF_RECT);
    }
    picture(uncheckedBmp);
  }
}

// Selection

void TAnimPopupForm::ShowRowHint(bool withWindow) {
  if (selected_ < 0 || !menu_ || !menuAlive_ || !*menuAlive_) return;
  ShowItemHint(menu_, RowItem(selected_), withWindow);
}

void TAnimPopupForm::MouseMoveAt(int x, int y) {
  if (animating_ || closing_) return;
  if (std::abs(x - lastMouse_.x) <= 2 && std::abs(y - lastMouse_.y) < 3) return;
  lastMouse_ = {x, y};
  if (ignoreNextMove_) {
    ignoreNextMove_ = false;
    return;
  }
  TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&tme);
  int row = RowAt(x, y);
  if (row < 0 || row == selected_) return;
  timer_->SetEnabled(false);
  if (menu_) ShowMenuHint(menu_, "");
  HideHintWindow();
  previous_ = selected_;
  selected_ = row;
  keyboardSelection_ = false;
  selectionChanged_ = true;
  PaintRows(false);
  CopyToWindow();
  ShowRowHint(false);
  timer_->SetEnabled(true);
}

void TAnimPopupForm::MouseLeft() {
  if (animating_) return;
  if (selected_ >= 0 && selected_ < RowCount() && !rows_[static_cast<size_t>(selected_)].SubMenu) {
    previous_ = selected_;
    selected_ = -1;
    PaintRows(false);
    CopyToWindow();
  }
  if (menu_) ShowMenuHint(menu_, "");
  HideHintWindow();
  lastMouse_ = {-100, -100};
}

void TAnimPopupForm::SelectItem(int n) {
  HideHintWindow();
  std::vector<bool> selectable;
  for (const auto& r : rows_) selectable.push_back(r.Valid && r.Shape.Kind != TRowKind::rkSeparator);
  previous_ = selected_;
  selected_ = StepSelection(selected_, n, selectable);
  keyboardSelection_ = true;
  PaintRows(false);
  CopyToWindow();
  ShowRowHint(false);
}

void TAnimPopupForm::PrepareKeyboardOpen() {
  selected_ = 0;
  previous_ = -1;
  ignoreNextMove_ = true;
  keyboardSelection_ = true;
}

int TAnimPopupForm::RowForAccelerator(char key) const {
  // Rows without an accelerator read as 0; no key matches them.
  if (key == '\0') return -1;
  char k = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  for (int i = 0; i < RowCount(); ++i)
    if (AccelChar(rows_[static_cast<size_t>(i)].Caption) == k) return i;
  return -1;
}

void TAnimPopupForm::TimerTick() {
  auto alive = alive_;
  timer_->SetEnabled(false);
  if (selectionChanged_) {
    selectionChanged_ = false;
    if (!keyboardSelection_) ShowRowHint(true);
    if (!*alive) return;
    if (selected_ >= 0 && selected_ < RowCount()) {
      HMENU sub = rows_[static_cast<size_t>(selected_)].SubMenu;
      if (sub && !(child_ && child_->menuHandle_ == sub)) OpenSubmenu();
      if (!*alive) return;
    }
  }
  HWND fg = Seam().ForegroundWindow();
  bool ours = fg == Application().Handle() ||
              (MenuHintWindowExists() && fg == MenuHintWindow().HandleIfAllocated());
  for (TForm* f : Screen().Forms())
    if (f->HandleIfAllocated() == fg) ours = true;
  if (!ours) {
    CloseActiveMenus(false);
    if (TAnimMainMenu* bar = ActiveMenuBar()) bar->SetKeepHot(false);
    ShowMenuCaret();
    return;
  }
  if (*alive && !closing_ && Width() > 0 && Height() > 0) timer_->SetEnabled(true);
}

void TAnimPopupForm::OpenSubmenu() {
  auto alive = alive_;
  if (child_) {
    if (child_->animating_) return;
    ReleaseChild();
  }
  DispatchPaints();
  if (!*alive || selected_ < 0 || selected_ >= RowCount() || !menu_ || !menuAlive_ || !*menuAlive_) return;
  ReadRows();
  if (selected_ >= RowCount()) return;
  const TRow row = rows_[static_cast<size_t>(selected_)];
  if (!row.SubMenu || !row.Enabled()) return;
  TMenuItem* item = RowItem(selected_);
  TFreeWatch itemWatch(item);
  auto* child = new TAnimPopupForm(Owner());
  child_ = child;
  auto childAlive = child->alive_;
  try {
    child->Setup(menu_, this, item, row.SubMenu);
    child->Font().Assign(Font());
    if (const auto* sub = dynamic_cast<const TSubmenuOptions*>(&menu_->OptionsFor(item)); sub && !sub->ParentFont)
      child->Font().Assign(sub->Font());
    child->openKind_ = openKind_;
    child->closeKind_ = closeKind_;
    if (item && item->OnClick()) item->Click();
    if (!*alive || !*childAlive || child_ != child || !itemWatch.Alive()) {
      if (*alive && *childAlive && child_ == child) ReleaseChild();
      return;
    }
    POINT at = ClientToScreen({formWidth_ - 7, SelectedItemTop()});
    child->HandleNeeded();
    child->SetBounds(at.x, at.y, 0, 0);
    if (!child->AnimateOpen() && *alive && child_ == child) ReleaseChild();
  } catch (const Exception&) {
    if (*alive && child_ == child) ReleaseChild();
  }
}

void TAnimPopupForm::ActivateSelected() {
  if (animating_ || closing_) return;
  auto alive = alive_;
  TAnimPopupMenu* menu = menu_;
  auto menuAlive = menuAlive_;
  if (!menu || !menuAlive || !*menuAlive) return;
  ShowMenuHint(menu, "");
  HideHintWindow();
  if (child_) {
    if (TForm* f = OwnerFormOf(menu)) f->SetFocus();
    return;
  }
  if (selected_ < 0 || selected_ >= RowCount()) return;
  const TRow row = rows_[static_cast<size_t>(selected_)];
  TMenuItem* item = RowItem(selected_);
  if (item) {
    if (item->Count() > 0) {
      OpenSubmenu();
      return;
    }
    if (!item->Enabled() || item->Caption() == "-") return;
  } else if (!row.Valid || row.Shape.Kind == TRowKind::rkSeparator || !row.Enabled()) {
    return;
  }
  TFreeWatch itemWatch(item);
  TForm* owner = OwnerFormOf(menu);
  if (!owner) owner = dynamic_cast<TForm*>(menu->Owner());
  TFreeWatch ownerWatch(owner);
  timer_->SetEnabled(false);
  CloseActiveMenus(true);
  if (*alive) closing_ = true;
  if (ownerWatch.Alive() && owner->HandleAllocated()) SendMessageA(owner->HandleIfAllocated(), WM_NCACTIVATE, TRUE, 0);
  ShowMenuCaret();
  PlayMenuSound("MenuCommand");
  if (*menuAlive && menu->OnMenuCommand) menu->OnMenuCommand(menu, item);
  if (item) {
    if (itemWatch.Alive()) item->Click();
  } else if (ownerWatch.Alive() && owner->HandleAllocated()) {
    PostMessageA(owner->HandleIfAllocated(), WM_COMMAND, row.Id, 0);
  }
}

void TAnimPopupForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEACTIVATE: {
      m.Result = MA_NOACTIVATE;
      if (TForm* f = OwnerFormOf(menu_); f && f->HandleAllocated() && !f->Active() && f->Visible())
        SetActiveWindow(f->HandleIfAllocated());
      return;
    }
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        TForm* f = OwnerFormOf(menu_);
        if (f && f->HandleAllocated()) SendMessageA(f->HandleIfAllocated(), WM_NCACTIVATE, TRUE, 0);
      }
      DefaultHandler(m);
      return;
    case WM_SETFOCUS:
      if (animating_)
        if (TForm* f = OwnerFormOf(menu_); f && f->HandleAllocated()) ::SetFocus(f->HandleIfAllocated());
      return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_MOUSEMOVE: MouseMoveAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)); return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      HideHintWindow();
      MakeChainTopmost(this);
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      if (animating_ || closing_) return;
      int row = RowAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      if (row >= 0 && row != selected_) {
        previous_ = selected_;
        selected_ = row;
        keyboardSelection_ = false;
        PaintRows(false);
        CopyToWindow();
      }
      ActivateSelected();
      return;
    }
    case WM_MOUSELEAVE: MouseLeft(); return;
    default: break;
  }
  TForm::WndProc(m);
}

// ---- Unit routines

bool IsMenuOpen(const TAnimPopupMenu* menu) {
  return menu && menu->PopupForm() && menu->PopupForm()->Width() > 0 && menu->PopupForm()->Height() > 0;
}

TAnimPopupMenu* ActivePopup() { return activePopup; }

TAnimPopupForm* InnermostPopupForm() {
  if (!activePopup || !activePopup->PopupForm()) return nullptr;
  TAnimPopupForm* f = activePopup->PopupForm();
  while (f->ChildLevel()) f = f->ChildLevel();
  return f;
}

void CloseMenuChain(bool animated) {
  TAnimPopupMenu* menu = activePopup;
  if (!menu) return;
  TMenuBarButton* button = menu->BarButton();
  if (!button) return;
  TFreeWatch menuWatch(menu), buttonWatch(button);
  if (TAnimPopupForm* top = menu->PopupForm()) {
    std::vector<TAnimPopupForm*> chain;
    for (TAnimPopupForm* f = top; f; f = f->ChildLevel()) chain.push_back(f);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (!menuWatch.Alive()) break;
      TAnimPopupForm* f = *it;
      if (animated && f->Width() > 0 && f->Height() > 0) f->AnimateClose();
      else f->HideLevel();
    }
  }
  if (menuWatch.Alive() && menu->OnMenuClose) menu->OnMenuClose(menu, nullptr);
  if (buttonWatch.Alive()) button->MenuClosed();
}

void CloseActiveMenus(bool animated) {
  TAnimPopupMenu* menu = activePopup;
  if (!menu) return;
  TFreeWatch menuWatch(menu);
  ShowMenuHint(menu, "");
  if (TAnimPopupForm* top = menu->PopupForm()) top->Timer()->SetEnabled(false);
  TMenuBarButton* button = menu->BarButton();
  CloseMenuChain(animated);
  if (menuWatch.Alive()) {
    if (TAnimPopupForm* top = menu->PopupForm()) top->HideLevel();
    if (button && menu->BarButton() == button) SetLastBarButton(button);
  }
  activePopup = nullptr;
  // The caret comes back unless the keyboard stays in the menu bar.
  if (!KeyboardHotButton()) ShowMenuCaret();
}

void PrepareKeyboardOpen(TMenuBarButton* button) {
  if (!button) return;
  if (auto* menu = dynamic_cast<TAnimPopupMenu*>(button->DropdownMenu()); menu && menu->PopupForm())
    menu->PopupForm()->PrepareKeyboardOpen();
}

void PopupAccelerator(char key) {
  TAnimPopupForm* form = InnermostPopupForm();
  if (!form) return;
  int row = form->RowForAccelerator(key);
  TMenuItem* item = form->RowItem(row);
  if (row < 0 || !item) {
    Seam().Beep(static_cast<UINT>(-1));
    return;
  }
  if (!item->Enabled()) return;
  if (item->Count() == 0) {
    TFreeWatch watch(item);
    CloseActiveMenus(true);
    PlayMenuSound("MenuCommand");
    ShowMenuCaret();
    if (watch.Alive()) item->Click();
    return;
  }
  form->SelectItem(row);
  form->OpenSubmenu();
}

void ShowItemHint(TAnimPopupMenu* menu, TMenuItem* item, bool withWindow) {
  if (!menu) return;
  std::string hint = item ? item->Hint() : std::string();
  if (!menu->StatusBar()) Application().SetHint(hint);
  else if (item && item->Enabled()) ShowMenuHint(menu, hint);
  bool showHint = menu->ShowHint();
  if (const auto* sub = dynamic_cast<const TSubmenuOptions*>(&menu->OptionsFor(item ? item->Parent() : nullptr)))
    showHint = showHint || sub->ShowHint;
  if (withWindow && showHint && item) {
    std::string text = Trim(ShortHint(hint));
    if (!text.empty()) MenuHintWindow().ShowHintText(text);
  }
}

void ShowMenuHint(TAnimPopupMenu* menu, const std::string& hint) {
  std::string text = StatusHintText(hint);
  if (menu && menu->StatusBar()) {
    SetStatusText(menu->StatusBar(), menu->StatusBarIndex, text);
    return;
  }
  if (TAnimMainMenu* bar = ActiveMenuBar(); bar && bar->StatusBar())
    SetStatusText(bar->StatusBar(), bar->StatusBarIndex, text);
}
