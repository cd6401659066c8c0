// The Setup program's background window: it fills the screen, paints the
// gradient with the application's name, and drives the run through its
// steps with NextStepMessage: 1 the wizard pages, 2 the install and the
// script's programs, 3 the finish pages, 4 closing.
#pragma once
#include "Forms.h"
#include "ScriptFormat.h"
#include "StdCtrls.h"
#include "Steps.h"

#include <cstdint>
#include <memory>
#include <string>

constexpr UINT NextStepMessage = 0x133C;
// System-menu commands of the background window.
constexpr UINT kAboutSeparatorCommand = 9998, kAboutCommand = 9999;

class TMainForm : public TForm {
public:
  TMainForm(TComponent* owner, const TSetupScript& script);
  ~TMainForm() override;

  // The loaded script, read by every window of the run.
  const TSetupScript& Script;

  uint8_t StepIndex = 0;
  bool RunningPrograms = false;
  bool ClosingAgreed = false;
  bool Minimized = false;
  // "Installed" once the common-controls update has been copied.
  TLabel* YesLabel = nullptr;

  // The palette of the background and the windows above it; none when the
  // background is solid.
  HPALETTE GetPalette() const { return palette_; }
  IWizardWindow* WizardForm() const { return wizard_; }
  IInstallWindow* InstallForm() const { return install_.get(); }
  // True while a step's handler runs; NextStepMessage is ignored then.
  bool StepRunning() const { return stepRunning_; }

  void FormCreate(TComponent* sender);
  void FormPaint(TComponent* sender);
  void FormActivate(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);
  void FormClose(TComponent* sender, TCloseAction& action);

protected:
  void WndProc(TMessage& m) override;

private:
  void WMNextStep();
  void EndStep();
  void StartStep();
  void RunEntries();
  void ShowOwnedForms(bool show);
  void BringOwnedWindowToTop();

  HPALETTE palette_ = nullptr;
  IWizardWindow* wizard_ = nullptr;
  std::unique_ptr<IInstallWindow> install_;
  bool stepRunning_ = false;
  int appHook_ = 0;
};

// "About Setup Wizard", shown from the background window's system menu.
class TAboutForm : public TForm {
public:
  explicit TAboutForm(TComponent* owner);
};

extern TMainForm* MainForm;
extern TAboutForm* AboutForm;

// Set when step 3 starts, and at its end.
extern std::string ReadmeFileName;
extern bool RestartChosen;
// The first activation of the background window has happened.
extern bool FirstActivationDone;

// "Exit Setup": true when the user answers Yes.
bool ConfirmExitSetup();
// Starts `file` (quoted when it has spaces) with `parameters`; waits for it
// to end while the windows stay live. A failure shows its message.
void RunProgram(const std::string& file, const std::string& parameters, bool wait);
// Restarts the computer through the seam; a failure shows its message.
void RebootSystem();

// After start-up: the disk prompt, the background window, the folder chooser
// and the About box, the message loop, and the restart when chosen.
void RunSetupWindows(const TSetupScript& script);
