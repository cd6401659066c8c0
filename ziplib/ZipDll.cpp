// ZIPDLL.DLL: adds files to a zip archive as a ZipRequestBlock asks. The
// archive is written to a temporary file beside it and replaces it only
// when complete, so a stopped or failed run leaves the old archive as it was.
#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ZipDllApi.h"
#include "ZipFormat.h"

using namespace zipfmt;

namespace {

// ---- thin file wrappers

class TFile {
public:
  TFile() = default;
  ~TFile() { Close(); }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  bool Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    Close();
    h_ = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h_ != INVALID_HANDLE_VALUE;
  }
  void Close() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
  HANDLE Handle() const { return h_; }
  bool Seek(uint64_t pos) {
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(pos);
    return SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) != 0;
  }
  uint64_t Size() const {
    LARGE_INTEGER li;
    return GetFileSizeEx(h_, &li) ? static_cast<uint64_t>(li.QuadPart) : 0;
  }
  // Reads up to n bytes; -1 on error.
  long long Read(void* buf, size_t n) {
    DWORD got = 0;
    if (!ReadFile(h_, buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }
  bool WriteAll(const void* p, size_t n) {
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
      DWORD done = 0;
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 20));
      if (!WriteFile(h_, c, chunk, &done, nullptr) || done != chunk) return false;
      c += done;
      n -= done;
    }
    return true;
  }

private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

class TFileSource : public IByteSource {
public:
  explicit TFileSource(TFile& f) : f_(f), size_(f.Size()) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buf, size_t n) override {
    if (!f_.Seek(offset)) return false;
    return f_.Read(buf, n) == static_cast<long long>(n);
  }

private:
  TFile& f_;
  uint64_t size_;
};

class TFileSink : public IByteSink {
public:
  explicit TFileSink(TFile& f) : f_(f) {}
  bool Write(const void* p, size_t n) override {
    if (!f_.WriteAll(p, n)) return false;
    pos_ += n;
    return true;
  }
  uint64_t Position() const override { return pos_; }
  bool WriteAt(uint64_t offset, const void* p, size_t n) override {
    return f_.Seek(offset) && f_.WriteAll(p, n) && f_.Seek(pos_);
  }

private:
  TFile& f_;
  uint64_t pos_ = 0;
};

// ---- helpers

std::string Upper(std::string s) {
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

std::string FullPath(const std::string& path) {
  char buf[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) return path;
  return std::string(buf, n);
}

bool IsSep(char c) { return c == '\\' || c == '/'; }

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

bool IsDirectory(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TDosTime DosTimeOf(const FILETIME& utc) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return MakeDosTime(1980, 1, 1, 0, 0, 0);
  TDosTime t;
  t.Date = date;
  t.Time = time;
  return t;
}

// The folder part of a specification as it goes into stored names: no drive
// or share, no "." or ".." parts, '/' between parts.
std::string StoredFolder(const std::string& folder) {
  std::string s = folder;
  size_t start = 0;
  if (s.size() >= 2 && IsSep(s[0]) && IsSep(s[1])) {  // \\server\share
    size_t a = s.find_first_of("\\/", 2);
    size_t b = a == std::string::npos ? a : s.find_first_of("\\/", a + 1);
    start = b == std::string::npos ? s.size() : b;
  } else if (s.size() >= 2 && s[1] == ':') {
    start = 2;
  }
  std::string out;
  std::string part;
  auto flush = [&]() {
    if (!part.empty() && part != "." && part != "..") out += part + "/";
    part.clear();
  };
  for (size_t i = start; i < s.size(); ++i) {
    if (IsSep(s[i])) flush();
    else part += s[i];
  }
  flush();
  return out;
}

struct TCandidate {
  std::string Path;    // full path on disk
  std::string Stored;  // name in the archive
  DWORD Attributes = 0;
  uint64_t Size = 0;
  TDosTime Time;
};

enum class TPlan { Keep, Replace };

class TZipRun {
public:
  explicit TZipRun(ZipRequestBlock& b) : b_(b) {}
  int Run();

private:
  int Callback(int32_t action, int32_t code, uint64_t size, const std::string& text);
  bool Message(int32_t code, const std::string& text) { return Callback(zcaMessage, code, 0, text) != -1; }
  void Info(const std::string& text) {
    if (verbose_) Message(zeNone, text);
  }
  void TraceText(const std::string& text) {
    if (b_.Trace) Message(zeNone, text);
  }
  bool ReadBlock();
  void CollectSpec(const std::string& spec);
  void CollectFolder(const std::string& folder, const std::string& stored, const std::string& pattern, bool& any);
  void AddCandidate(const std::string& path, const std::string& stored, const WIN32_FIND_DATAA& fd);
  bool Excluded(const std::string& path) const;
  // Writes one file as a new entry; false ends the run. `skipped` is set
  // when the file cannot be read (the run goes on).
  bool AddFile(TZipWriter& w, const TCandidate& c, bool& skipped);
  void Finish();

  ZipRequestBlock& b_;
  bool stopped_ = false;
  bool verbose_ = false;
  std::string zipName_, zipFull_, password_;
  std::vector<std::string> specs_;
  std::vector<TCandidate> candidates_;
  int level_ = 9;
  bool encrypt_ = false;
};

int TZipRun::Callback(int32_t action, int32_t code, uint64_t size, const std::string& text) {
  if (stopped_ && action != zcaBatchEnded) return -1;
  if (!b_.Callback) return 0;
  ZipCallbackRecord r{};
  r.Handle = b_.Handle;
  r.Caller = b_.Caller;
  r.Version = kZipInterfaceVersion;
  r.IsOperationZip = kZipTrue;
  r.ActionCode = action;
  r.ErrorCode = code;
  r.FileSize = static_cast<int32_t>(std::min<uint64_t>(size, 0x7FFFFFFF));
  size_t n = std::min(text.size(), sizeof r.Text - 1);
  std::memcpy(r.Text, text.data(), n);
  r.Text[n] = 0;
  int rc = b_.Callback(&r);
  if (rc == -1 && action != zcaBatchEnded) stopped_ = true;
  return rc;
}

// Reads a zero-terminated text from a fixed buffer; false when it has no end.
bool ReadText(const char* p, size_t bufSize, std::string& out) {
  if (!p) {
    out.clear();
    return true;
  }
  const void* end = std::memchr(p, 0, bufSize);
  if (!end) return false;
  out.assign(p, static_cast<const char*>(end));
  return true;
}

bool TZipRun::ReadBlock() {
  verbose_ = b_.Verbose || b_.Trace;
  if (!ReadText(b_.ZipFileName, kZipNameBufSize, zipName_) || zipName_.empty())
    return Message(zeParams, "No zip file name given"), false;
  if (b_.Argc < 0 || b_.Argc > kZipMaxSpecs)
    return Message(zeParams, "Bad number of file specifications"), false;
  for (int i = 0; i < b_.Argc; ++i) {
    std::string s;
    if (!ReadText(b_.FileSpecs[i], kZipNameBufSize, s))
      return Message(zeParams, "File specification too long"), false;
    if (!s.empty()) specs_.push_back(s);
  }
  if (!ReadText(b_.Password, kZipPasswordBufSize, password_))
    return Message(zeParams, "Password too long"), false;
  encrypt_ = b_.Encrypt != 0;
  if (encrypt_ && password_.empty()) return Message(zeParams, "Encryption asked for without a password"), false;
  level_ = std::clamp<int>(b_.Level, 0, 9);
  zipFull_ = Upper(FullPath(zipName_));
  return true;
}

bool TZipRun::Excluded(const std::string& path) const { return Upper(FullPath(path)) == zipFull_; }

void TZipRun::AddCandidate(const std::string& path, const std::string& stored, const WIN32_FIND_DATAA& fd) {
  if (Excluded(path)) return;
  TCandidate c;
  c.Path = path;
  c.Attributes = fd.dwFileAttributes;
  c.Size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  c.Time = DosTimeOf(fd.ftLastWriteTime);
  std::string name = b_.JunkDirNames ? std::string() : stored;
  name += fd.cFileName;
  if (b_.ForceDOS) {
    std::string dos, part;
    for (size_t i = 0; i <= name.size(); ++i) {
      if (i == name.size() || name[i] == '/') {
        dos += ForceDOSName(part);
        if (i < name.size()) dos += '/';
        part.clear();
      } else {
        part += name[i];
      }
    }
    name = dos;
  }
  // Names are stored in the OEM code page, as FAT-made entries expect.
  CharToOemBuffA(name.c_str(), name.data(), static_cast<DWORD>(name.size()));
  std::string key = Upper(name);
  for (const TCandidate& o : candidates_)
    if (Upper(o.Stored) == key) {
      Message(zeWarning, "Duplicate name skipped: " + path);
      return;
    }
  c.Stored = name;
  candidates_.push_back(std::move(c));
}

void TZipRun::CollectFolder(const std::string& folder, const std::string& stored, const std::string& pattern,
                            bool& any) {
  std::string base = folder.empty() ? std::string() : (IsSep(folder.back()) ? folder : folder + "\\");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((base + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subFolders;
  const DWORD hiddenBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (!b_.SystemFiles && (fd.dwFileAttributes & hiddenBits)) continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (b_.Recurse) subFolders.push_back(name);
    } else if (WildcardMatch(pattern, name)) {
      any = true;
      AddCandidate(base + name, stored, fd);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(subFolders.begin(), subFolders.end());
  for (const std::string& sub : subFolders) CollectFolder(base + sub, stored + sub + "/", pattern, any);
}

void TZipRun::CollectSpec(const std::string& spec) {
  std::string folder, pattern;
  if (!HasWildcard(spec) && IsDirectory(spec)) {
    folder = spec;
    pattern = "*.*";
  } else {
    size_t cut = spec.find_last_of("\\/:");
    if (cut == std::string::npos) {
      pattern = spec;
    } else {
      folder = spec.substr(0, cut + 1);
      pattern = spec.substr(cut + 1);
    }
  }
  if (HasWildcard(folder)) {
    Message(zeWarning, "Wildcards are allowed in the last part only: " + spec);
    return;
  }
  bool any = false;
  if (!pattern.empty()) CollectFolder(folder, StoredFolder(folder), pattern, any);
  if (!any) Message(zeWarning, "Name not matched: " + spec);
}

bool RandomBytes(uint8_t* p, size_t n) { return RtlGenRandom(p, static_cast<ULONG>(n)) != FALSE; }

bool TZipRun::AddFile(TZipWriter& w, const TCandidate& c, bool& skipped) {
  skipped = false;
  if (w.Entries().size() >= kMaxEntries)
    return Message(zeTooLarge, "Too many files for one zip archive (at most 65534): " + c.Path), false;
  if (Callback(zcaFileBegins, zeNone, c.Size, c.Stored) == -1) return false;
  TFile f;
  if (!f.Open(c.Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)) {
    skipped = true;
    return Message(zeOpenFile, "Could not open for reading: " + c.Path);
  }
  if (f.Size() > kMaxField32) return Message(zeTooLarge, "File too large for a zip archive: " + c.Path), false;
  std::vector<uint8_t> buf(kZipPieceSize);
  // First pass: the CRC, which the local header and the encryption header need.
  uint32_t crc = 0;
  uint64_t size = 0;
  for (;;) {
    long long n = f.Read(buf.data(), buf.size());
    if (n < 0) {
      skipped = true;
      return Message(zeOpenFile, "Could not read: " + c.Path);
    }
    if (n == 0) break;
    crc = Crc32(crc, buf.data(), static_cast<size_t>(n));
    size += static_cast<uint64_t>(n);
  }
  if (size > kMaxField32) return Message(zeTooLarge, "File too large for a zip archive: " + c.Path), false;
  uint8_t header[kCryptHeaderSize] = {};
  if (encrypt_ && !RandomBytes(header, sizeof header))
    return Message(zeWrite, "No random data for the encryption header"), false;

  TNewEntry e;
  e.Name = c.Stored;
  e.Time = c.Time;
  e.ExternalAttr = c.Attributes & 0xFF & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
  e.Crc = crc;
  e.Size = static_cast<uint32_t>(size);
  e.Level = level_;
  e.Encrypted = encrypt_;
  if (!w.BeginEntry(e)) return Message(zeWrite, "Write error: " + w.Error), false;
  TEntryEncoder enc(level_, encrypt_ ? &password_ : nullptr, crc, header);
  if (!enc.Ok()) return Message(zeWrite, "Compressor error"), false;
  if (!f.Seek(0)) return Message(zeOpenFile, "Could not read: " + c.Path), false;
  uint32_t crc2 = 0;
  uint64_t size2 = 0;
  Bytes out;
  for (;;) {
    long long n = f.Read(buf.data(), buf.size());
    if (n < 0) return Message(zeOpenFile, "Could not read: " + c.Path), false;
    if (n == 0) break;
    crc2 = Crc32(crc2, buf.data(), static_cast<size_t>(n));
    size2 += static_cast<uint64_t>(n);
    out.clear();
    if (!enc.Feed(buf.data(), static_cast<size_t>(n), out)) return Message(zeWrite, "Compressor error"), false;
    if (!w.WriteEntryData(out.data(), out.size())) return Message(zeWrite, "Write error: " + w.Error), false;
    if (Callback(zcaPieceDone, zeNone, 0, " ") == -1) return false;
  }
  if (crc2 != crc || size2 != size) return Message(zeFileChanged, "File changed while it was added: " + c.Path), false;
  out.clear();
  if (!enc.Finish(out) || !w.WriteEntryData(out.data(), out.size()) || !w.EndEntry())
    return Message(zeWrite, "Write error: " + w.Error), false;
  const TZipEntry& done = w.Entries().back();
  if (verbose_) {
    uint64_t stored = done.CompressedSize - (encrypt_ ? kCryptHeaderSize : 0);
    int pct = size ? static_cast<int>(100 - (stored * 100) / size) : 0;
    Info("  adding: " + c.Stored + (level_ ? " (deflated " : " (stored ") + std::to_string(std::max(pct, 0)) + "%)");
  }
  return true;
}

void SetArchiveTime(const std::string& path, TDosTime t) {
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(t.Date, t.Time, &local) || !LocalFileTimeToFileTime(&local, &utc)) return;
  TFile f;
  if (f.Open(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, OPEN_EXISTING)) SetFileTime(f.Handle(), nullptr, nullptr, &utc);
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  if (cut == std::string::npos) return ".";
  if (path[cut] == ':') return path.substr(0, cut + 1);
  return path.substr(0, cut + 1);
}

// Removes the temporary archive unless it has been handed over.
class TTempGuard {
public:
  std::string Path;
  ~TTempGuard() {
    if (!Path.empty()) DeleteFileA(Path.c_str());
  }
};

int TZipRun::Run() {
  if (!ReadBlock()) return 0;
  TraceText("Trace: zip file " + zipName_);
  for (const std::string& spec : specs_) {
    if (stopped_) return 0;
    CollectSpec(spec);
  }
  if (stopped_) return 0;

  // The existing archive, if any.
  TFile old;
  TZipDirectory dir;
  bool hasOld = GetFileAttributesA(zipName_.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (hasOld) {
    if (!old.Open(zipName_, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING))
      return Message(zeBadArchive, "Cannot open the zip file " + zipName_), 0;
    TFileSource src(old);
    TReadError err = ReadZipDirectory(src, dir);
    if (err != TReadError::None)
      return Message(zeBadArchive, zipName_ + " is not a valid zip file: " + ReadErrorText(err)), 0;
  }

  // What happens to each old entry, and which files are new.
  std::vector<TPlan> plan(dir.Entries.size(), TPlan::Keep);
  std::vector<int> replaceWith(dir.Entries.size(), -1);
  std::vector<int> added;
  for (size_t i = 0; i < candidates_.size(); ++i) {
    const TCandidate& c = candidates_[i];
    std::string key = Upper(c.Stored);
    int found = -1;
    for (size_t j = 0; j < dir.Entries.size(); ++j)
      if (Upper(dir.Entries[j].Name) == key) {
        found = static_cast<int>(j);
        break;
      }
    bool onlyNewer = b_.Update || b_.Freshen;
    if (found < 0) {
      if (b_.Freshen && !b_.Update) continue;
      added.push_back(static_cast<int>(i));
    } else {
      if (onlyNewer && c.Time.Packed() <= dir.Entries[found].Time.Packed()) continue;
      plan[found] = TPlan::Replace;
      replaceWith[found] = static_cast<int>(i);
    }
  }
  size_t toWrite = added.size() + static_cast<size_t>(std::count(plan.begin(), plan.end(), TPlan::Replace));
  if (toWrite == 0) {
    Message(zeNothingToDo, "Nothing to do");
    return 0;
  }

  TTempGuard guard;
  char tempName[MAX_PATH];
  if (!GetTempFileNameA(FolderOf(zipName_).c_str(), "zip", 0, tempName))
    return Message(zeCreate, "Cannot create a temporary file beside " + zipName_), 0;
  guard.Path = tempName;
  TFile temp;
  if (!temp.Open(tempName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS))
    return Message(zeCreate, std::string("Cannot create ") + tempName), 0;
  TFileSink sink(temp);
  TZipWriter w(sink);
  std::vector<std::string> written;  // sources to remove when moving

  if (hasOld) {
    TFileSource src(old);
    std::vector<uint8_t> buf(kZipPieceSize);
    for (uint64_t done = 0; done < dir.PrefixSize;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), dir.PrefixSize - done));
      if (!src.ReadAt(done, buf.data(), n) || !w.WriteRaw(buf.data(), n))
        return Message(zeWrite, "Cannot copy the start of " + zipName_), 0;
      done += n;
    }
    for (size_t j = 0; j < dir.Entries.size(); ++j) {
      bool skipped = false;
      if (plan[j] == TPlan::Replace) {
        const TCandidate& c = candidates_[replaceWith[j]];
        if (!AddFile(w, c, skipped)) return 0;
        if (!skipped) {
          written.push_back(c.Path);
          continue;
        }
      }
      if (!w.CopyEntry(src, dir.Entries[j])) return Message(zeWrite, "Cannot copy an entry: " + w.Error), 0;
    }
  }
  for (int i : added) {
    bool skipped = false;
    if (!AddFile(w, candidates_[i], skipped)) return 0;
    if (!skipped) written.push_back(candidates_[i].Path);
  }
  if (stopped_) return 0;
  if (written.empty()) {
    Message(zeNothingToDo, "Nothing to do");
    return 0;
  }
  if (!w.Finish(dir.Comment)) return Message(zeWrite, "Write error: " + w.Error), 0;
  temp.Close();
  old.Close();
  if (!MoveFileExA(tempName, zipName_.c_str(), MOVEFILE_REPLACE_EXISTING))
    return Message(zeWrite, "Cannot replace " + zipName_ + " (error " + std::to_string(GetLastError()) + ")"), 0;
  guard.Path.clear();

  if (b_.ZipTime && !w.Entries().empty()) {
    TDosTime newest = w.Entries().front().Time;
    for (const TZipEntry& e : w.Entries())
      if (e.Time.Packed() > newest.Packed()) newest = e.Time;
    SetArchiveTime(zipName_, newest);
  }
  if (b_.Move)
    for (const std::string& path : written)
      if (!DeleteFileA(path.c_str()))
        Message(zeWarning, "Could not remove " + path + " (error " + std::to_string(GetLastError()) + ")");
  TraceText("Trace: " + std::to_string(written.size()) + " files added");
  return static_cast<int>(written.size());
}

}  // namespace

extern "C" __declspec(dllexport) int32_t ZIPDLL_CALL ZipDllExec(ZipRequestBlock* block) {
  if (!block) return 0;
  int added = 0;
  try {
    TZipRun run(*block);
    added = run.Run();
    // The batch ends once, whatever happened.
    if (block->Callback) {
      ZipCallbackRecord r{};
      r.Handle = block->Handle;
      r.Caller = block->Caller;
      r.Version = kZipInterfaceVersion;
      r.IsOperationZip = kZipTrue;
      r.ActionCode = zcaBatchEnded;
      r.Text[0] = ' ';
      block->Callback(&r);
    }
  } catch (...) {
    // Nothing may unwind into the caller.
    added = 0;
  }
  return added;
}

extern "C" __declspec(dllexport) int32_t ZIPDLL_CALL GetZipDllVersion() { return kZipInterfaceVersion; }
