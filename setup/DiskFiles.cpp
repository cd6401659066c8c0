#include "DiskFiles.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Files.h"
#include "Main.h"
#include "StrFmt.h"

std::string CurrentSourceFolder;
TPromptForDiskProc PromptForDiskHook;

namespace {

const char* FolderWord() { return IsWindows4OrLater() ? "folder" : "directory"; }

bool ReportMissingDisk(int, const std::string& fileName, std::string& folder) {
  ShowMsg(Format("The file \"%s\" could not be located in \"%s\". Please insert the correct disk or select another %s.",
                 fileName.c_str(), TrimBackslashKeepRoot(folder).c_str(), FolderWord()),
          "", mkWarning, MB_OK);
  return false;
}

}  // namespace

bool PromptForDisk(int disk, const std::string& fileName, std::string& folder) {
  if (PromptForDiskHook) return PromptForDiskHook(disk, fileName, folder);
  return ReportMissingDisk(disk, fileName, folder);
}

std::string LocateDiskFile(int disk) {
  std::string name = Format("SETUP.%d", disk);
  std::string sibling = Format("..\\DISK%d\\SETUP.%d", disk, disk);
  const std::string candidates[] = {
      AddTrailingBackslash(CurrentSourceFolder) + name,
      AddTrailingBackslash(SourceFolder) + name,
      ExpandFileName(AddTrailingBackslash(CurrentSourceFolder) + sibling),
      ExpandFileName(AddTrailingBackslash(SourceFolder) + sibling),
  };
  for (const std::string& path : candidates)
    if (IsExistingFile(path)) return path;

  std::string folder = SourceFolder;
  if (!PromptForDisk(disk, name, folder)) throw EAbort();
  CurrentSourceFolder = folder;
  return AddTrailingBackslash(folder) + name;
}

TFileDataReader MakeFileDataReader() {
  TFileDataReader reader;
  reader.FileDataOffset = LoaderMode ? static_cast<uint64_t>(FileDataOffset) : 0;
  reader.OpenDisk = [](int disk) -> std::unique_ptr<IByteSource> {
    return std::make_unique<TFileSource>(LocateDiskFile(disk));
  };
  std::string dataFile = DataFileName;
  reader.OpenDataFile = [dataFile]() -> std::unique_ptr<IByteSource> {
    return std::make_unique<TFileSource>(dataFile);
  };
  return reader;
}
