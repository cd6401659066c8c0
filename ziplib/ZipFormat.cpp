#include "ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zipfmt {

void Put16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n) {
  while (n > 0) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
    crc = static_cast<uint32_t>(crc32(crc, p, chunk));
    p += chunk;
    n -= chunk;
  }
  return crc;
}

uint32_t Crc32Combine(uint32_t crcFirst, uint32_t crcSecond, uint32_t secondSize) {
  return static_cast<uint32_t>(crc32_combine(crcFirst, crcSecond, static_cast<z_off_t>(secondSize)));
}

// ---- encryption

namespace {
struct TCrcTable {
  uint32_t Entry[256];
  TCrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
      Entry[i] = c;
    }
  }
};
const TCrcTable kCrcTable;

// One step of the CRC-32 register, as the key schedule needs it.
uint32_t CrcByte(uint32_t crc, uint8_t b) { return (crc >> 8) ^ kCrcTable.Entry[(crc ^ b) & 0xFF]; }
}  // namespace

TZipCrypto::TZipCrypto(const std::string& password) {
  keys_[0] = 0x12345678;
  keys_[1] = 0x23456789;
  keys_[2] = 0x34567890;
  for (char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

void TZipCrypto::UpdateKeys(uint8_t plain) {
  keys_[0] = CrcByte(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = CrcByte(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t TZipCrypto::StreamByte() const {
  uint32_t t = (keys_[2] & 0xFFFF) | 2;
  return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
}

uint8_t TZipCrypto::Encrypt(uint8_t plain) {
  uint8_t c = static_cast<uint8_t>(plain ^ StreamByte());
  UpdateKeys(plain);
  return c;
}

uint8_t TZipCrypto::Decrypt(uint8_t cipher) {
  uint8_t p = static_cast<uint8_t>(cipher ^ StreamByte());
  UpdateKeys(p);
  return p;
}

TEntryCipher::TEntryCipher(const std::string& password, uint32_t crc, const uint8_t* header) : crypto_(password) {
  pendingHeader_.assign(header, header + kCryptHeaderSize - 1);
  pendingHeader_.push_back(static_cast<uint8_t>(crc >> 24));
}

// ---- names and times

TDosTime MakeDosTime(int year, int month, int day, int hour, int minute, int second) {
  TDosTime t;
  if (year < 1980) return MakeDosTime(1980, 1, 1, 0, 0, 0);
  if (year > 2107) year = 2107;
  t.Date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  t.Time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  return t;
}

namespace {
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool Match(const char* p, const char* pe, const char* n, const char* ne) {
  // Iterative glob with one backtrack point.
  const char* star = nullptr;
  const char* starName = nullptr;
  while (n < ne) {
    if (p < pe && (*p == '?' || Upper(*p) == Upper(*n))) {
      ++p;
      ++n;
    } else if (p < pe && *p == '*') {
      star = p++;
      starName = n;
    } else if (star) {
      p = star + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pe && *p == '*') ++p;
  return p == pe;
}
}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  const char* p = pattern.data();
  if (Match(p, p + pattern.size(), name.data(), name.data() + name.size())) return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos)
    return Match(p, p + pattern.size() - 2, name.data(), name.data() + name.size());
  return false;
}

std::string ForceDOSName(const std::string& part) {
  static const char kInvalid[] = "\"*+,/:;<=>?[\\]|.";
  auto clean = [](const std::string& s, size_t max) {
    std::string out;
    for (char c : s) {
      if (out.size() == max) break;
      if (c == ' ') continue;
      unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x20 || std::strchr(kInvalid, c)) c = '_';
      out += Upper(c);
    }
    return out;
  };
  size_t dot = part.rfind('.');
  std::string base = part, ext;
  if (dot != std::string::npos && dot > 0) {
    base = part.substr(0, dot);
    ext = part.substr(dot + 1);
  }
  std::string b = clean(base, 8), e = clean(ext, 3);
  if (b.empty()) b = "_";
  return e.empty() ? b : b + "." + e;
}

// ---- byte sources and sinks

bool TMemorySource::ReadAt(uint64_t offset, void* buf, size_t n) {
  if (offset > data_.size() || n > data_.size() - offset) return false;
  if (n) std::memcpy(buf, data_.data() + offset, n);
  return true;
}

bool TMemorySink::Write(const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  Data.insert(Data.end(), b, b + n);
  return true;
}

bool TMemorySink::WriteAt(uint64_t offset, const void* p, size_t n) {
  if (offset > Data.size() || n > Data.size() - offset) return false;
  if (n) std::memcpy(Data.data() + offset, p, n);
  return true;
}

// ---- directory reader

const char* ReadErrorText(TReadError e) {
  switch (e) {
    case TReadError::None: return "no error";
    case TReadError::NoEndRecord: return "no end-of-central-directory record";
    case TReadError::BadCentral: return "damaged central directory";
    case TReadError::BadLocal: return "damaged local header";
    case TReadError::Unsupported: return "multi-disk or zip64 archives are not supported";
    case TReadError::ReadFailed: return "read error";
  }
  return "unknown error";
}

namespace {
// Signatures are compared under a mask read at run time, so that a program
// that only reads zips holds no signature in its code: a self-extractor stub
// sits in front of a zip, and zip readers search such files for them.
volatile uint32_t gSigMask = 0x5A5A5A5A;
constexpr uint32_t Masked(uint32_t sig) { return sig ^ 0x5A5A5A5A; }
bool HasSig(const uint8_t* p, uint32_t maskedSig) { return (Get32(p) ^ gSigMask) == maskedSig; }

// Finds the end record: the last signature whose comment fits the file.
bool FindEndRecord(IByteSource& src, uint64_t& pos, Bytes& rec) {
  uint64_t size = src.Size();
  if (size < kEndRecordSize) return false;
  uint64_t window = std::min<uint64_t>(size, kEndRecordSize + 0xFFFF);
  Bytes tail(static_cast<size_t>(window));
  if (!src.ReadAt(size - window, tail.data(), tail.size())) return false;
  for (size_t i = tail.size() - kEndRecordSize + 1; i-- > 0;) {
    const uint8_t* p = tail.data() + i;
    if (!HasSig(p, Masked(kEndSig))) continue;
    uint16_t commentLen = Get16(p + 20);
    if (i + kEndRecordSize + commentLen > tail.size()) continue;
    pos = size - window + i;
    rec.assign(p, static_cast<const uint8_t*>(tail.data() + tail.size()));
    return true;
  }
  return false;
}
}  // namespace

TReadError ReadZipDirectory(IByteSource& src, TZipDirectory& dir) {
  dir = TZipDirectory{};
  uint64_t endPos = 0;
  Bytes end;
  if (!FindEndRecord(src, endPos, end)) return TReadError::NoEndRecord;
  uint16_t disk = Get16(&end[4]), cdDisk = Get16(&end[6]);
  uint16_t countDisk = Get16(&end[8]), count = Get16(&end[10]);
  uint32_t cdSize = Get32(&end[12]), cdOffset = Get32(&end[16]);
  uint16_t commentLen = Get16(&end[20]);
  dir.Comment.assign(end.begin() + kEndRecordSize, end.begin() + kEndRecordSize + commentLen);
  if (disk != 0 || cdDisk != 0 || countDisk != count) return TReadError::Unsupported;
  if (count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) return TReadError::Unsupported;
  if (cdSize > endPos) return TReadError::BadCentral;
  uint64_t cdPos = endPos - cdSize;
  if (count == 0) {
    // Nothing to locate by offsets: all in front of the end record is kept.
    dir.PrefixSize = cdPos;
    return TReadError::None;
  }
  if (cdOffset > cdPos) return TReadError::BadCentral;
  uint64_t delta = cdPos - cdOffset;  // bytes in front that the offsets do not count

  Bytes cd(cdSize);
  if (!src.ReadAt(cdPos, cd.data(), cd.size())) return TReadError::ReadFailed;
  size_t at = 0;
  uint64_t firstLocal = cdPos;
  for (uint32_t i = 0; i < count; ++i) {
    if (cd.size() - at < kCentralHeaderSize) return TReadError::BadCentral;
    const uint8_t* p = cd.data() + at;
    if (!HasSig(p, Masked(kCentralSig))) return TReadError::BadCentral;
    TZipEntry e;
    e.VersionMadeBy = Get16(p + 4);
    e.VersionNeeded = Get16(p + 6);
    e.Flags = Get16(p + 8);
    e.Method = Get16(p + 10);
    e.Time.Time = Get16(p + 12);
    e.Time.Date = Get16(p + 14);
    e.Crc = Get32(p + 16);
    e.CompressedSize = Get32(p + 20);
    e.Size = Get32(p + 24);
    size_t nameLen = Get16(p + 28), extraLen = Get16(p + 30), commentLen2 = Get16(p + 32);
    uint16_t diskStart = Get16(p + 34);
    e.InternalAttr = Get16(p + 36);
    e.ExternalAttr = Get32(p + 38);
    uint32_t localOffset = Get32(p + 42);
    if (diskStart != 0) return TReadError::Unsupported;
    if (e.CompressedSize == 0xFFFFFFFF || e.Size == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
      return TReadError::Unsupported;
    size_t varLen = nameLen + extraLen + commentLen2;
    if (cd.size() - at - kCentralHeaderSize < varLen) return TReadError::BadCentral;
    const uint8_t* v = p + kCentralHeaderSize;
    e.Name.assign(reinterpret_cast<const char*>(v), nameLen);
    e.Extra.assign(v + nameLen, v + nameLen + extraLen);
    e.Comment.assign(v + nameLen + extraLen, v + varLen);
    at += kCentralHeaderSize + varLen;

    e.LocalPos = delta + localOffset;
    uint8_t lh[kLocalHeaderSize];
    if (e.LocalPos + kLocalHeaderSize > cdPos || !src.ReadAt(e.LocalPos, lh, sizeof lh))
      return TReadError::BadLocal;
    if (!HasSig(lh, Masked(kLocalSig))) return TReadError::BadLocal;
    uint64_t span = kLocalHeaderSize + Get16(lh + 26) + Get16(lh + 28) + uint64_t{e.CompressedSize};
    if (e.Flags & kFlagDescriptor) {
      uint8_t sig[4];
      uint64_t dp = e.LocalPos + span;
      span += (dp + 4 <= cdPos && src.ReadAt(dp, sig, 4) && HasSig(sig, Masked(kDescriptorSig))) ? 16 : 12;
    }
    if (e.LocalPos + span > cdPos) return TReadError::BadLocal;
    e.LocalSpan = span;
    firstLocal = std::min(firstLocal, e.LocalPos);
    dir.Entries.push_back(std::move(e));
  }
  dir.PrefixSize = firstLocal;
  return TReadError::None;
}

// ---- deflate

struct TDeflater::TZStream {
  z_stream s{};
  int level = -1;  // the level the stream was made for; -1 before
};

TDeflater::TDeflater() : z_(std::make_unique<TZStream>()) {}

TDeflater::~TDeflater() {
  if (z_->level >= 0) deflateEnd(&z_->s);
}

bool TDeflater::Begin(int level, const uint8_t* dict, size_t dictSize) {
  level = std::clamp(level, 1, 9);
  if (z_->level == level) {
    if (deflateReset(&z_->s) != Z_OK) return false;
  } else {
    if (z_->level >= 0) deflateEnd(&z_->s);
    z_->s = z_stream{};
    z_->level = -1;
    if (deflateInit2(&z_->s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    z_->level = level;
  }
  if (dictSize > 0) {
    // Only the last 32 KB can be referred to.
    size_t keep = std::min<size_t>(dictSize, 1u << MAX_WBITS);
    if (deflateSetDictionary(&z_->s, dict + dictSize - keep, static_cast<uInt>(keep)) != Z_OK) return false;
  }
  return true;
}

bool TDeflater::Deflate(const uint8_t* p, size_t n, TFlush flush, RawBytes& out) {
  if (z_->level < 0) return false;
  z_stream& s = z_->s;
  const int mode = flush == Finish ? Z_FINISH : flush == SyncFlush ? Z_SYNC_FLUSH : Z_NO_FLUSH;
  size_t used = out.size();
  for (;;) {
    // zlib counts in 32 bits: hand it at most 1 GB at a time.
    uInt slice = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
    s.next_in = const_cast<Bytef*>(p);
    s.avail_in = slice;
    bool lastSlice = slice == n;
    int sliceMode = lastSlice ? mode : Z_NO_FLUSH;
    for (;;) {
      // Room for all of it at once, whatever the data.
      if (out.size() - used < 4096) out.resize(used + std::max<size_t>(out.size() - used, slice + slice / 8) + 65536);
      s.next_out = out.data() + used;
      s.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - used, 1u << 30));
      uInt room = s.avail_out;
      int rc = deflate(&s, sliceMode);
      used += room - s.avail_out;
      if (rc == Z_STREAM_ERROR) {
        out.resize(used);
        return false;
      }
      if (sliceMode == Z_FINISH ? rc == Z_STREAM_END : (s.avail_in == 0 && s.avail_out != 0)) break;
    }
    p += slice;
    n -= slice;
    if (lastSlice) break;
  }
  out.resize(used);
  return true;
}

// ---- encoder

TEntryEncoder::TEntryEncoder(int level, const std::string* password, uint32_t crc, const uint8_t* cryptHeader) {
  if (level > 0) {
    z_ = std::make_unique<TDeflater>();
    ok_ = z_->Begin(std::min(level, 9));
  }
  if (password) cipher_ = std::make_unique<TEntryCipher>(*password, crc, cryptHeader);
}

TEntryEncoder::~TEntryEncoder() = default;

void TEntryEncoder::Emit(const uint8_t* p, size_t n, Bytes& out) {
  if (cipher_)
    cipher_->Apply(p, n, out);
  else
    out.insert(out.end(), p, p + n);
}

bool TEntryEncoder::Feed(const uint8_t* p, size_t n, Bytes& out) {
  if (!ok_) return false;
  if (!z_) {
    Emit(p, n, out);
    return true;
  }
  plain_.clear();
  if (!z_->Deflate(p, n, TDeflater::NoFlush, plain_)) return ok_ = false;
  Emit(plain_.data(), plain_.size(), out);
  return true;
}

bool TEntryEncoder::Finish(Bytes& out) {
  if (!ok_) return false;
  plain_.clear();
  if (z_ && !z_->Deflate(nullptr, 0, TDeflater::Finish, plain_)) return ok_ = false;
  Emit(plain_.data(), plain_.size(), out);  // an empty stored file still gets its header
  return true;
}

// ---- records

uint16_t MethodForLevel(int level) { return level <= 0 ? kMethodStored : kMethodDeflated; }

uint16_t FlagsFor(int level, bool encrypted) {
  uint16_t f = encrypted ? kFlagEncrypted : 0;
  if (level >= 8) f |= 0x2;        // maximum
  else if (level == 2) f |= 0x4;   // fast
  else if (level == 1) f |= 0x6;   // super fast
  return f;
}

Bytes EncodeLocalHeader(const TZipEntry& e) {
  Bytes b;
  Put32(b, kLocalSig);
  Put16(b, e.VersionNeeded);
  Put16(b, e.Flags);
  Put16(b, e.Method);
  Put16(b, e.Time.Time);
  Put16(b, e.Time.Date);
  Put32(b, e.Crc);
  Put32(b, e.CompressedSize);
  Put32(b, e.Size);
  Put16(b, static_cast<uint16_t>(e.Name.size()));
  Put16(b, 0);
  b.insert(b.end(), e.Name.begin(), e.Name.end());
  return b;
}

Bytes EncodeCentralHeader(const TZipEntry& e, uint32_t localOffset) {
  Bytes b;
  Put32(b, kCentralSig);
  Put16(b, e.VersionMadeBy);
  Put16(b, e.VersionNeeded);
  Put16(b, e.Flags);
  Put16(b, e.Method);
  Put16(b, e.Time.Time);
  Put16(b, e.Time.Date);
  Put32(b, e.Crc);
  Put32(b, e.CompressedSize);
  Put32(b, e.Size);
  Put16(b, static_cast<uint16_t>(e.Name.size()));
  Put16(b, static_cast<uint16_t>(e.Extra.size()));
  Put16(b, static_cast<uint16_t>(e.Comment.size()));
  Put16(b, 0);
  Put16(b, e.InternalAttr);
  Put32(b, e.ExternalAttr);
  Put32(b, localOffset);
  b.insert(b.end(), e.Name.begin(), e.Name.end());
  b.insert(b.end(), e.Extra.begin(), e.Extra.end());
  b.insert(b.end(), e.Comment.begin(), e.Comment.end());
  return b;
}

Bytes EncodeEndRecord(uint16_t count, uint32_t cdSize, uint32_t cdOffset, const Bytes& comment) {
  Bytes b;
  Put32(b, kEndSig);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, count);
  Put16(b, count);
  Put32(b, cdSize);
  Put32(b, cdOffset);
  Put16(b, static_cast<uint16_t>(comment.size()));
  b.insert(b.end(), comment.begin(), comment.end());
  return b;
}

// ---- writer

bool TZipWriter::Fail(const std::string& text) {
  if (Error.empty()) Error = text;
  return false;
}

bool TZipWriter::Put(const Bytes& b) {
  if (!sink_.Write(b.data(), b.size())) return Fail("write failed");
  return true;
}

bool TZipWriter::WriteRaw(const void* p, size_t n) {
  if (!sink_.Write(p, n)) return Fail("write failed");
  return true;
}

bool TZipWriter::CopyEntry(IByteSource& src, const TZipEntry& e) {
  if (inEntry_) return Fail("entry still open");
  if (entries_.size() >= kMaxEntries) return Fail("too many entries (at most 65534)");
  TZipEntry copy = e;
  copy.LocalPos = sink_.Position();
  if (copy.LocalPos + e.LocalSpan > kMaxField32) return Fail("archive too large");
  uint8_t buf[32768];
  for (uint64_t done = 0; done < e.LocalSpan;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof buf, e.LocalSpan - done));
    if (!src.ReadAt(e.LocalPos + done, buf, n)) return Fail("read failed");
    if (!WriteRaw(buf, n)) return false;
    done += n;
  }
  entries_.push_back(std::move(copy));
  return true;
}

bool TZipWriter::BeginEntry(const TNewEntry& n) {
  if (inEntry_) return Fail("entry still open");
  if (entries_.size() >= kMaxEntries) return Fail("too many entries (at most 65534)");
  if (n.Name.empty() || n.Name.size() > 0xFFFF) return Fail("bad entry name");
  if (n.Size > kMaxField32) return Fail("file too large");
  TZipEntry e;
  e.VersionMadeBy = 20;  // MS-DOS/FAT attributes, format 2.0
  e.Method = MethodForLevel(n.Level);
  e.VersionNeeded = (e.Method == kMethodDeflated || n.Encrypted) ? 20 : 10;
  e.Flags = FlagsFor(n.Level, n.Encrypted);
  e.Time = n.Time;
  e.Crc = n.Crc;
  e.Size = n.Size;
  e.CompressedSize = 0;  // patched by EndEntry
  e.ExternalAttr = n.ExternalAttr;
  e.Name = n.Name;
  e.LocalPos = sink_.Position();
  if (e.LocalPos > kMaxField32) return Fail("archive too large");
  if (!Put(EncodeLocalHeader(e))) return false;
  dataStart_ = sink_.Position();
  entries_.push_back(std::move(e));
  inEntry_ = true;
  return true;
}

bool TZipWriter::WriteEntryData(const uint8_t* p, size_t n) {
  if (!inEntry_) return Fail("no entry open");
  return WriteRaw(p, n);
}

bool TZipWriter::EndEntry() {
  if (!inEntry_) return Fail("no entry open");
  return EndEntry(entries_.back().Crc, entries_.back().Size);
}

bool TZipWriter::EndEntry(uint32_t crc, uint32_t size) {
  if (!inEntry_) return Fail("no entry open");
  inEntry_ = false;
  TZipEntry& e = entries_.back();
  uint64_t packed = sink_.Position() - dataStart_;
  if (packed > kMaxField32 || sink_.Position() > kMaxField32) return Fail("archive too large");
  e.Crc = crc;
  e.Size = size;
  e.CompressedSize = static_cast<uint32_t>(packed);
  e.LocalSpan = sink_.Position() - e.LocalPos;
  Bytes b;
  Put32(b, e.Crc);
  Put32(b, e.CompressedSize);
  Put32(b, e.Size);
  if (!sink_.WriteAt(e.LocalPos + 14, b.data(), b.size())) return Fail("write failed");
  return true;
}

bool TZipWriter::Finish(const Bytes& comment) {
  if (inEntry_) return Fail("entry still open");
  uint64_t cdStart = sink_.Position();
  for (const TZipEntry& e : entries_)
    if (!Put(EncodeCentralHeader(e, static_cast<uint32_t>(e.LocalPos)))) return false;
  uint64_t cdEnd = sink_.Position();
  if (cdEnd > kMaxField32) return Fail("archive too large");
  Bytes c(comment.begin(), comment.begin() + std::min<size_t>(comment.size(), 0xFFFF));
  return Put(EncodeEndRecord(static_cast<uint16_t>(entries_.size()), static_cast<uint32_t>(cdEnd - cdStart),
                             static_cast<uint32_t>(cdStart), c));
}

}  // namespace zipfmt
