// A form with the gradient caption bar, an ellipsis label and bevels, shown
// for a few seconds so scripts/screenshot.sh can capture it.
#include "EllipsisLabel.h"
#include "NewBevel.h"
#include "Wordcap.h"

namespace {
const char kDemo[] = R"(
object DemoForm: TForm
  Caption = 'tidy Zaderuzo Studio - Status'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 368
  ClientHeight = 120
  object Bevel1: TNewBevel
    Left = 8  Top = 8  Width = 352  Height = 48
    Style = deSunken
  end
  object SourceLabel: TEllipsisLabel
    Left = 16  Top = 16  Width = 336  Height = 16
    Ellipsis = elPath
    Caption = 'C:\Program Files\tidy Zaderuzo\Some Folder\Deeper Still\archive file.txt'
  end
  object Disabled: TEllipsisLabel
    Left = 16  Top = 34  Width = 336  Height = 16
    Enabled = False
    Caption = 'A disabled label, embossed'
  end
  object Bevel2: TNewBevel
    Left = 8  Top = 64  Width = 170  Height = 48
    Style = deRaised
  end
  object Bevel3: TNewBevel
    Left = 190  Top = 64  Width = 170  Height = 48
    Style = deThinSunken
  end
  object GradientCaption1: TGradientCaption
    Color = clTeal
    CompanyText.Caption = 'tidy'
    CompanyText.Font.Name = 'Arial'
    CompanyText.Font.Size = 12
    CompanyText.Font.Style = [fsBold, fsItalic]
    AppNameText.Caption = 'Zaderuzo Studio -'
    AppNameText.Font.Name = 'Arial'
    AppNameText.Font.Size = 12
    AppNameText.Font.Style = [fsBold]
    CaptionText.Caption = 'Status'
    CaptionText.Font.Name = 'Arial'
    CaptionText.Font.Size = 11
  end
end
)";
}  // namespace

int main() {
  RegisterClass(TEllipsisLabel::ClassInfo());
  RegisterClass(TNewBevel::ClassInfo());
  RegisterClass(TGradientCaption::ClassInfo());
  auto* form = Application().CreateForm<TForm>();
  form->LoadDescription(kDemo);
  form->Show();
  DWORD until = GetTickCount() + 6000;
  while (GetTickCount() < until && !Application().Terminated()) {
    Application().ProcessMessages();
    Sleep(20);
  }
  return 0;
}
