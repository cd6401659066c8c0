#include "WizardText.h"

#include "CmnText.h"

std::string ExpandMessageTokens(const TScriptHeader& header, int64_t totalBytes, const std::string& text) {
  std::string s = text;
  ReplaceAllTokens(s, "[name]", header.ProgramName);
  ReplaceAllTokens(s, "[name/ver]", header.ProgramVerName);
  ReplaceAllTokens(s, "[kb]", std::to_string(totalBytes / 1024));
  return s;
}

std::string FolderSyntaxError(const std::string& folder) {
  if (folder.find("\\\\") != std::string::npos)
    return "Setup cannot install to a UNC pathname. If you are trying to install to a network, you will need to "
           "map a network drive.";
  if (!(folder.size() > 3 && folder[1] == ':' && folder[2] == '\\'))
    return "You must enter a full path with drive letter; for example:\r\nC:\\APP";
  if (folder.find_first_of("/:*?\"<>|,", 3) != std::string::npos)
    return "The directory name cannot include any of the following characters after the colon:\r\n\r\n"
           "/ : * ? \" < > | ,";
  const char letter = static_cast<char>(folder[0] & ~0x20);
  if (letter < 'A' || letter > 'Z') return "The drive you selected does not exist. Please select another.";
  return {};
}

std::string GroupNameError(const std::string& group) {
  if (group.empty()) return "You must enter a group name.";
  if (group.find_first_of("\\/:*?\"<>|,") != std::string::npos)
    return "The group name cannot include any of the following characters:\r\n\r\n\\ / : * ? \" < > | ,";
  return {};
}

std::vector<std::string> SplitGroupList(const std::string& text) {
  std::vector<std::string> groups;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (line.empty()) break;
    groups.push_back(line);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return groups;
}
