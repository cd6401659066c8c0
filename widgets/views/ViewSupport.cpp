#include "ViewSupport.h"

#include <algorithm>
#include <cctype>

#include "Forms.h"

namespace ViewSupport {

std::string UpperText(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string LowerText(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool SameText(const std::string& a, const std::string& b) { return UpperText(a) == UpperText(b); }

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string WithoutBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  // A drive root needs its backslash; other folders are asked without it.
  std::string asked = path.size() <= 3 ? WithBackslash(path) : WithoutBackslash(path);
  TErrorModeGuard quiet;
  DWORD attr = GetFileAttributesA(asked.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentDirectory() {
  char buf[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n > 0 && n <= MAX_PATH ? std::string(buf, n) : std::string();
}

TWaitCursor::TWaitCursor(TCursor cursor) : old_(Screen().Cursor()) { Screen().SetCursor(cursor); }
TWaitCursor::~TWaitCursor() { Screen().SetCursor(old_); }
}  // namespace ViewSupport
