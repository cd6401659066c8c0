// Shows the Studio's main window for a screenshot: a project, then one of
// its pages as the user would reach it, with the kind and style tab that
// page needs; ends after the given number of seconds.
//   ShowStudio PROJECT PAGE [KIND [TAB [SECONDS [help|menu|f1]]]]
// KIND is 1 to 4 for the kind buttons; 0 or none keeps the project's. With
// "help", Help > Contents is chosen once the page shows; with "menu", the
// File menu is opened from the keyboard; with "f1", F1 is pressed on the
// kind button KIND.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "AnimMainMenu.h"
#include "AnimPopup.h"
#include "Main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication& app = Application();
  app.SetTitle(kStudioTitle);
  auto arg = [](int i, int fallback) { return __argc > i ? std::atoi(__argv[i]) : fallback; };
  try {
    TForm1* form = app.CreateForm<TForm1>();
    if (__argc > 1) form->OpenCommandLineProject(__argv[1]);
    int page = arg(2, pgArchiveInfo), kind = arg(3, 0), tab = arg(4, -1);
    TRadioButton* const kinds[] = {form->r1, form->r2, form->r3, form->r4};
    if (kind >= 1 && kind <= 4) kinds[kind - 1]->SetChecked(true);
    if (tab >= 0) form->TabSet1->SelectTab(tab);
    form->Show();
    app.ProcessMessages();  // the folder pane fills once the window is up
    // The tree near the top, where its names fit beside each other.
    if (page == pgSourceFiles) {
      char windows[MAX_PATH];
      GetWindowsDirectoryA(windows, MAX_PATH);
      form->SourceDirView->SetDirectory(windows);
    }
    form->SideBar1->SetActivePage(page == pgCompression || page == pgSelfExtraction ? form->SideSettings
                                                                                    : form->SideBasic);
    if (page == pgProcessing)
      form->LockForBuild();
    else
      form->ShowPage(page);
    const std::string last = __argc > 6 ? __argv[6] : "";
    if (last == "help") form->Command(cmHelpContents);
    if (last == "f1" && kind >= 1 && kind <= 4) {
      app.ProcessMessages();
      HWND button = kinds[kind - 1]->Handle();
      SetFocus(button);
      PostMessageA(button, WM_KEYDOWN, VK_F1, 1 | (MapVirtualKeyA(VK_F1, 0) << 16));
    }
    if (last == "menu") {
      app.ProcessMessages();
      TMenuBarButton* file = form->MenuBar1->Buttons().front();
      PrepareKeyboardOpen(file);
      file->Click();
    }
    DWORD end = GetTickCount() + 1000u * static_cast<DWORD>(arg(5, 10));
    while (GetTickCount() < end && form->Visible()) {
      app.ProcessMessages();
      Sleep(10);
    }
  } catch (...) {
    app.HandleException();
    return 1;
  }
  return 0;
}
