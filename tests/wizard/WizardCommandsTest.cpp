// The wizard's commands over plain values and a recording view: page moves
// and their checks, the build's button states, the close guard, the lists
// through the dialogs, the project file, and start-up with its command line.
#include "WizardCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "Dialogs.h"
#include "Forms.h"
#include "ProjectFileDisk.h"
#include "Robot.h"
#include "TestPaths.h"

namespace {

using T = TWizardText;
using C = TWizardCheck;
using B = TWizardButton;

class TFakeView : public IWizardView {
public:
  // The window's open dialog chooses several files.
  TFakeView() : open(nullptr), save(nullptr) {
    open.Options = TOpenOptions{TOpenOption::ofHideReadOnly, TOpenOption::ofAllowMultiSelect};
  }
  int CurrentPage = 0;
  std::vector<int> Pages;  // every page shown
  std::string NextCaption = "&Next";
  std::string SettingsPage = "ZipSfx";
  std::map<B, bool> Visible{{B::Next, true}, {B::Back, true}, {B::Close, true}, {B::Cancel, false},
                            {B::Finish, false}, {B::BuildNow, false}, {B::Test, true}};
  std::map<B, bool> Enabled{{B::Next, true}, {B::Back, false}, {B::Close, true}, {B::Cancel, true},
                            {B::Finish, true}, {B::BuildNow, true}, {B::Test, false}};
  std::string Description;
  TZipStyleLayout Style;
  std::vector<std::string> Review;
  std::vector<bool> Abouts;  // holdOk of each About box
  int Contacts = 0;
  TOpenDialog open;
  TSaveDialog save;
  std::deque<std::string> Folders;
  std::string Folder;
  bool Shown = false;
  int Builds = 0, Cancels = 0, Closes = 0;
  // What a build does; it returns the build's result.
  std::function<bool()> OnBuild = [] { return true; };
  bool BuildRunning = false;

  HWND AppWindow() override { return nullptr; }
  int Page() const override { return CurrentPage; }
  void ShowPage(int page, const TPageLook& look) override {
    CurrentPage = page;
    Pages.push_back(page);
    NextCaption = look.NextCaption;
  }
  void ShowSettingsPage(const std::string& name) override { SettingsPage = name; }
  bool ButtonVisible(B b) const override { return Visible.at(b); }
  bool ButtonEnabled(B b) const override { return Enabled.at(b); }
  void SetButtonVisible(B b, bool v) override { Visible[b] = v; }
  void SetButtonEnabled(B b, bool e) override { Enabled[b] = e; }
  void ShowKindDescription(const std::string& text) override { Description = text; }
  void ShowStyleLayout(const TZipStyleLayout& layout) override { Style = layout; }
  void SetReview(const std::vector<std::string>& lines) override { Review = lines; }
  void ShowAbout(bool holdOk) override { Abouts.push_back(holdOk); }
  void ShowContact() override { ++Contacts; }
  TOpenDialog& OpenDialog() override { return open; }
  TSaveDialog& SaveDialog() override { return save; }
  bool BrowseFolder(std::string& folder) override {
    if (Folders.empty() || Folders.front().empty()) return false;
    folder = Folders.front();
    Folders.pop_front();
    return true;
  }
  std::string ProgramFolder() const override { return Folder; }
  void ProcessMessages() override {}
  void ShowMainWindow() override { Shown = true; }
  bool Build() override {
    ++Builds;
    LockWizardButtons(*this, true);
    BuildRunning = true;
    struct TEnd {
      TFakeView& v;
      ~TEnd() { v.BuildRunning = false; }
    } end{*this};
    bool built = OnBuild();
    LockWizardButtons(*this, false);
    return built;
  }
  bool Building() const override { return BuildRunning; }
  void CancelBuild() override { ++Cancels; }
  void CloseWindow() override { ++Closes; }
};

class WizardCommands : public ::testing::Test {
protected:
  WizardCommands() : cmd(values, view, files) {
    view.Folder = program.Path() + "\\";
    for (const char* stub : kWizardStubs) WriteFileBytes(program / stub, "stub");
    WriteFileBytes(data / "A.TXT", "a");
    WriteFileBytes(data / "B.TXT", "b");
    MakeDirs(data / "SUB");
  }

  // Walks from page 0 to `page` with a project that passes every check.
  void WalkTo(int page, const std::string& kind = "Zip Archive") {
    values.Kind = kind;
    values.Files = {data / "A.TXT"};
    values.FileSelection = {false};
    values.SetText(T::ProjectOutputName, out / "PACKAGE.ZIP");
    while (view.CurrentPage < page) cmd.Next();
    ASSERT_EQ(view.CurrentPage, page);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : robot.Boxes) t.push_back(b.Text);
    return t;
  }
  std::string Box(TWizardMessage id, const std::string& detail = {}) { return WizardBox(id, detail).Text; }

  TRobot robot;
  TTempDir program, data, out;
  TWizardValues values;
  TFakeView view;
  TDiskProjectFiles files;
  TWizardCommands cmd;
};

TEST_F(WizardCommands, NextMovesThroughThePagesWithTheirChecks) {
  struct Step { const char* name; std::function<void(TWizardValues&)> set; int page; std::vector<TWizardMessage> boxes; };
  const Step steps[] = {
      {"welcome", [](TWizardValues&) {}, 1, {}},
      {"no kind", [](TWizardValues&) {}, 1, {TWizardMessage::N2}},
      {"a kind", [](TWizardValues& v) { v.Kind = "Cabinet SFX"; }, 2, {}},
      {"files unchecked", [](TWizardValues&) {}, 3, {}},
      {"both lists empty", [](TWizardValues&) {}, 3, {TWizardMessage::N3}},
      {"one file", [&](TWizardValues& v) { v.Files = {data / "A.TXT"}; }, 4, {}},
      {"general", [](TWizardValues&) {}, 5, {}},
      {"advanced", [](TWizardValues&) {}, 6, {}},
      {"no output", [](TWizardValues&) {}, 6, {TWizardMessage::N4}},
      {"save without a name", [](TWizardValues& v) {
         v.SetText(T::ProjectOutputName, "C:\\OUT\\SETUP.EXE");
         v.SetSaveChosen(true);
       }, 6, {TWizardMessage::N5}},
      {"saved", [&](TWizardValues& v) { v.SetText(T::projectFilename, out / "P.TPJ"); }, 7, {}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    robot.Boxes.clear();
    s.set(values);
    cmd.Next();
    EXPECT_EQ(view.CurrentPage, s.page);
    std::vector<std::string> expected;
    for (TWizardMessage m : s.boxes) expected.push_back(Box(m));
    EXPECT_EQ(Texts(), expected);
  }
  EXPECT_EQ(view.SettingsPage, "CabSfx");
  EXPECT_TRUE(view.Enabled[B::Back]);
  EXPECT_EQ(view.NextCaption, "Buil&d");
  EXPECT_TRUE(FileExists(out / "P.TPJ"));
  ASSERT_GE(view.Review.size(), 4u);
  EXPECT_EQ(view.Review[3], "   Project Location - " + out / "P.TPJ");

  // Build on page 7: page 8, then the done page.
  cmd.Next();
  EXPECT_EQ(view.Builds, 1);
  EXPECT_EQ(view.Pages.end()[-2], pgBuilding);
  EXPECT_EQ(view.CurrentPage, pgDone);
}

TEST_F(WizardCommands, ProjectPageAsksBeforeOverwritingAndSavesOnlyWhenChosen) {
  WalkTo(pgProjectSettings);
  WriteFileBytes(out / "P.TPJ", "old");
  values.SetText(T::projectFilename, out / "P.TPJ");
  // Not chosen: nothing asked, nothing saved.
  cmd.Next();
  EXPECT_EQ(view.CurrentPage, pgReview);
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(ReadFileBytes(out / "P.TPJ"), "old");
  EXPECT_EQ(view.Review[3], "   Project Location - (Project Not Saved)");

  cmd.Back();
  values.SetSaveChosen(true);
  robot.Answers = {IDNO, IDYES};
  cmd.Next();
  EXPECT_EQ(view.CurrentPage, pgProjectSettings);
  EXPECT_EQ(ReadFileBytes(out / "P.TPJ"), "old");
  cmd.Next();
  EXPECT_EQ(view.CurrentPage, pgReview);
  EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::N6), Box(TWizardMessage::N6)}));
  EXPECT_EQ(ReadFileBytes(out / "P.TPJ").rfind("tidy-Zaderuzo Version 1.60 Project File\r\n", 0), 0u);

  // A save that fails shows its error and stays.
  cmd.Back();
  robot.Boxes.clear();
  values.SetText(T::projectFilename, out / "NO\\SUCH\\P.TPJ");
  cmd.Next();
  EXPECT_EQ(view.CurrentPage, pgProjectSettings);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Caption, Application().Title());
}

TEST_F(WizardCommands, BackMovesAndResetsFromTheDonePage) {
  struct Row { int from, to; bool backEnabled; };
  const Row rows[] = {{1, 0, false}, {2, 1, true}, {3, 2, true}, {4, 3, true}, {5, 4, true}, {6, 5, true},
                      {7, 6, true}, {0, 0, false}, {8, 8, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.from);
    view.CurrentPage = r.from;
    view.Enabled[B::Back] = r.from != 0;
    cmd.Back();
    EXPECT_EQ(view.CurrentPage, r.to);
    EXPECT_EQ(view.Enabled[B::Back], r.backEnabled);
  }
  // Page 9: a new project on page 0, the kind kept.
  view.CurrentPage = pgWelcome;
  WalkTo(pgReview, "Zip SFX");
  CheckZipStyle(values, zsDOS);
  cmd.Next();
  ASSERT_EQ(view.CurrentPage, pgDone);
  cmd.Back();
  EXPECT_EQ(view.CurrentPage, pgWelcome);
  EXPECT_TRUE(values.Files.empty());
  EXPECT_TRUE(values.Checked(C::winSimpleSFX));
  EXPECT_TRUE(view.Style.ExtractionSettings);
  EXPECT_EQ(values.Kind, "Zip SFX");
  EXPECT_TRUE(view.Review.empty());
  EXPECT_EQ(view.Visible, (std::map<B, bool>{{B::Next, true}, {B::Back, true}, {B::Close, true}, {B::Cancel, false},
                                             {B::Finish, false}, {B::BuildNow, false}, {B::Test, true}}));
  EXPECT_TRUE(view.Enabled[B::Next]);
  EXPECT_FALSE(view.Enabled[B::Back]);
  EXPECT_TRUE(view.Enabled[B::Close]);
}

TEST_F(WizardCommands, AnotherKindChosenLaterShowsItsOwnSettingsPage) {
  WalkTo(pgGeneralSettings, "Cabinet Archive");
  EXPECT_EQ(view.SettingsPage, "Cab");
  while (view.CurrentPage > pgArchiveType) cmd.Back();
  values.Kind = "Zip SFX";
  cmd.KindChanged();
  EXPECT_EQ(view.Description, KindDescription("Zip SFX"));
  WalkTo(pgGeneralSettings, "Zip SFX");
  EXPECT_EQ(view.SettingsPage, "ZipSfx");
}

TEST_F(WizardCommands, FirstRunNoticeComesOnceEvenWhenTheMarkerStays) {
  struct Row { const char* name; bool readOnly; };
  for (Row r : {Row{"deleted", false}, Row{"cannot be deleted", true}}) {
    SCOPED_TRACE(r.name);
    TWizardCommands fresh(values, view, files);
    const std::string marker = program / "DataFlag.Dat";
    WriteFileBytes(marker, "");
    if (r.readOnly) SetFileAttributesA(marker.c_str(), FILE_ATTRIBUTE_READONLY);
    robot.Boxes.clear();
    view.Abouts.clear();
    view.CurrentPage = pgWelcome;
    fresh.Next();
    fresh.Next();  // page 1 without a kind: N2 only
    EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::N1), Box(TWizardMessage::N2)}));
    EXPECT_EQ(view.Abouts, (std::vector<bool>{true}));
    EXPECT_EQ(FileExists(marker), r.readOnly);
    SetFileAttributesA(marker.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(marker.c_str());
  }
}

TEST_F(WizardCommands, CloseGuard) {
  struct Row { const char* name; int page; bool cancelShown; std::deque<int> answers; bool closes; int asked; };
  const Row rows[] = {
      {"done page", pgDone, false, {}, true, 0},
      {"other page, yes", pgAddFiles, false, {IDYES}, true, 1},
      {"other page, no", pgWelcome, false, {IDNO}, false, 1},
      {"during a build", pgBuilding, true, {IDYES}, false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    robot.Boxes.clear();
    robot.Answers = r.answers;
    view.CurrentPage = r.page;
    view.Visible[B::Cancel] = r.cancelShown;
    view.Cancels = 0;
    EXPECT_EQ(cmd.CloseQuery(), r.closes);
    EXPECT_EQ(static_cast<int>(robot.Boxes.size()), r.asked);
    if (r.asked) {
      EXPECT_EQ(robot.Boxes[0].Text, "Your Archive was not successfuly built yet!\r\nAre you sure to close tidy-Zaderuzo?");
    }
    EXPECT_EQ(view.Cancels, r.cancelShown ? 1 : 0);
  }
}

TEST_F(WizardCommands, BuildEndsDoneOrUnlockedOnTheReviewPage) {
  struct Row { const char* kind; bool built; bool throws; bool testEnabled; };
  const Row rows[] = {
      {"Cabinet Archive", true, false, false}, {"Zip Archive", true, false, false},
      {"Cabinet SFX", true, false, true},      {"Zip SFX", true, false, true},
      {"Zip SFX", false, false, false},        {"Cabinet SFX", false, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.kind) + (r.built ? " built" : r.throws ? " raised" : " failed"));
    robot.Boxes.clear();
    view.Visible[B::BuildNow] = true;
    view.Enabled[B::Test] = !r.testEnabled;
    values.Kind = r.kind;
    view.OnBuild = [&] {
      if (r.throws) throw Exception("Cabinet error 1 (type 2)");
      return r.built;
    };
    view.CurrentPage = pgReview;
    cmd.Next();
    EXPECT_FALSE(view.Visible[B::BuildNow]);
    EXPECT_FALSE(view.Visible[B::Cancel]);
    if (r.built) {
      EXPECT_EQ(view.CurrentPage, pgDone);
      EXPECT_FALSE(view.Visible[B::Next]);
      EXPECT_TRUE(view.Enabled[B::Back]);
      EXPECT_FALSE(view.Visible[B::Close]);
      EXPECT_FALSE(view.Enabled[B::Close]);
      EXPECT_TRUE(view.Visible[B::Finish]);
      EXPECT_EQ(view.Enabled[B::Test], r.testEnabled);
    } else {
      // Also after an exception the window is usable again.
      EXPECT_EQ(view.CurrentPage, pgReview);
      EXPECT_TRUE(view.Enabled[B::Next]);
      EXPECT_TRUE(view.Enabled[B::Back]);
      EXPECT_TRUE(view.Enabled[B::Close]);
      EXPECT_TRUE(view.Visible[B::Close]);
      EXPECT_EQ(robot.Boxes.size(), r.throws ? 1u : 0u);
    }
    view.Visible[B::Next] = true;
  }
}

TEST_F(WizardCommands, BuildNowChecksTheListsAndOffersToSaveToTheOpenedFile) {
  robot.Answers = {};
  cmd.BuildNow();
  EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::S7)}));
  EXPECT_EQ(view.Builds, 0);

  const std::string project = out / "OPENED.TPJ";
  values.SetText(T::Pname, project);
  values.Kind = "Zip Archive";
  values.Folders = {data / "SUB\\"};
  for (int answer : {IDNO, IDYES}) {
    robot.Boxes.clear();
    robot.Answers = {answer};
    cmd.BuildNow();
    EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::S8)}));
    EXPECT_EQ(FileExists(project), answer == IDYES);
    EXPECT_FALSE(view.Review.empty());
    EXPECT_EQ(view.CurrentPage, pgDone);
  }
  EXPECT_EQ(view.Builds, 2);
}

TEST_F(WizardCommands, FileListThroughTheDialogAndDrops) {
  // One file goes into the edit, several into the list after the question.
  robot.FileNames = {data / "A.TXT", data.Path() + std::string("\0A.TXT\0B.TXT\0", 13),
                     data.Path() + std::string("\0B.TXT\0C.TXT\0", 13)};
  robot.Answers = {IDOK, IDCANCEL};
  cmd.BrowseFiles();
  EXPECT_EQ(values.Text(T::FlatEdit1), data / "A.TXT");
  EXPECT_TRUE(values.Files.empty());
  cmd.BrowseFiles();
  EXPECT_EQ(values.Files, (std::vector<std::string>{data / "B.TXT", data / "A.TXT"}));
  cmd.BrowseFiles();
  EXPECT_EQ(values.Files.size(), 2u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::N7, "2"), Box(TWizardMessage::N7, "2")}));

  // Drops: files in the order given, twice if dropped twice; others named.
  robot.Boxes.clear();
  values.Files.clear();
  cmd.DropFiles({data / "A.TXT", data / "SUB", data / "A.TXT", data / "GONE.TXT"});
  EXPECT_EQ(values.Files, (std::vector<std::string>{data / "A.TXT", data / "A.TXT"}));
  EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::N9, data / "SUB"),
                                               Box(TWizardMessage::N9, data / "GONE.TXT")}));

  // Clearing asks; No keeps the list.
  robot.Boxes.clear();
  robot.Answers = {IDNO, IDYES};
  cmd.ClearList(TWizardList::Files);
  EXPECT_EQ(values.Files.size(), 2u);
  cmd.ClearList(TWizardList::Files);
  EXPECT_TRUE(values.Files.empty());
  cmd.ClearList(TWizardList::Files);  // empty: nothing asked
  EXPECT_EQ(Texts(), (std::vector<std::string>{Box(TWizardMessage::N8), Box(TWizardMessage::N8)}));
  EXPECT_EQ(Box(TWizardMessage::N8), "Are you sure to clear the File List?");

  // Folders: the browser fills the edit; adding checks the folder.
  view.Folders = {data / "SUB"};
  cmd.BrowseFolder();
  EXPECT_EQ(values.Text(T::FlatEdit2), data / "SUB");
  cmd.AddTypedFolder();
  EXPECT_EQ(values.Folders, (std::vector<std::string>{data / "SUB\\"}));
}

TEST_F(WizardCommands, SaveDialogsTakeTheFilterOfTheKindAndTheProjectFile) {
  struct Row { const char* kind; const char* filter; const char* ext; };
  const Row rows[] = {{"Zip SFX", "Executable Files|*.exe", "exe"}, {"Cabinet SFX", "Executable Files|*.exe", "exe"},
                      {"Cabinet Archive", "Cabinet Files|*.cab", "cab"}, {"Zip Archive", "ZIP Archives|*.zip", "zip"}};
  for (const Row& r : rows) {
    values.Kind = r.kind;
    robot.FileNames = {"C:\\OUT\\X"};
    cmd.BrowseOutput();
    EXPECT_EQ(view.save.Filter, r.filter);
    EXPECT_EQ(view.save.DefaultExt, r.ext);
    EXPECT_EQ(values.Text(T::ProjectOutputName), "C:\\OUT\\X");
  }
  robot.FileNames = {"C:\\P\\PROJECT.TPJ"};
  cmd.BrowseProjectFile();
  EXPECT_EQ(view.save.Filter, "tidy-Zaderuzo Project Files|*.tpj");
  EXPECT_EQ(view.save.DefaultExt, "tpj");
  EXPECT_EQ(values.Text(T::projectFilename), "C:\\P\\PROJECT.TPJ");
  EXPECT_TRUE(values.SaveChosen());
  cmd.SaveOptionClick();
  EXPECT_FALSE(values.SaveChosen());
}

TEST_F(WizardCommands, MoveOptionAsksAndNoClearsIt) {
  robot.Answers = {IDNO, IDYES};
  values.SetChecked(C::CheckBox2, true);
  cmd.MoveOptionClick();
  EXPECT_FALSE(values.Checked(C::CheckBox2));
  values.SetChecked(C::CheckBox2, true);
  cmd.MoveOptionClick();
  EXPECT_TRUE(values.Checked(C::CheckBox2));
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo - CONFiRMATiON!");
  cmd.MoveOptionClick();  // unchecking asks nothing
  values.SetChecked(C::CheckBox2, false);
  cmd.MoveOptionClick();
  EXPECT_EQ(robot.Boxes.size(), 3u);
}

TEST_F(WizardCommands, TestRunAndHelp) {
  values.Kind = "Cabinet SFX";
  values.SetText(T::ProjectOutputName, "C:\\My Out\\SETUP.EXE");
  cmd.TestRun();
  values.SetText(T::ProjectOutputName, "C:\\OUT\\SETUP.ZIP");
  cmd.TestRun();
  EXPECT_EQ(robot.Programs, (std::vector<std::string>{"\"C:\\My Out\\SETUP.EXE\" /d"}));

  Application().SetHelpFile("C:\\P\\Mainhelp.hlp");
  view.CurrentPage = pgReview;
  cmd.Help();
  ASSERT_EQ(robot.HelpCalls.size(), 2u);
  EXPECT_EQ(robot.HelpCalls[0], (std::pair<std::string, UINT>{"C:\\P\\Mainhelp.hlp", HELP_CONTENTS}));
  EXPECT_EQ(robot.HelpCalls[1].second, static_cast<UINT>(HELP_COMMAND));
}

TEST_F(WizardCommands, OpeningAProjectFromTheWelcomePage) {
  const std::string good = out / "GOOD.TPJ", bad = out / "BAD.TPJ";
  values.Kind = "Zip Archive";
  values.Files = {data / "A.TXT"};
  cmd.SaveProject(good);
  WriteFileBytes(bad, "tidy-Zaderuzo Version 1.60 Project File\r\n\r\n\r\n\r\nT\r\nO\r\nRar Archive\r\n");
  values = TWizardValues();
  robot.FileNames = {bad, good};
  cmd.OpenProject();
  EXPECT_EQ(view.CurrentPage, pgWelcome);
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[0].Text, "Invalid Data Encountered while reading Project Data File!");
  EXPECT_EQ(robot.Boxes[1].Text.rfind("Error Opening Project File. (E", 0), 0u);
  EXPECT_FALSE(view.Visible[B::BuildNow]);

  cmd.OpenProject();
  EXPECT_EQ(view.CurrentPage, pgAddFiles);
  EXPECT_EQ(values.Text(T::Pname), good);
  EXPECT_EQ(values.Text(T::projectFilename), good);
  EXPECT_TRUE(values.SaveChosen());
  EXPECT_TRUE(view.Visible[B::BuildNow]);
  EXPECT_TRUE(view.Enabled[B::Back]);
  EXPECT_EQ(values.Files, (std::vector<std::string>{data / "A.TXT"}));
  EXPECT_EQ(view.open.Filter, "tidy-Zaderuzo Project Files|*.tpj");
}

// ---------------------------------------------------------------------------
// Start-up

class WizardStart : public WizardCommands {
protected:
  void SetUp() override {
    project = out / "A.tpj";
    values.Kind = "Zip Archive";
    values.Files = {data / "A.TXT"};
    cmd.SaveProject(project);
    WriteFileBytes(out / "A.TXT", "not a project");
    std::string partial = ReadFileBytes(project);
    partial.erase(partial.rfind("9\r\n"));  // the level line cut off
    WriteFileBytes(out / "CUT.TPJ", partial + "nine\r\n");
    WriteFileBytes(out / "EMPTY.TPJ", "tidy-Zaderuzo Version 1.60 Project File\r\n\r\n\r\n\r\nT\r\nO\r\nZip Archive\r\n"
                                      "\x01" "FILES\x01\r\n\x03" "FILES\x03\r\n\x01" "FOLDERS\x01\r\n\x03" "FOLDERS\x03\r\n"
                                      "N\r\nN\r\nN\r\nN\r\nN\r\n9\r\n\r\n");
    values = TWizardValues();
  }
  std::string project;
};

TEST_F(WizardStart, CommandLines) {
  using M = TWizardMessage;
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> boxes;
    int page;
    bool loaded, buildNow;
    int builds;
  };
  const std::string cut = out / "CUT.TPJ";
  const Row rows[] = {
      {"none", {}, {}, pgWelcome, false, false, 0},
      {"a project", {project}, {}, pgAddFiles, true, true, 0},
      {"a project, built", {project, "/b"}, {}, pgDone, true, false, 1},
      {"another switch", {project, "/X"}, {Box(M::S4)}, pgWelcome, false, false, 0},
      {"not a project", {out / "A.TXT", "/B"}, {Box(M::S3)}, pgWelcome, false, false, 0},
      {"missing", {out / "NONE.TPJ"}, {Box(M::S2)}, pgWelcome, false, false, 0},
      {"three", {project, "/B", "x"}, {}, pgWelcome, false, false, 0},
      // Opened part-way: kept for editing, never built at once.
      {"cut short", {cut}, {"Error Opening Project. (E0)"}, pgAddFiles, true, true, 0},
      {"cut short, built", {cut, "/B"}, {"Error Opening Project. (E0)", Box(M::S6)}, pgWelcome, true, false, 0},
      {"nothing to add", {out / "EMPTY.TPJ", "/B"}, {Box(M::S7)}, pgWelcome, true, true, 0},
      // Larger than memory allows: the load's own error, nothing built.
      {"huge, built", {out / "HUGE.TPJ", "/B"}, {"Error Opening Project. (E8)", Box(M::S6)}, pgWelcome, false, false, 0},
  };
  {
    // 3 GB, sparse.
    HANDLE h = CreateFileA((out / "HUGE.TPJ").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 3ll << 30;
    EXPECT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
  }
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TWizardValues v;
    TFakeView fresh;
    fresh.Folder = view.Folder;
    TWizardCommands c(v, fresh, files);
    robot.Boxes.clear();
    EXPECT_TRUE(c.Start(r.args));
    EXPECT_TRUE(fresh.Shown);
    EXPECT_EQ(Texts(), r.boxes);
    EXPECT_EQ(fresh.CurrentPage, r.page);
    EXPECT_EQ(!v.Kind.empty(), r.loaded);
    EXPECT_EQ(fresh.Visible[B::BuildNow], r.buildNow);
    EXPECT_EQ(fresh.Builds, r.builds);
  }
  EXPECT_EQ(Application().HelpFile(), view.Folder + "Mainhelp.hlp");
}

TEST_F(WizardStart, OnlyAWholeProjectIsBuiltWithB) {
  // Each kind's project cut after each of its lines, and inside its last
  // one: "/B" builds only the whole file.
  for (const char* kind : {"Cabinet Archive", "Cabinet SFX", "Zip Archive", "Zip SFX"}) {
    TWizardValues v;
    v.Kind = kind;
    v.Files = {data / "A.TXT"};
    v.Folders = {data / "SUB\\"};
    v.SetChecked(C::winSimpleSFX, true);
    v.SetText(T::ProjectOutputName, out / "P.EXE");
    v.SetText(T::Pass1, "secret");
    v.SetText(T::Pass2, "secret");
    TFakeView saver;
    saver.Folder = view.Folder;
    TWizardCommands(v, saver, files).SaveProject(out / "WHOLE.TPJ");
    const std::string whole = ReadFileBytes(out / "WHOLE.TPJ");
    std::vector<size_t> cuts;
    for (size_t at = whole.find("\r\n"); at != std::string::npos; at = whole.find("\r\n", at + 2)) cuts.push_back(at + 2);
    cuts.push_back(whole.size() - 3);  // inside the last line ("secret", "N" or a level)
    std::sort(cuts.begin(), cuts.end());
    for (size_t n : cuts) {
      SCOPED_TRACE(std::string(kind) + ", " + std::to_string(n) + " of " + std::to_string(whole.size()) + " bytes");
      WriteFileBytes(out / "CUT.TPJ", whole.substr(0, n));
      TWizardValues loaded;
      TFakeView fresh;
      fresh.Folder = view.Folder;
      TWizardCommands c(loaded, fresh, files);
      robot.Boxes.clear();
      robot.Answers.clear();
      EXPECT_TRUE(c.Start({out / "CUT.TPJ", "/B"}));
      const bool isWhole = n == whole.size();
      EXPECT_EQ(fresh.Builds, isWhole ? 1 : 0);
      if (!isWhole) {
        ASSERT_FALSE(robot.Boxes.empty());
        EXPECT_EQ(robot.Boxes.back().Text, Box(TWizardMessage::S6));
      }
    }
  }
}

TEST_F(WizardStart, AMissingStubAsksWhetherToClose) {
  DeleteFileA((program / "CabStub2.Bin").c_str());
  for (int answer : {IDNO, IDYES}) {
    robot.Boxes.clear();
    robot.Answers = {IDOK, answer};
    TFakeView fresh;
    fresh.Folder = view.Folder;
    TWizardCommands c(values, fresh, files);
    EXPECT_EQ(c.Start({project, "/B"}), answer == IDNO);
    ASSERT_EQ(robot.Boxes.size(), 2u);
    EXPECT_EQ(robot.Boxes[0].Text.rfind("Please make sure that all the Stub Files are located in the Application "
                                        "Directory.\r\nTo Obtain a new copy of tidy-Zaderuzo, please visit our web "
                                        "site : http",
                                        0),
              0u);
    EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo - ERROR");
    EXPECT_EQ(robot.Boxes[1].Caption, "tidy-Zaderuzo - QUESTiON");
    // Refused: start-up goes on and acts on its command line.
    EXPECT_EQ(fresh.Shown, answer == IDNO);
    EXPECT_EQ(fresh.Builds, answer == IDNO ? 1 : 0);
  }
}

}  // namespace
