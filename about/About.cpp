#include "About.h"

#include "Description.h"

const char* const kMakerHomePage = "http://www.vexa.example/";
const char* const kMakerMail = "tidy@vexa.example";
const char* const kProductPage = "http://www.vexa.example/tidy-zaderuzo/download.html";
const char* const kAuthorPager = "http://pager.vexa.example/tidy-author";

void RegisterAboutClasses() {
  static bool done = [] {
    RegisterClass(TUrlLabel::ClassInfo());
    RegisterClass(TLinkLabel::ClassInfo());
    RegisterClass(TOLabel::ClassInfo());
    RegisterClass(TGradientCaption::ClassInfo());
    RegisterClass(TNewBevel::ClassInfo());
    return true;
  }();
  (void)done;
}

void PaintPlaceholderPicture(TImage* image, const std::string& text) {
  TBitmap& pic = image->Picture();
  pic.SetSize(image->Width(), image->Height());
  TCanvas& c = pic.Canvas();
  int h = image->Height();
  for (int y = 0; y < h; ++y) {
    int t = h > 1 ? y * 255 / (h - 1) : 0;
    c.Brush.SetColor(MakeColor(RGB(0, 128 - t / 4, 128 + t / 2)));
    c.FillRect({0, y, image->Width(), y + 1});
  }
  c.Font.SetName("Arial");
  c.Font.SetSize(18);
  c.Font.SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic});
  c.Font.SetColor(clWhite);
  c.Brush.SetStyle(TBrushStyle::bsClear);
  RECT r{0, 0, image->Width(), image->Height()};
  c.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  image->Invalidate();
}

// ---------------------------------------------------------------------------

namespace {
const char kSplash[] = R"(
object Splash: TSplash
  Caption = 'Initializing'
  BorderStyle = bsNone
  Position = poScreenCenter
  ClientWidth = 454
  ClientHeight = 319
  Font.Name = 'Arial'
  object Image1: TImage
    Left = 2  Top = 2  Width = 450  Height = 260
  end
  object VersionLabel: TLabel
    Left = 12  Top = 270
    Caption = 'Version 1.00'
  end
  object LegalLabel: TLabel
    Left = 12  Top = 292
    Caption = 'This program is protected by copyright law. See the About topic of the help file for details.'
  end
  object Frame: TNewBevel
    Align = alClient
    Style = deRaised
  end
end
)";

const char kScrollText[] =
    "We would like to hear from you! Send us your comments, a postcard or a mail:\r\n\r\n"
    "mail: tidy@vexa.example\r\nweb: http://www.vexa.example/\r\n\r\n"
    "Every note helps us make tidy-Zaderuzo better.\r\n\r\n";

const char kAbout[] = R"(
object Form2: TForm2
  Caption = 'about tidy Zaderuzo Studio'
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 445
  ClientHeight = 218
  Font.Name = 'Arial'
  OnCloseQuery = FormCloseQuery
  object GradientCaption1: TGradientCaption
    Color = clTeal
    CompanyText.Caption = 'about'
    CompanyText.FontKind = fkSystemBI
    AppNameText.Caption = 'tidy Zaderuzo'
    AppNameText.FontKind = fkSystemB
    CaptionText.Caption = 'Studio'
  end
  object Image1: TImage
    Left = 8  Top = 8  Width = 200  Height = 150
  end
  object PictureFrame: TNewBevel
    Left = 6  Top = 6  Width = 204  Height = 154
    Style = deSunken
  end
  object NameLabel1: TLabel
    Left = 222  Top = 4
    Caption = 'tidy'
    Font.Name = 'Arial'
    Font.Size = 20
    Font.Style = [fsBold, fsItalic]
  end
  object NameLabel2: TLabel
    Left = 278  Top = 4
    Caption = 'Zaderuzo'
    Font.Name = 'Arial'
    Font.Size = 20
    Font.Style = [fsBold]
  end
  object NameLabel3: TLabel
    Left = 222  Top = 38
    Caption = 'Studio'
    Font.Name = 'Arial'
    Font.Size = 14
  end
  object VersionLabel: TLabel
    Left = 222  Top = 64
    Caption = 'Version 1.00'
  end
  object CreditLabel: TLabel
    Left = 222  Top = 80
    Caption = 'Picture: the tidy-Zaderuzo team'
  end
  object OwnerLabel: TLabel
    Left = 222  Top = 94
    Caption = 'tidy-Zaderuzo is a product of VEXA.'
  end
  object Viewport: TPanel
    Left = 218  Top = 114  Width = 223  Height = 40
    BevelOuter = bvLowered
    object ScrollText: TLabel
      Left = 0  Top = 0  Width = 223  Height = 186
      AutoSize = False
      WordWrap = True
    end
  end
  object LegalLabel: TLabel
    Left = 6  Top = 164
    Caption = 'This program is protected by copyright law and international treaties.'#13#10'Unauthorized copying or distribution of it is prohibited.'
  end
  object MailLink: TLinkLabel
    Left = 6  Top = 196
    Caption = 'mailto:tidy@vexa.example'
    LinkColor = clPurple
    URLTypeAdd = False
  end
  object HomeLink: TLinkLabel
    Left = 170  Top = 196
    Caption = 'http://www.vexa.example/'
    LinkColor = clPurple
    URLTypeAdd = False
  end
  object BitBtn1: TButton
    Left = 362  Top = 186  Width = 75  Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 1
    OnTimer = Timer1Timer
  end
  object Timer2: TTimer
    Enabled = False
    Interval = 6000
    OnTimer = Timer2Timer
  end
end
)";

const char kContact[] = R"(
object Form3: TForm3
  Caption = 'contact VEXA '
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  Position = poScreenCenter
  ClientWidth = 359
  ClientHeight = 183
  Font.Name = 'Arial'
  object GradientCaption1: TGradientCaption
    Color = clTeal
    CompanyText.Caption = 'contact'
    CompanyText.FontKind = fkSystemBI
    AppNameText.Caption = 'VEXA'
    AppNameText.FontKind = fkSystemB
    CaptionText.Caption = ''
  end
  object HeadLabel: TLabel
    Left = 12  Top = 10
    Caption = 'contact VEXA'
    Font.Name = 'Arial'
    Font.Size = 14
    Font.Style = [fsBold]
  end
  object InviteLabel: TLabel
    Left = 12  Top = 40
    Caption = 'Mail us, visit our web site, or page the author:'#13#10'we are glad to hear from you.'
  end
  object OLabel1: TOLabel
    Left = 20  Top = 78  Width = 320  Height = 21
    Caption = 'Visit http://www.vexa.example/'
    OnClick = OLabel1Click
  end
  object OLabel2: TOLabel
    Left = 20  Top = 102  Width = 320  Height = 21
    Caption = 'Write to tidy@vexa.example'
    OnClick = OLabel2Click
  end
  object OLabel3: TOLabel
    Left = 20  Top = 126  Width = 320  Height = 21
    Caption = 'Page the author at pager.vexa.example'
    OnClick = OLabel3Click
  end
  object UrlLabel1: TUrlLabel
    Left = 12  Top = 160
    Visible = False
    Caption = 'http://www.vexa.example/'
  end
  object Button1: TButton
    Left = 276  Top = 152  Width = 75  Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
end
)";
}  // namespace

TSplash::TSplash(TComponent* owner) : TForm(owner) {
  RegisterAboutClasses();
  Field("Image1", Image1);
  Field("Frame", Frame);
  LoadDescription(kSplash);
  PaintPlaceholderPicture(Image1, "tidy Zaderuzo Studio");
}

TForm2::TForm2(TComponent* owner, TAboutProgram program) : TForm(owner) {
  RegisterAboutClasses();
  Field("BitBtn1", BitBtn1);
  Field("Timer1", Timer1);
  Field("Timer2", Timer2);
  Field("ScrollText", ScrollText);
  Field("Viewport", Viewport);
  Field("MailLink", MailLink);
  Field("HomeLink", HomeLink);
  Field("NameLabel3", NameLabel3);
  Field("VersionLabel", VersionLabel);
  Field("Image1", Image1);
  Field("PictureFrame", PictureFrame);
  Field("GradientCaption1", GradientCaption1);
  Handler("Timer1Timer", &TForm2::Timer1Timer);
  Handler("Timer2Timer", &TForm2::Timer2Timer);
  Handler("FormCloseQuery", &TForm2::FormCloseQuery);
  LoadDescription(kAbout);
  if (program == TAboutProgram::Wizard) {
    SetCaption("about tidy Zaderuzo");
    GradientCaption1->AppNameText().SetCaption("tidy");
    GradientCaption1->CaptionText().SetCaption("Zaderuzo");
    VersionLabel->SetCaption("Version 1.60");
    NameLabel3->SetVisible(false);  // the Wizard's box has no "Studio" line
    ScrollText->SetCaption(kScrollText + std::string("Thank you for using tidy-Zaderuzo."));
  } else {
    ScrollText->SetCaption(kScrollText + std::string("Thank you for using tidy-Zaderuzo Studio."));
  }
  PaintPlaceholderPicture(Image1, "tidy");
}

void TForm2::StartShowing(bool holdOk) {
  if (holdOk) BitBtn1->SetEnabled(false);
  ScrollText->SetTop(0);
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(true);
}

void TForm2::StopTimers() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
}

int TForm2::ShowAbout(bool holdOk) {
  StartShowing(holdOk);
  struct TStop {
    TForm2* form;
    ~TStop() { form->StopTimers(); }
  } stop{this};
  return ShowModal();
}

void TForm2::Timer2Timer(TComponent*) {
  Timer1->SetEnabled(true);
  Timer2->SetEnabled(false);
}

void TForm2::Timer1Timer(TComponent*) {
  ScrollText->SetTop(ScrollText->Top() - 1);
  if (ScrollText->Top() < -180) {
    ScrollText->SetTop(40);  // just below the viewport's bottom edge
    if (!BitBtn1->Enabled()) BitBtn1->SetEnabled(true);
  }
}

void TForm2::FormCloseQuery(TComponent*, bool& canClose) { canClose = BitBtn1->Enabled(); }

// ---------------------------------------------------------------------------

TForm3::TForm3(TComponent* owner) : TForm(owner) {
  RegisterAboutClasses();
  Field("OLabel1", OLabel1);
  Field("OLabel2", OLabel2);
  Field("OLabel3", OLabel3);
  Field("UrlLabel1", UrlLabel1);
  Field("Button1", Button1);
  Field("GradientCaption1", GradientCaption1);
  Handler("OLabel1Click", &TForm3::OLabel1Click);
  Handler("OLabel2Click", &TForm3::OLabel2Click);
  Handler("OLabel3Click", &TForm3::OLabel3Click);
  LoadDescription(kContact);
}

void TForm3::OpenLink(const std::string& target) {
  UrlLabel1->SetURL(target);
  UrlLabel1->Click();
}

void TForm3::OLabel1Click(TComponent*) { OpenLink(kMakerHomePage); }
void TForm3::OLabel2Click(TComponent*) { OpenLink(std::string("mailto:") + kMakerMail); }
void TForm3::OLabel3Click(TComponent*) { OpenLink(kAuthorPager); }

bool TForm3::DialogKey(WORD key) { return OLabelsDialogKey(this, key) || TForm::DialogKey(key); }
