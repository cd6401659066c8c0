// Project files (".tpj"): the line layout, its reader and its writer.
//
// Reading is three steps: the file's bytes (IProjectFileAccess), a record
// of the lines in file order (ParseProjectFile), and the record put into a
// front-end's controls (ApplyProjectRecord over IProjectFileTarget).
// Writing is the same in reverse: a record from the front-end's values
// (ProjectRecordFrom), then bytes (WriteProjectRecord). None of this knows
// about windows; the front-ends show the boxes it hands them.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"
#include "ProjectSettings.h"

// Fixed lines of the layout.
extern const char* const kProjectHeader160;  // "tidy-Zaderuzo Version 1.60 Project File"
extern const char* const kProjectHeader100;  // "tidy-Zaderuzo Version 1.00 Project File"
extern const char* const kProjectNotice;     // line 2, never read back
extern const char* const kProjectWarning;    // "** You are not recommended to modify this file directly **"
// Block markers: 0x01 name 0x01 opens a block, 0x03 name 0x03 closes it.
extern const std::string kFilesStart, kFilesEnd, kFoldersStart, kFoldersEnd;

enum class TProjectLayout { v100, v160 };

// What a line of the file stands for.
enum class TProjectField {
  Header, Notice, Warning, Blank,
  Title, OutputFileName, Kind,
  FilesStart, File, FilesEnd,
  FoldersStart, Folder, FoldersEnd,
  SaveFolderNames, AddSubDirs, AddHiddenFiles, MoveFiles, ForceDOSNames,
  // Kind sections.
  CabCompression,       // decimal, position of the cabinet slider
  CabSFXStyle,          // "1" 16-bit, anything else 32-bit
  ZipSFXStyle,          // "1" DOS, "2" Standard, "3" Advanced
  ZipLevel,             // decimal 0 to 9
  Password,
  OverwriteMode,        // the text the overwrite combo shows
  RunAfterExtraction,
  DefaultExtractDir,
  CanPreventExecuting, CanChangeFileList, HideOverwriteBox,
};

struct TProjectLine {
  TProjectField Field;
  std::string Text;  // the line without its line end
  int Line = 0;      // 1-based; 0 when the data had ended (read as empty)
  bool operator==(const TProjectLine&) const = default;
};

// Why reading stopped.
enum class TProjectStop {
  Complete,     // the kind section was read to its end
  UnknownKind,  // the kind line is none of the four texts
  BadInteger,   // a number line is not a decimal integer
  FileError,    // the file could not be opened or read
};

// The lines of one project file in file order, as far as they were read.
struct TProjectRecord {
  TProjectLayout Layout = TProjectLayout::v160;
  std::vector<TProjectLine> Lines;
  TProjectStop Stop = TProjectStop::Complete;
  std::string StopMessage;   // text of the error or warning that stopped reading
  int StopLine = 0;          // line number of the offending line (0: past the end or none)
  unsigned SystemCode = 0;   // FileError: the system's error code
  bool FileOpened = false;   // FileError: the file was opened and reading failed
  bool EndedInBlock = false; // the data ended inside the file or folder block
  // The data ended before the last setting line was read whole (with its
  // line end): the file was cut short.
  bool Cut = false;

  // The kind named by the kind line, when it was read and recognised.
  std::optional<TArchiveKind> Kind() const;
  // First line of `field`, or nullptr.
  const TProjectLine* Find(TProjectField field) const;
};

// Reads a whole file's bytes. Lines end at CR LF, LF or a lone CR; missing
// lines read as empty. Never reads past `bytes`.
TProjectRecord ParseProjectFile(std::string_view bytes);

// Decodes a number line: optional sign and decimal digits that fit 32 bits.
std::optional<int> ParseProjectInteger(std::string_view text);
// "'text' is not a valid integer value".
std::string InvalidIntegerMessage(std::string_view text);

// ---------------------------------------------------------------------------
// Applying a record to a front-end.

enum class TBoxKind { Information, Warning, Error };

// One message box, as the front-end shows it through the seam.
struct TProjectMessage {
  std::string Text;
  std::string Caption;
  TBoxKind Kind = TBoxKind::Information;
  bool OwnerIsApplication = false;  // else no owner window
  bool operator==(const TProjectMessage&) const = default;
};

// "Outdated Project File" box (layout 1.00 read).
TProjectMessage OutdatedProjectMessage();
// "tidy-Zaderuzo - WARNiNG" box (unrecognised kind).
TProjectMessage InvalidDataMessage();
// The Wizard's "Oops!" box for an error after the file was opened.
TProjectMessage WizardOpenErrorMessage(unsigned systemCode);

// The controls a record is read into. Calls come in file order; the
// front-end maps each to its own controls (Studio or Wizard).
class IProjectFileTarget {
public:
  virtual ~IProjectFileTarget() = default;
  // A box to show now (outdated layout, unrecognised kind, Wizard errors).
  virtual void ShowMessage(const TProjectMessage& message) = 0;
  virtual void SetTitle(const std::string& text) = 0;
  virtual void SetOutputFileName(const std::string& text) = 0;
  // Only for a recognised kind line; an unrecognised one leaves the kind
  // selection as it was, so that a later save still writes a kind.
  virtual void SetKind(TArchiveKind kind) = 0;
  // Start of the file block (the Studio empties its whole source list here).
  virtual void ClearFiles() = 0;
  virtual void AddFile(const std::string& path) = 0;
  // Start of the folder block.
  virtual void ClearFolders() = 0;
  virtual void AddFolder(const std::string& path) = 0;
  virtual void SetSaveFolderNames(bool on) = 0;
  virtual void SetAddSubDirs(bool on) = 0;
  virtual void SetAddHiddenFiles(bool on) = 0;
  virtual void SetMoveFiles(bool on) = 0;  // the Wizard may ask its move confirmation here
  virtual void SetForceDOSNames(bool on) = 0;
  virtual void SetCabCompression(TCabCompression c) = 0;  // slider of the kind read
  virtual void SetCabSFXStyle(TCabSFXStyle style) = 0;
  // Nothing for a style line that is none of "1", "2", "3".
  virtual void SetZipSFXStyle(std::optional<TZipSFXStyle> style) = 0;
  virtual void SetZipLevel(int level) = 0;  // already held to 0..9
  // The stored password: the Studio puts it into both entries, the Wizard
  // into the entry of the kind read.
  virtual void SetPassword(const std::string& text) = 0;
  virtual void SetOverwriteMode(const std::string& text) = 0;
  virtual void SetRunAfterExtraction(const std::string& text) = 0;
  virtual void SetDefaultExtractDir(const std::string& text) = 0;
  virtual void SetCanPreventExecuting(bool on) = 0;
  virtual void SetCanChangeFileList(bool on) = 0;
  virtual void SetHideOverwriteBox(bool on) = 0;
};

// Puts every line of the record into the target, in file order. Shows no
// boxes; numbers out of a slider's range go to its nearer end. A layout
// 1.00 record clears the three options it lacks.
void ApplyProjectRecord(const TProjectRecord& record, IProjectFileTarget& target);

// ---------------------------------------------------------------------------
// Writing.

// The record the writer writes for a project: layout 1.60, the source list
// from its last entry to its first in each block. When the front-end has no
// kind selected, "Cabinet Archive" and its section are written, so that the
// file stays readable. Zip Archive takes Password(true) (the first entry),
// Zip SFX Password(false) (the verification entry). A zip style that is
// none of the three is written as Standard.
TProjectRecord ProjectRecordFrom(const IProjectSettings& values);
// Every line of the record followed by CR LF.
std::string WriteProjectRecord(const TProjectRecord& record);

// ---------------------------------------------------------------------------
// Files.

// I/O error of a project file, with the class library's texts: "File not
// found" (2), "Invalid filename" (3), "Too many open files" (4), "File
// access denied" (5), else "I/O error %d".
class EInOutError : public Exception {
public:
  explicit EInOutError(unsigned code);
  unsigned ErrorCode() const { return code_; }

private:
  unsigned code_;
};
std::string InOutErrorMessage(unsigned code);

// A number line that is not a decimal integer.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

struct TFileResult {
  unsigned Code = 0;    // 0 on success, else the system's error code
  bool Opened = false;  // on failure: the file had been opened or created
};

// The file system as the project file code sees it.
class IProjectFileAccess {
public:
  virtual ~IProjectFileAccess() = default;
  // Reads the whole file into `bytes`.
  virtual TFileResult ReadAll(const std::string& path, std::string& bytes) = 0;
  // Creates or replaces the file and writes `bytes` to it.
  virtual TFileResult WriteAll(const std::string& path, const std::string& bytes) = 0;
};

// Reads a file into a record; an access failure becomes a FileError stop.
TProjectRecord ReadProjectFile(IProjectFileAccess& files, const std::string& path);

enum class TProjectFrontEnd { Studio, Wizard };

// LoadProject of either front-end, after the Studio's own reset: reads the
// file, shows the outdated-layout box, applies the record and reports the
// stop as that front-end does. The Studio runs its kind handler itself
// after a True result.
//  - Studio: False after an unrecognised kind (warning box); any file error
//    or a bad number is thrown (EInOutError, EConvertError) after the values
//    before it were applied.
//  - Wizard: a failure to open is thrown; an unrecognised kind shows the
//    warning and gives False; any later error shows "Oops!" and gives True.
bool LoadProjectFile(IProjectFileAccess& files, const std::string& path, IProjectFileTarget& target,
                     TProjectFrontEnd frontEnd);

// How a load ended: read to its end, stopped part-way after the Wizard's
// "Oops!" box (the values before the error stay) or at a file cut short
// before its last setting line, or stopped at an unrecognised kind.
enum class TProjectLoad { Complete, Partial, UnknownKind };
// LoadProjectFile, telling the Wizard's part-way stop from a whole load.
TProjectLoad LoadProjectFileResult(IProjectFileAccess& files, const std::string& path, IProjectFileTarget& target,
                                   TProjectFrontEnd frontEnd);

// SaveProject of either front-end: writes layout 1.60; throws EInOutError.
void SaveProjectFile(IProjectFileAccess& files, const std::string& path, const IProjectSettings& values);

// ---------------------------------------------------------------------------
// A target over plain values, read as the Studio reads: the password goes
// into both entries, a style line that is none of the three keeps the tab.
// Messages are collected instead of shown.
class TProjectSettingsTarget : public IProjectFileTarget {
public:
  TProjectSettings Values;  // Values.Password is the verification entry
  std::string Pass1;        // the first password entry
  std::vector<TProjectMessage> Messages;

  void ShowMessage(const TProjectMessage& message) override { Messages.push_back(message); }
  void SetTitle(const std::string& text) override { Values.Title = text; }
  void SetOutputFileName(const std::string& text) override { Values.OutputFileName = text; }
  void SetKind(TArchiveKind kind) override { Values.Kind = kind; }
  void ClearFiles() override { Values.Sources.clear(); }
  void AddFile(const std::string& path) override { Values.Sources.push_back({path, false}); }
  void ClearFolders() override {}
  void AddFolder(const std::string& path) override { Values.Sources.push_back({path, true}); }
  void SetSaveFolderNames(bool on) override { Values.SaveFolderNames = on; }
  void SetAddSubDirs(bool on) override { Values.AddSubDirs = on; }
  void SetAddHiddenFiles(bool on) override { Values.AddHiddenFiles = on; }
  void SetMoveFiles(bool on) override { Values.MoveFiles = on; }
  void SetForceDOSNames(bool on) override { Values.ForceDOSNames = on; }
  void SetCabCompression(TCabCompression c) override { Values.CabCompression = c; }
  void SetCabSFXStyle(TCabSFXStyle style) override { Values.CabSFXStyle = style; }
  void SetZipSFXStyle(std::optional<TZipSFXStyle> style) override {
    if (style) Values.ZipSFXStyle = *style;
  }
  void SetZipLevel(int level) override { Values.ZipLevel = level; }
  void SetPassword(const std::string& text) override { Values.Password = Pass1 = text; }
  void SetOverwriteMode(const std::string& text) override { Values.OverwriteMode = text; }
  void SetRunAfterExtraction(const std::string& text) override { Values.RunAfterExtraction = text; }
  void SetDefaultExtractDir(const std::string& text) override { Values.DefaultExtractDir = text; }
  void SetCanPreventExecuting(bool on) override { Values.CanPreventExecuting = on; }
  void SetCanChangeFileList(bool on) override { Values.CanChangeFileList = on; }
  void SetHideOverwriteBox(bool on) override { Values.HideOverwriteBox = on; }
};
