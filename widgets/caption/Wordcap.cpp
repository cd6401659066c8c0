#include "Wordcap.h"

#include <algorithm>

#include "Gdi.h"
#include "Platform.h"

namespace {
const char kCaptionProp[] = "TZGradientCaption";

// Caption bars alive now: a posted pointer is only used when it is one.
// Never freed: caption bars go with their forms at program end.
std::vector<TGradientCaption*>& LiveBars() {
  static auto* bars = new std::vector<TGradientCaption*>;
  return *bars;
}

int CharHeight(const TFont& font) {
  TWindowDC screen(nullptr);
  TSelectGuard select(screen.Get(), font.Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(screen.Get(), &tm);
  return tm.tmHeight - tm.tmInternalLeading;
}

bool IsToolWindow(TFormBorderStyle s) {
  return s == TFormBorderStyle::bsToolWindow || s == TFormBorderStyle::bsSizeToolWin;
}

bool SingleOrSizeable(TFormBorderStyle s) {
  return s == TFormBorderStyle::bsSingle || s == TFormBorderStyle::bsSizeable;
}
}  // namespace

// TCompanyText

TCompanyText::TCompanyText(TGradientCaption* owner) : owner_(owner) {
  font_.Assign(owner->SystemCaptionFont());
  font_.OnChange = [this] { FontChanged(); };
}

TCompanyText::~TCompanyText() { font_.OnChange = nullptr; }

void TCompanyText::SetCaption(const std::string& value) {
  if (value == caption_) return;
  std::string captionPart = owner_->CaptionText().Caption();  // read with the old parts
  caption_ = value;
  owner_->RebuildCaption(captionPart);
}

void TCompanyText::SetVisible(bool value) {
  if (value == visible_) return;
  std::string captionPart = owner_->CaptionText().Caption();
  visible_ = value;
  owner_->RebuildCaption(captionPart);
}

void TCompanyText::SetFont(const TFont& font) { font_.Assign(font); }

// A change made to the font from outside: a custom font from now on,
// unless its height follows the system's.
void TCompanyText::FontChanged() {
  if (applying_) return;
  if (fontKind_ == TFontKind::fkAutoHeight) MatchHeight();
  else fontKind_ = TFontKind::fkCustom;
}

void TCompanyText::SetFontKind(TFontKind kind) {
  fontKind_ = kind;
  ApplyFontKind();
}

void TCompanyText::ApplyFontKind() {
  applying_ = true;
  const TFont& sys = owner_->SystemCaptionFont();
  auto styled = [&](TFontStyles add) {
    font_.Assign(sys);
    font_.SetStyle(sys.Style() + add);
  };
  switch (fontKind_) {
    case TFontKind::fkSystem: font_.Assign(sys); break;
    case TFontKind::fkSystemI: styled({TFontStyle::fsItalic}); break;
    case TFontKind::fkSystemB: styled({TFontStyle::fsBold}); break;
    case TFontKind::fkSystemBI: styled({TFontStyle::fsBold, TFontStyle::fsItalic}); break;
    case TFontKind::fkAutoHeight: MatchHeight(); break;
    case TFontKind::fkCustom: break;
  }
  applying_ = false;
}

// Changes the height by the difference of the character heights, then
// takes off what is still too tall.
void TCompanyText::MatchHeight() {
  bool was = applying_;
  applying_ = true;
  int sys = CharHeight(owner_->SystemCaptionFont());
  auto adjust = [this](int delta) {  // delta > 0 makes the characters taller
    font_.SetHeight(font_.Height() < 0 ? font_.Height() - delta : font_.Height() + delta);
  };
  adjust(sys - CharHeight(font_));
  int now = CharHeight(font_);
  if (now > sys) adjust(sys - now);
  applying_ = was;
}

void TCaptionText::SetCaption(const std::string& value) {
  caption_ = value;
  owner_->RebuildCaption(value);
}

std::string TCaptionText::GetCaption() const {
  TForm* form = owner_->Form();
  if (!form || form->Destroying()) return {};
  std::string text = form->Caption();
  // Cut a part only where it really stands in the text.
  auto cut = [&text](const TCompanyText& part) {
    std::string c = part.Caption();
    if (!part.Visible() || c.empty()) return;
    size_t at = text.find(c);
    if (at == std::string::npos) return;
    text.erase(0, at + c.size());
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  };
  cut(owner_->CompanyText());
  cut(owner_->AppNameText());
  return text;
}

// TGradientCaption

TGradientCaption::TGradientCaption(TComponent* owner) : TComponent(owner) {
  form_ = dynamic_cast<TForm*>(owner);
  if (!form_) throw EInvalidOperation("A TGradientCaption must be owned by a form");
  // Two bars on one window would call each other without end.
  for (int i = 0; i < form_->ComponentCount(); ++i)
    if (form_->Components(i) != this && dynamic_cast<TGradientCaption*>(form_->Components(i)))
      throw EInvalidOperation("A form can carry only one TGradientCaption");
  // A described form makes its window when it is first needed (a hidden
  // form when it is first shown); the bar hooks it then.
  if (!form_->Loading()) wnd_ = form_->Handle();
  active_ = true;
  ReadSystemFont();
  company_ = std::make_unique<TCompanyText>(this);
  appName_ = std::make_unique<TAppNameText>(this);
  caption_ = std::make_unique<TCaptionText>(this);
  LiveBars().push_back(this);
  Hook();
  appHookId_ = Application().HookMainWindow([this](TMessage& m) { return AppHook(m); });
}

TGradientCaption::~TGradientCaption() {
  Application().UnhookMainWindow(appHookId_);
  auto& bars = LiveBars();
  bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
  Unhook();
  if (!form_->Destroying() && form_->HandleAllocated()) {
    form_->SetCaption(caption_->Caption());
    ForceFrameRepaint();
  }
}

void TGradientCaption::ReadSystemFont() {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof(ncm);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    LOGFONTA lf{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    systemFont_.AssignLogFont(lf);
    return;
  }
  const LOGFONTA& lf = ncm.lfCaptionFont;
  TFont f;
  f.SetName(lf.lfFaceName);
  if (lf.lfHeight <= 0) f.SetHeight(lf.lfHeight);
  else f.SetSize(lf.lfHeight);
  TFontStyles style;
  if (lf.lfItalic) style.Include(TFontStyle::fsItalic);
  if (lf.lfWeight > 500) style.Include(TFontStyle::fsBold);
  f.SetStyle(style);
  f.SetPitch(TFontPitch::fpDefault);
  f.SetColor(systemFont_.Color());
  systemFont_.Assign(f);
}

void TGradientCaption::SetNumColors(int n) {
  if (n < 1) return;
  numColors_ = std::min(n, 256);
}

void TGradientCaption::Hook() {
  if (hooked_ || !form_->HandleAllocated()) return;
  wnd_ = form_->Handle();
  SetPropA(wnd_, kCaptionProp, this);
  oldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HookProc)));
  hooked_ = true;
}

void TGradientCaption::Unhook() {
  if (!hooked_) return;
  if (IsWindow(wnd_)) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd_, GWLP_WNDPROC)) == HookProc)
      SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    RemovePropA(wnd_, kCaptionProp);
  }
  hooked_ = false;
}

void TGradientCaption::Loaded() {
  TComponent::Loaded();
  if (form_->HandleIfAllocated() != wnd_ || !hooked_) {
    Unhook();
    Hook();
  }
}

void TGradientCaption::FormWindowCreated() {
  // Not before the constructor has made the parts (it hooks then itself).
  if (hooked_ || !company_) return;
  Hook();
}

bool TGradientCaption::AppHook(TMessage& m) {
  if (m.Msg != kRehookMessage) return false;
  auto* bar = reinterpret_cast<TGradientCaption*>(m.LParam);
  auto& bars = LiveBars();
  if (bar != this || std::find(bars.begin(), bars.end(), bar) == bars.end()) return false;
  if (rehookPending_) {
    rehookPending_ = false;
    Hook();
    if (hooked_) {
      active_ = GetActiveWindow() == wnd_;
      ForceFrameRepaint();
    }
  }
  return false;  // others may want it too
}

LRESULT CALLBACK TGradientCaption::HookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* bar = static_cast<TGradientCaption*>(GetPropA(wnd, kCaptionProp));
  if (!bar) return DefWindowProcA(wnd, msg, wp, lp);
  TMessage m{msg, wp, lp, 0};
  try {
    bar->WndProc(m);
  } catch (...) {
    Application().HandleException();
  }
  return m.Result;
}

void TGradientCaption::CallOld(TMessage& m) {
  m.Result = CallWindowProcA(oldProc_, wnd_, m.Msg, m.WParam, m.LParam);
}

void TGradientCaption::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCPAINT: NCPaint(m); return;
    case WM_NCACTIVATE:
      active_ = m.WParam != 0;
      activeFixed_ = true;
      if (!NewShell()) CallOld(m);
      RedrawWindow(wnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
      m.Result = TRUE;
      return;
    case WM_SETCURSOR: {
      LPCSTR cursor = nullptr;
      switch (LOWORD(m.LParam)) {
        case HTLEFT: case HTRIGHT: cursor = IDC_SIZEWE; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: cursor = IDC_SIZENWSE; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: cursor = IDC_SIZENESW; break;
        case HTTOP: case HTBOTTOM: cursor = IDC_SIZENS; break;
        default: break;
      }
      if (!cursor) break;
      SetCursor(LoadCursorA(nullptr, cursor));
      m.Result = TRUE;
      return;
    }
    // The system draws its plain caption on these without a WM_NCPAINT.
    case WM_SETICON:
    case WM_SETTEXT:
      CallOld(m);
      PaintCaption();
      return;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      CallOld(m);
      ReadSystemFont();
      company_->ApplyFontKind();
      appName_->ApplyFontKind();
      caption_->ApplyFontKind();
      ForceFrameRepaint();
      return;
    case WM_DESTROY:
      if (!form_->Destroying()) {
        // The form makes a new window (a style change): hook that one later.
        rehookPending_ = true;
        HWND wnd = wnd_;
        WNDPROC old = oldProc_;
        Unhook();
        PostMessageA(Application().Handle(), kRehookMessage, 0, reinterpret_cast<LPARAM>(this));
        m.Result = CallWindowProcA(old, wnd, m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    default: break;
  }
  CallOld(m);
}

void TGradientCaption::NCPaint(TMessage& m) {
  PaintCaption();
  // Let the system draw the rest of the frame: the update region (screen
  // coordinates) less the caption rectangle moved into screen coordinates.
  RECT win;
  GetWindowRect(wnd_, &win);
  RECT cap = Layout().Caption;
  OffsetRect(&cap, win.left, win.top);
  TRegion clip(CreateRectRgnIndirect(&win));
  if (m.WParam > 1) {
    if (CombineRgn(clip.Get(), reinterpret_cast<HRGN>(m.WParam), nullptr, RGN_COPY) == ERROR)
      clip.Reset(CreateRectRgnIndirect(&win));
  }
  TRegion capRgn(CreateRectRgnIndirect(&cap));
  CombineRgn(clip.Get(), clip.Get(), capRgn.Get(), RGN_DIFF);
  TMessage rest{WM_NCPAINT, reinterpret_cast<WPARAM>(clip.Get()), m.LParam, 0};
  CallOld(rest);
  m.Result = rest.Result;
}

void TGradientCaption::ForceFrameRepaint() {
  if (!form_->HandleAllocated()) return;
  SetWindowPos(form_->Handle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TGradientCaption::RebuildCaption(const std::string& captionPart) {
  if (form_->Destroying()) return;
  struct TPart {
    const TCompanyText* part;
    std::string text;
  };
  std::vector<TPart> parts;
  if (company_ && company_->Visible()) parts.push_back({company_.get(), company_->Caption()});
  if (appName_ && appName_->Visible()) parts.push_back({appName_.get(), appName_->Caption()});
  if (caption_ && caption_->Visible()) parts.push_back({caption_.get(), captionPart});
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    text += parts[i].text;
    if (!parts[i].text.empty() && i + 1 < parts.size()) text += ' ';
  }
  {
    TUpdateLock lock(form_->HandleIfAllocated());
    form_->SetCaption(text);
  }
  // Show it at once: no stale text left in the bar.
  PaintCaption();
}

bool TGradientCaption::Active() const {
  if (activeFixed_) return active_;
  return form_->HandleAllocated() && GetActiveWindow() == form_->HandleIfAllocated();
}

TGradientCaption::TLayout TGradientCaption::Layout() const {
  TLayout l;
  HWND wnd = form_->HandleIfAllocated();
  TFormBorderStyle border = form_->BorderStyle();
  if (!wnd || border == TFormBorderStyle::bsNone) return l;
  bool shell = NewShell();
  RECT win;
  GetWindowRect(wnd, &win);
  OffsetRect(&win, -win.left, -win.top);
  int fx, fy;
  if (IsIconic(wnd)) {
    fx = GetSystemMetrics(SM_CXDLGFRAME) + (shell ? 0 : GetSystemMetrics(SM_CXBORDER));
    fy = GetSystemMetrics(SM_CYDLGFRAME) + (shell ? 0 : GetSystemMetrics(SM_CYBORDER));
  } else if (border == TFormBorderStyle::bsSizeable || border == TFormBorderStyle::bsSizeToolWin) {
    fx = GetSystemMetrics(SM_CXFRAME);
    fy = GetSystemMetrics(SM_CYFRAME);
  } else {
    fx = GetSystemMetrics(SM_CXDLGFRAME);
    fy = GetSystemMetrics(SM_CYDLGFRAME);
  }
  bool tool = IsToolWindow(border);
  InflateRect(&win, -fx, -fy);
  win.bottom = win.top + GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
  l.Caption = win;

  RECT text{0, 0, win.right - win.left, win.bottom - win.top};
  TBorderIcons icons = form_->BorderIcons();
  bool sysMenu = icons.Has(TBorderIcon::biSystemMenu);
  int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
  bool minIcon = icons.Has(TBorderIcon::biMinimize), maxIcon = icons.Has(TBorderIcon::biMaximize);
  if (shell && sysMenu) {
    l.Buttons.push_back(TButton::Close);
    if (!tool) {
      if (minIcon || maxIcon) {
        l.Buttons.push_back(TButton::Maximize);
        l.Buttons.push_back(TButton::Minimize);
      }
      bool help = icons.Has(TBorderIcon::biHelp) &&
                  (border == TFormBorderStyle::bsDialog || (SingleOrSizeable(border) && !minIcon && !maxIcon));
      if (help) l.Buttons.push_back(TButton::Help);
    }
    for (TButton b : l.Buttons) text.right -= (b == TButton::Close || b == TButton::Help) ? bw + 2 : bw;
  } else if (!shell) {
    if (sysMenu && SingleOrSizeable(border)) text.left += bw;
    if (minIcon) text.right -= bw;
    if (maxIcon) text.right -= bw;
  }
  if (text.right - text.left < 2) text.right = text.left + 2;
  l.TextArea = text;
  l.Icon = shell && sysMenu && SingleOrSizeable(border);
  return l;
}

void TGradientCaption::RenderCaption(TCanvas& canvas) {
  TLayout l = Layout();
  int width = l.Caption.right - l.Caption.left, height = l.Caption.bottom - l.Caption.top;
  if (width <= 0 || height <= 0) return;
  bool active = Active();
  bool shell = NewShell();
  COLORREF bg = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  bool gradient = false;
  switch (enabled_) {
    case TGradEnabled::geAlways: gradient = true; break;
    case TGradEnabled::geNever: gradient = false; break;
    case TGradEnabled::geWhenActive: gradient = active; break;
    case TGradEnabled::geSmart: gradient = active ? ScreenBitsPerPixel() >= 8 : ScreenBitsPerPixel() > 8; break;
  }
  HDC dc = canvas.Handle();
  auto fill = [dc](const RECT& r, COLORREF c) {
    TBrushHandle brush(CreateSolidBrush(c));
    FillRect(dc, &r, brush.Get());
  };
  if (shell) fill({0, 0, width, height}, bg);
  RECT area = l.TextArea;
  if (gradient) {
    COLORREF from = ColorToRGB(color_);
    int w = area.right - area.left, n = numColors_;
    for (int i = 0; i < n; ++i) {
      auto channel = [&](int shift) {
        int a = (from >> shift) & 0xFF, b = (bg >> shift) & 0xFF;
        return n == 1 ? a : a + (b - a) * i / (n - 1);
      };
      RECT band{area.left + w * i / n, area.top, area.left + w * (i + 1) / n, area.bottom};
      fill(band, RGB(channel(0), channel(8), channel(16)));
    }
  } else {
    fill(area, bg);
  }
  if (l.Icon) {
    HICON icon = form_->Icon().Handle();
    if (!icon) icon = Application().Icon().Handle();
    if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    DrawIconEx(dc, area.left + 1, area.top + 1, icon, cx, cy, 0, nullptr, DI_NORMAL);
    area.left += 1 + cx;
  }
  if (shell) {
    bool tool = IsToolWindow(form_->BorderStyle());
    int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
    int right = width;
    TBorderIcons icons = form_->BorderIcons();
    HWND wnd = form_->HandleIfAllocated();
    for (TButton b : l.Buttons) {
      UINT state = 0;
      int gap = (b == TButton::Close || b == TButton::Help) ? 2 : 0;
      switch (b) {
        case TButton::Close: state = DFCS_CAPTIONCLOSE; break;
        case TButton::Maximize:
          state = IsZoomed(wnd) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
          if (!icons.Has(TBorderIcon::biMaximize)) state |= DFCS_INACTIVE;
          break;
        case TButton::Minimize:
          state = IsIconic(wnd) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN;
          if (!icons.Has(TBorderIcon::biMinimize)) state |= DFCS_INACTIVE;
          break;
        case TButton::Help: state = DFCS_CAPTIONHELP; break;
      }
      RECT r{right - gap - (bw - 2), 2, right - gap, height - 2};
      DrawFrameControl(dc, &r, DFC_CAPTION, state);
      right -= bw + gap;
    }
  }
  if (OnDrawCaption) {
    canvas.Font.Assign(systemFont_);
    OnDrawCaption(this, canvas, area);
  }

  // The parts that fit: all, else application name and caption, else the caption.
  caption_->caption_ = caption_->GetCaption();
  struct TDrawn {
    const TCompanyText* part;
    std::string text;
    int width;
  };
  auto measure = [&canvas](const TCompanyText* p) {
    canvas.Font.Assign(p->Font());
    std::string t = p->Caption();
    return TDrawn{p, t, canvas.TextWidth(t) + 3};
  };
  std::vector<TDrawn> all;
  for (const TCompanyText* p : {static_cast<const TCompanyText*>(company_.get()),
                                static_cast<const TCompanyText*>(appName_.get()),
                                static_cast<const TCompanyText*>(caption_.get())})
    if (p->Visible()) all.push_back(measure(p));
  auto total = [](const std::vector<TDrawn>& v) {
    int sum = 0;
    for (const auto& d : v) sum += d.width;
    return sum;
  };
  int areaWidth = area.right - area.left;
  std::vector<TDrawn> drawn = all;
  if (total(drawn) > areaWidth) {
    std::erase_if(drawn, [this](const TDrawn& d) { return d.part == company_.get(); });
    if (total(drawn) > areaWidth) std::erase_if(drawn, [this](const TDrawn& d) { return d.part != caption_.get(); });
  }
  int used = total(drawn);
  TJustification j = justification_;
  if (j == TJustification::jAuto) j = shell ? TJustification::jLeft : TJustification::jCenter;
  int x = area.left;
  if (used <= areaWidth) {
    if (j == TJustification::jCenter) x += (areaWidth - used) / 2;
    else if (j == TJustification::jRight) x += areaWidth - used;
  }
  SetBkMode(dc, TRANSPARENT);
  for (const auto& d : drawn) {
    x += 3;
    canvas.Font.Assign(d.part->Font());
    canvas.Font.SetColor(active ? d.part->ColorActive() : d.part->ColorInactive());
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    RECT r{x, area.top, area.right, area.bottom};
    canvas.DrawText(d.text, r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT);
    x += d.width - 3;
  }
}

void TGradientCaption::PaintCaption() {
  HWND wnd = form_->HandleIfAllocated();
  if (!wnd || !hooked_) return;
  TLayout l = Layout();
  int width = l.Caption.right - l.Caption.left, height = l.Caption.bottom - l.Caption.top;
  if (width <= 0 || height <= 0) return;
  TWindowDC windowDC(wnd, TWindowDC::Window);
  if (!windowDC.Get()) return;
  TMemoryDC memory(windowDC.Get());
  TBitmapHandle bitmap(CreateCompatibleBitmap(windowDC.Get(), width, height));
  if (!memory.Get() || !bitmap) return;
  TSelectGuard select(memory.Get(), bitmap.Get());
  {
    TCanvas canvas(memory.Get());
    RenderCaption(canvas);
  }
  BitBlt(windowDC.Get(), l.Caption.left, l.Caption.top, width, height, memory.Get(), 0, 0, SRCCOPY);
}

// Descriptions

const TClassInfo& TCompanyText::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TCompanyText", nullptr);
    i.Prop("Caption", &TCompanyText::SetCaption);
    i.Prop("ColorActive", &TCompanyText::SetColorActive);
    i.Prop("ColorInactive", &TCompanyText::SetColorInactive);
    i.Sub<TCompanyText>("Font", [](TCompanyText& t) -> TFont& { return t.Font(); }, FontClassInfo());
    i.Prop("FontKind", &TCompanyText::SetFontKind);
    i.Prop("Visible", &TCompanyText::SetVisible);
    return i;
  }();
  return info;
}

const TClassInfo& TGradientCaption::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TGradientCaption", &ComponentClassInfo(), Creator<TGradientCaption>());
    i.Sub<TGradientCaption>("CompanyText", [](TGradientCaption& g) -> TCompanyText& { return g.CompanyText(); },
                            TCompanyText::ClassInfo());
    i.Sub<TGradientCaption>("AppNameText", [](TGradientCaption& g) -> TCompanyText& { return g.AppNameText(); },
                            TCompanyText::ClassInfo());
    i.Sub<TGradientCaption>("CaptionText", [](TGradientCaption& g) -> TCompanyText& { return g.CaptionText(); },
                            TCompanyText::ClassInfo());
    i.Prop("Color", &TGradientCaption::SetColor);
    i.Prop("Enabled", &TGradientCaption::SetGradientEnabled);
    i.Prop("Justification", &TGradientCaption::SetJustification);
    i.Prop("NumColors", &TGradientCaption::SetNumColors);
    i.Event("OnDrawCaption", &TGradientCaption::OnDrawCaption);
    return i;
  }();
  return info;
}
