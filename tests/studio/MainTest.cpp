// The Studio main window with its controls, under the robot.
#include "Main.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "Robot.h"
#include "StatusUnit.h"
#include "FakeDrives.h"
#include "TestPaths.h"

void PrintTo(const TSourceEntry& e, std::ostream* os) { *os << e.Caption << " (" << e.ImageIndex << ")"; }
void PrintTo(const TStudioValues& v, std::ostream* os) {
  for (const std::string& t : v.Texts) *os << "'" << t << "' ";
  for (bool c : v.Checks) *os << c;
  *os << " " << v.Positions[0] << v.Positions[1] << " tab " << v.Tab << " sources " << v.Sources.size();
}

namespace {

// The folder tree sees C: and Z: (fixed), whatever the machine has.
class TKnownDrivesEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    drives_.Drives = {{'C', DRIVE_FIXED}, {'Z', DRIVE_FIXED}};
    previous_ = SetShellInfo(&drives_);
  }
  void TearDown() override { SetShellInfo(previous_); }

private:
  TFakeDrives drives_;
  IShellInfo* previous_ = nullptr;
};
const auto* const knownDrives = ::testing::AddGlobalTestEnvironment(new TKnownDrivesEnvironment);

// What the folder tree holds, and the boxes shown so far, for a failure's
// message.
std::string TreeState(TDirTree& tree, const TRobot& robot) {
  std::string s = "handle " + std::to_string(tree.HandleAllocated()) + ", roots:";
  for (int i = 0; i < tree.RootCount(); ++i) {
    const TDirEntry* e = tree.Entry(tree.Root(i));
    s += " " + (e ? e->Path : "(" + tree.Root(i)->Text() + ")") + "[" + std::to_string(tree.Root(i)->Count()) +
         (e && e->Scanned ? " read" : "") + "]";
  }
  for (const std::string& box : robot.BoxLines()) s += "; box " + box;
  return s;
}

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

// A click of the mouse on a control, as its window gets it; a disabled
// graphic control gets none. The release is queued first: a press that
// starts a loop of its own (a toolbar's drag, say) finds it there.
void ClickControl(TControl* c) {
  TWinControl* parent = c->Parent();
  POINT at{c->Left() + c->Width() / 2, c->Top() + c->Height() / 2};
  POINT screen = at;
  ClientToScreen(parent->Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  LPARAM lp = MAKELPARAM(at.x, at.y);
  SendMessageA(parent->Handle(), WM_MOUSEMOVE, 0, lp);
  PostMessageA(parent->Handle(), WM_LBUTTONUP, 0, lp);
  SendMessageA(parent->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, lp);
  Application().ProcessMessages();
}

// Selects the file list's entry of this name (shown in lower case) and
// clicks it, as the mouse does.
void PickFile(TFileListView* list, const std::string& name) {
  std::string caption = name;
  for (char& ch : caption) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  for (int i = 0; i < list->Count(); ++i)
    list->Item(i)->SetSelected(list->Item(i)->Caption() == caption);
  NMLISTVIEW nm{};
  nm.hdr.hwndFrom = list->Handle();
  nm.hdr.code = NM_CLICK;
  nm.iItem = -1;
  SendMessageA(GetParent(list->Handle()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
}

class StudioMain : public ::testing::Test {
protected:
  StudioMain() {
    form = new TForm1(nullptr);
    form->SetProgramFolder(dir.Path() + "\\");
    form->SetBuildWindow(&build);
    form->Show();
    Application().ProcessMessages();  // the folder pane fills once the window is up
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

// The window comes up before the shell is asked for the folder pane; the
// first messages it handles fill the tree at the program's folder and give
// the source list its icons.
TEST(StudioStart, FolderPaneFillsOnceTheWindowIsUp) {
  TRobot robot;
  TForm1 form(nullptr);
  form.Show();
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(form.SourceDirView->RootCount(), 0);
  EXPECT_EQ(form.SourceImages->Count(), 0);
  Application().ProcessMessages();
  std::string program = ProgramFolderPath();
  EXPECT_EQ(_stricmp(form.SourceDirView->Directory().c_str(), program.c_str()), 0)
      << TreeState(*form.SourceDirView, robot);
  EXPECT_EQ(form.SourceImages->Count(), 2);
  EXPECT_EQ(_stricmp((form.SourceFileView->Directory() + "\\").c_str(), program.c_str()), 0);
  // Shown again, it keeps the folder the user went to.
  std::string parent = program.substr(0, program.rfind('\\', program.size() - 2) + 1);
  form.SourceDirView->SetDirectory(parent);
  form.Hide();
  form.Show();
  Application().ProcessMessages();
  EXPECT_EQ(_stricmp(form.SourceDirView->Directory().c_str(), parent.c_str()), 0);
  EXPECT_EQ(form.SourceImages->Count(), 2);
}

// The start-up forms are objects at once; each makes its windows when it
// is first shown.
TEST(StudioStart, FormsMakeTheirWindowsWhenFirstShown) {
  TRobot robot;
  TForm1 main(nullptr);
  TProgressForm progress(nullptr);
  TForm2 about(nullptr);
  TForm3 contact(nullptr);
  TForm* const forms[] = {&main, &progress, &about, &contact};
  for (TForm* f : forms) EXPECT_FALSE(f->HandleAllocated()) << f->Name();
  for (TForm* f : forms) {
    f->Show();
    ASSERT_TRUE(f->HandleAllocated()) << f->Name();
    EXPECT_NE(GetPropA(f->Handle(), "TZGradientCaption"), nullptr) << f->Name();
    f->Hide();
  }
}

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
  EXPECT_TRUE(form->MenuItem(cmNavArchiveInfo)->Checked());
  EXPECT_FALSE(form->MenuItem(cmNavSelfExtraction)->Visible());
  EXPECT_EQ(form->SourceDirView->Directory().back(), '\\') << TreeState(*form->SourceDirView, robot);
  // The page area fills what the tool bar, side bar and status bar leave.
  TPage* page = form->Notebook1->Page(pgArchiveInfo);
  EXPECT_EQ(page->Width(), form->Notebook1->Width());
  EXPECT_EQ(form->SideBar1->Width(), 80);
  EXPECT_EQ(form->Notebook1->Left(), form->SideBar1->Left() + 80 + 4);
  EXPECT_GT(form->Notebook1->Width(), 400);
  EXPECT_TRUE(page->Showing());
  EXPECT_TRUE(IsWindowVisible(form->e1->Handle()));
  RECT r;
  GetWindowRect(form->e1->Handle(), &r);
  EXPECT_GT(r.right - r.left, 300);
  // The source list's one column.
  char heading[64] = "";
  LVCOLUMNA col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = heading;
  col.cchTextMax = sizeof heading;
  ASSERT_TRUE(SendMessageA(form->SourceListView->Handle(), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&col)));
  EXPECT_STREQ(heading, "Item Name");
  EXPECT_GT(col.cx, 300);
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
  Application().ProcessMessages();
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
  EXPECT_TRUE(form->MenuItem(cmNavSelfExtraction)->Visible());
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
  EXPECT_TRUE(form->MenuItem(cmNavSourceFiles)->Checked());
  EXPECT_FALSE(form->MenuItem(cmNavArchiveInfo)->Checked());
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

// The dock: the menu bar in its first row, the "Standard" toolbar in the
// second; the menu's items with their shortcuts, and their status texts.
TEST_F(StudioMain, MenuBarAndToolbar) {
  EXPECT_EQ(form->MenuBar1->Parent(), form->Dock1);
  EXPECT_EQ(form->ToolBar1->Parent(), form->Dock1);
  EXPECT_EQ(form->MenuBar1->DockRow(), 0);
  EXPECT_EQ(form->ToolBar1->DockRow(), 1);
  EXPECT_EQ(form->ToolBar1->Caption(), "Standard");
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);  // the bar shows the menu
  // Its popups: a title band 18 wide, double-speed animation, hints.
  EXPECT_TRUE(form->MenuBar1->Options().Title.Visible);
  EXPECT_EQ(form->MenuBar1->Options().Title.Width, 18);
  EXPECT_TRUE(form->MenuBar1->Options().DoubleSpeed);
  EXPECT_EQ(form->MenuBar1->Options().Timeout, 10);
  EXPECT_TRUE(form->MenuBar1->ShowHint());
  std::vector<std::string> tops;
  for (TMenuBarButton* b : form->MenuBar1->Buttons()) tops.push_back(b->Caption());
  EXPECT_EQ(tops, (std::vector<std::string>{"&File", "&Navigate", "&Help"}));
  std::vector<std::string> tools;
  for (TControl* c : form->ToolBar1->ControlOrder())
    tools.push_back(dynamic_cast<TToolbarButton*>(c) ? dynamic_cast<TToolbarButton*>(c)->Caption() : "|");
  EXPECT_EQ(tools, (std::vector<std::string>{"New", "Open", "Save", "|", "Build Archive",
                                             "Test Self-Extracting Archive", "|", "Help", "VEXA On the Web"}));
  EXPECT_TRUE(form->HelpButton->Showing());
  EXPECT_GE(form->Notebook1->Top(), form->Dock1->Top() + form->Dock1->Height() + 3);

  struct Row {
    UINT id;
    const char* caption;
    const char* shortcut;
  } rows[] = {
      {cmNew, "&New", "Ctrl+N"},
      {cmOpen, "&Open...", "Ctrl+O"},
      {cmSave, "&Save", "Ctrl+S"},
      {cmSaveAs, "Save &As...", "Ctrl+A"},
      {cmBuild, "&Build Archive!", "Ctrl+F9"},
      {cmExit, "E&xit", ""},
      {cmNavArchiveInfo, "&General Archive Information", "Ctrl+1"},
      {cmNavSourceFiles, "&Source Files", "Ctrl+2"},
      {cmNavHelpPage, "&For Your Information", "Ctrl+3"},
      {cmNavCompression, "&Compression Options", "Ctrl+4"},
      {cmNavSelfExtraction, "Self-E&xtraction Settings", "Ctrl+5"},
      {cmHelpContents, "&Contents", "F1"},
      {cmHelpIntroduction, "&Introduction", ""},
      {cmHelpWeb, "&VEXA On the Web...", ""},
      {cmHelpMail, "Send Us &E-Mail", ""},
      {cmHelpAbout, "&About...", ""},
  };
  for (const Row& row : rows) {
    TMenuItem* item = form->MenuItem(row.id);
    ASSERT_NE(item, nullptr) << row.caption;
    EXPECT_EQ(item->Caption(), row.caption);
    EXPECT_EQ(ShortCutToText(item->ShortCut()), row.shortcut) << row.caption;
    EXPECT_NE(item->Hint().find('|'), std::string::npos) << row.caption;
  }

  // An item the keyboard selects puts its text into the status bar.
  TMenuBarButton* file = form->MenuBar1->Buttons().front();
  PrepareKeyboardOpen(file);
  file->Click();
  TAnimPopupForm* level = InnermostPopupForm();
  ASSERT_NE(level, nullptr);
  level->SelectItem(1);
  Application().ProcessMessages();
  EXPECT_EQ(form->StatusText(), "Open a project file");
  CloseActiveMenus(false);
  Application().ProcessMessages();
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
    EXPECT_FALSE(form->File1->Enabled());
    EXPECT_TRUE(form->Help1->Enabled());
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
  EXPECT_TRUE(form->File1->Enabled());
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
    ClickControl(form->TestButton);  // disabled: nothing
    form->SetTestEnabled(true);
    ClickControl(form->TestButton);
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
  // The tree selects the folder; its change points the file list there.
  form->SourceDirView->SetDirectory(dir.Path());
  std::string folder = form->SourceDirView->Directory();
  ASSERT_NE(folder, "?") << TreeState(*form->SourceDirView, robot);
  EXPECT_EQ(folder, [&] {
    std::string u = dir.Path() + "\\";
    for (char& ch : u) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    return u;
  }());
  EXPECT_EQ(_stricmp(form->SourceFileView->Directory().c_str(), dir.Path().c_str()), 0);
  EXPECT_EQ(form->StatusText(), "");
  auto click = [](TButton* b) { SendMessageA(b->Handle(), BM_CLICK, 0, 0); };
  auto* addFolder = dynamic_cast<TButton*>(form->FindComponent("AddFolderButton"));
  auto* addFile = dynamic_cast<TButton*>(form->FindComponent("AddFileButton"));
  auto* remove = dynamic_cast<TButton*>(form->FindComponent("RemoveButton"));
  click(addFolder);
  click(addFolder);
  // Pick the file, then the folder, in the file list; each only once.
  PickFile(form->SourceFileView, "a.txt");
  click(addFile);
  click(addFile);
  PickFile(form->SourceFileView, "Folder");
  click(addFile);
  std::string listed = form->SourceFileView->Directory() + "\\";
  std::vector<TSourceEntry> expected = {
      {folder, kFolderImage}, {listed + "a.txt", kFileImage}, {listed + "Folder", kFolderImage}};
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

// The file last clicked stays the one Add File adds after the tree moves
// the file list to another folder; before any click nothing is added.
TEST_F(StudioMain, AddFileAddsTheFileLastClicked) {
  std::string sub = dir / "Other";
  MakeDirs(sub);
  WriteFileBytes(dir / "a.txt", "a");
  auto* addFile = dynamic_cast<TButton*>(form->FindComponent("AddFileButton"));
  form->SourceDirView->SetDirectory(dir.Path());
  ASSERT_EQ(_stricmp(form->SourceFileView->Directory().c_str(), dir.Path().c_str()), 0)
      << TreeState(*form->SourceDirView, robot);
  SendMessageA(addFile->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form->SourceEntries().empty());
  PickFile(form->SourceFileView, "a.txt");
  std::string picked = form->SourceFileView->GetSelectedFile();
  ASSERT_FALSE(picked.empty());
  form->SourceDirView->SetDirectory(sub);
  ASSERT_EQ(_stricmp(form->SourceFileView->Directory().c_str(), sub.c_str()), 0)
      << TreeState(*form->SourceDirView, robot);
  SendMessageA(addFile->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->SourceEntries(), (std::vector<TSourceEntry>{{picked, kFileImage}}));
}

// F1 on a focused kind button shows its topic; elsewhere (no topic) the
// menu's F1 still opens the contents.
TEST_F(StudioMain, F1OnAKindButtonShowsItsTopic) {
  struct {
    TWinControl* control;
    ULONG_PTR topic;
  } rows[] = {{form->r1, 1001}, {form->r2, 1004}, {form->r3, 1002}, {form->r4, 1003}, {form->e1, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.control->Name());
    ::SetFocus(row.control->Handle());
    robot.HelpCalls.clear();
    robot.HelpData.clear();
    PostMessageA(row.control->Handle(), WM_KEYDOWN, VK_F1, 1);
    PostMessageA(row.control->Handle(), WM_KEYUP, VK_F1, 0xC0000001);
    Application().ProcessMessages();
    if (row.topic) {
      ASSERT_EQ(robot.HelpCalls.size(), 1u);
      EXPECT_EQ(robot.HelpCalls[0].first, Application().HelpFile());
      EXPECT_EQ(robot.HelpCalls[0].second, static_cast<UINT>(HELP_CONTEXT));
      EXPECT_EQ(robot.HelpData[0], row.topic);
    } else {
      for (const auto& call : robot.HelpCalls) EXPECT_NE(call.second, static_cast<UINT>(HELP_CONTEXT));
    }
  }
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

// What each kind shows, hides, enables and disables, and which settings
// page of the self-extraction page it turns to. The rows run in this
// order so that the two archive kinds are seen keeping the page before.
TEST_F(StudioMain, KindTable) {
  struct Row {
    TRadioButton* kind;
    bool selfExtracting;
    TSfxPage sfxPage;  // the page shown afterwards
    bool zipLevels;
    bool zipOptions;   // Add Sub-Dirs, hidden files, move, DOS names, passwords
  } rows[] = {
      {form->r2, true, TSfxPage::Cab, false, false},
      {form->r1, false, TSfxPage::Cab, false, false},
      {form->r4, true, TSfxPage::Zip, true, true},
      {form->r3, false, TSfxPage::Zip, true, true},
      {form->r1, false, TSfxPage::Zip, false, false},
  };
  TControl* const zipOnly[] = {form->CheckBox5, form->CheckBox1, form->CheckBox2, form->CheckBox3, form->pass1,
                               form->pass2,     form->PassLabel, form->PassLabel1, form->PassLabel2};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.kind->Caption());
    SendMessageA(row.kind->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(row.kind->Checked());
    EXPECT_TRUE(form->ProjectModified());
    EXPECT_EQ(form->SideSelfExtraction->Visible(), row.selfExtracting);
    EXPECT_EQ(form->MenuItem(cmNavSelfExtraction)->Visible(), row.selfExtracting);
    EXPECT_EQ(form->SfxPage(), row.sfxPage);
    EXPECT_EQ(form->ZipCompress->Visible(), row.zipLevels);
    EXPECT_EQ(form->cabCompress->Visible(), !row.zipLevels);
    for (TControl* c : zipOnly) EXPECT_EQ(c->Enabled(), row.zipOptions) << c->Name();
    EXPECT_TRUE(form->CheckBox4->Enabled());  // "Save Folder Names" serves every kind

    // The page's shortcut reaches the self-extraction page only when it is there.
    form->ShowPage(pgArchiveInfo);
    CtrlKey(form->e1->Handle(), '5');
    EXPECT_EQ(form->Notebook1->PageIndex(), row.selfExtracting ? pgSelfExtraction : pgArchiveInfo);
    form->ShowPage(pgArchiveInfo);
  }
}

// The output browse and Save As share one dialog: Save As shows whatever
// filter was set last, and the save prompts set the project filter.
TEST_F(StudioMain, SaveAsShowsTheFilterInForce) {
  auto* browse = dynamic_cast<TToolbarButton*>(form->FindComponent("BrowseButton"));
  ASSERT_NE(browse, nullptr);
  struct Row {
    const char* name;
    std::function<void()> act;
    std::vector<std::string> answers;  // the dialogs' names in turn
    const char* filter;
    const char* ext;
  } rows[] = {
      {"zip self-extractor output", [&] { SendMessageA(form->r4->Handle(), BM_CLICK, 0, 0); ClickControl(browse); },
       {dir / "Out.exe"}, "Self-Extracting Archives|*.exe", "exe"},
      {"save as after it", [&] { CtrlKey(form->e1->Handle(), 'A'); }, {""}, "Self-Extracting Archives|*.exe", "exe"},
      {"zip archive output", [&] { SendMessageA(form->r3->Handle(), BM_CLICK, 0, 0); ClickControl(browse); },
       {dir / "Out.zip"}, "Zip Archives|*.zip", "zip"},
      {"cabinet output", [&] { SendMessageA(form->r1->Handle(), BM_CLICK, 0, 0); ClickControl(browse); },
       {dir / "Out.cab"}, "Cabinet Archives|*.cab", "cab"},
      {"toolbar save of an untitled project", [&] { ClickControl(form->SaveButton); }, {""},
       "tidy-Zaderuzo Project Files|*.tpj", "tpj"},
      {"save as after the project filter", [&] { form->Command(cmSaveAs); }, {dir / "Named.tpj"},
       "tidy-Zaderuzo Project Files|*.tpj", "tpj"},
  };
  for (const Row& row : rows) {
    robot.Dialogs.clear();
    robot.FileNames.assign(row.answers.begin(), row.answers.end());
    row.act();
    ASSERT_EQ(robot.Dialogs.size(), 1u) << row.name;
    EXPECT_TRUE(robot.Dialogs[0].Save) << row.name;
    EXPECT_EQ(robot.Dialogs[0].Filter, row.filter) << row.name;
    EXPECT_EQ(robot.Dialogs[0].DefaultExt, row.ext) << row.name;
  }
  EXPECT_EQ(form->e2->Text(), dir / "Out.cab");
  EXPECT_EQ(form->CurrentProjectFile(), dir / "Named.tpj");
  EXPECT_TRUE(robot.Boxes.empty());
}

// Whatever changes the window's size or state from outside, it comes
// back to its own size in the normal state.
TEST_F(StudioMain, SizeSnapsBack) {
  HWND wnd = form->Handle();
  struct Row {
    const char* name;
    std::function<void()> act;
  } rows[] = {
      {"bounds from the program", [&] { form->SetBounds(form->Left(), form->Top(), 600, 300); }},
      {"moved and sized by the system", [&] { MoveWindow(wnd, 10, 10, 300, 500, TRUE); }},
      {"maximised", [&] { ShowWindow(wnd, SW_MAXIMIZE); }},
      {"restored to other bounds", [&] {
         ShowWindow(wnd, SW_MINIMIZE);
         WINDOWPLACEMENT wp{};
         wp.length = sizeof wp;
         GetWindowPlacement(wnd, &wp);
         wp.rcNormalPosition = RECT{20, 20, 720, 620};
         wp.showCmd = SW_RESTORE;
         SetWindowPlacement(wnd, &wp);
       }},
  };
  for (const Row& row : rows) {
    row.act();
    Application().ProcessMessages();
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 510) << row.name;
    EXPECT_EQ(r.bottom - r.top, 397) << row.name;
    EXPECT_FALSE(IsZoomed(wnd)) << row.name;
    EXPECT_FALSE(IsIconic(wnd)) << row.name;
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal) << row.name;
  }
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

// The main window and the real build window, over a program folder with
// the shipped files.
struct TStudioWithBuild {
  explicit TStudioWithBuild(const std::string& programFolder) {
    CopyShippedFiles(programFolder);
    form.SetProgramFolder(programFolder + "\\");
    progress.Settings = &form.Settings();
    progress.ProgramFolder = programFolder;
    form.SetBuildWindow(&window);
    form.Show();
    Application().ProcessMessages();
  }
  TForm1 form{nullptr};
  TProgressForm progress{nullptr};
  TRealBuild window{&progress};
};

TEST(StudioBuild, EachKindFromTheSampleProject) {
  TRobot robot;
  TTempDir program, out;
  TStudioWithBuild studio(program.Path());
  TForm1& form = studio.form;

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

namespace {

// The files below `folder`, by their path below it, with their contents.
std::map<std::string, std::string> FilesBelow(const std::string& folder, const std::string& prefix = "") {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      files.merge(FilesBelow(folder + "\\" + name, prefix + name + "\\"));
    else
      files[prefix + name] = ReadFileBytes(folder + "\\" + name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return files;
}

// A new user's first package, by the window's own keys, buttons and
// dialogs: the tree's folder added, a zip self-extractor chosen, named
// through the browse button, built with Ctrl+F9, then test-run. The robot's
// transcript holds what the user was shown; the package extracts the folder.
TEST(StudioRoad, NewUserBuildsAndTestRunsAPackage) {
  TRobot robot;
  TTempDir program, work;
  TStudioWithBuild studio(program.Path());
  TForm1& form = studio.form;
  WriteFileBytes(program / "DataFlag.Da2", "");
  const std::string source = work / "My Files", target = work / "Unpacked";
  MakeDirs(source + "\\docs");
  WriteFileBytes(source + "\\readme.txt", "Read me first.");
  WriteFileBytes(source + "\\docs\\guide.txt", "A guide.");
  MakeDirs(target);
  HWND keys = form.e1->Handle();
  auto click = [](TWinControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); };

  // Start: a new project on its first page.
  EXPECT_EQ(form.ProjectCaption(), "My Project");
  EXPECT_EQ(form.Notebook1->PageIndex(), pgArchiveInfo);

  // The source page: the folder chosen in the tree, then added.
  CtrlKey(keys, '2');
  ASSERT_EQ(form.Notebook1->PageIndex(), pgSourceFiles);
  form.SourceDirView->SetDirectory(source);
  ASSERT_NE(form.SourceDirView->Directory(), "?") << TreeState(*form.SourceDirView, robot);
  click(dynamic_cast<TWinControl*>(form.FindComponent("AddFolderButton")));
  ASSERT_EQ(form.SourceEntries().size(), 1u);
  EXPECT_EQ(_stricmp(form.SourceEntries()[0].Caption.c_str(), (source + "\\").c_str()), 0);

  // The kind, the title and the output name through the browse button.
  CtrlKey(keys, '1');
  click(form.r4);
  form.e1->SetText("My Package");
  const std::string package = work / "My Package.exe";
  robot.FileNames = {package};
  ClickControl(dynamic_cast<TControl*>(form.FindComponent("BrowseButton")));
  EXPECT_EQ(form.e2->Text(), package);
  // The compression page: sub-folders too (without their names, so the
  // package extracts every file into the one folder).
  CtrlKey(keys, '4');
  click(form.CheckBox5);

  // Build: the first-use notice, then the offer to test; the test run
  // extracts into the target folder through the extractor's test hook.
  const std::string log = work / "stub.log", answers = work / "answers.txt";
  WriteFileBytes(answers, "folder " + target + "\nextract\n");
  SetEnvironmentVariableA("TZ_STUB_LOG", log.c_str());
  SetEnvironmentVariableA("TZ_STUB_ANSWERS", answers.c_str());
  robot.PassProgramsThrough = true;
  robot.Answers = {IDOK, IDYES};
  CtrlKey(keys, VK_F9);
  std::string text;
  for (int i = 0; i < 400 && text.find("exit ") == std::string::npos; ++i) {
    Sleep(50);  // the package runs on its own
    if (FileExists(log)) text = ReadFileBytes(log);
  }
  SetEnvironmentVariableA("TZ_STUB_LOG", nullptr);
  SetEnvironmentVariableA("TZ_STUB_ANSWERS", nullptr);

  std::vector<std::pair<std::string, std::string>> shown;
  for (const TShownBox& box : robot.Boxes) shown.emplace_back(box.Caption, box.Text);
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, std::string>>{
                       {"tidy Disk-Zaderuzo - iNFORMATION",
                        "Since this is the first time you use this program. Please read the 'About' Section "
                        "carefully."},
                       {"tidy-Zaderuzo Studio", "Do you wish to test the Self-Extracting Archive right now?"},
                   }));
  EXPECT_EQ(robot.Unscripted, 0);
  EXPECT_FALSE(FileExists(program / "DataFlag.Da2"));
  EXPECT_EQ(robot.Programs, (std::vector<std::string>{"\"" + package + "\""}));
  EXPECT_EQ(form.Notebook1->PageIndex(), pgCompression);
  EXPECT_EQ(form.StatusText(), "");
  EXPECT_TRUE(form.TestButton->Enabled());

  // The package: the extractor before the archive, which holds the folder.
  std::string bytes = ReadFileBytes(package);
  std::string stub = ReadFileBytes(program / "Stub1.Bin");
  EXPECT_EQ(bytes.substr(0, stub.size()), stub);
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "Stub1.Bin \"" + package + "\"") << text;
  EXPECT_NE(text.find("window My Package\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("exit 0"), std::string::npos) << text;
  EXPECT_EQ(FilesBelow(target), (std::map<std::string, std::string>{{"readme.txt", "Read me first."},
                                                                    {"guide.txt", "A guide."}}));
}

}  // namespace
// The status strip is 19 high at the bottom of the client area, also
// after the menu bar took the place of the window's own menu.
TEST_F(StudioMain, StatusStripSitsAtTheBottom) {
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_EQ(form->TheStatusBar->Height(), 19);
  EXPECT_EQ(form->TheStatusBar->Top() + form->TheStatusBar->Height(), client.bottom);
  EXPECT_EQ(form->Notebook1->Top() + form->Notebook1->Height(), form->TheStatusBar->Top());
}
