#include "StatusUnit.h"

#include "ComCtrls.h"
#include "Description.h"
#include "EllipsisLabel.h"
#include "Seam.h"
#include "StdCtrls.h"
#include "Wordcap.h"

namespace {
const char* const kProgressForm = R"(
object ProgressForm: TProgressForm
  Caption = 'tidy Zaderuzo Studio - Status'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 368
  ClientHeight = 289
  OnCloseQuery = FormCloseQuery
  object GradientCaption1: TGradientCaption
    Color = clTeal
    CompanyText.Caption = 'tidy'
    CompanyText.FontKind = fkCustom
    CompanyText.Font.Name = 'Arial'
    CompanyText.Font.Size = 12
    CompanyText.Font.Style = [fsBold, fsItalic]
    AppNameText.Caption = 'Zaderuzo Studio -'
    AppNameText.FontKind = fkCustom
    AppNameText.Font.Name = 'Arial'
    AppNameText.Font.Size = 12
    AppNameText.Font.Style = [fsBold]
    CaptionText.Caption = 'Status'
    CaptionText.FontKind = fkCustom
    CaptionText.Font.Name = 'Arial'
    CaptionText.Font.Size = 11
  end
  object Animate1: TAnimate
    Left = 8
    Top = 8
    Width = 272
    Height = 60
    CommonAVI = aviCopyFile
    StopFrame = 34
  end
  object SourceLabel: TEllipsisLabel
    Left = 8
    Top = 76
    Width = 352
    Height = 13
    AutoSize = False
    Ellipsis = elPath
  end
  object TargetLabel: TLabel
    Left = 160
    Top = 96
    Width = 200
    Height = 13
    AutoSize = False
    Alignment = taRightJustify
    Caption = 'My Archive.exe'
  end
  object CancelLabel: TLabel
    Left = 8
    Top = 96
    Visible = False
    Caption = 'None'
  end
  object ProgressBar2: TProgressBar
    Left = 8
    Top = 116
    Width = 352
    Height = 16
    Max = 100
  end
  object TreeView1: TTreeView
    Left = 8
    Top = 140
    Width = 352
    Height = 108
  end
  object CabListBox: TListBox
    Left = 8
    Top = 256
    Width = 40
    Height = 20
    Visible = False
  end
  object Button1: TButton
    Left = 146
    Top = 256
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Cancel = True
    OnClick = Button1Click
  end
  object StreamCabinetFileHandler1: TStreamCabinetFileHandler
  end
  object CabinetWriter1: TCabinetWriter
    FileHandler = StreamCabinetFileHandler1
  end
  object ZipArchiver1: TZipArchiver
    OnProgress = ZipArchiver1Progress
  end
end
)";
}  // namespace

void RegisterEngineClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  static const TClassInfo handler("TStreamCabinetFileHandler", &ComponentClassInfo(),
                                  Creator<TStreamCabinetFileHandler>());
  static const TClassInfo writer = [] {
    TClassInfo i("TCabinetWriter", &ComponentClassInfo(), Creator<TCabinetWriter>());
    i.Ref("FileHandler", &TCabinetWriter::SetFileHandler);
    i.Prop("FailOnIncompressible", &TCabinetWriter::FailOnIncompressible);
    i.Prop("FileSupport", &TCabinetWriter::FileSupport);
    return i;
  }();
  static const TClassInfo zip = [] {
    TClassInfo i("TZipArchiver", &ComponentClassInfo(), Creator<TZipArchiver>());
    i.Prop("Verbose", &TZipArchiver::Verbose);
    i.Prop("Trace", &TZipArchiver::Trace);
    i.Prop("AddCompLevel", &TZipArchiver::AddCompLevel);
    i.Prop("Unattended", &TZipArchiver::Unattended);
    i.Prop("SFXCaption", &TZipArchiver::SFXCaption);
    i.Event("OnProgress", &TZipArchiver::OnProgress);
    i.Event("OnMessage", &TZipArchiver::OnMessage);
    return i;
  }();
  RegisterClass(handler);
  RegisterClass(writer);
  RegisterClass(zip);
  RegisterClass(TEllipsisLabel::ClassInfo());
  RegisterClass(TGradientCaption::ClassInfo());
}

TProgressForm::TProgressForm(TComponent* owner) : TForm(owner) {
  RegisterEngineClasses();
  Field("Animate1", Animate1);
  Field("SourceLabel", SourceLabel);
  Field("TargetLabel", TargetLabel);
  Field("CancelLabel", CancelLabel);
  Field("Button1", Button1);
  Field("ProgressBar2", ProgressBar2);
  Field("TreeView1", TreeView1);
  Field("CabListBox", CabListBox);
  Field("CabinetWriter1", CabinetWriter1);
  Field("StreamCabinetFileHandler1", StreamCabinetFileHandler1);
  Field("ZipArchiver1", ZipArchiver1);
  Field("GradientCaption1", GradientCaption1);
  Handler("Button1Click", &TProgressForm::Button1Click);
  Handler("ZipArchiver1Progress", &TProgressForm::ZipArchiver1Progress);
  Handler("FormCloseQuery", &TProgressForm::FormCloseQuery);
  LoadDescription(kProgressForm);
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::MakeSteps() {
  if (steps_ && stepsSettings_ == Settings) return;
  IBuildView& view = *this;
  steps_ = std::make_unique<TBuildSteps>(view, *CabinetWriter1, *ZipArchiver1, *Settings);
  stepsSettings_ = Settings;
}

// ---------------------------------------------------------------------------
// What the build steps report

void TProgressForm::ClearLog() { TreeView1->Clear(); }

TLogLine TProgressForm::AddRootLine(const std::string& text) {
  TreeView1->AddChild(nullptr, text);
  return TreeView1->RootCount() - 1;
}

void TProgressForm::AddStepLine(TLogLine root, const std::string& text) {
  TTreeNode* node = TreeView1->AddChild(TreeView1->Root(root), text);
  TreeView1->SetTopItem(node);
}

void TProgressForm::ScrollLogTo(TLogLine line) { TreeView1->SetTopItem(TreeView1->Root(line)); }

void TProgressForm::SetProgressRange(int min, int max) { ProgressBar2->SetRange(min, max); }
void TProgressForm::SetProgressPosition(int position) { ProgressBar2->SetPosition(position); }

void TProgressForm::StepProgress() {
  ProgressBar2->SetStep(1);
  ProgressBar2->StepIt();
}

int TProgressForm::ProgressPosition() const { return ProgressBar2->Position(); }
int TProgressForm::ProgressMax() const { return ProgressBar2->Max(); }

void TProgressForm::StartClip(TBuildClip clip) {
  Animate1->SetCommonAVI(clip == TBuildClip::CopyFile ? TCommonAVI::aviCopyFile : TCommonAVI::aviFindFolder);
  Animate1->SetActive(true);
}

std::string TProgressForm::CancelFlag() const { return CancelLabel->Caption(); }

void TProgressForm::SetCancelFlag(const std::string& text) {
  CancelLabel->SetCaption(text);
  CancelLabel->Repaint();
}

void TProgressForm::ShowSource(const std::string& text) { SourceLabel->SetCaption(text); }
void TProgressForm::ShowTarget(const std::string& text) { TargetLabel->SetCaption(text); }

int TProgressForm::ShowMessage(const TBuildBox& box) {
  return Seam().ShowBox(box.OwnedByApplication ? Application().Handle() : nullptr, box.Text,
                        box.Caption.empty() ? Application().Title() : box.Caption, box.Flags);
}

void TProgressForm::ProcessMessages() { Application().ProcessMessages(); }

bool TProgressForm::Proceed() {
  if (!Settings) return false;
  if (Building()) return false;
  MakeSteps();
  if (!ProgramFolder.empty()) steps_->ProgramFolder = ProgramFolder;
  bool leaveOpen = false;
  bool built = steps_->Proceed(leaveOpen);
  if (!leaveOpen) Close();
  return built;
}

void TProgressForm::Button1Click(TComponent*) {
  if (steps_) steps_->CancelClick();
}

void TProgressForm::ZipArchiver1Progress(TComponent*, ProgressType type, const std::string& fileName, int fileSize) {
  if (steps_) steps_->ZipProgress(type, fileName, fileSize);
}

void TProgressForm::FormCloseQuery(TComponent*, bool& canClose) {
  // Closing while a build runs is a cancel request.
  if (Building()) {
    canClose = false;
    Button1Click(this);
  }
}
