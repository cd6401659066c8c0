// Serves Program Manager's DDE ("PROGMAN") without a screen, through the
// shell's own DDE server, until it is ended or a minute has passed. The
// folder windows that Wine's server opens for a group are not wanted: the
// programs it would start for them are switched off.
#include <windows.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char overrides[1024] = "";
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides - 20);
  lstrcatA(overrides, overrides[0] ? ";explorer.exe=d" : "explorer.exe=d");
  SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);
  CoInitialize(nullptr);
  HMODULE shell = LoadLibraryA("shell32.dll");
  using TShellDDEInit = BOOL(WINAPI*)(BOOL);
  auto init = reinterpret_cast<TShellDDEInit>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(188))));
  if (!init) return 1;
  init(TRUE);
  const DWORD end = GetTickCount() + 60000;
  MSG msg;
  while (GetTickCount() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return 0;
}
