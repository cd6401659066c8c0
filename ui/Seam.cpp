#include "Seam.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace {
TRealSeam realSeam;
ISeam* current = &realSeam;

int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}
}  // namespace

ISeam& Seam() { return *current; }

ISeam* SetSeam(ISeam* seam) {
  ISeam* previous = current;
  current = seam ? seam : &realSeam;
  return previous;
}

int TRealSeam::ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxA(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), flags);
}

bool TRealSeam::OpenFileDialog(OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn) != FALSE; }
bool TRealSeam::SaveFileDialog(OPENFILENAMEA& ofn) { return GetSaveFileNameA(&ofn) != FALSE; }

std::string TRealSeam::BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder) {
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseCallback;
  bi.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
  LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
  if (!pidl) return {};
  std::vector<char> path(MAX_PATH + 1);
  std::string result;
  if (SHGetPathFromIDListA(pidl, path.data())) result = path.data();
  CoTaskMemFree(pidl);
  return result;
}

LPITEMIDLIST ISeam::BrowseForFolderItem(BROWSEINFOA& info) {
  std::string folder = BrowseForFolder(info.hwndOwner, info.lpszTitle ? info.lpszTitle : "", "");
  if (folder.empty()) return nullptr;
  std::wstring wide(folder.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), static_cast<int>(wide.size()))));
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  LPITEMIDLIST item = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &item, nullptr))) item = nullptr;
  desktop->Release();
  return item;
}

LPITEMIDLIST TRealSeam::BrowseForFolderItem(BROWSEINFOA& info) { return SHBrowseForFolderA(&info); }

bool TRealSeam::Help(HWND wnd, const std::string& helpFile, UINT command, ULONG_PTR data) {
  return WinHelpA(wnd, helpFile.c_str(), command, data) != FALSE;
}

INT_PTR TRealSeam::Shell(HWND wnd, const std::string& verb, const std::string& file,
                                const std::string& params, const std::string& dir, int show) {
  return reinterpret_cast<INT_PTR>(ShellExecuteA(wnd, verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                                                 params.empty() ? nullptr : params.c_str(),
                                                 dir.empty() ? nullptr : dir.c_str(), show));
}

bool TRealSeam::StartProgram(const std::string& commandLine, const std::string& dir, int show,
                             PROCESS_INFORMATION& pi) {
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  pi = PROCESS_INFORMATION{};
  return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi) != FALSE;
}

bool TRealSeam::Restart(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason) != FALSE; }

UINT_PTR TRealSeam::SetTimer(HWND wnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  return ::SetTimer(wnd, id, elapse, proc);
}

bool TRealSeam::KillTimer(HWND wnd, UINT_PTR id) { return ::KillTimer(wnd, id) != FALSE; }

HWND ISeam::ForegroundWindow() { return GetForegroundWindow(); }
void ISeam::SetForegroundWindow(HWND wnd) { ::SetForegroundWindow(wnd); }

void ISeam::PlaySystemSound(const std::string& name) {
  sndPlaySoundA(name.c_str(), SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

void ISeam::Beep(UINT type) { MessageBeep(type); }
