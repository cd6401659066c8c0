#include "MainValues.h"

#include <gtest/gtest.h>

#include "TestFileAccess.h"
#include "TestPaths.h"

namespace {

using T = TStudioText;
using C = TStudioCheck;

// A project that passes every check.
TStudioValues Valid() {
  TStudioValues v;
  v.SetText(T::e1, "Title");
  v.SetText(T::e2, "C:\\OUT\\A.CAB");
  v.AddSource({"C:\\DATA\\A.TXT", kFileImage});
  return v;
}

TEST(StudioBuildChecks, StopAtTheFirstFailureInTheFixedOrder) {
  struct Row {
    const char* name;
    void (*change)(TStudioValues&);
    const char* expected;
  } rows[] = {
      {"valid", [](TStudioValues&) {}, ""},
      // The entries are disabled for a cabinet kind, and still compared.
      {"passwords differ, cabinet kind, nothing else filled",
       [](TStudioValues& v) {
         v = TStudioValues();
         v.SetText(T::pass1, "a");
       },
       kPasswordMismatchText},
      {"passwords differ only in case",
       [](TStudioValues& v) {
         v.SetText(T::pass1, "Secret");
         v.SetText(T::pass2, "secret");
       },
       kPasswordMismatchText},
      {"empty list and empty title",
       [](TStudioValues& v) {
         v.ClearSources();
         v.SetText(T::e1, "");
       },
       kNoSourcesText},
      {"empty title and empty output",
       [](TStudioValues& v) {
         v.SetText(T::e1, "");
         v.SetText(T::e2, "");
       },
       kNoTitleText},
      {"empty output", [](TStudioValues& v) { v.SetText(T::e2, ""); }, kNoOutputText},
      {"blank title is a title", [](TStudioValues& v) { v.SetText(T::e1, " "); }, ""},
      {"one entry with an empty caption counts", [](TStudioValues& v) {
         v.ClearSources();
         v.AddSource({"", kFileImage});
       }, ""},
  };
  for (const Row& row : rows) {
    TStudioValues v = Valid();
    row.change(v);
    EXPECT_EQ(ValidateBuild(v), row.expected) << row.name;
  }
  EXPECT_STREQ(kPasswordMismatchText, "The Passwords you entered does not match, cannot proceed.");
  EXPECT_STREQ(kNoSourcesText, "No Files or Folders to add");
  EXPECT_STREQ(kNoTitleText, "Project Title Not Specified");
  EXPECT_STREQ(kNoOutputText, "Project Output Filename Not Specified");
}

TEST(StudioTestRun, CommandLineByPageAndStyle) {
  struct Row {
    const char* output;
    TSfxPage page;
    int tab;
    const char* expected;
  } rows[] = {
      {"C:\\OUT\\CAB.EXE", TSfxPage::Cab, 0, "C:\\OUT\\CAB.EXE /d"},
      {"C:\\OUT\\CAB.EXE", TSfxPage::Cab, 2, "C:\\OUT\\CAB.EXE /d"},
      {"C:\\OUT\\DOS.EXE", TSfxPage::Zip, 2, "C:\\OUT\\DOS.EXE -t"},
      {"C:\\OUT\\STD.EXE", TSfxPage::Zip, 0, "C:\\OUT\\STD.EXE"},
      {"C:\\OUT\\ADV.EXE", TSfxPage::Zip, 1, "C:\\OUT\\ADV.EXE"},
      // A path with a blank is quoted, or the system would start "C:\My".
      {"C:\\My Packages\\Setup.exe", TSfxPage::Cab, 0, "\"C:\\My Packages\\Setup.exe\" /d"},
      {"C:\\My Packages\\Setup.exe", TSfxPage::Zip, 2, "\"C:\\My Packages\\Setup.exe\" -t"},
      {"C:\\My Packages\\Setup.exe", TSfxPage::Zip, 0, "\"C:\\My Packages\\Setup.exe\""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(TestRunCommandLine(row.output, row.page, row.tab), row.expected) << row.output << " tab " << row.tab;
}

TEST(StudioTestRun, OnlyAnExeOutputCounts) {
  struct Row {
    const char* name;
    bool exe;
  } rows[] = {
      {"C:\\OUT\\A.exe", true},  {"C:\\OUT\\A.EXE", true},       {"A.Exe", true},
      {"C:\\OUT\\A.exe.zip", false}, {"C:\\OUT.EXE\\A", false}, {"C:\\OUT\\A.CAB", false},
      {"C:\\OUT\\exe", false},   {"", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsExeName(row.name), row.exe) << row.name;
}

TEST(StudioValues, NewProjectValues) {
  TStudioValues v;
  v.SetText(T::e1, "x");
  v.SetChecked(C::r4, true);
  v.SetChecked(C::cabsfx2, true);
  v.SetPosition(TStudioSlider::TrackBar1, 2);
  v.SetStyleTab(2);
  v.AddSource({"C:\\A", kFolderImage});
  ResetToNewProject(v);
  EXPECT_EQ(v, TStudioValues());

  TStudioSettings s(v);
  EXPECT_EQ(s.Kind(), akCabinetArchive);
  EXPECT_EQ(s.ZipLevel(), 9);
  EXPECT_EQ(s.CabCompression(), ccLZX);
  EXPECT_EQ(s.CabSFXStyle(), cs16Bit);
  EXPECT_EQ(s.ZipSFXStyle(), zsStandard);
  EXPECT_EQ(s.OverwriteMode(), "Ask User");
  EXPECT_FALSE(s.SaveFolderNames() || s.AddSubDirs() || s.AddHiddenFiles() || s.MoveFiles() || s.ForceDOSNames());
  EXPECT_TRUE(s.Sources().empty());
}

TEST(StudioValues, SettingsNameTheCurrentProjectFile) {
  // No build may write over it; a project without a file has none.
  TStudioValues v;
  std::string current = "<>";
  TStudioSettings s(v, &current);
  EXPECT_TRUE(s.ProjectFileNames().empty());
  current = "C:\\P\\My.tpj";
  EXPECT_EQ(s.ProjectFileNames(), std::vector<std::string>{"C:\\P\\My.tpj"});
  EXPECT_TRUE(TStudioSettings(v).ProjectFileNames().empty());
}

TEST(StudioValues, SettingsReadTheControlsWhenAsked) {
  TStudioValues v;
  TStudioSettings s(v);
  v.SetChecked(C::r1, false);
  EXPECT_EQ(s.Kind(), std::nullopt);
  v.SetChecked(C::r3, true);
  v.SetChecked(C::r4, true);
  EXPECT_EQ(s.Kind(), akZipArchive);  // the first checked one
  v.SetText(T::pass1, "first");
  v.SetText(T::pass2, "second");
  EXPECT_EQ(s.Password(true), "first");
  EXPECT_EQ(s.Password(false), "second");
  v.SetChecked(C::cabsfx1, false);
  EXPECT_EQ(s.CabSFXStyle(), cs32Bit);
  v.SetPosition(TStudioSlider::TrackBar2, 1);
  EXPECT_EQ(s.CabCompression(), ccMSZip);
  v.SetPosition(TStudioSlider::TrackBar1, 12);
  EXPECT_EQ(s.ZipLevel(), 9);
  v.AddSource({"C:\\A.TXT", kFileImage});
  v.AddSource({"C:\\ODD", 5});
  v.AddSource({"C:\\DIR\\", kFolderImage});
  std::vector<TSourceItem> expected = {{"C:\\A.TXT", false}, {"C:\\DIR\\", true}};
  EXPECT_EQ(s.Sources(), expected);
}

TEST(StudioValues, FileTargetSetsTheStudioControls) {
  TStudioValues v;
  std::vector<TProjectMessage> shown;
  TStudioFileTarget t(v, [&](const TProjectMessage& m) { shown.push_back(m); });
  v.SetText(T::pass1, "old1");
  v.SetText(T::pass2, "old2");
  t.SetKind(akZipSFX);
  EXPECT_FALSE(v.Checked(C::r1));
  EXPECT_TRUE(v.Checked(C::r4));
  EXPECT_EQ(v.Text(T::pass1), "");
  EXPECT_EQ(v.Text(T::pass2), "");
  t.SetPassword("pw");
  EXPECT_EQ(v.Text(T::pass1), "pw");
  EXPECT_EQ(v.Text(T::pass2), "pw");
  t.SetCabSFXStyle(cs32Bit);
  EXPECT_FALSE(v.Checked(C::cabsfx1));
  EXPECT_TRUE(v.Checked(C::cabsfx2));
  t.SetZipSFXStyle(zsDOS);
  t.SetZipSFXStyle(std::nullopt);
  EXPECT_EQ(v.StyleTab(), 2);
  t.ShowMessage(InvalidDataMessage());
  ASSERT_EQ(shown.size(), 1u);
}

// Saving through the settings and loading through the target keep every
// value of each kind.
TEST(StudioValues, SaveAndLoadThroughTheControls) {
  TTempDir dir;
  for (int k = 0; k < 4; ++k) {
    TArchiveKind kind = static_cast<TArchiveKind>(k);
    TStudioValues v;
    CheckKind(v, kind);
    v.SetText(T::e1, "Project");
    v.SetText(T::e2, "C:\\OUT\\P.EXE");
    v.AddSource({"C:\\DATA\\A.TXT", kFileImage});
    v.AddSource({"C:\\DATA\\DOCS\\", kFolderImage});
    v.AddSource({"C:\\DATA\\B.TXT", kFileImage});
    v.SetChecked(C::CheckBox4, true);
    v.SetChecked(C::CheckBox2, true);
    v.SetPosition(TStudioSlider::TrackBar2, 1);
    v.SetPosition(TStudioSlider::TrackBar1, 4);
    v.SetChecked(C::cabsfx1, false);
    v.SetChecked(C::cabsfx2, true);
    v.SetStyleTab(1);
    v.SetText(T::pass1, "pw");
    v.SetText(T::pass2, "pw");
    v.SetText(T::ovrChoice, "Always Overwrite");
    v.SetText(T::execution, "run.exe");
    v.SetText(T::defaultDir, "C:\\X");
    v.SetChecked(C::p2, true);

    std::string path = dir / ("p" + std::to_string(k) + ".tpj");
    SaveProjectFile(TestDiskFiles(), path, TStudioSettings(v));
    TStudioValues back;
    TStudioFileTarget target(back, nullptr);
    ASSERT_TRUE(LoadProjectFile(TestDiskFiles(), path, target, TProjectFrontEnd::Studio)) << k;

    // Each kind stores its own section only; the rest reads back as new.
    TStudioValues expected = v;
    TStudioValues fresh;
    auto keep = [&](bool yes, auto set) {
      if (!yes) set(expected, fresh);
    };
    bool cab = kind == akCabinetArchive || kind == akCabinetSFX;
    bool zip = !cab;
    keep(cab, [](TStudioValues& e, TStudioValues& f) { e.Positions[1] = f.Positions[1]; });
    keep(kind == akCabinetSFX, [](TStudioValues& e, TStudioValues& f) {
      e.SetChecked(C::cabsfx1, f.Checked(C::cabsfx1));
      e.SetChecked(C::cabsfx2, f.Checked(C::cabsfx2));
    });
    keep(zip, [](TStudioValues& e, TStudioValues& f) {
      e.Positions[0] = f.Positions[0];
      e.SetText(T::pass1, "");
      e.SetText(T::pass2, "");
    });
    keep(kind == akZipSFX, [](TStudioValues& e, TStudioValues& f) {
      e.Tab = f.Tab;
      for (T t : {T::ovrChoice, T::execution, T::defaultDir}) e.SetText(t, f.Text(t));
      for (C c : {C::p1, C::p2, C::p3}) e.SetChecked(c, false);
    });
    // A load gives the files first, then the folders, each in list order.
    expected.Sources = {{"C:\\DATA\\A.TXT", kFileImage}, {"C:\\DATA\\B.TXT", kFileImage},
                        {"C:\\DATA\\DOCS\\", kFolderImage}};
    EXPECT_EQ(back, expected) << ArchiveKindText(kind);
  }
}

TEST(StudioValues, SourceListRules) {
  std::vector<TSourceEntry> list = {{"C:\\DATA\\", kFolderImage}, {"C:\\A.TXT", kFileImage}};
  EXPECT_TRUE(HasSourceCaption(list, "C:\\DATA\\"));
  EXPECT_TRUE(HasSourceCaption(list, "C:\\A.TXT"));
  EXPECT_FALSE(HasSourceCaption(list, "c:\\data\\"));  // exact, case-sensitive
  EXPECT_EQ(RemoveConfirmText(2), "You are about to delete 2 items from your Source File List.");
  EXPECT_EQ(FileNameOnly("C:\\Projects\\My Pack.tpj"), "My Pack.tpj");
  EXPECT_EQ(FileNameOnly("Pack.tpj"), "Pack.tpj");
}

}  // namespace
