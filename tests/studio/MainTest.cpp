// The Studio main window with its controls, under the robot.
#include "Main.h"

#include <gtest/gtest.h>

#include <functional>

#include "Robot.h"
#include "TestPaths.h"

void PrintTo(const TSourceEntry& e, std::ostream* os) { *os << e.Caption << " (" << e.ImageIndex << ")"; }
void PrintTo(const TStudioValues& v, std::ostream* os) {
  for (const std::string& t : v.Texts) *os << "'" << t << "' ";
  for (bool c : v.Checks) *os << c;
  *os << " " << v.Positions[0] << v.Positions[1] << " tab " << v.Tab << " sources " << v.Sources.size();
}

namespace {

using T = TStudioText;
using C = TStudioCheck;

class TFakeBuild : public IBuildWindow {
public:
  bool Result = true;
  int Runs = 0;
  std::function<void()> During;
  void Show() override {}
  bool Proceed() override {
    ++Runs;
    if (During) During();
    SetLastError(0);
    return Result;
  }
};

// Presses a key with Ctrl held, as the keyboard does, into `wnd`.
void CtrlKey(HWND wnd, WORD key, bool ctrl = true) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageA(wnd, WM_KEYDOWN, key, 1);
  Application().ProcessMessages();
  PostMessageA(wnd, WM_KEYUP, key, 0xC0000001);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  Application().ProcessMessages();
}

class StudioMain : public ::testing::Test {
protected:
  StudioMain() {
    form = new TForm1(nullptr);
    form->SetProgramFolder(dir.Path() + "\\");
    form->SetBuildWindow(&build);
    form->Show();
  }
  ~StudioMain() override { delete form; }

  void FillValid(const std::string& output) {
    form->e1->SetText("Title");
    form->e2->SetText(output);
    form->AddSource({"C:\\DATA\\A.TXT", kFileImage});
  }

  TTempDir dir;
  TRobot robot;
  TFakeBuild build;
  TForm1* form = nullptr;
};

TEST_F(StudioMain, StartsAsANewProject) {
  EXPECT_EQ(form->ProjectCaption(), "My Project");
  EXPECT_EQ(form->CurrentProjectFile(), "<>");
  EXPECT_FALSE(form->ProjectModified());
  TStudioValues fresh;
  TStudioValues now;
  CopyControls(*form, now);
  EXPECT_EQ(now, fresh);
  EXPECT_FALSE(form->TestButton->Enabled());
  EXPECT_EQ(form->Notebook1->PageIndex(), pgArchiveInfo);
  EXPECT_TRUE(form->Menu().Checked(cmNavArchiveInfo));
  EXPECT_FALSE(form->Menu().Visible(cmNavSelfExtraction));
  EXPECT_EQ(form->SourceDirView->Directory().back(), '\\');
  // The page area fills what the tool bar, side bar and status bar leave.
  TPage* page = form->Notebook1->Page(pgArchiveInfo);
  EXPECT_EQ(page->Width(), form->Notebook1->Width());
  EXPECT_EQ(form->Notebook1->Left(), form->SideBar1->Width());
  EXPECT_GT(form->Notebook1->Width(), 400);
  EXPECT_TRUE(page->Showing());
  EXPECT_TRUE(IsWindowVisible(form->e1->Handle()));
  RECT r;
  GetWindowRect(form->e1->Handle(), &r);
  EXPECT_GT(r.right - r.left, 300);
}

TEST_F(StudioMain, CommandLineProjectOpensAsMyProjectAndClosingAsksToSave) {
  std::string path = dir / "Command Line.tpj";
  form->e1->SetText("From the command line");
  form->r4->SetChecked(true);
  form->SaveProject(path);
  delete form;

  form = new TForm1(nullptr);
  form->OpenCommandLineProject(path);
  form->Show();
  EXPECT_EQ(form->e1->Text(), "From the command line");
  EXPECT_TRUE(form->r4->Checked());
  EXPECT_TRUE(form->SideSelfExtraction->Visible());  // the kind handler ran
  EXPECT_EQ(form->ProjectCaption(), "My Project");
  EXPECT_EQ(form->CurrentProjectFile(), "<>");
  EXPECT_TRUE(form->ProjectModified());

  robot.Answers = {IDCANCEL};
  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  Application().ProcessMessages();
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Your tidy-Zaderuzo Project has been modified. Do you wish to save it now?");
  EXPECT_TRUE(form->Visible());
}

TEST_F(StudioMain, CaptionBarCarriesTheProjectName) {
  TGradientCaption* bar = form->GradientCaption1;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->CompanyText().Caption(), "tidy");
  EXPECT_EQ(bar->AppNameText().Caption(), "Zaderuzo Studio -");
  struct Row {
    const char* name;
    std::function<void()> command;
    std::string project;
  } rows[] = {
      {"new window", [] {}, "My Project"},
      {"save as", [&] {
         robot.FileNames = {dir / "Caption Test.tpj"};
         form->Command(cmSaveAs);
       }, "Caption Test.tpj"},
      {"new", [&] { form->Command(cmNew); }, "My Project"},
  };
  for (const Row& row : rows) {
    row.command();
    EXPECT_EQ(form->ProjectCaption(), row.project) << row.name;
    EXPECT_EQ(bar->CaptionText().Caption(), row.project) << row.name;
    EXPECT_EQ(form->Caption(), "tidy Zaderuzo Studio - " + row.project) << row.name;
  }
}

TEST_F(StudioMain, KindButtonsShowTheirControlsAndKeepDisabledValues) {
  form->r3->SetChecked(true);  // as a click does
  EXPECT_TRUE(form->ProjectModified());
  EXPECT_TRUE(form->ZipCompress->Visible());
  EXPECT_FALSE(form->cabCompress->Visible());
  EXPECT_TRUE(form->CheckBox5->Enabled());
  EXPECT_FALSE(form->SideSelfExtraction->Visible());
  form->CheckBox5->SetChecked(true);

  form->r1->SetChecked(true);
  EXPECT_FALSE(form->CheckBox5->Enabled());
  EXPECT_FALSE(form->pass1->Enabled());
  EXPECT_TRUE(form->CheckBox5->Checked());
  std::string path = dir / "p.tpj";
  form->SaveProject(path);
  EXPECT_NE(ReadFileBytes(path).find("\x03" "FOLDERS\x03\r\nN\r\nY\r\n"), std::string::npos);

  form->r2->SetChecked(true);
  EXPECT_TRUE(form->SideSelfExtraction->Visible());
  EXPECT_TRUE(form->Menu().Visible(cmNavSelfExtraction));
  EXPECT_EQ(form->SfxPage(), TSfxPage::Cab);
  form->r4->SetChecked(true);
  EXPECT_EQ(form->SfxPage(), TSfxPage::Zip);

  // Style tabs: DOS hides the extraction settings; Standard shows them
  // and disables "Hide Overwrite Check Box".
  form->TabSet1->SelectTab(1);
  EXPECT_TRUE(form->p3->Enabled());
  form->TabSet1->SelectTab(2);
  EXPECT_FALSE(form->ovrChoice->Visible());
  EXPECT_FALSE(form->PermGroup->Visible());
  EXPECT_TRUE(form->DosLabel->Visible());
  form->TabSet1->SelectTab(0);
  EXPECT_TRUE(form->ovrChoice->Visible());
  EXPECT_FALSE(form->DosLabel->Visible());
  EXPECT_FALSE(form->p3->Enabled());
}

TEST_F(StudioMain, MenuShortcutsRunTheirCommands) {
  HWND edit = form->e1->Handle();
  CtrlKey(edit, '2');
  EXPECT_EQ(form->Notebook1->PageIndex(), pgSourceFiles);
  EXPECT_TRUE(form->Menu().Checked(cmNavSourceFiles));
  EXPECT_FALSE(form->Menu().Checked(cmNavArchiveInfo));
  CtrlKey(edit, '5');  // hidden for a cabinet archive
  EXPECT_EQ(form->Notebook1->PageIndex(), pgSourceFiles);
  CtrlKey(edit, '4');
  EXPECT_EQ(form->Notebook1->PageIndex(), pgCompression);
  CtrlKey(edit, '2', false);  // no Ctrl: typing
  EXPECT_EQ(form->Notebook1->PageIndex(), pgCompression);

  form->e1->SetText("changed");
  robot.Answers = {IDCANCEL};
  CtrlKey(edit, 'N');
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Your tidy-Package Project has been modified. Do you wish to save it now?");

  CtrlKey(edit, VK_F9);
  EXPECT_EQ(form->StatusText(), "No Files or Folders to add");
  EXPECT_EQ(build.Runs, 0);

  CtrlKey(edit, VK_F1, false);
  ASSERT_EQ(robot.HelpCalls.size(), 1u);
  EXPECT_EQ(robot.HelpCalls[0].first, dir / "MainHelp.Hlp");
  EXPECT_EQ(robot.HelpCalls[0].second, static_cast<UINT>(HELP_FINDER));

  // The web and mail commands go through the hidden link label.
  form->Command(cmHelpWeb);
  form->Command(cmHelpMail);
  EXPECT_EQ(robot.ShellCalls, (std::vector<std::string>{std::string("|") + kMakerHomePage + "|",
                                                        std::string("|mailto:") + kMakerMail + "|"}));
}

TEST_F(StudioMain, BuildLocksTheWindowAndNothingElseRunsMeanwhile) {
  FillValid(dir / "Out Put\\Setup.exe");
  form->r2->SetChecked(true);
  form->ShowPage(pgCompression);
  bool stayed = false;
  build.During = [&] {
    EXPECT_EQ(form->Notebook1->PageIndex(), pgProcessing);
    EXPECT_FALSE(form->Notebook1->Enabled());
    EXPECT_FALSE(form->SideBar1->Enabled());
    EXPECT_FALSE(form->BuildButton->Enabled());
    EXPECT_FALSE(form->NewButton->Enabled());
    EXPECT_TRUE(form->HelpButton->Enabled());
    EXPECT_FALSE(form->Menu().TopEnabled("&File"));
    EXPECT_TRUE(form->Menu().TopEnabled("&Help"));
    EXPECT_EQ(form->StatusText(), "Processing Your Request...");
    // The close box and Ctrl+F9 while the build lets messages run.
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    CtrlKey(form->e1->Handle(), VK_F9);
    form->Command(cmBuild);
    Application().ProcessMessages();
    stayed = form->Visible();
  };
  form->Commands().ProjectModified = true;
  robot.Answers = {IDYES};
  form->Command(cmBuild);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(build.Runs, 1);
  EXPECT_EQ(form->Notebook1->PageIndex(), pgCompression);
  EXPECT_TRUE(form->Notebook1->Enabled());
  EXPECT_TRUE(form->Menu().TopEnabled("&File"));
  EXPECT_EQ(form->StatusText(), "");
  EXPECT_TRUE(form->TestButton->Enabled());
  // The question of the test run, then the run itself, quoted.
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Do you wish to test the Self-Extracting Archive right now?");
  EXPECT_EQ(robot.Programs, (std::vector<std::string>{"\"" + dir / "Out Put\\Setup.exe" + "\" /d"}));

  // A change greys the test button again.
  form->CheckBox4->SetChecked(true);
  EXPECT_FALSE(form->TestButton->Enabled());
}

// The test run starts the built program itself: a stand-in stub logs the
// command line it was given.
TEST_F(StudioMain, TestRunCommandLineReachesTheProgram) {
  std::string log = dir / "stub.log";
  SetEnvironmentVariableA("TZ_STUB_LOG", log.c_str());
  MakeDirs(dir / "My Output");
  struct Row {
    TRadioButton* kind;
    int tab;
    const char* stub;
    std::string output;
    std::string args;
  } rows[] = {
      {form->r2, 0, "CabStub2.Bin", dir / "My Output\\Cab Setup.exe", " /d"},
      {form->r4, 2, "Stub3.Bin", dir / "My Output\\Dos.exe", " -t"},
      {form->r4, 0, "Stub1.Bin", dir / "Plain.EXE", ""},
  };
  robot.PassProgramsThrough = true;
  for (const Row& row : rows) {
    WriteFileBytes(row.output, ReadFileBytes(DistPath(row.stub)));
    DeleteFileA(log.c_str());
    row.kind->SetChecked(true);
    form->TabSet1->SelectTab(row.tab);
    form->e2->SetText(row.output);
    SendMessageA(form->TestButton->Handle(), BM_CLICK, 0, 0);  // disabled: nothing
    form->SetTestEnabled(true);
    SendMessageA(form->TestButton->Handle(), BM_CLICK, 0, 0);
    std::string text;
    for (int i = 0; i < 200 && text.find("\r\n") == std::string::npos; ++i) {
      Sleep(50);  // the program runs on its own
      if (FileExists(log)) text = ReadFileBytes(log);
    }
    std::string quoted = row.output.find(' ') != std::string::npos ? "\"" + row.output + "\"" : row.output;
    EXPECT_EQ(text.substr(0, text.find("\r\n")), std::string(row.stub) + " " + quoted + row.args) << row.output;
  }
  SetEnvironmentVariableA("TZ_STUB_LOG", nullptr);
}

TEST_F(StudioMain, SourceListCommands) {
  std::string sub = dir / "Folder";
  MakeDirs(sub);
  WriteFileBytes(dir / "a.txt", "a");
  ASSERT_TRUE(form->SourceDirView->SetDirectory(dir.Path()));
  std::string folder = form->SourceDirView->Directory();
  EXPECT_EQ(folder, [&] {
    std::string u = dir.Path() + "\\";
    for (char& ch : u) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    return u;
  }());
  auto click = [](TButton* b) { SendMessageA(b->Handle(), BM_CLICK, 0, 0); };
  auto* addFolder = dynamic_cast<TButton*>(form->FindComponent("AddFolderButton"));
  auto* addFile = dynamic_cast<TButton*>(form->FindComponent("AddFileButton"));
  auto* remove = dynamic_cast<TButton*>(form->FindComponent("RemoveButton"));
  click(addFolder);
  click(addFolder);
  // The file list shows the folder's entries; pick the file, then the folder.
  int fileIndex = form->SourceFileView->IndexOf("a.txt");
  ASSERT_GE(fileIndex, 0);
  form->SourceFileView->SetItemIndex(fileIndex);
  click(addFile);
  form->SourceFileView->SetItemIndex(form->SourceFileView->IndexOf("Folder"));
  click(addFile);
  // The file list is at the tree's folder, as the tree gives it.
  std::vector<TSourceEntry> expected = {
      {folder, kFolderImage}, {folder + "a.txt", kFileImage}, {folder + "Folder", kFolderImage}};
  EXPECT_EQ(form->SourceEntries(), expected);

  // Two selected: asked first; Cancel keeps both.
  form->SourceListView->Item(0)->SetSelected(true);
  form->SourceListView->Item(2)->SetSelected(true);
  robot.Answers = {IDCANCEL};
  click(remove);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "You are about to delete 2 items from your Source File List.");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy Disk-Zaderuzo - CONFiRMATiON");
  EXPECT_EQ(form->SourceListView->Count(), 3);
  robot.Answers = {IDOK};
  click(remove);
  EXPECT_EQ(form->SourceEntries(), (std::vector<TSourceEntry>{{folder + "a.txt", kFileImage}}));
  // One selected: no question.
  form->SourceListView->Item(0)->SetSelected(true);
  click(remove);
  EXPECT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(form->SourceListView->Count(), 0);
}

TEST_F(StudioMain, FocusTextsAndFixedSize) {
  ::SetFocus(form->e1->Handle());
  EXPECT_EQ(form->StatusText(), "The Title Of Your Package");
  ::SetFocus(form->e2->Handle());
  EXPECT_EQ(form->StatusText(), "");
  form->e2->SetText("C:\\x.cab");
  EXPECT_EQ(form->StatusText(), "The Filename Which you want your Package to be stored");

  form->SetBounds(form->Left(), form->Top(), 600, 300);
  EXPECT_EQ(form->Width(), 510);
  EXPECT_EQ(form->Height(), 397);
}

}  // namespace

#include "StatusUnit.h"

namespace {

// The build window reading the main window's controls.
class TRealBuild : public IBuildWindow {
public:
  explicit TRealBuild(TProgressForm* form) : form_(form) {}
  void Show() override { form_->Show(); }
  bool Proceed() override { return form_->Proceed(); }

private:
  TProgressForm* form_;
};

TEST(StudioBuild, EachKindFromTheSampleProject) {
  TRobot robot;
  TTempDir program, out;
  CopyShippedFiles(program.Path());
  TForm1 form(nullptr);
  form.SetProgramFolder(program.Path() + "\\");
  TProgressForm progress(nullptr);
  progress.Settings = &form.Settings();
  progress.ProgramFolder = program.Path();
  TRealBuild window(&progress);
  form.SetBuildWindow(&window);
  form.Show();

  form.e1->SetText("Sample");
  form.AddSource({SourcePath("samples/project/readme.txt"), kFileImage});
  form.AddSource({SourcePath("samples/project/docs") + "\\", kFolderImage});
  struct Row {
    TRadioButton* kind;
    const char* name;
    const char* magic;      // at the start of the archive part
    const char* stub;       // the stub it starts with, or none
  } rows[] = {
      {form.r1, "Sample.cab", "MSCF", nullptr},
      {form.r2, "Sample Cab.exe", "MSCF", "CabStub1.Bin"},
      {form.r3, "Sample.zip", "PK\x03\x04", nullptr},
      {form.r4, "Sample Zip.exe", "MPU", "Stub1.Bin"},
  };
  for (const Row& row : rows) {
    robot.Boxes.clear();
    robot.Answers = {IDNO};  // no test run
    row.kind->SetChecked(true);
    std::string output = out / row.name;
    form.e2->SetText(output);
    form.Command(cmBuild);
    ASSERT_TRUE(FileExists(output)) << row.name;
    std::string bytes = ReadFileBytes(output);
    size_t at = row.stub ? ReadFileBytes(program / row.stub).size() : 0;
    EXPECT_EQ(bytes.substr(0, row.stub ? at : 0), row.stub ? ReadFileBytes(program / row.stub) : "") << row.name;
    EXPECT_EQ(bytes.substr(at, std::string(row.magic).size()), row.magic) << row.name;
    // Only the test-run question for an ".exe"; no failure box.
    EXPECT_EQ(robot.Boxes.size(), row.stub ? 1u : 0u) << row.name;
    EXPECT_FALSE(FileExists(program / "Spool.Cab"));
    EXPECT_FALSE(FileExists(program / "Spool.Zip"));
  }
}

}  // namespace
