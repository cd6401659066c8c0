#include "InstallForm.h"

#include "CmnFunc.h"
#include "Description.h"
#include "InstallRules.h"
#include "Main.h"
#include "FormPalette.h"
#include "MainForm.h"

#include <algorithm>
#include <climits>

namespace {

const char kInstallForm[] = R"(
object InstallForm: TInstallForm
  Caption = 'Setup'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  ClientWidth = 389
  ClientHeight = 140
  Font.Name = 'Arial'
  Font.Size = 8
  OnCreate = FormCreate
  OnCloseQuery = FormCloseQuery
  object Animate1: TAnimate
    Left = 12  Top = 8  Width = 272  Height = 60
    CommonAVI = aviCopyFiles
    StopFrame = 26
    Active = True
  end
  object StatusLabel: TLabel
    Left = 12  Top = 74  Width = 365  Height = 14
    AutoSize = False
  end
  object FilenameLabel: TNewPathLabel
    Left = 12  Top = 90  Width = 365  Height = 14
  end
  object ProgressGauge: TProgressBar
    Left = 12  Top = 110  Width = 272  Height = 18
  end
  object CancelButton: TButton
    Left = 302  Top = 106  Width = 75  Height = 25
    Cancel = True
    OnClick = CancelButtonClick
  end
end
)";

}  // namespace

TInstallForm::TInstallForm(TComponent* owner, TMainForm& mainForm)
    : TForm(owner), mainForm_(mainForm), Install{mainForm.Script, Changes, *this, {}} {
  RegisterNewFCtrlClasses();
  Field("StatusLabel", StatusLabel);
  Field("FilenameLabel", FilenameLabel);
  Field("ProgressGauge", ProgressGauge);
  Field("CancelButton", CancelButton);
  Field("Animate1", Animate1);
  Handler("FormCreate", &TInstallForm::FormCreate);
  Handler("FormCloseQuery", &TInstallForm::FormCloseQuery);
  Handler("CancelButtonClick", &TInstallForm::CancelButtonClick);
  LoadDescription(kInstallForm);
}

TInstallForm::~TInstallForm() { Changes.Clear(); }

void TInstallForm::CreateParams(TCreateParams& p) {
  TForm::CreateParams(p);
  p.WndParent = mainForm_.Handle();  // owned by the background window
}

HPALETTE TInstallForm::GetPalette() const { return mainForm_.GetPalette(); }

void TInstallForm::WndProc(TMessage& m) {
  if (!HandlePaletteMessage(Handle(), GetPalette(), m)) TForm::WndProc(m);
}

void TInstallForm::FormCreate(TComponent*) {
  RECT client;
  GetClientRect(mainForm_.Handle(), &client);
  POINT origin{0, 0};
  ::ClientToScreen(mainForm_.Handle(), &origin);
  const int left = origin.x + (client.left + client.right) / 2 - Width() / 2;
  const int top = origin.y + (client.top + client.bottom) / 2 - Height() / 2;
  SetBounds(std::max(0, left), std::max(0, top), Width(), Height());
  CancelButton->SetCaption("Cancel");
  maximum_ = InstallProgressMaximum(mainForm_.Script);
  scale_ = maximum_ / INT_MAX + 1;
  ProgressGauge->SetRange(0, static_cast<int>(maximum_ / scale_));
  Changes.Title = mainForm_.Script.ScriptHeader.ProgramName;
  Changes.Common = IsAdmin ? 1 : 0;
}

void TInstallForm::Run() {
  Show();
  RunInstall();
}

void TInstallForm::RunInstall() {
  try {
    PerformInstall(Install);
    Changes.Commit();  // nothing of this run is rolled back from here on
    Finished = true;
    if (IWizardWindow* wizard = mainForm_.WizardForm())
      wizard->ShowInstCheck(mainForm_.YesLabel->Caption() == "Installed");
    Close();
    PostMessageA(mainForm_.Handle(), NextStepMessage, 0, 0);
    return;
  } catch (const EAbort&) {
    // Given up: no message.
  } catch (const std::exception& e) {
    // Any other failure, of the general class or not, is shown and rolled back.
    Application().ShowException(e);
    ShowMsg("Setup was not complete.\r\n\r\nPlease correct the problem and run Setup again.", "", mkError, MB_OK);
  }
  Changes.Undo(false);
  Application().Terminate();
}

void TInstallForm::SetPosition(int64_t position) {
  position_ = position;
  ProgressGauge->SetPosition(static_cast<int>(std::min(position_, maximum_) / scale_));
  ProgressGauge->Update();
}

void TInstallForm::ShowStatus(const std::string& text) {
  StatusLabel->SetCaption(text);
  StatusLabel->Repaint();
}

void TInstallForm::ShowFilename(const std::string& path) {
  FilenameLabel->SetCaption(path);
  FilenameLabel->Repaint();
}

void TInstallForm::PollCancel() {
  if (CancelRequested) throw EAbort();
  Application().ProcessMessages();
  if (CancelRequested) throw EAbort();
}

void TInstallForm::MarkUpdateInstalled() { mainForm_.YesLabel->SetCaption("Installed"); }

void TInstallForm::FormCloseQuery(TComponent*, bool& canClose) {
  if (Finished) return;
  canClose = false;
  if (ConfirmExitSetup()) CancelRequested = true;
}

void TInstallForm::CancelButtonClick(TComponent*) { Close(); }
