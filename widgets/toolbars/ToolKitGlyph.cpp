#include "ToolKitGlyph.h"

#include <algorithm>
#include <cstdint>

#include "Controls.h"
#include "Gdi.h"

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255), kLightGrey = RGB(192, 192, 192), kMidGrey = RGB(128, 128, 128),
                   kBlack = RGB(0, 0, 0);

// Pixels as COLORREFs, row by row from the top.
struct TPixels {
  int W = 0, H = 0;
  std::vector<COLORREF> P;
  TPixels() = default;
  TPixels(int w, int h, COLORREF fill) : W(w), H(h), P(static_cast<size_t>(w) * h, fill) {}
  COLORREF& At(int x, int y) { return P[static_cast<size_t>(y) * W + x]; }
  COLORREF At(int x, int y) const { return P[static_cast<size_t>(y) * W + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
};

// The bits of a layer bitmap: a 32-bit top-down DIB section.
uint32_t* DibBits(const TBitmap& b) {
  DIBSECTION ds{};
  if (b.Empty() || GetObjectA(b.Handle(), sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) return nullptr;
  GdiFlush();
  return static_cast<uint32_t*>(ds.dsBm.bmBits);
}

COLORREF FromDib(uint32_t v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }
uint32_t ToDib(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

TPixels ReadPixels(const TBitmap& b) {
  TPixels px(b.Width(), b.Height(), kBlack);
  if (const uint32_t* bits = DibBits(b))
    for (size_t i = 0; i < px.P.size(); ++i) px.P[i] = FromDib(bits[i]);
  return px;
}

void WritePixels(TBitmap& b, const TPixels& px) {
  b.SetSize(px.W, px.H);
  if (uint32_t* bits = DibBits(b))
    for (size_t i = 0; i < px.P.size(); ++i) bits[i] = ToDib(px.P[i]);
}

// A 32-bit colour bitmap of the pixels, black where transparent (the image
// list ORs the image over the masked background).
TBitmapHandle ColorBitmap(const TPixels& px, const std::vector<bool>& transparent) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = px.W;
  bi.bmiHeader.biHeight = -px.H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp) return bmp;
  auto* p = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < px.P.size(); ++i) p[i] = transparent[i] ? 0 : ToDib(px.P[i]);
  return bmp;
}

// A monochrome mask: set bits are transparent. Rows are word aligned.
TBitmapHandle MonoMask(int w, int h, const std::vector<bool>& transparent) {
  int stride = ((w + 15) / 16) * 2;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (transparent[static_cast<size_t>(y) * w + x]) bits[static_cast<size_t>(y) * stride + x / 8] |= 0x80 >> (x % 8);
  return TBitmapHandle(CreateBitmap(w, h, 1, 1, bits.data()));
}

std::unique_ptr<TGlyphCache> cache;
int liveGlyphs = 0;
}  // namespace

std::unique_ptr<TBitmap> CopyOf(const TBitmap& source) {
  if (source.Empty() || source.Width() <= 0 || source.Height() <= 0) return nullptr;
  auto copy = std::make_unique<TBitmap>(source.Width(), source.Height());
  BitBlt(copy->DC(), 0, 0, source.Width(), source.Height(), source.DC(), 0, 0, SRCCOPY);
  return copy;
}

// TGlyphList

TGlyphList::TGlyphList(int width, int height) : TImageList(nullptr) {
  SetWidth(width);
  SetHeight(height);
}

int TGlyphList::AllocateIndex() {
  auto free = std::find(used_.begin(), used_.end(), false);
  int slot = static_cast<int>(free - used_.begin());
  if (free == used_.end()) {
    std::vector<bool> none(static_cast<size_t>(Width()) * Height(), false);
    TPixels blank(Width(), Height(), kBlack);
    TBitmapHandle image = ColorBitmap(blank, none), mask = MonoMask(Width(), Height(), none);
    slot = ImageList_Add(Handle(), image.Get(), mask.Get());
    if (slot < 0) throw EInvalidOperation("Unable to Replace Image");
    if (used_.size() <= static_cast<size_t>(slot)) used_.resize(static_cast<size_t>(slot) + 1, false);
  }
  used_[static_cast<size_t>(slot)] = true;
  return slot;
}

int TGlyphList::Add(HBITMAP image, HBITMAP mask) {
  int slot = AllocateIndex();
  if (!ImageList_Replace(Handle(), slot, image, mask)) {
    used_[static_cast<size_t>(slot)] = false;
    throw EInvalidOperation("Unable to Replace Image");
  }
  ++count_;
  return slot;
}

int TGlyphList::AddMasked(const TBitmap& image, COLORREF maskColor) {
  int slot = AllocateIndex();
  try {
    ReplaceMasked(slot, image, maskColor);
  } catch (...) {
    used_[static_cast<size_t>(slot)] = false;
    throw;
  }
  ++count_;
  return slot;
}

void TGlyphList::ReplaceMasked(int slot, const TBitmap& image, COLORREF maskColor) {
  if (image.Width() < Width() || image.Height() < Height()) throw EInvalidOperation("Invalid image size");
  TPixels all = ReadPixels(image);
  TPixels px(Width(), Height(), kBlack);
  for (int y = 0; y < px.H; ++y)
    for (int x = 0; x < px.W; ++x) px.At(x, y) = all.At(x, y);
  if (maskColor == kBottomLeftColor) maskColor = all.At(0, all.H - 1);
  std::vector<bool> transparent(px.P.size());
  for (size_t i = 0; i < px.P.size(); ++i) transparent[i] = px.P[i] == maskColor;
  TBitmapHandle colour = ColorBitmap(px, transparent), mask = MonoMask(px.W, px.H, transparent);
  if (!colour || !mask || !ImageList_Replace(Handle(), slot, colour.Get(), mask.Get()))
    throw EInvalidOperation("Unable to Replace Image");
}

void TGlyphList::Delete(int slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= used_.size() || !used_[static_cast<size_t>(slot)]) return;
  used_[static_cast<size_t>(slot)] = false;
  --count_;
}

// TGlyphCache

TGlyphCache::~TGlyphCache() = default;

TGlyphList* TGlyphCache::GetList(int width, int height) {
  TGlyphList* list = nullptr;
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height) {
      list = it->get();
      break;
    }
  if (!list) {
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    list = lists_.back().get();
  }
  ++list->holders_;
  return list;
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list) return;
  if (list->holders_ > 0) --list->holders_;
  if (list->holders_ > 0 || list->Count() > 0) return;
  lists_.erase(std::remove_if(lists_.begin(), lists_.end(), [list](const auto& l) { return l.get() == list; }),
               lists_.end());
}

TGlyphCache* GlyphCache() { return cache.get(); }

// TButtonGlyph

TButtonGlyph::TButtonGlyph() {
  std::fill(&index_[0][0], &index_[0][0] + 10, -1);
  if (!cache) cache = std::make_unique<TGlyphCache>();
  ++liveGlyphs;
}

TButtonGlyph::~TButtonGlyph() {
  OnChange = nullptr;
  Invalidate();
  // The cache lives while any glyph does.
  if (--liveGlyphs == 0) cache.reset();
}

void TButtonGlyph::Invalidate() {
  for (int row = 0; row < 2; ++row) {
    for (int& slot : index_[row]) {
      if (slot != -1 && lists_[row]) lists_[row]->Delete(slot);
      slot = -1;
    }
    if (lists_[row] && cache) cache->ReturnList(lists_[row]);
    lists_[row] = nullptr;
  }
}

void TButtonGlyph::GlyphChanged() {
  if (glyph_) transparentColor_ = glyph_->Pixel(0, glyph_->Height() - 1);
  Invalidate();
  if (OnChange) OnChange();
}

void TButtonGlyph::SetGlyph(const TBitmap& bitmap) {
  Invalidate();
  glyph_ = CopyOf(bitmap);
  GlyphChanged();
  int w = glyph_ ? glyph_->Width() : 0, h = glyph_ ? glyph_->Height() : 0;
  if (h != 0 && w % h == 0 && w / h > 0) {
    int n = w / h;
    numGlyphs_ = n >= 1 && n <= 5 ? n : 1;
  }
}

void TButtonGlyph::SetGlyphMask(const TBitmap& bitmap) {
  Invalidate();
  mask_ = CopyOf(bitmap);
  GlyphChanged();
}

void TButtonGlyph::SetNumGlyphs(int n) {
  Invalidate();
  numGlyphs_ = std::clamp(n, 1, 5);
  GlyphChanged();
}

void TButtonGlyph::SetOldDisabledStyle(bool v) {
  if (v == oldDisabledStyle_) return;
  oldDisabledStyle_ = v;
  Invalidate();
  if (OnChange) OnChange();
}

TButtonGlyph::TImageRef TButtonGlyph::CreateButtonGlyph(TButtonState state) {
  bool disabled = state == TButtonState::bsDisabled;
  int image = !disabled && static_cast<int>(state) >= numGlyphs_ ? 0 : static_cast<int>(state);
  int row = disabled ? 0 : 1;
  if (index_[row][image] != -1) return {lists_[row], index_[row][image]};
  if (!glyph_) return {};
  const int w = glyph_->Width() / numGlyphs_, h = glyph_->Height(), e = disabled ? 1 : 0;
  if (w <= 0 || h <= 0) return {};
  if (!lists_[row]) lists_[row] = cache->GetList(w + e, h + e);
  TGlyphList* list = lists_[row];

  const TPixels strip = ReadPixels(*glyph_);
  const bool hasMask = mask_ != nullptr;
  const TPixels mask = hasMask ? ReadPixels(*mask_) : TPixels();
  // White in the user's mask is transparent.
  auto maskTransparent = [&](int sx, int y) { return hasMask && mask.Inside(sx, y) && mask.At(sx, y) == kWhite; };
  const COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_BTNHIGHLIGHT),
                 shadow = GetSysColor(COLOR_BTNSHADOW);
  TPixels work(w + e, h + e, face);
  std::vector<bool> transparent(work.P.size(), false);
  auto at = [&](int x, int y) { return static_cast<size_t>(y) * work.W + x; };
  int slot = -1;

  if (!disabled) {
    int x0 = image * w;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        work.At(x, y) = strip.At(x0 + x, y);
        transparent[at(x, y)] = maskTransparent(x0 + x, y);
      }
    if (hasMask) {
      TBitmapHandle colour = ColorBitmap(work, transparent), monochrome = MonoMask(work.W, work.H, transparent);
      slot = list->Add(colour.Get(), monochrome.Get());
    } else {
      TBitmap bmp;
      WritePixels(bmp, work);
      slot = list->AddMasked(bmp, kBottomLeftColor);
    }
  } else if (numGlyphs_ > 1) {
    // The strip's own disabled image, in this scheme's colours.
    int x0 = w;
    COLORREF key = strip.At(0, h - 1);
    for (int y = 0; y < h + 1; ++y)
      for (int x = 0; x < w + 1; ++x) {
        if (x == w || y == h) {
          transparent[at(x, y)] = true;
          continue;
        }
        COLORREF c = strip.At(x0 + x, y);
        transparent[at(x, y)] = hasMask ? maskTransparent(x0 + x, y) : c == key;
        work.At(x, y) = c == kWhite ? highlight : c == kMidGrey ? shadow : c;
      }
    TBitmapHandle colour = ColorBitmap(work, transparent), monochrome = MonoMask(work.W, work.H, transparent);
    slot = list->Add(colour.Get(), monochrome.Get());
  } else {
    // An embossed silhouette of the up image.
    std::vector<bool> shape(static_cast<size_t>(w) * h, false);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        COLORREF c = strip.At(x, y);
        bool background;
        if (oldDisabledStyle_) background = c != kBlack || maskTransparent(x, y);
        else if (!hasMask) background = c == transparentColor_ || c == kWhite || c == kLightGrey;
        else background = c == kWhite || c == kLightGrey || maskTransparent(x, y);
        shape[static_cast<size_t>(y) * w + x] = !background;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (shape[static_cast<size_t>(y) * w + x]) work.At(x + 1, y + 1) = highlight;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (shape[static_cast<size_t>(y) * w + x]) work.At(x, y) = shadow;
    TBitmap bmp;
    WritePixels(bmp, work);
    slot = list->AddMasked(bmp, face);
  }
  index_[row][image] = slot;
  return {list, slot};
}

void TButtonGlyph::DrawGlyph(TCanvas& canvas, POINT pos, TButtonState state) {
  if (!glyph_) return;
  TImageRef ref = CreateButtonGlyph(state);
  if (!ref.List || ref.Index < 0) return;
  ImageList_DrawEx(ref.List->Handle(), ref.Index, canvas.Handle(), pos.x, pos.y, 0, 0, CLR_NONE, CLR_NONE,
                   ILD_TRANSPARENT);
}

void TButtonGlyph::DrawButtonText(TCanvas& canvas, const std::string& caption, RECT bounds, TButtonState state,
                                  bool wordWrap) {
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  UINT flags = DT_CENTER | DT_VCENTER | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  TColor colour = canvas.Font.Color();
  if (state == TButtonState::bsDisabled) {
    RECT r = bounds;
    OffsetRect(&r, 1, 1);
    canvas.Font.SetColor(clBtnHighlight);
    canvas.DrawText(caption, r, flags);
    r = bounds;
    canvas.Font.SetColor(clBtnShadow);
    canvas.DrawText(caption, r, flags);
    canvas.Font.SetColor(colour);
  } else {
    canvas.DrawText(caption, bounds, flags);
  }
}

void TButtonGlyph::DrawButtonDropArrow(TCanvas& canvas, int x, int y, TButtonState state) {
  auto triangle = [&](COLORREF c, int dx, int dy) {
    TBrushHandle brush(CreateSolidBrush(c));
    TPenHandle pen(CreatePen(PS_SOLID, 1, c));
    TSelectGuard b(canvas.Handle(), brush.Get()), p(canvas.Handle(), pen.Get());
    POINT pts[3] = {{x + 4 + dx, y + dy}, {x + 8 + dx, y + dy}, {x + 6 + dx, y + 2 + dy}};
    Polygon(canvas.Handle(), pts, 3);
  };
  if (state == TButtonState::bsDisabled) {
    triangle(GetSysColor(COLOR_BTNHIGHLIGHT), 1, 1);
    triangle(GetSysColor(COLOR_BTNSHADOW), 0, 0);
  } else {
    triangle(ColorToRGB(canvas.Font.Color()), 0, 0);
  }
}

TButtonLayoutResult TButtonGlyph::CalcButtonLayout(TCanvas& canvas, const RECT& client, POINT offset,
                                                   const std::string& caption, TButtonLayout layout, int margin,
                                                   int spacing, bool wordWrap, bool showGlyph, bool showCaption,
                                                   bool dropArrow) {
  const POINT clientSize{client.right - client.left, client.bottom - client.top};
  POINT glyphSize{0, 0};
  if (showGlyph && glyph_) glyphSize = {glyph_->Width() / numGlyphs_, glyph_->Height()};
  const POINT arrowSize = dropArrow ? POINT{9, 3} : POINT{0, 0};
  bool horizontal = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  if (!horizontal && (glyphSize.x == 0 || glyphSize.y == 0)) {
    layout = TButtonLayout::blGlyphLeft;
    horizontal = true;
  }

  POINT textSize{0, 0};
  if (showCaption && !caption.empty()) {
    RECT bounds{0, 0, clientSize.x, 0};
    if (horizontal) bounds.right -= arrowSize.x;
    if (wordWrap) {
      int term = 4;
      if (horizontal && glyphSize.x != 0) {
        bounds.right -= glyphSize.x + (spacing == -1 ? 4 : spacing);
        term = margin != -1 ? margin : spacing != -1 ? spacing : 4;
      }
      bounds.right -= 2 * term;
    }
    canvas.DrawText(caption, bounds, DT_CALCRECT | (wordWrap ? DT_WORDBREAK : 0));
    textSize = {bounds.right - bounds.left, bounds.bottom - bounds.top};
  }

  POINT glyphPos{0, 0}, textPos{0, 0}, arrowPos{0, 0};
  if (horizontal) {
    glyphPos.y = (clientSize.y - glyphSize.y + 1) / 2;
    textPos.y = (clientSize.y - textSize.y + 1) / 2;
  } else {
    glyphPos.x = (clientSize.x - glyphSize.x - arrowSize.x + 1) / 2;
    textPos.x = (clientSize.x - textSize.x + 1) / 2;
    arrowPos.x = glyphSize.x == 0 ? textPos.x + textSize.x : glyphPos.x + glyphSize.x;
  }
  if (textSize.x == 0 || textSize.y == 0 || glyphSize.x == 0 || glyphSize.y == 0) spacing = 0;

  auto along = [horizontal](POINT p) { return horizontal ? p.x : p.y; };
  const int size = along(clientSize), glyph = along(glyphSize), text = along(textSize),
            arrow = horizontal ? arrowSize.x : 0;
  if (margin == -1 && spacing == -1) {
    margin = (size - (glyph + text + arrow)) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (size - (glyph + spacing + text + arrow) + 1) / 2;
  } else if (spacing == -1) {
    spacing = (size - margin - glyph - arrow - text) / 2;
  }

  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      glyphPos.x = margin;
      textPos.x = glyphPos.x + glyphSize.x + spacing;
      arrowPos.x = textPos.x + textSize.x;
      break;
    case TButtonLayout::blGlyphRight:
      arrowPos.x = clientSize.x - margin - arrowSize.x;
      glyphPos.x = arrowPos.x - glyphSize.x;
      textPos.x = glyphPos.x - spacing - textSize.x;
      break;
    case TButtonLayout::blGlyphTop:
      glyphPos.y = margin;
      textPos.y = glyphPos.y + glyphSize.y + spacing;
      break;
    case TButtonLayout::blGlyphBottom:
      glyphPos.y = clientSize.y - margin - glyphSize.y;
      textPos.y = glyphPos.y - spacing - textSize.y;
      break;
  }
  if (glyphSize.x == 0 || glyphSize.y == 0) arrowPos.y = textPos.y + (textSize.y - arrowSize.y) / 2;
  else arrowPos.y = glyphPos.y + (glyphSize.y - arrowSize.y) / 2;

  const int dx = client.left + offset.x, dy = client.top + offset.y;
  TButtonLayoutResult r;
  r.GlyphPos = {glyphPos.x + dx, glyphPos.y + dy};
  r.TextBounds = {textPos.x + dx, textPos.y + dy, textPos.x + textSize.x + dx, textPos.y + textSize.y + dy};
  r.ArrowPos = {arrowPos.x + dx, arrowPos.y + dy};
  return r;
}

TButtonLayoutResult TButtonGlyph::Draw(TCanvas& canvas, const RECT& client, POINT offset, const std::string& caption,
                                       TButtonLayout layout, int margin, int spacing, TButtonState state, bool wordWrap,
                                       bool showGlyph, bool showCaption, bool dropArrow) {
  TButtonLayoutResult r = CalcButtonLayout(canvas, client, offset, caption, layout, margin, spacing, wordWrap,
                                           showGlyph, showCaption, dropArrow);
  if (showGlyph) DrawGlyph(canvas, r.GlyphPos, state);
  if (showCaption) DrawButtonText(canvas, caption, r.TextBounds, state, wordWrap);
  if (dropArrow) DrawButtonDropArrow(canvas, r.ArrowPos.x, r.ArrowPos.y, state);
  return r;
}
