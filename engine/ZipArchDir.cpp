#include "ZipArchDir.h"

#include <algorithm>
#include <cstring>
#include <optional>

bool TMemoryZipInput::ReadAt(uint64_t pos, void* buf, size_t n) {
  if (pos > bytes_.size() || n > bytes_.size() - pos) return false;
  if (n) std::memcpy(buf, bytes_.data() + pos, n);
  return true;
}

namespace {
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | (static_cast<uint32_t>(Get16(p + 2)) << 16); }

const uint8_t kSig[4] = {'P', 'K', 3, 4};

bool IsSig(const uint8_t* p, uint8_t third, uint8_t fourth) {
  return p[0] == 'P' && p[1] == 'K' && p[2] == third && p[3] == fourth;
}

// The first local header, found through the end record and the first
// central record; offsets may or may not count the bytes in front.
std::optional<uint64_t> FirstHeaderFromEnd(IZipInput& in) {
  uint64_t size = in.Size();
  if (size < 22) return std::nullopt;
  uint64_t window = std::min<uint64_t>(size, 22 + 0xFFFF);
  std::vector<uint8_t> tail(static_cast<size_t>(window));
  if (!in.ReadAt(size - window, tail.data(), tail.size())) return std::nullopt;
  for (size_t i = tail.size() - 22 + 1; i-- > 0;) {
    const uint8_t* e = tail.data() + i;
    if (!IsSig(e, 5, 6) || i + 22 + Get16(e + 20) > tail.size()) continue;
    uint64_t endPos = size - window + i;
    uint32_t count = Get16(e + 10), cdSize = Get32(e + 12), cdOffset = Get32(e + 16);
    if (count == 0 || cdSize > endPos) return std::nullopt;
    uint64_t cdPos = endPos - cdSize;
    uint8_t c[46];
    if (!in.ReadAt(cdPos, c, sizeof c) || !IsSig(c, 1, 2)) return std::nullopt;
    uint64_t local = Get32(c + 42);
    std::vector<uint64_t> tries;
    if (cdOffset <= cdPos) tries.push_back(cdPos - cdOffset + local);
    tries.push_back(local);
    for (uint64_t pos : tries) {
      uint8_t s[4];
      if (pos + 4 <= size && in.ReadAt(pos, s, 4) && IsSig(s, 3, 4)) return pos;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

// Byte-wise search for the signature from `pos`; sets `pos` to the "P".
// Returns 0 when found, else the failure digit.
int Search(IZipInput& in, uint64_t& pos, std::vector<uint8_t>& head) {
  int state = 0;  // bytes of the signature matched
  uint64_t size = in.Size();
  for (uint64_t at = pos;; ++at) {
    if (at >= size) {
      static const int kDigits[] = {1, 3, 4, 5};
      return kDigits[state];
    }
    if (state == 0 && at >= kZipSearchWindow) return 2;
    uint8_t b;
    if (at < head.size()) b = head[at];
    else if (!in.ReadAt(at, &b, 1)) return 1;
    if (b == kSig[state]) {
      if (++state == 4) {
        pos = at - 3;
        return 0;
      }
    } else {
      // The signature's bytes differ, so only a "P" can start a new match.
      state = b == 'P' ? 1 : 0;
    }
  }
}
}  // namespace

TZipDirResult ReadZipLocalDirectory(IZipInput& in) {
  TZipDirResult r;
  uint64_t size = in.Size();
  // The search window is read once; the byte search then runs in memory.
  std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(size, kZipSearchWindow + 4)));
  if (!in.ReadAt(0, head.data(), head.size())) head.clear();

  uint64_t searchFrom = 0;
  bool usedEnd = false;
  for (;;) {
    uint64_t pos = searchFrom;
    int digit = Search(in, pos, head);
    if (digit == 2 && !usedEnd) {
      usedEnd = true;
      if (auto first = FirstHeaderFromEnd(in); first && *first >= searchFrom) {
        pos = *first;
        digit = 0;
      }
    }
    if (digit) {
      r.FailDigit = digit;
      return r;
    }
    r.SFXOffset = pos;
    // Walk the local headers from here.
    uint64_t at = pos + 4;
    for (;;) {
      uint8_t h[26];
      ZipDirEntry e;
      bool readOk = in.ReadAt(at, h, sizeof h);
      bool reachOk = false;
      if (readOk) {
        e.VersionNeeded = Get16(h);
        e.Flag = Get16(h + 2);
        e.ComprMethod = Get16(h + 4);
        e.ModifTime = Get16(h + 6);
        e.ModifDate = Get16(h + 8);
        e.CRC32 = Get32(h + 10);
        e.ComprSize = Get32(h + 14);
        e.UnComprSize = Get32(h + 18);
        e.FileNameLen = Get16(h + 22);
        e.ExtraLen = Get16(h + 24);
        uint64_t end = at + 26 + e.FileNameLen + e.ExtraLen + uint64_t{e.ComprSize};
        reachOk = size >= 22 && end <= size - 22;
        if (reachOk) {
          e.FileName.resize(e.FileNameLen);
          readOk = in.ReadAt(at + 26, e.FileName.data(), e.FileNameLen);
        }
      }
      if (!readOk || !reachOk) {
        if (!r.Entries.empty()) throw EZipStreamError(!readOk ? "Error 2 reading Zip file" : "Error 3 reading Zip file");
        break;  // no entry yet: back to the byte search
      }
      // Skip the extra field and the data.
      uint64_t next = at + 26 + e.FileNameLen;
      if (next + e.ExtraLen > size) throw EZipStreamError("Error 4 reading Zip file");
      next += e.ExtraLen;
      if (next + e.ComprSize > size) throw EZipStreamError("Error 5 reading Zip file");
      next += e.ComprSize;
      r.Entries.push_back(std::move(e));
      // Next signature: local header, central record or end record.
      for (;;) {
        uint8_t s[4];
        if (!in.ReadAt(next, s, 4)) throw EZipStreamError("Error reading Zip File");
        next += 4;
        if (IsSig(s, 1, 2) || IsSig(s, 5, 6)) return r;
        if (IsSig(s, 3, 4)) break;
      }
      at = next;
    }
    searchFrom = pos + 4;
    r.SFXOffset = 0;
  }
}
