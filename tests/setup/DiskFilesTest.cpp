// Finding disk files and reading the loaded script's data from disk folders
// and from a "/SL" data file.
#include "DiskFiles.h"
#include "Files.h"
#include "Main.h"
#include "Robot.h"
#include "ScriptWriter.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

namespace {

using namespace fixture;

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  uint32_t x = 99;
  for (char& c : s) {
    x = x * 1103515245 + 12345;
    c = static_cast<char>(x >> 16);
  }
  return s;
}

// root\src, root\cur, root\DISKn
struct TLayout {
  TTempDir Root;
  std::string Src = Root / "src", Cur = Root / "cur";
  TLayout() {
    MakeDirs(Src);
    MakeDirs(Cur);
    SourceFolder = Src;
    CurrentSourceFolder = Cur;
    PromptForDiskHook = nullptr;
  }
  ~TLayout() { PromptForDiskHook = nullptr; }
};

TEST(LocateDiskFile, SearchOrder) {
  TLayout l;
  WriteFileBytes(l.Cur + "\\SETUP.1", "c");
  WriteFileBytes(l.Src + "\\SETUP.1", "s");
  WriteFileBytes(l.Src + "\\SETUP.2", "s");
  MakeDirs(l.Root / "DISK3");
  WriteFileBytes(l.Root / "DISK3\\SETUP.3", "d");
  TRobot robot;
  EXPECT_EQ(LocateDiskFile(1), l.Cur + "\\SETUP.1");
  EXPECT_EQ(LocateDiskFile(2), l.Src + "\\SETUP.2");
  EXPECT_EQ(LocateDiskFile(3), l.Root / "DISK3\\SETUP.3");  // ".." resolved
  EXPECT_EQ(CurrentSourceFolder, l.Cur);                   // a sibling does not move it
  // A sibling of the source folder when the current one is elsewhere.
  CurrentSourceFolder = l.Root / "cur\\deeper";
  MakeDirs(CurrentSourceFolder);
  EXPECT_EQ(LocateDiskFile(3), l.Root / "DISK3\\SETUP.3");
  EXPECT_TRUE(robot.Boxes.empty());
}

TEST(LocateDiskFile, MissingDiskWithoutPromptWindow) {
  TLayout l;
  TRobot robot;
  EXPECT_THROW(LocateDiskFile(4), EAbort);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "The file \"SETUP.4\" could not be located in \"" + l.Src +
                                     "\". Please insert the correct disk or select another folder.");
  EXPECT_EQ(robot.Boxes[0].Caption, "Error");
  EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST(LocateDiskFile, PromptHookChoosesTheFolder) {
  TLayout l;
  std::string other = l.Root / "other";
  MakeDirs(other);
  WriteFileBytes(other + "\\SETUP.5", "o");
  WriteFileBytes(other + "\\SETUP.6", "o");
  std::vector<std::string> asked;
  PromptForDiskHook = [&](int disk, const std::string& fileName, std::string& folder) {
    asked.push_back(std::to_string(disk) + "|" + fileName + "|" + folder);
    folder = other + "\\";
    return true;
  };
  EXPECT_EQ(LocateDiskFile(5), other + "\\SETUP.5");
  EXPECT_EQ(asked, std::vector<std::string>{"5|SETUP.5|" + l.Src});
  EXPECT_EQ(CurrentSourceFolder, other + "\\");
  // The next disk is looked for there first.
  EXPECT_EQ(LocateDiskFile(6), other + "\\SETUP.6");
  EXPECT_EQ(asked.size(), 1u);
  PromptForDiskHook = [](int, const std::string&, std::string&) { return false; };
  EXPECT_THROW(LocateDiskFile(7), EAbort);
}

// The same files load from disk folders and from a "/SL" data file.
TEST(FileDataReader, DiskFoldersAndDataFile) {
  const std::vector<TDataFileSpec> files = {{"small", ""}, {Pattern(90000), ""}, {std::string(100000, 'z'), "junk"}};
  TDataSet set = BuildDataSet(files, {40000, 30000});
  ASSERT_EQ(set.Disks.size(), 3u);
  TScriptFixture script;
  script.Script.ScriptHeader.MinWinMajor = script.Script.ScriptHeader.MinNTMajor = 4;
  script.Script.FileList = set.Files;
  script.Script.LocationList = set.Locations;

  TStartupEnvironment env;
  env.Version = {TPlatform::NT, 5, 0};
  TSetupScript loaded;

  // SETUP.1 beside SETUP.0, SETUP.2 in ..\DISK2, SETUP.3 where the user points.
  TTempDir root;
  std::string disk1 = root / "DISK1";
  MakeDirs(disk1);
  MakeDirs(root / "DISK2");
  MakeDirs(root / "elsewhere");
  WriteFileBytes(disk1 + "\\SETUP.0", script.Build());
  WriteFileBytes(disk1 + "\\SETUP.1", set.Disks[0]);
  WriteFileBytes(root / "DISK2\\SETUP.2", set.Disks[1]);
  WriteFileBytes(root / "elsewhere\\SETUP.3", set.Disks[2]);
  {
    TRobot robot;
    env.ProgramFolder = disk1;
    PrepareSetup(env, loaded);
    int prompts = 0;
    PromptForDiskHook = [&](int disk, const std::string&, std::string& folder) {
      ++prompts;
      EXPECT_EQ(disk, 3);
      folder = root / "elsewhere";
      return true;
    };
    CurrentSourceFolder = SourceFolder;
    TFileDataReader reader = MakeFileDataReader();
    for (size_t i = 0; i < files.size(); ++i) {
      TStringSink sink;
      reader.ReadFileData(loaded.FileList[i], loaded.LocationList[i], sink);
      EXPECT_TRUE(sink.Bytes == files[i].Content) << i;
    }
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(robot.Boxes.empty());
    PromptForDiskHook = nullptr;
  }
  {
    TLoaderFile lf = BuildLoaderFile("stub", script, files);
    WriteFileBytes(root / "one.bin", lf.Bytes);
    TRobot robot;
    env.ProgramFolder = root / "elsewhere";
    env.Args = {"/SL", root / "one.bin", std::to_string(lf.ScriptOffset), std::to_string(lf.FileDataOffset)};
    PrepareSetup(env, loaded);
    TFileDataReader reader = MakeFileDataReader();
    reader.OpenDisk = [](int) -> std::unique_ptr<IByteSource> { throw Exception("no disk in a data file"); };
    for (size_t i = 0; i < files.size(); ++i) {
      TStringSink sink;
      reader.ReadFileData(loaded.FileList[i], loaded.LocationList[i], sink);
      EXPECT_TRUE(sink.Bytes == files[i].Content) << i;
    }
    EXPECT_TRUE(robot.Boxes.empty());
  }
}

TEST(Files, SinkAndSource) {
  TTempDir dir;
  {
    TFileSink sink(dir / "out.bin");
    sink.Write("abcdef", 6);
  }
  TFileSource src(dir / "out.bin");
  EXPECT_EQ(src.Size(), 6u);
  src.Seek(2);
  char buf[10];
  EXPECT_EQ(src.Read(buf, sizeof buf), 4u);
  EXPECT_EQ(std::string(buf, 4), "cdef");
  EXPECT_EQ(src.Read(buf, sizeof buf), 0u);
  try {
    TFileSource missing(dir / "missing.bin");
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
}

}  // namespace
