#include "Cabinet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "PathUtils.h"
#include "ProgramFolder.h"

namespace {
// Library open flags (C runtime style).
constexpr int kOpenAccessMask = 0x0003;
constexpr int kOpenCreate = 0x0100;
constexpr int kOpenExclusive = 0x0400;
// Only these attribute bits are the library's to store: 0x80 would mark
// the stored name as UTF-8 and 0x40 as run-on-extraction.
constexpr WORD kStoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr int kUnknownHandle = -1;

size_t NamePos(const std::string& path) {
  size_t pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? 0 : pos + 1;
}

// Copies `text` into a fixed library buffer; false when it does not fit.
bool CopyTo(char* buffer, size_t size, const std::string& text) {
  if (text.size() >= size) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

std::string FormatCabinetError(int code, int type) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Cabinet error %d (type %d)", code, type);
  return buf;
}
}  // namespace

std::uint16_t CompressionCode(TCabinetCompression value) {
  unsigned type = value & 0xFF;
  unsigned window = (value >> 8) & 0xFF;
  unsigned level = (value >> 16) & 0xFF;
  unsigned memory = (value >> 24) & 0xFF;
  switch (type) {
    case 3: return static_cast<std::uint16_t>(type + (window << 8));
    case 2: return static_cast<std::uint16_t>(type + (level << 4) + (memory << 8));
    default: return static_cast<std::uint16_t>(type);
  }
}

ECabinetError::ECabinetError(int errorCode, int errorType)
    : ECabinetError(FormatCabinetError(errorCode, errorType), errorCode, errorType) {}

ECabinetError::ECabinetError(const std::string& message, int errorCode, int errorType)
    : Exception(message), errorCode_(errorCode), errorType_(errorType) {}

// ---------------------------------------------------------------------------
// Stream file handler

TStreamCabinetFileHandler::~TStreamCabinetFileHandler() {
  while (!streams_.empty()) {
    CloseHandle(streams_.back());
    streams_.pop_back();
  }
}

bool TStreamCabinetFileHandler::Has(INT_PTR handle) const {
  return std::find(streams_.begin(), streams_.end(), reinterpret_cast<HANDLE>(handle)) != streams_.end();
}

INT_PTR TStreamCabinetFileHandler::Open(const std::string& name, int flags, int, int& error) {
  DWORD share = (flags & kOpenExclusive) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD access, disposition;
  if (flags & kOpenCreate) {
    // A new, empty file, also over one just made by GetTempFileName.
    access = GENERIC_READ | GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
  } else {
    switch (flags & kOpenAccessMask) {
      case 0: access = GENERIC_READ; break;
      case 1: access = GENERIC_WRITE; break;
      default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    disposition = OPEN_EXISTING;
    // A file opened only to be read (a source) is read as it stands: no
    // other program may write it meanwhile.
    if (access == GENERIC_READ) share &= ~static_cast<DWORD>(FILE_SHARE_WRITE);
  }
  HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = static_cast<int>(GetLastError());
    return -1;
  }
  streams_.push_back(h);
  error = 0;
  return reinterpret_cast<INT_PTR>(h);
}

UINT TStreamCabinetFileHandler::Read(INT_PTR handle, void* buffer, UINT count, int& error) {
  if (!Has(handle)) { error = kUnknownHandle; return 0; }
  DWORD moved = 0;
  BOOL ok = ReadFile(reinterpret_cast<HANDLE>(handle), buffer, count, &moved, nullptr);
  // A short read at the end of the file is not an error for the library.
  error = ok ? 0 : static_cast<int>(GetLastError());
  return moved;
}

UINT TStreamCabinetFileHandler::Write(INT_PTR handle, const void* buffer, UINT count, int& error) {
  if (!Has(handle)) { error = kUnknownHandle; return 0; }
  DWORD moved = 0;
  BOOL ok = WriteFile(reinterpret_cast<HANDLE>(handle), buffer, count, &moved, nullptr);
  if (ok && moved == count) error = 0;
  else error = ok ? ERROR_DISK_FULL : static_cast<int>(GetLastError());
  return moved;
}

int TStreamCabinetFileHandler::Close(INT_PTR handle, int& error) {
  auto it = std::find(streams_.begin(), streams_.end(), reinterpret_cast<HANDLE>(handle));
  if (it == streams_.end()) { error = kUnknownHandle; return -1; }
  CloseHandle(*it);
  streams_.erase(it);
  error = 0;
  return 0;
}

long TStreamCabinetFileHandler::Seek(INT_PTR handle, long distance, int origin, int& error) {
  if (!Has(handle)) { error = kUnknownHandle; return -1; }
  DWORD method = origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : FILE_BEGIN;
  DWORD pos = SetFilePointer(reinterpret_cast<HANDLE>(handle), distance, nullptr, method);
  if (pos == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    error = static_cast<int>(GetLastError());
    return -1;
  }
  error = 0;
  return static_cast<long>(pos);
}

int TStreamCabinetFileHandler::Delete(const std::string& name, int& error) {
  error = DeleteFileA(name.c_str()) ? 0 : static_cast<int>(GetLastError());
  return 0;
}

// ---------------------------------------------------------------------------
// Library callbacks: each gets the writer as user data.

struct TCabinetCallbacks {
  static TCabinetWriter* W(void* pv) { return static_cast<TCabinetWriter*>(pv); }
  static TCabinetFileHandler& H(void* pv) {
    TCabinetFileHandler* h = W(pv)->FileHandler;
    if (!h) throw Exception("Cabinet writer has no file handler");
    return *h;
  }
  // Runs a callback body; an exception is kept for the writer to raise once
  // the library has returned, and the library is told the call failed.
  template <class R, class F>
  static R Guarded(void* pv, int* err, R failure, F&& body) {
    try {
      return body();
    } catch (...) {
      TCabinetWriter* w = W(pv);
      if (!w->pending_) w->pending_ = std::current_exception();
      if (err) *err = -1;
      return failure;
    }
  }
  static void Forget(void* pv, INT_PTR hf) {
    auto& open = W(pv)->opened_;
    auto it = std::find(open.begin(), open.end(), hf);
    if (it != open.end()) open.erase(it);
  }

  static void* DIAMONDAPI Alloc(ULONG cb) { return HeapAlloc(GetProcessHeap(), 0, cb); }
  static void DIAMONDAPI Free(void* memory) { HeapFree(GetProcessHeap(), 0, memory); }

  static INT_PTR DIAMONDAPI Open(char* file, int oflag, int pmode, int* err, void* pv) {
    *err = 0;
    return Guarded(pv, err, INT_PTR(-1), [&] {
      INT_PTR h = H(pv).Open(file, oflag, pmode, *err);
      if (h != -1) W(pv)->opened_.push_back(h);
      return h;
    });
  }
  static UINT DIAMONDAPI Read(INT_PTR hf, void* memory, UINT cb, int* err, void* pv) {
    *err = 0;
    return Guarded(pv, err, UINT(-1), [&] { return H(pv).Read(hf, memory, cb, *err); });
  }
  static UINT DIAMONDAPI Write(INT_PTR hf, void* memory, UINT cb, int* err, void* pv) {
    *err = 0;
    return Guarded(pv, err, UINT(-1), [&] { return H(pv).Write(hf, memory, cb, *err); });
  }
  static int DIAMONDAPI Close(INT_PTR hf, int* err, void* pv) {
    *err = 0;
    Forget(pv, hf);
    return Guarded(pv, err, -1, [&] { return H(pv).Close(hf, *err); });
  }
  static __LONG32 DIAMONDAPI Seek(INT_PTR hf, __LONG32 dist, int seektype, int* err, void* pv) {
    *err = 0;
    return Guarded(pv, err, __LONG32(-1), [&] { return static_cast<__LONG32>(H(pv).Seek(hf, dist, seektype, *err)); });
  }
  static int DIAMONDAPI Delete(char* file, int* err, void* pv) {
    *err = 0;
    return Guarded(pv, err, -1, [&] { return H(pv).Delete(file, *err); });
  }

  static BOOL DIAMONDAPI GetTempFile(char* tempName, int cbTempName, void* pv) {
    return Guarded(pv, nullptr, BOOL(FALSE), [&]() -> BOOL {
      std::string name;
      bool success = false;
      W(pv)->DoGetTempFile(name, success);
      if (success && cbTempName > 0 && CopyTo(tempName, static_cast<size_t>(cbTempName), name)) return -1;
      return 0;
    });
  }

  static int DIAMONDAPI FilePlaced(PCCAB cab, char* file, __LONG32 cbFile, BOOL continuation, void* pv) {
    return Guarded(pv, nullptr, -1, [&] {
      bool abort = false;
      W(pv)->DoFilePlaced(*cab, file, cbFile, continuation != FALSE, abort);
      return abort ? -1 : 0;
    });
  }

  static INT_PTR DIAMONDAPI GetOpenInfo(char* name, USHORT* date, USHORT* time, USHORT* attribs, int* err,
                                        void* pv) {
    *err = 0;
    return Guarded(pv, err, INT_PTR(-1), [&] {
      std::uint16_t d = 0, t = 0, a = 0;
      INT_PTR handle = -1;
      W(pv)->DoGetOpenInfo(name, d, t, a, handle, *err);
      *date = d;
      *time = t;
      *attribs = a;
      if (*err != 0) return INT_PTR(-1);
      if (handle != -1) W(pv)->opened_.push_back(handle);
      return handle;
    });
  }

  static BOOL DIAMONDAPI GetNextCabinet(PCCAB cab, ULONG cbPrevCab, void* pv) {
    return Guarded(pv, nullptr, BOOL(FALSE), [&]() -> BOOL {
      bool abort = true;
      std::string name;
      W(pv)->DoGetNextCabinet(*cab, name, static_cast<int>(cbPrevCab), abort);
      if (abort) return 0;
      size_t pos = NamePos(name);
      if (!CopyTo(cab->szCab, sizeof cab->szCab, name.substr(pos)) ||
          !CopyTo(cab->szCabPath, sizeof cab->szCabPath, name.substr(0, pos)))
        return 0;
      return -1;
    });
  }

  static __LONG32 DIAMONDAPI Status(UINT type, ULONG cb1, ULONG cb2, void* pv) {
    return Guarded(pv, nullptr, __LONG32(-1), [&]() -> __LONG32 {
      int result = 0;
      int a = static_cast<int>(cb1), b = static_cast<int>(cb2);
      switch (type) {
        case statusFile: W(pv)->DoFileStatus(a, b, result); break;
        case statusFolder: W(pv)->DoFolderStatus(a, b, result); break;
        case statusCabinet: W(pv)->DoCabinetStatus(a, b, result); break;
        default: return -1;
      }
      return result;
    });
  }
};

// ---------------------------------------------------------------------------
// Writer

TCabinetWriter::~TCabinetWriter() {
  try {
    Close();
  } catch (...) {
  }
}

void TCabinetInterface::SetFileHandler(TCabinetFileHandler* handler) {
  if (FileHandler) RemoveFreeNotification(FileHandler);
  FileHandler = handler;
  if (handler) FreeNotification(handler);
}

void TCabinetInterface::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FileHandler) FileHandler = nullptr;
}

void TCabinetWriter::RaisePending() {
  if (!pending_) return;
  std::exception_ptr e = pending_;
  pending_ = nullptr;
  std::rethrow_exception(e);
}

void TCabinetWriter::Check(BOOL ok) {
  RaisePending();
  // A failed call always raises, also when the library left fError clear.
  if (!ok) throw ECabinetError(ErrorRecord.erfOper, ErrorRecord.erfType);
}

void TCabinetWriter::CloseLeftovers() {
  // After a failure the library may not close every file it opened.
  std::vector<INT_PTR> left;
  left.swap(opened_);
  if (!FileHandler) return;
  for (auto it = left.rbegin(); it != left.rend(); ++it) {
    int error = 0;
    try {
      FileHandler->Close(*it, error);
    } catch (...) {
      if (!pending_) pending_ = std::current_exception();
    }
  }
}

void TCabinetWriter::Open(const std::string& cabinetPath, const std::string& diskName, int maxCabinetSize,
                          int folderThreshold, int setId) {
  if (context_) Close();
  TCCAB cab;
  std::memset(&cab, 0, sizeof cab);
  cab.cb = static_cast<ULONG>(maxCabinetSize);
  cab.cbFolderThresh = static_cast<ULONG>(folderThreshold);
  cab.iCab = 0;
  cab.iDisk = 0;
  cab.fFailOnIncompressible = FailOnIncompressible ? TRUE : FALSE;
  cab.setID = static_cast<USHORT>(static_cast<short>(setId));
  size_t pos = NamePos(cabinetPath);
  if (!CopyTo(cab.szDisk, sizeof cab.szDisk, diskName) ||
      !CopyTo(cab.szCab, sizeof cab.szCab, cabinetPath.substr(pos)) ||
      !CopyTo(cab.szCabPath, sizeof cab.szCabPath, cabinetPath.substr(0, pos)))
    throw ECabinetError("Cabinet path too long: " + cabinetPath, FCIERR_OPEN_SRC, 0);
  if (!FileHandler) throw Exception("Cabinet writer has no file handler");
  std::memset(&ErrorRecord, 0, sizeof ErrorRecord);
  pending_ = nullptr;
  opened_.clear();
  using C = TCabinetCallbacks;
  HFCI context = FCICreate(&ErrorRecord, C::FilePlaced, C::Alloc, C::Free, C::Open, C::Read, C::Write, C::Close,
                           C::Seek, C::Delete, C::GetTempFile, &cab, this);
  if (context && pending_) {
    FCIDestroy(context);
    context = nullptr;
  }
  if (!context) {
    CloseLeftovers();
    RaisePending();
    throw ECabinetError(ErrorRecord.erfOper, ErrorRecord.erfType);
  }
  context_ = context;
}

void TCabinetWriter::AddFile(const std::string& sourcePath, const std::string& storedName, bool runOnExtraction,
                             TCabinetCompression compression) {
  if (!context_) throw ECabinetError("Cabinet is not open", FCIERR_NONE, 0);
  using C = TCabinetCallbacks;
  Check(FCIAddFile(context_, const_cast<char*>(sourcePath.c_str()), const_cast<char*>(storedName.c_str()),
                   runOnExtraction ? TRUE : FALSE, C::GetNextCabinet, C::Status, C::GetOpenInfo,
                   CompressionCode(compression)));
}

void TCabinetWriter::FlushCabinet(bool getNextCabinet) {
  if (!context_) throw ECabinetError("Cabinet is not open", FCIERR_NONE, 0);
  using C = TCabinetCallbacks;
  Check(FCIFlushCabinet(context_, getNextCabinet ? TRUE : FALSE, C::GetNextCabinet, C::Status));
}

void TCabinetWriter::Close() {
  if (!context_) return;
  HFCI context = context_;
  context_ = nullptr;  // forgotten in any case
  BOOL ok = FCIDestroy(context);
  CloseLeftovers();
  Check(ok);
}

void TCabinetWriter::DoFileStatus(int compressedSize, int uncompressedSize, int& resultCode) {
  if (OnFileStatus) OnFileStatus(this, compressedSize, uncompressedSize, resultCode);
}

void TCabinetWriter::DoFolderStatus(int sizeCopied, int totalSize, int& resultCode) {
  if (OnFolderStatus) OnFolderStatus(this, sizeCopied, totalSize, resultCode);
}

void TCabinetWriter::DoCabinetStatus(int preEstimatedSize, int actualSize, int& wantedSize) {
  if (OnCabinetStatus) OnCabinetStatus(this, preEstimatedSize, actualSize, wantedSize);
}

void TCabinetWriter::DoGetNextCabinet(TCCAB& cab, std::string& newCabFileName, int previousEstimatedSize,
                                      bool& abortCreation) {
  if (OnGetNextCabinet) OnGetNextCabinet(this, cab, newCabFileName, previousEstimatedSize, abortCreation);
}

void TCabinetWriter::DoFilePlaced(TCCAB& cab, const std::string& fileName, int fileLength, bool continuation,
                                  bool& abortProcessing) {
  if (OnFilePlacedEvent) OnFilePlacedEvent(this, cab, fileName, fileLength, continuation, abortProcessing);
}

void TCabinetWriter::DoGetTempFile(std::string& tempFileName, bool& success) {
  if (OnGetTempFile) {
    OnGetTempFile(this, tempFileName, success);
    return;
  }
  std::string exe = ProgramFileName();
  std::string prefix = exe.substr(NamePos(exe), 3);
  tempFileName = GetTempFileNameStr(GetTempPathStr(), prefix, 0);
  success = !tempFileName.empty();
}

void TCabinetWriter::DoGetOpenInfo(const std::string& fileName, std::uint16_t& date, std::uint16_t& time,
                                   std::uint16_t& attributes, INT_PTR& fileHandle, int& resultCode) {
  if (OnGetOpenInfo) {
    OnGetOpenInfo(this, fileName, date, time, attributes, fileHandle, resultCode);
    return;
  }
  WIN32_FILE_ATTRIBUTE_DATA info{};
  attributes = 0;
  if (FileSupport) {
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info)) {
      resultCode = static_cast<int>(GetLastError());
      return;
    }
    attributes = static_cast<std::uint16_t>(info.dwFileAttributes & kStoredAttributes);
  }
  if (!FileHandler) throw Exception("Cabinet writer has no file handler");
  fileHandle = FileHandler->Open(fileName, 0x8000, 1, resultCode);
  if (resultCode != 0) return;
  date = time = 0;
  if (FileSupport) {
    // Cabinet readers take the stored stamp as local time.
    FILETIME local;
    WORD d = 0, t = 0;
    if (FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &d, &t)) {
      date = d;
      time = t;
    }
  }
}
