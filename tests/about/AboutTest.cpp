// The hyperlink labels, the LED label button, and the splash, About and
// contact boxes of both programs.
#include "About.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>

#include "Gdi.h"
#include "Robot.h"
#include "TestSteps.h"

namespace {

TEST(UrlLabel, OpensItsAddressOrElseItsCaption) {
  TRobot robot;
  TForm form(nullptr);
  auto* label = new TUrlLabel(&form);
  label->SetParent(&form);
  std::string longUrl = "http://www.vexa.example/" + std::string(300, 'a');
  struct Row {
    const char* name;
    std::string url, caption, opened;  // "" opened: nothing
  } rows[] = {
      {"address", "http://a.example/", "Caption", "open|http://a.example/|"},
      {"empty address", "", "http://caption.example/", "open|http://caption.example/|"},
      {"blank address", "   ", "http://caption.example/", "open|http://caption.example/|"},
      {"nothing at all", "", "", ""},
      {"blank caption", "", "  ", ""},
      {"address past the old 80-byte buffers", longUrl, "x", "open|" + longUrl + "|"},
  };
  for (const Row& row : rows) {
    robot.ShellCalls.clear();
    int clicks = 0;
    label->OnClick = [&](TComponent*) { ++clicks; };
    label->SetURL(row.url);
    label->SetCaption(row.caption);
    label->Click();
    EXPECT_EQ(clicks, 1) << row.name;
    if (row.opened.empty())
      EXPECT_TRUE(robot.ShellCalls.empty()) << row.name;
    else
      EXPECT_EQ(robot.ShellCalls, (std::vector<std::string>{row.opened})) << row.name;
  }
  EXPECT_EQ(label->Font().Color(), clBlue);
  EXPECT_TRUE(label->Font().Style().Has(TFontStyle::fsUnderline));
  ASSERT_NE(label->PopupMenu(), nullptr);
}

TEST(UrlLabel, CopyPutsTheCaptionOnTheClipboard) {
  TForm form(nullptr);
  auto* label = new TUrlLabel(&form);
  label->SetCaption("the caption");
  label->SetURL("http://not.this.example/");
  label->CopyClick();
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  std::string text = data ? static_cast<const char*>(GlobalLock(data)) : "";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(text, "the caption");
}

TEST(LinkLabel, OpensTheCaptionWithTheSchemeOfItsType) {
  TRobot robot;
  TForm form(nullptr);
  auto* link = new TLinkLabel(&form);
  link->SetParent(&form);
  std::string longCaption = "someone@" + std::string(200, 'x') + ".example";
  struct Row {
    const char* name;
    std::string caption;
    bool typeAdd, enabled;
    TURLType type;
    std::string opened;
  } rows[] = {
      {"default: mail", "tidy@vexa.example", true, true, TURLType::utMailto, "|mailto:tidy@vexa.example|"},
      {"http", "www.vexa.example", true, true, TURLType::utHttp, "|http://www.vexa.example|"},
      {"wais", "x", true, true, TURLType::utWais, "|wais:x|"},
      {"as it stands", "http://www.vexa.example/", false, true, TURLType::utMailto, "|http://www.vexa.example/|"},
      {"links off", "x", true, false, TURLType::utMailto, ""},
      {"empty caption", "", false, true, TURLType::utMailto, ""},
      // The old request buffers held 79 characters; the target is passed whole.
      {"long target", longCaption, true, true, TURLType::utMailto, "|mailto:" + longCaption + "|"},
  };
  for (const Row& row : rows) {
    robot.ShellCalls.clear();
    link->SetCaption(row.caption);
    link->SetURLTypeAdd(row.typeAdd);
    link->SetURLEnabled(row.enabled);
    link->SetURLType(row.type);
    bool opened = link->OpenURL();
    EXPECT_EQ(opened, !row.opened.empty()) << row.name;
    if (row.opened.empty())
      EXPECT_TRUE(robot.ShellCalls.empty()) << row.name;
    else
      EXPECT_EQ(robot.ShellCalls, (std::vector<std::string>{row.opened})) << row.name;
  }
}

TEST(LinkLabel, DisabledWithoutShadowStillDrawsALightShadowToTheLowerRight) {
  TForm form(nullptr);
  auto* link = new TLinkLabel(&form);
  link->SetCaption("MMMM");
  link->SetTransparent(false);
  link->SetColor(clBlack);
  link->SetShadowSize(0);
  link->SetEnabled(false);
  TBitmap bmp(link->Width() + 4, link->Height() + 4);
  bmp.Canvas().Brush.SetColor(clBlack);
  bmp.Canvas().FillRect({0, 0, bmp.Width(), bmp.Height()});
  link->PaintTo(bmp.Canvas(), 0, 0);
  COLORREF light = ColorToRGB(clBtnHighlight), gray = ColorToRGB(clGrayText);
  // Find a gray text pixel whose lower-right neighbour is the light shadow.
  bool shadowed = false;
  int grayPixels = 0;
  for (int y = 0; y + 1 < bmp.Height(); ++y)
    for (int x = 0; x + 1 < bmp.Width(); ++x) {
      if (bmp.Pixel(x, y) != gray) continue;
      ++grayPixels;
      if (bmp.Pixel(x + 1, y + 1) == light || bmp.Pixel(x + 1, y + 1) == gray) shadowed = true;
    }
  EXPECT_GT(grayPixels, 0);
  EXPECT_TRUE(shadowed);
  // The light pixels stand one to the right and below the text: the first
  // light column is one right of the first gray one.
  int firstGray = bmp.Width(), firstLight = bmp.Width();
  for (int x = 0; x < bmp.Width(); ++x)
    for (int y = 0; y < bmp.Height(); ++y) {
      if (bmp.Pixel(x, y) == gray) firstGray = std::min(firstGray, x);
      if (bmp.Pixel(x, y) == light) firstLight = std::min(firstLight, x);
    }
  EXPECT_EQ(firstLight, firstGray + 1);
}

TEST(OLabel, LedPictureByTypeAndState) {
  struct Row {
    TLEDType type;
    bool enabled, hover, pressed;
    const char* name;
  } rows[] = {
      {TLEDType::ltDefault, false, true, true, "DISRND"}, {TLEDType::ltDefault, true, false, true, "OFFRND"},
      {TLEDType::ltDefault, true, true, false, "ONRND"},  {TLEDType::ltDefault, true, true, true, "DOWNRND"},
      {TLEDType::ltUp, true, true, true, "DOWN3UP"},      {TLEDType::ltDown, false, false, false, "DIS3DWN"},
      {TLEDType::ltDown, true, false, false, "OFF3DWN"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(LedPictureName(row.type, row.enabled, row.hover, row.pressed), row.name);
}

TEST(OLabel, MouseKeysAndFocus) {
  TRobot robot;
  TForm3 form(nullptr);
  form.Show();
  TOLabel* o = form.OLabel1;
  HWND h = o->Handle();
  std::vector<std::string> log;
  o->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
  o->OnClick = [&](TComponent*) { log.push_back("click"); };

  // Right button: no focus, no mouse-down.
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 10));
  SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(30, 10));
  EXPECT_TRUE(log.empty());
  EXPECT_NE(GetFocus(), h);

  // Hover, then the left button held: the pressed picture.
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  EXPECT_EQ(o->LedPicture(), "ONRND");
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
  EXPECT_EQ(o->LedPicture(), "DOWNRND");
  EXPECT_EQ(GetFocus(), h);
  // Leaving shows the off picture even while the button is held.
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(o->LedPicture(), "OFFRND");
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click"}));

  // Enter on the focused label fires its click: taking the focus made it active.
  log.clear();
  PostMessageA(h, WM_KEYDOWN, VK_RETURN, 0);
  Application().ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"click"}));
  EXPECT_TRUE(o->IsActive());
  EXPECT_FALSE(form.OLabel2->IsActive());

  // Disabled: no hover, the disabled picture.
  o->SetEnabled(false);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(31, 10));
  EXPECT_EQ(o->LedPicture(), "DISRND");
  form.Hide();
}

// Each type and state paints its own picture, loaded by name; black in the
// picture shows the control's colour.
TEST(OLabel, PaintsTheNamedLedPicture) {
  TForm form(nullptr);
  form.Show();
  std::set<std::vector<COLORREF>> looks;
  for (TLEDType type : {TLEDType::ltDefault, TLEDType::ltUp, TLEDType::ltDown}) {
    for (int state = 0; state < 4; ++state) {
      auto* o = new TOLabel(&form);
      o->SetParent(&form);
      o->SetColor(MakeColor(RGB(10, 20, 200)));
      o->SetLedType(type);
      HWND h = o->Handle();
      if (state == 0) o->SetEnabled(false);
      if (state >= 2) SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
      if (state == 3) SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0);
      std::string name = o->LedPicture();
      SCOPED_TRACE(name);
      TBitmapHandle picture(static_cast<HBITMAP>(
          LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
      ASSERT_TRUE(picture);
      BITMAP info{};
      GetObjectA(picture.Get(), sizeof info, &info);
      TMemoryDC source(nullptr);
      TSelectGuard select(source.Get(), picture.Get());
      TBitmap bmp(o->Width(), o->Height());
      SendMessageA(h, WM_PAINT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()), 0);
      std::vector<COLORREF> look;
      int mismatches = 0;
      for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x) {
          COLORREF want = GetPixel(source.Get(), x, y);
          if (want == RGB(0, 0, 0)) want = RGB(10, 20, 200);
          if (bmp.Pixel(x, y + 5) != want) ++mismatches;
          look.push_back(want);
        }
      EXPECT_EQ(mismatches, 0);
      looks.insert(look);
      delete o;
    }
  }
  EXPECT_EQ(looks.size(), 12u) << "twelve different pictures";
}

TEST(OLabel, MouseEnterAndAcceleratorCharacter) {
  TRobot robot;
  TForm3 form(nullptr);
  form.Show();
  TOLabel* o = form.OLabel1;
  o->SetCaption("&Visit");
  HWND h = o->Handle();
  int enters = 0, leaves = 0, clicks = 0;
  o->OnMouseEnter = [&](TComponent*) { ++enters; };
  o->OnMouseLeave = [&](TComponent*) { ++leaves; };
  o->OnClick = [&](TComponent*) { ++clicks; };
  // Lit from the keyboard first: the mouse coming in is still an entry.
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(31, 10));
  EXPECT_EQ(enters, 1);
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(leaves, 1);
  // The accelerator fires the click, any letter case; others do nothing.
  EXPECT_FALSE(OLabelsDialogChar(&form, 'x'));
  EXPECT_TRUE(OLabelsDialogChar(&form, 'v'));
  EXPECT_EQ(clicks, 1);
  o->SetEnabled(false);
  EXPECT_FALSE(o->DialogChar('V'));
  EXPECT_EQ(clicks, 1);
  form.Hide();
}

TEST(ContactBox, EachLinkButtonOpensItsAddressThroughTheHiddenLabel) {
  TRobot robot;
  TForm3 form(nullptr);
  EXPECT_EQ(form.Caption(), "contact VEXA ");
  EXPECT_EQ(form.ClientWidth(), 359);
  EXPECT_EQ(form.ClientHeight(), 183);
  EXPECT_FALSE(form.UrlLabel1->Visible());
  form.OLabel1->Click();
  form.OLabel2->Click();
  form.OLabel3->Click();
  EXPECT_EQ(robot.ShellCalls, (std::vector<std::string>{std::string("open|") + kMakerHomePage + "|",
                                                        std::string("open|mailto:") + kMakerMail + "|",
                                                        std::string("open|") + kAuthorPager + "|"}));
}

TEST(AboutBox, HeldOkRefusesToCloseUntilTheTextRanThrough) {
  TRobot robot;
  TForm2 form(nullptr);
  EXPECT_EQ(form.Caption(), "about tidy Zaderuzo Studio");
  EXPECT_EQ(form.ClientWidth(), 445);
  EXPECT_EQ(form.ClientHeight(), 218);
  auto timer = [&](TTimer* t) { return std::make_pair(t->Handle(), TTimer::kTimerId); };

  TSteps steps;
  int ticksToFree = 0;
  bool refusedBeforeDelay = false, refusedWhileScrolling = false;
  // Each step asks to close, then queues the next one behind that request.
  std::function<void()> step3 = [&] {
    refusedWhileScrolling = form.Visible();
    while (!form.BitBtn1->Enabled() && ticksToFree < 1000) {
      robot.FireTimer(form.Timer1->Handle(), TTimer::kTimerId);
      ++ticksToFree;
    }
    EXPECT_EQ(form.ScrollText->Top(), 40);  // back below the viewport
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  };
  std::function<void()> step2 = [&] {
    refusedBeforeDelay = form.Visible();
    // The delay ends: scrolling starts, the delay timer stops.
    ASSERT_TRUE(robot.FireTimer(form.Timer2->Handle(), TTimer::kTimerId));
    EXPECT_EQ(robot.Timers.count(timer(form.Timer2)), 0u);
    ASSERT_EQ(robot.Timers.count(timer(form.Timer1)), 1u);
    EXPECT_EQ(robot.Timers.at(timer(form.Timer1)).first, 1u);
    for (int i = 0; i < 100; ++i) robot.FireTimer(form.Timer1->Handle(), TTimer::kTimerId);
    EXPECT_EQ(form.ScrollText->Top(), -100);
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    steps.Then(step3);
  };
  steps.Then([&] {
    EXPECT_FALSE(form.BitBtn1->Enabled());
    EXPECT_EQ(form.ScrollText->Top(), 0);
    EXPECT_EQ(robot.Timers.count(timer(form.Timer2)), 1u);
    EXPECT_EQ(robot.Timers.at(timer(form.Timer2)).first, 6000u);
    EXPECT_EQ(robot.Timers.count(timer(form.Timer1)), 0u);
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    steps.Then(step2);
  });
  form.ShowAbout(true);
  EXPECT_TRUE(refusedBeforeDelay);
  EXPECT_TRUE(refusedWhileScrolling);
  EXPECT_EQ(100 + ticksToFree, 181);  // from 0 past -180
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(robot.Timers.empty());  // both stopped after the box

  // From the menu: OK keeps its state (enabled), the box closes at once,
  // and the text starts again from the top.
  steps.Then([&] {
    EXPECT_EQ(form.ScrollText->Top(), 0);
    EXPECT_TRUE(form.BitBtn1->Enabled());
    SendMessageA(form.BitBtn1->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(form.ShowAbout(false), mrOk);
  EXPECT_FALSE(form.Visible());
}

TEST(Splash, TextsAndSize) {
  TSplash splash(nullptr);
  EXPECT_EQ(splash.Caption(), "Initializing");
  EXPECT_EQ(splash.ClientWidth(), 454);
  EXPECT_EQ(splash.ClientHeight(), 319);
  auto* version = dynamic_cast<TLabel*>(splash.FindComponent("VersionLabel"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->Caption(), "Version 1.00");
  // The legal line fits inside the frame with Arial's widths.
  auto* legal = dynamic_cast<TLabel*>(splash.FindComponent("LegalLabel"));
  ASSERT_NE(legal, nullptr);
  EXPECT_LE(legal->Left() + legal->Width(), splash.ClientWidth() - 2);
}

std::array<LONG, 4> Edges(RECT r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(StudioBoxes, CaptionBarsAndBevels) {
  TSplash splash(nullptr);
  TForm2 about(nullptr);
  TForm2 wizardAbout(nullptr, TAboutProgram::Wizard);
  TForm3 contact(nullptr);
  struct Row {
    const char* name;
    TForm* form;
    TGradientCaption* bar;
    std::string company, appName, captionPart, windowCaption;
  } rows[] = {
      {"about", &about, about.GradientCaption1, "about", "tidy Zaderuzo", "Studio", "about tidy Zaderuzo Studio"},
      {"wizard about", &wizardAbout, wizardAbout.GradientCaption1, "about", "tidy", "Zaderuzo", "about tidy Zaderuzo"},
      // The blank after the last non-empty part stays in the window caption.
      {"contact", &contact, contact.GradientCaption1, "contact", "VEXA", "", "contact VEXA "},
  };
  for (const Row& row : rows) {
    ASSERT_NE(row.bar, nullptr) << row.name;
    EXPECT_EQ(row.bar->Form(), row.form) << row.name;
    EXPECT_EQ(row.bar->CompanyText().Caption(), row.company) << row.name;
    EXPECT_EQ(row.bar->AppNameText().Caption(), row.appName) << row.name;
    EXPECT_EQ(row.bar->CaptionText().Caption(), row.captionPart) << row.name;
    EXPECT_EQ(row.form->Caption(), row.windowCaption) << row.name;
    // Rebuilding from the parts gives the same window caption.
    row.bar->CaptionText().SetCaption(row.bar->CaptionText().Caption());
    EXPECT_EQ(row.form->Caption(), row.windowCaption) << row.name;
    EXPECT_TRUE(row.bar->CompanyText().Font().Style().Has(TFontStyle::fsBold)) << row.name;
    EXPECT_TRUE(row.bar->CompanyText().Font().Style().Has(TFontStyle::fsItalic)) << row.name;
  }
  // The Wizard's box: its own version, no "Studio" line.
  EXPECT_EQ(about.VersionLabel->Caption(), "Version 1.00");
  EXPECT_TRUE(about.NameLabel3->Visible());
  EXPECT_EQ(wizardAbout.VersionLabel->Caption(), "Version 1.60");
  EXPECT_FALSE(wizardAbout.NameLabel3->Visible());
  EXPECT_EQ(wizardAbout.ClientWidth(), 445);

  // The splash has a frame, not a caption bar.
  for (int i = 0; i < splash.ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TGradientCaption*>(splash.Components(i)), nullptr);

  // The splash frame is raised around the whole window, the About picture's
  // sunken frame lies just around the picture.
  ASSERT_NE(splash.Frame, nullptr);
  EXPECT_EQ(splash.Frame->Style(), TNewDrawEdgeStyle::deRaised);
  EXPECT_EQ(Edges(splash.Frame->BoundsRect()), Edges(splash.ClientRect()));
  TNewBevel* frame = about.PictureFrame;
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Style(), TNewDrawEdgeStyle::deSunken);
  RECT pic = about.Image1->BoundsRect(), edge = frame->BoundsRect();
  EXPECT_EQ(pic.right - pic.left, 200);
  EXPECT_EQ(pic.bottom - pic.top, 150);
  EXPECT_EQ(Edges({pic.left - 2, pic.top - 2, pic.right + 2, pic.bottom + 2}), Edges(edge));
}

}  // namespace
