#include "ProjectFile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <functional>
#include <map>
#include <new>
#include <random>

#include "TestFileAccess.h"
#include "TestPaths.h"

namespace {

const std::string kHead =
    "tidy-Zaderuzo Version 1.60 Project File\r\n"
    "Project settings of tidy-Zaderuzo, one value a line\r\n"
    "** You are not recommended to modify this file directly **\r\n"
    "\r\n";
const std::string kHead100 =
    "tidy-Zaderuzo Version 1.00 Project File\r\n"
    "anything\r\n"
    "** You are not recommended to modify this file directly **\r\n"
    "\r\n";

// Lines joined, each ended by CR LF.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

const std::string kTwoBlocks = Lines({"\x01" "FILES\x01", "C:\\DATA\\B.TXT", "C:\\DATA\\A.TXT", "\x03" "FILES\x03",
                                      "\x01" "FOLDERS\x01", "C:\\TOOLS\\", "C:\\DATA\\DOCS\\", "\x03" "FOLDERS\x03"});
const std::string kEmptyBlocks = Lines({"\x01" "FILES\x01", "\x03" "FILES\x03", "\x01" "FOLDERS\x01", "\x03" "FOLDERS\x03"});

std::string Golden(const std::string& name) {
  return ReadFileBytes(SourcePath("tests/engine/golden/" + name + ".tpj"));
}

// Front-end values with two password entries, as the Studio holds them.
class TTwoPasswords : public TSettingsValues {
public:
  std::string Pass1, Pass2;
  std::string Password(bool first) const override { return first ? Pass1 : Pass2; }
};

// The sources in list order; written files B, A and folders TOOLS, DOCS.
const std::vector<TSourceItem> kListOrder = {
    {"C:\\DATA\\A.TXT", false}, {"C:\\DATA\\DOCS\\", true}, {"C:\\DATA\\B.TXT", false}, {"C:\\TOOLS\\", true}};
// The same, as a load gives them back: each block in list order, files first.
const std::vector<TSourceItem> kLoadOrder = {
    {"C:\\DATA\\A.TXT", false}, {"C:\\DATA\\B.TXT", false}, {"C:\\DATA\\DOCS\\", true}, {"C:\\TOOLS\\", true}};

// Values that are not part of the kind's section are set too, so that the
// goldens show they are left out.
TTwoPasswords GoldenProject(TArchiveKind kind) {
  TTwoPasswords p;
  TProjectSettings& v = p.Values;
  v.Kind = kind;
  v.Sources = kListOrder;
  v.ZipLevel = 3;
  v.CabCompression = ccMSZip;
  v.OverwriteMode = "Always Skip Extraction";
  p.Pass1 = p.Pass2 = "unused";
  switch (kind) {
    case akCabinetArchive:
      v.Title = "Cabinet Test";
      v.OutputFileName = "C:\\OUT\\TEST.CAB";
      v.SaveFolderNames = true;
      break;
    case akCabinetSFX:
      v.Title = "Cabinet SFX Test";
      v.OutputFileName = "C:\\OUT\\CABSFX.EXE";
      v.AddSubDirs = true;
      v.CabCompression = ccLZX;
      v.CabSFXStyle = cs32Bit;
      break;
    case akZipArchive:
      v.Title = "Zip Test";
      v.OutputFileName = "C:\\OUT\\TEST.ZIP";
      v.SaveFolderNames = v.AddSubDirs = v.AddHiddenFiles = v.ForceDOSNames = true;
      v.ZipLevel = 5;
      p.Pass1 = "first pass";
      p.Pass2 = "differs";
      break;
    case akZipSFX:
      v.Title = "Zip SFX Test";
      v.OutputFileName = "C:\\OUT\\ZIPSFX.EXE";
      v.MoveFiles = true;
      v.ZipSFXStyle = zsAdvanced;
      v.ZipLevel = 0;
      p.Pass1 = "differs";
      p.Pass2 = "second pass";
      v.OverwriteMode = "Always Overwrite";
      v.RunAfterExtraction = "setup.exe /q";
      v.DefaultExtractDir = "C:\\Program Files\\Zip Test";
      v.CanPreventExecuting = v.HideOverwriteBox = true;
      break;
  }
  return p;
}

const struct GoldenRow { const char* file; TArchiveKind kind; } kGoldens[] = {
    {"CabinetArchive", akCabinetArchive},
    {"CabinetSFX", akCabinetSFX},
    {"ZipArchive", akZipArchive},
    {"ZipSFX", akZipSFX},
};

TSettingsValues From(const TProjectSettings& values) {
  TSettingsValues v;
  v.Values = values;
  return v;
}

// One load as the Studio does it, after its reset to a new project.
struct TLoad {
  bool Threw = false;
  bool Result = false;
  std::string Error;
  TProjectSettingsTarget Target;
};

TLoad Load(IProjectFileAccess& files, const std::string& path, TProjectFrontEnd fe = TProjectFrontEnd::Studio) {
  TLoad r;
  try {
    r.Result = LoadProjectFile(files, path, r.Target, fe);
  } catch (const Exception& e) {
    r.Threw = true;
    r.Error = e.Message();
  }
  return r;
}

TLoad LoadBytes(const std::string& bytes, TProjectFrontEnd fe = TProjectFrontEnd::Studio) {
  TMemoryFiles files;
  files.Files["p.tpj"] = bytes;
  return Load(files, "p.tpj", fe);
}

// Records every call, for the order in which a front-end sees them.
class TCallLog : public IProjectFileTarget {
public:
  std::vector<std::string> Calls;
  void ShowMessage(const TProjectMessage& m) override { Log("Box", m.Caption); }
  void SetTitle(const std::string& s) override { Log("Title", s); }
  void SetOutputFileName(const std::string& s) override { Log("Output", s); }
  void SetKind(TArchiveKind k) override { Log("Kind", ArchiveKindText(k)); }
  void ClearFiles() override { Log("ClearFiles", ""); }
  void AddFile(const std::string& s) override { Log("File", s); }
  void ClearFolders() override { Log("ClearFolders", ""); }
  void AddFolder(const std::string& s) override { Log("Folder", s); }
  void SetSaveFolderNames(bool on) override { LogBox("CheckBox4", on); }
  void SetAddSubDirs(bool on) override { LogBox("CheckBox5", on); }
  void SetAddHiddenFiles(bool on) override { LogBox("CheckBox1", on); }
  void SetMoveFiles(bool on) override { LogBox("CheckBox2", on); }
  void SetForceDOSNames(bool on) override { LogBox("CheckBox3", on); }
  void SetCabCompression(TCabCompression c) override { Log("CabCompression", std::to_string(c)); }
  void SetCabSFXStyle(TCabSFXStyle s) override { Log("CabSFX", s == cs16Bit ? "16" : "32"); }
  void SetZipSFXStyle(std::optional<TZipSFXStyle> s) override {
    Log("ZipSFX", s ? ZipSFXStyleLabel(*s) : "none");
  }
  void SetZipLevel(int n) override { Log("ZipLevel", std::to_string(n)); }
  void SetPassword(const std::string& s) override { Log("Password", s); }
  void SetOverwriteMode(const std::string& s) override { Log("Overwrite", s); }
  void SetRunAfterExtraction(const std::string& s) override { Log("Run", s); }
  void SetDefaultExtractDir(const std::string& s) override { Log("Dir", s); }
  void SetCanPreventExecuting(bool on) override { LogBox("p1", on); }
  void SetCanChangeFileList(bool on) override { LogBox("p2", on); }
  void SetHideOverwriteBox(bool on) override { LogBox("p3", on); }

private:
  void Log(const char* what, std::string_view arg) { Calls.push_back(std::string(what) + "(" + std::string(arg) + ")"); }
  void LogBox(const char* what, bool on) { Log(what, on ? "Y" : "N"); }
};

std::vector<std::string> CallsFor(const std::string& bytes, TProjectFrontEnd fe, bool* result = nullptr,
                                  std::string* error = nullptr) {
  TMemoryFiles files;
  files.Files["p.tpj"] = bytes;
  TCallLog log;
  try {
    bool r = LoadProjectFile(files, "p.tpj", log, fe);
    if (result) *result = r;
  } catch (const Exception& e) {
    if (error) *error = e.Message();
  }
  return log.Calls;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(ProjectFileWriter, WritesTheGoldenFileOfEachKindByteForByte) {
  TTempDir dir;
  for (const GoldenRow& g : kGoldens) {
    SCOPED_TRACE(g.file);
    TTwoPasswords p = GoldenProject(g.kind);
    EXPECT_EQ(WriteProjectRecord(ProjectRecordFrom(p)), Golden(g.file));
    // The same bytes through the file access of the platform.
    std::string path = dir / (std::string(g.file) + ".tpj");
    WriteFileBytes(path, "an older and much longer file that is replaced as a whole");
    SaveProjectFile(TestDiskFiles(), path, p);
    EXPECT_EQ(ReadFileBytes(path), Golden(g.file));
  }
}

TEST(ProjectFileWriter, EmptySourceListWritesTheFourMarkersInARow) {
  TSettingsValues p;
  std::string bytes = WriteProjectRecord(ProjectRecordFrom(p));
  EXPECT_EQ(bytes, kHead + Lines({"", "", "Cabinet Archive"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N", "0"}));
  TLoad r = LoadBytes(bytes);
  EXPECT_TRUE(r.Result);
  EXPECT_TRUE(r.Target.Values.Sources.empty());
}

TEST(ProjectFileReader, ReadsEachGoldenFileIntoTheValues) {
  for (const GoldenRow& g : kGoldens) {
    SCOPED_TRACE(g.file);
    TLoad r = Load(TestDiskFiles(), SourcePath(std::string("tests/engine/golden/") + g.file + ".tpj"));
    ASSERT_FALSE(r.Threw) << r.Error;
    EXPECT_TRUE(r.Result);
    EXPECT_TRUE(r.Target.Messages.empty());

    // What the file carries; everything else keeps the new project's value.
    TTwoPasswords src = GoldenProject(g.kind);
    TProjectSettings want;
    want.Title = src.Values.Title;
    want.OutputFileName = src.Values.OutputFileName;
    want.Kind = g.kind;
    want.Sources = kLoadOrder;
    want.SaveFolderNames = src.Values.SaveFolderNames;
    want.AddSubDirs = src.Values.AddSubDirs;
    want.AddHiddenFiles = src.Values.AddHiddenFiles;
    want.MoveFiles = src.Values.MoveFiles;
    want.ForceDOSNames = src.Values.ForceDOSNames;
    std::string pass;
    switch (g.kind) {
      case akCabinetSFX: want.CabSFXStyle = src.Values.CabSFXStyle; [[fallthrough]];
      case akCabinetArchive: want.CabCompression = src.Values.CabCompression; break;
      case akZipArchive:
        want.ZipLevel = src.Values.ZipLevel;
        pass = src.Pass1;
        break;
      case akZipSFX:
        want.ZipSFXStyle = src.Values.ZipSFXStyle;
        want.ZipLevel = src.Values.ZipLevel;
        pass = src.Pass2;
        want.OverwriteMode = src.Values.OverwriteMode;
        want.RunAfterExtraction = src.Values.RunAfterExtraction;
        want.DefaultExtractDir = src.Values.DefaultExtractDir;
        want.CanPreventExecuting = src.Values.CanPreventExecuting;
        want.CanChangeFileList = src.Values.CanChangeFileList;
        want.HideOverwriteBox = src.Values.HideOverwriteBox;
        break;
    }
    want.Password = pass;
    EXPECT_EQ(r.Target.Values, want);
    EXPECT_EQ(r.Target.Pass1, pass);  // the stored password goes into both entries
  }
}

TEST(ProjectFileRoundTrip, RecordWritesBackTheBytesItWasReadFrom) {
  for (const GoldenRow& g : kGoldens) {
    SCOPED_TRACE(g.file);
    std::string bytes = Golden(g.file);
    TProjectRecord rec = ParseProjectFile(bytes);
    EXPECT_EQ(rec.Stop, TProjectStop::Complete);
    EXPECT_FALSE(rec.EndedInBlock);
    EXPECT_EQ(WriteProjectRecord(rec), bytes);
    // The entries stay in file order in the record.
    std::vector<std::string> entries;
    for (const TProjectLine& l : rec.Lines)
      if (l.Field == TProjectField::File || l.Field == TProjectField::Folder) entries.push_back(l.Text);
    EXPECT_EQ(entries, (std::vector<std::string>{"C:\\DATA\\B.TXT", "C:\\DATA\\A.TXT", "C:\\TOOLS\\", "C:\\DATA\\DOCS\\"}));
  }
}

// Each save writes a block from its last entry to its first; a load hands
// the entries back last line first, so the list keeps its own order and a
// second save writes the same bytes.
TEST(ProjectFileRoundTrip, SaveAndLoadThroughTheValues) {
  TMemoryFiles files;
  for (const GoldenRow& g : kGoldens) {
    SCOPED_TRACE(g.file);
    TTwoPasswords p = GoldenProject(g.kind);
    p.Values.Sources = {{"C:\\A", false}, {"C:\\F1\\", true}, {"C:\\B", false},
                        {"C:\\C", false}, {"C:\\F2\\", true}, {"C:\\A", false}};
    p.Pass1 = p.Pass2 = "same";
    SaveProjectFile(files, "1.tpj", p);
    TLoad first = Load(files, "1.tpj");
    ASSERT_TRUE(first.Result);
    EXPECT_EQ(first.Target.Values.Sources,
              (std::vector<TSourceItem>{{"C:\\A", false}, {"C:\\B", false}, {"C:\\C", false},
                                        {"C:\\A", false}, {"C:\\F1\\", true}, {"C:\\F2\\", true}}));
    SaveProjectFile(files, "2.tpj", From(first.Target.Values));
    EXPECT_EQ(files.Files["2.tpj"], files.Files["1.tpj"]);
    TLoad second = Load(files, "2.tpj");
    ASSERT_TRUE(second.Result);
    EXPECT_EQ(second.Target.Values, first.Target.Values);
  }
}

// ---------------------------------------------------------------------------
// Bad and odd input, read as the Studio reads it.

TEST(ProjectFileReader, BadAndOddInputs) {
  enum Outcome { kTrue, kFalse, kThrow };
  const TProjectMessage L1 = OutdatedProjectMessage(), L2 = InvalidDataMessage();
  using Check = std::function<void(const TProjectSettings&, const std::string& pass1)>;
  struct Row {
    const char* name;
    std::string bytes;
    Outcome outcome;
    std::string error;
    std::vector<TProjectMessage> boxes;
    Check check;
  };
  const std::string zipHead = kHead + Lines({"T", "O", "Zip Archive"}) + kEmptyBlocks + Lines({"Y", "N", "N", "N", "N"});
  const std::string cabHead = kHead + Lines({"T", "O", "Cabinet Archive"}) + kEmptyBlocks + Lines({"Y", "N", "N", "N", "N"});
  const std::string sfxHead = kHead + Lines({"T", "O", "Zip SFX"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N"});
  const std::string sfxTail = Lines({"4", "pw", "Always Overwrite", "run", "dir", "Y", "Y", "Y"});
  const Row rows[] = {
      {"kind in other case", kHead + Lines({"Title", "Out", "zip sfx"}) + kTwoBlocks + Lines({"Y", "Y"}),
       kFalse, "", {L2}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.Title, "Title");
         EXPECT_EQ(v.OutputFileName, "Out");
         EXPECT_TRUE(v.Sources.empty());
         EXPECT_FALSE(v.SaveFolderNames);
         EXPECT_EQ(v.Kind, akCabinetArchive) << "the kind is kept, not cleared";
       }},
      {"kind with a trailing space", kHead + Lines({"T", "O", "Zip Archive "}), kFalse, "", {L2}, nullptr},
      {"empty file", "", kFalse, "", {L2}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v, TProjectSettings());
       }},
      {"binary file", std::string("MZ\x90\x00\x03\x00\x00\x00\x04\r\xff\xfe\x00\x01\x03\n\x1a\x00\x00", 19), kFalse,
       "", {L2}, nullptr},
      {"level not a number", zipHead + Lines({"abc", "pw"}), kThrow, "'abc' is not a valid integer value", {},
       [](const TProjectSettings& v, const std::string& pass1) {
         EXPECT_TRUE(v.SaveFolderNames) << "values before the level stay";
         EXPECT_EQ(v.ZipLevel, 9);
         EXPECT_EQ(pass1, "");
       }},
      {"level with a space", zipHead + Lines({" 5", "pw"}), kThrow, "' 5' is not a valid integer value", {}, nullptr},
      {"level too big for 32 bits", zipHead + Lines({"4294967305"}), kThrow,
       "'4294967305' is not a valid integer value", {}, nullptr},
      {"level in hex", zipHead + Lines({"0x5"}), kThrow, "'0x5' is not a valid integer value", {}, nullptr},
      {"level line missing", zipHead, kThrow, "'' is not a valid integer value", {}, nullptr},
      {"cabinet level not a number", cabHead + Lines({"LZX"}), kThrow, "'LZX' is not a valid integer value", {},
       nullptr},
      {"level above the range", zipHead + Lines({"12", "pw"}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string& pass1) {
         EXPECT_EQ(v.ZipLevel, 9);
         EXPECT_EQ(v.Password, "pw");
         EXPECT_EQ(pass1, "pw");
       }},
      {"level below the range", zipHead + Lines({"-4", ""}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) { EXPECT_EQ(v.ZipLevel, 0); }},
      {"level with a plus sign", zipHead + Lines({"+7", ""}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) { EXPECT_EQ(v.ZipLevel, 7); }},
      {"cabinet level above the range", cabHead + Lines({"7"}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) { EXPECT_EQ(v.CabCompression, ccMSZip); }},
      {"cabinet level below the range", cabHead + Lines({"-1"}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) { EXPECT_EQ(v.CabCompression, ccLZX); }},
      {"cabinet archive ends with its level", cabHead + Lines({"1"}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string& pass1) {
         EXPECT_EQ(v.CabCompression, ccMSZip);
         EXPECT_EQ(v.Password, "");
         EXPECT_EQ(pass1, "");
       }},
      {"zip sfx style 4", sfxHead + Lines({"4"}) + sfxTail, kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.ZipSFXStyle, zsStandard);
         EXPECT_EQ(v.ZipLevel, 4);
         EXPECT_EQ(v.OverwriteMode, "Always Overwrite");
         EXPECT_TRUE(v.HideOverwriteBox);
       }},
      {"zip sfx style missing at the end", sfxHead, kThrow, "'' is not a valid integer value", {},
       [](const TProjectSettings& v, const std::string&) { EXPECT_EQ(v.ZipSFXStyle, zsStandard); }},
      {"overwrite text typed by hand", sfxHead + Lines({"2", "9", "", "ask me"}), kTrue, "", {},
       [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.OverwriteMode, "ask me");
         EXPECT_EQ(v.RunAfterExtraction, "");
         EXPECT_FALSE(v.CanPreventExecuting);
       }},
      {"cut off inside the file block",
       kHead + Lines({"T", "O", "Zip Archive", "\x01" "FILES\x01", "C:\\A.TXT"}) + "C:\\B.TXT", kThrow,
       "'' is not a valid integer value", {}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.Sources, (std::vector<TSourceItem>{{"C:\\B.TXT", false}, {"C:\\A.TXT", false}}));
         EXPECT_FALSE(v.SaveFolderNames || v.AddSubDirs || v.AddHiddenFiles || v.MoveFiles || v.ForceDOSNames);
       }},
      {"cut off inside the folder block",
       kHead + Lines({"T", "O", "Cabinet SFX", "\x01" "FILES\x01", "\x03" "FILES\x03", "\x01" "FOLDERS\x01", "C:\\D\\"}),
       kThrow, "'' is not a valid integer value", {}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.Sources, (std::vector<TSourceItem>{{"C:\\D\\", true}}));
       }},
      {"cut off after the kind", kHead + Lines({"T", "O", "Cabinet Archive"}), kThrow,
       "'' is not a valid integer value", {}, nullptr},
      {"same path twice and a marker of the other block",
       kHead + Lines({"T", "O", "Cabinet Archive", "\x01" "FILES\x01", "C:\\A", "C:\\A", "\x03" "FOLDERS\x03",
                      "\x03" "FILES\x03", "\x01" "FOLDERS\x01", "\x03" "FOLDERS\x03", "N", "N", "N", "N", "N", "0"}),
       kTrue, "", {}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.Sources, (std::vector<TSourceItem>{{"\x03" "FOLDERS\x03", false}, {"C:\\A", false},
                                                        {"C:\\A", false}}));
       }},
      {"line ends LF and lone CR", std::string("tidy-Zaderuzo Version 1.60 Project File\n\n\r\r") +
                                       "T\nO\rZip Archive\n\x01" "FILES\x01\r\n\x03" "FILES\x03\n\x01" "FOLDERS\x01\n"
                                       "\x03" "FOLDERS\x03\nY\nN\nN\nN\nN\n3\npw",
       kTrue, "", {}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_EQ(v.OutputFileName, "O");
         EXPECT_EQ(v.ZipLevel, 3);
         EXPECT_EQ(v.Password, "pw");
       }},
      {"version 1.00", kHead100 + Lines({"Old", "C:\\OLD.ZIP", "Zip Archive"}) + kTwoBlocks + Lines({"Y", "Y", "4", "pw"}),
       kTrue, "", {L1}, [](const TProjectSettings& v, const std::string& pass1) {
         EXPECT_TRUE(v.SaveFolderNames && v.AddSubDirs);
         EXPECT_FALSE(v.AddHiddenFiles || v.MoveFiles || v.ForceDOSNames);
         EXPECT_EQ(v.ZipLevel, 4);
         EXPECT_EQ(pass1, "pw");
         EXPECT_EQ(v.Sources, kLoadOrder);
       }},
      {"version 1.00 with an unknown kind", kHead100 + Lines({"Old", "C:\\OLD.ZIP", "Zip"}), kFalse, "", {L1, L2},
       nullptr},
      {"other header, even empty, is 1.60", Lines({"", "", "", ""}) + Lines({"T", "O", "Zip Archive"}) + kEmptyBlocks +
                                                Lines({"N", "N", "Y", "Y", "Y", "2", ""}),
       kTrue, "", {}, [](const TProjectSettings& v, const std::string&) {
         EXPECT_TRUE(v.AddHiddenFiles && v.MoveFiles && v.ForceDOSNames);
         EXPECT_EQ(v.ZipLevel, 2);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TLoad got = LoadBytes(r.bytes);
    EXPECT_EQ(got.Threw, r.outcome == kThrow);
    EXPECT_EQ(got.Error, r.error);
    if (r.outcome != kThrow) {
      EXPECT_EQ(got.Result, r.outcome == kTrue);
    }
    EXPECT_EQ(got.Target.Messages, r.boxes);
    if (r.check) r.check(got.Target.Values, got.Target.Pass1);
  }
}

TEST(ProjectFileReader, OnlyAnUpperYSetsABox) {
  const char* texts[] = {"Y", "y", "Yes", "1", "", "N", " Y", "Y "};
  for (const char* t : texts) {
    SCOPED_TRACE(std::string("'") + t + "'");
    TLoad r = LoadBytes(kHead + Lines({"T", "O", "Zip SFX"}) + kEmptyBlocks + Lines({t, t, t, t, t}) +
                        Lines({"2", "9", "", "Ask User", "", "", t, t, t}));
    ASSERT_TRUE(r.Result);
    const TProjectSettings& v = r.Target.Values;
    bool want = std::string(t) == "Y";
    for (bool box : {v.SaveFolderNames, v.AddSubDirs, v.AddHiddenFiles, v.MoveFiles, v.ForceDOSNames,
                     v.CanPreventExecuting, v.CanChangeFileList, v.HideOverwriteBox})
      EXPECT_EQ(box, want);
  }
}

TEST(ProjectFileReader, StyleLines) {
  struct Row { std::string line; TCabSFXStyle cab; TZipSFXStyle zip; };
  const Row rows[] = {
      {"1", cs16Bit, zsDOS},      {"2", cs32Bit, zsStandard}, {"3", cs32Bit, zsAdvanced},
      {"4", cs32Bit, zsStandard}, {"", cs32Bit, zsStandard},  {"01", cs32Bit, zsStandard},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE("'" + r.line + "'");
    TLoad cab = LoadBytes(kHead + Lines({"T", "O", "Cabinet SFX"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N", "0", r.line}));
    EXPECT_TRUE(cab.Result);
    EXPECT_EQ(cab.Target.Values.CabSFXStyle, r.cab);
    TLoad zip = LoadBytes(kHead + Lines({"T", "O", "Zip SFX"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N", r.line, "9"}));
    EXPECT_TRUE(zip.Result);
    EXPECT_EQ(zip.Target.Values.ZipSFXStyle, r.zip);
  }
}

TEST(ProjectFileReader, Version100FileIsSavedAs160) {
  TMemoryFiles files;
  files.Files["old.tpj"] = kHead100 + Lines({"Old", "C:\\OLD.CAB", "Cabinet SFX"}) + kTwoBlocks + Lines({"Y", "N", "1", "1"});
  TLoad r = Load(files, "old.tpj");
  ASSERT_TRUE(r.Result);
  EXPECT_EQ(r.Target.Messages, std::vector<TProjectMessage>{OutdatedProjectMessage()});
  EXPECT_EQ(r.Target.Messages[0].Kind, TBoxKind::Information);
  EXPECT_FALSE(r.Target.Messages[0].OwnerIsApplication);
  SaveProjectFile(files, "new.tpj", From(r.Target.Values));
  EXPECT_EQ(files.Files["new.tpj"], kHead + Lines({"Old", "C:\\OLD.CAB", "Cabinet SFX"}) + kTwoBlocks +
                                        Lines({"Y", "N", "N", "N", "N", "1", "1"}));
}

// ---------------------------------------------------------------------------
// Files that cannot be read or written.

TEST(ProjectFileAccess, ErrorTexts) {
  struct Row { unsigned code; const char* text; };
  const Row rows[] = {{2, "File not found"}, {3, "Invalid filename"}, {4, "Too many open files"},
                      {5, "File access denied"}, {32, "I/O error 32"}, {112, "I/O error 112"}};
  for (const Row& r : rows) {
    EXPECT_EQ(EInOutError(r.code).Message(), r.text);
    EXPECT_EQ(EInOutError(r.code).ErrorCode(), r.code);
  }
}

TEST(ProjectFileAccess, DiskFilesThatCannotBeRead) {
  TTempDir dir;
  MakeDirs(dir / "folder.tpj");
  struct Row { const char* name; std::string path; std::string error; };
  std::vector<Row> rows = {
      {"missing file", dir / "missing.tpj", "File not found"},
      {"a folder", dir / "folder.tpj", "File access denied"},
  };
#ifdef _WIN32
  rows.push_back({"missing folder", dir / "nowhere\\p.tpj", "Invalid filename"});
#endif
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    for (TProjectFrontEnd fe : {TProjectFrontEnd::Studio, TProjectFrontEnd::Wizard}) {
      TLoad got = Load(TestDiskFiles(), r.path, fe);
      EXPECT_TRUE(got.Threw);
      EXPECT_EQ(got.Error, r.error);
      EXPECT_TRUE(got.Target.Messages.empty());
      EXPECT_EQ(got.Target.Values, TProjectSettings());
    }
    TSettingsValues p;
    if (std::string(r.name) != "missing file") {
      try {
        SaveProjectFile(TestDiskFiles(), r.path, p);
        ADD_FAILURE() << "saved";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), r.error);
      }
    }
  }
}

TEST(ProjectFileAccess, ReadFailureAfterOpening) {
  TMemoryFiles files;
  files.Failures["p.tpj"] = {23, true};
  TLoad studio = Load(files, "p.tpj", TProjectFrontEnd::Studio);
  EXPECT_TRUE(studio.Threw);
  EXPECT_EQ(studio.Error, "I/O error 23");
  TLoad wizard = Load(files, "p.tpj", TProjectFrontEnd::Wizard);
  EXPECT_FALSE(wizard.Threw);
  EXPECT_TRUE(wizard.Result);
  EXPECT_EQ(wizard.Target.Messages, std::vector<TProjectMessage>{WizardOpenErrorMessage(23)});
  const TProjectMessage oops = {"Error Opening Project. (E23)", "Oops!", TBoxKind::Warning, false};
  EXPECT_EQ(WizardOpenErrorMessage(23), oops);
}

TEST(ProjectFileAccess, WriteFailureIsRaised) {
  TMemoryFiles files;
  files.Failures["p.tpj"] = {5, false};
  files.Failures["full.tpj"] = {112, true};
  TSettingsValues p;
  EXPECT_THROW(SaveProjectFile(files, "p.tpj", p), EInOutError);
  try {
    SaveProjectFile(files, "full.tpj", p);
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "I/O error 112");
  }
}

// ---------------------------------------------------------------------------
// What the Wizard's controls are told, in order.

TEST(ProjectFileWizard, CallsComeInFileOrderWithEachBlockInListOrder) {
  bool result = false;
  std::vector<std::string> calls = CallsFor(Golden("ZipSFX"), TProjectFrontEnd::Wizard, &result);
  EXPECT_TRUE(result);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "Title(Zip SFX Test)", "Output(C:\\OUT\\ZIPSFX.EXE)", "Kind(Zip SFX)", "ClearFiles()",
                       "File(C:\\DATA\\A.TXT)", "File(C:\\DATA\\B.TXT)", "ClearFolders()", "Folder(C:\\DATA\\DOCS\\)",
                       "Folder(C:\\TOOLS\\)", "CheckBox4(N)", "CheckBox5(N)", "CheckBox1(N)", "CheckBox2(Y)",
                       "CheckBox3(N)", "ZipSFX(Advanced SFX)", "ZipLevel(0)", "Password(second pass)",
                       "Overwrite(Always Overwrite)", "Run(setup.exe /q)", "Dir(C:\\Program Files\\Zip Test)", "p1(Y)",
                       "p2(N)", "p3(Y)"}));
}

TEST(ProjectFileWizard, DifferencesFromTheStudio) {
  struct Row {
    const char* name;
    std::string bytes;
    bool result;
    std::vector<std::string> calls;
  };
  const Row rows[] = {
      {"unknown kind touches neither lists nor kind", kHead + Lines({"T", "O", "ZIP SFX"}) + kTwoBlocks, false,
       {"Title(T)", "Output(O)", "Box(tidy-Zaderuzo - WARNiNG)"}},
      {"level not a number: Oops! and True",
       kHead + Lines({"T", "O", "Cabinet Archive"}) + kEmptyBlocks + Lines({"Y", "N", "N", "N", "N", "fast"}), true,
       {"Title(T)", "Output(O)", "Kind(Cabinet Archive)", "ClearFiles()", "ClearFolders()", "CheckBox4(Y)",
        "CheckBox5(N)", "CheckBox1(N)", "CheckBox2(N)", "CheckBox3(N)", "Box(Oops!)"}},
      {"version 1.00 clears the three later boxes",
       kHead100 + Lines({"T", "O", "Zip SFX"}) + kEmptyBlocks + Lines({"Y", "Y", "9", "5"}), true,
       {"Box(Outdated Project File)", "Title(T)", "Output(O)", "Kind(Zip SFX)", "ClearFiles()", "ClearFolders()",
        "CheckBox4(Y)", "CheckBox5(Y)", "CheckBox1(N)", "CheckBox2(N)", "CheckBox3(N)", "ZipSFX(none)", "ZipLevel(5)",
        "Password()", "Overwrite()", "Run()", "Dir()", "p1(N)", "p2(N)", "p3(N)"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bool result = !r.result;
    std::string error;
    EXPECT_EQ(CallsFor(r.bytes, TProjectFrontEnd::Wizard, &result, &error), r.calls);
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(error, "");
  }
  // The Wizard's box for a bad level.
  TLoad w = LoadBytes(kHead + Lines({"T", "O", "Zip Archive"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N", "x"}),
                      TProjectFrontEnd::Wizard);
  ASSERT_EQ(w.Target.Messages.size(), 1u);
  EXPECT_EQ(w.Target.Messages[0].Text, "Error Opening Project. (E0)");
}

// ---------------------------------------------------------------------------
// A file with an unrecognised kind, and front-ends with no kind selected,
// must not lead to a save without a kind line (which no reader accepts).

TEST(ProjectFileKind, UnrecognisedKindStillSavesAReadableFile) {
  TMemoryFiles files;
  files.Files["bad.tpj"] = kHead + Lines({"Title", "C:\\OUT.CAB", "Cabinet archive"}) + kTwoBlocks;
  TLoad r = Load(files, "bad.tpj");
  ASSERT_FALSE(r.Result);
  EXPECT_EQ(r.Target.Values.Kind, akCabinetArchive);
  SaveProjectFile(files, "saved.tpj", From(r.Target.Values));
  TProjectRecord saved = ParseProjectFile(files.Files["saved.tpj"]);
  EXPECT_EQ(saved.Stop, TProjectStop::Complete);
  EXPECT_EQ(saved.Kind(), akCabinetArchive);

  // A front-end that had another kind keeps it.
  TProjectSettingsTarget wizard;
  wizard.Values.Kind = akZipSFX;
  EXPECT_FALSE(LoadProjectFile(files, "bad.tpj", wizard, TProjectFrontEnd::Wizard));
  EXPECT_EQ(wizard.Values.Kind, akZipSFX);
}

TEST(ProjectFileKind, NothingSelectedIsWrittenAsCabinetArchive) {
  TSettingsValues p;
  p.Values.Kind = akZipSFX;
  p.HasNoKind = true;
  p.Values.CabCompression = ccMSZip;
  std::string bytes = WriteProjectRecord(ProjectRecordFrom(p));
  EXPECT_EQ(bytes, kHead + Lines({"", "", "Cabinet Archive"}) + kEmptyBlocks + Lines({"N", "N", "N", "N", "N", "1"}));
  EXPECT_EQ(ParseProjectFile(bytes).Stop, TProjectStop::Complete);
}

TEST(ProjectFileKind, ZipStyleOutsideTheThreeIsWrittenAsStandard) {
  TSettingsValues p;
  p.Values.Kind = akZipSFX;
  p.ZipSFXStyleRaw = 7;
  TProjectRecord rec = ProjectRecordFrom(p);
  ASSERT_NE(rec.Find(TProjectField::ZipSFXStyle), nullptr);
  EXPECT_EQ(rec.Find(TProjectField::ZipSFXStyle)->Text, "2");
}

// ---------------------------------------------------------------------------
// Any bytes at all: the reader ends, and the record stays within the data.

TEST(ProjectFileReader, AnyPrefixOrMutationEndsCleanly) {
  std::vector<std::string> inputs;
  for (const GoldenRow& g : kGoldens) inputs.push_back(Golden(g.file));
  inputs.push_back(kHead100 + Lines({"T", "O", "Zip SFX"}) + kTwoBlocks + Lines({"Y", "Y", "1", "5", "p"}));
  auto check = [](const std::string& bytes) {
    TProjectRecord rec = ParseProjectFile(bytes);
    ASSERT_NE(rec.Stop, TProjectStop::FileError);
    size_t lineEnds = 0;
    for (char c : bytes) lineEnds += c == '\n' || c == '\r';
    for (const TProjectLine& l : rec.Lines) {
      ASSERT_LE(static_cast<size_t>(l.Line), lineEnds + 1);
      ASSERT_LE(l.Text.size(), bytes.size());
    }
    TProjectSettingsTarget t;
    ApplyProjectRecord(rec, t);
    EXPECT_GE(t.Values.ZipLevel, 0);
    EXPECT_LE(t.Values.ZipLevel, 9);
  };
  std::mt19937 rng(1234);
  for (const std::string& in : inputs) {
    for (size_t n = 0; n <= in.size(); ++n) check(in.substr(0, n));
    for (int i = 0; i < 300; ++i) {
      std::string m = in;
      for (int k = 0; k < 4; ++k) m[rng() % m.size()] = static_cast<char>(rng() & 0xff);
      check(m);
    }
  }
}

TEST(ProjectFileReader, OnlyAFileReadToItsLastLineEndIsWhole) {
  // Cut anywhere before the last setting line's end, a file is no whole
  // project, whatever it still reads as; layout 1.00 the same.
  std::vector<std::string> inputs;
  for (const GoldenRow& g : kGoldens) inputs.push_back(Golden(g.file));
  inputs.push_back(kHead100 + Lines({"T", "O", "Cabinet Archive"}) + kTwoBlocks + Lines({"Y", "N", "1"}));
  for (const std::string& in : inputs) {
    ASSERT_GE(in.size(), 2u);
    ASSERT_EQ(in.substr(in.size() - 2), "\r\n");
    for (size_t n = 0; n <= in.size(); ++n) {
      TProjectRecord rec = ParseProjectFile(in.substr(0, n));
      // A lone CR already ends the last line.
      EXPECT_EQ(rec.Cut, n < in.size() - 1) << "cut after " << n << " of " << in.size() << " bytes";
    }
  }
  // The front-ends: the Wizard is told, the Studio keeps what it read.
  const std::string whole = Golden("ZipSFX");
  for (const std::string& bytes : {whole.substr(0, whole.rfind("\r\n", whole.size() - 3) + 2), whole.substr(0, whole.size() - 2)}) {
    TMemoryFiles files;
    files.Files["p.tpj"] = bytes;
    TProjectSettingsTarget target;
    EXPECT_EQ(LoadProjectFileResult(files, "p.tpj", target, TProjectFrontEnd::Wizard), TProjectLoad::Partial);
    EXPECT_TRUE(target.Messages.empty());
    EXPECT_TRUE(Load(files, "p.tpj").Result);
  }
  TMemoryFiles files;
  files.Files["p.tpj"] = whole;
  TProjectSettingsTarget target;
  EXPECT_EQ(LoadProjectFileResult(files, "p.tpj", target, TProjectFrontEnd::Wizard), TProjectLoad::Complete);
}

TEST(ProjectFileAccess, RunningOutOfMemoryIsAnErrorOfTheFile) {
  // As a read of a huge file may: the project's own error, not a bare
  // exception.
  struct TExhausted : TMemoryFiles {
    TFileResult ReadAll(const std::string&, std::string&) override { throw std::bad_alloc(); }
  } files;
  TLoad studio = Load(files, "huge.tpj", TProjectFrontEnd::Studio);
  EXPECT_TRUE(studio.Threw);
  EXPECT_EQ(studio.Error, "I/O error 8");
  TProjectSettingsTarget target;
  EXPECT_EQ(LoadProjectFileResult(files, "huge.tpj", target, TProjectFrontEnd::Wizard), TProjectLoad::Partial);
  EXPECT_EQ(target.Messages, std::vector<TProjectMessage>{WizardOpenErrorMessage(8)});

#ifdef _WIN32
  // A 3 GB file (sparse, so the test stays quick) is not read into memory.
  TTempDir dir;
  const std::string huge = dir / "huge.tpj";
  ASSERT_TRUE(MakeSparseFile(huge, 3ll << 30));
  TLoad disk = Load(TestDiskFiles(), huge, TProjectFrontEnd::Studio);
  DeleteFileA(huge.c_str());
  EXPECT_TRUE(disk.Threw);
  EXPECT_EQ(disk.Error, "I/O error 8");
#endif
}
