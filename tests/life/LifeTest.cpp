// Whole lives of the shipped programs: each is started from a folder of its
// own, does its main job, and is ended as a user ends it, through its
// windows. The wrapper (life-run.sh) fails a run whose standard error shows
// heap misuse or a crash; these tests check the windows and exit codes.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ScriptWriter.h"
#include "TestPaths.h"

using namespace std::string_literals;

namespace {
constexpr DWORD kPatience = 60000;  // ms for a window to come or a program to end

std::string WindowText(HWND wnd) {
  char text[1024] = "";
  GetWindowTextA(wnd, text, sizeof text);
  return text;
}

std::string ClassOf(HWND wnd) {
  char name[64] = "";
  GetClassNameA(wnd, name, sizeof name);
  return name;
}

// A shipped program, started in a folder of its own with the files that
// ship beside it, and watched through its windows.
class TProgram {
public:
  TProgram(const std::string& exe, const std::string& args, const std::string& folder) {
    CopyShippedFiles(folder);
    const std::string path = folder + "\\" + exe;
    CopyFileA(DistPath(exe).c_str(), path.c_str(), FALSE);
    std::string command = "\"" + path + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_);
  }
  ~TProgram() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 10000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  bool Started() const { return started_; }
  bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

  // The program's visible top-level windows, message boxes included.
  std::vector<HWND> Windows() const {
    TSeen seen{pi_.dwProcessId, {}};
    EnumWindows(SeeWindow, reinterpret_cast<LPARAM>(&seen));
    return seen.windows;
  }

  // Waits for a visible window that `match` accepts; nullptr after the
  // time runs out or when the program ends first.
  HWND WaitFor(const std::function<bool(HWND)>& match, DWORD ms = kPatience) const {
    const DWORD end = GetTickCount() + ms;
    do {
      for (HWND w : Windows())
        if (match(w)) return w;
      if (!Running()) return nullptr;
      Sleep(50);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    return nullptr;
  }
  HWND WaitForCaption(const std::string& caption, DWORD ms = kPatience) const {
    return WaitFor([&](HWND w) { return WindowText(w) == caption; }, ms);
  }
  HWND WaitForBox(DWORD ms = kPatience) const {
    return WaitFor([](HWND w) { return ClassOf(w) == "#32770"; }, ms);
  }

  // The text of a message box.
  static std::string BoxText(HWND box) {
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
  }
  // Presses a message box's button, as a click does.
  static void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  }

  // A visible button of `window` with this caption.
  static HWND Button(HWND window, const std::string& caption) {
    TFind find{caption, nullptr};
    EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&find));
    return find.found;
  }
  // Clicks a button: its parent hears of it as of a click.
  static void Click(HWND button) {
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }

  // Types a key at the program's focused window, with Ctrl or Alt held.
  void Key(UINT vk, bool ctrl = false, bool alt = false) const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(pi_.dwThreadId, &gui);
    HWND target = gui.hwndFocus ? gui.hwndFocus : gui.hwndActive;
    // Shared input: the program reads the modifiers from the key state.
    AttachThreadInput(GetCurrentThreadId(), pi_.dwThreadId, TRUE);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
    const LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16) | (alt ? 1 << 29 : 0);
    PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lp);
    Settle();
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, vk, lp | 0xC0000000);
    Settle();
    keys[VK_CONTROL] = keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    AttachThreadInput(GetCurrentThreadId(), pi_.dwThreadId, FALSE);
  }

  // Waits until the program has handled what was posted to it.
  void Settle() const {
    WaitForInputIdle(pi_.hProcess, 5000);
    Sleep(200);
  }

  // What the program shows, for a failure's message.
  std::string Describe() const {
    std::string text;
    for (HWND w : Windows()) {
      text += "\n  " + ClassOf(w) + " \"" + WindowText(w) + "\"";
      if (ClassOf(w) == "#32770") text += ": " + BoxText(w);
    }
    return text.empty() ? "no windows" : "windows:" + text;
  }

  // The exit code once the program has ended, or STILL_ACTIVE.
  DWORD WaitForExit(DWORD ms = kPatience) const {
    WaitForSingleObject(pi_.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

private:
  struct TSeen {
    DWORD process;
    std::vector<HWND> windows;
  };
  static BOOL CALLBACK SeeWindow(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<TSeen*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if (process == s->process && IsWindowVisible(wnd)) s->windows.push_back(wnd);
    return TRUE;
  }
  struct TFind {
    const std::string& caption;
    HWND found;
  };
  static BOOL CALLBACK FindButton(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<TFind*>(lp);
    if (IsWindowVisible(wnd) && IsWindowEnabled(wnd) && WindowText(wnd) == f->caption) {
      f->found = wnd;
      return FALSE;
    }
    return TRUE;
  }

  bool started_ = false;
  PROCESS_INFORMATION pi_{};
};

// A project from the bundled sample's layout: a zip of these folders.
std::string ZipProject(const std::string& output, const std::vector<std::string>& folders) {
  std::string text = "tidy-Zaderuzo Version 1.60 Project File\r\n"
                     "Project settings of tidy-Zaderuzo, one value a line\r\n"
                     "** You are not recommended to modify this file directly **\r\n"
                     "\r\n"
                     "Life\r\n" +
                     output + "\r\nZip Archive\r\n\x01" "FILES\x01\r\n\x03" "FILES\x03\r\n\x01" "FOLDERS\x01\r\n";
  for (const std::string& f : folders) text += f + "\\\r\n";
  return text + "\x03" "FOLDERS\x03\r\nY\r\nY\r\nN\r\nN\r\nN\r\n9\r\n\r\n";
}

// dir\Life.tpj: a zip of a folder of `count` small files into dir\Life.zip.
std::string LifeProject(const TTempDir& dir, int count) {
  const std::string folder = dir / "sources";
  MakeDirs(folder);
  for (int i = 0; i < count; ++i)
    WriteFileBytes(folder + "\\file" + std::to_string(i) + ".txt", "line " + std::to_string(i) + "\r\n");
  const std::string project = dir / "Life.tpj";
  WriteFileBytes(project, ZipProject(dir / "Life.zip", {folder}));
  return project;
}

const char kStudioCaption[] = "tidy Zaderuzo Studio - My Project";
const char kWizardCaption[] = "tidy Zaderuzo Wizard Version 1.60";
}  // namespace

// ---------------------------------------------------------------------------
// The Studio

struct TStudioEnd {
  const char* name;
  std::function<void(TProgram&, HWND)> end;
};

TEST(Life, StudioEndsAsAUserEndsIt) {
  const std::vector<TStudioEnd> ends = {
      {"close box", [](TProgram&, HWND main) { PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](TProgram& p, HWND) { p.Key(VK_F4, false, true); }},
      {"File > Exit", [](TProgram& p, HWND) {
         p.Key('F', false, true);
         p.Key('X');
       }},
  };
  for (const TStudioEnd& e : ends) {
    SCOPED_TRACE(e.name);
    TTempDir dir;
    TProgram studio("Studio.exe", "", dir.Path());
    ASSERT_TRUE(studio.Started());
    HWND main = studio.WaitForCaption(kStudioCaption);
    ASSERT_NE(main, nullptr);
    e.end(studio, main);
    EXPECT_EQ(studio.WaitForExit(), 0u) << studio.Describe();
  }
}

TEST(Life, StudioWithAProjectBuildsAndEnds) {
  TTempDir dir;
  const std::string project = LifeProject(dir, 50);
  // A project loaded from the command line counts as changed: closing
  // offers to save it, and No ends the program.
  auto closeWithoutSaving = [](TProgram& studio, HWND main) {
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = studio.WaitForBox();
    ASSERT_NE(box, nullptr) << studio.Describe();
    EXPECT_EQ(TProgram::BoxText(box), "Your tidy-Zaderuzo Project has been modified. Do you wish to save it now?");
    TProgram::Answer(box, IDNO);
    EXPECT_EQ(studio.WaitForExit(), 0u) << studio.Describe();
  };
  // Opened, then closed.
  {
    TProgram studio("Studio.exe", "\"" + project + "\"", dir / "opened");
    HWND main = studio.WaitForCaption(kStudioCaption);
    ASSERT_NE(main, nullptr);
    closeWithoutSaving(studio, main);
  }
  // Opened, built with Ctrl+F9, then closed.
  TProgram studio("Studio.exe", "\"" + project + "\"", dir / "built");
  HWND main = studio.WaitForCaption(kStudioCaption);
  ASSERT_NE(main, nullptr);
  studio.Key(VK_F9, true);
  for (int i = 0; i < 600 && !FileExists(dir / "Life.zip"); ++i) Sleep(100);
  ASSERT_TRUE(FileExists(dir / "Life.zip"));
  studio.Settle();
  EXPECT_EQ(studio.WaitForBox(2000), nullptr) << studio.Describe();
  closeWithoutSaving(studio, main);
}

// ---------------------------------------------------------------------------
// tidyPack

TEST(Life, WizardEndsAsAUserEndsIt) {
  TTempDir dir;
  TProgram wizard("tidyPack.exe", "", dir.Path());
  HWND main = wizard.WaitForCaption(kWizardCaption);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  // Closing on a page before the last one asks first.
  HWND box = wizard.WaitForBox();
  ASSERT_NE(box, nullptr);
  TProgram::Answer(box, IDYES);
  EXPECT_EQ(wizard.WaitForExit(), 0u) << wizard.Describe();
}

TEST(Life, WizardBuildsThousandsOfFilesAndEnds) {
  TTempDir dir;
  const std::string project = LifeProject(dir, 3000);
  TProgram wizard("tidyPack.exe", "\"" + project + "\" /B", dir / "program");
  HWND main = wizard.WaitForCaption(kWizardCaption);
  ASSERT_NE(main, nullptr);
  HWND finish = nullptr;
  for (int i = 0; i < 1200 && !finish && wizard.Running(); ++i) {
    finish = TProgram::Button(main, "&Finish");
    ASSERT_EQ(wizard.WaitForBox(0), nullptr) << TProgram::BoxText(wizard.WaitForBox(0));
    Sleep(100);
  }
  ASSERT_NE(finish, nullptr) << "the build did not finish";
  EXPECT_TRUE(FileExists(dir / "Life.zip"));
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wizard.WaitForExit(), 0u) << wizard.Describe();
}

// ---------------------------------------------------------------------------
// Setup

namespace {
// A script that installs one folder and two files into a folder below
// Program Files, with its data beside it on disk 1 (and disk 2, which the
// cases may leave out).
struct TLifeSetup {
  TTempDir Root;
  std::string Src = Root / "src";
  std::string AppName = "tidyLife" + std::to_string(GetCurrentProcessId());
  std::string App;
  fixture::TDataSet Data;
  TSetupScript Script;

  TLifeSetup() {
    MakeDirs(Src);
    char programFiles[MAX_PATH] = "";
    DWORD size = sizeof programFiles;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) == 0) {
      RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(programFiles), &size);
      RegCloseKey(key);
    }
    App = std::string(programFiles) + "\\" + AppName;
    TScriptHeader& h = Script.ScriptHeader;
    h.ProgramName = "Life";
    h.ProgramVerName = "Life 1.0";
    h.DefaultDirName = AppName;
    h.DefaultGroupName = "tidy Life";
    h.MinWinMajor = h.MinNTMajor = 4;
    h.BackColor = 0x800000;
    Script.FolderList = {{"{app}\\Data"}};
    Data = fixture::BuildDataSet({{"program", ""}, {"data", ""}}, {30});
    Data.Files[0].DestName = "{app}\\Program.exe";
    Data.Files[1].DestName = "{app}\\Data\\Data.txt";
    Script.FileList = Data.Files;
    Script.LocationList = Data.Locations;
  }
  ~TLifeSetup() {
    DeleteFileA((App + "\\Data\\Data.txt").c_str());
    DeleteFileA((App + "\\Program.exe").c_str());
    RemoveDirectoryA((App + "\\Data").c_str());
    RemoveDirectoryA(App.c_str());
  }
  // Writes SETUP.0 and the disks (all, or all but the last).
  void Write(bool lastDisk = true) {
    fixture::TScriptFixture f;
    f.Script = Script;
    f.Compressed = true;
    WriteFileBytes(Src + "\\SETUP.0", f.Build());
    for (size_t i = 0; i < Data.Disks.size(); ++i) {
      if (!lastDisk && i + 1 == Data.Disks.size()) break;
      const std::string disk = i == 0 ? Src : Root / ("DISK" + std::to_string(i + 1));
      MakeDirs(disk);
      WriteFileBytes(disk + "\\SETUP." + std::to_string(i + 1), Data.Disks[i]);
    }
  }
};

// Goes through Setup's pages with Next until it ends. Each box is answered
// Abort where it offers that, else Yes, else OK; a next-disk prompt is
// cancelled.
// Returns the boxes' texts.
std::vector<std::string> ClickThrough(TProgram& setup) {
  std::vector<std::string> boxes;
  const DWORD end = GetTickCount() + 2 * kPatience;
  // A box that keeps coming back is a user stuck, not a life.
  while (setup.Running() && static_cast<LONG>(end - GetTickCount()) > 0 && boxes.size() < 10) {
    for (HWND w : setup.Windows()) {
      HWND button = nullptr;
      if (ClassOf(w) == "#32770") {
        boxes.push_back(TProgram::BoxText(w));
        TProgram::Answer(w, GetDlgItem(w, IDABORT) ? IDABORT : GetDlgItem(w, IDYES) ? IDYES : IDOK);
      } else if (TProgram::Button(w, "&Browse...") && (button = TProgram::Button(w, "Cancel"))) {
        boxes.push_back("next disk");
        TProgram::Click(button);
      } else if ((button = TProgram::Button(w, "&Next >")) || (button = TProgram::Button(w, "&Finish"))) {
        TProgram::Click(button);
      } else {
        continue;
      }
      setup.Settle();
      break;
    }
    Sleep(100);
  }
  return boxes;
}

}  // namespace

TEST(Life, SetupFinishesAnInstallAndEnds) {
  TLifeSetup s;
  s.Write();
  TProgram setup("Setup.exe", "", s.Src);
  ASSERT_TRUE(setup.Started());
  std::vector<std::string> boxes = ClickThrough(setup);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("The Installation Folder", 0), 0u) << boxes[0];
  EXPECT_EQ(setup.WaitForExit(), 0u) << setup.Describe();
  EXPECT_EQ(ReadFileBytes(s.App + "\\Data\\Data.txt"), "data");
}

TEST(Life, SetupRollsBackAndEnds) {
  struct TCase {
    const char* name;
    std::function<void(TLifeSetup&)> spoil;
    bool lastDisk;
    const char* box;  // the start of the first box's text
  };
  const std::vector<TCase> cases = {
      {"damaged data",
       [](TLifeSetup& s) {
         std::string& disk = s.Data.Disks.back();
         disk[disk.size() - 3] ^= 0x55;  // inside the last file's stream
       },
       true, ""},
      {"failed registry entry answered Abort",
       [](TLifeSetup& s) {
         TScriptRegEntry bad;
         bad.RootKey = 0x12345678;
         bad.Subkey = "Software\\tidy-Zaderuzo tests\\Life";
         bad.ValueName = "v";
         bad.ValueType = rtString;
         bad.ValueData[0] = 'x';
         bad.RegOptions = 0x01;
         s.Script.RegistryList = {bad};
       },
       true, "Error creating registry key"},
      {"cancelled disk prompt", [](TLifeSetup&) {}, false, "next disk"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TLifeSetup s;
    c.spoil(s);
    ASSERT_GE(s.Data.Disks.size(), 2u);
    s.Write(c.lastDisk);
    TProgram setup("Setup.exe", "", s.Src);
    ASSERT_TRUE(setup.Started());
    std::vector<std::string> boxes = ClickThrough(setup);
    EXPECT_EQ(setup.WaitForExit(), 0u) << setup.Describe();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].rfind("The Installation Folder", 0), 0u) << boxes[0];
    EXPECT_EQ(boxes[1].rfind(c.box, 0), 0u) << boxes[1];
    // Rolled back: nothing of the install is left.
    EXPECT_FALSE(DirExists(s.App)) << s.App;
  }
}
