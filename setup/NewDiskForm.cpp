#include "NewDiskForm.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Description.h"
#include "DiskFiles.h"
#include "Files.h"
#include "MainForm.h"
#include "SelFolderForm.h"
#include "StrFmt.h"

#include <memory>

namespace {

const char kNewDiskForm[] = R"(
object NewDiskForm: TNewDiskForm
  Caption = 'Please Insert the Next Disk'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  Font.Name = 'Arial'
  Font.Size = 8
  ClientWidth = 377
  ClientHeight = 169
  OnCloseQuery = FormCloseQuery
  object Image1: TImage
    Left = 8  Top = 8  Width = 48  Height = 48
  end
  object SelectDiskLabel: TLabel
    Left = 72  Top = 8  Width = 297  Height = 72
    AutoSize = False
    WordWrap = True
  end
  object PathLabel: TLabel
    Left = 8  Top = 88
    Caption = '&Path:'
    FocusControl = PathEdit
  end
  object PathEdit: TEdit
    Left = 8  Top = 104  Width = 281  Height = 21
  end
  object BrowseButton: TButton
    Left = 296  Top = 103  Width = 73  Height = 23
    Caption = '&Browse...'
    OnClick = BrowseButtonClick
  end
  object OKButton: TButton
    Left = 213  Top = 136  Width = 75  Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
  object CancelButton: TButton
    Left = 294  Top = 136  Width = 75  Height = 25
    Caption = 'Cancel'
    Cancel = True
    ModalResult = 2
  end
end
)";

const char* FolderWord() { return IsWindows4OrLater() ? "folder" : "directory"; }

// The disk picture: the floppy picture at 48 x 48 on the dialog's colour.
// The key colour is replaced at the picture's own size, then the picture
// is scaled pixel by pixel, so no blend of the key is left at the edges.
void LoadDiskPicture(TImage& image, TColor back) {
  std::string name = std::string("NFC_FLOPPY") + (IsWindows4OrLater() ? "95" : "");
  auto bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  const COLORREF fill = ColorToRGB(back);
  for (int y = 0; y < info.bmHeight; ++y)
    for (int x = 0; x < info.bmWidth; ++x)
      if (GetPixel(source, x, y) == RGB(255, 0, 255)) ::SetPixel(source, x, y, fill);
  TBitmap& picture = image.Picture();
  picture.SetSize(48, 48);
  SetStretchBltMode(picture.DC(), COLORONCOLOR);
  StretchBlt(picture.DC(), 0, 0, 48, 48, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
  image.Invalidate();
}

}  // namespace

TNewDiskForm::TNewDiskForm(TComponent* owner) : TForm(owner) {
  Field("SelectDiskLabel", SelectDiskLabel);
  Field("PathLabel", PathLabel);
  Field("Image1", Image1);
  Field("PathEdit", PathEdit);
  Field("BrowseButton", BrowseButton);
  Field("OKButton", OKButton);
  Field("CancelButton", CancelButton);
  Handler("FormCloseQuery", &TNewDiskForm::FormCloseQuery);
  Handler("BrowseButtonClick", &TNewDiskForm::BrowseButtonClick);
  LoadDescription(kNewDiskForm);
  LoadDiskPicture(*Image1, Color());
}

std::string TNewDiskForm::DiskFilePath() const {
  // One backslash, also when the typed folder ends with one.
  return ExpandFileName(AddTrailingBackslash(Trim(PathEdit->Text())) + FileName);
}

void TNewDiskForm::FormCloseQuery(TComponent*, bool& canClose) {
  if (ModalResult() == mrOk) {
    std::string path = DiskFilePath();
    canClose = IsExistingFile(path);
    if (!canClose)
      ShowMsg(Format("The file \"%s\" could not be located in \"%s\". Please insert the correct disk or select "
                     "another %s.",
                     FileName.c_str(), TrimBackslashKeepRoot(ExtractFilePath(path)).c_str(), FolderWord()),
              "", mkWarning, MB_OK);
    return;
  }
  canClose = ConfirmExitSetup();
}

void TNewDiskForm::BrowseButtonClick(TComponent*) {
  if (!ChooseDirForm) Application().CreateForm<TChooseDirForm>();
  ChooseDirForm->TheEdit->SetText(Trim(PathEdit->Text()));
  ChooseDirForm->CreateName->SetCaption("");
  ChooseDirForm->Label1->SetCaption("Please specify the location of the Next Disk and click OK to continue.");
  if (ChooseDirForm->ShowModal() == mrOk) PathEdit->SetText(ChooseDirForm->TheEdit->Text());
}

bool NewDiskPrompt(int disk, const std::string& fileName, std::string& folder) {
  std::unique_ptr<TNewDiskForm> form(new TNewDiskForm(&Application()));
  form->FileName = fileName;
  form->SelectDiskLabel->SetCaption(
      Format("Please insert Disk %d and click OK.\r\n\r\nIf the files on this disk can be found in a %s other than "
             "the one displayed below, enter the correct path or click Browse.",
             disk, FolderWord()));
  form->PathEdit->SetText(folder);
  if (form->ShowModal() != mrOk) return false;
  folder = AddTrailingBackslash(ExtractFilePath(form->DiskFilePath()));
  return true;
}

void InstallNewDiskPrompt() { PromptForDiskHook = NewDiskPrompt; }
