#include "MenuTestSupport.h"

#include "Dock.h"
#include "Toolbar.h"

namespace menutest {

void RegisterOnce() {
  static bool done = [] {
    RegisterAnimMenuClasses();
    RegisterClass(TDock::ClassInfo());
    RegisterClass(TToolbar::ClassInfo());
    return true;
  }();
  (void)done;
}

namespace {
const char kPopupForm[] = R"(
object PopupForm: TPopupForm
  Left = 100  Top = 100  Width = 400  Height = 300
  Caption = 'Popup'
  object Edit1: TEdit
    Left = 8  Top = 8  Width = 120
  end
  object PopupMenu1: TAnimPopupMenu
    Options.OpenAnimation = anVSlide
    Options.CloseAnimation = anVSlide
    OnMenuCommand = MenuCommand
    object Cut1: TMenuItem
      Caption = 'Cu&t'
      ShortCut = 'Ctrl+X'
      Hint = 'Cut it|Cuts the selection'
      OnClick = ItemClick
    end
    object Copy1: TMenuItem
      Caption = '&Copy'
      OnClick = ItemClick
    end
    object Sep1: TMenuItem
      Caption = '-'
    end
    object Disabled1: TMenuItem
      Caption = '&Disabled'
      Enabled = False
      OnClick = ItemClick
    end
    object More1: TMenuItem
      Caption = '&More'
      object Sub1: TMenuItem
        Caption = '&Sub one'
        OnClick = ItemClick
      end
      object Sub2: TMenuItem
        Caption = 'Sub &two'
      end
    end
    object Checked1: TMenuItem
      Caption = 'C&hecked'
      Checked = True
      OnClick = ItemClick
    end
  end
end
)";

const char kBarForm[] = R"(
object BarForm: TBarForm
  Left = 100  Top = 100  Width = 480  Height = 300
  Caption = 'Bar'
  Menu = MainMenu1
  object Dock1: TDock
    object Bar: TAnimMainMenu
      MainMenu = MainMenu1
      CloseButton = False
      DockableTo = [dpTop]
    end
  end
  object Edit1: TEdit
    Left = 8  Top = 60  Width = 120
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object New1: TMenuItem
        Caption = '&New'
        ShortCut = 'Ctrl+N'
        OnClick = ItemClick
      end
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 'Ctrl+O'
        OnClick = ItemClick
      end
    end
    object Edit2: TMenuItem
      Caption = '&Edit'
      object Cut2: TMenuItem
        Caption = 'Cu&t'
      end
    end
    object Hidden1: TMenuItem
      Caption = 'Hi&dden'
      Visible = False
    end
    object Help1: TMenuItem
      Caption = '&Help'
      object About1: TMenuItem
        Caption = '&About...'
        OnClick = ItemClick
      end
    end
    object Quit1: TMenuItem
      Caption = '&Quit'
      OnClick = ItemClick
    end
  end
end
)";
}  // namespace

TPopupForm::TPopupForm(TComponent* owner) : AnimMenus::TForm(owner) {
  Field("PopupMenu1", PopupMenu1);
  Field("Edit1", Edit1);
  Field("Cut1", Cut1);
  Field("Copy1", Copy1);
  Field("Disabled1", Disabled1);
  Field("More1", More1);
  Field("Sub1", Sub1);
  Field("Checked1", Checked1);
  Handler("ItemClick", &TPopupForm::ItemClick);
  Handler("MenuCommand", &TPopupForm::MenuCommand);
  LoadDescription(kPopupForm);
}

TBarForm::TBarForm(TComponent* owner) : AnimMenus::TForm(owner) {
  Field("Bar", Bar);
  Field("MainMenu1", MainMenu1);
  Field("Edit1", Edit1);
  Field("File1", File1);
  Field("New1", New1);
  Field("Open1", Open1);
  Field("Edit2", Edit2);
  Field("Help1", Help1);
  Field("About1", About1);
  Field("Quit1", Quit1);
  Field("Hidden1", Hidden1);
  Handler("ItemClick", &TBarForm::ItemClick);
  LoadDescription(kBarForm);
}

}  // namespace menutest
