// Button glyphs: a strip of one to five equally wide images (up, disabled,
// down, exclusive, hot) turned into ready-to-draw images per state, kept in
// image lists that every button with glyphs of one size shares.
//
//   TButtonGlyph glyph;                    // one per button
//   glyph.SetGlyph(strip);                 // 80 x 16: five 16 x 16 images
//   glyph.Draw(canvas, client, {0, 0}, "Open", TButtonLayout::blGlyphTop,
//              -1, 4, TButtonState::bsUp, false, true, true, false);
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "Graphics.h"

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive, bsHot };
TZ_ENUM_NAMES(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive", "bsHot")
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
TZ_ENUM_NAMES(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
enum class TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };
TZ_ENUM_NAMES(TButtonDisplayMode, "dmBoth", "dmGlyphOnly", "dmTextOnly")

// Mask colour that stands for the colour of the image's bottom-left pixel.
constexpr COLORREF kBottomLeftColor = CLR_DEFAULT;

// A copy of a bitmap's pixels; null for an empty one.
std::unique_ptr<TBitmap> CopyOf(const TBitmap& source);

// One image list of one image size, with reusable slots.
class TGlyphList : public TImageList {
public:
  TGlyphList(int width, int height);
  // The first free slot, appending an empty image when none is free.
  int AllocateIndex();
  // Puts `image` with a monochrome mask (set bits transparent) into a new slot.
  int Add(HBITMAP image, HBITMAP mask);
  // Puts `image` into a new slot, every pixel of `maskColor` transparent.
  int AddMasked(const TBitmap& image, COLORREF maskColor);
  void ReplaceMasked(int slot, const TBitmap& image, COLORREF maskColor);
  // Frees a used slot; its image stays until the slot is reused.
  void Delete(int slot);
  // Used slots.
  int Count() const { return count_; }
  int ImageWidth() const { return Width(); }
  int ImageHeight() const { return Height(); }

private:
  friend class TGlyphCache;
  std::vector<bool> used_;
  int count_ = 0;
  int holders_ = 0;  // glyphs that hold this list
};

// The program's glyph lists, one per image size.
class TGlyphCache {
public:
  ~TGlyphCache();
  // A list of that size for one more holder; made when none exists.
  TGlyphList* GetList(int width, int height);
  // A holder gives the list back; a list nobody holds and with no used
  // slot is freed.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return lists_.empty(); }
  int ListCount() const { return static_cast<int>(lists_.size()); }

private:
  std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The one cache, or null while no glyph exists.
TGlyphCache* GlyphCache();

// Where CalcButtonLayout puts the parts, in the canvas's coordinates.
struct TButtonLayoutResult {
  POINT GlyphPos{};
  RECT TextBounds{};
  POINT ArrowPos{};
};

// Renders one button's glyph strip, caption and drop-down arrow.
class TButtonGlyph {
public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // Null while empty.
  const TBitmap* GlyphBitmap() const { return glyph_.get(); }
  const TBitmap* MaskBitmap() const { return mask_.get(); }
  void SetGlyph(const TBitmap& bitmap);
  void SetGlyphMask(const TBitmap& bitmap);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int n);
  bool OldDisabledStyle() const { return oldDisabledStyle_; }
  void SetOldDisabledStyle(bool v);
  COLORREF TransparentColor() const { return transparentColor_; }
  std::function<void()> OnChange;

  // Frees every built image and gives the lists back.
  void Invalidate();
  // The list and slot of the state's image, built when needed; {nullptr, -1}
  // without a strip.
  struct TImageRef {
    TGlyphList* List = nullptr;
    int Index = -1;
  };
  TImageRef CreateButtonGlyph(TButtonState state);

  void DrawGlyph(TCanvas& canvas, POINT pos, TButtonState state);
  void DrawButtonText(TCanvas& canvas, const std::string& caption, RECT bounds, TButtonState state, bool wordWrap);
  void DrawButtonDropArrow(TCanvas& canvas, int x, int y, TButtonState state);
  TButtonLayoutResult CalcButtonLayout(TCanvas& canvas, const RECT& client, POINT offset, const std::string& caption,
                                       TButtonLayout layout, int margin, int spacing, bool wordWrap, bool showGlyph,
                                       bool showCaption, bool dropArrow);
  // Lays out, then draws what is shown; returns the layout.
  TButtonLayoutResult Draw(TCanvas& canvas, const RECT& client, POINT offset, const std::string& caption,
                           TButtonLayout layout, int margin, int spacing, TButtonState state, bool wordWrap,
                           bool showGlyph, bool showCaption, bool dropArrow);

private:
  void GlyphChanged();

  std::unique_ptr<TBitmap> glyph_, mask_;
  int numGlyphs_ = 1;
  bool oldDisabledStyle_ = false;
  COLORREF transparentColor_ = 0;
  TGlyphList* lists_[2] = {nullptr, nullptr};
  int index_[2][5];
};
