// The steps of one package build, shared by the Studio's build window and
// the Wizard's building page. They read the project through
// IProjectSettings and report to their window through IBuildView: step
// lines, progress, the cancel flag and the message table below. They know
// no window controls.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Cabinet.h"
#include "PathUtils.h"
#include "ProjectSettings.h"
#include "ZipArch.h"

// The messages of a build.
enum class TBuildMessage {
  W1, W2, W3, W4, W5, I1, I2, E1, E2, E3, C1, Q1,
  OldOutput,             // an old output or spool that cannot be deleted
  OutputIsSource,        // the output names a source file
  OutputInSourceFolder,  // ... or lies in a source folder the build takes in
  OutputIsProject,       // ... or is the project file
  OutputIsBuildFile,     // ... or a spool, stub or library of the build
  SourceUnreadable,      // a source could not be opened or read
  SourceChanged,         // a source changed while it was read
  OutputNotWritten,      // the self-extractor could not be written whole
  MovedFileNotRemoved,   // built, but a moved source could not be deleted
  Exception
};

struct TBuildBox {
  std::string Text, Caption;
  unsigned Flags;  // icon and buttons, as MessageBox takes them
  bool OwnedByApplication;
};
// `detail` fills the text's variable part: the error code of W5, E2 and E3,
// the message of Exception, else the file the message names.
TBuildBox BuildBox(TBuildMessage id, const std::string& detail = {});

// The step log's clips.
enum class TBuildClip { CopyFile, FindFolder };

// A line of the step log, as the view numbers it.
using TLogLine = int;
constexpr TLogLine kNoLogLine = -1;

// What a build reports to its window. The Studio's build window and the
// Wizard's building page each implement it.
class IBuildView {
public:
  virtual ~IBuildView() = default;

  // The step log: root lines at the top level, step lines under a root.
  virtual void ClearLog() = 0;
  virtual TLogLine AddRootLine(const std::string& text) = 0;
  // Adds the line and scrolls it to the top of the log.
  virtual void AddStepLine(TLogLine root, const std::string& text) = 0;
  virtual void ScrollLogTo(TLogLine line) = 0;

  // The progress bar; a step moves it by one.
  virtual void SetProgressRange(int min, int max) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void StepProgress() = 0;
  virtual int ProgressPosition() const = 0;
  virtual int ProgressMax() const = 0;

  virtual void StartClip(TBuildClip clip) = 0;

  // The cancel flag: "Requested", "None" or empty. Setting it repaints it.
  virtual std::string CancelFlag() const = 0;
  virtual void SetCancelFlag(const std::string& text) = 0;

  // The file being added and the output's file name (the Studio's labels).
  virtual void ShowSource(const std::string& text) = 0;
  virtual void ShowTarget(const std::string& text) = 0;

  // Shows a box and returns the answer (IDOK, IDYES, ...). An empty
  // caption stands for the application's title.
  virtual int ShowMessage(const TBuildBox& box) = 0;
  // Lets pending window messages run.
  virtual void ProcessMessages() = 0;

  // The window's own buttons around the archive step (the Wizard's page).
  virtual void LockButtons() = 0;
  virtual void UnlockButtons() = 0;
};

// Where the Wizard's building page differs from the build window.
struct TBuildOptions {
  bool OneGatherLine = false;          // "Processing File Objects..." for both cabinet kinds
  int MessagesBeforePattern = 0;       // message pumps before each cabinet pattern
  int MessagesAfterFileLine = 3;       // ... and after each "File ..." line
  bool MessagesAfterDataSection = false;
  bool QuietMissingCabSFX = false;     // no W3 when the cabinet self-extractor is missing
  bool ZipStyleCheck = true;           // C1 for a zip style that is none of the three
};

class TBuildSteps {
public:
  TBuildSteps(IBuildView& view, TCabinetWriter& cabinet, TZipArchiver& zip, const IProjectSettings& settings,
              TBuildOptions options = {});

  // Folder of the spool and stub files, with its trailing backslash; the
  // running program's folder unless set.
  std::string ProgramFolder;

  // Builds the package. True when it was built; `leaveOpen` tells the
  // build window to stay open (a failed "Cabinet Archive").
  bool Proceed(bool& leaveOpen);
  bool Running() const { return running_; }

  bool AddCabinet(const std::string& target);
  bool MakeZip(const std::string& target);
  bool MakeSFX(const std::string& zip, const std::string& output);
  bool MakeCabSFX(const std::string& cabinet, const std::string& output);
  bool MakeZipSFX(const std::string& zip, const std::string& output);

  // The Cancel button.
  void CancelClick();
  // The zip component's OnProgress.
  void ZipProgress(ProgressType type, const std::string& fileName, int fileSize);

  static constexpr const char* kRequested = "Requested";
  static constexpr const char* kNone = "None";

private:
  bool RunKind(TArchiveKind kind, bool& leaveOpen);
  void GatherPatterns(const char* rootLine);
  void StartClip(bool copyClip);
  TLogLine RootLine(const std::string& text);
  void StepLine(TLogLine root, const std::string& text);
  void ClearLog();
  void Pump(int times = 1);
  bool CancelRequested() const;
  void SetCancelFlag(const std::string& text);
  int Show(TBuildMessage id, const std::string& detail = {});
  // Gives up a build that raised: nothing half-written stays behind.
  void Abandon(const std::string& output, const std::string& message, bool& leaveOpen);
  bool AppendStub(const std::string& stub, const std::string& archive, const std::string& output);
  // Stub then archive into the output, with its log lines and failure box.
  bool StubStep(const std::string& stub, const std::string& archive, const std::string& output,
                const std::string& targetText, TBuildMessage failure);
  void RemoveSpools(const std::string& except = {});
  // The spools the kind writes that could not be removed; "" when none.
  std::string StaleSpool(TArchiveKind kind) const;
  // The refusal for an output that would overwrite the project's own
  // files; nullopt when it is free.
  std::optional<TBuildMessage> OutputClash(const std::string& output) const;
  // Deletes the sources moved into a self-extractor, now that it stands
  // complete at the output.
  void RemoveMovedSources();
  void Unlock();

  IBuildView& view_;
  TCabinetWriter& cabinet_;
  TZipArchiver& zip_;
  const IProjectSettings& settings_;
  TBuildOptions options_;
  std::optional<TArchiveKind> kind_;
  std::vector<std::string> patterns_;  // gathered cabinet patterns
  TLogLine firstRoot_ = kNoLogLine;    // the first root line since the log was cleared
  TLogLine creatingExe_ = kNoLogLine;
  // "Move Files" into a self-extractor: the zip library only adds, and the
  // sources it added are deleted once the output stands complete.
  bool deferMove_ = false;
  struct TAddedSource {
    std::string Path;
    WIN32_FILE_ATTRIBUTE_DATA State;  // as it went into the archive
  };
  std::vector<TAddedSource> added_;  // sources the zip library added
  bool outputHoldsMoved_ = false;   // the library moved sources into the output
  bool running_ = false;
  bool locked_ = false;
};

