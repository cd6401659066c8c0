// Start-up of the Setup program: the command line, the refusals and the
// values derived from the script.
#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Files.h"
#include "Main.h"
#include "Robot.h"
#include "ScriptWriter.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

// While not 0, allocations of at least this many bytes fail, as they do in a
// 32-bit program whose address space runs out.
size_t failAllocationsFrom = 0;

}  // namespace

void* operator new(size_t size) {
  if (failAllocationsFrom != 0 && size >= failAllocationsFrom) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Optimised, GCC inlines these into callers of new and takes free() for a
// mismatched release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using namespace fixture;

const char kNotFound[] =
    "The Setup Script File, which is required by Setup, was not found. If problem presists, please contact the "
    "Program Vendor.";
const char kIncompatible[] =
    "The setup files are corrupted, or are incompatible with this version of Setup. Please correct the problem or "
    "obtain a new copy of the program.";
const char kCorrupted[] = "The setup files are corrupted. Please obtain a new copy of the program.";

TScriptFixture SmallScript() {
  TScriptFixture f;
  TScriptHeader& h = f.Script.ScriptHeader;
  h.ProgramName = "Test App";
  h.MinWinMajor = 4;
  h.MinNTMajor = 4;
  TScriptFile a, b;
  a.DestName = "{app}\\a.txt";
  a.UncompressedSize = 2000000000;
  b.DestName = "{app}\\b.txt";
  b.UncompressedSize = 2000000000;  // the total goes past 32 bits
  f.Script.FileList = {a, b};
  f.Script.LocationList = {{1, 1, 12}, {1, 2, 99}};
  f.Script.FolderList = {{"{app}\\x"}};
  return f;
}

TStartupEnvironment EnvIn(const std::string& folder, std::vector<std::string> args = {}) {
  TStartupEnvironment env;
  env.ProgramFolder = folder;
  env.Args = std::move(args);
  env.Version = {TPlatform::NT, 5, 1};
  return env;
}

// What the last PrepareSetup loaded.
TSetupScript Loaded;

// Runs PrepareSetup; returns the one error box's text, or "" when it loaded.
std::string Refusal(const TStartupEnvironment& env) {
  TRobot robot;
  try {
    PrepareSetup(env, Loaded);
  } catch (const EAbort&) {
    EXPECT_EQ(robot.Boxes.size(), 1u);
    if (robot.Boxes.empty()) return "(no box)";
    EXPECT_EQ(robot.Boxes[0].Caption, "Error");
    EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONHAND));
    return robot.Boxes[0].Text;
  }
  EXPECT_TRUE(robot.Boxes.empty());
  return {};
}

TEST(PrepareSetup, Refusals) {
  struct TCase {
    const char* Name;
    std::string Script;  // "" = no SETUP.0
    TWindowsVersion Version;
    std::string Expected;
  };
  const TWindowsVersion nt5{TPlatform::NT, 5, 0};
  std::string good = SmallScript().Build();
  auto withHeader = [](const TScriptHeader& h, TBlockOptions o = {}) {
    return std::string(kScriptSignature, 8) + CheckedBlock(EncodeHeader(h), o);
  };
  TScriptHeader ok = SmallScript().Script.ScriptHeader;
  TBlockOptions bad;
  std::vector<TCase> cases = {
      {"no script", "", nt5, kNotFound},
      {"empty script", std::string(), nt5, kIncompatible},
      {"bad signature", "ts100ad\x1a" + good.substr(8), nt5, kIncompatible},
      {"signature only", good.substr(0, 8), nt5, kCorrupted},
      {"truncated in a record", good.substr(0, good.size() - 1), nt5, kCorrupted},
      {"win32s", good, {TPlatform::Win32s, 3, 10}, "This program will not run on Win32s."},
      {"NT 4.0 meets a minimum of 4.0", good, {TPlatform::NT, 4, 0}, ""},
  };
  {
    TBlockOptions o;
    o.BadHeaderCheck = true;
    cases.push_back({"bad header check", withHeader(ok, o), nt5, kCorrupted});
    o = {};
    o.SizeDelta = -1;
    cases.push_back({"header size 336", withHeader(ok, o), nt5, kCorrupted});
    o.SizeDelta = 1;
    cases.push_back({"header size 338", withHeader(ok, o), nt5, kCorrupted});
    o = {};
    o.BadDataCheck = true;
    cases.push_back({"raw header with a bad data check", withHeader(ok, o), nt5, kCorrupted});
    TScriptFixture f = SmallScript();
    f.Compressed = true;
    std::string compressed = f.Build();
    compressed[compressed.size() - 3] ^= 0x55;
    cases.push_back({"compressed record damaged", compressed, nt5, kCorrupted});
  }
  TScriptHeader h = ok;
  h.MinNTMajor = 0;
  cases.push_back({"NT not allowed", withHeader(h), nt5, "This program will not run on Windows NT."});
  h = ok;
  h.MinWinMajor = 0;
  cases.push_back({"9x not allowed", withHeader(h), {TPlatform::Windows, 4, 10}, "This program must be run on Windows NT."});
  h = ok;
  h.MinNTMajor = 4;
  cases.push_back({"NT 4.0 on NT 3.51", withHeader(h), {TPlatform::NT, 3, 51},
                   "This program requires Windows NT version 4.0 or later."});
  h.MinNTMajor = 3;
  h.MinNTMinor = 51;
  cases.push_back({"NT 3.51 on NT 3.50", withHeader(h), {TPlatform::NT, 3, 50},
                   "This program requires Windows NT version 3.51 or later."});
  h.MinWinMajor = 4;
  h.MinWinMinor = 10;
  cases.push_back({"Windows 4.1 on 95", withHeader(h), {TPlatform::Windows, 4, 0},
                   "This program requires Windows version 4.1 or later."});

  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir dir;
    if (std::string(c.Name) != "no script") WriteFileBytes(dir / "SETUP.0", c.Script);
    TStartupEnvironment env = EnvIn(dir.Path());
    env.Version = c.Version;
    EXPECT_EQ(Refusal(env), c.Expected);
  }
}

TEST(PrepareSetup, LoadsScriptAndDerivesValues) {
  TTempDir dir;
  TScriptFixture f = SmallScript();
  f.Compressed = true;
  f.Script.ScriptHeader.HeaderOptions = hoRestartNeeded;
  f.Script.LicenseText = "license";
  WriteFileBytes(dir / "SETUP.0", f.Build());
  ASSERT_EQ(Refusal(EnvIn(dir.Path() + "\\")), "");
  EXPECT_EQ(SourceFolder, dir.Path());
  EXPECT_FALSE(LoaderMode);
  EXPECT_EQ(Loaded.ScriptHeader.ProgramName, "Test App");
  EXPECT_EQ(Loaded.LicenseText, "license");
  EXPECT_EQ(Loaded.InfoBeforeText, "");
  ASSERT_EQ(Loaded.FileList.size(), 2u);
  ASSERT_EQ(Loaded.LocationList.size(), 2u);
  EXPECT_EQ(Loaded.LocationList[1].StartOffset, 99);
  EXPECT_EQ(Loaded.FolderList.size(), 1u);
  EXPECT_TRUE(Loaded.IconList.empty());
  EXPECT_EQ(TotalBytes, 4000000000LL);
  EXPECT_TRUE(RestartNeeded);
  EXPECT_FALSE(IconsWanted);
  EXPECT_EQ(WindowsFolderPath, WindowsFolder());
  EXPECT_EQ(SystemFolderPath, SystemFolder());
  EXPECT_EQ(ProgramFilesPath, ProgramFilesFolder(true));
  EXPECT_EQ(ProgramFilesPath.back(), '\\');
  EXPECT_EQ(IsAdmin, UserIsAdministrator());
}

TEST(PrepareSetup, IconsWanted) {
  for (int which = 0; which < 3; ++which) {
    TTempDir dir;
    TScriptFixture f = SmallScript();
    if (which == 1) f.Script.ScriptHeader.HeaderOptions = hoUninstallable;
    if (which == 2) f.Script.IconList.resize(1);
    WriteFileBytes(dir / "SETUP.0", f.Build());
    ASSERT_EQ(Refusal(EnvIn(dir.Path())), "");
    EXPECT_EQ(IconsWanted, which != 0) << which;
    EXPECT_FALSE(RestartNeeded);
  }
}

TEST(PrepareSetup, LoaderCommandLine) {
  TTempDir dir;
  TLoaderFile lf = BuildLoaderFile("MZ stub bytes", SmallScript(), {{"data", ""}});
  WriteFileBytes(dir / "data.bin", lf.Bytes);
  const std::string script = std::to_string(lf.ScriptOffset), base = std::to_string(lf.FileDataOffset);
  TTempDir beside;  // the program's folder, without SETUP.0
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    std::string Expected;
  };
  const std::string data = dir / "data.bin";
  const TCase cases[] = {
      {"four arguments", {"/SL", data, script, base}, ""},
      {"lower case /sl", {"/sl", data, script, base}, kNotFound},
      {"three arguments", {"/SL", data, script}, kNotFound},
      {"five arguments", {"/SL", data, script, base, "x"}, kNotFound},
      {"wrong script offset", {"/SL", data, "1", base}, kIncompatible},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Refusal(EnvIn(beside.Path(), c.Args)), c.Expected);
  }
  ASSERT_EQ(Refusal(EnvIn(beside.Path(), {"/SL", data, script, base})), "");
  EXPECT_TRUE(LoaderMode);
  EXPECT_EQ(DataFileName, data);
  EXPECT_EQ(SourceFolder, dir.Path());
  EXPECT_EQ(ScriptOffset, lf.ScriptOffset);
  EXPECT_EQ(FileDataOffset, lf.FileDataOffset);
  EXPECT_EQ(Loaded.FileList.size(), 1u);
}

TEST(PrepareSetup, RelativeDataFileBecomesFullPath) {
  TTempDir dir;
  TLoaderFile lf = BuildLoaderFile("", SmallScript(), {});
  WriteFileBytes(dir / "data.bin", lf.Bytes);
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  std::string refusal = Refusal(EnvIn("C:\\nowhere", {"/SL", "data.bin", "0", std::to_string(lf.FileDataOffset)}));
  SetCurrentDirectoryA(old);
  ASSERT_EQ(refusal, "");
  EXPECT_EQ(DataFileName, dir / "data.bin");
  EXPECT_EQ(SourceFolder, dir.Path());
}

TEST(PrepareSetup, RootSourceFolderKeepsItsBackslash) {
  const std::string data = "C:\\tz-setup-start-test.bin";
  TLoaderFile lf = BuildLoaderFile("", SmallScript(), {});
  WriteFileBytes(data, lf.Bytes);
  std::string refusal = Refusal(EnvIn("C:\\nowhere", {"/SL", data, "0", "0"}));
  DeleteFileA(data.c_str());
  ASSERT_EQ(refusal, "");
  EXPECT_EQ(SourceFolder, "C:\\");
}

TEST(StartSetup, OtherFailuresShowOneBox) {
  TTempDir dir;
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    std::string Expected;
  };
  const std::string missing = dir / "missing.bin";
  const TCase cases[] = {
      {"offset not a number", {"/SL", missing, "12x", "0"}, "'12x' is not a valid offset"},
      {"negative offset", {"/SL", missing, "0", "-5"}, "'-5' is not a valid offset"},
      {"missing data file", {"/SL", missing, "0", "0"}, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRobot robot;
    EXPECT_FALSE(StartSetup(EnvIn(dir.Path(), c.Args), Loaded));
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Caption, "Error");
    if (!c.Expected.empty()) EXPECT_EQ(robot.Boxes[0].Text, c.Expected);
    else EXPECT_NE(robot.Boxes[0].Text.find("missing.bin"), std::string::npos) << robot.Boxes[0].Text;
  }
  // A refusal is shown once, not a second time by StartSetup.
  TRobot robot;
  EXPECT_FALSE(StartSetup(EnvIn(dir.Path()), Loaded));
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, kNotFound);
}

// A script whose license inflates to more than the program can hold ends
// with the damaged-files message, however the memory runs out: while the
// text grows, or when inflate cannot have its buffers.
TEST(StartSetup, RunningOutOfMemoryShowsTheCorruptedFilesMessage) {
  TTempDir dir;
  TScriptFixture f = SmallScript();
  f.Compressed = true;
  f.Script.LicenseText = std::string(16 << 20, 'L');
  WriteFileBytes(dir / "SETUP.0", f.Build());
  const struct {
    const char* Name;
    size_t FailFrom;
  } rows[] = {
      {"the text", 4 << 20},
      {"the inflate buffers", 32000},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    TRobot robot;
    failAllocationsFrom = r.FailFrom;
    bool started = StartSetup(EnvIn(dir.Path()), Loaded);
    failAllocationsFrom = 0;
    EXPECT_FALSE(started);
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Caption, "Error");
    EXPECT_EQ(robot.Boxes[0].Text, kCorrupted);
  }
  // With the memory there, the same script loads.
  TRobot robot;
  EXPECT_TRUE(StartSetup(EnvIn(dir.Path()), Loaded));
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(Loaded.LicenseText.size(), 16u << 20);
}

// The windows of one process: its background window ("Setup", the size of
// the screen) and any message box.
struct TProcessWindows {
  DWORD Process = 0;
  bool Background = false, Box = false;
  static BOOL CALLBACK Visit(HWND wnd, LPARAM param) {
    auto* self = reinterpret_cast<TProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != self->Process) return TRUE;
    char cls[64] = "", text[64] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    GetWindowTextA(wnd, text, sizeof text);
    RECT r{};
    GetWindowRect(wnd, &r);
    if (std::string(cls) == "#32770") self->Box = true;
    if (std::string(text) == "Setup" && r.right - r.left >= GetSystemMetrics(SM_CXSCREEN)) self->Background = true;
    return TRUE;
  }
};

// The shipped program starts, loads its script and goes on to its
// background window without any box.
TEST(SetupExe, StartsWithAValidScript) {
  TTempDir dir;
  ASSERT_TRUE(CopyFileA(DistPath("Setup.exe").c_str(), (dir / "Setup.exe").c_str(), FALSE));
  WriteFileBytes(dir / "SETUP.0", SmallScript().Build());
  TLoaderFile lf = BuildLoaderFile("prefix", SmallScript(), {{"x", ""}});
  WriteFileBytes(dir / "data.bin", lf.Bytes);
  for (const std::string& args :
       {std::string(), " /SL \"" + (dir / "data.bin") + "\" " + std::to_string(lf.ScriptOffset) + " " +
                           std::to_string(lf.FileDataOffset)}) {
    SCOPED_TRACE(args);
    std::string cmd = "\"" + (dir / "Setup.exe") + "\"" + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si, &pi));
    TProcessWindows seen;
    seen.Process = pi.dwProcessId;
    for (int i = 0; i < 600 && !seen.Background && !seen.Box; ++i) {
      if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;  // ended: a refusal
      EnumWindows(TProcessWindows::Visit, reinterpret_cast<LPARAM>(&seen));
    }
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(seen.Background);
    EXPECT_FALSE(seen.Box);
  }
}

TEST(ChooseSystemFolder, SharedWindowsNeedsAWritableSystemFolder) {
  TTempDir dir;
  EXPECT_EQ(ChooseSystemFolder("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"), "C:\\WINDOWS\\SYSTEM");  // not tested
  EXPECT_EQ(ChooseSystemFolder("C:\\WIN", dir.Path()), dir.Path());
  EXPECT_EQ(ChooseSystemFolder("C:\\WIN", dir / "missing"), "C:\\WIN");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir / "*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "the probe file was left behind";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST(MakeTempFileName, FreshNameNotCreated) {
  TTempDir dir;
  Randomize();
  std::string name = MakeTempFileName(dir.Path());
  std::string prefix = dir.Path() + "\\is";
  ASSERT_EQ(name.substr(0, prefix.size()), prefix);
  std::string rest = name.substr(prefix.size());
  ASSERT_EQ(rest.size(), 10u);
  EXPECT_EQ(rest.substr(6), ".tmp");
  EXPECT_EQ(rest.find_first_not_of("0123456789abcdef"), 6u);
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(MakeTempFileName(dir.Path() + "\\").substr(0, prefix.size()), prefix);
}

TEST(ExpandDirConstants, Table) {
  SourceFolder = "Z:\\SRC";
  DestFolder = "C:\\";
  WindowsFolderPath = "C:\\WINDOWS";
  SystemFolderPath = "C:\\WINDOWS\\SYSTEM";
  const std::pair<const char*, const char*> cases[] = {
      {"{app}\\Readme.txt", "C:\\Readme.txt"},
      {"{app}", "C:\\"},
      {"{sys}\\x.dll", "C:\\WINDOWS\\SYSTEM\\x.dll"},
      {"{sys}", "C:\\WINDOWS\\SYSTEM"},
      {"{src}\\a;{win}\\b", "Z:\\SRC\\a;C:\\WINDOWS\\b"},
      {"{App}\\x", "{App}\\x"},
      {"{win}{win}", "C:\\WINDOWSC:\\WINDOWS"},
  };
  for (auto& [in, out] : cases) EXPECT_EQ(ExpandDirConstants(in), out) << in;
  DestFolder = "{app}";
  EXPECT_EQ(ExpandDirConstants("{app}\\x"), "{app}\\x");
  DestFolder.clear();
}

}  // namespace
