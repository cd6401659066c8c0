#include "LibReg.h"

namespace {

// Where an exception escaping the library lands. The library's own handlers
// come first: only an exception that nothing inside it handled reaches the
// unhandled-exception filter, which jumps back to the call.
void* landing[5];
bool guarding = false;
DWORD caughtCode = 0;

LONG WINAPI Filter(EXCEPTION_POINTERS* info) {
  if (!guarding) return EXCEPTION_CONTINUE_SEARCH;
  guarding = false;
  caughtCode = info->ExceptionRecord->ExceptionCode;
  __builtin_longjmp(landing, 1);
}

using TEntry = HRESULT(WINAPI*)();

// True with the entry's result; false when it raised.
__attribute__((noinline)) bool GuardedCall(TEntry entry, HRESULT& result) {
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(Filter);
#ifndef _WIN64
  // The library's frames registered their handlers above this one.
  const DWORD chain = __readfsdword(0);
#endif
  bool ok = false;
  if (__builtin_setjmp(landing) == 0) {
    guarding = true;
    result = entry();
    ok = true;
  } else {
#ifndef _WIN64
    __writefsdword(0, chain);
#endif
  }
  guarding = false;
  SetUnhandledExceptionFilter(previous);
  return ok;
}

}  // namespace

TLibraryCall CallLibraryEntry(const std::string& path, const char* entry) {
  TLibraryCall call;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE lib = LoadLibraryA(path.c_str());
  SetErrorMode(oldMode);
  if (!lib) return call;
  auto fn = reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(lib, entry)));
  if (!fn) {
    call.Stage = TLibraryCall::lcNoEntry;
  } else if (GuardedCall(fn, call.Result)) {
    call.Stage = TLibraryCall::lcCalled;
  } else {
    call.Stage = TLibraryCall::lcException;
    call.ExceptionCode = caughtCode;
  }
  FreeLibrary(lib);
  return call;
}
