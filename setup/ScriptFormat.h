// The setup script "SETUP.0": checked blocks, the header, the three texts
// and the eight record lists, decoded byte by byte.
#pragma once
#include "ByteSource.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// "ts100ae" and 0x1A.
extern const char kScriptSignature[8];

// Fixed record sizes in the script.
constexpr size_t kCheckedBlockHeaderSize = 16;
constexpr size_t kScriptHeaderSize = 337;
constexpr size_t kScriptFolderSize = 48;
constexpr size_t kScriptFileSize = 94;
constexpr size_t kScriptFileLocationSize = 12;
constexpr size_t kScriptIconSize = 356;
constexpr size_t kScriptIniEntrySize = 289;
constexpr size_t kScriptRegEntrySize = 438;
constexpr size_t kScriptUninstallDeleteSize = 64;
constexpr size_t kScriptRunEntrySize = 193;

// HeaderOptions bits.
constexpr uint8_t hoUninstallable = 0x02;
constexpr uint8_t hoAllowNoIcons = 0x04;
constexpr uint8_t hoRestartNeeded = 0x08;
constexpr uint8_t hoSolidBackground = 0x10;
constexpr uint8_t hoWizardOption = 0x20;

struct TScriptHeader {
  std::string ProgramName, ProgramVerName, NoticeLine, DefaultDirName, DefaultGroupName;
  int32_t FolderCount = 0, FileCount = 0, IconCount = 0, IniEntryCount = 0, RegistryEntryCount = 0,
          UninstallDeleteCount = 0, RunEntryCount = 0;
  int32_t LicenseSize = 0, InfoBeforeSize = 0, InfoAfterSize = 0;
  uint8_t MinWinMajor = 0, MinWinMinor = 0, MinNTMajor = 0, MinNTMinor = 0;
  int32_t BackColor = 0;
  uint8_t HeaderOptions = 0;
};

struct TScriptFolder {
  std::string DirName;
};

struct TFileTime {
  uint32_t LowDateTime = 0, HighDateTime = 0;
};

// FileOptions bits.
constexpr uint8_t foConfirmOverwrite = 0x01;
constexpr uint8_t foNeverUninstall = 0x02;
constexpr uint8_t foRestartReplace = 0x04;
constexpr uint8_t foRegisterServer = 0x08;
constexpr uint8_t foSharedFile = 0x10;
constexpr uint8_t foIsReadme = 0x20;
constexpr uint8_t foUninstallLogName = 0x40;

struct TScriptFile {
  std::string DestName;
  TFileTime FileTime;
  int32_t FileVersionMS = -1, FileVersionLS = 0;
  int32_t UncompressedSize = 0, CompressedSize = 0;
  uint32_t Checksum = 1;
  uint8_t OverwriteMode = 0, FileOptions = 0;
};

struct TScriptFileLocation {
  int32_t FirstDisk = 1, LastDisk = 1, StartOffset = 12;
};

struct TScriptIcon {
  std::string IconName, IconTarget, IconParameters, IconWorkingDir, IconFilename;
  int32_t IconIndex = 0;
};

struct TScriptIniEntry {
  std::string IniFilename, IniSection, IniKey, IniValue;
  uint8_t IniOptions = 0;
};

// ValueType values.
constexpr uint8_t rtNone = 0, rtString = 1, rtDWord = 2, rtBinary = 3;

struct TScriptRegEntry {
  int32_t RootKey = 0;
  std::string Subkey, ValueName;
  std::array<uint8_t, 256> ValueData{};
  uint8_t ValueType = rtNone, RegOptions = 0;

  // The text of a string value: up to its NUL, at most 256 bytes.
  std::string ValueString() const;
  // The DWORD value: the first 4 bytes.
  uint32_t ValueDWord() const { return GetUInt32(ValueData.data()); }
  // The bytes of a binary value: count in byte 0, bytes from byte 4; a count
  // beyond the field is cut to the 252 bytes there are.
  std::string ValueBinary() const;
};

struct TScriptUninstallDelete {
  std::string DeleteName;
};

struct TScriptRunEntry {
  std::string RunFilename, RunParameters;
  uint8_t RunOptions = 0;
};

// Everything the script holds, in load order.
struct TSetupScript {
  TScriptHeader ScriptHeader;
  std::string LicenseText, InfoBeforeText, InfoAfterText;  // empty: none
  std::vector<TScriptFolder> FolderList;
  std::vector<TScriptFile> FileList;
  std::vector<TScriptFileLocation> LocationList;  // parallel to FileList
  std::vector<TScriptIcon> IconList;
  std::vector<TScriptIniEntry> IniList;
  std::vector<TScriptRegEntry> RegistryList;
  std::vector<TScriptUninstallDelete> UninstallDeleteList;
  std::vector<TScriptRunEntry> RunList;
};

// Field decoders: a string[N] field is N+1 bytes; its length byte is cut to N.
std::string GetShortString(const uint8_t* p, size_t capacity);
// A char[N] field: up to the first NUL or all N bytes.
std::string GetCharArray(const uint8_t* p, size_t size);

// Record decoders over exactly the record's size in bytes.
TScriptHeader DecodeScriptHeader(const uint8_t* p);
TScriptFolder DecodeScriptFolder(const uint8_t* p);
TScriptFile DecodeScriptFile(const uint8_t* p);
TScriptFileLocation DecodeScriptFileLocation(const uint8_t* p);
TScriptIcon DecodeScriptIcon(const uint8_t* p);
TScriptIniEntry DecodeScriptIniEntry(const uint8_t* p);
TScriptRegEntry DecodeScriptRegEntry(const uint8_t* p);
TScriptUninstallDelete DecodeScriptUninstallDelete(const uint8_t* p);
TScriptRunEntry DecodeScriptRunEntry(const uint8_t* p);

// Reads one checked block of exactly `size` data bytes from the current
// position; afterwards the position is just past the block. Raises
// EZlibDataError on any check failure, truncation included.
std::string ReadCheckedBlock(IByteSource& file, size_t size);

// Reads and compares the 8-byte signature at the current position.
bool ReadScriptSignature(IByteSource& file);
// Reads the header block.
TScriptHeader ReadScriptHeader(IByteSource& file);
// Reads the texts and record lists that follow the header block. A negative
// count reads no records.
void ReadScriptBody(IByteSource& file, TSetupScript& script);

// The Windows the program runs on.
enum class TPlatform { Win32s, Windows, NT };
struct TWindowsVersion {
  TPlatform Platform = TPlatform::NT;
  int Major = 4, Minor = 0;
};

// The minor version as the messages write it: 0 -> "0", 10 -> "1", 5 -> "05".
std::string FormatMinorVersion(int minor);
// The refusal text when the header does not allow this Windows; else "".
std::string CheckWindowsVersion(const TScriptHeader& header, const TWindowsVersion& version);
