// Shows the Studio's About box on its own for a screenshot, then ends
// after the given number of seconds (default 10).
#include <windows.h>

#include <cstdlib>

#include "About.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication& app = Application();
  app.SetTitle("tidy-Zaderuzo Studio");
  TForm2* about = app.CreateForm<TForm2>();
  about->StartShowing(false);
  about->Show();
  DWORD end = GetTickCount() + 1000u * static_cast<DWORD>(__argc > 1 ? std::atoi(__argv[1]) : 10);
  while (GetTickCount() < end && about->Visible()) {
    app.ProcessMessages();
    Sleep(10);
  }
  return 0;
}
