// Small helpers the folder and file views share: path texts, folder tests
// and the guards their long steps run under.
#pragma once
#include <windows.h>

#include <string>

#include "Controls.h"

namespace ViewSupport {
std::string UpperText(std::string s);
std::string LowerText(std::string s);
// ASCII letters compared without case.
bool SameText(const std::string& a, const std::string& b);
std::string WithBackslash(std::string path);     // "" stays ""
std::string WithoutBackslash(std::string path);  // one trailing "\" goes
// Whether a folder (or drive root) of that name exists.
bool FolderExists(const std::string& path);
// The process's current directory; "" when it cannot be read.
std::string CurrentDirectory();

// The screen's cursor for the life of a scope, the old one back after.
class TWaitCursor {
public:
  explicit TWaitCursor(TCursor cursor = TCursor::crHourGlass);
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
  TCursor old_;
};

// No system error boxes (an empty floppy drive) while it lives.
class TErrorModeGuard {
public:
  TErrorModeGuard() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~TErrorModeGuard() { SetErrorMode(old_); }
  TErrorModeGuard(const TErrorModeGuard&) = delete;
  TErrorModeGuard& operator=(const TErrorModeGuard&) = delete;

private:
  UINT old_;
};
}  // namespace ViewSupport
