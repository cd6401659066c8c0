// The arithmetic of docks and toolbars: rows, drop rows, hit codes,
// keeping on the screen, drag targets, the toolbar layout and its sizing
// steps, one table each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DockMath.h"

namespace {
TDockSlot Bar(int row, int pos, int length, int thickness = 22, bool fullSize = false) {
  TDockSlot s;
  s.Row = row;
  s.Pos = pos;
  s.Length = length;
  s.Thickness = thickness;
  s.FullSize = fullSize;
  return s;
}

// Row, position and placed length of each slot, by the caller's index.
struct TPlaced {
  int Row, Pos, Length;
  bool operator==(const TPlaced&) const = default;
};
std::vector<TPlaced> Placed(const std::vector<TDockSlot>& slots) {
  std::vector<TPlaced> out(slots.size());
  for (const auto& s : slots) out[static_cast<size_t>(s.Id)] = {s.Row, s.Pos, s.PlacedLength};
  return out;
}

std::string Show(const RECT& r) {
  return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + "}";
}
std::string Show(SIZE s) { return std::to_string(s.cx) + "x" + std::to_string(s.cy); }
std::string Show(const std::vector<SIZE>& v) {
  std::string out;
  for (SIZE s : v) out += Show(s) + " ";
  return out;
}

TToolItem Button(int w = 22, int h = 22) {
  TToolItem i;
  i.Width = w;
  i.Height = h;
  return i;
}
TToolItem Sep(bool blank = false, int size = 6) {
  TToolItem i;
  i.Separator = true;
  i.Width = size;
  i.Height = size;
  i.SizeHorz = i.SizeVert = size;
  i.Blank = blank;
  return i;
}
}  // namespace

TEST(DockRows, ArrangementTable) {
  struct {
    const char* name;
    std::vector<TDockSlot> slots;
    int clientLength;
    bool oneRow;
    std::vector<TPlaced> expected;
    std::vector<int> extents;
  } rows[] = {
      {"two bars at row 0, pos 0 end side by side", {Bar(0, 0, 50), Bar(0, 0, 40)}, 300, false,
       {{0, 0, 50}, {0, 50, 40}}, {22}},
      {"rows 0, 3 and 7 close up", {Bar(0, 0, 50), Bar(3, 0, 50), Bar(7, 0, 50)}, 300, false,
       {{0, 0, 50}, {1, 0, 50}, {2, 0, 50}}, {22, 22, 22}},
      {"a full-size bar keeps its row alone", {Bar(0, 0, 50), Bar(0, 100, 80, 22, true), Bar(1, 0, 30)}, 300, false,
       {{1, 0, 50}, {0, 0, 300}, {2, 0, 30}}, {22, 22, 22}},
      {"a full-size bar first in its row", {Bar(0, 0, 80, 22, true), Bar(0, 60, 50)}, 300, false,
       {{0, 0, 300}, {1, 60, 50}}, {22, 22}},
      {"an overlong row slides back by its overflow", {Bar(0, 0, 30), Bar(0, 40, 30), Bar(0, 100, 60)}, 150, false,
       {{0, 0, 30}, {0, 30, 30}, {0, 90, 60}}, {22}},
      {"a row longer than the dock keeps its first bar at 0", {Bar(0, 0, 60), Bar(0, 70, 50)}, 100, false,
       {{0, 0, 60}, {0, 60, 50}}, {22}},
      {"small controls still make rows 8 thick", {Bar(0, 0, 20, 5), Bar(1, 0, 20, 30)}, 300, false,
       {{0, 0, 20}, {1, 0, 20}}, {8, 30}},
      {"limited to one row", {Bar(0, 0, 50), Bar(1, 0, 40), Bar(2, 10, 30)}, 300, true,
       {{0, 0, 50}, {0, 50, 40}, {0, 90, 30}}, {22}},
      {"a negative row becomes the first", {Bar(0, 0, 50), Bar(-3, 0, 40)}, 300, false,
       {{1, 0, 50}, {0, 0, 40}}, {22, 22}},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (size_t i = 0; i < row.slots.size(); ++i) row.slots[i].Id = static_cast<int>(i);
    TDockArrangement a = ArrangeDockRows(row.slots, row.clientLength, row.oneRow);
    auto placed = Placed(row.slots);
    ASSERT_EQ(placed.size(), row.expected.size());
    for (size_t i = 0; i < placed.size(); ++i) {
      EXPECT_EQ(placed[i], row.expected[i]) << "bar " << i << ": row " << placed[i].Row << " pos " << placed[i].Pos
                                            << " length " << placed[i].Length;
    }
    EXPECT_EQ(a.RowExtents, row.extents);
    // Rows follow one another, each its thickness + 4 across.
    int across = 0;
    for (int extent : a.RowExtents) across += extent + 4;
    EXPECT_EQ(a.Thickness, across);
    for (const auto& s : row.slots) {
      int before = 0;
      for (int r = 0; r < s.Row; ++r) before += a.RowExtents[static_cast<size_t>(r)] + 4;
      EXPECT_EQ(s.Across, before);
      EXPECT_EQ(s.Size, a.RowExtents[static_cast<size_t>(s.Row)] + 4);
    }
  }
}

TEST(DockRows, EqualPlacesKeepTheListOrder) {
  std::vector<TDockSlot> slots = {Bar(0, 5, 10), Bar(0, 5, 20), Bar(0, 5, 30)};
  for (size_t i = 0; i < slots.size(); ++i) slots[i].Id = static_cast<int>(i);
  ArrangeDockRows(slots, 300, false);
  EXPECT_EQ(Placed(slots), (std::vector<TPlaced>{{0, 5, 10}, {0, 15, 20}, {0, 35, 30}}));
}

TEST(DockRows, DropRowAndRowAtOffset) {
  const std::vector<int> two{22, 22};  // rows span [0, 26) and [26, 52)
  struct {
    std::vector<int> extents;
    int offset;
    TDropRow expected;
  } drops[] = {
      {two, 0, {0, true}},   {two, 5, {0, true}},   {two, 6, {0, false}},  {two, 21, {0, false}},
      {two, 22, {1, true}},  {two, 31, {1, true}},  {two, 32, {1, false}}, {two, 47, {1, false}},
      {two, 48, {2, true}},  {two, 57, {2, true}},  {two, 58, {2, false}}, {two, 500, {2, false}},
      {{}, 3, {0, true}},    {{}, 10, {0, false}},
  };
  for (const auto& d : drops) {
    TDropRow r = RowForDrop(d.extents, d.offset);
    EXPECT_EQ(r, d.expected) << "offset " << d.offset << " rows " << d.extents.size() << ": got row " << r.Row
                             << (r.NewRow ? " new" : " join");
  }
  const std::vector<int> mixed{22, 10};  // rows end at 26 and 40
  struct {
    int offset, row;
  } at[] = {{0, 0}, {25, 0}, {26, 1}, {39, 1}, {40, 2}, {100, 2}};
  for (auto a : at) EXPECT_EQ(RowAtOffset(mixed, a.offset), a.row) << "offset " << a.offset;
}

TEST(ToolWindowFrames, FloatingHitTestTable) {
  // A 100 x 50 window, frames 4, caption 15: the caption row is y 4..17,
  // the close square x 82..95 of it; y 18 is the line below the caption.
  TFloatMetrics m{4, 4, 15};
  struct {
    const char* name;
    POINT p;
    bool closeButton, resizable, corners;
    int defaultCode, expected;
  } rows[] = {
      {"client stays client", {50, 30}, true, true, false, HTCLIENT, HTCLIENT},
      {"caption drags", {20, 10}, true, true, false, HTNOWHERE, HTCLIENT},
      {"close square", {90, 10}, true, true, false, HTNOWHERE, HTCLOSE},
      {"close square without a button", {90, 10}, false, true, false, HTNOWHERE, HTCLIENT},
      {"line below the caption", {50, 18}, true, true, false, HTNOWHERE, HTNOWHERE},
      {"top band", {50, 1}, true, true, false, HTTOP, HTTOP},
      {"bottom band", {50, 45}, true, true, false, HTNOWHERE, HTBOTTOM},
      {"left band", {2, 30}, true, true, false, HTLEFT, HTLEFT},
      {"right band", {95, 30}, true, true, false, HTNOWHERE, HTRIGHT},
      {"corner without corner sizing is top", {1, 1}, true, true, false, HTTOPLEFT, HTTOP},
      {"corner sizing, left band near the top", {2, 5}, true, true, true, HTLEFT, HTTOPLEFT},
      {"corner sizing, left band near the bottom", {2, 40}, true, true, true, HTLEFT, HTBOTTOMLEFT},
      {"corner sizing, left band middle", {2, 25}, true, true, true, HTLEFT, HTLEFT},
      {"corner sizing, top band near the right", {90, 1}, true, true, true, HTTOP, HTTOPRIGHT},
      {"corner sizing, bottom band near the left", {10, 48}, true, true, true, HTBOTTOM, HTBOTTOMLEFT},
      {"not resizable drops the system's sizing code", {2, 30}, true, false, false, HTLEFT, HTNOWHERE},
      {"not resizable keeps other codes", {2, 30}, true, false, false, HTBORDER, HTBORDER},
  };
  for (const auto& row : rows) {
    TFloatHitInput in;
    in.Point = row.p;
    in.Window = {100, 50};
    in.Metrics = m;
    in.ClientWidth = 92;
    in.CloseButton = row.closeButton;
    in.Resizable = row.resizable;
    in.CornerSizing = row.corners;
    in.DefaultCode = row.defaultCode;
    EXPECT_EQ(FloatingHitTest(in), row.expected) << row.name;
  }
}

TEST(ToolWindowFrames, InsetsAndCaptionRects) {
  TFloatMetrics m{4, 4, 15};
  EXPECT_EQ(Show(FloatingInsets(m)), "{4,19,4,4}");
  EXPECT_EQ(Show(DockedInsets(kAxisHorz, true)), "{11,2,2,2}");
  EXPECT_EQ(Show(DockedInsets(kAxisVert, true)), "{2,11,2,2}");
  EXPECT_EQ(Show(DockedInsets(kAxisHorz, false)), "{2,2,2,2}");
  EXPECT_EQ(Show(FloatingCaptionRect(m, 92, false)), "{4,4,96,18}");
  EXPECT_EQ(Show(FloatingCaptionRect(m, 92, true)), "{4,4,82,18}");
  EXPECT_EQ(Show(CloseButtonRect(m, 92)), "{82,4,96,18}");
}

TEST(ToolWindowFrames, CaptionEllipsisKeepsFourCharacters) {
  auto sixEach = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };
  struct {
    std::string text;
    int width;
    std::string expected;
  } rows[] = {
      {"Bar", 30, "Bar"}, {"Toolbar", 42, "Toolbar"}, {"Toolbar", 30, "To..."},
      {"Toolbar", 10, "T..."}, {"ab", 0, "a..."}, {"", 0, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(FitCaption(row.text, row.width, sixEach), row.expected) << row.text << " in " << row.width;
}

TEST(KeepOnScreen, Table) {
  const RECT work{0, 0, 800, 600};
  struct {
    const char* name;
    RECT r;
    bool onlyIfFullyOff;
    RECT expected;
  } rows[] = {
      {"partly off, only if fully off: stays", {790, 10, 890, 60}, true, {790, 10, 890, 60}},
      {"fully off to the right", {900, 10, 1000, 60}, true, {700, 10, 800, 60}},
      {"partly off, always: moved in", {790, 10, 890, 60}, false, {700, 10, 800, 60}},
      {"above the top", {10, -100, 110, -50}, true, {10, 0, 110, 50}},
      {"left and below", {-300, 700, -200, 750}, true, {0, 550, 100, 600}},
      {"larger than the area: top-left wins", {-50, -50, 900, 700}, false, {0, 0, 950, 750}},
  };
  for (const auto& row : rows) EXPECT_EQ(Show(KeepRectOnScreen(row.r, work, row.onlyIfFullyOff)), Show(row.expected)) << row.name;
}

TEST(DragTarget, FrameFollowsTheGrabPoint) {
  TDragGrip grip{{50, 15}, {100, 30}};  // a 101 x 31 window held in its middle
  struct {
    const char* name;
    POINT cursor;
    SIZE size;
    RECT expected;
  } rows[] = {
      {"same size", {400, 15}, {101, 31}, {350, 0, 451, 31}},
      {"a taller outline keeps the proportion", {400, 100}, {51, 61}, {375, 70, 426, 131}},
  };
  for (const auto& row : rows) EXPECT_EQ(Show(DragFrame(grip, row.cursor, row.size)), Show(row.expected)) << row.name;
}

TEST(DragTarget, OnePixelWindowDividesByNothing) {
  // Width - 1 and height - 1 are 0: the grab point is the frame's corner.
  TDragGrip grip{{0, 0}, {0, 0}};
  EXPECT_EQ(Show(DragFrame(grip, {300, 200}, {41, 25})), "{300,200,341,225}");
  TDragDock top{TDockPosition::dpTop, true, {0, 0, 800, 30}, {41, 25}};
  EXPECT_TRUE(DockZoneHit(grip, top, {300, 10}));
  EXPECT_FALSE(DockZoneHit(grip, top, {300, 60}));
  TFloatMetrics m{4, 4, 15};
  EXPECT_EQ(Show(FloatingDragFrame(grip, {300, 200}, {41, 25}, {0, 0, 800, 600}, m)), "{300,200,341,225}");
}

TEST(DragTarget, DockZones) {
  // Grabbed at the left edge (a = 0) and the top (b = 0): the zone reaches
  // 32 px left and 20 px up from the dock, nothing right or down.
  TDragGrip leftTop{{0, 0}, {100, 30}};
  TDragGrip rightBottom{{100, 30}, {100, 30}};
  TDragDock top{TDockPosition::dpTop, true, {0, 100, 800, 130}, {101, 31}};
  TDragDock empty{TDockPosition::dpBottom, true, {0, 500, 800, 500}, {101, 31}};
  TDragDock left{TDockPosition::dpLeft, true, {200, 130, 230, 400}, {31, 101}};
  struct {
    const char* name;
    const TDragGrip& grip;
    const TDragDock& dock;
    POINT cursor;
    bool hit;
  } rows[] = {
      {"inside", leftTop, top, {400, 110}, true},
      {"20 px above, grabbed at the top", leftTop, top, {400, 80}, true},
      {"21 px above", leftTop, top, {400, 79}, false},
      {"below, grabbed at the top", leftTop, top, {400, 130}, false},
      {"20 px below its last row, grabbed at the bottom", rightBottom, top, {400, 149}, true},
      {"21 px below, grabbed at the bottom", rightBottom, top, {400, 150}, false},
      {"empty dock widened by a pixel", leftTop, empty, {400, 495}, true},
      {"left dock: above its top", leftTop, left, {210, 129}, false},
      {"left dock: 30 px left of it", leftTop, left, {170, 200}, true},
      {"left dock: in the zone, but the outline does not reach it", leftTop, left, {169, 200}, false},
      {"left dock: 33 px left of it", leftTop, left, {167, 200}, false},
  };
  for (const auto& row : rows) EXPECT_EQ(DockZoneHit(row.grip, row.dock, row.cursor), row.hit) << row.name;
}

TEST(DragTarget, PositionsAndRefusals) {
  // A top dock and a left dock whose zones overlap at the corner, for a
  // bar held at its bottom-left corner.
  TDragGrip grip{{0, 30}, {100, 30}};
  std::vector<TDragDock> docks = {
      {TDockPosition::dpTop, true, {0, 0, 800, 30}, {101, 31}},
      {TDockPosition::dpLeft, true, {0, 30, 30, 600}, {31, 101}},
      {TDockPosition::dpTop, false, {0, 0, 800, 30}, {101, 31}},
  };
  TDockableTo all{TDockPosition::dpTop, TDockPosition::dpBottom, TDockPosition::dpLeft, TDockPosition::dpRight};
  auto acceptAll = [](int) { return true; };
  auto refuse = [](int refused) { return [refused](int i) { return i != refused; }; };
  struct {
    const char* name;
    POINT cursor;
    TDockableTo to;
    bool ctrl;
    std::function<bool(int)> accept;
    int expected;
  } rows[] = {
      {"top dock alone", {400, 10}, all, false, acceptAll, 0},
      {"overlap: the left dock wins", {10, 40}, all, false, acceptAll, 1},
      {"overlap, left refuses: floats", {10, 40}, all, false, refuse(1), -1},
      {"overlap, not dockable left: top", {10, 40}, {TDockPosition::dpTop}, false, acceptAll, 0},
      {"Ctrl floats", {400, 10}, all, true, acceptAll, -1},
      {"far from every dock", {400, 300}, all, false, acceptAll, -1},
  };
  for (const auto& row : rows) EXPECT_EQ(FindDragTarget(grip, docks, row.to, row.cursor, row.ctrl, row.accept), row.expected) << row.name;
}

TEST(DragTarget, FloatingFrameStaysWithinReach) {
  const RECT work{0, 0, 800, 600};
  TFloatMetrics m{4, 4, 15};
  struct {
    const char* name;
    TDragGrip grip;
    POINT cursor;
    RECT expected;
  } rows[] = {
      {"inside", {{50, 15}, {100, 40}}, {400, 300}, {350, 285, 451, 326}},
      // Top limit: 0 + 4 - 4 - 15 = -15.
      {"above the screen stops at the caption", {{50, 25}, {100, 40}}, {400, -500}, {350, -15, 451, 26}},
      // Held at its right edge and pushed off the left: it comes back to touch x = 8.
      {"off the left comes back", {{100, 0}, {100, 40}}, {-300, 300}, {-93, 300, 8, 341}},
      // The cursor is held at the last row, 599; the frame then comes back to y = 592.
      {"below the screen comes back", {{0, 0}, {100, 40}}, {400, 900}, {400, 592, 501, 633}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Show(FloatingDragFrame(row.grip, row.cursor, {101, 41}, work, m)), Show(row.expected)) << row.name;
}

TEST(Sizing, RectangleFollowsTheMovingEdges) {
  const RECT press{100, 100, 200, 150};
  const SIZE minimum{30, 30};
  struct {
    const char* name;
    int code;
    POINT delta;
    RECT expected;
  } rows[] = {
      {"left out", HTLEFT, {-20, 5}, {80, 100, 200, 150}},
      {"right too far in", HTRIGHT, {-90, 0}, {100, 100, 130, 150}},
      {"left too far in", HTLEFT, {90, 0}, {170, 100, 200, 150}},
      {"bottom too far up", HTBOTTOM, {0, -45}, {100, 100, 200, 130}},
      {"top-left corner", HTTOPLEFT, {-10, -10}, {90, 90, 200, 150}},
  };
  for (const auto& row : rows) EXPECT_EQ(Show(SizingRect(press, row.code, row.delta, minimum)), Show(row.expected)) << row.name;
}

TEST(ToolbarLayout, Table) {
  struct TRow {
    const char* name;
    std::vector<TToolItem> items;
    bool docked;
    int axis, floatRightX, cell;
    SIZE client;
    std::vector<RECT> places;
    std::vector<TWrapSeparator> wraps;
  };
  const TToolItem b = Button();
  TRow rows[] = {
      {"docked never wraps", {b, b, b}, true, kAxisHorz, 30, 0, {66, 22}, {{0, 0, 22, 22}, {22, 0, 44, 22}, {44, 0, 66, 22}}, {}},
      {"floating, one line", {b, Button(23, 20), Sep(), b}, false, kAxisNone, 0, 0, {81, 25},
       {{4, 2, 26, 24}, {26, 3, 49, 23}, {49, 2, 55, 24}, {55, 2, 77, 24}}, {}},
      {"a group that does not fit starts a line 6 px lower", {b, Sep(), b, Sep(true), b}, false, kAxisNone, 40, 0, {30, 81},
       {{4, 2, 26, 24}, {26, 2, 26, 24}, {4, 30, 26, 52}, {26, 30, 26, 52}, {4, 58, 26, 80}},
       {{30, false}, {58, true}}},
      {"a wide control breaks its group without the gap", {b, Button(60, 22), b}, false, kAxisNone, 40, 0, {68, 69},
       {{4, 2, 26, 24}, {4, 24, 64, 46}, {4, 46, 26, 68}}, {}},
      {"no controls, floating", {}, false, kAxisNone, 0, 0, {16, 11}, {}, {}},
      {"no controls, docked", {}, true, kAxisHorz, 0, 0, {8, 8}, {}, {}},
      {"no controls in its own row", {}, true, kAxisHorz, 0, 30, {8, 30}, {}, {}},
      {"a thicker row centres controls, separators take it whole", {b, Sep(), Button(22, 21)}, true, kAxisHorz, 0, 30,
       {50, 22}, {{0, 4, 22, 26}, {22, 0, 28, 30}, {28, 4, 50, 25}}, {}},
      {"vertical dock", {b, Sep(), Button(30, 20)}, true, kAxisVert, 0, 0, {30, 48},
       {{4, 0, 26, 22}, {0, 22, 30, 28}, {0, 28, 30, 48}}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TToolbarLayout l = LayOutToolbarItems(row.items, row.docked, row.axis, row.floatRightX, row.cell);
    EXPECT_EQ(Show(l.Client), Show(row.client));
    ASSERT_EQ(l.Places.size(), row.places.size());
    for (size_t i = 0; i < l.Places.size(); ++i) EXPECT_EQ(Show(l.Places[i]), Show(row.places[i])) << "item " << i;
    EXPECT_EQ(l.WrapSeparators, row.wraps);
  }
}

TEST(ToolbarLayout, GroupsEndWithTheirSeparators) {
  TToolbarLayout l = LayOutToolbarItems({Button(22, 20), Button(23, 21), Sep(), Button(), Sep()}, false, kAxisNone, 0);
  ASSERT_EQ(l.Groups.size(), 2u);
  EXPECT_EQ(l.Groups[0].Items, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(l.Groups[0].Width, 45);
  EXPECT_EQ(l.Groups[0].Height, 41);
  EXPECT_EQ(l.Groups[1].Items, (std::vector<int>{3, 4}));
  EXPECT_EQ(ToolbarThickness({Button(22, 20), Sep(false, 40)}, kAxisNone), 20);
  EXPECT_EQ(ToolbarThickness({Button(30, 20)}, kAxisVert), 30);
  EXPECT_EQ(ToolbarThickness({Button(5, 5)}, kAxisNone), 8);
}

TEST(SizeSteps, DistinctWrapWidthsLargestFirst) {
  const std::vector<TToolItem> four(4, Button());
  const SIZE frame{10, 30};
  // One line 96 x 25; then 2 + 2 (3 + 1 is as high, so it goes); then one a line.
  EXPECT_EQ(Show(BuildSizeSteps(four, frame, HTRIGHT)), "106x55 62x77 40x121 ");
  EXPECT_EQ(Show(BuildSizeSteps(four, frame, HTBOTTOM)), "40x121 62x77 106x55 ");
}

TEST(SizeSteps, ControlWiderThanTheLimitEndsTheSearch) {
  // Every limit under 88 lays out at 88: the search must stop there.
  EXPECT_EQ(Show(BuildSizeSteps({Button(), Button(80, 22)}, {10, 30}, HTRIGHT)), "120x55 98x77 ");
  EXPECT_EQ(Show(BuildSizeSteps({Button(200, 22)}, {10, 30}, HTRIGHT)), "218x55 ");
}

TEST(SizeSteps, SnapRange) {
  std::vector<SIZE> steps{{106, 55}, {62, 77}, {40, 121}};
  EXPECT_EQ(SnapRangeFor(steps, {62, 77}, HTRIGHT), 12);
  EXPECT_EQ(SnapRangeFor({{106, 55}, {100, 77}, {95, 121}}, {100, 77}, HTRIGHT), 4);
  EXPECT_EQ(SnapRangeFor({{106, 55}, {105, 77}}, {106, 55}, HTRIGHT), 0);
  EXPECT_EQ(SnapRangeFor(steps, {70, 70}, HTRIGHT), 12);
  EXPECT_EQ(SnapRangeFor({{40, 121}, {62, 77}, {106, 55}}, {62, 77}, HTBOTTOM), 12);
}

TEST(SizeSteps, ChoosingAStepAsTheEdgeMoves) {
  // Right edge of a 62 x 77 window; frame width 4.
  TSizeSteps s;
  s.HitCode = HTRIGHT;
  s.Steps = {{106, 55}, {62, 77}, {40, 121}};
  s.SnapRange = 12;
  const RECT press{0, 0, 62, 77};
  struct {
    const char* name;
    int right;
    RECT expected;
    int newRightX;
    bool moved;
  } moves[] = {
      {"back inside by less than the snap range: kept", 58, {0, 0, 62, 77}, 54, false},
      {"further in: the next narrower step", 45, {0, 0, 40, 121}, 32, true},
      {"back out, still inside: no snap once moved", 58, {0, 0, 40, 121}, 32, true},
      {"just across the edge: snaps to the current size", 66, {0, 0, 62, 77}, 54, false},
      {"out: the next wider step, one line", 80, {0, 0, 106, 55}, 0, true},
      {"far out: the widest", 300, {0, 0, 106, 55}, 0, true},
      {"far in: the narrowest", 10, {0, 0, 40, 121}, 32, true},
  };
  for (const auto& mv : moves) {
    SCOPED_TRACE(mv.name);
    RECT r{0, 0, mv.right, 77};
    ChooseSizeStep(s, {mv.right, 30}, r, press, 4);
    EXPECT_EQ(Show(r), Show(mv.expected));
    EXPECT_EQ(s.NewRightX, mv.newRightX);
    EXPECT_EQ(s.Moved, mv.moved);
  }
}

TEST(SizeSteps, LeftAndBottomEdges) {
  TSizeSteps left;
  left.HitCode = HTLEFT;
  left.Steps = {{106, 55}, {62, 77}, {40, 121}};
  RECT r{115, 0, 162, 77};  // 47 from the right edge
  ChooseSizeStep(left, {115, 30}, r, {100, 0, 162, 77}, 4);
  EXPECT_EQ(Show(r), "{122,0,162,121}");

  TSizeSteps bottom;
  bottom.HitCode = HTBOTTOM;
  bottom.Steps = {{40, 121}, {62, 77}, {106, 55}};
  RECT b{0, 0, 62, 100};
  ChooseSizeStep(bottom, {30, 100}, b, {0, 0, 62, 77}, 4);
  EXPECT_EQ(Show(b), "{0,0,40,121}");
}

// The step follows the cursor, not the dragged rectangle: a press a few
// pixels inside the edge must not shift every step by that offset.
TEST(SizeSteps, MeasuredFromTheCursor) {
  TSizeSteps s;
  s.HitCode = HTRIGHT;
  s.Steps = {{106, 55}, {62, 77}, {40, 121}};
  s.SnapRange = 12;
  // Pressed 10 inside the right edge (x 52) and dragged 7 to the left: the
  // rectangle's edge is within the snap range (55), the cursor (45) is not.
  RECT r{0, 0, 55, 77};
  ChooseSizeStep(s, {45, 30}, r, {0, 0, 62, 77}, 4);
  EXPECT_EQ(Show(r), "{0,0,40,121}");
  // And the other way: the rectangle's edge (41) would take the 40 step,
  // the cursor at 50 is 12 in, within the snap range.
  TSizeSteps t;
  t.HitCode = HTRIGHT;
  t.Steps = s.Steps;
  t.SnapRange = 12;
  RECT k{0, 0, 41, 77};
  ChooseSizeStep(t, {50, 30}, k, {0, 0, 62, 77}, 4);
  EXPECT_EQ(Show(k), "{0,0,62,77}");
}
