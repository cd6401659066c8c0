#include "MainCommands.h"

#include <gtest/gtest.h>

#include <functional>

#include "ProjectFileDisk.h"
#include "Robot.h"
#include "TestPaths.h"

namespace {

using T = TStudioText;
using C = TStudioCheck;

class TFakeView : public IStudioView {
public:
  std::vector<std::string> Statuses;
  std::string Caption = "My Project";
  std::vector<TArchiveKind> Kinds;
  int Style = -1;
  bool Locked = false;
  int Locks = 0;
  bool TestEnabled = false;
  TSfxPage Page = TSfxPage::Zip;
  int AboutHeld = 0;
  std::string Folder;

  HWND AppWindow() override { return nullptr; }
  void SetStatus(const std::string& text) override { Statuses.push_back(text); }
  void SetProjectCaption(const std::string& name) override { Caption = name; }
  void ShowKind(TArchiveKind kind) override {
    Kinds.push_back(kind);
    if (KindLayout(kind).SfxPage) Page = *KindLayout(kind).SfxPage;
  }
  void ShowStyle(int tab) override { Style = tab; }
  void ShowFirstPages() override {}
  void LockForBuild() override {
    Locked = true;
    ++Locks;
  }
  void UnlockAfterBuild() override { Locked = false; }
  void SetTestEnabled(bool on) override { TestEnabled = on; }
  TSfxPage SfxPage() const override { return Page; }
  void ShowAboutHeld() override { ++AboutHeld; }
  std::string ProgramFolder() const override { return Folder; }
  std::string LastStatus() const { return Statuses.empty() ? "(none)" : Statuses.back(); }
};

class TFakeBuild : public IBuildWindow {
public:
  bool Result = true;
  DWORD Code = 0;
  int Shown = 0, Runs = 0;
  std::function<void()> During;
  void Show() override { ++Shown; }
  bool Proceed() override {
    ++Runs;
    if (During) During();
    SetLastError(Code);
    return Result;
  }
};

class StudioCommands : public ::testing::Test {
protected:
  StudioCommands() : cmd(values, view, files) {
    view.Folder = dir.Path() + "\\";
    cmd.SetBuildWindow(&build);
  }

  // A project that passes the build checks.
  void FillValid(const std::string& output = "C:\\OUT\\A.CAB") {
    values.SetText(T::e1, "Title");
    values.SetText(T::e2, output);
    values.AddSource({"C:\\DATA\\A.TXT", kFileImage});
  }
  void SelectKind(TArchiveKind kind) {
    CheckKind(values, kind);
    cmd.KindClick(kind);
  }
  std::string Marker() const { return dir / "DataFlag.Da2"; }

  TTempDir dir;
  TRobot robot;
  TStudioValues values;
  TFakeView view;
  TDiskProjectFiles files;
  TFakeBuild build;
  TStudioCommands cmd;
};

TEST_F(StudioCommands, FailedCheckShowsItsTextOnlyAndBuildsNothing) {
  values.SetText(T::pass1, "a");  // a cabinet kind: the entries are disabled, still compared
  cmd.Build();
  EXPECT_EQ(view.Statuses, (std::vector<std::string>{"Validating Archive Information...",
                                                     "The Passwords you entered does not match, cannot proceed."}));
  values.SetText(T::pass1, "");
  cmd.Build();
  EXPECT_EQ(view.LastStatus(), "No Files or Folders to add");  // the title is empty too
  EXPECT_EQ(build.Runs, 0);
  EXPECT_EQ(view.Locks, 0);
  EXPECT_TRUE(robot.Boxes.empty());
}

TEST_F(StudioCommands, FirstRunMarkerIsConsumedOnceByABuildThatPassesTheChecks) {
  WriteFileBytes(Marker(), "");
  cmd.Build();  // fails a check
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(view.AboutHeld, 0);

  FillValid();
  cmd.Build();
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text,
            "Since this is the first time you use this program. Please read the 'About' Section carefully.");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy Disk-Zaderuzo - iNFORMATION");
  EXPECT_EQ(robot.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(view.AboutHeld, 1);
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_EQ(build.Runs, 1);

  cmd.Build();
  EXPECT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(view.AboutHeld, 1);
  EXPECT_EQ(build.Runs, 2);
}

TEST_F(StudioCommands, SuccessfulBuildUnlocksAndOffersTheTestRunOfAnExe) {
  FillValid("C:\\OUT\\SETUP.EXE");
  SelectKind(akCabinetSFX);
  robot.Answers = {IDYES};
  cmd.Build();
  EXPECT_EQ(build.Shown, 1);
  EXPECT_FALSE(view.Locked);
  EXPECT_EQ(view.Locks, 1);
  EXPECT_EQ(view.Statuses.back(), "");
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Do you wish to test the Self-Extracting Archive right now?");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo Studio");
  EXPECT_EQ(robot.Boxes[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(robot.Programs, (std::vector<std::string>{"C:\\OUT\\SETUP.EXE /d"}));
  EXPECT_TRUE(view.TestEnabled);

  // No: nothing started, the button is still enabled; a change greys it.
  robot.Answers = {IDNO};
  cmd.Build();
  EXPECT_EQ(robot.Programs.size(), 1u);
  EXPECT_TRUE(view.TestEnabled);
  cmd.Changed();
  EXPECT_FALSE(view.TestEnabled);

  // Not an ".exe": no question.
  values.SetText(T::e2, "C:\\OUT\\A.CAB");
  cmd.Build();
  EXPECT_EQ(robot.Boxes.size(), 2u);
}

TEST_F(StudioCommands, TestRunArguments) {
  struct Row {
    TArchiveKind kind;
    int tab;
    const char* output;
    const char* expected;
  } rows[] = {
      {akCabinetSFX, 0, "C:\\OUT\\C.EXE", "C:\\OUT\\C.EXE /d"},
      {akZipSFX, 2, "C:\\OUT\\D.exe", "C:\\OUT\\D.exe -t"},
      {akZipSFX, 0, "C:\\OUT\\S.Exe", "C:\\OUT\\S.Exe"},
      {akZipSFX, 1, "C:\\OUT\\A.EXE", "C:\\OUT\\A.EXE"},
      {akZipSFX, 2, "C:\\My Output\\D.EXE", "\"C:\\My Output\\D.EXE\" -t"},
  };
  for (const Row& row : rows) {
    robot.Programs.clear();
    SelectKind(row.kind);
    values.SetStyleTab(row.tab);
    values.SetText(T::e2, row.output);
    cmd.TestRun();
    EXPECT_EQ(robot.Programs, (std::vector<std::string>{row.expected})) << row.output;
  }
  robot.Programs.clear();
  values.SetText(T::e2, "C:\\OUT\\A.ZIP");
  cmd.TestRun();
  EXPECT_TRUE(robot.Programs.empty());
}

TEST_F(StudioCommands, FailedBuildReportsTheLastErrorCodeThenUnlocks) {
  FillValid("C:\\OUT\\A.EXE");
  build.Result = false;
  build.Code = 1234;
  cmd.Build();
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text,
            "There was an error while compressing/processing your Archive. The error Code was 1234");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo Studio");
  EXPECT_EQ(robot.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_FALSE(cmd.Building());
  EXPECT_FALSE(view.TestEnabled);
  EXPECT_TRUE(robot.Programs.empty());
}

TEST_F(StudioCommands, WhileABuildRunsNothingElseStartsAndTheWindowStays) {
  FillValid();
  cmd.ProjectModified = true;
  bool closeAllowed = true;
  build.During = [&] {
    EXPECT_TRUE(cmd.Building());
    EXPECT_TRUE(view.Locked);
    cmd.Build();  // a second request, e.g. Ctrl+F9 while messages run
    closeAllowed = cmd.CloseQuery();
    cmd.New();
    cmd.Open();
    cmd.Save();
    cmd.SaveAs();
  };
  cmd.Build();
  EXPECT_EQ(build.Runs, 1);
  EXPECT_FALSE(closeAllowed);
  EXPECT_TRUE(robot.Boxes.empty());  // no prompt and no dialog
  EXPECT_EQ(robot.Unscripted, 0);
  EXPECT_EQ(values.Text(T::e1), "Title");
  EXPECT_FALSE(cmd.Building());

  // An exception out of the build still unlocks the window.
  build.During = [] { throw Exception("Cabinet error 1 (type 0)"); };
  EXPECT_THROW(cmd.Build(), Exception);
  EXPECT_FALSE(cmd.Building());
  EXPECT_FALSE(view.Locked);
  build.During = nullptr;
  cmd.Build();
  EXPECT_EQ(build.Runs, 3);
}

// ---------------------------------------------------------------------------
// Project commands.

TEST_F(StudioCommands, NewAsksOnlyWhenModified) {
  view.Caption = "Old.tpj";
  cmd.CurrentProjectFile = "C:\\Old.tpj";
  cmd.New();
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(view.Caption, "My Project");
  EXPECT_EQ(cmd.CurrentProjectFile, "<>");

  values.SetText(T::e1, "Changed");
  cmd.Changed();
  robot.Answers = {IDCANCEL};
  cmd.New();
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Your tidy-Package Project has been modified. Do you wish to save it now?");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo Studio");
  EXPECT_EQ(robot.Boxes[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNOCANCEL));
  EXPECT_EQ(values.Text(T::e1), "Changed");

  // Yes on an untitled project: the save dialog, with the project filter.
  robot.Answers = {IDYES};
  robot.FileNames = {dir / "Saved.tpj"};
  cmd.New();
  EXPECT_TRUE(FileExists(dir / "Saved.tpj"));
  EXPECT_EQ(cmd.SaveDialogFilter().Filter, "tidy-Zaderuzo Project Files|*.tpj");
  EXPECT_EQ(values, TStudioValues());
  EXPECT_FALSE(cmd.ProjectModified);
  EXPECT_EQ(cmd.CurrentProjectFile, "<>");

  // Yes, then Cancel in the dialog: nothing changes.
  values.SetText(T::e1, "Again");
  cmd.Changed();
  robot.Answers = {IDYES};
  robot.FileNames = {""};
  cmd.New();
  EXPECT_EQ(values.Text(T::e1), "Again");
}

TEST_F(StudioCommands, OpenSaveAndSaveAsNameTheProject) {
  FillValid();
  values.SetText(T::e1, "First");
  robot.FileNames = {dir / "First.tpj"};
  cmd.Save();  // untitled: asks for a name
  EXPECT_EQ(cmd.CurrentProjectFile, dir / "First.tpj");
  EXPECT_EQ(view.Caption, "First.tpj");
  EXPECT_FALSE(cmd.ProjectModified);

  values.SetText(T::e1, "Second");
  cmd.Changed();
  cmd.Save();  // named: no dialog
  EXPECT_EQ(robot.Unscripted, 0);
  EXPECT_FALSE(cmd.ProjectModified);
  EXPECT_EQ(view.Statuses, (std::vector<std::string>{"Saving Project...", ""}));

  robot.FileNames = {dir / "Copy.tpj"};
  cmd.SaveAs();
  EXPECT_EQ(cmd.CurrentProjectFile, dir / "Copy.tpj");
  EXPECT_EQ(view.Caption, "Copy.tpj");

  cmd.New();
  robot.FileNames = {dir / "First.tpj"};
  cmd.Open();
  EXPECT_EQ(values.Text(T::e1), "Second");
  EXPECT_EQ(cmd.CurrentProjectFile, dir / "First.tpj");
  EXPECT_EQ(view.Caption, "First.tpj");
  EXPECT_FALSE(cmd.ProjectModified);
  EXPECT_TRUE(robot.Boxes.empty());

  // Open on a modified project asks first.
  cmd.Changed();
  robot.Answers = {IDCANCEL};
  cmd.Open();
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Your Setup Project has been modified. Do you wish to save it now?");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy Setup-Zaderuzo - QUESTiON");
}

TEST_F(StudioCommands, SaveAsAfterAnOutputBrowseKeepsTheOutputFilter) {
  SelectKind(akZipSFX);
  robot.FileNames = {"C:\\OUT\\Pack.exe"};
  cmd.BrowseOutput();
  EXPECT_EQ(values.Text(T::e2), "C:\\OUT\\Pack.exe");
  EXPECT_EQ(cmd.SaveDialogFilter().Filter, "Self-Extracting Archives|*.exe");
  robot.FileNames = {""};
  cmd.SaveAs();
  EXPECT_EQ(cmd.SaveDialogFilter().Filter, "Self-Extracting Archives|*.exe");
}

TEST_F(StudioCommands, FailedOpenKeepsThePreviousProjectAndItsFile) {
  FillValid();
  values.SetText(T::e1, "Precious");
  std::string mine = dir / "Mine.tpj";
  robot.FileNames = {mine};
  cmd.Save();
  const std::string saved = ReadFileBytes(mine);

  // An unrecognised kind (warning box), then a bad level (error box).
  std::string badKind = dir / "BadKind.tpj";
  WriteFileBytes(badKind, ReadFileBytes(mine));
  {
    std::string b = ReadFileBytes(mine);
    size_t at = b.find("Cabinet Archive");
    b.replace(at, 15, "cabinet archive");
    WriteFileBytes(badKind, b);
  }
  std::string badLevel = dir / "BadLevel.tpj";
  {
    std::string b = ReadFileBytes(mine);
    b.resize(b.rfind("0\r\n"));
    WriteFileBytes(badLevel, b + "x\r\n");
  }
  struct Row {
    std::string file;
    const char* box;
  } rows[] = {{badKind, "Invalid Data Encountered while reading Project Data File!"},
              {badLevel, "'x' is not a valid integer value"}};
  for (const Row& row : rows) {
    robot.Boxes.clear();
    robot.FileNames = {row.file};
    cmd.Open();
    ASSERT_EQ(robot.Boxes.size(), 1u) << row.file;
    EXPECT_EQ(robot.Boxes[0].Text, row.box);
    EXPECT_EQ(values.Text(T::e1), "Precious") << row.file;
    EXPECT_EQ(values.SourceEntries().size(), 1u);
    EXPECT_EQ(cmd.CurrentProjectFile, mine);
    EXPECT_EQ(view.Caption, "Mine.tpj");
    EXPECT_FALSE(cmd.ProjectModified);

    cmd.Save();
    EXPECT_EQ(ReadFileBytes(mine), saved) << row.file;
  }
}

TEST_F(StudioCommands, ClosingAsksToSaveAndStaysOpenWhenTheSaveDoesNotHappen) {
  EXPECT_TRUE(cmd.CloseQuery());
  EXPECT_TRUE(robot.Boxes.empty());

  cmd.Changed();
  robot.Answers = {IDCANCEL};
  EXPECT_FALSE(cmd.CloseQuery());
  EXPECT_EQ(robot.Boxes.back().Text, "Your tidy-Zaderuzo Project has been modified. Do you wish to save it now?");
  EXPECT_EQ(robot.Boxes.back().Caption, "tidy-Zaderuzo Studio");

  robot.Answers = {IDNO};
  EXPECT_TRUE(cmd.CloseQuery());

  robot.Answers = {IDYES};
  robot.FileNames = {""};
  EXPECT_FALSE(cmd.CloseQuery());

  // A save that fails keeps the window open, after its error box.
  robot.Answers = {IDYES};
  robot.FileNames = {dir / "no such folder\\P.tpj"};
  robot.Boxes.clear();
  EXPECT_FALSE(cmd.CloseQuery());
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[1].Text, "Invalid filename");  // path not found

  robot.Answers = {IDYES};
  robot.FileNames = {dir / "P.tpj"};
  EXPECT_TRUE(cmd.CloseQuery());
  EXPECT_TRUE(FileExists(dir / "P.tpj"));
  EXPECT_EQ(cmd.CurrentProjectFile, "<>");  // a prompt's save does not name the project
}

TEST_F(StudioCommands, CommandLineProjectStaysUntitledAndModified) {
  FillValid();
  values.SetText(T::e1, "From the command line");
  SelectKind(akZipSFX);
  std::string path = dir / "Cmd Line.tpj";
  cmd.SaveProject(path);
  cmd.New();

  cmd.LoadCommandLine(dir / "missing.tpj");
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_FALSE(cmd.ProjectModified);

  view.Kinds.clear();
  cmd.LoadCommandLine(path);
  EXPECT_EQ(values.Text(T::e1), "From the command line");
  EXPECT_TRUE(values.Checked(C::r4));
  EXPECT_EQ(view.Kinds.back(), akZipSFX);  // its kind handler ran
  EXPECT_EQ(view.Caption, "My Project");
  EXPECT_EQ(cmd.CurrentProjectFile, "<>");
  EXPECT_TRUE(cmd.ProjectModified);
  robot.Answers = {IDCANCEL};
  EXPECT_FALSE(cmd.CloseQuery());
  EXPECT_EQ(robot.Boxes.size(), 1u);
}

TEST_F(StudioCommands, AHugeProjectOnTheCommandLineGivesItsErrorAndANewProject) {
  // 3 GB (sparse): not read into memory; the load's own error, then the
  // values of a new project.
  const std::string huge = dir / "Huge.tpj";
  ASSERT_TRUE(MakeSparseFile(huge, 3ll << 30));
  values.SetText(T::e1, "before");
  cmd.LoadCommandLine(huge);
  DeleteFileA(huge.c_str());
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "I/O error 8");
  EXPECT_EQ(values.Text(T::e1), "");
  EXPECT_TRUE(values.Checked(C::r1));
  EXPECT_EQ(cmd.CurrentProjectFile, "<>");
}

TEST_F(StudioCommands, AddFolderAndAddFileAddEachCaptionOnce) {
  std::string folder = dir.Path();
  std::string file = dir / "a.txt";
  WriteFileBytes(file, "x");
  cmd.AddFolder(folder);
  cmd.AddFolder(folder);
  cmd.AddFile(folder);  // a folder through Add File is a folder entry, and already there
  cmd.AddFile(file);
  cmd.AddFile(file);
  std::string sub = dir / "sub";
  MakeDirs(sub);
  cmd.AddFile(sub);
  // Nothing clicked, or a file that is gone: nothing is added.
  cmd.AddFile("");
  cmd.AddFile(dir / "gone.txt");
  std::vector<TSourceEntry> expected = {{folder, kFolderImage}, {file, kFileImage}, {sub, kFolderImage}};
  EXPECT_EQ(values.SourceEntries(), expected);
  EXPECT_TRUE(cmd.ProjectModified);
}

}  // namespace
