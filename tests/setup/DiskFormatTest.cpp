#include "DiskFormat.h"
#include "ScriptWriter.h"
#include "ZlibStream.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace fixture;

std::string Pattern(size_t size, uint32_t seed = 7) {
  std::string s(size, '\0');
  for (char& c : s) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>((seed >> 16) & 0xFF);  // hardly compressible
  }
  return s;
}

// Disks held in memory; records which were opened.
struct TDisks {
  std::map<int, std::string> Disk;
  std::vector<int> Opened;
  TFileDataReader Reader() {
    TFileDataReader r;
    r.OpenDisk = [this](int n) -> std::unique_ptr<IByteSource> {
      Opened.push_back(n);
      auto it = Disk.find(n);
      if (it == Disk.end()) throw Exception("no disk " + std::to_string(n));
      return std::make_unique<TMemorySource>(it->second);
    };
    return r;
  }
};

TDisks DisksOf(const TDataSet& set) {
  TDisks d;
  for (size_t i = 0; i < set.Disks.size(); ++i) d.Disk[static_cast<int>(i + 1)] = set.Disks[i];
  return d;
}

std::string Extract(TFileDataReader& reader, const TScriptFile& f, const TScriptFileLocation& l) {
  TStringSink sink;
  reader.ReadFileData(f, l, sink);
  return sink.Bytes;
}

void ExpectCorrupt(TFileDataReader& reader, const TScriptFile& f, const TScriptFileLocation& l, const char* name) {
  TStringSink sink;
  try {
    reader.ReadFileData(f, l, sink);
    ADD_FAILURE() << name << ": accepted";
  } catch (const EZlibError& e) {
    ADD_FAILURE() << name << ": zlib error passed on: " << e.Message();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The source file is corrupted") << name;
  }
}

TEST(FileData, SizesAcrossDisks) {
  const std::vector<TDataFileSpec> files = {
      {"", ""},
      {Pattern(32000), ""},
      {Pattern(64000, 3), ""},
      {std::string(10 * 1024 * 1024, '\0'), ""},
      {"after the zeros", ""},
  };
  // One disk, two disks, three and more disks of odd sizes.
  for (const std::vector<size_t>& caps : {std::vector<size_t>{}, std::vector<size_t>{50000},
                                          std::vector<size_t>{30001, 40000, 1000000}, std::vector<size_t>{9999}}) {
    TDataSet set = BuildDataSet(files, caps);
    SCOPED_TRACE(std::to_string(set.Disks.size()) + " disks");
    TDisks disks = DisksOf(set);
    TFileDataReader reader = disks.Reader();
    uint64_t read = 0;
    reader.OnRead = [&](size_t n) { read += n; };
    for (size_t i = 0; i < files.size(); ++i) {
      read = 0;
      EXPECT_TRUE(Extract(reader, set.Files[i], set.Locations[i]) == files[i].Content) << "file " << i;
      EXPECT_EQ(read, static_cast<uint64_t>(set.Files[i].CompressedSize)) << "file " << i;
    }
  }
}

TEST(FileData, StreamEndingAtTheEndOfADisk) {
  std::string content = Pattern(5000);
  TDataSet probe = BuildDataSet({{content, ""}}, {});
  size_t first = probe.Payload.size();
  TDataSet set = BuildDataSet({{content, ""}, {"second file", ""}}, {first});
  ASSERT_EQ(set.Disks.size(), 2u);
  ASSERT_EQ(set.Locations[0].LastDisk, 1);
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  EXPECT_EQ(Extract(reader, set.Files[0], set.Locations[0]), content);
  EXPECT_EQ(disks.Opened, std::vector<int>{1});
  // The next stream starts at offset 12 of the second disk.
  EXPECT_EQ(set.Locations[1].FirstDisk, 2);
  EXPECT_EQ(set.Locations[1].StartOffset, 12);
  EXPECT_EQ(Extract(reader, set.Files[1], set.Locations[1]), "second file");
}

TEST(FileData, ContinuesAfterTheNextDiskHeader) {
  std::string content = Pattern(1000);
  TDataSet set = BuildDataSet({{content, ""}}, {700});
  ASSERT_EQ(set.Locations[0].FirstDisk, 1);
  ASSERT_EQ(set.Locations[0].LastDisk, 2);
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  EXPECT_EQ(Extract(reader, set.Files[0], set.Locations[0]), content);
  EXPECT_EQ(disks.Opened, (std::vector<int>{1, 2}));
}

TEST(FileData, JunkAfterTheStream) {
  std::string content = Pattern(40000);
  TDataSet set = BuildDataSet({{content, std::string(70000, 'J')}, {"next", ""}}, {20000});
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  EXPECT_EQ(Extract(reader, set.Files[0], set.Locations[0]), content);
  EXPECT_EQ(Extract(reader, set.Files[1], set.Locations[1]), "next");
}

TEST(FileData, EmptyFileStillNeedsItsSignature) {
  TDataSet set = BuildDataSet({{"x", ""}}, {});
  TScriptFile f;
  f.UncompressedSize = f.CompressedSize = 0;
  f.Checksum = 1;
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  EXPECT_EQ(Extract(reader, f, set.Locations[0]), "");
  f.Checksum = 0;
  ExpectCorrupt(reader, f, set.Locations[0], "checksum of no data must be 1");
  TScriptFileLocation l = set.Locations[0];
  l.StartOffset += 1;
  f.Checksum = 1;
  ExpectCorrupt(reader, f, l, "no signature");
}

TEST(FileData, DataFile) {
  std::string content = Pattern(70000);
  TLoaderFile lf = BuildLoaderFile("prefix", TScriptFixture{}, {{"one", ""}, {content, ""}});
  TScriptFixture sf;
  TLoaderFile withRecords = BuildLoaderFile("prefix", sf, {{"one", ""}, {content, ""}});
  TMemorySource scriptSrc(withRecords.Bytes);
  scriptSrc.Seek(static_cast<uint64_t>(withRecords.ScriptOffset));
  ASSERT_TRUE(ReadScriptSignature(scriptSrc));
  TSetupScript s;
  s.ScriptHeader = ReadScriptHeader(scriptSrc);
  ReadScriptBody(scriptSrc, s);
  ASSERT_EQ(s.FileList.size(), 2u);

  TFileDataReader reader;
  reader.FileDataOffset = static_cast<uint64_t>(withRecords.FileDataOffset);
  reader.OpenDataFile = [&] { return std::make_unique<TMemorySource>(withRecords.Bytes); };
  reader.OpenDisk = [](int) -> std::unique_ptr<IByteSource> { throw Exception("no disk change in a data file"); };
  EXPECT_EQ(Extract(reader, s.FileList[0], s.LocationList[0]), "one");
  EXPECT_EQ(Extract(reader, s.FileList[1], s.LocationList[1]), content);
  // A stream running past the end of the data file does not look for a disk.
  TScriptFile f = s.FileList[1];
  f.CompressedSize += 1;
  ExpectCorrupt(reader, f, s.LocationList[1], "past the end of the data file");
}

TEST(FileData, Corruptions) {
  std::string content = Pattern(50000);
  const TDataSet set = BuildDataSet({{content, ""}}, {20000, 20000});
  ASSERT_EQ(set.Disks.size(), 3u);
  const TScriptFile file = set.Files[0];
  const TScriptFileLocation loc = set.Locations[0];

  struct TCase {
    const char* Name;
    std::function<void(TDisks&, TScriptFile&, TScriptFileLocation&)> Break;
  };
  const TCase cases[] = {
      {"bad checksum", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { f.Checksum ^= 1; }},
      {"uncompressed size one less", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { --f.UncompressedSize; }},
      {"uncompressed size one more", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { ++f.UncompressedSize; }},
      // (One byte less only cuts zlib's own trailer; the data checks still pass.)
      {"compressed size cut in half", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { f.CompressedSize /= 2; }},
      {"compressed size one more", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { ++f.CompressedSize; }},
      {"negative compressed size", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { f.CompressedSize = -1; }},
      {"negative uncompressed size", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { f.UncompressedSize = -4; }},
      {"huge compressed size", [](TDisks&, TScriptFile& f, TScriptFileLocation&) { f.CompressedSize = INT32_MAX; }},
      {"negative start offset", [](TDisks&, TScriptFile&, TScriptFileLocation& l) { l.StartOffset = -12; }},
      {"start offset off by one", [](TDisks&, TScriptFile&, TScriptFileLocation& l) { ++l.StartOffset; }},
      {"disk size field one more",
       [](TDisks& d, TScriptFile&, TScriptFileLocation&) { d.Disk[1][8] = static_cast<char>(d.Disk[1][8] + 1); }},
      {"disk size field one less on disk 2",
       [](TDisks& d, TScriptFile&, TScriptFileLocation&) { d.Disk[2][8] = static_cast<char>(d.Disk[2][8] - 1); }},
      {"bad disk signature", [](TDisks& d, TScriptFile&, TScriptFileLocation&) { d.Disk[1][0] = 'I'; }},
      {"bad zlb signature", [](TDisks& d, TScriptFile&, TScriptFileLocation& l) { d.Disk[1][l.StartOffset + 3] = 0; }},
      {"truncated disk 3", [](TDisks& d, TScriptFile&, TScriptFileLocation&) { d.Disk[3].pop_back(); }},
      {"last disk too early", [](TDisks&, TScriptFile&, TScriptFileLocation& l) { l.LastDisk = 2; }},
      {"first disk after the last", [](TDisks&, TScriptFile&, TScriptFileLocation& l) { l.LastDisk = 0; }},
      {"disk 0", [](TDisks&, TScriptFile&, TScriptFileLocation& l) { l.FirstDisk = 0; }},
      {"disks 2 and 3 swapped", [](TDisks& d, TScriptFile&, TScriptFileLocation&) { std::swap(d.Disk[2], d.Disk[3]); }},
      {"flipped stream byte", [](TDisks& d, TScriptFile&, TScriptFileLocation&) { d.Disk[2][5000] ^= 0x20; }},
  };
  for (const TCase& c : cases) {
    TDisks disks = DisksOf(set);
    TScriptFile f = file;
    TScriptFileLocation l = loc;
    c.Break(disks, f, l);
    TFileDataReader reader = disks.Reader();
    ExpectCorrupt(reader, f, l, c.Name);
  }
  // The unbroken set reads, so every case above failed for its own fault.
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  EXPECT_EQ(Extract(reader, file, loc), content);
}

TEST(FileData, FirstDiskAfterLastDoesNotLoopThroughDisks) {
  std::string content = Pattern(3000);
  TDataSet set = BuildDataSet({{content, ""}}, {1000});
  TDisks disks = DisksOf(set);
  for (int n = 3; n < 50; ++n) disks.Disk[n] = set.Disks[1];
  TScriptFileLocation l = set.Locations[0];
  l.FirstDisk = 1;
  l.LastDisk = -3;
  TFileDataReader reader = disks.Reader();
  ExpectCorrupt(reader, set.Files[0], l, "last disk below first");
  EXPECT_EQ(disks.Opened, std::vector<int>{1});
}

TEST(FileData, OnReadMayStopTheCopy) {
  TDataSet set = BuildDataSet({{Pattern(100000), ""}}, {});
  TDisks disks = DisksOf(set);
  TFileDataReader reader = disks.Reader();
  reader.OnRead = [](size_t) { throw Exception("cancelled"); };
  TStringSink sink;
  try {
    reader.ReadFileData(set.Files[0], set.Locations[0], sink);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "cancelled");
  }
}

}  // namespace
