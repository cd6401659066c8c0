#include "EllipsisLabel.h"

void TEllipsisLabel::SetEllipsis(TEllipsis value) {
  if (value == ellipsis_) return;
  ellipsis_ = value;
  if (value != TEllipsis::elNone) SetAutoSize(false);
  Invalidate();
}

void TEllipsisLabel::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  if (!Transparent()) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(r);
  }
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  static const UINT ellipsis[] = {0, DT_END_ELLIPSIS, DT_PATH_ELLIPSIS};
  UINT flags = (WordWrap() ? DT_WORDBREAK : 0) | DT_EXPANDTABS | align[static_cast<int>(Alignment())] |
               ellipsis[static_cast<int>(ellipsis_)];
  if (Layout() != TTextLayout::tlTop) {
    RECT calc = r;
    DoDrawText(canvas, calc, flags | DT_CALCRECT);
    int shift = Height() - calc.bottom;
    if (Layout() == TTextLayout::tlCenter) shift /= 2;
    OffsetRect(&r, 0, shift);
  }
  DoDrawText(canvas, r, flags);
}

const TClassInfo& TEllipsisLabel::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TEllipsisLabel", &CustomLabelClassInfo(), Creator<TEllipsisLabel>());
    i.Prop("Ellipsis", &TEllipsisLabel::SetEllipsis);
    return i;
  }();
  return info;
}
