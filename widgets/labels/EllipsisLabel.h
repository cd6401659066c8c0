// A label that shortens text that does not fit with an ellipsis, at its
// end or inside a path. Register with RegisterClass(TEllipsisLabel::ClassInfo()).
#pragma once
#include "Description.h"
#include "StdCtrls.h"

enum class TEllipsis { elNone, elEnd, elPath };
TZ_ENUM_NAMES(TEllipsis, "elNone", "elEnd", "elPath")

class TEllipsisLabel : public TCustomLabel {
public:
  explicit TEllipsisLabel(TComponent* owner) : TCustomLabel(owner) {}
  TEllipsis Ellipsis() const { return ellipsis_; }
  // Any ellipsis turns AutoSize off: the label keeps its width.
  void SetEllipsis(TEllipsis value);
  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas& canvas) override;

private:
  TEllipsis ellipsis_ = TEllipsis::elNone;
};
