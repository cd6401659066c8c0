// Helpers of the zip component's Wine tests: source trees, archives read
// back in process, and expectation files for the host-side reader check.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "ZipFormat.h"

namespace ziptest {

// A folder under the build tree that the host-side check reads after the
// test; emptied once per test program.
inline std::string CheckDir(const std::string& sub) {
  static std::map<std::string, bool> cleaned;
  std::string dir = HostPath(std::string(TZ_BINARY_DIR) + "/zipcheck/" + sub);
  if (!cleaned[sub]) {
    cleaned[sub] = true;
    std::string cmd = dir + "\\*";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(cmd.c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + "\\" + fd.cFileName).c_str());
      while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    MakeDirs(dir);
  }
  return dir;
}

inline std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

struct TExpect {
  std::map<std::string, std::string> Entries;  // stored name -> content
  std::string Password;
  int Method = -1;        // 0 or 8 for every entry; -1 any
  int UnzipExit = 0;      // what "unzip -t" must return
  std::string PrefixFile; // the archive must start with this file's bytes
};

// Copies `archive` into the check folder as `name` with its expectations.
inline void ExpectForReaders(const std::string& archive, const std::string& sub, const std::string& name,
                             const TExpect& e) {
  std::string dir = CheckDir(sub);
  ASSERT_TRUE(CopyFileA(archive.c_str(), (dir + "\\" + name).c_str(), FALSE)) << archive;
  std::string text = "archive\t" + name + "\nunzip\t" + std::to_string(e.UnzipExit) + "\n";
  if (!e.Password.empty()) text += "password\t" + e.Password + "\n";
  if (e.Method >= 0) text += "method\t" + std::to_string(e.Method) + "\n";
  if (!e.PrefixFile.empty()) text += "prefix\t" + e.PrefixFile + "\n";
  for (const auto& [n, content] : e.Entries) text += "entry\t" + n + "\t" + Hex(content) + "\n";
  WriteFileBytes(dir + "\\" + name + ".expect", text);
}

// The central directory of an archive, read in process.
inline zipfmt::TZipDirectory ReadDir(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  zipfmt::TMemorySource src(zipfmt::Bytes(bytes.begin(), bytes.end()));
  zipfmt::TZipDirectory dir;
  EXPECT_EQ(zipfmt::ReadZipDirectory(src, dir), zipfmt::TReadError::None) << path;
  return dir;
}

inline std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : ReadDir(path).Entries) names.push_back(e.Name);
  return names;
}

// The stored folder of a full path: no drive, '/' between parts.
inline std::string StoredPath(const std::string& full) {
  std::string s = full.size() > 3 && full[1] == ':' ? full.substr(3) : full;
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

inline std::string Sample(size_t n, unsigned seed) {
  std::string s;
  unsigned x = seed * 2654435761u + 1;
  while (s.size() < n) {
    x = x * 1103515245u + 12345u;
    s += (x >> 16) % 4 ? "sample text " + std::to_string(s.size() % 977) + "\r\n" : std::string(1, static_cast<char>(x >> 8));
  }
  s.resize(n);
  return s;
}

inline void SetWriteTime(const std::string& path, int year, int month, int day, int hour) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  SetFileTime(h, nullptr, nullptr, &utc);
  CloseHandle(h);
}

}  // namespace ziptest
