// Start-up of a window program: from CreateProcess until a visible window
// of the program whose caption holds TEXT is up, then the program is
// ended. "cpu" is the program's own processor time until then, "items"
// the most items a list view of that window holds.
//   StartTime TEXT PROGRAM [ARGUMENTS]
#include <cstring>

#include "BenchKit.h"

namespace {
struct TFind {
  DWORD Pid;
  const char* Text;
  bool Found = false;
  HWND Window = nullptr;
};

// The most items any list view of the window holds: what a loaded project
// put there.
BOOL CALLBACK CountItems(HWND h, LPARAM p) {
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::strcmp(cls, "SysListView32") == 0) {
    auto* most = reinterpret_cast<LRESULT*>(p);
    LRESULT n = SendMessageA(h, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0);
    if (n > *most) *most = n;
  }
  return TRUE;
}

BOOL CALLBACK Look(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<TFind*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char title[256] = "";
  if (pid == f->Pid && IsWindowVisible(h) && GetWindowTextA(h, title, sizeof title) && std::strstr(title, f->Text)) {
    f->Found = true;
    f->Window = h;
    return FALSE;
  }
  return TRUE;
}
// Names a visible window of the process: what it showed instead.
BOOL CALLBACK Tell(HWND h, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  char title[256] = "";
  if (owner == static_cast<DWORD>(pid) && IsWindowVisible(h)) {
    GetWindowTextA(h, title, sizeof title);
    std::fprintf(stderr, "shown instead: \"%s\"\n", title);
  }
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: StartTime TEXT PROGRAM [ARGUMENTS]\n");
    return 2;
  }
  std::string cmd;
  for (int i = 2; i < argc; ++i) cmd += std::string(i > 2 ? " " : "") + "\"" + argv[i] + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  double t0 = bench::Now();
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", argv[2], GetLastError());
    return 1;
  }
  TFind find{pi.dwProcessId, argv[1]};
  // Looking costs Wine's server a few thousand requests a second; every
  // 10 ms leaves it to the program being timed.
  while (!find.Found && bench::Now() - t0 < 120 && WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT)
    EnumWindows(Look, reinterpret_cast<LPARAM>(&find));
  double t1 = bench::Now();
  double cpu = bench::CpuSeconds(pi.hProcess);
  if (!find.Found) EnumWindows(Tell, static_cast<LPARAM>(pi.dwProcessId));
  LRESULT items = 0;
  if (find.Found) EnumChildWindows(find.Window, CountItems, reinterpret_cast<LPARAM>(&items));
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!find.Found) {
    std::fprintf(stderr, "%s showed no window with \"%s\"\n", argv[2], argv[1]);
    return 1;
  }
  bench::Report(t1 - t0, cpu, "items=" + std::to_string(items));
  return 0;
}
