// Started by the run-entry tests: RunProbe LOG TAG [SLEEP_MS] appends
// "TAG-start", sleeps, then appends "TAG-end" to LOG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
void Append(const char* log, const char* tag, const char* what) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (FILE* f = std::fopen(log, "a")) {
      std::fprintf(f, "%s-%s\n", tag, what);
      std::fclose(f);
      return;
    }
    Sleep(20);  // the other probe has it open
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  Append(argv[1], argv[2], "start");
  if (argc > 3) Sleep(static_cast<DWORD>(std::atoi(argv[3])));
  Append(argv[1], argv[2], "end");
  return 0;
}
