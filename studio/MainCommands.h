// The Studio main window's commands over its controls: New, Open, Save,
// Save As, closing, the command-line project, the source list commands,
// Build and the test run. Boxes and dialogs go through the seam; what only
// the window can do goes through IStudioView.
#pragma once
#include <windows.h>

#include <string>

#include "BuildWindow.h"
#include "MainValues.h"
#include "ProjectFile.h"

// "DataFlag.Da2" beside the program: the About text has not been shown yet.
extern const char* const kFirstRunMarker;
// "tidy-Zaderuzo Studio": the application title and the caption of its boxes.
extern const char* const kStudioTitle;
// The caption of a project without a file.
extern const char* const kUntitledCaption;  // "My Project"
// `CurrentProjectFile` while the project has no file.
extern const char* const kNoProjectFile;    // "<>"

class IStudioView {
public:
  virtual ~IStudioView() = default;
  // Owner of the boxes that have the application window as owner.
  virtual HWND AppWindow() = 0;
  // Status bar text, shown at once.
  virtual void SetStatus(const std::string& text) = 0;
  // Project name in the caption bar.
  virtual void SetProjectCaption(const std::string& name) = 0;
  // Shows and enables the controls of the kind, or of the style tab.
  virtual void ShowKind(TArchiveKind kind) = 0;
  virtual void ShowStyle(int tab) = 0;
  // Side bar on its first page, the Archive Info page shown.
  virtual void ShowFirstPages() = 0;
  // Remembers the page shown, disables the pages, side bar, "&File" and
  // "&Navigate" and the Build, New, Open and Save buttons, and shows the
  // processing page. UnlockAfterBuild undoes all of it.
  virtual void LockForBuild() = 0;
  virtual void UnlockAfterBuild() = 0;
  virtual void SetTestEnabled(bool on) = 0;
  // The page the self-extraction settings show.
  virtual TSfxPage SfxPage() const = 0;
  // The About box with its OK button held until the text ran through once.
  virtual void ShowAboutHeld() = 0;
  // The folder of the running program, with a trailing backslash.
  virtual std::string ProgramFolder() const = 0;
};

class TStudioCommands {
public:
  TStudioCommands(IStudioControls& controls, IStudioView& view, IProjectFileAccess& files);

  void SetBuildWindow(IBuildWindow* window) { build_ = window; }
  IBuildWindow* BuildWindow() const { return build_; }
  // What the build window reads.
  const IProjectSettings& Settings() const { return settings_; }

  bool ProjectModified = false;
  std::string CurrentProjectFile = kNoProjectFile;
  // True from the start of a Build command to its end.
  bool Building() const { return building_; }

  // Every change handler: the project changed, the test button goes grey.
  void Changed();
  // Kind button clicked, or a load selected it.
  void KindClick(TArchiveKind kind);
  // Style tab about to change to `tab`.
  void StyleChange(int tab);

  // The project file operations; both throw Exception on an I/O error,
  // LoadProject also on a bad number. LoadProject returns false after an
  // unrecognised kind.
  void SaveProject(const std::string& fileName);
  bool LoadProject(const std::string& fileName);

  void New();
  void Open();
  void Save();
  void SaveAs();
  // Closing the window: false keeps it open.
  bool CloseQuery();
  // The project named as the first command-line argument, when it is an
  // existing file.
  void LoadCommandLine(const std::string& argument);

  void BrowseOutput();
  void AddFolder(const std::string& directory);
  void AddFile(const std::string& path);

  void Build();
  void TestRun();

  // Filter and default extension the one save dialog holds.
  const TDialogFilter& SaveDialogFilter() const { return saveFilter_; }

private:
  // Shows the save dialog with its current filter; empty when cancelled.
  std::string SaveDialog();
  // Saves, showing an error box on failure.
  bool TrySave(const std::string& fileName);
  // The save a prompt offers: to the current file or through the dialog,
  // leaving CurrentProjectFile as it is. False when cancelled or failed.
  bool PromptSave(bool setProjectFilter);
  void ShowError(const std::string& message);
  void ShowProjectMessage(const TProjectMessage& message);
  void Reset();

  IStudioControls& controls_;
  IStudioView& view_;
  IProjectFileAccess& files_;
  IBuildWindow* build_ = nullptr;
  TStudioSettings settings_;
  TDialogFilter saveFilter_;
  bool building_ = false;
};
