// Paths and scratch folders for tests.
#pragma once
#include <string>

// A path of the build machine as the test program sees it ("/a/b" is
// "Z:\a\b" under Wine).
std::string HostPath(const std::string& unixPath);
inline std::string SourcePath(const std::string& rel) { return HostPath(std::string(TZ_SOURCE_DIR) + "/" + rel); }
inline std::string DistPath(const std::string& rel) { return HostPath(std::string(TZ_DIST_DIR) + "/" + rel); }

// The files that ship beside the packaging programs: the five stubs, the
// zip component's default stub and the zip library.
extern const char* const kShippedFiles[7];
// Copies them from the build into `folder`, made when missing.
void CopyShippedFiles(const std::string& folder);

// A fresh, empty folder that is removed with everything in it.
class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  // The folder, without a trailing separator.
  const std::string& Path() const { return path_; }
  // Path() + separator + rel.
  std::string operator/(const std::string& rel) const;

private:
  std::string path_;
};

// Whole-file helpers.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
void MakeDirs(const std::string& path);

#ifdef _WIN32
// A file of `size` bytes made by setting its end alone (sparse where the
// file system allows), for tests of files too large to read.
bool MakeSparseFile(const std::string& path, long long size);
#endif
