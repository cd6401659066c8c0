#include "Files.h"

#include "StrFmt.h"

#include <vector>

std::string SysErrorMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

EInOutError::EInOutError(DWORD code, const std::string& fileName)
    : Exception(Format("I/O error %lu: %s (%s)", static_cast<unsigned long>(code), SysErrorMessage(code).c_str(),
                       fileName.c_str())),
      ErrorCode(code) {}

bool IsExistingFile(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExpandFileName(const std::string& path) {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (n == 0) return path;
    if (n < buf.size()) return std::string(buf.data(), n);
    buf.resize(n);
  }
}

std::string ExtractFilePath(const std::string& path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

TFileSource::TFileSource(const std::string& fileName) : name_(fileName) {
  handle_ = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) throw EInOutError(GetLastError(), fileName);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) {
    DWORD code = GetLastError();
    CloseHandle(handle_);
    throw EInOutError(code, fileName);
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
}

TFileSource::~TFileSource() { CloseHandle(handle_); }

size_t TFileSource::Read(void* buffer, size_t size) {
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    DWORD chunk = size - done > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size - done);
    DWORD got = 0;
    if (!ReadFile(handle_, p + done, chunk, &got, nullptr)) throw EInOutError(GetLastError(), name_);
    if (got == 0) break;
    done += got;
  }
  pos_ += done;
  return done;
}

void TFileSource::Seek(uint64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(position);
  if (position > static_cast<uint64_t>(INT64_MAX) || !SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN))
    throw EInOutError(GetLastError(), name_);
  pos_ = position;
}

TFileSink::TFileSink(const std::string& fileName) : name_(fileName) {
  handle_ = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) throw EInOutError(GetLastError(), fileName);
}

TFileSink::~TFileSink() { Close(); }

void TFileSink::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

void TFileSink::Write(const void* buffer, size_t size) {
  auto* p = static_cast<const char*>(buffer);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(handle_, p, chunk, &put, nullptr) || put == 0) throw EInOutError(GetLastError(), name_);
    p += put;
    size -= put;
  }
}
