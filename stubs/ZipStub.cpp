// The Windows zip extractor: reads the settings block and the zip behind
// itself and extracts in a window.
#include <windows.h>

#include "ExtractDialog.h"
#include "SFX.h"
#include "StubTexts.h"
#include "ZipJob.h"

const char* const kStubName = STUB_NAME;

namespace {

// The settings block right behind the program; defaults without one.
TDialogSettings ReadSettings(TSelfFile& self) {
  TDialogSettings s;
  s.Advanced = STUB_ADVANCED;
  uint8_t block[kSFXHeaderSize];
  uint64_t start = sfx::AppendedDataStart(self);
  TSFXSettings b;
  if (start && self.ReadAt(start, block, sizeof block) && ParseSFXHeader(block, sizeof block, b)) {
    s.Caption = b.Caption;
    s.Folder = b.DefaultDir;
    s.CommandLine = b.CommandLine;
    s.AskCommand = b.Options.Contains(SFXAskCmdLine);
    s.AskFiles = b.Options.Contains(SFXAskFiles);
    s.HideOverwriteBox = b.Options.Contains(SFXHideOverWriteBox);
    s.Mode = b.OverWriteMode;
  }
  if (s.Caption.empty()) s.Caption = stubtext::kDefaultCaption;
  if (s.Folder.empty()) s.Folder = CurrentFolder();
  return s;
}

int Run() {
  TSelfFile self;
  if (!self.Open()) {
    StubBox(nullptr, stubtext::kNoArchive, stubtext::kDefaultCaption, MB_OK | MB_ICONSTOP);
    return seFailed;
  }
  TDialogSettings settings = ReadSettings(self);
  TZipJob job;
  std::string problem;
  if (!job.Open(self, problem)) {
    StubBox(nullptr, problem, settings.Caption, MB_OK | MB_ICONSTOP);
    return seFailed;
  }
  return RunExtractDialog(settings, job);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return WindowStubMain(Run); }
