#include "PathUtils.h"

#ifdef _WIN32
#include <windows.h>
#endif

std::string AddTrailingBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + '\\';
}

std::string TrimTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::string ExtractFilePath(const std::string& path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

#ifdef _WIN32
bool FileExistsStr(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExistsStr(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string GetTempPathStr() {
  char buf[259 + 1];
  DWORD n = GetTempPathA(259, buf);
  if (n == 0 || n >= 259) return {};
  return std::string(buf, n);
}

std::string GetTempFileNameStr(const std::string& folder, const std::string& prefix, unsigned unique) {
  char buf[MAX_PATH + 1];
  if (GetTempFileNameA(folder.c_str(), prefix.c_str(), unique, buf) == 0) return {};
  return buf;
}
#endif
