// Writes the seed corpora of the two fuzz targets:
//   MakeSetupCorpus <dir>  ->  <dir>/script/*, <dir>/data/*
#include "DiskFormat.h"
#include "ScriptWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace fixture;

namespace {

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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

// A data seed in the fuzz target's layout.
std::string DataSeed(const TDataSet& set, size_t file, bool dataFile) {
  const TScriptFile& f = set.Files[file];
  const TScriptFileLocation& l = set.Locations[file];
  int disks = dataFile ? 1 : static_cast<int>(set.Disks.size());
  std::string s(1, static_cast<char>((dataFile ? 1 : 0) | ((disks - 1) << 1) | 8));
  s += Int32(f.CompressedSize) + Int32(f.UncompressedSize) + UInt32(f.Checksum);
  if (dataFile) {
    // FileDataOffset = 1 + (LastDisk & 0xFF): put the payload there.
    s += Int32(1) + Int32(3) + Int32(static_cast<int32_t>(set.FileStarts[file]));
    return s + std::string(4, '\0') + set.Payload;
  }
  s += Int32(l.FirstDisk) + Int32(l.LastDisk) + Int32(l.StartOffset);
  for (int i = 0; i + 1 < disks; ++i) {
    uint16_t n = static_cast<uint16_t>(set.Disks[static_cast<size_t>(i)].size() - kDiskHeaderSize);
    s += std::string(1, static_cast<char>(n & 0xFF)) + std::string(1, static_cast<char>(n >> 8));
  }
  for (const std::string& d : set.Disks) s += d.substr(kDiskHeaderSize);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeSetupCorpus <dir>\n");
    return 2;
  }
  std::string dir = argv[1];
  Put(dir + "/script/raw", std::string(1, '\0') + Sample(false).Build());
  Put(dir + "/script/compressed", std::string(1, '\0') + Sample(true).Build());
  Put(dir + "/script/empty", std::string(1, '\0') + TScriptFixture{}.Build());
  std::string assembled(1, '\1');
  std::string header = EncodeHeader(Sample(false).Script.ScriptHeader);
  assembled += header.substr(0, 288) + Int32(1) + Int32(1) + Int32(1) + Int32(1) + Int32(1) + Int32(1) + Int32(1) +
               Int32(5) + Int32(0) + Int32(0) + header.substr(328);
  for (int i = 0; i < 12; ++i) assembled += std::string(1, static_cast<char>(i % 3)) + std::string("\x04\x00" "abcd", 6);
  Put(dir + "/script/assembled", assembled);

  TDataSet set = BuildDataSet({{"hello", ""}, {std::string(3000, 'x'), "junk"}, {std::string(2000, 'q'), ""}}, {40});
  for (size_t i = 0; i < set.Files.size(); ++i) Put(dir + "/data/disks" + std::to_string(i), DataSeed(set, i, false));
  Put(dir + "/data/datafile", DataSeed(set, 1, true));
  return 0;
}
