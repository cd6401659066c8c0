// What the layer asks of the system: its version and the screen depth.
// Both can be replaced for a test with TPlatformOverride.
#pragma once
#include <optional>

int WinMajorVersion();
int WinMinorVersion();
// Windows 95 / NT 4 and later: major version above 3.
inline bool NewShell() { return WinMajorVersion() > 3; }
int ScreenBitsPerPixel();
int ScreenPixelsPerInch();

// While alive, the given values stand in for the system's.
class TPlatformOverride {
public:
  TPlatformOverride(std::optional<int> majorVersion, std::optional<int> bitsPerPixel);
  ~TPlatformOverride();
  TPlatformOverride(const TPlatformOverride&) = delete;
  TPlatformOverride& operator=(const TPlatformOverride&) = delete;

private:
  std::optional<int> oldMajor_, oldBits_;
};
