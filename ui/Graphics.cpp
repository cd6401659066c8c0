#include "Graphics.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Platform.h"

namespace {
struct TColorName {
  const char* name;
  TColor color;
};
const TColorName colorNames[] = {
    {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
    {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
    {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
    {"clNone", clNone}, {"clScrollBar", clScrollBar}, {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption}, {"clInactiveCaption", clInactiveCaption}, {"clMenu", clMenu},
    {"clWindow", clWindow}, {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText},
    {"clWindowText", clWindowText}, {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder}, {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
};

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
}  // namespace

COLORREF ColorToRGB(TColor color) {
  auto v = static_cast<uint32_t>(color);
  if (v & 0x80000000u) return GetSysColor(static_cast<int>(v & 0xFF));
  return v & 0x00FFFFFFu;
}

bool ColorFromName(std::string_view name, TColor& color) {
  for (const auto& c : colorNames)
    if (SameText(name, c.name)) { color = c.color; return true; }
  return false;
}

// TFont

TFont::TFont() = default;
TFont::TFont(const TFont& other) : TPersistent() { Assign(other); }

void TFont::Assign(const TFont& o) {
  if (this == &o) return;
  name_ = o.name_;
  height_ = o.height_;
  style_ = o.style_;
  color_ = o.color_;
  charset_ = o.charset_;
  pitch_ = o.pitch_;
  Changed();
}

void TFont::AssignLogFont(const LOGFONTA& lf) {
  name_ = lf.lfFaceName;
  height_ = lf.lfHeight;
  TFontStyles s;
  if (lf.lfWeight > FW_MEDIUM) s.Include(TFontStyle::fsBold);
  if (lf.lfItalic) s.Include(TFontStyle::fsItalic);
  if (lf.lfUnderline) s.Include(TFontStyle::fsUnderline);
  if (lf.lfStrikeOut) s.Include(TFontStyle::fsStrikeOut);
  style_ = s;
  charset_ = lf.lfCharSet;
  pitch_ = TFontPitch::fpDefault;
  Changed();
}

void TFont::SetName(const std::string& name) { if (name != name_) { name_ = name; Changed(); } }
void TFont::SetHeight(int height) { if (height != height_) { height_ = height; Changed(); } }
int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }
void TFont::SetStyle(TFontStyles style) { if (style != style_) { style_ = style; Changed(); } }
void TFont::SetColor(TColor color) { if (color != color_) { color_ = color; Changed(); } }
void TFont::SetCharset(BYTE charset) { if (charset != charset_) { charset_ = charset; Changed(); } }
void TFont::SetPitch(TFontPitch pitch) { if (pitch != pitch_) { pitch_ = pitch; Changed(); } }

bool TFont::operator==(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
         charset_ == o.charset_ && pitch_ == o.pitch_;
}

void TFont::Changed() {
  handle_.Reset();
  if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = style_.Has(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Has(TFontStyle::fsItalic);
    lf.lfUnderline = style_.Has(TFontStyle::fsUnderline);
    lf.lfStrikeOut = style_.Has(TFontStyle::fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed ? FIXED_PITCH
                          : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_.Reset(CreateFontIndirectA(&lf));
  }
  return handle_.Get();
}

// Brush and pen

HBRUSH TBrush::Handle() const {
  if (!handle_) {
    LOGBRUSH lb{};
    lb.lbStyle = style_ == TBrushStyle::bsClear ? BS_HOLLOW : BS_SOLID;
    lb.lbColor = ColorToRGB(color_);
    handle_.Reset(CreateBrushIndirect(&lb));
  }
  return handle_.Get();
}

HPEN TPen::Handle() const {
  if (!handle_) handle_.Reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
  return handle_.Get();
}

// TCanvas

void TCanvas::SetHandle(HDC dc) {
  if (dc_) {
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    if (oldPen_) SelectObject(dc_, oldPen_);
  }
  oldFont_ = oldBrush_ = oldPen_ = nullptr;
  dc_ = dc;
}

void TCanvas::UseFont() {
  HGDIOBJ old = SelectObject(dc_, Font.Handle());
  if (!oldFont_) oldFont_ = old;
  SetTextColor(dc_, ColorToRGB(Font.Color()));
}

void TCanvas::UseBrush() {
  HGDIOBJ old = SelectObject(dc_, Brush.Handle());
  if (!oldBrush_) oldBrush_ = old;
  if (Brush.Style() == TBrushStyle::bsClear) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ColorToRGB(Brush.Color()));
  }
}

void TCanvas::UsePen() {
  HGDIOBJ old = SelectObject(dc_, Pen.Handle());
  if (!oldPen_) oldPen_ = old;
}

void TCanvas::FillRect(const RECT& r) {
  UseBrush();
  ::FillRect(dc_, &r, Brush.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  UseBrush();
  ::FrameRect(dc_, &r, Brush.Handle());
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }
void TCanvas::LineTo(int x, int y) { UsePen(); ::LineTo(dc_, x, y); }

void TCanvas::TextOut(int x, int y, std::string_view text) {
  UseFont();
  UseBrush();
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, std::string_view text) {
  UseFont();
  UseBrush();
  ExtTextOutA(dc_, x, y, ETO_CLIPPED | (Brush.Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE), &r, text.data(),
              static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(std::string_view text) {
  UseFont();
  SIZE size{};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

int TCanvas::DrawText(std::string_view text, RECT& r, UINT flags) {
  UseFont();
  UseBrush();
  // DrawTextEx may write the shortened text back: give it a copy with room.
  std::string buffer(text);
  buffer.resize(text.size() + 8, '\0');
  return DrawTextExA(dc_, buffer.data(), static_cast<int>(text.size()), &r, flags, nullptr);
}

bool TCanvas::DrawEdge(RECT r, UINT edge, UINT flags) { return ::DrawEdge(dc_, &r, edge, flags) != FALSE; }

void TCanvas::DrawIcon(int x, int y, HICON icon, int width, int height) {
  DrawIconEx(dc_, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
}

void TCanvas::Draw(int x, int y, HDC source, int width, int height) {
  BitBlt(dc_, x, y, width, height, source, 0, 0, SRCCOPY);
}

// TBitmap

TBitmap::~TBitmap() { Release(); }

void TBitmap::Release() {
  canvas_.SetHandle(nullptr);
  if (dc_) {
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  dc_ = nullptr;
  oldBitmap_ = nullptr;
  bitmap_.Reset();
  width_ = height_ = 0;
}

void TBitmap::Assign(const TBitmap& other) {
  if (&other == this) return;
  if (other.Empty()) {
    Release();
    return;
  }
  SetSize(other.width_, other.height_);
  BitBlt(dc_, 0, 0, width_, height_, other.dc_, 0, 0, SRCCOPY);
}

void TBitmap::SetSize(int width, int height) {
  Release();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = std::max(width, 1);
  bi.bmiHeader.biHeight = -std::max(height, 1);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  dc_ = CreateCompatibleDC(nullptr);
  oldBitmap_ = SelectObject(dc_, bitmap_.Get());
  width_ = width;
  height_ = height;
  canvas_.SetHandle(dc_);
}

bool TBitmap::LoadFromBytes(const std::vector<uint8_t>& b) {
  // BITMAPFILEHEADER (14 bytes), then a BITMAPINFOHEADER and the bits.
  if (b.size() < 14 + 40 || b[0] != 'B' || b[1] != 'M') return false;
  uint32_t bitsOffset = Le32(b, 10);
  uint32_t headerSize = Le32(b, 14);
  if (headerSize < 40 || bitsOffset >= b.size() || 14 + headerSize > bitsOffset) return false;
  auto w = static_cast<int32_t>(Le32(b, 18));
  auto h = static_cast<int32_t>(Le32(b, 22));
  if (w <= 0 || h == 0 || w > 8192 || h > 8192 || h < -8192) return false;
  uint16_t bitCount = Le16(b, 28);
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
  uint64_t stride = ((static_cast<uint64_t>(w) * bitCount + 31) / 32) * 4;
  uint64_t need = stride * static_cast<uint64_t>(h < 0 ? -h : h);
  if (Le32(b, 30) != BI_RGB || need > b.size() - bitsOffset) return false;
  std::vector<uint8_t> info(b.begin() + 14, b.begin() + bitsOffset);
  SetSize(w, h < 0 ? -h : h);
  if (Empty()) return false;
  return SetDIBitsToDevice(dc_, 0, 0, w, h < 0 ? -h : h, 0, 0, 0, h < 0 ? -h : h, b.data() + bitsOffset,
                           reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS) != 0;
}

// TIcon

bool TIcon::LoadFromBytes(const std::vector<uint8_t>& b) {
  // ICONDIR (6 bytes), entries of 16 bytes: take the first image.
  if (b.size() < 6 + 16 || Le16(b, 0) != 0 || Le16(b, 2) != 1 || Le16(b, 4) == 0) return false;
  uint32_t size = Le32(b, 6 + 8), offset = Le32(b, 6 + 12);
  if (offset > b.size() || size > b.size() - offset || size < 40) return false;
  std::vector<uint8_t> image(b.begin() + offset, b.begin() + offset + size);
  HICON icon = CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
  if (!icon) return false;
  SetHandle(icon, true);
  return true;
}
