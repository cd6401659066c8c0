// The system's shell with the drives a test names: names and icons still
// come from the shell, the drive list and the drive types from the test.
#pragma once
#include <cctype>
#include <map>
#include <string>

#include "ShellInfo.h"

class TFakeDrives : public TSystemShellInfo {
public:
  std::map<char, UINT> Drives;  // upper-case letter, drive type
  DWORD LogicalDrives() override {
    DWORD mask = 0;
    for (auto [letter, type] : Drives) mask |= 1u << (letter - 'A');
    return mask;
  }
  UINT DriveType(const std::string& root) override {
    if (root.empty()) return DRIVE_NO_ROOT_DIR;
    auto it = Drives.find(static_cast<char>(toupper(static_cast<unsigned char>(root[0]))));
    return it == Drives.end() ? DRIVE_NO_ROOT_DIR : it->second;
  }
};
