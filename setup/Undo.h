// The change log of an install: undone newest first when the install
// fails, written as the uninstall log when it succeeds.
#pragma once
#include "UndoLog.h"

#include <windows.h>

#include <string>

class TUndoChanges : public TChangeLog {
public:
  TUndoChanges() = default;
  ~TUndoChanges() { Clear(); }
  TUndoChanges(const TUndoChanges&) = delete;
  TUndoChanges& operator=(const TUndoChanges&) = delete;

  // Undoes and frees every entry, newest first: a rollback when not
  // interactive, an uninstall when interactive. A failing entry never stops
  // the others; the result is true when none failed.
  bool Undo(bool interactive);
  // Writes the uninstall log. A file left half-written by a failure is
  // removed before the error passes on.
  void SaveToFile(const std::string& fileName) const;
};

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
