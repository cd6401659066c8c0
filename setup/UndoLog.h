// The change log's entries and the uninstall log "UNINST1.nnn" they are
// written to: plain C++ on bytes.
#pragma once
#include "ByteSource.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>

// Entry kinds; the strings of an entry's data, in order, are named after
// each kind.
enum TLogKind : uint8_t {
  lkFolder = 0,         // folder
  lkFile = 1,           // path, pending temporary file ("" when none)
  lkProgmanItem = 2,    // group, item ("" = the group itself)
  lkIniEntry = 3,       // INI file ("" = WIN.INI), section, key
  lkIniSection = 4,     // INI file, section
  lkRegKey = 5,         // subkey; Param is the root key
  lkRegKeyIfEmpty = 6,  // subkey; Param is the root key
  lkRegValue = 7,       // subkey, value name; Param is the root key
  lkShellNotify = 8,    // path; Param is the shell change event
};
constexpr uint8_t kLastLogKind = lkShellNotify;

// lkFolder Param bits.
constexpr int32_t lpNotifyRemove = 0x01;
// lkFile Param bits.
constexpr int32_t lpExisted = 0x01;        // the file was there before the install
constexpr int32_t lpUninstallOnly = 0x02;  // left alone by a rollback
constexpr int32_t lpShared = 0x04;         // counted under SharedDLLs
constexpr int32_t lpRegistered = 0x08;     // unregistered before it is deleted
constexpr int32_t lpNotifyDelete = 0x10;   // the shell is told after deleting

// Most data bytes one entry keeps.
constexpr size_t MaxLogData = 64985;
// Fixed fields of an entry (two links, Param, Kind, DataLength).
constexpr size_t kLogEntryFixedSize = 15;
// Signature, count, Title string[63], Common and three reserved bytes.
constexpr size_t kLogFileHeaderSize = 78;
constexpr size_t kMaxLogEntries = 0xFFFF;
// "uts100a" and 0x1A.
extern const char LogSignature[8];

struct TLogEntry {
  int32_t Param = 0;
  uint8_t Kind = 0;
  std::string Data;  // DataLength bytes: texts, each ended by a NUL

  // The n-th text of the data, counted from 0; "" when the data holds no
  // such text. Never reads past the data.
  std::string GetEntryString(int n) const;
};

// The ordered record of an install's changes, oldest first.
class TChangeLog {
public:
  std::string Title;   // the program name
  uint8_t Common = 0;  // 1 when the all-users Programs folder was used

  // Appends an entry as the newest. Data beyond MaxLogData is cut, and a
  // cut entry still ends with a NUL.
  void AddEntry(uint8_t kind, const void* data, size_t length, int32_t param);
  // The texts, each followed by a NUL.
  void Add(uint8_t kind, std::initializer_list<std::string> texts, int32_t param);
  void Clear();

  bool Empty() const { return entries_.empty(); }
  size_t Count() const { return entries_.size(); }
  const std::deque<TLogEntry>& Entries() const { return entries_; }
  // The newest entry, taken off the log.
  TLogEntry TakeLast();

  // Called after each entry is added (a test makes the install fail there).
  std::function<void(size_t count)> OnAdd;

private:
  std::deque<TLogEntry> entries_;
};

// The 78-byte header of the uninstall log. Raises when the count does not
// fit its 16 bits.
std::string EncodeLogFileHeader(size_t entryCount, const std::string& title, uint8_t common);
// One entry as the file holds it: 15 fixed bytes (the links zero), then
// the data.
std::string EncodeLogEntry(const TLogEntry& entry);
// The whole uninstall log.
std::string EncodeUninstallLog(const TChangeLog& log);
