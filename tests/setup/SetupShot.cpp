// For scripts/screenshot.sh setup: the background window of a sample script
// with one window over it.
//   SetupShot.exe                the folder chooser
//   SetupShot.exe page N         wizard page N (0 to 7)
//   SetupShot.exe install        the install window in progress
#include "CmnFunc2.h"
#include "InstallForm.h"
#include "InstallRules.h"
#include "Main.h"
#include "MainForm.h"
#include "SelFolderForm.h"
#include "Wizard.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

TSetupScript SampleScript() {
  TSetupScript s;
  TScriptHeader& h = s.ScriptHeader;
  h.ProgramName = "Sample Application";
  h.ProgramVerName = "Sample Application 1.5";
  h.NoticeLine = "Copyright (C) 1999 Sample Software";
  h.BackColor = 0xFF0000;  // blue
  h.DefaultDirName = "Sample";
  h.DefaultGroupName = "Sample Application";
  h.HeaderOptions = hoUninstallable | hoAllowNoIcons;
  s.LicenseText =
      "SAMPLE SOFTWARE LICENSE AGREEMENT\r\n\r\nThis is a legal agreement between you and Sample Software. By "
      "installing the program you agree to be bound by the terms of this agreement.\r\n\r\n1. You may install the "
      "program on one computer.\r\n2. You may not rent or lease the program.\r\n3. The program comes without any "
      "warranty.";
  s.InfoBeforeText = "Sample Application 1.5\r\n\r\nWhat is new:\r\n- Faster start-up\r\n- A new toolbar";
  s.InfoAfterText = "Thank you for installing Sample Application.\r\n\r\nStart it from the Start menu.";
  TScriptFile f;
  f.UncompressedSize = 2500000;
  f.CompressedSize = 1000000;
  s.FileList = {f};
  s.IconList.resize(1);
  return s;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static TSetupScript script = SampleScript();
  DeriveScriptTotals(script);
  ProgramFilesPath = ProgramFilesFolder(true);
  FirstActivationDone = true;  // the windows below are made here, not by the steps
  Application().SetTitle("Setup");
  TMainForm* main = Application().CreateForm<TMainForm>(script);
  TChooseDirForm* chooser = Application().CreateForm<TChooseDirForm>();
  main->Show();
  Application().ProcessMessages();

  const std::string what = __argc > 1 ? __argv[1] : "";
  if (what == "page" && __argc > 2) {
    const int page = std::atoi(__argv[2]);
    auto* wizard = new TWizardForm(&Application(), *main);
    wizard->ShowFirstPages();
    if (page >= 6) {
      wizard->ShowReadmeChoice();
      wizard->ShowInstCheck(true);
      wizard->ShowFinishPage(page);
    } else {
      wizard->PageIndex = static_cast<uint8_t>(page);
      wizard->UpdatePage();
    }
  } else if (what == "install") {
    DestFolder = "C:\\Program Files\\Sample";
    auto* install = new TInstallForm(&Application(), *main);
    install->Show();
    install->ShowStatus("Copying Program files...");
    install->ShowFilename("C:\\Program Files\\Sample Application\\Program Data\\Templates\\Letter.dot");
    install->SetPosition(InstallProgressMaximum(script) * 2 / 5);
  } else {
    chooser->Label1->SetCaption("Please choose the Installation Folder and click OK to continue.");
    chooser->TheEdit->SetText("C:\\windows\\Sample");
    chooser->CreateName->SetCaption("Sample");
    chooser->Show();  // above the background, as it is when a page browses
  }
  while (!Application().Terminated()) Application().HandleMessage();
  return 0;
}
