// The install operations under Wine: files with the overwrite rules,
// replacement at restart, registration, shared counts, icons, INI and
// registry entries, and their rollback. Built twice: the second program
// runs as a Windows 98 family system.
#include "CmnFunc2.h"
#include "DDEInt.h"
#include "Files.h"
#include "InstallBed.h"
#include "InstallRules.h"
#include "Main.h"
#include "Platform.h"
#include "Robot.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kNewer =
    "Existing file is newer than the one Setup is trying to install. It is recommended that you keep the existing "
    "file.\r\n\r\nDo you want to keep the existing file?";
const std::string kReadOnly =
    "The existing file is marked as read-only.\r\n\r\nClick Retry to remove the read-only setting and try again, "
    "Ignore to skip this file, or Abort to cancel installation.";
const std::string kFileRetry =
    "\r\n\r\nClick Retry to try again, Ignore to skip this file (not recommended), or Abort to cancel installation.";
const UINT kWarnYesNo = MB_YESNO | MB_ICONEXCLAMATION;
const UINT kWarnRetry = MB_ABORTRETRYIGNORE | MB_DEFBUTTON2 | MB_ICONEXCLAMATION;

std::string ConfirmText(const std::string& dest) {
  return dest + "\r\nThe file already exists.\r\n\r\nWould you like Setup to overwrite it?";
}

uint64_t WriteTimeOf(const std::string& path) {
  uint64_t t = 0;
  EXPECT_TRUE(ReadLastWriteTime(path, t)) << path;
  return t;
}

TFileTime AsFileTime(uint64_t t) { return {static_cast<uint32_t>(t), static_cast<uint32_t>(t >> 32)}; }

// The temporary files an install may leave: none are expected.
std::vector<std::string> TempFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, content] : SnapshotFolder(folder))
    if (name.find(".tmp") != std::string::npos) names.push_back(name);
  return names;
}

// A file held open as a running program holds it.
class THeldFile {
public:
  THeldFile(const std::string& path, DWORD share)
      : h_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(h_, INVALID_HANDLE_VALUE) << path;
  }
  ~THeldFile() { Release(); }
  void Release() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE h_;
};

// Runs wineboot -r in the test prefix: it carries out the replacements
// pending for the next start.
void RestartPrefix() {
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartQuietly("wineboot.exe -r", pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

TEST(Platform, FamilyOfThisProgram) {
#ifdef TZ_WIN9X
  EXPECT_FALSE(IsNTPlatform());
#else
  EXPECT_TRUE(IsNTPlatform());
#endif
  EXPECT_TRUE(IsWindows4OrLater());
}

// ---- Overwrite rules

enum TExisting { exNone, exVersioned, exPlain, exReadOnly };

TEST(InstallFiles, OverwriteRules) {
  const std::string verDll = TestBinary("SetupVerDll.dll");  // version 2.0.0.5
  const int32_t v2ms = 0x00020000, v2ls = 5;
  struct TBox {
    std::string text, caption;
    UINT flags;
  };
  struct Row {
    const char* name;
    TExisting existing;
    uint8_t mode, options;
    int32_t ms, ls;
    int64_t timeDelta;  // record time minus the existing file's
    std::vector<int> answers;
    std::vector<std::string> boxes;  // N newer, C confirm, R read-only
    bool replaced;
    bool aborted = false;
  } rows[] = {
      {"new file", exNone, omNormal, 0, 1, 0, 0, {}, {}, true},
      {"older record, keep", exVersioned, omNormal, 0, 0x00010000, 0, 0, {IDYES}, {"N"}, false},
      {"older record, replace", exVersioned, omNormal, 0, 0x00010000, 0, 0, {IDNO}, {"N"}, true},
      {"older record, mode 3", exVersioned, omKeepNewerSilently, 0, 0x00010000, 0, 0, {}, {}, false},
      {"newer record", exVersioned, omNormal, 0, 0x00030000, 0, 0, {}, {}, true},
      {"same version and time", exVersioned, omNormal, 0, v2ms, v2ls, 0, {}, {}, false},
      {"same version and time, mode 3", exVersioned, omKeepNewerSilently, 0, v2ms, v2ls, 0, {}, {}, false},
      {"same version, later file asks", exVersioned, omNormal, 0, v2ms, v2ls, -10000000, {IDYES}, {"N"}, false},
      {"same version, later file, mode 3", exVersioned, omKeepNewerSilently, 0, v2ms, v2ls, -10000000, {}, {},
       false},
      {"same version, earlier file", exVersioned, omNormal, 0, v2ms, v2ls, 10000000, {}, {}, true},
      {"never overwrite", exVersioned, omNeverOverwrite, 0, 0x00030000, 0, 0, {}, {}, false},
      {"no version check", exVersioned, omNoVersionCheck, 0, 0x00010000, 0, 0, {}, {}, true},
      {"record without version", exVersioned, omNormal, 0, -1, 0, -10000000, {}, {}, true},
      {"file without version", exPlain, omNormal, 0, 0x00010000, 0, 0, {}, {}, true},
      {"confirm, no", exPlain, omNormal, foConfirmOverwrite, 1, 0, 0, {IDNO}, {"C"}, false},
      {"confirm, yes", exPlain, omNormal, foConfirmOverwrite, 1, 0, 0, {IDYES}, {"C"}, true},
      {"read-only, retry asks again", exReadOnly, omNormal, foConfirmOverwrite, 0x00010000, 0, 0,
       {IDNO, IDYES, IDRETRY, IDNO, IDYES}, {"N", "C", "R", "N", "C"}, true},
      {"read-only, ignore", exReadOnly, omNormal, 0, 0x00030000, 0, 0, {IDIGNORE}, {"R"}, false},
      {"read-only, abort", exReadOnly, omNormal, 0, 0x00030000, 0, 0, {IDABORT}, {"R"}, false, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TInstallBed bed;
    bed.SetFiles({{"{app}\\lib.dll", "NEW CONTENT"}});
    const std::string dest = bed.App + "\\lib.dll";
    std::string old;
    if (r.existing != exNone) {
      if (r.existing == exPlain) WriteFileBytes(dest, "old plain");
      else ASSERT_TRUE(CopyFileA(verDll.c_str(), dest.c_str(), FALSE));
      if (r.existing == exReadOnly) SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_READONLY);
      old = ReadFileBytes(dest);
      bed.File(0).FileTime = AsFileTime(WriteTimeOf(dest) + static_cast<uint64_t>(r.timeDelta));
    }
    bed.File(0).OverwriteMode = r.mode;
    bed.File(0).FileOptions = r.options;
    bed.File(0).FileVersionMS = r.ms;
    bed.File(0).FileVersionLS = r.ls;
    TRobot robot;
    robot.Answers.assign(r.answers.begin(), r.answers.end());
    if (r.aborted) EXPECT_THROW(InstallFiles(bed.Run), EAbort);
    else InstallFiles(bed.Run);

    std::vector<TBox> expected;
    for (const std::string& b : r.boxes) {
      if (b == "N") expected.push_back({kNewer, dest, kWarnYesNo});
      if (b == "C") expected.push_back({ConfirmText(dest), "Confirm", MB_YESNO | MB_ICONQUESTION});
      if (b == "R") expected.push_back({kReadOnly, dest, kWarnRetry});
    }
    ASSERT_EQ(robot.Boxes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(robot.Boxes[i].Text, expected[i].text) << i;
      EXPECT_EQ(robot.Boxes[i].Caption, expected[i].caption) << i;
      EXPECT_EQ(robot.Boxes[i].Flags, expected[i].flags) << i;
    }
    EXPECT_EQ(robot.Unscripted, 0);
    EXPECT_EQ(ReadFileBytes(dest), r.replaced ? "NEW CONTENT" : old);
    if (r.replaced) {
      ASSERT_EQ(bed.Changes.Count(), 1u);
      const TLogEntry& e = bed.Changes.Entries()[0];
      EXPECT_EQ(e.Kind, lkFile);
      EXPECT_EQ(e.Data, dest + "\0\0"s);
      EXPECT_EQ(e.Param, r.existing == exNone ? 0 : lpExisted);
    } else {
      EXPECT_TRUE(bed.Changes.Empty());
    }
    // A replaced file is kept beside it until the install ends.
    EXPECT_EQ(TempFiles(bed.App).size(), r.replaced && r.existing != exNone ? 1u : 0u);
    // Kept files move the bar by their compressed size, copied ones by what was read.
    if (!r.aborted) {
      EXPECT_EQ(bed.Progress.Pos, bed.File(0).CompressedSize);
    }
    // The rollback leaves the folder as it was.
    EXPECT_TRUE(bed.Changes.Undo(false));
    EXPECT_EQ(TempFiles(bed.App), std::vector<std::string>{});
    if (r.existing == exNone) EXPECT_FALSE(FileExists(dest));
    else EXPECT_EQ(ReadFileBytes(dest), old);
    SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(InstallFiles, ReplacedFilesAreKeptUntilTheInstallEnds) {
  // Every kind of file that replaces one: logged, never uninstalled, shared.
  for (uint8_t options : {uint8_t(0), foNeverUninstall, foSharedFile}) {
    SCOPED_TRACE(static_cast<int>(options));
    TInstallBed bed;
    bed.SetFiles({{"{app}\\a.txt", "new a"}, {"{app}\\b.txt", "new b"}});
    for (size_t i : {0u, 1u}) {
      bed.File(i).OverwriteMode = omNoVersionCheck;
      bed.File(i).FileOptions = options;
    }
    WriteFileBytes(bed.App + "\\a.txt", "old a");
    WriteFileBytes(bed.App + "\\b.txt", "old b");
    const auto before = SnapshotFolder(bed.App);
    TRobot robot;
    InstallFiles(bed.Run);
    EXPECT_EQ(ReadFileBytes(bed.App + "\\a.txt"), "new a");
    EXPECT_EQ(TempFiles(bed.App).size(), 2u);
    EXPECT_TRUE(bed.Changes.Undo(false));
    EXPECT_EQ(SnapshotFolder(bed.App), before);

    // An install that goes through deletes the kept copies.
    InstallFiles(bed.Run);
    bed.Changes.Commit();
    EXPECT_EQ(SnapshotFolder(bed.App),
              (std::map<std::string, std::string>{{"a.txt", "new a"}, {"b.txt", "new b"}}));
    EXPECT_TRUE(robot.Boxes.empty());
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      for (const char* name : {"\\a.txt", "\\b.txt"}) RegDeleteValueA(key, (bed.App + name).c_str());
      RegCloseKey(key);
    }
  }
}

TEST(InstallFiles, TimesLogOptionsAndProgress) {
  TInstallBed bed;
  bed.SetFiles({{"{app}\\a.txt", "alpha"},
                {"{app}\\sub\\..\\40ComUpd.Exe", "update"},
                {"{app}\\kept.txt", "never uninstalled"},
                {"reserved", "reserved"},
                {"{app}\\b.txt", std::string(100000, 'b')}});
  MakeDirs(bed.App + "\\sub");
  const uint64_t stamp = 0x01C0000012345678ull;
  for (TScriptFile& f : bed.Script.FileList) f.FileTime = AsFileTime(stamp);
  bed.File(2).FileOptions = foNeverUninstall;
  bed.File(3).FileOptions = foUninstallLogName;
  int64_t total = 0;
  for (const TScriptFile& f : bed.Script.FileList) total += f.CompressedSize;
  TRobot robot;
  {
    // Without uninstall support the reserved file is left out.
    InstallFiles(bed.Run);
    EXPECT_TRUE(robot.Boxes.empty());
    EXPECT_EQ(bed.Progress.Pos, total);
    EXPECT_TRUE(bed.Progress.UpdateInstalled);
    EXPECT_EQ(bed.Progress.Polls >= 5, true);
    EXPECT_EQ(bed.Progress.Filenames.size(), 4u);
    EXPECT_EQ(ReadFileBytes(bed.App + "\\a.txt"), "alpha");
    EXPECT_EQ(ReadFileBytes(bed.App + "\\b.txt"), std::string(100000, 'b'));
    HANDLE h = CreateFileA((bed.App + "\\a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    FILETIME created, accessed, written;
    ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
    CloseHandle(h);
    EXPECT_EQ(uint64_t(created.dwHighDateTime) << 32 | created.dwLowDateTime, stamp);
    EXPECT_EQ(uint64_t(written.dwHighDateTime) << 32 | written.dwLowDateTime, stamp);
    std::vector<std::string> logged;
    for (const TLogEntry& e : bed.Changes.Entries()) logged.push_back(e.GetEntryString(0));
    EXPECT_EQ(logged, (std::vector<std::string>{bed.App + "\\a.txt", bed.App + "\\sub\\..\\40ComUpd.Exe",
                                                bed.App + "\\b.txt"}));
  }
  {
    // With it, the reserved file is the pattern's '0' name and is not logged.
    bed.Changes.Clear();
    bed.Progress = TTestProgress{};
    bed.Script.FileList = {bed.File(3)};
    bed.Script.LocationList = {bed.Script.LocationList[3]};
    bed.Run.LogNamePattern = TLogNamePattern(bed.App, 7);
    InstallFiles(bed.Run);
    EXPECT_EQ(ReadFileBytes(bed.App + "\\UNINST0.007"), "reserved");
    EXPECT_TRUE(bed.Changes.Empty());
  }
}

TEST(InstallFiles, CorruptDataAsksAndLeavesNothing) {
  TInstallBed bed;
  bed.SetFiles({{"{app}\\first.txt", "first"}, {"{app}\\bad.txt", std::string(70000, 'x')}});
  bed.File(1).Checksum ^= 1;
  TRobot robot;
  robot.Answers = {IDRETRY, IDIGNORE};
  InstallFiles(bed.Run);
  const std::string dest = bed.App + "\\bad.txt";
  const std::string text =
      "An error occured while trying to copy a file.\r\n\r\nThe source file is corrupted" + kFileRetry;
  ASSERT_EQ(robot.Boxes.size(), 2u);
  for (const TShownBox& box : robot.Boxes) {
    EXPECT_EQ(box.Text, text);
    EXPECT_EQ(box.Caption, dest);
    EXPECT_EQ(box.Flags, kWarnRetry);
  }
  EXPECT_FALSE(FileExists(dest));
  EXPECT_EQ(TempFiles(bed.App), std::vector<std::string>{});
  // The bar went back before each retry and ends where the two files end.
  EXPECT_EQ(bed.Progress.Pos, bed.File(0).CompressedSize + bed.File(1).CompressedSize);
  EXPECT_EQ(bed.Changes.Count(), 1u);
}

TEST(InstallFiles, AFailedReplacementKeepsTheOldFile) {
  // On NT, deleting would succeed while the file is open for sharing with
  // delete; the replacement cannot, and the old file must stay. (The 98
  // family moves such a file aside and replaces it.)
  for (DWORD share : {DWORD(FILE_SHARE_READ | FILE_SHARE_DELETE), DWORD(0)}) {
    SCOPED_TRACE(share ? "shared for delete" : "not shared");
    if (share && !IsNTPlatform()) continue;
    TInstallBed bed;
    bed.SetFiles({{"{app}\\lib.dll", "NEW CONTENT"}});
    const std::string dest = bed.App + "\\lib.dll";
    WriteFileBytes(dest, "old content");
    bed.File(0).OverwriteMode = omNoVersionCheck;
    TRobot robot;
    robot.Answers = {IDIGNORE};
    {
      THeldFile held(dest, share);
      InstallFiles(bed.Run);
    }
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text.substr(0, 60), "An error occured while trying to delete the existing file.\r\n");
    EXPECT_NE(robot.Boxes[0].Text.find(kFileRetry), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dest), "old content");
    EXPECT_EQ(TempFiles(bed.App), std::vector<std::string>{});
    EXPECT_TRUE(bed.Changes.Empty());
    EXPECT_FALSE(RestartNeeded);
  }
}

std::vector<std::string> PendingRenames() {
  DWORD type = 0;
  std::string data;
  std::vector<std::string> out;
  if (!RegValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                "PendingFileRenameOperations", type, data))
    return out;
  for (size_t start = 0; start < data.size();) {
    size_t nul = data.find('\0', start);
    if (nul == std::string::npos) nul = data.size();
    out.push_back(data.substr(start, nul - start));
    start = nul + 1;
  }
  return out;
}

TEST(InstallFiles, InUseFileIsReplacedAtRestart) {
  TInstallBed bed;
  bed.SetFiles({{"{app}\\inuse.dll", "NEW CONTENT"}});
  const std::string dest = bed.App + "\\inuse.dll";
  WriteFileBytes(dest, "old content");
  bed.File(0).OverwriteMode = omNoVersionCheck;
  bed.File(0).FileOptions = foRestartReplace | foRegisterServer;
  const std::string ini = AddTrailingBackslash(WindowsFolder()) + "WININIT.INI";
  const bool hadIni = FileExists(ini);
  const std::string oldIni = hadIni ? ReadFileBytes(ini) : std::string();
  if (!IsNTPlatform()) WriteFileBytes(ini, "[other]\r\nkeep=1\r\n[rename]\r\nNUL=C:\\elsewhere.tmp\r\n");
  TRobot robot;
  {
    THeldFile held(dest, FILE_SHARE_READ);
    InstallFiles(bed.Run);
  }
  EXPECT_TRUE(robot.Boxes.empty());  // nor the registration's: it waits for the restart
  EXPECT_TRUE(RestartNeeded);
  ASSERT_EQ(bed.Changes.Count(), 1u);
  const TLogEntry& e = bed.Changes.Entries()[0];
  const std::string temp = e.GetEntryString(1);
  EXPECT_EQ(e.GetEntryString(0), dest);
  EXPECT_EQ(e.Param, lpExisted | lpRegistered);
  EXPECT_EQ(ReadFileBytes(temp), "NEW CONTENT");
  EXPECT_EQ(ReadFileBytes(dest), "old content");
  if (IsNTPlatform()) {
    std::vector<std::string> pending = PendingRenames();
    auto at = std::find(pending.begin(), pending.end(), "\\??\\" + temp);
    ASSERT_NE(at, pending.end());
    ASSERT_NE(at + 1, pending.end());
    EXPECT_EQ(at[1], "!\\??\\" + dest);
  } else {
    EXPECT_EQ(ReadFileBytes(ini), "[other]\r\nkeep=1\r\n[rename]\r\nNUL=C:\\elsewhere.tmp\r\n" + ShortPathOf(dest) +
                                      "=" + ShortPathOf(temp) + "\r\n");
  }
  RestartPrefix();
  EXPECT_EQ(ReadFileBytes(dest), "NEW CONTENT");
  EXPECT_FALSE(FileExists(temp));
  DeleteFileA((AddTrailingBackslash(WindowsFolder()) + "wininit.bak").c_str());
  if (hadIni) WriteFileBytes(ini, oldIni);
  else DeleteFileA(ini.c_str());
}

// ---- Registration

struct TRegDllMode {
  explicit TRegDllMode(const char* mode) { SetEnvironmentVariableA("TZ_REGDLL", mode); }
  ~TRegDllMode() { SetEnvironmentVariableA("TZ_REGDLL", nullptr); }
};

const char kRegDllKey[] = "Software\\tidy-Zaderuzo tests\\RegDll";

TEST(RegisterLibrary, ResultsAndTheirBoxes) {
  const std::string regDll = ReadFileBytes(TestBinary("SetupRegDll.dll"));
  const std::string verDll = ReadFileBytes(TestBinary("SetupVerDll.dll"));
  struct Row {
    const char* name;
    const char* mode;
    std::string content;
    std::string reason;  // "" when it registers
  } rows[] = {
      {"registers", "ok", regDll, ""},
      {"returns a failure", "fail", regDll, "DllRegisterServer returned -2147467259"},
      {"raises inside", "crash", regDll, "DllRegisterServer raised exception 0xC0000005"},
      {"no export", "ok", verDll, "DllRegisterServer export not found"},
      {"not a library", "ok", "plain text", "LoadLibrary failed"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TTestKey marker("RegDll");
    TInstallBed bed;
    bed.SetFiles({{"{app}\\lib.dll", r.content}});
    bed.File(0).FileOptions = foRegisterServer;
    const std::string dest = bed.App + "\\lib.dll";
    TRegDllMode mode(r.mode);
    TRobot robot;
    robot.Answers = {IDRETRY, IDIGNORE};
    InstallFiles(bed.Run);
    DWORD type;
    std::string data;
    if (r.reason.empty()) {
      EXPECT_TRUE(robot.Boxes.empty());
      EXPECT_TRUE(RegValue(HKEY_CURRENT_USER, kRegDllKey, "Registered", type, data));
    } else {
      ASSERT_EQ(robot.Boxes.size(), 2u);  // Retry tries again
      EXPECT_EQ(robot.Boxes[0].Text, dest + "\r\nUnable to register the DLL/OCX. (" + r.reason +
                                         ")\r\n\r\nClick Retry to try again, Ignore to proceed anyway (not "
                                         "recommended), or Abort to cancel installation.");
      EXPECT_EQ(robot.Boxes[0].Caption, "Error");
      EXPECT_EQ(robot.Boxes[0].Flags, kWarnRetry);
    }
    ASSERT_EQ(bed.Changes.Count(), 1u);
    EXPECT_EQ(bed.Changes.Entries()[0].Param, lpRegistered);
    // The rollback unregisters, then deletes.
    EXPECT_EQ(bed.Changes.Undo(false), r.reason.empty());
    EXPECT_FALSE(RegValue(HKEY_CURRENT_USER, kRegDllKey, "Registered", type, data));
    EXPECT_FALSE(FileExists(dest));
  }
}

// ---- Shared files

TEST(SharedFiles, CountsAndTheirRollback) {
  if (!IsWindows4OrLater()) GTEST_SKIP();
  struct Row {
    const char* name;
    bool existed;
    std::string storedType;  // "", "dword" or "sz"
    uint8_t mode;
    std::string after, afterRollback;  // "type:count", "" for no value
    bool fileAfterRollback;
  } rows[] = {
      {"new file", false, "", omNormal, "4:1", "", false},
      {"existed without a count", true, "", omNoVersionCheck, "4:2", "", true},
      {"existed with a text count", true, "sz", omNoVersionCheck, "1:4", "1:3", true},
      {"kept file still counted", true, "dword", omNeverOverwrite, "4:4", "4:3", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TInstallBed bed;
    bed.SetFiles({{"{app}\\shared.dll", "shared"}});
    bed.File(0).FileOptions = foSharedFile;
    bed.File(0).OverwriteMode = r.mode;
    const std::string dest = bed.App + "\\shared.dll";
    if (r.existed) WriteFileBytes(dest, "there before");
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    if (r.storedType == "sz") RegSetValueExA(key, dest.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("3"), 2);
    if (r.storedType == "dword") {
      DWORD three = 3;
      RegSetValueExA(key, dest.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), 4);
    }
    auto count = [&]() -> std::string {
      DWORD type = 0;
      std::string data;
      if (!RegValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, dest, type, data)) return "";
      std::optional<TSharedCount> c = ParseSharedCount(type, data);
      return c ? std::to_string(type) + ":" + std::to_string(c->Count) : "unreadable";
    };
    TRobot robot;
    InstallFiles(bed.Run);
    EXPECT_TRUE(robot.Boxes.empty());
    EXPECT_EQ(count(), r.after);
    ASSERT_EQ(bed.Changes.Count(), 1u);  // logged as shared only
    EXPECT_EQ(bed.Changes.Entries()[0].Param, lpShared);
    bed.Changes.Undo(false);
    EXPECT_EQ(count(), r.afterRollback);
    EXPECT_EQ(FileExists(dest), r.fileAfterRollback);
    RegDeleteValueA(key, dest.c_str());
    RegCloseKey(key);
  }
}

// "type:count" of a shared file, "" for none.
std::string SharedCountOf(const std::string& path) {
  DWORD type = 0;
  std::string data;
  if (!RegValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, path, type, data)) return "";
  std::optional<TSharedCount> c = ParseSharedCount(type, data);
  return c ? std::to_string(type) + ":" + std::to_string(c->Count) : "unreadable";
}

TEST(SharedFiles, AFailedCountIsOfferedAndRolledBack) {
  if (!IsWindows4OrLater()) GTEST_SKIP();
  struct Row {
    const char* name;
    int answer;
    std::string count;  // after the install
    int32_t param;      // of the one entry logged
  } rows[] = {
      {"ignore: logged as a plain file", IDIGNORE, "", 0},
      {"retry: counted as the new file it is", IDRETRY, "4:1", lpShared},
      {"abort", IDABORT, "", -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TInstallBed bed;
    bed.SetFiles({{"{app}\\shared.dll", "shared"}});
    bed.File(0).FileOptions = foSharedFile;
    const std::string dest = bed.App + "\\shared.dll";
    // HKLM cannot be written, once.
    auto counter = RaiseSharedFileCount;
    int calls = 0;
    RaiseSharedFileCount = [&](const std::string& path, bool existed) {
      if (++calls == 1) throw Exception(std::string("Error opening registry key: ") + kSharedDllsKey);
      counter(path, existed);
    };
    TRobot robot;
    robot.Answers = {r.answer};
    if (r.answer == IDABORT) EXPECT_THROW(InstallFiles(bed.Run), EAbort);
    else InstallFiles(bed.Run);
    RaiseSharedFileCount = counter;
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text, std::string("Error opening registry key: ") + kSharedDllsKey + kFileRetry);
    EXPECT_EQ(robot.Boxes[0].Caption, dest);
    EXPECT_EQ(robot.Boxes[0].Flags, kWarnRetry);
    EXPECT_EQ(SharedCountOf(dest), r.count);
    if (r.param >= 0) {
      EXPECT_EQ(ReadFileBytes(dest), "shared");
      ASSERT_EQ(bed.Changes.Count(), 1u);
      EXPECT_EQ(bed.Changes.Entries()[0].Param, r.param);
      EXPECT_EQ(bed.Changes.Entries()[0].GetEntryString(0), dest);
    }
    // Nothing of the install stays: no file, no count.
    EXPECT_TRUE(bed.Changes.Undo(false));
    EXPECT_FALSE(FileExists(dest));
    EXPECT_EQ(SharedCountOf(dest), "");
  }
}

// ---- Icons

struct TLinkInfo {
  std::string path, arguments, folder, iconFile, description;
  int iconIndex = -1;
};

TLinkInfo ReadLink(const std::string& file) {
  TLinkInfo info;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* pf = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf));
    std::wstring wide(file.begin(), file.end());
    if (pf && SUCCEEDED(pf->Load(wide.c_str(), STGM_READ))) {
      char buf[MAX_PATH] = "";
      link->GetPath(buf, MAX_PATH, nullptr, 0);
      info.path = buf;
      link->GetArguments(buf, MAX_PATH);
      info.arguments = buf;
      link->GetWorkingDirectory(buf, MAX_PATH);
      info.folder = buf;
      link->GetIconLocation(buf, MAX_PATH, &info.iconIndex);
      info.iconFile = buf;
      link->GetDescription(buf, MAX_PATH);
      info.description = buf;
    }
    if (pf) pf->Release();
    link->Release();
  }
  CoUninitialize();
  return info;
}

TEST(ProgramIcons, ShellLinksReadBackAndRollBack) {
  if (!IsWindows4OrLater()) GTEST_SKIP();
  TInstallBed bed;
  GroupName = "tidy-Zaderuzo link test " + std::to_string(GetCurrentProcessId());
  const std::string programs = TrimTrailingBackslash(ProgramsMenuFolder(false, false));
  const std::string group = programs + "\\" + GroupName;
  TScriptIcon full{"Full", "{app}\\prog.exe", "/a \"b c\"", "{app}", "{app}\\icons.dll", 3};
  TScriptIcon bare{"Bare", "{win}\\notepad.exe", "", "", "", 0};
  bed.Script.IconList = {full, bare};
  TRobot robot;
  MakeProgramIcons(bed.Run);
  TLinkInfo a = ReadLink(group + "\\Full.lnk");
  EXPECT_EQ(LowerCase(a.path), LowerCase(bed.App + "\\prog.exe"));
  EXPECT_EQ(a.arguments, "/a \"b c\"");
  EXPECT_EQ(a.folder, bed.App);
  EXPECT_EQ(a.iconFile, bed.App + "\\icons.dll");
  EXPECT_EQ(a.iconIndex, 3);
  EXPECT_EQ(a.description, "Full");
  TLinkInfo b = ReadLink(group + "\\Bare.lnk");
  EXPECT_EQ(LowerCase(b.path), LowerCase(WindowsFolder() + "\\notepad.exe"));
  EXPECT_EQ(b.arguments, "");
  EXPECT_EQ(b.description, "Bare");
  EXPECT_EQ(bed.Progress.Pos, 2000);

  std::vector<std::pair<int, std::string>> logged;
  for (const TLogEntry& e : bed.Changes.Entries()) logged.emplace_back(e.Kind, e.GetEntryString(0));
  EXPECT_EQ(logged, (std::vector<std::pair<int, std::string>>{{lkShellNotify, programs},
                                                              {lkFolder, group},
                                                              {lkFile, group + "\\Full.lnk"},
                                                              {lkFile, group + "\\Bare.lnk"}}));
  EXPECT_TRUE(bed.Changes.Undo(false));
  EXPECT_FALSE(DirExists(group));
  EXPECT_TRUE(robot.Boxes.empty());

  // A link that cannot be saved is offered for Retry, Ignore (it is left
  // out) or Abort.
  bed.Script.IconList = {{"Missing\\Sub", "{app}\\prog.exe", "", "", "", 0}, bare};
  robot.Answers = {IDRETRY, IDIGNORE};
  MakeProgramIcons(bed.Run);
  ASSERT_EQ(robot.Boxes.size(), 2u);
  const std::string text = "Setup was unable to create the shortcut - " + group + "\\Missing\\Sub.lnk (error 0x";
  EXPECT_EQ(robot.Boxes[0].Text.substr(0, text.size()), text);
  EXPECT_EQ(robot.Boxes[0].Text.substr(text.size() + 8),
            ").\r\n\r\nClick Retry to try again, Ignore to skip this entry, or Abort to cancel installation.");
  EXPECT_EQ(robot.Boxes[1].Text, robot.Boxes[0].Text);
  EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2 | MB_ICONEXCLAMATION));
  ASSERT_EQ(bed.Changes.Count(), 3u);
  EXPECT_EQ(bed.Changes.Entries().back().GetEntryString(0), group + "\\Bare.lnk");
  EXPECT_EQ(bed.Progress.Pos, 4000);  // the skipped icon too
  bed.Changes.Undo(false);
  EXPECT_FALSE(DirExists(group));
  robot.Answers = {IDABORT};
  EXPECT_THROW(MakeProgramIcons(bed.Run), EAbort);
  bed.Changes.Undo(false);
  EXPECT_FALSE(DirExists(group));
}

TEST(ProgramIcons, ProgramManagerGroupsAndItems) {
  TProgmanServer server;
  ASSERT_TRUE(server.Ready());
  TPlatformOverride windows3(3, std::nullopt);  // no Programs folder: Program Manager
  ASSERT_EQ(ProgramsMenuFolder(false, false), "");
  TInstallBed bed;
  GroupName = "tidy-Zaderuzo DDE test " + std::to_string(GetCurrentProcessId());
  const std::string notepad = WindowsFolder() + "\\notepad.exe";
  // Wine's Program Manager takes no parameters after the program.
  bed.Script.IconList = {{"First", notepad, "", "", "", 0}, {"Second", notepad, "", "{win}", notepad, 0}};
  TRobot robot;
  MakeProgramIcons(bed.Run);
  std::vector<std::string> logged;
  for (const TLogEntry& e : bed.Changes.Entries())
    logged.push_back(std::to_string(e.Kind) + ":" + e.GetEntryString(0) + "/" + e.GetEntryString(1));
  EXPECT_EQ(logged, (std::vector<std::string>{"2:" + GroupName + "/", "2:" + GroupName + "/First",
                                              "2:" + GroupName + "/Second"}));
  std::string groups;
  {
    TDDE dde;
    TProgmanConversation conv(dde);
    groups = conv.RequestText("GROUPS");
  }
  EXPECT_NE(groups.find(GroupName + "\r\n"), std::string::npos) << groups;
  // Wine keeps its groups as folders of the Programs folder.
  std::string folder;
  {
    TPlatformOverride windows4(4, std::nullopt);
    folder = AddTrailingBackslash(ProgramsMenuFolder(false, false)) + GroupName;
  }
  EXPECT_TRUE(FileExists(folder + "\\First.lnk"));
  EXPECT_TRUE(FileExists(folder + "\\Second.lnk"));

  // The rollback deletes the items; Wine cannot tell a group's contents, so
  // the group itself stays and the rollback says so.
  bed.Changes.Undo(false);
  EXPECT_FALSE(FileExists(folder + "\\First.lnk"));
  EXPECT_FALSE(FileExists(folder + "\\Second.lnk"));
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Caption, "Uninstall");
  EXPECT_EQ(robot.Boxes[0].Text.substr(0, 40), "DDE: Error during request transaction (c");
  EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  {
    TDDE dde;
    TProgmanConversation conv(dde);
    conv.Send(ProgmanCommand("DeleteGroup", GroupName), true);
  }
  RemoveDirectoryA(folder.c_str());
}

// ---- INI and registry entries

TScriptRegEntry RegEntry(HKEY root, const std::string& subkey, const std::string& name, uint8_t type,
                         const std::string& data, uint8_t options) {
  TScriptRegEntry e;
  e.RootKey = static_cast<int32_t>(reinterpret_cast<LONG_PTR>(root));
  e.Subkey = subkey;
  e.ValueName = name;
  e.ValueType = type;
  std::copy(data.begin(), data.end(), e.ValueData.begin());
  e.RegOptions = options;
  return e;
}

TEST(IniAndRegistry, WrittenThenRolledBack) {
  TTestKey base("Entries");
  TInstallBed bed;
  const std::string ini = bed.App + "\\app.ini";
  WriteFileBytes(ini, "[Keep]\r\nold=1\r\n[Mixed]\r\nold=2\r\n");
  {
    HKEY k;
    RegCreateKeyExA(HKEY_CURRENT_USER, (base.Path() + "\\Old").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    RegSetValueExA(k, "there", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(k);
  }
  const std::string winIni = WindowsFolder() + "\\win.ini";
  const std::string winOwn = "tidy-Zaderuzo " + std::to_string(GetCurrentProcessId()) + ".ini";
  DeleteFileA((WindowsFolder() + "\\" + winOwn).c_str());
  const auto filesBefore = SnapshotFolder(bed.App);
  const auto winIniBefore = ReadFileBytes(winIni);
  const auto regBefore = SnapshotRegistry(HKEY_CURRENT_USER, base.Path());

  bed.Script.IniList = {
      {"{app}\\app.ini", "New", "k1", "{app}", 0x01},
      {"{app}\\app.ini", "New", "k2", "v2", 0x01},
      {"{app}\\app.ini", "Mixed", "k3", "v3", 0x01},
      {"{app}\\app.ini", "Whole", "k4", "v4", 0x02},
      {"{app}\\kept.ini", "Keep", "k5", "not logged", 0},
      {"", "tidy-Zaderuzo test", "k6", "v6", 0x01},
      // Entries over what was there: the rollback puts it back.
      {"{app}\\app.ini", "Mixed", "OLD", "changed", 0x02},
      {"{app}\\app.ini", "Keep", "old", "changed", 0x01},
      // A name without a folder is a file of the Windows folder, made here.
      {winOwn, "S", "k", "v", 0},
  };
  const std::string k = base.Path();
  bed.Script.RegistryList = {
      RegEntry(HKEY_CURRENT_USER, k + "\\Tree", "", rtNone, "", 0x02),
      RegEntry(HKEY_CURRENT_USER, k + "\\Tree\\Sub", "text", rtString, "{app}\\x", 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Values", "dword", rtDWord, "\x78\x56\x34\x12", 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Values", "binary", rtBinary, "\x03\0\0\0abc"s, 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Values", "empty", rtBinary, "\0\0\0\0zz"s, 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Old", "added", rtString, "y", 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\KeyOnly", "", rtNone, "", 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Kept", "v", rtString, "stays", 0),
      RegEntry(HKEY_CURRENT_USER, k + "\\Old", "there", rtDWord, "\x01\0\0\0"s, 0x01),
      RegEntry(HKEY_CURRENT_USER, k + "\\Old", "", rtNone, "", 0x02),
      RegEntry(HKEY_CURRENT_USER, k, "", rtString, "default", 0x02),
      // A type this Setup does not know writes no value, and logs none.
      RegEntry(HKEY_CURRENT_USER, k + "\\Odd", "odd", 7, "x", 0x01),
      // Three levels made at once, not logged: each goes again.
      RegEntry(HKEY_CURRENT_USER, k + "\\Deep\\Er\\Est", "v", rtString, "x", 0),
  };
  TRobot robot;
  WriteIniEntries(bed.Run);
  WriteRegistryEntries(bed.Run);
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(bed.Progress.Pos, 2000);

  char value[MAX_PATH] = "";
  GetPrivateProfileStringA("New", "k1", "", value, MAX_PATH, ini.c_str());
  EXPECT_EQ(std::string(value), bed.App);
  GetProfileStringA("tidy-Zaderuzo test", "k6", "", value, MAX_PATH);
  EXPECT_EQ(std::string(value), "v6");
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, k + "\\Tree\\Sub", "text", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, bed.App + "\\x" + '\0');
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, k + "\\Values", "dword", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, "\x78\x56\x34\x12");
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, k + "\\Values", "binary", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data, "abc");
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, k + "\\Values", "empty", type, data));
  EXPECT_EQ(data, "");
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, k + "\\KeyOnly"));
  EXPECT_TRUE(FileExists(WindowsFolder() + "\\" + winOwn));
  EXPECT_FALSE(RegValue(HKEY_CURRENT_USER, k + "\\Odd", "odd", type, data));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, k + "\\Odd"));

  std::vector<int> kinds;
  for (const TLogEntry& e : bed.Changes.Entries()) kinds.push_back(e.Kind);
  EXPECT_EQ(kinds, (std::vector<int>{lkIniEntry, lkIniEntry, lkIniEntry, lkIniSection, lkIniEntry, lkIniSection,
                                     lkIniEntry, lkRegKey, lkRegValue, lkRegValue, lkRegValue, lkRegValue,
                                     lkRegValue, lkRegKeyIfEmpty, lkRegValue, lkRegKey, lkRegKey,
                                     lkRegKeyIfEmpty}));
  // The log keeps its uninstall meaning; the rollback takes back every
  // write, logged or not, and nothing that was there before.
  EXPECT_TRUE(bed.Changes.Undo(false));
  EXPECT_EQ(SnapshotFolder(bed.App), filesBefore);
  EXPECT_EQ(ReadFileBytes(winIni), winIniBefore);
  EXPECT_FALSE(FileExists(WindowsFolder() + "\\" + winOwn));
  EXPECT_EQ(SnapshotRegistry(HKEY_CURRENT_USER, base.Path()), regBefore);
  EXPECT_TRUE(robot.Boxes.empty());
}

TEST(IniAndRegistry, FailuresAskAndAreNotLogged) {
  TTestKey base("Failures");
  TInstallBed bed;
  const std::string missing = bed.App + "\\no such folder\\a.ini";
  bed.Script.IniList = {{missing, "S", "k", "v", 0x01}};
  TScriptRegEntry badRoot = RegEntry(HKEY_CURRENT_USER, base.Path(), "v", rtString, "x", 0x01);
  badRoot.RootKey = 0x12345678;
  // An empty key would name the root key itself.
  const std::string rootValue = "tidy-Zaderuzo root value " + std::to_string(GetCurrentProcessId());
  bed.Script.RegistryList = {badRoot, RegEntry(HKEY_CURRENT_USER, "", rootValue, rtString, "x", 0x01),
                             RegEntry(HKEY_CURRENT_USER, base.Path(), "v", rtString, "x", 0x01)};
  TRobot robot;
  robot.Answers = {IDRETRY, IDIGNORE, IDRETRY, IDIGNORE, IDIGNORE};
  WriteIniEntries(bed.Run);
  WriteRegistryEntries(bed.Run);
  ASSERT_EQ(robot.Boxes.size(), 5u);
  const std::string iniText = "Error creating INI entry in file " + missing +
                              "\r\n\r\nClick Retry to try again, Ignore to skip this entry, or Abort to cancel "
                              "installation.";
  EXPECT_EQ(robot.Boxes[0].Text, iniText);
  EXPECT_EQ(robot.Boxes[1].Text, iniText);
  EXPECT_EQ(robot.Boxes[2].Text, "Error creating registry key: " + base.Path() +
                                     ".\r\n\r\nClick Retry to try again, Ignore to skip this entry, or Abort to "
                                     "cancel installation.");
  EXPECT_EQ(robot.Boxes[4].Text, "Error creating registry key: the entry names no key.\r\n\r\nClick Retry to try "
                                 "again, Ignore to skip this entry, or Abort to cancel installation.");
  DWORD type;
  std::string data;
  EXPECT_FALSE(RegValue(HKEY_CURRENT_USER, "", rootValue, type, data));
  for (const TShownBox& b : robot.Boxes) {
    EXPECT_EQ(b.Caption, "Error");
    EXPECT_EQ(b.Flags, kWarnRetry);
  }
  ASSERT_EQ(bed.Changes.Count(), 1u);  // only the second registry entry
  EXPECT_EQ(bed.Changes.Entries()[0].Kind, lkRegValue);

  robot.Answers = {IDABORT};
  EXPECT_THROW(WriteIniEntries(bed.Run), EAbort);
}

// ---- Rollback

TEST(Undo, RollbackOfFiles) {
  TInstallBed bed;
  auto file = [&](const std::string& name, const std::string& content) {
    WriteFileBytes(bed.App + "\\" + name, content);
    return bed.App + "\\" + name;
  };
  const std::string existed = file("existed.txt", "replaced by the install");
  const std::string pendingTemp = file("is000001.tmp", "waits for the restart");
  const std::string inUse = file("inuse.dll", "old");
  const std::string fresh = file("new.txt", "new");
  const std::string uninstallOnly = file("data.log", "made by the program");
  const std::string help = file("HELP.HLP", "help");
  file("HELP.GID", "gid");
  file("HELP.FTS", "fts");
  MakeDirs(bed.App + "\\full");
  file("full\\x", "x");
  MakeDirs(bed.App + "\\empty");
  bed.Changes.Add(lkFolder, {bed.App + "\\full"}, 0);
  bed.Changes.Add(lkFolder, {bed.App + "\\empty"}, 0);
  bed.Changes.Add(lkFile, {existed, ""}, lpExisted);
  bed.Changes.Add(lkFile, {inUse, pendingTemp}, lpExisted);
  bed.Changes.Add(lkFile, {fresh, ""}, 0);
  bed.Changes.Add(lkFile, {uninstallOnly, ""}, lpUninstallOnly);
  bed.Changes.Add(lkFile, {help, ""}, 0);
  bed.Changes.Add(40, {fresh}, 0);  // unknown kinds are skipped
  TRobot robot;
  EXPECT_FALSE(bed.Changes.Undo(false));  // the folder with a file stays
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_TRUE(bed.Changes.Empty());
  EXPECT_EQ(SnapshotFolder(bed.App),
            (std::map<std::string, std::string>{{"data.log", "made by the program"},
                                                {"existed.txt", "replaced by the install"},
                                                {"full\\", ""},
                                                {"full\\x", "x"},
                                                {"inuse.dll", "old"}}));
}

TEST(Undo, AFailingEntryDoesNotStopTheRest) {
  TInstallBed bed;
  WriteFileBytes(bed.App + "\\a.txt", "a");
  WriteFileBytes(bed.App + "\\b.txt", "b");
  int made = 0;
  auto previous = CreateDDEClient;
  CreateDDEClient = [&]() -> std::unique_ptr<TDDE> {
    ++made;
    throw Exception("DDE: Unable to initialize DDE (code: 16390)");
  };
  TRobot robot;
  // Without Program Manager entries no DDE client is made at all.
  bed.Changes.Add(lkFile, {bed.App + "\\a.txt", ""}, 0);
  EXPECT_TRUE(bed.Changes.Undo(false));
  EXPECT_EQ(made, 0);
  EXPECT_FALSE(FileExists(bed.App + "\\a.txt"));
  // With one, its failure is shown and the older entries are still undone.
  bed.Changes.Add(lkFile, {bed.App + "\\b.txt", ""}, 0);
  bed.Changes.Add(lkProgmanItem, {"Group", "Item"}, 0);
  EXPECT_FALSE(bed.Changes.Undo(false));
  EXPECT_EQ(made, 1);
  EXPECT_FALSE(FileExists(bed.App + "\\b.txt"));
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "DDE: Unable to initialize DDE (code: 16390).");
  EXPECT_EQ(robot.Boxes[0].Caption, "Uninstall");
  CreateDDEClient = previous;
}

TEST(Undo, AnEmptySubkeyNeverEmptiesARootKey) {
  TTestKey sentinel("Sentinel");
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sentinel.Path().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(k);
  TUndoChanges changes;
  const int32_t hkcu = static_cast<int32_t>(reinterpret_cast<LONG_PTR>(HKEY_CURRENT_USER));
  changes.Add(lkRegKey, {""}, hkcu);
  changes.Add(lkRegKeyIfEmpty, {""}, hkcu);
  TRobot robot;
  EXPECT_FALSE(changes.Undo(false));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, sentinel.Path()));
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST(SaveToFile, WritesTheLogAndRemovesAHalfWrittenOne) {
  TTempDir dir;
  TUndoChanges changes;
  changes.Title = "Program";
  changes.Common = 1;
  changes.Add(lkFolder, {"C:\\App"}, 0);
  changes.Add(lkRegValue, {"Software\\A", "v"}, static_cast<int32_t>(0x80000001));
  changes.SaveToFile(dir / "UNINST1.000");
  EXPECT_EQ(ReadFileBytes(dir / "UNINST1.000"), EncodeUninstallLog(changes));
  EXPECT_EQ(changes.Count(), 2u);  // saving keeps the entries

  for (int i = 0; i < 65535; ++i) changes.Add(lkFolder, {"x"}, 0);
  EXPECT_THROW(changes.SaveToFile(dir / "UNINST1.001"), Exception);
  EXPECT_FALSE(FileExists(dir / "UNINST1.001"));
  changes.Clear();
}

TEST(InstallFiles, CancelDuringTheCopyLeavesNoTemporaryFile) {
  TInstallBed bed;
  std::string big(300000, '\0');
  uint32_t seed = 12345;
  for (char& c : big) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
  bed.SetFiles({{"{app}\\big.bin", big}});
  bed.Progress.OnPoll = [&] {
    if (bed.Progress.Polls == 2) throw EAbort();
  };
  TRobot robot;
  EXPECT_THROW(InstallFiles(bed.Run), EAbort);
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_EQ(SnapshotFolder(bed.App), (std::map<std::string, std::string>{}));
}

}  // namespace
