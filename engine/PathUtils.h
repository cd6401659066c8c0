// Folder-path and temporary-file routines of the packaging engine.
#pragma once
#include <string>

// Appends "\" unless the path already ends in one; "" stays "".
std::string AddTrailingBackslash(const std::string& path);
// Removes one trailing "\"; "" stays "".
std::string TrimTrailingBackslash(const std::string& path);

#ifdef _WIN32
// The system temporary folder with its trailing backslash; "" on failure.
std::string GetTempPathStr();
// GetTempFileName in `folder` with `prefix` and `unique` (0: the system
// picks a name and creates the empty file); "" on failure.
std::string GetTempFileNameStr(const std::string& folder, const std::string& prefix, unsigned unique);
#endif
