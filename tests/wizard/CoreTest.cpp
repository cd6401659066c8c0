// The wizard window with its controls: pages, the build on page 8 from
// project files given with "/B", cancel and the close guard, and what a
// failed build leaves. The packages go to test-output/wizard for the
// independent readers.
#include "Core.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DropCombo.h"
#include "FileDropTarget.h"
#include "FlatEdit.h"
#include "OButton.h"
#include "PackageCheck.h"
#include "ProgramFolder.h"
#include "Robot.h"
#include "TestPaths.h"
#include "Wordcap.h"

namespace {

using T = TWizardText;
using C = TWizardCheck;

class WizardWindow : public ::testing::Test {
protected:
  void SetUp() override {
    CopyShippedFiles(program.Path());
    project.Files = {data / "ONE.TXT"};
    project.Folders = {src + "\\"};
  }
  void TearDown() override { delete form; }

  // A window made as the program makes it, with these arguments.
  bool Start(const std::vector<std::string>& arguments) {
    delete form;
    form = new TForm1(nullptr);
    form->SetProgramFolder(program.Path() + "\\");
    return form->FormCreate(arguments);
  }
  // The project saved as a project file; its path.
  std::string Save(const std::string& name) {
    std::string path = out / name;
    SaveProjectFile(files, path, TWizardSettings(project));
    return path;
  }
  bool NoSpools() const { return packagecheck::NoSpools(program.Path()); }
  std::vector<std::string> Texts() const { return robot.BoxLines(); }
  bool Unlocked() const {
    return form->BitBtn1->Enabled() && form->BitBtn2->Enabled() && form->BitBtn3->Enabled() &&
           form->BitBtn3->Visible() && !form->BitBtn4->Visible();
  }

  TRobot robot;
  TTempDir program, data, out;
  packagecheck::TSourceTree tree{data.Path()};
  std::string src = tree.Src;
  TWizardValues project;
  TDiskProjectFiles files;
  TForm1* form = nullptr;
};

TEST_F(WizardWindow, ItsFrameAndStartPage) {
  {
    TForm1 plain(nullptr);
    EXPECT_EQ(plain.ProgramFolder(), ::ProgramFolder());  // stubs and spools beside the program
  }
  ASSERT_TRUE(Start({}));
  EXPECT_EQ(form->Caption(), "tidy Zaderuzo Wizard Version 1.60");
  EXPECT_EQ(form->ClientWidth(), 481);
  EXPECT_EQ(form->ClientHeight(), 278);
  EXPECT_EQ(form->GradientCaption1->AppNameText().Caption(), "Zaderuzo Wizard");
  EXPECT_EQ(form->Page(), pgWelcome);
  EXPECT_EQ(form->TitleLabel->Caption(), "Welcome!");
  EXPECT_FALSE(form->BitBtn2->Enabled());
  EXPECT_FALSE(form->TestBtn->Enabled());
  EXPECT_EQ(form->ListView1->Count(), 4);
  EXPECT_EQ(form->KindText(), "");
  EXPECT_EQ(form->Notebook1->PageCount(), kWizardPageCount);
  for (int page = 0; page < kWizardPageCount; ++page)
    EXPECT_EQ(form->Notebook1->Page(page)->Caption(), WizardPageInfo(page).Caption);
  EXPECT_EQ(form->Pass1->MaxLength(), kMaxPasswordLength);
  EXPECT_EQ(form->Pass2->MaxLength(), kMaxPasswordLength);
  EXPECT_TRUE(robot.Boxes.empty());
  // The window's values at start are those of a new project.
  TWizardValues fresh;
  for (int t = 0; t < static_cast<int>(T::Count); ++t)
    EXPECT_EQ(form->Text(static_cast<T>(t)), fresh.Text(static_cast<T>(t))) << t;
  for (int c = 0; c < static_cast<int>(C::Count); ++c)
    EXPECT_EQ(form->Checked(static_cast<C>(c)), fresh.Checked(static_cast<C>(c))) << c;
  EXPECT_FALSE(form->p2->Enabled());
  EXPECT_TRUE(form->p1->Enabled());
  // Files dropped from the shell land on the file list.
  EXPECT_EQ(form->FileDropTarget1->Target(), form->ListBox1);
  EXPECT_TRUE(form->FileDropTarget1->Enabled());
  EXPECT_TRUE(form->FileDropTarget1->Installed());
  EXPECT_TRUE(form->OpenDialog1->Options.Has(TOpenOption::ofAllowMultiSelect));
}

TEST_F(WizardWindow, PagesThroughTheRealControls) {
  ASSERT_TRUE(Start({}));
  form->BitBtn1Click(nullptr);
  form->SelectKind("Cabinet SFX");
  form->ListView1Change(nullptr);
  EXPECT_EQ(form->Label5->Caption(), KindDescription("Cabinet SFX"));
  form->BitBtn1Click(nullptr);
  form->FlatEdit1->SetText(data / "ONE.TXT");
  form->ToolbarButton5Click(nullptr);
  EXPECT_EQ(form->ListBox1->Items(), (std::vector<std::string>{data / "ONE.TXT"}));
  form->BitBtn1Click(nullptr);
  form->BitBtn1Click(nullptr);
  EXPECT_EQ(form->Notebook2->ActivePage(), "CabSfx");
  EXPECT_EQ(form->TitleLabel->Caption(), "General Settings");
  form->BitBtn1Click(nullptr);
  // A cabinet kind shows "Save Folder Names" alone.
  EXPECT_TRUE(form->CheckBox4->Visible());
  for (TCheckBox* box : {form->CheckBox5, form->CheckBox1, form->CheckBox2, form->CheckBox3})
    EXPECT_FALSE(box->Visible());
  form->BitBtn1Click(nullptr);
  form->ProjectOutputName->SetText(out / "SETUP.EXE");
  form->BitBtn1Click(nullptr);
  EXPECT_EQ(form->Page(), pgReview);
  EXPECT_EQ(form->BitBtn1->Caption(), "Buil&d");
  EXPECT_EQ(form->Memo1->Lines().at(0), "Summary For ");
  EXPECT_EQ(form->ProgressBar1->Position(), pgReview);
  form->BitBtn1Click(nullptr);
  EXPECT_EQ(form->Page(), pgDone) << ::testing::PrintToString(Texts());
  EXPECT_TRUE(form->TestBtn->Enabled());
  EXPECT_TRUE(form->BitBtn5->Visible());
  EXPECT_FALSE(form->BitBtn1->Visible());
  EXPECT_TRUE(FileExists(out / "SETUP.EXE"));

  // The style buttons enable the extraction settings.
  form->dosSFX->SetChecked(true);
  EXPECT_FALSE(form->ovrChoice->Enabled());
  EXPECT_FALSE(form->p1->Enabled());
  form->winAdvancedSFX->SetChecked(true);
  EXPECT_TRUE(form->ovrChoice->Enabled());
  EXPECT_TRUE(form->p3->Enabled());

  // Back on the done page: a new project; Finish closes without a question.
  form->BitBtn2Click(nullptr);
  EXPECT_EQ(form->Page(), pgWelcome);
  EXPECT_TRUE(form->ListBox1->Items().empty());
  EXPECT_TRUE(form->winSimpleSFX->Checked());
  EXPECT_FALSE(form->p3->Enabled());
  robot.Boxes.clear();
  robot.Answers = {IDNO};
  form->BitBtn3Click(nullptr);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"tidy-Zaderuzo - QUESTiON: " + WizardBox(TWizardMessage::N12).Text}));
  EXPECT_TRUE(form->Visible());
}

// The kind list's selection moved by the user (keys here, the mouse alike)
// shows the chosen kind's description.
TEST_F(WizardWindow, TheKindTheUserPicksShowsItsDescription) {
  ASSERT_TRUE(Start({}));
  form->BitBtn1Click(nullptr);
  HWND list = form->ListView1->Handle();
  SetFocus(list);
  for (WPARAM key : {WPARAM(VK_END), WPARAM(VK_HOME), WPARAM(VK_DOWN)}) {
    SendMessageA(list, WM_KEYDOWN, key, 0);
    ASSERT_FALSE(form->KindText().empty()) << key;
    EXPECT_EQ(form->Label5->Caption(), KindDescription(form->KindText())) << key;
  }
  EXPECT_EQ(form->KindText(), form->ListView1->Item(1)->Caption());
}

TEST_F(WizardWindow, EveryKindAndStyleBuildsWithB) {
  struct Row {
    const char* name;
    const char* kind;
    bool cab16;
    TZipSFXStyle zip;
    bool folderNames;
    const char* password;
    const char* stub;  // what stands in front of the archive
  };
  const Row rows[] = {
      {"w-cab", "Cabinet Archive", false, zsStandard, false, "", nullptr},
      {"w-cab-folders", "Cabinet Archive", false, zsStandard, true, "", nullptr},
      {"w-cabsfx16", "Cabinet SFX", true, zsStandard, false, "", "CabStub1.Bin"},
      {"w-cabsfx32", "Cabinet SFX", false, zsStandard, true, "", "CabStub2.Bin"},
      {"w-zip", "Zip Archive", false, zsStandard, false, "", nullptr},
      {"w-zip-pw", "Zip Archive", false, zsStandard, true, "secret", nullptr},
      {"w-zipsfx-standard", "Zip SFX", false, zsStandard, false, "", "Stub1.Bin"},
      {"w-zipsfx-advanced", "Zip SFX", false, zsAdvanced, true, "pw", "Stub2.Bin"},
      {"w-zipsfx-dos", "Zip SFX", false, zsDOS, false, "", "Stub3.Bin"},
  };
  packagecheck::TReaderOutput readers("wizard");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    robot.Boxes.clear();
    const bool cab = std::string(r.kind).rfind("Cabinet", 0) == 0;
    const std::string file = std::string(r.name) + (r.stub ? ".exe" : cab ? ".cab" : ".zip");
    project.Kind = r.kind;
    project.SetChecked(C::cabSFX1, r.cab16);
    project.SetChecked(C::cabSFX2, !r.cab16);
    CheckZipStyle(project, r.zip);
    project.SetChecked(C::CheckBox4, r.folderNames);
    project.SetText(T::Pass1, r.password);
    project.SetText(T::Pass2, r.password);
    project.SetText(T::ProjectOutputName, out / file);
    ASSERT_TRUE(Start({Save(std::string(r.name) + ".tpj"), "/B"}));
    ASSERT_EQ(form->Page(), pgDone) << ::testing::PrintToString(Texts());
    EXPECT_TRUE(robot.Boxes.empty()) << ::testing::PrintToString(Texts());
    EXPECT_TRUE(NoSpools());
    EXPECT_EQ(form->TestBtn->Enabled(), r.stub != nullptr);
    EXPECT_FALSE(form->BitBtn6->Visible());
    std::string bytes = ReadFileBytes(out / file);
    if (r.stub) {
      std::string stub = ReadFileBytes(program / r.stub);
      EXPECT_EQ(bytes.compare(0, stub.size(), stub), 0) << "stub in front";
    }
    // Cabinets: the folders first, then the files, each in list order.
    if (cab)
      readers.Cabinet(out / file, tree, true, r.folderNames);
    else
      readers.Zip(out / file, tree, r.folderNames, r.password, r.stub != nullptr);
  }
}

TEST_F(WizardWindow, AMissingStubFailsOnlyItsKindWithItsMessage) {
  DeleteFileA((program / "CabStub2.Bin").c_str());
  project.Kind = "Cabinet SFX";
  project.SetText(T::ProjectOutputName, out / "SETUP.EXE");
  const std::string path = Save("cabsfx.tpj");
  robot.Answers = {IDOK, IDNO};  // S1, then stay
  ASSERT_TRUE(Start({path, "/B"}));
  ASSERT_GE(robot.Boxes.size(), 4u) << ::testing::PrintToString(Texts());
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo - ERROR");
  EXPECT_EQ(robot.Boxes[2].Text.rfind("There was a problem when we tried to make your Cabinet Archive Self-Exctracting", 0), 0u);
  EXPECT_EQ(robot.Boxes[3].Text, BuildBox(TBuildMessage::W2).Text);
  EXPECT_EQ(form->Page(), pgReview);
  EXPECT_TRUE(Unlocked());
  EXPECT_FALSE(FileExists(out / "SETUP.EXE"));
  EXPECT_TRUE(NoSpools());

  // The other kinds build.
  robot.Boxes.clear();
  robot.Answers = {IDOK, IDNO};
  project.Kind = "Zip SFX";
  ASSERT_TRUE(Start({Save("zipsfx.tpj"), "/B"}));
  EXPECT_EQ(form->Page(), pgDone) << ::testing::PrintToString(Texts());
}

TEST_F(WizardWindow, CloseGuardHoldsDuringABuild) {
  project.Kind = "Cabinet SFX";
  project.SetText(T::ProjectOutputName, out / "SETUP.EXE");
  const std::string path = Save("p.tpj");
  ASSERT_TRUE(Start({path}));
  form->SetProgramFolder(program.Path() + "\\");
  struct Row { int answer; int page; bool built; };
  for (Row r : {Row{IDNO, pgDone, true}, Row{IDYES, pgReview, false}}) {
    SCOPED_TRACE(r.answer == IDYES ? "cancel confirmed" : "cancel refused");
    robot.Boxes.clear();
    robot.Answers = {IDYES, r.answer};  // save the project, then the cancel question
    // A close request waiting in the queue reaches the window while the
    // build lets messages run.
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    form->BitBtn6Click(nullptr);
    EXPECT_TRUE(form->Visible());
    ASSERT_EQ(robot.Boxes.size(), 2u) << ::testing::PrintToString(Texts());
    EXPECT_EQ(robot.Boxes[1].Text, BuildBox(TBuildMessage::Q1).Text);
    EXPECT_EQ(form->Page(), r.page);
    EXPECT_EQ(FileExists(out / "SETUP.EXE"), r.built);
    EXPECT_TRUE(NoSpools());
    EXPECT_EQ(form->CancelLabel->Caption(), "None");
    if (!r.built) {
      EXPECT_TRUE(Unlocked());
    }
    form->SetButtonVisible(TWizardButton::BuildNow, true);
  }
}

TEST_F(WizardWindow, ALockedSourceFailsTheBuildByNameAndLeavesTheWindowUsable) {
  project.Kind = "Cabinet SFX";
  project.SetText(T::ProjectOutputName, out / "LOCKED.EXE");
  const std::string path = Save("p.tpj");
  // A source held open without sharing: the cabinet library cannot read it.
  HANDLE held = CreateFileA((src + "\\B.TXT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(Start({path, "/B"}));
  CloseHandle(held);
  const std::string warning = "tidy-Zaderuzo - WARNiNG: ";
  EXPECT_EQ(Texts(), (std::vector<std::string>{warning + BuildBox(TBuildMessage::SourceUnreadable, src + "\\B.TXT").Text,
                                               warning + BuildBox(TBuildMessage::W1).Text}));
  EXPECT_EQ(form->Page(), pgReview);
  EXPECT_TRUE(Unlocked());
  EXPECT_FALSE(form->Building());
  EXPECT_FALSE(FileExists(out / "LOCKED.EXE"));
  EXPECT_TRUE(NoSpools());
  // A cancel confirmed in that build does not stop the next one.
  form->CancelLabel->SetCaption("Requested");
  robot.Boxes.clear();
  form->BitBtn1Click(nullptr);
  EXPECT_EQ(form->Page(), pgDone) << ::testing::PrintToString(Texts());
  EXPECT_TRUE(FileExists(out / "LOCKED.EXE"));
}

TEST_F(WizardWindow, AFolderWithoutItsBackslashZipsOnlyItsOwnFiles) {
  // "SRC" and a file beside it that begins with the same letters: the
  // folder's specification must be SRC\*.*, never SRC*.*.
  WriteFileBytes(data / "SRC-BESIDE.TXT", "beside");
  project.Kind = "Zip Archive";
  project.Files.clear();
  project.Folders = {src};
  project.SetChecked(C::CheckBox2, true);  // moved: a wrong match would lose the file
  project.SetText(T::ProjectOutputName, out / "FOLDER.ZIP");
  robot.Answers = {IDYES};  // the move question while the file is read
  ASSERT_TRUE(Start({Save("folder.tpj"), "/B"}));
  ASSERT_EQ(form->Page(), pgDone) << ::testing::PrintToString(Texts());
  EXPECT_EQ(ReadFileBytes(data / "SRC-BESIDE.TXT"), "beside");
  EXPECT_FALSE(FileExists(src + "\\A.TXT"));
  std::string zip = ReadFileBytes(out / "FOLDER.ZIP");
  EXPECT_EQ(zip.find("SRC-BESIDE"), std::string::npos);
}

TEST_F(WizardWindow, ALongerPasswordThanTheLibraryTakesBuildsNothing) {
  project.Kind = "Zip Archive";
  project.SetText(T::Pass1, std::string(81, 'p'));
  project.SetText(T::ProjectOutputName, out / "LONG.ZIP");
  ASSERT_TRUE(Start({Save("long.tpj"), "/B"}));
  EXPECT_EQ(form->Page(), pgReview);
  EXPECT_FALSE(FileExists(out / "LONG.ZIP"));
  ASSERT_FALSE(robot.Boxes.empty());
  EXPECT_EQ(robot.Boxes[0].Text, "Error - password longer than 80 characters");
  EXPECT_EQ(robot.Boxes.back().Text, BuildBox(TBuildMessage::W4).Text);
}

}  // namespace
