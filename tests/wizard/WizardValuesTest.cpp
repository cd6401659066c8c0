// The wizard's rules without a window: pages, lists, Reset, the review
// text, the test run, the engine's view of the controls, and project files
// shared with the Studio.
#include "WizardValues.h"

#include <gtest/gtest.h>

#include <set>

#include "MainValues.h"
#include "TestFileAccess.h"
#include "TestPaths.h"

namespace {

using T = TWizardText;
using C = TWizardCheck;
using S = TWizardSlider;

const std::string kCab = "Cabinet Archive", kCabSFX = "Cabinet SFX", kZip = "Zip Archive", kZipSFX = "Zip SFX";

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

TEST(WizardPages, TitlesHelpTopicsAndTheNextCaption) {
  struct Row { int page; const char* caption; const char* title; const char* topic; const char* next; };
  const Row rows[] = {
      {0, "Welcome", "Welcome!", "WizardWelcome", "&Next"},
      {1, "Page1", "Archive Type", "ArchiveType", "&Next"},
      {2, "Page2", "Add Files", "AddFiles", "&Next"},
      {3, "Page3", "Add Folders", "Add_Folders", "&Next"},
      {4, "Page4", "General Settings", "General_Archive_Settnigs", "&Next"},
      {5, "Page5", "Advanced Archive Settings", "Advanced_Archive_Settnigs", "&Next"},
      {6, "Page6", "Project Settings", "Project_Information", "&Next"},
      {7, "Page7", "Review Summary", "Reviiew_Summary", "Buil&d"},
      {8, "Page8", "Building Archive", "Add_Progress", "&Next"},
      {9, "Finish", "Done!", "Package_Built", "&Next"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.page);
    EXPECT_STREQ(WizardPageInfo(r.page).Caption, r.caption);
    EXPECT_STREQ(WizardPageInfo(r.page).HelpTopic, r.topic);
    TPageLook look = PageLook(r.page, kZip);
    EXPECT_EQ(look.Title, r.title);
    EXPECT_EQ(look.NextCaption, r.next);
  }
}

TEST(WizardPages, KindsChooseTheirSettingsPageOptionBoxesAndDescription) {
  struct Row { std::string kind; std::optional<std::string> page; bool allOptions; const char* description; };
  const Row rows[] = {
      {kCab, "Cab", false, "Cabinet Archive are the Type of Archive Files you found in your Windows 95 CD-ROM. Very High compression rate."},
      {kCabSFX, "CabSfx", false, "Self-Extracting Cabinet Archive. Files can be extracted under DOS environment."},
      {kZip, "Zip", true, "Most common Archive type, have Password protection, compression method choosing."},
      {kZipSFX, "ZipSfx", true, "Must be run under Windows 95. Highly customizible, can execute program after Extraction."},
      // Kinds are compared exactly.
      {"zip sfx", std::nullopt, false, ""},
      {"", std::nullopt, false, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.kind);
    EXPECT_EQ(SettingsPageOf(r.kind), r.page);
    EXPECT_EQ(PageLook(pgAdvancedSettings, r.kind).AllOptions, r.allOptions);
    EXPECT_EQ(KindDescription(r.kind), r.description);
  }
  EXPECT_EQ(KindListOrder(), (std::vector<std::string>{kCab, kZip, kCabSFX, kZipSFX}));
}

TEST(WizardPages, StyleButtonsEnableTheExtractionSettings) {
  struct Row { std::optional<TZipSFXStyle> style; bool settings, advanced; };
  const Row rows[] = {{zsDOS, false, false}, {zsStandard, true, false}, {zsAdvanced, true, true}, {std::nullopt, true, false}};
  for (const Row& r : rows) {
    TZipStyleLayout l = ZipStyleLayout(r.style);
    EXPECT_EQ(l.ExtractionSettings, r.settings);
    EXPECT_EQ(l.AdvancedPermissions, r.advanced);
  }
}

TEST(WizardLists, BrowsedFilesGoOnTopOnceIgnoringCase) {
  TWizardValues v;
  v.Files = {"C:\\OLD.TXT"};
  v.FileSelection = {false};
  EXPECT_EQ(AddBrowsedFiles(v, {"C:\\A.TXT", "C:\\B.TXT", "C:\\C.TXT"}), 3);
  EXPECT_EQ(v.Files, (std::vector<std::string>{"C:\\C.TXT", "C:\\B.TXT", "C:\\A.TXT", "C:\\OLD.TXT"}));
  EXPECT_EQ(v.FileSelection, (std::vector<bool>{true, true, true, false}));
  // A again, in another case, and a file chosen twice in one go.
  EXPECT_EQ(AddBrowsedFiles(v, {"c:\\a.txt", "C:\\D.TXT", "C:\\d.txt"}), 1);
  EXPECT_EQ(v.Files.front(), "C:\\D.TXT");
  EXPECT_EQ(v.Files.size(), 5u);
}

TEST(WizardLists, TypedPathsAndRemove) {
  const std::set<std::string> files = {"C:\\A.TXT", "c:\\a.txt"};
  const std::set<std::string> folders = {"C:\\DATA", "c:\\data\\", "C:\\DATA\\", "c:\\data"};
  auto fileExists = [&](const std::string& p) { return files.count(p) > 0; };
  auto folderExists = [&](const std::string& p) { return folders.count(p) > 0; };
  TWizardValues v;

  struct Row { const char* text; bool added; size_t count; };
  // Files: the same text once; another case counts as another file.
  const Row fileRows[] = {{"C:\\A.TXT", true, 1}, {"C:\\A.TXT", false, 1}, {"c:\\a.txt", true, 2},
                          {"C:\\NONE.TXT", false, 2}, {"", false, 2}};
  for (const Row& r : fileRows) {
    SCOPED_TRACE(r.text);
    v.SetText(T::FlatEdit1, r.text);
    EXPECT_EQ(AddTypedFile(v, fileExists), r.added);
    EXPECT_EQ(v.Files.size(), r.count);
    EXPECT_EQ(v.Text(T::FlatEdit1), r.added ? "" : r.text);
  }
  // Folders: one entry with its backslash, whatever the case.
  const Row folderRows[] = {{"C:\\DATA", true, 1}, {"C:\\DATA", false, 1}, {"c:\\data\\", false, 1},
                            {"C:\\MISSING", false, 1}};
  for (const Row& r : folderRows) {
    SCOPED_TRACE(r.text);
    v.SetText(T::FlatEdit2, r.text);
    EXPECT_EQ(AddTypedFolder(v, folderExists), r.added);
    EXPECT_EQ(v.Folders.size(), r.count);
  }
  EXPECT_EQ(v.Folders, (std::vector<std::string>{"C:\\DATA\\"}));

  v.SetItems(TWizardList::Files, {"1", "2", "3", "4"}, {true, false, true});
  RemoveSelected(v, TWizardList::Files);
  EXPECT_EQ(v.Files, (std::vector<std::string>{"2", "4"}));
}

// A project in every control, the kind's and the other kinds'.
TWizardValues Filled(const std::string& kind) {
  TWizardValues v;
  v.Kind = kind;
  v.SetText(T::ProjectTitle, "My Package");
  v.SetText(T::ProjectOutputName, "C:\\OUT\\PACKAGE.EXE");
  v.SetText(T::projectFilename, "C:\\PROJ\\PACKAGE.TPJ");
  v.SetText(T::Pname, "C:\\PROJ\\PACKAGE.TPJ");
  v.SetText(T::FlatEdit1, "typed");
  v.SetText(T::FlatEdit2, "typed");
  v.Files = {"C:\\DATA\\A.TXT", "C:\\DATA\\B.TXT"};
  v.Folders = {"C:\\DATA\\DOCS\\", "C:\\TOOLS\\"};
  for (C c : {C::CheckBox1, C::CheckBox2, C::CheckBox3, C::CheckBox5, C::p1, C::p3}) v.SetChecked(c, true);
  v.SetChecked(C::CheckBox4, false);
  CheckZipStyle(v, zsAdvanced);
  v.SetChecked(C::cabSFX1, true);
  v.SetChecked(C::cabSFX2, false);
  v.SetPosition(S::TrackBar1, 4);
  v.SetPosition(S::TrackBar2, 1);
  v.SetPosition(S::TrackBar3, 1);
  v.SetPosition(S::TrackBar4, 2);
  v.SetText(T::Pass1, "first");
  v.SetText(T::Pass2, "second");
  v.SetText(T::ovrChoice, "Always Overwrite");
  v.SetText(T::execution, "setup.exe");
  v.SetText(T::defaultDir, "C:\\Program Files\\Package");
  v.SetSaveChosen(true);
  return v;
}

TEST(WizardReset, ANewProjectKeepsTheKindAndThreeOptions) {
  TWizardValues v = Filled(kZipSFX);
  ResetWizardProject(v);
  TWizardValues expected;  // the window at start
  expected.Kind = kZipSFX;
  for (C c : {C::CheckBox1, C::CheckBox2, C::CheckBox3}) expected.SetChecked(c, true);
  EXPECT_EQ(v.Texts, expected.Texts);
  EXPECT_EQ(v.Checks, expected.Checks);
  EXPECT_EQ(v.Positions, expected.Positions);
  EXPECT_EQ(v.Kind, kZipSFX);
  EXPECT_TRUE(v.Files.empty());
  EXPECT_TRUE(v.Folders.empty());
  EXPECT_FALSE(v.SaveChosen());
  // The window's values at start.
  EXPECT_EQ(expected.Text(T::ovrChoice), "Ask User");
  EXPECT_TRUE(expected.Checked(C::CheckBox4));
  EXPECT_TRUE(expected.Checked(C::winSimpleSFX));
  EXPECT_TRUE(expected.Checked(C::cabSFX2));
  EXPECT_EQ(expected.Position(S::TrackBar1), 9);
  EXPECT_EQ(expected.Position(S::TrackBar4), 9);
}

TEST(WizardReview, TextsAgainstGoldenFiles) {
  struct Row { const char* golden; TWizardValues values; };
  TWizardValues cab = Filled(kCab);
  cab.SetSaveChosen(false);
  cab.Folders.clear();
  TWizardValues zip = Filled(kZip);
  zip.Files.clear();
  TWizardValues cabSfx = Filled(kCabSFX);
  TWizardValues zipSfx = Filled(kZipSFX);
  TWizardValues dosSfx = Filled(kZipSFX);
  CheckZipStyle(dosSfx, zsDOS);
  dosSfx.SetText(T::Pass2, "");
  const Row rows[] = {{"review-cabinet", cab}, {"review-zip", zip}, {"review-cabinet-sfx", cabSfx},
                      {"review-zip-sfx", zipSfx}, {"review-dos-sfx", dosSfx}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.golden);
    EXPECT_EQ(Joined(MakeReport(r.values)),
              ReadFileBytes(SourcePath(std::string("tests/wizard/golden/") + r.golden + ".txt")));
  }
}

TEST(WizardTestRun, CommandLines) {
  struct Row { std::string kind; const char* output; bool dos; std::optional<std::string> line; };
  const Row rows[] = {
      {kCabSFX, "C:\\OUT\\SETUP.EXE", false, "C:\\OUT\\SETUP.EXE /d"},
      {kZipSFX, "C:\\OUT\\SETUP.exe", true, "C:\\OUT\\SETUP.exe -t"},
      {kZipSFX, "C:\\OUT\\SETUP.EXE", false, "C:\\OUT\\SETUP.EXE"},
      {kZip, "C:\\OUT\\PACKAGE.EXE", true, "C:\\OUT\\PACKAGE.EXE"},
      // A blank in the path: the output itself is started, not "C:\My".
      {kCabSFX, "C:\\My Packages\\SETUP.EXE", false, "\"C:\\My Packages\\SETUP.EXE\" /d"},
      {kZip, "C:\\OUT\\PACKAGE.ZIP", false, std::nullopt},
      {kZipSFX, "C:\\OUT.EXE\\PACKAGE", false, std::nullopt},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.output);
    TWizardValues v;
    v.Kind = r.kind;
    v.SetText(T::ProjectOutputName, r.output);
    if (r.dos) CheckZipStyle(v, zsDOS);
    EXPECT_EQ(WizardTestRunCommandLine(v), r.line);
  }
}

TEST(WizardSettings, TheEngineReadsTheControlsOfTheKind) {
  struct Row { std::string kind; int level; TCabCompression compression; std::string password; };
  const Row rows[] = {
      {kCab, 4, ccMSZip, "first"},
      {kZip, 4, ccMSZip, "first"},
      {kZipSFX, 2, ccMSZip, "second"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.kind);
    TWizardValues v = Filled(r.kind);
    v.SetPosition(S::TrackBar3, 0);
    TWizardSettings s(v);
    EXPECT_EQ(s.Kind(), ArchiveKindFromText(r.kind));
    EXPECT_EQ(s.ZipLevel(), r.level);
    EXPECT_EQ(s.CabCompression(), r.compression);
    EXPECT_EQ(s.Password(true), r.password);
    EXPECT_EQ(s.Password(false), r.password);
  }
  // "Cabinet SFX" follows TrackBar3 whatever TrackBar2 shows.
  TWizardValues v = Filled(kCabSFX);
  v.SetPosition(S::TrackBar2, 1);
  v.SetPosition(S::TrackBar3, 0);
  EXPECT_EQ(TWizardSettings(v).CabCompression(), ccLZX);
  // Files then folders, each from its last entry, when walked from the end.
  std::vector<TSourceItem> sources = TWizardSettings(v).Sources();
  std::vector<std::string> walked;
  for (auto it = sources.rbegin(); it != sources.rend(); ++it) walked.push_back(it->Path);
  EXPECT_EQ(walked, (std::vector<std::string>{"C:\\DATA\\B.TXT", "C:\\DATA\\A.TXT", "C:\\TOOLS\\", "C:\\DATA\\DOCS\\"}));
  v.Kind.clear();
  EXPECT_EQ(TWizardSettings(v).Kind(), std::nullopt);
  for (C c : {C::dosSFX, C::winSimpleSFX, C::winAdvancedSFX}) v.SetChecked(c, false);
  EXPECT_EQ(TWizardSettings(v).ZipSFXStyle(), -1);
  // The project opened and the one page 6 saves to: no build writes over them.
  v.SetText(T::Pname, "");
  v.SetText(T::projectFilename, "");
  EXPECT_TRUE(TWizardSettings(v).ProjectFileNames().empty());
  v.SetText(T::Pname, "C:\\P\\OPENED.TPJ");
  v.SetText(T::projectFilename, "C:\\P\\SAVED.TPJ");
  EXPECT_EQ(TWizardSettings(v).ProjectFileNames(), (std::vector<std::string>{"C:\\P\\OPENED.TPJ", "C:\\P\\SAVED.TPJ"}));
}

// ---------------------------------------------------------------------------
// Project files

struct TWizardLoad {
  TProjectLoad Result = TProjectLoad::Complete;
  std::vector<std::string> Boxes;
  int MoveQuestions = 0;
};

TWizardLoad LoadInto(TWizardValues& v, IProjectFileAccess& files, const std::string& path, bool confirmMove = true) {
  TWizardLoad load;
  TWizardLoadHooks hooks;
  hooks.ShowMessage = [&](const TProjectMessage& m) { load.Boxes.push_back(m.Caption + ": " + m.Text); };
  hooks.ConfirmMove = [&] {
    ++load.MoveQuestions;
    return confirmMove;
  };
  TWizardFileTarget target(v, hooks);
  load.Result = LoadProjectFileResult(files, path, target, TProjectFrontEnd::Wizard);
  return load;
}

std::string Golden(const std::string& name) { return ReadFileBytes(SourcePath("tests/engine/golden/" + name + ".tpj")); }

TEST(WizardProjectFile, TheStudiosFilesReadAndWriteBackByteForByte) {
  for (const char* name : {"CabinetArchive", "CabinetSFX", "ZipArchive", "ZipSFX"}) {
    SCOPED_TRACE(name);
    TMemoryFiles files;
    files.Files["in.tpj"] = Golden(name);
    TWizardValues v;
    TWizardLoad load = LoadInto(v, files, "in.tpj");
    EXPECT_EQ(load.Result, TProjectLoad::Complete);
    EXPECT_TRUE(load.Boxes.empty());
    SaveProjectFile(files, "out.tpj", TWizardSettings(v));
    EXPECT_EQ(files.Files["out.tpj"], files.Files["in.tpj"]);
  }
}

TEST(WizardProjectFile, StudioAndWizardSaveTheSameProjectToTheSameBytes) {
  using ST = TStudioText;
  using SC = TStudioCheck;
  struct Row { TArchiveKind kind; TStudioCheck button; int tab; };
  const Row rows[] = {{akCabinetArchive, SC::r1, 0}, {akCabinetSFX, SC::r2, 0}, {akZipArchive, SC::r3, 0},
                      {akZipSFX, SC::r4, 1}, {akZipSFX, SC::r4, 2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(ArchiveKindText(r.kind)) + " " + std::to_string(r.tab));
    // The same project in each program's controls.
    TWizardValues w = Filled(ArchiveKindText(r.kind));
    CheckZipStyle(w, static_cast<TZipSFXStyle>(r.tab));
    if (r.kind == akCabinetSFX) w.SetPosition(S::TrackBar2, 0);  // the Studio has one cabinet slider
    TStudioValues s;
    CheckKind(s, r.kind);
    s.SetText(ST::e1, "My Package");
    s.SetText(ST::e2, "C:\\OUT\\PACKAGE.EXE");
    s.Sources = {{"C:\\DATA\\DOCS\\", kFolderImage}, {"C:\\TOOLS\\", kFolderImage},
                 {"C:\\DATA\\A.TXT", kFileImage}, {"C:\\DATA\\B.TXT", kFileImage}};
    for (SC c : {SC::CheckBox1, SC::CheckBox2, SC::CheckBox3, SC::CheckBox5, SC::p1, SC::p3}) s.SetChecked(c, true);
    s.SetChecked(SC::cabsfx1, true);
    s.SetPosition(TStudioSlider::TrackBar1, r.kind == akZipSFX ? 2 : 4);
    s.SetPosition(TStudioSlider::TrackBar2, 1);
    s.SetText(ST::pass1, r.kind == akZipSFX ? "second" : "first");
    s.SetText(ST::pass2, r.kind == akZipSFX ? "second" : "first");
    s.SetText(ST::ovrChoice, "Always Overwrite");
    s.SetText(ST::execution, "setup.exe");
    s.SetText(ST::defaultDir, "C:\\Program Files\\Package");
    s.SetStyleTab(r.tab);

    TMemoryFiles files;
    SaveProjectFile(files, "studio.tpj", TStudioSettings(s));
    SaveProjectFile(files, "wizard.tpj", TWizardSettings(w));
    ASSERT_EQ(files.Files["studio.tpj"], files.Files["wizard.tpj"]);

    // Each reads what the other wrote into the same project.
    TWizardValues wRead;
    LoadInto(wRead, files, "studio.tpj");
    SaveProjectFile(files, "wizard2.tpj", TWizardSettings(wRead));
    EXPECT_EQ(files.Files["wizard2.tpj"], files.Files["studio.tpj"]);
    TStudioValues sRead;
    TStudioFileTarget studioTarget(sRead, nullptr);
    ASSERT_TRUE(LoadProjectFile(files, "wizard.tpj", studioTarget, TProjectFrontEnd::Studio));
    SaveProjectFile(files, "studio2.tpj", TStudioSettings(sRead));
    EXPECT_EQ(files.Files["studio2.tpj"], files.Files["wizard.tpj"]);
  }
}

const std::string kHead = "tidy-Zaderuzo Version 1.60 Project File\r\nnotice\r\n** warning **\r\n\r\n";
const std::string kBlocks = "\x01" "FILES\x01\r\nC:\\B.TXT\r\nC:\\A.TXT\r\n\x03" "FILES\x03\r\n"
                            "\x01" "FOLDERS\x01\r\nC:\\D\\\r\n\x03" "FOLDERS\x03\r\n";

TEST(WizardProjectFile, ReadingKeepsWhatTheFileDoesNotName) {
  // A cabinet project after a zip build: the zip controls stay.
  TWizardValues v = Filled(kZipSFX);
  TMemoryFiles files;
  files.Files["cab.tpj"] = kHead + "Cab\r\nC:\\C.CAB\r\nCabinet Archive\r\n" + kBlocks + "Y\r\nN\r\nN\r\nN\r\nN\r\n1\r\n";
  v.SetPosition(S::TrackBar2, 0);
  EXPECT_EQ(LoadInto(v, files, "cab.tpj").Result, TProjectLoad::Complete);
  EXPECT_EQ(v.Kind, kCab);
  EXPECT_EQ(v.Position(S::TrackBar2), 1);
  EXPECT_EQ(v.Position(S::TrackBar3), 1);
  EXPECT_EQ(v.Position(S::TrackBar4), 2);
  EXPECT_EQ(v.Text(T::Pass2), "second");
  EXPECT_EQ(v.Files, (std::vector<std::string>{"C:\\A.TXT", "C:\\B.TXT"}));
  EXPECT_EQ(v.Folders, (std::vector<std::string>{"C:\\D\\"}));
  EXPECT_TRUE(v.Checked(C::winAdvancedSFX));

  // An unrecognised kind: title and output as read, nothing else changes.
  TWizardValues before = v;
  files.Files["bad.tpj"] = kHead + "New Title\r\nC:\\NEW.ZIP\r\nzip sfx\r\n" + kBlocks;
  TWizardLoad bad = LoadInto(v, files, "bad.tpj");
  EXPECT_EQ(bad.Result, TProjectLoad::UnknownKind);
  EXPECT_EQ(bad.Boxes, (std::vector<std::string>{
                           "tidy-Zaderuzo - WARNiNG: Invalid Data Encountered while reading Project Data File!"}));
  EXPECT_EQ(v.Text(T::ProjectTitle), "New Title");
  EXPECT_EQ(v.Kind, kCab);
  EXPECT_EQ(v.Files, before.Files);
}

TEST(WizardProjectFile, StylesLevelsOldLayoutsAndTheMoveQuestion) {
  auto zipSfx = [](const std::string& style, const std::string& level, const std::string& move) {
    return kHead + "Z\r\nC:\\Z.EXE\r\nZip SFX\r\n" + kBlocks + "N\r\nN\r\nN\r\n" + move + "\r\nN\r\n" + style +
           "\r\n" + level + "\r\npw\r\nAsk User\r\n\r\n\r\nN\r\nY\r\nY\r\n";
  };
  struct Row {
    const char* name;
    std::string bytes;
    bool confirm;
    TProjectLoad result;
    C style;
    int level;
    bool moved;
    int questions;
  };
  const Row rows[] = {
      {"advanced", zipSfx("3", "5", "N"), true, TProjectLoad::Complete, C::winAdvancedSFX, 5, false, 0},
      {"dos", zipSfx("1", "0", "N"), true, TProjectLoad::Complete, C::dosSFX, 0, false, 0},
      {"unknown style", zipSfx("4", "9", "N"), true, TProjectLoad::Complete, C::winSimpleSFX, 9, false, 0},
      {"level out of range", zipSfx("2", "12", "N"), true, TProjectLoad::Complete, C::winSimpleSFX, 9, false, 0},
      {"move confirmed", zipSfx("2", "1", "Y"), true, TProjectLoad::Complete, C::winSimpleSFX, 1, true, 1},
      {"move refused", zipSfx("2", "1", "Y"), false, TProjectLoad::Complete, C::winSimpleSFX, 1, false, 1},
      // A word for a level: the values before it stay, the load is partial.
      {"bad level", zipSfx("3", "many", "N"), true, TProjectLoad::Partial, C::winAdvancedSFX, 7, false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TWizardValues v;
    v.SetPosition(S::TrackBar4, 7);
    TMemoryFiles files;
    files.Files["p.tpj"] = r.bytes;
    TWizardLoad load = LoadInto(v, files, "p.tpj", r.confirm);
    EXPECT_EQ(load.Result, r.result);
    EXPECT_TRUE(v.Checked(r.style));
    EXPECT_EQ(v.Checked(C::dosSFX) + v.Checked(C::winSimpleSFX) + v.Checked(C::winAdvancedSFX), 1);
    EXPECT_EQ(v.Position(S::TrackBar4), r.level);
    EXPECT_EQ(v.Checked(C::CheckBox2), r.moved);
    EXPECT_EQ(load.MoveQuestions, r.questions);
    if (r.result == TProjectLoad::Partial) {
      EXPECT_EQ(load.Boxes, (std::vector<std::string>{"Oops!: Error Opening Project. (E0)"}));
      EXPECT_TRUE(v.Text(T::Pass2).empty());
    } else {
      EXPECT_TRUE(load.Boxes.empty());
      EXPECT_EQ(v.Text(T::Pass2), "pw");
      EXPECT_TRUE(v.Checked(C::p3));
    }
  }
  // A move option already checked is not asked again.
  TWizardValues v;
  v.SetChecked(C::CheckBox2, true);
  TMemoryFiles files;
  files.Files["p.tpj"] = zipSfx("2", "1", "Y");
  EXPECT_EQ(LoadInto(v, files, "p.tpj").MoveQuestions, 0);

  // Layout 1.00: its box, and the three later options cleared.
  TWizardValues old;
  for (C c : {C::CheckBox1, C::CheckBox2, C::CheckBox3}) old.SetChecked(c, true);
  files.Files["old.tpj"] = "tidy-Zaderuzo Version 1.00 Project File\r\nx\r\ny\r\n\r\nOld\r\nC:\\O.ZIP\r\nZip Archive\r\n" +
                           kBlocks + "Y\r\nY\r\n3\r\nsecret\r\n";
  TWizardLoad load = LoadInto(old, files, "old.tpj");
  EXPECT_EQ(load.Result, TProjectLoad::Complete);
  ASSERT_EQ(load.Boxes.size(), 1u);
  EXPECT_EQ(load.Boxes[0].rfind("Outdated Project File: The Project file you are attemping to load is in version 1.00.", 0), 0u);
  for (C c : {C::CheckBox1, C::CheckBox2, C::CheckBox3}) EXPECT_FALSE(old.Checked(c));
  EXPECT_TRUE(old.Checked(C::CheckBox5));
  EXPECT_EQ(old.Position(S::TrackBar1), 3);
  EXPECT_EQ(old.Text(T::Pass1), "secret");
}

}  // namespace
