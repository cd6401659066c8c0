// The "MPU" settings block of the Windows zip self-extractors and the empty
// zip record of an empty self-extractor. Plain bytes, no Win32.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "ProjectSettings.h"
#include "Set.h"

enum SFXOptsEnum { SFXAskCmdLine, SFXAskFiles, SFXHideOverWriteBox };
using SFXOpts = TSet<SFXOptsEnum>;

constexpr size_t kSFXHeaderSize = 256;
constexpr int kSFXMaxTextTotal = 249;  // caption + folder + command line
using SFXHeader = std::array<uint8_t, kSFXHeaderSize>;

// The block's flag byte.
uint8_t SFXHeaderFlags(SFXOpts options, OvrOpts overwrite);
// The whole block. The three texts must add up to at most 249 bytes
// (false, block untouched, otherwise).
bool BuildSFXHeader(const std::string& caption, const std::string& defaultDir, const std::string& commandLine,
                    SFXOpts options, OvrOpts overwrite, SFXHeader& out);

// The block as a Windows zip stub reads it.
struct TSFXSettings {
  SFXOpts Options;
  OvrOpts OverWriteMode = OvrConfirm;
  std::string Caption, DefaultDir, CommandLine;
};
// Reads a block. False when the bytes are no "MPU" block or its texts run
// past its end. Both overwrite flags at once read as OvrNever.
bool ParseSFXHeader(const uint8_t* p, size_t n, TSFXSettings& out);

// 22 bytes: an end record with every count and size 0 and 0x9900 in the
// central-directory offset field.
constexpr size_t kEmptyZipSize = 22;
std::array<uint8_t, kEmptyZipSize> EmptyZipRecord();
