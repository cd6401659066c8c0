#include "SFXArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace sfx {

using zipfmt::Get16;
using zipfmt::Get32;

// ---- the stub's own file

uint64_t AppendedDataStart(IByteSource& src) {
  uint8_t dos[64];
  if (!src.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
  uint64_t pe = Get32(dos + 0x3C);
  uint8_t file[24];
  if (!src.ReadAt(pe, file, sizeof file) || std::memcmp(file, "PE\0\0", 4) != 0) return 0;
  uint32_t sections = Get16(file + 6), optional = Get16(file + 20);
  uint64_t end = 0;
  for (uint32_t i = 0; i < sections; ++i) {
    uint8_t s[40];
    if (!src.ReadAt(pe + 24 + optional + uint64_t{i} * 40, s, sizeof s)) return 0;
    uint64_t rawSize = Get32(s + 16), rawAt = Get32(s + 20);
    if (rawSize) end = std::max(end, rawAt + rawSize);
  }
  return end <= src.Size() ? end : 0;
}

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool SameText(const std::string& a, size_t at, const std::string& b) {
  if (a.size() - at < b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i)
    if (Lower(a[at + i]) != Lower(b[i])) return false;
  return true;
}
std::string Trim(const std::string& s, size_t from) {
  size_t b = s.find_first_not_of(" \t", from);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
}  // namespace

std::string ArgumentsOf(const std::string& commandLine, const std::string& modulePath) {
  size_t at = commandLine.find_first_not_of(" \t");
  if (at == std::string::npos) return {};
  const std::string& c = commandLine;
  if (c[at] == '"') {
    size_t close = c.find('"', at + 1);
    return close == std::string::npos ? std::string() : Trim(c, close + 1);
  }
  // The program's own path, blanks and all, when it was given unquoted.
  if (!modulePath.empty() && SameText(c, at, modulePath)) {
    size_t end = at + modulePath.size();
    if (end == c.size() || c[end] == ' ' || c[end] == '\t') return Trim(c, end);
  }
  size_t end = c.find_first_of(" \t", at);
  return end == std::string::npos ? std::string() : Trim(c, end);
}

// ---- names

namespace {
bool IsDevice(const std::string& part) {
  std::string base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::string u;
  for (char c : base) u += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  for (const char* d : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
    if (u == d) return true;
  return u.size() == 4 && (u.compare(0, 3, "COM") == 0 || u.compare(0, 3, "LPT") == 0) && u[3] >= '0' &&
         u[3] <= '9';
}
}  // namespace

TNameProblem SafePath(const std::string& name, std::string& path, bool& folder) {
  path.clear();
  folder = false;
  if (name.empty()) return TNameProblem::Empty;
  if (name[0] == '/' || name[0] == '\\') return TNameProblem::Rooted;
  if (name.find(':') != std::string::npos) return TNameProblem::Drive;
  std::string body = name;
  if (body.back() == '/' || body.back() == '\\') {
    folder = true;
    body.pop_back();
  }
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t end = body.find_first_of("/\\", start);
    std::string part = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.find_first_not_of(". ") == std::string::npos)  // "", ".", "..", ". .", ...
      return std::count(part.begin(), part.end(), '.') >= 2 ? TNameProblem::Parent : TNameProblem::BadPart;
    if (part.back() == '.' || part.back() == ' ') return TNameProblem::BadPart;
    for (char ch : part) {
      unsigned char u = static_cast<unsigned char>(ch);
      if (u < 0x20 || std::strchr("<>\"|?*", ch)) return TNameProblem::BadPart;
    }
    if (IsDevice(part)) return TNameProblem::Device;
    if (!out.empty()) out += '\\';
    out += part;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  path = out;
  return TNameProblem::None;
}

// ---- zip entries

TZipContents ReadZipContents(IByteSource& src) {
  TZipContents c;
  zipfmt::TZipDirectory dir;
  zipfmt::TReadError err = zipfmt::ReadZipDirectory(src, dir);
  if (err != zipfmt::TReadError::None) {
    c.Problem = TZipProblem::Directory;
    c.Detail = zipfmt::ReadErrorText(err);
    return c;
  }
  for (zipfmt::TZipEntry& e : dir.Entries) {
    TZipItem item;
    if (SafePath(e.Name, item.Path, item.Folder) != TNameProblem::None) {
      c = TZipContents{{}, TZipProblem::Name, e.Name};
      return c;
    }
    // Stored or deflated; traditional encryption only (bit 6 is the strong
    // kind).
    bool methodOk = e.Method == zipfmt::kMethodStored || e.Method == zipfmt::kMethodDeflated;
    if (!item.Folder && (!methodOk || (e.Flags & 0x0040))) {
      c = TZipContents{{}, TZipProblem::Method, e.Name};
      return c;
    }
    item.Entry = std::move(e);
    c.Items.push_back(std::move(item));
  }
  return c;
}

namespace {
// Where an entry's data starts, after its local header.
bool DataStart(IByteSource& src, const TZipEntry& e, uint64_t& at) {
  uint8_t lh[zipfmt::kLocalHeaderSize];
  if (!src.ReadAt(e.LocalPos, lh, sizeof lh)) return false;
  at = e.LocalPos + sizeof lh + Get16(lh + 26) + Get16(lh + 28);
  return at <= src.Size() && e.CompressedSize <= src.Size() - at;
}

// The byte an encryption header ends with: the CRC's high byte, or the
// time's when the sizes follow the data.
uint8_t CheckByte(const TZipEntry& e) {
  return static_cast<uint8_t>((e.Flags & zipfmt::kFlagDescriptor) ? e.Time.Time >> 8 : e.Crc >> 24);
}

bool OpenHeader(IByteSource& src, const TZipEntry& e, const std::string& password, uint64_t& at,
                std::unique_ptr<zipfmt::TZipCrypto>& crypto) {
  uint8_t h[zipfmt::kCryptHeaderSize];
  if (e.CompressedSize < sizeof h || !src.ReadAt(at, h, sizeof h)) return false;
  crypto = std::make_unique<zipfmt::TZipCrypto>(password);
  for (uint8_t& b : h) b = crypto->Decrypt(b);
  at += sizeof h;
  return h[sizeof h - 1] == CheckByte(e);
}

struct TInflater {
  z_stream z{};
  bool ok = false;
  TInflater() { ok = inflateInit2(&z, -MAX_WBITS) == Z_OK; }
  ~TInflater() {
    if (ok) inflateEnd(&z);
  }
};
}  // namespace

bool PasswordFits(IByteSource& src, const TZipEntry& e, const std::string& password) {
  uint64_t at = 0;
  std::unique_ptr<zipfmt::TZipCrypto> crypto;
  return DataStart(src, e, at) && OpenHeader(src, e, password, at, crypto);
}

TDataResult ExtractEntry(IByteSource& src, const TZipEntry& e, const std::string& password, IOutput& out,
                         const std::function<bool(uint64_t)>& progress) {
  uint64_t at = 0;
  if (!DataStart(src, e, at)) return TDataResult::Damaged;
  uint64_t left = e.CompressedSize;
  std::unique_ptr<zipfmt::TZipCrypto> crypto;
  if (e.Flags & zipfmt::kFlagEncrypted) {
    if (!OpenHeader(src, e, password, at, crypto))
      return e.CompressedSize < zipfmt::kCryptHeaderSize ? TDataResult::Damaged : TDataResult::WrongPassword;
    left -= zipfmt::kCryptHeaderSize;
  }
  const bool deflated = e.Method == zipfmt::kMethodDeflated;
  TInflater inf;
  if (deflated && !inf.ok) return TDataResult::Damaged;

  std::vector<uint8_t> in(32768), outBuf(32768);
  uint32_t crc = 0;
  uint64_t written = 0;
  bool ended = !deflated;
  auto emit = [&](const uint8_t* p, size_t n) {
    if (n > e.Size - written) return TDataResult::Damaged;  // more than recorded
    crc = zipfmt::Crc32(crc, p, n);
    written += n;
    if (n && !out.Write(p, n)) return TDataResult::WriteFailed;
    if (progress && !progress(written)) return TDataResult::Stopped;
    return TDataResult::Ok;
  };
  while (left > 0 && !(deflated && ended)) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
    if (!src.ReadAt(at, in.data(), n)) return TDataResult::ReadFailed;
    at += n;
    left -= n;
    if (crypto)
      for (size_t i = 0; i < n; ++i) in[i] = crypto->Decrypt(in[i]);
    if (!deflated) {
      if (TDataResult r = emit(in.data(), n); r != TDataResult::Ok) return r;
      continue;
    }
    inf.z.next_in = in.data();
    inf.z.avail_in = static_cast<uInt>(n);
    do {
      inf.z.next_out = outBuf.data();
      inf.z.avail_out = static_cast<uInt>(outBuf.size());
      int rc = inflate(&inf.z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return TDataResult::Damaged;
      if (TDataResult r = emit(outBuf.data(), outBuf.size() - inf.z.avail_out); r != TDataResult::Ok) return r;
      if (rc == Z_STREAM_END) {
        ended = true;
        break;
      }
      if (rc == Z_BUF_ERROR) {
        if (inf.z.avail_in > 0) return TDataResult::Damaged;  // no progress possible
        break;                                                // wants more input
      }
    } while (inf.z.avail_in > 0 || inf.z.avail_out == 0);
  }
  if (!ended || written != e.Size) return TDataResult::Damaged;
  return crc == e.Crc ? TDataResult::Ok : TDataResult::BadCrc;
}

}  // namespace sfx
