// Packs every file of a folder tree into one cabinet, with the folder
// names below the given folder kept: CabSample <cabinet> <folder>.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Cabinet.h"
#include "PathUtils.h"

namespace {
void Gather(const std::string& root, const std::string& rel, std::vector<std::string>& files) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((root + rel + "*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      Gather(root, rel + name + "\\", files);
    else
      files.push_back(rel + name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: CabSample <cabinet> <folder>\n");
    return 2;
  }
  // One write for many lines: unbuffered, every character written to a
  // console is a call of its own.
  static char out[1 << 16];
  std::setvbuf(stdout, out, _IOFBF, sizeof out);
  std::string root = AddTrailingBackslash(argv[2]);
  std::vector<std::string> files;
  Gather(root, "", files);
  TComponent owner(nullptr);
  TCabinetWriter writer(&owner);
  writer.FileHandler = new TStreamCabinetFileHandler(&owner);
  try {
    writer.Open(argv[1], "", 0x7FFFFFFF, 900000, 0);
    for (const std::string& f : files) {
      std::printf("File \"%s\" in Package.\n", (root + f).c_str());
      writer.AddFile(root + f, f, false, CompressionMSZip());
    }
    writer.FlushCabinet(false);
    writer.Close();
  } catch (const Exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
