// The windows the background window's steps drive: the wizard pages
// (steps 1 and 3) and the install window (step 2). Each comes from a
// factory below, so that a test can put a window of its own there.
#pragma once
#include "Forms.h"

#include <functional>
#include <memory>
#include <string>

class TMainForm;

// The wizard window as the steps see it. It lives from step 1 to the end,
// owned by the application.
class IWizardWindow {
public:
  virtual ~IWizardWindow() = default;
  virtual TForm& Form() = 0;
  // Step 1: show the window at page 0.
  virtual void ShowFirstPages() = 0;
  // End of step 1: DirEdit, GroupEdit and NoIconsCheck.
  virtual std::string DirEditText() = 0;
  virtual std::string GroupEditText() = 0;
  virtual bool NoIconsChecked() = 0;
  // Step 3: FinishedLabel, YesRadio and NoRadio shown, ShowReadmeCheck
  // shown, then PageIndex, UpdatePage and show again.
  virtual void SetFinishedText(const std::string& text) = 0;
  virtual void ShowRestartChoice() = 0;
  virtual void ShowReadmeChoice() = 0;
  // End of the install: InstCheck shown when the update program was copied.
  virtual void ShowInstCheck(bool visible) = 0;
  virtual void ShowFinishPage(int pageIndex) = 0;
  // End of step 3: YesRadio and ShowReadmeCheck.
  virtual bool YesRadioChecked() = 0;
  virtual bool ShowReadmeChecked() = 0;
};

// The install window of step 2; freed when the step ends. Its one owner is
// the background window that holds it, not the application.
class IInstallWindow {
public:
  virtual ~IInstallWindow() = default;
  virtual TForm& Form() = 0;
  // Shows the window and runs the install inside the step's handler. Its
  // last act is to post NextStepMessage to the background window.
  virtual void Run() = 0;
};

using TWizardWindowFactory = std::function<IWizardWindow*(TMainForm& mainForm)>;
using TInstallWindowFactory = std::function<std::unique_ptr<IInstallWindow>(TMainForm& mainForm)>;
extern TWizardWindowFactory CreateWizardWindow;
extern TInstallWindowFactory CreateInstallWindow;
// The factories' defaults: the wizard and the install window.
IWizardWindow* CreateWizardForm(TMainForm& mainForm);
std::unique_ptr<IInstallWindow> CreateInstallForm(TMainForm& mainForm);
