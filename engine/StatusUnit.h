// TProgressForm: the Studio's build window. It runs one build end to end,
// logs each step in its tree, shows progress, offers a cancel and reports
// failures in message boxes. It reads the project through IProjectSettings
// and knows nothing of the window that holds the project; the build steps
// report to it through IBuildView.
#pragma once
#include <memory>
#include <string>

#include "BuildSteps.h"
#include "Forms.h"

class TAnimate;
class TButton;
class TEllipsisLabel;
class TGradientCaption;
class TLabel;
class TListBox;
class TProgressBar;
class TTreeView;

// Makes the engine's components known to window descriptions.
void RegisterEngineClasses();

class TProgressForm : public TForm, private IBuildView {
public:
  explicit TProgressForm(TComponent* owner);
  ~TProgressForm() override;

  // Where the settings come from; set before the first build.
  const IProjectSettings* Settings = nullptr;
  // Folder of the spool and stub files (the program's folder unless set).
  std::string ProgramFolder;

  // Builds the package; true when it was built. Closes the window after
  // every build except a failed or cancelled "Cabinet Archive".
  bool Proceed();
  bool Building() const { return steps_ && steps_->Running(); }
  TBuildSteps* Steps() const { return steps_.get(); }

  TAnimate* Animate1 = nullptr;
  TEllipsisLabel* SourceLabel = nullptr;
  TLabel* TargetLabel = nullptr;
  TLabel* CancelLabel = nullptr;
  TButton* Button1 = nullptr;
  TProgressBar* ProgressBar2 = nullptr;
  TTreeView* TreeView1 = nullptr;
  TListBox* CabListBox = nullptr;
  TCabinetWriter* CabinetWriter1 = nullptr;
  TStreamCabinetFileHandler* StreamCabinetFileHandler1 = nullptr;
  TZipArchiver* ZipArchiver1 = nullptr;
  TGradientCaption* GradientCaption1 = nullptr;

  void Button1Click(TComponent* sender);
  void ZipArchiver1Progress(TComponent* sender, ProgressType type, const std::string& fileName, int fileSize);
  void FormCloseQuery(TComponent* sender, bool& canClose);

private:
  void MakeSteps();

  // IBuildView
  void ClearLog() override;
  TLogLine AddRootLine(const std::string& text) override;
  void AddStepLine(TLogLine root, const std::string& text) override;
  void ScrollLogTo(TLogLine line) override;
  void SetProgressRange(int min, int max) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  int ProgressPosition() const override;
  int ProgressMax() const override;
  void StartClip(TBuildClip clip) override;
  std::string CancelFlag() const override;
  void SetCancelFlag(const std::string& text) override;
  void ShowSource(const std::string& text) override;
  void ShowTarget(const std::string& text) override;
  int ShowMessage(const TBuildBox& box) override;
  void ProcessMessages() override;
  void LockButtons() override {}
  void UnlockButtons() override {}

  std::unique_ptr<TBuildSteps> steps_;
  const IProjectSettings* stepsSettings_ = nullptr;
};
