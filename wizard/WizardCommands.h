// The wizard window's commands over its controls: the page moves and their
// checks, the lists, the project file, the build on page 8 and its button
// states, Reset, the close guard, the test run, help, and the start-up with
// its stub check and command line. Boxes and dialogs go through the seam;
// what only the window can do goes through IWizardView.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ProjectFile.h"
#include "WizardValues.h"

class TOpenDialog;
class TSaveDialog;

// "DataFlag.Dat" beside the program: the About text has not been shown yet.
extern const char* const kWizardFirstRunMarker;
// "tidy-Zaderuzo Wizard": the application title.
extern const char* const kWizardTitle;
// The five extractor stubs, in the order they are checked.
extern const char* const kWizardStubs[5];

// The buttons of the window.
enum class TWizardButton { Next, Back, Close, Cancel, Finish, BuildNow, Test };

// The messages of the window and of its start-up.
enum class TWizardMessage { N1, N2, N3, N4, N5, N6, N7, N8, N9, N10, N11, N12, S1, S2, S3, S4, S5, S6, S7, S8 };

struct TWizardBox {
  std::string Text, Caption;
  UINT Flags;  // icon and buttons, as MessageBox takes them
  bool OwnedByApplication;
};
// `detail` fills the variable part: the count of N7, the path of N9, the
// error code of N11, the web address of S1.
TWizardBox WizardBox(TWizardMessage id, const std::string& detail = {});

class IWizardView {
public:
  virtual ~IWizardView() = default;
  // Owner of the boxes that have the application window as owner.
  virtual HWND AppWindow() = 0;
  virtual int Page() const = 0;
  // `TogglePage`: the page, the step bar, Next's caption, the title
  // (repainted at once) and the option boxes of page 5.
  virtual void ShowPage(int page, const TPageLook& look) = 0;
  // The `Notebook2` page of the kind's settings.
  virtual void ShowSettingsPage(const std::string& name) = 0;
  virtual bool ButtonVisible(TWizardButton button) const = 0;
  virtual bool ButtonEnabled(TWizardButton button) const = 0;
  virtual void SetButtonVisible(TWizardButton button, bool visible) = 0;
  virtual void SetButtonEnabled(TWizardButton button, bool enabled) = 0;
  // `Label5`.
  virtual void ShowKindDescription(const std::string& text) = 0;
  // Enables the extraction settings by the style.
  virtual void ShowStyleLayout(const TZipStyleLayout& layout) = 0;
  // `Memo1`, scrolled to its first line with everything selected.
  virtual void SetReview(const std::vector<std::string>& lines) = 0;
  virtual void ShowAbout(bool holdOk) = 0;
  virtual void ShowContact() = 0;
  virtual TOpenDialog& OpenDialog() = 0;
  virtual TSaveDialog& SaveDialog() = 0;
  // The folder browser; false when nothing was chosen.
  virtual bool BrowseFolder(std::string& folder) = 0;
  // The folder of the running program, with a trailing backslash.
  virtual std::string ProgramFolder() const = 0;
  virtual void ProcessMessages() = 0;
  // Shows the window, repainted, with the focus on Next.
  virtual void ShowMainWindow() = 0;
  // Runs the build steps; true when the package was built. The steps lock
  // and unlock the buttons through the window.
  virtual bool Build() = 0;
  virtual bool Building() const = 0;
  // The Cancel button's handler.
  virtual void CancelBuild() = 0;
  // Asks the window to close (the close guard decides).
  virtual void CloseWindow() = 0;
};

// The button states of a build: locked while it runs, unlocked after.
void LockWizardButtons(IWizardView& view, bool locked);

class TWizardCommands {
public:
  TWizardCommands(IWizardControls& controls, IWizardView& view, IProjectFileAccess& files);

  // What the engine and the project file writer read.
  const IProjectSettings& Settings() const { return settings_; }

  // Start-up, as the window is made: the help file, the stub check, page 0
  // shown, then the command line. False when the program is to end.
  bool Start(const std::vector<std::string>& arguments);

  void TogglePage(int page);
  void Next();
  void Back();
  void Finish() { view_.CloseWindow(); }
  // The close guard: false keeps the window.
  bool CloseQuery();
  void BuildNow();
  void Proceed();

  void KindChanged();
  void SaveOptionClick() { controls_.SetSaveChosen(!controls_.SaveChosen()); }
  void StyleClick();
  // `CheckBox2` changed: a new check asks the move confirmation.
  void MoveOptionClick();

  void BrowseFiles();
  void AddTypedFile();
  void RemoveFiles() { RemoveSelected(controls_, TWizardList::Files); }
  void ClearList(TWizardList which);
  void DropFiles(const std::vector<std::string>& paths);
  void BrowseFolder();
  void AddTypedFolder();
  void RemoveFolders() { RemoveSelected(controls_, TWizardList::Folders); }
  void BrowseOutput();
  void BrowseProjectFile();

  void OpenProject();
  void MakeReport();
  void TestRun();
  void Help();

  // The project file operations. Saving throws Exception; loading throws
  // when the file cannot be opened.
  void SaveProject(const std::string& fileName);
  TProjectLoad LoadProject(const std::string& fileName);

private:
  int Show(TWizardMessage id, const std::string& detail = {});
  void ShowError(const std::exception& e);
  void CheckFirstRun();
  // After a load that named a kind: the path kept; then page 2, Back and
  // Build Now.
  void Opened(const std::string& path);
  void ShowOpened();
  // The project named on the command line: an existing ".TPJ" file,
  // loaded (whole only, when `wholeOnly`). False after its message.
  bool LoadArgument(const std::string& path, TWizardMessage failed, bool wholeOnly);
  void OpenArgument(const std::string& path);
  void BuildArgument(const std::string& path, const std::string& switchText);
  void Reset();
  void Done();

  IWizardControls& controls_;
  IWizardView& view_;
  IProjectFileAccess& files_;
  TWizardSettings settings_;
  bool firstRunShown_ = false;
};
