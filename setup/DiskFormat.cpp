#include "DiskFormat.h"

#include "ZlibStream.h"

#include <cstring>

const char kDiskSignature[8] = {'i', 'd', 's', 'k', 'a', '3', '2', 0x1A};
const char kDataSignature[4] = {'z', 'l', 'b', 0x1A};

void RaiseSourceCorrupted() { throw Exception("The source file is corrupted"); }

void CheckDiskFileHeader(IByteSource& disk) {
  uint8_t header[kDiskHeaderSize];
  if (disk.Read(header, sizeof header) != sizeof header) RaiseSourceCorrupted();
  if (std::memcmp(header, kDiskSignature, sizeof kDiskSignature) != 0) RaiseSourceCorrupted();
  int32_t size = GetInt32(header + 8);
  if (size < 0 || static_cast<uint64_t>(size) != disk.Size()) RaiseSourceCorrupted();
}

void TFileDataReader::ReadFileData(const TScriptFile& file, const TScriptFileLocation& location, IByteSink& dest) {
  if (file.CompressedSize < 0 || file.UncompressedSize < 0 || location.StartOffset < 0) RaiseSourceCorrupted();
  const bool inDataFile = FileDataOffset != 0;
  if (!inDataFile && location.FirstDisk < 1) RaiseSourceCorrupted();

  state_ = TSourceReadState{};
  state_.CurrentDisk = location.FirstDisk;
  state_.LastDisk = inDataFile ? location.FirstDisk : location.LastDisk;  // one file: no disk change
  state_.CompressedLeft = static_cast<uint64_t>(file.CompressedSize);
  state_.OutputLimit = static_cast<uint64_t>(file.UncompressedSize);
  dest_ = &dest;

  struct TClose {
    TFileDataReader& r;
    ~TClose() { r.source_.reset(); r.dest_ = nullptr; }
  } close{*this};

  if (inDataFile) {
    source_ = OpenDataFile();
  } else {
    source_ = OpenDisk(state_.CurrentDisk);
    CheckDiskFileHeader(*source_);
  }
  source_->Seek(FileDataOffset + static_cast<uint64_t>(location.StartOffset));
  char sig[sizeof kDataSignature];
  if (source_->Read(sig, sizeof sig) != sizeof sig || std::memcmp(sig, kDataSignature, sizeof sig) != 0)
    RaiseSourceCorrupted();
  // A stream that cannot continue on a later disk must fit in this one.
  if (state_.CurrentDisk >= state_.LastDisk && state_.CompressedLeft > source_->Left()) RaiseSourceCorrupted();

  uint32_t adler = 0;
  try {
    if (!InflateStream(SourceReader, DestWriter, this, adler)) RaiseSourceCorrupted();
  } catch (const EZlibDataError&) {
    RaiseSourceCorrupted();
  }
  if (state_.Written != state_.OutputLimit || adler != file.Checksum) RaiseSourceCorrupted();
}

size_t TFileDataReader::SourceReader(void* buffer, size_t wanted, void* user) {
  auto& r = *static_cast<TFileDataReader*>(user);
  TSourceReadState& s = r.state_;
  size_t count = s.CompressedLeft < wanted ? static_cast<size_t>(s.CompressedLeft) : wanted;
  auto* p = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    size_t got = r.source_->Read(p + done, count - done);
    done += got;
    s.CompressedLeft -= got;
    if (done == count) break;
    // This disk has ended; the stream goes on after the header of the next.
    if (s.CurrentDisk >= s.LastDisk) RaiseSourceCorrupted();
    r.source_.reset();
    ++s.CurrentDisk;
    r.source_ = r.OpenDisk(s.CurrentDisk);
    CheckDiskFileHeader(*r.source_);
  }
  if (r.OnRead) r.OnRead(count);
  return count;
}

size_t TFileDataReader::DestWriter(const void* buffer, size_t count, void* user) {
  auto& r = *static_cast<TFileDataReader*>(user);
  TSourceReadState& s = r.state_;
  if (count > s.OutputLimit - s.Written) RaiseSourceCorrupted();
  r.dest_->Write(buffer, count);
  s.Written += count;
  return count;
}
