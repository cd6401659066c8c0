#include "CmnText.h"

#include <cctype>

std::string AddTrailingBackslash(const std::string& text) {
  if (text.empty() || text.back() == '\\') return text;
  return text + '\\';
}

std::string TrimTrailingBackslash(const std::string& text) {
  if (!text.empty() && text.back() == '\\') return text.substr(0, text.size() - 1);
  return text;
}

std::string TrimBackslashKeepRoot(const std::string& text) {
  if (text.size() < 2 || text.back() != '\\' || text[text.size() - 2] == ':') return text;
  return text.substr(0, text.size() - 1);
}

std::string QuoteIfSpaced(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(' ');
  std::string s = text.substr(first, last - first + 1);
  bool quoted = s.size() >= 2 && s.front() == '"' && s.back() == '"';
  if (s.find(' ') != std::string::npos && !quoted) s = '"' + s + '"';
  return s;
}

void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& replacement) {
  if (token.empty()) return;
  size_t pos = 0;
  while ((pos = text.find(token, pos)) != std::string::npos) {
    text.replace(pos, token.size(), replacement);
    pos += replacement.size();
  }
}

std::string Trim(const std::string& s) {
  size_t first = 0, last = s.size();
  while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
  return s.substr(first, last - first);
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}
