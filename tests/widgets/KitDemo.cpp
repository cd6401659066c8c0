// A form holding every kit control in its states, for scripts/screenshot.sh
// kit. "KitDemo browse RESULT" instead shows the folder browser, which its
// own callback closes with OK after a few seconds; the chosen folder is
// written to RESULT.
#include <cstdio>
#include <cstring>
#include <string>

#include "AniFile.h"
#include "AniWriter.h"
#include "BrowseFolder.h"
#include "DropCombo.h"
#include "FlatEdit.h"
#include "Gdi.h"
#include "OButton.h"
#include "OComps.h"
#include "ToolKit.h"

namespace {
const char kDemo[] = R"(
object KitDemo: TForm
  Caption = 'tidy-Zaderuzo - kit controls'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 560
  ClientHeight = 330
  object Up: TToolbarButton
    Left = 8  Top = 8  Width = 23  Height = 22
  end
  object Hot: TToolbarButton
    Left = 34  Top = 8  Width = 23  Height = 22
  end
  object Pressed: TToolbarButton
    Left = 60  Top = 8  Width = 23  Height = 22
  end
  object Latched: TToolbarButton
    Left = 86  Top = 8  Width = 23  Height = 22
    GroupIndex = 1
    Down = True
  end
  object Disabled: TToolbarButton
    Left = 112  Top = 8  Width = 23  Height = 22
    Enabled = False
  end
  object Raised: TToolbarButton
    Left = 138  Top = 8  Width = 23  Height = 22
    Flat = False
  end
  object HelpButton: TToolbarButton
    Left = 170  Top = 8  Width = 80  Height = 22
    Caption = 'Help Me!'
  end
  object Combo: TToolbarButton
    Left = 256  Top = 8  Width = 36  Height = 22
    DropdownCombo = True
  end
  object Arrow: TToolbarButton
    Left = 300  Top = 8  Width = 70  Height = 22
    Caption = '&Kind'
  end
  object Big: TToolbarButton
    Left = 380  Top = 4  Width = 60  Height = 42
    Caption = 'Build'
    Layout = blGlyphTop
    Flat = False
  end
  object TitleEdit: TFlatEdit
    Left = 8  Top = 60  Width = 170
    Text = 'Hovered flat edit'
  end
  object OutputEdit: TFlatEdit
    Left = 190  Top = 60  Width = 170
    Text = 'Flat edit'
  end
  object PasswordEdit: TFlatEdit
    Left = 372  Top = 60  Width = 170
    Text = 'Disabled flat edit'
    Enabled = False
  end
  object ovrChoice: TDropDownComboBox
    Left = 8  Top = 100
    Items.Strings = ('Ask User' 'Always Overwrite' 'Always Skip Extraction')
    Text = 'Ask User'
  end
  object ovrDisabled: TDropDownComboBox
    Left = 190  Top = 100
    Items.Strings = ('Ask User' 'Always Overwrite' 'Always Skip Extraction')
    Text = 'Always Overwrite'
    Enabled = False
  end
  object TestBtn: TOButton
    Left = 8  Top = 240  Width = 190
    Caption = 'Test Self-Extracting Archive'
    Color = 13565433
  end
  object HotBtn: TOButton
    Left = 210  Top = 240  Width = 90
    Caption = '&Hot'
    Color = 13565433
  end
  object DefaultBtn: TOButton
    Left = 310  Top = 240  Width = 100
    Caption = 'Default'
    Default = True
  end
  object OffBtn: TOButton
    Left = 420  Top = 240  Width = 100
    Caption = 'Disabled'
    Enabled = False
  end
  object LedRound: TOLabel
    Left = 8  Top = 290  Width = 120
    Caption = 'Round, off'
  end
  object LedUp: TOLabel
    Left = 135  Top = 290  Width = 120
    Caption = 'Up, lit'
    LedType = ltUp
  end
  object LedDown: TOLabel
    Left = 262  Top = 290  Width = 120
    Caption = 'Down, pressed'
    LedType = ltDown
  end
  object LedOff: TOLabel
    Left = 389  Top = 290  Width = 120
    Caption = 'Up, disabled'
    LedType = ltUp
    Enabled = False
  end
  object AniIcon1: TAniIcon
    Left = 480  Top = 100
    Animated = True
  end
end
)";

// A 16 x 16 glyph: a document with a coloured band, on a teal key colour.
std::unique_ptr<TBitmap> Glyph(COLORREF band) {
  auto bmp = std::make_unique<TBitmap>(16, 16);
  auto fill = [&](COLORREF c, RECT r) {
    TBrushHandle b(CreateSolidBrush(c));
    FillRect(bmp->DC(), &r, b.Get());
  };
  fill(RGB(0, 128, 128), {0, 0, 16, 16});
  fill(RGB(0, 0, 0), {2, 1, 13, 15});
  fill(RGB(255, 255, 255), {3, 2, 12, 14});
  fill(band, {4, 5, 11, 9});
  return bmp;
}

class TDemoMenu : public TButtonPopupMenu {
public:
  using TButtonPopupMenu::TButtonPopupMenu;
  HMENU MenuHandle() override { return nullptr; }
};

void Register() {
  RegisterClass(TToolbarButton::ClassInfo());
  RegisterClass(TFlatEdit::ClassInfo());
  RegisterClass(TDropDownComboBox::ClassInfo());
  RegisterClass(TOButton::ClassInfo());
  RegisterClass(TOLabel::ClassInfo());
  RegisterClass(TAniIcon::ClassInfo());
}

template <class T>
T* Find(TForm* form, const char* name) {
  return dynamic_cast<T*>(form->FindComponent(name));
}

void RunFor(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until && !Application().Terminated()) {
    Application().ProcessMessages();
    Sleep(20);
  }
}

int ShowForm() {
  auto* form = Application().CreateForm<TForm>();
  form->LoadDescription(kDemo);
  const COLORREF bands[] = {RGB(200, 0, 0), RGB(0, 150, 0), RGB(0, 0, 200), RGB(200, 150, 0), RGB(150, 0, 150),
                            RGB(0, 120, 200)};
  const char* names[] = {"Up", "Hot", "Pressed", "Latched", "Disabled", "Raised", "HelpButton", "Combo", "Arrow", "Big"};
  for (int i = 0; i < 10; ++i) Find<TToolbarButton>(form, names[i])->SetGlyph(*Glyph(bands[i % 6]));
  auto* menu = new TDemoMenu(form);
  Find<TToolbarButton>(form, "Combo")->SetDropdownMenu(menu);
  Find<TToolbarButton>(form, "Arrow")->SetDropdownMenu(menu);
  Find<TAniIcon>(form, "AniIcon1")->AniFile().LoadFromBytes(fixture::AniFile([] {
    fixture::TAniOptions o;
    o.Frames = 6;
    o.DisplayRate = 20;
    return o;
  }()));
  form->Show();
  Application().ProcessMessages();
  Find<TToolbarButton>(form, "Hot")->StartHotTracking();
  Find<TToolbarButton>(form, "Pressed")->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  Find<TOButton>(form, "HotBtn")->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Find<TOLabel>(form, "LedUp")->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Find<TOLabel>(form, "LedDown")->Perform(WM_KEYDOWN, VK_SPACE, 0);
  Find<TDropDownComboBox>(form, "ovrChoice")->DropDown();
  Application().ProcessMessages();
  auto* hovered = Find<TFlatEdit>(form, "TitleEdit");
  hovered->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  hovered->RedrawBorder();
  RunFor(12000);
  return 0;
}

void CALLBACK PressOK(HWND wnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(wnd, id);
  PostMessageA(wnd, WM_COMMAND, IDOK, 0);
}

int Browse(const char* resultFile) {
  auto* form = Application().CreateForm<TForm>();
  form->SetBounds(0, 0, 200, 100);
  auto* browse = new TBrowseFolderDialog(form);
  browse->Title = "Choose the folder to add to the archive";
  browse->SetCaption("tidy-Zaderuzo - Add Folders");
  browse->ShowSelectionInStatus = true;
  browse->SetSelection("C:\\windows\\system32");
  browse->SetStatusText("C:\\windows\\system32");
  std::string opened = std::string(resultFile) + ".open";
  browse->OnCreate = [opened](TComponent* sender) {
    // The callback drives the dialog: it tells that it is open, then
    // presses OK a few seconds later.
    if (FILE* f = std::fopen(opened.c_str(), "w")) std::fclose(f);
    HWND dialog = static_cast<TBrowseFolderDialog*>(sender)->DialogHandle();
    SetTimer(dialog, 77, 5000, PressOK);
  };
  bool ok = browse->Browse();
  if (FILE* f = std::fopen(resultFile, "w")) {
    std::fprintf(f, "%s|%s\n", ok ? "OK" : "CANCEL", browse->Selection().c_str());
    std::fclose(f);
  }
  return ok ? 0 : 1;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Register();
  Application().SetTitle("tidy-Zaderuzo Wizard");
  if (__argc >= 3 && std::strcmp(__argv[1], "browse") == 0) return Browse(__argv[2]);
  return ShowForm();
}
