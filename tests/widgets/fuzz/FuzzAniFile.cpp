// The animated-icon reader over any bytes. Mode byte even: the rest is a
// file as it stands. Odd: a generated file of a layout the input picks,
// with some of its bytes then overwritten by the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "AniFormat.h"
#include "AniWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes;
  if (size > 0 && (data[0] & 1)) {
    auto at = [&](size_t i) -> uint8_t { return i < size ? data[i] : 0; };
    fixture::TAniOptions o;
    o.Frames = at(1) % 6;
    o.HeaderFrames = static_cast<int8_t>(at(2));
    o.Info = static_cast<fixture::TAniInfo>(at(3) % 4);
    o.InfoText.assign(at(4), 'x');
    o.Rates.assign(at(5) % 140, at(6));
    o.Sequence.assign(at(7) % 140, at(8));
    o.SmallFrameAt = at(9) % 8 - 1;
    o.ImageOffset = 22 + static_cast<int8_t>(at(10));
    o.FrameSizeDelta = static_cast<int8_t>(at(11));
    o.TruncateBy = at(12);
    bytes = fixture::AniFile(o);
    for (size_t i = 13; i + 2 < size && !bytes.empty(); i += 3)
      bytes[(size_t(data[i]) << 8 | data[i + 1]) % bytes.size()] = data[i + 2];
  } else if (size > 0) {
    bytes.assign(data + 1, data + size);
  }
  try {
    TAniData ani = ReadAni(bytes);
    for (const auto& frame : ani.Frames)
      if (frame.size() > kAniFrameCapacity) __builtin_trap();
  } catch (const EAniError&) {
  }
  return 0;
}
