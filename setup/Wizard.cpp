#include "Wizard.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "DDEInt.h"
#include "Description.h"
#include "Guards.h"
#include "Main.h"
#include "FormPalette.h"
#include "MainForm.h"
#include "MainFormPaint.h"
#include "Seam.h"
#include "SelFolderForm.h"
#include "StrFmt.h"
#include "WizardText.h"

#include <algorithm>

// A windowless box its owner paints.
class TWizardPaintBox : public TGraphicControl {
public:
  explicit TWizardPaintBox(TComponent* owner) : TGraphicControl(owner) {}
  std::function<void(TCanvas&)> OnPaintBox;

protected:
  void Paint(TCanvas& canvas) override {
    if (OnPaintBox) OnPaintBox(canvas);
  }
};

namespace {

// Outer and inner notebook page of each wizard page (-1: the inner page
// stays as it was), and its window caption.
struct TPageInfo {
  int Outer, Inner;
  const char* Caption;
};
const TPageInfo kPages[8] = {
    {0, 0, "Welcome"},
    {1, -1, "Software License Agreement"},
    {2, -1, "Information"},
    {0, 1, "Choose Destination Location"},
    {0, 2, "Select Program Folder"},
    {0, 4, "Start Copying Files"},
    {3, -1, "Information"},
    {0, 3, "Setup Complete"},
};

const char kWelcomeText[] =
    "Welcome to the [name] setup program. This will install [name/ver] on your computer.\r\n\r\n";
const char kWelcomeText2[] =
    "It is strongly recommended that you exit all Windows Programs before running this Setup Program.\r\n\r\n"
    "Click Cancel to quit Setup and then close any programs you have running. Click Next to continue with the "
    "Setup Program.";

const char kWizardForm[] = R"(
object WizardForm: TWizardForm
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  ClientWidth = 480
  ClientHeight = 309
  OnCloseQuery = FormCloseQuery
  object NameLabel: TLabel
    Left = 12  Top = 8  Width = 456  Height = 18
    AutoSize = False
    ShowAccelChar = False
    Font.Name = 'Arial'
    Font.Size = 10
    Font.Style = [fsBold]
  end
  object TopLine: TPanel
    Left = 0  Top = 32  Width = 480  Height = 2
    BevelOuter = bvLowered
  end
  object OuterNotebook: TNotebook
    Left = 0  Top = 34  Width = 480  Height = 228
    object TPage
      Caption = 'Main'
      object PictureImage: TImage
        Left = 12  Top = 10  Width = 120  Height = 208
      end
      object InnerNotebook: TNotebook
        Left = 144  Top = 0  Width = 336  Height = 228
        object TPage
          Caption = 'Welcome'
          object WelcomeLabel: TLabel
            Left = 44  Top = 16
            Caption = 'Welcome!'
            Font.Name = 'Arial'
            Font.Size = 12
            Font.Style = [fsBold]
          end
          object Label1: TLabel
            Left = 0  Top = 48  Width = 324  Height = 40
            AutoSize = False
            WordWrap = True
            ShowAccelChar = False
            Visible = False
          end
          object Label2: TLabel
            Left = 0  Top = 88  Width = 324  Height = 60
            AutoSize = False
            WordWrap = True
            ShowAccelChar = False
            Visible = False
          end
          object LegalLabel: TLabel
            Left = 0  Top = 178  Width = 324  Height = 42
            AutoSize = False
            WordWrap = True
            Caption = 'WARNING: This program is protected by copyright law and international treaties.'
          end
        end
        object TPage
          Caption = 'Folder'
          object SelectFolderLabel: TLabel
            Left = 0  Top = 16  Width = 324  Height = 30
            AutoSize = False
            WordWrap = True
            ShowAccelChar = False
          end
          object DiskSpaceLabel: TLabel
            Left = 0  Top = 54  Width = 324  Height = 30
            AutoSize = False
            WordWrap = True
            ShowAccelChar = False
          end
          object DestinationLabel: TLabel
            Left = 0  Top = 162
            Caption = 'Destination Folder'
          end
          object DirEdit: TEdit
            Left = 0  Top = 180  Width = 240  Height = 21
            MaxLength = 63
          end
          object BrowseButton: TButton
            Left = 248  Top = 178  Width = 76  Height = 25
            Caption = 'B&rowse...'
            OnClick = BrowseButtonClick
          end
        end
        object TPage
          Caption = 'Group'
          object IconsLabel: TLabel
            Left = 0  Top = 16  Width = 324  Height = 56
            AutoSize = False
            WordWrap = True
          end
          object GroupEdit: TEdit
            Left = 0  Top = 76  Width = 324  Height = 21
            OnChange = GroupEditChange
          end
          object GroupList: TListBox
            Left = 0  Top = 102  Width = 324  Height = 96
            OnClick = GroupListClick
          end
          object NoIconsCheck: TCheckBox
            Left = 0  Top = 204  Width = 324  Height = 17
            Caption = 'Don''t create any Program Icons'
            Visible = False
            OnClick = NoIconsCheckClick
          end
        end
        object TPage
          Caption = 'Finished'
          object FinishedHeading: TLabel
            Left = 44  Top = 16
            Caption = 'Installation Completed!'
            Font.Name = 'Arial'
            Font.Size = 12
            Font.Style = [fsBold]
          end
          object FinishedLabel: TLabel
            Left = 0  Top = 52  Width = 324  Height = 56
            AutoSize = False
            WordWrap = True
            ShowAccelChar = False
          end
          object ShowReadmeCheck: TCheckBox
            Left = 0  Top = 114  Width = 324  Height = 17
            Caption = 'Yes, I would like to view the Readme file'
            Checked = True
            Visible = False
          end
          object YesRadio: TRadioButton
            Left = 0  Top = 114  Width = 324  Height = 17
            Caption = '&Yes, restart my computer now'
            Checked = True
            Visible = False
          end
          object NoRadio: TRadioButton
            Left = 0  Top = 136  Width = 324  Height = 17
            Caption = '&No, I will restart my computer later'
            Visible = False
          end
          object InstCheck: TCheckBox
            Left = 0  Top = 160  Width = 324  Height = 17
            Caption = 'Install Comctl32.Dll Update after Setup.'
            Checked = True
            Visible = False
          end
          object ClickFinishLabel: TLabel
            Left = 0  Top = 200
            Caption = 'Click Finish to complete Setup.'
          end
        end
        object TPage
          Caption = 'Ready'
          object ReadyHeading: TLabel
            Left = 0  Top = 16
            Caption = 'Ready To Install'
            Font.Name = 'Arial'
            Font.Size = 12
            Font.Style = [fsBold]
          end
          object ReadyLabel: TLabel
            Left = 0  Top = 52  Width = 324  Height = 80
            AutoSize = False
            WordWrap = True
            Caption = 'Setup now has all the information it needs to install the program. Click Next to begin copying files, or Back to review or change any settings.'
          end
        end
      end
    end
    object TPage
      Caption = 'License'
      object LicenseLabel1: TLabel
        Left = 56  Top = 10  Width = 412  Height = 30
        AutoSize = False
        WordWrap = True
        ShowAccelChar = False
      end
      object LicenseMemo: TMemo
        Left = 12  Top = 46  Width = 456  Height = 136
        Color = clBtnFace
        ReadOnly = True
        ScrollBars = ssVertical
        TabStop = True
      end
      object LicenseLabel2: TLabel
        Left = 12  Top = 188  Width = 456  Height = 32
        AutoSize = False
        WordWrap = True
        ShowAccelChar = False
      end
    end
    object TPage
      Caption = 'InfoBefore'
      object InfoBeforeImage: TImage
        Left = 12  Top = 10  Width = 120  Height = 208
      end
      object InfoBeforeHeading: TLabel
        Left = 144  Top = 16
        Caption = 'Readme Information'
        Font.Name = 'Arial'
        Font.Size = 12
        Font.Style = [fsBold]
      end
      object InfoBeforeMemo: TMemo
        Left = 144  Top = 46  Width = 324  Height = 172
        Color = clBtnFace
        ReadOnly = True
        ScrollBars = ssVertical
        TabStop = True
      end
    end
    object TPage
      Caption = 'InfoAfter'
      object InfoAfterImage: TImage
        Left = 12  Top = 10  Width = 120  Height = 208
      end
      object InfoAfterHeading: TLabel
        Left = 144  Top = 16
        Caption = 'Program Information'
        Font.Name = 'Arial'
        Font.Size = 12
        Font.Style = [fsBold]
      end
      object InfoAfterMemo: TMemo
        Left = 144  Top = 46  Width = 324  Height = 172
        Color = clBtnFace
        ReadOnly = True
        ScrollBars = ssVertical
        TabStop = True
      end
    end
  end
  object BottomLine: TPanel
    Left = 0  Top = 264  Width = 480  Height = 2
    BevelOuter = bvLowered
  end
  object BackButton: TButton
    Left = 222  Top = 276  Width = 75  Height = 23
    Caption = '< &Back'
    OnClick = BackButtonClick
  end
  object NextButton: TButton
    Left = 297  Top = 276  Width = 75  Height = 23
    Caption = '&Next >'
    Default = True
    OnClick = NextButtonClick
  end
  object CancelButton: TButton
    Left = 393  Top = 276  Width = 75  Height = 23
    Caption = 'Cancel'
    Cancel = True
    OnClick = CancelButtonClick
  end
end
)";

// The picture strip: the background's colour bands, lightest at the top.
void PaintPictureStrip(TBitmap& bitmap, COLORREF back) {
  bitmap.SetSize(120, 208);
  TCanvas& c = bitmap.Canvas();
  for (int i = 0; i < kBandCount; ++i) {
    c.Brush.SetColor(static_cast<TColor>(BandColor(back, i)));
    c.FillRect({0, BandTop(208, i), 120, BandTop(208, i + 1)});
  }
}

// Text split into memo lines.
std::vector<std::string> MemoLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

bool DriveFreeBytes(char drive, uint64_t& freeBytes) {
  const std::string root = std::string(1, drive) + ":\\";
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  BOOL ok = GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
  SetErrorMode(oldMode);
  if (!ok) return false;
  freeBytes = uint64_t(bytesPerSector) * sectorsPerCluster * freeClusters;
  return true;
}

TWizardForm::TWizardForm(TComponent* owner, TMainForm& mainForm) : TForm(owner), main_(mainForm) {
  Field("NameLabel", NameLabel);
  Field("OuterNotebook", OuterNotebook);
  Field("InnerNotebook", InnerNotebook);
  Field("PictureImage", PictureImage);
  Field("InfoBeforeImage", InfoBeforeImage);
  Field("InfoAfterImage", InfoAfterImage);
  Field("Label1", Label1);
  Field("Label2", Label2);
  Field("LegalLabel", LegalLabel);
  Field("LicenseLabel1", LicenseLabel1);
  Field("LicenseLabel2", LicenseLabel2);
  Field("LicenseMemo", LicenseMemo);
  Field("InfoBeforeMemo", InfoBeforeMemo);
  Field("InfoAfterMemo", InfoAfterMemo);
  Field("SelectFolderLabel", SelectFolderLabel);
  Field("DiskSpaceLabel", DiskSpaceLabel);
  Field("DirEdit", DirEdit);
  Field("BrowseButton", BrowseButton);
  Field("IconsLabel", IconsLabel);
  Field("GroupEdit", GroupEdit);
  Field("GroupList", GroupList);
  Field("NoIconsCheck", NoIconsCheck);
  Field("FinishedLabel", FinishedLabel);
  Field("ShowReadmeCheck", ShowReadmeCheck);
  Field("InstCheck", InstCheck);
  Field("YesRadio", YesRadio);
  Field("NoRadio", NoRadio);
  Field("BackButton", BackButton);
  Field("NextButton", NextButton);
  Field("CancelButton", CancelButton);
  Handler("NextButtonClick", &TWizardForm::NextButtonClick);
  Handler("BackButtonClick", &TWizardForm::BackButtonClick);
  Handler("CancelButtonClick", &TWizardForm::CancelButtonClick);
  Handler("BrowseButtonClick", &TWizardForm::BrowseButtonClick);
  Handler("GroupEditChange", &TWizardForm::GroupEditChange);
  Handler("GroupListClick", &TWizardForm::GroupListClick);
  Handler("NoIconsCheckClick", &TWizardForm::NoIconsCheckClick);
  Handler("FormCloseQuery", &TWizardForm::FormCloseQuery);
  LoadDescription(kWizardForm);

  const TSetupScript& script = main_.Script;
  const TScriptHeader& header = script.ScriptHeader;
  auto expand = [&](const std::string& text) { return ExpandMessageTokens(header, TotalBytes, text); };
  NameLabel->SetCaption((header.ProgramName + " Setup ").substr(0, 70));

  // The picture strip on the first page, copied to the information pages.
  const COLORREF back = ColorToRGB(MakeColor(static_cast<uint32_t>(header.BackColor)));
  for (TImage* image : {PictureImage, InfoBeforeImage, InfoAfterImage}) PaintPictureStrip(image->Picture(), back);

  // The welcome text and the application icon are painted.
  TPage* welcome = InnerNotebook->Page(0);
  WelcomePaintBox = new TWizardPaintBox(this);
  WelcomePaintBox->SetParent(welcome);
  WelcomePaintBox->SetBounds(0, 52, 324, 120);
  WelcomePaintBox->OnPaintBox = [this](TCanvas& c) { PaintWelcome(c); };
  IconPaintBox = new TWizardPaintBox(this);
  IconPaintBox->SetParent(welcome);
  IconPaintBox->SetBounds(0, 8, 32, 32);
  IconPaintBox->OnPaintBox = [this](TCanvas& c) { PaintIcon(c); };
  for (TPage* page : {OuterNotebook->Page(1), InnerNotebook->Page(3)}) {
    auto* icon = new TWizardPaintBox(this);
    icon->SetParent(page);
    icon->SetBounds(page == InnerNotebook->Page(3) ? 0 : 12, 8, 32, 32);
    icon->OnPaintBox = [this](TCanvas& c) { PaintIcon(c); };
  }
  Label1->SetCaption(expand(kWelcomeText));
  Label2->SetCaption(expand(kWelcomeText2));

  if (HasLicense()) LicenseMemo->SetLines(MemoLines(script.LicenseText));
  if (HasInfoBefore()) InfoBeforeMemo->SetLines(MemoLines(script.InfoBeforeText));
  if (HasInfoAfter()) InfoAfterMemo->SetLines(MemoLines(script.InfoAfterText));

  // Over the background window's client area, never off the screen's top left.
  RECT client;
  GetClientRect(main_.Handle(), &client);
  POINT origin{0, 0};
  ::ClientToScreen(main_.Handle(), &origin);
  SetBounds(std::max(0, static_cast<int>(origin.x + (client.right - client.left - Width()) / 2)),
            std::max(0, static_cast<int>(origin.y + (client.bottom - client.top - Height()) / 2)), Width(), Height());

  LicenseLabel1->SetCaption(
      expand("Please read the following License Agreement. Use the scroll bar or press the Page Down key to view "
             "the rest of the agreement."));
  LicenseLabel2->SetCaption(
      expand("Do you accept all the terms of this License Agreement? If you choose No, Setup will close. To install "
             "[name], you must accept this agreement."));
  DiskSpaceLabel->SetCaption(expand("The program requires at least [kb] KB of disk space."));
  std::string finished = "Setup has finished installing [name] on your computer.";
  if (IconsWanted) finished += " You may now launch the program by clicking the program icons created.";
  FinishedLabel->SetCaption(expand(finished));
  SelectFolderLabel->SetCaption(
      expand(Format("Setup will install [name] in the following %s.", IsWindows4OrLater() ? "folder" : "directory")));
  IconsLabel->SetCaption(
      "Setup will add Program Icons to the Program Folder listed below. You may type a new Folder name, or select "
      "one from the existing Folders list. Click Next to continue.");
}

TWizardForm::~TWizardForm() = default;

void TWizardForm::CreateParams(TCreateParams& p) {
  TForm::CreateParams(p);
  p.WndParent = main_.Handle();  // stays above the background window
}

bool TWizardForm::HasLicense() const { return !main_.Script.LicenseText.empty(); }
bool TWizardForm::HasInfoBefore() const { return !main_.Script.InfoBeforeText.empty(); }
bool TWizardForm::HasInfoAfter() const { return !main_.Script.InfoAfterText.empty(); }

HPALETTE TWizardForm::GetPalette() const { return main_.GetPalette(); }

void TWizardForm::WndProc(TMessage& m) {
  if (!HandlePaletteMessage(Handle(), GetPalette(), m)) TForm::WndProc(m);
}

void TWizardForm::PaintWelcome(TCanvas& canvas) {
  TPaletteSelection palette(canvas.Handle(), GetPalette());
  RECT r{0, 0, WelcomePaintBox->Width(), WelcomePaintBox->Height()};
  canvas.Font.Assign(Font());
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  canvas.DrawText(ExpandMessageTokens(main_.Script.ScriptHeader, TotalBytes, std::string(kWelcomeText) + kWelcomeText2),
                  r, DT_WORDBREAK | DT_NOPREFIX);
}

void TWizardForm::PaintIcon(TCanvas& canvas) {
  TPaletteSelection palette(canvas.Handle(), GetPalette());
  HICON icon = Application().Icon().Empty() ? LoadIconA(nullptr, IDI_APPLICATION) : Application().Icon().Handle();
  canvas.DrawIcon(0, 0, icon, 32, 32);
}

void TWizardForm::ShowFirstPages() {
  if (!ShownOnce) {
    ShownOnce = true;
    const TScriptHeader& header = main_.Script.ScriptHeader;
    // Header bit 0x20 is read here, and changes nothing.
    DirEdit->SetText(ProgramFilesPath.empty() ? header.DefaultDirName : ProgramFilesPath + header.DefaultDirName);
    GroupEdit->SetText(header.DefaultGroupName);
    NoIconsCheck->SetVisible((header.HeaderOptions & hoAllowNoIcons) != 0);
    PageIndex = 0;
    UpdatePage();
    Show();
    ListExistingGroups();
    return;
  }
  Show();
}

void TWizardForm::UpdatePage() {
  const TPageInfo& info = kPages[PageIndex];
  OuterNotebook->SetPageIndex(info.Outer);
  if (info.Inner >= 0) InnerNotebook->SetPageIndex(info.Inner);
  BackButton->SetEnabled((PageIndex >= 1 && PageIndex <= 5) || (PageIndex == 7 && HasInfoAfter()));
  CancelButton->SetEnabled(PageIndex <= 5);
  if (PageIndex == 1) {
    NextButton->SetCaption("&Yes");
    CancelButton->SetCaption("&No");
  } else if (PageIndex == 7) {
    NextButton->SetCaption("&Finish");
    CancelButton->SetCaption("Cancel");
  } else {
    NextButton->SetCaption("&Next >");
    CancelButton->SetCaption("Cancel");
  }
  SetCaption(info.Caption);
  TWinControl* focus = nullptr;
  switch (PageIndex) {
    case 1: focus = LicenseMemo; break;
    case 2: focus = InfoBeforeMemo; break;
    case 3: focus = DirEdit; break;
    case 4: focus = NoIconsCheck->Checked() ? static_cast<TWinControl*>(NoIconsCheck) : GroupEdit; break;
    case 6: focus = InfoAfterMemo; break;
    case 7:
      if (ShowReadmeCheck->Visible()) focus = ShowReadmeCheck;
      else if (YesRadio->Visible() && YesRadio->Checked()) focus = YesRadio;
      else if (NoRadio->Visible() && NoRadio->Checked()) focus = NoRadio;
      else focus = NextButton;
      break;
    default: break;  // pages 0 and 5 leave the focus where it is
  }
  if (focus) SetActiveControl(focus);
}

bool TWizardForm::ValidateFolder() {
  std::string folder = Trim(DirEdit->Text());
  DirEdit->SetText(folder);
  std::string error = FolderSyntaxError(folder);
  uint64_t freeBytes = 0;
  if (error.empty() && !DriveFreeBytes(folder[0], freeBytes))
    error = "The drive you selected does not exist. Please select another.";
  if (!error.empty()) {
    ShowMsg(error, "", mkWarning, MB_OK);
    return false;
  }
  folder = TrimTrailingBackslash(folder);
  DirEdit->SetText(folder);
  if (freeBytes < static_cast<uint64_t>(TotalBytes) &&
      ShowMsg(Format("Setup requires at least %lld KB of free space to install, but the selected drive only has %llu "
                     "KB available.\r\n\r\nDo you want to continue anyway?",
                     static_cast<long long>(TotalBytes / 1024), static_cast<unsigned long long>(freeBytes / 1024)),
              "Not Enough Disk Space", mkConfirmation, MB_YESNO | MB_DEFBUTTON2) != IDYES)
    return false;
  if (FolderExists(folder)) return true;
  return ShowMsg(Format("The Installation Folder '%s' does not exist. \r\n\r\nDo you wish Setup to create it for you?",
                        folder.c_str()),
                 "Folder Does Not Exist", mkConfirmation, MB_YESNO) == IDYES;
}

bool TWizardForm::ValidateGroup() {
  std::string group = Trim(GroupEdit->Text());
  {
    TFlagGuard syncing(syncingGroup_);
    GroupEdit->SetText(group);
  }
  std::string error = GroupNameError(group);
  if (error.empty()) return true;
  ShowMsg(error, "", mkWarning, MB_OK);
  return false;
}

void TWizardForm::ListExistingGroups() {
  try {
    std::string folder = ProgramsMenuFolder(IsAdmin, true);
    if (!folder.empty()) {
      WIN32_FIND_DATAA data;
      HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
      if (h == INVALID_HANDLE_VALUE) return;
      do {
        std::string name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
          GroupList->AddItem(name);
      } while (FindNextFileA(h, &data));
      FindClose(h);
      return;
    }
    std::unique_ptr<TDDE> dde = CreateDDEClient();
    TProgmanConversation progman(*dde);
    for (const std::string& group : SplitGroupList(progman.RequestText("GROUPS"))) GroupList->AddItem(group);
  } catch (const std::exception&) {
    // The list stays as far as it got.
  }
}

void TWizardForm::SetFinishedText(const std::string& text) { FinishedLabel->SetCaption(text); }

void TWizardForm::ShowRestartChoice() {
  YesRadio->Show();
  NoRadio->Show();
}

void TWizardForm::ShowFinishPage(int pageIndex) {
  PageIndex = static_cast<uint8_t>(pageIndex);
  UpdatePage();
  Show();
}

void TWizardForm::NextButtonClick(TComponent*) {
  if (PageIndex == 3 && !ValidateFolder()) return;
  if (PageIndex == 4 && !NoIconsCheck->Checked() && !ValidateGroup()) return;
  if (PageIndex == 7 && InstCheck->Visible() && InstCheck->Checked()) {
    // The update program's path is quoted: the folder may have spaces.
    PROCESS_INFORMATION pi{};
    if (Seam().StartProgram(QuoteIfSpaced(AddTrailingBackslash(DirEdit->Text()) + "40Comupd.Exe"), "",
                            SW_SHOWNORMAL, pi)) {
      if (pi.hThread) CloseHandle(pi.hThread);
      if (pi.hProcess) CloseHandle(pi.hProcess);
    }
  }
  if (PageIndex == 5 || PageIndex == 7) {
    {
      TFlagGuard closing(ClosingItself);
      Close();
    }
    PostMessageA(main_.Handle(), NextStepMessage, 0, 0);
    return;
  }
  ++PageIndex;
  if (PageIndex == 1 && !HasLicense()) ++PageIndex;
  if (PageIndex == 2 && !HasInfoBefore()) ++PageIndex;
  UpdatePage();
}

void TWizardForm::BackButtonClick(TComponent*) {
  if (PageIndex == 0) return;
  --PageIndex;
  if (PageIndex == 2 && !HasInfoBefore()) --PageIndex;
  if (PageIndex == 1 && !HasLicense()) --PageIndex;
  UpdatePage();
}

void TWizardForm::CancelButtonClick(TComponent*) { Close(); }

void TWizardForm::BrowseButtonClick(TComponent*) {
  if (!ChooseDirForm) return;
  ChooseDirForm->TheEdit->SetText(DirEdit->Text());
  ChooseDirForm->CreateName->SetCaption(main_.Script.ScriptHeader.DefaultDirName);
  ChooseDirForm->Label1->SetCaption("Please choose the Installation Folder and click OK to continue.");
  if (ChooseDirForm->ShowModal() == mrOk) DirEdit->SetText(ChooseDirForm->TheEdit->Text());
}

namespace {

// Lower case in the system code page, not for A to Z only.
std::string AnsiLowerCase(std::string text) {
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

void TWizardForm::GroupEditChange(TComponent*) {
  if (syncingGroup_) return;
  const std::string text = AnsiLowerCase(GroupEdit->Text());
  int found = -1;
  for (int i = 0; i < GroupList->ItemCount() && found < 0; ++i)
    if (AnsiLowerCase(GroupList->Items()[static_cast<size_t>(i)]) == text) found = i;
  GroupList->SetItemIndex(found);
}

void TWizardForm::GroupListClick(TComponent*) {
  int i = GroupList->ItemIndex();
  if (i < 0) return;
  TFlagGuard syncing(syncingGroup_);
  GroupEdit->SetText(GroupList->Items()[static_cast<size_t>(i)]);
}

void TWizardForm::NoIconsCheckClick(TComponent*) {
  const bool off = NoIconsCheck->Checked();
  GroupEdit->SetEnabled(!off);
  GroupList->SetEnabled(!off);
  GroupEdit->SetColor(off ? clBtnFace : clWindow);
  GroupList->SetColor(off ? clBtnFace : clWindow);
  if (off) GroupList->SetItemIndex(-1);
}

void TWizardForm::FormCloseQuery(TComponent*, bool& canClose) {
  if (ClosingItself) return;
  // The background window decides, and may ask.
  main_.Close();
  canClose = main_.ClosingAgreed;
}
