// The tidyPack program: title and help file, the wizard window (which acts
// on the command line as it is made), the About and contact boxes, then
// the message loop.
#include <windows.h>

#include <string>
#include <vector>

#include "About.h"
#include "Core.h"

namespace {
int WizardMain() {
  TApplication& app = Application();
  app.SetTitle(kWizardTitle);
  app.SetHelpFile("Mainhelp.hlp");
  try {
    TForm1* form1 = app.CreateForm<TForm1>();
    std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    if (!form1->FormCreate(arguments)) return 0;
    form1->AboutBox = app.CreateForm<TForm2>(TAboutProgram::Wizard);
    form1->ContactBox = app.CreateForm<TForm3>();
    app.Run();
  } catch (...) {
    app.HandleException();
    return 1;
  }
  return 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int code = WizardMain();
  Application().Shutdown();
  return code;
}
