// ZIPDLL.DLL: adds files to a zip archive as a ZipRequestBlock asks. The
// archive is written to a temporary file beside it and replaces it only
// when complete, so a stopped or failed run leaves the old archive as it was.
#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ZipDllApi.h"
#include "ZipFormat.h"
#include "ZipPipeline.h"

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
  // Reads until n bytes are in or the file ends; -1 on error.
  long long ReadFull(void* buf, size_t n) {
    char* c = static_cast<char*>(buf);
    size_t got = 0;
    while (got < n) {
      long long r = Read(c + got, std::min<size_t>(n - got, 1u << 30));
      if (r < 0) return -1;
      if (r == 0) break;
      got += static_cast<size_t>(r);
    }
    return static_cast<long long>(got);
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

uint64_t TimeValue(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// The open file still has the size and last-write time it was listed with.
bool SameAsListed(const TFile& f, uint64_t size, uint64_t written) {
  FILETIME now{};
  if (f.Size() != size || !GetFileTime(f.Handle(), nullptr, nullptr, &now)) return false;
  return TimeValue(now) == written;
}

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

// Writes through a buffer, so that a small entry's header, its data and the
// sizes patched into the header cost one write between them.
class TFileSink : public IByteSink {
public:
  explicit TFileSink(TFile& f) : f_(f) { buf_.reserve(kBufferSize); }
  bool Write(const void* p, size_t n) override {
    if (failed_) return false;
    if ((buf_.size() + n > kBufferSize || n >= kDirectSize) && !Flush()) return false;
    if (n >= kDirectSize) {
      if (!f_.WriteAll(p, n)) return Fail();
      flushed_ += n;
      return true;
    }
    const char* c = static_cast<const char*>(p);
    buf_.insert(buf_.end(), c, c + n);
    return true;
  }
  uint64_t Position() const override { return flushed_ + buf_.size(); }
  bool WriteAt(uint64_t offset, const void* p, size_t n) override {
    if (failed_ || offset + n > Position()) return false;
    if (offset >= flushed_) {
      std::memcpy(buf_.data() + (offset - flushed_), p, n);
      return true;
    }
    if (!Flush()) return false;
    if (!(f_.Seek(offset) && f_.WriteAll(p, n) && f_.Seek(flushed_))) return Fail();
    return true;
  }
  bool Flush() {
    if (failed_) return false;
    if (!buf_.empty() && !f_.WriteAll(buf_.data(), buf_.size())) return Fail();
    flushed_ += buf_.size();
    buf_.clear();
    return true;
  }

private:
  bool Fail() {
    failed_ = true;
    return false;
  }
  static constexpr size_t kBufferSize = 1u << 20;
  static constexpr size_t kDirectSize = 256u << 10;  // written as they come
  TFile& f_;
  std::vector<char> buf_;
  uint64_t flushed_ = 0;
  bool failed_ = false;
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
  uint64_t Written = 0;  // last-write time as listed; one that differs when opened changed
  TDosTime Time;
};

// One entry of the new archive, in the order they are written: an entry of
// the old archive copied, or a file added (which may replace an old one).
struct TStep {
  int Old = -1;
  int Add = -1;
};

// What reading a file ahead of the writer found. `Failure` holds the
// message for a file that could not be read; `Fatal` ends the run there.
struct TReadState {
  bool Opened = false;  // the reader is past its opening
  bool Skipped = false;
  bool Fatal = false;
  int32_t Code = zeNone;
  std::string Failure;
  size_t Pieces = 0;      // handed to the pipeline
  bool PreRead = false;   // CRC and size read before its pieces (encryption)
  uint32_t PreCrc = 0;
  uint64_t PreSize = 0;
};

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
  // Reads the next piece of the files to add into the pipeline; false when
  // nothing is left to read or a fatal failure stopped the reading.
  bool ReadAhead();
  void FillPipeline();
  bool OpenNext();
  void FailRead(bool fatal, int32_t code, const std::string& text);
  // Writes one file as a new entry; false ends the run. `skipped` is set
  // when the file cannot be read (the run goes on).
  bool AddFile(TZipWriter& w, int index, bool& skipped);

  ZipRequestBlock& b_;
  bool stopped_ = false;
  bool verbose_ = false;
  std::string zipName_, zipFull_, password_;
  std::vector<std::string> specs_;
  std::vector<TCandidate> candidates_;
  std::unordered_set<std::string> storedKeys_;  // upper-case stored names
  int level_ = 9;
  bool encrypt_ = false;

  // Reading ahead of the writer: the files to add in writing order, the
  // one being read, and what was found for each.
  std::unique_ptr<TPiecePipeline> pipeline_;
  size_t maxWaiting_ = 0, maxWaitingBytes_ = 0, maxSpares_ = 0;
  std::vector<int> addOrder_;
  size_t reading_ = 0;  // position in addOrder_
  TFile readFile_;
  bool readOpen_ = false;
  uint64_t readSize_ = 0, readDone_ = 0;
  RawBytes readTail_;  // the last 32 KB read, for the next piece
  // Large pieces are used again: fresh megabytes cost page faults.
  std::vector<std::unique_ptr<TPiece>> spares_;
  std::unique_ptr<TPiece> NewPiece(size_t size);
  void Recycle(std::unique_ptr<TPiece> piece);
  bool readStopped_ = false;
  std::vector<TReadState> states_;  // by candidate
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
  c.Written = TimeValue(fd.ftLastWriteTime);
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
  if (!storedKeys_.insert(Upper(name)).second) {
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

// Files up to this size are read on the worker threads.
constexpr uint64_t kLoadOnWorker = 256u << 10;

// ---- reading ahead

void TZipRun::FailRead(bool fatal, int32_t code, const std::string& text) {
  TReadState& st = states_[addOrder_[reading_]];
  st.Opened = true;
  st.Skipped = !fatal;
  st.Fatal = fatal;
  st.Code = code;
  st.Failure = text;
  readFile_.Close();
  readOpen_ = false;
  if (fatal) readStopped_ = true;
  else ++reading_;
}

// Opens the next file to add; false when the file failed (its state says
// how) or nothing is left.
bool TZipRun::OpenNext() {
  if (reading_ >= addOrder_.size()) return false;
  const TCandidate& c = candidates_[addOrder_[reading_]];
  TReadState& st = states_[addOrder_[reading_]];
  // Others may read but not write it while it is read.
  if (!readFile_.Open(c.Path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) {
    FailRead(true, zeOpenFile, "Could not open for reading: " + c.Path);
    return false;
  }
  if (!SameAsListed(readFile_, c.Size, c.Written)) {
    FailRead(true, zeFileChanged, "File changed while it was added: " + c.Path);
    return false;
  }
  readSize_ = readFile_.Size();
  readDone_ = 0;
  readTail_.clear();
  if (readSize_ > kMaxField32) {
    FailRead(true, zeTooLarge, "File too large for a zip archive: " + c.Path);
    return false;
  }
  if (encrypt_ && readSize_ > kPieceInput) {
    // The encryption header carries the CRC, so a file of several pieces
    // is read once for it before its pieces are made.
    Bytes buf(kPieceInput);
    uint32_t crc = 0;
    uint64_t size = 0;
    for (;;) {
      long long n = readFile_.ReadFull(buf.data(), buf.size());
      if (n < 0 || size + static_cast<uint64_t>(n) > kMaxField32) {
        if (n < 0) FailRead(true, zeOpenFile, "Could not read: " + c.Path);
        else FailRead(true, zeTooLarge, "File too large for a zip archive: " + c.Path);
        return false;
      }
      if (n == 0) break;
      crc = Crc32(crc, buf.data(), static_cast<size_t>(n));
      size += static_cast<uint64_t>(n);
    }
    if (size != readSize_) {
      FailRead(true, zeFileChanged, "File changed while it was added: " + c.Path);
      return false;
    }
    if (!readFile_.Seek(0)) {
      FailRead(true, zeOpenFile, "Could not read: " + c.Path);
      return false;
    }
    st.PreRead = true;
    st.PreCrc = crc;
    st.PreSize = size;
    readSize_ = size;
  }
  st.Opened = true;
  readOpen_ = true;
  return true;
}

std::unique_ptr<TPiece> TZipRun::NewPiece(size_t size) {
  if (size < kPieceInput / 4 || spares_.empty()) return std::make_unique<TPiece>();
  std::unique_ptr<TPiece> p = std::move(spares_.back());
  spares_.pop_back();
  p->Dictionary.clear();
  p->Ok = true;
  return p;
}

void TZipRun::Recycle(std::unique_ptr<TPiece> piece) {
  if (piece->Input.capacity() + piece->Output.capacity() >= kPieceInput && spares_.size() < maxSpares_)
    spares_.push_back(std::move(piece));
}

// Reads a small file whole on a worker thread. Its size was taken when the
// files were listed; one that has grown past kMaxLoad since then is not
// held in memory.
bool LoadWhole(TPiece& piece) {
  constexpr uint64_t kMaxLoad = 16u << 20;
  TFile f;
  if (!f.Open(piece.Path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) {
    piece.FailCode = zeOpenFile;
    piece.FailText = "Could not open for reading: " + piece.Path;
    return false;
  }
  uint64_t size = f.Size();
  if (size > kMaxLoad || !SameAsListed(f, piece.ExpectedSize, piece.ExpectedTime)) {
    piece.FailCode = zeFileChanged;
    piece.FailText = "File changed while it was added: " + piece.Path;
    return false;
  }
  piece.Input.resize(static_cast<size_t>(size));
  long long got = size ? f.ReadFull(piece.Input.data(), piece.Input.size()) : 0;
  if (got < 0) {
    piece.FailCode = zeOpenFile;
    piece.FailText = "Could not read: " + piece.Path;
    return false;
  }
  if (static_cast<uint64_t>(got) != size) {
    piece.FailCode = zeFileChanged;
    piece.FailText = "File changed while it was added: " + piece.Path;
    return false;
  }
  piece.Input.resize(static_cast<size_t>(got));
  return true;
}

bool TZipRun::ReadAhead() {
  if (readStopped_) return false;
  while (!readOpen_) {
    if (reading_ >= addOrder_.size()) return false;
    const int index = addOrder_[reading_];
    if (candidates_[index].Size <= kLoadOnWorker) {
      // Small files are opened and read by the worker that compresses them.
      auto piece = std::make_unique<TPiece>();
      piece->Tag = static_cast<size_t>(index);
      piece->Level = level_;
      piece->Load = true;
      piece->Path = candidates_[index].Path;
      piece->ExpectedSize = candidates_[index].Size;
      piece->ExpectedTime = candidates_[index].Written;
      states_[index].Opened = true;
      states_[index].Pieces = 1;
      ++reading_;
      pipeline_->Submit(std::move(piece));
      return true;
    }
    if (OpenNext()) break;
    if (readStopped_) return false;
  }
  const int index = addOrder_[reading_];
  const TCandidate& c = candidates_[index];
  TReadState& st = states_[index];
  size_t want = static_cast<size_t>(std::min<uint64_t>(kPieceInput, readSize_ - std::min(readSize_, readDone_)));
  std::unique_ptr<TPiece> piece = NewPiece(want);
  piece->Tag = static_cast<size_t>(index);
  piece->Level = level_;
  piece->Input.resize(want);
  long long got = want ? readFile_.ReadFull(piece->Input.data(), want) : 0;
  if (got < 0) {
    FailRead(true, zeOpenFile, "Could not read: " + c.Path);
    return false;
  }
  if (static_cast<size_t>(got) < want) {
    // Shorter than when it was opened: stored cut short it would be no copy.
    FailRead(true, zeFileChanged, "File changed while it was added: " + c.Path);
    return false;
  }
  piece->Input.resize(static_cast<size_t>(got));
  readDone_ += static_cast<uint64_t>(got);
  piece->Last = static_cast<size_t>(got) < want || readDone_ >= readSize_;
  if (level_ > 0 && st.Pieces > 0) piece->Dictionary.swap(readTail_);
  if (level_ > 0 && !piece->Last) {
    size_t keep = std::min(piece->Input.size(), kPieceDictionary);
    readTail_.assign(piece->Input.end() - static_cast<std::ptrdiff_t>(keep), piece->Input.end());
  }
  ++st.Pieces;
  bool last = piece->Last;
  pipeline_->Submit(std::move(piece));
  if (last) {
    readFile_.Close();
    readOpen_ = false;
    ++reading_;
  }
  return true;
}

void TZipRun::FillPipeline() {
  while (pipeline_->Waiting() < maxWaiting_ && pipeline_->WaitingBytes() < maxWaitingBytes_ && ReadAhead()) {
  }
}

// ---- writing

bool TZipRun::AddFile(TZipWriter& w, int index, bool& skipped) {
  skipped = false;
  const TCandidate& c = candidates_[index];
  const TReadState& st = states_[index];
  if (w.Entries().size() >= kMaxEntries)
    return Message(zeTooLarge, "Too many files for one zip archive (at most 65534): " + c.Path), false;
  if (Callback(zcaFileBegins, zeNone, c.Size, c.Stored) == -1) return false;
  // The reader runs ahead; make sure it has come to this file.
  FillPipeline();
  while (!st.Opened && ReadAhead()) {
  }

  uint8_t header[kCryptHeaderSize] = {};
  if (encrypt_ && !RandomBytes(header, sizeof header))
    return Message(zeWrite, "No random data for the encryption header"), false;
  std::unique_ptr<TEntryCipher> cipher;
  RawBytes sealed;
  uint32_t crc = 0;
  uint64_t size = 0;
  for (size_t taken = 0;; ++taken) {
    if (taken == st.Pieces) {
      FillPipeline();
      if (taken == st.Pieces) {
        // The reader stopped in this file: the run ends with its message.
        skipped = st.Skipped;
        return Message(st.Fatal || st.Skipped ? st.Code : zeWrite, st.Fatal || st.Skipped ? st.Failure : "Read error") &&
               skipped;
      }
    }
    std::unique_ptr<TPiece> piece = pipeline_->Take();
    FillPipeline();
    if (!piece || piece->Tag != static_cast<size_t>(index)) return Message(zeWrite, "Compressor error"), false;
    if (piece->Failed) {
      // A file that cannot be read or changed ends the run: no package
      // leaves a source out or holds it cut short.
      Message(piece->FailCode, piece->FailText);
      return false;
    }
    if (!piece->Ok) return Message(zeWrite, "Compressor error"), false;
    if (taken == 0) {
      TNewEntry e;
      e.Name = c.Stored;
      e.Time = c.Time;
      e.ExternalAttr = c.Attributes & 0xFF & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
      // One piece: CRC and size are known now; otherwise they are patched in
      // at the end, or were read ahead for the encryption header.
      e.Crc = piece->Last ? piece->Crc : st.PreCrc;
      e.Size = static_cast<uint32_t>(piece->Last ? piece->InputSize : st.PreSize);
      e.Level = level_;
      e.Encrypted = encrypt_;
      if (!w.BeginEntry(e)) return Message(zeWrite, "Write error: " + w.Error), false;
      if (encrypt_) cipher = std::make_unique<TEntryCipher>(password_, e.Crc, header);
    }
    crc = taken == 0 ? piece->Crc : Crc32Combine(crc, piece->Crc, piece->InputSize);
    size += piece->InputSize;
    if (size > kMaxField32) return Message(zeTooLarge, "File too large for a zip archive: " + c.Path), false;
    const RawBytes* data = &piece->Output;
    if (cipher) {
      sealed.clear();
      cipher->Apply(piece->Output.data(), piece->Output.size(), sealed);
      data = &sealed;
    }
    if (!w.WriteEntryData(data->data(), data->size())) return Message(zeWrite, "Write error: " + w.Error), false;
    const uint32_t pieceSize = piece->InputSize;
    const bool last = piece->Last;
    Recycle(std::move(piece));
    for (uint32_t done = 0; done < pieceSize; done += kZipPieceSize)
      if (Callback(zcaPieceDone, zeNone, 0, " ") == -1) return false;
    if (last) break;
  }
  if (st.PreRead && (crc != st.PreCrc || size != st.PreSize))
    return Message(zeFileChanged, "File changed while it was added: " + c.Path), false;
  if (!w.EndEntry(crc, static_cast<uint32_t>(size))) return Message(zeWrite, "Write error: " + w.Error), false;
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

  // What happens to each old entry, and which files are new: matched by
  // upper-case name, the first of equal names in the old archive.
  std::unordered_map<std::string, int> oldByName;
  oldByName.reserve(dir.Entries.size());
  for (size_t j = 0; j < dir.Entries.size(); ++j) oldByName.emplace(Upper(dir.Entries[j].Name), static_cast<int>(j));
  std::vector<int> replaceWith(dir.Entries.size(), -1);
  std::vector<int> added;
  const bool onlyNewer = b_.Update || b_.Freshen;
  for (size_t i = 0; i < candidates_.size(); ++i) {
    const TCandidate& c = candidates_[i];
    auto found = oldByName.find(Upper(c.Stored));
    if (found == oldByName.end()) {
      if (b_.Freshen && !b_.Update) continue;
      added.push_back(static_cast<int>(i));
    } else {
      if (onlyNewer && c.Time.Packed() <= dir.Entries[found->second].Time.Packed()) continue;
      replaceWith[found->second] = static_cast<int>(i);
    }
  }
  std::vector<TStep> steps;
  for (size_t j = 0; j < dir.Entries.size(); ++j) {
    steps.push_back({static_cast<int>(j), replaceWith[j]});
    if (replaceWith[j] >= 0) addOrder_.push_back(replaceWith[j]);
  }
  for (int i : added) {
    steps.push_back({-1, i});
    addOrder_.push_back(i);
  }
  if (addOrder_.empty()) {
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

  // Files are read on this thread ahead of the writer and compressed on
  // worker threads; the writer and every callback stay on this thread.
  states_.assign(candidates_.size(), TReadState{});
  const unsigned threads = TPiecePipeline::DefaultThreads();
  pipeline_ = std::make_unique<TPiecePipeline>(threads, LoadWhole);
  maxWaiting_ = 64 * std::max(2u, 2 * threads);
  maxWaitingBytes_ = std::max<size_t>(4, 2 * threads) * kPieceInput;
  maxSpares_ = threads + 2;
  struct TPipelineEnd {
    std::unique_ptr<TPiecePipeline>& p;
    ~TPipelineEnd() { p.reset(); }
  } pipelineEnd{pipeline_};

  TFileSource src(old);
  if (hasOld) {
    std::vector<uint8_t> buf(kZipPieceSize);
    for (uint64_t done = 0; done < dir.PrefixSize;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(buf.size(), dir.PrefixSize - done));
      if (!src.ReadAt(done, buf.data(), n) || !w.WriteRaw(buf.data(), n))
        return Message(zeWrite, "Cannot copy the start of " + zipName_), 0;
      done += n;
    }
  }
  for (const TStep& step : steps) {
    if (step.Add >= 0) {
      bool skipped = false;
      if (!AddFile(w, step.Add, skipped)) return 0;
      if (!skipped) {
        written.push_back(candidates_[step.Add].Path);
        continue;
      }
    }
    if (step.Old >= 0 && !w.CopyEntry(src, dir.Entries[step.Old]))
      return Message(zeWrite, "Cannot copy an entry: " + w.Error), 0;
  }
  pipeline_.reset();
  if (stopped_) return 0;
  if (written.empty()) {
    Message(zeNothingToDo, "Nothing to do");
    return 0;
  }
  if (!w.Finish(dir.Comment)) return Message(zeWrite, "Write error: " + w.Error), 0;
  if (!sink.Flush()) return Message(zeWrite, std::string("Write error: cannot write ") + tempName), 0;
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
  for (const std::string& path : written) Message(zeAdded, FullPath(path));
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
