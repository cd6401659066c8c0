// The side bar: its geometry as tables, then pages, buttons and arrows on a
// form, driven by the mouse messages their windows get.
#include <gtest/gtest.h>

#include <functional>

#include "Forms.h"
#include "Robot.h"
#include "SideBar.h"

using namespace SideBarGeometry;

TEST(SideBarGeometry, PagesStackTheirBandsAroundTheActiveOne) {
  struct {
    const char* name;
    int height;
    std::vector<bool> visible;
    int active;
    std::vector<int> tops, heights;  // -1: left where it is
  } rows[] = {
      {"too low for two bands", 38, {true, true}, 1, {}, {}},
      {"just too low", 42, {true, true}, 0, {}, {}},
      {"just high enough", 43, {true, true}, 0, {0, 20}, {23, 23}},
      {"first of three", 290, {true, true, true}, 0, {0, 247, 267}, {250, 250, 250}},
      {"second of three", 290, {true, true, true}, 1, {0, 20, 267}, {250, 250, 250}},
      {"third of three", 290, {true, true, true}, 2, {0, 20, 40}, {250, 250, 250}},
      {"no active page", 290, {true, true, true}, -1, {0, 247, 267}, {250, 250, 250}},
      {"a hidden page takes no band", 290, {true, false, true}, 0, {0, -1, 267}, {270, -1, 270}},
      {"a hidden page before the active", 290, {true, false, true}, 2, {0, -1, 20}, {270, -1, 270}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<TPagePlace> places = PlacePages(row.height, row.visible, row.active);
    ASSERT_EQ(places.size(), row.tops.size());
    for (size_t i = 0; i < places.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(places[i].Placed, row.tops[i] >= 0);
      if (!places[i].Placed) continue;
      EXPECT_EQ(places[i].Top, row.tops[i]);
      EXPECT_EQ(places[i].Height, row.heights[i]);
    }
  }
}

TEST(SideBarGeometry, ButtonsFollowOneAnotherUnderTheBand) {
  const std::vector<int> column{65, 10, 65, 10, 65};  // three buttons, two spacers
  struct {
    const char* name;
    int pageHeight, margin, firstVisible;
    std::vector<int> tops;
  } rows[] = {
      {"no margin", 300, 0, 0, {26, 91, 101, 166, 176}},
      {"margin 5", 300, 5, 0, {26, 96, 111, 181, 196}},
      {"a margin past the band still starts at 26", 300, 30, 0, {26, 121, 161, 256, 296}},
      {"scrolled by two: those above go out of sight", 300, 0, 2, {-330, -44, 26, 91, 101}},
      {"a short page: the rest below it", 100, 0, 0, {26, 91, 303, 404, 505}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PlaceButtons(row.pageHeight, kButtonStart - row.margin, row.margin, row.firstVisible, column), row.tops);
  }
}

TEST(SideBarGeometry, ArrowsShowWhereButtonsAreOutOfSight) {
  const RECT client{0, 0, 100, 200};
  const RECT up{77, 25, 93, 41}, down{77, 177, 93, 193};
  auto button = [](int top) { return RECT{20, top, 80, top + 50}; };
  struct {
    const char* name;
    std::vector<int> buttonTops;
    TArrows arrows;
  } rows[] = {
      {"all fit: both hidden", {26, 76, 126}, {true, false, false}},
      {"the last runs past the bottom", {26, 76, 176}, {true, false, true}},
      {"the first is above", {-51, 26, 76}, {true, true, false}},
      {"both ends out of sight", {-51, 26, 176}, {true, true, true}},
      {"nothing but the arrows inside", {-51, 201}, {false, false, false}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<RECT> buttons, children{up, down};
    for (int top : row.buttonTops) buttons.push_back(button(top));
    children.insert(children.end(), buttons.begin(), buttons.end());
    TArrows got = ScrollArrows(client, children, buttons);
    EXPECT_EQ(got.Placed, row.arrows.Placed);
    EXPECT_EQ(got.Up, row.arrows.Up);
    EXPECT_EQ(got.Down, row.arrows.Down);
  }
}

namespace {
const char kBarForm[] = R"(
object BarForm: TForm
  ClientWidth = 300
  ClientHeight = 320
  object Bar: TSideBar
    Left = 0  Top = 0  Width = 100  Height = 290
    OnClick = BarClick
    object Page1: TSideBarPage
      Caption = 'Basic'
      OnClick = PageClick
      object Button1: TSideBarButton
        Left = 10  Top = 30  Width = 80  Height = 65
        Caption = 'Archive Info.'
      end
      object Spacer1: TSpacer
        Left = 10  Top = 100
      end
      object Button2: TSideBarButton
        Left = 10  Top = 110  Width = 80  Height = 65
        Caption = 'Source Files'
      end
      object Button3: TSideBarButton
        Left = 10  Top = 200  Width = 80  Height = 65
        Caption = 'Help'
      end
    end
    object Page2: TSideBarPage
      Caption = 'Settings'
      ParentImageSize = False
      OnClick = PageClick
      object Button4: TSideBarButton
        Caption = 'Compression'
      end
    end
    object Page3: TSideBarPage
      Caption = 'Third'
      OnClick = PageClick
    end
  end
end
)";

class TBarForm : public TForm {
public:
  explicit TBarForm(TComponent* owner) : TForm(owner) {
    RegisterSideBarClasses();
    Handler("BarClick", &TBarForm::BarClick);
    Handler("PageClick", &TBarForm::PageClick);
    LoadDescription(kBarForm);
    Show();
    Application().ProcessMessages();  // painting places the buttons
  }
  void BarClick(TComponent* sender) { barClicks.push_back(sender->Name()); }
  void PageClick(TComponent* sender) { pageClicks.push_back(sender->Name()); }
  template <class T>
  T* Get(const char* name) { return dynamic_cast<T*>(FindComponent(name)); }
  std::vector<std::string> barClicks, pageClicks;
};

// A press and release at (x, y) of a windowed control.
void ClickAt(TWinControl* c, int x, int y) {
  SendMessageA(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  SendMessageA(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

std::vector<int> Tops(TSideBar* bar) {
  std::vector<int> tops;
  for (int i = 0; i < bar->ControlCount(); ++i) tops.push_back(bar->Controls(i)->Top());
  return tops;
}
}  // namespace

TEST(SideBar, ABandClickSlidesThePages) {
  TBarForm form(nullptr);
  auto* bar = form.Get<TSideBar>("Bar");
  auto* page2 = form.Get<TSideBarPage>("Page2");
  ASSERT_TRUE(bar && page2);
  EXPECT_EQ(page2->Bar(), bar);
  ClickAt(page2, 30, 8);
  EXPECT_EQ(bar->ActivePage(), page2);
  EXPECT_EQ(Tops(bar), (std::vector<int>{0, 20, 267}));
  EXPECT_EQ(page2->Height(), 250);
  EXPECT_EQ(form.barClicks, std::vector<std::string>{"Page2"});
  EXPECT_EQ(form.pageClicks, std::vector<std::string>{"Page2"});

  // Below the band a click is not the page's.
  ClickAt(form.Get<TSideBarPage>("Page3"), 30, 60);
  EXPECT_EQ(bar->ActivePage(), page2);
  bar->SetActivePage(form.Get<TSideBarPage>("Page1"));
  EXPECT_EQ(Tops(bar), (std::vector<int>{0, 247, 267}));

  // A page of another bar, or none, only forgets the recorded page.
  bar->SetActivePage(nullptr);
  EXPECT_EQ(bar->ActivePage(), form.Get<TSideBarPage>("Page1"));

  // Too low for the bands: nothing moves.
  bar->SetHeight(38);
  std::vector<int> before = Tops(bar);
  ClickAt(page2, 30, 8);
  EXPECT_EQ(Tops(bar), before);
}

TEST(SideBar, ButtonsScrollOnlyAsFarAsTheVisibleOnes) {
  TBarForm form(nullptr);
  auto* page = form.Get<TSideBarPage>("Page1");
  form.Get<TSideBar>("Bar")->SetActivePage(page);
  page->ArrangeButtons(kButtonStart);
  std::vector<int> tops;
  for (TControl* c : page->ColumnControls()) tops.push_back(c->Top());
  EXPECT_EQ(tops, (std::vector<int>{26, 91, 101, 166}));

  form.Get<TControl>("Button2")->SetVisible(false);
  form.Get<TControl>("Spacer1")->SetVisible(false);
  for (int i = 0; i < 10; ++i) page->ScrollDown();
  EXPECT_EQ(page->FirstVisible(), 1) << "two buttons show: the last one can be first";
  for (int i = 0; i < 10; ++i) page->ScrollUp();
  EXPECT_EQ(page->FirstVisible(), 0);
}

TEST(SideBar, HeldArrowsRepeatAfter400ThenEvery120Ms) {
  TRobot robot;
  TBarForm form(nullptr);
  auto* bar = form.Get<TSideBar>("Bar");
  auto* page = form.Get<TSideBarPage>("Page1");
  bar->SetActivePage(page);
  ASSERT_NE(page->DownArrow(), nullptr);
  page->SetHeight(180);
  page->ArrangeButtons(kButtonStart);
  page->UpdateScrollArrows();
  TDownArrowBtn* down = page->DownArrow();
  ASSERT_TRUE(down->Visible());
  EXPECT_FALSE(page->UpArrow()->Visible());
  RECT r = down->BoundsRect();
  EXPECT_EQ(r.left, page->ClientWidth() - 23);
  EXPECT_EQ(r.top, page->ClientHeight() - 23);
  LPARAM at = MAKELPARAM(r.left + 8, r.top + 8);

  // Without AutoRepeat one step, on release.
  SendMessageA(page->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(down->RepeatTimer(), nullptr);
  EXPECT_EQ(page->FirstVisible(), 0);
  SendMessageA(page->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(page->FirstVisible(), 1);

  page->ScrollUp();
  page->SetAutoRepeat(true);
  SendMessageA(page->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  TTimer* timer = down->RepeatTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->Interval(), 400u);
  EXPECT_EQ(page->FirstVisible(), 0);
  ASSERT_TRUE(robot.FireTimer(timer->Handle(), TTimer::kTimerId));
  EXPECT_EQ(page->FirstVisible(), 1);
  EXPECT_EQ(timer->Interval(), 120u);
  ASSERT_TRUE(robot.FireTimer(timer->Handle(), TTimer::kTimerId));
  EXPECT_EQ(page->FirstVisible(), 2);
  SendMessageA(page->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(page->FirstVisible(), 3);
  EXPECT_EQ(down->RepeatTimer(), nullptr);
  EXPECT_TRUE(robot.Timers.empty());
}

TEST(SideBar, TheMouseMakesOneButtonHotAtATime) {
  TBarForm form(nullptr);
  auto* page = form.Get<TSideBarPage>("Page1");
  page->ArrangeButtons(kButtonStart);
  auto* b1 = form.Get<TSideBarButton>("Button1");
  auto* b2 = form.Get<TSideBarButton>("Button2");
  auto over = [&](TControl* c) {
    SendMessageA(page->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c->Left() + 5, c->Top() + 5));
  };
  over(b1);
  EXPECT_TRUE(b1->Hot());
  over(b2);
  EXPECT_TRUE(b2->Hot());
  EXPECT_FALSE(b1->Hot());
  b1->SetDown(true);
  EXPECT_TRUE(b1->Hot());
  EXPECT_TRUE(b1->Pressed());
  over(b1);
  over(b2);
  EXPECT_TRUE(b1->Hot()) << "a button held down stays hot";
  // The band lights up under the mouse and goes dark when it leaves.
  SendMessageA(page->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 5));
  EXPECT_TRUE(page->BandHot());
  SendMessageA(page->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 60));
  EXPECT_FALSE(page->BandHot());
}

TEST(SideBar, ImageSizeReachesPagesAndButtonsThatFollowTheirParent) {
  TBarForm form(nullptr);
  auto* bar = form.Get<TSideBar>("Bar");
  auto* b1 = form.Get<TSideBarButton>("Button1");
  auto* b2 = form.Get<TSideBarButton>("Button2");
  b2->SetParentImageSize(false);
  bar->SetImageSize(TImageSize::isSmall);
  EXPECT_EQ(form.Get<TSideBarPage>("Page1")->ImageSize(), TImageSize::isSmall);
  EXPECT_EQ(b1->ImageSize(), TImageSize::isSmall);
  EXPECT_EQ(b2->ImageSize(), TImageSize::isLarge);
  EXPECT_EQ(form.Get<TSideBarPage>("Page2")->ImageSize(), TImageSize::isLarge);
  EXPECT_EQ(form.Get<TSideBarButton>("Button4")->ImageSize(), TImageSize::isLarge);
  b2->SetParentImageSize(true);
  EXPECT_EQ(b2->ImageSize(), TImageSize::isSmall);
}

TEST(SideBarButton, HotFrameColoursByBorderAndState) {
  TImageList images(nullptr);
  images.SetWidth(32);
  images.SetHeight(32);
  TSideBarButton button(nullptr);
  button.SetLargeImages(&images);
  button.SetImageIndex(0);
  button.Perform(CM_MOUSEENTER);
  ASSERT_TRUE(button.Hot());
  auto sys = [](int i) { return GetSysColor(i); };
  struct {
    TButtonBorder border;
    bool down;
    COLORREF topLeft, bottomRight;
  } rows[] = {
      {TButtonBorder::bbDark, false, sys(COLOR_BTNFACE), sys(COLOR_3DDKSHADOW)},
      {TButtonBorder::bbLight, false, sys(COLOR_BTNHIGHLIGHT), sys(COLOR_BTNSHADOW)},
      {TButtonBorder::bbMono, false, sys(COLOR_BTNHIGHLIGHT), sys(COLOR_3DDKSHADOW)},
      {TButtonBorder::bbDark, true, sys(COLOR_3DDKSHADOW), sys(COLOR_BTNFACE)},
      {TButtonBorder::bbLight, true, sys(COLOR_BTNSHADOW), sys(COLOR_BTNHIGHLIGHT)},
      {TButtonBorder::bbMono, true, sys(COLOR_3DDKSHADOW), sys(COLOR_BTNHIGHLIGHT)},
  };
  // A 60 x 50 button: the 32-pixel image at (14, 4), the frame 4 pixels out.
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.border) * 2 + row.down);
    button.SetButtonBorder(row.border);
    button.SetDown(row.down);
    TBitmap bmp(60, 50);
    bmp.Canvas().Brush.SetColor(MakeColor(0xFF00FF));
    bmp.Canvas().FillRect({0, 0, 60, 50});
    button.PaintTo(bmp.Canvas(), 0, 0);
    EXPECT_EQ(bmp.Pixel(20, 0), row.topLeft);
    EXPECT_EQ(bmp.Pixel(10, 20), row.topLeft);
    EXPECT_EQ(bmp.Pixel(20, 39), row.bottomRight);
    EXPECT_EQ(bmp.Pixel(49, 20), row.bottomRight);
  }
}

namespace {
// Counts how deep page slides nest; runs `during` inside the first one.
class TProbeBar : public TSideBar {
public:
  using TSideBar::TSideBar;
  int depth = 0, deepest = 0;
  std::function<void()> during;
  void SlidePage(TControl* page, int top, bool smooth, int step) override {
    deepest = std::max(deepest, ++depth);
    if (during) {
      auto run = std::move(during);
      during = nullptr;
      run();
    }
    TSideBar::SlidePage(page, top, smooth, step);
    --depth;
  }
};
}  // namespace

TEST(SideBar, SlidingAndPaintingDoNotReenterEachOther) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 340);
  auto* bar = new TProbeBar(&form);
  bar->SetBounds(0, 0, 100, 290);
  bar->SetSmooth(true);
  bar->SetAutoSize(true);
  std::vector<TSideBarPage*> pages;
  for (int i = 0; i < 3; ++i) {
    pages.push_back(new TSideBarPage(&form));
    pages.back()->SetName("P" + std::to_string(i));
    pages.back()->SetParent(bar);
  }
  bar->SetParent(&form);
  form.Show();
  std::vector<std::string> clicks;
  bar->OnClick = [&](TComponent* s) { clicks.push_back(s ? s->Name() : "none"); };

  // A paint in the middle of a slide places nothing itself.
  bar->during = [&] { RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
  bar->SetActivePage(pages[1]);
  EXPECT_EQ(bar->deepest, 1);
  EXPECT_EQ(Tops(bar), (std::vector<int>{0, 20, 267}));

  // A band clicked during a slide waits for it, then wins.
  bar->deepest = 0;
  bar->during = [&] { bar->PageActivated(pages[2]); };
  bar->SetActivePage(pages[0]);
  EXPECT_EQ(bar->deepest, 1);
  EXPECT_EQ(Tops(bar), (std::vector<int>{0, 20, 40}));
  EXPECT_EQ(bar->ActivePage(), pages[2]);
  EXPECT_EQ(clicks, (std::vector<std::string>{"P1", "P0", "P2"}));
}
