#include "LinkLabel.h"

#include <algorithm>

#include "Description.h"
#include "Forms.h"
#include "Platform.h"
#include "Seam.h"

const char* URLPrefix(TURLType type) {
  static const char* const prefixes[] = {"file://", "ftp://",  "gopher://", "http://", "https://",
                                         "mailto:", "news:",   "telnet:",   "wais:"};
  return prefixes[static_cast<int>(type)];
}

int DrawShadowText(TCanvas& canvas, const std::string& text, RECT& r, UINT flags, TShadowPosition pos,
                   TColor shadowColor, int size) {
  RECT textRect = r, shadowRect = r;
  switch (pos) {
    case TShadowPosition::spLeftTop: OffsetRect(&textRect, size, size); break;
    case TShadowPosition::spLeftBottom:
      OffsetRect(&textRect, size, 0);
      OffsetRect(&shadowRect, 0, size);
      break;
    case TShadowPosition::spRightBottom: OffsetRect(&shadowRect, size, size); break;
    case TShadowPosition::spRightTop:
      OffsetRect(&textRect, 0, size);
      OffsetRect(&shadowRect, size, 0);
      break;
  }
  TColor textColor = canvas.Font.Color();
  canvas.Font.SetColor(shadowColor);
  int height = canvas.DrawText(text, shadowRect, flags);
  if (height > 0) height += size;
  canvas.Font.SetColor(textColor);
  canvas.DrawText(text, textRect, flags);
  UnionRect(&r, &textRect, &shadowRect);
  return height;
}

TLinkLabel::TLinkLabel(TComponent* owner) : TCustomLabel(owner) {
  SetTransparent(true);
  SetBounds(0, 0, 65, 17);
  SetCursor(TCursor::crHandPoint);
}

const TClassInfo& TLinkLabel::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TLinkLabel", &CustomLabelClassInfo(), Creator<TLinkLabel>());
    i.Prop("ShadowColor", &TLinkLabel::SetShadowColor);
    i.Prop("ShadowSize", &TLinkLabel::SetShadowSize);
    i.Prop("ShadowPos", &TLinkLabel::SetShadowPos);
    i.Prop("ShowFocus", &TLinkLabel::SetShowFocus);
    i.Prop("LinkColor", &TLinkLabel::SetLinkColor);
    i.Prop("URLEnabled", &TLinkLabel::SetURLEnabled);
    i.Prop("URLTypeAdd", &TLinkLabel::SetURLTypeAdd);
    i.Prop("URLType", &TLinkLabel::SetURLType);
    return i;
  }();
  return info;
}

void TLinkLabel::SetShadowSize(int s) {
  s = std::clamp(s, 0, 255);
  if (s == shadowSize_) return;
  shadowSize_ = s;
  AdjustSize();
  Invalidate();
}

std::string TLinkLabel::Target() const {
  std::string caption = Caption();
  if (caption.empty() || !URLEnabled) return {};
  return URLTypeAdd ? URLPrefix(URLType) + caption : caption;
}

bool TLinkLabel::OpenURL() {
  std::string target = Target();
  if (target.empty()) return false;
  TForm* main = Application().MainForm();
  HWND owner = main ? main->HandleIfAllocated() : nullptr;
  return Seam().Shell(owner, "", target, "", "", SW_SHOWNOACTIVATE) > 32;
}

void TLinkLabel::Click() {
  TCustomLabel::Click();
  OpenURL();
  Invalidate();
}

void TLinkLabel::DoDrawText(TCanvas& canvas, RECT& r, UINT flags) {
  std::string text = Caption();
  if ((flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == "&"))) text += ' ';
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  canvas.Font.Assign(Font());
  TColor shadow = shadowColor_;
  TShadowPosition pos = shadowPos_;
  int size = shadowSize_;
  if (!Enabled()) {
    canvas.Font.SetColor(clGrayText);
    shadow = clBtnHighlight;
    // The embossed look of a disabled label on the new shell.
    if (size == 0 && NewShell()) {
      size = 1;
      pos = TShadowPosition::spRightBottom;
    }
  }
  DrawShadowText(canvas, text, r, flags, pos, shadow, size);
}

void TLinkLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
      savedColor_ = Font().Color();
      Font().SetColor(LinkColor);
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      Font().SetColor(savedColor_);
      Invalidate();
      break;
    default: break;
  }
  TCustomLabel::WndProc(m);
}
