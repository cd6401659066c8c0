#include <cstdlib>
#include <sstream>

#include "HelpProject.h"

namespace {

// The viewer's character values; 0 marks a character a name may not hold.
uint32_t HashValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A' + 17;
  if (c >= 'a' && c <= 'z') return c - 'a' + 17;
  if (c >= '1' && c <= '9') return c - '0';
  if (c == '0') return 10;
  if (c == '.') return 12;
  if (c == '_') return 13;
  return 0;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

class TSourceReader {
public:
  explicit TSourceReader(const std::string& source) : source_(source) {}
  THelpProject Read();

private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EHelpError("Help source line " + std::to_string(line_) + ": " + what);
  }
  bool Setting(const std::string& line, const char* key, std::string& value) const;
  void EndParagraph();
  void AddText(const std::string& line);
  void CheckText(const std::string& text) const;

  const std::string& source_;
  int line_ = 0;
  THelpProject project_;
  THelpTopic* topic_ = nullptr;
  THelpParagraph paragraph_;
};

bool TSourceReader::Setting(const std::string& line, const char* key, std::string& value) const {
  std::string k = std::string(key) + ":";
  if (line.compare(0, k.size(), k) != 0) return false;
  value = Trim(line.substr(k.size()));
  CheckText(value);
  return true;
}

void TSourceReader::CheckText(const std::string& text) const {
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E) Fail("only printable ASCII characters may be used");
}

void TSourceReader::EndParagraph() {
  if (paragraph_.Spans.empty()) return;
  topic_->Paragraphs.push_back(std::move(paragraph_));
  paragraph_ = {};
}

void TSourceReader::AddText(const std::string& line) {
  CheckText(line);
  auto plain = [&](const std::string& text) {
    if (text.empty()) return;
    if (!paragraph_.Spans.empty() && paragraph_.Spans.back().Jump.empty())
      paragraph_.Spans.back().Text += text;
    else
      paragraph_.Spans.push_back({text, ""});
  };
  // Lines of one paragraph are joined by a blank.
  if (!paragraph_.Spans.empty()) plain(" ");
  size_t pos = 0;
  while (pos < line.size()) {
    size_t open = line.find('{', pos);
    size_t stray = line.find('}', pos);
    if (stray < open) Fail("'}' without '{'");
    if (open == std::string::npos) {
      plain(line.substr(pos));
      break;
    }
    plain(line.substr(pos, open - pos));
    size_t close = line.find('}', open);
    if (close == std::string::npos) Fail("'{' without '}'");
    std::string inner = line.substr(open + 1, close - open - 1);
    size_t bar = inner.find('|');
    THelpSpan jump{bar == std::string::npos ? "" : inner.substr(bar + 1), Trim(inner.substr(0, bar))};
    if (!IsHelpContextName(jump.Jump)) Fail("\"" + jump.Jump + "\" is not a context name");
    if (bar != std::string::npos && jump.Text.empty()) Fail("a jump needs a text after '|'");
    paragraph_.Spans.push_back(jump);
    pos = close + 1;
  }
}

THelpProject TSourceReader::Read() {
  std::istringstream in(source_);
  std::string raw;
  while (std::getline(in, raw)) {
    ++line_;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line = Trim(raw);
    if (!line.empty() && line[0] == '#') continue;
    std::string value;
    if (line.compare(0, 6, "topic ") == 0) {
      if (topic_) EndParagraph();
      if (topic_ && topic_->Title.empty()) Fail("the topic before has no title");
      std::string name = Trim(line.substr(6));
      if (!IsHelpContextName(name)) Fail("\"" + name + "\" is not a context name");
      project_.Topics.push_back({name, "", {}, {}});
      topic_ = &project_.Topics.back();
    } else if (Setting(line, "title", value)) {
      if (value.empty()) Fail("the title is empty");
      (topic_ ? topic_->Title : project_.Title) = value;
    } else if (!topic_ && Setting(line, "copyright", value)) {
      project_.Copyright = value;
    } else if (!topic_ && Setting(line, "contents", value)) {
      if (!IsHelpContextName(value)) Fail("\"" + value + "\" is not a context name");
      project_.Contents = value;
    } else if (topic_ && Setting(line, "map", value)) {
      std::istringstream numbers(value);
      std::string n;
      while (numbers >> n) {
        char* end = nullptr;
        unsigned long v = std::strtoul(n.c_str(), &end, 10);
        if (*end || n[0] == '-' || v == 0 || v > 0x7FFFFFFFul) Fail("\"" + n + "\" is not a context number");
        topic_->Numbers.push_back(static_cast<uint32_t>(v));
      }
    } else if (line.empty()) {
      if (topic_) EndParagraph();
    } else if (!topic_) {
      Fail("text before the first topic");
    } else {
      AddText(line);
    }
  }
  if (topic_) EndParagraph();
  if (topic_ && topic_->Title.empty()) Fail("the last topic has no title");
  if (project_.Topics.empty()) Fail("no topics");
  return std::move(project_);
}

}  // namespace

bool IsHelpContextName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  for (unsigned char c : name)
    if (!HashValue(c)) return false;
  return true;
}

uint32_t HelpContextHash(const std::string& name) {
  uint32_t hash = 0;
  for (unsigned char c : name) hash = hash * 43 + HashValue(c);
  return hash;
}

THelpProject ParseHelpSource(const std::string& source) { return TSourceReader(source).Read(); }
