// Menus: a tree of items that mirrors itself into Windows menus, the menu
// a form shows as its menu bar, and keyboard shortcuts.
//
//   object MainMenu1: TMainMenu             // the form's Menu = MainMenu1
//     object File1: TMenuItem
//       Caption = '&File'
//       object New1: TMenuItem
//         Caption = '&New'
//         ShortCut = 16462                  // Ctrl+N
//         OnClick = New1Click
//       end
//     end
//   end
//
// Each item with children owns the Windows menu of its children; only the
// visible children have a position in it, so the n-th position is the n-th
// visible child. A change to an item refills its parent's Windows menu.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Component.h"
#include "Enums.h"

class TClassInfo;

// A key with Shift (0x2000), Ctrl (0x4000) and Alt (0x8000) bits.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(WORD key, bool shift, bool ctrl, bool alt);
// "Ctrl+N", "Shift+Del", "F1"; empty for 0.
std::string ShortCutToText(TShortCut shortCut);
// The reverse, ignoring case; 0 when the text names no key.
TShortCut TextToShortCut(std::string_view text);

enum class TMenuBreak { mbNone, mbBreak, mbBarBreak };
TZ_ENUM_NAMES(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")

class TMenu;

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* owner);
  // Frees the children and leaves the parent's Windows menu.
  ~TMenuItem() override;
  bool Freeing() const { return freeing_; }

  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(const std::string& v);
  bool Checked() const { return checked_; }
  virtual void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  bool Default() const { return default_; }
  virtual void SetDefault(bool v);
  bool RadioItem() const { return radioItem_; }
  virtual void SetRadioItem(bool v);
  TMenuBreak Break() const { return break_; }
  virtual void SetBreak(TMenuBreak v);
  // 0 to 255.
  int GroupIndex() const { return groupIndex_; }
  virtual void SetGroupIndex(int v);
  TShortCut ShortCut() const { return shortCut_; }
  virtual void SetShortCut(TShortCut v);
  const std::string& Hint() const { return hint_; }
  virtual void SetHint(const std::string& v);
  const TNotifyEvent& OnClick() const { return onClick_; }
  virtual void SetOnClick(TNotifyEvent v);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }

  // The identifier of its position (WM_COMMAND), unique in the program.
  UINT Command() const { return command_; }
  // The Windows menu of its children, made on first use.
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  void Add(TMenuItem* item) { Insert(Count(), item); }
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  // Frees every child.
  void Clear();
  // The menu whose tree holds this item, or null.
  TMenu* GetParentMenu() const;

  // Fires OnClick when enabled.
  virtual void Click();

  static const TClassInfo& ClassInfo();

protected:
  void SetParentComponent(TComponent* parent) override;
  // A property changed: the parent's Windows menu is filled again.
  void Changed();

private:
  friend class TMenu;
  void Rebuild();
  void ReleaseHandle();

  std::string caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, default_ = false, radioItem_ = false;
  TMenuBreak break_ = TMenuBreak::mbNone;
  int groupIndex_ = 0, helpContext_ = 0;
  TShortCut shortCut_ = 0;
  TNotifyEvent onClick_;
  UINT command_ = 0;
  HMENU handle_ = nullptr;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  TMenu* menu_ = nullptr;  // set on the root item only
  bool menuBar_ = false;
  bool freeing_ = false;
};

enum class TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
public:
  ~TMenu() override;
  TMenuItem* Items() const { return items_.get(); }
  HMENU Handle() const { return items_->Handle(); }
  // By command, by submenu handle or by shortcut; the first in tree order.
  TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
  // Clicks the item with this command; false when none has it.
  bool DispatchMenuCommand(UINT command);
  // An item of the tree changed; `item` is null when the tree itself did.
  virtual void MenuChanged(TMenuItem*) {}

protected:
  TMenu(TComponent* owner, bool menuBar);

private:
  friend class TMenuItem;
  std::unique_ptr<TMenuItem> items_;
};

class TForm;

// The menu a form shows as its menu bar (TForm::SetMenu).
class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner, true) {}
  // Leaves every form that shows it.
  ~TMainMenu() override;
  void MenuChanged(TMenuItem* item) override;
  static const TClassInfo& ClassInfo();
};
