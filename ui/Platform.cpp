#include "Platform.h"

#include <windows.h>

namespace {
std::optional<int> majorOverride, bitsOverride;

OSVERSIONINFOA Version() {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&vi);
#pragma GCC diagnostic pop
  return vi;
}

int ScreenCaps(int index) {
  HDC dc = GetDC(nullptr);
  int value = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return value;
}
}  // namespace

int WinMajorVersion() { return majorOverride ? *majorOverride : static_cast<int>(Version().dwMajorVersion); }
int WinMinorVersion() { return static_cast<int>(Version().dwMinorVersion); }

int ScreenBitsPerPixel() {
  return bitsOverride ? *bitsOverride : ScreenCaps(BITSPIXEL) * ScreenCaps(PLANES);
}

int ScreenPixelsPerInch() {
  static int ppi = ScreenCaps(LOGPIXELSY);
  return ppi;
}

TPlatformOverride::TPlatformOverride(std::optional<int> majorVersion, std::optional<int> bitsPerPixel)
    : oldMajor_(majorOverride), oldBits_(bitsOverride) {
  if (majorVersion) majorOverride = majorVersion;
  if (bitsPerPixel) bitsOverride = bitsPerPixel;
}

TPlatformOverride::~TPlatformOverride() {
  majorOverride = oldMajor_;
  bitsOverride = oldBits_;
}
