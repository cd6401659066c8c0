// Small libraries for the install tests: one with a version resource, and
// one that registers itself. TZ_REGDLL in the environment picks how
// DllRegisterServer behaves: "fail", "crash", else it succeeds.
#include <windows.h>

#ifdef TZ_SELF_REGISTERING
namespace {
const char kKey[] = "Software\\tidy-Zaderuzo tests\\RegDll";

bool Mode(const char* mode) {
  char value[32] = "";
  GetEnvironmentVariableA("TZ_REGDLL", value, sizeof value);
  return lstrcmpA(value, mode) == 0;
}
}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  if (Mode("fail")) return E_FAIL;
  if (Mode("crash")) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  DWORD one = 1;
  RegSetValueExA(key, "Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return RegDeleteKeyA(HKEY_CURRENT_USER, kKey) == ERROR_SUCCESS ? S_OK : E_FAIL;
}
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
