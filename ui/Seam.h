// The one seam for everything a test cannot click: message boxes, common
// dialogs, help, the shell, starting programs, restart and timers.
// Programs use the real one; tests install a robot (tests/support/Robot.h).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>

class ISeam {
public:
  virtual ~ISeam() = default;

  // MessageBoxA: returns IDOK, IDYES, ... An empty caption gives the
  // system's default one.
  virtual int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) = 0;
  // GetOpenFileNameA / GetSaveFileNameA.
  virtual bool OpenFileDialog(OPENFILENAMEA& ofn) = 0;
  virtual bool SaveFileDialog(OPENFILENAMEA& ofn) = 0;
  // SHBrowseForFolderA; empty result when cancelled.
  virtual std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder) = 0;
  // SHBrowseForFolderA with the caller's own browse information (root,
  // flags, callback): the chosen item, freed by the caller, or null. A test
  // seam answers from BrowseForFolder instead, without the callback.
  virtual LPITEMIDLIST BrowseForFolderItem(BROWSEINFOA& info);
  // WinHelpA.
  virtual bool Help(HWND wnd, const std::string& helpFile, UINT command, ULONG_PTR data) = 0;
  // ShellExecuteA: returns its result as an integer (>32 is success).
  virtual INT_PTR Shell(HWND wnd, const std::string& verb, const std::string& file,
                               const std::string& params, const std::string& dir, int show) = 0;
  // CreateProcessA with the command line as given; fills `pi` on success.
  virtual bool StartProgram(const std::string& commandLine, const std::string& dir, int show,
                            PROCESS_INFORMATION& pi) = 0;
  // ExitWindowsEx: never really called in tests.
  virtual bool Restart(UINT flags, DWORD reason) = 0;
  // SetTimer / KillTimer.
  virtual UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) = 0;
  virtual bool KillTimer(HWND wnd, UINT_PTR id) = 0;
  // GetForegroundWindow / SetForegroundWindow. Under Wine's null driver the
  // foreground window is never the program's own, so tests answer it.
  virtual HWND ForegroundWindow();
  virtual void SetForegroundWindow(HWND wnd);
  // sndPlaySoundA with a system sound's name ("MenuPopup"), and MessageBeep.
  virtual void PlaySystemSound(const std::string& name);
  virtual void Beep(UINT type);
};

// The seam in force; the real one unless a test replaced it.
ISeam& Seam();
// Installs `seam` (nullptr restores the real one); returns the previous one.
ISeam* SetSeam(ISeam* seam);

// Calls straight to Win32, as a program runs.
class TRealSeam : public ISeam {
public:
  int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  bool OpenFileDialog(OPENFILENAMEA& ofn) override;
  bool SaveFileDialog(OPENFILENAMEA& ofn) override;
  std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder) override;
  LPITEMIDLIST BrowseForFolderItem(BROWSEINFOA& info) override;
  bool Help(HWND wnd, const std::string& helpFile, UINT command, ULONG_PTR data) override;
  INT_PTR Shell(HWND wnd, const std::string& verb, const std::string& file,
                       const std::string& params, const std::string& dir, int show) override;
  bool StartProgram(const std::string& commandLine, const std::string& dir, int show,
                    PROCESS_INFORMATION& pi) override;
  bool Restart(UINT flags, DWORD reason) override;
  UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) override;
  bool KillTimer(HWND wnd, UINT_PTR id) override;
};
