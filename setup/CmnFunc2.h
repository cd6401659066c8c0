// Path, string, version, registry and folder helpers of the Setup program.
#pragma once
#include <windows.h>

#include <string>

bool FolderExists(const std::string& path);
// Appends "\" unless empty or already there.
std::string AddTrailingBackslash(const std::string& text);
// Drops one trailing "\"; "" stays "".
std::string TrimTrailingBackslash(const std::string& text);
// Drops one trailing "\" unless shorter than 2 characters or after ":".
std::string TrimBackslashKeepRoot(const std::string& text);
// Trims spaces; wraps a spaced text in quotes unless it is quoted already.
std::string QuoteIfSpaced(const std::string& text);
// The 8.3 form, or the path itself when the system cannot give one.
std::string ShortPathOf(const std::string& longPath);
std::string WindowsFolder();
std::string SystemFolder();
// Replaces every case-sensitive occurrence; a replacement is not scanned again.
void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& replacement);
// Into `file`, or WIN.INI when `file` is empty.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

bool IsNTPlatform();
// Major version above 3; asked once per run.
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
