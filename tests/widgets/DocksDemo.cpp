// A form with toolbars docked on its top and left edges and one floating
// toolbar, shown for a few seconds so scripts/screenshot.sh docks can
// capture it.
#include "Gdi.h"
#include "StdCtrls.h"
#include "ToolKit.h"
#include "Toolbar.h"

namespace {
const char kDemo[] = R"(
object DocksDemo: TForm
  Caption = 'tidy-Zaderuzo - docks'
  Position = poScreenCenter
  ClientWidth = 520
  ClientHeight = 300
  object TopDock: TDock
    BoundLines = [blBottom]
    object StandardBar: TToolbar
      Caption = 'Standard'
      CloseButton = False
      DockRow = 0
      object NewButton: TToolbarButton end
      object OpenButton: TToolbarButton end
      object SaveButton: TToolbarButton end
      object Sep1: TToolbarSep end
      object BuildButton: TToolbarButton
        Width = 60
        Caption = 'Build'
      end
      object Sep2: TToolbarSep end
      object HelpButton: TToolbarButton end
    end
    object SourcesBar: TToolbar
      Caption = 'Sources'
      DockRow = 0
      DockPos = 200
      object AddButton: TToolbarButton end
      object RemoveButton: TToolbarButton end
    end
    object KindBar: TToolbar
      Caption = 'Kind'
      DockRow = 1
      object CabButton: TToolbarButton
        Width = 90
        Caption = 'Cabinet SFX'
        GroupIndex = 1
        Down = True
      end
      object ZipButton: TToolbarButton
        Width = 70
        Caption = 'Zip SFX'
        GroupIndex = 1
      end
    end
  end
  object LeftDock: TDock
    Position = dpLeft
    object ViewBar: TToolbar
      Caption = 'View'
      object ListButton: TToolbarButton end
      object TreeButton: TToolbarButton end
      object Sep3: TToolbarSep end
      object PropsButton: TToolbarButton end
    end
  end
  object Memo1: TMemo
    Align = alClient
    Lines = ('Docked bars on two edges, one floating bar.')
  end
  object FloatingBar: TToolbar
    Caption = 'Floating tools'
    Left = 260  Top = 120
    object CutButton: TToolbarButton end
    object CopyButton: TToolbarButton end
    object PasteButton: TToolbarButton end
    object Sep4: TToolbarSep end
    object UndoButton: TToolbarButton end
  end
end
)";

// A 16 x 16 glyph: a document with a coloured band, on a teal key colour.
void SetGlyph(TToolbarButton* button, COLORREF band) {
  TBitmap bmp(16, 16);
  auto fill = [&](COLORREF c, RECT r) {
    TBrushHandle b(CreateSolidBrush(c));
    FillRect(bmp.DC(), &r, b.Get());
  };
  fill(RGB(0, 128, 128), {0, 0, 16, 16});
  fill(RGB(0, 0, 0), {2, 1, 13, 15});
  fill(RGB(255, 255, 255), {3, 2, 12, 14});
  fill(band, {4, 5, 11, 9});
  button->SetGlyph(bmp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RegisterClass(TDock::ClassInfo());
  RegisterClass(TToolbar::ClassInfo());
  RegisterClass(TToolbarSep::ClassInfo());
  RegisterClass(TToolbarButton::ClassInfo());
  Application().SetTitle("tidy-Zaderuzo Studio");
  auto* form = Application().CreateForm<TForm>();
  form->LoadDescription(kDemo);
  const COLORREF bands[] = {RGB(200, 0, 0), RGB(0, 150, 0), RGB(0, 0, 200), RGB(200, 150, 0), RGB(150, 0, 150)};
  int n = 0;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TToolbarButton*>(form->Components(i)); b && b->Caption().empty())
      SetGlyph(b, bands[n++ % 5]);
  form->Show();
  auto runFor = [](DWORD ms) {
    DWORD until = GetTickCount() + ms;
    while (GetTickCount() < until && !Application().Terminated()) {
      Application().ProcessMessages();
      Sleep(20);
    }
  };
  runFor(1000);
  // Wine's desktop restacks the windows it maps after the form: bring the
  // floating bar up again, as a click on it would.
  if (auto* bar = dynamic_cast<TToolbar*>(form->FindComponent("FloatingBar")))
    SetWindowPos(bar->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  runFor(11000);
  return 0;
}
