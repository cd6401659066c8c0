// The installer wizard's pages under Wine, answered by the robot.
#include "CmnFunc2.h"
#include "DDEInt.h"
#include "InstallBed.h"
#include "InstallForm.h"
#include "Main.h"
#include "MainForm.h"
#include "Platform.h"
#include "Robot.h"
#include "SelFolderForm.h"
#include "WindowSteps.h"
#include "Wizard.h"
#include "WizardText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const UINT kWarnOk = MB_OK | MB_ICONEXCLAMATION;

// A wizard over a background window that runs no steps of its own.
struct TWizardBed {
  TSetupScript Script;
  TRobot Robot;
  TMainForm* Main = nullptr;
  TWizardForm* Wizard = nullptr;
  TTempDir Root;

  explicit TWizardBed(const std::function<void(TSetupScript&)>& edit = {}) {
    Script.ScriptHeader.ProgramName = "Sample";
    Script.ScriptHeader.ProgramVerName = "Sample 2.5";
    Script.ScriptHeader.DefaultDirName = "Sample Dir";
    Script.ScriptHeader.DefaultGroupName = "Sample Group";
    TotalBytes = 10 * 1024;
    IconsWanted = true;
    IsAdmin = false;
    ProgramFilesPath = "C:\\Program Files\\";
    if (edit) edit(Script);
    FirstActivationDone = true;
    Main = new TMainForm(&Application(), Script);
    Wizard = new TWizardForm(&Application(), *Main);
  }
  ~TWizardBed() {
    delete Wizard;
    delete Main;
    FirstActivationDone = false;
    ProgramFilesPath.clear();
    TotalBytes = 0;
    Application().ResetTerminated();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, NextStepMessage, NextStepMessage, PM_REMOVE)) {
    }
  }
  void Next() { Wizard->NextButton->Click(); }
  void Back() { Wizard->BackButton->Click(); }
  // Whether the wizard handed over to the background window.
  bool HandedOver() {
    MSG msg;
    return PeekMessageA(&msg, Main->Handle(), NextStepMessage, NextStepMessage, PM_REMOVE) != FALSE;
  }
};

TEST(Wizard, PagesSkipAndCaptions) {
  struct Row {
    const char* name;
    bool license, infoBefore;
    std::vector<int> forward, backward;
  } rows[] = {
      {"neither", false, false, {0, 3, 4, 5}, {4, 3, 0}},
      {"license", true, false, {0, 1, 3, 4, 5}, {4, 3, 1, 0}},
      {"information", false, true, {0, 2, 3, 4, 5}, {4, 3, 2, 0}},
      {"both", true, true, {0, 1, 2, 3, 4, 5}, {4, 3, 2, 1, 0}},
  };
  const char* captions[] = {"Welcome", "Software License Agreement", "Information", "Choose Destination Location",
                            "Select Program Folder", "Start Copying Files", "Information", "Setup Complete"};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TWizardBed bed([&](TSetupScript& s) {
      if (r.license) s.LicenseText = "License\r\nline two";
      if (r.infoBefore) s.InfoBeforeText = "Before";
    });
    bed.Wizard->ShowFirstPages();
    bed.Wizard->DirEdit->SetText(bed.Root.Path());
    std::vector<int> seen;
    for (size_t i = 0; i < r.forward.size(); ++i) {
      int page = bed.Wizard->PageIndex;
      seen.push_back(page);
      EXPECT_EQ(bed.Wizard->Caption(), captions[page]);
      EXPECT_EQ(bed.Wizard->BackButton->Enabled(), page != 0) << page;
      EXPECT_TRUE(bed.Wizard->CancelButton->Enabled());
      EXPECT_EQ(bed.Wizard->NextButton->Caption(), page == 1 ? "&Yes" : "&Next >");
      EXPECT_EQ(bed.Wizard->CancelButton->Caption(), page == 1 ? "&No" : "Cancel");
      if (i + 1 < r.forward.size()) bed.Next();
    }
    EXPECT_EQ(seen, r.forward);
    EXPECT_FALSE(bed.HandedOver());
    seen.clear();
    for (size_t i = 0; i < r.backward.size(); ++i) {
      bed.Back();
      seen.push_back(bed.Wizard->PageIndex);
    }
    EXPECT_EQ(seen, r.backward);
    bed.Back();
    EXPECT_EQ(bed.Wizard->PageIndex, 0);
    EXPECT_TRUE(bed.Robot.Boxes.empty());
    // The ready page hands over and hides the wizard without asking.
    bed.Wizard->PageIndex = 5;
    bed.Wizard->UpdatePage();
    bed.Next();
    EXPECT_TRUE(bed.HandedOver());
    EXPECT_FALSE(bed.Wizard->Visible());
    EXPECT_TRUE(bed.Robot.Boxes.empty());
  }
}

TEST(Wizard, TextsAndFirstShow) {
  TWizardBed bed([](TSetupScript& s) {
    s.ScriptHeader.ProgramName = std::string(80, 'n');
    s.ScriptHeader.HeaderOptions = hoAllowNoIcons;
    s.LicenseText = "first\r\nsecond";
    s.InfoAfterText = "after";
  });
  TWizardForm& w = *bed.Wizard;
  EXPECT_EQ(w.NameLabel->Caption(), std::string(70, 'n'));
  EXPECT_EQ(w.Label1->Caption(), "Welcome to the " + std::string(80, 'n') + " setup program. This will install "
                                     "Sample 2.5 on your computer.\r\n\r\n");
  EXPECT_EQ(w.DiskSpaceLabel->Caption(), "The program requires at least 10 KB of disk space.");
  EXPECT_EQ(w.SelectFolderLabel->Caption(), "Setup will install " + std::string(80, 'n') + " in the following folder.");
  EXPECT_EQ(w.FinishedLabel->Caption(), "Setup has finished installing " + std::string(80, 'n') +
                                            " on your computer. You may now launch the program by clicking the "
                                            "program icons created.");
  EXPECT_EQ(w.LicenseMemo->Lines(), (std::vector<std::string>{"first", "second"}));
  EXPECT_TRUE(w.LicenseMemo->ReadOnly());
  EXPECT_EQ(w.DirEdit->MaxLength(), 63);
  EXPECT_FALSE(w.NoIconsCheck->Visible());
  w.ShowFirstPages();
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(GetWindow(w.Handle(), GW_OWNER), bed.Main->Handle());
  EXPECT_EQ(w.DirEdit->Text(), "C:\\Program Files\\Sample Dir");
  EXPECT_EQ(w.GroupEdit->Text(), "Sample Group");
  EXPECT_TRUE(w.NoIconsCheck->Visible());
  EXPECT_EQ(w.PageIndex, 0);
  EXPECT_TRUE(w.ShownOnce);

  // Before Windows 4 the folder is a directory; without icons no icon text.
  TPlatformOverride windows3(3, std::nullopt);
  IconsWanted = false;
  TWizardForm old(&Application(), *bed.Main);
  EXPECT_EQ(old.SelectFolderLabel->Caption(), "Setup will install " + std::string(80, 'n') +
                                                  " in the following directory.");
  EXPECT_EQ(old.FinishedLabel->Caption(), "Setup has finished installing " + std::string(80, 'n') +
                                              " on your computer.");
}

TEST(Wizard, FolderChecks) {
  TWizardBed bed;
  const std::string existing = bed.Root.Path();
  const std::string fresh = bed.Root / "New Folder";
  const std::string full = "You must enter a full path with drive letter; for example:\r\nC:\\APP";
  const std::string unc = "Setup cannot install to a UNC pathname. If you are trying to install to a network, you "
                          "will need to map a network drive.";
  const std::string chars = "The directory name cannot include any of the following characters after the colon:"
                            "\r\n\r\n/ : * ? \" < > | ,";
  const std::string drive = "The drive you selected does not exist. Please select another.";
  const std::string create = "The Installation Folder '" + fresh + "' does not exist. \r\n\r\nDo you wish Setup to "
                                                                   "create it for you?";
  struct Row {
    const char* name;
    std::string input;
    std::vector<int> answers;
    std::string message;  // the first box
    bool accepted;
    std::string after;  // DirEdit afterwards
  } rows[] = {
      {"existing folder with spaces and backslash", "  " + existing + "\\  ", {}, "", true, existing},
      {"missing folder, create", fresh + "\\", {IDYES}, create, true, fresh},
      {"missing folder, no", fresh, {IDNO}, create, false, fresh},
      {"root alone", "C:\\", {}, full, false, "C:\\"},
      {"no drive", "APP", {}, full, false, "APP"},
      {"UNC", "\\\\SERVER\\SHARE", {}, unc, false, "\\\\SERVER\\SHARE"},
      {"double backslash", "C:\\A\\\\B", {}, unc, false, "C:\\A\\\\B"},
      {"colon after the drive", "C:\\A:B", {}, chars, false, "C:\\A:B"},
      {"comma", "C:\\A,B", {}, chars, false, "C:\\A,B"},
      {"digit for a drive", "1:\\APP", {}, drive, false, "1:\\APP"},
      {"missing drive", "Y:\\APP", {}, drive, false, "Y:\\APP"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bed.Robot.Boxes.clear();
    bed.Robot.Answers.assign(r.answers.begin(), r.answers.end());
    bed.Wizard->DirEdit->SetText(r.input);
    EXPECT_EQ(bed.Wizard->ValidateFolder(), r.accepted);
    EXPECT_EQ(bed.Wizard->DirEdit->Text(), r.after);
    if (r.message.empty()) {
      EXPECT_TRUE(bed.Robot.Boxes.empty());
    } else {
      ASSERT_EQ(bed.Robot.Boxes.size(), 1u);
      EXPECT_EQ(bed.Robot.Boxes[0].Text, r.message);
      if (r.answers.empty()) {
        EXPECT_EQ(bed.Robot.Boxes[0].Caption, "Error");
        EXPECT_EQ(bed.Robot.Boxes[0].Flags, kWarnOk);
      } else {
        EXPECT_EQ(bed.Robot.Boxes[0].Caption, "Folder Does Not Exist");
        EXPECT_EQ(bed.Robot.Boxes[0].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
      }
    }
  }
  EXPECT_FALSE(DirExists(fresh));  // the install makes it, not the wizard
}

TEST(Wizard, FreeSpace) {
  TWizardBed bed;
  // More than 4 GB free: the count never wraps at 32 bits.
  uint64_t freeC = 0;
  ASSERT_TRUE(DriveFreeBytes('C', freeC));
  if (freeC > 0x100000000ull) {
    TotalBytes = static_cast<int64_t>(freeC & 0xFFFFFFFFull) + 1;
    bed.Wizard->DirEdit->SetText(bed.Root.Path());
    EXPECT_TRUE(bed.Wizard->ValidateFolder());
    EXPECT_TRUE(bed.Robot.Boxes.empty());
  }

  // Q: is a 1 MB drive in the test prefix.
  uint64_t freeQ = 0;
  if (!DriveFreeBytes('Q', freeQ) || freeQ > 2 * 1024 * 1024)
    GTEST_SKIP() << "no small drive Q: here (tmpfs could not be mounted)";
  TotalBytes = 5 * 1024 * 1024;
  const std::string text = "Setup requires at least 5120 KB of free space to install, but the selected drive only "
                           "has " + std::to_string(freeQ / 1024) + " KB available.\r\n\r\nDo you want to continue "
                                                                   "anyway?";
  bed.Robot.Answers = {IDNO};
  bed.Wizard->DirEdit->SetText("Q:\\App\\");
  EXPECT_FALSE(bed.Wizard->ValidateFolder());
  EXPECT_EQ(bed.Wizard->DirEdit->Text(), "Q:\\App");
  bed.Robot.Answers = {IDYES, IDNO};
  EXPECT_FALSE(bed.Wizard->ValidateFolder());  // Yes goes on, to the folder question
  ASSERT_EQ(bed.Robot.Boxes.size(), 3u);
  for (int i : {0, 1}) {
    EXPECT_EQ(bed.Robot.Boxes[i].Text, text);
    EXPECT_EQ(bed.Robot.Boxes[i].Caption, "Not Enough Disk Space");
    EXPECT_EQ(bed.Robot.Boxes[i].Flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION));
  }
  EXPECT_EQ(bed.Robot.Boxes[2].Caption, "Folder Does Not Exist");
}

TEST(Wizard, GroupNameAndList) {
  const std::string programs = TrimTrailingBackslash(ProgramsMenuFolder(false, false));
  // A capital beyond A to Z: "\xC4" is the small "\xE4" in the system code page.
  const std::string mine = "tidy-Zaderuzo Gr\xC4up " + std::to_string(GetCurrentProcessId());
  MakeDirs(programs + "\\" + mine);
  TWizardBed bed;
  TWizardForm& w = *bed.Wizard;
  w.ShowFirstPages();
  RemoveDirectoryA((programs + "\\" + mine).c_str());
  const std::vector<std::string>& items = w.GroupList->Items();
  int at = w.GroupList->IndexOf(mine);
  ASSERT_GE(at, 0);
  EXPECT_EQ(std::count(items.begin(), items.end(), "."), 0);

  // Typing selects the equal item, ignoring case; clicking copies it back.
  std::string typed = LowerCase(mine);
  typed[typed.find('\xC4')] = '\xE4';
  w.GroupEdit->SetText(typed);
  EXPECT_EQ(w.GroupList->ItemIndex(), at);
  w.GroupEdit->SetText("nothing like it");
  EXPECT_EQ(w.GroupList->ItemIndex(), -1);
  w.GroupList->SetItemIndex(at);
  w.GroupListClick(w.GroupList);
  EXPECT_EQ(w.GroupEdit->Text(), mine);
  EXPECT_EQ(w.GroupList->ItemIndex(), at);

  struct Row {
    const char* name;
    std::string input, message, after;
  } rows[] = {
      {"comma", "A,B",
       "The group name cannot include any of the following characters:\r\n\r\n\\ / : * ? \" < > | ,", "A,B"},
      {"backslash", "A\\B",
       "The group name cannot include any of the following characters:\r\n\r\n\\ / : * ? \" < > | ,", "A\\B"},
      {"empty", "   ", "You must enter a group name.", ""},
      {"trimmed", "  My Group  ", "", "My Group"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bed.Robot.Boxes.clear();
    w.GroupEdit->SetText(r.input);
    EXPECT_EQ(w.ValidateGroup(), r.message.empty());
    EXPECT_EQ(w.GroupEdit->Text(), r.after);
    if (!r.message.empty()) {
      ASSERT_EQ(bed.Robot.Boxes.size(), 1u);
      EXPECT_EQ(bed.Robot.Boxes[0].Text, r.message);
      EXPECT_EQ(bed.Robot.Boxes[0].Flags, kWarnOk);
    }
  }

  // No icons: the group is not asked for, and its controls are off.
  w.GroupList->SetItemIndex(at);
  w.NoIconsCheck->SetChecked(true);
  EXPECT_FALSE(w.GroupEdit->Enabled());
  EXPECT_FALSE(w.GroupList->Enabled());
  EXPECT_EQ(w.GroupList->Color(), clBtnFace);
  EXPECT_EQ(w.GroupList->ItemIndex(), -1);
  w.PageIndex = 4;
  w.UpdatePage();
  EXPECT_EQ(w.ActiveControl(), w.NoIconsCheck);
  w.GroupEdit->SetText("A,B");
  bed.Robot.Boxes.clear();
  bed.Next();
  EXPECT_EQ(w.PageIndex, 5);
  EXPECT_TRUE(bed.Robot.Boxes.empty());
  w.NoIconsCheck->SetChecked(false);
  EXPECT_TRUE(w.GroupEdit->Enabled());
  EXPECT_EQ(w.GroupEdit->Color(), clWindow);
}

TEST(Wizard, WindowsUseTheBackgroundPalette) {
  for (bool solid : {false, true}) {
    SCOPED_TRACE(solid ? "solid background" : "gradient");
    TWizardBed bed([solid](TSetupScript& s) {
      if (solid) s.ScriptHeader.HeaderOptions |= hoSolidBackground;
    });
    bed.Main->HandleNeeded();
    EXPECT_EQ(bed.Main->GetPalette() == nullptr, solid);
    TInstallForm install(&Application(), *bed.Main);
    for (TForm* form : {static_cast<TForm*>(bed.Wizard), static_cast<TForm*>(&install)}) {
      // Coming to the front, each realizes the background's palette.
      EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYNEWPALETTE, 0, 0), solid ? FALSE : TRUE);
      SendMessageA(form->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(bed.Main->Handle()), 0);
    }
    EXPECT_EQ(bed.Wizard->GetPalette(), bed.Main->GetPalette());
    EXPECT_EQ(install.GetPalette(), bed.Main->GetPalette());
  }
}

TEST(Wizard, GroupListFromProgramManager) {
  TProgmanServer server;
  ASSERT_TRUE(server.Ready());
  TPlatformOverride windows3(3, std::nullopt);
  TWizardBed bed;
  bed.Wizard->ListExistingGroups();
  std::string answer;
  {
    TDDE dde;
    TProgmanConversation conv(dde);
    answer = conv.RequestText("GROUPS");
  }
  EXPECT_FALSE(bed.Wizard->GroupList->Items().empty());
  EXPECT_EQ(bed.Wizard->GroupList->Items(), SplitGroupList(answer));
  EXPECT_TRUE(bed.Robot.Boxes.empty());
}

TEST(Wizard, FinishPage) {
  {
    SCOPED_TRACE("restart asked");
    TWizardBed bed;
    bed.Wizard->ShowRestartChoice();
    bed.Wizard->ShowFinishPage(7);
    EXPECT_EQ(bed.Wizard->Caption(), "Setup Complete");
    EXPECT_EQ(bed.Wizard->NextButton->Caption(), "&Finish");
    EXPECT_FALSE(bed.Wizard->CancelButton->Enabled());
    EXPECT_FALSE(bed.Wizard->BackButton->Enabled());
    EXPECT_EQ(bed.Wizard->ActiveControl(), bed.Wizard->YesRadio);
    EXPECT_TRUE(bed.Wizard->YesRadioChecked());
  }
  {
    SCOPED_TRACE("readme and update program");
    TWizardBed bed([](TSetupScript& s) { s.InfoAfterText = "after"; });
    bed.Wizard->ShowReadmeChoice();
    bed.Wizard->ShowInstCheck(true);
    bed.Wizard->ShowFinishPage(6);
    EXPECT_EQ(bed.Wizard->ActiveControl(), bed.Wizard->InfoAfterMemo);
    EXPECT_EQ(bed.Wizard->InfoAfterMemo->Lines(), std::vector<std::string>{"after"});
    bed.Next();
    EXPECT_EQ(bed.Wizard->PageIndex, 7);
    EXPECT_TRUE(bed.Wizard->BackButton->Enabled());
    EXPECT_EQ(bed.Wizard->ActiveControl(), bed.Wizard->ShowReadmeCheck);
    bed.Wizard->DirEdit->SetText("C:\\My Apps\\Sample");
    bed.Next();
    EXPECT_EQ(bed.Robot.Programs, std::vector<std::string>{"\"C:\\My Apps\\Sample\\40Comupd.Exe\""});
    EXPECT_TRUE(bed.HandedOver());
  }
  {
    SCOPED_TRACE("update program not copied");
    TWizardBed bed;
    bed.Wizard->ShowInstCheck(false);
    bed.Wizard->ShowFinishPage(7);
    EXPECT_EQ(bed.Wizard->ActiveControl(), bed.Wizard->NextButton);
    bed.Next();
    EXPECT_TRUE(bed.Robot.Programs.empty());
    EXPECT_TRUE(bed.HandedOver());
  }
}

TEST(Wizard, DecliningTheLicenseAsksToExit) {
  TWizardBed bed([](TSetupScript& s) { s.LicenseText = "terms"; });
  bed.Main->StepIndex = 1;
  bed.Wizard->ShowFirstPages();
  bed.Next();
  ASSERT_EQ(bed.Wizard->PageIndex, 1);
  bed.Robot.Answers = {IDNO};
  bed.Wizard->CancelButton->Click();
  ASSERT_EQ(bed.Robot.Boxes.size(), 1u);
  EXPECT_EQ(bed.Robot.Boxes[0].Caption, "Exit Setup");
  EXPECT_TRUE(bed.Wizard->Visible());
  EXPECT_FALSE(Application().Terminated());
}

TEST(Wizard, BrowseUsesTheFolderChooser) {
  TWizardBed bed;
  auto* chooser = new TChooseDirForm(&Application());
  MakeDirs(bed.Root / "Apps");
  bed.Wizard->DirEdit->SetText(bed.Root / "Apps\\Sample Dir");
  TSteps steps;
  steps.Then([&] {
    TChooseDirForm* c = ModalForm<TChooseDirForm>();
    ASSERT_EQ(c, chooser);
    EXPECT_EQ(c->TheEdit->Text(), bed.Root / "Apps\\Sample Dir");
    EXPECT_EQ(c->CreateName->Caption(), "Sample Dir");
    EXPECT_EQ(c->Label1->Caption(), "Please choose the Installation Folder and click OK to continue.");
    c->TheEdit->SetText(bed.Root / "Elsewhere\\Sample Dir");
    c->OKButton->Click();
  });
  bed.Wizard->BrowseButton->Click();
  EXPECT_EQ(steps.Done(), 1);
  EXPECT_EQ(bed.Wizard->DirEdit->Text(), bed.Root / "Elsewhere\\Sample Dir");
  delete chooser;
}

}  // namespace
