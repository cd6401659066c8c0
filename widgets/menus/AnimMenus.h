// What lets the animated menus replace the system's own menus on a form:
//   AnimMenus::TForm      shows the animated system menu for clicks on its
//                         icon and caption;
//   AnimMenus::TMenuItem  keeps the menu bar in step with its changes;
//   TAnimSystemMenu       an animated copy of a window's system menu;
//   TMenuHintWindow       the multi-line hint window of the popups.
//
// A form that uses the animated menus derives from AnimMenus::TForm and
// holds AnimMenus::TMenuItem items (RegisterAnimMenuClasses makes window
// descriptions create them for "TMenuItem").
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "AnimMainMenu.h"
#include "AnimPopup.h"

class TAnimSystemMenu;

namespace AnimMenus {

class TForm : public ::TForm {
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TAnimSystemMenu* SystemMenu() const { return systemMenu_; }
  void SetSystemMenu(TAnimSystemMenu* menu);
  // The menu the menu bar took from the form.
  TMainMenu* SavedMenu() const { return savedMenu_; }
  void SetSavedMenu(TMainMenu* menu);
  POINT PopupPoint() const { return popupPoint_; }
  bool FromIcon() const { return fromIcon_; }
  TTimer* RequestTimer() const { return requestTimer_.get(); }

  virtual void PopupSystemMenu();
  virtual void RequestSystemMenu(int x, int y, bool delayed, bool fromIcon);

protected:
  void Loaded() override;
  void WndProc(TMessage& m) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  bool SystemMenuEnabled() const;
  TAnimSystemMenu* systemMenu_ = nullptr;
  TMainMenu* savedMenu_ = nullptr;
  POINT popupPoint_{};
  bool fromIcon_ = false, swallowPress_ = false;
  std::unique_ptr<TTimer> requestTimer_;
};

class TMenuItem : public ::TMenuItem {
public:
  explicit TMenuItem(TComponent* owner) : ::TMenuItem(owner) {}
  // A top item that goes takes its button with it.
  ~TMenuItem() override;

  void SetCaption(const std::string& v) override;
  void SetChecked(bool v) override;
  void SetEnabled(bool v) override;
  void SetVisible(bool v) override;
  void SetDefault(bool v) override;
  void SetRadioItem(bool v) override;
  void SetBreak(TMenuBreak v) override;
  void SetGroupIndex(int v) override;
  void SetShortCut(TShortCut v) override;
  void SetHint(const std::string& v) override;
  void SetOnClick(TNotifyEvent v) override;

  static const TClassInfo& ClassInfo();

private:
  // Finds the bar that shows the item and, unless it is rebuilding
  // already, starts a rebuild this change owns.
  void BeginItemChange();
  void EndItemChange(bool refreshOnly);
  TAnimMainMenu* bar_ = nullptr;
  bool ownsLock_ = false;
};

}  // namespace AnimMenus

// SC_RESTORE "SYSTEMRESTORE" ... SC_CLOSE "SYSTEMCLOSE": the names that
// find the copied items' pictures.
const std::vector<std::pair<UINT, const char*>>& SystemMenuItemNames();

// The animated copy of a form's system menu; its owner must be an
// AnimMenus::TForm, which takes it as its system menu.
class TAnimSystemMenu : public TAnimPopupMenu {
public:
  explicit TAnimSystemMenu(TComponent* owner);
  bool Enabled = true;
  bool AllowAdjust = true;
  TNotifyEvent OnShow;  // sender: the form
  static const TClassInfo& ClassInfo();
};

// A TAnimPopupMenu holding copies of the window's system-menu items, owned
// by `owner`; `existing` is emptied and refilled instead when given. Null
// without owner or window, or when the window has no system menu.
TAnimPopupMenu* BuildSystemMenu(TComponent* owner, HWND window, TAnimPopupMenu* existing);

// The multi-line hint of the popups, below the cursor, for the
// application's hint-hide pause.
class TMenuHintWindow : public TCustomControl {
public:
  explicit TMenuHintWindow(TComponent* owner);
  ~TMenuHintWindow() override;
  // The rectangle is not used: the window goes below the cursor.
  void ActivateHint(const RECT&, const std::string& text) { ShowHintText(text); }
  void ShowHintText(const std::string& text);
  void HideHint();
  const std::vector<std::string>& Lines() const { return lines_; }
  TTimer* HideTimer() const { return hideTimer_; }

protected:
  void CreateParams(TCreateParams& p) override;
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

private:
  std::vector<std::string> lines_;
  TTimer* hideTimer_ = nullptr;
};

// The shared hint window of the animated menus.
TMenuHintWindow& MenuHintWindow();
bool MenuHintWindowExists();

// Makes window descriptions know the animated menus' classes, "TMenuItem"
// included.
void RegisterAnimMenuClasses();
