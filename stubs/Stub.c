/* Stand-in extractor stub. It logs its name and command line to the file
   named by TZ_STUB_LOG, finds the archive appended to itself (behind the
   "MPU" settings block when there is one), lists its entries to the log and
   exits 0; 1 when no sound archive follows it. Kernel32 only, no C runtime,
   so it stays small. STUB_NAME, STUB_CAB and STUB_PAD come from the build. */
#include <windows.h>

#ifndef STUB_NAME
#error STUB_NAME must be defined
#endif

/* Padding that gives each stub a size of its own. */
__attribute__((used)) static const unsigned char kPad[STUB_PAD] = {1};

/* Signatures are kept masked, so that no archive reader mistakes the stub's
   own bytes for a header. */
#define MASK 0x5A
static volatile unsigned char g_mask = MASK;
static const unsigned char kLocalSig[4] = {'P' ^ MASK, 'K' ^ MASK, 3 ^ MASK, 4 ^ MASK};
static const unsigned char kCentralSig[4] = {'P' ^ MASK, 'K' ^ MASK, 1 ^ MASK, 2 ^ MASK};
static const unsigned char kEndSig[4] = {'P' ^ MASK, 'K' ^ MASK, 5 ^ MASK, 6 ^ MASK};
static const unsigned char kCabSig[4] = {'M' ^ MASK, 'S' ^ MASK, 'C' ^ MASK, 'F' ^ MASK};
static const unsigned char kMpuSig[3] = {'M' ^ MASK, 'P' ^ MASK, 'U' ^ MASK};

static HANDLE g_self = INVALID_HANDLE_VALUE;
static HANDLE g_log = INVALID_HANDLE_VALUE;
static DWORD g_size;
static unsigned char g_buf[65536 + 22];
static char g_line[1024];

static int IsSig(const unsigned char* p, const unsigned char* sig, int n) {
  unsigned char m = g_mask;
  for (int i = 0; i < n; ++i)
    if (p[i] != (unsigned char)(sig[i] ^ m)) return 0;
  return 1;
}

static DWORD Get16(const unsigned char* p) { return (DWORD)p[0] | ((DWORD)p[1] << 8); }
static DWORD Get32(const unsigned char* p) { return Get16(p) | (Get16(p + 2) << 16); }

static int ReadAt(DWORD offset, void* buf, DWORD n) {
  DWORD got = 0;
  if (offset > g_size || n > g_size - offset) return 0;
  if (SetFilePointer(g_self, (LONG)offset, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
  return ReadFile(g_self, buf, n, &got, NULL) && got == n;
}

static void Log(const char* text, DWORD n) {
  DWORD done;
  if (g_log != INVALID_HANDLE_VALUE) WriteFile(g_log, text, n, &done, NULL);
}

static void LogZ(const char* text) { Log(text, (DWORD)lstrlenA(text)); }

static void LogNum(DWORD v) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = (char)('0' + v % 10);
    v /= 10;
  } while (v);
  while (n) Log(&digits[--n], 1);
}

/* Where the appended data starts: the end of the last section. */
static DWORD OverlayStart(void) {
  unsigned char h[64];
  if (!ReadAt(0, h, 64)) return 0;
  DWORD pe = Get32(h + 0x3C);
  if (!ReadAt(pe, h, 24)) return 0;
  DWORD sections = Get16(h + 6), optSize = Get16(h + 20), end = 0;
  for (DWORD i = 0; i < sections; ++i) {
    if (!ReadAt(pe + 24 + optSize + i * 40, h, 40)) return 0;
    DWORD e = Get32(h + 20) + Get32(h + 16);
    if (Get32(h + 16) && e > end) end = e;
  }
  return end;
}

static int ListZip(DWORD start) {
  unsigned char* b = g_buf;
  if (g_size - start >= 256 && ReadAt(start, b, 256) && IsSig(b, kMpuSig, 3)) {
    LogZ("settings flags=");
    LogNum(b[3]);
    LogZ(" caption=");
    Log((const char*)b + 7, b[4]);
    LogZ(" folder=");
    Log((const char*)b + 7 + b[4], b[5]);
    LogZ(" run=");
    Log((const char*)b + 7 + b[4] + b[5], b[6]);
    LogZ("\r\n");
    start += 256;
  }
  DWORD avail = g_size - start;
  if (avail < 22) return 1;
  DWORD window = avail < sizeof g_buf ? avail : sizeof g_buf;
  DWORD base = g_size - window;
  if (!ReadAt(base, b, window)) return 1;
  DWORD end = 0;
  int found = 0;
  for (DWORD i = window - 22 + 1; i-- > 0;)
    if (IsSig(b + i, kEndSig, 4)) {
      end = base + i;
      found = 1;
      break;
    }
  if (!found) return 1;
  DWORD count = Get16(b + (end - base) + 10);
  DWORD cdSize = Get32(b + (end - base) + 12), cdOffset = Get32(b + (end - base) + 16);
  LogZ("zip entries=");
  LogNum(count);
  LogZ("\r\n");
  if (count == 0) return 0;
  if (cdSize > end - start) return 1;
  DWORD cd = end - cdSize;
  if (cdOffset > cd) return 1;
  DWORD delta = cd - cdOffset;
  for (DWORD i = 0; i < count; ++i) {
    unsigned char h[46];
    if (!ReadAt(cd, h, 46) || !IsSig(h, kCentralSig, 4)) return 1;
    DWORD nameLen = Get16(h + 28), size = Get32(h + 24), local = Get32(h + 42) + delta;
    if (nameLen >= sizeof g_line || !ReadAt(cd + 46, g_line, nameLen)) return 1;
    unsigned char lh[4];
    if (!ReadAt(local, lh, 4) || !IsSig(lh, kLocalSig, 4)) return 1;
    LogZ("  ");
    Log(g_line, nameLen);
    LogZ(" ");
    LogNum(size);
    LogZ("\r\n");
    cd += 46 + nameLen + Get16(h + 30) + Get16(h + 32);
  }
  return 0;
}

static int ListCab(DWORD start) {
  unsigned char h[36];
  if (!ReadAt(start, h, 36) || !IsSig(h, kCabSig, 4)) return 1;
  DWORD cabSize = Get32(h + 8), files = Get32(h + 16), count = Get16(h + 28);
  if (cabSize > g_size - start) return 1;
  LogZ("cab entries=");
  LogNum(count);
  LogZ("\r\n");
  DWORD at = start + files;
  for (DWORD i = 0; i < count; ++i) {
    unsigned char f[16];
    if (!ReadAt(at, f, 16)) return 1;
    DWORD n = 0;
    at += 16;
    for (;;) {
      if (n + 1 >= sizeof g_line || !ReadAt(at + n, g_line + n, 1)) return 1;
      if (!g_line[n]) break;
      ++n;
    }
    LogZ("  ");
    Log(g_line, n);
    LogZ(" ");
    LogNum(Get32(f));
    LogZ("\r\n");
    at += n + 1;
  }
  return 0;
}

static int Run(void) {
  char path[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("TZ_STUB_LOG", path, sizeof path);
  if (n > 0 && n < sizeof path) {
    g_log = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (g_log != INVALID_HANDLE_VALUE) SetFilePointer(g_log, 0, NULL, FILE_END);
  }
  LogZ(STUB_NAME " ");
  LogZ(GetCommandLineA());
  LogZ("\r\n");
  n = GetModuleFileNameA(NULL, path, sizeof path);
  if (n == 0 || n >= sizeof path) return 1;
  g_self = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (g_self == INVALID_HANDLE_VALUE) return 1;
  g_size = GetFileSize(g_self, NULL);
  DWORD start = OverlayStart();
  int rc = 1;
  if (start && start < g_size) rc = STUB_CAB ? ListCab(start) : ListZip(start);
  if (rc) LogZ("no archive\r\n");
  CloseHandle(g_self);
  return rc;
}

void mainCRTStartup(void);
void mainCRTStartup(void) {
  int rc = Run();
  if (g_log != INVALID_HANDLE_VALUE) CloseHandle(g_log);
  ExitProcess((UINT)rc);
}
