#include "ProjectFileDisk.h"

#include <windows.h>

#include <algorithm>

#include "Handles.h"

namespace {
TFileResult Failed(bool opened) { return {static_cast<unsigned>(GetLastError()), opened}; }
}  // namespace

TFileResult TDiskProjectFiles::ReadAll(const std::string& path, std::string& bytes) {
  bytes.clear();
  THandleGuard file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return Failed(false);
  // No project comes near this; reading one would only exhaust memory.
  constexpr LONGLONG kMaxProjectSize = 256 << 20;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > kMaxProjectSize) return {ERROR_NOT_ENOUGH_MEMORY, true};
  char buf[16384];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buf, sizeof buf, &got, nullptr)) return Failed(true);
    if (got == 0) break;
    bytes.append(buf, got);
  }
  if (!file.Close()) return Failed(true);
  return {};
}

TFileResult TDiskProjectFiles::WriteAll(const std::string& path, const std::string& bytes) {
  THandleGuard file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return Failed(false);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD wrote = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &wrote, nullptr)) return Failed(true);
    if (wrote == 0) {
      SetLastError(ERROR_DISK_FULL);
      return Failed(true);
    }
    done += wrote;
  }
  if (!file.Close()) return Failed(true);
  return {};
}
