#include "InstallRules.h"

#include "CmnText.h"
#include "Exception.h"
#include "StrFmt.h"

#include <climits>
#include <vector>

int64_t InstallProgressMaximum(const TSetupScript& script) {
  int64_t max = 0;
  for (const TScriptFile& f : script.FileList) max += f.CompressedSize > 0 ? f.CompressedSize : 0;
  max += 1000 * static_cast<int64_t>(script.IconList.size());
  if (!script.IniList.empty()) max += 1000;
  if (!script.RegistryList.empty()) max += 1000;
  return max;
}

uint64_t PackVersion(int32_t ms, int32_t ls) {
  return uint64_t(static_cast<uint32_t>(ms)) << 32 | static_cast<uint32_t>(ls);
}

TOverwriteDecision DecideOverwrite(const TScriptFile& record, const TExistingFile& existing) {
  if (record.OverwriteMode == omNeverOverwrite) return TOverwriteDecision::Keep;
  if (record.OverwriteMode == omNoVersionCheck || record.FileVersionMS == -1 || !existing.Version)
    return TOverwriteDecision::Replace;
  const int32_t haveMS = static_cast<int32_t>(*existing.Version >> 32);
  const int32_t haveLS = static_cast<int32_t>(*existing.Version & 0xFFFFFFFFu);
  const TOverwriteDecision newer =
      record.OverwriteMode == omKeepNewerSilently ? TOverwriteDecision::Keep : TOverwriteDecision::AskKeepNewer;
  if (record.FileVersionMS < haveMS || (record.FileVersionMS == haveMS && record.FileVersionLS < haveLS)) return newer;
  if (record.FileVersionMS == haveMS && record.FileVersionLS == haveLS && existing.WriteTime) {
    const uint64_t ours = uint64_t(record.FileTime.HighDateTime) << 32 | record.FileTime.LowDateTime;
    if (*existing.WriteTime == ours) return TOverwriteDecision::Keep;
    if (*existing.WriteTime > ours) return newer;
  }
  return TOverwriteDecision::Replace;
}

namespace {

// The lines of a text file, without their line ends.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    lines.emplace_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

}  // namespace

std::string RewriteWininit(std::string_view oldText, const std::string& line) {
  std::vector<std::string> lines = SplitLines(oldText);
  std::string out;
  auto put = [&out](const std::string& l) { out += l + "\r\n"; };
  size_t i = 0;
  bool found = false;
  for (; i < lines.size(); ++i) {
    if (Trim(lines[i]).starts_with("[")) {
      if (found) break;  // the section after [rename]: held back
      if (LowerCase(lines[i]) == "[rename]") found = true;
    }
    put(lines[i]);
  }
  if (!found) put("[rename]");
  put(line);
  for (; i < lines.size(); ++i) put(lines[i]);
  return out;
}

std::optional<TSharedCount> ParseSharedCount(uint32_t type, std::string_view data) {
  switch (type) {
    case kRegSz: {
      std::string text(data.substr(0, data.find('\0')));
      size_t i = text.starts_with("-") || text.starts_with("+") ? 1 : 0;
      if (i == text.size() || text.size() > 11) return std::nullopt;
      for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
      int64_t v = std::stoll(text);
      if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
      return TSharedCount{v, kRegSz};
    }
    case kRegBinary: {
      if (data.empty() || data.size() > 4) return std::nullopt;
      uint32_t v = 0;
      for (size_t k = 0; k < data.size(); ++k) v |= uint32_t(static_cast<uint8_t>(data[k])) << (8 * k);
      return TSharedCount{static_cast<int32_t>(v), kRegBinary};
    }
    case kRegDword: {
      if (data.size() != 4) return std::nullopt;
      return TSharedCount{GetInt32(reinterpret_cast<const uint8_t*>(data.data())), kRegDword};
    }
    default: return std::nullopt;
  }
}

int64_t RaisedSharedCount(std::optional<TSharedCount> stored, bool existed) {
  int64_t count = stored ? stored->Count : 0;
  if (count < 0) count = 0;
  if (count == 0 && existed) count = 1;
  return count < INT32_MAX ? count + 1 : INT32_MAX;
}

std::string EncodeSharedCount(int64_t count, uint32_t type) {
  if (type == kRegSz) return std::to_string(count) + '\0';
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint64_t>(count) >> (8 * i)) & 0xFF);
  return s;
}

std::string ProgmanCommand(const char* verb, const std::string& argument) {
  return std::string("[") + verb + "(\"" + argument + "\")]";
}

std::string ShowGroupCommand(const std::string& group) { return "[ShowGroup(\"" + group + "\",1)]"; }

std::string AddItemCommand(const std::string& target, const std::string& parameters, const std::string& name,
                           const std::string& iconFile, int32_t iconIndex, const std::string& workingDir) {
  std::string s = "[AddItem(" + QuoteIfSpaced(target);
  if (!parameters.empty()) s += " " + parameters;
  s += ",\"" + name + "\"";
  s += iconFile.empty() ? std::string(",,") : "," + iconFile + "," + std::to_string(iconIndex);
  if (!workingDir.empty()) s += ",,," + QuoteIfSpaced(workingDir);
  return s + ")]";
}

bool ProgmanGroupIsEmpty(std::string_view info) {
  size_t pos = 0;
  auto skipPast = [&](char c) {
    size_t at = info.find(c, pos);
    if (at == std::string_view::npos)
      throw Exception("An error occured while trying to request data from Progman using DDE.");
    pos = at + 1;
  };
  skipPast('"');
  skipPast('"');
  skipPast(',');
  skipPast(',');
  return pos < info.size() && info[pos] == '0';
}
