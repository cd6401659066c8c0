// Calls into self-registering libraries, guarded: an exception raised
// inside the library comes back as a result instead of ending Setup.
#pragma once
#include <windows.h>

#include <string>

struct TLibraryCall {
  enum TStage { lcLoadFailed, lcNoEntry, lcCalled, lcException };
  TStage Stage = lcLoadFailed;
  HRESULT Result = 0;        // lcCalled: what the entry returned
  DWORD ExceptionCode = 0;   // lcException: the system exception code
  bool Succeeded() const { return Stage == lcCalled && Result >= 0; }
};

// Loads `path`, calls its entry `entry` (HRESULT, no arguments) and frees it.
TLibraryCall CallLibraryEntry(const std::string& path, const char* entry);
