#include "Robot.h"

#include <cstring>

TRobot::TRobot() : previous_(SetSeam(this)) {}
TRobot::~TRobot() { SetSeam(previous_); }

int TRobot::ShowBox(HWND, const std::string& text, const std::string& caption, UINT flags) {
  Boxes.push_back({text, caption, flags});
  if (!Answers.empty()) {
    int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  ++Unscripted;
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_YESNOCANCEL: return IDCANCEL;
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}

bool TRobot::FileDialog(OPENFILENAMEA& ofn) {
  if (FileNames.empty()) { ++Unscripted; return false; }
  std::string name = FileNames.front();
  FileNames.pop_front();
  if (name.empty() || !ofn.lpstrFile || ofn.nMaxFile <= name.size()) return false;
  std::memcpy(ofn.lpstrFile, name.c_str(), name.size() + 1);
  return true;
}

bool TRobot::OpenFileDialog(OPENFILENAMEA& ofn) { return FileDialog(ofn); }
bool TRobot::SaveFileDialog(OPENFILENAMEA& ofn) { return FileDialog(ofn); }

std::string TRobot::BrowseForFolder(HWND, const std::string&, const std::string&) {
  if (Folders.empty()) { ++Unscripted; return {}; }
  std::string folder = Folders.front();
  Folders.pop_front();
  return folder;
}

bool TRobot::Help(HWND, const std::string& helpFile, UINT command, ULONG_PTR) {
  HelpCalls.emplace_back(helpFile, command);
  return true;
}

INT_PTR TRobot::Shell(HWND, const std::string& verb, const std::string& file,
                             const std::string& params, const std::string&, int) {
  ShellCalls.push_back(verb + "|" + file + "|" + params);
  return 42;
}

bool TRobot::StartProgram(const std::string& commandLine, const std::string& dir, int show,
                          PROCESS_INFORMATION& pi) {
  Programs.push_back(commandLine);
  if (PassProgramsThrough) return real_.StartProgram(commandLine, dir, show, pi);
  pi = PROCESS_INFORMATION{};
  return true;
}

bool TRobot::Restart(UINT flags, DWORD) {
  ExitCalls.push_back(flags);
  return true;
}

UINT_PTR TRobot::SetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (!wnd && !id) id = 0x7000 + Timers.size();
  Timers[{wnd, id}] = {elapse, proc};
  return id;
}

bool TRobot::KillTimer(HWND wnd, UINT_PTR id) { return Timers.erase({wnd, id}) != 0; }

bool TRobot::FireTimer(HWND wnd, UINT_PTR id) {
  auto it = Timers.find({wnd, id});
  if (it == Timers.end()) return false;
  if (TIMERPROC proc = it->second.second)
    proc(wnd, WM_TIMER, id, GetTickCount());
  else
    SendMessageA(wnd, WM_TIMER, id, 0);
  return true;
}

HWND TRobot::ForegroundWindow() { return Foreground ? Foreground : GetActiveWindow(); }
void TRobot::SetForegroundWindow(HWND) {}
void TRobot::PlaySystemSound(const std::string& name) { Sounds.push_back(name); }
void TRobot::Beep(UINT) { Sounds.push_back("Beep"); }
