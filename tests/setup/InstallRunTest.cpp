// The install run end to end under Wine: a script written by the test
// fixtures, loaded as Setup loads it, installed through the wizard and the
// install window under the robot's answers; and its rollback after a
// failure at every logged change. Built twice: the second program runs as a
// Windows 98 family system.
#include "CmnFunc2.h"
#include "InstallBed.h"
#include "InstallForm.h"
#include "InstallRules.h"
#include "Main.h"
#include "MainForm.h"
#include "Robot.h"
#include "SelFolderForm.h"
#include "Wizard.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const int32_t kHKLM = static_cast<int32_t>(0x80000002), kHKCU = static_cast<int32_t>(0x80000001);

std::string Tag() { return std::to_string(GetCurrentProcessId()); }

TScriptRegEntry RegEntry(const std::string& subkey, const std::string& name, uint8_t type, const std::string& data,
                         uint8_t options) {
  TScriptRegEntry e;
  e.RootKey = kHKCU;
  e.Subkey = subkey;
  e.ValueName = name;
  e.ValueType = type;
  std::copy(data.begin(), data.end(), e.ValueData.begin());
  e.RegOptions = options;
  return e;
}

// A script with every kind of entry, written as SETUP.0 and SETUP.1 into
// {src}, and what installing it must leave.
struct TSampleSetup {
  TTempDir Root;
  std::string Src = Root / "src";
  std::string App = Root / "A %s%d";  // a folder name that is no format
  std::string VerName = "Sample Program 1.0 (" + Tag() + ")";
  std::string Group = "tidy-Zaderuzo Sample " + Tag();
  std::string RegKey = "Software\\tidy-Zaderuzo tests\\Sample" + Tag();
  std::vector<fixture::TDataFileSpec> Specs;
  TSetupScript Script;

  explicit TSampleSetup(bool uninstallable = true) {
    MakeDirs(Src);
    TScriptHeader& h = Script.ScriptHeader;
    h.ProgramName = "Sample Program";
    h.ProgramVerName = VerName;
    h.DefaultDirName = "Sample";
    h.DefaultGroupName = Group;
    h.MinWinMajor = h.MinNTMajor = 4;
    h.BackColor = 0xFF0000;
    h.HeaderOptions = uninstallable ? hoUninstallable : 0;
    Script.LicenseText = "The terms.";
    Script.FolderList = {{"{app}\\Data"}, {"{app}\\Data\\Logs"}};
    Specs = {{"program", ""},
             {"read me", ""},
             {ReadFileBytes(TestBinary("SetupRegDll.dll")), ""},
             {"shared", ""},
             {"never uninstalled", ""},
             {"uninstaller's copy", ""},
             {"new old", ""}};
    fixture::TDataSet set = fixture::BuildDataSet(Specs, {});
    const char* names[] = {"{app}\\Program.exe", "{app}\\Readme.txt", "{app}\\Lib.dll", "{app}\\Shared.dll",
                           "{app}\\Never.txt",  "",                   "{app}\\Data\\Old.txt"};
    const uint8_t options[] = {0, foIsReadme, foRegisterServer, foSharedFile, foNeverUninstall, foUninstallLogName, 0};
    for (size_t i = 0; i < set.Files.size(); ++i) {
      set.Files[i].DestName = names[i];
      set.Files[i].FileOptions = options[i];
    }
    set.Files[6].OverwriteMode = omNoVersionCheck;
    Script.FileList = set.Files;
    Script.LocationList = set.Locations;
    WriteFileBytes(Src + "\\SETUP.1", set.Disks.at(0));
    Script.IconList = {{"Sample Program", "{app}\\Program.exe", "/run", "{app}", "{app}\\Program.exe", 0},
                       {"Readme", "{app}\\Readme.txt", "", "", "", 0}};
    Script.IniList = {{"{app}\\Sample.ini", "Settings", "Path", "{app}", 0x01},
                      {"{app}\\Sample.ini", "Whole", "Key", "v", 0x02}};
    Script.RegistryList = {RegEntry(RegKey, "Path", rtString, "{app}", 0x01),
                           RegEntry(RegKey, "Count", rtDWord, "\x07\0\0\0"s, 0x01),
                           RegEntry(RegKey + "\\Tree", "", rtNone, "", 0x02),
                           RegEntry(RegKey + "\\Tree", "Bin", rtBinary, "\x02\0\0\0ab"s, 0)};
    Script.UninstallDeleteList = {{"{app}\\Data\\Logs\\run.log"}};
    Script.RunList = {{"{app}\\Program.exe", "/after", 0x01}};
    fixture::TScriptFixture f;
    f.Script = Script;
    f.Compressed = true;
    WriteFileBytes(Src + "\\SETUP.0", f.Build());
    // A file of an earlier version that the install overwrites.
    MakeDirs(App + "\\Data");
    WriteFileBytes(App + "\\Data\\Old.txt", "old");
  }

  ~TSampleSetup() {
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, RegKey);
    DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, UninstallSubkey(1));
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Software\\tidy-Zaderuzo tests\\RegDll");
    HKEY shared;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_SET_VALUE, &shared) == ERROR_SUCCESS) {
      RegDeleteValueA(shared, (App + "\\Shared.dll").c_str());
      RegCloseKey(shared);
    }
    std::string group = GroupFolder();
    for (const char* link : {"\\Sample Program.lnk", "\\Readme.lnk"}) DeleteFileA((group + link).c_str());
    RemoveDirectoryA(group.c_str());
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetCurrentDirectoryA(temp);
  }

  std::string UninstallSubkey(int n) const { return kUninstallKey + "\\" + VerName + "_is" + std::to_string(n); }
  std::string ProgramsFolder() const { return TrimTrailingBackslash(ProgramsMenuFolder(IsAdmin, false)); }
  std::string GroupFolder() const { return ProgramsFolder() + "\\" + Group; }

  // Loads the script as Setup does at start-up.
  bool Load(TSetupScript& loaded) {
    TStartupEnvironment env = RealStartupEnvironment();
    env.Args.clear();
    env.ProgramFolder = Src;
    return StartSetup(env, loaded);
  }

  // The uninstall log the install must write.
  std::string ExpectedLog() const {
    TChangeLog log;
    log.Title = "Sample Program";
    log.Common = IsAdmin ? 1 : 0;
    log.Add(lkFolder, {App}, 0);
    log.Add(lkFolder, {App + "\\Data"}, 0);
    log.Add(lkFolder, {App + "\\Data\\Logs"}, 0);
    log.Add(lkFile, {App + "\\UNINST0.000", ""}, 0);
    log.Add(lkRegKey, {UninstallSubkey(1)}, kHKLM);
    log.Add(lkFile, {App + "\\Program.exe", ""}, 0);
    log.Add(lkFile, {App + "\\Readme.txt", ""}, 0);
    log.Add(lkFile, {App + "\\Lib.dll", ""}, lpRegistered);
    log.Add(lkFile, {App + "\\Shared.dll", ""}, lpShared);
    log.Add(lkFile, {App + "\\Data\\Old.txt", ""}, lpExisted);
    log.Add(lkShellNotify, {ProgramsFolder()}, 0x1000);
    log.Add(lkFolder, {GroupFolder()}, lpNotifyRemove);
    log.Add(lkFile, {GroupFolder() + "\\Sample Program.lnk"}, lpNotifyDelete);
    log.Add(lkFile, {GroupFolder() + "\\Readme.lnk"}, lpNotifyDelete);
    log.Add(lkIniEntry, {App + "\\Sample.ini", "Settings", "Path"}, 0);
    log.Add(lkIniSection, {App + "\\Sample.ini", "Whole"}, 0);
    log.Add(lkRegValue, {RegKey, "Path"}, kHKCU);
    log.Add(lkRegValue, {RegKey, "Count"}, kHKCU);
    log.Add(lkRegKey, {RegKey + "\\Tree"}, kHKCU);
    log.Add(lkFile, {App + "\\Data\\Logs\\run.log", ""}, lpUninstallOnly);
    return EncodeUninstallLog(log);
  }

  // Everything the install may touch.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> all;
    for (auto& [k, v] : SnapshotFolder(App)) all["app:" + k] = v;
    for (auto& [k, v] : SnapshotFolder(GroupFolder())) all["group:" + k] = v;
    all["group folder"] = DirExists(GroupFolder()) ? "yes" : "no";
    for (auto& [k, v] : SnapshotRegistry(HKEY_CURRENT_USER, RegKey)) all["hkcu:" + k] = v;
    for (auto& [k, v] : SnapshotRegistry(HKEY_LOCAL_MACHINE, UninstallSubkey(1))) all["hklm:" + k] = v;
    for (auto& [k, v] : SnapshotRegistry(HKEY_CURRENT_USER, "Software\\tidy-Zaderuzo tests\\RegDll")) all["reg:" + k] = v;
    DWORD type;
    std::string data;
    all["shared count"] = RegValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, App + "\\Shared.dll", type, data) ? data : "";
    return all;
  }
};

// What differs between two snapshots, by name.
std::vector<std::string> Differences(const std::map<std::string, std::string>& before,
                                     const std::map<std::string, std::string>& after) {
  std::vector<std::string> out;
  for (const auto& [k, v] : before) {
    auto it = after.find(k);
    if (it == after.end()) out.push_back("gone: " + k);
    else if (it->second != v) out.push_back("changed: " + k);
  }
  for (const auto& [k, v] : after)
    if (!before.count(k)) out.push_back("new: " + k);
  return out;
}

// Keeps the program-wide values a run sets, and the factories.
struct TRunState {
  TRunState() {
    FirstActivationDone = false;
    RestartChosen = false;
    ReadmeFileName.clear();
    Application().SetTitle("Setup");
  }
  ~TRunState() {
    CreateWizardWindow = CreateWizardForm;
    CreateInstallWindow = CreateInstallForm;
    Application().ResetTerminated();
    FirstActivationDone = false;
    DestFolder.clear();
    GroupName.clear();
    SkipIcons = false;
    RestartNeeded = false;
  }
};

// The sample script loaded as Setup loads it, under a background window,
// with the install aimed at the sample's folder and group.
struct TLoadedRun {
  TRunState State;
  TSampleSetup Sample;
  TSetupScript Script;
  TRobot Robot;
  bool Loaded;
  TMainForm Main;
  explicit TLoadedRun(bool uninstallable = true)
      : Sample(uninstallable), Loaded(Sample.Load(Script)), Main(&Application(), Script) {
    DestFolder = Sample.App;
    GroupName = Sample.Group;
  }
};

TEST(InstallRun, EndToEndThroughTheWizard) {
#ifdef TZ_WIN9X
  EXPECT_FALSE(IsNTPlatform());
#else
  EXPECT_TRUE(IsNTPlatform());
#endif
  TRunState state;
  TSampleSetup sample;
  TSetupScript script;
  TRobot robot;
  ASSERT_TRUE(sample.Load(script));
  EXPECT_TRUE(robot.Boxes.empty());
  auto* main = new TMainForm(&Application(), script);
  Application().SetMainForm(main);
  auto* chooser = new TChooseDirForm(&Application());

  SendMessageA(main->Handle(), NextStepMessage, 0, 0);  // the first activation's step
  auto* wizard = dynamic_cast<TWizardForm*>(main->WizardForm());
  ASSERT_NE(wizard, nullptr);
  EXPECT_EQ(wizard->PageIndex, 0);
  wizard->NextButton->Click();
  EXPECT_EQ(wizard->PageIndex, 1);  // the license: Yes
  wizard->NextButton->Click();
  EXPECT_EQ(wizard->PageIndex, 3);
  wizard->DirEdit->SetText(sample.App);
  wizard->NextButton->Click();
  EXPECT_EQ(wizard->PageIndex, 4);
  wizard->NextButton->Click();
  EXPECT_EQ(wizard->PageIndex, 5);
  wizard->NextButton->Click();  // the install runs in the next step
  Application().ProcessMessages();
  ASSERT_EQ(main->StepIndex, 3);
  EXPECT_TRUE(robot.Boxes.empty());
  EXPECT_FALSE(Application().Terminated());

  // Files, the reserved file and the registration.
  const std::string app = sample.App;
  for (size_t i : {0u, 1u, 3u, 4u}) {
    const char* names[] = {"Program.exe", "Readme.txt", "", "Shared.dll", "Never.txt"};
    EXPECT_EQ(ReadFileBytes(app + "\\" + names[i]), sample.Specs[i].Content) << names[i];
  }
  EXPECT_EQ(ReadFileBytes(app + "\\UNINST0.000"), "uninstaller's copy");
  EXPECT_EQ(ReadFileBytes(app + "\\Data\\Old.txt"), "new old");
  DWORD type;
  std::string data;
  EXPECT_TRUE(RegValue(HKEY_CURRENT_USER, "Software\\tidy-Zaderuzo tests\\RegDll", "Registered", type, data));
  ASSERT_TRUE(RegValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, app + "\\Shared.dll", type, data));
  EXPECT_EQ(data, "\x01\0\0\0"s);
  // Links, INI and registry entries.
  EXPECT_TRUE(FileExists(sample.GroupFolder() + "\\Sample Program.lnk"));
  EXPECT_TRUE(FileExists(sample.GroupFolder() + "\\Readme.lnk"));
  char value[MAX_PATH] = "";
  GetPrivateProfileStringA("Settings", "Path", "", value, MAX_PATH, (app + "\\Sample.ini").c_str());
  EXPECT_EQ(std::string(value), app);
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, sample.RegKey, "Path", type, data));
  EXPECT_EQ(data, app + '\0');
  ASSERT_TRUE(RegValue(HKEY_CURRENT_USER, sample.RegKey + "\\Tree", "Bin", type, data));
  EXPECT_EQ(data, "ab");
  // The uninstall log and registration.
  EXPECT_EQ(ReadFileBytes(app + "\\UNINST1.000"), sample.ExpectedLog());
  ASSERT_TRUE(RegValue(HKEY_LOCAL_MACHINE, sample.UninstallSubkey(1), "DisplayName", type, data));
  EXPECT_EQ(data, sample.VerName + '\0');
  ASSERT_TRUE(RegValue(HKEY_LOCAL_MACHINE, sample.UninstallSubkey(1), "UninstallString", type, data));
  EXPECT_EQ(data, "\"" + AddTrailingBackslash(WindowsFolder()) + "Uninstal.exe\" /U \"" + app + "\\UNINST0.000\" \"" +
                      app + "\\UNINST1.000\"" + '\0');
  // The run entry, quoted for its space; the finish page offers the readme.
  EXPECT_EQ(robot.Programs, std::vector<std::string>{"\"" + app + "\\Program.exe\" /after"});
  EXPECT_EQ(wizard->PageIndex, 7);
  EXPECT_TRUE(wizard->Visible());
  EXPECT_TRUE(wizard->ShowReadmeCheck->Visible());
  EXPECT_FALSE(wizard->InstCheck->Visible());

  wizard->NextButton->Click();  // Finish
  Application().ProcessMessages();
  EXPECT_EQ(robot.ShellCalls, std::vector<std::string>{"|" + app + "\\Readme.txt|"});
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(robot.Boxes.empty());
  delete chooser;
  delete main;
  delete wizard;
}

// What the sample finds already there: a key and a value under its
// registry key, values in the key its entries delete as a whole, INI keys
// in its sections, and files of the names it installs.
void PlantExisting(const TSampleSetup& sample) {
  auto setValue = [](const std::string& key, const char* name, const std::string& data) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    RegCloseKey(k);
  };
  setValue(sample.RegKey + "\\Existing", "mine", "the user's");
  setValue(sample.RegKey, "Path", "the user's path");
  setValue(sample.RegKey + "\\Tree", "Bin", "the user's text");
  WriteFileBytes(sample.App + "\\Sample.ini", "[Settings]\r\nPath=C:\\Old\r\nOther=1\r\n[Whole]\r\nMine=2\r\n");
  WriteFileBytes(sample.App + "\\Shared.dll", "the user's shared library");
  WriteFileBytes(sample.App + "\\Readme.txt", "the user's notes");
}

TEST(InstallRun, RollbackAfterAFailureAtEveryChange) {
  for (bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "over what was there" : "on a clean machine");
    TLoadedRun run;
    ASSERT_TRUE(run.Loaded);
    if (existing) PlantExisting(run.Sample);
    const auto before = run.Sample.Snapshot();
    size_t k = 1;
    for (;; ++k) {
      SCOPED_TRACE("failing after change " + std::to_string(k));
      TInstallForm form(&Application(), run.Main);
      form.Changes.OnAdd = [k](size_t count) {
        if (count == k) throw EAbort();
      };
      form.RunInstall();
      if (!Application().Terminated()) {
        // Past the last change: the install went through.
        EXPECT_TRUE(form.Finished);
        EXPECT_EQ(form.Position(), InstallProgressMaximum(run.Script));
        break;
      }
      Application().ResetTerminated();
      EXPECT_FALSE(form.Finished);
      EXPECT_TRUE(form.Changes.Empty());
      EXPECT_TRUE(form.Changes.Restores().empty());
      // Only the never-uninstalled file stays.
      auto after = run.Sample.Snapshot();
      after.erase("app:Never.txt");
      EXPECT_EQ(Differences(before, after), std::vector<std::string>{});
      ASSERT_LT(k, 40u);
    }
    EXPECT_EQ(k, 21u);  // 20 changes logged, then the log is written
    EXPECT_TRUE(run.Robot.Boxes.empty());
    // The install that went through left no kept copies.
    for (const auto& [name, content] : SnapshotFolder(run.Sample.App))
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

TEST(InstallRun, CancelDuringTheCopyRollsBackSilently) {
  TLoadedRun run;
  ASSERT_TRUE(run.Loaded);
  const auto before = run.Sample.Snapshot();
  TInstallForm form(&Application(), run.Main);
  // The user asks to leave just before the copy begins, and confirms: the
  // first poll comes after the first block of the first file is read.
  run.Robot.Answers = {IDYES};
  form.Changes.OnAdd = [&](size_t count) {
    if (count == 4) PostMessageA(form.CancelButton->Handle(), BM_CLICK, 0, 0);  // the reserved file
  };
  form.Show();
  form.RunInstall();
  EXPECT_TRUE(Application().Terminated());
  ASSERT_EQ(run.Robot.Boxes.size(), 1u);
  EXPECT_EQ(run.Robot.Boxes[0].Caption, "Exit Setup");
  EXPECT_TRUE(form.CancelRequested);
  EXPECT_EQ(Differences(before, run.Sample.Snapshot()), std::vector<std::string>{});
}

TEST(InstallRun, AFailureIsShownThenRolledBack) {
  TLoadedRun run;
  ASSERT_TRUE(run.Loaded);
  WriteFileBytes(run.Sample.Root / "file", "a file, not a folder");
  DestFolder = run.Sample.Root / "file\\App";
  TInstallForm form(&Application(), run.Main);
  form.RunInstall();
  EXPECT_TRUE(Application().Terminated());
  ASSERT_EQ(run.Robot.Boxes.size(), 2u);
  EXPECT_EQ(run.Robot.Boxes[0].Text, "Setup was unable to create the Folder - " + run.Sample.Root / "file");
  EXPECT_EQ(run.Robot.Boxes[0].Caption, "Setup");
  EXPECT_EQ(run.Robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(run.Robot.Boxes[1].Text, "Setup was not complete.\r\n\r\nPlease correct the problem and run Setup again.");
  EXPECT_EQ(run.Robot.Boxes[1].Caption, "Error");
  EXPECT_EQ(run.Robot.Boxes[1].Flags, static_cast<UINT>(MB_OK | MB_ICONHAND));
}

TEST(InstallRun, UninstallSlotAndRegistrationNumbers) {
  TInstallBed bed;
  bed.Script.ScriptHeader.ProgramVerName = "Slot Test " + Tag();
  // Any one-character variant of slot 000 takes it.
  WriteFileBytes(bed.App + "\\UNINSTx.000", "");
  ReserveLogName(bed.Run);
  EXPECT_EQ(bed.Run.LogNamePattern.Name('0'), bed.App + "\\UNINST0.001");
  EXPECT_TRUE(FileExists(bed.App + "\\UNINST0.001"));
  ASSERT_EQ(bed.Changes.Count(), 1u);
  EXPECT_EQ(bed.Changes.Entries()[0].Data, bed.App + "\\UNINST0.001\0\0"s);

  if (IsWindows4OrLater()) {
    const std::string base = kUninstallKey + "\\Slot Test " + Tag() + "_is";
    AddUninstallRegistryKey(bed.Run);
    AddUninstallRegistryKey(bed.Run);
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, base + "1"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, base + "2"));
    ASSERT_EQ(bed.Changes.Count(), 3u);
    EXPECT_EQ(bed.Changes.Entries()[2].GetEntryString(0), base + "2");
    EXPECT_EQ(bed.Changes.Entries()[2].Param, kHKLM);
    bed.Changes.Undo(false);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, base + "1"));
    EXPECT_FALSE(FileExists(bed.App + "\\UNINST0.001"));
  }

  // All 1000 slots taken.
  for (int i = 0; i < 1000; ++i) WriteFileBytes(bed.App + "\\UNINST1." + (i < 10 ? "00" : i < 100 ? "0" : "") +
                                                    std::to_string(i), "");
  try {
    ReserveLogName(bed.Run);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to create a file in the destination directory because it contains too many files");
  }
}

TEST(InstallRun, WithoutUninstallSupport) {
  TLoadedRun run(false);
  ASSERT_TRUE(run.Loaded);
  TInstallForm form(&Application(), run.Main);
  form.RunInstall();
  EXPECT_TRUE(form.Finished);
  EXPECT_TRUE(run.Robot.Boxes.empty());
  for (const auto& [name, content] : SnapshotFolder(run.Sample.App)) EXPECT_EQ(name.find("UNINST"), std::string::npos);
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, run.Sample.UninstallSubkey(1)));
  EXPECT_TRUE(FileExists(run.Sample.App + "\\Program.exe"));
}

}  // namespace
