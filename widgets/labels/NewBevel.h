// A frame drawn with the system's edge drawing in one of six styles; it
// paints nothing inside, so what lies behind shows through.
// Register with RegisterClass(TNewBevel::ClassInfo()).
#pragma once
#include "Controls.h"
#include "Description.h"

enum class TNewDrawEdgeStyle { deRaised, deSunken, deSoftRaised, deSoftSunken, deThinRaised, deThinSunken };
TZ_ENUM_NAMES(TNewDrawEdgeStyle, "deRaised", "deSunken", "deSoftRaised", "deSoftSunken", "deThinRaised",
              "deThinSunken")

class TNewBevel : public TGraphicControl {
public:
  explicit TNewBevel(TComponent* owner);
  TNewDrawEdgeStyle Style() const { return style_; }
  void SetStyle(TNewDrawEdgeStyle value);
  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas& canvas) override;

private:
  TNewDrawEdgeStyle style_ = TNewDrawEdgeStyle::deSunken;
};
