#include "SelFolderForm.h"

#include "CmnFunc2.h"
#include "Description.h"
#include "NewFCtrlPaths.h"

TChooseDirForm* ChooseDirForm = nullptr;

namespace {

const char kChooseDirForm[] = R"(
object ChooseDirForm: TChooseDirForm
  Caption = 'Select Folder'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 289
  ClientHeight = 333
  OnShow = FormShow
  object Label1: TLabel
    Left = 8  Top = 8  Width = 273  Height = 41
    AutoSize = False
    WordWrap = True
  end
  object PathLabel: TLabel
    Left = 8  Top = 56
    Caption = '&Path:'
    FocusControl = TheEdit
  end
  object TheEdit: TEdit
    Left = 8  Top = 72  Width = 273  Height = 21
  end
  object FoldersLabel: TLabel
    Left = 8  Top = 100
    Caption = 'Available &Folders:'
    FocusControl = NewDirectoryListBox1
  end
  object NewDirectoryListBox1: TNewDirectoryListBox
    Left = 8  Top = 116  Width = 273  Height = 129
    OnChange = NewDirectoryListBox1Change
  end
  object DrivesLabel: TLabel
    Left = 8  Top = 252
    Caption = 'Dri&ves:'
    FocusControl = NewDriveComboBox1
  end
  object NewDriveComboBox1: TNewDriveComboBox
    Left = 8  Top = 268  Width = 273  Height = 22
    DirList = NewDirectoryListBox1
  end
  object CreateName: TLabel
    Left = 8  Top = 304
    Visible = False
  end
  object OKButton: TButton
    Left = 125  Top = 300  Width = 75  Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
  object CancelButton: TButton
    Left = 206  Top = 300  Width = 75  Height = 25
    Caption = 'Cancel'
    Cancel = True
    ModalResult = 2
  end
end
)";

}  // namespace

std::string NearestExistingFolder(const std::string& path) {
  std::string p = TrimBackslashKeepRoot(path);
  while (!p.empty()) {
    if (FolderExists(p)) return p;
    size_t slash = p.rfind('\\');
    if (slash == std::string::npos || slash < PathDrive(p).size()) return {};  // nothing above the root
    std::string up = p.substr(0, slash);
    if (up.size() == 2 && up[1] == ':') up += '\\';
    if (up == p) return {};
    p = up;
  }
  return {};
}

TChooseDirForm::TChooseDirForm(TComponent* owner) : TForm(owner) {
  RegisterNewFCtrlClasses();
  Field("Label1", Label1);
  Field("TheEdit", TheEdit);
  Field("NewDirectoryListBox1", NewDirectoryListBox1);
  Field("NewDriveComboBox1", NewDriveComboBox1);
  Field("CreateName", CreateName);
  Field("OKButton", OKButton);
  Field("CancelButton", CancelButton);
  Handler("FormShow", &TChooseDirForm::FormShow);
  Handler("NewDirectoryListBox1Change", &TChooseDirForm::NewDirectoryListBox1Change);
  LoadDescription(kChooseDirForm);
  if (!ChooseDirForm) ChooseDirForm = this;
}

TChooseDirForm::~TChooseDirForm() {
  if (ChooseDirForm == this) ChooseDirForm = nullptr;
}

void TChooseDirForm::FormShow(TComponent*) {
  // The list opens at the caller's path, or the nearest folder above it;
  // the edit keeps what the caller put there.
  std::string text = TheEdit->Text();
  std::string folder = NearestExistingFolder(text);
  if (!folder.empty()) {
    try {
      NewDirectoryListBox1->SetDirectory(folder);
    } catch (const Exception&) {
    }
  }
  TheEdit->SetText(text);
  SetActiveControl(TheEdit);
}

void TChooseDirForm::NewDirectoryListBox1Change(TComponent*) {
  std::string dir = NewDirectoryListBox1->Directory();
  std::string name = CreateName->Caption();
  TheEdit->SetText(name.empty() ? dir : AddTrailingBackslash(dir) + name);
}
