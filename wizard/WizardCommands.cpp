#include "WizardCommands.h"

#include <cctype>

#include "About.h"
#include "Dialogs.h"
#include "Forms.h"
#include "PathUtils.h"
#include "Seam.h"

const char* const kWizardFirstRunMarker = "DataFlag.Dat";
const char* const kWizardTitle = "tidy-Zaderuzo Wizard";
const char* const kWizardStubs[5] = {"Stub1.Bin", "Stub2.Bin", "Stub3.Bin", "CabStub1.Bin", "CabStub2.Bin"};

namespace {
const char* const kWarning = "tidy-Zaderuzo - WARNiNG";
const char* const kQuestion = "tidy-Zaderuzo - QUESTiON";
const char* const kOops = "tidy-Zaderuzo - OoPS!";
const char* const kError = "tidy-Zaderuzo - ERROR";
const char* const kInformation = "tidy-Zaderuzo - iNFORMATION";
const char* const kProjectFilter = "tidy-Zaderuzo Project Files|*.tpj";

std::string Upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}
}  // namespace

TWizardBox WizardBox(TWizardMessage id, const std::string& detail) {
  using M = TWizardMessage;
  switch (id) {
    case M::N1:
      return {"Since this is the first time you use this program. Please read the 'About' Section carefully.",
              kInformation, MB_ICONINFORMATION, true};
    case M::N2: return {"Please Select What Kind Of Archive You'd Like to Create.", kWarning, MB_ICONWARNING, true};
    case M::N3: return {"Pleas select anything you'd like to add to your Archive.", kWarning, MB_ICONWARNING, true};
    case M::N4: return {"Please specify the Name of your Archive!", kOops, MB_ICONINFORMATION, true};
    case M::N5:
      return {"How Strange! You want to save your Project, but you didn't specify the name of your project.", kOops,
              MB_ICONINFORMATION, true};
    case M::N6:
      return {"Project File you specified already exists. Do you wish to overwrite it?", kQuestion,
              MB_ICONQUESTION | MB_YESNO, true};
    case M::N7:
      return {"You have chosen " + detail + " Files. Do you wish to add them to the List now?", kQuestion,
              MB_ICONQUESTION | MB_OKCANCEL, true};
    case M::N8: return {"Are you sure to clear the File List?", kWarning, MB_ICONQUESTION | MB_YESNO, true};
    case M::N9: return {"File " + detail + " does not exist.", kWarning, MB_ICONWARNING, true};
    case M::N10:
      return {"Are you sure to 'Move' the Files to your Archive?\r\nAll the File(s) you selected will be Deleted!",
              "tidy-Zaderuzo - CONFiRMATiON!", MB_ICONQUESTION | MB_YESNO, false};
    case M::N11: return {"Error Opening Project File. (E" + detail + ")", "Oops!", MB_ICONWARNING, false};
    case M::N12:
      return {"Your Archive was not successfuly built yet!\r\nAre you sure to close tidy-Zaderuzo?", kQuestion,
              MB_ICONQUESTION | MB_YESNO, true};
    case M::S1:
      return {"Please make sure that all the Stub Files are located in the Application Directory.\r\nTo Obtain a new "
              "copy of tidy-Zaderuzo, please visit our web site : " +
                  detail,
              kError, MB_ICONERROR, true};
    case M::S2: return {"Specified Project File Does Not Exists!", kWarning, MB_ICONERROR, true};
    case M::S3: return {"Unknown File Extension!", kWarning, MB_ICONERROR, true};
    case M::S4: return {"Invalid Parameters Set in Command-Line!", kWarning, MB_ICONERROR, true};
    case M::S5: return {"Error Loading Project.", kError, MB_ICONERROR, false};
    case M::S6: return {"Error Loading Project", kError, MB_ICONERROR, false};
    case M::S7: return {"Nothing To Add To Your Archive.", kInformation, MB_ICONINFORMATION, true};
    case M::S8: return {"Do you wish to save your project?", kQuestion, MB_ICONQUESTION | MB_YESNO, true};
  }
  return {};
}

void LockWizardButtons(IWizardView& view, bool locked) {
  view.SetButtonEnabled(TWizardButton::Next, !locked);
  view.SetButtonEnabled(TWizardButton::Back, !locked);
  view.SetButtonEnabled(TWizardButton::Close, !locked);
  view.SetButtonVisible(TWizardButton::Close, !locked);
  view.SetButtonVisible(TWizardButton::Cancel, locked);
}

TWizardCommands::TWizardCommands(IWizardControls& controls, IWizardView& view, IProjectFileAccess& files)
    : controls_(controls), view_(view), files_(files), settings_(controls) {}

int TWizardCommands::Show(TWizardMessage id, const std::string& detail) {
  TWizardBox box = WizardBox(id, detail);
  return Seam().ShowBox(box.OwnedByApplication ? view_.AppWindow() : nullptr, box.Text, box.Caption, box.Flags);
}

void TWizardCommands::ShowError(const std::exception& e) {
  Seam().ShowBox(view_.AppWindow(), e.what(), Application().Title(), MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------
// Pages

void TWizardCommands::TogglePage(int page) { view_.ShowPage(page, PageLook(page, controls_.KindText())); }

void TWizardCommands::CheckFirstRun() {
  // Shown once a run, even when the marker cannot be deleted.
  if (firstRunShown_) return;
  const std::string marker = view_.ProgramFolder() + kWizardFirstRunMarker;
  if (!FileExistsStr(marker)) return;
  firstRunShown_ = true;
  Show(TWizardMessage::N1);
  view_.ShowAbout(true);
  DeleteFileA(marker.c_str());
}

void TWizardCommands::Next() {
  CheckFirstRun();
  using T = TWizardText;
  switch (view_.Page()) {
    case pgWelcome:
      TogglePage(pgArchiveType);
      view_.SetButtonEnabled(TWizardButton::Back, true);
      break;
    case pgArchiveType:
      if (!ArchiveKindFromText(controls_.KindText())) {
        Show(TWizardMessage::N2);
        return;
      }
      TogglePage(pgAddFiles);
      break;
    case pgAddFiles: TogglePage(pgAddFolders); break;
    case pgAddFolders: {
      if (controls_.Items(TWizardList::Files).empty() && controls_.Items(TWizardList::Folders).empty()) {
        Show(TWizardMessage::N3);
        return;
      }
      if (std::optional<std::string> page = SettingsPageOf(controls_.KindText())) view_.ShowSettingsPage(*page);
      TogglePage(pgGeneralSettings);
      break;
    }
    case pgGeneralSettings: TogglePage(pgAdvancedSettings); break;
    case pgAdvancedSettings: TogglePage(pgProjectSettings); break;
    case pgProjectSettings: {
      const bool save = controls_.SaveChosen();
      const std::string project = controls_.Text(T::projectFilename);
      if (controls_.Text(T::ProjectOutputName).empty()) {
        Show(TWizardMessage::N4);
        return;
      }
      if (save && project.empty()) {
        Show(TWizardMessage::N5);
        return;
      }
      if (save && FileExistsStr(project) && Show(TWizardMessage::N6) != IDYES) return;
      if (save) {
        try {
          SaveProject(project);
        } catch (const std::exception& e) {
          ShowError(e);
          return;
        }
      }
      MakeReport();
      view_.ProcessMessages();
      TogglePage(pgReview);
      break;
    }
    case pgReview:
      TogglePage(pgBuilding);
      Proceed();
      break;
    default: break;  // Next is disabled or hidden on pages 8 and 9
  }
}

void TWizardCommands::Back() {
  const int page = view_.Page();
  if (page == pgDone) {
    Reset();
    return;
  }
  if (page < pgArchiveType || page > pgReview) return;
  TogglePage(page - 1);
  if (page == pgArchiveType) view_.SetButtonEnabled(TWizardButton::Back, false);
}

void TWizardCommands::Reset() {
  TogglePage(pgWelcome);
  ResetWizardProject(controls_);
  StyleClick();
  view_.SetReview({});
  view_.SetButtonVisible(TWizardButton::Finish, false);
  view_.SetButtonVisible(TWizardButton::BuildNow, false);
  view_.SetButtonVisible(TWizardButton::Next, true);
  LockWizardButtons(view_, false);
  view_.SetButtonEnabled(TWizardButton::Back, false);
}

bool TWizardCommands::CloseQuery() {
  // The build runs inside a handler of this window: closing asks to cancel.
  if (view_.Building() || view_.ButtonVisible(TWizardButton::Cancel)) {
    view_.CancelBuild();
    return false;
  }
  if (view_.Page() == pgDone) return true;
  return Show(TWizardMessage::N12) == IDYES;
}

// ---------------------------------------------------------------------------
// The build

void TWizardCommands::Proceed() {
  view_.SetButtonVisible(TWizardButton::BuildNow, false);
  bool built = false;
  try {
    built = view_.Build();
  } catch (const std::exception& e) {
    // Whatever went wrong, the window is usable again.
    LockWizardButtons(view_, false);
    TogglePage(pgReview);
    ShowError(e);
    return;
  }
  if (!built) {
    LockWizardButtons(view_, false);
    TogglePage(pgReview);
    return;
  }
  Done();
}

void TWizardCommands::Done() {
  TogglePage(pgDone);
  view_.SetButtonVisible(TWizardButton::Next, false);
  view_.SetButtonEnabled(TWizardButton::Back, true);
  view_.SetButtonEnabled(TWizardButton::Close, false);
  view_.SetButtonVisible(TWizardButton::Close, false);
  view_.SetButtonVisible(TWizardButton::Cancel, false);
  view_.SetButtonVisible(TWizardButton::Finish, true);
  const std::string kind = controls_.KindText();
  view_.SetButtonEnabled(TWizardButton::Test,
                         kind == ArchiveKindText(akCabinetSFX) || kind == ArchiveKindText(akZipSFX));
}

void TWizardCommands::BuildNow() {
  if (controls_.Items(TWizardList::Files).empty() && controls_.Items(TWizardList::Folders).empty()) {
    Show(TWizardMessage::S7);
    return;
  }
  if (Show(TWizardMessage::S8) == IDYES) {
    try {
      SaveProject(controls_.Text(TWizardText::Pname));
    } catch (const std::exception& e) {
      // The project the user asked to keep was not written: build nothing yet.
      ShowError(e);
      return;
    }
  }
  MakeReport();
  TogglePage(pgBuilding);
  Proceed();
}

// ---------------------------------------------------------------------------
// Values and lists

void TWizardCommands::KindChanged() {
  if (!controls_.KindText().empty()) view_.ShowKindDescription(KindDescription(controls_.KindText()));
}

void TWizardCommands::StyleClick() { view_.ShowStyleLayout(ZipStyleLayout(CheckedZipStyle(controls_))); }

void TWizardCommands::MoveOptionClick() {
  if (controls_.Checked(TWizardCheck::CheckBox2) && Show(TWizardMessage::N10) != IDYES)
    controls_.SetChecked(TWizardCheck::CheckBox2, false);
}

void TWizardCommands::BrowseFiles() {
  TOpenDialog& dialog = view_.OpenDialog();
  dialog.FileName.clear();
  dialog.Filter.clear();
  dialog.DefaultExt.clear();
  if (!dialog.Execute()) return;
  if (dialog.Files.size() == 1) {
    controls_.SetText(TWizardText::FlatEdit1, dialog.Files.front());
    return;
  }
  if (Show(TWizardMessage::N7, std::to_string(dialog.Files.size())) == IDCANCEL) return;
  AddBrowsedFiles(controls_, dialog.Files);
}

void TWizardCommands::AddTypedFile() { ::AddTypedFile(controls_, FileExistsStr); }

void TWizardCommands::AddTypedFolder() { ::AddTypedFolder(controls_, FolderExistsStr); }

void TWizardCommands::ClearList(TWizardList which) {
  if (controls_.Items(which).empty()) return;
  if (Show(TWizardMessage::N8) == IDNO) return;
  controls_.SetItems(which, {});
}

void TWizardCommands::DropFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (FileExistsStr(path))
      controls_.AddItem(TWizardList::Files, path);
    else
      Show(TWizardMessage::N9, path);
  }
}

void TWizardCommands::BrowseFolder() {
  std::string folder;
  if (view_.BrowseFolder(folder)) controls_.SetText(TWizardText::FlatEdit2, folder);
}

void TWizardCommands::BrowseOutput() {
  TSaveDialog& dialog = view_.SaveDialog();
  const std::string kind = controls_.KindText();
  if (kind == ArchiveKindText(akCabinetArchive)) {
    dialog.Filter = "Cabinet Files|*.cab";
    dialog.DefaultExt = "cab";
  } else if (kind == ArchiveKindText(akZipArchive)) {
    dialog.Filter = "ZIP Archives|*.zip";
    dialog.DefaultExt = "zip";
  } else if (!kind.empty()) {
    dialog.Filter = "Executable Files|*.exe";
    dialog.DefaultExt = "exe";
  }
  dialog.FileName.clear();
  if (dialog.Execute()) controls_.SetText(TWizardText::ProjectOutputName, dialog.FileName);
}

void TWizardCommands::BrowseProjectFile() {
  TSaveDialog& dialog = view_.SaveDialog();
  dialog.Filter = kProjectFilter;
  dialog.DefaultExt = "tpj";
  dialog.FileName.clear();
  if (!dialog.Execute()) return;
  controls_.SetText(TWizardText::projectFilename, dialog.FileName);
  if (!dialog.FileName.empty()) controls_.SetSaveChosen(true);
}

// ---------------------------------------------------------------------------
// The project file

void TWizardCommands::SaveProject(const std::string& fileName) { SaveProjectFile(files_, fileName, settings_); }

TProjectLoad TWizardCommands::LoadProject(const std::string& fileName) {
  TWizardLoadHooks hooks;
  hooks.ShowMessage = [this](const TProjectMessage& m) {
    UINT icon = m.Kind == TBoxKind::Information ? MB_ICONINFORMATION
                : m.Kind == TBoxKind::Warning   ? MB_ICONWARNING
                                                : MB_ICONERROR;
    Seam().ShowBox(m.OwnerIsApplication ? view_.AppWindow() : nullptr, m.Text, m.Caption, MB_OK | icon);
  };
  hooks.ConfirmMove = [this] { return Show(TWizardMessage::N10) == IDYES; };
  hooks.KindSelected = [this] { KindChanged(); };
  hooks.StyleClicked = [this] { StyleClick(); };
  TWizardFileTarget target(controls_, hooks);
  TProjectLoad result = LoadProjectFileResult(files_, fileName, target, TProjectFrontEnd::Wizard);
  if (result != TProjectLoad::UnknownKind) controls_.SetSaveChosen(true);
  return result;
}

void TWizardCommands::Opened(const std::string& path) {
  controls_.SetText(TWizardText::Pname, path);
  controls_.SetText(TWizardText::projectFilename, path);
}

void TWizardCommands::OpenProject() {
  TOpenDialog& dialog = view_.OpenDialog();
  dialog.Filter = kProjectFilter;
  dialog.DefaultExt = "tpj";
  dialog.FileName.clear();
  if (!dialog.Execute()) return;
  const std::string path = dialog.FileName;
  try {
    if (LoadProject(path) == TProjectLoad::UnknownKind) {
      Show(TWizardMessage::N11, std::to_string(GetLastError()));
      return;
    }
  } catch (const std::exception& e) {
    ShowError(e);
    return;
  }
  Opened(path);
  ShowOpened();
}

void TWizardCommands::ShowOpened() {
  TogglePage(pgAddFiles);
  view_.SetButtonEnabled(TWizardButton::Back, true);
  view_.SetButtonVisible(TWizardButton::BuildNow, true);
}

void TWizardCommands::MakeReport() { view_.SetReview(::MakeReport(controls_)); }

// ---------------------------------------------------------------------------
// Test run and help

void TWizardCommands::TestRun() {
  std::optional<std::string> line = WizardTestRunCommandLine(controls_);
  if (!line) return;
  PROCESS_INFORMATION pi{};
  if (Seam().StartProgram(*line, "", SW_SHOWNORMAL, pi)) {
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
  }
}

void TWizardCommands::Help() {
  if (Application().HelpCommand(HELP_CONTENTS, 0)) Application().HelpJump(WizardPageInfo(view_.Page()).HelpTopic);
}

// ---------------------------------------------------------------------------
// Start-up

bool TWizardCommands::Start(const std::vector<std::string>& arguments) {
  const std::string folder = view_.ProgramFolder();
  Application().SetHelpFile(folder + "Mainhelp.hlp");
  for (const char* stub : kWizardStubs) {
    if (FileExistsStr(folder + stub)) continue;
    Show(TWizardMessage::S1, kMakerHomePage);
    if (CloseQuery()) return false;
    break;
  }
  TogglePage(pgWelcome);
  view_.ShowMainWindow();
  if (arguments.size() == 1) OpenArgument(arguments[0]);
  if (arguments.size() == 2) BuildArgument(arguments[0], arguments[1]);
  return true;
}

bool TWizardCommands::LoadArgument(const std::string& path, TWizardMessage failed, bool wholeOnly) {
  if (!FileExistsStr(path)) {
    Show(TWizardMessage::S2);
    return false;
  }
  if (UpperExtension(path) != ".TPJ") {
    Show(TWizardMessage::S3);
    return false;
  }
  try {
    const TProjectLoad result = LoadProject(path);
    if (result == TProjectLoad::UnknownKind || (wholeOnly && result != TProjectLoad::Complete)) {
      Show(failed);
      return false;
    }
  } catch (const std::exception& e) {
    ShowError(e);
    return false;
  }
  Opened(path);
  return true;
}

void TWizardCommands::OpenArgument(const std::string& path) {
  if (LoadArgument(path, TWizardMessage::S5, false)) ShowOpened();
}

void TWizardCommands::BuildArgument(const std::string& path, const std::string& switchText) {
  if (Upper(switchText) != "/B") {
    Show(TWizardMessage::S4);
    return;
  }
  // A load that stopped part-way holds only part of the project: it is
  // never built at once.
  if (!LoadArgument(path, TWizardMessage::S6, true)) return;
  view_.ShowMainWindow();
  view_.ProcessMessages();
  TogglePage(pgWelcome);
  view_.SetButtonEnabled(TWizardButton::Back, true);
  view_.SetButtonVisible(TWizardButton::BuildNow, true);
  if (controls_.Items(TWizardList::Files).empty() && controls_.Items(TWizardList::Folders).empty()) {
    Show(TWizardMessage::S7);
    return;
  }
  MakeReport();
  TogglePage(pgBuilding);
  Proceed();
}
