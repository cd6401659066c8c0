// The install run's own steps and their order.
#include "CmnFunc2.h"
#include "Files.h"
#include "Install.h"
#include "Main.h"
#include "StrFmt.h"

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// An open registry key, closed with the object.
struct TKey {
  HKEY Handle = nullptr;
  ~TKey() {
    if (Handle) RegCloseKey(Handle);
  }
};

bool WriteString(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

void ForceFolders(const std::string& folder) {
  const std::string path = TrimTrailingBackslash(folder);
  if (path.size() <= 2 || FolderExists(path)) return;
  const std::string parent = ExtractFilePath(path);
  if (TrimTrailingBackslash(parent) == path) return;
  ForceFolders(parent);
  if (!CreateDirectoryA(path.c_str(), nullptr))
    throw Exception(Format("Setup was unable to create the Folder - %s", path.c_str()));
}

void CreateScriptFolders(TInstallRun& run) {
  ForceFolders(DestFolder);
  run.Changes.Add(lkFolder, {DestFolder}, 0);
  for (const TScriptFolder& f : run.Script.FolderList) {
    std::string path = ExpandDirConstants(f.DirName);
    ForceFolders(path);
    run.Changes.Add(lkFolder, {path}, 0);
  }
}

void ReserveLogName(TInstallRun& run) {
  for (int slot = 0; slot <= 999; ++slot) {
    TLogNamePattern pattern(DestFolder, slot);
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(pattern.Wildcard().c_str(), &data);
    if (found != INVALID_HANDLE_VALUE) {
      FindClose(found);
      continue;
    }
    run.LogNamePattern = pattern;
    const std::string reserved = pattern.Name('0');
    HANDLE h = CreateFileA(reserved.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EInOutError(GetLastError(), reserved);
    CloseHandle(h);
    run.Changes.Add(lkFile, {reserved, ""}, 0);
    return;
  }
  throw Exception("Unable to create a file in the destination directory because it contains too many files");
}

void AddUninstallRegistryKey(TInstallRun& run) {
  if (!IsWindows4OrLater()) return;
  TKey uninstall;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE,
                      nullptr, &uninstall.Handle, nullptr) != ERROR_SUCCESS)
    return;
  const std::string& verName = run.Script.ScriptHeader.ProgramVerName;
  for (int n = 1;; ++n) {
    const std::string name = Format("%s_is%d", verName.c_str(), n);
    TKey existing;
    if (RegOpenKeyExA(uninstall.Handle, name.c_str(), 0, KEY_QUERY_VALUE, &existing.Handle) == ERROR_SUCCESS)
      continue;
    const std::string full = std::string(kUninstallKey) + "\\" + name;
    TKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key.Handle, nullptr) != ERROR_SUCCESS)
      throw Exception(Format("Error creating registry key: %s", full.c_str()));
    // Logged at once: a failed write below still rolls the key back.
    run.Changes.Add(lkRegKey, {full}, static_cast<int32_t>(reinterpret_cast<LONG_PTR>(HKEY_LOCAL_MACHINE)));
    const std::string command =
        Format("\"%s\" /U \"%s\" \"%s\"", (AddTrailingBackslash(WindowsFolderPath) + "Uninstal.exe").c_str(),
               run.LogNamePattern.Name('0').c_str(), run.LogNamePattern.Name('1').c_str());
    if (!WriteString(key.Handle, "DisplayName", verName) || !WriteString(key.Handle, "UninstallString", command))
      throw Exception(Format("Error writing to registry key: %s", full.c_str()));
    return;
  }
}

void LogUninstallDeletes(TInstallRun& run) {
  for (const TScriptUninstallDelete& d : run.Script.UninstallDeleteList)
    run.Changes.Add(lkFile, {ExpandDirConstants(d.DeleteName), ""}, lpUninstallOnly);
}

void PerformInstall(TInstallRun& run) {
  const TSetupScript& script = run.Script;
  const bool uninstallable = (script.ScriptHeader.HeaderOptions & hoUninstallable) != 0;
  run.Progress.ShowStatus("Creating Folders...");
  CreateScriptFolders(run);
  if (uninstallable) {
    ReserveLogName(run);
    AddUninstallRegistryKey(run);
  }
  run.Progress.ShowStatus("Copying Program files...");
  InstallFiles(run);
  run.Progress.ShowFilename("");
  run.Progress.PollCancel();
  if (!SkipIcons && IconsWanted) {
    run.Progress.ShowStatus("Creating Program icons...");
    MakeProgramIcons(run);
    run.Progress.PollCancel();
  }
  if (!script.IniList.empty()) {
    run.Progress.ShowStatus("Creating INI entries...");
    WriteIniEntries(run);
    run.Progress.PollCancel();
  }
  if (!script.RegistryList.empty()) {
    run.Progress.ShowStatus("Creating registry entries...");
    WriteRegistryEntries(run);
    run.Progress.PollCancel();
  }
  LogUninstallDeletes(run);
  run.Progress.PollCancel();
  if (uninstallable) {
    run.Progress.ShowStatus("Creating Uninstall information...");
    run.Changes.SaveToFile(run.LogNamePattern.Name('1'));
  }
}
