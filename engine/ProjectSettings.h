// One package project's settings, and the narrow interface through which
// the engine reads them from a front-end's controls.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum TArchiveKind { akCabinetArchive, akCabinetSFX, akZipArchive, akZipSFX };

enum OvrOpts { OvrConfirm = 0, OvrAlways = 1, OvrNever = 2 };

enum TCabCompression { ccLZX = 0, ccMSZip = 1 };

enum TCabSFXStyle { cs16Bit, cs32Bit };

enum TZipSFXStyle { zsStandard = 0, zsAdvanced = 1, zsDOS = 2 };

// Texts shown to the user and stored in project files, exactly as given.
const char* ArchiveKindText(TArchiveKind kind);
std::optional<TArchiveKind> ArchiveKindFromText(std::string_view text);
const char* OvrOptsText(OvrOpts mode);
std::optional<OvrOpts> OvrOptsFromText(std::string_view text);
const char* CabCompressionLabel(TCabCompression c);
const char* CabSFXStyleLabel(TCabSFXStyle s);
const char* CabSFXStub(TCabSFXStyle s);
const char* ZipSFXStyleLabel(TZipSFXStyle s);
const char* ZipSFXStub(TZipSFXStyle s);

// The five add options, by their labels.
extern const char* const kSaveFolderNamesText;   // "Save Folder Names"
extern const char* const kAddSubDirsText;        // "Add Sub-Dirs"
extern const char* const kAddHiddenFilesText;    // "Add Hidden or System Files"
extern const char* const kMoveFilesText;         // "Move Files to Archive (Careful!)"
extern const char* const kForceDOSNamesText;     // "Force DOS Filename"

struct TSourceItem {
  std::string Path;  // full path; folders usually end in a backslash
  bool IsFolder = false;
  bool operator==(const TSourceItem&) const = default;
};

// Wildcard pattern of a cabinet build: a file's path, or a folder's path
// with one trailing backslash removed, then "\*.*".
std::string CabinetPattern(const TSourceItem& item);
// Specification of a zip build: a file's path, or a folder's path with a
// trailing backslash, then "*.*".
std::string ZipSpecification(const TSourceItem& item);

// A whole project as plain values, with the defaults of a new Studio project.
struct TProjectSettings {
  std::string Title;
  std::string OutputFileName;
  TArchiveKind Kind = akCabinetArchive;
  std::vector<TSourceItem> Sources;
  bool SaveFolderNames = false;
  bool AddSubDirs = false;
  bool AddHiddenFiles = false;
  bool MoveFiles = false;
  bool ForceDOSNames = false;
  int ZipLevel = 9;  // 0 "Store" to 9 "Tightest"
  TCabCompression CabCompression = ccLZX;
  TCabSFXStyle CabSFXStyle = cs16Bit;
  TZipSFXStyle ZipSFXStyle = zsStandard;
  std::string Password;  // up to 80 characters
  std::string OverwriteMode = "Ask User";  // matched by its text
  std::string RunAfterExtraction;
  std::string DefaultExtractDir;
  bool CanPreventExecuting = false;
  bool CanChangeFileList = false;
  bool HideOverwriteBox = false;
  bool operator==(const TProjectSettings&) const = default;
};

// What the engine reads when a build starts. The front-ends answer from
// their controls at the moment each value is asked for; values that a
// control can hold out of range (no kind checked, a style that is none of
// the three, an overwrite text typed by hand) come through as they are.
class IProjectSettings {
public:
  virtual ~IProjectSettings() = default;
  virtual std::string Title() const = 0;
  virtual std::string OutputFileName() const = 0;
  virtual std::optional<TArchiveKind> Kind() const = 0;  // none when nothing is checked
  virtual std::vector<TSourceItem> Sources() const = 0;
  virtual bool SaveFolderNames() const = 0;
  virtual bool AddSubDirs() const = 0;
  virtual bool AddHiddenFiles() const = 0;
  virtual bool MoveFiles() const = 0;
  virtual bool ForceDOSNames() const = 0;
  virtual int ZipLevel() const = 0;
  virtual TCabCompression CabCompression() const = 0;
  virtual TCabSFXStyle CabSFXStyle() const = 0;
  virtual int ZipSFXStyle() const = 0;  // a TZipSFXStyle, or anything else
  // The password for a zip build: the first field for "DOS SFX", the
  // confirmation otherwise (the front-ends keep the two equal).
  virtual std::string Password(bool dosStyle) const = 0;
  virtual std::string OverwriteMode() const = 0;
  virtual std::string RunAfterExtraction() const = 0;
  virtual std::string DefaultExtractDir() const = 0;
  virtual bool CanPreventExecuting() const = 0;
  virtual bool CanChangeFileList() const = 0;
  virtual bool HideOverwriteBox() const = 0;
  // The project's own files (opened from, to be saved to), which no build
  // may write over; none while the project has no file.
  virtual std::vector<std::string> ProjectFileNames() const { return {}; }
};

// IProjectSettings over plain values (test hosts, command-line builds).
class TSettingsValues : public IProjectSettings {
public:
  TProjectSettings Values;
  bool HasNoKind = false;
  int ZipSFXStyleRaw = -1;                   // >= 0 overrides Values.ZipSFXStyle

  std::string Title() const override { return Values.Title; }
  std::string OutputFileName() const override { return Values.OutputFileName; }
  std::optional<TArchiveKind> Kind() const override {
    if (HasNoKind) return std::nullopt;
    return Values.Kind;
  }
  std::vector<TSourceItem> Sources() const override { return Values.Sources; }
  bool SaveFolderNames() const override { return Values.SaveFolderNames; }
  bool AddSubDirs() const override { return Values.AddSubDirs; }
  bool AddHiddenFiles() const override { return Values.AddHiddenFiles; }
  bool MoveFiles() const override { return Values.MoveFiles; }
  bool ForceDOSNames() const override { return Values.ForceDOSNames; }
  int ZipLevel() const override { return Values.ZipLevel; }
  TCabCompression CabCompression() const override { return Values.CabCompression; }
  TCabSFXStyle CabSFXStyle() const override { return Values.CabSFXStyle; }
  int ZipSFXStyle() const override { return ZipSFXStyleRaw >= 0 ? ZipSFXStyleRaw : Values.ZipSFXStyle; }
  std::string Password(bool) const override { return Values.Password; }
  std::string OverwriteMode() const override { return Values.OverwriteMode; }
  std::string RunAfterExtraction() const override { return Values.RunAfterExtraction; }
  std::string DefaultExtractDir() const override { return Values.DefaultExtractDir; }
  bool CanPreventExecuting() const override { return Values.CanPreventExecuting; }
  bool CanChangeFileList() const override { return Values.CanChangeFileList; }
  bool HideOverwriteBox() const override { return Values.HideOverwriteBox; }
  std::string ProjectFile;
  std::vector<std::string> ProjectFileNames() const override {
    if (ProjectFile.empty()) return {};
    return {ProjectFile};
  }
};
