// The folder controls, the folder chooser, the next-disk prompt and the
// background window with its steps, under Wine with the robot.
#include "DiskFiles.h"
#include "Files.h"
#include "CmnFunc2.h"
#include "Main.h"
#include "MainForm.h"
#include "MainFormPaint.h"
#include "NewDiskForm.h"
#include "NewFCtrl.h"
#include "Robot.h"
#include "SelFolderForm.h"
#include "Steps.h"
#include "TestPaths.h"
#include "WindowSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

#define EXPECT_SAME_PATH(a, b) EXPECT_EQ(Lower(a), Lower(b))

// Keeps and restores the process's current folder and the program-wide
// values these tests set.
struct TSetupState {
  std::string cwd;
  TSetupScript Script;
  TSetupState() {
    char buf[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buf);
    cwd = buf;
    FirstActivationDone = false;
    RestartChosen = false;
    ReadmeFileName.clear();
    RestartNeeded = false;
    DestFolder.clear();
    GroupName.clear();
    SkipIcons = false;
    Script.ScriptHeader.ProgramName = "Test App";
    Script.ScriptHeader.NoticeLine = "Notice";
    Script.ScriptHeader.BackColor = 0xFF0000;
  }
  ~TSetupState() {
    SetCurrentDirectoryA(cwd.c_str());
    PromptForDiskHook = nullptr;
    Application().ResetTerminated();
    CreateWizardWindow = CreateWizardForm;
    CreateInstallWindow = CreateInstallForm;
  }
};

std::vector<std::string> ItemsOf(const TItemsControl& c) { return c.Items(); }

// ---- Folder list, drive picker and path label

TEST(NewDirectoryListBox, LinesOfARealFolder) {
  TSetupState state;
  TTempDir root;
  MakeDirs(root / "Beta");
  MakeDirs(root / "alpha");
  MakeDirs(root / "Gamma\\deeper");
  WriteFileBytes(root / "file.txt", "not a folder");
  TForm form(nullptr);
  auto* list = new TNewDirectoryListBox(&form);
  list->SetParent(&form);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  list->SetDirLabel(label);
  int changes = 0;
  list->OnChange = [&](TComponent*) { ++changes; };
  form.HandleNeeded();
  list->SetDirectory(root.Path());
  EXPECT_EQ(changes, 1);
  EXPECT_SAME_PATH(list->Directory(), root.Path());
  EXPECT_EQ(label->Caption(), list->Directory());

  // Path lines from the root down, then the sub-folders sorted.
  const std::vector<TDirLine>& lines = list->Lines();
  size_t depth = std::count(root.Path().begin(), root.Path().end(), '\\');
  ASSERT_EQ(lines.size(), depth + 1 + 3);
  EXPECT_EQ(lines[0].Name, "C:\\");
  EXPECT_EQ(lines[depth].Kind, dlCurrentFolder);
  EXPECT_EQ(list->ItemIndex(), static_cast<int>(depth));
  std::vector<std::string> subs;
  for (size_t i = depth + 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].Kind, dlSubFolder);
    subs.push_back(lines[i].Name);
  }
  EXPECT_EQ(subs, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
  EXPECT_EQ(ItemsOf(*list).size(), lines.size());

  // Opening a sub-folder, then a parent line.
  list->SetItemIndex(static_cast<int>(depth) + 3);
  list->OpenCurrent();
  EXPECT_SAME_PATH(list->Directory(), root / "Gamma");
  EXPECT_EQ(list->Lines().back().Name, "deeper");
  list->SetItemIndex(0);
  EXPECT_EQ(list->GetItemPath(0), "C:\\");
  list->SetItemIndex(static_cast<int>(depth));
  list->OpenCurrent();
  EXPECT_SAME_PATH(list->Directory(), root.Path());
  EXPECT_EQ(changes, 3);

  // An unknown folder raises and leaves the list as it was.
  EXPECT_THROW(list->SetDirectory(root / "missing"), EInOutError);
  EXPECT_SAME_PATH(list->Directory(), root.Path());
}

TEST(NewDriveComboBox, ListsTheDrivesAndFollowsTheFolderList) {
  TSetupState state;
  TTempDir dir;
  SetCurrentDirectoryA(dir.Path().c_str());
  TForm form(nullptr);
  auto* list = new TNewDirectoryListBox(&form);
  list->SetParent(&form);
  auto* combo = new TNewDriveComboBox(&form);
  combo->SetParent(&form);
  combo->SetDirList(list);
  form.HandleNeeded();
  // Wine has C: and Z:, both fixed, with empty labels: letter, colon, space.
  std::vector<std::string> items = ItemsOf(*combo);
  ASSERT_GE(items.size(), 2u);
  EXPECT_NE(std::find(items.begin(), items.end(), "c: "), items.end());
  EXPECT_NE(std::find(items.begin(), items.end(), "z: "), items.end());
  for (int i = 0; i < combo->ItemCount(); ++i) EXPECT_EQ(combo->ItemKind(i), dkFixed) << items[static_cast<size_t>(i)];
  EXPECT_EQ(Lower(std::string(1, combo->Drive())), "c");
  EXPECT_EQ(combo->Items()[static_cast<size_t>(combo->ItemIndex())], "c: ");

  combo->SetTextCase(TTextCase::tcUpperCase);
  EXPECT_EQ(combo->Items()[static_cast<size_t>(combo->ItemIndex())], "C: ");

  // A folder on another drive moves the picker; picking a drive moves the list.
  std::string z = HostPath(TZ_SOURCE_DIR);
  list->SetDirectory(z);
  EXPECT_EQ(Lower(std::string(1, combo->Drive())), "z");
  EXPECT_EQ(Lower(combo->Items()[static_cast<size_t>(combo->ItemIndex())]).substr(0, 2), "z:");
  char expected[MAX_PATH] = "";
  GetFullPathNameA("C:", MAX_PATH, expected, nullptr);  // C:'s current folder, seen from Z:
  combo->SetDrive('c');
  EXPECT_EQ(Lower(list->Directory()), Lower(expected));
  EXPECT_EQ(Lower(list->Directory()).substr(0, 2), "c:");
}

TEST(NewDriveComboBox, ItemsAskOnlyForWhatTheyShow) {
  struct Row {
    const char* name;
    UINT type;
    char letter;
    bool connected;
    std::string text;
    int kind, labelAsks;
  } rows[] = {
      {"floppy: its letter alone", DRIVE_REMOVABLE, 'a', false, "a:", dkRemovable, 0},
      {"fixed", DRIVE_FIXED, 'c', false, "c: system", dkFixed, 1},
      {"upper case", DRIVE_FIXED, 'C', false, "C: SYSTEM", dkFixed, 1},
      {"CD-ROM", DRIVE_CDROM, 'd', false, "d: system", dkCDROM, 1},
      {"RAM disk", DRIVE_RAMDISK, 'r', false, "r: system", dkRAM, 1},
      {"network", DRIVE_REMOTE, 'n', true, "n: \\\\server\\share", dkNetwork, 0},
      {"network without its name", DRIVE_REMOTE, 'n', false, "n: system", dkNetwork, 1},
      {"unknown kind", DRIVE_UNKNOWN, 'x', false, "x: system", dkFixed, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    int labelAsks = 0;
    TDriveItem item = MakeDriveItem(
        r.type, r.letter,
        [&] {
          ++labelAsks;
          return std::string("System");
        },
        [&](std::string& name) {
          name = "\\\\Server\\Share";
          return r.connected;
        });
    EXPECT_EQ(item.Text, r.text);
    EXPECT_EQ(item.Kind, r.kind);
    EXPECT_EQ(labelAsks, r.labelAsks);
  }
}

TEST(NewPathLabel, ShortensToItsWidth) {
  TForm form(nullptr);
  auto* label = new TNewPathLabel(&form);
  label->SetParent(&form);
  EXPECT_FALSE(label->AutoSize());
  EXPECT_FALSE(label->ShowAccelChar());
  label->SetCaption("C:\\Program Files\\Some Application\\file.txt");
  TBitmap bmp(400, 30);
  TCanvas& canvas = bmp.Canvas();
  canvas.Font.Assign(label->Font());
  auto measure = [&canvas](const std::string& s) { return canvas.TextWidth(s); };
  for (int width : {400, 200, 150, 120, 60, 10}) {
    label->SetBounds(0, 0, width, 20);
    EXPECT_EQ(label->ShortenedText(canvas), ShortenPath(label->Caption(), width, measure)) << width;
  }
  label->SetBounds(0, 0, canvas.TextWidth("C:\\...\\file.txt") + 1, 20);
  EXPECT_EQ(label->ShortenedText(canvas), "C:\\...\\file.txt");
}

// ---- Folder chooser

TEST(ChooseDirForm, OpensAtThePathAndAppendsTheNewFolderName) {
  TSetupState state;
  TRobot robot;
  TTempDir root;
  MakeDirs(root / "Apps\\Old");
  auto* chooser = new TChooseDirForm(&Application());
  ASSERT_EQ(ChooseDirForm, chooser);
  EXPECT_EQ(chooser->Caption(), "Select Folder");
  struct Row {
    const char* name;
    std::string start, createName, afterOpen;  // afterOpen: after opening "Old"
  } rows[] = {
      {"wizard: a new folder under an existing one", root / "Apps\\MyApp", "MyApp", root / "Apps\\Old\\MyApp"},
      {"next disk: nothing appended", root / "Apps", "", root / "Apps\\Old"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    chooser->TheEdit->SetText(r.start);
    chooser->CreateName->SetCaption(r.createName);
    TSteps steps;
    steps.Then([&] {
      // The edit keeps the caller's text; the list stands on the nearest folder.
      EXPECT_EQ(chooser->TheEdit->Text(), r.start);
      EXPECT_SAME_PATH(chooser->NewDirectoryListBox1->Directory(), root / "Apps");
      const auto& lines = chooser->NewDirectoryListBox1->Lines();
      auto it = std::find_if(lines.begin(), lines.end(), [](const TDirLine& l) { return l.Name == "Old"; });
      ASSERT_NE(it, lines.end());
      chooser->NewDirectoryListBox1->SetItemIndex(static_cast<int>(it - lines.begin()));
      chooser->NewDirectoryListBox1->OpenCurrent();
      EXPECT_SAME_PATH(chooser->TheEdit->Text(), r.afterOpen);
      chooser->OKButton->Click();
    });
    EXPECT_EQ(chooser->ShowModal(), mrOk);
    EXPECT_EQ(steps.Done(), 1);
  }
  EXPECT_EQ(NearestExistingFolder(root / "no\\such\\folder"), root.Path());
  // A drive letter the prefix does not have (other tests add drives).
  char absent = 'Y';
  while (absent > 'D' && (GetLogicalDrives() >> (absent - 'A') & 1)) --absent;
  EXPECT_EQ(NearestExistingFolder(std::string(1, absent) + ":\\nothing"), "");
  EXPECT_EQ(NearestExistingFolder("relative"), "");
  delete chooser;
  EXPECT_EQ(ChooseDirForm, nullptr);
}

// ---- Next-disk prompt

// src holds SETUP.0's folder; the second disk is elsewhere, in a folder
// whose name has a space, so no DISK2 sibling is found.
struct TDiskLayout {
  TTempDir Root;
  std::string Src = Root / "src", Disk = Root / "elsewhere\\disk two";
  std::unique_ptr<TChooseDirForm> Chooser;
  TDiskLayout() {
    MakeDirs(Src);
    MakeDirs(Disk);
    WriteFileBytes(Disk + "\\SETUP.2", "disk 2");
    SourceFolder = Src;
    CurrentSourceFolder = Src;
    InstallNewDiskPrompt();
    Chooser.reset(new TChooseDirForm(&Application()));
  }
};

// The 48 x 48 disk picture is the floppy picture three times as large,
// pixel for pixel, its key colour turned into the dialog's: no blend of
// the key colour is left at the edges.
void ExpectCleanDiskPicture(TNewDiskForm& prompt) {
  const std::string name = std::string("NFC_FLOPPY") + (IsWindows4OrLater() ? "95" : "");
  auto bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(bitmap, nullptr);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  const COLORREF back = ColorToRGB(prompt.Color());
  HDC picture = prompt.Image1->Picture().DC();
  int wrong = 0, keyed = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      COLORREF want = GetPixel(source, x / 3, y / 3);
      if (want == RGB(255, 0, 255)) {
        want = back;
        ++keyed;
      }
      if (GetPixel(picture, x, y) != want) ++wrong;
    }
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
  EXPECT_GT(keyed, 0);
  EXPECT_EQ(wrong, 0);
}

TEST(NewDiskPrompt, BrowseToTheRightFolderGoesOn) {
  TSetupState state;
  TRobot robot;
  TDiskLayout l;
  TSteps steps;
  steps.Then([&] {
    TNewDiskForm* prompt = ModalForm<TNewDiskForm>();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->Caption(), "Please Insert the Next Disk");
    EXPECT_EQ(prompt->Font().Name(), "Arial");
    ExpectCleanDiskPicture(*prompt);
    EXPECT_EQ(prompt->SelectDiskLabel->Caption(),
              "Please insert Disk 2 and click OK.\r\n\r\nIf the files on this disk can be found in a folder other "
              "than the one displayed below, enter the correct path or click Browse.");
    EXPECT_EQ(prompt->PathEdit->Text(), l.Src);
    prompt->PathEdit->SetText("  " + l.Src + "  ");
    prompt->BrowseButton->Click();
  });
  steps.Then([&] {
    TChooseDirForm* chooser = ModalForm<TChooseDirForm>();
    ASSERT_EQ(chooser, l.Chooser.get());
    EXPECT_EQ(chooser->Label1->Caption(), "Please specify the location of the Next Disk and click OK to continue.");
    EXPECT_EQ(chooser->TheEdit->Text(), l.Src);  // trimmed
    EXPECT_EQ(chooser->CreateName->Caption(), "");
    chooser->NewDirectoryListBox1->SetDirectory(l.Root / "elsewhere");
    const auto& lines = chooser->NewDirectoryListBox1->Lines();
    auto it = std::find_if(lines.begin(), lines.end(), [](const TDirLine& x) { return x.Name == "disk two"; });
    ASSERT_NE(it, lines.end());
    chooser->NewDirectoryListBox1->SetItemIndex(static_cast<int>(it - lines.begin()));
    chooser->NewDirectoryListBox1->OpenCurrent();
    chooser->OKButton->Click();
  });
  steps.Then([&] {
    TNewDiskForm* prompt = ModalForm<TNewDiskForm>();
    ASSERT_NE(prompt, nullptr);
    EXPECT_SAME_PATH(prompt->PathEdit->Text(), l.Disk);
    prompt->OKButton->Click();
  });
  std::string path = LocateDiskFile(2);
  EXPECT_EQ(steps.Done(), 3);
  EXPECT_SAME_PATH(path, l.Disk + "\\SETUP.2");
  EXPECT_SAME_PATH(CurrentSourceFolder, l.Disk + "\\");
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(ModalForm<TNewDiskForm>(), nullptr);
  // The prompt is made anew for each disk and freed afterwards.
  for (TForm* f : Screen().Forms()) EXPECT_EQ(dynamic_cast<TNewDiskForm*>(f), nullptr);
}

TEST(NewDiskPrompt, CancelAsksTheExitQuestion) {
  TSetupState state;
  TRobot robot;
  TDiskLayout l;
  TSteps steps;
  const std::string question =
      "Setup is not complete. If you quit now, the program will not be installed.\r\n\r\nYou may run the Setup "
      "program again at a another time to complete the installation.\r\n\r\nExit Setup?";
  robot.Answers = {IDNO};
  steps.Then([&] { ModalForm<TNewDiskForm>()->CancelButton->Click(); });
  steps.Then([&] {
    // No keeps the prompt; Escape asks again, and Yes gives up.
    TNewDiskForm* prompt = ModalForm<TNewDiskForm>();
    ASSERT_NE(prompt, nullptr);
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text, question);
    EXPECT_EQ(robot.Boxes[0].Caption, "Exit Setup");
    EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION));
    robot.Answers = {IDYES};
    PostMessageA(prompt->PathEdit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_THROW(LocateDiskFile(2), EAbort);
  EXPECT_EQ(steps.Done(), 2);
  EXPECT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Unscripted, 0);
}

TEST(NewDiskPrompt, WrongFolderWarnsAndATrailingBackslashIsNotDoubled) {
  TSetupState state;
  TRobot robot;
  TDiskLayout l;
  MakeDirs(l.Root / "empty");
  TSteps steps;
  steps.Then([&] {
    TNewDiskForm* prompt = ModalForm<TNewDiskForm>();
    prompt->PathEdit->SetText(l.Root / "empty\\");
    prompt->OKButton->Click();
  });
  steps.Then([&] {
    TNewDiskForm* prompt = ModalForm<TNewDiskForm>();
    ASSERT_NE(prompt, nullptr);  // still open
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text, "The file \"SETUP.2\" could not be located in \"" + (l.Root / "empty") +
                                       "\". Please insert the correct disk or select another folder.");
    EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    prompt->PathEdit->SetText(l.Disk + "\\");
    EXPECT_SAME_PATH(prompt->DiskFilePath(), l.Disk + "\\SETUP.2");
    prompt->OKButton->Click();
  });
  std::string path = LocateDiskFile(2);
  EXPECT_SAME_PATH(path, l.Disk + "\\SETUP.2");
  EXPECT_EQ(path.find("\\\\"), std::string::npos);
  // A drive root keeps its backslash in the message and is not doubled either.
  TNewDiskForm form(nullptr);
  form.FileName = "SETUP.9";
  form.PathEdit->SetText("C:\\");
  EXPECT_EQ(form.DiskFilePath(), "C:\\SETUP.9");
}

// ---- Background window and steps

// A wizard window that records what the steps ask of it.
class TFakeWizard : public TForm, public IWizardWindow {
public:
  TFakeWizard(TComponent* owner, TMainForm& main) : TForm(owner), main_(main) {}
  std::vector<std::string> Calls;
  std::function<void()> OnFirstPages;
  std::string Dir = "C:\\Dest", Group = "Group";
  bool NoIcons = false, Yes = true, Readme = true;

  TForm& Form() override { return *this; }
  void ShowFirstPages() override {
    Calls.push_back("first");
    Show();
    if (OnFirstPages) OnFirstPages();
  }
  std::string DirEditText() override { return Dir; }
  std::string GroupEditText() override { return Group; }
  bool NoIconsChecked() override { return NoIcons; }
  void SetFinishedText(const std::string& text) override { Calls.push_back("finished:" + text); }
  void ShowRestartChoice() override { Calls.push_back("restart"); }
  void ShowReadmeChoice() override { Calls.push_back("readme"); }
  void ShowInstCheck(bool visible) override { Calls.push_back(visible ? "inst" : "no inst"); }
  void ShowFinishPage(int page) override {
    Calls.push_back("page " + std::to_string(page));
    Show();
  }
  bool YesRadioChecked() override { return Yes; }
  bool ShowReadmeChecked() override { return Readme; }

protected:
  void CreateParams(TCreateParams& p) override {
    TForm::CreateParams(p);
    p.WndParent = main_.Handle();
  }

private:
  TMainForm& main_;
};

class TFakeInstall : public TForm, public IInstallWindow {
public:
  TFakeInstall(TComponent* owner, TMainForm& main, std::function<void(TFakeInstall&)> run)
      : TForm(owner), main_(main), run_(std::move(run)) {}
  TForm& Form() override { return *this; }
  void Run() override {
    Show();
    if (run_) run_(*this);
    PostMessageA(main_.Handle(), NextStepMessage, 0, 0);
  }
  TMainForm& main_;

private:
  std::function<void(TFakeInstall&)> run_;
};

struct TSteps4 {
  TSetupState state;
  TRobot robot;
  TFakeWizard* wizard = nullptr;
  int wizardsMade = 0, installsMade = 0;
  std::function<void(TFakeInstall&)> installRun;
  TMainForm* main = nullptr;

  TSteps4() {
    CreateWizardWindow = [this](TMainForm& m) -> IWizardWindow* {
      ++wizardsMade;
      wizard = new TFakeWizard(&Application(), m);
      return wizard;
    };
    CreateInstallWindow = [this](TMainForm& m) -> std::unique_ptr<IInstallWindow> {
      ++installsMade;
      return std::make_unique<TFakeInstall>(nullptr, m, installRun);
    };
    main = new TMainForm(&Application(), state.Script);
    Application().SetMainForm(main);
  }
  ~TSteps4() {
    delete main;
    delete wizard;
  }
  void Next() {
    SendMessageA(main->Handle(), NextStepMessage, 0, 0);
    Application().ProcessMessages();
  }
};

TEST(MainForm, WindowAndSystemMenu) {
  TSteps4 s;
  EXPECT_EQ(MainForm, s.main);
  EXPECT_EQ(s.main->Caption(), "Setup");
  EXPECT_EQ(s.main->Color(), clNavy);
  EXPECT_EQ(s.main->Width(), GetSystemMetrics(SM_CXSCREEN));
  ASSERT_NE(s.main->GetPalette(), nullptr);
  PALETTEENTRY entries[kBandCount];
  ASSERT_EQ(GetPaletteEntries(s.main->GetPalette(), 0, kBandCount, entries), static_cast<UINT>(kBandCount));
  for (int i : {0, 1, 63}) {
    uint32_t c = BandColor(0xFF0000, i);
    EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue), c) << i;
  }
  HMENU menu = GetSystemMenu(s.main->Handle(), FALSE);
  char text[64] = "";
  GetMenuStringA(menu, kAboutCommand, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&About Setup Wizard...");
  EXPECT_NE(GetMenuState(menu, kAboutSeparatorCommand, MF_BYCOMMAND) & MF_SEPARATOR, 0u);

  // The About item shows the About box modally.
  TAboutForm about(&Application());
  TSteps steps;
  steps.Then([&] {
    ASSERT_EQ(ModalForm<TAboutForm>(), &about);
    EXPECT_EQ(about.Caption(), "About Setup Wizard");
    bool version = false;
    for (int i = 0; i < about.ControlCount(); ++i) version |= about.Controls(i)->Caption() == "Version 2.00.312";
    EXPECT_TRUE(version);
    about.Close();
  });
  SendMessageA(s.main->Handle(), WM_SYSCOMMAND, kAboutCommand, 0);
  EXPECT_EQ(steps.Done(), 1);
}

TEST(MainForm, PaintsTheBandsOrOneFlatColour) {
  for (bool solid : {false, true}) {
    SCOPED_TRACE(solid ? "solid" : "gradient");
    TSteps4 s;
    delete s.main;
    s.state.Script.ScriptHeader.HeaderOptions = solid ? hoSolidBackground : 0;
    s.state.Script.ScriptHeader.BackColor = 0x00C08040;
    s.main = new TMainForm(&Application(), s.state.Script);
    EXPECT_EQ(s.main->GetPalette() == nullptr, solid);
    FirstActivationDone = true;  // no steps here
    s.main->Show();
    UpdateWindow(s.main->Handle());
    RECT r;
    GetClientRect(s.main->Handle(), &r);
    HDC dc = GetDC(s.main->Handle());
    int x = r.right - 3;
    for (int band : {0, 20, 62}) {
      int y = BandTop(r.bottom, band) + 1;
      COLORREF expected = solid ? 0x00C08040 : BandColor(0x00C08040, band);
      EXPECT_EQ(GetPixel(dc, x, y), expected) << band;
    }
    ReleaseDC(s.main->Handle(), dc);
  }
}

TEST(MainForm, StepsRunInOrderAndEachEndReadsTheWizard) {
  TSteps4 s;
  TScriptFile readme1, readme2;
  readme1.DestName = "{app}\\readme.txt";
  readme1.FileOptions = foIsReadme;
  readme2.DestName = "{app}\\second.txt";
  readme2.FileOptions = foIsReadme;
  s.state.Script.FileList = {TScriptFile{}, readme1, readme2};
  s.Next();  // first activation's message
  EXPECT_EQ(s.main->StepIndex, 1);
  ASSERT_NE(s.wizard, nullptr);
  EXPECT_EQ(s.wizard->Calls, (std::vector<std::string>{"first"}));
  s.wizard->Dir = "C:\\Chosen";
  s.wizard->Group = "My Group";
  s.wizard->NoIcons = true;
  s.Next();  // the Ready page: install, then the finish pages
  EXPECT_EQ(DestFolder, "C:\\Chosen");
  EXPECT_EQ(GroupName, "My Group");
  EXPECT_TRUE(SkipIcons);
  EXPECT_EQ(s.installsMade, 1);
  EXPECT_EQ(s.main->StepIndex, 3);
  EXPECT_EQ(s.main->InstallForm(), nullptr);  // freed when its step ended
  EXPECT_EQ(s.wizard->Calls, (std::vector<std::string>{"first", "readme", "page 7"}));
  EXPECT_EQ(ReadmeFileName, "C:\\Chosen\\readme.txt");  // only the first readme
  s.Next();  // Finish
  EXPECT_EQ(s.robot.ShellCalls, (std::vector<std::string>{"|C:\\Chosen\\readme.txt|"}));
  EXPECT_EQ(s.main->StepIndex, 4);
  EXPECT_TRUE(s.main->ClosingAgreed);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(s.robot.Boxes.empty());
  EXPECT_EQ(s.wizardsMade, 1);
}

TEST(MainForm, RestartRequirementAndInformationAfter) {
  TSteps4 s;
  RestartNeeded = true;
  s.state.Script.InfoAfterText = "After";
  TScriptFile readme;
  readme.DestName = "{app}\\readme.txt";
  readme.FileOptions = foIsReadme;
  s.state.Script.FileList = {readme};
  s.Next();
  s.Next();
  EXPECT_EQ(s.wizard->Calls,
            (std::vector<std::string>{"first",
                                      "finished:Setup has made changes to your computer and you are advised to "
                                      "restart your computer now. Would you like to do it now?",
                                      "restart", "page 6"}));
  EXPECT_EQ(ReadmeFileName, "");
  s.wizard->Yes = false;
  s.Next();
  EXPECT_FALSE(RestartChosen);
  EXPECT_TRUE(s.robot.ShellCalls.empty());
  RestartNeeded = false;
}

TEST(MainForm, NoReentryWhileAStepRuns) {
  TSteps4 s;
  int seenStep = -1;
  s.installRun = [&](TFakeInstall& install) {
    // Duplicates while the install runs inside the step's handler.
    PostMessageA(install.main_.Handle(), NextStepMessage, 0, 0);
    SendMessageA(install.main_.Handle(), NextStepMessage, 0, 0);
    Application().ProcessMessages();
    seenStep = install.main_.StepIndex;
    EXPECT_TRUE(install.main_.StepRunning());
  };
  s.Next();
  s.Next();
  EXPECT_EQ(seenStep, 2);
  EXPECT_EQ(s.main->StepIndex, 3);  // one step on from the install, not two
  EXPECT_EQ(s.wizard->Calls, (std::vector<std::string>{"first", "page 7"}));
  EXPECT_FALSE(s.main->StepRunning());
  EXPECT_FALSE(Application().Terminated());
}

TEST(MainForm, FirstActivationStartsTheWizardOnce) {
  TSteps4 s;
  bool flagWhenShown = false;
  int activationsWhileShowing = 0;
  auto make = CreateWizardWindow;
  CreateWizardWindow = [&](TMainForm& m) {
    IWizardWindow* w = make(m);
    s.wizard->OnFirstPages = [&] {
      flagWhenShown = FirstActivationDone;
      // Showing the wizard activates the background window again.
      ++activationsWhileShowing;
      SendMessageA(s.main->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    };
    return w;
  };
  s.main->Show();
  Application().ProcessMessages();
  if (s.wizardsMade == 0) SendMessageA(s.main->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(s.wizardsMade, 1);
  EXPECT_EQ(activationsWhileShowing, 1);
  EXPECT_TRUE(flagWhenShown);
  EXPECT_EQ(s.main->StepIndex, 1);
  SendMessageA(s.main->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  Application().ProcessMessages();
  EXPECT_EQ(s.main->StepIndex, 1);
  EXPECT_EQ(s.wizard->Calls, (std::vector<std::string>{"first"}));
}

TEST(MainForm, ClosingAsksBeforeTheInstallAndNotAfter) {
  {
    SCOPED_TRACE("step 1");
    TSteps4 s;
    s.Next();
    s.robot.Answers = {IDNO};
    s.main->Close();
    ASSERT_EQ(s.robot.Boxes.size(), 1u);
    EXPECT_EQ(s.robot.Boxes[0].Caption, "Exit Setup");
    EXPECT_FALSE(s.main->ClosingAgreed);
    EXPECT_FALSE(Application().Terminated());
    s.robot.Answers = {IDYES};
    s.main->Close();
    EXPECT_TRUE(s.main->ClosingAgreed);
    EXPECT_TRUE(Application().Terminated());
  }
  {
    SCOPED_TRACE("step 2, install window up");
    TSteps4 s;
    bool installAsked = false;
    s.installRun = [&](TFakeInstall& install) {
      install.OnCloseQuery = [&](TComponent*, bool& canClose) {
        installAsked = true;
        canClose = false;
      };
      s.main->Close();
    };
    s.Next();
    s.Next();
    EXPECT_TRUE(installAsked);
    EXPECT_TRUE(s.robot.Boxes.empty());
    EXPECT_EQ(s.main->StepIndex, 3);
    EXPECT_FALSE(Application().Terminated());
  }
  {
    SCOPED_TRACE("while programs run");
    TSteps4 s;
    s.Next();
    s.main->RunningPrograms = true;
    s.main->Close();
    EXPECT_TRUE(s.robot.Boxes.empty());
    EXPECT_FALSE(s.main->ClosingAgreed);
    s.main->RunningPrograms = false;
  }
  {
    SCOPED_TRACE("step 3");
    TSteps4 s;
    s.Next();
    s.Next();
    ASSERT_EQ(s.main->StepIndex, 3);
    s.main->Close();
    EXPECT_TRUE(s.robot.Boxes.empty());
    EXPECT_TRUE(s.main->ClosingAgreed);
    EXPECT_TRUE(Application().Terminated());
  }
}

std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = FileExists(path) ? ReadFileBytes(path) : std::string();
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r' ? 1 : 0)));
  return lines;
}

TEST(MainForm, RunEntriesStartInOrderAndWaitWhenTold) {
  TTempDir root;
  std::string folder = root / "run dir";  // a space: the program path needs quotes
  MakeDirs(folder);
  ASSERT_TRUE(CopyFileA(HostPath(std::string(TZ_BINARY_DIR) + "/tests/setup/SetupRunProbe.exe").c_str(),
                        (folder + "\\probe.exe").c_str(), FALSE));
  const std::string probe = folder + "\\probe.exe", quoted = "\"" + probe + "\"";
  struct Row {
    const char* name;
    std::vector<TScriptRunEntry> entries;
    std::vector<std::string> commandLines;  // with LOG for the log file
  } rows[] = {
      {"waits, and a missing program does not stop the next",
       {{"{src}\\probe.exe", "{log} a 400", 0}, {"{src}\\missing.exe", "", 0}, {"{src}\\probe.exe", "{log} b", 0}},
       {quoted + " LOG a 400", "\"" + folder + "\\missing.exe\" ", quoted + " LOG b"}},
      {"does not wait", {{"{src}\\probe.exe", "{log} a 1500", 1}, {"{src}\\probe.exe", "{log} b", 0}},
       {quoted + " LOG a 1500", quoted + " LOG b"}},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.name);
    TSteps4 s;
    s.robot.PassProgramsThrough = true;
    SourceFolder = folder;
    std::string log = root / (std::string(row.entries.size() == 3 ? "wait" : "nowait") + ".log");
    for (TScriptRunEntry& e : row.entries) {
      size_t at = e.RunParameters.find("{log}");
      if (at != std::string::npos) e.RunParameters.replace(at, 5, log);
    }
    s.state.Script.RunList = row.entries;
    s.Next();
    s.Next();
    EXPECT_EQ(s.main->StepIndex, 3);
    EXPECT_FALSE(s.main->RunningPrograms);
    std::vector<std::string> expected;
    for (std::string c : row.commandLines) {
      size_t at = c.find("LOG");
      if (at != std::string::npos) c.replace(at, 3, log);
      expected.push_back(c);
    }
    EXPECT_EQ(s.robot.Programs, expected);
    if (row.entries.size() == 3) {
      EXPECT_EQ(LogLines(log), (std::vector<std::string>{"a-start", "a-end", "b-start", "b-end"}));
      ASSERT_EQ(s.robot.Boxes.size(), 1u);
      EXPECT_EQ(s.robot.Boxes[0].Text, "Unable to execute file:\r\n\"" + folder + "\\missing.exe\" \r\n\r\nError #2: " +
                                           SysErrorMessage(2));
      EXPECT_EQ(s.robot.Boxes[0].Caption, "Error");
      EXPECT_EQ(s.robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONHAND));
    } else {
      // b ran to its end while a still slept.
      std::vector<std::string> lines = LogLines(log);
      for (int i = 0; i < 100 && lines.size() < 4; ++i, lines = LogLines(log)) Sleep(50);
      ASSERT_EQ(lines.size(), 4u);
      auto pos = [&](const char* x) { return std::find(lines.begin(), lines.end(), x) - lines.begin(); };
      EXPECT_LT(pos("b-end"), pos("a-end"));
      EXPECT_TRUE(s.robot.Boxes.empty());
    }
  }
}

class TFailingRestart : public TRobot {
public:
  bool Restart(UINT flags, DWORD reason) override {
    TRobot::Restart(flags, reason);
    return false;
  }
};

TEST(RebootSystem, GoesThroughTheSeamAndReportsAFailure) {
  {
    TRobot robot;
    RebootSystem();
    EXPECT_EQ(robot.ExitCalls, (std::vector<UINT>{EWX_REBOOT}));
    EXPECT_TRUE(robot.Boxes.empty());
  }
  TFailingRestart robot;
  RebootSystem();
  EXPECT_EQ(robot.ExitCalls, (std::vector<UINT>{EWX_REBOOT}));
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Setup was unable to restart the computer. Please do this manually.");
  EXPECT_EQ(robot.Boxes[0].Caption, "");  // the seam leaves it to the system
  EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONWARNING));
}

}  // namespace
