// Shows one page of the wizard window with a sample project, or the
// Wizard's About box, for a screenshot; ends after the given seconds. The
// ready file, when named, is made once the window has been painted.
// With a help file after the ready file, the page's Help button is pressed
// once the window is painted, and the ready file made five seconds later.
//   ShowWizard <page 0-9 | about> <seconds> <sample folder> [ready file [help file]]
#include <windows.h>

#include <cstdlib>
#include <string>

#include "About.h"
#include "Core.h"
#include "StatusUnit.h"

namespace {
void FillSample(TForm1& form, const std::string& folder) {
  using T = TWizardText;
  form.SelectKind("Zip SFX");
  form.Commands().KindChanged();
  form.SetText(T::ProjectTitle, "Sample Project");
  form.SetText(T::ProjectOutputName, "C:\\Packages\\Sample.exe");
  form.SetText(T::projectFilename, "C:\\Packages\\Sample.tpj");
  form.SetSaveChosen(true);
  form.SetText(T::FlatEdit1, folder + "\\settings.ini");
  form.AddItem(TWizardList::Files, folder + "\\readme.txt");
  form.AddItem(TWizardList::Files, folder + "\\settings.ini");
  form.SetText(T::FlatEdit2, folder + "\\docs");
  form.AddItem(TWizardList::Folders, folder + "\\docs\\");
  CheckZipStyle(form, zsAdvanced);
  form.Commands().StyleClick();
  form.SetPosition(TWizardSlider::TrackBar4, 7);
  form.SetText(T::Pass2, "secret");
  form.SetText(T::execution, "readme.txt");
  form.SetText(T::defaultDir, "C:\\Sample");
  form.SetChecked(TWizardCheck::p1, true);
  form.SetChecked(TWizardCheck::CheckBox5, true);
  form.ShowSettingsPage("ZipSfx");
  form.Commands().MakeReport();
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication& app = Application();
  app.SetTitle(kWizardTitle);
  const std::string what = __argc > 1 ? __argv[1] : "0";
  const DWORD seconds = static_cast<DWORD>(__argc > 2 ? std::atoi(__argv[2]) : 10);
  const std::string folder = __argc > 3 ? __argv[3] : "C:\\Sample";
  const std::string ready = __argc > 4 ? __argv[4] : "";
  const bool help = __argc > 5;
  if (help) app.SetHelpFile(__argv[5]);
  TForm* shown = nullptr;
  TForm1* wizard = nullptr;
  if (what == "about") {
    TForm2* about = app.CreateForm<TForm2>(TAboutProgram::Wizard);
    about->StartShowing(false);
    shown = about;
  } else {
    TForm1* form = app.CreateForm<TForm1>();
    FillSample(*form, folder);
    const int page = std::atoi(what.c_str());
    form->Commands().TogglePage(page);
    form->SetButtonEnabled(TWizardButton::Back, page > 0);
    if (page == pgBuilding) {
      LockWizardButtons(*form, true);
      form->ProgressBar2->SetPosition(60);
      form->Show();
      // The log as a build writes it: lines held, then let go at once.
      TControlsBuildView view(form->TreeView1, form->ProgressBar2, form->Animate1, form->CancelLabel);
      const TLogLine root = view.AddRootLine("Building Package...");
      for (int i = 1; i <= 40; ++i)
        view.AddStepLine(root, "File '" + folder + "\\docs\\chapter" + std::to_string(i) + ".txt' in package");
      view.ShowHeld();
    }
    if (page == pgDone) {
      form->SetButtonVisible(TWizardButton::Next, false);
      form->SetButtonVisible(TWizardButton::Close, false);
      form->SetButtonVisible(TWizardButton::Finish, true);
      form->SetButtonEnabled(TWizardButton::Test, true);
    }
    shown = wizard = form;
  }
  shown->Show();
  const DWORD start = GetTickCount();
  const DWORD end = start + 1000u * seconds;
  bool painted = ready.empty();
  DWORD helpAt = 0;
  while (GetTickCount() < end && shown->Visible()) {
    app.ProcessMessages();
    if (!painted && !helpAt && GetTickCount() - start > 500) {
      RedrawWindow(shown->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      app.ProcessMessages();
      GdiFlush();
      if (help && wizard) {
        helpAt = GetTickCount();
        wizard->Commands().Help();
      }
    }
    if (!painted && GetTickCount() - start > 500 && (!helpAt || GetTickCount() - helpAt > 5000)) {
      HANDLE file = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      painted = true;
    }
    Sleep(10);
  }
  return 0;
}
