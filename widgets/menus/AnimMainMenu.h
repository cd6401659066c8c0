// The menu bar: a dockable toolbar that shows the visible top items of a
// form's main menu as flat buttons (TMenuBarButton), opens their submenus
// as animated popups and takes over the keyboard's menu handling (Alt,
// F10, shortcuts, accelerators, arrows, Esc, F1) through a message hook.
// The form's own Windows menu bar is removed while the bar shows it.
//
//   object Dock1: TDock
//     object AnimMainMenu1: TAnimMainMenu
//       MainMenu = MainMenu1
//       DockableTo = [dpTop]
//       CloseButton = False
//       Options.Timeout = 10
//     end
//   end
//
// Register the classes with RegisterAnimMenuClasses() (AnimMenus.h).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "AnimPopup.h"
#include "Toolbar.h"

class TAnimMainMenu;

enum class TButtonOrientation { orAutomatic, orHorizontal, orVertical };
TZ_ENUM_NAMES(TButtonOrientation, "orAutomatic", "orHorizontal", "orVertical")

class TMenuBarButton : public TToolbarButton {
public:
  explicit TMenuBarButton(TComponent* owner);
  ~TMenuBarButton() override;

  TButtonOrientation Orientation() const { return orientation_; }
  void SetOrientation(TButtonOrientation v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  // Vertical: orVertical, or orAutomatic and narrower than high.
  bool IsVertical() const;
  bool IconButton() const { return iconButton_; }
  void SetIconButton(bool v) { iconButton_ = v; }
  // The bar item whose button this is.
  TMenuItem* Item() const { return item_; }
  void SetItem(TMenuItem* item);
  // A picture drawn beside the caption (the item's unchecked bitmap).
  void SetMenuGlyph(HBITMAP glyph);
  HBITMAP MenuGlyph() const { return menuGlyph_.Get(); }
  TAnimMainMenu* Bar() const;

  void Click() override;
  void SetBounds(int left, int top, int width, int height) override;
  // The face is drawn again on the next paint.
  void InvalidateFace() { faceValid_ = rotatedValid_ = false; }
  // Up, not hot, repainted: its menu chain closed.
  void MenuClosed();
  // The face bitmap as painted last (for tests), or null.
  const TBitmap* Face() const { return face_.get(); }
  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  void DrawFace(TBitmap& face, int w, int h);
  TButtonOrientation orientation_ = TButtonOrientation::orAutomatic;
  bool autoSize_ = true, iconButton_ = false;
  TMenuItem* item_ = nullptr;
  TBitmapHandle menuGlyph_;
  std::unique_ptr<TBitmap> face_, rotated_;
  bool faceValid_ = false, rotatedValid_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TAnimMainMenu : public TToolbar {
public:
  explicit TAnimMainMenu(TComponent* owner);
  ~TAnimMainMenu() override;

  TMainMenu* MainMenu() const { return mainMenu_; }
  // Raises Exception "Value cannot be empty" for null.
  void SetMainMenu(TMainMenu* menu);
  TStatusBar* StatusBar() const { return statusBar_; }
  void SetStatusBar(TStatusBar* bar);
  int StatusBarIndex = 0;
  TSubMenus& Submenus() { return *submenus_; }
  TOptions& Options() { return *options_; }
  bool GrayWhenInactive = true;
  bool SystemFont() const { return systemFont_; }
  void SetSystemFont(bool v);
  TNotifyEvent OnPopup;
  TMenuItemEvent OnMenuCommand, OnMenuClose;

  virtual void RebuildButtons();
  virtual void BeginRebuild();
  virtual void EndRebuild();
  bool Rebuilding() const { return rebuilding_; }
  bool MenuMode() const { return menuMode_; }
  void SetMenuMode(bool v) { menuMode_ = v; }
  bool KeepHot() const { return keepHot_; }
  void SetKeepHot(bool v) { keepHot_ = v; }
  // The owner form.
  TForm* OwnerForm() const;
  // Its buttons in order (icon button excluded).
  std::vector<TMenuBarButton*> Buttons() const;
  // The button of a top item, or null.
  TMenuBarButton* ButtonOfItem(const TMenuItem* item) const;
  // The item changed: its button takes the item's caption, state and hint.
  void RefreshItemButton(TMenuItem* item);
  // The first enabled button whose caption has this accelerator, or null.
  TMenuBarButton* MenuBarButtonForKey(char key) const;
  // The enabled button before or after `from`, wrapping; null for none.
  TMenuBarButton* NextMenuBarButton(TMenuBarButton* from, bool forward, bool needsDropdown = false) const;

  static const TClassInfo& ClassInfo();

protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void WndProc(TMessage& m) override;

private:
  friend class TMenuBarButton;
  TMenuBarButton* CreateButton(TMenuItem* item);
  void MergeButtons();
  void FinishRebuild();
  void DeleteButtons();

  TMainMenu* mainMenu_ = nullptr;
  TStatusBar* statusBar_ = nullptr;
  std::unique_ptr<TSubMenus> submenus_;
  std::unique_ptr<TOptions> options_;
  bool systemFont_ = false;
  bool rebuilding_ = false, menuMode_ = false, keepHot_ = false;
};

// Copies the bar's look, fonts, hints and events into a popup it opens.
void CopyBarSettings(TAnimMainMenu* bar, TAnimPopupMenu* popup);
// The bar of the active window: the last bar whose owner form is active,
// else the first bar; null when there is none.
TAnimMainMenu* ActiveMenuBar();
const std::vector<TAnimMainMenu*>& MenuBars();
// The bar whose main menu has the item as a top item, or null.
TAnimMainMenu* FindMenuBarOfItem(const TMenuItem* item);
// The form takes the focus back, on its own active control.
void FocusMenuForm(TForm* form);
// Takes the form's own menu bar away (the animated form keeps it).
void RemoveFormMenu(TComponent* form);

// The keyboard-hot button, the last button used.
TMenuBarButton* KeyboardHotButton();
void SetKeyboardHotButton(TMenuBarButton* button);
TMenuBarButton* LastBarButton();
void SetLastBarButton(TMenuBarButton* button);

// The thread's message hook; installed with the first popup form.
void InstallMenuHook();
void RemoveMenuHook();
bool MenuHookInstalled();
// The hook's work on one message (code, removal flag as the hook gets
// them); returns true when the message was neutralised.
bool HandleMenuMessage(MSG& msg);
// Shortcut keys: the bar's main menu first; true when an item ran.
bool HandleShortcutKey(TAnimMainMenu* bar, WORD key, LPARAM keyData);
