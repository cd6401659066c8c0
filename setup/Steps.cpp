#include "Steps.h"

#include "CmnFunc2.h"
#include "Description.h"
#include "Main.h"
#include "MainForm.h"
#include "ScriptFormat.h"
#include "StdCtrls.h"
#include "StrFmt.h"

#include <algorithm>

TWizardWindowFactory CreateWizardWindow = CreateStandInWizard;
TInstallWindowFactory CreateInstallWindow = CreateStandInInstall;

std::string ExpandMessageTokens(const TScriptHeader& header, const std::string& text) {
  std::string s = text;
  ReplaceAllTokens(s, "[name]", header.ProgramName);
  ReplaceAllTokens(s, "[name/ver]", header.ProgramVerName);
  ReplaceAllTokens(s, "[kb]", std::to_string(TotalBytes / 1024));
  return s;
}

namespace {

// Stand-in for the wizard pages: one page asks for the folder and group,
// the other finishes. Next and Finish hand over to the background window.
const char kStandInWizard[] = R"(
object StandInWizardForm: TStandInWizardForm
  Caption = 'Setup'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  ClientWidth = 400
  ClientHeight = 217
  OnCloseQuery = FormCloseQuery
  object TitleLabel: TLabel
    Left = 12  Top = 12  Width = 376  Height = 34
    AutoSize = False
    WordWrap = True
  end
  object DirLabel: TLabel
    Left = 12  Top = 52
    Caption = 'Destination folder:'
  end
  object DirEdit: TEdit
    Left = 12  Top = 68  Width = 376  Height = 21
    MaxLength = 63
  end
  object GroupLabel: TLabel
    Left = 12  Top = 98
    Caption = 'Program folder:'
  end
  object GroupEdit: TEdit
    Left = 12  Top = 114  Width = 376  Height = 21
  end
  object NoIconsCheck: TCheckBox
    Left = 12  Top = 142  Width = 376  Height = 17
    Caption = 'Don''t create any Program Icons'
    Visible = False
  end
  object FinishedLabel: TLabel
    Left = 12  Top = 52  Width = 376  Height = 48
    AutoSize = False
    WordWrap = True
    Visible = False
  end
  object ShowReadmeCheck: TCheckBox
    Left = 12  Top = 106  Width = 376  Height = 17
    Caption = 'Yes, I would like to view the Readme file'
    Visible = False
  end
  object YesRadio: TRadioButton
    Left = 12  Top = 106  Width = 376  Height = 17
    Caption = '&Yes, restart my computer now'
    Visible = False
  end
  object NoRadio: TRadioButton
    Left = 12  Top = 128  Width = 376  Height = 17
    Caption = '&No, I will restart my computer later'
    Visible = False
  end
  object NextButton: TButton
    Left = 232  Top = 180  Width = 75  Height = 25
    Caption = '&Next >'
    Default = True
    OnClick = NextButtonClick
  end
  object CancelButton: TButton
    Left = 313  Top = 180  Width = 75  Height = 25
    Caption = 'Cancel'
    Cancel = True
    OnClick = CancelButtonClick
  end
end
)";

class TStandInWizardForm : public TForm, public IWizardWindow {
public:
  TStandInWizardForm(TComponent* owner, TMainForm& mainForm) : TForm(owner), main_(mainForm) {
    Field("TitleLabel", TitleLabel);
    Field("DirEdit", DirEdit);
    Field("GroupEdit", GroupEdit);
    Field("NoIconsCheck", NoIconsCheck);
    Field("FinishedLabel", FinishedLabel);
    Field("ShowReadmeCheck", ShowReadmeCheck);
    Field("YesRadio", YesRadio);
    Field("NoRadio", NoRadio);
    Field("NextButton", NextButton);
    Field("CancelButton", CancelButton);
    Handler("FormCloseQuery", &TStandInWizardForm::FormCloseQuery);
    Handler("NextButtonClick", &TStandInWizardForm::NextButtonClick);
    Handler("CancelButtonClick", &TStandInWizardForm::CancelButtonClick);
    LoadDescription(kStandInWizard);
    ShowReadmeCheck->SetChecked(true);
    YesRadio->SetChecked(true);
  }

  TLabel *TitleLabel = nullptr, *FinishedLabel = nullptr;
  TEdit *DirEdit = nullptr, *GroupEdit = nullptr;
  TCheckBox *NoIconsCheck = nullptr, *ShowReadmeCheck = nullptr;
  TRadioButton *YesRadio = nullptr, *NoRadio = nullptr;
  TButton *NextButton = nullptr, *CancelButton = nullptr;

  TForm& Form() override { return *this; }

  void ShowFirstPages() override {
    TitleLabel->SetCaption(ExpandMessageTokens(main_.Script.ScriptHeader, "Setup will install [name/ver] in the following folder."));
    DirEdit->SetText(ProgramFilesPath + main_.Script.ScriptHeader.DefaultDirName);
    GroupEdit->SetText(main_.Script.ScriptHeader.DefaultGroupName);
    NoIconsCheck->SetVisible((main_.Script.ScriptHeader.HeaderOptions & hoAllowNoIcons) != 0);
    Centre();
    Show();
  }
  std::string DirEditText() override { return DirEdit->Text(); }
  std::string GroupEditText() override { return GroupEdit->Text(); }
  bool NoIconsChecked() override { return NoIconsCheck->Checked(); }

  void SetFinishedText(const std::string& text) override { finishedText_ = text; }
  void ShowRestartChoice() override {
    YesRadio->Show();
    NoRadio->Show();
  }
  void ShowReadmeChoice() override { ShowReadmeCheck->Show(); }
  void ShowFinishPage(int) override {
    for (TControl* c : std::initializer_list<TControl*>{DirEdit, GroupEdit, NoIconsCheck}) c->Hide();
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* label = dynamic_cast<TLabel*>(Controls(i)); label && label != TitleLabel) label->Hide();
    TitleLabel->SetCaption("Installation Completed!");
    FinishedLabel->SetCaption(finishedText_.empty() ? ExpandMessageTokens(main_.Script.ScriptHeader, "Setup has finished installing [name] on "
                                                                          "your computer.")
                                                    : finishedText_);
    FinishedLabel->Show();
    NextButton->SetCaption("&Finish");
    CancelButton->SetEnabled(false);
    Show();
  }
  bool YesRadioChecked() override { return YesRadio->Checked(); }
  bool ShowReadmeChecked() override { return ShowReadmeCheck->Checked(); }

  void NextButtonClick(TComponent*) {
    closingItself_ = true;
    Close();
    closingItself_ = false;
    PostMessageA(main_.Handle(), NextStepMessage, 0, 0);
  }
  void CancelButtonClick(TComponent*) { Close(); }
  void FormCloseQuery(TComponent*, bool& canClose) {
    if (closingItself_) return;
    // The background window decides, and may ask.
    main_.Close();
    canClose = main_.ClosingAgreed;
  }

protected:
  void CreateParams(TCreateParams& p) override {
    TForm::CreateParams(p);
    p.WndParent = main_.Handle();  // stays above the background window
  }

private:
  void Centre() {
    RECT r;
    GetClientRect(main_.Handle(), &r);
    SetBounds(std::max(0, static_cast<int>(r.right - Width()) / 2), std::max(0, static_cast<int>(r.bottom - Height()) / 2),
              Width(), Height());
  }

  TMainForm& main_;
  std::string finishedText_;
  bool closingItself_ = false;
};

// Stand-in for the install window: it shows itself and hands over at once.
class TStandInInstallForm : public TForm, public IInstallWindow {
public:
  TStandInInstallForm(TComponent* owner, TMainForm& mainForm) : TForm(owner), main_(mainForm) {
    SetCaption("Installing");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons({});
    SetClientWidth(300);
    SetClientHeight(60);
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetBounds(12, 20, 276, 17);
    label->SetCaption("Installing " + main_.Script.ScriptHeader.ProgramName + "...");
  }
  TForm& Form() override { return *this; }
  void Run() override {
    Show();
    Application().ProcessMessages();
    PostMessageA(main_.Handle(), NextStepMessage, 0, 0);
  }

protected:
  void CreateParams(TCreateParams& p) override {
    TForm::CreateParams(p);
    p.WndParent = main_.Handle();
  }

private:
  TMainForm& main_;
};

}  // namespace

IWizardWindow* CreateStandInWizard(TMainForm& mainForm) {
  return new TStandInWizardForm(&Application(), mainForm);
}

std::unique_ptr<IInstallWindow> CreateStandInInstall(TMainForm& mainForm) {
  return std::make_unique<TStandInInstallForm>(&Application(), mainForm);
}
