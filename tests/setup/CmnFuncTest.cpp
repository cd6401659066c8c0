// The message box and the common helpers of the Setup program.
#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Robot.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowMsg, KindsPickCaptionAndIcon) {
  struct TCase {
    TMsgKind Kind;
    const char* Caption;
    const char* Shown;
    UINT Icon;
  };
  const TCase cases[] = {
      {mkInformation, "", "Information", MB_ICONINFORMATION},
      {mkConfirmation, "", "Confirm", MB_ICONQUESTION},
      {mkWarning, "", "Error", MB_ICONEXCLAMATION},
      {mkError, "", "Error", MB_ICONHAND},
      {mkWarning, "C:\\APP\\x.dll", "C:\\APP\\x.dll", MB_ICONEXCLAMATION},
      {mkConfirmation, "Exit Setup", "Exit Setup", MB_ICONQUESTION},
  };
  for (const TCase& c : cases) {
    TRobot robot;
    robot.Answers = {IDNO};
    EXPECT_EQ(ShowMsg("text", c.Caption, c.Kind, MB_YESNO | MB_DEFBUTTON2), IDNO);
    ASSERT_EQ(robot.Boxes.size(), 1u);
    EXPECT_EQ(robot.Boxes[0].Text, "text");
    EXPECT_EQ(robot.Boxes[0].Caption, c.Shown);
    EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2) | c.Icon);
  }
  TRobot robot;
  ShowMsgFmt("%s\r\nThe file already exists.\r\n\r\nWould you like Setup to overwrite it?", MB_YESNO, mkConfirmation,
             "", "C:\\x.txt");
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "C:\\x.txt\r\nThe file already exists.\r\n\r\nWould you like Setup to overwrite it?");
}

// Looks at the program's windows while the box is up.
class TWatchingRobot : public TRobot {
public:
  std::vector<HWND> Watch;
  std::vector<bool> EnabledDuring, TopmostDuring;
  int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override {
    for (HWND w : Watch) {
      EnabledDuring.push_back(IsWindowEnabled(w) != FALSE);
      TopmostDuring.push_back((GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    }
    return TRobot::ShowBox(owner, text, caption, flags);
  }
};

bool Topmost(HWND w) { return (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(ShowMsg, OtherWindowsDisabledWhileTheBoxIsUp) {
  HWND normal = CreateWindowExA(0, "STATIC", "normal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HWND top = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "top", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
  HWND off = CreateWindowExA(0, "STATIC", "off", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED, 0, 0, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(normal && top && off);
  ASSERT_TRUE(Topmost(top));
  {
    TWatchingRobot robot;
    robot.Watch = {normal, top, off};
    ShowMsg("box", "", mkInformation, MB_OK);
    EXPECT_EQ(robot.EnabledDuring, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(robot.TopmostDuring, (std::vector<bool>{false, false, false}));
  }
  EXPECT_TRUE(IsWindowEnabled(normal));
  EXPECT_TRUE(IsWindowEnabled(top));
  EXPECT_FALSE(IsWindowEnabled(off));  // was disabled before: stays so
  EXPECT_TRUE(Topmost(top));
  EXPECT_FALSE(Topmost(normal));
  DestroyWindow(normal);
  DestroyWindow(top);
  DestroyWindow(off);
}

TEST(CmnFunc2, PathHelpers) {
  const std::pair<const char*, const char*> keepRoot[] = {
      {"", ""}, {"\\", "\\"}, {"C:\\", "C:\\"}, {"C:\\APP\\", "C:\\APP"}, {"C:\\APP", "C:\\APP"}, {"a\\", "a"}};
  for (auto& [in, out] : keepRoot) EXPECT_EQ(TrimBackslashKeepRoot(in), out) << in;
  const std::pair<const char*, const char*> quote[] = {
      {"C:\\APP\\x.exe", "C:\\APP\\x.exe"},
      {"  C:\\My App\\x.exe ", "\"C:\\My App\\x.exe\""},
      {"\"C:\\My App\\x.exe\"", "\"C:\\My App\\x.exe\""},
      {"\"C:\\My App\\x.exe", "\"\"C:\\My App\\x.exe\""},
      {"   ", ""},
  };
  for (auto& [in, out] : quote) EXPECT_EQ(QuoteIfSpaced(in), out) << in;
  EXPECT_EQ(AddTrailingBackslash(""), "");
  EXPECT_EQ(AddTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(TrimTrailingBackslash("C:\\"), "C:");
  EXPECT_EQ(TrimTrailingBackslash(""), "");
}

TEST(CmnFunc2, ReplaceAllTokens) {
  std::string s = "{app}\\a;{app}\\b";
  ReplaceAllTokens(s, "{app}", "[{app}]");
  EXPECT_EQ(s, "[{app}]\\a;[{app}]\\b");  // one pass
  ReplaceAllTokens(s, "", "x");
  EXPECT_EQ(s, "[{app}]\\a;[{app}]\\b");
  std::string t = "{APP}{app}";
  ReplaceAllTokens(t, "{app}", "");
  EXPECT_EQ(t, "{APP}");
}

TEST(CmnFunc2, FoldersAndFiles) {
  TTempDir dir;
  EXPECT_TRUE(FolderExists("C:\\"));
  EXPECT_TRUE(FolderExists(dir.Path()));
  EXPECT_TRUE(FolderExists(dir.Path() + "\\"));
  EXPECT_FALSE(FolderExists(dir / "missing"));
  WriteFileBytes(dir / "file", "x");
  EXPECT_FALSE(FolderExists(dir / "file"));
  EXPECT_EQ(ShortPathOf(dir / "missing file"), dir / "missing file");
  EXPECT_FALSE(WindowsFolder().empty());
  EXPECT_NE(SystemFolder().find(WindowsFolder()), std::string::npos);
  EXPECT_TRUE(IsNTPlatform());
  EXPECT_TRUE(IsWindows4OrLater());
  std::string ini = dir / "x.ini";
  EXPECT_TRUE(WriteIniValue("Sect", "Key", "Value", ini));
  char buf[32];
  GetPrivateProfileStringA("Sect", "Key", "", buf, sizeof buf, ini.c_str());
  EXPECT_STREQ(buf, "Value");
}

// A scratch key under HKCU, removed afterwards.
class TTestKey {
public:
  const std::string Path = "Software\\tz-setup-test";
  TTestKey() { RegCreateKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr); }
  ~TTestKey() {
    RegCloseKey(key_);
    DeleteRegistryKeyTree(HKEY_CURRENT_USER, Path);
  }
  HKEY Key() const { return key_; }
  void Set(const char* name, DWORD type, const std::string& data) {
    RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  }

private:
  HKEY key_ = nullptr;
};

TEST(Registry, ReadRegString) {
  TTestKey k;
  k.Set("sz", REG_SZ, std::string("text\0", 5));
  k.Set("expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11));
  k.Set("empty", REG_SZ, std::string("\0", 1));
  k.Set("nothing", REG_SZ, "");
  k.Set("unterminated", REG_SZ, "abc");
  k.Set("dword", REG_DWORD, std::string("\1\0\0\0", 4));
  struct TCase {
    const char* Name;
    bool Result;
    const char* Value;
  };
  const TCase cases[] = {{"sz", true, "text"},          {"expand", true, "%WINDIR%\\x"}, {"empty", true, ""},
                         {"nothing", true, ""},          {"unterminated", true, "abc"},  {"dword", false, ""},
                         {"missing", false, ""}};
  for (const TCase& c : cases) {
    std::string v = "old";
    EXPECT_EQ(ReadRegString(k.Key(), c.Name, v), c.Result) << c.Name;
    EXPECT_EQ(v, c.Value) << c.Name;
  }
  EXPECT_TRUE(RegistryValueExists(k.Key(), "dword"));
  EXPECT_FALSE(RegistryValueExists(k.Key(), "missing"));
}

TEST(Registry, DeleteRegistryKeyTree) {
  TTestKey k;
  const std::string longName(200, 'L');  // the longest subkey name sets the buffer
  for (const std::string& sub : {std::string("tree\\a\\b\\c"), std::string("tree\\a\\d"), std::string("tree\\e"),
                                 "tree\\" + longName + "\\x"}) {
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(k.Key(), sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegSetValueExA(h, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(h);
  }
  HKEY h;
  EXPECT_TRUE(DeleteRegistryKeyTree(HKEY_CURRENT_USER, k.Path + "\\tree"));
  EXPECT_NE(RegOpenKeyExA(k.Key(), "tree", 0, KEY_READ, &h), ERROR_SUCCESS);
  EXPECT_FALSE(DeleteRegistryKeyTree(HKEY_CURRENT_USER, k.Path + "\\tree"));
  // An empty subkey would empty the whole root key.
  EXPECT_FALSE(DeleteRegistryKeyTree(k.Key(), ""));
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, k.Path.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS);
  RegCloseKey(h);
}

TEST(Registry, ProgramsMenuFolderFallsBackToTheUsersOne) {
  const char shell[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  HKEY lm;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, shell, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &lm, nullptr),
            ERROR_SUCCESS);
  std::string saved;
  bool had = ReadRegString(lm, "Common Programs", saved);
  HKEY cu;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, shell, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &cu, nullptr),
            ERROR_SUCCESS);
  std::string user;
  ReadRegString(cu, "Programs", user);
  RegCloseKey(cu);
  ASSERT_FALSE(user.empty());

  RegSetValueExA(lm, "Common Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Common"), 10);
  EXPECT_EQ(ProgramsMenuFolder(true, true), "C:\\Common\\");
  EXPECT_EQ(ProgramsMenuFolder(false, false), user);
  RegSetValueExA(lm, "Common Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  EXPECT_EQ(ProgramsMenuFolder(true, false), user);
  EXPECT_EQ(ProgramsMenuFolder(true, true), AddTrailingBackslash(user));

  if (had)
    RegSetValueExA(lm, "Common Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.c_str()),
                   static_cast<DWORD>(saved.size() + 1));
  else
    RegDeleteValueA(lm, "Common Programs");
  RegCloseKey(lm);
  EXPECT_FALSE(ProgramFilesFolder(false).empty());
  EXPECT_EQ(ProgramFilesFolder(true), AddTrailingBackslash(ProgramFilesFolder(false)));
}

}  // namespace
