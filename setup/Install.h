// The install operations the install run calls: the files with their
// overwrite rules, the program icons, the INI and the registry entries.
// Each logs its changes in the run's change log before the next change.
#pragma once
#include "ScriptFormat.h"
#include "Undo.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// What the steps report to the install window.
class IInstallProgress {
public:
  virtual ~IInstallProgress() = default;
  // The progress bar, in the units of its maximum; setting repaints it.
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t position) = 0;
  void Advance(int64_t by) { SetPosition(Position() + by); }
  // The step being done and the file being installed, shown at once.
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void ShowFilename(const std::string& path) = 0;
  // Raises the silent abort when the user asked to stop; lets pending
  // messages run.
  virtual void PollCancel() = 0;
  // The common-controls update program has been installed.
  virtual void MarkUpdateInstalled() = 0;
};

// The uninstall slot of the run: "UNINST" + one character + "." + the
// three-digit slot number in the application folder. Made by joining, so a
// folder name is never read as a format.
class TLogNamePattern {
public:
  TLogNamePattern() = default;
  TLogNamePattern(const std::string& folder, int slot);
  bool Empty() const { return folder_.empty(); }
  // With '0' the reserved file, with '1' the uninstall log.
  std::string Name(char which) const;
  // Any one character in place of the digit, for FindFirstFile.
  std::string Wildcard() const { return Name('?'); }

private:
  std::string folder_, slot_;
};

// One install run: the script, its change log and its window.
struct TInstallRun {
  const TSetupScript& Script;
  TUndoChanges& Changes;
  IInstallProgress& Progress;
  TLogNamePattern LogNamePattern;  // empty without uninstall support
};

// The steps of an install run, in their fixed order, up to the written
// uninstall log. Raises on any failure; the caller rolls back.
void PerformInstall(TInstallRun& run);
// The folder and every missing folder above it; raises "Setup was unable to
// create the Folder - ..." when one cannot be made.
void ForceFolders(const std::string& path);
// {app} and the script's folders, each logged.
void CreateScriptFolders(TInstallRun& run);
// Takes the first free uninstall slot in {app} and makes its reserved file.
void ReserveLogName(TInstallRun& run);
// The uninstall registration (Windows 4 or later).
void AddUninstallRegistryKey(TInstallRun& run);
// The paths the uninstaller deletes, logged for it alone.
void LogUninstallDeletes(TInstallRun& run);

// Installs every file of the script, in script order.
void InstallFiles(TInstallRun& run);
// The program icons: shell links in the group folder, or a Program Manager
// group where the system has no Programs folder.
void MakeProgramIcons(TInstallRun& run);
void WriteIniEntries(TInstallRun& run);
void WriteRegistryEntries(TInstallRun& run);

// The fixed version record of the file's version resource; false when it
// has none. `version` is dwFileVersionMS << 32 | dwFileVersionLS.
bool ReadFixedFileVersion(const std::string& path, uint64_t& version);
// The last-write time of a file (not a folder); false with 0 otherwise.
bool ReadLastWriteTime(const std::string& path, uint64_t& time);
// Replaces `destination` by `temporary` at the next restart: by the
// system's pending renames on NT, by WININIT.INI's [rename] otherwise.
// Sets RestartNeeded; raises on failure.
void ReplaceAtReboot(const std::string& temporary, const std::string& destination);
// Calls the library's DllRegisterServer; a failure is offered for Abort
// (the silent abort), Retry or Ignore.
void RegisterLibrary(const std::string& path);
// One more user of a shared file under SharedDLLs.
void AddSharedFileRef(const std::string& path, bool existed);
// What the file step calls to raise a shared count (a test stands in one
// that fails).
extern std::function<void(const std::string& path, bool existed)> RaiseSharedFileCount;
// Creates the shell link; raises when it cannot be made or saved.
void MakeShortcutFile(const std::string& shortcut, const std::string& description, const std::string& target,
                      const std::string& parameters, const std::string& workingDir, const std::string& iconFile,
                      int32_t iconIndex);
