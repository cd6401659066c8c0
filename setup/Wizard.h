// The installer wizard: welcome, license, information, destination folder,
// program group and ready pages before the install; information-after and
// finish pages after it.
#pragma once
#include "ExtCtrls.h"
#include "Forms.h"
#include "Steps.h"
#include "StdCtrls.h"

#include <cstdint>
#include <string>
#include <vector>

class TMainForm;
class TWizardPaintBox;

class TWizardForm : public TForm, public IWizardWindow {
public:
  TWizardForm(TComponent* owner, TMainForm& mainForm);
  ~TWizardForm() override;

  uint8_t PageIndex = 0;
  bool ClosingItself = false;
  bool ShownOnce = false;

  TLabel* NameLabel = nullptr;
  TNotebook *OuterNotebook = nullptr, *InnerNotebook = nullptr;
  TImage *PictureImage = nullptr, *InfoBeforeImage = nullptr, *InfoAfterImage = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr, *LegalLabel = nullptr;
  TLabel *LicenseLabel1 = nullptr, *LicenseLabel2 = nullptr;
  TMemo *LicenseMemo = nullptr, *InfoBeforeMemo = nullptr, *InfoAfterMemo = nullptr;
  TLabel *SelectFolderLabel = nullptr, *DiskSpaceLabel = nullptr;
  TEdit* DirEdit = nullptr;
  TButton* BrowseButton = nullptr;
  TLabel* IconsLabel = nullptr;
  TEdit* GroupEdit = nullptr;
  TListBox* GroupList = nullptr;
  TCheckBox* NoIconsCheck = nullptr;
  TLabel* FinishedLabel = nullptr;
  TCheckBox *ShowReadmeCheck = nullptr, *InstCheck = nullptr;
  TRadioButton *YesRadio = nullptr, *NoRadio = nullptr;
  TButton *BackButton = nullptr, *NextButton = nullptr, *CancelButton = nullptr;
  TWizardPaintBox *WelcomePaintBox = nullptr, *IconPaintBox = nullptr;

  // Shows PageIndex: notebooks, buttons, caption and focus.
  void UpdatePage();
  // The folder checks of page 3; false (after its message) when the folder
  // is refused.
  bool ValidateFolder();
  // The group name check of page 4.
  bool ValidateGroup();
  // Fills the group list from the Programs folder or Program Manager.
  void ListExistingGroups();

  // IWizardWindow
  TForm& Form() override { return *this; }
  void ShowFirstPages() override;
  std::string DirEditText() override { return DirEdit->Text(); }
  std::string GroupEditText() override { return GroupEdit->Text(); }
  bool NoIconsChecked() override { return NoIconsCheck->Checked(); }
  void SetFinishedText(const std::string& text) override;
  void ShowRestartChoice() override;
  void ShowReadmeChoice() override { ShowReadmeCheck->Show(); }
  void ShowInstCheck(bool visible) override { InstCheck->SetVisible(visible); }
  void ShowFinishPage(int pageIndex) override;
  bool YesRadioChecked() override { return YesRadio->Checked(); }
  bool ShowReadmeChecked() override { return ShowReadmeCheck->Checked(); }

  // The background window's palette.
  HPALETTE GetPalette() const;

  void NextButtonClick(TComponent* sender);
  void BackButtonClick(TComponent* sender);
  void CancelButtonClick(TComponent* sender);
  void BrowseButtonClick(TComponent* sender);
  void GroupEditChange(TComponent* sender);
  void GroupListClick(TComponent* sender);
  void NoIconsCheckClick(TComponent* sender);
  void FormCloseQuery(TComponent* sender, bool& canClose);

protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;

private:
  void PaintWelcome(TCanvas& canvas);
  void PaintIcon(TCanvas& canvas);
  bool HasLicense() const;
  bool HasInfoBefore() const;
  bool HasInfoAfter() const;

  TMainForm& main_;
  bool syncingGroup_ = false;
};

// The free bytes of the drive with this letter, without wrapping at 32
// bits; false when they cannot be read.
bool DriveFreeBytes(char drive, uint64_t& freeBytes);
