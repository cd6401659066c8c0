#include "InstallBed.h"

#include "CmnFunc2.h"
#include "DDEInt.h"
#include "DiskFiles.h"
#include "Main.h"

#include <vector>

namespace {

void WalkFolder(const std::string& folder, const std::string& rel, std::map<std::string, std::string>& out) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name, key = rel + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[key + "\\"] = "";
      WalkFolder(path, key + "\\", out);
    } else {
      out[key] = ReadFileBytes(path);
    }
  } while (FindNextFileA(h, &data));
  FindClose(h);
}

void WalkKey(HKEY root, const std::string& subkey, std::map<std::string, std::string>& out) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  out[subkey + "\\"] = "";
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLen = sizeof name, type = 0;
    BYTE data[4096];
    DWORD dataLen = sizeof data;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
    out[subkey + "\\:" + std::string(name, nameLen)] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataLen);
  }
  std::vector<std::string> children;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLen = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, nameLen);
  }
  RegCloseKey(key);
  for (const std::string& c : children) WalkKey(root, subkey + "\\" + c, out);
}

}  // namespace

std::map<std::string, std::string> SnapshotFolder(const std::string& folder) {
  std::map<std::string, std::string> out;
  WalkFolder(folder, "", out);
  return out;
}

std::map<std::string, std::string> SnapshotRegistry(HKEY root, const std::string& subkey) {
  std::map<std::string, std::string> out;
  WalkKey(root, subkey, out);
  return out;
}

TTestKey::TTestKey(const std::string& name, HKEY root)
    : root_(root), path_("Software\\tidy-Zaderuzo tests\\" + name) {
  DeleteRegistryKeyTree(root_, path_);
}

TTestKey::~TTestKey() { DeleteRegistryKeyTree(root_, path_); }

bool RegValue(HKEY root, const std::string& key, const std::string& name, DWORD& type, std::string& data) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    data.assign(size, '\0');
    ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
         ERROR_SUCCESS;
    data.resize(size);
  }
  RegCloseKey(h);
  return ok;
}

bool RegKeyExists(HKEY root, const std::string& key) {
  HKEY h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

std::string TestBinary(const std::string& name) {
  return HostPath(std::string(TZ_BINARY_DIR) + "/tests/setup/" + name);
}

TInstallBed::TInstallBed() : Src(Root / "src"), App(Root / "app") {
  MakeDirs(Src);
  MakeDirs(App);
  SourceFolder = CurrentSourceFolder = Src;
  DestFolder = App;
  WindowsFolderPath = WindowsFolder();
  SystemFolderPath = SystemFolder();
  LoaderMode = false;
  DataFileName.clear();
  ScriptOffset = FileDataOffset = 0;
  RestartNeeded = false;
  GroupName.clear();
  IsAdmin = false;
}

TInstallBed::~TInstallBed() {
  Changes.OnAdd = nullptr;
  Changes.Clear();
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  SetCurrentDirectoryA(buf);  // out of the folders the rollback removed
  RestartNeeded = false;
  DestFolder.clear();
  GroupName.clear();
}

void TInstallBed::SetFiles(const std::vector<std::pair<std::string, std::string>>& destAndContent) {
  std::vector<fixture::TDataFileSpec> specs;
  for (const auto& [dest, content] : destAndContent) specs.push_back({content, ""});
  fixture::TDataSet set = fixture::BuildDataSet(specs, {});
  for (size_t i = 0; i < set.Files.size(); ++i) set.Files[i].DestName = destAndContent[i].first;
  Script.FileList = set.Files;
  Script.LocationList = set.Locations;
  WriteFileBytes(Src + "\\SETUP.1", set.Disks.at(0));
}

bool StartQuietly(std::string commandLine, PROCESS_INFORMATION& pi) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = nul;
  bool ok = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi) != FALSE;
  CloseHandle(nul);
  return ok;
}

TProgmanServer::TProgmanServer() {
  if (!StartQuietly("\"" + TestBinary("SetupProgmanServer.exe") + "\"", pi_)) return;
  for (int i = 0; i < 100 && !Ready(); ++i) Sleep(100);
}

TProgmanServer::~TProgmanServer() {
  if (!pi_.hProcess) return;
  TerminateProcess(pi_.hProcess, 0);
  WaitForSingleObject(pi_.hProcess, 5000);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

bool TProgmanServer::Ready() {
  try {
    TDDE dde;
    TProgmanConversation conv(dde);
    return true;
  } catch (const Exception&) {
    return false;
  }
}
