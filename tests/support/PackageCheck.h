// End-to-end builds in Wine tests: the shipped files beside a program
// folder, a small source tree, and the packages left with what the
// independent readers on the host (cabextract, Python's zipfile) must find.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestPaths.h"

namespace packagecheck {

// No spool file of a build is left in the program's folder.
inline bool NoSpools(const std::string& programFolder) {
  for (const char* spool : {"Spool.Cab", "Spool.Zip", "Spool.exe"})
    if (FileExists(programFolder + "\\" + spool)) return false;
  return true;
}

inline std::string Hex(const std::string& bytes) {
  static const char* d = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

// ONE.TXT beside the folder SRC, which holds A.TXT (over 32 KB), B.TXT and
// SUB\C.TXT.
struct TSourceTree {
  explicit TSourceTree(const std::string& root) : One(root + "\\ONE.TXT"), Src(root + "\\SRC") {
    MakeDirs(Src + "\\SUB");
    WriteFileBytes(Src + "\\A.TXT", A());
    WriteFileBytes(Src + "\\B.TXT", "bee");
    WriteFileBytes(Src + "\\SUB\\C.TXT", "sea");
    WriteFileBytes(One, "one file");
  }
  static std::string A() { return std::string(40000, 'a') + "end of a"; }
  // A file's folder as a package stores it with folder names: no drive.
  static std::string Stored(const std::string& path) {
    std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    return folder.substr(3);
  }
  std::string One, Src;
};

// Where packages are left for the readers: test-output/<sub>.
class TReaderOutput {
public:
  explicit TReaderOutput(const std::string& sub) : dir_(HostPath(std::string(TZ_BINARY_DIR) + "/test-output/" + sub)) {
    MakeDirs(dir_);
  }
  ~TReaderOutput() { WriteFileBytes(dir_ + "\\manifest.txt", manifest_); }

  // A cabinet of the folder's own files (A, B) and ONE.TXT, the folder's
  // first or ONE.TXT first, with or without folder names.
  void Cabinet(const std::string& package, const TSourceTree& t, bool srcFirst, bool folderNames) {
    Copy(package);
    auto name = [&](const std::string& path) {
      return (folderNames ? TSourceTree::Stored(path) : std::string()) + path.substr(path.find_last_of('\\') + 1);
    };
    std::vector<std::string> names = {name(t.Src + "\\A.TXT"), name(t.Src + "\\B.TXT")};
    names.insert(srcFirst ? names.end() : names.begin(), name(t.One));
    for (const auto& n : names) manifest_ += Leaf(package) + "|" + n + "\n";
  }
  // A zip of the same three files; `stub`: something stands in front.
  void Zip(const std::string& package, const TSourceTree& t, bool folderNames, const std::string& password,
           bool stub) {
    Copy(package);
    auto name = [&](const std::string& path, const std::string& leaf) {
      std::string n = (folderNames ? TSourceTree::Stored(path) : std::string()) + leaf;
      std::replace(n.begin(), n.end(), '\\', '/');  // zip names use forward slashes
      return n;
    };
    std::string expect = "archive\t" + Leaf(package) + "\n";
    if (!password.empty()) expect += "password\t" + password + "\n";
    expect += "entry\t" + name(t.One, "ONE.TXT") + "\t" + Hex("one file") + "\n";
    expect += "entry\t" + name(t.Src + "\\A.TXT", "A.TXT") + "\t" + Hex(TSourceTree::A()) + "\n";
    expect += "entry\t" + name(t.Src + "\\B.TXT", "B.TXT") + "\t" + Hex("bee") + "\n";
    if (stub) expect += "unzip\t1\n";  // "extra bytes at beginning"
    WriteFileBytes(dir_ + "\\" + Leaf(package) + ".expect", expect);
  }

private:
  static std::string Leaf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }
  void Copy(const std::string& package) { CopyFileA(package.c_str(), (dir_ + "\\" + Leaf(package)).c_str(), FALSE); }
  std::string dir_;
  std::string manifest_;
};

}  // namespace packagecheck
