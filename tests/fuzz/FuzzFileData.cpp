// The file data reader over any bytes: a file record and location, then up
// to four disks (or one "/SL" data file).
#include "DiskFormat.h"
#include "FuzzInput.h"
#include "ScriptWriter.h"
#include "ZlibStream.h"

#include <vector>

namespace {

// Disk numbers wrap onto the disks of the input, so a small input can make
// a stream of gigabytes. Once this much has been read or written the run
// ends early: the readers' size checks stay reachable, the runs stay quick.
constexpr uint64_t kWorkLimit = 8u << 20;
struct TEnough {};

// Counts what comes out; keeps nothing.
class TCountingSink : public IByteSink {
public:
  void Write(const void*, size_t size) override {
    Count += size;
    if (Count > kWorkLimit) throw TEnough{};
  }
  uint64_t Count = 0;
};

}  // namespace

// Layout: flags (bit 0 data file, bits 1-2 disks - 1, bit 3 write right
// disk headers), CompressedSize, UncompressedSize, Checksum, FirstDisk,
// LastDisk, StartOffset (int32 each), a uint16 length for each disk but
// the last, then the disks' bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  uint8_t flags = in.Byte();
  TScriptFile file;
  file.CompressedSize = static_cast<int32_t>(in.UInt32());
  file.UncompressedSize = static_cast<int32_t>(in.UInt32());
  file.Checksum = in.UInt32();
  TScriptFileLocation loc;
  loc.FirstDisk = static_cast<int32_t>(in.UInt32());
  loc.LastDisk = static_cast<int32_t>(in.UInt32());
  loc.StartOffset = static_cast<int32_t>(in.UInt32());
  int diskCount = ((flags >> 1) & 3) + 1;
  std::vector<uint16_t> lengths;
  for (int i = 1; i < diskCount; ++i) lengths.push_back(in.UInt16());
  std::vector<std::string> disks;
  for (int i = 0; i < diskCount; ++i) {
    std::string body = i + 1 < diskCount ? in.Bytes(lengths[i]) : in.Rest();
    if (flags & 8)
      body = std::string(kDiskSignature, sizeof kDiskSignature) +
             fixture::Int32(static_cast<int32_t>(kDiskHeaderSize + body.size())) + body;
    disks.push_back(body);
  }

  TFileDataReader reader;
  if (flags & 1) reader.FileDataOffset = 1 + (static_cast<uint32_t>(loc.LastDisk) & 0xFF);
  reader.OpenDataFile = [&] { return std::make_unique<TMemorySource>(disks[0]); };
  reader.OpenDisk = [&](int n) -> std::unique_ptr<IByteSource> {
    // Disk numbers wrap onto the disks there are.
    int index = ((n - 1) % diskCount + diskCount) % diskCount;
    return std::make_unique<TMemorySource>(disks[static_cast<size_t>(index)]);
  };
  uint64_t read = 0;
  reader.OnRead = [&](size_t n) {
    read += n;
    if (read > kWorkLimit) throw TEnough{};
  };
  TCountingSink sink;
  try {
    reader.ReadFileData(file, loc, sink);
  } catch (const Exception&) {
  } catch (const TEnough&) {
  }
  if (sink.Count > static_cast<uint64_t>(file.UncompressedSize < 0 ? 0 : file.UncompressedSize)) __builtin_trap();
  if (read > static_cast<uint64_t>(file.CompressedSize < 0 ? 0 : file.CompressedSize)) __builtin_trap();
  return 0;
}
