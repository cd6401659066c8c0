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

std::vector<std::string> TRobot::BoxLines() const {
  std::vector<std::string> lines;
  for (const TShownBox& b : Boxes) lines.push_back(b.Caption + ": " + b.Text);
  return lines;
}

bool TRobot::FileDialog(OPENFILENAMEA& ofn, bool save) {
  TShownDialog shown;
  shown.Save = save;
  // The filter is double-NUL-terminated: its parts, each ended by a NUL.
  for (const char* part = ofn.lpstrFilter; part && *part; part += std::strlen(part) + 1)
    shown.Filter += (shown.Filter.empty() ? "" : "|") + std::string(part);
  shown.DefaultExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : "";
  Dialogs.push_back(shown);
  if (FileNames.empty()) { ++Unscripted; return false; }
  std::string name = FileNames.front();
  FileNames.pop_front();
  if (name.empty() || !ofn.lpstrFile || ofn.nMaxFile <= name.size()) return false;
  std::memcpy(ofn.lpstrFile, name.c_str(), name.size() + 1);
  // Several files ("folder\0a\0b\0"): the first name follows the folder.
  const size_t folderEnd = name.find('\0');
  if (folderEnd != std::string::npos) {
    ofn.nFileOffset = static_cast<WORD>(folderEnd + 1);
  } else {
    const size_t slash = name.find_last_of("\\/");
    ofn.nFileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
  }
  return true;
}

bool TRobot::OpenFileDialog(OPENFILENAMEA& ofn) { return FileDialog(ofn, false); }
bool TRobot::SaveFileDialog(OPENFILENAMEA& ofn) { return FileDialog(ofn, true); }

std::string TRobot::BrowseForFolder(HWND, const std::string&, const std::string&) {
  if (Folders.empty()) { ++Unscripted; return {}; }
  std::string folder = Folders.front();
  Folders.pop_front();
  return folder;
}

bool TRobot::Help(HWND, const std::string& helpFile, UINT command, ULONG_PTR data) {
  HelpCalls.emplace_back(helpFile, command);
  HelpData.push_back(data);
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
