#include "CmnFunc.h"

#include "Seam.h"

#include <vector>

namespace {

struct TKindInfo {
  const char* Caption;
  UINT Icon;
};
const TKindInfo kKinds[] = {
    {"Information", MB_ICONINFORMATION},
    {"Confirm", MB_ICONQUESTION},
    {"Error", MB_ICONEXCLAMATION},
    {"Error", MB_ICONHAND},
};

// The program's own windows, taken out of the way while the box is up.
class TWindowsLock {
public:
  TWindowsLock() {
    focus_ = GetFocus();
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
  }
  ~TWindowsLock() {
    for (HWND wnd : demoted_)
      SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    for (HWND wnd : disabled_) EnableWindow(wnd, TRUE);
    if (focus_ && IsWindow(focus_)) SetFocus(focus_);
  }
  TWindowsLock(const TWindowsLock&) = delete;
  TWindowsLock& operator=(const TWindowsLock&) = delete;

private:
  static BOOL CALLBACK Collect(HWND wnd, LPARAM param) {
    auto* self = reinterpret_cast<TWindowsLock*>(param);
    if (IsWindowEnabled(wnd)) {
      EnableWindow(wnd, FALSE);
      self->disabled_.push_back(wnd);
    }
    if (IsWindowVisible(wnd) && (GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      SetWindowPos(wnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
      SetWindowPos(wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
      self->demoted_.push_back(wnd);
    }
    return TRUE;
  }

  HWND focus_ = nullptr;
  std::vector<HWND> disabled_, demoted_;
};

}  // namespace

int MessageBoxCore(const char* text, const char* caption, TMsgKind kind, UINT flags) {
  const TKindInfo& info = kKinds[kind >= mkInformation && kind <= mkError ? kind : mkError];
  std::string cap = caption && *caption ? caption : info.Caption;
  HWND owner = GetActiveWindow();
  TWindowsLock lock;
  return Seam().ShowBox(owner, text ? text : "", cap, flags | info.Icon);
}

int ShowMsg(const std::string& text, const std::string& caption, TMsgKind kind, UINT flags) {
  return MessageBoxCore(text.c_str(), caption.c_str(), kind, flags);
}
