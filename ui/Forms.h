// Forms, the application object and the screen.
//
// Declaring a form: derive from TForm, register the handlers and fields the
// description names, then load the description (see Description.h):
//
//   class TAboutBox : public TForm {
//   public:
//     explicit TAboutBox(TComponent* owner) : TForm(owner) {
//       Field("OKButton", OKButton);                     // bound by name
//       Handler("OKButtonClick", &TAboutBox::OKButtonClick);
//       Handler("FormCloseQuery", &TAboutBox::FormCloseQuery);
//       LoadDescription(kAboutBox);                      // creates, sets, binds, Loaded
//     }
//     TButton* OKButton = nullptr;
//     void OKButtonClick(TComponent*) { SetModalResult(mrOk); }
//     void FormCloseQuery(TComponent*, bool& canClose) { canClose = true; }
//   };
//
// Showing it: `Application().CreateForm<TAboutBox>()` (the first one created
// becomes the main form), then `form->Show()` (modeless) or
// `int r = form->ShowModal()` (returns its ModalResult). Long work inside a
// handler calls `Application().ProcessMessages()` between steps; every wait
// does the same. `Release()` frees a form once its messages are done.
#pragma once
#include <windows.h>

#include <any>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Controls.h"

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
TZ_ENUM_NAMES(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
TZ_ENUM_NAMES(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
using TBorderIcons = TSet<TBorderIcon>;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
TZ_ENUM_NAMES(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
enum class TPosition { poDesigned, poDefault, poScreenCenter };
TZ_ENUM_NAMES(TPosition, "poDesigned", "poDefault", "poScreenCenter")
enum class TFormStyle { fsNormal, fsStayOnTop };
TZ_ENUM_NAMES(TFormStyle, "fsNormal", "fsStayOnTop")
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO;

using TCloseEvent = TEvent<TCloseAction&>;
using TCloseQueryEvent = TEvent<bool&>;

class TButton;
class TMainMenu;

// A component that works on its form's window (subclasses it, say): the
// form tells it each time it has made one.
class IFormWindowUser {
public:
  virtual void FormWindowCreated() = 0;

protected:
  ~IFormWindowUser() = default;
};

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  TIcon& Icon() { return icon_; }
  // The menu bar; its commands come back to the form as WM_COMMAND.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  void SetClientWidth(int v) override;
  void SetClientHeight(int v) override;
  RECT ClientRect() const override;

  bool Active() const { return active_; }
  TWinControl* ActiveControl() const;
  void SetActiveControl(TWinControl* control);

  void Show();
  void Hide() { SetVisible(false); }
  void SetVisible(bool visible) override;
  void Close();
  bool CloseQuery();
  int ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  // Frees the form after the messages already queued for it.
  void Release();
  void BringToFront();

  // The canvas of OnPaint (valid only inside it).
  TCanvas& Canvas() { return canvas_; }

  // Handlers and fields a description binds by name.
  template <class F, class... A>
  void Handler(const std::string& name, void (F::*method)(TComponent*, A...)) {
    F* self = static_cast<F*>(this);
    handlers_[Lower(name)] = TEvent<A...>([self, method](TComponent* s, A... a) { (self->*method)(s, a...); });
  }
  template <class T>
  void Field(const std::string& name, T*& field) {
    fields_[Lower(name)] = [&field](TComponent* c) {
      field = dynamic_cast<T*>(c);
      return field != nullptr;
    };
  }
  const std::any* FindHandler(std::string_view name) const;
  // Builds the form from its description; see Description.h.
  void LoadDescription(std::string_view text);

  TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void PaintWindow(HDC dc) override;
  void Loaded() override;
  virtual void DoClose(TCloseAction& action);
  void Notification(TComponent* component, TOperation operation) override;
  virtual bool DialogKey(WORD key);
  TButton* FindButton(bool isDefault) const;

private:
  friend class TDescriptionLoader;
  static std::string Lower(std::string_view s);
  void CloseModal();
  void ApplyIcon();
  void SetClientSizeNow();

  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
  TFormStyle formStyle_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  TWindowState windowState_ = TWindowState::wsNormal;
  TIcon icon_;
  TMainMenu* menu_ = nullptr;
  int clientWidth_ = -1, clientHeight_ = -1;
  bool active_ = false, modal_ = false, created_ = false;
  TModalResult modalResult_ = mrNone;
  TWinControl* activeControl_ = nullptr;
  TCanvas canvas_;
  std::map<std::string, std::any> handlers_;
  std::map<std::string, std::function<bool(TComponent*)>> fields_;
};

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  HWND Handle();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& file) { helpFile_ = file; }
  TIcon& Icon() { return icon_; }
  // The hint of what the mouse is over; OnHint shows it, in a status bar
  // for one. HintHidePause: how long a hint window stays up (ms).
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms) { hintHidePause_ = ms; }

  // Makes a form owned by the application; the first becomes MainForm.
  template <class T, class... A>
  T* CreateForm(A&&... args) {
    T* form = new T(this, std::forward<A>(args)...);
    if (!mainForm_) mainForm_ = form;
    return form;
  }
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // The program's end: frees the forms (newest first) while every
  // program-wide instance still lives, then the application window, then
  // what was left to FreeAtProgramEnd (newest first). Each program calls it
  // before it returns; the destructor does it for one that did not.
  void Shutdown();
  void FreeAtProgramEnd(std::function<void()> free) { atEnd_.push_back(std::move(free)); }
  void Terminate();
  bool Terminated() const { return terminated_; }
  void ResetTerminated() { terminated_ = false; }
  // Handles every pending message, then returns.
  void ProcessMessages();
  // The same, leaving painting for a later call: for loops that pump often.
  void ProcessMessagesButPaint();
  // Handles one message, waiting for one when none is pending.
  void HandleMessage();
  bool ProcessMessage(UINT filter = 0);

  // Main-window hook: return true to stop the message there.
  using TWindowHook = std::function<bool(TMessage&)>;
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int id);

  bool HelpCommand(UINT command, ULONG_PTR data);
  bool HelpContext(int context) { return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(context)); }
  bool HelpJump(const std::string& topic);
  // F1: the topic of the focused control, else of the nearest control
  // around it that has one (the form last). False when none has a topic.
  bool FocusedControlHelp();

  // A message box through the seam, owned by the application window.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  // Shows the exception being handled (call inside a catch).
  void HandleException();
  void ShowException(const std::exception& e);

  void Minimize();
  void Restore();
  void BringToFront();
  bool Active() const { return active_; }

  TEvent<const std::exception&> OnException;
  TNotifyEvent OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;

private:
  static LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void WndProc(TMessage& m);
  bool IsDialogKeyMessage(MSG& msg);

  HWND handle_ = nullptr;
  std::string title_;
  std::string helpFile_;
  std::string hint_;
  int hintHidePause_ = 2500;
  TIcon icon_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false, active_ = false;
  std::vector<std::pair<int, TWindowHook>> hooks_;
  std::vector<std::function<void()>> atEnd_;
  int nextHook_ = 1;
};

TApplication& Application();

// Program-wide instances (a shared timer, a cache, a hint window) are made
// on first use and freed here: after the last form that uses them, not in
// whatever order function-local statics happen to die.
inline void FreeAtProgramEnd(std::function<void()> free) { Application().FreeAtProgramEnd(std::move(free)); }

class TScreen {
public:
  const std::vector<TForm*>& Forms() const { return forms_; }
  TForm* ActiveForm() const;
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

private:
  friend class TForm;
  std::vector<TForm*> forms_;
  TCursor cursor_ = TCursor::crDefault;
};

TScreen& Screen();
