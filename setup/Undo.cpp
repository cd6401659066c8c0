#include "Undo.h"

#include "CmnFunc2.h"
#include "DDEInt.h"
#include "Files.h"
#include "InstallRules.h"
#include "LibReg.h"
#include "Main.h"
#include "Seam.h"
#include "StrFmt.h"

#include <shlobj.h>

#include <memory>
#include <vector>

const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

HKEY RootKeyHandle(int32_t value) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value)); }

namespace {

// An open registry key, closed on every path out.
class TRegKey {
public:
  TRegKey() = default;
  ~TRegKey() {
    if (key_) RegCloseKey(key_);
  }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

private:
  HKEY key_ = nullptr;
};

bool FileOrFolderExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The walk of one Undo: the Program Manager conversation is opened at the
// first Program Manager entry only.
class TUndoWalk {
public:
  explicit TUndoWalk(bool interactive) : interactive_(interactive) {}
  bool Result = true;

  void Act(const TLogEntry& e);
  void Restore(const TRestore& r);

private:
  void Folder(const TLogEntry& e);
  void File(const TLogEntry& e);
  void ProgmanItem(const TLogEntry& e);
  void IniEntry(const TLogEntry& e);
  void RegKey(const TLogEntry& e);
  void RegKeyIfEmpty(const TLogEntry& e);

  bool interactive_;
  std::unique_ptr<TDDE> dde_;
  std::unique_ptr<TProgmanConversation> progman_;
  std::string lastGroup_;
};

void TUndoWalk::Act(const TLogEntry& e) {
  switch (e.Kind) {
    case lkFolder: Folder(e); break;
    case lkFile: File(e); break;
    case lkProgmanItem: ProgmanItem(e); break;
    case lkIniEntry: IniEntry(e); break;
    case lkIniSection: {
      std::string file = e.GetEntryString(0), section = e.GetEntryString(1);
      if (file.empty()) WriteProfileStringA(section.c_str(), nullptr, nullptr);
      else WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
      break;
    }
    case lkRegKey: RegKey(e); break;
    case lkRegKeyIfEmpty:
    case lkRegValue: RegKeyIfEmpty(e); break;
    case lkShellNotify:
      SHChangeNotify(e.Param, SHCNF_PATH | SHCNF_FLUSH, e.GetEntryString(0).c_str(), nullptr);
      break;
    default: break;  // unknown kinds are skipped
  }
}

void TUndoWalk::Folder(const TLogEntry& e) {
  std::string folder = e.GetEntryString(0);
  if (!FolderExists(folder)) return;
  // The folder must not be the current one.
  SetCurrentDirectoryA(folder.substr(0, 3).c_str());
  if (!RemoveDirectoryA(folder.c_str())) {
    Result = false;
    return;
  }
  if (e.Param & lpNotifyRemove) SHChangeNotify(SHCNE_RMDIR, SHCNF_PATH, folder.c_str(), nullptr);
}

void TUndoWalk::File(const TLogEntry& e) {
  const std::string path = e.GetEntryString(0), pending = e.GetEntryString(1);
  const std::string target = !interactive_ && !pending.empty() ? pending : path;
  const bool notify = (e.Param & lpNotifyDelete) != 0;
  if (!interactive_ && (e.Param & lpExisted)) {
    // The file that was there stays as the install left it.
    if (e.Param & lpShared) ReleaseSharedFileRef(path);
    if (target != path && !DeleteInstalledFile(target, notify)) Result = false;
    return;
  }
  if (e.Param & lpShared) {
    if (!ReleaseSharedFileRef(path) || !FileOrFolderExists(target)) return;
    if (interactive_ &&
        Seam().ShowBox(nullptr,
                       Format("The system indicates that the following shared file is no longer in use by any "
                              "programs. Would you like Uninstall to remove this shared file?\r\n\r\n%s\r\n\r\nIf "
                              "any programs are still using this file and it is removed, those programs may not "
                              "function properly. If you are unsure, choose No. Leaving the file on your system "
                              "will not cause any harm.",
                              path.c_str()),
                       "Remove Shared File?", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
  }
  if ((e.Param & lpRegistered) && target == path && !UnregisterLibrary(path)) Result = false;
  if ((interactive_ || !(e.Param & lpUninstallOnly)) && !DeleteInstalledFile(target, notify)) Result = false;
}

void TUndoWalk::ProgmanItem(const TLogEntry& e) {
  const std::string group = e.GetEntryString(0), item = e.GetEntryString(1);
  if (!progman_) {
    if (!dde_) dde_ = CreateDDEClient();
    progman_ = std::make_unique<TProgmanConversation>(*dde_);
  }
  if (group != lastGroup_) {
    if (!progman_->Send(ShowGroupCommand(group), true)) {
      Result = false;
      return;
    }
    lastGroup_ = group;
  }
  if (!item.empty()) {
    progman_->Send(ProgmanCommand("DeleteItem", item), false);
  } else if (ProgmanGroupIsEmpty(progman_->RequestText(group))) {
    progman_->Send(ProgmanCommand("DeleteGroup", group), false);
  }
}

void TUndoWalk::IniEntry(const TLogEntry& e) {
  std::string file = e.GetEntryString(0), section = e.GetEntryString(1), key = e.GetEntryString(2);
  if (file.empty()) WriteProfileStringA(section.c_str(), key.c_str(), nullptr);
  else WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str());
  if (!IsIniSectionEmpty(section, file)) return;
  if (file.empty()) WriteProfileStringA(section.c_str(), nullptr, nullptr);
  else WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
}

void TUndoWalk::RegKey(const TLogEntry& e) {
  const std::string subkey = e.GetEntryString(0);
  // An empty subkey names the root key itself: never emptied.
  if (subkey.empty()) {
    Result = false;
    return;
  }
  HKEY root = RootKeyHandle(e.Param);
  TRegKey key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return;
  if (!DeleteRegistryKeyTree(root, subkey)) Result = false;
}

void TUndoWalk::RegKeyIfEmpty(const TLogEntry& e) {
  const std::string subkey = e.GetEntryString(0);
  HKEY root = RootKeyHandle(e.Param);
  DWORD subkeys = 0, values = 0;
  {
    TRegKey key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return;
    if (e.Kind == lkRegValue) {
      std::string name = e.GetEntryString(1);
      if (RegistryValueExists(key.Get(), name) && RegDeleteValueA(key.Get(), name.c_str()) != ERROR_SUCCESS)
        Result = false;
    }
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
      Result = false;
      return;
    }
  }
  if (subkeys == 0 && values == 0 && !subkey.empty() && !DeleteRegistryKeyTree(root, subkey)) Result = false;
}

// Moves the kept copy back over what the install put in its place.
bool PutBack(const std::string& copy, const std::string& path) {
  if (!FileOrFolderExists(copy)) return false;
  if (IsNTPlatform()) return MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (FileOrFolderExists(path) && !DeleteFileA(path.c_str())) return false;
  return MoveFileA(copy.c_str(), path.c_str()) != FALSE;
}

void DeleteIniKey(const std::string& file, const std::string& section, const char* key) {
  if (file.empty()) WriteProfileStringA(section.c_str(), key, nullptr);
  else WritePrivateProfileStringA(section.c_str(), key, nullptr, file.c_str());
}

bool IniFileHasSections(const std::string& file) {
  char names[4] = "";
  return GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str()) > 0 && names[0] != '\0';
}

void TUndoWalk::Restore(const TRestore& r) {
  switch (r.Kind) {
    case TRestore::rsKeptFile:
      if (!PutBack(r.Copy, r.Path)) Result = false;
      break;
    case TRestore::rsNewFile:
      if (r.Registered && FileOrFolderExists(r.Path) && !UnregisterLibrary(r.Path)) Result = false;
      if (!DeleteInstalledFile(r.Path, false)) Result = false;
      break;
    case TRestore::rsTempFile:
      if (!DeleteInstalledFile(r.Path, false)) Result = false;
      break;
    case TRestore::rsNewKey: {
      {
        TRegKey key;
        if (RegOpenKeyExA(r.Root, r.Path.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) break;
      }
      if (!DeleteRegistryKeyTree(r.Root, r.Path)) Result = false;
      break;
    }
    case TRestore::rsRegValue: {
      TRegKey key;
      if (RegOpenKeyExA(r.Root, r.Path.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) {
        if (r.Existed) Result = false;
        break;
      }
      LONG rc = ERROR_SUCCESS;
      if (r.Existed)
        rc = RegSetValueExA(key.Get(), r.Name.c_str(), 0, r.Type, reinterpret_cast<const BYTE*>(r.Data.data()),
                            static_cast<DWORD>(r.Data.size()));
      else if (RegistryValueExists(key.Get(), r.Name))
        rc = RegDeleteValueA(key.Get(), r.Name.c_str());
      if (rc != ERROR_SUCCESS) Result = false;
      break;
    }
    case TRestore::rsIniValue:
      if (r.Existed) {
        if (!WriteIniValue(r.Section, r.Name, r.Data, r.Path)) Result = false;
        break;
      }
      DeleteIniKey(r.Path, r.Section, r.Name.c_str());
      if (!r.SectionExisted && IsIniSectionEmpty(r.Section, r.Path)) DeleteIniKey(r.Path, r.Section, nullptr);
      // A file the run made goes again once it holds nothing.
      if (!r.FileExisted && !r.Path.empty() && !IniFileHasSections(r.Path) && !DeleteInstalledFile(r.Path, false))
        Result = false;
      break;
  }
}

}  // namespace

bool TUndoChanges::Undo(bool interactive) {
  TUndoWalk walk(interactive);
  auto guarded = [&walk](auto&& act) {
    try {
      act();
    } catch (const EAbort&) {
      walk.Result = false;
    } catch (const std::exception& x) {
      // One entry's failure never stops the walk.
      walk.Result = false;
      Seam().ShowBox(nullptr, std::string(x.what()) + ".", "Uninstall", MB_OK | MB_ICONSTOP);
    }
  };
  while (!Empty() || !restores_.empty()) {
    if (!restores_.empty() && restores_.back().first >= Count()) {
      TRestore r = std::move(restores_.back().second);
      restores_.pop_back();
      if (!interactive) guarded([&] { walk.Restore(r); });
      continue;
    }
    const size_t index = Count() - 1;
    TLogEntry e = TakeLast();
    if (uninstallOnly_.erase(index) && !interactive) continue;
    guarded([&] { walk.Act(e); });
  }
  uninstallOnly_.clear();
  return walk.Result;
}

void TUndoChanges::AddRestore(TRestore restore) { restores_.emplace_back(Count(), std::move(restore)); }

void TUndoChanges::AddForUninstall(uint8_t kind, std::initializer_list<std::string> texts, int32_t param) {
  const size_t index = Count();
  uninstallOnly_.insert(index);
  try {
    Add(kind, texts, param);
  } catch (...) {
    if (Count() <= index) uninstallOnly_.erase(index);  // not added after all
    throw;
  }
}

void TUndoChanges::Commit() {
  for (const auto& [logged, r] : restores_)
    if (r.Kind == TRestore::rsKeptFile) {
      SetFileAttributesA(r.Copy.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(r.Copy.c_str());
    }
  Clear();
}

void TUndoChanges::Clear() {
  TChangeLog::Clear();
  restores_.clear();
  uninstallOnly_.clear();
}

bool ReadRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
                       std::string& data) {
  TRegKey key;
  data.clear();
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return false;
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type,
                               data.empty() ? nullptr : reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_SUCCESS && (!data.empty() || size == 0)) {
      data.resize(size);
      return true;
    }
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return false;
    data.assign(size, '\0');  // the size, or a larger one written meanwhile
  }
}

void TUndoChanges::SaveToFile(const std::string& fileName) const {
  TFileSink file(fileName);
  try {
    file.Write(std::string(kLogFileHeaderSize, '\0').data(), kLogFileHeaderSize);
    for (const TLogEntry& e : Entries()) {
      std::string bytes = EncodeLogEntry(e);
      file.Write(bytes.data(), bytes.size());
    }
    std::string header = EncodeLogFileHeader(Count(), Title, Common);
    if (SetFilePointer(file.Handle(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
      throw EInOutError(GetLastError(), fileName);
    file.Write(header.data(), header.size());
    file.Close();
  } catch (...) {
    file.Close();
    DeleteFileA(fileName.c_str());
    throw;
  }
}

bool ReleaseSharedFileRef(const std::string& path) {
  TRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
    throw Exception(Format("Error opening registry key: %s", kSharedDllsKey));
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), path.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::string data(size, '\0');
  std::optional<TSharedCount> stored;
  if (RegQueryValueExA(key.Get(), path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
      ERROR_SUCCESS) {
    data.resize(size);
    stored = ParseSharedCount(type, data);
  }
  // A count that cannot be read keeps the file.
  TSharedCount count = stored ? *stored : TSharedCount{2, kRegDword};
  if (count.Count - 1 > 0) {
    std::string bytes = EncodeSharedCount(count.Count - 1, count.Type);
    RegSetValueExA(key.Get(), path.c_str(), 0, count.Type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    return false;
  }
  RegDeleteValueA(key.Get(), path.c_str());
  return true;
}

bool UnregisterLibrary(const std::string& path) {
  return CallLibraryEntry(path, "DllUnregisterServer").Succeeded();
}

bool DeleteInstalledFile(const std::string& path, bool notify) {
  size_t dot = path.find_last_of(".\\:");
  if (dot != std::string::npos && path[dot] == '.' && LowerCase(path.substr(dot)) == ".hlp") {
    std::string stem = path.substr(0, dot);
    DeleteFileA((stem + ".GID").c_str());
    DeleteFileA((stem + ".FTS").c_str());
  }
  if (!FileOrFolderExists(path)) return true;
  if (!DeleteFileA(path.c_str())) return false;
  if (notify) SHChangeNotify(SHCNE_DELETE, SHCNF_PATH, path.c_str(), nullptr);
  return true;
}

bool IsIniSectionEmpty(const std::string& section, const std::string& file) {
  char buffer[256] = "";
  if (file.empty()) GetProfileStringA(section.c_str(), nullptr, "", buffer, sizeof buffer);
  else GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, sizeof buffer, file.c_str());
  return buffer[0] == '\0';
}
