// A "Zip Archive" build of folders with "Save Folder Names" and "Add
// Sub-Dirs": through the build window, shown (window), or through the same
// build steps reporting to a view with no window (steps).
//   BuildBench window|steps ZIP LEVEL FOLDER...
#include <cstdlib>

#include "BenchKit.h"
#include "ProgramFolder.h"
#include "StatusUnit.h"

namespace {
// A view that keeps only what the steps read back.
class TQuietView : public IBuildView {
public:
  void ClearLog() override {}
  TLogLine AddRootLine(const std::string&) override { return lines_++; }
  void AddStepLine(TLogLine, const std::string&) override {}
  void ScrollLogTo(TLogLine) override {}
  void SetProgressRange(int min, int max) override {
    max_ = max;
    position_ = min;
  }
  void SetProgressPosition(int position) override { position_ = position; }
  void StepProgress() override { ++position_; }
  int ProgressPosition() const override { return position_; }
  int ProgressMax() const override { return max_; }
  void StartClip(TBuildClip) override {}
  std::string CancelFlag() const override { return flag_; }
  void SetCancelFlag(const std::string& text) override { flag_ = text; }
  void ShowSource(const std::string&) override {}
  void ShowTarget(const std::string&) override {}
  int ShowMessage(const TBuildBox& box) override {
    std::fprintf(stderr, "%s\n", box.Text.c_str());
    return IDOK;
  }
  void ProcessMessages() override {}
  void LockButtons() override {}
  void UnlockButtons() override {}

private:
  TLogLine lines_ = 0;
  int position_ = 0, max_ = 100;
  std::string flag_ = "None";
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: BuildBench window|steps ZIP LEVEL FOLDER...\n");
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
    TComponent owner(nullptr);
    auto* cabinet = new TCabinetWriter(&owner);
    cabinet->FileHandler = new TStreamCabinetFileHandler(&owner);
    auto* zip = new TZipArchiver(&owner);
    TQuietView view;
    TBuildSteps steps(view, *cabinet, *zip, settings);
    steps.ProgramFolder = ProgramFolder();
    zip->OnProgress = [&](TComponent*, ProgressType type, const std::string& name, int size) {
      steps.ZipProgress(type, name, size);
    };
    bool leaveOpen = false;
    cpu0 = bench::CpuSeconds();
    t0 = bench::Now();
    ok = steps.Proceed(leaveOpen);
    t1 = bench::Now();
    cpu1 = bench::CpuSeconds();
  }
  bench::Report(t1 - t0, cpu1 - cpu0, "out=" + std::to_string(bench::FileSize(target)));
  return ok ? 0 : 1;
}
