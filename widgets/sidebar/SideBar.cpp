#include "SideBar.h"

#include <algorithm>
#include <cstdlib>

#include "Forms.h"
#include "Guards.h"

using namespace SideBarGeometry;

// Geometry

std::vector<TPagePlace> SideBarGeometry::PlacePages(int barHeight, const std::vector<bool>& visible, int active) {
  int n = static_cast<int>(visible.size());
  if (barHeight < n * kBandHeight + 5) return {};
  int shown = static_cast<int>(std::count(visible.begin(), visible.end(), true));
  std::vector<TPagePlace> places(visible.size());
  int hidden = 0;
  for (int i = 0; i < n; ++i) {
    if (!visible[static_cast<size_t>(i)]) {
      ++hidden;
      continue;
    }
    int p = i - hidden;
    TPagePlace& place = places[static_cast<size_t>(i)];
    place.Placed = true;
    place.Height = barHeight - (shown - 1) * kBandPitch;
    // Up to the active page the bands stack at the top, the rest at the bottom.
    bool upper = i <= active || i == 0;
    place.Top = upper ? p * kBandPitch : barHeight - (shown - p) * kBandPitch - 3;
  }
  return places;
}

std::vector<int> SideBarGeometry::PlaceButtons(int pageHeight, int start, int margin, int firstVisible,
                                               const std::vector<int>& heights) {
  int count = static_cast<int>(heights.size());
  std::vector<int> tops(heights.size());
  int next = start;
  for (int i = 0; i < count; ++i) {
    int h = heights[static_cast<size_t>(i)];
    int& top = tops[static_cast<size_t>(i)];
    if (i < firstVisible) {
      top = -(h + 1) * (count - i);
    } else if (pageHeight < next) {
      top = (pageHeight + 1) * (i + 1);
    } else {
      top = next + margin;
      next += h + margin;
    }
  }
  return tops;
}

TArrows SideBarGeometry::ScrollArrows(const RECT& client, const std::vector<RECT>& children,
                                      const std::vector<RECT>& buttons) {
  auto inside = [&client](const RECT& r) { return r.top >= client.top && r.bottom <= client.bottom; };
  TArrows arrows;
  if (std::count_if(children.begin(), children.end(), inside) <= 2) return arrows;
  arrows.Placed = true;
  if (!buttons.empty()) {
    arrows.Up = !inside(buttons.front());
    arrows.Down = !inside(buttons.back());
  }
  return arrows;
}

namespace {
// Moves a control to `target` in steps of `step`, letting pending messages
// run after each; a bounded number of steps, whatever the control does.
void Slide(TControl* control, int target, bool smooth, int step) {
  if (smooth && step > 0) {
    int distance = std::abs(target - control->Top());
    for (int steps = (distance + step - 1) / step; steps > 0 && control->Top() != target; --steps) {
      int top = control->Top();
      control->SetTop(top < target ? std::min(top + step, target) : std::max(top - step, target));
      Application().ProcessMessages();
    }
  }
  control->SetTop(target);
  if (smooth) Application().ProcessMessages();
}

void Frame3D(HDC dc, const RECT& r, TColor topLeft, TColor bottomRight) {
  TPenHandle light(CreatePen(PS_SOLID, 1, ColorToRGB(topLeft)));
  TPenHandle dark(CreatePen(PS_SOLID, 1, ColorToRGB(bottomRight)));
  {
    TSelectGuard pen(dc, light.Get());
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
  }
  TSelectGuard pen(dc, dark.Get());
  MoveToEx(dc, r.right - 1, r.top, nullptr);
  LineTo(dc, r.right - 1, r.bottom - 1);
  LineTo(dc, r.left - 1, r.bottom - 1);
}

bool IsArrow(const TControl* c) { return dynamic_cast<const TUpArrowBtn*>(c) != nullptr; }
}  // namespace

// TCustomSideBarButton

TCustomSideBarButton::TCustomSideBarButton(TComponent* owner) : TGraphicControl(owner) {
  width_ = 60;
  height_ = 50;
  hiLiteFont_.Assign(Font());
}

void TCustomSideBarButton::SetDown(bool v) {
  down_ = v;
  if (v) hot_ = pressed_ = true;
  else pressed_ = false;
  Invalidate();
}

void TCustomSideBarButton::SetParentImageSize(bool v) {
  parentImageSize_ = v;
  if (auto* page = dynamic_cast<TSideBarPage*>(Parent()); v && page) SetImageSize(page->ImageSize());
}

void TCustomSideBarButton::SetLargeImages(TImageList* list) {
  largeImages_ = list;
  if (list) list->FreeNotification(this);
  Invalidate();
}

void TCustomSideBarButton::SetSmallImages(TImageList* list) {
  smallImages_ = list;
  if (list) list->FreeNotification(this);
  Invalidate();
}

void TCustomSideBarButton::Notification(TComponent* c, TOperation op) {
  TGraphicControl::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == largeImages_) largeImages_ = nullptr;
  if (c == smallImages_) smallImages_ = nullptr;
}

void TCustomSideBarButton::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  Invalidate();
}

void TCustomSideBarButton::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  RECT client = ClientRect();
  bool large = imageSize_ == TImageSize::isLarge;
  TImageList* list = large ? largeImages_ : smallImages_;
  if (list) {
    int w = list->Width(), h = list->Height();
    int x = large ? (client.right - w) / 2 : spacing_;
    int y = large ? spacing_ : (client.bottom - h) / 2;
    ImageList_Draw(list->Handle(), imageIndex_, dc, x, y, ILD_TRANSPARENT);
    if (hot_) {
      static const TColor up[][2] = {{clBtnFace, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}, {clBtnHighlight, cl3DDkShadow}};
      static const TColor down[][2] = {{cl3DDkShadow, clBtnFace}, {clBtnShadow, clBtnHighlight}, {cl3DDkShadow, clBtnHighlight}};
      const TColor* colours = (pressed_ ? down : up)[static_cast<int>(buttonBorder_)];
      RECT frame{x - spacing_, y - spacing_, x + w + spacing_, y + h + spacing_};
      Frame3D(dc, frame, colours[0], colours[1]);
    }
  }
  canvas.Font.Assign(hot_ ? hiLiteFont_ : Font());
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  RECT text = client;
  UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX;
  if (large && list) {
    text.top += list->Width() + 3 * spacing_;
    flags |= DT_CENTER | DT_WORDBREAK;
  } else {
    text.left += (list ? list->Width() : 2) + 3 * spacing_;
    flags |= DT_SINGLELINE | DT_VCENTER;
  }
  canvas.DrawText(Caption(), text, flags);
}

void TCustomSideBarButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
      SetHot(true);
      if (Parent()) {
        TMessage hot{CM_SIDEBARHOTBUTTON, 0, reinterpret_cast<LPARAM>(this), 0};
        Parent()->Broadcast(hot);
      }
      break;
    case CM_MOUSELEAVE:
      if (!down_) {
        hot_ = pressed_ = false;
        Invalidate();
      }
      break;
    case CM_SIDEBARHOTBUTTON:
      if (reinterpret_cast<TControl*>(m.LParam) != this && hot_ && !down_) {
        hot_ = pressed_ = false;
        Invalidate();
      }
      return;
    case CM_SIDEBARIMAGESIZE:
      if (reinterpret_cast<TControl*>(m.LParam) != this && parentImageSize_)
        SetImageSize(static_cast<TImageSize>(m.WParam));
      return;
    default: break;
  }
  TGraphicControl::WndProc(m);
}

void TCustomSideBarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft && hot_) {
    pressed_ = true;
    Invalidate();
  } else if (button == TMouseButton::mbRight && PopupMenu()) {
    POINT p = ClientToScreen({x, y});
    PopupMenu()->Popup(p.x, p.y);
    // The clicks that closed the menu are not for the button.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TCustomSideBarButton::MouseMove(TShiftState shift, int x, int y) {
  RECT r = ClientRect();
  if (!PtInRect(&r, POINT{x, y})) SetHot(false);
  TGraphicControl::MouseMove(shift, x, y);
}

void TCustomSideBarButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (!down_ && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

const TClassInfo& TSideBarButton::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TSideBarButton", &GraphicControlClassInfo(), Creator<TSideBarButton>());
    i.Prop("ButtonBorder", &TSideBarButton::SetButtonBorder);
    i.Prop("Down", &TSideBarButton::SetDown);
    i.Sub<TSideBarButton>("HiLiteFont", [](TSideBarButton& b) -> TFont& { return b.HiLiteFont(); }, FontClassInfo());
    i.Prop("ImageIndex", &TSideBarButton::SetImageIndex);
    i.Prop("ImageSize", &TSideBarButton::SetImageSize);
    i.Prop("ParentImageSize", &TSideBarButton::SetParentImageSize);
    i.Ref("LargeImages", &TSideBarButton::SetLargeImages);
    i.Ref("SmallImages", &TSideBarButton::SetSmallImages);
    i.Prop("Spacing", &TSideBarButton::SetSpacing);
    return i;
  }();
  return info;
}

// TSpacer

TSpacer::TSpacer(TComponent* owner) : TGraphicControl(owner) {
  width_ = 80;
  height_ = 10;
}

const TClassInfo& TSpacer::ClassInfo() {
  static const TClassInfo info("TSpacer", &GraphicControlClassInfo(), Creator<TSpacer>());
  return info;
}

// TUpArrowBtn / TDownArrowBtn

TUpArrowBtn::TUpArrowBtn(TComponent* owner) : TGraphicControl(owner) {
  width_ = 16;
  height_ = 16;
}

TUpArrowBtn::~TUpArrowBtn() { StopTimer(); }

TSideBarPage* TUpArrowBtn::Page() const { return dynamic_cast<TSideBarPage*>(Parent()); }

void TUpArrowBtn::Step() {
  if (TSideBarPage* page = Page()) page->ScrollUp();
}

void TDownArrowBtn::Step() {
  if (TSideBarPage* page = Page()) page->ScrollDown();
}

void TUpArrowBtn::StopTimer() {
  delete timer_;
  timer_ = nullptr;
}

void TUpArrowBtn::TimerTick(TComponent*) {
  if (timer_) timer_->SetInterval(120);
  if (!pressed_ || !MouseCapture()) return;
  Step();
  if (TSideBarPage* page = Page()) page->Repaint();
}

void TUpArrowBtn::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) {
    pressed_ = true;
    Invalidate();
    if (TSideBarPage* page = Page(); page && page->AutoRepeat()) {
      if (!timer_) {
        timer_ = new TTimer(this);
        timer_->SetEnabled(false);
        timer_->SetOnTimer([this](TComponent* s) { TimerTick(s); });
      }
      timer_->SetInterval(400);
      timer_->SetEnabled(true);
    }
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TUpArrowBtn::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) {
    StopTimer();
    pressed_ = false;
    Step();
    if (TSideBarPage* page = Page()) page->Repaint();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TUpArrowBtn::Click() {
  if (Enabled()) SetMouseCapture(false);
  TGraphicControl::Click();
}

void TUpArrowBtn::WndProc(TMessage& m) {
  if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
    mouseOver_ = m.Msg == CM_MOUSEENTER;
    if (flat_) Invalidate();
  }
  TGraphicControl::WndProc(m);
}

void TUpArrowBtn::Paint(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  RECT r = ClientRect();
  UINT state = (IsDown() ? DFCS_SCROLLDOWN : DFCS_SCROLLUP) | (pressed_ ? DFCS_PUSHED : 0) |
               (Enabled() ? 0 : DFCS_INACTIVE);
  if (flat_) {
    state |= DFCS_FLAT;
    InflateRect(&r, 1, 1);
    if (!mouseOver_) OffsetRect(&r, 0, IsDown() ? -2 : 2);  // away from the arrow's direction
  }
  DrawFrameControl(dc, &r, DFC_SCROLL, state);
  if (flat_ && mouseOver_) {
    TColor bottomRight = pressed_ ? (IsDown() ? clBtnShadow : clWhite) : clBlack;
    Frame3D(dc, ClientRect(), pressed_ ? clBlack : clWhite, bottomRight);
  }
}

// TSideBarPage

TSideBarPage::TSideBarPage(TComponent* owner) : TCustomControl(owner) {
  width_ = 100;
  height_ = 92;
  text_ = "Page";
  SetDefaultColor(clBtnShadow);
  hiLiteFont_.Assign(Font());
  // The page's OnClick belongs to its band.
  clickEvents_ = false;
}

void TSideBarPage::SetParent(TWinControl* parent) {
  TCustomControl::SetParent(parent);
  bar_ = dynamic_cast<TSideBar*>(parent);
  if (bar_) {
    imageSize_ = bar_->ImageSize();
    BroadcastImageSize();
  }
}

void TSideBarPage::SetAutoRepeat(bool v) {
  autoRepeat_ = v;
  if (upArrow_) upArrow_->SetAutoRepeat(v);
  if (downArrow_) downArrow_->SetAutoRepeat(v);
}

void TSideBarPage::SetAutoCenter(bool v) {
  autoCenter_ = v;
  if (v) ArrangeButtons(kButtonStart - margin_);
}

void TSideBarPage::BroadcastImageSize() {
  TMessage m{CM_SIDEBARIMAGESIZE, static_cast<WPARAM>(imageSize_), reinterpret_cast<LPARAM>(this), 0};
  Broadcast(m);
}

void TSideBarPage::SetImageSize(TImageSize s) {
  imageSize_ = s;
  if (bar_) bar_->Perform(CM_SIDEBARIMAGESIZE, static_cast<WPARAM>(s), reinterpret_cast<LPARAM>(this));
  BroadcastImageSize();
  Invalidate();
}

void TSideBarPage::SetParentImageSize(bool v) {
  parentImageSize_ = v;
  if (v && bar_) SetImageSize(bar_->ImageSize());
}

std::vector<TControl*> TSideBarPage::ColumnControls() const {
  std::vector<TControl*> column;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!IsArrow(c) && c->Visible()) column.push_back(c);
  }
  std::stable_sort(column.begin(), column.end(), [](TControl* a, TControl* b) { return a->Top() < b->Top(); });
  return column;
}

void TSideBarPage::ScrollUp() {
  if (firstVisible_ >= 1) --firstVisible_;
}

// The limit counts only the buttons that show: scrolling stops when the
// first one shown is the last one.
void TSideBarPage::ScrollDown() {
  if (firstVisible_ < static_cast<int>(ColumnControls().size()) - 1) ++firstVisible_;
}

void TSideBarPage::ArrangeButtons(int start) {
  std::vector<TControl*> column = ColumnControls();
  if (column.empty()) return;
  std::vector<int> heights;
  for (TControl* c : column) heights.push_back(c->Height());
  std::vector<int> tops = PlaceButtons(Height(), start, margin_, firstVisible_, heights);
  for (size_t i = 0; i < column.size(); ++i) {
    TControl* c = column[i];
    c->SetAlign(TAlign::alNone);
    int left = autoCenter_ ? (Width() - c->Width()) / 2 : c->Left();
    c->SetBounds(left, tops[i], c->Width(), c->Height());
  }
}

void TSideBarPage::UpdateScrollArrows() {
  if (!upArrow_ || !downArrow_) return;
  RECT client = ClientRect();
  std::vector<RECT> children, buttons;
  for (int i = 0; i < ControlCount(); ++i) children.push_back(Controls(i)->BoundsRect());
  for (TControl* c : ColumnControls()) buttons.push_back(c->BoundsRect());
  TArrows arrows = ScrollArrows(client, children, buttons);
  if (!arrows.Placed) {
    upArrow_->SetVisible(false);
    downArrow_->SetVisible(false);
    return;
  }
  upArrow_->SetBounds(client.right - 23, client.top + 25, 16, 16);
  downArrow_->SetBounds(client.right - 23, client.bottom - 23, 16, 16);
  // In front of the buttons; only moved when something came in front.
  int n = ControlCount();
  if (n < 2 || !IsArrow(Controls(n - 1)) || !IsArrow(Controls(n - 2))) {
    upArrow_->BringToFront();
    downArrow_->BringToFront();
  }
  upArrow_->SetVisible(arrows.Up);
  downArrow_->SetVisible(arrows.Down);
}

void TSideBarPage::SlideControl(TControl* control, int targetTop, bool smooth, int step) {
  Slide(control, targetTop, smooth, step);
}

void TSideBarPage::DrawCaptionBand(TCanvas& canvas) {
  HDC dc = canvas.Handle();
  RECT client = ClientRect();
  RECT band{client.left, client.top, client.right, client.top + kBandHeight};
  canvas.Brush.SetColor(Color());
  canvas.FillRect(band);
  bool pushed = showPressed_ && bandPressed_;
  DrawEdge(dc, &band, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  canvas.Font.Assign(bandHot_ ? hiLiteFont_ : Font());
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  RECT text = band;
  if (pushed) OffsetRect(&text, 1, 1);
  if (!Enabled()) {
    RECT light = text;
    OffsetRect(&light, 1, 1);
    canvas.Font.SetColor(clBtnHighlight);
    canvas.DrawText(Caption(), light, flags);
    canvas.Font.SetColor(clBtnShadow);
  }
  canvas.DrawText(Caption(), text, flags);
}

void TSideBarPage::Paint(TCanvas& canvas) {
  RECT client = ClientRect();
  canvas.Brush.SetColor(Color());
  canvas.FillRect(client);
  if (!bitmap_.Empty()) {
    for (int y = 0; y < client.bottom; y += bitmap_.Height())
      for (int x = 0; x < client.right; x += bitmap_.Width())
        BitBlt(canvas.Handle(), x, y, bitmap_.Width(), bitmap_.Height(), bitmap_.DC(), 0, 0, SRCCOPY);
  }
  DrawCaptionBand(canvas);
  UpdateScrollArrows();
  ArrangeButtons(kButtonStart - margin_);
}

void TSideBarPage::HandleCreated() {
  TCustomControl::HandleCreated();
  if (upArrow_) return;
  upArrow_ = new TUpArrowBtn(this);
  downArrow_ = new TDownArrowBtn(this);
  for (TUpArrowBtn* arrow : {upArrow_, static_cast<TUpArrowBtn*>(downArrow_)}) {
    arrow->SetVisible(false);
    arrow->SetAutoRepeat(autoRepeat_);
    arrow->SetEnabled(Enabled());
    arrow->SetParent(this);
  }
}

bool TSideBarPage::InBand(int x, int y) const {
  RECT client = ClientRect();
  RECT band{client.left, client.top, client.right, client.top + kBandHeight};
  return PtInRect(&band, POINT{x, y}) != FALSE;
}

void TSideBarPage::SetBandState(bool hot, bool pressed) {
  if (hot == bandHot_ && pressed == bandPressed_) return;
  bandHot_ = hot;
  bandPressed_ = pressed;
  if (HWND h = HandleIfAllocated()) {
    RECT client = ClientRect();
    RECT band{client.left, client.top, client.right, client.top + kBandHeight};
    InvalidateRect(h, &band, FALSE);
  }
}

void TSideBarPage::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (InBand(x, y)) SetBandState(bandHot_, true);
  TCustomControl::MouseDown(button, shift, x, y);
}

void TSideBarPage::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (Enabled()) {
    SetBandState(bandHot_, false);
    if (button == TMouseButton::mbLeft && InBand(x, y)) {
      if (bar_) bar_->PageActivated(this);
      if (OnClick) OnClick(this);
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TSideBarPage::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      // Seen here, before a button under the mouse takes the message.
      int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
      if (InBand(x, y)) {
        if (!trackingLeave_ && HandleAllocated()) {
          TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
          trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
        }
        SetBandState(true, bandPressed_);
      } else {
        SetBandState(false, false);
      }
      break;
    }
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      break;
    case CM_MOUSELEAVE:
      SetBandState(false, false);
      break;
    case CM_ENABLEDCHANGED:
      if (upArrow_) upArrow_->SetEnabled(Enabled());
      if (downArrow_) downArrow_->SetEnabled(Enabled());
      break;
    case CM_SIDEBARIMAGESIZE:
      if (reinterpret_cast<TControl*>(m.LParam) != this && parentImageSize_) {
        imageSize_ = static_cast<TImageSize>(m.WParam);
        BroadcastImageSize();
        Invalidate();
      }
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

const TClassInfo& TSideBarPage::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TSideBarPage", &CustomControlClassInfo(), Creator<TSideBarPage>());
    i.Prop("AutoRepeat", &TSideBarPage::SetAutoRepeat);
    i.PropFn<TSideBarPage>("Bitmap", [](TSideBarPage& p, const TDescValue& v) {
      if (!p.Bitmap().LoadFromBytes(ConvertValue<std::vector<uint8_t>>(v))) throw EDescriptionError("not a bitmap");
    });
    i.Prop("AutoCenter", &TSideBarPage::SetAutoCenter);
    i.Prop("ImageSize", &TSideBarPage::SetImageSize);
    i.Sub<TSideBarPage>("HiLiteFont", [](TSideBarPage& p) -> TFont& { return p.HiLiteFont(); }, FontClassInfo());
    i.Prop("ParentImageSize", &TSideBarPage::SetParentImageSize);
    i.Prop("ShowPressed", &TSideBarPage::SetShowPressed);
    i.Prop("Margin", &TSideBarPage::SetMargin);
    return i;
  }();
  return info;
}

// TSideBar

TSideBar::TSideBar(TComponent* owner) : TCustomControl(owner) {
  width_ = 92;
  height_ = 300;
  SetDefaultColor(clBtnFace);
}

void TSideBar::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN;
}

RECT TSideBar::ClientRect() const {
  if (HandleIfAllocated()) return TCustomControl::ClientRect();
  return {0, 0, std::max(Width() - 4, 0), std::max(Height() - 4, 0)};
}

void TSideBar::Watch(TSideBarPage* page) {
  if (page) page->FreeNotification(this);
}

void TSideBar::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op != TOperation::opRemove) return;
  if (c == current_) current_ = nullptr;
  if (c == recorded_) recorded_ = nullptr;
  if (c == pending_) {
    pending_ = nullptr;
    hasPending_ = false;
  }
}

void TSideBar::SetActivePage(TSideBarPage* page) {
  if (!page || page->Parent() != this) {
    recorded_ = nullptr;
    return;
  }
  recorded_ = page;
  Watch(page);
  PageActivated(page);
}

void TSideBar::PageActivated(TSideBarPage* page) {
  if (arranging_) {
    // A slide is under way: the newest target follows once it ends.
    pending_ = page;
    hasPending_ = true;
    Watch(page);
    return;
  }
  TFlagGuard guard(arranging_);
  for (;;) {
    if (page) {
      current_ = page;
      Watch(page);
    }
    if (OnClick) OnClick(page);
    ArrangePages(page, true);
    if (!hasPending_) break;
    page = pending_;
    pending_ = nullptr;
    hasPending_ = false;
  }
}

void TSideBar::ArrangePages(TSideBarPage* page, bool letMessagesRun) {
  std::vector<bool> visible;
  int active = -1;
  for (int i = 0; i < ControlCount(); ++i) {
    visible.push_back(Controls(i)->Visible());
    if (Controls(i) == page) active = i;
  }
  std::vector<TPagePlace> places = PlacePages(Height(), visible, active);
  if (!places.empty()) StackPages();
  for (size_t i = 0; i < places.size() && static_cast<int>(i) < ControlCount(); ++i) {
    if (!places[i].Placed) continue;
    TControl* c = Controls(static_cast<int>(i));
    c->SetAlign(TAlign::alNone);
    int left = autoSize_ ? 0 : c->Left(), width = autoSize_ ? Width() - 4 : c->Width();
    c->SetBounds(left, c->Top(), width, places[i].Height);
    bool smooth = smooth_ && letMessagesRun && HandleAllocated() && !Loading();
    SlidePage(c, places[i].Top, smooth, kBandPitch);
  }
}

// Later pages lie over earlier ones, so each band shows over the page
// before it. The windows are restacked only when they are out of order.
void TSideBar::StackPages() {
  HWND bar = HandleIfAllocated();
  if (!bar) return;
  std::vector<HWND> wanted;  // top first
  for (int i = ControlCount() - 1; i >= 0; --i)
    if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->HandleAllocated()) wanted.push_back(w->HandleIfAllocated());
  std::vector<HWND> stacked;
  for (HWND h = GetWindow(bar, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (std::find(wanted.begin(), wanted.end(), h) != wanted.end()) stacked.push_back(h);
  if (stacked == wanted) return;
  for (auto it = wanted.rbegin(); it != wanted.rend(); ++it)
    SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TSideBar::SlidePage(TControl* page, int targetTop, bool smooth, int step) { Slide(page, targetTop, smooth, step); }

void TSideBar::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v && ControlCount() > 0 && !arranging_) {
    TFlagGuard guard(arranging_);
    ArrangePages(current_ ? current_ : dynamic_cast<TSideBarPage*>(Controls(0)), false);
  }
}

void TSideBar::SetBorderStyle(TSideBarBorderStyle s) {
  borderStyle_ = s;
  if (HWND h = HandleIfAllocated())
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TSideBar::SetImageSize(TImageSize s) {
  imageSize_ = s;
  TMessage m{CM_SIDEBARIMAGESIZE, static_cast<WPARAM>(s), reinterpret_cast<LPARAM>(this), 0};
  Broadcast(m);
}

void TSideBar::Paint(TCanvas& canvas) {
  canvas.Brush.SetColor(Color());
  canvas.FillRect(ClientRect());
  // Painting only places the pages: no click and no messages, and never
  // in the middle of a slide.
  if (ControlCount() == 0 || !autoSize_ || arranging_) return;
  TSideBarPage* page = current_ ? current_ : recorded_ ? recorded_ : dynamic_cast<TSideBarPage*>(Controls(0));
  TFlagGuard guard(arranging_);
  ArrangePages(page, false);
}

void TSideBar::PaintFrame() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  TWindowDC dc(h, TWindowDC::Window);
  RECT r{0, 0, Width(), Height()};
  if (borderStyle_ == TSideBarBorderStyle::bsSingle) {
    DrawEdge(dc.Get(), &r, EDGE_SUNKEN, BF_RECT);
    return;
  }
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(Color())));
  FrameRect(dc.Get(), &r, brush.Get());
  InflateRect(&r, -1, -1);
  FrameRect(dc.Get(), &r, brush.Get());
}

void TSideBar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
      InflateRect(r, -2, -2);
      m.Result = 0;
      return;
    }
    case WM_NCPAINT:
      PaintFrame();
      m.Result = 0;
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

const TClassInfo& TSideBar::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TSideBar", &CustomControlClassInfo(), Creator<TSideBar>());
    i.Ref("ActivePage", &TSideBar::SetActivePage);
    i.Prop("AutoSize", &TSideBar::SetAutoSize);
    i.Prop("BorderStyle", &TSideBar::SetBorderStyle);
    i.Prop("ImageSize", &TSideBar::SetImageSize);
    i.Prop("Smooth", &TSideBar::SetSmooth);
    return i;
  }();
  return info;
}

void RegisterSideBarClasses() {
  RegisterClass(TSideBar::ClassInfo());
  RegisterClass(TSideBarPage::ClassInfo());
  RegisterClass(TSideBarButton::ClassInfo());
  RegisterClass(TSpacer::ClassInfo());
}
