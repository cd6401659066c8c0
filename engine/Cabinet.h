// Cabinet writer over the system cabinet library's compression interface.
// Every file operation of the library goes through a replaceable file
// handler; library failures become ECabinetError.
#pragma once
#include <windows.h>
#include <fci.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "Component.h"

using TCCAB = CCAB;
using TCabinetCompression = std::uint32_t;

// MS-ZIP.
constexpr TCabinetCompression CompressionMSZip() { return 1; }
// LZX with the given window (the builds use 21, giving 0x1503).
constexpr TCabinetCompression CompressionLZX(unsigned window) { return window * 256 + 3; }
// The library's 16-bit code for a compression value.
std::uint16_t CompressionCode(TCabinetCompression value);

class ECabinetError : public Exception {
public:
  // "Cabinet error %d (type %d)"
  ECabinetError(int errorCode, int errorType);
  ECabinetError(const std::string& message, int errorCode, int errorType);
  int ErrorCode() const { return errorCode_; }
  int ErrorType() const { return errorType_; }

private:
  int errorCode_, errorType_;
};

// The library's file layer. Each operation reports a system error code
// through `error` (0 = success).
class TCabinetFileHandler : public TComponent {
public:
  using TComponent::TComponent;
  virtual INT_PTR Open(const std::string& name, int flags, int mode, int& error) = 0;
  virtual UINT Read(INT_PTR handle, void* buffer, UINT count, int& error) = 0;
  virtual UINT Write(INT_PTR handle, const void* buffer, UINT count, int& error) = 0;
  virtual int Close(INT_PTR handle, int& error) = 0;
  virtual long Seek(INT_PTR handle, long distance, int origin, int& error) = 0;
  virtual int Delete(const std::string& name, int& error) = 0;
};

// The file layer over file streams; the handle the library sees is the
// stream's system file handle.
class TStreamCabinetFileHandler : public TCabinetFileHandler {
public:
  using TCabinetFileHandler::TCabinetFileHandler;
  ~TStreamCabinetFileHandler() override;

  INT_PTR Open(const std::string& name, int flags, int mode, int& error) override;
  UINT Read(INT_PTR handle, void* buffer, UINT count, int& error) override;
  UINT Write(INT_PTR handle, const void* buffer, UINT count, int& error) override;
  int Close(INT_PTR handle, int& error) override;
  long Seek(INT_PTR handle, long distance, int origin, int& error) override;
  int Delete(const std::string& name, int& error) override;

  int OpenCount() const { return static_cast<int>(streams_.size()); }

private:
  // The open streams, each its system file handle.
  std::vector<HANDLE> streams_;
  bool Has(INT_PTR handle) const;
};

class TCabinetInterface : public TComponent {
public:
  using TComponent::TComponent;
  ERF ErrorRecord{};
  TCabinetFileHandler* FileHandler = nullptr;
  // Also forgets the handler when it is freed.
  void SetFileHandler(TCabinetFileHandler* handler);
  bool IsOpen() const { return context_ != nullptr; }

protected:
  void Notification(TComponent* component, TOperation operation) override;
  HFCI context_ = nullptr;
};

using TFileStatusEvent = TEvent<int /*CompressedSize*/, int /*UncompressedSize*/, int& /*ResultCode*/>;
using TFolderStatusEvent = TEvent<int /*SizeCopied*/, int /*TotalSize*/, int& /*ResultCode*/>;
using TCabinetStatusEvent = TEvent<int /*PreEstimatedSize*/, int /*ActualSize*/, int& /*WantedSize*/>;
using TGetNextCabinetEvent = TEvent<TCCAB& /*CabParameters*/, std::string& /*NewCabFileName*/,
                                    int /*PreviousCabEstimatedSize*/, bool& /*AbortCreation*/>;
using TFilePlacedEvent = TEvent<TCCAB& /*CabParameters*/, const std::string& /*FileName*/, int /*FileLength*/,
                                bool /*Continuation*/, bool& /*AbortProcessing*/>;
using TGetTempFileEvent = TEvent<std::string& /*TempFileName*/, bool& /*Success*/>;
using TGetOpenInfoEvent = TEvent<const std::string& /*FileName*/, std::uint16_t& /*Date*/, std::uint16_t& /*Time*/,
                                 std::uint16_t& /*Attributes*/, INT_PTR& /*FileHandle*/, int& /*ResultCode*/>;

class TCabinetWriter : public TCabinetInterface {
public:
  using TCabinetInterface::TCabinetInterface;
  ~TCabinetWriter() override;

  bool FailOnIncompressible = true;
  bool FileSupport = true;

  TFileStatusEvent OnFileStatus;
  TFolderStatusEvent OnFolderStatus;
  TCabinetStatusEvent OnCabinetStatus;
  TGetNextCabinetEvent OnGetNextCabinet;
  TFilePlacedEvent OnFilePlacedEvent;
  TGetOpenInfoEvent OnGetOpenInfo;
  TGetTempFileEvent OnGetTempFile;

  void Open(const std::string& cabinetPath, const std::string& diskName, int maxCabinetSize,
            int folderThreshold, int setId);
  void AddFile(const std::string& sourcePath, const std::string& storedName, bool runOnExtraction,
               TCabinetCompression compression);
  void FlushCabinet(bool getNextCabinet);
  void Close();

  virtual void DoFileStatus(int compressedSize, int uncompressedSize, int& resultCode);
  virtual void DoFolderStatus(int sizeCopied, int totalSize, int& resultCode);
  virtual void DoCabinetStatus(int preEstimatedSize, int actualSize, int& wantedSize);
  virtual void DoGetNextCabinet(TCCAB& cab, std::string& newCabFileName, int previousEstimatedSize,
                                bool& abortCreation);
  virtual void DoFilePlaced(TCCAB& cab, const std::string& fileName, int fileLength, bool continuation,
                            bool& abortProcessing);
  virtual void DoGetTempFile(std::string& tempFileName, bool& success);
  virtual void DoGetOpenInfo(const std::string& fileName, std::uint16_t& date, std::uint16_t& time,
                             std::uint16_t& attributes, INT_PTR& fileHandle, int& resultCode);

private:
  void Check(BOOL ok);
  void RaisePending();
  void CloseLeftovers();
  friend struct TCabinetCallbacks;
  // An exception from a callback waits here until the library call returns:
  // it must not unwind through the library.
  std::exception_ptr pending_;
  // Files the library has open, to close what it leaves open after a failure.
  std::vector<INT_PTR> opened_;
};
