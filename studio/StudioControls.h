// A plain menu bar over a Win32 menu with the items' shortcuts, offering
// only what the main window uses of a menu bar.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

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
