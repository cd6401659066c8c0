// Stand-in ZIPDLL.DLL for the component's tests. FAKE_REC records the block
// it receives and replays a script of callbacks; FAKE_NOEXEC and FAKE_NOVER
// each lack one entry point.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ZipDllApi.h"

#define FAKE_EXPORT extern "C" __declspec(dllexport)

#ifdef FAKE_REC
namespace {
ZipRequestBlock g_block;  // the block as received; texts copied below
std::string g_zipName, g_password;
std::vector<std::string> g_specs;
int g_calls = 0;
std::vector<ZipCallbackRecord> g_script;
std::vector<int32_t> g_answers;
int32_t g_result = 0;
}  // namespace

FAKE_EXPORT void ZIPDLL_CALL FakeSetScript(const ZipCallbackRecord* records, int count, int32_t result) {
  g_script.assign(records, records + count);
  g_result = result;
}
FAKE_EXPORT const ZipRequestBlock* ZIPDLL_CALL FakeBlock() { return &g_block; }
FAKE_EXPORT const char* ZIPDLL_CALL FakeText(int which, int index) {
  if (which == 0) return g_zipName.c_str();
  if (which == 1) return g_password.c_str();
  return index < static_cast<int>(g_specs.size()) ? g_specs[index].c_str() : nullptr;
}
FAKE_EXPORT int ZIPDLL_CALL FakeCalls() { return g_calls; }
FAKE_EXPORT int ZIPDLL_CALL FakeAnswerCount() { return static_cast<int>(g_answers.size()); }
FAKE_EXPORT int32_t ZIPDLL_CALL FakeAnswer(int i) { return g_answers[i]; }

FAKE_EXPORT int32_t ZIPDLL_CALL ZipDllExec(ZipRequestBlock* b) {
  ++g_calls;
  std::memcpy(&g_block, b, sizeof g_block);
  g_zipName = b->ZipFileName ? b->ZipFileName : "";
  g_password = b->Password ? b->Password : "";
  g_specs.clear();
  for (int i = 0; i < b->Argc && i < kZipMaxSpecs; ++i) g_specs.push_back(b->FileSpecs[i]);
  g_answers.clear();
  for (ZipCallbackRecord r : g_script) {
    r.Caller = b->Caller;
    int32_t a = b->Callback(&r);
    g_answers.push_back(a);
    if (a == -1) return 0;
  }
  return g_result;
}
#endif

#ifndef FAKE_NOEXEC
#ifndef FAKE_REC
FAKE_EXPORT int32_t ZIPDLL_CALL ZipDllExec(ZipRequestBlock*) { return 0; }
#endif
#endif

#ifndef FAKE_NOVER
FAKE_EXPORT int32_t ZIPDLL_CALL GetZipDllVersion() { return kZipInterfaceVersion; }
#endif
