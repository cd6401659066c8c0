// The test seam: answers message boxes and dialogs from a script and records
// what the program showed. Nothing modal is ever opened.
#pragma once
#include "Seam.h"

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct TShownBox {
  std::string Text, Caption;
  UINT Flags = 0;
};

// An open or save dialog as it was shown.
struct TShownDialog {
  bool Save = false;
  std::string Filter;      // the filter's parts joined by '|'
  std::string DefaultExt;
};

class TRobot : public ISeam {
public:
  TRobot();
  ~TRobot() override;  // restores the seam it replaced

  // Script
  std::deque<int> Answers;                // message box answers, in order
  std::deque<std::string> FileNames;      // open/save dialogs; "" cancels;
                                          // "folder\0a\0b\0" chooses several
  std::deque<std::string> Folders;        // folder browser; "" cancels
  bool PassProgramsThrough = false;       // really start programs

  // Record
  std::vector<TShownBox> Boxes;
  std::vector<TShownDialog> Dialogs;
  int Unscripted = 0;                     // boxes shown with no answer left
  std::vector<std::pair<std::string, UINT>> HelpCalls;   // file, command
  std::vector<ULONG_PTR> HelpData;                       // each call's data (the topic)
  std::vector<std::string> ShellCalls;                   // "verb|file|params"
  std::vector<std::string> Programs;                     // command lines
  std::vector<UINT> ExitCalls;
  std::map<std::pair<HWND, UINT_PTR>, std::pair<UINT, TIMERPROC>> Timers;
  std::vector<std::string> Sounds;                       // system sounds; "Beep" for a beep
  // The foreground window tests see; null: the active window, which under
  // the null driver stands in for it.
  HWND Foreground = nullptr;

  // Each box shown, as "caption: text".
  std::vector<std::string> BoxLines() const;

  // Fires an active timer as the system would (proc, or WM_TIMER to the window).
  bool FireTimer(HWND wnd, UINT_PTR id);

  int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  bool OpenFileDialog(OPENFILENAMEA& ofn) override;
  bool SaveFileDialog(OPENFILENAMEA& ofn) override;
  std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder) override;
  bool Help(HWND wnd, const std::string& helpFile, UINT command, ULONG_PTR data) override;
  INT_PTR Shell(HWND wnd, const std::string& verb, const std::string& file,
                       const std::string& params, const std::string& dir, int show) override;
  bool StartProgram(const std::string& commandLine, const std::string& dir, int show,
                    PROCESS_INFORMATION& pi) override;
  bool Restart(UINT flags, DWORD reason) override;
  UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) override;
  bool KillTimer(HWND wnd, UINT_PTR id) override;
  HWND ForegroundWindow() override;
  void SetForegroundWindow(HWND wnd) override;
  void PlaySystemSound(const std::string& name) override;
  void Beep(UINT type) override;

private:
  bool FileDialog(OPENFILENAMEA& ofn, bool save);
  ISeam* previous_;
  TRealSeam real_;
};
