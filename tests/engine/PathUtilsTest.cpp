#include "PathUtils.h"

#include <gtest/gtest.h>

TEST(PathUtils, TrailingBackslash) {
  struct Row { const char* in; const char* added; const char* trimmed; };
  const Row rows[] = {
      {"", "", ""},
      {"C:", "C:\\", "C:"},
      {"C:\\", "C:\\", "C:"},
      {"C:\\a\\\\", "C:\\a\\\\", "C:\\a\\"},
      {"C:\\a", "C:\\a\\", "C:\\a"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(AddTrailingBackslash(r.in), r.added);
    EXPECT_EQ(TrimTrailingBackslash(r.in), r.trimmed);
  }
}

#ifdef _WIN32
#include <windows.h>

TEST(PathUtils, TempFolderAndNames) {
  std::string folder = GetTempPathStr();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  std::string name = GetTempFileNameStr(folder, "tzt", 0);
  ASSERT_FALSE(name.empty());
  EXPECT_NE(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);  // number 0 creates it
  DeleteFileA(name.c_str());
  EXPECT_EQ(GetTempFileNameStr(folder + "no such folder\\", "tzt", 0), "");
  EXPECT_FALSE(FileExistsStr(name));  // deleted above
  EXPECT_TRUE(FolderExistsStr(folder));
  EXPECT_FALSE(FileExistsStr(folder));
}
#endif

TEST(PathUtils, FolderAndNameParts) {
  struct Row { const char* path; const char* folder; const char* name; };
  const Row rows[] = {
      {"C:\\A\\B\\F.TXT", "C:\\A\\B\\", "F.TXT"},
      {"C:F.TXT", "C:", "F.TXT"},
      {"F.TXT", "", "F.TXT"},
      {"C:\\A\\", "C:\\A\\", ""},
      {"", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.path);
    EXPECT_EQ(ExtractFilePath(r.path), r.folder);
    EXPECT_EQ(ExtractFileName(r.path), r.name);
  }
}
