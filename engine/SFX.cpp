#include "SFX.h"

#include <algorithm>

uint8_t SFXHeaderFlags(SFXOpts options, OvrOpts overwrite) {
  uint8_t f = 0;
  if (options.Contains(SFXAskCmdLine)) f |= 1;
  if (options.Contains(SFXAskFiles)) f |= 2;
  if (options.Contains(SFXHideOverWriteBox)) f |= 4;
  if (overwrite == OvrAlways) f |= 8;
  if (overwrite == OvrNever) f |= 16;
  return f;
}

bool BuildSFXHeader(const std::string& caption, const std::string& defaultDir, const std::string& commandLine,
                    SFXOpts options, OvrOpts overwrite, SFXHeader& out) {
  size_t total = caption.size() + defaultDir.size() + commandLine.size();
  if (total > static_cast<size_t>(kSFXMaxTextTotal)) return false;
  SFXHeader h{};
  h[0] = 'M';
  h[1] = 'P';
  h[2] = 'U';
  h[3] = SFXHeaderFlags(options, overwrite);
  h[4] = static_cast<uint8_t>(caption.size());
  h[5] = static_cast<uint8_t>(defaultDir.size());
  h[6] = static_cast<uint8_t>(commandLine.size());
  auto at = h.begin() + 7;
  for (const std::string* s : {&caption, &defaultDir, &commandLine}) at = std::copy(s->begin(), s->end(), at);
  out = h;
  return true;
}

std::array<uint8_t, kEmptyZipSize> EmptyZipRecord() {
  std::array<uint8_t, kEmptyZipSize> r{};
  r[0] = 'P';
  r[1] = 'K';
  r[2] = 0x05;
  r[3] = 0x06;
  r[17] = 0x99;
  return r;
}
