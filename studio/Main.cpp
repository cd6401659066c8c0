#include "Main.h"

#include <shellapi.h>

#include "Description.h"
#include "ProgramFolder.h"
#include "Seam.h"

namespace {
#include "MainForm.inc"

const char* const kFocusTexts[][2] = {
    {"e1", "The Title Of Your Package"},
    {"pass1", "Choose A Password To Protect your Package"},
    {"pass2", "Enter the Password again for verification"},
    {"CheckBox2", "Files will be deleted after compression"},
    {"CheckBox3", "Force To Store Files in DOS '8.3' Filename Format"},
    {"r1", "Press F1 for more help on this Item"},
    {"r2", "Press F1 for more help on this Item"},
    {"r3", "Press F1 for more help on this Item"},
    {"r4", "Press F1 for more help on this Item"},
};

// The bytes of one of the program's RCDATA resources; empty without it.
std::vector<uint8_t> ResourceBytes(const char* name) {
  HRSRC res = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  const auto* bytes = data ? static_cast<const uint8_t*>(LockResource(data)) : nullptr;
  return bytes ? std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, res)) : std::vector<uint8_t>();
}

}  // namespace

std::string ProgramFolderPath() { return ProgramFolder(); }

TForm1::TForm1(TComponent* owner) : AnimMenus::TForm(owner), commands_(*this, *this, files_) {
  RegisterAboutClasses();
  static bool registered = [] {
    RegisterSideBarClasses();
    RegisterAnimMenuClasses();
    RegisterFileExplorerClasses();
    for (const TClassInfo* info : {&TTabSet::ClassInfo(), &TDirTree::ClassInfo(), &TFlatEdit::ClassInfo(),
                                   &TDropDownComboBox::ClassInfo(), &TToolbarButton::ClassInfo(),
                                   &TAniIcon::ClassInfo(), &TDock::ClassInfo(), &TToolbar::ClassInfo(),
                                   &TToolbarSep::ClassInfo()})
      RegisterClass(*info);
    return true;
  }();
  (void)registered;
  programFolder_ = ProgramFolderPath();
  treeFolder_ = programFolder_;

  Field("e1", e1); Field("e2", e2); Field("pass1", pass1); Field("pass2", pass2);
  Field("execution", execution); Field("defaultDir", defaultDir); Field("ovrChoice", ovrChoice);
  Field("r1", r1); Field("r2", r2); Field("r3", r3); Field("r4", r4);
  Field("cabsfx1", cabsfx1); Field("cabsfx2", cabsfx2);
  Field("CheckBox1", CheckBox1); Field("CheckBox2", CheckBox2); Field("CheckBox3", CheckBox3);
  Field("CheckBox4", CheckBox4); Field("CheckBox5", CheckBox5);
  Field("p1", p1); Field("p2", p2); Field("p3", p3);
  Field("TrackBar1", TrackBar1); Field("TrackBar2", TrackBar2);
  Field("TabSet1", TabSet1); Field("Notebook1", Notebook1); Field("Notebook2", Notebook2);
  Field("ZipCompress", ZipCompress); Field("cabCompress", cabCompress); Field("PermGroup", PermGroup);
  Field("PassLabel", PassLabel); Field("PassLabel1", PassLabel1); Field("PassLabel2", PassLabel2);
  Field("OvrLabel", OvrLabel); Field("RunLabel", RunLabel); Field("DirLabel", DirLabel); Field("DosLabel", DosLabel);
  Field("SourceDirView", SourceDirView); Field("SourceFileView", SourceFileView);
  Field("SourceListView", SourceListView); Field("SourceImages", SourceImages);
  Field("TheStatusBar", TheStatusBar); Field("SideBar1", SideBar1); Field("ToolBar1", ToolBar1);
  Field("Dock1", Dock1); Field("MenuBar1", MenuBar1);
  Field("File1", File1); Field("Navigate1", Navigate1); Field("Help1", Help1);
  Field("SideBasic", SideBasic); Field("SideSettings", SideSettings);
  Field("SideSelfExtraction", SideSelfExtraction); Field("SideBarImages", SideBarImages);
  Field("WorkingIcon", WorkingIcon);
  Field("NewButton", NewButton); Field("OpenButton", OpenButton); Field("SaveButton", SaveButton);
  Field("BuildButton", BuildButton); Field("TestButton", TestButton); Field("HelpButton", HelpButton);
  Field("WebButton", WebButton); Field("UrlLabel1", UrlLabel1);
  Field("GradientCaption1", GradientCaption1);

  Handler("Changed", &TForm1::Changed);
  Handler("e2Change", &TForm1::e2Change);
  Handler("KindClick", &TForm1::KindClick);
  Handler("TabSet1Change", &TForm1::TabSet1Change);
  Handler("FocusStatus", &TForm1::FocusStatus);
  Handler("ClearStatus", &TForm1::ClearStatus);
  Handler("SourceDirViewChange", &TForm1::SourceDirViewChange);
  Handler("AddFolderClick", &TForm1::AddFolderClick);
  Handler("AddFileClick", &TForm1::AddFileClick);
  Handler("RemoveClick", &TForm1::RemoveClick);
  Handler("BrowseClick", &TForm1::BrowseClick);
  Handler("SideBarClick", &TForm1::SideBarClick);
  Handler("ToolButtonClick", &TForm1::ToolButtonClick);
  Handler("HelpPageClick", &TForm1::HelpPageClick);
  Handler("MenuClick", &TForm1::MenuClick);
  Handler("FormCloseQuery", &TForm1::FormCloseQuery);
  Handler("FormResize", &TForm1::FormResize);
  LoadDescription(kMainForm);

  LoadPictures();

  // As the window is created: the help file beside the program, a new
  // project. The directory tree goes to the program's folder once the
  // window is up (FillFolderPane).
  Application().SetHelpFile(programFolder_ + "Mainhelp.hlp");
  SizeLocked = true;
  ShowPage(pgArchiveInfo);
  commands_.New();
  SizeLocked = false;
}

// The folder pane's own message, posted when the window is first shown.
namespace {
constexpr UINT kFillFolderPaneMessage = WM_APP + 0x133;
}

void TForm1::WndProc(TMessage& m) {
  if (m.Msg == kFillFolderPaneMessage) {
    FillFolderPane();
    return;
  }
  AnimMenus::TForm::WndProc(m);
  // Posted, so the window is shown and drawn before the shell is asked.
  if (m.Msg == WM_SHOWWINDOW && m.WParam && !folderPanePosted_) {
    folderPanePosted_ = true;
    PostMessageA(Handle(), kFillFolderPaneMessage, 0, 0);
  }
}

void TForm1::FillFolderPane() {
  if (folderPaneFilled_ || !HandleAllocated()) return;
  folderPaneFilled_ = true;
  UpdateWindow(Handle());
  // The source list's file (image 0) and folder (image 1), as the shell
  // shows them.
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::pair<const char*, DWORD> shellIcons[] = {{"file.txt", FILE_ATTRIBUTE_NORMAL},
                                                       {windows, FILE_ATTRIBUTE_DIRECTORY}};
  for (const auto& [path, attributes] : shellIcons) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path, attributes, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    SourceImages->AddIcon(info.hIcon ? info.hIcon : LoadIconA(nullptr, IDI_APPLICATION));
    if (info.hIcon) DestroyIcon(info.hIcon);
  }
  if (SourceListView->HandleAllocated()) InvalidateRect(SourceListView->Handle(), nullptr, TRUE);
  // A tree filled meanwhile (a test's or a user's folder) stays as it is.
  if (SourceDirView->RootCount() > 0) return;
  SourceDirView->ReadDrives();
  SourceDirView->SetDirectory(treeFolder_);
}

TForm1::~TForm1() = default;

TMenuItem* TForm1::MenuItem(UINT id) const {
  for (TMenuItem* top : {File1, Navigate1, Help1})
    for (int i = 0; i < top->Count(); ++i)
      if (top->Items(i)->Tag == static_cast<int>(id)) return top->Items(i);
  return nullptr;
}

void TForm1::LoadPictures() {
  // The side bar's icons, in the order of its buttons' image indexes.
  for (const char* name : {"SIDE_INFO", "SIDE_SOURCES", "SIDE_HELP", "SIDE_COMPRESS", "SIDE_SFX"})
    if (auto* icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, 32, 32, 0))) {
      SideBarImages->AddIcon(icon);
      DestroyIcon(icon);
    }
  const std::pair<TToolbarButton*, const char*> glyphs[] = {
      {NewButton, "TB_NEW"},     {OpenButton, "TB_OPEN"}, {SaveButton, "TB_SAVE"}, {BuildButton, "TB_BUILD"},
      {TestButton, "TB_TEST"},   {HelpButton, "TB_HELP"}, {WebButton, "TB_WEB"},
  };
  for (const auto& [button, name] : glyphs) {
    TBitmap glyph;
    if (glyph.LoadFromBytes(ResourceBytes(name))) button->SetGlyph(glyph);
  }
  std::vector<uint8_t> working = ResourceBytes("WORKING");
  if (!working.empty()) {
    try {
      WorkingIcon->AniFile().LoadFromBytes(working);
    } catch (const Exception&) {
      // The page shows its text without the animation.
    }
  }
}

// ---------------------------------------------------------------------------
// IStudioControls

TWinControl* TForm1::TextControl(TStudioText which) const {
  switch (which) {
    case TStudioText::e1: return e1;
    case TStudioText::e2: return e2;
    case TStudioText::pass1: return pass1;
    case TStudioText::pass2: return pass2;
    case TStudioText::ovrChoice: return ovrChoice;
    case TStudioText::execution: return execution;
    case TStudioText::defaultDir: return defaultDir;
    case TStudioText::Count: break;
  }
  return nullptr;
}

TControl* TForm1::CheckControl(TStudioCheck which) const {
  TControl* const controls[] = {r1, r2, r3, r4, CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5,
                                p1, p2, p3, cabsfx1, cabsfx2};
  return controls[static_cast<size_t>(which)];
}

std::string TForm1::Text(TStudioText which) const { return TextControl(which)->Text(); }
void TForm1::SetText(TStudioText which, const std::string& text) {
  if (TextControl(which)->Text() != text) TextControl(which)->SetText(text);
}

bool TForm1::Checked(TStudioCheck which) const {
  TControl* c = CheckControl(which);
  if (auto* r = dynamic_cast<TRadioButton*>(c)) return r->Checked();
  return static_cast<TCheckBox*>(c)->Checked();
}

void TForm1::SetChecked(TStudioCheck which, bool on) {
  TControl* c = CheckControl(which);
  if (auto* r = dynamic_cast<TRadioButton*>(c))
    r->SetChecked(on);
  else
    static_cast<TCheckBox*>(c)->SetChecked(on);
}

int TForm1::Position(TStudioSlider which) const {
  return (which == TStudioSlider::TrackBar1 ? TrackBar1 : TrackBar2)->Position();
}

void TForm1::SetPosition(TStudioSlider which, int position) {
  (which == TStudioSlider::TrackBar1 ? TrackBar1 : TrackBar2)->SetPosition(ClampSlider(which, position));
}

std::vector<TSourceEntry> TForm1::SourceEntries() const {
  std::vector<TSourceEntry> entries;
  for (int i = 0; i < SourceListView->Count(); ++i)
    entries.push_back({SourceListView->Item(i)->Caption(), SourceListView->Item(i)->ImageIndex()});
  return entries;
}

void TForm1::AddSource(const TSourceEntry& entry) { SourceListView->Add(entry.Caption, entry.ImageIndex); }

// ---------------------------------------------------------------------------
// IStudioView

void TForm1::SetStatus(const std::string& text) {
  TheStatusBar->SetSimpleText(text);
  TheStatusBar->Repaint();
  Application().ProcessMessages();
}

void TForm1::SetProjectCaption(const std::string& name) {
  projectCaption_ = name;
  // The bar rebuilds the window caption from its parts.
  GradientCaption1->CaptionText().SetCaption(name);
  GradientCaption1->ForceFrameRepaint();
}

void TForm1::ShowKind(TArchiveKind kind) {
  TKindLayout layout = KindLayout(kind);
  SideSelfExtraction->SetVisible(layout.SelfExtraction);
  MenuItem(cmNavSelfExtraction)->SetVisible(layout.SelfExtraction);
  if (layout.SfxPage) Notebook2->SetPageIndex(static_cast<int>(*layout.SfxPage));
  ZipCompress->SetVisible(layout.ZipCompression);
  cabCompress->SetVisible(!layout.ZipCompression);
  // Disabling keeps the values: they are saved and checked by Build.
  for (TControl* c : std::initializer_list<TControl*>{CheckBox5, CheckBox1, CheckBox2, CheckBox3, pass1, pass2,
                                                      PassLabel, PassLabel1, PassLabel2})
    c->SetEnabled(layout.ZipOptions);
}

void TForm1::ShowStyle(int tab) {
  TStyleLayout layout = StyleLayout(tab);
  for (TControl* c : std::initializer_list<TControl*>{OvrLabel, ovrChoice, RunLabel, execution, DirLabel, defaultDir,
                                                      PermGroup})
    c->SetVisible(layout.ExtractionSettings);
  DosLabel->SetVisible(layout.DosText);
  p3->SetEnabled(layout.HideOverwriteEnabled);
}

void TForm1::ShowFirstPages() {
  SideBar1->SetActivePage(SideBasic);
  ShowPage(pgArchiveInfo);
}

void TForm1::ShowPage(int page) {
  Notebook1->SetPageIndex(page);
  for (UINT id = cmNavArchiveInfo; id <= cmNavSelfExtraction; ++id)
    MenuItem(id)->SetChecked(static_cast<int>(id - cmNavArchiveInfo) == page);
}

void TForm1::LockForBuild() {
  rememberedPage_ = Notebook1->PageIndex();
  Notebook1->SetEnabled(false);
  SideBar1->SetEnabled(false);
  File1->SetEnabled(false);
  Navigate1->SetEnabled(false);
  for (TToolbarButton* b : {BuildButton, NewButton, OpenButton, SaveButton}) b->SetEnabled(false);
  Notebook1->SetPageIndex(pgProcessing);
  WorkingIcon->SetAnimated(true);
}

void TForm1::UnlockAfterBuild() {
  WorkingIcon->SetAnimated(false);
  Notebook1->SetPageIndex(rememberedPage_);
  Notebook1->SetEnabled(true);
  SideBar1->SetEnabled(true);
  File1->SetEnabled(true);
  Navigate1->SetEnabled(true);
  for (TToolbarButton* b : {BuildButton, NewButton, OpenButton, SaveButton}) b->SetEnabled(true);
}

void TForm1::ShowAboutHeld() {
  if (AboutBox) AboutBox->ShowAbout(true);
}

// ---------------------------------------------------------------------------
// Handlers

void TForm1::Changed(TComponent*) { commands_.Changed(); }

void TForm1::e2Change(TComponent*) {
  commands_.Changed();
  SetStatus("The Filename Which you want your Package to be stored");
}

void TForm1::KindClick(TComponent* sender) {
  TRadioButton* const kinds[] = {r1, r2, r3, r4};
  for (int k = 0; k < 4; ++k)
    if (sender == kinds[k] && kinds[k]->Checked()) commands_.KindClick(static_cast<TArchiveKind>(k));
}

void TForm1::TabSet1Change(TComponent*, int newTab) { commands_.StyleChange(newTab); }

void TForm1::FocusStatus(TComponent* sender) {
  for (const auto& row : kFocusTexts)
    if (sender->Name() == row[0]) SetStatus(row[1]);
}

void TForm1::ClearStatus(TComponent*) { SetStatus(""); }

void TForm1::SourceDirViewChange(TComponent*, TTreeNode*) {
  SetStatus("Reading Directory Structure");
  try {
    SourceFileView->SetDirectory(SourceDirView->Directory());
  } catch (const EDirectoryError& e) {
    SetStatus("Error Reading Directory Information (E" + std::to_string(e.ErrorCode) + ")");
    return;
  }
  SetStatus("");
}

void TForm1::AddFolderClick(TComponent*) {
  // "?": no folder is selected, and there is nothing to add.
  std::string folder = SourceDirView->Directory();
  if (folder != "?") commands_.AddFolder(folder);
}

void TForm1::AddFileClick(TComponent*) { commands_.AddFile(SourceFileView->GetSelectedFile()); }

void TForm1::RemoveClick(TComponent*) {
  int count = SourceListView->SelCount();
  if (count == 0) return;
  if (count >= 2 && Application().MessageBox(RemoveConfirmText(count), "tidy Disk-Zaderuzo - CONFiRMATiON",
                                             MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
    return;
  for (int i = SourceListView->Count() - 1; i >= 0; --i)
    if (SourceListView->Item(i)->Selected()) SourceListView->Delete(i);
  commands_.Changed();
}

void TForm1::BrowseClick(TComponent*) { commands_.BrowseOutput(); }

void TForm1::SideBarClick(TComponent* sender) { ShowPage(sender->Tag); }

void TForm1::ToolButtonClick(TComponent* sender) {
  if (sender == NewButton) Command(cmNew);
  else if (sender == OpenButton) Command(cmOpen);
  else if (sender == SaveButton) Command(cmSave);
  else if (sender == BuildButton) Command(cmBuild);
  else if (sender == TestButton) commands_.TestRun();
  else if (sender == HelpButton) HelpContents();
  else if (sender == WebButton) OpenAddress(kMakerHomePage);
}

void TForm1::HelpPageClick(TComponent* sender) {
  switch (sender->Tag) {
    case 0: Application().HelpJump("BigWelcome"); break;
    case 1: Application().HelpJump("About"); break;
    case 2: if (ContactBox) ContactBox->ShowModal(); break;
    case 3: OpenAddress(kProductPage); break;
    default: break;
  }
}

void TForm1::MenuClick(TComponent* sender) { Command(static_cast<UINT>(sender->Tag)); }

void TForm1::FormCloseQuery(TComponent*, bool& canClose) { canClose = commands_.CloseQuery(); }

void TForm1::FormResize(TComponent*) {
  if (SizeLocked || !HandleAllocated() || (Width() == 510 && Height() == 397)) return;
  SizeLocked = true;
  SetWindowState(TWindowState::wsNormal);
  SetBounds(Left(), Top(), 510, 397);
  SizeLocked = false;
}

void TForm1::OpenAddress(const std::string& address) {
  UrlLabel1->SetCaption(address);
  Application().ProcessMessages();
  UrlLabel1->Click();
}

void TForm1::HelpContents() {
  Seam().Help(Application().Handle(), programFolder_ + "MainHelp.Hlp", HELP_FINDER, 0);
}

void TForm1::Command(UINT id) {
  switch (id) {
    case cmNew: commands_.New(); break;
    case cmOpen: commands_.Open(); break;
    // The File menu's Save does as the toolbar's Save.
    case cmSave: commands_.Save(); break;
    case cmSaveAs: commands_.SaveAs(); break;
    case cmBuild: commands_.Build(); break;
    case cmExit: Close(); break;
    case cmNavArchiveInfo:
    case cmNavSourceFiles:
    case cmNavHelpPage:
    case cmNavCompression:
    case cmNavSelfExtraction:
      // A hidden item's shortcut still reaches here: its page stays away.
      if (!commands_.Building() && MenuItem(id)->Visible()) ShowPage(static_cast<int>(id - cmNavArchiveInfo));
      break;
    case cmHelpContents: HelpContents(); break;
    case cmHelpIntroduction: Application().HelpJump("BigWelcome"); break;
    case cmHelpWeb: OpenAddress(kMakerHomePage); break;
    case cmHelpMail: OpenAddress(std::string("mailto:") + kMakerMail); break;
    case cmHelpAbout: if (AboutBox) AboutBox->ShowAbout(false); break;
    default: break;
  }
}
