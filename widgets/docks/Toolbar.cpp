#include "Toolbar.h"

#include <algorithm>

#include "DockPaint.h"

namespace {
void Erase(std::vector<TControl*>& v, TControl* c) { v.erase(std::remove(v.begin(), v.end(), c), v.end()); }
}  // namespace

// ---- TCustomToolbar

TCustomToolbar::TCustomToolbar(TComponent* owner) : TCustomToolWindow(owner, {false, false, false}) { ArrangeBar(); }

TCustomToolbar::~TCustomToolbar() { destroying_ = true; }

void TCustomToolbar::ChildChanged(TControl* child, TChildChange change) {
  if (change == TChildChange::Inserted) {
    Erase(controlOrder_, child);
    controlOrder_.push_back(child);
  } else if (change == TChildChange::Removed) {
    Erase(controlOrder_, child);
    for (auto& g : controlGroups_) Erase(g.Controls, child);
  }
  TCustomToolWindow::ChildChanged(child, change);
}

std::vector<TControl*> TCustomToolbar::VisibleInOrder() const {
  std::vector<TControl*> v;
  for (TControl* c : controlOrder_)
    if (c->Visible() && c->Parent() == this) v.push_back(c);
  return v;
}

std::vector<TToolItem> TCustomToolbar::ItemsOf(const std::vector<TControl*>& controls) {
  std::vector<TToolItem> items;
  for (TControl* c : controls) {
    TToolItem item;
    item.Width = c->Width();
    item.Height = c->Height();
    if (auto* sep = dynamic_cast<TToolbarSep*>(c)) {
      item.Separator = true;
      item.SizeHorz = sep->SizeHorz();
      item.SizeVert = sep->SizeVert();
      item.Blank = sep->Blank();
    }
    items.push_back(item);
  }
  return items;
}

int TCustomToolbar::GetBarThickness(int axis) {
  std::vector<TControl*> children;
  for (int i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Visible()) children.push_back(Controls(i));
  return ToolbarThickness(ItemsOf(children), axis);
}

SIZE TCustomToolbar::LayOutControls(bool apply, TDock*, TDock* targetDock) {
  std::vector<TControl*> controls = VisibleInOrder();
  int cell = 0;
  if (targetDock && targetDock == DockedTo()) {
    targetDock->MeasureRows();
    cell = targetDock->RowThickness(DockRow(), this);
  }
  TToolbarLayout layout = LayOutToolbarItems(ItemsOf(controls), targetDock != nullptr,
                                             targetDock ? targetDock->DockAxis() : kAxisNone, floatRightX_, cell);
  if (apply) {
    controlGroups_.clear();
    for (const auto& g : layout.Groups) {
      TGroup group{g.Width, g.Height, {}};
      for (int k : g.Items) group.Controls.push_back(controls[static_cast<size_t>(k)]);
      controlGroups_.push_back(group);
    }
    wrapSeparators_ = layout.WrapSeparators;
    for (size_t i = 0; i < controls.size(); ++i) {
      const RECT& p = layout.Places[i];
      controls[i]->SetBounds(p.left, p.top, p.right - p.left, p.bottom - p.top);
    }
    Invalidate();
  }
  return layout.Client;
}

void TCustomToolbar::AfterLoad() {
  bool vertical = DockedTo() && DockedTo()->DockAxis() == kAxisVert;
  std::stable_sort(controlOrder_.begin(), controlOrder_.end(), [vertical](TControl* a, TControl* b) {
    return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
  });
}

void TCustomToolbar::ReadPositionData(const TPositionReadInt& readInteger) {
  floatRightX_ = readInteger(Name(), "FloatRightX", 0);
}

void TCustomToolbar::WritePositionData(const TPositionWriteInt& writeInteger) {
  writeInteger(Name(), "FloatRightX", floatRightX_);
}

TDropdownSide TCustomToolbar::DropdownSide() const {
  if (!Docked() || !DockedTo()) return TDropdownSide::dsBelow;
  switch (DockedTo()->Position()) {
    case TDockPosition::dpLeft: return TDropdownSide::dsRight;
    case TDockPosition::dpRight: return TDropdownSide::dsLeft;
    default: return TDropdownSide::dsBelow;
  }
}

void TCustomToolbar::BeginSizing(int hitCode) {
  sizeSteps_ = std::make_unique<TSizeSteps>();
  sizeSteps_->HitCode = hitCode;
  sizeSteps_->NewRightX = floatRightX_;
  RECT fin = FloatingInsets(FloatMetrics());
  sizeSteps_->Steps = BuildSizeSteps(ItemsOf(VisibleInOrder()), {fin.left + fin.right, fin.top + fin.bottom}, hitCode);
  sizeSteps_->SnapRange = SnapRangeFor(sizeSteps_->Steps, {Width(), Height()}, hitCode);
}

void TCustomToolbar::Sizing(POINT cursor, RECT& newRect, const RECT& pressBounds) {
  if (!sizeSteps_) return;
  ChooseSizeStep(*sizeSteps_, cursor, newRect, pressBounds, FloatMetrics().FrameWidth);
}

void TCustomToolbar::EndSizing(bool accepted) {
  if (accepted && sizeSteps_) floatRightX_ = sizeSteps_->NewRightX;
  sizeSteps_.reset();
}

void TCustomToolbar::Paint(TCanvas& canvas) {
  TCustomToolWindow::Paint(canvas);
  if (Docked()) return;
  HDC dc = canvas.Handle();
  int width = ClientWidth();
  for (const auto& w : wrapSeparators_) {
    if (w.Blank) continue;
    DrawLine(dc, GetSysColor(COLOR_BTNSHADOW), 1, w.LinePos - 4, width - 1, w.LinePos - 4);
    DrawLine(dc, GetSysColor(COLOR_BTNHIGHLIGHT), 1, w.LinePos - 3, width - 1, w.LinePos - 3);
  }
}

// ---- TToolbar

const TClassInfo& TToolbar::ClassInfo() {
  static const TClassInfo info("TToolbar", &ToolWindowClassInfo(), Creator<TToolbar>());
  return info;
}

// ---- TToolbarSep

TToolbarSep::TToolbarSep(TComponent* owner) : TGraphicControl(owner) {
  width_ = 6;
  height_ = 6;
}

void TToolbarSep::SetParent(TWinControl* parent) {
  if (parent && !dynamic_cast<TCustomToolbar*>(parent))
    throw EInvalidOperation("TToolbarSep can only be placed on a TToolbar");
  TGraphicControl::SetParent(parent);
}

void TToolbarSep::SetBlank(bool value) {
  if (value == blank_) return;
  blank_ = value;
  Invalidate();
}

void TToolbarSep::SetSize(int& field, int value) {
  if (value < 1) throw ERangeError("Separator size " + std::to_string(value) + " is out of range (1 and more)");
  if (value == field) return;
  field = value;
  if (auto* bar = dynamic_cast<TCustomToolbar*>(Parent())) bar->ArrangeBar();
}

void TToolbarSep::SetSizeHorz(int value) { SetSize(sizeHorz_, value); }
void TToolbarSep::SetSizeVert(int value) { SetSize(sizeVert_, value); }

void TToolbarSep::Paint(TCanvas& canvas) {
  auto* bar = dynamic_cast<TCustomToolbar*>(Parent());
  if (!bar || blank_) return;
  HDC dc = canvas.Handle();
  int w = Width(), h = Height();
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (bar->Docked() && bar->DockedTo() && bar->DockedTo()->DockAxis() == kAxisVert) {
    DrawLine(dc, shadow, 0, h / 2 - 1, w, h / 2 - 1);
    DrawLine(dc, highlight, 0, h / 2, w, h / 2);
  } else {
    DrawLine(dc, shadow, w / 2 - 1, 0, w / 2 - 1, h);
    DrawLine(dc, highlight, w / 2, 0, w / 2, h);
  }
}

void TToolbarSep::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft) return;
  if (auto* bar = dynamic_cast<TCustomToolbar*>(Parent())) bar->HandlePress(shift, x + Left(), y + Top());
}

const TClassInfo& TToolbarSep::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TToolbarSep", &GraphicControlClassInfo(), Creator<TToolbarSep>());
    i.Prop("Blank", &TToolbarSep::SetBlank);
    i.Prop("SizeHorz", &TToolbarSep::SetSizeHorz);
    i.Prop("SizeVert", &TToolbarSep::SetSizeVert);
    return i;
  }();
  return info;
}
