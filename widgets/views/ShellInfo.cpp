#include "ShellInfo.h"

#include <shellapi.h>

namespace {
TSystemShellInfo systemInfo;
IShellInfo* current = &systemInfo;

// The shell takes folders without their trailing backslash, roots with it.
std::string ShellPath(const std::string& path) {
  if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}
}  // namespace

IShellInfo& ShellInfo() { return *current; }

IShellInfo* SetShellInfo(IShellInfo* info) {
  IShellInfo* previous = current;
  current = info ? info : &systemInfo;
  return previous;
}

DWORD TSystemShellInfo::LogicalDrives() { return GetLogicalDrives(); }

UINT TSystemShellInfo::DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

std::string TSystemShellInfo::DisplayName(const std::string& path) {
  SHFILEINFOA sfi{};
  if (!SHGetFileInfoA(ShellPath(path).c_str(), 0, &sfi, sizeof(sfi), SHGFI_DISPLAYNAME)) return {};
  return sfi.szDisplayName;
}

int TSystemShellInfo::SmallIcon(const std::string& path, bool open) {
  SHFILEINFOA sfi{};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0);
  if (!SHGetFileInfoA(ShellPath(path).c_str(), 0, &sfi, sizeof(sfi), flags)) return -1;
  return sfi.iIcon;
}

void TSystemShellInfo::NameAndSmallIcon(const std::string& path, std::string& name, int& icon) {
  SHFILEINFOA sfi{};
  const UINT flags = SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  const bool known = SHGetFileInfoA(ShellPath(path).c_str(), 0, &sfi, sizeof(sfi), flags) != 0;
  name = known ? sfi.szDisplayName : "";
  icon = known ? sfi.iIcon : -1;
}

bool TSystemShellInfo::FileInfo(const std::string& path, int& icon, std::string& typeName) {
  SHFILEINFOA sfi{};
  if (!SHGetFileInfoA(ShellPath(path).c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME))
    return false;
  icon = sfi.iIcon;
  typeName = sfi.szTypeName;
  return true;
}

HIMAGELIST TSystemShellInfo::SystemImages(bool large) {
  SHFILEINFOA sfi{};
  char windows[MAX_PATH] = "C:\\";
  GetWindowsDirectoryA(windows, MAX_PATH);
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(windows, 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
}

std::string TSystemShellInfo::WindowsDirectory() {
  char windows[MAX_PATH] = "";
  UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(windows, n) : std::string("C:\\WINDOWS");
}
