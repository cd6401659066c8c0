// Shortening a path to fit a width, as the folder labels and status lines
// show it: folders from the front become "...\", then the drive goes.
#pragma once
#include <functional>
#include <string>

// One step: the first folder of a folder part ("\a\b\" -> "\...\b\").
// Works on a copy and never reads past a short part.
inline std::string CutFirstFolder(const std::string& folderPart) {
  if (folderPart == "\\") return {};
  std::string s = folderPart;
  bool root = !s.empty() && s[0] == '\\';
  if (root) s.erase(0, 1);
  if (!s.empty() && s[0] == '.') s.erase(0, 4 < s.size() ? 4 : s.size());  // a previous "...\"
  size_t slash = s.find('\\');
  s = slash == std::string::npos ? std::string() : "...\\" + s.substr(slash + 1);
  if (s.empty()) return s;
  return root ? '\\' + s : s;
}

// Shortens `path` with "...\" until `measure` gives at most `width`.
inline std::string ShortenPath(const std::string& path, int width,
                               const std::function<int(const std::string&)>& measure) {
  std::string result = path;
  size_t slash = path.rfind('\\');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string drive;
  if (folder.size() >= 2 && folder[1] == ':') {
    drive = folder.substr(0, 2);
    folder.erase(0, 2);
  }
  while ((!folder.empty() || !drive.empty()) && measure(result) > width) {
    if (folder == "\\...\\") {
      drive.clear();
      folder = "...\\";
    } else if (!folder.empty()) {
      folder = CutFirstFolder(folder);
    } else {
      drive.clear();
    }
    result = drive + folder + file;
  }
  return result;
}
