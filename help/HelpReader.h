// Reads a Windows Help file back (the 3.1 layout with uncompressed topics):
// its internal files, topics, context names and context numbers.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "HelpProject.h"

struct THelpFileTopic {
  uint32_t Offset = 0;          // the topic offset that contexts point at
  std::string Title;            // from the topic header
  std::string Text;             // every paragraph's text, one line each
  std::vector<uint32_t> Jumps;  // hashes of the jumps in its text
};

struct THelpFileContents {
  std::string Title, Copyright;
  uint32_t ContentsOffset = 0xFFFFFFFF;
  std::vector<std::string> Files;            // the internal files by name
  std::vector<THelpFileTopic> Topics;
  std::map<uint32_t, uint32_t> Contexts;     // context hash -> topic offset
  std::map<uint32_t, uint32_t> Numbers;      // context number -> topic offset
  std::map<uint32_t, std::string> Titles;    // topic offset -> title (|TTLBTREE)
  int Fonts = 0;

  // The topic a topic offset opens, or null.
  const THelpFileTopic* TopicAt(uint32_t offset) const;
  const THelpFileTopic* TopicNamed(const std::string& name) const;
  const THelpFileTopic* TopicNumbered(uint32_t number) const;
};

// Throws EHelpError for anything that does not hold together.
THelpFileContents ReadHelpFile(const std::string& bytes);
