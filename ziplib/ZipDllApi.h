// The binding between the zip component and ZIPDLL.DLL: the request block,
// the callback record, and the calling convention of the entry points and
// the callback. Shared by the library and the component.
#pragma once
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define ZIPDLL_CALL __stdcall
#else
#define ZIPDLL_CALL
#endif

// Booleans in the block are -1 (true) or 0 (false); the library reads any
// non-zero value as true.
constexpr int32_t kZipTrue = -1;
constexpr int32_t kZipFalse = 0;

constexpr int32_t kZipInterfaceVersion = 140;
constexpr int kZipMaxSpecs = 8213;
constexpr int kZipNameBufSize = 256;      // zip name and each specification
constexpr int kZipPasswordBufSize = 81;   // up to 80 characters
constexpr int kZipCallbackTextSize = 512;

// Callback actions.
enum : int32_t {
  zcaFileBegins = 1,  // text: stored name; FileSize: size of the file
  zcaPieceDone = 2,   // one piece (kZipPieceSize bytes) of the current file
  zcaBatchEnded = 3,
  zcaMessage = 4,     // text: message; ErrorCode: one of ZipDllError
};
constexpr uint32_t kZipPieceSize = 32768;

// Error codes of zcaMessage (0 for information).
enum ZipDllError : int32_t {
  zeNone = 0,
  zeWarning = 1,      // a file was skipped or could not be removed
  zeNothingToDo = 2,  // no file matched, or every entry was up to date
  zeBadArchive = 3,   // the existing archive cannot be read
  zeOpenFile = 4,     // a source file could not be read
  zeCreate = 5,       // the temporary archive could not be created
  zeWrite = 6,        // writing failed
  zeParams = 7,       // the request block is unusable
  zeAborted = 8,      // the callback asked to stop
  zeTooLarge = 9,     // beyond the 32-bit zip format
  zeFileChanged = 10, // a source file changed while it was added
  zeAdded = 11,       // information: a source went into the archive; text: its full path
};

struct ZipCallbackRecord {
  void* Handle;            // 0x00 window handle from the block
  void* Caller;            // 0x04 the calling component, from the block
  int32_t Version;         // 0x08 kZipInterfaceVersion
  int32_t IsOperationZip;  // 0x0C always true
  int32_t ActionCode;      // 0x10
  int32_t ErrorCode;       // 0x14
  int32_t FileSize;        // 0x18
  char Text[kZipCallbackTextSize];  // 0x1C zero-terminated
};

// Returns -1 to ask the library to stop, else 0.
typedef int32_t(ZIPDLL_CALL* ZipCallbackFn)(ZipCallbackRecord* record);

struct ZipRequestBlock {
  void* Handle;            // 0x00 application window; 0 when unattended
  void* Caller;            // 0x04
  int32_t Version;         // 0x08 kZipInterfaceVersion
  ZipCallbackFn Callback;  // 0x0C
  int32_t Trace;           // 0x10
  char* Password;          // 0x14 81-byte buffer
  int32_t Reserved18;      // 0x18 0
  int32_t Encrypt;         // 0x1C
  int32_t SystemFiles;     // 0x20 include hidden and system files
  int32_t Reserved24;      // 0x24 0
  int32_t Reserved28;      // 0x28 0
  int32_t Fixed2C;         // 0x2C -1
  int32_t Reserved30;      // 0x30 0
  int32_t Verbose;         // 0x34
  int32_t Fixed38;         // 0x38 -1
  int32_t Level;           // 0x3C 0 stores, 1 to 9 deflate
  int32_t Reserved40;      // 0x40 0
  int32_t Reserved44;      // 0x44 0
  int32_t JunkDirNames;    // 0x48 drop folder names
  int32_t Recurse;         // 0x4C
  int32_t Fixed50;         // 0x50 -1
  int32_t ForceDOS;        // 0x54 8.3 names
  int32_t Move;            // 0x58
  int32_t Reserved5C;      // 0x5C 0
  int32_t Update;          // 0x60
  int32_t Freshen;         // 0x64
  int32_t Reserved68;      // 0x68 0
  int32_t ZipTime;         // 0x6C archive time := newest entry
  int32_t Reserved70[2];   // 0x70 0
  int32_t Argc;            // 0x78 number of specifications
  char* ZipFileName;       // 0x7C 256-byte buffer
  int32_t Fixed80;         // 0x80 7
  char* FileSpecs[kZipMaxSpecs];  // 0x84 256-byte buffers
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(ZipCallbackRecord, Caller) == 0x04);
static_assert(offsetof(ZipCallbackRecord, ActionCode) == 0x10);
static_assert(offsetof(ZipCallbackRecord, ErrorCode) == 0x14);
static_assert(offsetof(ZipCallbackRecord, FileSize) == 0x18);
static_assert(offsetof(ZipCallbackRecord, Text) == 0x1C);
static_assert(offsetof(ZipRequestBlock, Callback) == 0x0C);
static_assert(offsetof(ZipRequestBlock, Password) == 0x14);
static_assert(offsetof(ZipRequestBlock, Encrypt) == 0x1C);
static_assert(offsetof(ZipRequestBlock, Verbose) == 0x34);
static_assert(offsetof(ZipRequestBlock, Level) == 0x3C);
static_assert(offsetof(ZipRequestBlock, JunkDirNames) == 0x48);
static_assert(offsetof(ZipRequestBlock, ForceDOS) == 0x54);
static_assert(offsetof(ZipRequestBlock, Update) == 0x60);
static_assert(offsetof(ZipRequestBlock, ZipTime) == 0x6C);
static_assert(offsetof(ZipRequestBlock, Argc) == 0x78);
static_assert(offsetof(ZipRequestBlock, ZipFileName) == 0x7C);
static_assert(offsetof(ZipRequestBlock, Fixed80) == 0x80);
static_assert(offsetof(ZipRequestBlock, FileSpecs) == 0x84);
static_assert(sizeof(ZipRequestBlock) == 0x84 + 4 * kZipMaxSpecs);
#endif

// Entry points, exported by these names.
typedef int32_t(ZIPDLL_CALL* ZipDllExecFn)(ZipRequestBlock* block);  // files added
typedef int32_t(ZIPDLL_CALL* GetZipDllVersionFn)();
