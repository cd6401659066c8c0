// The install's decisions that need no system: whether an existing file is
// kept, the rewrite of WININIT.INI, the shared-file counts and the Program
// Manager command texts. Plain C++, table-tested on the host.
#pragma once
#include "ScriptFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The progress bar's maximum for a script: the files' compressed sizes, 1000
// for each icon and 1000 for the INI and for the registry entries.
int64_t InstallProgressMaximum(const TSetupScript& script);

// OverwriteMode values.
constexpr uint8_t omNormal = 0, omNeverOverwrite = 1, omNoVersionCheck = 2, omKeepNewerSilently = 3;

// What is known of the file already at the destination.
struct TExistingFile {
  std::optional<uint64_t> Version;    // dwFileVersionMS << 32 | dwFileVersionLS
  std::optional<uint64_t> WriteTime;  // last-write FILETIME
};

enum class TOverwriteDecision {
  Replace,        // go on with the copy (the 0x01 question may still come)
  Keep,           // keep the existing file without asking
  AskKeepNewer,   // the existing file is newer: ask whether to keep it
};

// The version and time rules for an existing destination. A record
// version of MS -1 (none), a file without a version and mode 2 replace.
// Versions compare as signed 32-bit halves, MS first; at equal versions
// the time decides.
TOverwriteDecision DecideOverwrite(const TScriptFile& record, const TExistingFile& existing);
// The record's version as TExistingFile holds one.
uint64_t PackVersion(int32_t ms, int32_t ls);

// WININIT.INI with `line` added as the last line of its "[rename]"
// section (made at the end when there is none); every other line and
// section is kept in order. `oldText` is the old file ("" for none).
std::string RewriteWininit(std::string_view oldText, const std::string& line);

// Registry value types of the shared-file counts.
constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;

struct TSharedCount {
  int64_t Count = 0;
  uint32_t Type = kRegDword;
};
// A stored count: REG_SZ decimal text, REG_BINARY of 1 to 4 bytes (little
// endian) or REG_DWORD. Anything else is nullopt.
std::optional<TSharedCount> ParseSharedCount(uint32_t type, std::string_view data);
// The count after one more install: a negative count is 0, a file that was
// there already counts as one user.
int64_t RaisedSharedCount(std::optional<TSharedCount> stored, bool existed);
// The bytes to store for `count` as `type`: REG_SZ as decimal text with its
// NUL, the others as 4 bytes.
std::string EncodeSharedCount(int64_t count, uint32_t type);

// "[Verb("arg")]".
std::string ProgmanCommand(const char* verb, const std::string& argument);
// "[ShowGroup("group",1)]".
std::string ShowGroupCommand(const std::string& group);
// The AddItem command: command line, name, icon path and index, two empty
// position fields, default folder.
std::string AddItemCommand(const std::string& target, const std::string& parameters, const std::string& name,
                           const std::string& iconFile, int32_t iconIndex, const std::string& workingDir);
// Whether a group's information (as Program Manager answers a request for
// it) says the group holds no items. Raises when the text has not the
// quotes and commas it must have.
bool ProgmanGroupIsEmpty(std::string_view info);
