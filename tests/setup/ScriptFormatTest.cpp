#include "ScriptFormat.h"
#include "ScriptWriter.h"
#include "ZlibStream.h"

#include <gtest/gtest.h>

namespace {

using namespace fixture;

// One record of every kind, with texts.
TSetupScript FullScript() {
  TSetupScript s;
  TScriptHeader& h = s.ScriptHeader;
  h.ProgramName = "My Program";
  h.ProgramVerName = "My Program 1.5";
  h.NoticeLine = "Copyright notice";
  h.DefaultDirName = "MyProg";
  h.DefaultGroupName = "My Group";
  h.MinWinMajor = 4;
  h.MinNTMajor = 3;
  h.MinNTMinor = 51;
  h.BackColor = 0x00FF0000;
  h.HeaderOptions = hoUninstallable | hoRestartNeeded;
  s.LicenseText = "License\r\nText";
  s.InfoBeforeText = std::string("Before\0with a NUL", 17);
  s.InfoAfterText = std::string(70000, 'a');
  s.FolderList = {{"{app}\\Data"}, {"{app}\\Help"}};
  TScriptFile f1;
  f1.DestName = "{app}\\prog.exe";
  f1.FileTime = {0x89ABCDEF, 0x01234567};
  f1.FileVersionMS = 0x00010005;
  f1.FileVersionLS = 7;
  f1.UncompressedSize = 1000;
  f1.CompressedSize = 300;
  f1.Checksum = 0xCAFEBABE;
  f1.OverwriteMode = 3;
  f1.FileOptions = foRegisterServer | foSharedFile;
  TScriptFile f2;
  f2.DestName = "{sys}\\x.dll";
  f2.UncompressedSize = 5;
  s.FileList = {f1, f2};
  s.LocationList = {{1, 2, 12}, {2, 2, 4000}};
  s.IconList = {{"Icon", "{app}\\prog.exe", "-x", "{app}", "{app}\\prog.ico", 3}};
  s.IniList = {{"", "Section", "Key", "Value", 0x03}};
  TScriptRegEntry r;
  r.RootKey = static_cast<int32_t>(0x80000002);
  r.Subkey = "Software\\Maker\\Prog";
  r.ValueName = "Path";
  r.ValueType = rtString;
  r.RegOptions = 0x02;
  std::string v = "{app}";
  std::copy(v.begin(), v.end(), r.ValueData.begin());
  s.RegistryList = {r};
  s.UninstallDeleteList = {{"{app}\\*.log"}};
  s.RunList = {{"{app}\\setup2.exe", "/q", 0x01}};
  return s;
}

void ExpectSame(const TSetupScript& a, const TSetupScript& b) {
  EXPECT_EQ(a.ScriptHeader.ProgramName, b.ScriptHeader.ProgramName);
  EXPECT_EQ(a.ScriptHeader.ProgramVerName, b.ScriptHeader.ProgramVerName);
  EXPECT_EQ(a.ScriptHeader.NoticeLine, b.ScriptHeader.NoticeLine);
  EXPECT_EQ(a.ScriptHeader.DefaultDirName, b.ScriptHeader.DefaultDirName);
  EXPECT_EQ(a.ScriptHeader.DefaultGroupName, b.ScriptHeader.DefaultGroupName);
  EXPECT_EQ(a.ScriptHeader.MinNTMinor, b.ScriptHeader.MinNTMinor);
  EXPECT_EQ(a.ScriptHeader.BackColor, b.ScriptHeader.BackColor);
  EXPECT_EQ(a.ScriptHeader.HeaderOptions, b.ScriptHeader.HeaderOptions);
  EXPECT_EQ(a.LicenseText, b.LicenseText);
  EXPECT_EQ(a.InfoBeforeText, b.InfoBeforeText);
  EXPECT_EQ(a.InfoAfterText, b.InfoAfterText);
  ASSERT_EQ(a.FolderList.size(), b.FolderList.size());
  EXPECT_EQ(a.FolderList[1].DirName, b.FolderList[1].DirName);
  ASSERT_EQ(a.FileList.size(), b.FileList.size());
  for (size_t i = 0; i < a.FileList.size(); ++i) {
    const TScriptFile &x = a.FileList[i], &y = b.FileList[i];
    EXPECT_EQ(x.DestName, y.DestName);
    EXPECT_EQ(x.FileTime.LowDateTime, y.FileTime.LowDateTime);
    EXPECT_EQ(x.FileTime.HighDateTime, y.FileTime.HighDateTime);
    EXPECT_EQ(x.FileVersionMS, y.FileVersionMS);
    EXPECT_EQ(x.FileVersionLS, y.FileVersionLS);
    EXPECT_EQ(x.UncompressedSize, y.UncompressedSize);
    EXPECT_EQ(x.CompressedSize, y.CompressedSize);
    EXPECT_EQ(x.Checksum, y.Checksum);
    EXPECT_EQ(x.OverwriteMode, y.OverwriteMode);
    EXPECT_EQ(x.FileOptions, y.FileOptions);
    EXPECT_EQ(a.LocationList[i].FirstDisk, b.LocationList[i].FirstDisk);
    EXPECT_EQ(a.LocationList[i].LastDisk, b.LocationList[i].LastDisk);
    EXPECT_EQ(a.LocationList[i].StartOffset, b.LocationList[i].StartOffset);
  }
  ASSERT_EQ(a.IconList.size(), 1u);
  ASSERT_EQ(b.IconList.size(), 1u);
  EXPECT_EQ(a.IconList[0].IconParameters, b.IconList[0].IconParameters);
  EXPECT_EQ(a.IconList[0].IconFilename, b.IconList[0].IconFilename);
  EXPECT_EQ(a.IconList[0].IconIndex, b.IconList[0].IconIndex);
  ASSERT_EQ(b.IniList.size(), 1u);
  EXPECT_EQ(a.IniList[0].IniValue, b.IniList[0].IniValue);
  EXPECT_EQ(a.IniList[0].IniOptions, b.IniList[0].IniOptions);
  ASSERT_EQ(b.RegistryList.size(), 1u);
  EXPECT_EQ(a.RegistryList[0].RootKey, b.RegistryList[0].RootKey);
  EXPECT_EQ(a.RegistryList[0].Subkey, b.RegistryList[0].Subkey);
  EXPECT_EQ(a.RegistryList[0].ValueName, b.RegistryList[0].ValueName);
  EXPECT_EQ(a.RegistryList[0].ValueString(), b.RegistryList[0].ValueString());
  EXPECT_EQ(a.RegistryList[0].RegOptions, b.RegistryList[0].RegOptions);
  ASSERT_EQ(b.UninstallDeleteList.size(), 1u);
  EXPECT_EQ(a.UninstallDeleteList[0].DeleteName, b.UninstallDeleteList[0].DeleteName);
  ASSERT_EQ(b.RunList.size(), 1u);
  EXPECT_EQ(a.RunList[0].RunParameters, b.RunList[0].RunParameters);
  EXPECT_EQ(a.RunList[0].RunOptions, b.RunList[0].RunOptions);
}

TSetupScript Load(const std::string& bytes, uint64_t offset = 0) {
  TMemorySource src(bytes);
  src.Seek(offset);
  EXPECT_TRUE(ReadScriptSignature(src));
  TSetupScript s;
  s.ScriptHeader = ReadScriptHeader(src);
  ReadScriptBody(src, s);
  return s;
}

TEST(ScriptLoader, EveryRecordKindRawAndCompressed) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "compressed" : "raw");
    TScriptFixture f;
    f.Script = FullScript();
    f.Compressed = compressed;
    std::string bytes = f.Build();
    ExpectSame(Load(bytes), f.Script);
    // Bytes after the last block are ignored; a leading offset is honoured.
    ExpectSame(Load("0123456789" + bytes + "trailing junk", 10), f.Script);
  }
}

TEST(ScriptLoader, ExactBlockLayout) {
  // No texts: the folder block follows the header block at once; two files
  // give two file blocks, then two location blocks.
  TScriptFixture f;
  f.Script.FolderList = {{"A"}};
  f.Script.FileList.resize(2);
  f.Script.LocationList = {{1, 1, 12}, {1, 1, 20}};
  std::string bytes = f.Build();
  size_t pos = 8 + 16 + kScriptHeaderSize;
  auto blockSize = [&](size_t at) { return GetInt32(reinterpret_cast<const uint8_t*>(bytes.data() + at + 8)); };
  EXPECT_EQ(blockSize(pos), 48);
  pos += 16 + 48;
  EXPECT_EQ(blockSize(pos), 94);
  EXPECT_EQ(blockSize(pos + 16 + 94), 94);
  pos += 2 * (16 + 94);
  EXPECT_EQ(blockSize(pos), 12);
  EXPECT_EQ(blockSize(pos + 16 + 12), 12);
  EXPECT_EQ(bytes.size(), pos + 2 * (16 + 12));
}

TEST(ScriptLoader, NegativeCountsAndSizesReadNothing) {
  TScriptFixture f;
  f.KeepHeaderCounts = true;
  TScriptHeader& h = f.Script.ScriptHeader;
  h.FolderCount = h.FileCount = h.IconCount = h.IniEntryCount = -1;
  h.RegistryEntryCount = h.UninstallDeleteCount = INT32_MIN;
  h.RunEntryCount = -5;
  h.LicenseSize = h.InfoBeforeSize = h.InfoAfterSize = -100;
  TSetupScript s = Load(f.Build());
  EXPECT_TRUE(s.FolderList.empty());
  EXPECT_TRUE(s.FileList.empty());
  EXPECT_TRUE(s.LocationList.empty());
  EXPECT_TRUE(s.RunList.empty());
  EXPECT_TRUE(s.LicenseText.empty());
}

TEST(ScriptLoader, HugeCountsAndSizesFailWithoutAllocating) {
  for (int which = 0; which < 3; ++which) {
    TScriptFixture f;
    f.KeepHeaderCounts = true;
    TScriptHeader& h = f.Script.ScriptHeader;
    if (which == 0) h.FileCount = INT32_MAX;
    if (which == 1) h.LicenseSize = INT32_MAX;
    if (which == 2) h.InfoAfterSize = 0x7FFFFFF0;
    std::string bytes = f.Build();
    TMemorySource src(bytes);
    ASSERT_TRUE(ReadScriptSignature(src));
    TSetupScript s;
    s.ScriptHeader = ReadScriptHeader(src);
    EXPECT_THROW(ReadScriptBody(src, s), EZlibDataError) << which;
  }
}

TEST(ScriptLoader, StringLengthsBeyondTheFieldAreClamped) {
  std::string header = EncodeHeader({});
  header[0] = static_cast<char>(200);   // ProgramName string[63]
  header[192] = static_cast<char>(255);  // DefaultDirName string[47]
  std::fill(header.begin() + 1, header.begin() + 64, 'N');
  TScriptHeader h = DecodeScriptHeader(reinterpret_cast<const uint8_t*>(header.data()));
  EXPECT_EQ(h.ProgramName, std::string(63, 'N'));
  EXPECT_EQ(h.ProgramVerName, "");
  EXPECT_EQ(h.DefaultDirName.size(), 47u);

  std::string folder = ShortString("abc", 47, 48);
  EXPECT_EQ(DecodeScriptFolder(reinterpret_cast<const uint8_t*>(folder.data())).DirName.size(), 47u);
  std::string run = EncodeRunEntry({"a", "b", 0});
  run[64] = static_cast<char>(128);  // RunParameters string[127]
  EXPECT_EQ(DecodeScriptRunEntry(reinterpret_cast<const uint8_t*>(run.data())).RunParameters.size(), 127u);
}

TEST(ScriptLoader, RegistryFieldsStayInTheRecord) {
  TScriptRegEntry r;
  r.Subkey = std::string(128, 'k');  // full char[128], no NUL
  r.ValueName = "Name";
  r.ValueType = rtBinary;
  r.ValueData.fill(0xAB);
  r.ValueData[0] = 255;  // binary count beyond the 252 bytes there are
  std::string bytes = EncodeRegEntry(r);
  ASSERT_EQ(bytes.size(), kScriptRegEntrySize);
  TScriptRegEntry d = DecodeScriptRegEntry(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(d.Subkey, std::string(128, 'k'));
  EXPECT_EQ(d.ValueName, "Name");
  EXPECT_EQ(d.ValueBinary().size(), 252u);
  d.ValueData[0] = 3;
  EXPECT_EQ(d.ValueBinary(), "\xAB\xAB\xAB");
  d.ValueData.fill('s');
  EXPECT_EQ(d.ValueString().size(), 256u);
  d.ValueData = {};
  d.ValueData[0] = 0x78;
  d.ValueData[3] = 0x12;
  EXPECT_EQ(d.ValueDWord(), 0x12000078u);
}

TEST(ScriptLoader, RecordSizes) {
  EXPECT_EQ(EncodeHeader({}).size(), kScriptHeaderSize);
  EXPECT_EQ(EncodeFolder({}).size(), kScriptFolderSize);
  EXPECT_EQ(EncodeFile({}).size(), kScriptFileSize);
  EXPECT_EQ(EncodeLocation({}).size(), kScriptFileLocationSize);
  EXPECT_EQ(EncodeIcon({}).size(), kScriptIconSize);
  EXPECT_EQ(EncodeIniEntry({}).size(), kScriptIniEntrySize);
  EXPECT_EQ(EncodeUninstallDelete({}).size(), kScriptUninstallDeleteSize);
  EXPECT_EQ(EncodeRunEntry({}).size(), kScriptRunEntrySize);
}

TEST(CheckedBlock, RefusedBlocks) {
  const std::string data = std::string(300, 'd') + "tail";
  struct TCase {
    const char* Name;
    TBlockOptions Options;
    size_t Asked;
  };
  auto opt = [](bool compressed) {
    TBlockOptions o;
    o.Compressed = compressed;
    return o;
  };
  std::vector<TCase> cases;
  for (bool c : {false, true}) {
    TBlockOptions o = opt(c);
    o.BadHeaderCheck = true;
    cases.push_back({c ? "compressed, bad header check" : "raw, bad header check", o, data.size()});
    o = opt(c);
    o.BadDataCheck = true;
    cases.push_back({c ? "compressed, bad data check" : "raw, bad data check", o, data.size()});
    o = opt(c);
    cases.push_back({c ? "compressed, one byte less asked" : "raw, one byte less asked", o, data.size() - 1});
    cases.push_back({c ? "compressed, one byte more asked" : "raw, one byte more asked", o, data.size() + 1});
    o.TruncateBy = 1;
    cases.push_back({c ? "compressed, truncated" : "raw, truncated", o, data.size()});
    o = opt(c);
    o.TruncateBy = o.Compressed ? 100000 : 300;
    cases.push_back({c ? "compressed, nothing left" : "raw, cut in the data", o, data.size()});
  }
  TBlockOptions o = opt(true);
  o.OverrideStoredSize = true;
  o.StoredSize = -2;
  cases.push_back({"negative stored size", o, data.size()});
  o.StoredSize = INT32_MIN;
  cases.push_back({"most negative stored size", o, data.size()});
  o.StoredSize = INT32_MAX;
  cases.push_back({"stored size beyond the data", o, data.size()});
  o.StoredSize = static_cast<int32_t>(Deflate(data).size()) + 1;
  cases.push_back({"stored size one byte beyond", o, data.size()});
  o = opt(true);
  o.StreamOverride = Deflate(data.substr(0, 200));  // inflates to less...
  o.BadDataCheck = false;
  cases.push_back({"stream inflates to less", o, data.size()});
  o.StreamOverride = Deflate(data + "more");
  cases.push_back({"stream inflates to more", o, data.size()});
  o.StreamOverride = "\x78\x9c garbage garbage";
  cases.push_back({"corrupt stream", o, data.size()});

  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string block = CheckedBlock(data, c.Options);
    TMemorySource src(block);
    try {
      ReadCheckedBlock(src, c.Asked);
      ADD_FAILURE() << "accepted";
    } catch (const EZlibDataError& e) {
      EXPECT_EQ(e.Message(), "zlib: Compressed data is corrupted");
    }
  }
}

TEST(CheckedBlock, ShortStreamWithMatchingChecksumIsRefused) {
  // A stream that inflates to fewer bytes than stated, whose data check is
  // right for those fewer bytes.
  std::string shortData(100, 's');
  std::string fields = Int32(static_cast<int32_t>(Deflate(shortData).size())) + Int32(337) + UInt32(Adler(shortData));
  std::string block = UInt32(Adler(fields)) + fields + Deflate(shortData);
  TMemorySource src(block);
  EXPECT_THROW(ReadCheckedBlock(src, 337), EZlibDataError);
}

TEST(CheckedBlock, SizeBeyondWhatTheStreamCanHoldIsRefusedBeforeInflating) {
  // Deflate stores at best 1032 bytes in one byte of stream; zeros come
  // close, and must still be read.
  const std::string zeros(1 << 20, '\0');
  const std::string stream = Deflate(zeros);
  ASSERT_LE(zeros.size(), MaxInflatedSize(stream.size()));
  TBlockOptions o;
  o.Compressed = true;
  std::string good = CheckedBlock(zeros, o);
  TMemorySource goodSrc(good);
  EXPECT_EQ(ReadCheckedBlock(goodSrc, zeros.size()), zeros);

  const size_t most = static_cast<size_t>(MaxInflatedSize(stream.size()));
  struct {
    const char* Name;
    size_t Claimed;
    bool Inflated;  // refused only after reading the stream
  } rows[] = {
      {"as much as the stream could hold", most, true},
      {"one byte more", most + 1, false},
      {"about 2 GB", 0x7FFFFFF0, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.Name);
    std::string fields = Int32(static_cast<int32_t>(stream.size())) + Int32(static_cast<int32_t>(r.Claimed)) +
                         UInt32(Adler(zeros));
    std::string block = UInt32(Adler(fields)) + fields + stream;
    TMemorySource src(block);
    EXPECT_THROW(ReadCheckedBlock(src, r.Claimed), EZlibDataError);
    EXPECT_EQ(src.Position(), r.Inflated ? block.size() : kCheckedBlockHeaderSize);
  }
}

TEST(CheckedBlock, JunkAfterTheStreamIsSkipped) {
  TBlockOptions o;
  o.Compressed = true;
  o.JunkAfterStream = "JUNKJUNKJUNK";
  std::string bytes = CheckedBlock("first block", o) + CheckedBlock("second", o);
  TMemorySource src(bytes);
  EXPECT_EQ(ReadCheckedBlock(src, 11), "first block");
  EXPECT_EQ(ReadCheckedBlock(src, 6), "second");
  EXPECT_EQ(src.Position(), bytes.size());
}

TEST(ScriptSignature, OnlyTheExactEightBytes) {
  const std::string good(kScriptSignature, 8);
  for (const std::string& s : {std::string("ts100ae"), std::string("ts100ae\x1b"), std::string("TS100AE\x1a"),
                               std::string("ts100ad\x1a"), std::string()}) {
    TMemorySource src(s);
    EXPECT_FALSE(ReadScriptSignature(src)) << s;
  }
  TMemorySource src(good);
  EXPECT_TRUE(ReadScriptSignature(src));
}

TEST(WindowsVersion, MinorVersionText) {
  const std::pair<int, const char*> cases[] = {{0, "0"}, {10, "1"}, {51, "51"}, {5, "05"}, {50, "5"}, {100, "1"}};
  for (auto& [minor, text] : cases) EXPECT_EQ(FormatMinorVersion(minor), text) << minor;
}

TEST(WindowsVersion, Refusals) {
  struct TCase {
    const char* Name;
    uint8_t WinMajor, WinMinor, NTMajor, NTMinor;
    TWindowsVersion Version;
    const char* Expected;
  };
  const TPlatform nt = TPlatform::NT, win = TPlatform::Windows;
  const TCase cases[] = {
      {"NT refused", 4, 0, 0, 0, {nt, 4, 0}, "This program will not run on Windows NT."},
      {"NT refused whatever Win says", 0, 0, 0, 0, {nt, 5, 0}, "This program will not run on Windows NT."},
      {"9x refused", 0, 0, 4, 0, {win, 4, 0}, "This program must be run on Windows NT."},
      {"NT 4.0 on 3.51", 4, 0, 4, 0, {nt, 3, 51}, "This program requires Windows NT version 4.0 or later."},
      {"NT 3.51 on 3.50", 4, 0, 3, 51, {nt, 3, 50}, "This program requires Windows NT version 3.51 or later."},
      {"NT 3.51 on 3.51", 4, 0, 3, 51, {nt, 3, 51}, ""},
      {"NT 4.0 on 4.0", 4, 0, 4, 0, {nt, 4, 0}, ""},
      {"NT 4.0 on 5.0", 4, 0, 4, 0, {nt, 5, 0}, ""},
      {"Win 4.10 on 4.0", 4, 10, 4, 0, {win, 4, 0}, "This program requires Windows version 4.1 or later."},
      {"Win 4.5 on 4.3", 4, 5, 4, 0, {win, 4, 3}, "This program requires Windows version 4.05 or later."},
      {"Win 4.0 on 4.10", 4, 0, 4, 0, {win, 4, 10}, ""},
      {"Win 5.0 on 4.90", 5, 0, 4, 0, {win, 4, 90}, "This program requires Windows version 5.0 or later."},
  };
  for (const TCase& c : cases) {
    TScriptHeader h;
    h.MinWinMajor = c.WinMajor;
    h.MinWinMinor = c.WinMinor;
    h.MinNTMajor = c.NTMajor;
    h.MinNTMinor = c.NTMinor;
    EXPECT_EQ(CheckWindowsVersion(h, c.Version), c.Expected) << c.Name;
  }
}

}  // namespace
