// TZipArchiver: adds files to a zip through ZIPDLL.DLL, loaded at run time
// for each add, reads the local headers of a zip into a directory list, and
// turns a zip into a Windows self-extractor (ConvertSFX).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Component.h"
#include "ProjectSettings.h"
#include "SFX.h"
#include "ZipArchDir.h"
#include "ZipDllApi.h"

enum AddOptsEnum {
  AddDirNames, AddRecurseDirs, AddMove, AddFreshen, AddUpdate, AddZipTime, AddForceDOS, AddHiddenFiles, AddEncrypt
};
using AddOpts = TSet<AddOptsEnum>;

enum ExtrOptsEnum { ExtrDirNames, ExtrOverWrite, ExtrFreshen, ExtrUpdate };
using ExtrOpts = TSet<ExtrOptsEnum>;

// 0 a new file begins, 1 a piece of it was done, 2 the batch ended.
enum ProgressType { NewFile = 0, ProgressUpdate = 1, EndOfBatch = 2 };

using TProgressEvent = TEvent<ProgressType, const std::string& /*Filename*/, int /*FileSize*/>;
using TMessageEvent = TEvent<int /*ErrCode*/, const std::string& /*Message*/>;

// Message numbers of ReportMessage.
enum : int {
  zmDllLoaded = 0,
  zmAbortException = 101,
  zmNoZipName = 102,
  zmNameTooLong = 103,
  zmSpecTooLong = 104,
  zmTooManySpecs = 105,
  zmPasswordTooLong = 106,
  zmNoFiles = 301,
  zmNoExecFunction = 602,
  zmNoVersionFunction = 603,
  zmDllNotFound = 604,
  zmTextsTooLong = 801,
  zmNoStub = 802,
  zmNotAZip = 803,
  zmConvertFailed = 806,
  zmNoValidEntries = 1036,
};

class TZipArchiver : public TComponent {
public:
  explicit TZipArchiver(TComponent* owner);
  ~TZipArchiver() override;

  // Published properties.
  bool Verbose = false;
  bool Trace = false;
  int AddCompLevel = 9;
  AddOpts AddOptions;
  std::string ExtrBaseDir;
  ExtrOpts ExtrOptions;
  SFXOpts SFXOptions;
  const std::vector<std::string>& FSpecArgs() const { return specs_; }
  void SetFSpecArgs(const std::vector<std::string>& specs) { specs_ = specs; }
  std::vector<std::string>& FSpecArgsList() { return specs_; }
  const std::string& ZipFilename() const { return zipFilename_; }
  void SetZipFilename(const std::string& name);  // rereads the directory
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password);  // keeps up to 255 characters
  std::string SFXPath;
  const std::string& DLLDirectory() const { return dllDirectory_; }
  void SetDLLDirectory(const std::string& dir);  // drops one trailing backslash
  bool Unattended = false;
  OvrOpts SFXOverWriteMode = OvrConfirm;
  std::string SFXCaption = "Self-extracting Archive";
  std::string SFXDefaultDir;
  std::string SFXCommandLine;
  TNotifyEvent OnDirUpdate;
  TProgressEvent OnProgress;
  TMessageEvent OnMessage;

  // Run-time state.
  int ErrCode = 0;
  std::string Message;
  bool Cancel = false;
  bool Busy() const { return busy_; }
  int AddedCount() const { return addedCount_; }
  uint64_t SFXOffset() const { return sfxOffset_; }
  const std::vector<ZipDirEntry>& ZipContents() const { return dir_; }
  int Count() const { return static_cast<int>(dir_.size()); }

  void AddFiles();
  // 0 on success; -1 output not opened, -2 write failed, -3 stub or zip not
  // opened, -9 size check failed; a message number for the other failures.
  int ConvertSFX();

protected:
  void ReportMessage(int number, const std::string& text);

private:
  friend int32_t ZIPDLL_CALL ZipCallback(ZipCallbackRecord* record);
  int32_t HandleCallback(const ZipCallbackRecord& r);
  bool LoadZipDll(bool& loadedHere);
  void ReadDirectory();
  bool FindStub();
  int CopyInChunks(HANDLE from, HANDLE to);

  std::vector<std::string> specs_;
  std::string zipFilename_;
  std::string password_;
  std::string dllDirectory_;
  bool busy_ = false;
  int addedCount_ = 0;
  uint64_t sfxOffset_ = 0;
  bool makeEmpty_ = false;
  bool callbackFailed_ = false;
  std::vector<ZipDirEntry> dir_;
  HWND appHandle_ = nullptr;
};

int32_t ZIPDLL_CALL ZipCallback(ZipCallbackRecord* record);

// Cuts a message before a carriage return or line feed in its last two
// characters; one-character texts are kept.
std::string TrimMessageEnd(const std::string& text);
