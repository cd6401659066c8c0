// The arithmetic of docks, tool windows and toolbars as plain functions
// over numbers and rectangles, so each rule reads and tests on its own:
// the rows of a dock, the frames and hit codes of a tool window, where a
// dragged bar lands, keeping a bar on the screen, the toolbar layout and
// the sizes a floating toolbar snaps to.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Enums.h"

enum class TDockPosition { dpTop, dpBottom, dpLeft, dpRight };
TZ_ENUM_NAMES(TDockPosition, "dpTop", "dpBottom", "dpLeft", "dpRight")
using TDockableTo = TSet<TDockPosition>;

// Rows of a top or bottom dock run left to right, of a left or right dock
// top to bottom; no dock (floating) has axis 0.
enum : int { kAxisNone = 0, kAxisHorz = 1, kAxisVert = 2 };
inline int DockAxisOf(TDockPosition p) {
  return p == TDockPosition::dpTop || p == TDockPosition::dpBottom ? kAxisHorz : kAxisVert;
}

// ---- Rows of a dock

// One bar of a dock as its arrangement sees it.
struct TDockSlot {
  int Row = 0, Pos = -1;
  int Length = 0;      // the bar's size along the row
  int Thickness = 0;   // the bar's thickness across the row
  bool FullSize = false;
  int Id = 0;          // the caller's own index
  // Set by ArrangeDockRows:
  int Across = 0;      // where its row starts across the dock
  int Size = 0;        // its size across: the row's thickness + 4
  int PlacedLength = 0;
};

struct TDockArrangement {
  std::vector<int> RowExtents;  // thickness of each row
  int Thickness = 0;            // the client thickness the rows need
};

// Each row's thickness: 8 or the thickest bar of the row.
std::vector<int> MeasureDockRows(const std::vector<TDockSlot>& slots);
// Sorts the slots by row and position, closes empty rows, gives a full-size
// bar its row alone, pushes bars apart, slides overlong rows back and
// places the rows one after the other.
TDockArrangement ArrangeDockRows(std::vector<TDockSlot>& slots, int clientLength, bool limitToOneRow);

// The row an across offset falls in (rows 4 px apart); one past the last
// when none.
int RowAtOffset(const std::vector<int>& rowExtents, int offset);
// Where a dropped bar goes: within 5 px of a row boundary a new row opens
// there, else the row under the offset; past the last row a new last row.
struct TDropRow {
  int Row = 0;
  bool NewRow = false;
  bool operator==(const TDropRow&) const = default;
};
TDropRow RowForDrop(const std::vector<int>& rowExtents, int offset);

// ---- Frames of a tool window

struct TFloatMetrics {
  int FrameWidth = 0, FrameHeight = 0;  // each side
  int CaptionHeight = 0;
};
// Non-client sizes per side, as a rectangle of insets.
RECT FloatingInsets(const TFloatMetrics& m);
RECT DockedInsets(int axis, bool dragHandle);
// In window coordinates: the caption row (less the close square when
// there is one) and the close square.
RECT FloatingCaptionRect(const TFloatMetrics& m, int clientWidth, bool closeButton);
RECT CloseButtonRect(const TFloatMetrics& m, int clientWidth);

struct TFloatHitInput {
  POINT Point{};      // window coordinates
  SIZE Window{};
  TFloatMetrics Metrics;
  int ClientWidth = 0;
  bool CloseButton = true, Resizable = true, CornerSizing = false;
  int DefaultCode = HTNOWHERE;  // the system's answer
};
int FloatingHitTest(const TFloatHitInput& in);

// A caption that does not fit ends in "..." and loses characters before
// it until it fits or is 4 characters long.
std::string FitCaption(std::string text, int width, const std::function<int(const std::string&)>& measure);

// ---- Keeping a floating bar on the screen

// With onlyIfFullyOff a rectangle that meets the work area stays; else it
// is moved inside, the top-left winning for one larger than the area.
RECT KeepRectOnScreen(RECT r, const RECT& workArea, bool onlyIfFullyOff);

// ---- Dragging a bar

struct TDragGrip {
  POINT Grab{};   // press point in window coordinates
  SIZE Ref{};     // the window's width - 1 and height - 1
};
// A dock as the drag loop sees it.
struct TDragDock {
  TDockPosition Position = TDockPosition::dpTop;
  bool AllowDrag = true;
  RECT Client{};  // screen coordinates
  SIZE Size{};    // the bar's window size when docked there
};
// The outline for a window of `size` held at the grab point.
RECT DragFrame(const TDragGrip& grip, POINT cursor, SIZE size);
// The cursor lies in the dock's zone and the outline would meet the dock.
bool DockZoneHit(const TDragGrip& grip, const TDragDock& dock, POINT cursor);
// The target dock's index, or -1 to float. Positions are tried top,
// bottom, left, right; a later position's dock replaces an earlier one,
// and a dock that refuses (accept false) leaves none.
int FindDragTarget(const TDragGrip& grip, const std::vector<TDragDock>& docks, TDockableTo dockableTo, POINT cursor,
                   bool ctrl, const std::function<bool(int)>& accept);
// The floating outline: the cursor held inside the work area, the frame
// kept within reach and its caption not above the top.
RECT FloatingDragFrame(const TDragGrip& grip, POINT cursor, SIZE size, const RECT& workArea,
                       const TFloatMetrics& m);

// ---- Sizing a floating bar

bool SizesLeft(int code);
bool SizesRight(int code);
bool SizesTop(int code);
bool SizesBottom(int code);
// The press rectangle with its moving edges shifted by the cursor's
// movement, widened at a moving edge to the minimum size.
RECT SizingRect(const RECT& press, int code, POINT delta, SIZE minimum);

// ---- Toolbar layout

// One visible child of a toolbar, in layout order.
struct TToolItem {
  bool Separator = false;
  int Width = 0, Height = 0;
  int SizeHorz = 6, SizeVert = 6;  // a separator's length
  bool Blank = false;
};
struct TWrapSeparator {
  int LinePos = 0;  // across position of the line that follows
  bool Blank = false;
  bool operator==(const TWrapSeparator&) const = default;
};
struct TControlGroup {
  int Width = 0, Height = 0;  // totals of the non-separators
  std::vector<int> Items;
};
struct TToolbarLayout {
  SIZE Client{};
  std::vector<RECT> Places;  // one per item, in the toolbar's client area
  std::vector<TWrapSeparator> WrapSeparators;
  std::vector<TControlGroup> Groups;
};
// 8, or the tallest (the widest in a vertical dock) non-separator.
int ToolbarThickness(const std::vector<TToolItem>& items, int axis);
// cellSize 0 takes the line thickness; a docked bar in its own dock passes
// its row's thickness.
TToolbarLayout LayOutToolbarItems(const std::vector<TToolItem>& items, bool docked, int axis, int floatRightX,
                                  int cellSize = 0);

// The window sizes a floating toolbar snaps to while sized by its frame.
struct TSizeSteps {
  int HitCode = 0;
  std::vector<SIZE> Steps;  // window sizes, largest first
  int NewRightX = 0;
  bool Moved = false, WasInside = true;
  int SnapRange = 12;
};
// frame: what the frame and caption add to a client size.
std::vector<SIZE> BuildSizeSteps(const std::vector<TToolItem>& items, SIZE frame, int hitCode);
int SnapRangeFor(const std::vector<SIZE>& steps, SIZE current, int hitCode);
// Picks the step for the sized rectangle and puts its size into newRect.
void ChooseSizeStep(TSizeSteps& s, POINT cursor, RECT& newRect, const RECT& pressBounds, int leftFrameWidth);
