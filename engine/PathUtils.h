// Folder-path and temporary-file routines of the packaging engine.
#pragma once
#include <string>

// Appends "\" unless the path already ends in one; "" stays "".
std::string AddTrailingBackslash(const std::string& path);
// Removes one trailing "\"; "" stays "".
std::string TrimTrailingBackslash(const std::string& path);
// The folder part of a path, with its trailing backslash, and the name part.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);

#ifdef _WIN32
// Whether a file (not a folder), or a folder, of that name exists.
bool FileExistsStr(const std::string& path);
bool FolderExistsStr(const std::string& path);
// The system temporary folder with its trailing backslash; "" on failure.
std::string GetTempPathStr();
// GetTempFileName in `folder` with `prefix` and `unique` (0: the system
// picks a name and creates the empty file); "" on failure.
std::string GetTempFileNameStr(const std::string& folder, const std::string& prefix, unsigned unique);
#endif
