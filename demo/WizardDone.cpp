// Waits for tidyPack's build to end, for the demo: when the wizard window
// shows its Finish button the package is built, and the window is closed
// (the done page closes without a question). A message box of the wizard's
// process, or the time running out, ends the wait with its text.
//   WizardDone <seconds>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const char* const kWizardCaption = "tidy Zaderuzo Wizard Version 1.60";

struct TFind {
  const char* text;
  HWND found;
};

BOOL CALLBACK FindButton(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<TFind*>(lp);
  char text[64] = {};
  GetWindowTextA(wnd, text, sizeof text);
  if (std::string(text) == f->text && IsWindowVisible(wnd)) {
    f->found = wnd;
    return FALSE;
  }
  return TRUE;
}

// A message box of the process that owns `wizard`, with its text.
struct TBox {
  DWORD process;
  std::string text;
};

BOOL CALLBACK FindBox(HWND wnd, LPARAM lp) {
  auto* b = reinterpret_cast<TBox*>(lp);
  char cls[16] = {};
  GetClassNameA(wnd, cls, sizeof cls);
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != b->process || std::string(cls) != "#32770" || !IsWindowVisible(wnd)) return TRUE;
  char text[1024] = {};
  GetDlgItemTextA(wnd, 0xFFFF, text, sizeof text);
  char caption[256] = {};
  GetWindowTextA(wnd, caption, sizeof caption);
  b->text = std::string(caption) + ": " + text;
  return FALSE;
}
}  // namespace

int main(int argc, char** argv) {
  const DWORD limit = GetTickCount() + 1000u * static_cast<DWORD>(argc > 1 ? std::atoi(argv[1]) : 120);
  while (GetTickCount() < limit) {
    if (HWND wizard = FindWindowA(nullptr, kWizardCaption)) {
      TFind finish{"&Finish", nullptr};
      EnumChildWindows(wizard, FindButton, reinterpret_cast<LPARAM>(&finish));
      if (finish.found) {
        std::puts("tidyPack: the package is built");
        PostMessageA(wizard, WM_CLOSE, 0, 0);
        return 0;
      }
      TBox box{0, {}};
      GetWindowThreadProcessId(wizard, &box.process);
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
      if (!box.text.empty()) {
        std::printf("tidyPack shows a message: %s\n", box.text.c_str());
        return 2;
      }
    }
    Sleep(200);
  }
  std::puts("tidyPack did not finish in time");
  return 1;
}
