// TDock: a strip along one edge of a form that holds tool windows in rows.
// It sorts, pushes apart and pulls back its bars, sizes each row to its
// thickest bar and itself to the sum of its rows; it can tile a background
// through its bars and draw one-pixel bound lines on its sides.
//
//   object Dock1: TDock                 // owned by the form
//     Position = dpTop
//     BoundLines = [blBottom]
//     object Toolbar1: TToolbar         // docked: row 0, first place
//       DockRow = 0
//     end
//   end
//
// Register with RegisterClass(TDock::ClassInfo()).
#pragma once
#include <memory>
#include <vector>

#include "Controls.h"
#include "Description.h"
#include "DockMath.h"

enum class TDockBoundLine { blTop, blBottom, blLeft, blRight };
TZ_ENUM_NAMES(TDockBoundLine, "blTop", "blBottom", "blLeft", "blRight")
using TDockBoundLines = TSet<TDockBoundLine>;

class TCustomToolWindow;

using TInsertRemoveEvent = TEvent<bool /*inserting*/, TCustomToolWindow* /*bar*/>;
using TRequestDockEvent = TEvent<TCustomToolWindow* /*bar*/, bool& /*accept*/>;

class TDock : public TCustomControl {
public:
  explicit TDock(TComponent* owner);
  ~TDock() override;

  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool value);
  // Change the bitmap, then call BackgroundChanged.
  TBitmap& Background() { return background_; }
  bool LoadBackground(const std::vector<uint8_t>& bmpBytes);
  void BackgroundChanged() { BackgroundModified(); }
  bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
  void SetBackgroundOnToolbars(bool value);
  bool BackgroundTransparent() const { return backgroundTransparent_; }
  void SetBackgroundTransparent(bool value);
  TDockBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(TDockBoundLines value);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool value);
  bool LimitToOneRow() const { return limitToOneRow_; }
  void SetLimitToOneRow(bool value);
  TDockPosition Position() const { return position_; }
  void SetPosition(TDockPosition value);
  TInsertRemoveEvent OnInsertRemoveBar;
  TRequestDockEvent OnRequestDock;

  // The bars that take part in the layout: the visible docked ones.
  const std::vector<TCustomToolWindow*>& Bars() const { return bars_; }
  const std::vector<int>& RowExtents() const { return rowExtents_; }
  int DockAxis() const { return DockAxisOf(position_); }

  // While held, LayOutBars does nothing.
  class TArrangeHold {
  public:
    explicit TArrangeHold(TDock* dock) : dock_(dock) { if (dock_) ++dock_->arrangeLock_; }
    ~TArrangeHold() { if (dock_) --dock_->arrangeLock_; }
    TArrangeHold(const TArrangeHold&) = delete;
    TArrangeHold& operator=(const TArrangeHold&) = delete;

  private:
    TDock* dock_;
  };
  int ArrangeLock() const { return arrangeLock_; }

  // A bar joins (counts: it is visible) or leaves the bar list.
  void UpdateBarList(bool inserting, TCustomToolWindow* bar, bool counts);
  void LayOutBars();

  int LastRowIndex() const;
  void MeasureRows();
  int RowThickness(int row, TCustomToolWindow* bar) const;
  TDropRow RowForDrop(int offset) const;
  int RowAtOffset(int offset) const;
  void OpenRowAt(int row);
  int CountBarsInRow(int row, const TCustomToolWindow* exceptBar) const;

  bool HasBackground() const { return background_.Width() > 0 && background_.Height() > 0; }
  // Tiles the background over tile, drawing only inside clip less exclude.
  void PaintTiledBackground(HDC dc, const RECT& clip, const RECT& tile, const RECT* exclude);
  void RepaintBackgrounds();
  // The dock's client origin in its parent's client area: where the tiles
  // of the dock and its bars are anchored from.
  POINT BackgroundAnchor() const;

  void SetParent(TWinControl* parent) override;
  void SetVisible(bool visible) override;
  RECT ClientRect() const override;
  // Bound-line widths at each side for a window of the given size.
  RECT BoundLineInsets(int width, int height) const;

  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;
  void Loaded() override;
  void Resize() override;
  void ChildChanged(TControl* child, TChildChange change) override;

private:
  bool FormClosingDown() const;
  void FitDockSize(int clientThickness);
  void BackgroundModified();
  void PaintBoundLines(HRGN updateRegion);
  const TBitmap& TileSource();

  bool allowDrag_ = true;
  TBitmap background_;
  std::unique_ptr<TBitmap> transparentCopy_;
  bool backgroundOnToolbars_ = true, backgroundTransparent_ = false;
  TDockBoundLines boundLines_;
  bool fixAlign_ = false, limitToOneRow_ = false;
  TDockPosition position_ = TDockPosition::dpTop;
  std::vector<TCustomToolWindow*> bars_;
  std::vector<int> rowExtents_;
  int arrangeLock_ = 0;
  bool arranging_ = false;
};
