// The project file code's access to real files in tests: Win32 files in
// the Windows build, POSIX files on the host.
#pragma once
#include <map>
#include <string>

#include "ProjectFile.h"

IProjectFileAccess& TestDiskFiles();

// Files in memory; a path can be made to fail with a given result.
class TMemoryFiles : public IProjectFileAccess {
public:
  std::map<std::string, std::string> Files;
  std::map<std::string, TFileResult> Failures;

  TFileResult ReadAll(const std::string& path, std::string& bytes) override {
    if (auto f = Failures.find(path); f != Failures.end()) return f->second;
    auto it = Files.find(path);
    if (it == Files.end()) return {2, false};
    bytes = it->second;
    return {};
  }
  TFileResult WriteAll(const std::string& path, const std::string& bytes) override {
    if (auto f = Failures.find(path); f != Failures.end()) return f->second;
    Files[path] = bytes;
    return {};
  }
};
