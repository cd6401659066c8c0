// The project file code's access to real files in tests: Win32 files in
// the Windows build, POSIX files on the host.
#pragma once
#include "ProjectFile.h"

IProjectFileAccess& TestDiskFiles();
