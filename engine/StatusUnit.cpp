#include "StatusUnit.h"

#include <algorithm>

#include "ComCtrls.h"
#include "Description.h"
#include "EllipsisLabel.h"
#include "EngineClasses.h"
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

void RegisterBuildWindowClasses() {
  RegisterEngineClasses();
  RegisterClass(TEllipsisLabel::ClassInfo());
  RegisterClass(TGradientCaption::ClassInfo());
}

TProgressForm::TProgressForm(TComponent* owner) : TForm(owner) {
  RegisterBuildWindowClasses();
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
  if (!view_) view_ = std::make_unique<TView>(*this);
  steps_ = std::make_unique<TBuildSteps>(*view_, *CabinetWriter1, *ZipArchiver1, *Settings);
  stepsSettings_ = Settings;
}

TProgressForm::TView::TView(TProgressForm& form)
    : TControlsBuildView(form.TreeView1, form.ProgressBar2, form.Animate1, form.CancelLabel), form_(form) {}

void TProgressForm::TView::ShowSource(const std::string& text) { source_ = text; }
void TProgressForm::TView::ShowTarget(const std::string& text) { target_ = text; }

void TProgressForm::TView::ShowLabels() {
  if (source_) form_.SourceLabel->SetCaption(*source_);
  if (target_) form_.TargetLabel->SetCaption(*target_);
  source_.reset();
  target_.reset();
}

// ---------------------------------------------------------------------------
// What the build steps report

void TControlsBuildView::ClearLog() {
  newestLine_ = nullptr;
  tree_->Clear();
}

TLogLine TControlsBuildView::AddRootLine(const std::string& text) {
  tree_->AddChild(nullptr, text);
  return tree_->RootCount() - 1;
}

void TControlsBuildView::AddStepLine(TLogLine root, const std::string& text) {
  if (HWND h = tree_->HandleIfAllocated(); h && !logHeld_) {
    SendMessageA(h, WM_SETREDRAW, FALSE, 0);
    logHeld_ = true;
  }
  newestLine_ = tree_->AddChild(tree_->Root(root), text);
}

void TControlsBuildView::ScrollLogTo(TLogLine line) {
  newestLine_ = nullptr;
  tree_->SetTopItem(tree_->Root(line));
}

namespace {
constexpr unsigned long kFrameMs = 50;
// Looking for clicks and keys costs more than a small file too; doing it
// every few milliseconds keeps them prompt.
constexpr unsigned long kInputMs = 4;
}  // namespace

// Frames take at most a twentieth of the time, however slow drawing is.
bool TControlsBuildView::FrameDue() const {
  return GetTickCount() - lastFrame_ >= std::max(kFrameMs, 19 * frameCost_);
}

// A tree that draws again while shown lays out and draws its scroll bars
// there and then, at every step; hidden, it only lays out. So the held log
// is let go with the tree hidden for that moment, without a redraw, and is
// drawn once after. A tree with the focus in it (or in its label editor)
// keeps it: it is let go as it is.
void TControlsBuildView::ShowHeld() {
  HWND h = tree_->HandleIfAllocated();
  const bool held = h && logHeld_;
  const HWND focus = GetFocus();
  const bool hide = held && IsWindowVisible(h) && focus != h && !IsChild(h, focus);
  constexpr UINT kQuiet = SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (hide) SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | kQuiet);
  if (held) SendMessageA(h, WM_SETREDRAW, TRUE, 0);
  logHeld_ = false;
  if (newestLine_) tree_->SetTopItem(newestLine_);
  newestLine_ = nullptr;
  if (hide) SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | kQuiet);
  if (held) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  if (progressHeld_) {
    progress_->SetRange(model_.Min(), model_.Max());
    progress_->SetPosition(model_.Position());
  }
  progressHeld_ = false;
  ShowLabels();
}

// The bar's values live in a bar with no window until the next frame.
void TControlsBuildView::HoldProgress() {
  if (progressHeld_) return;
  model_.SetRange(progress_->Min(), progress_->Max());
  model_.SetPosition(progress_->Position());
  progressHeld_ = true;
}

void TControlsBuildView::SetProgressRange(int min, int max) {
  HoldProgress();
  model_.SetRange(min, max);
}

void TControlsBuildView::SetProgressPosition(int position) {
  HoldProgress();
  model_.SetPosition(position);
}

void TControlsBuildView::StepProgress() {
  HoldProgress();
  model_.SetStep(1);
  model_.StepIt();
}

int TControlsBuildView::ProgressPosition() const { return progressHeld_ ? model_.Position() : progress_->Position(); }
int TControlsBuildView::ProgressMax() const { return progressHeld_ ? model_.Max() : progress_->Max(); }

void TControlsBuildView::StartClip(TBuildClip clip) {
  animation_->SetCommonAVI(clip == TBuildClip::CopyFile ? TCommonAVI::aviCopyFile : TCommonAVI::aviFindFolder);
  animation_->SetActive(true);
}

std::string TControlsBuildView::CancelFlag() const { return cancelFlag_->Caption(); }

void TControlsBuildView::SetCancelFlag(const std::string& text) {
  cancelFlag_->SetCaption(text);
  cancelFlag_->Repaint();
}

int TControlsBuildView::ShowMessage(const TBuildBox& box) {
  ShowHeld();
  return Seam().ShowBox(box.OwnedByApplication ? Application().Handle() : nullptr, box.Text,
                        box.Caption.empty() ? Application().Title() : box.Caption, box.Flags);
}

void TControlsBuildView::ProcessMessages() {
  if (!FrameDue()) {
    if (GetTickCount() - lastInput_ < kInputMs) return;
    Application().ProcessMessagesButPaint();
    lastInput_ = GetTickCount();
    return;
  }
  const unsigned long start = GetTickCount();
  ShowHeld();
  Application().ProcessMessages();
  lastInput_ = lastFrame_ = GetTickCount();
  frameCost_ = lastFrame_ - start;
}

bool TProgressForm::Proceed() {
  if (!Settings) return false;
  if (Building()) return false;
  MakeSteps();
  if (!ProgramFolder.empty()) steps_->ProgramFolder = ProgramFolder;
  bool leaveOpen = false;
  bool built = steps_->Proceed(leaveOpen);
  // A window that closes is hidden first: drawing what was held into a
  // hidden window costs next to nothing.
  if (!leaveOpen) Close();
  view_->ShowHeld();
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
