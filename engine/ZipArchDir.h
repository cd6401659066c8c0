// The zip component's directory reader: walks the local headers of a zip,
// which may sit behind a self-extractor stub. Plain bytes, no Win32.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Exception.h"

// The 26 bytes of a local header after its signature, then the name.
struct ZipDirEntry {
  uint16_t VersionNeeded = 0, Flag = 0, ComprMethod = 0, ModifTime = 0, ModifDate = 0;
  uint32_t CRC32 = 0, ComprSize = 0, UnComprSize = 0;
  uint16_t FileNameLen = 0, ExtraLen = 0;
  std::string FileName;
};

// A read failure once entries were listed ("Error 3 reading Zip file", ...).
class EZipStreamError : public Exception {
public:
  using Exception::Exception;
};

class IZipInput {
public:
  virtual ~IZipInput() = default;
  virtual uint64_t Size() const = 0;
  virtual bool ReadAt(uint64_t pos, void* buf, size_t n) = 0;
};

class TMemoryZipInput : public IZipInput {
public:
  explicit TMemoryZipInput(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t pos, void* buf, size_t n) override;

private:
  std::string bytes_;
};

constexpr uint64_t kZipSearchWindow = 60000;

struct TZipDirResult {
  std::vector<ZipDirEntry> Entries;
  uint64_t SFXOffset = 0;
  int FailDigit = 0;  // 1 to 5: "No valid zip entries found <digit>"; 0 found
};

// Lists the local headers. Throws EZipStreamError as described above. When
// no header starts within the search window, the end record is used to find
// the first one, so a stub larger than the window still works.
TZipDirResult ReadZipLocalDirectory(IZipInput& in);
