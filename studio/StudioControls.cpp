#include "StudioControls.h"

#include <algorithm>

// TMenuBar

namespace {
std::vector<TMenuBar*>& Bars() {
  static std::vector<TMenuBar*> bars;
  return bars;
}
}  // namespace

TMenuBar::TMenuBar(std::vector<TMenuItemSpec> items) : items_(std::move(items)) {
  for (const TMenuItemSpec& spec : items_) states_.push_back({spec});
}

TMenuBar::~TMenuBar() {
  auto& bars = Bars();
  bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
  if (hook_) UnhookWindowsHookEx(hook_);
  if (wnd_ && IsWindow(wnd_) && GetMenu(wnd_) == menu_) SetMenu(wnd_, nullptr);
  if (menu_) DestroyMenu(menu_);
}

TMenuBar::TState* TMenuBar::Find(UINT id) {
  for (TState& s : states_)
    if (s.spec.Id == id && id) return &s;
  return nullptr;
}

const TMenuBar::TState* TMenuBar::Find(UINT id) const { return const_cast<TMenuBar*>(this)->Find(id); }

void TMenuBar::Attach(HWND wnd) {
  wnd_ = wnd;
  Rebuild();
  Bars().push_back(this);
  hook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

void TMenuBar::Rebuild() {
  HMENU old = menu_;
  menu_ = CreateMenu();
  HMENU popup = nullptr;
  for (const TState& s : states_) {
    if (s.spec.TopLevel) {
      popup = CreatePopupMenu();
      AppendMenuA(menu_, MF_POPUP | (s.enabled ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(popup),
                  s.spec.Caption.c_str());
      continue;
    }
    if (!popup || !s.visible) continue;
    if (s.spec.Caption == "-") {
      AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string text = s.spec.Caption + (s.spec.Shortcut.empty() ? "" : "\t" + s.spec.Shortcut);
    AppendMenuA(popup, MF_STRING | (s.checked ? MF_CHECKED : 0) | (s.enabled ? 0 : MF_GRAYED), s.spec.Id, text.c_str());
  }
  if (wnd_) {
    SetMenu(wnd_, menu_);
    DrawMenuBar(wnd_);
  }
  if (old) DestroyMenu(old);
}

void TMenuBar::SetChecked(UINT id, bool on) {
  if (TState* s = Find(id); s && s->checked != on) {
    s->checked = on;
    if (menu_) CheckMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  }
}

void TMenuBar::SetEnabled(UINT id, bool on) {
  if (TState* s = Find(id); s && s->enabled != on) {
    s->enabled = on;
    if (menu_) EnableMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
}

void TMenuBar::SetVisible(UINT id, bool on) {
  if (TState* s = Find(id); s && s->visible != on) {
    s->visible = on;
    if (menu_) Rebuild();
  }
}

bool TMenuBar::TopEnabled(const std::string& caption) const {
  for (const TState& s : states_)
    if (s.spec.TopLevel && s.spec.Caption == caption) return s.enabled;
  return false;
}

void TMenuBar::SetTopEnabled(const std::string& caption, bool on) {
  for (TState& s : states_)
    if (s.spec.TopLevel && s.spec.Caption == caption && s.enabled != on) {
      s.enabled = on;
      if (menu_) Rebuild();
    }
}

UINT TMenuBar::ShortcutCommand(WORD key, bool ctrl) const {
  bool topEnabled = true;
  for (const TState& s : states_) {
    if (s.spec.TopLevel) {
      topEnabled = s.enabled;
      continue;
    }
    if (s.spec.Key == key && s.spec.Ctrl == ctrl && s.spec.Id && topEnabled && s.enabled && s.visible) return s.spec.Id;
  }
  return 0;
}

LRESULT CALLBACK TMenuBar::GetMessageHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
      bool ctrl = GetKeyState(VK_CONTROL) < 0;
      for (TMenuBar* bar : Bars()) {
        HWND w = bar->wnd_;
        if (!w || !IsWindowEnabled(w) || (msg->hwnd != w && !IsChild(w, msg->hwnd))) continue;
        if (UINT id = bar->ShortcutCommand(static_cast<WORD>(msg->wParam), ctrl)) {
          msg->message = WM_NULL;
          PostMessageA(w, WM_COMMAND, id, 0);
          break;
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
