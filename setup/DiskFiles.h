// Finding the disk files of the loaded script and reading files' data.
#pragma once
#include "DiskFormat.h"

#include <functional>
#include <string>

// The folder where the last disk file was found or chosen. The install sets
// it to SourceFolder before the first file.
extern std::string CurrentSourceFolder;

// Asks the user for disk n (`fileName` is "SETUP.n"); true with the chosen
// folder in `folder`, which starts as SourceFolder.
using TPromptForDiskProc = std::function<bool(int disk, const std::string& fileName, std::string& folder)>;
// The asking step; the next-disk window puts itself here. Empty: the default,
// which reports the missing disk in a box and gives up.
extern TPromptForDiskProc PromptForDiskHook;
bool PromptForDisk(int disk, const std::string& fileName, std::string& folder);

// The full path of "SETUP.n": beside the current source folder, the source
// folder, their "..\DISKn" siblings, else as the user says. Raises the
// silent abort when the user gives up.
std::string LocateDiskFile(int disk);

// A reader over the loaded script's data: the "/SL" data file when
// FileDataOffset is not 0, else the disk files found by LocateDiskFile.
// The caller sets OnRead (progress and cancel).
TFileDataReader MakeFileDataReader();
