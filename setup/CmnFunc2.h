// Path, string, version, registry and folder helpers of the Setup program.
#pragma once
#include "CmnText.h"

#include <windows.h>

#include <string>

bool FolderExists(const std::string& path);
// The 8.3 form, or the path itself when the system cannot give one.
std::string ShortPathOf(const std::string& longPath);
std::string WindowsFolder();
std::string SystemFolder();
// Into `file`, or WIN.INI when `file` is empty.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

bool IsNTPlatform();
// Major version above 3 (a test may stand in another with TPlatformOverride).
bool IsWindows4OrLater();

// REG_SZ or REG_EXPAND_SZ (not expanded); false and "" when it cannot be read.
bool ReadRegString(HKEY key, const std::string& name, std::string& value);
bool RegistryValueExists(HKEY key, const std::string& name);
// Deletes the key with its subkeys (subkeys only matter on NT). An empty
// subkey is refused: it would empty the whole root key.
bool DeleteRegistryKeyTree(HKEY root, const std::string& subkey);

// The Programs folder of the start menu: the common one when asked and set.
std::string ProgramsMenuFolder(bool common, bool addBackslash);
// "ProgramFilesDir", "" when not set.
std::string ProgramFilesFolder(bool addBackslash);
bool UserIsAdministrator();
