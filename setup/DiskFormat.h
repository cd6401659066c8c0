// Disk files "SETUP.n" and the compressed data of one installed file.
#pragma once
#include "ByteSource.h"
#include "ScriptFormat.h"

#include <functional>
#include <memory>

// "idska32" and 0x1A, then the int32 size of the disk file.
extern const char kDiskSignature[8];
constexpr size_t kDiskHeaderSize = 12;
// "zlb" and 0x1A before each file's zlib stream.
extern const char kDataSignature[4];

// Raises the general error "The source file is corrupted".
[[noreturn]] void RaiseSourceCorrupted();

// Reads and checks the 12-byte header of a disk file from its start.
void CheckDiskFileHeader(IByteSource& disk);

// Where one stream stands while it is read.
struct TSourceReadState {
  int CurrentDisk = 0;
  int LastDisk = 0;
  uint64_t CompressedLeft = 0;
  uint64_t OutputLimit = 0;
  uint64_t Written = 0;
};

// Reads the data of installed files from disk files or from the one data file.
class TFileDataReader {
public:
  // Disk mode: opens disk file n, positioned at its start. May ask the user
  // for the disk; raises when it cannot be had.
  std::function<std::unique_ptr<IByteSource>(int disk)> OpenDisk;
  // Data-file mode, used when FileDataOffset is not 0: opens the data file.
  std::function<std::unique_ptr<IByteSource>()> OpenDataFile;
  uint64_t FileDataOffset = 0;
  // Called after each read of compressed bytes with their count (progress,
  // cancel poll). May raise to stop the copy.
  std::function<void(size_t bytes)> OnRead;

  // Inflates the file's data into `dest`. Every fault of the data raises
  // the source-corrupted error; input/output errors and EZlibInternalError
  // pass on.
  void ReadFileData(const TScriptFile& file, const TScriptFileLocation& location, IByteSink& dest);

private:
  static size_t SourceReader(void* buffer, size_t wanted, void* user);
  static size_t DestWriter(const void* buffer, size_t count, void* user);

  TSourceReadState state_;
  std::unique_ptr<IByteSource> source_;
  IByteSink* dest_ = nullptr;
};
