#include "HelpWriter.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kBlockSize = 4096;           // uncompressed topic blocks
constexpr size_t kBlockHeader = 12;
constexpr size_t kBlockData = kBlockSize - kBlockHeader;
constexpr size_t kLinkHeader = 21;
constexpr size_t kPageSize = 1024;
constexpr uint8_t kTopicHeader = 0x02, kDisplay = 0x20;

// Fonts of |FONT: body text and topic titles.
constexpr uint16_t kBodyFont = 0, kTitleFont = 1;

void Put8(std::string& s, uint32_t v) { s += static_cast<char>(v & 0xFF); }
void Put16(std::string& s, uint32_t v) {
  Put8(s, v);
  Put8(s, v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v);
  Put16(s, v >> 16);
}
void Set32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::string Bytes32(uint32_t v) {
  std::string s;
  Put32(s, v);
  return s;
}
// The viewer's packed numbers: one or two bytes (low bit clear) or two or
// four bytes (low bit set), signed ones biased by half the range.
void PutCompressedUShort(std::string& s, uint32_t v) {
  if (v < 0x80)
    Put8(s, v * 2);
  else
    Put16(s, v * 2 + 1);
}
void PutCompressedLong(std::string& s, int32_t v) {
  if (v >= -0x4000 && v < 0x4000)
    Put16(s, static_cast<uint32_t>(v * 2 + 0x8000));
  else
    Put32(s, static_cast<uint32_t>(v) * 2 + 0x80000001u);
}

// An internal file: its header (reserved size, used size, flags), then data.
std::string InternalFile(const std::string& data) {
  std::string s;
  Put32(s, static_cast<uint32_t>(data.size() + 9));
  Put32(s, static_cast<uint32_t>(data.size()));
  Put8(s, 4);
  return s + data;
}

struct TEntry {
  std::string Key, Value;
};

// A B-tree over entries already in key order: leaves in a chain, then index
// levels up to one root page.
std::string BTree(const std::vector<TEntry>& entries, const char* structure, uint16_t flags) {
  struct TChild {
    std::string FirstKey;
    uint16_t Page;
  };
  std::vector<std::string> pages;
  std::vector<TChild> level;
  std::vector<std::pair<std::string, size_t>> leaves;  // body, entry count
  size_t i = 0;
  do {
    std::string body;
    size_t count = 0;
    level.push_back({i < entries.size() ? entries[i].Key : "", static_cast<uint16_t>(leaves.size())});
    while (i < entries.size() && 8 + body.size() + entries[i].Key.size() + entries[i].Value.size() <= kPageSize) {
      body += entries[i].Key + entries[i].Value;
      ++i, ++count;
    }
    if (i < entries.size() && count == 0) throw EHelpError("A help file entry is too long");
    leaves.push_back({body, count});
  } while (i < entries.size());
  for (size_t l = 0; l < leaves.size(); ++l) {
    std::string page;
    Put16(page, static_cast<uint32_t>(kPageSize - 8 - leaves[l].first.size()));
    Put16(page, static_cast<uint32_t>(leaves[l].second));
    Put16(page, l ? static_cast<uint32_t>(l - 1) : 0xFFFF);
    Put16(page, l + 1 < leaves.size() ? static_cast<uint32_t>(l + 1) : 0xFFFF);
    page += leaves[l].first;
    page.resize(kPageSize, '\0');
    pages.push_back(page);
  }
  int levels = 1;
  while (level.size() > 1) {
    std::vector<TChild> up;
    size_t j = 0;
    while (j < level.size()) {
      std::string body;
      size_t count = 0;
      up.push_back({level[j].FirstKey, static_cast<uint16_t>(pages.size())});
      uint16_t first = level[j++].Page;
      while (j < level.size() && 6 + body.size() + level[j].FirstKey.size() + 2 <= kPageSize) {
        body += level[j].FirstKey;
        Put16(body, level[j].Page);
        ++j, ++count;
      }
      std::string page;
      Put16(page, static_cast<uint32_t>(kPageSize - 6 - body.size()));
      Put16(page, static_cast<uint32_t>(count));
      Put16(page, first);
      page += body;
      page.resize(kPageSize, '\0');
      pages.push_back(page);
    }
    level = std::move(up);
    ++levels;
  }
  if (pages.size() > 0xFFFE) throw EHelpError("A help file index is too large");
  std::string s;
  Put16(s, 0x293B);
  Put16(s, flags);
  Put16(s, kPageSize);
  std::string kind(structure);
  kind.resize(16, '\0');
  s += kind;
  Put16(s, 0);
  Put16(s, static_cast<uint32_t>(pages.size() - 1));  // splits
  Put16(s, level[0].Page);                              // root
  Put16(s, 0xFFFF);
  Put16(s, static_cast<uint32_t>(pages.size()));
  Put16(s, static_cast<uint32_t>(levels));
  Put32(s, static_cast<uint32_t>(entries.size()));
  for (const auto& p : pages) s += p;
  return s;
}

// One topic link before its positions are known.
struct TLink {
  uint8_t Type;
  std::string Data1, Data2;  // after the link header
  uint32_t Chars = 0;        // characters a display link holds
  size_t Topic = 0;
  size_t Pos = 0;            // in the topic stream, without block headers
  size_t Size() const { return kLinkHeader + Data1.size() + Data2.size(); }
};

uint32_t TopicPos(size_t pos) {
  return static_cast<uint32_t>((pos / kBlockData) * 0x4000 + pos % kBlockData + kBlockHeader);
}

// A display paragraph: texts and commands pair up, each text shown before
// its command.
TLink Paragraph(const std::vector<THelpSpan>& spans, uint16_t font, bool spaceAfter,
                const std::map<std::string, const THelpTopic*>& byName) {
  std::string texts, commands;
  uint32_t chars = 0;
  auto command = [&](const std::string& text, const std::string& cmd) {
    texts += text;
    texts += '\0';
    commands += cmd;
    chars += static_cast<uint32_t>(text.size());
  };
  std::string fontCmd = "\x80";
  Put16(fontCmd, font);
  command("", fontCmd);
  std::string pending;
  for (const auto& span : spans) {
    if (span.Jump.empty()) {
      pending += span.Text;
      continue;
    }
    std::string jump = "\xE3";
    Put32(jump, HelpContextHash(span.Jump));
    command(pending, jump);
    auto target = byName.find(span.Jump);
    command(span.Text.empty() ? target->second->Title : span.Text, "\x89");
    pending.clear();
  }
  command(pending, "\x82");
  ++chars;
  if (spaceAfter) {
    command("", "\x82");
    ++chars;
  }
  command("", "\xFF");
  if (texts.size() > 0x3FFF || chars > 0x3FFF) throw EHelpError("A help paragraph is too long");

  TLink link{kDisplay, "", texts, chars};
  PutCompressedLong(link.Data1, static_cast<int32_t>(texts.size()));
  PutCompressedUShort(link.Data1, chars);
  Put8(link.Data1, 0x00);
  Put8(link.Data1, 0x80);
  Put16(link.Data1, 0);  // paragraph id
  Put16(link.Data1, 0);  // no paragraph settings: left aligned, no spacing
  link.Data1 += commands;
  return link;
}

void CheckProject(const THelpProject& p, std::map<std::string, const THelpTopic*>& byName) {
  std::map<uint32_t, std::string> hashes;
  std::set<uint32_t> numbers;
  auto upper = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  if (p.Topics.empty()) throw EHelpError("A help file needs a topic");
  for (const auto& t : p.Topics) {
    if (!IsHelpContextName(t.Name)) throw EHelpError("\"" + t.Name + "\" is not a context name");
    if (t.Title.empty()) throw EHelpError("The topic \"" + t.Name + "\" has no title");
    auto [at, fresh] = hashes.emplace(HelpContextHash(t.Name), t.Name);
    if (!fresh)
      throw EHelpError(upper(at->second) == upper(t.Name) ? "The topic \"" + t.Name + "\" is there twice"
                                                          : "The topics \"" + at->second + "\" and \"" +
                                                                t.Name + "\" have the same hash");
    for (uint32_t n : t.Numbers)
      if (!numbers.insert(n).second) throw EHelpError("The context number " + std::to_string(n) + " is there twice");
    byName[upper(t.Name)] = &t;
  }
  auto find = [&](const std::string& name) {
    auto it = byName.find(upper(name));
    if (it == byName.end()) throw EHelpError("No topic \"" + name + "\" to jump to");
    return it->second;
  };
  if (!p.Contents.empty()) byName[p.Contents] = find(p.Contents);
  for (const auto& t : p.Topics)
    for (const auto& para : t.Paragraphs)
      for (const auto& span : para.Spans)
        if (!span.Jump.empty()) byName[span.Jump] = find(span.Jump);
}

}  // namespace

std::string WriteHelpFile(const THelpProject& project) {
  std::map<std::string, const THelpTopic*> byName;
  CheckProject(project, byName);

  // The links in order: each topic's header, its title paragraph, its text.
  std::vector<TLink> links;
  std::vector<size_t> headers;
  for (size_t t = 0; t < project.Topics.size(); ++t) {
    const THelpTopic& topic = project.Topics[t];
    headers.push_back(links.size());
    links.push_back({kTopicHeader, std::string(28, '\0'), topic.Title});
    links.back().Topic = t;
    links.push_back(Paragraph({{topic.Title, ""}}, kTitleFont, true, byName));
    for (size_t i = 0; i < topic.Paragraphs.size(); ++i)
      links.push_back(Paragraph(topic.Paragraphs[i].Spans, kBodyFont, i + 1 < topic.Paragraphs.size(), byName));
    for (size_t i = headers.back() + 1; i < links.size(); ++i) links[i].Topic = t;
  }

  // Positions: a link header never straddles two blocks.
  size_t pos = 0;
  for (auto& l : links) {
    if (kBlockData - pos % kBlockData < kLinkHeader) pos += kBlockData - pos % kBlockData;
    l.Pos = pos;
    pos += l.Size();
  }
  if (pos / kBlockData >= 0x20000) throw EHelpError("The help text is too long");

  // Topic offsets: the block and the characters before the topic in it.
  std::vector<uint32_t> offsets(project.Topics.size());
  size_t block = 0;
  uint32_t chars = 0;
  for (const auto& l : links) {
    if (l.Pos / kBlockData != block) block = l.Pos / kBlockData, chars = 0;
    if (l.Type == kTopicHeader) offsets[l.Topic] = static_cast<uint32_t>(block * 0x8000 + chars);
    chars += l.Chars;
  }

  std::string stream;
  for (size_t i = 0; i < links.size(); ++i) {
    TLink& l = links[i];
    if (l.Type == kTopicHeader) {
      size_t end = i + 1;
      while (end < links.size() && links[end].Type != kTopicHeader) ++end;
      Set32(l.Data1, 0, static_cast<uint32_t>((end < links.size() ? links[end].Pos : pos) - l.Pos));
      Set32(l.Data1, 4, kNone);  // no browse sequence
      Set32(l.Data1, 8, kNone);
      Set32(l.Data1, 12, static_cast<uint32_t>(l.Topic));
      Set32(l.Data1, 16, kNone);  // no non-scrolling region
      Set32(l.Data1, 20, i + 1 < links.size() ? TopicPos(links[i + 1].Pos) : kNone);
      Set32(l.Data1, 24, end < links.size() ? TopicPos(links[end].Pos) : kNone);
    }
    stream.resize(l.Pos, '\0');
    Put32(stream, static_cast<uint32_t>(l.Size()));
    Put32(stream, static_cast<uint32_t>(l.Data2.size()));
    Put32(stream, i ? TopicPos(links[i - 1].Pos) : kNone);
    Put32(stream, i + 1 < links.size() ? TopicPos(links[i + 1].Pos) : kNone);
    Put32(stream, static_cast<uint32_t>(kLinkHeader + l.Data1.size()));
    Put8(stream, l.Type);
    stream += l.Data1 + l.Data2;
  }
  size_t blocks = (stream.size() + kBlockData - 1) / kBlockData;
  stream.resize(blocks * kBlockData, '\0');

  // Each block: the last link and the last topic header before it, and
  // its own first link.
  std::string topic;
  for (size_t b = 0; b < blocks; ++b) {
    uint32_t lastLink = kNone, lastHeader = kNone, first = kNone;
    for (const auto& l : links) {
      size_t at = l.Pos / kBlockData;
      if (at < b) {
        lastLink = TopicPos(l.Pos);
        if (l.Type == kTopicHeader) lastHeader = lastLink;
      } else if (at == b && first == kNone) {
        first = TopicPos(l.Pos);
      }
    }
    Put32(topic, lastLink);
    Put32(topic, first);
    Put32(topic, lastHeader);
    topic += stream.substr(b * kBlockData, kBlockData);
  }

  // |SYSTEM: version 3.1, topics not compressed; title, copyright, contents.
  std::string system;
  Put16(system, 0x036C);
  Put16(system, 21);
  Put16(system, 1);
  Put32(system, 0);  // made: left out, so builds are reproducible
  Put16(system, 0);
  auto record = [&](uint16_t type, const std::string& data) {
    Put16(system, type);
    Put16(system, static_cast<uint32_t>(data.size()));
    system += data;
  };
  record(1, project.Title + '\0');
  if (!project.Copyright.empty()) record(2, project.Copyright + '\0');
  const THelpTopic* contents = project.Contents.empty() ? &project.Topics[0] : byName[project.Contents];
  record(3, Bytes32(offsets[contents - project.Topics.data()]));

  // |FONT: one face, body and title descriptors.
  std::string font;
  Put16(font, 1);
  Put16(font, 2);
  Put16(font, 8);
  Put16(font, 8 + 20);
  std::string face = "Arial";
  face.resize(20, '\0');
  font += face;
  auto descriptor = [&](uint8_t attributes, uint8_t halfPoints) {
    Put8(font, attributes);
    Put8(font, halfPoints);
    Put8(font, 3);  // swiss
    Put16(font, 0);
    font += std::string(3, '\0');           // black
    font += std::string(3, '\xFF');         // on white
  };
  descriptor(0, 20);
  descriptor(1, 28);

  // |CONTEXT: hash to topic offset, in signed hash order.
  std::vector<std::pair<int32_t, uint32_t>> context;
  for (size_t t = 0; t < project.Topics.size(); ++t)
    context.push_back({static_cast<int32_t>(HelpContextHash(project.Topics[t].Name)), offsets[t]});
  std::sort(context.begin(), context.end());
  std::vector<TEntry> contextEntries;
  for (const auto& [hash, offset] : context)
    contextEntries.push_back({Bytes32(static_cast<uint32_t>(hash)), Bytes32(offset)});

  // |CTXOMAP: context numbers to topic offsets.
  std::vector<std::pair<uint32_t, uint32_t>> map;
  for (size_t t = 0; t < project.Topics.size(); ++t)
    for (uint32_t n : project.Topics[t].Numbers) map.push_back({n, offsets[t]});
  std::sort(map.begin(), map.end());
  if (map.size() > 0xFFFF) throw EHelpError("Too many context numbers");
  std::string ctxomap;
  Put16(ctxomap, static_cast<uint32_t>(map.size()));
  for (const auto& [n, offset] : map) Put32(ctxomap, n), Put32(ctxomap, offset);

  // |TTLBTREE: topic offset to title.
  std::vector<TEntry> titles;
  for (size_t t = 0; t < project.Topics.size(); ++t)
    titles.push_back({Bytes32(offsets[t]), project.Topics[t].Title + '\0'});

  std::map<std::string, std::string> files = {
      {"|CONTEXT", BTree(contextEntries, "L4", 0x0002)},
      {"|CTXOMAP", ctxomap},
      {"|FONT", font},
      {"|SYSTEM", system},
      {"|TOPIC", topic},
      {"|TTLBTREE", BTree(titles, "Lz", 0x0002)},
  };
  std::string out(16, '\0');
  std::vector<TEntry> directory;
  for (const auto& [name, data] : files) {  // std::map keeps byte order
    directory.push_back({name + '\0', Bytes32(static_cast<uint32_t>(out.size()))});
    out += InternalFile(data);
  }
  uint32_t directoryStart = static_cast<uint32_t>(out.size());
  out += InternalFile(BTree(directory, "z4", 0x0402));
  Set32(out, 0, 0x00035F3F);
  Set32(out, 4, directoryStart);
  Set32(out, 8, kNone);  // no free blocks
  Set32(out, 12, static_cast<uint32_t>(out.size()));
  return out;
}
