// The flat toolbar button: glyph and/or caption, hot tracking on one shared
// timer, latching groups, repeated clicks while held, and a pop-up menu
// opened from the whole button or from a separate arrow part.
//
//   object OpenButton: TToolbarButton
//     Left = 4  Top = 2  Width = 23  Height = 22
//     Glyph = {424D...}          // a .bmp strip: up, disabled, down, exclusive, hot
//     Hint = 'Open a project'
//     OnClick = OpenButtonClick
//   end
//
// A toolbar that lies along a window edge tells its buttons where menus
// open by implementing IDropdownSide. Register the class with
// RegisterClass(TToolbarButton::ClassInfo()).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "Description.h"
#include "ExtCtrls.h"
#include "ToolKitGlyph.h"

enum class TPopupAlignment { paLeft, paRight, paCenter };
TZ_ENUM_NAMES(TPopupAlignment, "paLeft", "paRight", "paCenter")

// A pop-up menu a toolbar button opens. The menu kit's menus derive from it;
// the default Popup tracks the menu modally, with the shared drop-down
// list's window as the owner of its messages.
class TButtonPopupMenu : public TPopupMenuBase {
public:
  explicit TButtonPopupMenu(TComponent* owner) : TPopupMenuBase(owner) {}
  TPopupAlignment Alignment = TPopupAlignment::paLeft;
  // The control that opened the menu last.
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

  virtual HMENU MenuHandle() = 0;
  // Runs the item with this command; false when no item has it.
  virtual bool DispatchCommand(UINT) { return false; }
  // Readies a sub-menu about to open; false when it is not this menu's.
  virtual bool DispatchPopup(HMENU) { return false; }
  // The hint of an item found by command or by sub-menu handle.
  virtual bool FindItemHint(UINT_PTR, bool /*byHandle*/, std::string&) { return false; }
  virtual int FindHelpContext(UINT_PTR, bool /*byHandle*/) { return 0; }
  void Popup(int screenX, int screenY) override;
};

// One hidden component for the program: while it lists menus, its window
// receives the messages of the menus that buttons open.
class TDropdownList : public TComponent {
public:
  TDropdownList() : TComponent(nullptr) {}
  ~TDropdownList() override;
  void AddMenu(TButtonPopupMenu* menu);
  int MenuCount() const { return static_cast<int>(menus_.size()); }
  HWND Handle() const { return wnd_; }
  // The hint of the menu item selected last (empty when it has none).
  const std::string& Hint() const { return hint_; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  std::vector<TButtonPopupMenu*> menus_;
  HWND wnd_ = nullptr;
  std::string hint_;
};
TDropdownList& DropdownList();

// Where a toolbar's menus open: below its buttons, to their right (a left
// dock) or to their left (a right dock).
enum class TDropdownSide { dsBelow, dsRight, dsLeft };
class IDropdownSide {
public:
  virtual ~IDropdownSide() = default;
  virtual TDropdownSide DropdownSide() const = 0;
};

// The accelerator character of a caption ('&' before it), upper case; 0 if none.
char AccelChar(const std::string& caption);

class TToolbarButton : public TGraphicControl {
public:
  explicit TToolbarButton(TComponent* owner);
  ~TToolbarButton() override;
  static const TClassInfo& ClassInfo();

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  TButtonDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TButtonDisplayMode v);
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool DropdownArrow() const { return dropdownArrow_; }
  void SetDropdownArrow(bool v);
  bool DropdownCombo() const { return dropdownCombo_; }
  void SetDropdownCombo(bool v);
  TButtonPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TButtonPopupMenu* menu);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  const TButtonGlyph& Glyph() const { return *glyph_; }
  void SetGlyph(const TBitmap& bitmap);
  void SetGlyphMask(const TBitmap& bitmap);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int v) { modalResult_ = v; }
  bool NoBorder() const { return noBorder_; }
  void SetNoBorder(bool v);
  int NumGlyphs() const { return glyph_->NumGlyphs(); }
  void SetNumGlyphs(int v);
  bool OldDisabledStyle() const { return glyph_->OldDisabledStyle(); }
  void SetOldDisabledStyle(bool v) { glyph_->SetOldDisabledStyle(v); }
  void SetOpaque(bool v);
  bool Repeating() const { return repeating_; }
  void SetRepeating(bool v) { repeating_ = v; }
  int RepeatDelay() const { return repeatDelay_; }
  void SetRepeatDelay(int v) { repeatDelay_ = v; }
  int RepeatInterval() const { return repeatInterval_; }
  void SetRepeatInterval(int v) { repeatInterval_ = v; }
  bool ShowBorderWhenInactive() const { return showBorderWhenInactive_; }
  void SetShowBorderWhenInactive(bool v) { showBorderWhenInactive_ = v; }
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);

  TButtonState State() const { return state_; }
  // Hot: hot-tracked, the mouse over it.
  bool MouseInControl() const { return mouseInControl_; }
  bool MouseIsDown() const { return mouseIsDown_; }

  // A completed click, the accelerator or a press on the menu part.
  void Click() override;
  // The accelerator character; true when it was this button's.
  bool DialogChar(char ch);
  void UpdateTracking();
  void StartHotTracking();
  void StopHotTracking();
  bool PointInButton(int x, int y) const;
  void UpdateExclusive();
  // Invalidates; `erase` lets the parent repaint behind a see-through button.
  void Redraw(bool erase);

  // The repeat timer while a repeating button is held; the shared
  // hot-tracking timer and the button it tracks.
  TTimer* RepeatTimer() const { return repeatTimer_.get(); }
  static TTimer* HotTrackTimer();
  static TToolbarButton* TrackedButton();

  TNotifyEvent OnMouseExit;

protected:
  void Paint(TCanvas& canvas) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  void OpenMenu();
  void RepeatTick();
  void UpdateOpaque();

  std::unique_ptr<TButtonGlyph> glyph_;
  bool allowAllUp_ = false;
  int groupIndex_ = 0;
  TButtonDisplayMode displayMode_ = TButtonDisplayMode::dmBoth;
  bool down_ = false, dropdownArrow_ = true, dropdownCombo_ = false;
  TButtonPopupMenu* dropdownMenu_ = nullptr;
  bool flat_ = true, noBorder_ = false, opaqueSetting_ = true;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1, spacing_ = 4, modalResult_ = 0;
  bool repeating_ = false, showBorderWhenInactive_ = false, wordWrap_ = false;
  int repeatDelay_ = 400, repeatInterval_ = 100;

  TButtonState state_ = TButtonState::bsUp;
  bool inClick_ = false, mouseInControl_ = false, mouseIsDown_ = false, menuIsDown_ = false, usesDropdown_ = false,
       hooked_ = false, inRepeatTick_ = false;
  std::unique_ptr<TTimer> repeatTimer_;
  // Cleared when the button goes, so code running after a handler that
  // freed it can tell.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Offers an accelerator character to the toolbar buttons inside `root`.
bool ToolbarButtonsDialogChar(TWinControl* root, char ch);
