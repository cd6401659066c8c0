// An archive behind a stub, as the stubs' windows and console drive it:
// its files, the questions before writing, and the writing itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "StubKit.h"

struct TListedFile {
  std::string Path;  // below the folder, with backslashes
  uint64_t Size = 0;
  uint16_t DosDate = 0, DosTime = 0;
  bool Folder = false;
};

// Told about each file; Step returns false once the user cancelled.
class IProgress {
public:
  virtual ~IProgress() = default;
  virtual void BeginFile(const TListedFile& f) = 0;
  virtual bool Step(uint64_t bytesOfFile) = 0;
};

// What a job may ask the user before it writes.
class IAsk {
public:
  virtual ~IAsk() = default;
  // False when the user gave up.
  virtual bool Password(std::string& password) = 0;
  virtual void WrongPassword() = 0;
};

enum class TJobResult { Done, Stopped, Damaged, WriteFailed };

class IExtractJob {
public:
  virtual ~IExtractJob() = default;
  virtual const std::vector<TListedFile>& Files() const = 0;
  // Asks what must be known before anything is written; false when the
  // user gave up.
  virtual bool Prepare(const std::vector<bool>& /*chosen*/, IAsk& /*ask*/) { return true; }
  // Writes the chosen files into `space`. On Damaged or WriteFailed,
  // `failed` names the file and `encrypted` tells whether it was.
  virtual TJobResult Extract(const std::vector<bool>& chosen, TWriteSpace& space, IProgress& progress,
                             std::string& failed, bool& encrypted) = 0;
};
