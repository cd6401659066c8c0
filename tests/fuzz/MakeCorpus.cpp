// Writes the seed inputs of one fuzz target, made by the same writers and
// fixtures the readers' tests use:  MakeCorpus <target> <folder>
#include "AniWriter.h"
#include "DiskFormat.h"
#include "ProjectFile.h"
#include "SFX.h"
#include "ScriptWriter.h"
#include "ZipFixture.h"
#include "ZipFormat.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

using namespace fixture;

namespace {

std::string folder;

void Put(const std::string& name, const std::string& bytes) {
  std::ofstream(folder + "/" + name, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }

// ---- setup script and file data

TScriptFixture Sample(bool compressed) {
  TScriptFixture f;
  f.Compressed = compressed;
  TSetupScript& s = f.Script;
  s.ScriptHeader.ProgramName = "Seed";
  s.ScriptHeader.MinWinMajor = s.ScriptHeader.MinNTMajor = 4;
  s.LicenseText = "license text";
  s.InfoAfterText = "after";
  s.FolderList = {{"{app}\\d"}};
  s.FileList.resize(1);
  s.LocationList.resize(1);
  s.IconList.resize(1);
  s.IniList.resize(1);
  TScriptRegEntry r;
  r.ValueType = rtBinary;
  r.ValueData[0] = 8;
  s.RegistryList = {r};
  s.UninstallDeleteList.resize(1);
  s.RunList.resize(1);
  return f;
}

void ScriptSeeds() {
  Put("raw", Byte(0) + Sample(false).Build());
  Put("compressed", Byte(0) + Sample(true).Build());
  Put("empty", Byte(0) + TScriptFixture{}.Build());
  TScriptFixture big = Sample(true);
  big.Script.InfoBeforeText = std::string(100000, 'i');
  Put("large-text", Byte(0) + big.Build());

  // Assembled: a header with one record of each kind and a short license,
  // then blocks of each way of storing.
  std::string header = EncodeHeader(Sample(false).Script.ScriptHeader);
  std::string assembled = Byte(1) + header.substr(0, 288);
  for (int i = 0; i < 7; ++i) assembled += Int32(1);
  assembled += Int32(5) + Int32(0) + Int32(0) + header.substr(328);
  assembled += Byte(0);  // the header block, raw
  // Each block: its data's length and bytes, then how it is stored.
  for (int i = 0; i < 12; ++i) assembled += std::string("\x04\x00" "abcd", 6) + Byte(i % 3);
  Put("assembled", assembled);
  // Assembled with a license that is only claimed, far beyond its block.
  std::string claimed = Byte(1) + header.substr(0, 316) + Int32(0x7FFFFFF0) + Int32(0) + Int32(0) +
                        header.substr(328) + Byte(0) + Byte(2) + "\x10\x00" "0123456789abcdef" + UInt32(1);
  Put("claimed", claimed);
}

// A data seed in FuzzFileData's layout.
std::string DataSeed(const TDataSet& set, size_t file, bool dataFile) {
  const TScriptFile& f = set.Files[file];
  const TScriptFileLocation& l = set.Locations[file];
  int disks = dataFile ? 1 : static_cast<int>(set.Disks.size());
  std::string s = Byte((dataFile ? 1 : 0) | ((disks - 1) << 1) | 8);
  s += Int32(f.CompressedSize) + Int32(f.UncompressedSize) + UInt32(f.Checksum);
  if (dataFile) {
    // FileDataOffset = 1 + (LastDisk & 0xFF): put the payload there.
    s += Int32(1) + Int32(3) + Int32(static_cast<int32_t>(set.FileStarts[file]));
    return s + std::string(4, '\0') + set.Payload;
  }
  s += Int32(l.FirstDisk) + Int32(l.LastDisk) + Int32(l.StartOffset);
  for (int i = 0; i + 1 < disks; ++i) {
    size_t n = set.Disks[static_cast<size_t>(i)].size() - kDiskHeaderSize;
    s += Byte(static_cast<int>(n & 0xFF)) + Byte(static_cast<int>(n >> 8));
  }
  for (const std::string& d : set.Disks) s += d.substr(kDiskHeaderSize);
  return s;
}

void DataSeeds() {
  TDataSet set = BuildDataSet({{"hello", ""}, {std::string(3000, 'x'), "junk"}, {std::string(2000, 'q'), ""}}, {40});
  for (size_t i = 0; i < set.Files.size(); ++i) Put("disks" + std::to_string(i), DataSeed(set, i, false));
  Put("datafile", DataSeed(set, 1, true));
  // A stream longer than one read of the driver, over two disks.
  std::string text;
  for (int i = 0; text.size() < 120000; ++i) text += std::to_string(i * 7919) + " ";
  TDataSet big = BuildDataSet({{text, ""}}, {30000});
  Put("two-reads", DataSeed(big, 0, false));
}

// ---- zip archives

std::string MakeZip(const std::vector<TZipSample>& files, const std::string& comment = {}) {
  zipfmt::Bytes zip = ZipOf(files, "", comment);
  return std::string(zip.begin(), zip.end());
}

// One stored entry followed by a signed data descriptor (flag bit 3).
std::string DescriptorZip() {
  std::string plain = MakeZip({{"d.txt", "with a descriptor", 0}});
  zipfmt::TMemorySource src(zipfmt::Bytes(plain.begin(), plain.end()));
  zipfmt::TZipDirectory dir;
  zipfmt::ReadZipDirectory(src, dir);
  zipfmt::TZipEntry e = dir.Entries[0];
  std::string zip = plain.substr(0, static_cast<size_t>(e.LocalSpan));
  zip[6] = static_cast<char>(zip[6] | zipfmt::kFlagDescriptor);
  e.Flags |= zipfmt::kFlagDescriptor;
  zipfmt::Bytes tail;
  zipfmt::Put32(tail, zipfmt::kDescriptorSig);
  zipfmt::Put32(tail, e.Crc);
  zipfmt::Put32(tail, e.CompressedSize);
  zipfmt::Put32(tail, e.Size);
  uint32_t cdOffset = static_cast<uint32_t>(zip.size() + tail.size());
  zipfmt::Bytes cd = zipfmt::EncodeCentralHeader(e, 0);
  tail.insert(tail.end(), cd.begin(), cd.end());
  zipfmt::Bytes end = zipfmt::EncodeEndRecord(1, static_cast<uint32_t>(cd.size()), cdOffset, {});
  tail.insert(tail.end(), end.begin(), end.end());
  return zip + std::string(tail.begin(), tail.end());
}

// The encrypted one's password is "seed".
const std::vector<TZipSample> kFiles = {
    {"readme.txt", "A short text to pack.\r\n", 0},
    {"dir/data.bin", std::string(3000, 'z') + "tail", 9},
    {"secret.txt", "hidden words", 6, "seed"},
};

// A Windows zip self-extractor: stub, settings block, zip (offsets not
// adjusted).
std::string SelfExtractor(const std::string& stub, const std::string& zip) {
  SFXHeader h;
  BuildSFXHeader("Self-extracting Archive", "C:\\Out", "setup.exe", SFXOpts{SFXAskFiles}, OvrNever, h);
  return stub + std::string(h.begin(), h.end()) + zip;
}

void ZipSeeds(bool archiveTarget) {
  std::string zip = MakeZip(kFiles, "comment");
  std::string stub = "MZ" + std::string(2000, '\x90');
  std::string plain = Byte(0) + (archiveTarget ? Byte(0) + Byte(0) : std::string());
  Put("zip", plain + zip);
  Put("one-entry", plain + MakeZip({kFiles[0]}));
  Put("descriptor", plain + DescriptorZip());
  Put("sfx", plain + SelfExtractor(stub, zip));
  auto empty = EmptyZipRecord();
  Put("empty-sfx", plain + SelfExtractor(stub, std::string(empty.begin(), empty.end())));
  // A stub larger than the search window: padding flag, 70000 bytes of NOPs.
  std::string padded = Byte(1) + Int32(70000) + Byte(0x90);
  if (archiveTarget) padded += Byte(0) + Byte(0);
  Put("large-stub", padded + SelfExtractor("", zip));
  if (!archiveTarget) {
    // Self-extractors built by the target: no stub bytes, a caption, 2 entries.
    std::string built = Byte(2) + "\x04\x00" "MZMZ" + Byte(5) + "Title" + Byte(0) + Byte(0) + Byte(2);
    built += Byte(5) + "a.txt" + "\x03\x00" "abc" + Byte(5) + "b.txt" + "\x00\x00";
    Put("built", built);
  } else {
    // A name and content for the added entry.
    Put("named", Byte(2) + Byte(7) + "new.txt" + Byte(5) + "added" + zip);
  }
}

// ---- the extractor stubs

// A PE program of one section whose raw data ends the file.
std::string Program() {
  std::string p = "MZ" + std::string(58, '\0') + Int32(64) + std::string("PE\0\0", 4) + std::string(20, '\0');
  p[64 + 6] = 1;
  std::string section(40, '\0');
  section.replace(16, 8, Int32(512) + Int32(256));
  p += section;
  p.resize(256 + 512, '\xCC');
  return p;
}

void StubSeeds() {
  // Mode 0, a stub's own file behind the password: program, settings
  // block, zip.
  std::string password = "seed";
  Put("stub-file", Byte(0) + Byte(4) + password + SelfExtractor(Program(), MakeZip(kFiles)));
  Put("stub-no-settings", Byte(0) + Byte(0) + Program() + MakeZip({kFiles[0], kFiles[1]}));
  Put("stub-descriptor", Byte(0) + Byte(0) + Program() + DescriptorZip());
  // Mode 1, built: two sections, texts, flags, password, three entries.
  std::string built = Byte(1) + Byte(1) + Byte(0) + "\x00\x02\x00\x00" "\x00\x01\x00\x02";
  built += Byte(5) + "Title" + Byte(6) + "C:\\Out" + Byte(0) + Byte(32 | 2) + Byte(2) + "pw" + Byte(3);
  built += Byte(5) + "a.txt" + "\x03\x00" "abc" + Byte(9);
  built += Byte(10) + "dir/b.text" + "\x40\x00" + std::string(64, 'b') + Byte(6);
  built += Byte(4) + "dir/" + "\x00\x00" + Byte(0);
  Put("built", built);
  // Mode 2: the program's path, a command line, an entry name.
  std::string module = "C:\\My Dir\\Out.exe", line = "C:\\My Dir\\Out.exe -t \"x y\"";
  Put("arguments", Byte(2) + Byte(static_cast<int>(module.size())) + module + Byte(static_cast<int>(line.size())) +
                       Byte(0) + line + "docs\\read me.txt");
  Put("quoted", Byte(2) + Byte(0) + Byte(12) + Byte(0) + "\"a b\" -d C:\\" + "../up");
}

// ---- project files

void ProjectSeeds() {
  for (TArchiveKind kind : {akCabinetArchive, akCabinetSFX, akZipArchive, akZipSFX}) {
    TSettingsValues v;
    v.Values.Kind = kind;
    v.Values.Title = "Seed project";
    v.Values.OutputFileName = "C:\\OUT\\SEED.EXE";
    v.Values.Sources = {{"C:\\DATA\\A.TXT", false}, {"C:\\DATA\\DOCS\\", true}, {"C:\\DATA\\B.TXT", false}};
    v.Values.Password = "word";
    v.Values.SaveFolderNames = v.Values.ForceDOSNames = true;
    v.Values.RunAfterExtraction = "setup.exe";
    Put(std::string("kind") + std::to_string(kind), WriteProjectRecord(ProjectRecordFrom(v)));
  }
  Put("layout100", std::string(kProjectHeader100) + "\r\nx\r\nx\r\n\r\nT\r\nO\r\nZip Archive\r\n" + kFilesStart +
                       "\r\n" + kFilesEnd + "\r\n" + kFoldersStart + "\r\n" + kFoldersEnd + "\r\nY\r\nN\r\n7\r\npw\r\n");
  Put("cut-in-block", std::string(kProjectHeader160) + "\n\n\n\nT\nO\nCabinet SFX\n" + kFilesStart + "\nC:\\A\n");
}

// ---- animated icons

void AniSeeds() {
  using fixture::TAniInfo;
  auto put = [](const std::string& name, const fixture::TAniOptions& o) {
    std::vector<uint8_t> file = fixture::AniFile(o);
    Put(name, Byte(0) + std::string(file.begin(), file.end()));
  };
  put("plain", {});
  fixture::TAniOptions o;
  o.Info = TAniInfo::ThreeTexts;
  o.Rates = {6, 12, 30};
  o.Sequence = {2, 1, 0, 1};
  put("info-rate-sequence", o);
  o = {};
  o.Frames = 1;
  o.ExtraImageBytes = 5000;  // beyond what a frame holds
  put("large-frame", o);
  // Generated by the target: 4 frames, two texts, a rate and a sequence.
  Put("generated", Byte(1) + Byte(4) + Byte(0xFF) + Byte(2) + Byte(4) + Byte(4) + Byte(6) + Byte(4) + Byte(1) +
                       Byte(0) + Byte(0) + Byte(0) + Byte(0));
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, std::function<void()>> makers = {
      {"FuzzScript", ScriptSeeds},
      {"FuzzFileData", DataSeeds},
      {"FuzzZipDir", [] { ZipSeeds(false); }},
      {"FuzzZipArchive", [] { ZipSeeds(true); }},
      {"FuzzProjectFile", ProjectSeeds},
      {"FuzzAniFile", AniSeeds},
      {"FuzzStubArchive", StubSeeds},
  };
  auto maker = argc == 3 ? makers.find(argv[1]) : makers.end();
  if (maker == makers.end()) {
    std::fprintf(stderr, "usage: MakeCorpus <fuzz target> <folder>\n");
    return 2;
  }
  folder = argv[2];
  maker->second();
  return 0;
}
