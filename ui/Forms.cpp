#include "Forms.h"

#include <algorithm>
#include <cctype>

#include "Menus.h"
#include "Seam.h"
#include "StdCtrls.h"

namespace {
const char kAppClass[] = "TZApplication";

// Disables the thread's other enabled, visible top-level windows while a
// modal form runs, and enables them again on every way out.
class TTaskWindowsDisabler {
public:
  explicit TTaskWindowsDisabler(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
  }
  ~TTaskWindowsDisabler() {
    for (HWND w : disabled_)
      if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  TTaskWindowsDisabler(const TTaskWindowsDisabler&) = delete;
  TTaskWindowsDisabler& operator=(const TTaskWindowsDisabler&) = delete;

private:
  static BOOL CALLBACK Disable(HWND w, LPARAM self) {
    auto* me = reinterpret_cast<TTaskWindowsDisabler*>(self);
    if (w != me->except_ && IsWindowVisible(w) && IsWindowEnabled(w)) {
      EnableWindow(w, FALSE);
      me->disabled_.push_back(w);
    }
    return TRUE;
  }
  HWND except_;
  std::vector<HWND> disabled_;
};

void CollectButtons(TWinControl* parent, std::vector<TButton*>& out) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    if (auto* b = dynamic_cast<TButton*>(parent->Controls(i))) out.push_back(b);
    if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) CollectButtons(w, out);
  }
}
}  // namespace

// TForm

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  TControl::SetVisible(false);
  SetDefaultColor(clBtnFace);
  SetParentFontQuiet(false);
  width_ = 320;
  height_ = 240;
  clickEvents_ = true;
  Screen().forms_.push_back(this);
  icon_.OnChange = [this] { ApplyIcon(); };
}

TForm::~TForm() {
  destroying_ = true;
  if (OnDestroy) OnDestroy(this);
  // Owned components go while the form is still a whole TForm.
  FreeOwned();
  auto& forms = Screen().forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  icon_.OnChange = nullptr;
}

std::string TForm::Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

const std::any* TForm::FindHandler(std::string_view name) const {
  auto it = handlers_.find(Lower(name));
  return it == handlers_.end() ? nullptr : &it->second;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  RecreateWnd();
}

void TForm::SetFormStyle(TFormStyle style) {
  formStyle_ = style;
  if (HandleAllocated())
    SetWindowPos(Handle(), style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TForm::WindowState() const {
  if (HWND h = HandleIfAllocated()) {
    if (IsIconic(h)) return TWindowState::wsMinimized;
    if (IsZoomed(h)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return windowState_;
}

void TForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (!HandleAllocated() || !Visible()) return;
  static const int cmd[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
  ShowWindow(Handle(), cmd[static_cast<int>(state)]);
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(WS_VISIBLE);
  p.Style |= WS_CLIPCHILDREN;
  p.ExStyle |= WS_EX_CONTROLPARENT;
  if (Parent()) return;
  p.WndParent = Application().Handle();
  using B = TFormBorderStyle;
  switch (borderStyle_) {
    case B::bsNone: p.Style |= WS_POPUP; break;
    case B::bsSingle: p.Style |= WS_CAPTION; break;
    case B::bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case B::bsDialog: p.Style |= WS_POPUP | WS_CAPTION; p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE; break;
    case B::bsToolWindow: p.Style |= WS_CAPTION; p.ExStyle |= WS_EX_TOOLWINDOW; break;
    case B::bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME; p.ExStyle |= WS_EX_TOOLWINDOW; break;
  }
  if (borderStyle_ != B::bsNone && borderIcons_.Has(TBorderIcon::biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    bool minMaxAllowed = borderStyle_ == B::bsSingle || borderStyle_ == B::bsSizeable;
    if (minMaxAllowed && borderIcons_.Has(TBorderIcon::biMinimize)) p.Style |= WS_MINIMIZEBOX;
    if (minMaxAllowed && borderIcons_.Has(TBorderIcon::biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    if (borderIcons_.Has(TBorderIcon::biHelp) && (borderStyle_ == B::bsDialog || !(p.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))))
      p.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (formStyle_ == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (position_ == TPosition::poDefault) p.X = p.Y = CW_USEDEFAULT;
}

RECT TForm::ClientRect() const {
  if (HandleAllocated() || Parent()) return TWinControl::ClientRect();
  // No window yet: derive it from the frame the window will get.
  TCreateParams p;
  const_cast<TForm*>(this)->CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  return {0, 0, std::max<int>(width_ - (frame.right - frame.left), 0), std::max<int>(height_ - (frame.bottom - frame.top), 0)};
}

void TForm::SetClientWidth(int v) {
  clientWidth_ = v;
  if (HandleAllocated()) SetClientSizeNow();
  else TControl::SetClientWidth(v);
}

void TForm::SetClientHeight(int v) {
  clientHeight_ = v;
  if (HandleAllocated()) SetClientSizeNow();
  else TControl::SetClientHeight(v);
}

void TForm::SetClientSizeNow() {
  RECT c = ClientRect();
  int w = width_ + (clientWidth_ >= 0 ? clientWidth_ - (c.right - c.left) : 0);
  int h = height_ + (clientHeight_ >= 0 ? clientHeight_ - (c.bottom - c.top) : 0);
  if (w != width_ || h != height_) SetBounds(left_, top_, w, h);
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  SetClientSizeNow();
  if (!created_ && position_ == TPosition::poScreenCenter && !Parent())
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - width_) / 2, (GetSystemMetrics(SM_CYSCREEN) - height_) / 2, width_, height_);
  created_ = true;
}

void TForm::HandleCreated() {
  ApplyIcon();
  if (menu_) ::SetMenu(HandleIfAllocated(), menu_->Handle());
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* user = dynamic_cast<IFormWindowUser*>(Components(i))) user->FormWindowCreated();
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) RemoveFreeNotification(menu_);
  menu_ = menu;
  if (menu_) FreeNotification(menu_);
  if (HWND h = HandleIfAllocated()) ::SetMenu(h, menu_ ? menu_->Handle() : nullptr);
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == menu_) {
    menu_ = nullptr;
    if (HWND h = HandleIfAllocated()) ::SetMenu(h, nullptr);
  }
}

void TForm::ApplyIcon() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  HICON icon = icon_.Empty() ? Application().Icon().Handle() : icon_.Handle();
  SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TForm::Loaded() {
  TWinControl::Loaded();
  if (OnCreate) OnCreate(this);
}

TWinControl* TForm::ActiveControl() const {
  if (HandleIfAllocated()) {
    TWinControl* c = FromHandle(GetFocus());
    if (c && c != this && c->ParentForm() == this) return c;
  }
  return activeControl_;
}

void TForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  if (control && active_ && control->CanFocus()) control->SetFocus();
}

void TForm::SetVisible(bool visible) {
  if (visible == Visible()) return;
  if (visible) {
    HandleNeeded();
    TControl::SetVisible(true);
    if (!Parent()) ShowWindow(Application().Handle(), SW_SHOWNOACTIVATE);
    static const int cmd[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(Handle(), Parent() ? SW_SHOWNA : cmd[static_cast<int>(windowState_)]);
    if (OnShow) OnShow(this);
  } else {
    if (OnHide) OnHide(this);
    TControl::SetVisible(false);
    if (HWND h = HandleIfAllocated()) ShowWindow(h, SW_HIDE);
  }
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::BringToFront() {
  if (HWND h = HandleIfAllocated(); h && Visible()) {
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(h);
  }
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone) return;
  if (this == Application().MainForm()) {
    Hide();
    Application().Terminate();
    return;
  }
  switch (action) {
    case TCloseAction::caHide: Hide(); break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree: Release(); break;
    case TCloseAction::caNone: break;
  }
}

void TForm::CloseModal() {
  TCloseAction action = CloseQuery() ? TCloseAction::caHide : TCloseAction::caNone;
  if (action != TCloseAction::caNone) DoClose(action);
  if (action == TCloseAction::caNone) modalResult_ = mrNone;
}

int TForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) {
    SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  HWND previous = GetActiveWindow();
  modal_ = true;
  modalResult_ = mrNone;
  struct TModalState {
    TForm* form;
    HWND previous;
    ~TModalState() {
      form->modal_ = false;
      form->Hide();
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
    }
  } state{this, previous};
  TTaskWindowsDisabler disabled(Handle());
  Show();
  do {
    Application().HandleMessage();
    if (Application().Terminated()) modalResult_ = mrCancel;
    else if (modalResult_ != mrNone) CloseModal();
  } while (modalResult_ == mrNone);
  return modalResult_;
}

void TForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

TButton* TForm::FindButton(bool isDefault) const {
  std::vector<TButton*> buttons;
  CollectButtons(const_cast<TForm*>(this), buttons);
  for (TButton* b : buttons)
    if ((isDefault ? b->Default() : b->Cancel()) && b->CanFocus()) return b;
  return nullptr;
}

bool TForm::DialogKey(WORD key) {
  switch (key) {
    case VK_ESCAPE:
      if (TButton* b = FindButton(false)) { b->Click(); return true; }
      return false;
    case VK_RETURN: {
      auto* focused = dynamic_cast<TButton*>(FromHandle(GetFocus()));
      if (TButton* b = focused ? focused : FindButton(true)) { b->Click(); return true; }
      return false;
    }
    case VK_TAB: {
      HWND next = GetNextDlgTabItem(Handle(), GetFocus(), GetKeyState(VK_SHIFT) < 0);
      if (next) ::SetFocus(next);
      return true;
    }
    default: return false;
  }
}

void TForm::PaintWindow(HDC dc) {
  if (!OnPaint) return;
  canvas_.SetHandle(dc);
  canvas_.Font.Assign(Font());
  canvas_.Brush.SetColor(Color());
  try {
    OnPaint(this);
  } catch (...) {
    canvas_.SetHandle(nullptr);
    throw;
  }
  canvas_.SetHandle(nullptr);
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE: Close(); return;
    case WM_ACTIVATE:
      DefaultHandler(m);
      active_ = LOWORD(m.WParam) != WA_INACTIVE;
      if (active_) {
        if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated())
          ::SetFocus(activeControl_->Handle());
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      return;
    case WM_SIZE:
      if (m.WParam == SIZE_MINIMIZED) windowState_ = TWindowState::wsMinimized;
      else if (m.WParam == SIZE_MAXIMIZED) windowState_ = TWindowState::wsMaximized;
      else if (m.WParam == SIZE_RESTORED) windowState_ = TWindowState::wsNormal;
      break;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE && this == Application().MainForm()) {
        Application().Minimize();
        return;
      }
      break;
    case WM_COMMAND:
      if (m.LParam == 0 && HIWORD(m.WParam) == 0 && menu_ && menu_->DispatchMenuCommand(LOWORD(m.WParam))) return;
      break;
    case CM_DIALOGKEY: m.Result = DialogKey(static_cast<WORD>(m.WParam)); return;
    default: break;
  }
  TWinControl::WndProc(m);
}

// TApplication

TApplication::TApplication() : TComponent(nullptr) { Screen(); }

namespace {
// Outlives the application object: read by controls freed after it.
bool programEnding = false;
}  // namespace

bool IsGoing(const TComponent* c) {
  if (programEnding) return true;
  for (const TComponent* o = c; o; o = o->Owner()) {
    if (auto* control = dynamic_cast<const TControl*>(o)) {
      if (o != c && control->Destroying()) return true;
      for (const TControl* p = control->Parent(); p; p = p->Parent())
        if (p->Destroying()) return true;
    } else if (auto* item = dynamic_cast<const TMenuItem*>(o)) {
      if (o != c && item->Freeing()) return true;
      for (const TMenuItem* p = item->Parent(); p; p = p->Parent())
        if (p->Freeing()) return true;
    }
  }
  return false;
}

TApplication::~TApplication() { Shutdown(); }

void TApplication::Shutdown() {
  if (programEnding) return;
  programEnding = true;
  // The forms first, while the application window still exists.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  mainForm_ = nullptr;
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
  while (!atEnd_.empty()) {
    auto free = std::move(atEnd_.back());
    atEnd_.pop_back();
    free();
  }
}

TApplication& Application() {
  static TApplication app;
  return app;
}

HWND TApplication::Handle() {
  if (!handle_) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kAppClass;
    RegisterClassExA(&wc);
    handle_ = CreateWindowExA(0, kAppClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, inst, nullptr);
  }
  return handle_;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title.c_str());
}

void TApplication::SetHint(const std::string& hint) {
  hint_ = hint;
  if (OnHint) OnHint(this);
}

LRESULT CALLBACK TApplication::AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TApplication& app = Application();
  if (!app.handle_) app.handle_ = wnd;
  TMessage m{msg, wp, lp, 0};
  try {
    app.WndProc(m);
  } catch (...) {
    app.HandleException();
  }
  return m.Result;
}

void TApplication::WndProc(TMessage& m) {
  auto hooks = hooks_;
  for (auto& [id, hook] : hooks)
    if (hook(m)) return;
  switch (m.Msg) {
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return;
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE) { Minimize(); return; }
      if ((m.WParam & 0xFFF0) == SC_RESTORE) { Restore(); return; }
      break;
    case WM_ACTIVATEAPP:
      active_ = m.WParam != 0;
      if (active_ && OnActivate) OnActivate(this);
      if (!active_ && OnDeactivate) OnDeactivate(this);
      break;
    default: break;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

int TApplication::HookMainWindow(TWindowHook hook) {
  hooks_.emplace_back(nextHook_, std::move(hook));
  return nextHook_++;
}

void TApplication::UnhookMainWindow(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }), hooks_.end());
}

bool TApplication::IsDialogKeyMessage(MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  WPARAM key = msg.wParam;
  if (key == VK_F1 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && FocusedControlHelp()) return true;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
  TWinControl* target = TWinControl::FromHandle(msg.hwnd);
  if (!target) return false;
  LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg));
  if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  if (key == VK_TAB && (code & DLGC_WANTTAB)) return false;
  if (target->OnKeyDown) return false;
  TForm* form = target->ParentForm();
  return form && form->Perform(CM_DIALOGKEY, key) != 0;
}

bool TApplication::ProcessMessage(UINT filter) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | filter)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (!IsDialogKeyMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::ProcessMessagesButPaint() {
  while (ProcessMessage(PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
  }
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) WaitMessage();
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  PostMessageA(Handle(), WM_NULL, 0, 0);  // wakes a waiting loop
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data) {
  if (helpFile_.empty()) return false;
  return Seam().Help(Handle(), helpFile_, command, data);
}

bool TApplication::FocusedControlHelp() {
  if (helpFile_.empty()) return false;
  TWinControl* focused = nullptr;
  // The focus may sit in a system child window (a combo box's edit).
  for (HWND h = GetFocus(); h && !focused; h = GetParent(h)) focused = TWinControl::FromHandle(h);
  for (TControl* c = focused; c; c = c->Parent())
    if (int context = c->HelpContext()) {
      HelpContext(context);
      return true;
    }
  return false;
}

bool TApplication::HelpJump(const std::string& topic) {
  std::string macro = "JumpID(\"\",\"" + topic + "\")";
  return HelpCommand(HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()));
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  return Seam().ShowBox(Handle(), text, caption, flags);
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const std::exception& e) {
    if (OnException) OnException(this, e);
    else ShowException(e);
  } catch (...) {
    ShowException(Exception("Unknown error"));
  }
}

void TApplication::ShowException(const std::exception& e) {
  MessageBox(e.what(), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize() {
  ShowWindow(Handle(), SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
  HWND popup = GetLastActivePopup(Handle());
  if (popup && IsWindowVisible(popup)) {
    SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(popup);
  }
}

// TScreen

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

TForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (TForm* f : forms_)
    if (f->HandleIfAllocated() == active) return f;
  return nullptr;
}

void TScreen::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  HCURSOR h = CursorHandle(cursor);
  ::SetCursor(h ? h : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}
