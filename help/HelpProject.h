// A help file's content as the writer takes it: topics with their context
// names, context numbers and paragraphs of plain text and jumps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Exception.h"

class EHelpError : public Exception {
public:
  using Exception::Exception;
};

struct THelpSpan {
  std::string Text;
  std::string Jump;  // the context name jumped to; empty for plain text
};

struct THelpParagraph {
  std::vector<THelpSpan> Spans;
};

struct THelpTopic {
  std::string Name;               // context name ("BigWelcome")
  std::string Title;              // shown above the text and in the viewer's lists
  std::vector<uint32_t> Numbers;  // context numbers that open it
  std::vector<THelpParagraph> Paragraphs;
};

struct THelpProject {
  std::string Title;      // the viewer's caption
  std::string Copyright;
  std::string Contents;   // the name of the contents topic; empty: the first topic
  std::vector<THelpTopic> Topics;
};

// The viewer's hash of a context name: case ignored, over letters, digits,
// '.' and '_'; other characters are refused by the source reader.
uint32_t HelpContextHash(const std::string& name);
bool IsHelpContextName(const std::string& name);

// The plain-text source:
//   title: TEXT            copyright: TEXT            contents: NAME
//   topic NAME             starts a topic; then
//   title: TEXT            its title (required)
//   map: N [N...]          context numbers
//   text lines             joined into paragraphs; a blank line ends one;
//                          {Name} jumps to a topic showing its title,
//                          {Name|text} shows text
//   # ...                  a comment line
// Throws EHelpError naming the line for anything else.
THelpProject ParseHelpSource(const std::string& source);
