// The steps of one package build, shared by the Studio's build window and
// the Wizard's building page. They read the project through
// IProjectSettings, log to the window's tree, and report through the
// message table below.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "Cabinet.h"
#include "PathUtils.h"
#include "ProjectSettings.h"
#include "ZipArch.h"

class TTreeView;
class TTreeNode;
class TProgressBar;
class TAnimate;
class TCustomLabel;
class TListBox;

// The messages of a build.
enum class TBuildMessage { W1, W2, W3, W4, W5, I1, I2, E1, E2, E3, C1, Q1, OldOutput, MovedFilesKept, Exception };

struct TBuildBox {
  std::string Text, Caption;
  unsigned Flags;  // icon and buttons, as MessageBox takes them
  bool OwnedByApplication;
};
// `detail` fills the text's variable part: the error code of W5, E2 and E3,
// the file of I1, I2, OldOutput and MovedFilesKept, the message of Exception.
TBuildBox BuildBox(TBuildMessage id, const std::string& detail = {});

// The controls and components a build works with. The two labels are the
// Studio's alone.
struct TBuildParts {
  TTreeView* Tree = nullptr;
  TProgressBar* Progress = nullptr;
  TAnimate* Animation = nullptr;
  TCustomLabel* CancelFlag = nullptr;   // "Requested", "None" or empty
  TListBox* Patterns = nullptr;         // gathered cabinet patterns
  TCustomLabel* SourceLabel = nullptr;  // the file being added
  TCustomLabel* TargetLabel = nullptr;  // the output's file name
  TCabinetWriter* Cabinet = nullptr;
  TZipArchiver* Zip = nullptr;
};

// Where the Wizard's building page differs from the build window.
struct TBuildOptions {
  bool OneGatherLine = false;          // "Processing File Objects..." for both cabinet kinds
  int MessagesBeforePattern = 0;       // message pumps before each cabinet pattern
  int MessagesAfterFileLine = 3;       // ... and after each "File ..." line
  bool MessagesAfterDataSection = false;
  bool QuietMissingCabSFX = false;     // no W3 when the cabinet self-extractor is missing
  bool ZipStyleCheck = true;           // C1 for a zip style that is none of the three
  std::function<void()> Lock, Unlock;  // buttons of the page, around the archive step
};

class TBuildSteps {
public:
  TBuildSteps(const TBuildParts& parts, const IProjectSettings& settings, TBuildOptions options = {});

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
  TTreeNode* RootLine(const std::string& text);
  void StepLine(TTreeNode* root, const std::string& text);
  void Pump(int times = 1);
  bool CancelRequested() const;
  void SetCancelFlag(const std::string& text);
  void SetLabel(TCustomLabel* label, const std::string& text);
  void Show(TBuildMessage id, const std::string& detail = {});
  bool AppendStub(const std::string& stub, const std::string& archive, const std::string& output);
  // Stub then archive into the output, with its log lines and failure box.
  bool StubStep(const std::string& stub, const std::string& archive, const std::string& output,
                const std::string& targetText, TBuildMessage failure);
  void RemoveSpools(const std::string& except = {});
  // The spools the kind writes that could not be removed; "" when none.
  std::string StaleSpool(TArchiveKind kind) const;
  // With "Move Files" the spool zip holds the only copy of the sources: it
  // is kept beside the output instead of being deleted. True when it has
  // to stay where it is.
  bool KeepMovedFiles(const std::string& output);
  void Unlock();

  TBuildParts parts_;
  const IProjectSettings& settings_;
  TBuildOptions options_;
  std::optional<TArchiveKind> kind_;
  TTreeNode* creatingExe_ = nullptr;
  std::string movedInto_;  // spool zip that holds moved sources
  bool running_ = false;
  bool locked_ = false;
};

