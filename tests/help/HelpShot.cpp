// Asks the help viewer what the programs ask, then waits for a screenshot:
//   HelpShot FILE finder            the Studio's Contents (HELP_FINDER)
//   HelpShot FILE context N         F1 on a control with help context N
//   HelpShot FILE jump NAME         the Studio's jump to a topic name
//   HelpShot FILE page NAME         the Wizard's Help button: contents, then the jump
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc != 4) return 2;
  std::string file = __argv[1], mode = __argv[2], arg = __argv[3];
  HWND wnd = CreateWindowA("STATIC", "HelpShot", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  std::string macro = "JumpID(\"\",\"" + arg + "\")";
  BOOL ok = FALSE;
  if (mode == "finder") ok = WinHelpA(wnd, file.c_str(), HELP_FINDER, 0);
  if (mode == "context") ok = WinHelpA(wnd, file.c_str(), HELP_CONTEXT, std::strtoul(arg.c_str(), nullptr, 10));
  if (mode == "jump") ok = WinHelpA(wnd, file.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()));
  if (mode == "page" && WinHelpA(wnd, file.c_str(), HELP_CONTENTS, 0))
    ok = WinHelpA(wnd, file.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()));
  DWORD end = GetTickCount() + 20000;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(50);
  }
  return ok ? 0 : 1;
}
