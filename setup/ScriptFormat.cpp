#include "ScriptFormat.h"

#include "StrFmt.h"
#include "ZlibStream.h"

#include <cstring>

const char kScriptSignature[8] = {'t', 's', '1', '0', '0', 'a', 'e', 0x1A};

std::string GetShortString(const uint8_t* p, size_t capacity) {
  size_t length = p[0];
  if (length > capacity) length = capacity;
  return std::string(reinterpret_cast<const char*>(p + 1), length);
}

std::string GetCharArray(const uint8_t* p, size_t size) {
  const void* nul = std::memchr(p, 0, size);
  size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : size;
  return std::string(reinterpret_cast<const char*>(p), length);
}

TScriptHeader DecodeScriptHeader(const uint8_t* p) {
  TScriptHeader h;
  h.ProgramName = GetShortString(p + 0, 63);
  h.ProgramVerName = GetShortString(p + 64, 63);
  h.NoticeLine = GetShortString(p + 128, 63);
  h.DefaultDirName = GetShortString(p + 192, 47);
  h.DefaultGroupName = GetShortString(p + 240, 47);
  h.FolderCount = GetInt32(p + 288);
  h.FileCount = GetInt32(p + 292);
  h.IconCount = GetInt32(p + 296);
  h.IniEntryCount = GetInt32(p + 300);
  h.RegistryEntryCount = GetInt32(p + 304);
  h.UninstallDeleteCount = GetInt32(p + 308);
  h.RunEntryCount = GetInt32(p + 312);
  h.LicenseSize = GetInt32(p + 316);
  h.InfoBeforeSize = GetInt32(p + 320);
  h.InfoAfterSize = GetInt32(p + 324);
  h.MinWinMajor = p[328];
  h.MinWinMinor = p[329];
  h.MinNTMajor = p[330];
  h.MinNTMinor = p[331];
  h.BackColor = GetInt32(p + 332);
  h.HeaderOptions = p[336];
  return h;
}

TScriptFolder DecodeScriptFolder(const uint8_t* p) { return {GetShortString(p, 47)}; }

TScriptFile DecodeScriptFile(const uint8_t* p) {
  TScriptFile f;
  f.DestName = GetShortString(p, 63);
  f.FileTime.LowDateTime = GetUInt32(p + 64);
  f.FileTime.HighDateTime = GetUInt32(p + 68);
  f.FileVersionMS = GetInt32(p + 72);
  f.FileVersionLS = GetInt32(p + 76);
  f.UncompressedSize = GetInt32(p + 80);
  f.CompressedSize = GetInt32(p + 84);
  f.Checksum = GetUInt32(p + 88);
  f.OverwriteMode = p[92];
  f.FileOptions = p[93];
  return f;
}

TScriptFileLocation DecodeScriptFileLocation(const uint8_t* p) {
  return {GetInt32(p), GetInt32(p + 4), GetInt32(p + 8)};
}

TScriptIcon DecodeScriptIcon(const uint8_t* p) {
  TScriptIcon i;
  i.IconName = GetShortString(p + 0, 47);
  i.IconTarget = GetShortString(p + 48, 63);
  i.IconParameters = GetShortString(p + 112, 127);
  i.IconWorkingDir = GetShortString(p + 240, 47);
  i.IconFilename = GetShortString(p + 288, 63);
  i.IconIndex = GetInt32(p + 352);
  return i;
}

TScriptIniEntry DecodeScriptIniEntry(const uint8_t* p) {
  TScriptIniEntry e;
  e.IniFilename = GetShortString(p + 0, 63);
  e.IniSection = GetShortString(p + 64, 47);
  e.IniKey = GetShortString(p + 112, 47);
  e.IniValue = GetShortString(p + 160, 127);
  e.IniOptions = p[288];
  return e;
}

TScriptRegEntry DecodeScriptRegEntry(const uint8_t* p) {
  TScriptRegEntry r;
  r.RootKey = GetInt32(p);
  r.Subkey = GetCharArray(p + 4, 128);
  r.ValueName = GetCharArray(p + 132, 48);
  std::memcpy(r.ValueData.data(), p + 180, r.ValueData.size());
  r.ValueType = p[436];
  r.RegOptions = p[437];
  return r;
}

std::string TScriptRegEntry::ValueString() const { return GetCharArray(ValueData.data(), ValueData.size()); }

std::string TScriptRegEntry::ValueBinary() const {
  size_t count = ValueData[0];
  if (count > ValueData.size() - 4) count = ValueData.size() - 4;
  return std::string(reinterpret_cast<const char*>(ValueData.data() + 4), count);
}

TScriptUninstallDelete DecodeScriptUninstallDelete(const uint8_t* p) { return {GetShortString(p, 63)}; }

TScriptRunEntry DecodeScriptRunEntry(const uint8_t* p) {
  TScriptRunEntry r;
  r.RunFilename = GetShortString(p + 0, 63);
  r.RunParameters = GetShortString(p + 64, 127);
  r.RunOptions = p[192];
  return r;
}

std::string ReadCheckedBlock(IByteSource& file, size_t size) {
  uint8_t header[kCheckedBlockHeaderSize];
  if (file.Read(header, sizeof header) != sizeof header) throw EZlibDataError();
  uint32_t headerCheck = GetUInt32(header);
  int32_t storedSize = GetInt32(header + 4);
  int32_t uncompressedSize = GetInt32(header + 8);
  uint32_t dataCheck = GetUInt32(header + 12);
  if (uncompressedSize < 0 || static_cast<uint32_t>(uncompressedSize) != size) throw EZlibDataError();
  if (Adler32(1, header + 4, 12) != headerCheck) throw EZlibDataError();

  std::string data;
  uint32_t check;
  if (storedSize == -1) {
    // Check what is left before allocating.
    if (size > file.Left()) throw EZlibDataError();
    data.resize(size);
    if (size && file.Read(data.data(), size) != size) throw EZlibDataError();
    check = Adler32(1, data.data(), size);
  } else {
    if (storedSize < 0 || static_cast<uint64_t>(storedSize) > file.Left()) throw EZlibDataError();
    // A size the stream cannot inflate to is refused before any memory is
    // taken for it.
    if (size > MaxInflatedSize(static_cast<uint64_t>(storedSize))) throw EZlibDataError();
    uint64_t end = file.Position() + static_cast<uint64_t>(storedSize);
    // The output grows as it comes, up to the size asked.
    if (!InflateBuffer(file, static_cast<uint64_t>(storedSize), check, data, size)) throw EZlibDataError();
    if (data.size() != size) throw EZlibDataError();
    file.Seek(end);  // the stream may end before the block does
  }
  if (check != dataCheck) throw EZlibDataError();
  return data;
}

bool ReadScriptSignature(IByteSource& file) {
  char sig[sizeof kScriptSignature];
  return file.Read(sig, sizeof sig) == sizeof sig && std::memcmp(sig, kScriptSignature, sizeof sig) == 0;
}

TScriptHeader ReadScriptHeader(IByteSource& file) {
  std::string block = ReadCheckedBlock(file, kScriptHeaderSize);
  return DecodeScriptHeader(reinterpret_cast<const uint8_t*>(block.data()));
}

namespace {

template <class T, class Decode>
void ReadList(IByteSource& file, int32_t count, size_t size, Decode decode, std::vector<T>& list) {
  // Every record needs a block header and at least one byte of data.
  if (count > 0 && static_cast<uint64_t>(count) > file.Left() / (kCheckedBlockHeaderSize + 1))
    throw EZlibDataError();
  for (int32_t i = 0; i < count; ++i) {
    std::string block = ReadCheckedBlock(file, size);
    list.push_back(decode(reinterpret_cast<const uint8_t*>(block.data())));
  }
}

std::string ReadText(IByteSource& file, int32_t length) {
  if (length <= 0) return {};
  return ReadCheckedBlock(file, static_cast<size_t>(length));
}

}  // namespace

void ReadScriptBody(IByteSource& file, TSetupScript& script) {
  const TScriptHeader& h = script.ScriptHeader;
  script.LicenseText = ReadText(file, h.LicenseSize);
  script.InfoBeforeText = ReadText(file, h.InfoBeforeSize);
  script.InfoAfterText = ReadText(file, h.InfoAfterSize);
  ReadList(file, h.FolderCount, kScriptFolderSize, DecodeScriptFolder, script.FolderList);
  ReadList(file, h.FileCount, kScriptFileSize, DecodeScriptFile, script.FileList);
  ReadList(file, h.FileCount, kScriptFileLocationSize, DecodeScriptFileLocation, script.LocationList);
  ReadList(file, h.IconCount, kScriptIconSize, DecodeScriptIcon, script.IconList);
  ReadList(file, h.IniEntryCount, kScriptIniEntrySize, DecodeScriptIniEntry, script.IniList);
  ReadList(file, h.RegistryEntryCount, kScriptRegEntrySize, DecodeScriptRegEntry, script.RegistryList);
  ReadList(file, h.UninstallDeleteCount, kScriptUninstallDeleteSize, DecodeScriptUninstallDelete,
           script.UninstallDeleteList);
  ReadList(file, h.RunEntryCount, kScriptRunEntrySize, DecodeScriptRunEntry, script.RunList);
}

std::string FormatMinorVersion(int minor) {
  std::string s = Format("%.2d", minor);
  while (s.size() > 1 && s.back() == '0') s.pop_back();
  return s;
}

namespace {
bool Below(const TWindowsVersion& v, int major, int minor) {
  return v.Major < major || (v.Major == major && v.Minor < minor);
}
std::string VersionText(int major, int minor) { return Format("%d.%s", major, FormatMinorVersion(minor).c_str()); }
}  // namespace

std::string CheckWindowsVersion(const TScriptHeader& h, const TWindowsVersion& v) {
  if (v.Platform == TPlatform::NT) {
    if (h.MinNTMajor == 0) return "This program will not run on Windows NT.";
    if (Below(v, h.MinNTMajor, h.MinNTMinor))
      return Format("This program requires Windows NT version %s or later.",
                    VersionText(h.MinNTMajor, h.MinNTMinor).c_str());
  } else {
    if (h.MinWinMajor == 0) return "This program must be run on Windows NT.";
    if (Below(v, h.MinWinMajor, h.MinWinMinor))
      return Format("This program requires Windows version %s or later.",
                    VersionText(h.MinWinMajor, h.MinWinMinor).c_str());
  }
  return {};
}
