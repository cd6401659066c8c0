#include "ZipArch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "Forms.h"
#include "Handles.h"
#include "PathUtils.h"
#include "ProgramFolder.h"
#include "Seam.h"

namespace {

// The library and its entry points, shared by every component.
HMODULE g_zipDll = nullptr;
ZipDllExecFn g_zipDllExec = nullptr;
GetZipDllVersionFn g_getZipDllVersion = nullptr;

std::string UpperText(std::string s) {
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// The extension with its dot, "" when there is none.
std::string ExtractFileExt(const std::string& path) {
  size_t dot = path.find_last_of(".\\:");
  if (dot == std::string::npos || path[dot] != '.') return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string e = ExtractFileExt(path);
  return path.substr(0, path.size() - e.size()) + ext;
}

// The title of a plain message box: the application's, else the program's
// name.
std::string AppTitle() {
  if (!Application().Title().empty()) return Application().Title();
  std::string p = ProgramFileName();
  size_t cut = p.find_last_of('\\');
  if (cut != std::string::npos) p = p.substr(cut + 1);
  return ChangeFileExt(p, "");
}

class TFileInput : public IZipInput {
public:
  explicit TFileInput(HANDLE h) : h_(h) {
    LARGE_INTEGER li;
    size_ = GetFileSizeEx(h, &li) ? static_cast<uint64_t>(li.QuadPart) : 0;
  }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t pos, void* buf, size_t n) override {
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(pos);
    DWORD got = 0;
    if (!SetFilePointerEx(h_, li, nullptr, FILE_BEGIN)) return false;
    return ReadFile(h_, buf, static_cast<DWORD>(n), &got, nullptr) && got == n;
  }

private:
  HANDLE h_;
  uint64_t size_ = 0;
};

uint64_t FileSizeOf(HANDLE h) {
  LARGE_INTEGER li;
  return GetFileSizeEx(h, &li) ? static_cast<uint64_t>(li.QuadPart) : 0;
}

int32_t B(bool v) { return v ? kZipTrue : kZipFalse; }

}  // namespace

std::string TrimMessageEnd(const std::string& text) {
  if (text.size() < 2) return text;
  for (size_t i = text.size() - 2; i < text.size(); ++i)
    if (text[i] == '\r' || text[i] == '\n') return text.substr(0, i);
  return text;
}

TZipArchiver::TZipArchiver(TComponent* owner) : TComponent(owner), appHandle_(Application().Handle()) {}

TZipArchiver::~TZipArchiver() {
  dir_.clear();
  specs_.clear();
}

void TZipArchiver::SetZipFilename(const std::string& name) {
  zipFilename_ = name;
  ReadDirectory();
}

void TZipArchiver::SetPassword(const std::string& password) { password_ = password.substr(0, 255); }

void TZipArchiver::SetDLLDirectory(const std::string& dir) {
  if (dir != dllDirectory_) dllDirectory_ = TrimTrailingBackslash(dir);
}

void TZipArchiver::ReportMessage(int number, const std::string& text) {
  ErrCode = number;
  Message = text;
  if (OnMessage) OnMessage(this, number, text);
  if (!Unattended) Seam().ShowBox(appHandle_, text, AppTitle(), MB_OK);
}

// ---- library

bool TZipArchiver::LoadZipDll(bool& loadedHere) {
  loadedHere = false;
  if (g_zipDll) return true;
  std::string name = "ZIPDLL.DLL";
  if (!dllDirectory_.empty() && FileExistsStr(dllDirectory_ + "\\ZIPDLL.DLL")) name = dllDirectory_ + "\\ZIPDLL.DLL";
  // No critical-error or fault boxes while loading; the caller's mode
  // comes back afterwards.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  HMODULE h = LoadLibraryA(name.c_str());
  SetErrorMode(previous);
  if (reinterpret_cast<UINT_PTR>(h) < 33) {
    ReportMessage(zmDllNotFound, "ZIPDLL.DLL not found");
    return false;
  }
  auto exec = reinterpret_cast<ZipDllExecFn>(reinterpret_cast<void*>(GetProcAddress(h, "ZipDllExec")));
  auto version = reinterpret_cast<GetZipDllVersionFn>(reinterpret_cast<void*>(GetProcAddress(h, "GetZipDllVersion")));
  if (!exec || !version) {
    FreeLibrary(h);
    if (!exec) ReportMessage(zmNoExecFunction, "ZipDllExec function not found in ZIPDLL.DLL");
    else ReportMessage(zmNoVersionFunction, "GetZipDllVersion function not found in ZIPDLL.DLL");
    return false;
  }
  g_zipDll = h;
  g_zipDllExec = exec;
  g_getZipDllVersion = version;
  loadedHere = true;
  if (Trace) ReportMessage(zmDllLoaded, "ZIP DLL Loaded");
  return true;
}

int32_t ZIPDLL_CALL ZipCallback(ZipCallbackRecord* record) {
  if (!record || !record->Caller) return 0;
  return static_cast<TZipArchiver*>(record->Caller)->HandleCallback(*record);
}

int32_t TZipArchiver::HandleCallback(const ZipCallbackRecord& r) {
  // Nothing may unwind into the library: a failing handler stops the run.
  try {
    std::string text(r.Text, strnlen(r.Text, sizeof r.Text));
    switch (r.ActionCode) {
      case zcaFileBegins:
        if (OnProgress) OnProgress(this, NewFile, text, r.FileSize);
        break;
      case zcaPieceDone:
        if (OnProgress) OnProgress(this, ProgressUpdate, " ", 0);
        break;
      case zcaBatchEnded:
        if (OnProgress) OnProgress(this, EndOfBatch, " ", 0);
        break;
      default:
        if (r.ActionCode >= zcaMessage && OnMessage) {
          Message = TrimMessageEnd(text);
          ErrCode = r.ErrorCode;
          OnMessage(this, ErrCode, Message);
        }
        break;
    }
  } catch (...) {
    callbackFailed_ = true;
    return -1;
  }
  return Cancel || callbackFailed_ ? -1 : 0;
}

void TZipArchiver::AddFiles() {
  addedCount_ = 0;
  if (specs_.empty()) return ReportMessage(zmNoFiles, "Error - no files to zip");
  if (zipFilename_.empty()) return ReportMessage(zmNoZipName, "Error - no zip filename specified");
  if (busy_) return;
  // The library takes fixed buffers: refuse what does not fit them.
  if (zipFilename_.size() >= kZipNameBufSize)
    return ReportMessage(zmNameTooLong, "Error - zip filename longer than 255 characters");
  if (specs_.size() > static_cast<size_t>(kZipMaxSpecs))
    return ReportMessage(zmTooManySpecs, "Error - more than 8213 file specifications");
  for (const std::string& s : specs_)
    if (s.size() >= kZipNameBufSize)
      return ReportMessage(zmSpecTooLong, "Error - file specification longer than 255 characters: " + s);
  if (AddOptions.Contains(AddEncrypt) && password_.size() >= kZipPasswordBufSize)
    return ReportMessage(zmPasswordTooLong, "Error - password longer than 80 characters");

  busy_ = true;
  Cancel = false;
  callbackFailed_ = false;
  struct TBusyGuard {
    TZipArchiver& z;
    ~TBusyGuard() {
      z.Cancel = false;
      z.busy_ = false;
    }
  } busyGuard{*this};

  if (UpperText(ExtractFileExt(zipFilename_)) == ".EXE" && sfxOffset_ == 0 && !FileExistsStr(zipFilename_)) {
    makeEmpty_ = true;
    int rc = ConvertSFX();
    makeEmpty_ = false;
    if (rc != 0) return;  // no plain zip under an .exe name
  }

  bool loadedHere = false;
  if (!LoadZipDll(loadedHere)) return;

  auto block = std::make_unique<ZipRequestBlock>();
  std::memset(block.get(), 0, sizeof(ZipRequestBlock));
  std::array<char, kZipNameBufSize> zipName{};
  std::array<char, kZipPasswordBufSize> password{};
  std::vector<std::array<char, kZipNameBufSize>> specs(specs_.size());
  std::memcpy(zipName.data(), zipFilename_.data(), zipFilename_.size());
  std::memcpy(password.data(), password_.data(), std::min(password_.size(), password.size() - 1));
  for (size_t i = 0; i < specs_.size(); ++i) std::memcpy(specs[i].data(), specs_[i].data(), specs_[i].size());

  ZipRequestBlock& b = *block;
  b.Handle = Unattended ? nullptr : appHandle_;
  b.Caller = this;
  b.Version = kZipInterfaceVersion;
  b.Callback = ZipCallback;
  b.Trace = B(Trace);
  b.Password = password.data();
  b.Encrypt = B(AddOptions.Contains(AddEncrypt));
  b.SystemFiles = B(AddOptions.Contains(AddHiddenFiles));
  b.Fixed2C = kZipTrue;
  b.Verbose = B(Verbose || Trace);
  b.Fixed38 = kZipTrue;
  b.Level = AddCompLevel;
  b.JunkDirNames = B(!AddOptions.Contains(AddDirNames));
  b.Recurse = B(AddOptions.Contains(AddRecurseDirs));
  b.Fixed50 = kZipTrue;
  b.ForceDOS = B(AddOptions.Contains(AddForceDOS));
  b.Move = B(AddOptions.Contains(AddMove));
  b.Update = B(AddOptions.Contains(AddUpdate));
  b.Freshen = B(AddOptions.Contains(AddFreshen) && !AddOptions.Contains(AddUpdate));
  b.ZipTime = B(AddOptions.Contains(AddZipTime));
  b.Argc = static_cast<int32_t>(specs_.size());
  b.ZipFileName = zipName.data();
  b.Fixed80 = 7;
  for (size_t i = 0; i < specs.size(); ++i) b.FileSpecs[i] = specs[i].data();

  bool failed = false;
  try {
    addedCount_ = g_zipDllExec(block.get());
  } catch (...) {
    failed = true;
  }

  specs_.clear();
  block.reset();
  if (loadedHere) {
    FreeLibrary(g_zipDll);
    g_zipDll = nullptr;
    g_zipDllExec = nullptr;
    g_getZipDllVersion = nullptr;
  }
  if (failed || callbackFailed_) {
    addedCount_ = 0;
    ReportMessage(zmAbortException, "Fatal ZIPDLL Error: abort exception");
  }
  Cancel = false;
  busy_ = false;
  if (addedCount_ > 0) ReadDirectory();
}

// ---- directory

void TZipArchiver::ReadDirectory() {
  dir_.clear();
  sfxOffset_ = 0;
  struct TNotify {
    TZipArchiver& z;
    ~TNotify() {
      if (z.OnDirUpdate) z.OnDirUpdate(&z);
    }
  } notify{*this};
  if (!FileExistsStr(zipFilename_)) return;
  THandleGuard f(CreateFileA(zipFilename_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.Valid()) throw EZipStreamError("Cannot open file \"" + zipFilename_ + "\"");
  TFileInput in(f.Get());
  TZipDirResult r = ReadZipLocalDirectory(in);
  f.Close();
  if (r.FailDigit) {
    ReportMessage(zmNoValidEntries, "No valid zip entries found " + std::to_string(r.FailDigit));
    return;
  }
  dir_ = std::move(r.Entries);
  sfxOffset_ = r.SFXOffset;
}

// ---- self-extractor

bool TZipArchiver::FindStub() {
  std::vector<std::string> tries;
  tries.push_back(SFXPath);
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n > 0 && n < sizeof buf) tries.push_back(AddTrailingBackslash(buf) + "ZIPSFX.BIN");
  tries.push_back(ProgramFolder() + "ZIPSFX.BIN");
  n = GetSystemDirectoryA(buf, sizeof buf);
  if (n > 0 && n < sizeof buf) tries.push_back(AddTrailingBackslash(buf) + "ZIPSFX.BIN");
  n = GetWindowsDirectoryA(buf, sizeof buf);
  if (n > 0 && n < sizeof buf) tries.push_back(AddTrailingBackslash(buf) + "ZIPSFX.BIN");
  if (!dllDirectory_.empty()) tries.push_back(dllDirectory_ + "\\ZIPSFX.BIN");
  for (const std::string& t : tries) {
    SFXPath = t;
    if (!t.empty() && FileExistsStr(t)) return true;
  }
  return false;
}

// Copies in 8192-byte chunks while reads come back full; 0, -2 on a failed
// write, -3 on a failed read.
int TZipArchiver::CopyInChunks(HANDLE from, HANDLE to) {
  char buf[8192];
  for (;;) {
    DWORD got = 0, done = 0;
    if (!ReadFile(from, buf, sizeof buf, &got, nullptr)) return -3;
    if (got && (!WriteFile(to, buf, got, &done, nullptr) || done != got)) return -2;
    Application().ProcessMessages();
    if (got < sizeof buf) return 0;
  }
}

int TZipArchiver::ConvertSFX() {
  if (!makeEmpty_ && !FileExistsStr(zipFilename_)) {
    ReportMessage(zmNoZipName, "Error - no zip file specified");
    return zmNoZipName;
  }
  size_t total = SFXCaption.size() + SFXDefaultDir.size() + SFXCommandLine.size();
  if (total > static_cast<size_t>(kSFXMaxTextTotal)) {
    ReportMessage(zmTextsTooLong,
                  "Error - The total size of the 3 text properties exceeds 249!\r\n"
                  "SFXCaption + SFXDefaultDir + SFXCommandLine = " + std::to_string(total));
    return zmTextsTooLong;
  }
  if (!FindStub()) {
    ReportMessage(zmNoStub, "Error - ZIPSFX.BIN not found");
    return zmNoStub;
  }
  std::string output;
  if (makeEmpty_) {
    output = zipFilename_;
  } else {
    if (UpperText(ExtractFileExt(zipFilename_)) != ".ZIP") {
      ReportMessage(zmNotAZip, "Error: input file is not a zip file");
      return zmNotAZip;
    }
    output = ChangeFileExt(zipFilename_, ".exe");
  }

  auto fail = [&](int code, bool deleteOutput) {
    if (deleteOutput) DeleteFileA(output.c_str());
    ReportMessage(zmConvertFailed, "Error in ConvertSFX");
    return code;
  };

  THandleGuard stub(CreateFileA(SFXPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!stub.Valid() || SetFilePointer(stub.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    return fail(-3, false);
  uint64_t stubSize = FileSizeOf(stub.Get());

  // An existing output is written over, not truncated (the size check
  // catches one that was longer).
  THandleGuard out(CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr,
                               FileExistsStr(output) ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return fail(-1, false);

  int rc = CopyInChunks(stub.Get(), out.Get());
  stub.Close();
  if (rc != 0) {
    out.Close();
    return fail(rc, true);
  }

  SFXHeader header;
  BuildSFXHeader(SFXCaption, SFXDefaultDir, SFXCommandLine, SFXOptions, SFXOverWriteMode, header);
  DWORD done = 0;
  if (!WriteFile(out.Get(), header.data(), kSFXHeaderSize, &done, nullptr) || done != kSFXHeaderSize) {
    out.Close();
    return fail(-2, true);
  }

  if (makeEmpty_) {
    auto empty = EmptyZipRecord();
    bool ok = WriteFile(out.Get(), empty.data(), kEmptyZipSize, &done, nullptr) && done == kEmptyZipSize;
    out.Close();
    if (!ok) return fail(-2, true);
    return 0;
  }

  THandleGuard zip(CreateFileA(zipFilename_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!zip.Valid()) {
    out.Close();
    return fail(-3, true);
  }
  uint64_t zipSize = FileSizeOf(zip.Get());
  rc = CopyInChunks(zip.Get(), out.Get());
  zip.Close();
  out.Close();
  if (rc != 0) return fail(rc, true);

  WIN32_FILE_ATTRIBUTE_DATA fa;
  if (!GetFileAttributesExA(output.c_str(), GetFileExInfoStandard, &fa) ||
      ((static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow) != stubSize + zipSize + kSFXHeaderSize)
    return fail(-9, true);

  DeleteFileA(zipFilename_.c_str());
  SetZipFilename(output);
  return 0;
}
