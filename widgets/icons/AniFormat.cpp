#include "AniFormat.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {
// Reads little-endian values from the front; every read is checked
// against what is left.
class TReader {
public:
  TReader(const uint8_t* p, size_t n) : p_(p), left_(n) {}
  void Read(void* out, size_t n) {
    if (n > left_) throw EAniError("Stream read error");
    std::memcpy(out, p_, n);
    p_ += n;
    left_ -= n;
  }
  void Skip(size_t n) {
    if (n > left_) throw EAniError("Stream read error");
    p_ += n;
    left_ -= n;
  }
  int32_t Int32() {
    uint8_t b[4];
    Read(b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
  }
  size_t Left() const { return left_; }

private:
  const uint8_t* p_;
  size_t left_;
};

struct TChunk {
  char Id[4] = {};
  int32_t Size = 0;
  // The identifier less every character of code 32 or below contains `name`.
  bool Is(std::string_view name) const {
    std::string id;
    for (char c : Id)
      if (static_cast<unsigned char>(c) > 32) id += c;
    return id.find(name) != std::string::npos;
  }
};

TChunk ReadChunk(TReader& in) {
  TChunk c;
  in.Read(c.Id, 4);
  c.Size = in.Int32();
  return c;
}

// Reads a table chunk: what fits goes into the table, the rest is skipped.
void ReadTable(TReader& in, const TChunk& chunk, std::array<int32_t, kAniTableEntries>& table) {
  if (chunk.Size < 0) throw EAniError("Invalid table size");
  size_t size = static_cast<size_t>(chunk.Size), fits = std::min(size, sizeof(table));
  uint8_t bytes[sizeof(table)] = {};
  in.Read(bytes, fits);
  for (size_t i = 0; i + 4 <= fits; i += 4)
    table[i / 4] = static_cast<int32_t>(uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                                        uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24);
  in.Skip(size - fits);
}
}  // namespace

TAniData ReadAni(const uint8_t* data, size_t size) {
  TAniData ani;
  if (size == 0) return ani;
  TReader in(data, size);
  ReadChunk(in);  // RIFF
  in.Skip(4);     // the form type
  TChunk chunk = ReadChunk(in);
  // An information list (or any other chunk) before the header is skipped
  // by its size, whatever it holds.
  while (!chunk.Is("anih")) {
    if (chunk.Size < 0) throw EAniError("Invalid chunk size");
    in.Skip(static_cast<size_t>(chunk.Size));
    chunk = ReadChunk(in);
  }
  TAniHeader& h = ani.Header;
  for (int32_t* field : {&h.HeaderSize, &h.Frames, &h.Steps, &h.Width, &h.Height, &h.BitCount, &h.Planes,
                         &h.DisplayRate, &h.Flags})
    *field = in.Int32();
  ani.Rates.fill(h.DisplayRate);

  chunk = ReadChunk(in);
  if (chunk.Is("rate")) {
    ReadTable(in, chunk, ani.Rates);
    chunk = ReadChunk(in);
  }
  if (chunk.Is("seq")) {
    ReadTable(in, chunk, ani.Sequence);
    chunk = ReadChunk(in);
  }
  if (!chunk.Is("LIST")) return ani;
  in.Skip(4);  // the list type
  const int frames = std::clamp(h.Frames, 0, kAniMaxFrames);
  for (int i = 0; i < frames; ++i) {
    TChunk frame = ReadChunk(in);
    int64_t s = frame.Size;
    if (s < kAniSmallestFrame) break;
    in.Skip(6);  // icon directory head
    uint8_t entry[16];
    in.Read(entry, sizeof entry);
    int64_t offset = static_cast<int32_t>(uint32_t(entry[12]) | uint32_t(entry[13]) << 8 | uint32_t(entry[14]) << 16 |
                                          uint32_t(entry[15]) << 24);
    if (offset > 22) {
      in.Skip(static_cast<size_t>(offset - 22));
      s -= offset - 22;
    }
    int64_t imageSize = s - 22;
    if (imageSize <= 0 || imageSize > static_cast<int64_t>(kAniFrameCapacity))
      throw EAniError("Invalid frame size in animation data");
    std::vector<uint8_t> image(static_cast<size_t>(imageSize));
    in.Read(image.data(), image.size());
    ani.Frames.push_back(std::move(image));
  }
  return ani;
}
