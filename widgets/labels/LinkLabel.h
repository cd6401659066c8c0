// A label that draws its caption with a shadow, takes a highlight colour
// while the mouse is over it, and opens its caption with a scheme prefix.
#pragma once
#include <string>

#include "StdCtrls.h"

class TClassInfo;

enum class TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
TZ_ENUM_NAMES(TShadowPosition, "spLeftTop", "spLeftBottom", "spRightBottom", "spRightTop")
enum class TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais };
TZ_ENUM_NAMES(TURLType, "utFile", "utFtp", "utGopher", "utHttp", "utHttps", "utMailto", "utNews", "utTelnet", "utWais")

// "file://", "ftp://", ... "mailto:", ... by type.
const char* URLPrefix(TURLType type);

// Draws `text` and its shadow; `r` becomes the union of the two rectangles.
// Returns the shadow's height plus `size` (0 or less passed on unchanged).
int DrawShadowText(TCanvas& canvas, const std::string& text, RECT& r, UINT flags, TShadowPosition pos,
                   TColor shadowColor, int size);

class TLinkLabel : public TCustomLabel {
public:
  explicit TLinkLabel(TComponent* owner);
  static const TClassInfo& ClassInfo();

  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor c) { if (c != shadowColor_) { shadowColor_ = c; Invalidate(); } }
  int ShadowSize() const { return shadowSize_; }
  void SetShadowSize(int s);
  TShadowPosition ShadowPos() const { return shadowPos_; }
  void SetShadowPos(TShadowPosition p) { if (p != shadowPos_) { shadowPos_ = p; Invalidate(); } }
  bool ShowFocus() const { return showFocus_; }
  void SetShowFocus(bool v) { if (v != showFocus_) { showFocus_ = v; Invalidate(); } }

  TColor LinkColor = clBlue;
  bool URLEnabled = true;
  bool URLTypeAdd = true;
  TURLType URLType = TURLType::utMailto;
  void SetLinkColor(TColor c) { LinkColor = c; }
  void SetURLEnabled(bool v) { URLEnabled = v; }
  void SetURLTypeAdd(bool v) { URLTypeAdd = v; }
  void SetURLType(TURLType t) { URLType = t; }

  // The address a click opens ("" when nothing is opened).
  std::string Target() const;
  // Opens the target through the shell; true when that succeeded. The
  // target is passed whole, however long.
  bool OpenURL();
  void Click() override;

protected:
  void DoDrawText(TCanvas& canvas, RECT& r, UINT flags) override;
  void WndProc(TMessage& m) override;

private:
  TColor shadowColor_ = clBtnHighlight;
  int shadowSize_ = 1;
  TShadowPosition shadowPos_ = TShadowPosition::spLeftTop;
  bool showFocus_ = false;
  TColor savedColor_ = clBlue;
};
