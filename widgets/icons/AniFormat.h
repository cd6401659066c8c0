// The animated-icon layout: a RIFF "ACON" form with the "anih" header, an
// optional "rate" and "seq" table and a "LIST" of icon frames. Plain C++
// over bytes, so it builds and is fuzzed on the host too.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Exception.h"

class EAniError : public Exception {
public:
  using Exception::Exception;
};

// The 36-byte "anih" record as stored.
struct TAniHeader {
  int32_t HeaderSize = 0, Frames = 0, Steps = 0, Width = 0, Height = 0, BitCount = 0, Planes = 0, DisplayRate = 0,
          Flags = 0;
};

constexpr int kAniMaxFrames = 64;
constexpr int kAniTableEntries = 128;     // 512 bytes each
constexpr size_t kAniFrameCapacity = 4096; // image bytes of one frame
constexpr int32_t kAniSmallestFrame = 766; // icon file head + a 32 x 32 16-colour image

struct TAniData {
  TAniHeader Header;
  // Display time of each frame in 1/60 s units as stored; every entry
  // starts as the header's default rate.
  std::array<int32_t, kAniTableEntries> Rates{};
  std::array<int32_t, kAniTableEntries> Sequence{};
  // The icon image of each frame (what follows its icon directory).
  std::vector<std::vector<uint8_t>> Frames;
};

// Reads the animation; raises EAniError for data it cannot read. Empty
// data gives an empty animation.
TAniData ReadAni(const uint8_t* data, size_t size);
inline TAniData ReadAni(const std::vector<uint8_t>& bytes) { return ReadAni(bytes.data(), bytes.size()); }
