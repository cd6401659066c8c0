// What the animated menus' tests share: a fake clock, a form with a popup
// menu, a form with a docked menu bar, and keys posted as the keyboard
// would send them, so the message hook takes them from the queue.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AnimMenus.h"
#include "Description.h"
#include "KitTestSupport.h"
#include "StdCtrls.h"

namespace menutest {

class TFakeClock : public IMenuClock {
public:
  TFakeClock() : previous_(SetMenuClock(this)) {}
  ~TFakeClock() override { SetMenuClock(previous_); }
  DWORD Now() override { return now; }
  void Sleep(DWORD ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  DWORD now = 100000;
  std::vector<DWORD> sleeps;

private:
  IMenuClock* previous_;
};

// Keys as the keyboard sends them: the modifier state first, then the
// message in the queue of the focused window.
inline void SetModifiers(bool shift, bool ctrl, bool alt) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  state[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(state);
}

inline HWND KeyTarget() {
  HWND focus = GetFocus();
  return focus ? focus : GetActiveWindow();
}

inline void PostKey(UINT msg, WPARAM key, bool alt = false) {
  LPARAM data = 1 | (alt ? (1 << 29) : 0);
  if (msg == WM_KEYUP || msg == WM_SYSKEYUP) data |= (1u << 30) | (1u << 31);
  PostMessageA(KeyTarget(), msg, key, data);
  Application().ProcessMessages();
}

// A press and release of one key; Alt held makes them system keys.
inline void Press(WPARAM key, bool shift = false, bool ctrl = false, bool alt = false) {
  SetModifiers(shift, ctrl, alt);
  PostKey(alt || key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt);
  if (key == VK_F10) PostKey(WM_SYSKEYUP, key, alt);
  else PostKey(alt ? WM_SYSKEYUP : WM_KEYUP, key, alt);
  SetModifiers(false, false, false);
}

// Alt pressed and released alone.
inline void TapAlt() {
  SetModifiers(false, false, true);
  PostKey(WM_SYSKEYDOWN, VK_MENU, true);
  SetModifiers(false, false, false);
  PostKey(WM_SYSKEYUP, VK_MENU, false);
}

// Alt held while a key goes down and up.
inline void AltKey(WPARAM key) {
  SetModifiers(false, false, true);
  PostKey(WM_SYSKEYDOWN, VK_MENU, true);
  PostKey(WM_SYSKEYDOWN, key, true);
  PostKey(WM_SYSKEYUP, key, true);
  SetModifiers(false, false, false);
  PostKey(WM_SYSKEYUP, VK_MENU, false);
}

// A client point of a popup level to its window, as the mouse would.
inline void MouseTo(TAnimPopupForm* form, UINT msg, int x, int y) {
  POINT screen = form->ClientToScreen({x, y});
  SetCursorPos(screen.x, screen.y);
  SendMessageA(form->Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
}

// The middle of a row of a level.
inline POINT RowPoint(TAnimPopupForm* form, int row) {
  const TBaseOptions& o = form->LevelOptions();
  int y = o.ItemSpace + kFirstRowOffset;
  for (int i = 0; i < row; ++i) {
    TMenuItem* item = form->RowItem(i);
    y += (item && item->Caption() == "-" ? o.SeparatorHeight : o.ItemHeight) + o.ItemSpace;
  }
  TMenuItem* item = form->RowItem(row);
  int h = item && item->Caption() == "-" ? o.SeparatorHeight : o.ItemHeight;
  return {form->Width() / 2, y + h / 2};
}

inline std::vector<std::string> Names(const std::vector<TComponent*>& list) {
  std::vector<std::string> names;
  for (auto* c : list) names.push_back(c ? c->Name() : "(none)");
  return names;
}

void RegisterOnce();

// A shown animated form with a popup menu and an edit that has the focus.
class TPopupForm : public AnimMenus::TForm {
public:
  explicit TPopupForm(TComponent* owner);
  TAnimPopupMenu* PopupMenu1 = nullptr;
  TEdit* Edit1 = nullptr;
  TMenuItem *Cut1 = nullptr, *Copy1 = nullptr, *Disabled1 = nullptr, *More1 = nullptr, *Sub1 = nullptr,
            *Checked1 = nullptr;
  std::vector<std::string> log;
  void ItemClick(TComponent* sender) { log.push_back("click " + sender->Name()); }
  void MenuCommand(TComponent*, TMenuItem* item) { log.push_back("command " + (item ? item->Name() : "(none)")); }
};

// A shown animated form with a docked menu bar over its main menu.
class TBarForm : public AnimMenus::TForm {
public:
  explicit TBarForm(TComponent* owner);
  TAnimMainMenu* Bar = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TEdit* Edit1 = nullptr;
  TMenuItem *File1 = nullptr, *New1 = nullptr, *Open1 = nullptr, *Edit2 = nullptr, *Help1 = nullptr, *About1 = nullptr,
            *Quit1 = nullptr, *Hidden1 = nullptr;
  std::vector<std::string> log;
  void ItemClick(TComponent* sender) { log.push_back("click " + sender->Name()); }
};

// A fixture: robot, fake clock, an active application.
template <class F>
struct TShown {
  TRobot robot;
  TFakeClock clock;
  std::unique_ptr<F> form;
  TShown() {
    RegisterOnce();
    form = std::make_unique<F>(nullptr);
    form->Show();
    Application().ProcessMessages();
    kit::TKitForm::SetAppActive(true);
    form->Edit1->SetFocus();
    Application().ProcessMessages();
  }
  ~TShown() {
    CloseActiveMenus(false);
    form.reset();
    Application().ProcessMessages();
    SetModifiers(false, false, false);
  }
  void FireTimer(TTimer* timer) { robot.FireTimer(timer->Handle(), TTimer::kTimerId); }
};

}  // namespace menutest
