// The zip library's reader of an existing archive over any bytes; an
// archive it accepts is then written again as the library adds to it (the
// bytes in front, every entry copied, one new entry, the comment), and the
// result must read back with the same entries and the new one.
//
// Flags byte: bit 0, a padding of up to 128 KB of one byte goes in front;
// bit 1, the new entry is deflated and encrypted.
#include "FuzzInput.h"
#include "ZipFormat.h"

using namespace zipfmt;

namespace {

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

// The archive with one more entry, or nothing when the writer refuses.
bool AddOneEntry(IByteSource& src, const TZipDirectory& dir, const std::string& name, bool deflate,
                 const std::string& content, Bytes& out) {
  TMemorySink sink;
  TZipWriter w(sink);
  Bytes prefix(static_cast<size_t>(dir.PrefixSize));
  if (!src.ReadAt(0, prefix.data(), prefix.size()) || !w.WriteRaw(prefix.data(), prefix.size())) return false;
  for (const TZipEntry& e : dir.Entries)
    if (!w.CopyEntry(src, e)) return false;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(content.data());
  TNewEntry n;
  n.Name = name;
  n.Crc = Crc32(0, p, content.size());
  n.Size = static_cast<uint32_t>(content.size());
  n.Level = deflate ? 9 : 0;
  n.Encrypted = deflate;
  if (!w.BeginEntry(n)) return false;
  const std::string password = "pass";
  const uint8_t cryptHeader[kCryptHeaderSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  TEntryEncoder enc(n.Level, deflate ? &password : nullptr, n.Crc, cryptHeader);
  Bytes data;
  if (!enc.Feed(p, content.size(), data) || !enc.Finish(data)) __builtin_trap();
  if (!w.WriteEntryData(data.data(), data.size()) || !w.EndEntry() || !w.Finish(dir.Comment)) return false;
  out = std::move(sink.Data);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  uint8_t flags = in.Byte();
  Bytes bytes;
  if (flags & 1) bytes.assign(in.UInt32() % (128u << 10), in.Byte());
  std::string name = in.Bytes(in.Byte() % 64);
  if (name.empty()) name = "added.txt";
  std::string content = in.Bytes(in.Byte());
  std::string rest = in.Rest();
  bytes.insert(bytes.end(), rest.begin(), rest.end());

  TMemorySource src(bytes);
  TZipDirectory dir;
  if (ReadZipDirectory(src, dir) != TReadError::None) return 0;
  Expect(dir.PrefixSize <= bytes.size());
  for (const TZipEntry& e : dir.Entries) Expect(e.LocalPos >= dir.PrefixSize && e.LocalPos + e.LocalSpan <= bytes.size());

  Bytes again;
  if (!AddOneEntry(src, dir, name, flags & 2, content, again)) return 0;
  TMemorySource src2(again);
  TZipDirectory dir2;
  Expect(ReadZipDirectory(src2, dir2) == TReadError::None);
  Expect(dir2.Entries.size() == dir.Entries.size() + 1 && dir2.PrefixSize == dir.PrefixSize &&
         dir2.Comment == dir.Comment);
  for (size_t i = 0; i < dir.Entries.size(); ++i) {
    const TZipEntry &a = dir.Entries[i], &b = dir2.Entries[i];
    Expect(a.Name == b.Name && a.Crc == b.Crc && a.CompressedSize == b.CompressedSize && a.Size == b.Size &&
           a.Flags == b.Flags && a.Method == b.Method && a.LocalSpan == b.LocalSpan);
  }
  const TZipEntry& added = dir2.Entries.back();
  Expect(added.Name == name && added.Size == content.size());
  return 0;
}
