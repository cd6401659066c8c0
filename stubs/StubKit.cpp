#include "StubKit.h"

#include <cstring>

// ---- the program's own file

bool MovePointer(HANDLE file, int64_t distance, DWORD from, uint64_t* now) {
  LONG high = static_cast<LONG>(distance >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, static_cast<LONG>(distance & 0xFFFFFFFF), &high, from);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  if (now) *now = (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  return true;
}

bool TSelfFile::Open() {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return false;
  path_ = buf;
  file_.Reset(CreateFileA(buf, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file_.Valid() && MovePointer(file_.Get(), 0, FILE_END, &size_);
}

bool TSelfFile::ReadAt(uint64_t offset, void* buf, size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (!MovePointer(file_.Get(), static_cast<int64_t>(offset), FILE_BEGIN)) return false;
  auto* p = static_cast<uint8_t*>(buf);
  while (n > 0) {
    DWORD got = 0, want = static_cast<DWORD>(n < (1u << 20) ? n : (1u << 20));
    if (!ReadFile(file_.Get(), p, want, &got, nullptr) || got == 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

// ---- the test hook

namespace {
std::string Env(const char* name) {
  char buf[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}
}  // namespace

TStubHook& TStubHook::Get() {
  static TStubHook hook;
  return hook;
}

TStubHook::TStubHook() : logPath_(Env("TZ_STUB_LOG")) {
  std::string answers = Env("TZ_STUB_ANSWERS");
  if (!Active() || answers.empty()) return;
  THandleGuard f(CreateFileA(answers.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f.Valid()) return;
  std::string text;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) answers_.push_back(line);
    at = end + 1;
  }
}

void TStubHook::Log(const std::string& line) {
  if (!Active()) return;
  THandleGuard f(CreateFileA(logPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.Valid()) return;
  std::string text = line + "\r\n";
  DWORD done = 0;
  WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
}

bool TStubHook::Take(const char* words, std::string& taken, std::string& rest) {
  if (answers_.empty()) return false;
  const std::string& a = answers_.front();
  std::string word = a.substr(0, a.find(' '));
  std::string list = std::string("|") + words + "|";
  if (list.find("|" + word + "|") == std::string::npos) return false;
  taken = word;
  rest = word.size() < a.size() ? a.substr(word.size() + 1) : std::string();
  answers_.pop_front();
  return true;
}

void StartStub() { TStubHook::Get().Log(std::string(kStubName) + " " + GetCommandLineA()); }

int EndStub(int code) {
  TStubHook::Get().Log("exit " + std::to_string(code));
  return code;
}

int StubBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  TStubHook& hook = TStubHook::Get();
  if (!hook.Active()) return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
  struct TChoice {
    const char* Word;
    int Id;
  };
  static const TChoice kOk[] = {{"ok", IDOK}}, kOkCancel[] = {{"cancel", IDCANCEL}, {"ok", IDOK}},
                       kYesNo[] = {{"no", IDNO}, {"yes", IDYES}},
                       kYesNoCancel[] = {{"cancel", IDCANCEL}, {"no", IDNO}, {"yes", IDYES}},
                       kRetryCancel[] = {{"cancel", IDCANCEL}, {"retry", IDRETRY}};
  const TChoice* choices = kOk;
  size_t count = 1;
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: choices = kOkCancel, count = 2; break;
    case MB_YESNO: choices = kYesNo, count = 2; break;
    case MB_YESNOCANCEL: choices = kYesNoCancel, count = 3; break;
    case MB_RETRYCANCEL: choices = kRetryCancel, count = 2; break;
    default: break;
  }
  std::string words, taken, rest;
  for (size_t i = 0; i < count; ++i) words += (i ? "|" : "") + std::string(choices[i].Word);
  int id = choices[0].Id;  // the safest answer when none is scripted
  if (hook.Take(words.c_str(), taken, rest))
    for (size_t i = 0; i < count; ++i)
      if (taken == choices[i].Word) id = choices[i].Id;
  for (size_t i = 0; i < count; ++i)
    if (choices[i].Id == id) taken = choices[i].Word;
  hook.Log("box " + caption + ": " + text + " -> " + taken);
  return id;
}

// ---- names and folders

std::string SelfName() {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string path(buf, n < sizeof buf ? n : 0);
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string CurrentFolder() {
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string(".");
}

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  char buf[MAX_PATH + 1];
  char* name = nullptr;
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, &name);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : path;
}

std::string WithBackslash(const std::string& folder) {
  return folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
}

std::string SystemErrorText(DWORD code) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof buf, nullptr);
  std::string text(buf, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? "Error " + std::to_string(code) : text;
}

std::string OemToAnsi(const std::string& s) {
  std::string out = s;
  if (!out.empty()) OemToCharBuffA(s.c_str(), out.data(), static_cast<DWORD>(out.size()));
  return out;
}

// ---- writing

bool TWriteSpace::Fail() {
  error_ = GetLastError();
  return false;
}

bool TWriteSpace::MakeFolder(const std::string& rel) {
  std::string path = folder_ + rel;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  // Skip the root: "C:\" or "\\server\share\".
  size_t at = 0;
  if (path.size() >= 2 && path[1] == ':') at = 3;
  else if (path.compare(0, 2, "\\\\") == 0) {
    at = path.find('\\', 2);
    at = at == std::string::npos ? path.size() : path.find('\\', at + 1);
    at = at == std::string::npos ? path.size() : at + 1;
  }
  while (at <= path.size()) {
    size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(0, end);
    if (end > at && !IsFolder(part)) {
      if (!CreateDirectoryA(part.c_str(), nullptr) && !IsFolder(part)) return Fail();
      madeFolders_.push_back(part);
    }
    at = end + 1;
  }
  return true;
}

bool TWriteSpace::BeginFile(const std::string& rel) {
  size_t cut = rel.find_last_of('\\');
  if (cut != std::string::npos && !MakeFolder(rel.substr(0, cut))) return false;
  std::string dir = Target(rel.substr(0, cut == std::string::npos ? 0 : cut));
  char temp[MAX_PATH + 1];
  if (!GetTempFileNameA(dir.c_str(), "sfx", 0, temp)) return Fail();
  open_ = {temp, Target(rel)};
  file_.Reset(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file_.Valid() || Fail();
}

bool TWriteSpace::Write(const uint8_t* p, size_t n) {
  while (n > 0) {
    DWORD done = 0, want = static_cast<DWORD>(n < (1u << 20) ? n : (1u << 20));
    if (!WriteFile(file_.Get(), p, want, &done, nullptr) || done == 0) return Fail();
    p += done;
    n -= done;
  }
  return true;
}

bool TWriteSpace::EndFile(uint16_t dosDate, uint16_t dosTime) {
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &local) || !LocalFileTimeToFileTime(&local, &utc) ||
      !SetFileTime(file_.Get(), nullptr, nullptr, &utc))
    return Fail();
  if (!file_.Close()) return Fail();
  pending_.push_back(open_);
  open_ = {};
  return true;
}

bool TWriteSpace::Commit(std::string& failed) {
  for (size_t i = 0; i < pending_.size(); ++i) {
    const TPending& p = pending_[i];
    DWORD attrs = GetFileAttributesA(p.Final.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(p.Final.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    bool moved = MoveFileExA(p.Temp.c_str(), p.Final.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!moved && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {  // Windows 95
      DeleteFileA(p.Final.c_str());
      moved = MoveFileA(p.Temp.c_str(), p.Final.c_str());
    }
    if (!moved) {
      Fail();
      failed = p.Final;
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
      Discard();
      return false;
    }
    ++committed_;
  }
  pending_.clear();
  madeFolders_.clear();
  return true;
}

void TWriteSpace::Discard() {
  file_.Close();
  if (!open_.Temp.empty()) DeleteFileA(open_.Temp.c_str());
  open_ = {};
  for (const TPending& p : pending_) DeleteFileA(p.Temp.c_str());
  pending_.clear();
  for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) RemoveDirectoryA(it->c_str());
  madeFolders_.clear();
}

bool RunCommand(const std::string& commandLine, const std::string& folder, DWORD& error) {
  TStubHook::Get().Log("run " + commandLine + " in " + folder);
  // The program is looked for in the current folder too.
  SetCurrentDirectoryA(folder.c_str());
  std::string cmd = commandLine;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    error = GetLastError();
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}
