// Colours, fonts, brushes, pens, canvases, bitmaps and icons.
//
//   TBitmap bmp(100, 20);                  // a 32-bit memory bitmap
//   bmp.Canvas().Brush.SetColor(clWhite);
//   bmp.Canvas().FillRect({0, 0, 100, 20});
//   control->PaintTo(bmp.Canvas(), 0, 0);  // tests read bmp.Pixel(x, y)
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Enums.h"
#include "Gdi.h"

// A colour: an RGB value, or 0x80000000 | a system colour index.
enum class TColor : uint32_t {};
constexpr TColor MakeColor(uint32_t v) { return static_cast<TColor>(v); }
constexpr TColor clBlack = MakeColor(0x000000), clMaroon = MakeColor(0x000080), clGreen = MakeColor(0x008000),
                 clOlive = MakeColor(0x008080), clNavy = MakeColor(0x800000), clPurple = MakeColor(0x800080),
                 clTeal = MakeColor(0x808000), clGray = MakeColor(0x808080), clSilver = MakeColor(0xC0C0C0),
                 clRed = MakeColor(0x0000FF), clLime = MakeColor(0x00FF00), clYellow = MakeColor(0x00FFFF),
                 clBlue = MakeColor(0xFF0000), clFuchsia = MakeColor(0xFF00FF), clAqua = MakeColor(0xFFFF00),
                 clWhite = MakeColor(0xFFFFFF), clNone = MakeColor(0x1FFFFFFF);
constexpr TColor SysColor(int index) { return MakeColor(0x80000000u | static_cast<uint32_t>(index)); }
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR), clBackground = SysColor(COLOR_BACKGROUND),
                 clActiveCaption = SysColor(COLOR_ACTIVECAPTION), clInactiveCaption = SysColor(COLOR_INACTIVECAPTION),
                 clMenu = SysColor(COLOR_MENU), clWindow = SysColor(COLOR_WINDOW),
                 clWindowFrame = SysColor(COLOR_WINDOWFRAME), clMenuText = SysColor(COLOR_MENUTEXT),
                 clWindowText = SysColor(COLOR_WINDOWTEXT), clCaptionText = SysColor(COLOR_CAPTIONTEXT),
                 clActiveBorder = SysColor(COLOR_ACTIVEBORDER), clInactiveBorder = SysColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SysColor(COLOR_APPWORKSPACE), clHighlight = SysColor(COLOR_HIGHLIGHT),
                 clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SysColor(COLOR_BTNFACE),
                 clBtnShadow = SysColor(COLOR_BTNSHADOW), clGrayText = SysColor(COLOR_GRAYTEXT),
                 clBtnText = SysColor(COLOR_BTNTEXT), clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SysColor(COLOR_3DDKSHADOW),
                 cl3DLight = SysColor(COLOR_3DLIGHT), clInfoText = SysColor(COLOR_INFOTEXT),
                 clInfoBk = SysColor(COLOR_INFOBK);

COLORREF ColorToRGB(TColor color);
// "clTeal", "clBtnFace", ... or false.
bool ColorFromName(std::string_view name, TColor& color);

// Base of the non-component objects a description can set (fonts, parts).
class TPersistent {
public:
  virtual ~TPersistent() = default;
};

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
TZ_ENUM_NAMES(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
TZ_ENUM_NAMES(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

class TFont : public TPersistent {
public:
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other) { Assign(other); return *this; }

  void Assign(const TFont& other);
  // From a LOGFONT (the system caption font and the like).
  void AssignLogFont(const LOGFONTA& lf);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return height_; }
  void SetHeight(int height);
  int Size() const;  // points
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);

  HFONT Handle() const;
  bool operator==(const TFont& o) const;

  std::function<void()> OnChange;

private:
  void Changed();
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_;
  TColor color_ = clWindowText;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  mutable TFontHandle handle_;
};

enum class TBrushStyle { bsSolid, bsClear };
TZ_ENUM_NAMES(TBrushStyle, "bsSolid", "bsClear")

class TBrush {
public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; style_ = TBrushStyle::bsSolid; handle_.Reset(); }
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style) { style_ = style; handle_.Reset(); }
  HBRUSH Handle() const;

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  mutable TBrushHandle handle_;
};

class TPen {
public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; handle_.Reset(); }
  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width; handle_.Reset(); }
  HPEN Handle() const;

private:
  TColor color_ = clBlack;
  int width_ = 1;
  mutable TPenHandle handle_;
};

// Drawing on a DC it does not own; puts the DC's own objects back when done.
class TCanvas {
public:
  TCanvas() = default;
  explicit TCanvas(HDC dc) { SetHandle(dc); }
  ~TCanvas() { SetHandle(nullptr); }
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }
  void SetHandle(HDC dc);

  TFont Font;
  TBrush Brush;
  TPen Pen;

  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void TextOut(int x, int y, std::string_view text);
  void TextRect(const RECT& r, int x, int y, std::string_view text);
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }
  // DrawTextExA with the canvas's font; with DT_CALCRECT `r` is updated.
  int DrawText(std::string_view text, RECT& r, UINT flags);
  bool DrawEdge(RECT r, UINT edge, UINT flags);
  void DrawIcon(int x, int y, HICON icon, int width, int height);
  void Draw(int x, int y, HDC source, int width, int height);
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
  void SetPixel(int x, int y, TColor color) { ::SetPixel(dc_, x, y, ColorToRGB(color)); }
  // Prepares the DC with font, brush and pen (also done by every call above).
  void Prepare() { UseFont(); UseBrush(); UsePen(); }

private:
  void UseFont();
  void UseBrush();
  void UsePen();
  HDC dc_ = nullptr;
  HGDIOBJ oldFont_ = nullptr, oldBrush_ = nullptr, oldPen_ = nullptr;
};

// A 32-bit top-down DIB section with its own memory DC and canvas.
class TBitmap {
public:
  TBitmap() = default;
  TBitmap(int width, int height) { SetSize(width, height); }
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  void SetSize(int width, int height);
  // Back to empty: no picture, no handle.
  void Clear() { Release(); }
  // A copy of another bitmap's picture; an empty one makes this empty.
  void Assign(const TBitmap& other);
  // A .bmp file's bytes; false when they are not a bitmap we can read.
  bool LoadFromBytes(const std::vector<uint8_t>& bytes);
  bool Empty() const { return !bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return bitmap_.Get(); }
  HDC DC() const { return dc_; }
  TCanvas& Canvas() { return canvas_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
  void Release();
  int width_ = 0, height_ = 0;
  HDC dc_ = nullptr;
  TBitmapHandle bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
  TCanvas canvas_;
};

// An icon, owned unless shared (a system or resource icon).
class TIcon {
public:
  TIcon() = default;
  ~TIcon() { Reset(); }
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  HICON Handle() const { return icon_; }
  bool Empty() const { return icon_ == nullptr; }
  void SetHandle(HICON icon, bool owned = true) { Reset(); icon_ = icon; owned_ = owned; if (OnChange) OnChange(); }
  // A .ico file's bytes (first image); false when unreadable.
  bool LoadFromBytes(const std::vector<uint8_t>& bytes);
  std::function<void()> OnChange;

private:
  void Reset() { if (icon_ && owned_) DestroyIcon(icon_); icon_ = nullptr; }
  HICON icon_ = nullptr;
  bool owned_ = false;
};
