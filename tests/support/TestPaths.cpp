#include "TestPaths.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif
std::atomic<int> counter{0};
}  // namespace

std::string HostPath(const std::string& unixPath) {
#ifdef _WIN32
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
#else
  return unixPath;
#endif
}

const char* const kShippedFiles[7] = {"Stub1.Bin",    "Stub2.Bin",  "Stub3.Bin", "CabStub1.Bin",
                                      "CabStub2.Bin", "ZIPSFX.BIN", "ZIPDLL.DLL"};

void CopyShippedFiles(const std::string& folder) {
  fs::create_directories(folder);
  for (const char* f : kShippedFiles)
    fs::copy_file(DistPath(f), folder + kSep + f, fs::copy_options::overwrite_existing);
}

TTempDir::TTempDir() {
#ifdef _WIN32
  char buf[MAX_PATH + 1];
  GetTempPathA(sizeof buf, buf);
  std::string base = buf;
  unsigned long pid = GetCurrentProcessId();
#else
  std::string base = fs::temp_directory_path().string() + "/";
  unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  for (int i = 0; i < 1000; ++i) {
    std::ostringstream name;
    name << base << "tz" << pid << "_" << counter++;
    std::error_code ec;
    if (fs::create_directory(name.str(), ec)) {
      path_ = name.str();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TTempDir::~TTempDir() {
  std::error_code ec;
  // Clear read-only bits first so removal cannot fail on them.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TTempDir::operator/(const std::string& rel) const { return path_ + kSep + rel; }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) { std::error_code ec; return fs::is_regular_file(path, ec); }
bool DirExists(const std::string& path) { std::error_code ec; return fs::is_directory(path, ec); }
void MakeDirs(const std::string& path) { fs::create_directories(path); }

#ifdef _WIN32
bool MakeSparseFile(const std::string& path, long long size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = size;
  bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}
#endif
