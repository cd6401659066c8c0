#include "FlatEdit.h"

#include "Gdi.h"

namespace {
void Frame(HDC dc, const RECT& r, int sysColor) { FrameRect(dc, &r, GetSysColorBrush(sysColor)); }
}  // namespace

void DrawHotFrame(HDC dc, RECT r) {
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  RECT left{r.left, r.top, r.left + 1, r.bottom - 1}, top{r.left, r.top, r.right - 1, r.top + 1};
  FillRect(dc, &left, GetSysColorBrush(COLOR_BTNFACE));
  FillRect(dc, &top, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_SUNKENINNER, BF_BOTTOMRIGHT);
  InflateRect(&r, -1, -1);
  Frame(dc, r, COLOR_WINDOW);
}

void ClipToRegion(HDC dc, HWND wnd, HRGN region) {
  if (!region || region == reinterpret_cast<HRGN>(1)) return;
  RECT wr;
  GetWindowRect(wnd, &wr);
  if (SelectClipRgn(dc, region) == ERROR) {
    TRegion whole(CreateRectRgnIndirect(&wr));
    SelectClipRgn(dc, whole.Get());
  }
  OffsetClipRgn(dc, -wr.left, -wr.top);
}

TFlatEdit::TFlatEdit(TComponent* owner) : TEdit(owner) { height_ = 19; }

void TFlatEdit::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(WS_BORDER);
  p.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

void TFlatEdit::HandleCreated() {
  TEdit::HandleCreated();
  // The window was subclassed after it was made: size its frame again.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFlatEdit::FitHeight() {
  TWindowDC screen(nullptr);
  TSelectGuard font(screen.Get(), Font().Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(screen.Get(), &tm);
  SetHeight(tm.tmHeight + 6);
}

void TFlatEdit::Loaded() {
  TEdit::Loaded();
  FitHeight();
}

bool TFlatEdit::DrawnHot() const {
  HWND h = HandleIfAllocated();
  if (!h) return false;
  HWND focus = GetFocus();
  if (focus == h) return true;
  return mouseIn_ && !dynamic_cast<TFlatEdit*>(FromHandle(focus));
}

void TFlatEdit::RedrawBorder(HRGN region) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  TWindowDC dc(h, TWindowDC::Window);
  ClipToRegion(dc.Get(), h, region);
  RECT wr;
  GetWindowRect(h, &wr);
  RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  if (DrawnHot()) {
    DrawHotFrame(dc.Get(), r);
    return;
  }
  Frame(dc.Get(), r, COLOR_BTNFACE);
  InflateRect(&r, -1, -1);
  Frame(dc.Get(), r, COLOR_BTNFACE);
  InflateRect(&r, -1, -1);
  Frame(dc.Get(), r, COLOR_WINDOW);
}

void TFlatEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      TEdit::WndProc(m);
      RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
      InflateRect(r, -3, -3);
      return;
    }
    case WM_NCPAINT:
      TEdit::WndProc(m);
      RedrawBorder(reinterpret_cast<HRGN>(m.WParam));
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TEdit::WndProc(m);
      RedrawBorder();
      return;
    // The 3-pixel border is part of the edit for the mouse: a move over it
    // makes the edit hot as one over the text does.
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (!mouseIn_) {
        mouseIn_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | (m.Msg == WM_NCMOUSEMOVE ? TME_NONCLIENT : 0u), Handle(), 0};
        TrackMouseEvent(&tme);
        RedrawBorder();
      }
      break;
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
      mouseIn_ = false;
      RedrawBorder();
      break;
    case CM_ENABLEDCHANGED:
      SetColor(Enabled() ? clWindow : clBtnFace);
      break;
    case CM_FONTCHANGED:
      TEdit::WndProc(m);
      if (!Loading()) FitHeight();
      return;
    default: break;
  }
  TEdit::WndProc(m);
}

const TClassInfo& TFlatEdit::ClassInfo() {
  static const TClassInfo info = [] {
    const TClassInfo* edit = FindClass("TEdit");
    TClassInfo i("TFlatEdit", edit ? edit : &WinControlClassInfo(), Creator<TFlatEdit>());
    return i;
  }();
  return info;
}
