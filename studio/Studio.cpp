// The Studio program: title and help file, the splash while the start-up
// windows are made, then the message loop.
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "About.h"
#include "Main.h"
#include "StatusUnit.h"

namespace {
// The build window as the main window drives it.
class TProgressWindow : public IBuildWindow {
public:
  void SetForm(TProgressForm* form) { form_ = form; }
  void Show() override { form_->Show(); }
  bool Proceed() override { return form_->Proceed(); }

private:
  TProgressForm* form_ = nullptr;
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication& app = Application();
  app.SetTitle(kStudioTitle);
  app.SetHelpFile("Mainhelp.hlp");
  TProgressWindow buildWindow;  // outlives the forms that use it
  int code = 0;
  try {
    auto splash = std::make_unique<TSplash>(nullptr);
    splash->Show();
    splash->Update();

    TForm1* form1 = app.CreateForm<TForm1>();
    // A project named as the first argument is loaded while the main
    // window is made; anything that is not an existing file is ignored.
    if (__argc > 1) form1->OpenCommandLineProject(__argv[1]);
    // The build window comes next, then the About and contact boxes.
    TProgressForm* progress = app.CreateForm<TProgressForm>();
    progress->Settings = &form1->Settings();
    buildWindow.SetForm(progress);
    form1->SetBuildWindow(&buildWindow);
    form1->AboutBox = app.CreateForm<TForm2>();
    form1->ContactBox = app.CreateForm<TForm3>();

    splash->Hide();
    splash.reset();
    app.Run();
  } catch (...) {
    app.HandleException();
    code = 1;
  }
  app.Shutdown();
  return code;
}
