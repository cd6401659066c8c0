#include "MainCommands.h"

#include <vector>

#include "Guards.h"
#include "PathUtils.h"
#include "Seam.h"

const char* const kFirstRunMarker = "DataFlag.Da2";
const char* const kStudioTitle = "tidy-Zaderuzo Studio";
const char* const kUntitledCaption = "My Project";
const char* const kNoProjectFile = "<>";

namespace {
// A common dialog's filter: "a|b" becomes "a\0b\0\0".
std::string DialogFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::string f = filter;
  for (char& ch : f)
    if (ch == '|') ch = '\0';
  f.push_back('\0');
  f.push_back('\0');
  return f;
}

// Runs a file dialog through the seam; empty when cancelled.
std::string FileDialog(HWND owner, const TDialogFilter& filter, bool save) {
  std::vector<char> name(32768, '\0');
  std::string f = DialogFilter(filter.Filter);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = f.empty() ? nullptr : f.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = filter.DefaultExt.empty() ? nullptr : filter.DefaultExt.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  bool ok = save ? Seam().SaveFileDialog(ofn) : Seam().OpenFileDialog(ofn);
  if (!ok) return {};
  return std::string(name.data());
}

UINT BoxIcon(TBoxKind kind) {
  switch (kind) {
    case TBoxKind::Information: return MB_ICONINFORMATION;
    case TBoxKind::Warning: return MB_ICONWARNING;
    case TBoxKind::Error: return MB_ICONERROR;
  }
  return 0;
}
}  // namespace

TStudioCommands::TStudioCommands(IStudioControls& controls, IStudioView& view, IProjectFileAccess& files)
    : controls_(controls), view_(view), files_(files), settings_(controls, &CurrentProjectFile) {}

void TStudioCommands::Changed() {
  ProjectModified = true;
  view_.SetTestEnabled(false);
}

void TStudioCommands::KindClick(TArchiveKind kind) {
  view_.ShowKind(kind);
  Changed();
}

void TStudioCommands::StyleChange(int tab) {
  view_.ShowStyle(tab);
  Changed();
}

void TStudioCommands::ShowError(const std::string& message) {
  Seam().ShowBox(view_.AppWindow(), message, kStudioTitle, MB_OK | MB_ICONERROR);
}

void TStudioCommands::ShowProjectMessage(const TProjectMessage& m) {
  Seam().ShowBox(m.OwnerIsApplication ? view_.AppWindow() : nullptr, m.Text, m.Caption, MB_OK | BoxIcon(m.Kind));
}

void TStudioCommands::SaveProject(const std::string& fileName) {
  SaveProjectFile(files_, fileName, settings_);
  ProjectModified = false;
}

void TStudioCommands::Reset() {
  ResetToNewProject(controls_);
  view_.ShowKind(akCabinetArchive);
  view_.ShowStyle(0);
  view_.ShowFirstPages();
}

bool TStudioCommands::LoadProject(const std::string& fileName) {
  Reset();
  ProjectModified = false;
  TStudioFileTarget target(controls_, [this](const TProjectMessage& m) { ShowProjectMessage(m); });
  if (!LoadProjectFile(files_, fileName, target, TProjectFrontEnd::Studio)) return false;
  view_.ShowStyle(controls_.StyleTab());
  if (std::optional<TArchiveKind> kind = CheckedKind(controls_)) KindClick(*kind);
  return true;
}

bool TStudioCommands::TrySave(const std::string& fileName) {
  try {
    SaveProject(fileName);
    return true;
  } catch (const Exception& e) {
    ShowError(e.Message());
    return false;
  }
}

std::string TStudioCommands::SaveDialog() { return FileDialog(view_.AppWindow(), saveFilter_, true); }

bool TStudioCommands::PromptSave(bool setProjectFilter) {
  if (setProjectFilter) saveFilter_ = ProjectFilter();
  if (CurrentProjectFile != kNoProjectFile) return TrySave(CurrentProjectFile);
  std::string name = SaveDialog();
  return !name.empty() && TrySave(name);
}

void TStudioCommands::New() {
  if (building_) return;
  if (ProjectModified) {
    int answer = Seam().ShowBox(nullptr, "Your tidy-Package Project has been modified. Do you wish to save it now?",
                                kStudioTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer == IDYES && !PromptSave(true)) return;
  }
  CurrentProjectFile = kNoProjectFile;
  Reset();
  ProjectModified = false;
  view_.SetProjectCaption(kUntitledCaption);
}

void TStudioCommands::Open() {
  if (building_) return;
  if (ProjectModified) {
    int answer = Seam().ShowBox(view_.AppWindow(), "Your Setup Project has been modified. Do you wish to save it now?",
                                "tidy Setup-Zaderuzo - QUESTiON", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer == IDYES && !PromptSave(false)) return;
  }
  std::string name = FileDialog(view_.AppWindow(), ProjectFilter(), false);
  if (name.empty()) return;

  // A load that fails part-way would leave a half-read project under the
  // previous project's file name, which the next Save would overwrite:
  // keep the previous project instead.
  TStudioValues previous;
  CopyControls(controls_, previous);
  bool wasModified = ProjectModified;
  bool loaded = false;
  try {
    loaded = LoadProject(name);
  } catch (const Exception& e) {
    ShowError(e.Message());
  }
  if (!loaded) {
    CopyControls(previous, controls_);
    if (std::optional<TArchiveKind> kind = CheckedKind(controls_)) view_.ShowKind(*kind);
    view_.ShowStyle(controls_.StyleTab());
    ProjectModified = wasModified;
    return;
  }
  CurrentProjectFile = name;
  ProjectModified = false;
  view_.SetProjectCaption(FileNameOnly(name));
}

void TStudioCommands::Save() {
  if (building_) return;
  if (CurrentProjectFile != kNoProjectFile) {
    view_.SetStatus("Saving Project...");
    if (!TrySave(CurrentProjectFile)) return;
    view_.SetStatus("");
    return;
  }
  saveFilter_ = ProjectFilter();
  std::string name = SaveDialog();
  if (name.empty() || !TrySave(name)) return;
  CurrentProjectFile = name;
  view_.SetProjectCaption(FileNameOnly(name));
}

void TStudioCommands::SaveAs() {
  if (building_) return;
  std::string name = SaveDialog();
  if (name.empty() || !TrySave(name)) return;
  CurrentProjectFile = name;
  view_.SetProjectCaption(FileNameOnly(name));
}

bool TStudioCommands::CloseQuery() {
  // The build runs inside a handler of this window: it must not go away
  // under it.
  if (building_) return false;
  if (!ProjectModified) return true;
  int answer = Seam().ShowBox(view_.AppWindow(), "Your tidy-Zaderuzo Project has been modified. Do you wish to save it now?",
                              kStudioTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  if (answer == IDNO) return true;
  // A save that failed keeps the window, and with it the project, open.
  return PromptSave(true);
}

void TStudioCommands::LoadCommandLine(const std::string& argument) {
  if (argument.empty() || !FileExistsStr(argument)) return;
  try {
    LoadProject(argument);
  } catch (const Exception& e) {
    ShowError(e.Message());
  }
}

void TStudioCommands::BrowseOutput() {
  saveFilter_ = OutputFilter(CheckedKind(controls_));
  std::string name = SaveDialog();
  if (!name.empty()) controls_.SetText(TStudioText::e2, name);
}

void TStudioCommands::AddFolder(const std::string& directory) {
  if (HasSourceCaption(controls_.SourceEntries(), directory)) return;
  controls_.AddSource({directory, kFolderImage});
  Changed();
}

void TStudioCommands::AddFile(const std::string& path) {
  // Nothing clicked yet, or a file gone since: nothing to add.
  bool folder = !FileExistsStr(path) && FolderExistsStr(path);
  if (path.empty() || (!folder && !FileExistsStr(path))) return;
  if (HasSourceCaption(controls_.SourceEntries(), path)) return;
  controls_.AddSource({path, folder ? kFolderImage : kFileImage});
  Changed();
}

void TStudioCommands::Build() {
  // Status texts and the build let messages run, so the command can be
  // asked for again (a shortcut, a second click) before it has ended.
  if (building_) return;
  TFlagGuard busy(building_);

  view_.SetStatus(kValidatingStatus);
  std::string failed = ValidateBuild(controls_);
  if (!failed.empty()) {
    view_.SetStatus(failed);
    return;
  }

  std::string marker = view_.ProgramFolder() + kFirstRunMarker;
  if (FileExistsStr(marker)) {
    Seam().ShowBox(view_.AppWindow(),
                   "Since this is the first time you use this program. Please read the 'About' Section carefully.",
                   "tidy Disk-Zaderuzo - iNFORMATION", MB_OK | MB_ICONINFORMATION);
    view_.ShowAboutHeld();
    DeleteFileA(marker.c_str());
  }

  view_.SetStatus(kProcessingStatus);
  view_.LockForBuild();
  bool ok = false;
  DWORD code = 0;
  try {
    if (build_) {
      build_->Show();
      ok = build_->Proceed();
    }
    code = GetLastError();
  } catch (...) {
    view_.UnlockAfterBuild();
    view_.SetStatus("");
    throw;
  }

  if (!ok) {
    Seam().ShowBox(nullptr,
                   "There was an error while compressing/processing your Archive. The error Code was " +
                       std::to_string(code),
                   kStudioTitle, MB_OK | MB_ICONWARNING);
    view_.UnlockAfterBuild();
    view_.SetStatus("");
    return;
  }
  view_.UnlockAfterBuild();
  view_.SetStatus("");
  if (IsExeName(controls_.Text(TStudioText::e2))) {
    int answer = Seam().ShowBox(nullptr, "Do you wish to test the Self-Extracting Archive right now?", kStudioTitle,
                                MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) TestRun();
    view_.SetTestEnabled(true);
  }
}

void TStudioCommands::TestRun() {
  std::string output = controls_.Text(TStudioText::e2);
  if (!IsExeName(output)) return;
  PROCESS_INFORMATION pi{};
  if (Seam().StartProgram(TestRunCommandLine(output, view_.SfxPage(), controls_.StyleTab()), "", SW_SHOWNORMAL, pi)) {
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
  }
}
