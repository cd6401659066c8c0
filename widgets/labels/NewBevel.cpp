#include "NewBevel.h"

TNewBevel::TNewBevel(TComponent* owner) : TGraphicControl(owner) {
  width_ = 100;
  height_ = 100;
}

void TNewBevel::SetStyle(TNewDrawEdgeStyle value) {
  if (value == style_) return;
  style_ = value;
  Invalidate();
}

void TNewBevel::Paint(TCanvas& canvas) {
  struct TEdge {
    UINT edge, flags;
  };
  static const TEdge edges[] = {
      {EDGE_RAISED, BF_RECT},           {EDGE_SUNKEN, BF_RECT},
      {EDGE_RAISED, BF_RECT | BF_SOFT}, {EDGE_SUNKEN, BF_RECT | BF_SOFT},
      {BDR_RAISEDINNER, BF_RECT},       {BDR_SUNKENOUTER, BF_RECT},
  };
  const TEdge& e = edges[static_cast<int>(style_)];
  canvas.DrawEdge(ClientRect(), e.edge, e.flags);
}

const TClassInfo& TNewBevel::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TNewBevel", &GraphicControlClassInfo(), Creator<TNewBevel>());
    i.Prop("Style", &TNewBevel::SetStyle);
    return i;
  }();
  return info;
}
