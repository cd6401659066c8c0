#include "OButton.h"

#include <windowsx.h>

#include <functional>

#include "Forms.h"
#include "Gdi.h"
#include "ToolKit.h"

namespace {
void EachOButton(TWinControl* parent, const std::function<void(TOButton*)>& fn) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* o = dynamic_cast<TOButton*>(c)) fn(o);
    if (auto* w = dynamic_cast<TWinControl*>(c)) EachOButton(w, fn);
  }
}

// Draws a resource picture with black as the transparent colour.
void DrawLed(HDC dc, const char* name, int x, int y, int& height) {
  TBitmapHandle bmp(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  height = 0;
  if (!bmp) return;
  BITMAP info{};
  GetObjectA(bmp.Get(), sizeof info, &info);
  height = info.bmHeight;
  TMemoryDC source(dc);
  TSelectGuard select(source.Get(), bmp.Get());
  for (int py = 0; py < info.bmHeight; ++py)
    for (int px = 0; px < info.bmWidth; ++px) {
      COLORREF c = GetPixel(source.Get(), px, py);
      if (c != RGB(0, 0, 0)) SetPixel(dc, x + px, y + py, c);
    }
}

SIZE PictureSize(const char* name) {
  TBitmapHandle bmp(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, 0)));
  BITMAP info{};
  if (bmp) GetObjectA(bmp.Get(), sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}
}  // namespace

TOButton::TOButton(TComponent* owner) : TCustomControl(owner) {
  width_ = 85;
  height_ = 23;
  SetTabStop(true);
}

const char* TOButton::LedPicture() const {
  if (!Enabled()) return "DISABLED";
  if (!hot_) return "OFF";
  return pressed_ ? "DOWN" : "ON";
}

void TOButton::SetActiveBorderColor(TColor c) {
  activeBorderColor_ = c;
  Invalidate();
}

void TOButton::SetBorderColor(TColor c) {
  borderColor_ = c;
  Invalidate();
}

void TOButton::SetRoundSize(int v) {
  if (v == roundSize_) return;
  roundSize_ = v;
  Invalidate();
}

void TOButton::SetDefault(bool v) {
  default_ = v;
  if (HandleAllocated())
    if (TForm* form = ParentForm()) OButtonsFocusChanged(form, form->ActiveControl());
  Invalidate();
}

void TOButton::SetButtonStyle(bool isDefault) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
  bool now = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (now == isDefault) return;
  style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  SetWindowLongPtrA(h, GWL_STYLE, style);
  Invalidate();
}

void TOButton::FocusChanged(TWinControl* focused) {
  active_ = dynamic_cast<TOButton*>(focused) ? focused == this : default_;
  SetButtonStyle(active_);
}

bool TOButton::DialogKey(WORD key) {
  bool shift = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  if (shift || !CanFocus()) return false;
  if ((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) {
    Click();
    return true;
  }
  return false;
}

bool TOButton::DialogChar(char ch) {
  char accel = AccelChar(Caption());
  if (!accel || accel != static_cast<char>(std::toupper(static_cast<unsigned char>(ch))) || !CanFocus()) return false;
  Click();
  return true;
}

void TOButton::SetHot(bool v) {
  if (v == hot_) return;
  hot_ = v;
  Invalidate();
}

void TOButton::Paint(TCanvas& canvas) {
  if (!Visible()) return;
  HDC dc = canvas.Handle();
  const int w = ClientWidth(), h = ClientHeight();
  TColor border = hot_ ? activeBorderColor_ : borderColor_;
  {
    TPenHandle pen(CreatePen(PS_INSIDEFRAME, hot_ ? 2 : 1, ColorToRGB(border)));
    TBrushHandle face(CreateSolidBrush(ColorToRGB(Color())));
    TSelectGuard p(dc, pen.Get()), b(dc, face.Get());
    RoundRect(dc, 0, 0, w, h, roundSize_, roundSize_);
  }
  if (!ParentColor() && Parent()) {
    // Only seeds outside the rounded outline are filled: with small corners
    // they lie on the face, which must keep its colour.
    TRegion inside(CreateRoundRectRgn(0, 0, w + 1, h + 1, roundSize_, roundSize_));
    TBrushHandle back(CreateSolidBrush(ColorToRGB(Parent()->Color())));
    TSelectGuard b(dc, back.Get());
    const POINT seeds[] = {{1, 1}, {1, h - 1}, {w - 1, 1}, {w - 1, h - 1}};
    for (POINT s : seeds) {
      if (PtInRegion(inside.Get(), s.x, s.y) || GetPixel(dc, s.x, s.y) == ColorToRGB(border)) continue;
      ExtFloodFill(dc, s.x, s.y, ColorToRGB(border), FLOODFILLBORDER);
    }
  }
  const bool down = hot_ && pressed_;
  const char* led = LedPicture();
  SIZE ledSize = PictureSize(led);
  int ledHeight = 0;
  DrawLed(dc, led, 5 + (down ? 1 : 0), (h - ledSize.cy) / 2 + (down ? 1 : 0), ledHeight);

  canvas.Font.Assign(Font());
  if (default_) canvas.Font.SetStyle(canvas.Font.Style() + TFontStyles{TFontStyle::fsBold});
  std::string text = Caption();
  int ampWidth = text.find('&') != std::string::npos ? canvas.TextWidth("&") : 0;
  SIZE extent = canvas.TextExtent(text);
  int textWidth = extent.cx - ampWidth, textHeight = extent.cy;
  if (focused_) {
    int fw = textWidth + 6, fh = textHeight + 2;
    RECT f{(w - fw) / 2, (h - fh) / 2, (w - fw) / 2 + fw, (h - fh) / 2 + fh};
    DrawFocusRect(dc, &f);
  }
  if (!Enabled()) canvas.Font.SetColor(clGray);
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  int left = (w - textWidth) / 2, top = (h - textHeight) / 2;
  RECT box{left, top, w - left, h};
  if (down) OffsetRect(&box, 1, 1);
  canvas.DrawText(text, box, DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void TOButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
      RECT c = ClientRect();
      if (!tracking_) {
        tracking_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&tme);
        if (Enabled()) SetHot(true);
        if (OnMouseEnter) OnMouseEnter(this, m);
      }
      if (!hot_ && Enabled() && PtInRect(&c, p)) SetHot(true);
      break;
    }
    case CM_MOUSELEAVE:
      tracking_ = false;
      if (Enabled()) SetHot(false);
      if (OnMouseLeave) OnMouseLeave(this, m);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Enabled()) return;
      if (CanFocus()) SetFocus();
      pressed_ = true;
      SetCapture(Handle());
      Invalidate();
      break;
    case WM_LBUTTONUP:
      if (!Enabled()) return;
      pressed_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      Invalidate();
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return;
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        hot_ = pressed_ = true;
        Invalidate();
      }
      break;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        POINT p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        RECT c = ClientRect();
        hot_ = PtInRect(&c, p) != FALSE;
        pressed_ = false;
        Invalidate();
        TCustomControl::WndProc(m);
        Click();
        return;
      }
      break;
    case WM_GETDLGCODE: m.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON); return;
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) {
        Click();
        return;
      }
      break;
    case WM_SETFOCUS:
      focused_ = true;
      if (TForm* form = ParentForm()) OButtonsFocusChanged(form, this);
      Invalidate();
      break;
    case WM_KILLFOCUS:
      focused_ = false;
      Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED: Invalidate(); break;
    case CM_TEXTCHANGED:
      if (HWND h = HandleIfAllocated()) InvalidateRect(h, nullptr, TRUE);
      break;
    case CM_PARENTCOLORCHANGED:
      TCustomControl::WndProc(m);
      if (HandleAllocated()) RecreateWnd();
      return;
    default: break;
  }
  TCustomControl::WndProc(m);
}

void OButtonsFocusChanged(TWinControl* root, TWinControl* focused) {
  if (root) EachOButton(root, [focused](TOButton* o) { o->FocusChanged(focused); });
}

bool OButtonsDialogKey(TWinControl* root, WORD key) {
  if (!root) return false;
  OButtonsFocusChanged(root, TWinControl::FromHandle(GetFocus()));
  bool used = false;
  EachOButton(root, [&](TOButton* o) {
    if (!used) used = o->DialogKey(key);
  });
  return used;
}

bool OButtonsDialogChar(TWinControl* root, char ch) {
  if (!root) return false;
  bool used = false;
  EachOButton(root, [&](TOButton* o) {
    if (!used) used = o->DialogChar(ch);
  });
  return used;
}

const TClassInfo& TOButton::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TOButton", &CustomControlClassInfo(), Creator<TOButton>());
    i.Prop("ActiveBorderColor", &TOButton::SetActiveBorderColor);
    i.Prop("BorderColor", &TOButton::SetBorderColor);
    i.Prop("RoundSize", &TOButton::SetRoundSize);
    i.Prop("Default", &TOButton::SetDefault);
    i.Prop("Cancel", &TOButton::SetCancel);
    i.Prop("ModalResult", &TOButton::SetModalResult);
    i.Event("OnMouseEnter", &TOButton::OnMouseEnter);
    i.Event("OnMouseLeave", &TOButton::OnMouseLeave);
    return i;
  }();
  return info;
}
