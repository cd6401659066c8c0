// The wizard's text rules.
#include "WizardText.h"

#include <gtest/gtest.h>

namespace {

TEST(WizardText, Tokens) {
  TScriptHeader h;
  h.ProgramName = "App";
  h.ProgramVerName = "App [name] 2";
  EXPECT_EQ(ExpandMessageTokens(h, 10239, "[name] is [name/ver], [kb] KB [KB]"), "App is App [name] 2, 9 KB [KB]");
  EXPECT_EQ(ExpandMessageTokens(h, int64_t(5) << 32, "[kb]"), "20971520");
}

TEST(WizardText, FolderChecksInOrder) {
  const std::string unc = "Setup cannot install to a UNC pathname. If you are trying to install to a network, you "
                          "will need to map a network drive.";
  const std::string full = "You must enter a full path with drive letter; for example:\r\nC:\\APP";
  const std::string chars = "The directory name cannot include any of the following characters after the colon:"
                            "\r\n\r\n/ : * ? \" < > | ,";
  const std::string drive = "The drive you selected does not exist. Please select another.";
  struct Row {
    std::string folder, expected;
  } rows[] = {
      {"C:\\APP", ""},          {"c:\\a b\\c", ""},        {"C:\\", full},           {"C:", full},
      {"C:APP", full},          {"", full},                {"\\\\SERVER\\SHARE", unc}, {"C:\\A\\\\B", unc},
      {"\\\\x", unc},           {"C:\\A:B", chars},        {"C:\\A/B", chars},       {"C:\\A*", chars},
      {"C:\\A?", chars},        {"C:\\\"A\"", chars},      {"C:\\<A>", chars},       {"C:\\A|B", chars},
      {"C:\\A,B", chars},       {"1:\\APP", drive},        {"_:\\APP", drive},       {"C:/APP", full},
  };
  for (const Row& r : rows) EXPECT_EQ(FolderSyntaxError(r.folder), r.expected) << r.folder;
}

TEST(WizardText, GroupNamesAndGroupList) {
  const std::string chars =
      "The group name cannot include any of the following characters:\r\n\r\n\\ / : * ? \" < > | ,";
  EXPECT_EQ(GroupNameError(""), "You must enter a group name.");
  EXPECT_EQ(GroupNameError("My Group"), "");
  for (const char* bad : {"A\\B", "A/B", "A:B", "A*", "A?", "\"A\"", "<A>", "A|B", "A,B"})
    EXPECT_EQ(GroupNameError(bad), chars) << bad;
  EXPECT_EQ(SplitGroupList("Accessories\r\nStartUp\r\n"), (std::vector<std::string>{"Accessories", "StartUp"}));
  EXPECT_EQ(SplitGroupList("One\r\n\r\nLater\r\n"), std::vector<std::string>{"One"});
  EXPECT_EQ(SplitGroupList("Last"), std::vector<std::string>{"Last"});
  EXPECT_EQ(SplitGroupList(""), std::vector<std::string>{});
}

}  // namespace
