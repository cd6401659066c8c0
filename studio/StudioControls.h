// Plain stand-ins for controls the main window needs and the window layer
// does not have yet: the style tabs, the directory and file views, and the
// menu bar with its shortcuts. Each offers only what the window uses, so
// the kit's own controls can take their place without touching the logic.
#pragma once
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "StdCtrls.h"

class TClassInfo;

// Tabs over the common tab control. OnChange gets the new tab's index,
// and runs only when the user changes the tab.
class TTabSet : public TStdControl {
public:
  explicit TTabSet(TComponent* owner);
  static const TClassInfo& ClassInfo();
  const std::vector<std::string>& Tabs() const { return tabs_; }
  void SetTabs(const std::vector<std::string>& tabs);
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index);
  // As a click on a tab does: OnChange, then the new tab.
  void SelectTab(int index);
  TEvent<int> OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;

private:
  std::vector<std::string> tabs_;
  int tabIndex_ = 0;
};

// Pages without tabs, one shown at a time, kept in the order of the
// description whatever their window order.
class TPageBook : public TCustomControl {
public:
  explicit TPageBook(TComponent* owner);
  static const TClassInfo& ClassInfo();
  int PageCount() const { return static_cast<int>(Pages().size()); }
  TPage* Page(int index) const;
  int PageIndex() const { return pageIndex_; }
  void SetPageIndex(int index);

protected:
  void Paint(TCanvas&) override {}
  void Loaded() override;

private:
  const std::vector<TPage*>& Pages() const;
  void ShowPages();
  mutable std::vector<TPage*> pages_;
  int pageIndex_ = 0;
};

// A folder and its sub-folders; a double click enters one. Directory() is
// the folder in upper case with a trailing backslash.
class TDirectoryView : public TListBox {
public:
  explicit TDirectoryView(TComponent* owner);
  static const TClassInfo& ClassInfo();
  const std::string& Directory() const { return directory_; }
  // False (and nothing changed) when the folder cannot be read.
  bool SetDirectory(const std::string& path);
  // Enters the entry at `index` ("[..]" goes up).
  bool EnterItem(int index);
  TNotifyEvent OnChange;

protected:
  void DblClick() override;

private:
  std::string directory_;
};

// The files and folders in one folder, one selectable.
class TFileView : public TListBox {
public:
  explicit TFileView(TComponent* owner);
  static const TClassInfo& ClassInfo();
  const std::string& Directory() const { return directory_; }
  bool SetDirectory(const std::string& path);
  // The selected entry's full path; empty without a selection.
  std::string SelectedPath() const;

private:
  std::string directory_;
};

// The menu bar of a form over a Win32 menu, with the items' shortcuts.
struct TMenuItemSpec {
  UINT Id = 0;           // 0: a top-level menu or a separator
  std::string Caption;   // "-" is a separator
  std::string Shortcut;  // shown text, "Ctrl+N"
  WORD Key = 0;          // virtual key of the shortcut
  bool Ctrl = false;
  bool TopLevel = false;
};

class TMenuBar {
public:
  explicit TMenuBar(std::vector<TMenuItemSpec> items);
  ~TMenuBar();
  TMenuBar(const TMenuBar&) = delete;
  TMenuBar& operator=(const TMenuBar&) = delete;

  // Puts the menu on `wnd` and starts its shortcuts.
  void Attach(HWND wnd);
  HMENU Handle() const { return menu_; }

  bool Checked(UINT id) const { return Find(id) && Find(id)->checked; }
  void SetChecked(UINT id, bool on);
  bool Enabled(UINT id) const { return Find(id) && Find(id)->enabled; }
  void SetEnabled(UINT id, bool on);
  bool Visible(UINT id) const { return Find(id) && Find(id)->visible; }
  void SetVisible(UINT id, bool on);
  // A top-level menu ("&File") by its caption.
  bool TopEnabled(const std::string& caption) const;
  void SetTopEnabled(const std::string& caption, bool on);
  // The enabled, visible item whose shortcut this is, or 0.
  UINT ShortcutCommand(WORD key, bool ctrl) const;

private:
  struct TState {
    TMenuItemSpec spec;
    bool checked = false, enabled = true, visible = true;
  };
  TState* Find(UINT id);
  const TState* Find(UINT id) const;
  void Rebuild();
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM wp, LPARAM lp);

  std::vector<TMenuItemSpec> items_;
  std::vector<TState> states_;
  HMENU menu_ = nullptr;
  HWND wnd_ = nullptr;
  HHOOK hook_ = nullptr;
};
