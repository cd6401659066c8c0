// A zip build through the zip component and ZIPDLL.DLL, unattended, with
// folder names and sub-folders, as the build window asks for them.
//   ZipBench ZIP LEVEL SPEC...
#include <cstdlib>

#include "BenchKit.h"
#include "ProgramFolder.h"
#include "ZipArch.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: ZipBench ZIP LEVEL SPEC...\n");
    return 2;
  }
  DeleteFileA(argv[1]);
  TZipArchiver zip(nullptr);
  zip.Unattended = true;
  zip.SetDLLDirectory(ProgramFolder());
  zip.AddCompLevel = std::atoi(argv[2]);
  zip.AddOptions = AddOpts{AddDirNames, AddRecurseDirs};
  std::vector<std::string> specs(argv + 3, argv + argc);
  zip.SetFSpecArgs(specs);
  zip.SetZipFilename(argv[1]);
  double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
  zip.AddFiles();
  double t1 = bench::Now(), cpu1 = bench::CpuSeconds();
  bench::Report(t1 - t0, cpu1 - cpu0,
                "files=" + std::to_string(zip.AddedCount()) + " out=" + std::to_string(bench::FileSize(argv[1])));
  return zip.AddedCount() > 0 ? 0 : 1;
}
