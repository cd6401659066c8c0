#include "MainForm.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Description.h"
#include "Files.h"
#include "Guards.h"
#include "Main.h"
#include "MainFormPaint.h"
#include "NewDiskForm.h"
#include "ScriptFormat.h"
#include "Seam.h"
#include "SelFolderForm.h"
#include "StrFmt.h"
#include "WizardText.h"

#include <vector>

TMainForm* MainForm = nullptr;
TAboutForm* AboutForm = nullptr;
std::string ReadmeFileName;
bool RestartChosen = false;
bool FirstActivationDone = false;

namespace {

const char kMainForm[] = R"(
object MainForm: TMainForm
  Caption = 'Setup'
  Color = clNavy
  Font.Name = 'MS Sans Serif'
  Font.Size = 8
  OnCreate = FormCreate
  OnPaint = FormPaint
  OnActivate = FormActivate
  OnCloseQuery = FormCloseQuery
  OnClose = FormClose
  object YesLabel: TLabel
    Left = 0  Top = 0
    Visible = False
  end
end
)";

const char kAboutForm[] = R"(
object AboutForm: TAboutForm
  Caption = 'About Setup Wizard'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 281
  ClientHeight = 121
  object ProductLabel: TLabel
    Left = 16  Top = 16
    Caption = 'tidy-Zaderuzo Setup Wizard'
    Font.Name = 'Arial'
    Font.Size = 12
    Font.Style = [fsBold]
  end
  object VersionLabel: TLabel
    Left = 16  Top = 44
    Caption = 'Version 2.00.312'
  end
  object CreditLabel1: TLabel
    Left = 16  Top = 72
    Caption = 'Installs programs made with the tidy-Zaderuzo suite.'
  end
  object CreditLabel2: TLabel
    Left = 16  Top = 90
    Caption = 'Decompression by zlib.'
  end
end
)";

COLORREF BackColorRGB(const TScriptHeader& header) {
  return ColorToRGB(MakeColor(static_cast<uint32_t>(header.BackColor)));
}

}  // namespace

// TMainForm

TMainForm::TMainForm(TComponent* owner, const TSetupScript& script) : TForm(owner), Script(script) {
  Field("YesLabel", YesLabel);
  Handler("FormCreate", &TMainForm::FormCreate);
  Handler("FormPaint", &TMainForm::FormPaint);
  Handler("FormActivate", &TMainForm::FormActivate);
  Handler("FormCloseQuery", &TMainForm::FormCloseQuery);
  Handler("FormClose", &TMainForm::FormClose);
  LoadDescription(kMainForm);
  if (!MainForm) MainForm = this;
}

TMainForm::~TMainForm() {
  install_.reset();
  if (appHook_) Application().UnhookMainWindow(appHook_);
  Application().OnActivate = nullptr;
  Application().OnRestore = nullptr;
  if (MainForm == this) MainForm = nullptr;
  if (palette_) DeleteObject(palette_);
}

void TMainForm::FormCreate(TComponent*) {
  SetBounds(0, 0, Screen().Width(), Screen().Height());
  SetWindowState(TWindowState::wsMaximized);

  HMENU menu = GetSystemMenu(Handle(), FALSE);
  AppendMenuA(menu, MF_SEPARATOR, kAboutSeparatorCommand, nullptr);
  AppendMenuA(menu, MF_STRING, kAboutCommand, "&About Setup Wizard...");

  if (!(Script.ScriptHeader.HeaderOptions & hoSolidBackground)) {
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (kBandCount - 1));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = kBandCount;
    COLORREF back = BackColorRGB(Script.ScriptHeader);
    for (int i = 0; i < kBandCount; ++i) {
      COLORREF c = BandColor(back, i);
      lp->palPalEntry[i] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
    palette_ = CreatePalette(lp);
  }

  Application().OnActivate = [this](TComponent*) {
    if (palette_) Invalidate();
  };
  Application().OnRestore = [this](TComponent*) {
    Minimized = false;
    ShowOwnedForms(true);
  };
  appHook_ = Application().HookMainWindow([this](TMessage& m) {
    if (m.Msg == WM_WINDOWPOSCHANGED) {
      bool minimized = IsIconic(Application().Handle()) != FALSE;
      if (minimized != Minimized) {
        Minimized = minimized;
        ShowOwnedForms(!minimized && Visible());
      }
    }
    return false;
  });
}

void TMainForm::ShowOwnedForms(bool show) {
  if (HWND h = HandleIfAllocated()) ShowOwnedPopups(h, show);
}

void TMainForm::FormPaint(TComponent*) {
  HDC dc = Canvas().Handle();
  int saved = SaveDC(dc);
  if (palette_) {
    SelectPalette(dc, palette_, FALSE);
    RealizePalette(dc);
  }
  RECT client;
  GetClientRect(Handle(), &client);
  COLORREF back = BackColorRGB(Script.ScriptHeader);
  auto fill = [dc](const RECT& r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  };
  if (!palette_) {
    fill(client, back);
  } else {
    int h = client.bottom, w = client.right;
    for (int i = 0; i < kBandCount; ++i)
      fill({0, BandTop(h, i), w, BandTop(h, i + 1)}, BandColor(back, i) | 0x02000000u);
  }

  SetBkMode(dc, TRANSPARENT);
  TFont nameFont;
  nameFont.SetName("Times New Roman");
  nameFont.SetSize(25);
  nameFont.SetStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
  const std::string& name = Script.ScriptHeader.ProgramName;
  SelectObject(dc, nameFont.Handle());
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 12, 12, name.c_str(), static_cast<int>(name.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 9, 9, name.c_str(), static_cast<int>(name.size()));

  TFont noticeFont;
  noticeFont.SetName("Arial");
  noticeFont.SetSize(8);
  const std::string& notice = Script.ScriptHeader.NoticeLine;
  SelectObject(dc, noticeFont.Handle());
  SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, 12, 65, notice.c_str(), static_cast<int>(notice.size()));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 11, 64, notice.c_str(), static_cast<int>(notice.size()));
  RestoreDC(dc, saved);
}

void TMainForm::FormActivate(TComponent*) {
  if (FirstActivationDone) return;
  // Set first: showing the wizard may activate this window again, and that
  // must not start another step.
  FirstActivationDone = true;
  StepIndex = 0;
  SendMessageA(Handle(), NextStepMessage, 0, 0);
}

void TMainForm::FormCloseQuery(TComponent*, bool& canClose) {
  if (RunningPrograms) {
    canClose = false;
  } else if (StepIndex == 2 && install_) {
    canClose = false;
    install_->Form().Close();  // its own rules ask and cancel
  } else if (StepIndex <= 2) {
    canClose = ConfirmExitSetup();
  } else {
    canClose = true;
  }
}

void TMainForm::FormClose(TComponent*, TCloseAction&) { ClosingAgreed = true; }

void TMainForm::WMNextStep() {
  // A second message while a step runs (its handler lets messages through)
  // must not start the next step inside this one.
  if (stepRunning_) return;
  TFlagGuard running(stepRunning_);
  EndStep();
  ++StepIndex;
  StartStep();
}

void TMainForm::EndStep() {
  switch (StepIndex) {
    case 1:
      DestFolder = wizard_->DirEditText();
      GroupName = wizard_->GroupEditText();
      SkipIcons = wizard_->NoIconsChecked();
      break;
    case 2:
      install_.reset();
      if (!Script.RunList.empty()) {
        {
          TFlagGuard programs(RunningPrograms);
          RunEntries();
        }
        Application().BringToFront();
      }
      break;
    case 3:
      if (RestartNeeded) {
        RestartChosen = wizard_->YesRadioChecked();
      } else if (!ReadmeFileName.empty() && wizard_->ShowReadmeChecked()) {
        INT_PTR r = Seam().Shell(Handle(), "", ReadmeFileName, "", "", SW_SHOWNORMAL);
        if (r <= 32) ShowMsg("An error occurred while trying to open the README file.", "", mkError, MB_OK);
      }
      break;
    default: break;
  }
}

void TMainForm::RunEntries() {
  for (const TScriptRunEntry& entry : Script.RunList)
    RunProgram(ExpandDirConstants(entry.RunFilename), ExpandDirConstants(entry.RunParameters),
               (entry.RunOptions & 0x01) == 0);
}

void TMainForm::StartStep() {
  switch (StepIndex) {
    case 1:
      Application().Restore();
      if (!wizard_) wizard_ = CreateWizardWindow(*this);
      wizard_->ShowFirstPages();
      break;
    case 2:
      Application().Restore();
      Repaint();
      install_ = CreateInstallWindow(*this);
      install_->Run();
      break;
    case 3:
      Application().Restore();
      Repaint();
      if (RestartNeeded) {
        wizard_->SetFinishedText(ExpandMessageTokens(Script.ScriptHeader, TotalBytes,
                                                     "Setup has made changes to your computer and you are advised to "
                                                     "restart your computer now. Would you like to do it now?"));
        wizard_->ShowRestartChoice();
      } else {
        for (const TScriptFile& file : Script.FileList)
          if (file.FileOptions & foIsReadme) {
            wizard_->ShowReadmeChoice();
            ReadmeFileName = ExpandDirConstants(file.DestName);
            break;
          }
      }
      wizard_->ShowFinishPage(Script.InfoAfterText.empty() ? 7 : 6);
      break;
    case 4:
      Close();
      break;
    default: break;
  }
}

void TMainForm::BringOwnedWindowToTop() {
  HWND self = HandleIfAllocated();
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (GetWindow(w, GW_OWNER) == self && IsWindowVisible(w)) {
      BringWindowToTop(w);
      return;
    }
}

void TMainForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case NextStepMessage: WMNextStep(); return;
    case WM_ERASEBKGND: m.Result = 1; return;  // the painting covers it all
    case WM_SIZE:
      TForm::WndProc(m);
      Invalidate();
      return;
    case WM_GETDLGCODE: m.Result = DLGC_WANTTAB; return;
    case WM_KEYDOWN: BringOwnedWindowToTop(); return;
    case WM_CHAR: return;
    case WM_SYSCOMMAND:
      if (m.WParam == kAboutCommand && AboutForm) AboutForm->ShowModal();
      break;
    default: break;
  }
  TForm::WndProc(m);
}

// TAboutForm

TAboutForm::TAboutForm(TComponent* owner) : TForm(owner) {
  LoadDescription(kAboutForm);
  if (!AboutForm) AboutForm = this;
}

// Program-wide routines

bool ConfirmExitSetup() {
  return ShowMsg("Setup is not complete. If you quit now, the program will not be installed.\r\n\r\nYou may run the "
                 "Setup program again at a another time to complete the installation.\r\n\r\nExit Setup?",
                 "Exit Setup", mkConfirmation, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void RunProgram(const std::string& file, const std::string& parameters, bool wait) {
  std::string commandLine = QuoteIfSpaced(file) + " " + parameters;
  PROCESS_INFORMATION pi{};
  if (!Seam().StartProgram(commandLine, "", SW_SHOWNORMAL, pi)) {
    DWORD code = GetLastError();
    ShowMsg(Format("Unable to execute file:\r\n%s\r\n\r\nError #%d: %s", commandLine.c_str(), static_cast<int>(code),
                   SysErrorMessage(code).c_str()),
            "", mkError, MB_OK);
    return;
  }
  if (pi.hThread) CloseHandle(pi.hThread);
  if (!pi.hProcess) return;  // only recorded
  if (wait) {
    Application().ProcessMessages();
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
      Application().ProcessMessages();
  }
  CloseHandle(pi.hProcess);
}

void RebootSystem() {
  auto fail = [] {
    // No caption of its own: the system's default one.
    Seam().ShowBox(nullptr, "Setup was unable to restart the computer. Please do this manually.", "",
                   MB_OK | MB_ICONWARNING);
  };
  if (IsNTPlatform()) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
      fail();
      return;
    }
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr) && GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    if (!ok) {
      fail();
      return;
    }
  }
  if (!Seam().Restart(EWX_REBOOT, 0)) fail();
}

void RunSetupWindows(const TSetupScript& script) {
  // The silent abort ends a handler without a message.
  Application().OnException = [](TComponent*, const std::exception& e) {
    if (dynamic_cast<const EAbort*>(&e)) return;
    ShowMsg(e.what(), "", mkError, MB_OK);
  };
  Application().ProcessMessages();
  InstallNewDiskPrompt();
  MainForm = Application().CreateForm<TMainForm>(script);
  ChooseDirForm = Application().CreateForm<TChooseDirForm>();
  AboutForm = Application().CreateForm<TAboutForm>();
  Application().Run();
  if (RestartChosen) RebootSystem();
}
