// The build window end to end: fixture trees into a program folder that
// holds the shipped stubs and the zip library.
#include "StatusUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "ComCtrls.h"
#include "EllipsisLabel.h"
#include "PackageCheck.h"
#include "Robot.h"
#include "StdCtrls.h"
#include "TestPaths.h"

namespace {

std::vector<std::string> Lines(TTreeView* tree) {
  std::vector<std::string> out;
  std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
    out.push_back(n->Text());
    for (int i = 0; i < n->Count(); ++i) walk(n->Item(i));
  };
  for (int i = 0; i < tree->RootCount(); ++i) walk(tree->Root(i));
  return out;
}

bool HasLine(TTreeView* tree, const std::string& line) {
  auto lines = Lines(tree);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class BuildWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    CopyShippedFiles(program.Path());
    form = new TProgressForm(nullptr);
    form->Settings = &settings;
    form->ProgramFolder = program.Path();
    settings.Values.Sources = {{tmp / "ONE.TXT", false}, {src + "\\", true}};
  }
  void TearDown() override { delete form; }

  bool Build(TArchiveKind kind, const std::string& outName) {
    settings.Values.Kind = kind;
    settings.Values.OutputFileName = out / outName;
    form->Show();
    return form->Proceed();
  }
  bool NoSpools() const { return packagecheck::NoSpools(program.Path()); }
  std::vector<std::string> Captions() const { return robot.BoxLines(); }

  TRobot robot;
  TTempDir tmp;
  TTempDir program;
  TTempDir out;
  packagecheck::TSourceTree tree{tmp.Path()};
  std::string src = tree.Src;
  TSettingsValues settings;
  TProgressForm* form = nullptr;
};

}  // namespace

TEST_F(BuildWindowTest, EveryKindAndStyleBuildsAReadablePackage) {
  struct Row {
    const char* name;
    TArchiveKind kind;
    TCabSFXStyle cab;
    TZipSFXStyle zip;
    bool folderNames;
    const char* password;
    const char* stub;  // what stands in front of the archive
  };
  const Row rows[] = {
      {"cab", akCabinetArchive, cs16Bit, zsStandard, false, "", nullptr},
      {"cab-folders", akCabinetArchive, cs16Bit, zsStandard, true, "", nullptr},
      {"cabsfx16", akCabinetSFX, cs16Bit, zsStandard, false, "", "CabStub1.Bin"},
      {"cabsfx32", akCabinetSFX, cs32Bit, zsStandard, true, "", "CabStub2.Bin"},
      {"zip", akZipArchive, cs16Bit, zsStandard, false, "", nullptr},
      {"zip-folders-pw", akZipArchive, cs16Bit, zsStandard, true, "secret", nullptr},
      {"zipsfx-standard", akZipSFX, cs16Bit, zsStandard, false, "", "Stub1.Bin"},
      {"zipsfx-advanced", akZipSFX, cs16Bit, zsAdvanced, true, "pw", "Stub2.Bin"},
      {"zipsfx-dos", akZipSFX, cs16Bit, zsDOS, false, "", "Stub3.Bin"},
  };
  packagecheck::TReaderOutput readers("build");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    robot.Boxes.clear();
    settings.Values.CabSFXStyle = r.cab;
    settings.Values.ZipSFXStyle = r.zip;
    settings.Values.SaveFolderNames = r.folderNames;
    settings.Values.Password = r.password;
    const bool cab = r.kind == akCabinetArchive || r.kind == akCabinetSFX;
    const std::string file = std::string(r.name) + (r.stub ? ".exe" : cab ? ".cab" : ".zip");
    ASSERT_TRUE(Build(r.kind, file)) << ::testing::PrintToString(Captions());
    EXPECT_TRUE(robot.Boxes.empty()) << ::testing::PrintToString(Captions());
    EXPECT_TRUE(NoSpools());
    std::string bytes = ReadFileBytes(out / file);
    if (r.stub) {
      std::string stub = ReadFileBytes(program / r.stub);
      EXPECT_EQ(bytes.compare(0, stub.size(), stub), 0) << "stub in front";
      if (r.kind == akZipSFX) {
        EXPECT_EQ(bytes.compare(stub.size(), 3, r.zip == zsDOS ? "PK\3" : "MPU"), 0);
      }
    }
    if (cab) {
      // The source list's own order; the folder's own files only.
      readers.Cabinet(out / file, tree, false, r.folderNames);
      EXPECT_TRUE(HasLine(form->TreeView1, "Cabinet Archive Build Successful."));
      EXPECT_TRUE(HasLine(form->TreeView1, "File \"" + src + "\\A.TXT\" in Package.") || r.kind == akCabinetSFX);
    } else {
      readers.Zip(out / file, tree, r.folderNames, r.password, r.stub != nullptr);
      EXPECT_TRUE(HasLine(form->TreeView1, "Building Package..."));
    }
  }
}

TEST_F(BuildWindowTest, StepLogOfACabinetSelfExtractor) {
  settings.Values.Sources = {{src + "\\B.TXT", false}};
  ASSERT_TRUE(Build(akCabinetSFX, "log.exe"));
  EXPECT_EQ(Lines(form->TreeView1),
            (std::vector<std::string>{"Creating Package...", "File \"" + src + "\\B.TXT\" in Package.",
                                      "Cabinet Archive Build Successful.", "Creating EXE",
                                      "Appending Executable Stub", "EXE Created Successfully"}));
  EXPECT_EQ(form->SourceLabel->Caption(), "Creating Self-Extracting Archive...");
}

TEST_F(BuildWindowTest, VanishedSourcesAreSkippedButNoSourceAtAllFails) {
  settings.Values.Sources.push_back({tmp / "GONE.TXT", false});
  settings.Values.Sources.push_back({tmp / "GONEDIR\\", true});
  EXPECT_TRUE(Build(akCabinetArchive, "some.cab"));
  EXPECT_TRUE(robot.Boxes.empty());

  settings.Values.Sources = {{tmp / "GONE.TXT", false}};
  EXPECT_FALSE(Build(akCabinetArchive, "none.cab"));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"tidy-Zaderuzo - WARNiNG: " + BuildBox(TBuildMessage::W1).Text}));
  EXPECT_FALSE(FileExists(out / "none.cab"));
  EXPECT_FALSE(HasLine(form->TreeView1, "Cabinet Archive Build Successful."));
  EXPECT_TRUE(form->Visible()) << "a failed Cabinet Archive leaves the window open";

  robot.Boxes.clear();
  EXPECT_FALSE(Build(akZipArchive, "none.zip"));
  ASSERT_EQ(robot.Boxes.size(), 3u) << ::testing::PrintToString(Captions());
  EXPECT_EQ(robot.Boxes[0].Text, "Error - no files to zip");
  EXPECT_EQ(robot.Boxes[1].Text.rfind("Error Compressing Files. Error Code ", 0), 0u);
  EXPECT_EQ(robot.Boxes[2].Text, BuildBox(TBuildMessage::W4).Text);
  EXPECT_FALSE(FileExists(out / "none.zip"));
}

TEST_F(BuildWindowTest, MissingStubsGiveTheirMessagesAndLeaveNothing) {
  DeleteFileA((program / "CabStub1.Bin").c_str());
  EXPECT_FALSE(Build(akCabinetSFX, "cabsfx.exe"));
  ASSERT_EQ(robot.Boxes.size(), 2u);
  EXPECT_EQ(robot.Boxes[0].Text.rfind("There was a problem when we tried to make your Cabinet Archive Self-Exctracting", 0), 0u);
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo - ERROR");
  EXPECT_EQ(robot.Boxes[1].Text, BuildBox(TBuildMessage::W2).Text);
  EXPECT_TRUE(HasLine(form->TreeView1, "Error Appending Stub!"));
  EXPECT_FALSE(FileExists(out / "cabsfx.exe"));
  EXPECT_TRUE(NoSpools());

  robot.Boxes.clear();
  // Without its stub the component looks for the default one.
  DeleteFileA((program / "Stub1.Bin").c_str());
  DeleteFileA((program / "ZIPSFX.BIN").c_str());
  EXPECT_FALSE(Build(akZipSFX, "zipsfx.exe"));
  ASSERT_EQ(robot.Boxes.size(), 2u) << ::testing::PrintToString(Captions());
  EXPECT_EQ(robot.Boxes[0].Text, "Error - ZIPSFX.BIN not found");
  EXPECT_EQ(robot.Boxes.back().Text, "Error Occurred While Attemping to Create Self-Extractor.");
  EXPECT_EQ(robot.Boxes.back().Caption, "Error");
  EXPECT_FALSE(FileExists(out / "zipsfx.exe"));
  EXPECT_TRUE(NoSpools());

  robot.Boxes.clear();
  DeleteFileA((program / "Stub3.Bin").c_str());
  settings.Values.ZipSFXStyle = zsDOS;
  EXPECT_FALSE(Build(akZipSFX, "dossfx.exe"));
  ASSERT_EQ(robot.Boxes.size(), 2u) << ::testing::PrintToString(Captions());
  EXPECT_EQ(robot.Boxes[0].Text.rfind("There was a problem when we tried to make your Zip Archive Self-Exctracting", 0), 0u);
  EXPECT_EQ(robot.Boxes[1].Text, BuildBox(TBuildMessage::E1).Text);
  EXPECT_FALSE(FileExists(out / "dossfx.exe"));
  EXPECT_TRUE(NoSpools());
}

TEST_F(BuildWindowTest, CancelDuringACabinetBuild) {
  // The click waits in the queue until the build pumps messages.
  struct Row { int answer; bool built; };
  for (Row r : {Row{IDYES, false}, Row{IDNO, true}}) {
    SCOPED_TRACE(r.answer == IDYES ? "yes" : "no");
    robot.Boxes.clear();
    robot.Answers = {r.answer};
    settings.Values.Kind = akCabinetArchive;
    form->Show();
    PostMessageA(form->Button1->Handle(), BM_CLICK, 0, 0);
    settings.Values.OutputFileName = out / "cancel.cab";
    EXPECT_EQ(form->Proceed(), r.built);
    ASSERT_EQ(robot.Boxes.size(), 1u) << ::testing::PrintToString(Captions());
    EXPECT_EQ(robot.Boxes[0].Text, "You have decided to Stop the current Compression Process.\r\nAre you sure to Cancel?");
    EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(FileExists(out / "cancel.cab"), r.built);
    EXPECT_EQ(form->CancelLabel->Caption(), "None");
  }
  // A cancel left over from the last build does not stop the next.
  form->CancelLabel->SetCaption("Requested");
  EXPECT_TRUE(Build(akCabinetArchive, "next.cab"));
}

TEST_F(BuildWindowTest, CancelDuringAZipBuildLeavesNoPartialZip) {
  WriteFileBytes(src + "\\BIG.BIN", std::string(3 << 20, 'x'));
  robot.Answers = {IDYES};
  // Pressed before the library runs: nothing is asked.
  form->Show();
  form->Button1Click(form->Button1);
  EXPECT_TRUE(robot.Boxes.empty());
  form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
    if (t == NewFile && robot.Boxes.empty()) form->Button1Click(form->Button1);
    form->ZipArchiver1Progress(s, t, n, size);
  };
  EXPECT_FALSE(Build(akZipArchive, "cancel.zip"));
  ASSERT_EQ(robot.Boxes.size(), 1u) << ::testing::PrintToString(Captions());
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo - QUESTiON");
  EXPECT_FALSE(FileExists(out / "cancel.zip"));
  EXPECT_TRUE(NoSpools());
}

TEST_F(BuildWindowTest, StaleFilesAndLockedFiles) {
  // A spool left by a crash is removed first and never added to.
  WriteFileBytes(program / "Spool.Zip", "not a zip at all");
  EXPECT_TRUE(Build(akZipSFX, "fresh.exe")) << ::testing::PrintToString(Captions());
  EXPECT_TRUE(NoSpools());

  // An old output that cannot be deleted fails the build.
  WriteFileBytes(out / "old.zip", "old package");
  SetFileAttributesA((out / "old.zip").c_str(), FILE_ATTRIBUTE_READONLY);
  robot.Boxes.clear();
  EXPECT_FALSE(Build(akZipArchive, "old.zip"));
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, BuildBox(TBuildMessage::OldOutput, out / "old.zip").Text);
  SetFileAttributesA((out / "old.zip").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(out / "old.zip"), "old package");

  // A source held open without sharing: the build names it, leaves
  // nothing behind and the window can build again.
  HANDLE held = CreateFileA((src + "\\B.TXT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  robot.Boxes.clear();
  EXPECT_FALSE(Build(akCabinetSFX, "locked.exe"));
  CloseHandle(held);
  EXPECT_EQ(Captions(), (std::vector<std::string>{
                            "tidy-Zaderuzo - WARNiNG: " + BuildBox(TBuildMessage::SourceUnreadable, src + "\\B.TXT").Text,
                            "tidy-Zaderuzo - WARNiNG: " + BuildBox(TBuildMessage::W1).Text}));
  EXPECT_FALSE(FileExists(out / "locked.exe"));
  EXPECT_TRUE(NoSpools());
  EXPECT_FALSE(form->Building());
  robot.Boxes.clear();
  EXPECT_TRUE(Build(akCabinetSFX, "locked.exe"));
}

TEST_F(BuildWindowTest, NoKindAndBadStyle) {
  settings.HasNoKind = true;
  EXPECT_FALSE(Build(akCabinetArchive, "nokind.cab"));
  EXPECT_TRUE(robot.Boxes.empty());
  settings.HasNoKind = false;
  settings.ZipSFXStyleRaw = 7;
  EXPECT_FALSE(Build(akZipArchive, "style.zip"));
  ASSERT_GE(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Caption, "CRiTiCAL ERROR");
  EXPECT_EQ(robot.Boxes[0].Text,
            "Unexpected Exception #G32 - User is not in ZIP/ZIPSfx mode. Contact VEXA if you receive this error.");
}

TEST_F(BuildWindowTest, StaleSpoolThatCannotBeRemovedStopsItsKind) {
  struct Row { const char* spool; TArchiveKind kind; const char* file; bool blocked; };
  const Row rows[] = {
      {"Spool.Zip", akZipSFX, "z.exe", true},
      {"Spool.exe", akZipSFX, "z.exe", true},
      {"Spool.Cab", akCabinetSFX, "c.exe", true},
      {"Spool.Zip", akCabinetArchive, "c.cab", false},  // not a spool of this kind
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.spool) + " " + r.file);
    robot.Boxes.clear();
    const std::string spool = program / r.spool;
    WriteFileBytes(spool, "stale");
    SetFileAttributesA(spool.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Build(r.kind, r.file), !r.blocked) << ::testing::PrintToString(Captions());
    if (r.blocked) {
      ASSERT_EQ(robot.Boxes.size(), 1u) << ::testing::PrintToString(Captions());
      EXPECT_EQ(robot.Boxes[0].Text, BuildBox(TBuildMessage::OldOutput, spool).Text);
      EXPECT_FALSE(FileExists(out / r.file));
    }
    SetFileAttributesA(spool.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (r.blocked) {
      EXPECT_EQ(ReadFileBytes(spool), "stale");
    }
    DeleteFileA(spool.c_str());
  }
}

// Every file below `root`, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  std::function<void(const std::string&)> walk = [&](const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) walk(dir + "\\" + name);
      else files[dir + "\\" + name] = ReadFileBytes(dir + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  };
  walk(root);
  return files;
}

// Bytes that no compressor shrinks.
std::string Noise(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 2463534242u;
  for (char& c : s) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x);
  }
  return s;
}

// Q: is a 1 MB drive while this test runs (small-drive.sh).
bool HasSmallDrive() {
  ULARGE_INTEGER freeBytes{};
  return GetDiskFreeSpaceExA("Q:\\", &freeBytes, nullptr, nullptr) && freeBytes.QuadPart < (2u << 20);
}

TEST_F(BuildWindowTest, FailuresAndCancelsLeaveEverySourceAndNoOutput) {
  // More than the small drive holds, compressed or not.
  WriteFileBytes(src + "\\NOISE.BIN", Noise(3u << 20));
  const bool smallDrive = HasSmallDrive();
  if (!smallDrive) ADD_FAILURE() << "no small drive Q: (tmpfs could not be mounted); the full-disk rows are left out";
  const std::map<std::string, std::string> before = Snapshot(tmp.Path());
  ASSERT_GE(before.size(), 5u);

  enum Point { MissingFolder, ReadOnlyTarget, FullDisk, CancelFirstFile, CancelLastFile };
  struct Kind { const char* name; TArchiveKind kind; TZipSFXStyle style; const char* ext; };
  const Kind kinds[] = {
      {"cab", akCabinetArchive, zsStandard, ".cab"},    {"cabsfx", akCabinetSFX, zsStandard, ".exe"},
      {"zip", akZipArchive, zsStandard, ".zip"},        {"zipsfx", akZipSFX, zsStandard, ".exe"},
      {"zipsfx-adv", akZipSFX, zsAdvanced, ".exe"},     {"zipsfx-dos", akZipSFX, zsDOS, ".exe"},
  };
  const char* pointNames[] = {"missing folder", "read-only target", "full disk", "cancel at the first file",
                              "cancel at the end of the batch"};
  for (const Kind& k : kinds) {
    const bool zipKind = k.kind == akZipArchive || k.kind == akZipSFX;
    for (bool move : {false, true}) {
      for (Point point : {MissingFolder, ReadOnlyTarget, FullDisk, CancelFirstFile, CancelLastFile}) {
        if (point == FullDisk && !smallDrive) continue;
        // The cabinet's cancel is tested between files only; a late cancel
        // of a Zip Archive that moved its sources keeps it (tested below).
        if (point == CancelLastFile && (!zipKind || (move && k.kind == akZipArchive))) continue;
        SCOPED_TRACE(std::string(k.name) + (move ? ", move, " : ", ") + pointNames[point]);
        robot.Boxes.clear();
        robot.Answers.clear();
        settings.Values.MoveFiles = move;
        settings.Values.ZipSFXStyle = k.style;
        settings.Values.Kind = k.kind;
        form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
          form->ZipArchiver1Progress(s, t, n, size);
        };
        std::string output = out / (std::string(k.name) + k.ext);
        switch (point) {
          case MissingFolder: output = out / ("NOWHERE\\" + std::string(k.name) + k.ext); break;
          case ReadOnlyTarget:
            WriteFileBytes(output, "the user's old package");
            SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_READONLY);
            break;
          case FullDisk: output = "Q:\\" + std::string(k.name) + k.ext; break;
          case CancelFirstFile:
            robot.Answers = {IDYES};
            if (zipKind) {
              form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
                form->ZipArchiver1Progress(s, t, n, size);
                if (t == NewFile && robot.Boxes.empty()) form->Button1Click(form->Button1);
              };
            } else {
              form->Show();
              PostMessageA(form->Button1->Handle(), BM_CLICK, 0, 0);
            }
            break;
          case CancelLastFile:
            robot.Answers = {IDYES};
            form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
              form->ZipArchiver1Progress(s, t, n, size);
              if (t == EndOfBatch && robot.Boxes.empty()) form->Button1Click(form->Button1);
            };
            break;
        }
        settings.Values.OutputFileName = output;
        form->Show();
        EXPECT_FALSE(form->Proceed()) << ::testing::PrintToString(Captions());
        EXPECT_EQ(Snapshot(tmp.Path()), before) << "every source in place with its bytes";
        EXPECT_TRUE(NoSpools());
        if (point == ReadOnlyTarget) {
          SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_NORMAL);
          EXPECT_EQ(ReadFileBytes(output), "the user's old package");
          DeleteFileA(output.c_str());
        } else {
          EXPECT_FALSE(FileExists(output)) << "no output left";
        }
        if (point == CancelFirstFile || point == CancelLastFile) {
          EXPECT_EQ(Captions(), (std::vector<std::string>{"tidy-Zaderuzo - QUESTiON: " + BuildBox(TBuildMessage::Q1).Text}));
        } else {
          EXPECT_FALSE(robot.Boxes.empty()) << "a failure is reported";
          // It names the output, or gives the stub step's code.
          const bool stubStep = k.kind == akCabinetSFX || k.style == zsDOS;
          if (point != ReadOnlyTarget && !robot.Boxes.empty()) {
            if (stubStep)
              EXPECT_NE(robot.Boxes[0].Text.find("Self-Exctracting, and the Error Code was "), std::string::npos);
            else
              EXPECT_EQ(robot.Boxes[0].Text, BuildBox(TBuildMessage::OutputNotWritten, output).Text);
          }
        }
        EXPECT_FALSE(DirExists(out / "NOWHERE"));
      }
    }
  }
}

TEST_F(BuildWindowTest, MovedFilesGoOnlyOnceTheSelfExtractorStandsWhole) {
  settings.Values.MoveFiles = true;
  settings.Values.Sources = {{tmp / "ONE.TXT", false}, {src + "\\", true}};
  const std::map<std::string, std::string> before = Snapshot(tmp.Path());

  // No stub: the build fails and every source is still there.
  DeleteFileA((program / "Stub1.Bin").c_str());
  DeleteFileA((program / "ZIPSFX.BIN").c_str());
  EXPECT_FALSE(Build(akZipSFX, "moved.exe"));
  EXPECT_EQ(Snapshot(tmp.Path()), before);
  EXPECT_EQ(robot.Boxes.back().Text, BuildBox(TBuildMessage::E1).Text);
  EXPECT_FALSE(FileExists(out / "moved.exe"));
  EXPECT_FALSE(FileExists(out / "moved.zip"));
  EXPECT_TRUE(NoSpools());

  // Built: the files it took are gone, the sub-folder's file it left stays.
  CopyShippedFiles(program.Path());
  robot.Boxes.clear();
  ASSERT_TRUE(Build(akZipSFX, "moved.exe")) << ::testing::PrintToString(Captions());
  EXPECT_TRUE(robot.Boxes.empty()) << ::testing::PrintToString(Captions());
  for (const char* gone : {"ONE.TXT", "SRC\\A.TXT", "SRC\\B.TXT"}) EXPECT_FALSE(FileExists(tmp / gone)) << gone;
  EXPECT_EQ(ReadFileBytes(src + "\\SUB\\C.TXT"), "sea");
  form->ZipArchiver1->SetZipFilename(out / "moved.exe");
  EXPECT_EQ(form->ZipArchiver1->Count(), 3);

  // A source changed after it went in is not the one the package holds:
  // it stays, and the user is told.
  WriteFileBytes(tmp / "ONE.TXT", "one file");
  settings.Values.Sources = {{tmp / "ONE.TXT", false}};
  form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
    form->ZipArchiver1Progress(s, t, n, size);
    if (t == EndOfBatch) WriteFileBytes(tmp / "ONE.TXT", "one file, longer now");
  };
  robot.Boxes.clear();
  ASSERT_TRUE(Build(akZipSFX, "again.exe")) << ::testing::PrintToString(Captions());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"tidy-Zaderuzo - WARNiNG: " +
                                                  BuildBox(TBuildMessage::MovedFileNotRemoved, tmp / "ONE.TXT").Text}));
  EXPECT_EQ(ReadFileBytes(tmp / "ONE.TXT"), "one file, longer now");
}

TEST_F(BuildWindowTest, AnOutputThatNamesTheProjectsOwnFilesIsRefused) {
  const std::string project = tmp / "PROJECT.TPJ";
  WriteFileBytes(project, "the project");
  settings.ProjectFile = project;
  settings.Values.AddSubDirs = true;
  const std::map<std::string, std::string> before = Snapshot(tmp.Path());
  struct Row { const char* name; TArchiveKind kind; std::string output; TBuildMessage refusal; };
  const Row rows[] = {
      {"a source file", akZipArchive, tmp / "ONE.TXT", TBuildMessage::OutputIsSource},
      {"a source file, other case", akCabinetArchive, tmp / "one.txt", TBuildMessage::OutputIsSource},
      {"in a source folder", akCabinetSFX, src + "\\OUT.EXE", TBuildMessage::OutputInSourceFolder},
      {"a file of a source folder", akZipSFX, src + "\\B.TXT", TBuildMessage::OutputInSourceFolder},
      {"below a source folder, with sub-folders", akZipArchive, src + "\\SUB\\C.TXT",
       TBuildMessage::OutputInSourceFolder},
      {"the project", akZipSFX, project, TBuildMessage::OutputIsProject},
      {"the spool", akZipSFX, program / "spool.zip", TBuildMessage::OutputIsBuildFile},
      {"a stub", akZipSFX, program / "Stub3.Bin", TBuildMessage::OutputIsBuildFile},
  };
  const std::string stub = ReadFileBytes(program / "Stub3.Bin");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    robot.Boxes.clear();
    settings.Values.Kind = r.kind;
    settings.Values.OutputFileName = r.output;
    form->Show();
    EXPECT_FALSE(form->Proceed());
    EXPECT_EQ(Captions(), (std::vector<std::string>{"tidy-Zaderuzo - WARNiNG: " + BuildBox(r.refusal, r.output).Text}));
    EXPECT_EQ(Snapshot(tmp.Path()), before);
    EXPECT_EQ(ReadFileBytes(program / "Stub3.Bin"), stub);
  }
  // A cabinet takes a folder's own files only: below it is free.
  robot.Boxes.clear();
  settings.Values.Kind = akCabinetArchive;
  settings.Values.OutputFileName = src + "\\SUB\\P.CAB";
  EXPECT_TRUE(form->Proceed()) << ::testing::PrintToString(Captions());
}

TEST_F(BuildWindowTest, ASourceLockedOrChangedDuringTheBuildFailsItByName) {
  const std::string one = tmp / "ONE.TXT";
  struct Kind { const char* name; TArchiveKind kind; TZipSFXStyle style; const char* file; };
  const Kind kinds[] = {{"cab", akCabinetArchive, zsStandard, "l.cab"}, {"cabsfx", akCabinetSFX, zsStandard, "l.exe"},
                        {"zip", akZipArchive, zsStandard, "l.zip"},    {"zipsfx", akZipSFX, zsStandard, "l.exe"},
                        {"zipsfx-dos", akZipSFX, zsDOS, "l.exe"}};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    settings.Values.ZipSFXStyle = k.style;
    // Another program writes the file: it cannot be read whole.
    robot.Boxes.clear();
    HANDLE writer = CreateFileA(one.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Build(k.kind, k.file));
    CloseHandle(writer);
    ASSERT_FALSE(robot.Boxes.empty());
    EXPECT_EQ(robot.Boxes[0].Text, BuildBox(TBuildMessage::SourceUnreadable, one).Text)
        << ::testing::PrintToString(Captions());
    EXPECT_FALSE(FileExists(out / k.file));
    EXPECT_TRUE(NoSpools());
    EXPECT_EQ(ReadFileBytes(one), "one file");
  }
  // Changed after the zip library listed it, before it was read: shortened,
  // or rewritten with another time.
  for (bool shorten : {true, false}) {
    SCOPED_TRACE(shorten ? "shortened" : "rewritten");
    robot.Boxes.clear();
    form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
      if (t == NewFile && FileExists(one) && ReadFileBytes(one) == "one file") {
        WriteFileBytes(one, shorten ? "one" : "ONE FILE");
        if (!shorten) {
          HANDLE h = CreateFileA(one.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
          FILETIME t2{0x12345678, 0x01D00000};
          SetFileTime(h, nullptr, nullptr, &t2);
          CloseHandle(h);
        }
      }
      form->ZipArchiver1Progress(s, t, n, size);
    };
    EXPECT_FALSE(Build(akZipSFX, "changed.exe"));
    ASSERT_FALSE(robot.Boxes.empty());
    EXPECT_EQ(robot.Boxes[0].Text, BuildBox(TBuildMessage::SourceChanged, one).Text)
        << ::testing::PrintToString(Captions());
    EXPECT_FALSE(FileExists(out / "changed.exe"));
    EXPECT_TRUE(NoSpools());
    WriteFileBytes(one, "one file");
  }
}

// A view with no window: what the steps report, recorded.
class TRecordingView : public IBuildView {
public:
  std::vector<std::string> Calls;       // lock, unlock, labels
  std::vector<std::pair<int, std::string>> Log;  // root (-1 for a root line), text
  std::string Flag = "None";
  int Min = 0, Max = 100, Pos = 0;

  void ClearLog() override { Log.clear(); roots_ = 0; }
  TLogLine AddRootLine(const std::string& text) override {
    Log.push_back({-1, text});
    return roots_++;
  }
  void AddStepLine(TLogLine root, const std::string& text) override { Log.push_back({root, text}); }
  void ScrollLogTo(TLogLine) override {}
  void SetProgressRange(int min, int max) override { Min = min, Max = max, Pos = std::clamp(Pos, min, max); }
  void SetProgressPosition(int position) override { Pos = std::clamp(position, Min, Max); }
  void StepProgress() override { Pos = Pos + 1 > Max ? Min : Pos + 1; }
  int ProgressPosition() const override { return Pos; }
  int ProgressMax() const override { return Max; }
  void StartClip(TBuildClip) override {}
  std::string CancelFlag() const override { return Flag; }
  void SetCancelFlag(const std::string& text) override { Flag = text; }
  void ShowSource(const std::string& text) override { Calls.push_back("source " + text); }
  void ShowTarget(const std::string& text) override { Calls.push_back("target " + text); }
  int ShowMessage(const TBuildBox& box) override { return Seam().ShowBox(nullptr, box.Text, box.Caption, box.Flags); }
  void ProcessMessages() override { Application().ProcessMessages(); }
  void LockButtons() override { Calls.push_back("lock"); }
  void UnlockButtons() override { Calls.push_back("unlock"); }

private:
  int roots_ = 0;
};

TEST_F(BuildWindowTest, StepsReportThroughTheirViewWithTheWizardsOptions) {
  // The Wizard's page: no labels, locked buttons around the archive step and
  // no C1.
  TBuildOptions options;
  options.OneGatherLine = true;
  options.MessagesBeforePattern = 2;
  options.MessagesAfterFileLine = 1;
  options.MessagesAfterDataSection = true;
  options.QuietMissingCabSFX = true;
  options.ZipStyleCheck = false;
  TRecordingView view;
  TBuildSteps steps(view, *form->CabinetWriter1, *form->ZipArchiver1, settings, options);
  steps.ProgramFolder = program.Path();
  form->ZipArchiver1->OnProgress = [&](TComponent*, ProgressType t, const std::string& n, int size) {
    steps.ZipProgress(t, n, size);
  };
  bool leaveOpen = false;

  struct Row { const char* name; TArchiveKind kind; int style; bool built; const char* file; };
  const Row rows[] = {
      {"cabinet", akCabinetArchive, zsStandard, true, "w.cab"},
      {"cabinet sfx", akCabinetSFX, zsStandard, true, "w.exe"},
      {"zip, no style", akZipArchive, 7, true, "w.zip"},
      {"zip sfx", akZipSFX, zsAdvanced, true, "ws.exe"},
      {"failed cabinet", akCabinetArchive, zsStandard, false, "none.cab"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    view.Calls.clear();
    robot.Boxes.clear();
    settings.Values.Kind = r.kind;
    settings.ZipSFXStyleRaw = r.style;
    settings.Values.OutputFileName = out / r.file;
    if (!r.built) settings.Values.Sources = {{tmp / "GONE.TXT", false}};
    EXPECT_EQ(steps.Proceed(leaveOpen), r.built) << ::testing::PrintToString(Captions());
    std::vector<std::string> locks;
    for (const auto& c : view.Calls)
      if (c == "lock" || c == "unlock") locks.push_back(c);
    EXPECT_EQ(locks, (std::vector<std::string>{"lock", "unlock"}));
    EXPECT_EQ(FileExists(out / r.file), r.built);
    EXPECT_EQ(robot.Boxes.size(), r.built ? 0u : 1u) << ::testing::PrintToString(Captions());
    EXPECT_TRUE(NoSpools());
    if (!r.built) {
      EXPECT_EQ(view.Flag, "None");
    }
    if (r.kind == akZipArchive) {
      // Each file's line stands under the first root line.
      ASSERT_FALSE(view.Log.empty());
      EXPECT_EQ(view.Log[0], (std::pair<int, std::string>{-1, "Building Package..."}));
      ASSERT_GE(view.Log.size(), 2u);
      EXPECT_EQ(view.Log[1].first, 0);
      EXPECT_EQ(view.Log[1].second, "File 'a.txt' in package");  // the folder's files come first
    }
  }
}

TEST_F(BuildWindowTest, CancelAfterFilesWereMovedKeepsTheArchive) {
  // Confirmed on the library's last report, after it moved the sources in.
  settings.Values.MoveFiles = true;
  settings.Values.Sources = {{src + "\\B.TXT", false}};
  robot.Answers = {IDYES};
  form->ZipArchiver1->OnProgress = [&](TComponent* s, ProgressType t, const std::string& n, int size) {
    form->ZipArchiver1Progress(s, t, n, size);
    if (t == EndOfBatch) form->Button1Click(form->Button1);
  };
  EXPECT_TRUE(Build(akZipArchive, "late.zip")) << ::testing::PrintToString(Captions());
  EXPECT_FALSE(FileExists(src + "\\B.TXT"));
  EXPECT_EQ(ReadFileBytes(out / "late.zip").compare(0, 2, "PK"), 0);
}

TEST_F(BuildWindowTest, AMovedSourceThatCannotBeDeletedIsNamed) {
  // Read-only: the library takes it but cannot delete it.
  settings.Values.MoveFiles = true;
  settings.Values.Sources = {{src + "\\B.TXT", false}};
  SetFileAttributesA((src + "\\B.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Build(akZipArchive, "kept.zip")) << ::testing::PrintToString(Captions());
  SetFileAttributesA((src + "\\B.TXT").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"tidy-Zaderuzo - WARNiNG: " +
                                                  BuildBox(TBuildMessage::MovedFileNotRemoved, src + "\\B.TXT").Text}));
  EXPECT_EQ(ReadFileBytes(src + "\\B.TXT"), "bee");
}

TEST_F(BuildWindowTest, CabinetCompressionFollowsTheSetting) {
  auto typeCompress = [](const std::string& cab) {
    return cab.size() < 44 ? -1 : static_cast<unsigned char>(cab[42]) | static_cast<unsigned char>(cab[43]) << 8;
  };
  settings.Values.CabCompression = ccMSZip;
  ASSERT_TRUE(Build(akCabinetArchive, "mszip.cab"));
  EXPECT_EQ(typeCompress(ReadFileBytes(out / "mszip.cab")), 1);
  // Wine stores LZX folders uncompressed; Windows marks them 0x1503.
  settings.Values.CabCompression = ccLZX;
  ASSERT_TRUE(Build(akCabinetSFX, "lzx.exe"));
  std::string exe = ReadFileBytes(out / "lzx.exe");
  std::string cab = exe.substr(ReadFileBytes(program / "CabStub1.Bin").size());
  EXPECT_TRUE(typeCompress(cab) == 0 || typeCompress(cab) == 0x1503) << typeCompress(cab);
}

TEST_F(BuildWindowTest, WindowEndsShowingTheNewestLineLabelsAndProgress) {
  // Lines, labels and progress come faster than the window draws; when the
  // build ends the newest of each is shown all the same, and the log and
  // the bar draw again.
  std::string many = tmp / "MANY";
  MakeDirs(many);
  for (int i = 0; i < 60; ++i) WriteFileBytes(many + "\\F" + std::to_string(i) + ".TXT", "file " + std::to_string(i));
  settings.Values.Sources = {{many + "\\", true}};
  ASSERT_TRUE(Build(akZipArchive, "many.zip"));
  TTreeNode* newest = nullptr;
  for (int i = 0; i < form->TreeView1->RootCount(); ++i)
    if (TTreeNode* root = form->TreeView1->Root(i); root->Count() > 0) newest = root->Item(root->Count() - 1);
  ASSERT_NE(newest, nullptr);
  EXPECT_EQ(newest->Text().rfind("File ", 0), 0u) << newest->Text();
  RECT r{};
  HTREEITEM item = newest->ItemId();
  std::memcpy(&r, &item, sizeof item);  // the item goes in, its rectangle comes out
  EXPECT_TRUE(SendMessageA(form->TreeView1->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  EXPECT_NE(form->TreeView1->TopItem(), form->TreeView1->Root(0));

  const std::string& line = newest->Text();  // File 'name' in package
  const size_t open = line.find('\''), close = line.rfind('\'');
  ASSERT_LT(open, close);
  EXPECT_EQ(form->SourceLabel->Caption(), line.substr(open + 1, close - open - 1));
  HWND bar = form->ProgressBar2->Handle();
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), form->ProgressBar2->Position());
  EXPECT_TRUE(GetWindowLongA(bar, GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(form->TreeView1->Handle(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(BuildWindowTest, TheLogIsLetGoShownAndKeepsTheFocus) {
  // A Cabinet Archive that cannot be written shows its box and leaves the
  // window open: the log is let go in a shown window, with the focus in it
  // or elsewhere.
  for (bool inLog : {false, true}) {
    SCOPED_TRACE(inLog ? "focus in the log" : "focus elsewhere");
    robot.Boxes.clear();
    form->Show();
    HWND tree = form->TreeView1->Handle();
    if (inLog) SetFocus(tree);
    const HWND focus = GetFocus();
    ASSERT_EQ(focus == tree, inLog);
    EXPECT_FALSE(Build(akCabinetArchive, "NOSUCH\\log.cab"));
    EXPECT_FALSE(robot.Boxes.empty());
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(tree));
    EXPECT_EQ(GetFocus(), focus);
    EXPECT_TRUE(HasLine(form->TreeView1, "File \"" + src + "\\A.TXT\" in Package."));
  }
}
