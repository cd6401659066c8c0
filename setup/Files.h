// Files of the Setup program as byte sources and sinks.
#pragma once
#include "ByteSource.h"
#include "Exception.h"

#include <windows.h>

#include <string>

// An input/output error of a file, with the system error code.
class EInOutError : public Exception {
public:
  EInOutError(DWORD code, const std::string& fileName);
  DWORD ErrorCode;
};

// The system's text for an error code, without the line break.
std::string SysErrorMessage(DWORD code);
bool IsExistingFile(const std::string& path);
// The full path of `path` with "." and ".." resolved; the path itself on failure.
std::string ExpandFileName(const std::string& path);
// The folder part with its trailing backslash ("C:\a\b.c" -> "C:\a\").
std::string ExtractFilePath(const std::string& path);

// A file opened read-only.
class TFileSource : public IByteSource {
public:
  explicit TFileSource(const std::string& fileName);
  ~TFileSource() override;
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  size_t Read(void* buffer, size_t size) override;
  void Seek(uint64_t position) override;
  uint64_t Position() const override { return pos_; }
  uint64_t Size() const override { return size_; }
  const std::string& FileName() const { return name_; }

private:
  HANDLE handle_;
  std::string name_;
  uint64_t pos_ = 0, size_ = 0;
};

// A file created (or truncated) for writing.
class TFileSink : public IByteSink {
public:
  explicit TFileSink(const std::string& fileName);
  ~TFileSink() override;
  TFileSink(const TFileSink&) = delete;
  TFileSink& operator=(const TFileSink&) = delete;

  void Write(const void* buffer, size_t size) override;
  HANDLE Handle() const { return handle_; }
  void Close();

private:
  HANDLE handle_;
  std::string name_;
};
