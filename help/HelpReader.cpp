#include "HelpReader.h"

#include <set>

namespace {

[[noreturn]] void Bad(const std::string& what) { throw EHelpError("Not a readable help file: " + what); }

// A bounded view over bytes; every read is checked against what is left.
class TBytes {
public:
  TBytes(const std::string& data, size_t begin, size_t end, const char* what)
      : data_(data), begin_(begin), end_(end), what_(what) {
    if (begin > end || end > data.size()) Bad(std::string(what) + " lies outside the file");
  }
  size_t Size() const { return end_ - begin_; }
  TBytes Sub(size_t at, size_t size, const char* what) const {
    if (at > Size() || size > Size() - at) Bad(std::string(what) + " runs past " + what_);
    return TBytes(data_, begin_ + at, begin_ + at + size, what);
  }
  uint32_t U8(size_t at) const { return static_cast<unsigned char>(data_[Check(at, 1)]); }
  uint32_t U16(size_t at) const { return U8(at) | U8(at + 1) << 8; }
  uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
  // A zero-ended string starting at `at`; `next` gets the place after it.
  std::string Z(size_t at, size_t* next = nullptr) const {
    size_t e = at;
    while (e < Size() && data_[begin_ + e]) ++e;
    if (e >= Size()) Bad(std::string("a string in ") + what_ + " has no end");
    if (next) *next = e + 1;
    return data_.substr(begin_ + at, e - at);
  }
  std::string Raw(size_t at, size_t size) const { return data_.substr(Check(at, size), size); }

private:
  size_t Check(size_t at, size_t size) const {
    if (at > Size() || size > Size() - at) Bad(std::string(what_) + " is cut short");
    return begin_ + at;
  }
  const std::string& data_;
  size_t begin_, end_;
  const char* what_;
};

// An internal file's data, after its nine-byte header.
TBytes InternalFile(const std::string& bytes, uint32_t at, const char* what) {
  TBytes whole(bytes, 0, bytes.size(), "the file");
  TBytes head = whole.Sub(at, 9, what);
  uint32_t reserved = head.U32(0), used = head.U32(4);
  if (used > reserved || reserved - used < 9) Bad(std::string(what) + " has inconsistent sizes");
  return whole.Sub(at, reserved, what).Sub(9, used, what);
}

// Walks a B-tree's leaves in order; `entry` reads one entry at a place and
// returns the place after it.
template <class F>
void ForEachEntry(const TBytes& file, const char* magicWhat, F entry) {
  if (file.U16(0) != 0x293B) Bad(std::string(magicWhat) + " is not an index");
  uint32_t pageSize = file.U16(4), root = file.U16(26), pages = file.U16(30), levels = file.U16(32);
  if (pageSize < 16 || levels == 0 || levels > 16 || root >= pages) Bad(std::string(magicWhat) + " has a bad index header");
  auto page = [&](uint32_t n) { return file.Sub(38 + static_cast<size_t>(n) * pageSize, pageSize, "an index page"); };
  uint32_t current = root;
  for (uint32_t l = 1; l < levels; ++l) {
    current = page(current).U16(4);  // leftmost child
    if (current >= pages) Bad(std::string(magicWhat) + " points past its pages");
  }
  std::set<uint32_t> seen;
  while (current != 0xFFFF) {
    if (current >= pages || !seen.insert(current).second) Bad(std::string(magicWhat) + " has a broken leaf chain");
    TBytes leaf = page(current);
    uint32_t count = leaf.U16(2);
    size_t at = 8;
    for (uint32_t i = 0; i < count; ++i) at = entry(leaf, at);
    current = leaf.U16(6);
  }
}

// A viewer's packed numbers (see the writer).
uint32_t CompressedUShort(const TBytes& b, size_t& at) {
  uint32_t first = b.U8(at);
  if (first & 1) {
    uint32_t v = b.U16(at) >> 1;
    at += 2;
    return v;
  }
  at += 1;
  return first >> 1;
}
void SkipCompressedLong(const TBytes& b, size_t& at) { at += (b.U8(at) & 1) ? 4 : 2; }

struct TParagraph {
  std::string Text;
  std::vector<uint32_t> Jumps;
  uint32_t Chars = 0;
};

// A display link: texts in Data2 paired with the commands in Data1.
TParagraph ReadParagraph(const TBytes& d1, const TBytes& d2) {
  TParagraph p;
  size_t at = 0;
  SkipCompressedLong(d1, at);
  p.Chars = CompressedUShort(d1, at);
  at += 4;
  uint32_t bits = d1.U16(at);
  at += 2;
  if (bits & ~0x0C00u) Bad("a paragraph has settings this reader does not know");
  size_t text = 0;
  while (at < d1.Size()) {
    if (text < d2.Size()) p.Text += d2.Z(text, &text);
    uint32_t cmd = d1.U8(at++);
    if (cmd == 0xFF) break;
    switch (cmd) {
      case 0x80: at += 2; break;                       // font
      case 0x81: p.Text += '\n'; break;                // line break
      case 0x82: p.Text += '\n'; break;                // end of a paragraph
      case 0x89: break;                                // end of a hotspot
      case 0xE2: case 0xE3: case 0xE6: case 0xE7:      // jumps and pop-ups by hash
        p.Jumps.push_back(d1.U32(at));
        at += 4;
        break;
      default: Bad("a paragraph holds an unknown command");
    }
  }
  return p;
}

void ReadTopics(const TBytes& topic, THelpFileContents& c) {
  constexpr size_t kBlock = 4096, kHeader = 12, kData = kBlock - kHeader;
  // The links' bytes without the block headers.
  std::string stream;
  for (size_t b = 0; b * kBlock < topic.Size(); ++b) {
    size_t size = std::min(kBlock, topic.Size() - b * kBlock);
    if (size < kHeader) Bad("a topic block is cut short");
    stream += topic.Raw(b * kBlock + kHeader, size - kHeader);
  }
  TBytes links(stream, 0, stream.size(), "the topics");
  auto place = [&](uint32_t pos) -> size_t {
    size_t inBlock = pos & 0x3FFF;
    if (inBlock < kHeader || inBlock >= kBlock) Bad("a topic position is outside its block");
    return (pos >> 14) * kData + inBlock - kHeader;
  };
  uint32_t pos = 0x0C;
  size_t block = SIZE_MAX, chars = 0;
  std::set<uint32_t> seen;
  while (pos != 0xFFFFFFFF) {
    if (!seen.insert(pos).second) Bad("the topic links run in a circle");
    size_t at = place(pos);
    TBytes head = links.Sub(at, 21, "a topic link");
    uint32_t size = head.U32(0), size2 = head.U32(4), size1 = head.U32(16);
    if (size1 < 21 || size1 > size || size - size1 != size2) Bad("a topic link has inconsistent sizes");
    TBytes link = links.Sub(at, size, "a topic link");
    TBytes d1 = link.Sub(21, size1 - 21, "a link's data"), d2 = link.Sub(size1, size2, "a link's text");
    if ((pos >> 14) != block) block = pos >> 14, chars = 0;
    switch (head.U8(20)) {
      case 0x02: {
        THelpFileTopic t;
        t.Offset = static_cast<uint32_t>(block * 0x8000 + chars);
        t.Title = d2.Raw(0, d2.Size());
        if (d1.Size() != 28) Bad("a topic header has the wrong size");
        c.Topics.push_back(t);
        break;
      }
      case 0x20: {
        if (c.Topics.empty()) Bad("text comes before the first topic");
        TParagraph p = ReadParagraph(d1, d2);
        c.Topics.back().Text += p.Text;
        c.Topics.back().Jumps.insert(c.Topics.back().Jumps.end(), p.Jumps.begin(), p.Jumps.end());
        chars += p.Chars;
        break;
      }
      default: Bad("a topic link of an unknown kind");
    }
    pos = head.U32(12);
  }
}

}  // namespace

const THelpFileTopic* THelpFileContents::TopicAt(uint32_t offset) const {
  for (const auto& t : Topics)
    if (t.Offset == offset) return &t;
  return nullptr;
}

const THelpFileTopic* THelpFileContents::TopicNamed(const std::string& name) const {
  auto it = Contexts.find(HelpContextHash(name));
  return it == Contexts.end() ? nullptr : TopicAt(it->second);
}

const THelpFileTopic* THelpFileContents::TopicNumbered(uint32_t number) const {
  auto it = Numbers.find(number);
  return it == Numbers.end() ? nullptr : TopicAt(it->second);
}

THelpFileContents ReadHelpFile(const std::string& bytes) {
  TBytes whole(bytes, 0, bytes.size(), "the file");
  if (whole.Size() < 16 || whole.U32(0) != 0x00035F3F) Bad("no help file signature");
  if (whole.U32(12) != bytes.size()) Bad("the stated file size is wrong");
  THelpFileContents c;
  std::map<std::string, uint32_t> files;
  ForEachEntry(InternalFile(bytes, whole.U32(4), "the directory"), "the directory", [&](const TBytes& leaf, size_t at) {
    std::string name = leaf.Z(at, &at);
    files[name] = leaf.U32(at);
    c.Files.push_back(name);
    return at + 4;
  });
  auto file = [&](const char* name) {
    auto it = files.find(name);
    if (it == files.end()) Bad(std::string("no ") + name);
    return InternalFile(bytes, it->second, name);
  };

  TBytes system = file("|SYSTEM");
  if (system.U16(0) != 0x036C || system.U16(4) != 1) Bad("|SYSTEM has a bad header");
  if (system.U16(2) <= 16 || system.U16(10) != 0) Bad("only uncompressed files of version 3.1 or later are read");
  for (size_t at = 12; at < system.Size();) {
    uint32_t type = system.U16(at), size = system.U16(at + 2);
    TBytes data = system.Sub(at + 4, size, "a |SYSTEM record");
    if (type == 1) c.Title = data.Z(0);
    if (type == 2) c.Copyright = data.Z(0);
    if (type == 3) c.ContentsOffset = data.U32(0);
    at += 4 + size;
  }

  TBytes font = file("|FONT");
  c.Fonts = static_cast<int>(font.U16(2));
  uint32_t faces = font.U16(0), faceAt = font.U16(4), descAt = font.U16(6);
  if (faces == 0 || faceAt != 8 || descAt < faceAt) Bad("|FONT has a bad header");
  font.Sub(descAt, static_cast<size_t>(c.Fonts) * 11, "the font descriptors");

  ReadTopics(file("|TOPIC"), c);

  ForEachEntry(file("|CONTEXT"), "|CONTEXT", [&](const TBytes& leaf, size_t at) {
    c.Contexts[leaf.U32(at)] = leaf.U32(at + 4);
    return at + 8;
  });
  TBytes map = file("|CTXOMAP");
  uint32_t count = map.U16(0);
  map.Sub(2, static_cast<size_t>(count) * 8, "the context numbers");
  for (uint32_t i = 0; i < count; ++i) c.Numbers[map.U32(2 + i * 8)] = map.U32(6 + i * 8);
  ForEachEntry(file("|TTLBTREE"), "|TTLBTREE", [&](const TBytes& leaf, size_t at) {
    uint32_t offset = leaf.U32(at);
    c.Titles[offset] = leaf.Z(at + 4, &at);
    return at;
  });
  return c;
}
