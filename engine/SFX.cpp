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

bool ParseSFXHeader(const uint8_t* p, size_t n, TSFXSettings& out) {
  if (n < kSFXHeaderSize || p[0] != 'M' || p[1] != 'P' || p[2] != 'U') return false;
  size_t at = 7, lens[3] = {p[4], p[5], p[6]};
  if (at + lens[0] + lens[1] + lens[2] > kSFXHeaderSize) return false;
  TSFXSettings s;
  std::string* texts[3] = {&s.Caption, &s.DefaultDir, &s.CommandLine};
  for (int i = 0; i < 3; ++i) {
    texts[i]->assign(reinterpret_cast<const char*>(p + at), lens[i]);
    at += lens[i];
  }
  uint8_t f = p[3];
  if (f & 1) s.Options.Include(SFXAskCmdLine);
  if (f & 2) s.Options.Include(SFXAskFiles);
  if (f & 4) s.Options.Include(SFXHideOverWriteBox);
  s.OverWriteMode = (f & 16) ? OvrNever : (f & 8) ? OvrAlways : OvrConfirm;
  out = std::move(s);
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
