// The folder and file name of the running program.
#pragma once
#include <string>

#ifdef _WIN32
// The folder of the running program, with its trailing backslash.
std::string ProgramFolder();
// The running program's full path.
std::string ProgramFileName();
#endif
