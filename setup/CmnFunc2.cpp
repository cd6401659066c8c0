#include "CmnFunc2.h"

#include "Platform.h"

#include <vector>

bool FolderExists(const std::string& path) {
  std::string p = path;
  if (!(p.size() >= 2 && p.compare(p.size() - 2, 2, ":\\") == 0)) p = TrimTrailingBackslash(p);
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  DWORD attr = GetFileAttributesA(p.c_str());
  SetErrorMode(oldMode);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ShortPathOf(const std::string& longPath) {
  std::vector<char> buf(260);
  for (;;) {
    DWORD n = GetShortPathNameA(longPath.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return longPath;
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(n);
  }
}

std::string WindowsFolder() {
  char buf[260];
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string SystemFolder() {
  char buf[260];
  UINT n = GetSystemDirectoryA(buf, sizeof buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
  if (file.empty()) return WriteProfileStringA(section.c_str(), key.c_str(), value.c_str()) != FALSE;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool IsNTPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWindows4OrLater() { return NewShell(); }

bool ReadRegString(HKEY key, const std::string& name, std::string& value) {
  value.clear();
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (size < 2) return true;
  std::vector<char> buf(size + 1);
  DWORD got = size;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  buf[got < size ? got : size] = '\0';
  value = buf.data();  // up to its NUL
  return true;
}

bool RegistryValueExists(HKEY key, const std::string& name) {
  return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool DeleteRegistryKeyTree(HKEY root, const std::string& subkey) {
  if (subkey.empty()) return false;
  if (IsNTPlatform()) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
      DWORD maxLen = 0;
      if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) == ERROR_SUCCESS) {
        if (maxLen < 1) maxLen = 1;
        std::vector<char> name(maxLen + 1);  // with room for the NUL
        DWORD index = 0;
        for (;;) {
          DWORD len = static_cast<DWORD>(name.size());
          LONG rc = RegEnumKeyExA(key, index, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
          if (rc == ERROR_MORE_DATA) {  // a longer name appeared meanwhile
            name.resize(name.size() * 2);
            continue;
          }
          if (rc != ERROR_SUCCESS) break;
          if (!DeleteRegistryKeyTree(key, std::string(name.data(), len))) ++index;
        }
      }
      RegCloseKey(key);
    }
  }
  return RegDeleteKeyA(root, subkey.c_str()) == ERROR_SUCCESS;
}

namespace {
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ReadKeyString(HKEY root, const char* subkey, const char* name) {
  HKEY key;
  std::string value;
  if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    ReadRegString(key, name, value);
    RegCloseKey(key);
  }
  return value;
}
}  // namespace

std::string ProgramsMenuFolder(bool common, bool addBackslash) {
  if (!IsWindows4OrLater()) return {};
  std::string folder;
  if (common) folder = ReadKeyString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
  if (folder.empty()) folder = ReadKeyString(HKEY_CURRENT_USER, kShellFolders, "Programs");
  if (addBackslash) folder = AddTrailingBackslash(folder);
  return folder;
}

std::string ProgramFilesFolder(bool addBackslash) {
  std::string folder =
      ReadKeyString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  if (addBackslash) folder = AddTrailingBackslash(folder);
  return folder;
}

bool UserIsAdministrator() {
  if (!IsNTPlatform()) return true;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
  if (!manager) return false;
  CloseServiceHandle(manager);
  return true;
}
