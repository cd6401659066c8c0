// The install window: shows the progress of the install and performs it,
// rolling everything back when it fails.
#pragma once
#include "ComCtrls.h"
#include "Forms.h"
#include "Install.h"
#include "NewFCtrl.h"
#include "Steps.h"
#include "StdCtrls.h"
#include "Undo.h"

class TMainForm;

class TInstallForm : public TForm, public IInstallWindow, public IInstallProgress {
  TMainForm& mainForm_;

public:
  TInstallForm(TComponent* owner, TMainForm& mainForm);
  ~TInstallForm() override;

  TLabel* StatusLabel = nullptr;
  TNewPathLabel* FilenameLabel = nullptr;
  TProgressBar* ProgressGauge = nullptr;
  TButton* CancelButton = nullptr;
  TAnimate* Animate1 = nullptr;

  // The change log of this run.
  TUndoChanges Changes;
  bool Finished = false;
  bool CancelRequested = false;
  // The run: the script, the change log, this window and the uninstall slot.
  TInstallRun Install;

  // Performs the run; returns both on success and after a rollback (which
  // also tells the application to terminate).
  void RunInstall();

  // IInstallWindow
  TForm& Form() override { return *this; }
  void Run() override;

  // IInstallProgress
  int64_t Position() const override { return position_; }
  void SetPosition(int64_t position) override;
  void ShowStatus(const std::string& text) override;
  void ShowFilename(const std::string& path) override;
  void PollCancel() override;
  void MarkUpdateInstalled() override;

  // The background window's palette.
  HPALETTE GetPalette() const;

  void FormCreate(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void CancelButtonClick(TComponent* sender);

protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;

private:
  int64_t position_ = 0, maximum_ = 0;
  int64_t scale_ = 1;  // bar units per step of the control's 32-bit range
};
