// The change log of an install: undone newest first when the install
// fails, written as the uninstall log when it succeeds.
#pragma once
#include "UndoLog.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

// How a rollback puts back what was there before one change of the run.
// Kept in memory for the run only; the uninstall log never holds it.
struct TRestore {
  enum TKind : uint8_t {
    rsKeptFile,  // Path was replaced; Copy is the old file, kept beside it
    rsNewFile,   // Path did not exist; Registered: unregister it first
    rsTempFile,  // Path is a temporary file waiting for the restart
    rsNewKey,    // Root\Path was made by the run, with all below it
    rsRegValue,  // value Name of Root\Path; Existed with Type and Data
    rsIniValue,  // key Name of section Section in the INI file Path
  };
  TKind Kind = rsNewFile;
  std::string Path, Name, Section, Copy, Data;
  HKEY Root = nullptr;
  DWORD Type = 0;
  bool Existed = false;         // the value or INI key
  bool Registered = false;      // rsNewFile
  bool SectionExisted = false;  // rsIniValue
  bool FileExisted = false;     // rsIniValue
};

class TUndoChanges : public TChangeLog {
public:
  TUndoChanges() = default;
  ~TUndoChanges() { Clear(); }
  TUndoChanges(const TUndoChanges&) = delete;
  TUndoChanges& operator=(const TUndoChanges&) = delete;

  // Undoes and frees every entry, newest first: a rollback when not
  // interactive, an uninstall when interactive. A failing entry never stops
  // the others; the result is true when none failed. A rollback also
  // carries out the restores, each in its place among the entries.
  bool Undo(bool interactive);
  // How to take back the change just made, when the log alone cannot.
  void AddRestore(TRestore restore);
  // An entry for the uninstaller alone: the rollback leaves it to the
  // restores, since its uninstall meaning may remove what was there before.
  void AddForUninstall(uint8_t kind, std::initializer_list<std::string> texts, int32_t param);
  // The install went through: the kept copies of replaced files are
  // deleted and the log is cleared.
  void Commit();
  // Frees the entries and forgets the restores; kept copies stay on disk.
  void Clear();
  // Writes the uninstall log. A file left half-written by a failure is
  // removed before the error passes on.
  void SaveToFile(const std::string& fileName) const;

  const std::vector<std::pair<size_t, TRestore>>& Restores() const { return restores_; }

private:
  // Each restore with the number of entries logged before it.
  std::vector<std::pair<size_t, TRestore>> restores_;
  // Entries (by position) the rollback skips.
  std::set<size_t> uninstallOnly_;
};

// The value's type and data; false when it is not there.
bool ReadRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type, std::string& data);

// The SharedDLLs key of the shared-file counts.
extern const char kSharedDllsKey[];
// One user less of a shared file; true when the file may go (its count
// is gone). Raises when the SharedDLLs key cannot be opened.
bool ReleaseSharedFileRef(const std::string& path);
// Calls the library's DllUnregisterServer; false when that fails.
bool UnregisterLibrary(const std::string& path);
// Deletes the file (and the ".GID" and ".FTS" of a help file); false when
// the file is there and cannot be deleted.
bool DeleteInstalledFile(const std::string& path, bool notify);
// No keys left in the section ("" = WIN.INI).
bool IsIniSectionEmpty(const std::string& section, const std::string& file);
// A root key of the registry from its value in a script or log.
HKEY RootKeyHandle(int32_t value);
