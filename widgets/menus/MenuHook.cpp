// The thread's message hook: the keyboard's menu handling of the menu bar
// and the open popups, and presses that close them. It looks only at
// messages taken from the queue, and every message goes on to the next
// hook; a message it handled is neutralised (zeroed) for the window.
#include <algorithm>
#include <cctype>
#include <memory>

#include "AnimMainMenu.h"
#include "AnimMenus.h"
#include "Seam.h"

namespace {
HHOOK hook = nullptr;
// The next Alt or F10 release is the end of a key sequence, not a start.
bool swallowAlt = false;

bool IsPress(UINT msg) {
  return msg == WM_LBUTTONDOWN || (msg >= WM_LBUTTONDBLCLK && msg <= WM_MBUTTONDBLCLK) || msg == WM_NCLBUTTONDOWN ||
         msg == WM_NCRBUTTONDOWN || (msg >= WM_NCRBUTTONDBLCLK && msg <= WM_NCMBUTTONDBLCLK);
}

bool IsPopupWindow(HWND wnd) {
  auto* f = dynamic_cast<TAnimPopupForm*>(TWinControl::FromHandle(wnd));
  return f != nullptr;
}

// A press on the open menu's own bar button.
bool OverOpenButton(const MSG& msg) {
  TAnimPopupMenu* open = ActivePopup();
  TMenuBarButton* b = open ? open->BarButton() : nullptr;
  if (!b || !b->Parent() || b->Parent()->HandleIfAllocated() != msg.hwnd) return false;
  POINT p;
  GetCursorPos(&p);
  p = b->ScreenToClient(p);
  return p.x >= 0 && p.y >= 0 && p.x < b->Width() && p.y < b->Height();
}

void Neutralise(MSG& msg) { msg = MSG{}; }

void StopKeyboardHot() {
  if (TMenuBarButton* hot = KeyboardHotButton()) {
    SetKeyboardHotButton(nullptr);
    hot->StopHotTracking();
  }
}

void ClickForKeyboard(TMenuBarButton* b) {
  PrepareKeyboardOpen(b);
  SetLastBarButton(b);
  b->StopHotTracking();
  b->Click();
}

bool AltHeld(LPARAM keyData) { return (keyData & (1 << 29)) != 0; }

// The character a key types (unshifted), or 0 for keys that type none:
// function keys, arrows and the like must not match an accelerator.
char KeyChar(WPARAM key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return static_cast<char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + (key - VK_NUMPAD0));
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: break;
  }
  if (key < VK_OEM_1 || key > 0xF5) return '\0';
  // Punctuation keys type what the keyboard layout says; a dead key types nothing yet.
  UINT c = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_CHAR);
  if ((c & 0x80000000u) || c < 0x21 || c > 0xFF) return '\0';
  return static_cast<char>(c);
}

// Keys while a popup is open: the innermost level is the target.
bool PopupKey(MSG& msg, TAnimMainMenu* bar, TForm* form) {
  TAnimPopupForm* target = InnermostPopupForm();
  if (!target) return false;
  TAnimPopupMenu* menu = ActivePopup();
  TMenuBarButton* button = menu ? menu->BarButton() : nullptr;
  switch (msg.wParam) {
    case VK_RETURN: target->ActivateSelected(); break;
    case VK_ESCAPE:
      if (TAnimPopupForm* parent = target->ParentLevel()) {
        parent->CloseChild(true);
        break;
      }
      CloseActiveMenus(true);
      if (button && bar && button->Bar() == bar) {
        SetKeyboardHotButton(button);
        SetLastBarButton(button);
        button->StartHotTracking();
        bar->SetKeepHot(true);
        bar->SetMenuMode(true);
        HideMenuCaret();
      }
      break;
    case VK_LEFT:
      if (TAnimPopupForm* parent = target->ParentLevel()) {
        parent->CloseChild(true);
      } else if (button && button->Bar()) {
        if (TMenuBarButton* prev = button->Bar()->NextMenuBarButton(button, false, true); prev && prev != button)
          ClickForKeyboard(prev);
      } else {
        target->SelectItem(0);
      }
      break;
    case VK_RIGHT: {
      int sel = target->Selected();
      bool hasSub = sel >= 0 && target->RowItem(sel) && target->RowItem(sel)->Count() > 0;
      if (!hasSub && sel >= 0 && !target->RowItem(sel)) {
        TMenuPosition position;
        hasSub = ReadMenuPosition(target->MenuHandle(), static_cast<UINT>(sel), true, position) &&
                 position.Info.hSubMenu;
      }
      if (hasSub) {
        target->OpenSubmenu();
      } else if (button && button->Bar()) {
        if (TMenuBarButton* next = button->Bar()->NextMenuBarButton(button, true, true); next && next != button)
          ClickForKeyboard(next);
      } else {
        target->SelectItem(target->RowCount() - 1);
      }
      break;
    }
    case VK_UP:
    case VK_DOWN:
      target->Timer()->SetEnabled(false);
      target->SelectItem(target->Selected() + (msg.wParam == VK_UP ? -1 : 1));
      break;
    case VK_F1: {
      TMenuItem* item = target->RowItem(target->Selected());
      if (Application().HelpFile().empty() || !item || !item->HelpContext()) break;
      int context = item->HelpContext();
      CloseActiveMenus(true);
      bool popup = form && form->BorderIcons().Has(TBorderIcon::biHelp);
      Seam().Help(GetActiveWindow(), Application().HelpFile(), popup ? HELP_CONTEXTPOPUP : HELP_CONTEXT,
                  static_cast<ULONG_PTR>(context));
      break;
    }
    case VK_SHIFT:
    case VK_CONTROL: break;
    default: PopupAccelerator(KeyChar(msg.wParam)); break;
  }
  Neutralise(msg);
  return true;
}

LRESULT CALLBACK MenuMessageHook(int code, WPARAM wp, LPARAM lp) {
  // Only what is taken from the queue: a peek that leaves the message
  // there would otherwise act on it twice.
  if (code >= 0 && wp == PM_REMOVE && lp) {
    try {
      HandleMenuMessage(*reinterpret_cast<MSG*>(lp));
    } catch (...) {
      Application().HandleException();
    }
  }
  return CallNextHookEx(hook, code, wp, lp);
}

struct THookRemover {
  ~THookRemover() { RemoveMenuHook(); }
} hookRemover;
}  // namespace

void InstallMenuHook() {
  if (!hook) hook = SetWindowsHookExA(WH_GETMESSAGE, MenuMessageHook, nullptr, GetCurrentThreadId());
}

void RemoveMenuHook() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
}

bool MenuHookInstalled() { return hook != nullptr; }

bool HandleShortcutKey(TAnimMainMenu* bar, WORD key, LPARAM keyData) {
  if (!bar || !bar->MainMenu()) return false;
  TShortCut sc = ShortCut(key, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, AltHeld(keyData));
  if (!sc) return false;
  TMenuItem* item = bar->MainMenu()->FindItem(sc, TFindItemKind::fkShortCut);
  if (!item) return false;
  CloseActiveMenus(true);
  // A Click that gives the item another shortcut makes the lookup run again.
  for (int round = 0; item && round < 8; ++round) {
    std::vector<TMenuItem*> chain;
    for (TMenuItem* i = item; i && i->Parent(); i = i->Parent()) chain.push_back(i);
    std::reverse(chain.begin(), chain.end());
    std::vector<std::unique_ptr<TFreeWatch>> watches;
    for (TMenuItem* i : chain) watches.push_back(std::make_unique<TFreeWatch>(i));
    for (size_t n = 0; n < chain.size(); ++n) {
      if (!watches[n]->Alive()) return true;
      TMenuItem* i = chain[n];
      if (n + 1 < chain.size() && (!i->Enabled() || !i->Visible())) return true;
      i->Click();
    }
    if (!watches.back()->Alive() || item->ShortCut() == sc) return true;
    item = bar->MainMenu() ? bar->MainMenu()->FindItem(sc, TFindItemKind::fkShortCut) : nullptr;
  }
  return true;
}

bool HandleMenuMessage(MSG& msg) {
  if (!Application().Active()) return false;
  HWND active = GetActiveWindow();
  if (active && IsIconic(active)) return false;

  if (IsPress(msg.message)) {
    if (ActivePopup()) {
      if (IsPopupWindow(msg.hwnd) || OverOpenButton(msg)) return false;
      CloseActiveMenus(true);
      swallowAlt = false;
      ShowMenuCaret();
    } else if (KeyboardHotButton()) {
      StopKeyboardHot();
      if (TAnimMainMenu* bar = ActiveMenuBar()) bar->SetMenuMode(false);
      ShowMenuCaret();
    }
    return false;
  }

  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_SPACE) {
    if (active) PostMessageA(active, WM_NCLBUTTONDOWN, HTSYSMENU, 0);
    Neutralise(msg);
    return true;
  }

  const UINT m = msg.message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return false;
  TAnimMainMenu* bar = ActiveMenuBar();
  TForm* form = bar ? bar->OwnerForm() : nullptr;
  bool own = false;
  if (form && form->HandleAllocated() && form->Enabled() && IsWindowEnabled(form->HandleIfAllocated())) {
    own = active == form->HandleIfAllocated() ||
          (form->FormStyle() == TFormStyle::fsNormal && form == Application().MainForm());
  }
  const bool down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
  const WPARAM key = msg.wParam;

  // F1 shows the focused control's topic before a menu shortcut may take it.
  if (m == WM_KEYDOWN && key == VK_F1 && own && !ActivePopup() && GetKeyState(VK_SHIFT) >= 0 &&
      GetKeyState(VK_CONTROL) >= 0 && Application().FocusedControlHelp()) {
    Neutralise(msg);
    return true;
  }
  if (down && own && HandleShortcutKey(bar, static_cast<WORD>(key), msg.lParam)) {
    Neutralise(msg);
    return true;
  }

  const bool altOrF10Down = (m == WM_SYSKEYDOWN && (key == VK_MENU || key == VK_F10)) || (m == WM_KEYDOWN && key == VK_F10);
  if (own && altOrF10Down && (KeyboardHotButton() || ActivePopup())) {
    CloseActiveMenus(true);
    if (TMenuBarButton* last = LastBarButton()) {
      last->SetDown(false);
      last->StopHotTracking();
    }
    StopKeyboardHot();
    FocusMenuForm(form);
    ShowMenuCaret();
    bar->SetMenuMode(false);
    swallowAlt = true;
    Neutralise(msg);
    return true;
  }

  const bool altOrF10Up = (m == WM_SYSKEYUP && (key == VK_MENU || key == VK_F10)) || (m == WM_KEYUP && key == VK_F10);
  if (own && altOrF10Up) {
    TMenuBarButton* b = LastBarButton();
    if (!b || b->Bar() != bar) {
      std::vector<TMenuBarButton*> buttons = bar->Buttons();
      b = buttons.empty() ? nullptr : buttons.front();
      if (!b) return false;
    }
    if (!b->MouseInControl() && !swallowAlt) {
      SetKeyboardHotButton(b);
      SetLastBarButton(b);
      b->StartHotTracking();
      bar->SetMenuMode(true);
      HideMenuCaret();
    }
    swallowAlt = false;
    Neutralise(msg);
    return true;
  }

  if (m == WM_SYSKEYDOWN && own && key >= '0' && key <= 'Z') {
    if (ActivePopup()) {
      PopupAccelerator(KeyChar(key));
      Neutralise(msg);
      return true;
    }
    if (TMenuBarButton* b = bar->MenuBarButtonForKey(KeyChar(key))) {
      StopKeyboardHot();
      ClickForKeyboard(b);
      ShowMenuCaret();
      bar->SetMenuMode(false);
      swallowAlt = true;
      Neutralise(msg);
      return true;
    }
  }
  // Alt held with another key: its release starts no menu mode.
  if (m == WM_SYSKEYDOWN && own && key != VK_MENU && key != VK_F10) {
    swallowAlt = true;
    return false;
  }

  if (m == WM_KEYDOWN && own && bar->MenuMode() && KeyboardHotButton() && !ActivePopup()) {
    swallowAlt = false;
    TMenuBarButton* hot = KeyboardHotButton();
    switch (key) {
      case VK_RETURN:
      case VK_SPACE:
      case VK_UP:
      case VK_DOWN:
        bar->SetMenuMode(false);
        SetKeyboardHotButton(nullptr);
        ClickForKeyboard(hot);
        break;
      case VK_ESCAPE:
        ShowMenuCaret();
        bar->SetMenuMode(false);
        SetLastBarButton(hot);
        StopKeyboardHot();
        break;
      case VK_LEFT:
      case VK_RIGHT: {
        TMenuBarButton* next = bar->NextMenuBarButton(hot, key == VK_RIGHT);
        StopKeyboardHot();
        if (next) {
          SetKeyboardHotButton(next);
          SetLastBarButton(next);
          next->StartHotTracking();
        }
        break;
      }
      default:
        if (TMenuBarButton* b = bar->MenuBarButtonForKey(KeyChar(key))) {
          bar->SetMenuMode(false);
          StopKeyboardHot();
          ClickForKeyboard(b);
        } else {
          Seam().Beep(static_cast<UINT>(-1));
        }
        break;
    }
    Neutralise(msg);
    return true;
  }

  if (m == WM_KEYDOWN && ActivePopup()) return PopupKey(msg, bar, form);
  return false;
}
