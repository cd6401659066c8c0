// Small helpers of the benchmark programs: a clock, the process's CPU
// time, a recursive file listing, and one line of results.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// User and kernel time of a whole process, every thread included.
inline double CpuSeconds(HANDLE process = GetCurrentProcess()) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto secs = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return secs(kernel) + secs(user);
}

// Files below `folder` (no trailing backslash), sub-folders in name order.
inline void ListFiles(const std::string& folder, std::vector<std::string>& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subs;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subs.push_back(name);
    else out.push_back(folder + "\\" + name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  for (const std::string& s : subs) ListFiles(folder + "\\" + s, out);
}

inline bool ReadWhole(const std::string& path, std::vector<unsigned char>& data) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) != 0;
  DWORD got = 0;
  if (ok) {
    data.resize(static_cast<size_t>(size.QuadPart));
    ok = data.empty() || (ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) && got == data.size());
  }
  CloseHandle(h);
  return ok;
}

inline uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA fa;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) return 0;
  return (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
}

// One result line: "seconds=... cpu=..." and any further fields.
inline void Report(double seconds, double cpu, const std::string& more) {
  std::printf("seconds=%.3f cpu=%.3f %s\n", seconds, cpu, more.c_str());
  std::fflush(stdout);
}

}  // namespace bench
