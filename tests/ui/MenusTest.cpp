// Menus of the window layer: items mirrored into Windows menus, the form's
// menu bar, commands and shortcut texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Description.h"
#include "Forms.h"
#include "Menus.h"
#include "Robot.h"

namespace {
const char kForm[] = R"(
object MenuForm: TForm
  Caption = 'Menus'
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object New1: TMenuItem
        Caption = '&New'
        ShortCut = 'Ctrl+N'
        OnClick = New1Click
      end
      object Sep1: TMenuItem
        Caption = '-'
      end
      object Hidden1: TMenuItem
        Caption = 'Hidden'
        Visible = False
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
        Checked = True
        Default = True
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      Enabled = False
    end
  end
end
)";

class TMenuForm : public TForm {
public:
  explicit TMenuForm(TComponent* owner) : TForm(owner) {
    Field("MainMenu1", MainMenu1);
    Field("File1", File1);
    Field("New1", New1);
    Field("Exit1", Exit1);
    Field("Help1", Help1);
    Handler("New1Click", &TMenuForm::New1Click);
    LoadDescription(kForm);
  }
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem *File1 = nullptr, *New1 = nullptr, *Exit1 = nullptr, *Help1 = nullptr;
  int newClicks = 0;
  void New1Click(TComponent*) { ++newClicks; }
};

struct TMenuPos {
  UINT Type = 0, State = 0, Id = 0;
  HMENU Sub = nullptr;
  std::string Text;
};

TMenuPos At(HMENU menu, int pos) {
  char text[256] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = sizeof(text) - 1;
  EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info));
  return {info.fType, info.fState, info.wID, info.hSubMenu, text};
}
}  // namespace

TEST(Menus, ShortCutTexts) {
  struct {
    TShortCut sc;
    const char* text;
  } rows[] = {
      {static_cast<TShortCut>('N' | scCtrl), "Ctrl+N"},
      {static_cast<TShortCut>(VK_F9 | scCtrl), "Ctrl+F9"},
      {static_cast<TShortCut>('1' | scCtrl), "Ctrl+1"},
      {VK_F1, "F1"},
      {static_cast<TShortCut>(VK_F4 | scAlt), "Alt+F4"},
      {static_cast<TShortCut>(VK_DELETE | scShift | scCtrl), "Shift+Ctrl+Del"},
  };
  for (auto row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ShortCutToText(row.sc), row.text);
    EXPECT_EQ(TextToShortCut(row.text), row.sc);
  }
  EXPECT_EQ(TextToShortCut("ctrl+n"), static_cast<TShortCut>('N' | scCtrl));
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Hyper+Q"), 0);
  EXPECT_EQ(ShortCutToText(0), "");
}

TEST(Menus, DescriptionBuildsTheTreeAndTheWindowsMenus) {
  TMenuForm form(nullptr);
  form.HandleNeeded();
  HMENU bar = GetMenu(form.Handle());
  ASSERT_EQ(bar, form.MainMenu1->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  TMenuPos file = At(bar, 0), help = At(bar, 1);
  EXPECT_EQ(file.Text, "&File");
  EXPECT_EQ(file.Sub, form.File1->Handle());
  EXPECT_TRUE(help.State & MFS_GRAYED);
  EXPECT_EQ(help.Sub, nullptr);

  // Hidden items have no position; the rest keep their order.
  HMENU sub = form.File1->Handle();
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  TMenuPos n = At(sub, 0), sep = At(sub, 1), exit = At(sub, 2);
  EXPECT_EQ(n.Text, "&New\tCtrl+N");
  EXPECT_EQ(n.Id, form.New1->Command());
  EXPECT_TRUE(sep.Type & MFT_SEPARATOR);
  EXPECT_EQ(exit.Text, "E&xit");
  EXPECT_TRUE(exit.State & MFS_CHECKED);
  EXPECT_TRUE(exit.State & MFS_DEFAULT);
}

TEST(Menus, ChangesRefillTheParentMenu) {
  TMenuForm form(nullptr);
  HMENU sub = form.File1->Handle();
  form.Exit1->SetCaption("&Quit");
  form.Exit1->SetEnabled(false);
  EXPECT_EQ(At(sub, 2).Text, "&Quit");
  EXPECT_TRUE(At(sub, 2).State & MFS_GRAYED);
  form.New1->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  form.New1->SetVisible(true);
  EXPECT_EQ(At(sub, 0).Text, "&New\tCtrl+N");

  // A first child makes the item a submenu of its parent.
  auto* about = new TMenuItem(&form);
  about->SetCaption("&About");
  form.Help1->Add(about);
  EXPECT_EQ(At(form.MainMenu1->Handle(), 1).Sub, form.Help1->Handle());

  // Check-mark pictures set through the system stay with their item.
  HBITMAP mark = CreateBitmap(13, 13, 1, 1, nullptr);
  SetMenuItemBitmaps(sub, form.Exit1->Command(), MF_BYCOMMAND, mark, mark);
  form.Exit1->SetCaption("E&xit");
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_CHECKMARKS;
  ASSERT_TRUE(GetMenuItemInfoA(sub, form.Exit1->Command(), FALSE, &info));
  EXPECT_EQ(info.hbmpUnchecked, mark);
  DeleteObject(mark);
}

TEST(Menus, CommandsReachTheirItems) {
  TRobot robot;
  TMenuForm form(nullptr);
  form.HandleNeeded();
  SendMessageA(form.Handle(), WM_COMMAND, form.New1->Command(), 0);
  EXPECT_EQ(form.newClicks, 1);
  EXPECT_EQ(form.MainMenu1->FindItem(TextToShortCut("Ctrl+N"), TFindItemKind::fkShortCut), form.New1);
  EXPECT_EQ(form.MainMenu1->FindItem(reinterpret_cast<UINT_PTR>(form.File1->Handle()), TFindItemKind::fkHandle),
            form.File1);
  // A disabled item does not run.
  form.New1->SetEnabled(false);
  EXPECT_TRUE(form.MainMenu1->DispatchMenuCommand(form.New1->Command()));
  EXPECT_EQ(form.newClicks, 1);
  EXPECT_FALSE(form.MainMenu1->DispatchMenuCommand(0xFFF0));
}

TEST(Menus, FreedItemsAndMenusLeaveEverythingThatHeldThem) {
  TMenuForm form(nullptr);
  form.HandleNeeded();
  HMENU sub = form.File1->Handle();
  UINT command = form.New1->Command();
  delete form.New1;
  EXPECT_EQ(form.File1->Count(), 3);
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  // Its identifier is free again.
  TMenuItem again(nullptr);
  EXPECT_EQ(again.Command(), command);

  delete form.MainMenu1;
  EXPECT_EQ(form.Menu(), nullptr);
  EXPECT_EQ(GetMenu(form.Handle()), nullptr);
}
