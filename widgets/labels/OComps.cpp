#include "OComps.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "Description.h"
#include "Forms.h"
#include "Gdi.h"

namespace {
// The caption's accelerator in capitals ("&&" is a plain ampersand), or 0.
char CaptionAccel(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[++i] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i])));
  }
  return 0;
}
}  // namespace

std::string LedPictureName(TLEDType type, bool enabled, bool hover, bool pressed) {
  static const char* const suffix[] = {"RND", "3UP", "3DWN"};
  const char* state = !enabled ? "DIS" : !hover ? "OFF" : pressed ? "DOWN" : "ON";
  return std::string(state) + suffix[static_cast<int>(type)];
}

TOLabel::TOLabel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 100, 21);
  SetTabStop(true);
}

const TClassInfo& TOLabel::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TOLabel", &CustomControlClassInfo(), Creator<TOLabel>());
    i.Prop("Alignment", &TOLabel::SetAlignment);
    i.Prop("Cancel", &TOLabel::SetCancel);
    i.Prop("Default", &TOLabel::SetDefault);
    i.Prop("LedType", &TOLabel::SetLedType);
    i.Prop("MarginLeft", &TOLabel::SetMarginLeft);
    i.Prop("MarginRight", &TOLabel::SetMarginRight);
    i.Prop("TabSize", &TOLabel::SetTabSize);
    i.Prop("ModalResult", &TOLabel::SetModalResult);
    return i;
  }();
  return info;
}

void TOLabel::SetDefault(bool v) {
  default_ = v;
  if (HandleAllocated()) {
    if (TForm* form = ParentForm()) FocusChanged(form->ActiveControl());
  }
  Invalidate();
}

void TOLabel::SetLedType(TLEDType t) {
  if (t == ledType_) return;
  ledType_ = t;
  if (HandleAllocated()) RecreateWnd();
}

void TOLabel::SetMarginLeft(int v) {
  v = std::clamp(v, 0, 9);
  if (v != marginLeft_) { marginLeft_ = v; Invalidate(); }
}

void TOLabel::SetMarginRight(int v) {
  v = std::clamp(v, 0, 9);
  if (v != marginRight_) { marginRight_ = v; Invalidate(); }
}

void TOLabel::SetTabSize(int v) {
  v = std::clamp(v, 1, 8);
  if (v != tabSize_) { tabSize_ = v; Invalidate(); }
}

void TOLabel::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_TABSTOP;
}

void TOLabel::SetHover(bool v) {
  if (v == hover_) return;
  hover_ = v;
  Invalidate();
}

void TOLabel::Click() { TCustomControl::Click(); }

void TOLabel::FocusChanged(TWinControl* focused) {
  active_ = dynamic_cast<TOLabel*>(focused) ? focused == this : default_;
}

bool TOLabel::DialogChar(char ch) {
  char accel = CaptionAccel(Caption());
  if (!accel || accel != static_cast<char>(std::toupper(static_cast<unsigned char>(ch))) || !CanFocus()) return false;
  Click();
  return true;
}

bool TOLabel::DialogKey(WORD key) {
  bool shift = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  if (shift || !CanFocus()) return false;
  if ((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) {
    Click();
    return true;
  }
  return false;
}

void TOLabel::Paint(TCanvas& canvas) {
  if (!Visible()) return;
  RECT client = ClientRect();
  canvas.Brush.SetColor(Color());
  canvas.FillRect(client);

  // The LED picture of the type and state; its black pixels show the
  // control's colour. A missing picture leaves the place empty.
  if (TBitmapHandle led{static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), LedPicture().c_str(), IMAGE_BITMAP,
                                                        0, 0, LR_CREATEDIBSECTION))}) {
    BITMAP info{};
    GetObjectA(led.Get(), sizeof info, &info);
    TMemoryDC source(canvas.Handle());
    TSelectGuard select(source.Get(), led.Get());
    for (int y = 0; y < info.bmHeight; ++y)
      for (int x = 0; x < info.bmWidth; ++x)
        if (COLORREF c = GetPixel(source.Get(), x, y); c != RGB(0, 0, 0)) SetPixel(canvas.Handle(), x, y + 5, c);
  }

  canvas.Font.Assign(Font());
  if (!Enabled()) canvas.Font.SetColor(clGray);
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  canvas.Prepare();
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT a = align[static_cast<int>(alignment_)];
  DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), tabSize_, marginLeft_, marginRight_, 0};
  std::string text = Caption();
  RECT r{22, 5, client.right - 4, client.bottom - 5};
  DrawTextExA(canvas.Handle(), text.data(), static_cast<int>(text.size()), &r,
              DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT | DT_END_ELLIPSIS | DT_TABSTOP | a, &params);
  if (r.bottom + r.top > client.bottom) r.bottom = client.bottom - r.top;
  DrawTextExA(canvas.Handle(), text.data(), static_cast<int>(text.size()), &r,
              DT_WORDBREAK | DT_EXPANDTABS | DT_TABSTOP | DT_END_ELLIPSIS | a, &params);
  textRect_ = r;

  // Focus rectangle, or the background colour over an earlier one.
  RECT f{21, 5, r.right, r.bottom};
  InflateRect(&f, 2, 2);
  TColor penColor = focused_ ? clBlack : (Parent() ? Parent()->Color() : Color());
  LOGBRUSH lb{BS_SOLID, ColorToRGB(penColor), 0};
  TPenHandle dotted(ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr));
  TSelectGuard pen(canvas.Handle(), dotted.Get());
  TSelectGuard brush(canvas.Handle(), GetStockObject(NULL_BRUSH));
  Rectangle(canvas.Handle(), f.left, f.top, f.right, f.bottom);
}

void TOLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
      RECT c = ClientRect();
      if (!PtInRect(&c, p)) break;
      if (!mouseInside_) {
        // Entering: lit when enabled, and the event in any case.
        mouseInside_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&tme);
        if (Enabled()) SetHover(true);
        if (OnMouseEnter) OnMouseEnter(this);
      } else if (!hover_ && Enabled()) {
        SetHover(true);
      }
      break;
    }
    case WM_MOUSELEAVE:
      mouseInside_ = false;
      if (Enabled()) SetHover(false);
      if (OnMouseLeave) OnMouseLeave(this);
      m.Result = 0;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Enabled()) return;
      SetFocus();
      pressed_ = true;
      Invalidate();
      break;
    case WM_LBUTTONUP:
      if (!Enabled()) return;
      pressed_ = false;
      Invalidate();
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return;  // no focus and no mouse events for other buttons
    case WM_KEYDOWN:
      if (m.WParam == VK_RETURN || m.WParam == VK_SPACE) {
        hover_ = pressed_ = true;
        Invalidate();
      }
      break;
    case WM_KEYUP:
      if (m.WParam == VK_RETURN || m.WParam == VK_SPACE) {
        POINT p;
        GetCursorPos(&p);
        RECT w;
        GetWindowRect(Handle(), &w);
        hover_ = PtInRect(&w, p) != FALSE;
        pressed_ = false;
        Invalidate();
      }
      break;
    case WM_GETDLGCODE: m.Result = 0; return;
    case WM_SETFOCUS:
      focused_ = true;
      if (TForm* form = ParentForm()) OLabelsFocusChanged(form, this);
      Invalidate();
      break;
    case WM_KILLFOCUS:
      focused_ = false;
      Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
    case CM_TEXTCHANGED: Invalidate(); break;
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTFONTCHANGED:
      TCustomControl::WndProc(m);
      if (HandleAllocated()) RecreateWnd();
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

namespace {
void EachOLabel(TWinControl* parent, const std::function<void(TOLabel*)>& fn) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* o = dynamic_cast<TOLabel*>(c)) fn(o);
    if (auto* w = dynamic_cast<TWinControl*>(c)) EachOLabel(w, fn);
  }
}
}  // namespace

void OLabelsFocusChanged(TWinControl* form, TWinControl* focused) {
  EachOLabel(form, [focused](TOLabel* o) { o->FocusChanged(focused); });
}

bool OLabelsDialogChar(TWinControl* form, char ch) {
  bool used = false;
  if (form) EachOLabel(form, [&](TOLabel* o) {
      if (!used) used = o->DialogChar(ch);
    });
  return used;
}

bool OLabelsDialogKey(TWinControl* form, WORD key) {
  OLabelsFocusChanged(form, TWinControl::FromHandle(GetFocus()));
  bool used = false;
  EachOLabel(form, [&](TOLabel* o) {
    if (!used) used = o->DialogKey(key);
  });
  return used;
}
