// The animated menus' arithmetic as plain functions: animation steps and
// frame pacing, row measuring and hit testing, keyboard selection, popup
// placement, the title band's gradient and text position, hint texts and
// placement, and the menu-bar button's size. Nothing here touches a window,
// so every rule is checked by table tests.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

enum class TAnimation { anNone, anVSlide, anHSlide, anSmart, anUnfold, anPopup, anRandom };

// num / den to the nearest integer, halves to even (den > 0).
long long RoundHalfEven(long long num, long long den);

// What an opening or closing runs as, after anRandom, anSmart and anPopup
// are resolved. Stored is the kind the level keeps for its submenus.
struct TOpenKinds {
  TAnimation Now;
  TAnimation Stored;
};
TOpenKinds ResolveOpenKind(TAnimation kind, bool randomHorizontal);
TAnimation ResolveCloseKind(TAnimation kind, bool submenu, bool randomHorizontal);

// Frames of an animation of a W x H level and the step of each edge.
// Every step is at least 1, so no opening or closing loop can stall.
struct TAnimSteps {
  int Frames = 1;
  int HStep = 1, VStep = 1;
};
TAnimSteps AnimationSteps(int width, int height, int itemHeight, bool doubleSpeed, TAnimation resolvedKind);
// The size an animation starts from (and a closing ends at).
SIZE AnimationStartSize(int width, int height, TAnimation resolvedKind);

// Keeps Timeout milliseconds a frame: the sleep after a frame that began
// at t0 and ended at now. A late frame's excess is paid back by the next
// frames' sleeps.
class TFramePacer {
public:
  DWORD Wait(int timeout, DWORD t0, DWORD now);
  int Lateness() const { return lateness_; }

private:
  int lateness_ = 0;
};

// One row of a level.
enum class TRowKind { rkText, rkSeparator, rkControl };
struct TRowShape {
  TRowKind Kind = TRowKind::rkText;
  int ControlHeight = 0;  // rkControl only
};
struct TRowMetrics {
  int ItemHeight = 19, SeparatorHeight = 11, ItemSpace = 0;
  int RowHeight(const TRowShape& row) const;
};
// The rows' total height: ItemSpace above the first and after each row.
int ItemsHeight(const std::vector<TRowShape>& rows, const TRowMetrics& m, int minimumHeight = 0);
// Caption and shortcut columns, plus the title band on the top level.
int ItemsWidth(int widestCaption, int widestShortcut, int titleWidth, int minimumWidth = 0);
// The level's form: the columns with their indents and the frame.
SIZE PopupFormSize(int itemsWidth, int itemsHeight, int indent);
// Top of the first painted row.
constexpr int kFirstRowOffset = 3;
// The painted top of each row, and of the row at index.
int RowTop(const std::vector<TRowShape>& rows, const TRowMetrics& m, int index);
// Offset of the selected row for a submenu: the rows above it, no gaps.
int SelectedItemTop(const std::vector<TRowShape>& rows, const TRowMetrics& m, int selected);

enum class TTitleSide { tsNone, tsLeft, tsRight };
// The row under a client point, or -1. Rows are hit where they are painted.
int RowAtPoint(const std::vector<TRowShape>& rows, const TRowMetrics& m, int formWidth, TTitleSide title,
               int titleWidth, int x, int y);

// The keyboard's move to row `requested` from `previous`: rows that cannot
// be selected are skipped in the direction of the move, with wrapping.
int StepSelection(int previous, int requested, const std::vector<bool>& selectable);

// Where a level opens on the screen.
struct TPlaceInput {
  POINT At{};                 // the requested top-left corner
  SIZE Size{};                // W x H
  RECT WorkArea{};            // the screen less the task bar
  TAnimation OpenKind = TAnimation::anSmart;  // the level's kind, not yet resolved
  bool Submenu = false;
  int ParentLeft = 0;         // submenus: the parent level's left edge
  bool FromBarButton = false; // top level opened from a menu-bar button
  bool BarButtonVertical = false;
  int BarButtonLeft = 0, BarButtonWidth = 0;
  int InvokerHeight = 0;      // the control that opened it; 0 for none
  bool InvokerIsButton = false;
  bool SystemMenuFromForm = false;
  int FormTop = 0;
};
struct TPlacement {
  // Left and top; with leftward growth the right edge the level grows from,
  // with upward growth the row its bottom edge grows from.
  POINT Anchor{};
  bool Upward = false, Leftward = false;
};
TPlacement PlacePopup(const TPlaceInput& in);
// The level's screen rectangle at size w x h of its animation.
RECT FrameBounds(const TPlacement& p, int w, int h);

// Title band: the colour of band i (0..255, top first) from ColorEnd at the
// top to nearly ColorBegin at the bottom, and the rows it covers.
COLORREF TitleBandColor(int i, COLORREF colorBegin, COLORREF colorEnd);
struct TBandSpan {
  int Top, Bottom;
};
TBandSpan TitleBandSpan(int i, int height);
// Where the rotated title text starts inside a band of w x h.
POINT TitleTextPos(bool upward, int alignment /* 0 left, 1 right, 2 centre */, int w, int h, int textWidth,
                   int textHeight);

// Hints: the short part (before "|"), the long part (after it, or all).
std::string ShortHint(std::string_view hint);
std::string LongHint(std::string_view hint);
std::string Trim(std::string_view s);
// The hint window's lines: "&#13;" or a carriage return ends a line.
std::vector<std::string> HintLines(std::string_view hint);
// A status-bar text: each "&#" and the three characters after it become one space.
std::string StatusHintText(std::string_view hint);
// The hint window's top-left corner below the cursor, inside the work area.
POINT HintWindowPos(POINT cursor, SIZE size, const RECT& workArea);

// "AM_" and the letters of an item's name in upper case.
std::string ItemBitmapName(std::string_view name);
// A caption's text without its accelerator marks ("&&" keeps one "&").
std::string StripAccelerators(std::string_view caption);

// The menu-bar button's size; side docks swap the two.
SIZE MenuButtonSize(int textWidth, int textHeight, int glyphHeight, bool iconButton, bool sideDock);
// Where a bar button's menu opens, in the button's coordinates.
struct TBarShape {
  bool DockedVertical = false;
  bool Floating = false;
  int BarWidth = 0, BarHeight = 0;
};
POINT MenuButtonPopupPoint(int left, int top, int width, int height, const TBarShape& bar);
