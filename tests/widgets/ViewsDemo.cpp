// A form with a side bar of three pages beside a folder tree and a file list
// (with the drive/path combo over it), shown for a few seconds so
// scripts/screenshot.sh views can capture it. Argument: the folder to show.
#include "DirTree.h"
#include "FileExplorer.h"
#include "SideBar.h"

namespace {
const char kDemo[] = R"(
object ViewsForm: TForm
  Caption = 'Side bar, folders and files'
  Position = poScreenCenter
  ClientWidth = 760
  ClientHeight = 400
  object Images: TImageList
    Width = 32
    Height = 32
  end
  object SideBar1: TSideBar
    Left = 4  Top = 4  Width = 96  Height = 392
    AutoSize = True
    object Basic: TSideBarPage
      Caption = 'Basic'
      AutoCenter = True
      HiLiteFont.Color = clWhite
      object Button1: TSideBarButton
        Top = 30  Width = 80  Height = 60
        Caption = 'Archive Info.'
        LargeImages = Images
        ImageIndex = 0
        Down = True
      end
      object Spacer1: TSpacer
        Top = 95
      end
      object Button2: TSideBarButton
        Top = 110  Width = 80  Height = 60
        Caption = 'Source Files'
        LargeImages = Images
        ImageIndex = 1
      end
      object Button3: TSideBarButton
        Top = 180  Width = 80  Height = 60
        Caption = 'Help'
        LargeImages = Images
        ImageIndex = 2
      end
      object Button4: TSideBarButton
        Top = 250  Width = 80  Height = 60
        Caption = 'About'
        LargeImages = Images
        ImageIndex = 3
      end
    end
    object Settings: TSideBarPage
      Caption = 'Settings'
      object Button5: TSideBarButton
        Width = 80  Height = 60
        Caption = 'Compression'
        LargeImages = Images
        ImageIndex = 1
      end
    end
    object Tools: TSideBarPage
      Caption = 'Tools'
    end
  end
  object Tree: TDirTree
    Left = 108  Top = 4  Width = 250  Height = 392
    OnChange = TreeChange
  end
  object Combo: TDirComboBox
    Left = 366  Top = 4  Width = 390
  end
  object Files: TFileListView
    Left = 366  Top = 32  Width = 390  Height = 364
    DirCombo = Combo
  end
end
)";

class TViewsForm : public TForm {
public:
  explicit TViewsForm(TComponent* owner) : TForm(owner) {
    Handler("TreeChange", &TViewsForm::TreeChange);
    Field("Tree", Tree);
    Field("Files", Files);
    Field("Combo", Combo);
    Field("Images", Images);
    Field("SideBar1", SideBar1);
    Field("Basic", Basic);
    LoadDescription(kDemo);
    for (LPCSTR icon : {IDI_INFORMATION, IDI_APPLICATION, IDI_QUESTION, IDI_WARNING})
      Images->AddIcon(LoadIconA(nullptr, icon));
  }
  void TreeChange(TComponent*, TTreeNode*) {
    std::string dir = Tree->Directory();
    if (dir != "?") Combo->SetSelectedDir(dir);  // the combo takes the list with it
  }
  TDirTree* Tree = nullptr;
  TFileListView* Files = nullptr;
  TDirComboBox* Combo = nullptr;
  TImageList* Images = nullptr;
  TSideBar* SideBar1 = nullptr;
  TSideBarPage* Basic = nullptr;
};
}  // namespace

int main(int argc, char** argv) {
  RegisterSideBarClasses();
  RegisterClass(TDirTree::ClassInfo());
  RegisterFileExplorerClasses();
  auto* form = Application().CreateForm<TViewsForm>();
  form->Show();
  form->SideBar1->SetActivePage(form->Basic);
  char windows[MAX_PATH] = "C:\\";
  GetWindowsDirectoryA(windows, MAX_PATH);
  form->Tree->SetDirectory(argc > 1 ? argv[1] : windows);
  DWORD until = GetTickCount() + 20000;
  while (GetTickCount() < until && !Application().Terminated()) {
    Application().ProcessMessages();
    Sleep(20);
  }
  return 0;
}
