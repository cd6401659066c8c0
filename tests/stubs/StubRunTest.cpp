// The self-extractors end to end: each kind and style built from a fixture
// tree by the build window, then run as a user runs it. The Windows stubs
// answer from a script and log what they show (TZ_STUB_LOG and
// TZ_STUB_ANSWERS); the console stub is fed on its standard input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "Robot.h"
#include "StatusUnit.h"
#include "StubTexts.h"
#include "TestPaths.h"
#include "ZipFormat.h"

namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;  // path below a folder -> bytes

// Even seconds: DOS times keep them exactly.
FILETIME Stamp(int minute) {
  SYSTEMTIME st{};
  st.wYear = 2004, st.wMonth = 5, st.wDay = 6, st.wHour = 7, st.wMinute = static_cast<WORD>(minute), st.wSecond = 10;
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

FILETIME WriteTime(const std::string& path) {
  FILETIME ft{};
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  return ft;
}

void SetWriteTime(const std::string& path, FILETIME ft) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

bool operator==(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Every file below `folder`, with its bytes.
Tree Files(const std::string& folder) {
  Tree t;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file()) t[fs::relative(it->path(), folder).string()] = ReadFileBytes(it->path().string());
  return t;
}

struct TRun {
  DWORD Exit = 99;
  std::string Log, Output;
};

class StubRun : public ::testing::Test {
protected:
  void SetUp() override {
    CopyShippedFiles(program.Path());
    src = tmp / "SRC";
    Source("SRC\\A.TXT", std::string(40000, 'a') + "end of a", 1);
    Source("SRC\\B.TXT", "bee", 2);
    Source("SRC\\SUB\\C.TXT", "sea", 3);
    Source("ONE.TXT", "one file", 4);
    form = new TProgressForm(nullptr);
    form->Settings = &settings;
    form->ProgramFolder = program.Path();
    settings.Values.Title = "Fixture Package";
    settings.Values.Sources = {{tmp / "ONE.TXT", false}, {src + "\\", true}};
    settings.Values.AddSubDirs = true;
    settings.Values.DefaultExtractDir = "C:\\Fixture";
  }
  void TearDown() override { delete form; }

  void Source(const std::string& rel, const std::string& data, int minute) {
    MakeDirs((tmp / rel).substr(0, (tmp / rel).find_last_of('\\')));
    WriteFileBytes(tmp / rel, data);
    SetWriteTime(tmp / rel, Stamp(minute));
    std::string name = rel.substr(rel.find_last_of('\\') + 1);
    stamps[name] = Stamp(minute);
  }

  // The files of the fixture as a zip without folder names stores them.
  Tree ZipTree() const {
    return {{"A.TXT", std::string(40000, 'a') + "end of a"}, {"B.TXT", "bee"}, {"C.TXT", "sea"}, {"ONE.TXT", "one file"}};
  }
  Tree CabTree() const {
    Tree t = ZipTree();
    t.erase("C.TXT");  // a cabinet takes a folder's own files only
    return t;
  }

  std::string Build(TArchiveKind kind, const std::string& name, TZipSFXStyle style = zsStandard) {
    settings.Values.Kind = kind;
    settings.Values.ZipSFXStyle = style;
    settings.Values.OutputFileName = out / name;
    form->Show();
    EXPECT_TRUE(form->Proceed()) << name;
    EXPECT_TRUE(robot.Boxes.empty()) << name;
    return out / name;
  }

  // Runs `exe` as the shell would: its path unquoted, then `args`. The
  // Windows stubs get `answers` through the test hook, the console stub on
  // its standard input.
  TRun Run(const std::string& exe, const std::string& args, const std::string& answers,
           const std::string& dir = "") {
    const std::string log = tmp / "stub.log", script = tmp / "answers.txt";
    DeleteFileA(log.c_str());
    WriteFileBytes(script, answers);
    SetEnvironmentVariableA("TZ_STUB_LOG", log.c_str());
    SetEnvironmentVariableA("TZ_STUB_ANSWERS", script.c_str());
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE inRead, inWrite, outRead, outWrite;
    CreatePipe(&inRead, &inWrite, &sa, 0);
    CreatePipe(&outRead, &outWrite, &sa, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = si.hStdError = outWrite;
    PROCESS_INFORMATION pi{};
    std::string cmd = exe + args;
    TRun r;
    BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  dir.empty() ? nullptr : dir.c_str(), &si, &pi);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    if (started) {
      DWORD done = 0;
      WriteFile(inWrite, answers.data(), static_cast<DWORD>(answers.size()), &done, nullptr);
    }
    CloseHandle(inWrite);
    if (started) {
      char buf[4096];
      DWORD got = 0;
      while (ReadFile(outRead, buf, sizeof buf, &got, nullptr) && got > 0) r.Output.append(buf, got);
      WaitForSingleObject(pi.hProcess, 60000);
      GetExitCodeProcess(pi.hProcess, &r.Exit);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    CloseHandle(outRead);
    SetEnvironmentVariableA("TZ_STUB_LOG", nullptr);
    SetEnvironmentVariableA("TZ_STUB_ANSWERS", nullptr);
    if (FileExists(log)) r.Log = ReadFileBytes(log);
    return r;
  }

  // The files below `folder` are `expected`, each with its source's time.
  void ExpectTree(const std::string& folder, const Tree& expected) {
    EXPECT_EQ(Files(folder), expected);
    for (const auto& [rel, data] : expected) {
      std::string name = rel.substr(rel.find_last_of('\\') + 1);
      if (stamps.count(name)) {
        EXPECT_TRUE(WriteTime(folder + "\\" + rel) == stamps[name]) << rel;
      }
    }
  }

  TRobot robot;
  TTempDir tmp, program, out, target;
  std::string src;
  std::map<std::string, FILETIME> stamps;
  TSettingsValues settings;
  TProgressForm* form = nullptr;
};

bool Has(const std::string& log, const std::string& text) { return log.find(text) != std::string::npos; }

}  // namespace

// ---- the stub files

TEST(StubFiles, SmallAndFreeOfArchiveSignatures) {
  // Readers that search a self-extractor for its archive must not stop in
  // the stub; each stub is its own file.
  std::map<std::string, std::string> seen;
  for (const char* name : kShippedFiles) {
    if (std::string(name) == "ZIPDLL.DLL") continue;
    SCOPED_TRACE(name);
    std::string bytes = ReadFileBytes(DistPath(name));
    for (const char* sig : {"PK\x03\x04", "PK\x01\x02", "PK\x05\x06", "PK\x07\x08", "MSCF"})
      EXPECT_EQ(bytes.find(std::string(sig, 4)), std::string::npos) << sig;
    EXPECT_LT(bytes.size(), 160000u) << "statically linked, yet small";
    EXPECT_EQ(seen.count(bytes), 0u) << "same bytes as " << seen[bytes];
    seen[bytes] = name;
  }
}

// ---- each kind and style as a user runs it

TEST_F(StubRun, WindowsZipExtractorsShowTheSettingsAndExtract) {
  struct Row {
    const char* name;
    TZipSFXStyle style;
    bool askFiles;
    bool folderNames;
  } rows[] = {
      {"standard", zsStandard, false, false},
      {"standard, files to untick", zsStandard, true, true},
      {"advanced", zsAdvanced, false, false},
      {"advanced, files to untick", zsAdvanced, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    settings.Values.CanChangeFileList = r.askFiles;
    settings.Values.SaveFolderNames = r.folderNames;
    std::string exe = Build(akZipSFX, "win.exe", r.style);
    std::string folder = target / r.name;
    std::string answers = "folder " + folder + "\n";
    if (r.askFiles) answers += std::string("untick ") + (r.folderNames ? tmp.Path().substr(3) + "\\SRC\\" : "") + "B.TXT\n";
    answers += "extract\n";
    TRun run = Run(exe, "", answers);
    EXPECT_EQ(run.Exit, 0u) << run.Log;
    EXPECT_EQ(run.Log.substr(0, run.Log.find("\r\n")), std::string(r.style == zsAdvanced ? "Stub2.Bin " : "Stub1.Bin ") + exe);
    EXPECT_TRUE(Has(run.Log, "window Fixture Package\r\nfolder C:\\Fixture\r\n")) << run.Log;
    // The list shows in the advanced window, and where files may be unticked.
    EXPECT_EQ(Has(run.Log, "\r\nlist "), r.style == zsAdvanced || r.askFiles) << run.Log;
    EXPECT_EQ(Has(run.Log, "(checkable)"), r.askFiles) << run.Log;
    EXPECT_TRUE(Has(run.Log, "overwrite box off\r\n")) << run.Log;
    Tree expected = ZipTree();
    if (r.askFiles) expected.erase("B.TXT");
    if (r.folderNames) {
      // Folder names below the drive, as the zip stores them.
      const std::string base = tmp.Path().substr(3) + "\\";
      expected = {{base + "SRC\\A.TXT", expected["A.TXT"]},
                  {base + "SRC\\SUB\\C.TXT", "sea"},
                  {base + "ONE.TXT", "one file"}};
    }
    ExpectTree(folder, expected);
    EXPECT_TRUE(Has(run.Log, "box Fixture Package: " + stubtext::Extracted(expected.size(), folder) + " -> ok"))
        << run.Log;
  }
}

TEST_F(StubRun, OverwriteModesAndTheOverwriteBox) {
  struct Row {
    const char* name;
    const char* mode;
    bool hideBox;
    const char* answers;  // after the folder
    const char* log;      // a line the run shows
    bool aReplaced, bReplaced;
    DWORD exit;
  } rows[] = {
      {"always", "Always Overwrite", false, "extract\n", "overwrite box on", true, true, 0},
      {"always, box hidden", "Always Overwrite", true, "extract\n", "overwrite box hidden", true, true, 0},
      {"never", "Always Skip Extraction", false, "extract\n", "overwrite box off", false, false, 0},
      {"never, user ticks the box", "Always Skip Extraction", false, "overwrite on\nextract\n", "overwrite box off",
       true, true, 0},
      {"ask: no, then yes", "Ask User", false, "extract\nno\nyes\n", "already exists", false, true, 0},
      {"ask with the box hidden", "Ask User", true, "extract\nyes\nno\n", "overwrite box hidden", true, false, 0},
      {"ask, user ticks the box", "Ask User", false, "overwrite on\nextract\n", "overwrite box off", true, true, 0},
      {"ask: cancel writes nothing", "Ask User", false, "extract\nyes\ncancel\ncancel\n", "-> cancel", false,
       false, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    settings.Values.OverwriteMode = r.mode;
    settings.Values.HideOverwriteBox = r.hideBox;
    std::string exe = Build(akZipSFX, "ovr.exe");
    std::string folder = target / r.name;
    MakeDirs(folder);
    WriteFileBytes(folder + "\\A.TXT", "old a");
    WriteFileBytes(folder + "\\B.TXT", "old b");
    TRun run = Run(exe, "", "folder " + folder + "\n" + r.answers);
    EXPECT_EQ(run.Exit, r.exit) << run.Log;
    EXPECT_TRUE(Has(run.Log, r.log)) << run.Log;
    Tree expected = ZipTree();
    if (!r.aReplaced) expected["A.TXT"] = "old a";
    if (!r.bReplaced) expected["B.TXT"] = "old b";
    if (r.exit == 2) expected = {{"A.TXT", "old a"}, {"B.TXT", "old b"}};
    EXPECT_EQ(Files(folder), expected) << run.Log;
    EXPECT_EQ(Has(run.Log, "box Fixture Package: " + stubtext::Exists(folder + "\\A.TXT")),
              std::string(r.mode) == "Ask User" && !Has(r.answers, "overwrite on"))
        << run.Log;
  }
}

TEST_F(StubRun, PasswordIsCheckedBeforeAnythingIsWritten) {
  settings.Values.Password = "Open Sesame";
  for (TZipSFXStyle style : {zsStandard, zsAdvanced}) {
    SCOPED_TRACE(style);
    std::string exe = Build(akZipSFX, "pw.exe", style);
    std::string folder = target / (style == zsStandard ? "std" : "adv");
    // Wrong, then right.
    TRun run = Run(exe, "", "folder " + folder + "\nextract\npassword open sesame\npassword Open Sesame\n");
    EXPECT_EQ(run.Exit, 0u) << run.Log;
    EXPECT_TRUE(Has(run.Log, "password -> given\r\nbox Fixture Package: " + std::string(stubtext::kWrongPassword) +
                                 " -> ok\r\npassword -> given\r\n"))
        << run.Log;
    ExpectTree(folder, ZipTree());
    // Wrong, then given up: nothing written, not even the folder.
    std::string none = target / "none";
    run = Run(exe, "", "folder " + none + "\nextract\npassword wrong\ncancel\ncancel\n");
    EXPECT_EQ(run.Exit, 2u) << run.Log;
    EXPECT_FALSE(DirExists(none));
  }
}

TEST_F(StubRun, CommandRunsInTheFolderAfterExtraction) {
  settings.Values.RunAfterExtraction = "cmd /c echo ran> ran.txt";
  struct Row {
    const char* name;
    bool mayPrevent;
    const char* answer;
    bool runs;
  } rows[] = {
      {"not asked", false, "", true},
      {"asked, accepted", true, "yes\n", true},
      {"asked, declined", true, "no\n", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    settings.Values.CanPreventExecuting = r.mayPrevent;
    std::string exe = Build(akZipSFX, "run.exe");
    std::string folder = target / r.name;
    TRun run = Run(exe, "", "folder " + folder + "\nextract\n" + r.answer);
    EXPECT_EQ(run.Exit, 0u) << run.Log;
    EXPECT_EQ(Has(run.Log, stubtext::RunQuestion(settings.Values.RunAfterExtraction)), r.mayPrevent) << run.Log;
    EXPECT_EQ(Has(run.Log, "run cmd /c echo ran> ran.txt in " + folder), r.runs) << run.Log;
    // The summary shows only when nothing was started.
    EXPECT_EQ(Has(run.Log, "were extracted to"), !r.runs) << run.Log;
    bool ran = false;
    for (int i = 0; i < 100 && r.runs && !ran; ++i) {
      Sleep(100);  // the command runs on its own
      ran = FileExists(folder + "\\ran.txt");
    }
    EXPECT_EQ(ran, r.runs);
    EXPECT_EQ(FileExists(folder + "\\A.TXT"), true);
  }
}

TEST_F(StubRun, ConsoleExtractorAsksOnTheConsole) {
  settings.Values.Password = "dos pw";
  std::string exe = Build(akZipSFX, "dos.exe", zsDOS);
  std::string folder = target.Path();
  TRun run = Run(exe, "", "dos pw\n", folder);
  EXPECT_EQ(run.Exit, 0u) << run.Output;
  EXPECT_EQ(run.Log.substr(0, run.Log.find("\r\n")), "Stub3.Bin " + exe);
  EXPECT_TRUE(Has(run.Output, "Password: ")) << run.Output;
  EXPECT_TRUE(Has(run.Output, "Extracting A.TXT\r\n")) << run.Output;
  EXPECT_TRUE(Has(run.Output, stubtext::Extracted(4, folder))) << run.Output;
  ExpectTree(folder, ZipTree());

  // Into the same folder again: asked per file.
  WriteFileBytes(folder + "\\B.TXT", "changed");
  WriteFileBytes(folder + "\\C.TXT", "changed");
  run = Run(exe, "", "dos pw\nmaybe\nn\na\n", folder);
  EXPECT_EQ(run.Exit, 0u) << run.Output;
  EXPECT_TRUE(Has(run.Output, "\"A.TXT\" already exists. Replace it? (y)es, (n)o, (a)ll, (q)uit: ")) << run.Output;
  Tree t = Files(folder);
  EXPECT_EQ(t["A.TXT"], ZipTree()["A.TXT"]);  // asked twice ("maybe"), then no
  EXPECT_EQ(t["B.TXT"], "bee");                // all from here on
  EXPECT_EQ(t["C.TXT"], "sea");

  // Quit, a wrong password, and the end of the input write nothing.
  WriteFileBytes(folder + "\\B.TXT", "changed");
  for (const char* answers : {"dos pw\nq\n", "dos pw\n", "wrong\n"}) {
    run = Run(exe, "", answers, folder);
    EXPECT_NE(run.Exit, 0u) << answers;
    EXPECT_EQ(ReadFileBytes(folder + "\\B.TXT"), "changed") << answers;
  }
  EXPECT_TRUE(Has(run.Output, stubtext::kWrongPassword)) << run.Output;

  // Unknown arguments: how to use it.
  run = Run(exe, " /x", "", folder);
  EXPECT_EQ(run.Exit, 1u);
  EXPECT_TRUE(Has(run.Output, "Usage: dos.exe [-t]")) << run.Output;
}

TEST_F(StubRun, CabinetExtractorsExtractThroughTheCabinetLibrary) {
  for (TCabSFXStyle style : {cs16Bit, cs32Bit}) {
    SCOPED_TRACE(style);
    settings.Values.CabSFXStyle = style;
    std::string exe = Build(akCabinetSFX, "cab.exe");
    std::string folder = target / (style == cs16Bit ? "16" : "32");
    TRun run = Run(exe, "", "folder " + folder + "\nextract\n");
    EXPECT_EQ(run.Exit, 0u) << run.Log;
    EXPECT_EQ(run.Log.substr(0, run.Log.find("\r\n")),
              std::string(style == cs16Bit ? "CabStub1.Bin " : "CabStub2.Bin ") + exe);
    EXPECT_TRUE(Has(run.Log, std::string("window ") + stubtext::kCabCaption)) << run.Log;
    ExpectTree(folder, CabTree());
    // Asked before replacing, in the cabinet's order.
    WriteFileBytes(folder + "\\B.TXT", "changed");
    run = Run(exe, "", "folder " + folder + "\nextract\nyes\nyes\nno\n");
    EXPECT_EQ(run.Exit, 0u) << run.Log;
    EXPECT_EQ(ReadFileBytes(folder + "\\B.TXT"), "changed");
  }
  // Folder names as the cabinet stores them.
  settings.Values.SaveFolderNames = true;
  settings.Values.CabCompression = ccMSZip;
  std::string exe = Build(akCabinetSFX, "cabdirs.exe");
  std::string folder = target / "dirs";
  TRun run = Run(exe, "", "folder " + folder + "\nextract\n");
  EXPECT_EQ(run.Exit, 0u) << run.Log;
  const std::string base = tmp.Path().substr(3) + "\\";
  ExpectTree(folder, {{base + "SRC\\A.TXT", CabTree()["A.TXT"]}, {base + "SRC\\B.TXT", "bee"}, {base + "ONE.TXT", "one file"}});
}

TEST_F(StubRun, ZipArchiveNamedExeUsesTheDefaultStub) {
  std::string exe = Build(akZipArchive, "plain.exe");
  EXPECT_EQ(ReadFileBytes(exe).compare(0, ReadFileBytes(program / "ZIPSFX.BIN").size(), ReadFileBytes(program / "ZIPSFX.BIN")), 0);
  TRun run = Run(exe, "", "folder " + target.Path() + "\nextract\n");
  EXPECT_EQ(run.Exit, 0u) << run.Log;
  EXPECT_TRUE(Has(run.Log, "window Self-extracting Archive")) << run.Log;
  ExpectTree(target.Path(), ZipTree());
}

TEST_F(StubRun, CancelAndInputTheWindowSendsBack) {
  settings.Values.CanChangeFileList = true;
  const std::string zipExe = Build(akZipSFX, "w.exe"), cabExe = Build(akCabinetSFX, "c.exe");
  const std::string folder = target / "F";
  WriteFileBytes(target / "afile", "a file");
  struct Row {
    const char* name;
    std::string exe, answers, says;
  } rows[] = {
      {"stopped while extracting", zipExe, "folder " + folder + "\nextract\nstop\n", "stop at A.TXT\r\nstopped"},
      {"cabinet stopped while extracting", cabExe, "folder " + folder + "\nextract\nstop\n", "stopped"},
      {"no folder", zipExe, "folder \nextract\ncancel\n", stubtext::kNoFolder},
      {"folder is a file", zipExe, "folder " + target / "afile" + "\nextract\ncancel\n",
       stubtext::FolderFailed(target / "afile", "")},  // then the system's text
      {"nothing ticked", zipExe,
       "folder " + folder + "\nuntick A.TXT\nuntick B.TXT\nuntick C.TXT\nuntick ONE.TXT\nextract\ncancel\n",
       stubtext::kNoneSelected},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TRun run = Run(r.exe, "", r.answers);
    EXPECT_EQ(run.Exit, 2u) << run.Log;
    EXPECT_TRUE(Has(run.Log, r.says)) << run.Log;
    EXPECT_FALSE(DirExists(folder)) << run.Log;
    EXPECT_EQ(Files(target.Path()), (Tree{{"afile", "a file"}}));
  }
}

// ---- the test runs the Studio starts

TEST_F(StubRun, TestRunsCheckAndWriteNothing) {
  // Started as the Studio starts them: the full path unquoted, blanks and
  // all, then the test switch.
  const std::string dir = out / "My Output";
  MakeDirs(dir);
  struct Row {
    const char* name;
    TArchiveKind kind;
    TZipSFXStyle style;
    const char* args;
    const char* says;  // in the log or on the console
    DWORD exit;
  } rows[] = {
      {"dos", akZipSFX, zsDOS, " -t", "The archive is sound: 4 files checked.", 0},
      {"cab", akCabinetSFX, zsStandard, " /d", "box Self-extracting Cabinet: The archive is sound: 3 files checked.", 0},
      {"standard", akZipSFX, zsStandard, "", "window Fixture Package", 2},  // the window, left with Cancel
      {"advanced", akZipSFX, zsAdvanced, "", "window Fixture Package", 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    settings.Values.Kind = r.kind;
    settings.Values.ZipSFXStyle = r.style;
    settings.Values.OutputFileName = dir + "\\" + r.name + " test.exe";
    form->Show();
    ASSERT_TRUE(form->Proceed());
    TRun run = Run(settings.Values.OutputFileName, r.args, "", target.Path());
    EXPECT_EQ(run.Exit, r.exit) << run.Log << run.Output;
    EXPECT_TRUE(Has(run.Log + run.Output, r.says)) << run.Log << run.Output;
    // Wine quotes a path with blanks that it had to search for.
    std::string line = run.Log.substr(0, run.Log.find("\r\n"));
    const std::string& exe = settings.Values.OutputFileName;
    EXPECT_TRUE(line.ends_with(" " + exe + r.args) || line.ends_with(" \"" + exe + "\"" + r.args)) << line;
    EXPECT_TRUE(Files(target.Path()).empty());
  }
}

// ---- damage and hostile names

namespace {

std::string U32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

// A zip written by the zip library's writer, stored, with the given names.
std::string HostileZip(const std::vector<std::string>& names) {
  zipfmt::TMemorySink sink;
  zipfmt::TZipWriter w(sink);
  for (const std::string& n : names) {
    zipfmt::TNewEntry e;
    e.Name = n;
    e.Crc = zipfmt::Crc32(0, reinterpret_cast<const uint8_t*>("evil"), 4);
    e.Size = 4;
    e.Level = 0;
    w.BeginEntry(e);
    w.WriteEntryData(reinterpret_cast<const uint8_t*>("evil"), 4);
    w.EndEntry();
  }
  w.Finish();
  return std::string(sink.Data.begin(), sink.Data.end());
}

// A stored cabinet, written by hand, with the given names.
std::string HostileCabinet(const std::vector<std::string>& names) {
  auto u16 = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
  std::string entries, data;
  for (const std::string& n : names) {
    entries += U32(4) + U32(static_cast<uint32_t>(data.size())) + u16(0) + u16(0x3021) + u16(0x6000) + u16(0x20) + n + '\0';
    data += "evil";
  }
  uint32_t filesAt = 36 + 8, dataAt = filesAt + static_cast<uint32_t>(entries.size());
  std::string block = U32(0) + u16(static_cast<uint16_t>(data.size())) + u16(static_cast<uint16_t>(data.size())) + data;
  std::string head = std::string("MSCF", 4) + U32(0) + U32(dataAt + static_cast<uint32_t>(block.size())) + U32(0) +
                     U32(filesAt) + U32(0) + std::string{3, 1} + u16(1) + u16(static_cast<uint16_t>(names.size())) +
                     u16(0) + u16(0) + u16(0);
  return head + U32(dataAt) + u16(1) + u16(0) + entries + block;
}

}  // namespace

TEST_F(StubRun, DamagedArchivesAreRefusedWithNoFileLeftBehind) {
  settings.Values.Sources.push_back({src + "\\SUB\\", true});  // a second file after A.TXT in the cabinet
  std::string zipExe = ReadFileBytes(Build(akZipSFX, "z.exe"));
  std::string dosExe = ReadFileBytes(Build(akZipSFX, "d.exe", zsDOS));
  std::string storedCabExe = ReadFileBytes(Build(akCabinetSFX, "s.exe"));  // Wine stores LZX folders
  settings.Values.CabCompression = ccMSZip;
  std::string cabExe = ReadFileBytes(Build(akCabinetSFX, "c.exe"));
  settings.Values.Password = "right";
  std::string pwExe = ReadFileBytes(Build(akZipSFX, "p.exe"));

  // The second entry of a zip self-extractor: its name, where its data
  // starts, and where its CRC lies in the central directory (what the stubs
  // check against).
  struct TSecond {
    std::string Name;
    size_t Data = 0, CentralCrc = 0;
  };
  auto second = [](const std::string& exe) {
    zipfmt::TMemorySource s(zipfmt::Bytes(exe.begin(), exe.end()));
    zipfmt::TZipDirectory d;
    EXPECT_EQ(zipfmt::ReadZipDirectory(s, d), zipfmt::TReadError::None);
    TSecond r;
    uint64_t central = 0;
    for (const auto& e : d.Entries) central = std::max(central, e.LocalPos + e.LocalSpan);
    const zipfmt::TZipEntry& first = d.Entries.at(0);
    const zipfmt::TZipEntry& e = d.Entries.at(1);
    r.Name = e.Name;
    r.Data = static_cast<size_t>(e.LocalPos + 30 + zipfmt::Get16(reinterpret_cast<const uint8_t*>(&exe[e.LocalPos + 26])));
    r.CentralCrc = static_cast<size_t>(central + 46 + first.Name.size() + first.Extra.size() + first.Comment.size() + 16);
    return r;
  };
  auto flip = [](std::string s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x5A);
    return s;
  };
  const TSecond zip2 = second(zipExe), dos2 = second(dosExe);
  const std::string zipStub = ReadFileBytes(program / "Stub1.Bin");
  const std::string block = zipExe.substr(zipStub.size(), 256);

  struct Row {
    const char* name;
    std::string exe;
    const char* args;
    const char* answers;
    std::string says;
  } rows[] = {
      {"zip truncated", zipExe.substr(0, zipExe.size() - 100), "", "", "box Fixture Package: The archive is damaged"},
      {"zip flipped byte", flip(zipExe, zip2.Data + 10), "", "extract\n", stubtext::FileDamaged(zip2.Name, false)},
      {"zip bad crc", flip(zipExe, zip2.CentralCrc), "", "extract\n", stubtext::FileDamaged(zip2.Name, false)},
      {"zip wrong password", pwExe, "", "extract\npassword wrong\ncancel\ncancel\n", "password -> cancel"},
      {"zip hostile name", zipStub + block + HostileZip({"good.txt", "..\\evil.txt"}), "", "extract\n",
       stubtext::UnsafeName("..\\evil.txt")},
      {"zip drive name", zipStub + block + HostileZip({"C:evil.txt"}), "", "extract\n", stubtext::UnsafeName("C:evil.txt")},
      {"zip rooted name", zipStub + block + HostileZip({"\\evil.txt"}), "", "extract\n", stubtext::UnsafeName("\\evil.txt")},
      {"dos truncated", dosExe.substr(0, dosExe.size() - 30), "", "", "The archive is damaged"},
      {"dos flipped byte", flip(dosExe, dos2.Data + 1), "", "", stubtext::FileDamaged(dos2.Name, false)},
      {"dos flipped byte, test", flip(dosExe, dos2.Data + 1), " -t", "", "  DAMAGED  " + dos2.Name},
      {"dos hostile name", ReadFileBytes(program / "Stub3.Bin") + HostileZip({"a/../../evil.txt"}), "", "",
       stubtext::UnsafeName("a/../../evil.txt")},
      {"cab truncated", cabExe.substr(0, cabExe.size() - 40), "", "extract\n", "damaged"},
      {"cab flipped byte", flip(cabExe, cabExe.size() - 20), "", "extract\n", "damaged"},
      {"cab flipped byte, test", flip(cabExe, cabExe.size() - 20), " /d", "", "damaged"},
      {"stored cab flipped byte", flip(storedCabExe, storedCabExe.size() - 20000), "", "extract\n", "damaged"},
      {"cab hostile name", ReadFileBytes(program / "CabStub2.Bin") + HostileCabinet({"ok.txt", "..\\evil.txt"}), "",
       "extract\n", stubtext::UnsafeName("..\\evil.txt")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string exe = out / "bad.exe";
    WriteFileBytes(exe, r.exe);
    const std::string folder = target / "x";
    TRun run = Run(exe, r.args, "folder " + folder + "\n" + r.answers, target.Path());
    EXPECT_NE(run.Exit, 0u) << run.Log << run.Output;
    EXPECT_TRUE(Has(run.Log + run.Output, r.says)) << run.Log << run.Output;
    EXPECT_TRUE(Files(target.Path()).empty()) << run.Log << run.Output;
    EXPECT_FALSE(DirExists(folder)) << run.Log;
    EXPECT_FALSE(FileExists(out / "evil.txt") || FileExists(target / "evil.txt") || FileExists("C:\\evil.txt"));
  }
}
