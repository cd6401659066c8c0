#include "NewFCtrlPaths.h"

#include <cctype>

namespace {

bool EndsWithBackslash(const std::string& s) { return !s.empty() && s.back() == '\\'; }

char LowerChar(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Lower(std::string s) {
  for (char& c : s) c = LowerChar(c);
  return s;
}

bool AllUpper(const std::string& s) {
  for (char c : s)
    if (std::islower(static_cast<unsigned char>(c))) return false;
  return true;
}

// Splits at each backslash.
std::vector<std::string> SplitParts(const std::string& s) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = s.find('\\', start);
    if (end == std::string::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

bool IsNetworkPath(const std::string& path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

std::string PathDrive(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (!IsNetworkPath(path)) return {};
  // \\server\share: up to the backslash after the share.
  size_t server = path.find('\\', 2);
  if (server == std::string::npos) return path;
  size_t share = path.find('\\', server + 1);
  return share == std::string::npos ? path : path.substr(0, share);
}

std::string PathRoot(const std::string& path) {
  std::string drive = PathDrive(path);
  return drive.empty() ? drive : drive + '\\';
}

std::vector<TDirLine> PathLines(const std::string& directory) {
  std::vector<TDirLine> lines;
  std::string rest = directory;
  if (IsNetworkPath(directory)) {
    std::string drive = PathDrive(directory);
    rest = directory.size() > drive.size() + 1 ? directory.substr(drive.size() + 1) : std::string();
    lines.push_back({drive, rest.empty() ? dlCurrentFolder : dlParentFolder});
  }
  if (rest.empty()) return lines;
  if (EndsWithBackslash(rest)) {
    lines.push_back({rest, dlCurrentFolder});
    return lines;
  }
  std::vector<std::string> parts = SplitParts(rest);
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    std::string name = parts[i];
    if (i == 0 && !IsNetworkPath(directory)) name += '\\';  // "C:\"
    lines.push_back({name, dlParentFolder});
  }
  lines.push_back({parts.back(), dlCurrentFolder});
  return lines;
}

int LineIndent(const std::string& directory, int index, int kind) {
  if (kind != dlSubFolder) return 4 * index + 4;
  std::string d = EndsWithBackslash(directory) ? directory : directory + '\\';
  int depth = 0;
  for (char c : d)
    if (c == '\\') ++depth;
  if (IsNetworkPath(directory)) depth -= 3;
  return 4 * depth + 4;
}

std::string ItemPath(const std::string& directory, const std::vector<TDirLine>& lines, int index,
                     const TLeadBytePredicate& isLeadByte) {
  if (index < 0 || index >= static_cast<int>(lines.size())) return {};
  std::string drive = PathDrive(directory);
  if (index == 0) return drive + '\\';
  const TDirLine& line = lines[static_cast<size_t>(index)];
  if (line.Kind == dlSubFolder) return (EndsWithBackslash(directory) ? directory : directory + '\\') + line.Name;
  if (line.Kind == dlCurrentFolder) return directory;
  // Up to just before the (index + 1)-th backslash after the drive.
  std::string tail = directory.substr(drive.size());
  int found = 0;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(tail[i])) && i + 1 < tail.size()) {
      ++i;
      continue;
    }
    if (tail[i] == '\\' && ++found == index + 1) return drive + tail.substr(0, i);
  }
  return drive + tail;
}

std::string DisplayName(const std::string& name, bool preserveCase, bool caseSensitive) {
  if (preserveCase && (EndsWithBackslash(name) || !AllUpper(name))) return name;
  return caseSensitive ? name : Lower(name);
}

bool SamePath(const std::string& a, const std::string& b, bool caseSensitive) {
  if (caseSensitive) return a == b;
  return a.size() == b.size() && Lower(a) == Lower(b);
}

