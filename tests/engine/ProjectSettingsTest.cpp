#include "ProjectSettings.h"

#include <gtest/gtest.h>

TEST(ProjectSettings, KindTextsRoundTripExactly) {
  const char* texts[] = {"Cabinet Archive", "Cabinet SFX", "Zip Archive", "Zip SFX"};
  for (int i = 0; i < 4; ++i) {
    auto kind = static_cast<TArchiveKind>(i);
    EXPECT_STREQ(ArchiveKindText(kind), texts[i]);
    EXPECT_EQ(ArchiveKindFromText(texts[i]), kind);
  }
  EXPECT_EQ(ArchiveKindFromText("cabinet archive"), std::nullopt);
  EXPECT_EQ(ArchiveKindFromText("Zip SFX "), std::nullopt);
  EXPECT_EQ(OvrOptsFromText("Always Skip Extraction"), OvrNever);
  EXPECT_EQ(OvrOptsFromText("always overwrite"), std::nullopt);
}

TEST(ProjectSettings, NewProjectDefaults) {
  TProjectSettings s;
  EXPECT_EQ(s.Kind, akCabinetArchive);
  EXPECT_EQ(s.CabCompression, ccLZX);
  EXPECT_EQ(s.ZipLevel, 9);
  EXPECT_FALSE(s.SaveFolderNames || s.AddSubDirs || s.AddHiddenFiles || s.MoveFiles || s.ForceDOSNames);
  EXPECT_EQ(s.CabSFXStyle, cs16Bit);
  EXPECT_EQ(s.ZipSFXStyle, zsStandard);
  EXPECT_EQ(s.OverwriteMode, "Ask User");
  EXPECT_STREQ(CabSFXStub(s.CabSFXStyle), "CabStub1.Bin");
  EXPECT_STREQ(ZipSFXStub(zsDOS), "Stub3.Bin");
}

TEST(ProjectSettings, SourceEntriesBecomePatternsAndSpecifications) {
  struct Row { const char* name; TSourceItem item; const char* cab; const char* zip; };
  const Row rows[] = {
      {"file", {"C:\\data\\a.txt", false}, "C:\\data\\a.txt", "C:\\data\\a.txt"},
      {"folder with backslash", {"C:\\DATA\\", true}, "C:\\DATA\\*.*", "C:\\DATA\\*.*"},
      {"folder without backslash", {"C:\\DATA", true}, "C:\\DATA\\*.*", "C:\\DATA\\*.*"},
      {"drive root", {"C:\\", true}, "C:\\*.*", "C:\\*.*"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(CabinetPattern(r.item), r.cab);
    EXPECT_EQ(ZipSpecification(r.item), r.zip);
  }
}
