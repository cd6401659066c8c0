// The icons, INI and registry steps of the install.
#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "DDEInt.h"
#include "Install.h"
#include "InstallRules.h"
#include "Main.h"
#include "StrFmt.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace {

constexpr int64_t kEntryGroupShare = 1000;  // progress of one icon, or of all INI or registry entries

// COM for the calling thread while alive.
class TComInit {
public:
  TComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComInit() {
    if (ok_) CoUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

private:
  bool ok_;
};

// Releases a COM interface with the object.
template <class T>
class TComPtr {
public:
  ~TComPtr() {
    if (p_) p_->Release();
  }
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

private:
  T* p_ = nullptr;
};

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
  w.resize(w.size() - 1);
  return w;
}

const char kEntryRetry[] = "Click Retry to try again, Ignore to skip this entry, or Abort to cancel installation.";

// Abort gives up; true for Retry.
bool AskRetry(int answer) {
  if (answer == IDABORT) throw EAbort();
  return answer == IDRETRY;
}

// Where the icons go: a folder of the Programs folder, or a Program Manager
// group reached by DDE.
class TIconMaker {
public:
  explicit TIconMaker(TInstallRun& run) : run_(run) {
    folder_ = TrimTrailingBackslash(ProgramsMenuFolder(IsAdmin, false));
    if (!folder_.empty()) {
      run_.Changes.Add(lkShellNotify, {folder_}, SHCNE_UPDATEDIR);
      groupFolder_ = AddTrailingBackslash(folder_) + GroupName;
      if (!FolderExists(groupFolder_)) {
        if (!CreateDirectoryA(groupFolder_.c_str(), nullptr))
          throw Exception(Format("Setup was unable to create the Folder - %s", groupFolder_.c_str()));
        SHChangeNotify(SHCNE_MKDIR, SHCNF_PATH, groupFolder_.c_str(), nullptr);
      }
      run_.Changes.Add(lkFolder, {groupFolder_}, lpNotifyRemove);
    } else {
      dde_ = CreateDDEClient();
      progman_ = std::make_unique<TProgmanConversation>(*dde_);
      progman_->Send(ProgmanCommand("CreateGroup", GroupName), false);
      run_.Changes.Add(lkProgmanItem, {GroupName, ""}, 0);
      progman_->Send(ShowGroupCommand(GroupName), false);
    }
  }
  ~TIconMaker() {
    if (!folder_.empty()) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATH | SHCNF_FLUSH, folder_.c_str(), nullptr);
    progman_.reset();
  }
  TIconMaker(const TIconMaker&) = delete;
  TIconMaker& operator=(const TIconMaker&) = delete;

  void Make(const TScriptIcon& icon) {
    const std::string name = ExpandDirConstants(icon.IconName), target = ExpandDirConstants(icon.IconTarget),
                      parameters = ExpandDirConstants(icon.IconParameters),
                      workingDir = ExpandDirConstants(icon.IconWorkingDir),
                      iconFile = ExpandDirConstants(icon.IconFilename);
    if (progman_) {
      progman_->Send(ProgmanCommand("ReplaceItem", name), true);  // a new item is refused quietly
      progman_->Send(AddItemCommand(target, parameters, name, iconFile, icon.IconIndex, workingDir), false);
      run_.Changes.Add(lkProgmanItem, {GroupName, name}, 0);
    } else {
      std::string shortcut = groupFolder_ + "\\" + name + ".lnk";
      if (MakeShortcut(shortcut, name, target, parameters, workingDir, iconFile, icon.IconIndex)) {
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATH, shortcut.c_str(), nullptr);
        run_.Changes.Add(lkFile, {shortcut}, lpNotifyDelete);
      }
    }
    run_.Progress.Advance(kEntryGroupShare);
  }

private:
  // A shortcut that cannot be made is offered like the other entries;
  // false when it is skipped.
  static bool MakeShortcut(const std::string& shortcut, const std::string& name, const std::string& target,
                           const std::string& parameters, const std::string& workingDir, const std::string& iconFile,
                           int32_t iconIndex);

  TInstallRun& run_;
  std::string folder_, groupFolder_;
  std::unique_ptr<TDDE> dde_;
  std::unique_ptr<TProgmanConversation> progman_;
};

// The keys of `subkey` that do not exist yet, the highest first. A key
// that cannot be opened for another reason is there.
std::vector<std::string> MissingKeys(HKEY root, const std::string& subkey) {
  std::vector<std::string> missing;
  for (size_t end = subkey.find('\\');; end = subkey.find('\\', end + 1)) {
    const std::string part = subkey.substr(0, end);
    if (!part.empty() && part.back() != '\\') {
      HKEY key = nullptr;
      LONG rc = missing.empty() ? RegOpenKeyExA(root, part.c_str(), 0, KEY_QUERY_VALUE, &key) : ERROR_FILE_NOT_FOUND;
      if (rc == ERROR_SUCCESS) RegCloseKey(key);
      if (rc == ERROR_FILE_NOT_FOUND) missing.push_back(part);
    }
    if (end == std::string::npos) return missing;
  }
}

// Writes one registry entry; raises on failure, logs only what was written,
// and keeps what was there before for a rollback.
void WriteRegistryEntry(TInstallRun& run, const TScriptRegEntry& entry) {
  const std::string key = ExpandDirConstants(entry.Subkey), name = ExpandDirConstants(entry.ValueName);
  // An empty key would write into the root key itself.
  if (key.find_first_not_of('\\') == std::string::npos) throw Exception("Error creating registry key: the entry names no key");
  const HKEY root = RootKeyHandle(entry.RootKey);
  // Each level on its own, so that the rollback deletes the deepest first;
  // noted before the key is made, since a failure may leave some levels.
  for (const std::string& path : MissingKeys(root, key)) {
    TRestore made;
    made.Kind = TRestore::rsNewKey;
    made.Root = root;
    made.Path = path;
    run.Changes.AddRestore(std::move(made));
  }
  HKEY handle = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS)
    throw Exception(Format("Error creating registry key: %s", key.c_str()));
  TRestore before;
  before.Kind = TRestore::rsRegValue;
  before.Root = root;
  before.Path = key;
  before.Name = name;
  before.Existed = ReadRegistryValue(root, key, name, before.Type, before.Data);
  LONG rc = ERROR_SUCCESS;
  bool wrote = true;
  switch (entry.ValueType) {
    case rtString: {
      std::string text = ExpandDirConstants(entry.ValueString());
      rc = RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
      break;
    }
    case rtDWord: {
      DWORD value = entry.ValueDWord();
      rc = RegSetValueExA(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
      break;
    }
    case rtBinary: {
      std::string bytes = entry.ValueBinary();
      rc = RegSetValueExA(handle, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
      break;
    }
    default: wrote = false; break;  // no value, or a type this Setup does not know
  }
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS) throw Exception(Format("Error writing to registry key: %s", key.c_str()));
  if (wrote) run.Changes.AddRestore(std::move(before));
  if (entry.RegOptions & 0x01) {
    if (wrote) run.Changes.AddForUninstall(lkRegValue, {key, name}, entry.RootKey);
    else run.Changes.AddForUninstall(lkRegKeyIfEmpty, {key}, entry.RootKey);
  } else if (entry.RegOptions & 0x02) {
    run.Changes.AddForUninstall(lkRegKey, {key}, entry.RootKey);
  }
}

// A value of the INI file ("" = WIN.INI); with no key, the section's key
// names, and with no section either, the section names, each ended by a NUL.
std::string ReadIniText(const char* section, const char* key, const std::string& file) {
  const std::string path = file.empty() ? "win.ini" : file;
  std::vector<char> buffer(1024);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    DWORD n = section ? GetPrivateProfileStringA(section, key, "", buffer.data(), size, path.c_str())
                      : GetPrivateProfileSectionNamesA(buffer.data(), size, path.c_str());
    // A text that fills the buffer may have been cut.
    if (n + 2 < size || size >= (1u << 20)) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// Whether the NUL-ended names hold `name`, letter case ignored.
bool HasName(const std::string& names, const std::string& name) {
  for (size_t start = 0; start < names.size();) {
    size_t nul = names.find('\0', start);
    if (nul == std::string::npos) nul = names.size();
    if (lstrcmpiA(names.substr(start, nul - start).c_str(), name.c_str()) == 0) return true;
    start = nul + 1;
  }
  return false;
}

// Reads an INI value; false when the key is not there.
bool ReadIniValue(const std::string& section, const std::string& key, const std::string& file, std::string& value) {
  const bool found = HasName(ReadIniText(section.c_str(), nullptr, file), key);
  value = found ? ReadIniText(section.c_str(), key.c_str(), file) : std::string();
  return found;
}

// The INI entry's state before it is written. A file name without a folder
// is one of the Windows folder, as the profile functions take it.
TRestore IniBefore(const std::string& file, const std::string& section, const std::string& key) {
  TRestore r;
  r.Kind = TRestore::rsIniValue;
  r.Path = file.find_first_of("\\/:") == std::string::npos && !file.empty()
               ? AddTrailingBackslash(WindowsFolder()) + file
               : file;
  r.Section = section;
  r.Name = key;
  r.FileExisted = file.empty() || GetFileAttributesA(r.Path.c_str()) != INVALID_FILE_ATTRIBUTES;
  r.SectionExisted = HasName(ReadIniText(nullptr, nullptr, file), section);
  r.Existed = ReadIniValue(section, key, file, r.Data);
  return r;
}

bool TIconMaker::MakeShortcut(const std::string& shortcut, const std::string& name, const std::string& target,
                              const std::string& parameters, const std::string& workingDir,
                              const std::string& iconFile, int32_t iconIndex) {
  for (;;) {
    try {
      MakeShortcutFile(shortcut, name, target, parameters, workingDir, iconFile, iconIndex);
      return true;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      if (!AskRetry(ShowMsg(e.Message() + ".\r\n\r\n" + kEntryRetry, "", mkWarning,
                            MB_ABORTRETRYIGNORE | MB_DEFBUTTON2)))
        return false;
    }
  }
}

}  // namespace

void MakeShortcutFile(const std::string& shortcut, const std::string& description, const std::string& target,
                      const std::string& parameters, const std::string& workingDir, const std::string& iconFile,
                      int32_t iconIndex) {
  TComInit com;
  TComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.Out()));
  if (FAILED(hr)) throw Exception(Format("Unable to create the shell link object (error 0x%.8X)", unsigned(hr)));
  link->SetPath(target.c_str());
  link->SetArguments(parameters.c_str());
  if (!workingDir.empty()) link->SetWorkingDirectory(workingDir.c_str());
  if (!iconFile.empty()) link->SetIconLocation(iconFile.c_str(), iconIndex);
  link->SetDescription(description.c_str());
  TComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()));
  if (FAILED(hr)) throw Exception(Format("Unable to create the shell link object (error 0x%.8X)", unsigned(hr)));
  hr = file->Save(Wide(shortcut).c_str(), TRUE);
  if (FAILED(hr))
    throw Exception(Format("Setup was unable to create the shortcut - %s (error 0x%.8X)", shortcut.c_str(),
                           unsigned(hr)));
}

void MakeProgramIcons(TInstallRun& run) {
  TIconMaker maker(run);
  for (const TScriptIcon& icon : run.Script.IconList) maker.Make(icon);
}

void WriteIniEntries(TInstallRun& run) {
  for (const TScriptIniEntry& entry : run.Script.IniList) {
    const std::string file = ExpandDirConstants(entry.IniFilename), section = ExpandDirConstants(entry.IniSection),
                      key = ExpandDirConstants(entry.IniKey), value = ExpandDirConstants(entry.IniValue);
    for (;;) {
      TRestore before = IniBefore(file, section, key);
      if (WriteIniValue(section, key, value, file)) {
        run.Changes.AddRestore(std::move(before));
        if (entry.IniOptions & 0x01) run.Changes.AddForUninstall(lkIniEntry, {file, section, key}, 0);
        else if (entry.IniOptions & 0x02) run.Changes.AddForUninstall(lkIniSection, {file, section}, 0);
        break;
      }
      if (!AskRetry(ShowMsgFmt("Error creating INI entry in file %s\r\n\r\nClick Retry to try again, Ignore to skip "
                               "this entry, or Abort to cancel installation.",
                               MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, mkWarning, "", file.c_str())))
        break;
    }
    run.Progress.PollCancel();
  }
  run.Progress.Advance(kEntryGroupShare);
}

void WriteRegistryEntries(TInstallRun& run) {
  for (const TScriptRegEntry& entry : run.Script.RegistryList) {
    for (;;) {
      try {
        WriteRegistryEntry(run, entry);
        break;
      } catch (const EAbort&) {
        throw;
      } catch (const Exception& e) {
        if (!AskRetry(ShowMsg(e.Message() + ".\r\n\r\n" + kEntryRetry, "", mkWarning,
                              MB_ABORTRETRYIGNORE | MB_DEFBUTTON2)))
          break;
      }
    }
  }
  run.Progress.Advance(kEntryGroupShare);
}
