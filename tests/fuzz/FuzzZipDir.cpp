// The zip component's directory reader over any bytes, and over
// self-extractors assembled from the input.
//
// Flags byte: bit 0, a padding of up to 128 KB of one byte goes in front (a
// stub beyond the search window); bit 1, the rest builds a self-extractor
// whose first header the reader must find: a stub, the settings block and
// a zip of a few entries, all named and filled from the input.
#include "FuzzInput.h"
#include "SFX.h"
#include "ZipArchDir.h"
#include "ZipFormat.h"

namespace {

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

// No "P" in `s`, so no signature can start in it.
std::string WithoutP(std::string s) {
  for (char& c : s)
    if (c == 'P') c = 'Q';
  return s;
}

struct TBuilt {
  std::string Bytes;
  uint64_t ZipStart = 0;
  std::vector<std::string> Names;
};

TBuilt BuildSFX(TFuzzInput& in, const std::string& padding) {
  TBuilt b;
  std::string stub = padding + WithoutP(in.Bytes(in.UInt16()));
  std::string caption = WithoutP(in.Bytes(in.Byte())), dir = WithoutP(in.Bytes(in.Byte())),
              command = WithoutP(in.Bytes(in.Byte()));
  SFXHeader header;
  if (!BuildSFXHeader(caption, dir, command, SFXOpts(), OvrConfirm, header)) header = {};
  b.Bytes = stub + std::string(header.begin(), header.end());
  b.ZipStart = b.Bytes.size();

  zipfmt::TMemorySink sink;
  zipfmt::TZipWriter w(sink);
  int count = in.Byte() % 8;
  for (int i = 0; i < count; ++i) {
    zipfmt::TNewEntry e;
    e.Name = in.Bytes(in.Byte());
    if (e.Name.empty()) e.Name = "n";
    std::string data = in.Bytes(in.UInt16());
    e.Size = static_cast<uint32_t>(data.size());
    e.Level = 0;
    if (!w.BeginEntry(e) || !w.WriteEntryData(reinterpret_cast<const uint8_t*>(data.data()), data.size()) ||
        !w.EndEntry())
      __builtin_trap();
    b.Names.push_back(e.Name);
  }
  if (!w.Finish()) __builtin_trap();
  b.Bytes.append(sink.Data.begin(), sink.Data.end());
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  uint8_t flags = in.Byte();
  std::string padding;
  if (flags & 1) {
    uint32_t n = in.UInt32() % (128u << 10);
    padding.assign(n, static_cast<char>(in.Byte()));
  }
  TBuilt built;
  if (flags & 2) {
    if (flags & 1) padding = WithoutP(padding);
    built = BuildSFX(in, padding);
  } else {
    built.Bytes = padding + in.Rest();
  }
  uint64_t total = built.Bytes.size();
  // A text length of 80 ('P') before a text that starts with "K", 3, 4 forms
  // a signature in the settings block, where the search stops as it must.
  bool sfxChecked = (flags & 2) && built.Bytes.find("PK\x03\x04") >= built.ZipStart;
  TMemoryZipInput zip(std::move(built.Bytes));
  try {
    TZipDirResult r = ReadZipLocalDirectory(zip);
    if (r.FailDigit != 0) {
      Expect(r.FailDigit <= 5 && r.Entries.empty() && r.SFXOffset == 0);
    } else {
      Expect(!r.Entries.empty() && r.SFXOffset + 30 <= total);
      for (const ZipDirEntry& e : r.Entries) Expect(e.FileName.size() == e.FileNameLen);
    }
    if (sfxChecked) {
      // An empty zip has no header to find.
      if (built.Names.empty()) {
        Expect(r.FailDigit != 0);
      } else {
        Expect(r.FailDigit == 0 && r.SFXOffset == built.ZipStart && r.Entries.size() == built.Names.size());
        for (size_t i = 0; i < built.Names.size(); ++i) Expect(r.Entries[i].FileName == built.Names[i]);
      }
    }
  } catch (const EZipStreamError&) {
    Expect(!sfxChecked);
  }
  return 0;
}
