// For scripts/screenshot.sh: the background window of a sample script with
// the folder chooser over it.
#include "Main.h"
#include "MainForm.h"
#include "SelFolderForm.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static TSetupScript script;
  script.ScriptHeader.ProgramName = "Sample Application";
  script.ScriptHeader.NoticeLine = "Copyright (C) 1999 Sample Software";
  script.ScriptHeader.BackColor = 0xFF0000;  // blue
  FirstActivationDone = true;         // the background only: no wizard
  Application().SetTitle("Setup");
  TMainForm* main = Application().CreateForm<TMainForm>(script);
  TChooseDirForm* chooser = Application().CreateForm<TChooseDirForm>();
  chooser->Label1->SetCaption("Please choose the Installation Folder and click OK to continue.");
  chooser->TheEdit->SetText("C:\\windows\\Sample");
  chooser->CreateName->SetCaption("Sample");
  main->Show();
  Application().ProcessMessages();
  chooser->Show();  // above the background, as it is when a page browses
  while (!Application().Terminated()) Application().HandleMessage();
  return 0;
}
