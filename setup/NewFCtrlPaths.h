// The text side of the folder controls: the lines of the folder list, the
// path of a line, and the path shortening of the path label. Plain C++, so
// it builds and is tested on the host too.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Line kinds of the folder list; also the index of their picture.
enum TDirLineKind { dlSubFolder = 0, dlParentFolder = 1, dlCurrentFolder = 2 };

struct TDirLine {
  std::string Name;
  int Kind = dlSubFolder;
  bool operator==(const TDirLine&) const = default;
};

// Tells the lead byte of a double-byte character; none by default.
using TLeadBytePredicate = std::function<bool(unsigned char)>;

// "C:" for "C:\a", "\\server\share" for "\\server\share\a", else "".
std::string PathDrive(const std::string& path);
bool IsNetworkPath(const std::string& path);
// The drive part with a backslash: the root whose volume is asked.
std::string PathRoot(const std::string& path);

// The lines of the path part of the list, from the root to the current
// folder (sub-folders come after them).
std::vector<TDirLine> PathLines(const std::string& directory);
// Left indent of a line's picture.
int LineIndent(const std::string& directory, int index, int kind);
// The folder a line stands for; "" beyond the list.
std::string ItemPath(const std::string& directory, const std::vector<TDirLine>& lines, int index,
                     const TLeadBytePredicate& isLeadByte = {});
// How a folder name is shown, after the volume's case flags.
std::string DisplayName(const std::string& name, bool preserveCase, bool caseSensitive);
// Path comparison: exact on case-sensitive volumes, else ignoring case.
bool SamePath(const std::string& a, const std::string& b, bool caseSensitive);

// ShortenPath and CutFirstFolder, the path shortening of the folder label.
#include "ShortPath.h"
