// TProgressForm: the Studio's build window. It runs one build end to end,
// logs each step in its tree, shows progress, offers a cancel and reports
// failures in message boxes. It reads the project through IProjectSettings
// and knows nothing of the window that holds the project; the build steps
// report to it through IBuildView.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "BuildSteps.h"
#include "ComCtrls.h"
#include "Forms.h"

class TAnimate;
class TButton;
class TCustomLabel;
class TEllipsisLabel;
class TGradientCaption;
class TLabel;
class TListBox;
class TTreeNode;
class TTreeView;

// Makes the engine's components and the build window's controls known to
// window descriptions.
void RegisterBuildWindowClasses();

// IBuildView over a window's controls: the step log in a tree, a progress
// bar, an animation, and a hidden label as the cancel flag. The labels of
// the file and the output, and the window's buttons, are each window's
// own: here they do nothing.
class TControlsBuildView : public IBuildView {
public:
  TControlsBuildView(TTreeView* tree, TProgressBar* progress, TAnimate* animation, TCustomLabel* cancelFlag)
      : tree_(tree), progress_(progress), animation_(animation), cancelFlag_(cancelFlag) {}

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
  void ShowSource(const std::string&) override {}
  void ShowTarget(const std::string&) override {}
  int ShowMessage(const TBuildBox& box) override;
  void ProcessMessages() override;
  void LockButtons() override {}
  void UnlockButtons() override {}

  // Draws what was held since the last frame: the log scrolled to its
  // newest line, the progress bar and the labels. The window calls it when
  // a build ends.
  void ShowHeld();

protected:
  // Puts held label texts into the labels; the window that has labels
  // overrides it.
  virtual void ShowLabels() {}

private:
  // A build adds a log line, moves the progress bar and names the file for
  // every file, and drawing any of it, or even a message to a control,
  // costs far more than a small file takes: the window is drawn in frames
  // (clicks and keys are handled several times a frame), the log's drawing
  // is held between them, the bar and the labels are set once a frame, and
  // everything is shown before the build ends or a box shows.
  bool FrameDue() const;
  void HoldProgress();

  TTreeView* tree_;
  TProgressBar* progress_;
  TAnimate* animation_;
  TCustomLabel* cancelFlag_;
  TTreeNode* newestLine_ = nullptr;
  bool logHeld_ = false, progressHeld_ = false;
  TProgressBar model_{nullptr};  // the bar's values while held
  unsigned long lastFrame_ = 0, frameCost_ = 0, lastInput_ = 0;
};

class TProgressForm : public TForm {
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

  // The build steps report to the window's controls and its two labels.
  class TView : public TControlsBuildView {
  public:
    explicit TView(TProgressForm& form);
    void ShowSource(const std::string& text) override;
    void ShowTarget(const std::string& text) override;

  protected:
    void ShowLabels() override;

  private:
    TProgressForm& form_;
    std::optional<std::string> source_, target_;  // held until the next frame
  };
  std::unique_ptr<TView> view_;
  std::unique_ptr<TBuildSteps> steps_;
  const IProjectSettings* stepsSettings_ = nullptr;
};
