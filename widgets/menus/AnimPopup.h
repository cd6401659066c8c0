// The animated popup menu. Each level is a borderless stay-on-top form
// (TAnimPopupForm) that reads its rows from the Windows menu, measures
// them, places itself inside the work area, grows and shrinks in steps,
// paints every row itself into an off-screen bitmap and runs its submenu,
// hints and sounds. At most one chain of levels is open in the program
// (ActivePopup).
//
//   object PopupMenu1: TAnimPopupMenu
//     Options.OpenAnimation = anUnfold
//     ShowHint = True
//     OnMenuCommand = PopupMenu1MenuCommand     // (menu, item)
//     object Cut1: TMenuItem  Caption = 'Cu&t'  ShortCut = 'Ctrl+X'  end
//   end
//
// A toolbar button that has it as DropdownMenu waits until it closes; a
// menu-bar button, a control's context menu and the system menu return
// with the chain open, and keys reach it through the message hook
// (AnimMainMenu.h).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "MenuOptions.h"
#include "ToolKit.h"

class TAnimPopupForm;
class TAnimMainMenu;
class TMenuBarButton;

// The clock of the animations; tests put a fake one in its place.
class IMenuClock {
public:
  virtual ~IMenuClock() = default;
  virtual DWORD Now() = 0;
  virtual void Sleep(DWORD ms) = 0;
};
IMenuClock& MenuClock();
// Installs `clock` (null: the system's); returns the previous one.
IMenuClock* SetMenuClock(IMenuClock* clock);

using TMenuItemEvent = TEvent<TMenuItem*>;

// Tells whether a component was freed while code ran that may free it
// (an item's OnClick, a menu event).
class TFreeWatch : public TComponent {
public:
  explicit TFreeWatch(TComponent* watched) : TComponent(nullptr), watched_(watched) {
    if (watched_) FreeNotification(watched_);
  }
  bool Alive() const { return watched_ != nullptr; }

protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == TOperation::opRemove && c == watched_) watched_ = nullptr;
  }

private:
  TComponent* watched_;
};

class TAnimPopupMenu : public TButtonPopupMenu {
public:
  explicit TAnimPopupMenu(TComponent* owner);
  ~TAnimPopupMenu() override;

  TOptions& Options() { return *options_; }
  TSubMenus& Submenus() { return *submenus_; }
  TStatusBar* StatusBar() const { return statusBar_; }
  void SetStatusBar(TStatusBar* bar);
  int StatusBarIndex = 0;
  TFont& Font() { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  bool SystemFont() const { return systemFont_; }
  void SetSystemFont(bool v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool ParentShowHint = false;
  // (menu, item): an item chosen with the mouse or Enter; item is null for
  // a row without an item object.
  TMenuItemEvent OnMenuCommand;
  // (menu, selected item) when a level closes with animation; (menu, null)
  // when a menu-bar button's chain closes.
  TMenuItemEvent OnMenuClose;

  // The item whose children are shown; the menu's own items when null.
  TMenuItem* RootItem() const { return rootItem_; }
  void SetRootItem(TMenuItem* item);
  TMenuItem* ShownRoot() const { return rootItem_ ? rootItem_ : Items(); }
  // The top level's form.
  TAnimPopupForm* PopupForm() const { return form_; }
  // The menu-bar button that opened it, or null.
  TMenuBarButton* BarButton() const;

  void Popup(int x, int y) override;
  HMENU MenuHandle() override { return ShownRoot()->Handle(); }
  bool DispatchCommand(UINT command) override { return DispatchMenuCommand(command); }

  // The options of the level showing `root`'s children.
  const TBaseOptions& OptionsFor(const TMenuItem* root) const;
  // The font the levels use.
  void ApplyFont(TFont& target) const;

  static const TClassInfo& ClassInfo();

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TAnimPopupForm;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TSubMenus> submenus_;
  TStatusBar* statusBar_ = nullptr;
  TFont font_;
  bool parentFont_ = true, systemFont_ = false, showHint_ = false;
  TMenuItem* rootItem_ = nullptr;
  TAnimPopupForm* form_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// One level of an open menu.
class TAnimPopupForm : public TForm {
public:
  explicit TAnimPopupForm(TComponent* owner);
  ~TAnimPopupForm() override;

  virtual int ItemsHeight();
  virtual int ItemsWidth();
  virtual int SelectedItemTop();
  // False when the opening was cancelled.
  virtual bool AnimateOpen();
  virtual bool AnimateClose();

  TAnimPopupMenu* Menu() const { return menu_; }
  TAnimPopupForm* ParentLevel() const { return parent_; }
  TAnimPopupForm* ChildLevel() const { return child_; }
  TMenuItem* RootItem() const { return rootItem_; }
  HMENU MenuHandle() const { return menuHandle_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int Selected() const { return selected_; }
  bool KeyboardSelection() const { return keyboardSelection_; }
  bool Animating() const { return animating_; }
  TAnimation OpenKind() const { return openKind_; }
  const TBaseOptions& LevelOptions() const;
  // The item object of a row (the n-th visible child of the root), or null.
  TMenuItem* RowItem(int row) const;
  // The row under a client point, or -1.
  int RowAt(int x, int y) const;
  const TBitmap& Canvas() const { return bitmap_; }
  TTimer* Timer() const { return timer_; }

  // Keyboard selection of row n (arrows wrap and skip separators).
  void SelectItem(int n);
  // Opens the selected row's submenu.
  void OpenSubmenu();
  // A mouse release or Enter on the selected row.
  void ActivateSelected();
  // Hides the level at size 0: timer stopped, submenu released, no selection.
  void HideLevel();
  // Closes this level and its submenus.
  void CloseLevel(bool animated);
  // Closes the submenu back to this level and releases it.
  void CloseChild(bool animated);
  // Cancels an animation under way: the level closes at once.
  void RequestClose() { closing_ = true; }
  // No row selected (a closed level before it opens again).
  void ResetSelection() { selected_ = previous_ = -1; keyboardSelection_ = ignoreNextMove_ = false; }
  // Selects row 0 for a keyboard opening (PrepareKeyboardOpen).
  void PrepareKeyboardOpen();
  // The first row whose caption has this accelerator, or -1.
  int RowForAccelerator(char key) const;
  // Paints all rows again and shows them.
  void Refresh();

protected:
  void WndProc(TMessage& m) override;
  void CreateParams(TCreateParams& p) override;
  void PaintWindow(HDC dc) override;
  void Notification(TComponent* component, TOperation operation) override;
  void SetVisible(bool visible) override;

private:
  friend class TAnimPopupMenu;
  struct TRow {
    TRowShape Shape;
    UINT Type = 0, State = 0, Id = 0;
    HMENU SubMenu = nullptr;
    HBITMAP Checked = nullptr, Unchecked = nullptr;
    std::string Caption, ShortCutText;
    TControl* Control = nullptr;
    bool Valid = false;
    bool Enabled() const { return !(State & (MFS_GRAYED | MFS_DISABLED)); }
  };
  void Setup(TAnimPopupMenu* menu, TAnimPopupForm* parent, TMenuItem* root, HMENU handle);
  void ReadRows();
  void Measure();
  bool IsTop() const { return parent_ == nullptr; }
  int TitleLeft() const;
  int TitleRight() const;
  std::vector<TRowShape> Shapes() const;
  void PaintRows(bool full);
  void PaintRow(TCanvas& c, int row, int y);
  void CopyToWindow();
  void SetFrame(int w, int h);
  void DispatchMouseMoves();
  void DispatchPaints();
  void MouseMoveAt(int x, int y);
  void MouseLeft();
  void TimerTick();
  void ShowRowHint(bool withWindow);
  void ReleaseChild();
  std::string ShortCutTextOf(int row) const;

  TAnimPopupMenu* menu_ = nullptr;
  std::shared_ptr<bool> menuAlive_;
  TAnimPopupForm* parent_ = nullptr;
  TAnimPopupForm* child_ = nullptr;
  TMenuItem* rootItem_ = nullptr;
  HMENU menuHandle_ = nullptr;
  std::vector<TRow> rows_;
  int selected_ = -1, previous_ = -1;
  int widestCaption_ = 0, formWidth_ = 0, formHeight_ = 0;
  TAnimSteps steps_;
  TAnimation openKind_ = TAnimation::anVSlide, closeKind_ = TAnimation::anVSlide;
  TPlacement placement_;
  POINT drawOffset_{};
  bool selectionChanged_ = false, ignoreNextMove_ = false, keyboardSelection_ = false, animating_ = false,
       closing_ = false;
  POINT lastMouse_{-100, -100};
  TBitmap bitmap_;
  TTimer* timer_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

bool IsMenuOpen(const TAnimPopupMenu* menu);
// The menu whose chain is open, or null.
TAnimPopupMenu* ActivePopup();
// The innermost open level, or null.
TAnimPopupForm* InnermostPopupForm();
// Closes the open chain; ActivePopup becomes null in every case.
void CloseActiveMenus(bool animated);
// Closes a chain opened from a menu-bar button, innermost level first.
void CloseMenuChain(bool animated);
void PrepareKeyboardOpen(TMenuBarButton* button);
// An accelerator key while a chain is open: chooses or opens the matching
// item of the innermost level, or beeps.
void PopupAccelerator(char key);
// An item's hint to the status bar or the application, and with
// `withWindow` to the hint window.
void ShowItemHint(TAnimPopupMenu* menu, TMenuItem* item, bool withWindow);
// A long hint into the menu's status bar, else the active menu bar's.
void ShowMenuHint(TAnimPopupMenu* menu, const std::string& hint);

// The screen less the task bar.
RECT MenuWorkArea();

// The caret of the focused control, hidden while a menu has the keyboard;
// shown again once for each hiding.
void HideMenuCaret();
void ShowMenuCaret();
bool MenuCaretHidden();

// Plays a system sound through the seam.
void PlayMenuSound(const char* name);

// One position of a Windows menu as the menus read it (the item record of
// older systems, without its picture handle): type, state, identifier,
// submenu and check bitmaps, and its text split at the first tab.
struct TMenuPosition {
  MENUITEMINFOA Info{};
  std::string Caption, ShortCutText;
};
bool ReadMenuPosition(HMENU menu, UINT position, bool byPosition, TMenuPosition& out);
