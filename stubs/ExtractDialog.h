// The window of the Windows extractor stubs: the folder, the files, the
// overwrite box, progress and cancel. The archive behind it is a job that
// the zip and the cabinet stubs each implement.
#pragma once
#include <windows.h>

#include <string>

#include "ExtractJob.h"
#include "ProjectSettings.h"

struct TDialogSettings {
  std::string Caption, Folder, CommandLine;
  bool Advanced = false;
  bool AskFiles = false;
  bool HideOverwriteBox = false;
  bool AskCommand = false;
  OvrOpts Mode = OvrConfirm;
};

// WinMain of a Windows stub: logs the start, runs `run` and logs its exit
// code.
int WindowStubMain(int (*run)());

// Runs the window until the files are out or the user gave up; returns the
// stub's exit code.
int RunExtractDialog(const TDialogSettings& settings, IExtractJob& job);

