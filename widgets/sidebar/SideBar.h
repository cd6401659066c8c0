// The side bar: stacked pages, each a column of large-icon buttons under a
// caption band. Clicking a band slides the pages so that page's buttons
// show; a page whose buttons do not fit shows small arrows that scroll them.
//
//   object SideBar1: TSideBar                 // the bar
//     object SideBarPage1: TSideBarPage       // a page: its band and buttons
//       Caption = 'Basic'
//       object Button1: TSideBarButton
//         Caption = 'Archive Info.'
//         LargeImages = ImageList1
//         ImageIndex = 0
//         OnClick = SideBarClick
//       end
//       object Spacer1: TSpacer               // a gap in the column
//       end
//     end
//   end
//
// Register the classes with RegisterSideBarClasses() before loading.
#pragma once
#include <vector>

#include "ComCtrls.h"
#include "Description.h"
#include "ExtCtrls.h"

enum class TImageSize { isSmall, isLarge };
TZ_ENUM_NAMES(TImageSize, "isSmall", "isLarge")
enum class TButtonBorder { bbDark, bbLight, bbMono };
TZ_ENUM_NAMES(TButtonBorder, "bbDark", "bbLight", "bbMono")
enum class TSideBarBorderStyle { bsNone, bsSingle };
TZ_ENUM_NAMES(TSideBarBorderStyle, "bsNone", "bsSingle")

// Broadcasts inside a bar: WParam the value, LParam the sending control.
enum : UINT {
  CM_SIDEBARIMAGESIZE = 0xB064,  // WParam: the new TImageSize
  CM_SIDEBARHOTBUTTON = 0xB065,  // a button the mouse has just entered
};

// The geometry, as plain functions of sizes.
namespace SideBarGeometry {
constexpr int kBandHeight = 19;  // a page's caption band
constexpr int kBandPitch = 20;   // one band and the gap under it
constexpr int kButtonStart = 26; // the first button's top in a page

struct TPagePlace {
  bool Placed = false;  // false: an invisible child, left where it is
  int Top = 0, Height = 0;
};
// Where each child of a bar `barHeight` high goes when child `active` is
// activated (-1: none). Empty when the bar is too low for its bands.
std::vector<TPagePlace> PlacePages(int barHeight, const std::vector<bool>& visible, int active);

// Tops of a page's buttons, given in top order: those before `firstVisible`
// out of sight above, those that start below the page out of sight below.
std::vector<int> PlaceButtons(int pageHeight, int start, int margin, int firstVisible, const std::vector<int>& heights);

struct TArrows {
  bool Placed = false;  // false: both hidden
  bool Up = false, Down = false;
};
// Which scroll arrows show: `children` are all of a page's children (arrows
// and spacers too), `buttons` the visible ones other than the arrows, in top order.
TArrows ScrollArrows(const RECT& client, const std::vector<RECT>& children, const std::vector<RECT>& buttons);
}  // namespace SideBarGeometry

class TSideBar;
class TSideBarPage;

class TCustomSideBarButton : public TGraphicControl {
public:
  explicit TCustomSideBarButton(TComponent* owner);
  TButtonBorder ButtonBorder() const { return buttonBorder_; }
  void SetButtonBorder(TButtonBorder b) { buttonBorder_ = b; Invalidate(); }
  bool Down() const { return down_; }
  void SetDown(bool v);
  TFont& HiLiteFont() { return hiLiteFont_; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i) { imageIndex_ = i; Invalidate(); }
  TImageSize ImageSize() const { return imageSize_; }
  void SetImageSize(TImageSize s) { imageSize_ = s; Invalidate(); }
  bool ParentImageSize() const { return parentImageSize_; }
  void SetParentImageSize(bool v);
  TImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TImageList* list);
  TImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TImageList* list);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { spacing_ = v; Invalidate(); }
  bool Hot() const { return hot_; }
  bool Pressed() const { return pressed_; }

protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent* c, TOperation op) override;

private:
  void SetHot(bool hot);
  TButtonBorder buttonBorder_ = TButtonBorder::bbDark;
  bool down_ = false, hot_ = false, pressed_ = false, parentImageSize_ = true;
  TFont hiLiteFont_;
  int imageIndex_ = -1, spacing_ = 4;
  TImageSize imageSize_ = TImageSize::isLarge;
  TImageList *largeImages_ = nullptr, *smallImages_ = nullptr;
};

class TSideBarButton : public TCustomSideBarButton {
public:
  using TCustomSideBarButton::TCustomSideBarButton;
  static const TClassInfo& ClassInfo();
};

// An empty gap between buttons; it only takes room in a page's column.
class TSpacer : public TGraphicControl {
public:
  explicit TSpacer(TComponent* owner);
  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas&) override {}
};

// The scroll arrows a page makes for itself.
class TUpArrowBtn : public TGraphicControl {
public:
  explicit TUpArrowBtn(TComponent* owner);
  ~TUpArrowBtn() override;
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; Invalidate(); }
  bool AutoRepeat() const { return autoRepeat_; }
  void SetAutoRepeat(bool v) { autoRepeat_ = v; }
  bool Pressed() const { return pressed_; }
  // The repeat timer while the arrow is held, or null.
  TTimer* RepeatTimer() const { return timer_; }

protected:
  virtual bool IsDown() const { return false; }
  // One step in the arrow's direction.
  virtual void Step();
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Click() override;
  TSideBarPage* Page() const;

private:
  void TimerTick(TComponent*);
  void StopTimer();
  bool flat_ = false, autoRepeat_ = false, pressed_ = false, mouseOver_ = false;
  TTimer* timer_ = nullptr;
};

class TDownArrowBtn : public TUpArrowBtn {
public:
  using TUpArrowBtn::TUpArrowBtn;

protected:
  bool IsDown() const override { return true; }
  void Step() override;
};

class TSideBarPage : public TCustomControl {
public:
  explicit TSideBarPage(TComponent* owner);
  static const TClassInfo& ClassInfo();
  void SetParent(TWinControl* parent) override;

  bool AutoRepeat() const { return autoRepeat_; }
  void SetAutoRepeat(bool v);
  TBitmap& Bitmap() { return bitmap_; }
  bool AutoCenter() const { return autoCenter_; }
  void SetAutoCenter(bool v);
  TImageSize ImageSize() const { return imageSize_; }
  void SetImageSize(TImageSize s);
  TFont& HiLiteFont() { return hiLiteFont_; }
  bool ParentImageSize() const { return parentImageSize_; }
  void SetParentImageSize(bool v);
  bool ShowPressed() const { return showPressed_; }
  void SetShowPressed(bool v) { showPressed_ = v; Invalidate(); }
  int Margin() const { return margin_; }
  void SetMargin(int v) { margin_ = v; Invalidate(); }
  TSideBar* Bar() const { return bar_; }
  int FirstVisible() const { return firstVisible_; }
  TUpArrowBtn* UpArrow() const { return upArrow_; }
  TDownArrowBtn* DownArrow() const { return downArrow_; }
  bool BandHot() const { return bandHot_; }
  bool BandPressed() const { return bandPressed_; }

  // The page's own steps, in the order a subclass may replace them.
  virtual void ScrollUp();
  virtual void ScrollDown();
  virtual void DrawCaptionBand(TCanvas& canvas);
  virtual void UpdateScrollArrows();
  // Places the buttons from `start` down (signed: a margin may exceed it).
  virtual void ArrangeButtons(int start);
  // Moves `control` to `targetTop`, in steps when smooth; pending messages
  // run after each step and once at the end.
  virtual void SlideControl(TControl* control, int targetTop, bool smooth, int step);

  // The visible children other than the arrows, in top order.
  std::vector<TControl*> ColumnControls() const;

protected:
  void Paint(TCanvas& canvas) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  bool InBand(int x, int y) const;
  void SetBandState(bool hot, bool pressed);
  void BroadcastImageSize();
  bool autoRepeat_ = false, autoCenter_ = false, parentImageSize_ = true, showPressed_ = false;
  TBitmap bitmap_;
  TImageSize imageSize_ = TImageSize::isLarge;
  TFont hiLiteFont_;
  int margin_ = 0, firstVisible_ = 0;
  TSideBar* bar_ = nullptr;
  TUpArrowBtn* upArrow_ = nullptr;
  TDownArrowBtn* downArrow_ = nullptr;
  bool bandHot_ = false, bandPressed_ = false, trackingLeave_ = false;
};

class TSideBar : public TCustomControl {
public:
  explicit TSideBar(TComponent* owner);
  static const TClassInfo& ClassInfo();

  TSideBarPage* ActivePage() const { return current_; }
  // Slides the pages for `page` when it is one of this bar's; anything
  // else forgets the recorded page.
  void SetActivePage(TSideBarPage* page);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  TSideBarBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TSideBarBorderStyle s);
  TImageSize ImageSize() const { return imageSize_; }
  void SetImageSize(TImageSize s);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v) { smooth_ = v; }
  RECT ClientRect() const override;

  // What a click on page `page`'s band does: it becomes the current page,
  // OnClick fires with it as sender, and the pages slide into place.
  void PageActivated(TSideBarPage* page);
  // Moves one page to `targetTop`.
  virtual void SlidePage(TControl* page, int targetTop, bool smooth, int step);

protected:
  void CreateParams(TCreateParams& p) override;
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;
  RECT AlignRect() override { return ClientRect(); }

private:
  // Places the pages for `page`; `letMessagesRun` only outside painting.
  void ArrangePages(TSideBarPage* page, bool letMessagesRun);
  void PaintFrame();
  void StackPages();
  void Watch(TSideBarPage* page);
  TSideBarPage* current_ = nullptr;
  TSideBarPage* recorded_ = nullptr;
  bool autoSize_ = false, smooth_ = false;
  TSideBarBorderStyle borderStyle_ = TSideBarBorderStyle::bsSingle;
  TImageSize imageSize_ = TImageSize::isLarge;
  // Sliding lets messages run, which may paint or click again: those wait.
  bool arranging_ = false;
  TSideBarPage* pending_ = nullptr;
  bool hasPending_ = false;
};

void RegisterSideBarClasses();
