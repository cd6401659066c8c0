#include "ProgramFolder.h"

#include <windows.h>

std::string ProgramFileName() {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return std::string(buf, n < MAX_PATH ? n : 0);
}

std::string ProgramFolder() {
  std::string p = ProgramFileName();
  size_t cut = p.find_last_of('\\');
  return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}
