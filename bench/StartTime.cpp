// Start-up of a window program: from CreateProcess until a visible window
// of the program whose caption holds TEXT is up, then the program is
// ended. "cpu" is the program's own processor time until then.
//   StartTime TEXT PROGRAM [ARGUMENTS]
#include <cstring>

#include "BenchKit.h"

namespace {
struct TFind {
  DWORD Pid;
  const char* Text;
  bool Found = false;
};

BOOL CALLBACK Look(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<TFind*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char title[256] = "";
  if (pid == f->Pid && IsWindowVisible(h) && GetWindowTextA(h, title, sizeof title) && std::strstr(title, f->Text)) {
    f->Found = true;
    return FALSE;
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
  while (!find.Found && bench::Now() - t0 < 120 && WaitForSingleObject(pi.hProcess, 2) == WAIT_TIMEOUT)
    EnumWindows(Look, reinterpret_cast<LPARAM>(&find));
  double t1 = bench::Now();
  double cpu = bench::CpuSeconds(pi.hProcess);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!find.Found) {
    std::fprintf(stderr, "%s showed no window with \"%s\"\n", argv[2], argv[1]);
    return 1;
  }
  bench::Report(t1 - t0, cpu, "");
  return 0;
}
