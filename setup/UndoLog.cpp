#include "UndoLog.h"

#include "Exception.h"

const char LogSignature[8] = {'u', 't', 's', '1', '0', '0', 'a', 0x1A};

namespace {

void PutUInt16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void PutUInt32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string TLogEntry::GetEntryString(int n) const {
  size_t start = 0;
  for (; n > 0; --n) {
    size_t nul = Data.find('\0', start);
    if (nul == std::string::npos) return {};
    start = nul + 1;
  }
  if (start >= Data.size()) return {};
  size_t nul = Data.find('\0', start);
  return Data.substr(start, nul == std::string::npos ? std::string::npos : nul - start);
}

void TChangeLog::AddEntry(uint8_t kind, const void* data, size_t length, int32_t param) {
  TLogEntry e;
  e.Param = param;
  e.Kind = kind;
  if (length > MaxLogData) {
    e.Data.assign(static_cast<const char*>(data), MaxLogData);
    e.Data.back() = '\0';  // the last text still ends
  } else if (length > 0) {
    e.Data.assign(static_cast<const char*>(data), length);
  }
  entries_.push_back(std::move(e));
  if (OnAdd) OnAdd(entries_.size());
}

void TChangeLog::Add(uint8_t kind, std::initializer_list<std::string> texts, int32_t param) {
  std::string data;
  for (const std::string& t : texts) {
    data += t;
    data += '\0';
  }
  AddEntry(kind, data.data(), data.size(), param);
}

void TChangeLog::Clear() {
  entries_.clear();
  Title.clear();
  Common = 0;
}

TLogEntry TChangeLog::TakeLast() {
  TLogEntry e = std::move(entries_.back());
  entries_.pop_back();
  return e;
}

std::string EncodeLogFileHeader(size_t entryCount, const std::string& title, uint8_t common) {
  if (entryCount > kMaxLogEntries)
    throw Exception("The uninstall log cannot hold more than 65535 changes");
  std::string h(LogSignature, sizeof LogSignature);
  PutUInt16(h, static_cast<uint16_t>(entryCount));
  size_t n = title.size() < 63 ? title.size() : 63;
  h += static_cast<char>(n);
  h += title.substr(0, n);
  h.resize(8 + 2 + 64, '\0');
  h += static_cast<char>(common);
  h.resize(kLogFileHeaderSize, '\0');
  return h;
}

std::string EncodeLogEntry(const TLogEntry& entry) {
  std::string s;
  PutUInt32(s, 0);  // links: no meaning in the file
  PutUInt32(s, 0);
  PutUInt32(s, static_cast<uint32_t>(entry.Param));
  s += static_cast<char>(entry.Kind);
  size_t n = entry.Data.size() < MaxLogData ? entry.Data.size() : MaxLogData;
  PutUInt16(s, static_cast<uint16_t>(n));
  s.append(entry.Data, 0, n);
  return s;
}

std::string EncodeUninstallLog(const TChangeLog& log) {
  std::string s = EncodeLogFileHeader(log.Count(), log.Title, log.Common);
  for (const TLogEntry& e : log.Entries()) s += EncodeLogEntry(e);
  return s;
}
