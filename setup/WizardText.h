// The wizard's text rules: its tokens, the folder and group name checks and
// Program Manager's group list. Plain C++.
#pragma once
#include "ScriptFormat.h"

#include <cstdint>
#include <string>
#include <vector>

// "[name]", "[name/ver]" and "[kb]" (total bytes div 1024), in that order.
std::string ExpandMessageTokens(const TScriptHeader& header, int64_t totalBytes, const std::string& text);

// The refusal of a trimmed destination folder by its text alone, in the
// order of the checks (a UNC path, no full path with drive letter, a
// character not allowed after the colon, no drive letter); "" when it
// passes them.
std::string FolderSyntaxError(const std::string& folder);
// The refusal of a trimmed group name, or "".
std::string GroupNameError(const std::string& group);
// The groups of Program Manager's "GROUPS" answer: one a line, each ended by
// CR LF; an empty line or the end of the text ends the list.
std::vector<std::string> SplitGroupList(const std::string& text);
