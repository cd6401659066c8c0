#include "ProjectSettings.h"

#include <iterator>

namespace {
const char* const kKindTexts[] = {"Cabinet Archive", "Cabinet SFX", "Zip Archive", "Zip SFX"};
const char* const kOvrTexts[] = {"Ask User", "Always Overwrite", "Always Skip Extraction"};
}  // namespace

const char* const kSaveFolderNamesText = "Save Folder Names";
const char* const kAddSubDirsText = "Add Sub-Dirs";
const char* const kAddHiddenFilesText = "Add Hidden or System Files";
const char* const kMoveFilesText = "Move Files to Archive (Careful!)";
const char* const kForceDOSNamesText = "Force DOS Filename";

const char* ArchiveKindText(TArchiveKind kind) { return kKindTexts[kind]; }

std::optional<TArchiveKind> ArchiveKindFromText(std::string_view text) {
  for (int i = 0; i < static_cast<int>(std::size(kKindTexts)); ++i)
    if (text == kKindTexts[i]) return static_cast<TArchiveKind>(i);
  return std::nullopt;
}

const char* OvrOptsText(OvrOpts mode) { return kOvrTexts[mode]; }

std::optional<OvrOpts> OvrOptsFromText(std::string_view text) {
  for (int i = 0; i < static_cast<int>(std::size(kOvrTexts)); ++i)
    if (text == kOvrTexts[i]) return static_cast<OvrOpts>(i);
  return std::nullopt;
}

const char* CabCompressionLabel(TCabCompression c) {
  return c == ccLZX ? "LZX Compression (Better)" : "MS-ZIP Compression";
}

const char* CabSFXStyleLabel(TCabSFXStyle s) {
  return s == cs16Bit ? "16-Bit Self-Extractor" : "32-Bit Self-Extractor (Supports Long Filenames)";
}

const char* CabSFXStub(TCabSFXStyle s) { return s == cs16Bit ? "CabStub1.Bin" : "CabStub2.Bin"; }

const char* ZipSFXStyleLabel(TZipSFXStyle s) {
  switch (s) {
    case zsStandard: return "Standard SFX";
    case zsAdvanced: return "Advanced SFX";
    default: return "DOS SFX";
  }
}

const char* ZipSFXStub(TZipSFXStyle s) {
  switch (s) {
    case zsStandard: return "Stub1.Bin";
    case zsAdvanced: return "Stub2.Bin";
    default: return "Stub3.Bin";
  }
}

std::string CabinetPattern(const TSourceItem& item) {
  if (!item.IsFolder) return item.Path;
  std::string path = item.Path;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + "\\*.*";
}

std::string ZipSpecification(const TSourceItem& item) {
  if (!item.IsFolder) return item.Path;
  std::string path = item.Path;
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + "*.*";
}
