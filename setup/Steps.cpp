#include "Steps.h"

#include "InstallForm.h"
#include "Wizard.h"

TWizardWindowFactory CreateWizardWindow = CreateWizardForm;
TInstallWindowFactory CreateInstallWindow = CreateInstallForm;

IWizardWindow* CreateWizardForm(TMainForm& mainForm) { return new TWizardForm(&Application(), mainForm); }

std::unique_ptr<IInstallWindow> CreateInstallForm(TMainForm& mainForm) {
  return std::make_unique<TInstallForm>(nullptr, mainForm);
}
