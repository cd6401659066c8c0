#include "Core.h"

#include <algorithm>

#include "About.h"
#include "AniFile.h"
#include "BrowseFolder.h"
#include "Description.h"
#include "DropCombo.h"
#include "EngineClasses.h"
#include "FileDropTarget.h"
#include "FlatEdit.h"
#include "Guards.h"
#include "OButton.h"
#include "ProgramFolder.h"
#include "ToolKit.h"

namespace {
#include "CoreForm.inc"

const char* const kSaveMyProject = "Save My Project";
const char* const kDontSaveMyProject = "Don't Save My Project";

void RegisterWizardClasses() {
  static bool done = [] {
    RegisterAboutClasses();
    RegisterEngineClasses();
    for (const TClassInfo* info :
         {&TToolbarButton::ClassInfo(), &TFlatEdit::ClassInfo(), &TDropDownComboBox::ClassInfo(),
          &TAniIcon::ClassInfo(), &TOButton::ClassInfo(), &TBrowseFolderDialog::ClassInfo(),
          &TFileDropTarget::ClassInfo()})
      RegisterClass(*info);
    return true;
  }();
  (void)done;
}

// A 16 x 16 icon: a rounded tile of the colour with a letter.
HICON KindIcon(COLORREF colour, const char* letter) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP colourBits = CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP maskBits = CreateBitmap(16, 16, 1, 1, nullptr);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, maskBits);
  PatBlt(dc, 0, 0, 16, 16, WHITENESS);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  RoundRect(dc, 0, 0, 16, 16, 5, 5);
  SelectObject(dc, colourBits);
  PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  RoundRect(dc, 0, 0, 16, 16, 5, 5);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT r{0, 0, 16, 16};
  DrawTextA(dc, letter, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteDC(dc);
  ICONINFO info{TRUE, 0, 0, maskBits, colourBits};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colourBits);
  DeleteObject(maskBits);
  return icon;
}
}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner), commands_(*this, *this, files_) {
  RegisterWizardClasses();
  programFolder_ = ::ProgramFolder();

  Field("GradientCaption1", GradientCaption1);
  Field("Panel1", Panel1); Field("Image1", Image1); Field("cabListBox", cabListBox);
  Field("ProgressBar1", ProgressBar1); Field("TitleLabel", TitleLabel); Field("Notebook1", Notebook1);
  Field("BitBtn1", BitBtn1); Field("BitBtn2", BitBtn2); Field("BitBtn3", BitBtn3); Field("BitBtn4", BitBtn4);
  Field("BitBtn5", BitBtn5); Field("BitBtn6", BitBtn6); Field("HelpButton", HelpButton);
  Field("CancelLabel", CancelLabel); Field("Pname", Pname);
  Field("OLabel1", OLabel1); Field("OLabel2", OLabel2); Field("OLabel3", OLabel3);
  Field("ListView1", ListView1); Field("Label5", Label5);
  Field("FlatEdit1", FlatEdit1); Field("FlatEdit2", FlatEdit2); Field("ListBox1", ListBox1); Field("ListBox2", ListBox2);
  Field("ToolbarButton2", ToolbarButton2); Field("ToolbarButton3", ToolbarButton3);
  Field("ToolbarButton4", ToolbarButton4); Field("ToolbarButton5", ToolbarButton5);
  Field("ToolbarButton6", ToolbarButton6); Field("ToolbarButton7", ToolbarButton7);
  Field("ToolbarButton8", ToolbarButton8); Field("ToolbarButton9", ToolbarButton9);
  Field("ToolbarButton10", ToolbarButton10); Field("ToolbarButton11", ToolbarButton11);
  Field("Notebook2", Notebook2);
  Field("TrackBar1", TrackBar1); Field("TrackBar2", TrackBar2); Field("TrackBar3", TrackBar3);
  Field("TrackBar4", TrackBar4);
  Field("cabSFX1", cabSFX1); Field("cabSFX2", cabSFX2); Field("dosSFX", dosSFX); Field("winSimpleSFX", winSimpleSFX);
  Field("winAdvancedSFX", winAdvancedSFX);
  Field("Pass1", Pass1); Field("Pass2", Pass2); Field("execution", execution); Field("defaultDir", defaultDir);
  Field("ovrChoice", ovrChoice); Field("OvrLabel", OvrLabel); Field("RunLabel", RunLabel); Field("DirLabel", DirLabel);
  Field("CheckBox1", CheckBox1); Field("CheckBox2", CheckBox2); Field("CheckBox3", CheckBox3);
  Field("CheckBox4", CheckBox4); Field("CheckBox5", CheckBox5); Field("p1", p1); Field("p2", p2); Field("p3", p3);
  Field("ProjectTitle", ProjectTitle); Field("ProjectOutputName", ProjectOutputName);
  Field("projectFilename", projectFilename); Field("SaveProjectOption", SaveProjectOption);
  Field("Memo1", Memo1); Field("Animate1", Animate1); Field("ProgressBar2", ProgressBar2);
  Field("TreeView1", TreeView1); Field("AniIcon1", AniIcon1); Field("TestBtn", TestBtn);
  Field("ZipArchiver1", ZipArchiver1); Field("CabinetWriter1", CabinetWriter1);
  Field("StreamCabinetFileHandler1", StreamCabinetFileHandler1);
  Field("OpenDialog1", OpenDialog1); Field("SaveDialog1", SaveDialog1);
  Field("BrowseFolderDialog1", BrowseFolderDialog1); Field("FileDropTarget1", FileDropTarget1);
  Field("ImageList1", ImageList1);

  Handler("BitBtn1Click", &TForm1::BitBtn1Click);
  Handler("BitBtn2Click", &TForm1::BitBtn2Click);
  Handler("BitBtn3Click", &TForm1::BitBtn3Click);
  Handler("BitBtn4Click", &TForm1::BitBtn4Click);
  Handler("BitBtn5Click", &TForm1::BitBtn5Click);
  Handler("BitBtn6Click", &TForm1::BitBtn6Click);
  Handler("ListView1Change", &TForm1::ListView1Change);
  Handler("SaveProjectOptionClick", &TForm1::SaveProjectOptionClick);
  Handler("ToolbarButton2Click", &TForm1::ToolbarButton2Click);
  Handler("ToolbarButton3Click", &TForm1::ToolbarButton3Click);
  Handler("ToolbarButton4Click", &TForm1::ToolbarButton4Click);
  Handler("ToolbarButton5Click", &TForm1::ToolbarButton5Click);
  Handler("ToolbarButton6Click", &TForm1::ToolbarButton6Click);
  Handler("ToolbarButton7Click", &TForm1::ToolbarButton7Click);
  Handler("ToolbarButton8Click", &TForm1::ToolbarButton8Click);
  Handler("ToolbarButton9Click", &TForm1::ToolbarButton9Click);
  Handler("ToolbarButton10Click", &TForm1::ToolbarButton10Click);
  Handler("ToolbarButton11Click", &TForm1::ToolbarButton11Click);
  Handler("FileDropTarget1Drop", &TForm1::FileDropTarget1Drop);
  Handler("StyleClick", &TForm1::StyleClick);
  Handler("CheckBox2Click", &TForm1::CheckBox2Click);
  Handler("OLabel1Click", &TForm1::OLabel1Click);
  Handler("OLabel2Click", &TForm1::OLabel2Click);
  Handler("OLabel3Click", &TForm1::OLabel3Click);
  Handler("TestBtnClick", &TForm1::TestBtnClick);
  Handler("HelpButtonClick", &TForm1::HelpButtonClick);
  Handler("HelpButtonMouseEnter", &TForm1::HelpButtonMouseEnter);
  Handler("HelpButtonMouseExit", &TForm1::HelpButtonMouseExit);
  Handler("FormCloseQuery", &TForm1::FormCloseQuery);
  Handler("ZipArchiver1Progress", &TForm1::ZipArchiver1Progress);
  LoadDescription(kCoreForm);
  Notebook2->SetActivePage("ZipSfx");

  PaintPlaceholderPicture(Image1, "tidy");
  MakeKindList();
  // The done page's animation, from the program's resources.
  if (HRSRC res = FindResourceA(nullptr, "DONEANI", MAKEINTRESOURCEA(10))) {
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, res)));
    if (bytes) {
      AniIcon1->AniFile().LoadFromBytes(std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, res)));
      AniIcon1->SetAnimated(true);
    }
  }
  buildView_ = std::make_unique<TBuildView>(*this);
  steps_ = std::make_unique<TBuildSteps>(*buildView_, *CabinetWriter1, *ZipArchiver1, commands_.Settings(),
                                         TBuildOptions{.OneGatherLine = true,
                                                       .MessagesBeforePattern = 2,
                                                       .MessagesAfterFileLine = 1,
                                                       .MessagesAfterDataSection = true,
                                                       .QuietMissingCabSFX = true,
                                                       .ZipStyleCheck = false});
  steps_->ProgramFolder = programFolder_;
  commands_.StyleClick();
}

TForm1::~TForm1() = default;

void TForm1::SetProgramFolder(const std::string& folder) {
  programFolder_ = folder;
  steps_->ProgramFolder = folder;
}

void TForm1::MakeKindList() {
  struct TKindIcon { COLORREF colour; const char* letter; };
  const TKindIcon icons[] = {{RGB(0, 96, 160), "C"}, {RGB(160, 96, 0), "Z"}, {RGB(0, 128, 96), "C"},
                             {RGB(160, 32, 64), "Z"}};
  for (const TKindIcon& k : icons) {
    HICON icon = KindIcon(k.colour, k.letter);
    ImageList1->AddIcon(icon);
    DestroyIcon(icon);
  }
  ListView1->SetSmallImages(ImageList1);
  const std::vector<std::string>& kinds = KindListOrder();
  for (size_t i = 0; i < kinds.size(); ++i) {
    TListItem* item = ListView1->Add();
    item->SetCaption(kinds[i]);
    item->SetImageIndex(static_cast<int>(i));
  }
  // Items follow the mouse, as a hot-tracking list does.
  ListView_SetExtendedListViewStyle(ListView1->Handle(), LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE);
}

// ---------------------------------------------------------------------------
// IWizardControls

TWinControl* TForm1::TextControl(TWizardText which) const {
  switch (which) {
    case TWizardText::ProjectTitle: return ProjectTitle;
    case TWizardText::ProjectOutputName: return ProjectOutputName;
    case TWizardText::projectFilename: return projectFilename;
    case TWizardText::FlatEdit1: return FlatEdit1;
    case TWizardText::FlatEdit2: return FlatEdit2;
    case TWizardText::Pass1: return Pass1;
    case TWizardText::Pass2: return Pass2;
    case TWizardText::ovrChoice: return ovrChoice;
    case TWizardText::execution: return execution;
    case TWizardText::defaultDir: return defaultDir;
    case TWizardText::Pname:
    case TWizardText::Count: break;
  }
  return nullptr;
}

TWinControl* TForm1::CheckControl(TWizardCheck which) const {
  TWinControl* const controls[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, p1, p2,
                                   p3, cabSFX1, cabSFX2, dosSFX, winSimpleSFX, winAdvancedSFX};
  return controls[static_cast<size_t>(which)];
}

TTrackBar* TForm1::Slider(TWizardSlider which) const {
  TTrackBar* const sliders[] = {TrackBar1, TrackBar2, TrackBar3, TrackBar4};
  return sliders[static_cast<size_t>(which)];
}

TListBox* TForm1::List(TWizardList which) const { return which == TWizardList::Files ? ListBox1 : ListBox2; }

std::string TForm1::Text(TWizardText which) const {
  if (which == TWizardText::Pname) return Pname->Caption();
  return TextControl(which)->Text();
}

void TForm1::SetText(TWizardText which, const std::string& text) {
  if (which == TWizardText::Pname) {
    Pname->SetCaption(text);
    return;
  }
  TFlagGuard quiet(quiet_);
  if (TextControl(which)->Text() != text) TextControl(which)->SetText(text);
}

bool TForm1::Checked(TWizardCheck which) const {
  TWinControl* c = CheckControl(which);
  if (auto* r = dynamic_cast<TRadioButton*>(c)) return r->Checked();
  return static_cast<TCheckBox*>(c)->Checked();
}

void TForm1::SetChecked(TWizardCheck which, bool on) {
  TFlagGuard quiet(quiet_);
  TWinControl* c = CheckControl(which);
  if (auto* r = dynamic_cast<TRadioButton*>(c))
    r->SetChecked(on);
  else
    static_cast<TCheckBox*>(c)->SetChecked(on);
}

int TForm1::Position(TWizardSlider which) const { return Slider(which)->Position(); }

void TForm1::SetPosition(TWizardSlider which, int position) {
  Slider(which)->SetPosition(std::clamp(position, 0, WizardSliderMax(which)));
}

std::string TForm1::KindText() const {
  TListItem* item = ListView1->Selected();
  return item ? item->Caption() : std::string();
}

void TForm1::SelectKind(const std::string& text) {
  TFlagGuard quiet(quiet_);
  for (int i = 0; i < ListView1->Count(); ++i) ListView1->Item(i)->SetSelected(ListView1->Item(i)->Caption() == text);
}

std::vector<std::string> TForm1::Items(TWizardList which) const { return List(which)->Items(); }

void TForm1::AddItem(TWizardList which, const std::string& item) { List(which)->AddItem(item); }

void TForm1::SetItems(TWizardList which, const std::vector<std::string>& items, const std::vector<bool>& selected) {
  TListBox* list = List(which);
  list->SetItems(items);
  for (size_t i = 0; i < items.size(); ++i) list->SetSelected(static_cast<int>(i), i < selected.size() && selected[i]);
}

std::vector<bool> TForm1::Selection(TWizardList which) const {
  TListBox* list = List(which);
  std::vector<bool> selected(static_cast<size_t>(list->ItemCount()));
  for (int i = 0; i < list->ItemCount(); ++i) selected[static_cast<size_t>(i)] = list->Selected(i);
  return selected;
}

bool TForm1::SaveChosen() const { return SaveProjectOption->Caption() == kSaveMyProject; }

void TForm1::SetSaveChosen(bool save) {
  SaveProjectOption->SetCaption(save ? kSaveMyProject : kDontSaveMyProject);
  SaveProjectOption->Font().SetColor(save ? clBlue : clGray);
}

// ---------------------------------------------------------------------------
// IWizardView

void TForm1::ShowPage(int page, const TPageLook& look) {
  Notebook1->SetPageIndex(page);
  ProgressBar1->SetPosition(page);
  BitBtn1->SetCaption(look.NextCaption);
  TitleLabel->SetCaption(look.Title);
  TitleLabel->Repaint();
  if (page == pgAdvancedSettings)
    for (TCheckBox* box : {CheckBox5, CheckBox1, CheckBox2, CheckBox3}) box->SetVisible(look.AllOptions);
}

TControl* TForm1::ButtonControl(TWizardButton button) const {
  switch (button) {
    case TWizardButton::Next: return BitBtn1;
    case TWizardButton::Back: return BitBtn2;
    case TWizardButton::Close: return BitBtn3;
    case TWizardButton::Cancel: return BitBtn4;
    case TWizardButton::Finish: return BitBtn5;
    case TWizardButton::BuildNow: return BitBtn6;
    case TWizardButton::Test: return TestBtn;
  }
  return nullptr;
}

bool TForm1::ButtonVisible(TWizardButton button) const { return ButtonControl(button)->Visible(); }
bool TForm1::ButtonEnabled(TWizardButton button) const { return ButtonControl(button)->Enabled(); }
void TForm1::SetButtonVisible(TWizardButton button, bool visible) { ButtonControl(button)->SetVisible(visible); }
void TForm1::SetButtonEnabled(TWizardButton button, bool enabled) { ButtonControl(button)->SetEnabled(enabled); }

void TForm1::ShowKindDescription(const std::string& text) { Label5->SetCaption(text); }

void TForm1::ShowStyleLayout(const TZipStyleLayout& layout) {
  for (TControl* c : std::initializer_list<TControl*>{ovrChoice, OvrLabel, execution, RunLabel, defaultDir, DirLabel, p1})
    c->SetEnabled(layout.ExtractionSettings);
  p2->SetEnabled(layout.AdvancedPermissions);
  p3->SetEnabled(layout.AdvancedPermissions);
}

void TForm1::SetReview(const std::vector<std::string>& lines) {
  Memo1->SetLines(lines);
  if (Memo1->HandleAllocated()) {
    // Everything selected, the first line in view.
    SendMessageA(Memo1->Handle(), EM_SETSEL, 0, 65536);
    SendMessageA(Memo1->Handle(), EM_LINESCROLL, 0, -SendMessageA(Memo1->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
  }
}

void TForm1::ShowAbout(bool holdOk) {
  if (AboutBox) AboutBox->ShowAbout(holdOk);
}

void TForm1::ShowContact() {
  if (ContactBox) ContactBox->ShowModal();
}

bool TForm1::BrowseFolder(std::string& folder) {
  if (!BrowseFolderDialog1->Browse()) return false;
  folder = BrowseFolderDialog1->Selection();
  return true;
}

void TForm1::ShowMainWindow() {
  Show();
  Repaint();
  if (BitBtn1->CanFocus()) BitBtn1->SetFocus();
}

bool TForm1::Build() {
  bool leaveOpen = false;
  bool built = steps_->Proceed(leaveOpen);
  buildView_->ShowHeld();
  return built;
}

// ---------------------------------------------------------------------------
// Handlers

void TForm1::ListView1Change(TComponent*) {
  if (!quiet_) commands_.KindChanged();
}

void TForm1::FileDropTarget1Drop(TComponent*) { Run([this] { commands_.DropFiles(FileDropTarget1->FileList()); }); }

void TForm1::StyleClick(TComponent*) {
  if (!quiet_) commands_.StyleClick();
}

void TForm1::CheckBox2Click(TComponent*) {
  if (!quiet_) commands_.MoveOptionClick();
}

void TForm1::HelpButtonMouseEnter(TComponent*) { HelpButton->Font().SetColor(clBlue); }
void TForm1::HelpButtonMouseExit(TComponent*) { HelpButton->Font().SetColor(clBtnFace); }

bool TForm1::DialogKey(WORD key) {
  return OLabelsDialogKey(this, key) || OButtonsDialogKey(this, key) || TForm::DialogKey(key);
}

// ---------------------------------------------------------------------------
// What the build steps report

TForm1::TBuildView::TBuildView(TForm1& form)
    : TControlsBuildView(form.TreeView1, form.ProgressBar2, form.Animate1, form.CancelLabel), form_(form) {}
