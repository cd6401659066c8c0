// The gradient caption bar: its bands, its text parts and how it keeps the
// form's frame in step, read back from pixels.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "Platform.h"
#include "Robot.h"
#include "Wordcap.h"

namespace {
struct TCaptionForm {
  std::unique_ptr<TForm> form;
  TGradientCaption* bar = nullptr;

  explicit TCaptionForm(TFormBorderStyle border = TFormBorderStyle::bsDialog,
                        TBorderIcons icons = {TBorderIcon::biSystemMenu}, int width = 600) {
    form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(border);
    form->SetBorderIcons(icons);
    form->SetBounds(200, 150, width, 120);
    form->HandleNeeded();
    bar = new TGradientCaption(form.get());
    bar->SetColor(clRed);
    bar->SetGradientEnabled(TGradEnabled::geAlways);
    SetActive(true);
  }
  void SetActive(bool active) { SendMessageA(form->Handle(), WM_NCACTIVATE, active, 0); }
  std::unique_ptr<TBitmap> Render() {
    RECT c = bar->Layout().Caption;
    auto bmp = std::make_unique<TBitmap>(c.right - c.left, c.bottom - c.top);
    bar->RenderCaption(bmp->Canvas());
    return bmp;
  }
  int MiddleRow() const {
    RECT t = bar->Layout().TextArea;
    return (t.top + t.bottom) / 2;
  }
};

std::set<COLORREF> Colours(const TBitmap& bmp) {
  std::set<COLORREF> s;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) s.insert(bmp.Pixel(x, y));
  return s;
}
}  // namespace

TEST(GradientCaption, BandsRunFromColorToTheCaptionColour) {
  TCaptionForm f;
  COLORREF from = RGB(255, 0, 0), to = GetSysColor(COLOR_ACTIVECAPTION);
  for (int n : {1, 64, 256}) {
    SCOPED_TRACE(n);
    f.bar->SetNumColors(n);
    auto bmp = f.Render();
    RECT area = f.bar->Layout().TextArea;
    int w = area.right - area.left, y = f.MiddleRow();
    ASSERT_GE(w, 2 * n) << "each band at least two pixels wide";
    EXPECT_EQ(bmp->Pixel(area.left, y), from);
    EXPECT_EQ(bmp->Pixel(area.right - 1, y), n == 1 ? from : to);
    // Band i: its own colour from its first to its last column; colour
    // changes nowhere else.
    std::set<int> starts;
    for (int i = 0; i < n; ++i) {
      int x0 = area.left + w * i / n, x1 = area.left + w * (i + 1) / n - 1;
      starts.insert(x0);
      auto channel = [&](int shift) {
        int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        return n == 1 ? a : a + (b - a) * i / (n - 1);
      };
      COLORREF c = RGB(channel(0), channel(8), channel(16));
      ASSERT_EQ(bmp->Pixel(x0, y), c) << "band " << i;
      ASSERT_EQ(bmp->Pixel(x1, y), c) << "band " << i;
    }
    for (int x = area.left + 1; x < area.right; ++x) {
      if (bmp->Pixel(x, y) != bmp->Pixel(x - 1, y)) {
        ASSERT_TRUE(starts.count(x)) << "colour change inside a band at " << x;
      }
    }
  }
}

TEST(GradientCaption, NumColorsRefusesZeroAndCutsAt256) {
  TCaptionForm f;
  EXPECT_EQ(f.bar->NumColors(), 64);
  struct { int set, expected; } rows[] = {{0, 64}, {-3, 64}, {1, 1}, {300, 256}, {256, 256}, {17, 17}};
  for (auto row : rows) {
    f.bar->SetNumColors(row.set);
    EXPECT_EQ(f.bar->NumColors(), row.expected) << row.set;
  }
}

TEST(GradientCaption, SmartGradientFollowsScreenDepthAndActivity) {
  TCaptionForm f;
  f.bar->SetGradientEnabled(TGradEnabled::geSmart);
  struct {
    int bits;
    bool active, gradient;
  } rows[] = {{8, true, true}, {8, false, false}, {16, false, true}, {4, true, false}, {24, true, true}};
  for (auto row : rows) {
    SCOPED_TRACE(std::to_string(row.bits) + (row.active ? " active" : " inactive"));
    TPlatformOverride depth(std::nullopt, row.bits);
    f.SetActive(row.active);
    auto bmp = f.Render();
    COLORREF bg = GetSysColor(row.active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    EXPECT_EQ(bmp->Pixel(f.bar->Layout().TextArea.left, f.MiddleRow()), row.gradient ? RGB(255, 0, 0) : bg);
  }
}

TEST(GradientCaption, ButtonsIconAndTextAreaFollowBorderAndVersion) {
  int bw = GetSystemMetrics(SM_CXSIZE);
  using B = TGradientCaption::TButton;
  struct {
    const char* name;
    int version;
    TFormBorderStyle border;
    TBorderIcons icons;
    std::vector<B> buttons;
    bool icon;
    int leftReserve, rightReserve;
  } rows[] = {
      {"dialog, system menu", 4, TFormBorderStyle::bsDialog, {TBorderIcon::biSystemMenu}, {B::Close}, false, 0, bw + 2},
      {"dialog with help", 4, TFormBorderStyle::bsDialog, {TBorderIcon::biSystemMenu, TBorderIcon::biHelp},
       {B::Close, B::Help}, false, 0, 2 * (bw + 2)},
      {"single with minimise", 4, TFormBorderStyle::bsSingle, {TBorderIcon::biSystemMenu, TBorderIcon::biMinimize},
       {B::Close, B::Maximize, B::Minimize}, true, 0, bw + 2 + 2 * bw},
      {"no system menu", 4, TFormBorderStyle::bsSingle, {}, {}, false, 0, 0},
      {"old system, single with minimise", 3, TFormBorderStyle::bsSingle,
       {TBorderIcon::biSystemMenu, TBorderIcon::biMinimize}, {}, false, bw, bw},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TPlatformOverride version(row.version, std::nullopt);
    TCaptionForm f(row.border, row.icons);
    auto l = f.bar->Layout();
    EXPECT_EQ(l.Buttons, row.buttons);
    EXPECT_EQ(l.Icon, row.icon);
    int width = l.Caption.right - l.Caption.left;
    EXPECT_EQ(l.TextArea.left, row.leftReserve);
    EXPECT_EQ(width - l.TextArea.right, row.rightReserve);
    RECT win;
    GetWindowRect(f.form->Handle(), &win);
    EXPECT_EQ(width, win.right - win.left - 2 * GetSystemMetrics(SM_CXDLGFRAME));
  }
}

TEST(GradientCaption, CaptionTextIsTheFormsCaptionLessTheOtherParts) {
  struct {
    const char* name;
    std::string formCaption, company, appName;
    bool companyVisible;
    std::string expected;
  } rows[] = {
      {"both parts", "tidy Zaderuzo Studio - Status", "tidy", "Zaderuzo Studio -", true, "Status"},
      {"company hidden", "Zaderuzo Studio - Status", "tidy", "Zaderuzo Studio -", false, "Status"},
      {"company not in the text", "Zaderuzo Studio - Status", "tidy", "Zaderuzo Studio -", true, "Status"},
      {"no parts", "My Project", "", "", true, "My Project"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TCaptionForm f;
    f.bar->CompanyText().SetVisible(row.companyVisible);
    f.bar->CompanyText().SetCaption(row.company);
    f.bar->AppNameText().SetCaption(row.appName);
    f.form->SetCaption(row.formCaption);
    EXPECT_EQ(f.bar->CaptionText().Caption(), row.expected);
  }
  // Setting a part rebuilds the form's caption from the visible parts.
  TCaptionForm f;
  f.bar->CompanyText().SetCaption("tidy");
  f.bar->AppNameText().SetCaption("Zaderuzo Studio -");
  f.bar->CaptionText().SetCaption("Status");
  EXPECT_EQ(f.form->Caption(), "tidy Zaderuzo Studio - Status");
  f.bar->CompanyText().SetVisible(false);
  EXPECT_EQ(f.form->Caption(), "Zaderuzo Studio - Status");
  f.bar->AppNameText().SetCaption("");
  EXPECT_EQ(f.form->Caption(), "Status");
  // Freeing the bar leaves the caption text alone in the form.
  f.bar->AppNameText().SetCaption("App");
  delete f.bar;
  EXPECT_EQ(f.form->Caption(), "Status");
}

TEST(GradientCaption, PartsDropOutWhenSpaceRunsShort) {
  TCaptionForm f;
  f.bar->SetGradientEnabled(TGradEnabled::geNever);
  struct TPartSpec {
    TCompanyText* part;
    const char* text;
    COLORREF colour;
  } parts[] = {{&f.bar->CompanyText(), "tidy", RGB(255, 0, 0)},
               {&f.bar->AppNameText(), "Zaderuzo Studio -", RGB(0, 255, 0)},
               {&f.bar->CaptionText(), "Status", RGB(0, 0, 255)}};
  int widths[3];
  TBitmap probe(10, 10);
  for (int i = 0; i < 3; ++i) {
    parts[i].part->SetFontKind(TFontKind::fkSystemB);
    parts[i].part->SetColorActive(MakeColor(parts[i].colour));
    parts[i].part->SetCaption(parts[i].text);
    probe.Canvas().Font.Assign(parts[i].part->Font());
    widths[i] = probe.Canvas().TextWidth(parts[i].text) + 3;
  }
  ASSERT_EQ(f.form->Caption(), "tidy Zaderuzo Studio - Status");
  auto setTextArea = [&](int w) {
    RECT t = f.bar->Layout().TextArea;
    f.form->SetWidth(f.form->Width() + w - (t.right - t.left));
    ASSERT_EQ(f.bar->Layout().TextArea.right - f.bar->Layout().TextArea.left, w);
  };
  struct {
    const char* name;
    int area;
    bool company, appName, caption;
  } rows[] = {
      {"all fit", widths[0] + widths[1] + widths[2], true, true, true},
      {"company drops first", widths[0] + widths[1] + widths[2] - 1, false, true, true},
      {"then the application name", widths[1] + widths[2] - 1, false, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    setTextArea(row.area);
    auto colours = Colours(*f.Render());
    EXPECT_EQ(colours.count(parts[0].colour) > 0, row.company);
    EXPECT_EQ(colours.count(parts[1].colour) > 0, row.appName);
    EXPECT_EQ(colours.count(parts[2].colour) > 0, row.caption);
  }
}

TEST(GradientCaption, PaintsTheFrameItselfThroughSystemRepaints) {
  TRobot robot;
  TCaptionForm f;
  f.form->Show();
  HWND wnd = f.form->Handle();
  auto l = f.bar->Layout();
  POINT probe{l.Caption.left + l.TextArea.left + 1, l.Caption.top + (l.Caption.bottom - l.Caption.top) / 2};
  auto windowPixel = [&] {
    TWindowDC dc(wnd, TWindowDC::Window);
    return GetPixel(dc.Get(), probe.x, probe.y);
  };
  const COLORREF red = RGB(255, 0, 0);
  // The update region comes in screen coordinates; the caption must be
  // taken out of it in the same ones, or the system paints over the bar.
  RECT win;
  GetWindowRect(wnd, &win);
  ASSERT_NE(win.left, 0);
  struct {
    const char* name;
    std::function<void()> act;
  } rows[] = {
      {"whole-window update", [&] { SendMessageA(wnd, WM_NCPAINT, 1, 0); }},
      {"update region", [&] {
         TRegion rgn(CreateRectRgnIndirect(&win));
         SendMessageA(wnd, WM_NCPAINT, reinterpret_cast<WPARAM>(rgn.Get()), 0);
       }},
      {"new caption text", [&] { SetWindowTextA(wnd, "Other"); }},
      {"new icon", [&] { SendMessageA(wnd, WM_SETICON, ICON_SMALL, 0); }},
      {"activation", [&] { SendMessageA(wnd, WM_NCACTIVATE, TRUE, 0); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // Spoil the spot, then let the message repaint it.
    {
      TWindowDC dc(wnd, TWindowDC::Window);
      SetPixel(dc.Get(), probe.x, probe.y, RGB(1, 2, 3));
    }
    row.act();
    EXPECT_EQ(windowPixel(), red);
  }

  // A new company text shows at once, and hiding it leaves no trace.
  f.bar->SetGradientEnabled(TGradEnabled::geNever);
  f.bar->CompanyText().SetFontKind(TFontKind::fkSystemB);
  f.bar->CompanyText().SetColorActive(clLime);
  auto captionHasLime = [&] {
    TWindowDC dc(wnd, TWindowDC::Window);
    for (int y = l.Caption.top; y < l.Caption.bottom; ++y)
      for (int x = l.Caption.left; x < l.Caption.right; ++x)
        if (GetPixel(dc.Get(), x, y) == RGB(0, 255, 0)) return true;
    return false;
  };
  f.bar->CompanyText().SetCaption("tidy");
  EXPECT_TRUE(captionHasLime());
  f.bar->CompanyText().SetVisible(false);
  EXPECT_FALSE(captionHasLime());
  f.form->Hide();
}

TEST(GradientCaption, HooksTheNewWindowAfterTheFormMadeOne) {
  TCaptionForm f;
  HWND old = f.form->Handle();
  f.form->SetBorderStyle(TFormBorderStyle::bsSingle);  // makes a new window
  HWND now = f.form->Handle();
  ASSERT_NE(now, old);
  Application().ProcessMessages();
  EXPECT_EQ(GetPropA(now, "TZGradientCaption"), f.bar);
  EXPECT_EQ(f.bar->Layout().Buttons.size(), 1u);

  // A stray or stale pointer in the private message is never used.
  PostMessageA(Application().Handle(), TGradientCaption::kRehookMessage, 0, 0x1234);
  TForm other(nullptr);
  auto* gone = new TGradientCaption(&other);
  delete gone;
  PostMessageA(Application().Handle(), TGradientCaption::kRehookMessage, 0, reinterpret_cast<LPARAM>(gone));
  Application().ProcessMessages();
  EXPECT_EQ(GetPropA(now, "TZGradientCaption"), f.bar);
}

TEST(GradientCaption, OwnerMustBeAFormWithoutAnotherBar) {
  TComponent owner(nullptr);
  EXPECT_THROW(TGradientCaption bar(&owner), EInvalidOperation);
  TCaptionForm f;
  EXPECT_THROW(new TGradientCaption(f.form.get()), EInvalidOperation);
  EXPECT_EQ(f.form->ComponentCount(), 1);
}

TEST(GradientCaption, DescribedWithItsParts) {
  RegisterClass(TGradientCaption::ClassInfo());
  struct TStatus : TForm {
    TStatus() : TForm(nullptr) {
      Field("GradientCaption1", bar);
      LoadDescription(R"(
object ProgressForm: TProgressForm
  Caption = 'tidy Zaderuzo Studio - Status'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  object GradientCaption1: TGradientCaption
    Color = clTeal
    NumColors = 0
    CompanyText.Caption = 'tidy'
    CompanyText.Font.Name = 'Arial'
    CompanyText.Font.Size = 12
    CompanyText.Font.Style = [fsBold, fsItalic]
    AppNameText.Caption = 'Zaderuzo Studio -'
    AppNameText.FontKind = fkSystemB
    CaptionText.Caption = 'Status'
  end
end)");
    }
    TGradientCaption* bar = nullptr;
  } form;
  EXPECT_EQ(form.Caption(), "tidy Zaderuzo Studio - Status");
  EXPECT_EQ(form.bar->CaptionText().Caption(), "Status");
  EXPECT_EQ(form.bar->Color(), clTeal);
  EXPECT_EQ(form.bar->NumColors(), 64);
  EXPECT_EQ(form.bar->CompanyText().FontKind(), TFontKind::fkCustom);
  EXPECT_EQ(form.bar->CompanyText().Font().Name(), "Arial");
  EXPECT_EQ(form.bar->CompanyText().Font().Size(), 12);
  EXPECT_TRUE(form.bar->AppNameText().Font().Style().Has(TFontStyle::fsBold));
  EXPECT_EQ(form.bar->AppNameText().Font().Name(), form.bar->SystemCaptionFont().Name());

  // The described form makes its window when it is first needed, and the
  // bar hooks that window as it is made.
  EXPECT_FALSE(form.HandleAllocated());
  form.Show();
  ASSERT_TRUE(form.HandleAllocated());
  EXPECT_EQ(GetPropA(form.Handle(), "TZGradientCaption"), form.bar);
  EXPECT_EQ(form.bar->Layout().Buttons.size(), 1u);
  // Made again (a style change), the window is hooked as it is made.
  form.SetBorderStyle(TFormBorderStyle::bsSingle);
  EXPECT_EQ(GetPropA(form.Handle(), "TZGradientCaption"), form.bar);
  Application().ProcessMessages();
  EXPECT_EQ(GetPropA(form.Handle(), "TZGradientCaption"), form.bar);
  form.Hide();
}
