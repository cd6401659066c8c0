// ConvertSFX, with made-up stubs and the shipped ones.
#include <gtest/gtest.h>

#include "PathUtils.h"
#include "Robot.h"
#include "ZipArch.h"
#include "ZipTestKit.h"

using namespace ziptest;

namespace {

// A small zip written with the format code (offsets from its own start).
std::string PlainZip(const std::vector<std::pair<std::string, std::string>>& files) {
  zipfmt::TMemorySink sink;
  zipfmt::TZipWriter w(sink);
  for (const auto& [name, data] : files) {
    zipfmt::TNewEntry e;
    e.Name = name;
    e.Time = zipfmt::MakeDosTime(2005, 6, 7, 8, 9, 10);
    e.Crc = zipfmt::Crc32(0, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    e.Size = static_cast<uint32_t>(data.size());
    e.Level = 6;
    EXPECT_TRUE(w.BeginEntry(e));
    zipfmt::TEntryEncoder enc(6, nullptr, e.Crc, nullptr);
    zipfmt::Bytes out;
    enc.Feed(reinterpret_cast<const uint8_t*>(data.data()), data.size(), out);
    enc.Finish(out);
    w.WriteEntryData(out.data(), out.size());
    EXPECT_TRUE(w.EndEntry());
  }
  EXPECT_TRUE(w.Finish());
  return std::string(sink.Data.begin(), sink.Data.end());
}

// Stub bytes with no zip signature in them.
std::string StubBytes(size_t n) {
  std::string s = Sample(n, static_cast<unsigned>(n));
  for (char& c : s)
    if (c == 'P') c = 'p';
  return s;
}

class ZipSFX : public ::testing::Test {
protected:
  void SetUp() override {
    zip.Unattended = true;
    zip.OnMessage = [this](TComponent*, int code, const std::string& text) {
      codes.push_back(code);
      texts.push_back(text);
    };
  }
  TRobot robot;
  TTempDir tmp;
  TZipArchiver zip{nullptr};
  std::vector<int> codes;
  std::vector<std::string> texts;
};

TEST_F(ZipSFX, FileIsStubThenBlockThenZip) {
  std::string zipBytes = PlainZip({{"a.txt", "alpha"}, {"dir/b.txt", Sample(5000, 4)}});
  for (size_t stubSize : {8191u, 8192u, 8193u, 60001u, 70000u}) {
    SCOPED_TRACE(stubSize);
    std::string stub = StubBytes(stubSize);
    WriteFileBytes(tmp / "stub.bin", stub);
    WriteFileBytes(tmp / "pack.zip", zipBytes);
    zip.SetZipFilename(tmp / "pack.zip");
    zip.SFXPath = tmp / "stub.bin";
    zip.SFXCaption = "Setup";
    zip.SFXDefaultDir = "C:\\Target";
    zip.SFXCommandLine = "setup.exe";
    zip.SFXOptions = {SFXAskCmdLine, SFXHideOverWriteBox};
    zip.SFXOverWriteMode = OvrAlways;
    ASSERT_EQ(zip.ConvertSFX(), 0);
    std::string exe = tmp / "pack.exe";
    SFXHeader h;
    ASSERT_TRUE(BuildSFXHeader("Setup", "C:\\Target", "setup.exe", {SFXAskCmdLine, SFXHideOverWriteBox}, OvrAlways, h));
    EXPECT_EQ(h[3], 1 | 4 | 8);
    EXPECT_EQ(ReadFileBytes(exe), stub + std::string(h.begin(), h.end()) + zipBytes);
    EXPECT_FALSE(FileExists(tmp / "pack.zip"));
    EXPECT_EQ(zip.ZipFilename(), exe);
    EXPECT_EQ(zip.SFXOffset(), stubSize + 256);  // also behind a stub past the search window
    EXPECT_EQ(zip.Count(), 2);
    EXPECT_TRUE(codes.empty());
    TExpect x;
    x.Entries = {{"a.txt", "alpha"}, {"dir/b.txt", Sample(5000, 4)}};
    x.UnzipExit = 1;  // offsets not adjusted: "extra bytes at beginning"
    ExpectForReaders(exe, "sfx", "stub" + std::to_string(stubSize) + ".exe", x);
    DeleteFileA(exe.c_str());
  }
}

TEST_F(ZipSFX, BlockBytesFieldByField) {
  WriteFileBytes(tmp / "stub.bin", "STUB");
  WriteFileBytes(tmp / "p.zip", PlainZip({{"a", "b"}}));
  zip.SetZipFilename(tmp / "p.zip");
  zip.SFXPath = tmp / "stub.bin";
  zip.SFXCaption = "Setup";
  zip.SFXOptions = {SFXAskFiles};
  zip.SFXOverWriteMode = OvrNever;
  ASSERT_EQ(zip.ConvertSFX(), 0);
  std::string block = ReadFileBytes(tmp / "p.exe").substr(4, 256);
  EXPECT_EQ(block.substr(0, 3), "MPU");
  EXPECT_EQ(block[3], '\x12');
  EXPECT_EQ(block[4], 5);
  EXPECT_EQ(block[5], 0);
  EXPECT_EQ(block[6], 0);
  EXPECT_EQ(block.substr(7, 5), "Setup");
  EXPECT_EQ(block.substr(12), std::string(244, '\0'));
}

TEST_F(ZipSFX, TextsOf249PassAnd250AreRefused) {
  WriteFileBytes(tmp / "stub.bin", "STUB");
  zip.SFXPath = tmp / "stub.bin";
  zip.SFXCaption = std::string(100, 'c');
  zip.SFXDefaultDir = std::string(100, 'd');
  zip.SFXCommandLine = std::string(49, 'e');
  WriteFileBytes(tmp / "p.zip", PlainZip({{"a", "b"}}));
  zip.SetZipFilename(tmp / "p.zip");
  ASSERT_EQ(zip.ConvertSFX(), 0);
  EXPECT_EQ(ReadFileBytes(tmp / "p.exe").substr(4 + 7, 249), zip.SFXCaption + zip.SFXDefaultDir + zip.SFXCommandLine);

  WriteFileBytes(tmp / "q.zip", PlainZip({{"a", "b"}}));
  zip.SetZipFilename(tmp / "q.zip");
  zip.SFXCommandLine += "e";
  zip.Unattended = false;
  EXPECT_NE(zip.ConvertSFX(), 0);
  EXPECT_EQ(codes, std::vector<int>{801});
  const char* text = "Error - The total size of the 3 text properties exceeds 249!\r\n"
                     "SFXCaption + SFXDefaultDir + SFXCommandLine = 250";
  EXPECT_EQ(texts.at(0), text);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, text);
  EXPECT_FALSE(FileExists(tmp / "q.exe"));
  EXPECT_TRUE(FileExists(tmp / "q.zip"));
}

TEST_F(ZipSFX, OnlyZipExtensionsConvert) {
  WriteFileBytes(tmp / "stub.bin", "STUB");
  zip.SFXPath = tmp / "stub.bin";
  struct {
    const char* Name;
    int Result;
    const char* Output;
  } rows[] = {{"a.zip", 0, "a.exe"}, {"b.ZIP", 0, "b.exe"}, {"c.Zip", 0, "c.exe"}, {"d.dat", 803, nullptr},
              {"e", 803, nullptr}};
  for (auto r : rows) {
    SCOPED_TRACE(r.Name);
    codes.clear();
    WriteFileBytes(tmp / r.Name, PlainZip({{"a", "b"}}));
    zip.SetZipFilename(tmp / r.Name);
    EXPECT_EQ(zip.ConvertSFX(), r.Result);
    if (r.Output) {
      EXPECT_TRUE(FileExists(tmp / r.Output));
      EXPECT_TRUE(codes.empty());
    } else {
      EXPECT_EQ(codes, std::vector<int>{803});
      EXPECT_EQ(texts.back(), "Error: input file is not a zip file");
      EXPECT_TRUE(FileExists(tmp / r.Name));
    }
  }
}

TEST_F(ZipSFX, StubIsLookedUpAndMissingOnesAreReported) {
  WriteFileBytes(tmp / "p.zip", PlainZip({{"a", "b"}}));
  zip.SetZipFilename(tmp / "p.zip");
  zip.SFXPath = tmp / "none.bin";
  EXPECT_EQ(zip.ConvertSFX(), 802);
  EXPECT_EQ(texts.back(), "Error - ZIPSFX.BIN not found");
  char win[MAX_PATH];
  GetWindowsDirectoryA(win, MAX_PATH);
  EXPECT_EQ(zip.SFXPath, AddTrailingBackslash(win) + "ZIPSFX.BIN");  // the last one tried
  EXPECT_FALSE(FileExists(tmp / "p.exe"));

  // The library's folder is the last place looked in.
  zip.SFXPath.clear();
  zip.SetDLLDirectory(DistPath(""));
  ASSERT_EQ(zip.ConvertSFX(), 0);
  EXPECT_EQ(zip.SFXPath, DistPath("ZIPSFX.BIN"));
  EXPECT_EQ(ReadFileBytes(tmp / "p.exe").substr(0, 2), "MZ");
}

TEST_F(ZipSFX, MissingZipAndLongerOldOutputFail) {
  WriteFileBytes(tmp / "stub.bin", "STUB");
  zip.SFXPath = tmp / "stub.bin";
  zip.SetZipFilename(tmp / "gone.zip");
  EXPECT_EQ(zip.ConvertSFX(), 102);
  EXPECT_EQ(texts.back(), "Error - no zip file specified");

  WriteFileBytes(tmp / "p.zip", PlainZip({{"a", "b"}}));
  WriteFileBytes(tmp / "p.exe", std::string(100000, 'o'));
  zip.SetZipFilename(tmp / "p.zip");
  codes.clear();
  EXPECT_EQ(zip.ConvertSFX(), -9);
  EXPECT_EQ(codes, std::vector<int>{806});
  EXPECT_EQ(texts.back(), "Error in ConvertSFX");
  EXPECT_FALSE(FileExists(tmp / "p.exe"));
  EXPECT_TRUE(FileExists(tmp / "p.zip"));
  EXPECT_EQ(zip.ZipFilename(), tmp / "p.zip");

  // A stub that cannot be opened.
  HANDLE lock = CreateFileA((tmp / "stub.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  codes.clear();
  EXPECT_EQ(zip.ConvertSFX(), -3);
  CloseHandle(lock);
  EXPECT_EQ(codes, std::vector<int>{806});
  EXPECT_FALSE(FileExists(tmp / "p.exe"));
}

// ---- the shipped stubs

TEST_F(ZipSFX, ShippedStubsLeaveAZipThatReadersAndTheComponentFind) {
  for (const char* stub : {"Stub1.Bin", "Stub2.Bin", "ZIPSFX.BIN"}) {
    SCOPED_TRACE(stub);
    WriteFileBytes(tmp / "p.zip", PlainZip({{"a.txt", "alpha"}, {"dir/b.txt", "beta!"}}));
    zip.SetZipFilename(tmp / "p.zip");
    zip.SFXPath = DistPath(stub);
    zip.SFXCaption = "Demo";
    ASSERT_EQ(zip.ConvertSFX(), 0);
    EXPECT_EQ(zip.SFXOffset(), ReadFileBytes(DistPath(stub)).size() + 256);
    EXPECT_EQ(zip.Count(), 2);
    EXPECT_TRUE(codes.empty());
    if (std::string(stub) == "Stub1.Bin") {
      TExpect x;
      x.Entries = {{"a.txt", "alpha"}, {"dir/b.txt", "beta!"}};
      x.UnzipExit = 1;
      ExpectForReaders(tmp / "p.exe", "sfx", "stub1-real.exe", x);
    }
    DeleteFileA((tmp / "p.exe").c_str());
  }
}

}  // namespace
