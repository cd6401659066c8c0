// A "Zip Archive" build of folders with "Save Folder Names" and "Add
// Sub-Dirs": through the build window, shown (window), or through the zip
// component alone with the same request and no window (component).
//   BuildBench window|component ZIP LEVEL FOLDER...
#include <cstdlib>

#include "BenchKit.h"
#include "ProgramFolder.h"
#include "StatusUnit.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: BuildBench window|component ZIP LEVEL FOLDER...\n");
    return 2;
  }
  std::string mode = argv[1], target = argv[2];
  int level = std::atoi(argv[3]);
  TSettingsValues settings;
  settings.Values.Kind = akZipArchive;
  settings.Values.OutputFileName = target;
  settings.Values.SaveFolderNames = true;
  settings.Values.AddSubDirs = true;
  settings.Values.ZipLevel = level;
  for (int i = 4; i < argc; ++i) settings.Values.Sources.push_back({std::string(argv[i]) + "\\", true});
  DeleteFileA(target.c_str());

  double cpu0 = 0, t0 = 0, t1 = 0, cpu1 = 0;
  bool ok = false;
  if (mode == "window") {
    auto* form = new TProgressForm(nullptr);
    form->Settings = &settings;
    form->ProgramFolder = ProgramFolder();
    form->Show();
    Application().ProcessMessages();
    cpu0 = bench::CpuSeconds();
    t0 = bench::Now();
    ok = form->Proceed();
    t1 = bench::Now();
    cpu1 = bench::CpuSeconds();
    delete form;
  } else {
    TZipArchiver zip(nullptr);
    zip.Unattended = true;
    zip.SetDLLDirectory(ProgramFolder());
    zip.AddCompLevel = level;
    zip.AddOptions = AddOpts{AddDirNames, AddRecurseDirs};
    for (auto it = settings.Values.Sources.rbegin(); it != settings.Values.Sources.rend(); ++it)
      zip.FSpecArgsList().push_back(ZipSpecification(*it));
    cpu0 = bench::CpuSeconds();
    t0 = bench::Now();
    zip.SetZipFilename(target);
    zip.AddFiles();
    t1 = bench::Now();
    cpu1 = bench::CpuSeconds();
    ok = zip.AddedCount() > 0;
  }
  bench::Report(t1 - t0, cpu1 - cpu0, "out=" + std::to_string(bench::FileSize(target)));
  return ok ? 0 : 1;
}
