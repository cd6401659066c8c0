#include "ExtCtrls.h"

#include <algorithm>

#include "Forms.h"
#include "Seam.h"

// TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  width_ = 185;
  height_ = 41;
  SetParentFontQuiet(true);
}

RECT TPanel::AlignRect() {
  RECT r = ClientRect();
  int inset = borderWidth_ + (bevelOuter_ != TPanelBevel::bvNone ? bevelWidth_ : 0) +
              (bevelInner_ != TPanelBevel::bvNone ? bevelWidth_ : 0);
  InflateRect(&r, -inset, -inset);
  return r;
}

void TPanel::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  auto frame = [&](TPanelBevel b) {
    if (b == TPanelBevel::bvNone) return;
    for (int i = 0; i < bevelWidth_; ++i) {
      canvas.DrawEdge(r, b == TPanelBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  };
  frame(bevelOuter_);
  InflateRect(&r, -borderWidth_, -borderWidth_);
  frame(bevelInner_);
  canvas.Brush.SetColor(Color());
  canvas.FillRect(r);
  std::string text = Caption();
  if (text.empty()) return;
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  canvas.DrawText(text, r, DT_VCENTER | DT_SINGLELINE | align[static_cast<int>(alignment_)]);
}

// TPage / TNotebook

TPage::TPage(TComponent* owner) : TCustomControl(owner) {
  SetAlign(TAlign::alClient);
  SetParentFontQuiet(true);
  SetParentColor(true);
}

void TPage::SetParent(TWinControl* parent) {
  static unsigned placements = 0;
  if (parent != Parent()) placed_ = ++placements;
  TCustomControl::SetParent(parent);
}

TNotebook::TNotebook(TComponent* owner) : TCustomControl(owner) {
  width_ = 150;
  height_ = 150;
}

std::vector<TPage*> TNotebook::Pages() const {
  std::vector<TPage*> pages;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* p = dynamic_cast<TPage*>(Controls(i))) pages.push_back(p);
  std::stable_sort(pages.begin(), pages.end(), [](const TPage* a, const TPage* b) { return a->placed_ < b->placed_; });
  return pages;
}

int TNotebook::PageCount() const { return static_cast<int>(Pages().size()); }

TPage* TNotebook::Page(int index) const {
  auto pages = Pages();
  return index >= 0 && index < static_cast<int>(pages.size()) ? pages[static_cast<size_t>(index)] : nullptr;
}

TPage* TNotebook::AddPage(const std::string& caption) {
  auto* page = new TPage(Owner() ? Owner() : this);
  page->SetCaption(caption);
  page->SetParent(this);
  ShowPages();
  return page;
}

void TNotebook::SetPageIndex(int index) {
  if (Loading()) {  // the pages may not exist yet
    pageIndex_ = index;
    return;
  }
  if (index < 0 || index >= PageCount() || index == pageIndex_) {
    if (index >= 0 && index < PageCount()) ShowPages();
    return;
  }
  pageIndex_ = index;
  ShowPages();
  if (OnPageChanged && !Loading()) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
  TPage* p = Page(pageIndex_);
  return p ? p->Caption() : std::string();
}

void TNotebook::SetActivePage(const std::string& caption) {
  for (int i = 0; i < PageCount(); ++i)
    if (Page(i)->Caption() == caption) return SetPageIndex(i);
}

void TNotebook::ShowPages() {
  // Visibility alone: reordering the children would reorder the pages.
  auto pages = Pages();
  for (size_t i = 0; i < pages.size(); ++i) pages[i]->SetVisible(static_cast<int>(i) == pageIndex_);
}

void TNotebook::Loaded() {
  TCustomControl::Loaded();
  ShowPages();
}

// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  width_ = 105;
  height_ = 105;
}

bool TImage::LoadPicture(const std::vector<uint8_t>& bmpBytes) {
  bool ok = picture_.LoadFromBytes(bmpBytes);
  Invalidate();
  return ok;
}

void TImage::Paint(TCanvas& canvas) {
  if (picture_.Empty()) return;
  int w = picture_.Width(), h = picture_.Height();
  if (stretch_) {
    StretchBlt(canvas.Handle(), 0, 0, Width(), Height(), picture_.DC(), 0, 0, w, h, SRCCOPY);
    return;
  }
  int x = center_ ? (Width() - w) / 2 : 0, y = center_ ? (Height() - h) / 2 : 0;
  canvas.Draw(x, y, picture_.DC(), w, h);
}

// TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TimerWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TZTimer";
    RegisterClassExA(&wc);
    registered = true;
  }
  wnd_ = CreateWindowExA(0, "TZTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  if (running_) Seam().KillTimer(wnd_, kTimerId);
  DestroyWindow(wnd_);
}

void TTimer::Update() {
  if (running_) Seam().KillTimer(wnd_, kTimerId);
  running_ = false;
  if (enabled_ && interval_ > 0 && OnTimer && !Loading()) running_ = Seam().SetTimer(wnd_, kTimerId, interval_, nullptr) != 0;
}

LRESULT CALLBACK TTimer::TimerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimerId) {
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    // A tick queued before the timer stopped is not one.
    if (timer && timer->running_ && timer->OnTimer) {
      try {
        timer->OnTimer(timer);
      } catch (...) {
        Application().HandleException();
      }
    }
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}
