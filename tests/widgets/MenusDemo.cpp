// A form with the animated menu bar whose File menu is open with a submenu
// and its title band, shown for a few seconds so scripts/screenshot.sh
// menus can capture it.
#include "AnimMenus.h"
#include "Dock.h"
#include "StdCtrls.h"
#include "Toolbar.h"

namespace {
const char kDemo[] = R"(
object MenusDemo: TMenusDemo
  Caption = 'tidy-Zaderuzo - animated menus'
  Left = 60  Top = 40
  ClientWidth = 520
  ClientHeight = 330
  Menu = MainMenu1
  object TopDock: TDock
    BoundLines = [blBottom]
    object MenuBar1: TAnimMainMenu
      MainMenu = MainMenu1
      CloseButton = False
      DockableTo = [dpTop]
      ShowHint = True
      Options.Timeout = 10
      Options.DoubleSpeed = True
      Options.Title.Visible = True
      Options.Title.Width = 18
      Options.Title.Text = 'tidy'
      Options.Title.Font.Size = 10
    end
  end
  object Memo1: TMemo
    Align = alClient
    Lines = ('The File menu is open, and its Recent Projects submenu.')
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object New1: TMenuItem
        Caption = '&New'
        ShortCut = 'Ctrl+N'
      end
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 'Ctrl+O'
      end
      object Save1: TMenuItem
        Caption = '&Save'
        ShortCut = 'Ctrl+S'
      end
      object SaveAs1: TMenuItem
        Caption = 'Save &As...'
        Enabled = False
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Recent1: TMenuItem
        Caption = '&Recent Projects'
        object Project1: TMenuItem
          Caption = '&1 Setup.tpj'
        end
        object Project2: TMenuItem
          Caption = '&2 Backup.tpj'
          Checked = True
        end
      end
      object Print1: TMenuItem
        Caption = '&Print'
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
      end
    end
    object Navigate1: TMenuItem
      Caption = '&Navigate'
      object General1: TMenuItem
        Caption = '&General Archive Information'
        ShortCut = 'Ctrl+1'
        Checked = True
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      object Contents1: TMenuItem
        Caption = '&Contents'
        ShortCut = 'F1'
      end
    end
  end
end
)";

class TMenusDemo : public AnimMenus::TForm {
public:
  explicit TMenusDemo(TComponent* owner) : AnimMenus::TForm(owner) {
    Field("MenuBar1", MenuBar1);
    LoadDescription(kDemo);
  }
  TAnimMainMenu* MenuBar1 = nullptr;
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RegisterAnimMenuClasses();
  RegisterClass(TDock::ClassInfo());
  RegisterClass(TToolbar::ClassInfo());
  auto* form = Application().CreateForm<TMenusDemo>();
  form->Show();
  Application().ProcessMessages();
  // The File menu, then the submenu of its Recent Projects row.
  TMenuBarButton* file = form->MenuBar1->Buttons().front();
  PrepareKeyboardOpen(file);
  file->Click();
  if (TAnimPopupForm* level = InnermostPopupForm()) {
    level->SelectItem(5);
    level->OpenSubmenu();
    if (TAnimPopupForm* sub = level->ChildLevel()) sub->SelectItem(1);
  }
  // Stays up for the capture: the loop ends after a while.
  DWORD end = GetTickCount() + 30000;
  while (GetTickCount() < end) {
    Application().ProcessMessages();
    Sleep(20);
  }
  CloseActiveMenus(false);
  return 0;
}
