// Zip format on bytes: records, directory reader, entry encoder (store or
// raw deflate, traditional encryption) and archive writer. No Win32 here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zipfmt {

using Bytes = std::vector<uint8_t>;

// Leaves new elements uninitialised, for buffers that are filled right
// after they grow: zeroing megabytes first costs as much as filling them.
template <class T>
struct TUninitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUninitAllocator<U>;
  };
  TUninitAllocator() = default;
  template <class U>
  TUninitAllocator(const TUninitAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
};
using RawBytes = std::vector<uint8_t, TUninitAllocator<uint8_t>>;

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kDescriptorSig = 0x08074b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr size_t kCryptHeaderSize = 12;
// What the 16- and 32-bit fields can hold: their highest values mark a zip64
// archive, which the reader refuses, so the writer never stores them.
constexpr size_t kMaxEntries = 0xFFFE;
constexpr uint64_t kMaxField32 = 0xFFFFFFFE;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(Bytes& out, uint16_t v);
void Put32(Bytes& out, uint32_t v);

uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n);
// The CRC-32 of two pieces one after the other, from the CRC of each; the
// second is under 2 GB.
uint32_t Crc32Combine(uint32_t crcFirst, uint32_t crcSecond, uint32_t secondSize);

// Traditional PKWARE encryption.
class TZipCrypto {
public:
  explicit TZipCrypto(const std::string& password);
  uint8_t Encrypt(uint8_t plain);
  uint8_t Decrypt(uint8_t cipher);

private:
  uint8_t StreamByte() const;
  void UpdateKeys(uint8_t plain);
  uint32_t keys_[3];
};

// An entry's data as it is encrypted: the 12-byte header (11 given bytes,
// then the high byte of the CRC) in front of the first piece.
class TEntryCipher {
public:
  TEntryCipher(const std::string& password, uint32_t crc, const uint8_t* header);
  template <class Vec>
  void Apply(const uint8_t* p, size_t n, Vec& out) {
    size_t at = out.size();
    out.resize(at + pendingHeader_.size() + n);
    for (uint8_t b : pendingHeader_) out[at++] = crypto_.Encrypt(b);
    pendingHeader_.clear();
    for (size_t i = 0; i < n; ++i) out[at + i] = crypto_.Encrypt(p[i]);
  }

private:
  TZipCrypto crypto_;
  Bytes pendingHeader_;
};

// A raw deflate stream. The zlib state is kept from one stream to the next
// and only reset, which spares its set-up for every entry.
class TDeflater {
public:
  enum TFlush { NoFlush, SyncFlush, Finish };
  TDeflater();
  ~TDeflater();
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
  // A new stream at `level` (1 to 9). `dict` holds the bytes that come
  // before it when it continues a stream cut into pieces.
  bool Begin(int level, const uint8_t* dict = nullptr, size_t dictSize = 0);
  // Appends what `p` gives to `out`. SyncFlush ends on a byte boundary, so
  // that the next piece's stream can follow it; Finish ends the stream.
  bool Deflate(const uint8_t* p, size_t n, TFlush flush, RawBytes& out);

private:
  struct TZStream;
  std::unique_ptr<TZStream> z_;
};

// DOS date and time.
struct TDosTime {
  uint16_t Time = 0, Date = 0;
  uint32_t Packed() const { return (static_cast<uint32_t>(Date) << 16) | Time; }
};
TDosTime MakeDosTime(int year, int month, int day, int hour, int minute, int second);

// Case-insensitive '*' and '?'; a pattern ending in ".*" also matches a
// name without a dot ("*.*" matches everything).
bool WildcardMatch(const std::string& pattern, const std::string& name);
// One path part in 8.3 form: upper case, invalid characters replaced.
std::string ForceDOSName(const std::string& part);

// Random access to input bytes.
class IByteSource {
public:
  virtual ~IByteSource() = default;
  virtual uint64_t Size() const = 0;
  virtual bool ReadAt(uint64_t offset, void* buf, size_t n) = 0;
};

// Output with patching of bytes already written.
class IByteSink {
public:
  virtual ~IByteSink() = default;
  virtual bool Write(const void* p, size_t n) = 0;
  virtual uint64_t Position() const = 0;
  virtual bool WriteAt(uint64_t offset, const void* p, size_t n) = 0;
};

class TMemorySource : public IByteSource {
public:
  explicit TMemorySource(Bytes data) : data_(std::move(data)) {}
  uint64_t Size() const override { return data_.size(); }
  bool ReadAt(uint64_t offset, void* buf, size_t n) override;

private:
  Bytes data_;
};

class TMemorySink : public IByteSink {
public:
  bool Write(const void* p, size_t n) override;
  uint64_t Position() const override { return Data.size(); }
  bool WriteAt(uint64_t offset, const void* p, size_t n) override;
  Bytes Data;
};

// One entry of an existing archive, from its central record.
struct TZipEntry {
  uint16_t VersionMadeBy = 0, VersionNeeded = 0, Flags = 0, Method = 0;
  TDosTime Time;
  uint32_t Crc = 0, CompressedSize = 0, Size = 0;
  uint16_t InternalAttr = 0;
  uint32_t ExternalAttr = 0;
  std::string Name;
  Bytes Extra, Comment;
  uint64_t LocalPos = 0;   // where its local header starts in the file
  uint64_t LocalSpan = 0;  // local header, data and descriptor
};

struct TZipDirectory {
  uint64_t PrefixSize = 0;  // bytes in front of the zip data
  std::vector<TZipEntry> Entries;
  Bytes Comment;
};

enum class TReadError { None, NoEndRecord, BadCentral, BadLocal, Unsupported, ReadFailed };
const char* ReadErrorText(TReadError e);

// Reads the central directory. Offsets may count from the file's start or
// from the start of the zip data (a stub in front, offsets not adjusted).
TReadError ReadZipDirectory(IByteSource& src, TZipDirectory& dir);

// Turns a file's bytes into an entry's data: stored or raw deflate, then
// encrypted when a password is given.
class TEntryEncoder {
public:
  // `cryptHeader` gives 11 random bytes when `password` is set; the 12th is
  // the high byte of `crc`.
  TEntryEncoder(int level, const std::string* password, uint32_t crc, const uint8_t* cryptHeader);
  ~TEntryEncoder();
  TEntryEncoder(const TEntryEncoder&) = delete;
  TEntryEncoder& operator=(const TEntryEncoder&) = delete;

  bool Ok() const { return ok_; }
  bool Feed(const uint8_t* p, size_t n, Bytes& out);
  bool Finish(Bytes& out);

private:
  void Emit(const uint8_t* p, size_t n, Bytes& out);
  std::unique_ptr<TDeflater> z_;
  std::unique_ptr<TEntryCipher> cipher_;
  RawBytes plain_;
  bool ok_ = true;
};

struct TNewEntry {
  std::string Name;  // '/' between folders
  TDosTime Time;
  uint32_t ExternalAttr = 0;
  uint32_t Crc = 0, Size = 0;
  int Level = 9;
  bool Encrypted = false;
};

uint16_t MethodForLevel(int level);
uint16_t FlagsFor(int level, bool encrypted);

// Writes an archive: raw bytes in front, copied entries, new entries, then
// the central directory and end record. Offsets count from the sink's
// start. Sizes go in the local headers; no data descriptors.
class TZipWriter {
public:
  explicit TZipWriter(IByteSink& sink) : sink_(sink) {}
  bool WriteRaw(const void* p, size_t n);
  bool CopyEntry(IByteSource& src, const TZipEntry& e);
  bool BeginEntry(const TNewEntry& e);
  bool WriteEntryData(const uint8_t* p, size_t n);
  bool EndEntry();
  // Ends an entry whose CRC and size were not known when it began.
  bool EndEntry(uint32_t crc, uint32_t size);
  bool Finish(const Bytes& comment = {});
  const std::vector<TZipEntry>& Entries() const { return entries_; }
  std::string Error;

private:
  bool Fail(const std::string& text);
  bool Put(const Bytes& b);
  IByteSink& sink_;
  std::vector<TZipEntry> entries_;
  bool inEntry_ = false;
  uint64_t dataStart_ = 0;
};

Bytes EncodeLocalHeader(const TZipEntry& e);
Bytes EncodeCentralHeader(const TZipEntry& e, uint32_t localOffset);
Bytes EncodeEndRecord(uint16_t count, uint32_t cdSize, uint32_t cdOffset, const Bytes& comment);

}  // namespace zipfmt
