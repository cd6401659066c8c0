#include "Install.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "DiskFiles.h"
#include "Files.h"
#include "InstallRules.h"
#include "LibReg.h"
#include "Main.h"
#include "StrFmt.h"

#include <utility>
#include <vector>

TLogNamePattern::TLogNamePattern(const std::string& folder, int slot)
    : folder_(AddTrailingBackslash(folder)), slot_(Format("%.3d", slot)) {}

std::string TLogNamePattern::Name(char which) const {
  return folder_ + "UNINST" + std::string(1, which) + "." + slot_;
}

namespace {

const char kReadExisting[] = "An error occured while trying to read the existing file.";
const char kChangeAttributes[] = "An error occured while trying to change the attributes of the existing file.";
const char kCreateFile[] = "An error occured while trying to create a file in the destination directory.";
const char kReadSource[] = "An error occured while trying to read the source file.";
const char kCopyFile[] = "An error occured while trying to copy a file.";
const char kDeleteExisting[] = "An error occured while trying to delete the existing file.";
const char kRenameFile[] = "An error occured while trying to rename a file in the destination directory.";
const char kRestartReplaceFailed[] = "RestartReplace failed.";

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ExtractFileName(const std::string& path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

// A temporary file that is deleted unless it was handed on.
class TTempFile {
public:
  ~TTempFile() { Delete(); }
  void Delete() {
    if (!name_.empty()) DeleteFileA(name_.c_str());
    name_.clear();
  }
  void Set(const std::string& name) { name_ = name; }
  // No longer a leftover.
  std::string Release() { return std::exchange(name_, {}); }
  const std::string& Name() const { return name_; }

private:
  std::string name_;
};

// Puts `from` in place of the existing `to` and keeps the old file as
// `kept`, for a rollback to put back; `to` stays as it was when that
// fails. On NT a copy is kept and the file replaced at once; elsewhere
// the old file is moved aside. Returns 0 or the system error.
DWORD ReplaceExisting(const std::string& from, const std::string& to, std::string& kept) {
  const std::string aside = MakeTempFileName(ExtractFilePath(to));
  kept.clear();
  if (IsNTPlatform()) {
    if (!CopyFileA(to.c_str(), aside.c_str(), TRUE)) return GetLastError();
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      DWORD code = GetLastError();
      DeleteFileA(aside.c_str());
      return code;
    }
    kept = aside;
    return 0;
  }
  if (!MoveFileA(to.c_str(), aside.c_str())) return GetLastError();
  if (!MoveFileA(from.c_str(), to.c_str())) {
    DWORD code = GetLastError();
    MoveFileA(aside.c_str(), to.c_str());
    return code;
  }
  kept = aside;
  return 0;
}

enum class TExistingChoice { Copy, Keep, Retry };

// The overwrite rules and questions for a destination that exists.
TExistingChoice CheckExisting(const TScriptFile& rec, const std::string& dest, std::string& stage) {
  if (rec.OverwriteMode == omNeverOverwrite) return TExistingChoice::Keep;
  stage = kReadExisting;
  TExistingFile existing;
  if (rec.OverwriteMode != omNoVersionCheck && rec.FileVersionMS != -1) {
    uint64_t value = 0;
    if (ReadFixedFileVersion(dest, value)) existing.Version = value;
    if (ReadLastWriteTime(dest, value)) existing.WriteTime = value;
  }
  switch (DecideOverwrite(rec, existing)) {
    case TOverwriteDecision::Keep: return TExistingChoice::Keep;
    case TOverwriteDecision::AskKeepNewer:
      if (ShowMsg("Existing file is newer than the one Setup is trying to install. It is recommended that you keep "
                  "the existing file.\r\n\r\nDo you want to keep the existing file?",
                  dest, mkWarning, MB_YESNO) == IDYES)
        return TExistingChoice::Keep;
      break;
    case TOverwriteDecision::Replace: break;
  }
  if ((rec.FileOptions & foConfirmOverwrite) &&
      ShowMsgFmt("%s\r\nThe file already exists.\r\n\r\nWould you like Setup to overwrite it?", MB_YESNO,
                 mkConfirmation, "", dest.c_str()) != IDYES)
    return TExistingChoice::Keep;
  DWORD attr = GetFileAttributesA(dest.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY)) {
    int answer = ShowMsg("The existing file is marked as read-only.\r\n\r\nClick Retry to remove the read-only "
                         "setting and try again, Ignore to skip this file, or Abort to cancel installation.",
                         dest, mkWarning, MB_ABORTRETRYIGNORE | MB_DEFBUTTON2);
    if (answer == IDABORT) throw EAbort();
    if (answer != IDRETRY) return TExistingChoice::Keep;
    stage = kChangeAttributes;
    SetFileAttributesA(dest.c_str(), attr & ~FILE_ATTRIBUTE_READONLY);
    return TExistingChoice::Retry;
  }
  return TExistingChoice::Copy;
}

const char kFileRetry[] =
    "Click Retry to try again, Ignore to skip this file (not recommended), or Abort to cancel installation.";

// The box of a failure of one file; true for Retry.
bool AskFileRetry(const std::string& stage, const Exception& e, const std::string& dest) {
  std::string text = stage.empty() ? std::string() : stage + "\r\n\r\n";
  text += e.Message() + "\r\n\r\n" + kFileRetry;
  int answer = ShowMsg(text, dest, mkWarning, MB_ABORTRETRYIGNORE | MB_DEFBUTTON2);
  if (answer == IDABORT) throw EAbort();
  return answer == IDRETRY;
}

// What one attempt left at the destination.
struct TPlacedFile {
  std::string Dest, PendingTemp;
  bool Existed = false;
  bool Copied = false;  // the file (or its pending copy) is in place
};

// Raises the shared count of a file the attempt installed or kept. A
// failure is offered like any other of the file; Retry counts again as the
// file was before the install, Ignore leaves it logged as a plain file.
void CountSharedFile(TInstallRun& run, uint8_t options, const TPlacedFile& f) {
  const int32_t registered = options & foRegisterServer ? lpRegistered : 0;
  for (;;) {
    try {
      TRestore before;
      before.Kind = TRestore::rsRegValue;
      before.Root = HKEY_LOCAL_MACHINE;
      before.Path = kSharedDllsKey;
      before.Name = f.Dest;
      before.Existed = ReadRegistryValue(HKEY_LOCAL_MACHINE, kSharedDllsKey, f.Dest, before.Type, before.Data);
      RaiseSharedFileCount(f.Dest, f.Existed);
      run.Changes.AddRestore(std::move(before));
      run.Changes.AddForUninstall(lkFile, {f.Dest, f.PendingTemp}, lpShared | registered);
      return;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      if (AskFileRetry("", e, f.Dest)) continue;
      if (f.Copied && !(options & (foUninstallLogName | foNeverUninstall)))
        run.Changes.AddForUninstall(lkFile, {f.Dest, f.PendingTemp}, (f.Existed ? lpExisted : 0) | registered);
      return;
    }
  }
}

void InstallFile(TInstallRun& run, const TScriptFile& rec, const TScriptFileLocation& loc) {
  const uint8_t options = rec.FileOptions;
  TTempFile temp;
  bool moved = false;  // the copy moved the bar
  TPlacedFile placed;
  bool done = false;  // the attempt ended without error
  for (;;) {
    std::string stage, dest;
    temp.Delete();
    const int64_t barBefore = run.Progress.Position();
    try {
      dest = options & foUninstallLogName ? run.LogNamePattern.Name('0') : ExpandDirConstants(rec.DestName);
      const bool existed = PathExists(dest);
      if (LowerCase(ExtractFileName(dest)).find("40comupd.exe") != std::string::npos)
        run.Progress.MarkUpdateInstalled();
      run.Progress.ShowFilename(dest);

      TExistingChoice choice = existed ? CheckExisting(rec, dest, stage) : TExistingChoice::Copy;
      if (choice == TExistingChoice::Retry) continue;
      bool pending = false;
      std::string pendingTemp;
      if (choice == TExistingChoice::Copy) {
        stage = kCreateFile;
        temp.Set(MakeTempFileName(ExtractFilePath(ExpandFileName(dest))));
        TFileSink sink(temp.Name());
        stage = kReadSource;
        TFileDataReader reader = MakeFileDataReader();
        auto openDisk = reader.OpenDisk;
        auto openData = reader.OpenDataFile;
        reader.OpenDisk = [&, openDisk](int disk) {
          auto source = openDisk(disk);
          stage = kCopyFile;
          return source;
        };
        reader.OpenDataFile = [&, openData] {
          auto source = openData();
          stage = kCopyFile;
          return source;
        };
        reader.OnRead = [&run](size_t bytes) {
          run.Progress.Advance(static_cast<int64_t>(bytes));
          run.Progress.PollCancel();
        };
        reader.ReadFileData(rec, loc, sink);
        moved = true;
        FILETIME time{rec.FileTime.LowDateTime, rec.FileTime.HighDateTime};
        SetFileTime(sink.Handle(), &time, nullptr, &time);
        sink.Close();

        std::string kept;
        if (existed) {
          stage = kDeleteExisting;
          if (DWORD code = ReplaceExisting(temp.Name(), dest, kept)) {
            if (!(options & foRestartReplace) || (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION))
              throw EInOutError(code, dest);
            stage = kRestartReplaceFailed;
            ReplaceAtReboot(temp.Name(), dest);
            pending = true;
            pendingTemp = temp.Release();
          }
        } else {
          stage = kRenameFile;
          if (!MoveFileA(temp.Name().c_str(), dest.c_str())) throw EInOutError(GetLastError(), dest);
        }
        temp.Release();
        stage.clear();
        // In place: from here a rollback takes it back, whatever the log says.
        TRestore restore;
        restore.Path = dest;
        if (pending) {
          restore.Kind = TRestore::rsTempFile;
          restore.Path = pendingTemp;
        } else if (existed) {
          restore.Kind = TRestore::rsKeptFile;
          restore.Copy = kept;
        } else {
          restore.Kind = TRestore::rsNewFile;
          restore.Registered = (options & foRegisterServer) != 0;
        }
        // A new file that is never uninstalled stays, as the log would keep it.
        if (existed || !(options & foNeverUninstall)) run.Changes.AddRestore(std::move(restore));
        if (!(options & (foUninstallLogName | foNeverUninstall | foSharedFile)))
          run.Changes.AddForUninstall(lkFile, {dest, pendingTemp},
                                      (existed ? lpExisted : 0) | (options & foRegisterServer ? lpRegistered : 0));
      }
      if ((options & foRegisterServer) && !pending) {
        stage.clear();
        RegisterLibrary(dest);
      }
      placed = {dest, pendingTemp, existed, choice == TExistingChoice::Copy};
      done = true;
      break;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& e) {
      temp.Delete();
      // The bar goes back to where the attempt began: a retried copy moves it again.
      run.Progress.SetPosition(barBefore);
      moved = false;
      if (!AskFileRetry(stage, e, dest)) break;
    }
  }
  if (done && (options & foSharedFile) && IsWindows4OrLater()) CountSharedFile(run, options, placed);
  if (!moved) run.Progress.Advance(rec.CompressedSize);
  run.Progress.PollCancel();
}

}  // namespace

void InstallFiles(TInstallRun& run) {
  CurrentSourceFolder = SourceFolder;
  const TSetupScript& script = run.Script;
  for (size_t i = 0; i < script.FileList.size(); ++i) {
    const TScriptFile& rec = script.FileList[i];
    // The reserved uninstall file exists only with uninstall support.
    if ((rec.FileOptions & foUninstallLogName) && run.LogNamePattern.Empty()) {
      run.Progress.Advance(rec.CompressedSize);
      run.Progress.PollCancel();
      continue;
    }
    InstallFile(run, rec, i < script.LocationList.size() ? script.LocationList[i] : TScriptFileLocation{});
  }
}

bool ReadFixedFileVersion(const std::string& path, uint64_t& version) {
  version = 0;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof *info)
    return false;
  version = uint64_t(info->dwFileVersionMS) << 32 | info->dwFileVersionLS;
  return true;
}

bool ReadLastWriteTime(const std::string& path, uint64_t& time) {
  time = 0;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  time = uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

namespace {

std::string ReadWholeFile(const std::string& path) {
  TFileSource file(path);
  std::string text(static_cast<size_t>(file.Size()), '\0');
  text.resize(file.Read(text.data(), text.size()));
  return text;
}

// WININIT.INI with the new line. The old file is read whole and only
// swapped for the new one once that is written, so the pending renames
// of other programs are never lost.
void AddWininitRename(const std::string& line) {
  const std::string folder = AddTrailingBackslash(WindowsFolderPath);
  const std::string ini = folder + "WININIT.INI";
  const bool existed = IsExistingFile(ini);
  std::string text = RewriteWininit(existed ? ReadWholeFile(ini) : std::string(), line);
  TTempFile fresh;
  fresh.Set(MakeTempFileName(folder));
  {
    TFileSink sink(fresh.Name());
    sink.Write(text.data(), text.size());
  }
  if (!existed) {
    if (!MoveFileA(fresh.Name().c_str(), ini.c_str())) throw EInOutError(GetLastError(), ini);
    fresh.Release();
    return;
  }
  TTempFile old;
  old.Set(MakeTempFileName(folder));
  if (!MoveFileA(ini.c_str(), old.Name().c_str())) {
    old.Release();
    throw EInOutError(GetLastError(), ini);
  }
  if (!MoveFileA(fresh.Name().c_str(), ini.c_str())) {
    DWORD code = GetLastError();
    if (MoveFileA(old.Name().c_str(), ini.c_str())) old.Release();
    throw EInOutError(code, ini);
  }
  fresh.Release();
}

}  // namespace

void ReplaceAtReboot(const std::string& temporary, const std::string& destination) {
  RestartNeeded = true;
  if (IsNTPlatform()) {
    if (!MoveFileExA(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
      throw Exception(Format("MoveFileEx failed; code %d.", static_cast<int>(GetLastError())));
    return;
  }
  AddWininitRename(ShortPathOf(destination) + "=" + ShortPathOf(temporary));
}

void RegisterLibrary(const std::string& path) {
  for (;;) {
    TLibraryCall call = CallLibraryEntry(path, "DllRegisterServer");
    if (call.Succeeded()) return;
    std::string reason;
    switch (call.Stage) {
      case TLibraryCall::lcLoadFailed: reason = "LoadLibrary failed"; break;
      case TLibraryCall::lcNoEntry: reason = "DllRegisterServer export not found"; break;
      case TLibraryCall::lcCalled:
        reason = Format("DllRegisterServer returned %d", static_cast<int>(call.Result));
        break;
      case TLibraryCall::lcException:
        reason = Format("DllRegisterServer raised exception 0x%.8X", static_cast<unsigned>(call.ExceptionCode));
        break;
    }
    int answer = ShowMsg(Format("%s\r\nUnable to register the DLL/OCX. (%s)", path.c_str(), reason.c_str()) +
                             "\r\n\r\nClick Retry to try again, Ignore to proceed anyway (not recommended), or Abort "
                             "to cancel installation.",
                         "", mkWarning, MB_ABORTRETRYIGNORE | MB_DEFBUTTON2);
    if (answer == IDABORT) throw EAbort();
    if (answer != IDRETRY) return;
  }
}

std::function<void(const std::string& path, bool existed)> RaiseSharedFileCount = AddSharedFileRef;

void AddSharedFileRef(const std::string& path, bool existed) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    throw Exception(Format("Error opening registry key: %s", kSharedDllsKey));
  std::optional<TSharedCount> stored;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, path.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (RegQueryValueExA(key, path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
        ERROR_SUCCESS) {
      data.resize(size);
      stored = ParseSharedCount(type, data);
    }
  }
  const uint32_t storeType = stored ? stored->Type : kRegDword;
  std::string bytes = EncodeSharedCount(RaisedSharedCount(stored, existed), storeType);
  LONG rc = RegSetValueExA(key, path.c_str(), 0, storeType, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) throw Exception(Format("Error writing to registry key: %s", kSharedDllsKey));
}
