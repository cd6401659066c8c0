// The project file code's file access over Win32 files.
#pragma once
#include "ProjectFile.h"

class TDiskProjectFiles : public IProjectFileAccess {
public:
  TFileResult ReadAll(const std::string& path, std::string& bytes) override;
  TFileResult WriteAll(const std::string& path, const std::string& bytes) override;
};
