// What the extractor stubs read from bytes: their own file (where the
// appended data starts, the settings block there, the zip behind it and
// every entry's data), their command line and entry names.
//
// The first byte picks the mode:
//   0  the rest is a stub's file, read as a stub reads it;
//   1  the rest builds a stub's file: a program with sections, the settings
//      block and a zip written by the zip library, all from the input; what
//      the stub reads back must be what went in;
//   2  the rest is a program path and a command line, then an entry name.
#include "FuzzInput.h"
#include "SFX.h"
#include "SFXArchive.h"
#include "ZipFixture.h"
#include "ZipFormat.h"

#include <algorithm>

using namespace sfx;
using zipfmt::Bytes;

namespace {

void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

// Counts and checks what an entry writes; refuses past `limit` bytes so a
// small input that inflates far stays quick.
class TCountingOutput : public IOutput {
public:
  explicit TCountingOutput(uint64_t limit) : limit_(limit) {}
  bool Write(const uint8_t* p, size_t n) override {
    if (n == 0) return true;
    if (Written + n > limit_) return false;
    Crc = zipfmt::Crc32(Crc, p, n);
    Data.append(reinterpret_cast<const char*>(p), std::min<size_t>(n, Keep - std::min(Keep, Data.size())));
    Written += n;
    return true;
  }
  uint64_t Written = 0;
  uint32_t Crc = 0;
  std::string Data;
  size_t Keep = 0;  // bytes of the data kept for comparison

private:
  uint64_t limit_;
};

// A path SafePath gave back: below the folder, in parts Windows keeps as
// they are.
void ExpectSafe(const std::string& path) {
  Expect(!path.empty() && path.front() != '\\' && path.back() != '\\');
  Expect(path.find_first_of(":/") == std::string::npos);
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    Expect(!part.empty() && part.find_first_not_of(". ") != std::string::npos);
    Expect(part.back() != '.' && part.back() != ' ');
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::string again;
  bool folder = false;
  Expect(SafePath(path, again, folder) == TNameProblem::None && again == path && !folder);
}

void ExpectResultFits(TDataResult r, const TZipEntry& e, const TCountingOutput& out) {
  Expect(out.Written <= e.Size);
  if (r == TDataResult::Ok) Expect(out.Written == e.Size && out.Crc == e.Crc);
}

// ---- mode 0: any bytes

void ReadAsStub(TFuzzInput& in) {
  std::string password = in.Bytes(in.Byte() % 16);
  std::string rest = in.Rest();
  zipfmt::TMemorySource src(Bytes(rest.begin(), rest.end()));

  uint64_t start = AppendedDataStart(src);
  Expect(start <= rest.size());
  TSFXSettings settings;
  if (start && rest.size() - start >= kSFXHeaderSize &&
      ParseSFXHeader(reinterpret_cast<const uint8_t*>(rest.data() + start), kSFXHeaderSize, settings))
    Expect(settings.Caption.size() + settings.DefaultDir.size() + settings.CommandLine.size() <= kSFXMaxTextTotal);

  TZipContents c = ReadZipContents(src);
  if (c.Problem != TZipProblem::None) {
    Expect(c.Items.empty());
    return;
  }
  size_t tried = 0;
  for (const TZipItem& item : c.Items) {
    ExpectSafe(item.Path);
    if (item.Folder || ++tried > 8) continue;
    if (item.Encrypted()) PasswordFits(src, item.Entry, password);
    TCountingOutput out(1u << 20);
    TDataResult r = ExtractEntry(src, item.Entry, password, out);
    ExpectResultFits(r, item.Entry, out);
  }
}

// ---- mode 1: a stub's file built from the input

// A PE program of a few sections whose raw data ends the program. `start`
// is where appended data starts: 0 when no section has raw data.
std::string Program(TFuzzInput& in, uint64_t& start) {
  uint16_t sections = static_cast<uint16_t>(1 + in.Byte() % 4), optional = in.Byte();
  std::string p(64, '\0');
  p[0] = 'M';
  p[1] = 'Z';
  p[0x3C] = 64;
  p += std::string("PE\0\0", 4) + std::string(20, '\0');
  p[64 + 6] = static_cast<char>(sections);
  p[64 + 20] = static_cast<char>(optional);
  p += in.Bytes(optional);
  p.resize(64 + 24 + optional, '\0');
  uint32_t headerEnd = static_cast<uint32_t>(p.size() + 40u * sections), end = headerEnd;
  start = 0;
  for (uint16_t i = 0; i < sections; ++i) {
    // Raw data anywhere from the end of the headers; an empty one counts
    // for nothing.
    uint32_t size = in.UInt16() % 4096, at = headerEnd + in.UInt16() % 4096;
    std::string s(40, '\0');
    for (int b = 0; b < 4; ++b) {
      s[16 + b] = static_cast<char>(size >> (8 * b));
      s[20 + b] = static_cast<char>(at >> (8 * b));
    }
    p += s;
    if (size) start = end = std::max(end, at + size);
  }
  p.resize(end, '\xCC');
  return p;
}

void BuildAndRead(TFuzzInput& in) {
  uint64_t start = 0;
  std::string program = Program(in, start);
  std::string caption = in.Bytes(in.Byte()), folder = in.Bytes(in.Byte()), command = in.Bytes(in.Byte());
  uint8_t flags = in.Byte();
  SFXOpts options;
  if (flags & 1) options.Include(SFXAskCmdLine);
  if (flags & 2) options.Include(SFXAskFiles);
  if (flags & 4) options.Include(SFXHideOverWriteBox);
  OvrOpts overwrite = (flags & 8) ? OvrAlways : (flags & 16) ? OvrNever : OvrConfirm;
  SFXHeader header;
  bool withHeader = BuildSFXHeader(caption, folder, command, options, overwrite, header);
  Expect(withHeader == (caption.size() + folder.size() + command.size() <= kSFXMaxTextTotal));
  std::string prefix = program + (withHeader ? std::string(header.begin(), header.end()) : std::string());
  // A password as typed: no NUL in it.
  std::string password = in.Bytes(in.Byte() % 16);
  std::replace(password.begin(), password.end(), '\0', '0');

  std::vector<fixture::TZipSample> files(in.Byte() % 6);
  for (fixture::TZipSample& f : files) {
    f.Name = in.Bytes(in.Byte() % 48);
    if (f.Name.empty()) f.Name = "n";
    f.Data = in.Bytes(in.UInt16() % 16384);
    f.Level = in.Byte() % 10;
    if (flags & 32) f.Password = password.c_str();
  }
  Bytes zip = fixture::ZipOf(files, prefix);
  Expect(!zip.empty());
  zipfmt::TMemorySource src(std::move(zip));

  Expect(AppendedDataStart(src) == start);
  // The settings block as the stub reads it: right behind the program.
  uint8_t block[kSFXHeaderSize];
  if (withHeader && start) {
    TSFXSettings s;
    Expect(src.ReadAt(start, block, sizeof block) && ParseSFXHeader(block, sizeof block, s));
    Expect(s.Caption == caption && s.DefaultDir == folder && s.CommandLine == command && s.Options == options &&
           s.OverWriteMode == overwrite);
  }

  TZipContents c = ReadZipContents(src);
  if (c.Problem != TZipProblem::None) {
    // Only a name the stubs will not write is refused.
    Expect(c.Problem == TZipProblem::Name);
    std::string path;
    bool isFolder = false;
    Expect(std::any_of(files.begin(), files.end(), [&](const fixture::TZipSample& f) {
      return f.Name == c.Detail && SafePath(f.Name, path, isFolder) != TNameProblem::None;
    }));
    return;
  }
  Expect(c.Items.size() == files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const TZipItem& item = c.Items[i];
    Expect(item.Entry.Name == files[i].Name);
    ExpectSafe(item.Path);
    if (item.Folder) continue;
    if (item.Encrypted()) Expect(PasswordFits(src, item.Entry, password));
    TCountingOutput out(1u << 20);
    out.Keep = files[i].Data.size();
    Expect(ExtractEntry(src, item.Entry, password, out) == TDataResult::Ok && out.Data == files[i].Data);
  }
}

// ---- mode 2: texts

void Texts(TFuzzInput& in) {
  std::string module = in.Bytes(in.Byte());
  std::string commandLine = in.Bytes(in.UInt16());
  std::string args = ArgumentsOf(commandLine, module);
  if (!args.empty()) {
    Expect(commandLine.find(args) != std::string::npos);
    Expect(args.front() != ' ' && args.front() != '\t' && args.back() != ' ' && args.back() != '\t');
  }

  std::string name = in.Rest(), path;
  bool folder = false;
  if (SafePath(name, path, folder) == TNameProblem::None) {
    ExpectSafe(path);
    Expect(folder == (name.back() == '/' || name.back() == '\\'));
  } else {
    Expect(path.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  switch (in.Byte() % 3) {
    case 0: ReadAsStub(in); break;
    case 1: BuildAndRead(in); break;
    default: Texts(in); break;
  }
  return 0;
}
