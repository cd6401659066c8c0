#include "Dock.h"

#include <algorithm>

#include "Forms.h"
#include "Gdi.h"
#include "Guards.h"
#include "DockPaint.h"
#include "ToolWindow.h"

TDock::TDock(TComponent* owner) : TCustomControl(owner) {
  if (!dynamic_cast<TForm*>(owner)) throw EInvalidOperation("TDock must be owned by a form");
  {
    TArrangeHold hold(this);
    SetPosition(TDockPosition::dpTop);
    SetColor(clBtnFace);
  }
  LayOutBars();
}

TDock::~TDock() {
  destroying_ = true;
  // The bars leave while this is still a whole dock.
  while (ControlCount() > 0) Controls(ControlCount() - 1)->SetParent(nullptr);
}

void TDock::SetParent(TWinControl* parent) {
  if (dynamic_cast<TCustomToolWindow*>(parent) || dynamic_cast<TDock*>(parent))
    throw EInvalidOperation("A TDock control cannot be placed inside a tool window or another TDock");
  TCustomControl::SetParent(parent);
}

void TDock::SetVisible(bool visible) {
  if (!visible && Visible()) throw EInvalidOperation("Cannot hide a TDock");
  TCustomControl::SetVisible(visible);
}

void TDock::SetPosition(TDockPosition value) {
  if (value != position_ && ControlCount() > 0)
    throw EInvalidOperation("Cannot change Position of a TDock if it already contains controls");
  position_ = value;
  static const TAlign aligns[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
  SetAlign(aligns[static_cast<int>(value)]);
}

void TDock::SetAllowDrag(bool value) {
  if (value == allowDrag_) return;
  allowDrag_ = value;
  {
    // The handles come or go: new frames, and bars that fit them.
    TArrangeHold hold(this);
    for (int i = 0; i < ControlCount(); ++i) {
      auto* bar = dynamic_cast<TCustomToolWindow*>(Controls(i));
      if (!bar) continue;
      if (bar->HandleAllocated())
        SetWindowPos(bar->HandleIfAllocated(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      bar->ArrangeBar();
    }
  }
  LayOutBars();
}

void TDock::SetBackgroundOnToolbars(bool value) {
  if (value == backgroundOnToolbars_) return;
  backgroundOnToolbars_ = value;
  RepaintBackgrounds();
}

void TDock::SetBackgroundTransparent(bool value) {
  if (value == backgroundTransparent_) return;
  backgroundTransparent_ = value;
  if (HasBackground()) BackgroundModified();
}

bool TDock::LoadBackground(const std::vector<uint8_t>& bmpBytes) {
  bool ok = background_.LoadFromBytes(bmpBytes);
  BackgroundModified();
  return ok;
}

void TDock::SetBoundLines(TDockBoundLines value) {
  if (value == boundLines_) return;
  boundLines_ = value;
  if (HWND h = HandleIfAllocated())
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayOutBars();
}

void TDock::SetFixAlign(bool value) {
  if (value == fixAlign_) return;
  fixAlign_ = value;
  LayOutBars();
}

void TDock::SetLimitToOneRow(bool value) {
  if (value == limitToOneRow_) return;
  limitToOneRow_ = value;
  LayOutBars();
}

RECT TDock::BoundLineInsets(int width, int height) const {
  RECT r{0, 0, 0, 0};
  if (width < 2 || height < 2) return r;
  if (boundLines_.Has(TDockBoundLine::blLeft)) r.left = 1;
  if (boundLines_.Has(TDockBoundLine::blTop)) r.top = 1;
  if (boundLines_.Has(TDockBoundLine::blRight)) r.right = 1;
  if (boundLines_.Has(TDockBoundLine::blBottom)) r.bottom = 1;
  return r;
}

RECT TDock::ClientRect() const {
  if (HandleAllocated()) return TCustomControl::ClientRect();
  RECT in = BoundLineInsets(width_, height_);
  return {0, 0, std::max<int>(width_ - in.left - in.right, 0), std::max<int>(height_ - in.top - in.bottom, 0)};
}

// ---- The bar list and the rows

// The form is freeing its components: no layout, no events.
bool TDock::FormClosingDown() const {
  auto* form = dynamic_cast<TForm*>(Owner());
  return form && form->Destroying();
}

void TDock::UpdateBarList(bool inserting, TCustomToolWindow* bar, bool counts) {
  if (Destroying()) return;
  auto it = std::find(bars_.begin(), bars_.end(), bar);
  bool wasListed = it != bars_.end();
  if (wasListed) bars_.erase(it);
  bool listed = inserting && counts;
  if (listed) bars_.push_back(bar);
  if (!listed && !wasListed) return;
  // A bar listed again still gets a fresh layout: its place in the list
  // moved and its size may have changed meanwhile.
  LayOutBars();
  bar->ArrangeBar();
  if (listed != wasListed && OnInsertRemoveBar && !FormClosingDown()) OnInsertRemoveBar(this, listed, bar);
}

int TDock::LastRowIndex() const {
  int last = -1;
  for (auto* b : bars_) last = std::max(last, b->DockRow());
  return last;
}

void TDock::MeasureRows() {
  std::vector<TDockSlot> slots;
  for (auto* b : bars_) {
    TDockSlot s;
    s.Row = b->DockRow();
    s.Thickness = b->GetBarThickness(DockAxis());
    slots.push_back(s);
  }
  rowExtents_ = MeasureDockRows(slots);
}

int TDock::RowThickness(int row, TCustomToolWindow* bar) const {
  if (row >= 0 && row < static_cast<int>(rowExtents_.size())) return rowExtents_[static_cast<size_t>(row)];
  return bar ? bar->GetBarThickness(DockAxis()) : 0;
}

TDropRow TDock::RowForDrop(int offset) const {
  std::vector<int> rows;
  for (int i = 0; i <= LastRowIndex(); ++i) rows.push_back(RowThickness(i, nullptr));
  return ::RowForDrop(rows, offset);
}

int TDock::RowAtOffset(int offset) const {
  std::vector<int> rows;
  for (int i = 0; i <= LastRowIndex(); ++i) rows.push_back(RowThickness(i, nullptr));
  return ::RowAtOffset(rows, offset);
}

void TDock::OpenRowAt(int row) {
  for (auto* b : bars_)
    if (b->dockRow_ >= row) ++b->dockRow_;
}

int TDock::CountBarsInRow(int row, const TCustomToolWindow* exceptBar) const {
  return static_cast<int>(std::count_if(bars_.begin(), bars_.end(),
                                        [&](TCustomToolWindow* b) { return b != exceptBar && b->DockRow() == row; }));
}

void TDock::LayOutBars() {
  if (arrangeLock_ > 0 || Loading() || Destroying() || arranging_ || FormClosingDown()) return;
  TFlagGuard busy(arranging_);
  if (HWND h = HandleIfAllocated())
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  if (bars_.empty()) {
    rowExtents_.clear();
    FitDockSize(-1);
    return;
  }
  const int axis = DockAxis();
  const bool horz = axis == kAxisHorz;
  std::vector<TDockSlot> slots;
  for (size_t i = 0; i < bars_.size(); ++i) {
    TCustomToolWindow* b = bars_[i];
    TDockSlot s;
    s.Row = b->dockRow_;
    s.Pos = b->dockPos_;
    s.Length = horz ? b->Width() : b->Height();
    s.Thickness = b->GetBarThickness(axis);
    s.FullSize = b->FullSize();
    s.Id = static_cast<int>(i);
    slots.push_back(s);
  }
  RECT client = ClientRect();
  int length = horz ? client.right - client.left : client.bottom - client.top;
  TDockArrangement a = ArrangeDockRows(slots, length, limitToOneRow_);
  rowExtents_ = a.RowExtents;

  std::vector<TCustomToolWindow*> sorted;
  for (const auto& s : slots) {
    TCustomToolWindow* b = bars_[static_cast<size_t>(s.Id)];
    sorted.push_back(b);
    b->dockRow_ = s.Row;
    b->dockPos_ = s.Pos;
  }
  bars_ = sorted;
  for (size_t i = 0; i < slots.size(); ++i) {
    const TDockSlot& s = slots[i];
    TCustomToolWindow* b = bars_[i];
    TCounterHold hold(b->boundsLock_);
    if (horz) b->SetBounds(s.Pos, s.Across, s.PlacedLength, s.Size);
    else b->SetBounds(s.Across, s.Pos, s.Size, s.PlacedLength);
  }
  FitDockSize(a.Thickness);
}

// The dock's thickness across follows its rows; the edge it is aligned to
// stays where it is.
void TDock::FitDockSize(int clientThickness) {
  const bool horz = DockAxis() == kAxisHorz;
  int outer;
  if (clientThickness < 0) {
    outer = fixAlign_ ? 1 : 0;
  } else {
    RECT in = horz ? BoundLineInsets(std::max(width_, 2), clientThickness + 2)
                   : BoundLineInsets(clientThickness + 2, std::max(height_, 2));
    outer = clientThickness + (horz ? in.top + in.bottom : in.left + in.right);
  }
  int l = left_, t = top_, w = width_, h = height_;
  switch (Align()) {
    case TAlign::alTop: h = outer; break;
    case TAlign::alBottom: t = top_ + height_ - outer; h = outer; break;
    case TAlign::alLeft: w = outer; break;
    case TAlign::alRight: l = left_ + width_ - outer; w = outer; break;
    default: return;
  }
  SetBounds(l, t, w, h);
}

void TDock::Loaded() {
  TCustomControl::Loaded();
  LayOutBars();
}

void TDock::Resize() {
  LayOutBars();
  TCustomControl::Resize();
}

// A bar removed or resized by anything but this dock's own arrangement.
void TDock::ChildChanged(TControl* child, TChildChange change) {
  TCustomControl::ChildChanged(child, change);
  if (change == TChildChange::Removed || change == TChildChange::Bounds) LayOutBars();
}

// ---- Background

POINT TDock::BackgroundAnchor() const {
  RECT in = BoundLineInsets(width_, height_);
  return {left_ + in.left, top_ + in.top};
}

const TBitmap& TDock::TileSource() {
  if (!backgroundTransparent_) return background_;
  if (!transparentCopy_) {
    int w = background_.Width(), h = background_.Height();
    transparentCopy_ = std::make_unique<TBitmap>(w, h);
    TCanvas& c = transparentCopy_->Canvas();
    c.Brush.SetColor(Color());
    c.FillRect({0, 0, w, h});
    COLORREF key = background_.Pixel(0, h - 1);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (COLORREF p = background_.Pixel(x, y); p != key) SetPixelV(transparentCopy_->DC(), x, y, p);
  }
  return *transparentCopy_;
}

void TDock::PaintTiledBackground(HDC dc, const RECT& clip, const RECT& tile, const RECT* exclude) {
  if (!HasBackground()) return;
  const TBitmap& source = TileSource();
  int bw = source.Width(), bh = source.Height();
  TSaveDC save(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  if (exclude) ExcludeClipRect(dc, exclude->left, exclude->top, exclude->right, exclude->bottom);
  // Start at the first tile that reaches into the clip rectangle.
  int x0 = tile.left, y0 = tile.top;
  if (clip.left > x0) x0 += (clip.left - x0) / bw * bw;
  if (clip.top > y0) y0 += (clip.top - y0) / bh * bh;
  int xEnd = std::min(tile.right, clip.right), yEnd = std::min(tile.bottom, clip.bottom);
  for (int y = y0; y < yEnd; y += bh)
    for (int x = x0; x < xEnd; x += bw) BitBlt(dc, x, y, bw, bh, source.DC(), 0, 0, SRCCOPY);
}

void TDock::BackgroundModified() {
  transparentCopy_.reset();
  RepaintBackgrounds();
}

void TDock::RepaintBackgrounds() {
  Invalidate();
  for (auto* b : bars_) {
    b->Invalidate();
    b->PostRedrawDockedFrame();
  }
}

void TDock::Paint(TCanvas& canvas) {
  if (!HasBackground()) return;
  RECT client = ClientRect();
  POINT a = BackgroundAnchor();
  RECT tile{-a.x, -a.y, client.right, client.bottom};
  PaintTiledBackground(canvas.Handle(), client, tile, nullptr);
}

// ---- Bound lines

void TDock::PaintBoundLines(HRGN updateRegion) {
  TNonClientDC dc(HandleIfAllocated(), updateRegion);
  int w = dc.Width(), ht = dc.Height();
  if (w < 2 || ht < 2 || boundLines_.Empty()) return;
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (boundLines_.Has(TDockBoundLine::blTop)) DrawLine(dc.Get(), shadow, 0, 0, w, 0);
  if (boundLines_.Has(TDockBoundLine::blLeft)) DrawLine(dc.Get(), shadow, 0, 0, 0, ht);
  if (boundLines_.Has(TDockBoundLine::blBottom)) DrawLine(dc.Get(), highlight, 0, ht - 1, w, ht - 1);
  if (boundLines_.Has(TDockBoundLine::blRight)) DrawLine(dc.Get(), highlight, w - 1, 0, w - 1, ht);
}

void TDock::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      DefaultHandler(m);
      RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
      RECT in = BoundLineInsets(r->right - r->left, r->bottom - r->top);
      r->left += in.left;
      r->top += in.top;
      r->right -= in.right;
      r->bottom -= in.bottom;
      return;
    }
    case WM_NCPAINT:
      PaintBoundLines(reinterpret_cast<HRGN>(m.WParam));
      m.Result = 0;
      return;
    case WM_MOVE:
      TCustomControl::WndProc(m);
      if (HasBackground()) RepaintBackgrounds();
      return;
    case CM_COLORCHANGED:
    case CM_SYSCOLORCHANGE:
    case WM_SYSCOLORCHANGE:
      TCustomControl::WndProc(m);
      if (HasBackground()) BackgroundModified();
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

// ---- Description

const TClassInfo& TDock::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TDock", &CustomControlClassInfo(), Creator<TDock>());
    i.Prop("AllowDrag", &TDock::SetAllowDrag);
    i.PropFn<TDock>("Background", [](TDock& d, const TDescValue& v) {
      if (!d.LoadBackground(ConvertValue<std::vector<uint8_t>>(v))) throw EDescriptionError("not a bitmap");
    });
    i.Prop("BackgroundOnToolbars", &TDock::SetBackgroundOnToolbars);
    i.Prop("BackgroundTransparent", &TDock::SetBackgroundTransparent);
    i.Prop("BoundLines", &TDock::SetBoundLines);
    i.Prop("FixAlign", &TDock::SetFixAlign);
    i.Prop("LimitToOneRow", &TDock::SetLimitToOneRow);
    i.Prop("Position", &TDock::SetPosition);
    i.Event("OnInsertRemoveBar", &TDock::OnInsertRemoveBar);
    i.Event("OnRequestDock", &TDock::OnRequestDock);
    return i;
  }();
  return info;
}
