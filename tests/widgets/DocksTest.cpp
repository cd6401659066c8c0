// Docks, tool windows and toolbars on a real form: placement rules, the
// rows of a dock, moving bars between docks and the floating state, the
// drag, sizing and close-button loops driven by posted messages, hiding
// while inactive, and the toolbar's own layout.
#include <gtest/gtest.h>
#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Platform.h"
#include "Robot.h"
#include "ToolWatch.h"
#include "Toolbar.h"

namespace {
// A plain windowless control of a fixed size.
class TBox : public TGraphicControl {
public:
  TBox(TComponent* owner, int width, int height) : TGraphicControl(owner) {
    width_ = width;
    height_ = height;
  }

protected:
  void Paint(TCanvas& canvas) override {
    canvas.Brush.SetColor(clNavy);
    canvas.FillRect(ClientRect());
  }
};

void Pump() { Application().ProcessMessages(); }

void SetAppActive(bool active) { SendMessageA(Application().Handle(), WM_ACTIVATEAPP, active, 0); }

struct TDockForm {
  std::unique_ptr<TForm> form;
  TDock* top = nullptr;
  TDock* left = nullptr;

  TDockForm() {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 640, 480);
    top = new TDock(form.get());
    top->SetParent(form.get());
    left = new TDock(form.get());
    left->SetPosition(TDockPosition::dpLeft);
    left->SetParent(form.get());
    form->Show();
    SetAppActive(true);
    Pump();
  }
  ~TDockForm() {
    form.reset();
    Pump();
  }

  // A toolbar with `buttons` boxes of 22 x 22, docked or floating.
  TToolbar* Bar(TDock* dock, int buttons, int row = 0, int pos = 0, const std::string& name = "") {
    auto* bar = new TToolbar(form.get());
    bar->SetName(name);
    for (int i = 0; i < buttons; ++i) (new TBox(form.get(), 22, 22))->SetParent(bar);
    bar->SetDockRow(row);
    bar->SetDockPos(pos);
    if (dock) bar->SetDockedTo(dock);
    Pump();
    return bar;
  }
};

RECT WindowRect(TWinControl* c) {
  RECT r;
  GetWindowRect(c->Handle(), &r);
  return r;
}

POINT ClientToScreenOf(TWinControl* c, POINT p) {
  ClientToScreen(c->Handle(), &p);
  return p;
}

// Posts a mouse message to the bar with a screen point made client.
void PostMouse(TWinControl* bar, UINT msg, POINT screen, WPARAM keys = 0) {
  ScreenToClient(bar->Handle(), &screen);
  PostMessageA(bar->Handle(), msg, keys, MAKELPARAM(screen.x, screen.y));
}

void PostKey(TWinControl* bar, UINT msg, WPARAM key) { PostMessageA(bar->Handle(), msg, key, 0); }

// Presses the left button on the bar at a client point; the drag loop
// then takes the messages posted before.
void PressOn(TWinControl* bar, POINT client, bool doubleClick = false) {
  SendMessageA(bar->Handle(), doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(client.x, client.y));
}

LONG_PTR Style(TWinControl* c) { return GetWindowLongPtrA(c->Handle(), GWL_STYLE); }

}  // namespace

TEST(Docks, PlacementErrors) {
  TRobot robot;
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 1);
  TPanel* panel = new TPanel(f.form.get());
  panel->SetParent(f.form.get());
  auto message = [](auto fn) {
    try {
      fn();
    } catch (const EInvalidOperation& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { TDock d(panel); }), "TDock must be owned by a form");
  EXPECT_EQ(message([&] { (new TDock(f.form.get()))->SetParent(bar); }),
            "A TDock control cannot be placed inside a tool window or another TDock");
  EXPECT_EQ(message([&] { (new TDock(f.form.get()))->SetParent(f.top); }),
            "A TDock control cannot be placed inside a tool window or another TDock");
  EXPECT_EQ(message([&] { f.top->SetVisible(false); }), "Cannot hide a TDock");
  EXPECT_EQ(message([&] { f.top->SetPosition(TDockPosition::dpBottom); }),
            "Cannot change Position of a TDock if it already contains controls");
  EXPECT_EQ(message([&] { TToolbar t(panel); }), "Tool windows must be owned by a form");
  EXPECT_EQ(message([&] { bar->SetParent(panel); }), "A tool window can only be placed on a TDock or directly on the form");
  EXPECT_EQ(message([&] { (new TToolbarSep(f.form.get()))->SetParent(panel); }),
            "TToolbarSep can only be placed on a TToolbar");
  // The failed moves left everything where it was.
  EXPECT_EQ(bar->DockedTo(), f.top);
  EXPECT_EQ(bar->Parent(), f.top);
  EXPECT_TRUE(f.top->Visible());
  EXPECT_EQ(f.top->Position(), TDockPosition::dpTop);
  // An empty dock may change its edge.
  EXPECT_EQ(message([&] { f.left->SetPosition(TDockPosition::dpRight); }), "no error");
  EXPECT_EQ(f.left->Align(), TAlign::alRight);

  auto* sep = new TToolbarSep(f.form.get());
  sep->SetParent(bar);
  EXPECT_THROW(sep->SetSizeHorz(0), ERangeError);
  EXPECT_EQ(sep->SizeHorz(), 6);
  EXPECT_TRUE(robot.Boxes.empty());
}

TEST(Docks, RowsOnAForm) {
  TDockForm f;
  // Docked: 9 px handle + 2 px frame on the left, 2 px elsewhere.
  TToolbar* a = f.Bar(f.top, 3);
  TToolbar* b = f.Bar(f.top, 2);
  EXPECT_EQ(a->Width(), 66 + 13);
  EXPECT_EQ(a->Height(), 22 + 4);
  EXPECT_EQ(a->Left(), 0);
  EXPECT_EQ(b->Left(), a->Width()) << "two bars asking for row 0, place 0 end side by side";
  EXPECT_EQ(f.top->Height(), 26);

  TToolbar* c = f.Bar(f.top, 1, 3);
  TToolbar* d = f.Bar(f.top, 1, 7);
  EXPECT_EQ(c->DockRow(), 1);
  EXPECT_EQ(d->DockRow(), 2);
  EXPECT_EQ(c->Top(), 26);
  EXPECT_EQ(d->Top(), 52);
  EXPECT_EQ(f.top->Height(), 78);
  EXPECT_EQ(f.top->RowExtents(), (std::vector<int>{22, 22, 22}));

  f.top->SetBoundLines({TDockBoundLine::blBottom});
  EXPECT_EQ(f.top->Height(), 79);
  EXPECT_EQ(f.top->ClientHeight(), 78);

  // A left dock stacks its bars top to bottom, the handle on top.
  TToolbar* v = f.Bar(f.left, 3);
  EXPECT_EQ(v->Width(), 26);
  EXPECT_EQ(v->Height(), 66 + 13);
  EXPECT_EQ(f.left->Width(), 26);
  EXPECT_EQ(f.left->Top(), f.top->Height());

  // A bottom dock keeps its bottom edge as it grows; an empty one is 0
  // thick, or 1 with FixAlign.
  auto* bottom = new TDock(f.form.get());
  bottom->SetPosition(TDockPosition::dpBottom);
  bottom->SetParent(f.form.get());
  EXPECT_EQ(bottom->Height(), 0);
  bottom->SetFixAlign(true);
  EXPECT_EQ(bottom->Height(), 1);
  f.Bar(bottom, 2);
  EXPECT_EQ(bottom->Height(), 26);
  EXPECT_EQ(bottom->Top() + bottom->Height(), f.form->ClientHeight());
}

TEST(Docks, ListedBarInsertedAgainGetsAFreshLayout) {
  TDockForm f;
  TToolbar* a = f.Bar(f.top, 2);
  TToolbar* b = f.Bar(f.top, 2);
  int events = 0;
  f.top->OnInsertRemoveBar = [&](TComponent*, bool, TCustomToolWindow*) { ++events; };
  {
    // A grows while the dock may not arrange: B now overlaps it.
    TDock::TArrangeHold hold(f.top);
    (new TBox(f.form.get(), 22, 22))->SetParent(a);
  }
  ASSERT_LT(b->Left(), a->Left() + a->Width());
  f.top->UpdateBarList(true, a, true);
  EXPECT_EQ(b->Left(), a->Left() + a->Width());
  EXPECT_EQ(events, 0) << "A was listed already: it did not join";
  EXPECT_EQ(f.top->Bars().size(), 2u);
}

TEST(Docks, DockedAndFloatingRoundTrip) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2);
  std::vector<std::string> events;
  auto note = [&events](const char* what) { return [&events, what](TComponent*) { events.push_back(what); }; };
  bar->OnDockChanging = note("DockChanging");
  bar->OnDockChanged = note("DockChanged");
  bar->OnRecreating = note("Recreating");
  bar->OnRecreated = note("Recreated");
  bar->OnVisibleChanged = note("VisibleChanged");
  f.top->OnInsertRemoveBar = [&](TComponent*, bool in, TCustomToolWindow*) { events.push_back(in ? "top joined" : "top left"); };
  f.left->OnInsertRemoveBar = [&](TComponent*, bool in, TCustomToolWindow*) { events.push_back(in ? "left joined" : "left left"); };
  ASSERT_EQ(Style(bar) & (WS_CHILD | WS_POPUP), WS_CHILD);

  bar->SetDockedTo(nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"DockChanging", "top left", "Recreating", "Recreated", "DockChanged"}));
  EXPECT_FALSE(bar->Docked());
  EXPECT_EQ(bar->Parent(), bar->FloatParent());
  EXPECT_EQ(Style(bar) & (WS_CHILD | WS_POPUP | WS_THICKFRAME), WS_POPUP | WS_THICKFRAME);
  EXPECT_EQ(GetWindow(bar->Handle(), GW_OWNER), f.form->Handle()) << "floats above its form";
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  EXPECT_TRUE(f.top->Bars().empty());
  EXPECT_EQ(f.top->Height(), 0);
  TFloatMetrics m = bar->FloatMetrics();
  EXPECT_EQ(bar->ClientWidth(), 4 + 44 + 4);
  EXPECT_EQ(bar->ClientHeight(), 2 + 22 + 1);
  EXPECT_EQ(bar->Width(), 52 + 2 * m.FrameWidth);
  EXPECT_EQ(bar->Height(), 25 + 2 * m.FrameHeight + m.CaptionHeight);

  events.clear();
  bar->SetDockedTo(f.left);
  EXPECT_EQ(events, (std::vector<std::string>{"DockChanging", "Recreating", "left joined", "Recreated", "DockChanged"}));
  EXPECT_TRUE(bar->Docked());
  EXPECT_EQ(bar->Parent(), f.left);
  EXPECT_EQ(GetParent(bar->Handle()), f.left->Handle());
  EXPECT_EQ(Style(bar) & (WS_CHILD | WS_POPUP), WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  EXPECT_EQ(f.left->Bars(), (std::vector<TCustomToolWindow*>{bar}));
  EXPECT_EQ(bar->Width(), 26);
  EXPECT_EQ(bar->Height(), 44 + 13);
  // Its buttons now run top to bottom.
  EXPECT_EQ(bar->ControlOrder()[1]->Top(), 22);
  EXPECT_EQ(bar->ControlOrder()[1]->Left(), 0);
  EXPECT_TRUE(bar->Visible());
}

TEST(Docks, HidingADockedBarLeavesItsRow) {
  TDockForm f;
  TToolbar* a = f.Bar(f.top, 2, 0);
  TToolbar* b = f.Bar(f.top, 2, 1);
  int visibleChanges = 0;
  a->OnVisibleChanged = [&](TComponent*) { ++visibleChanges; };
  a->Hide();
  EXPECT_EQ(f.top->Bars(), (std::vector<TCustomToolWindow*>{b}));
  EXPECT_EQ(b->DockRow(), 0) << "the empty row closed";
  EXPECT_EQ(b->Top(), 0);
  EXPECT_EQ(f.top->Height(), 26);
  a->Show();
  EXPECT_EQ(f.top->Bars().size(), 2u);
  EXPECT_EQ(a->DockRow(), 0) << "rows keep their new numbers";
  EXPECT_EQ(a->Left(), b->Width());
  EXPECT_EQ(visibleChanges, 2);
  EXPECT_TRUE(IsWindowVisible(a->Handle()));
}

TEST(Docks, FreeingTheFormRaisesNoBarEvents) {
  std::vector<std::string> events;
  {
    TDockForm f;
    TToolbar* a = f.Bar(f.top, 2);
    f.Bar(f.left, 1);
    f.Bar(nullptr, 1);
    for (TDock* d : {f.top, f.left})
      d->OnInsertRemoveBar = [&events](TComponent*, bool in, TCustomToolWindow*) { events.push_back(in ? "joined" : "left"); };
    a->OnDockChanging = [&events](TComponent*) { events.push_back("DockChanging"); };
    a->OnVisibleChanged = [&events](TComponent*) { events.push_back("VisibleChanged"); };
  }
  EXPECT_TRUE(events.empty()) << events.front();
}

// ---- The drag loop

namespace {
// The handle of a bar docked in a top dock, in client coordinates.
constexpr POINT kHandle{-5, 11};
}  // namespace

TEST(DragLoop, DraggedOutOfTheDockItFloatsWhereTheOutlineWas) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 3);
  RECT before = WindowRect(bar);
  POINT start = ClientToScreenOf(bar, kHandle);
  POINT to{start.x + 250, start.y + 200};
  PostMouse(bar, WM_MOUSEMOVE, to, MK_LBUTTON);
  PostMouse(bar, WM_LBUTTONUP, to);
  PressOn(bar, kHandle);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_FALSE(bar->Docked());
  // The outline keeps the grab point in proportion to the window's size.
  TFloatMetrics m = bar->FloatMetrics();
  int w = 74 + 2 * m.FrameWidth, h = 25 + 2 * m.FrameHeight + m.CaptionHeight;
  POINT grab{start.x - before.left, start.y - before.top};
  int refW = before.right - before.left - 1, refH = before.bottom - before.top - 1;
  EXPECT_EQ(bar->Left(), to.x - MulDiv(w - 1, grab.x, refW));
  EXPECT_EQ(bar->Top(), to.y - MulDiv(h - 1, grab.y, refH));
  EXPECT_EQ(bar->FloatingLeft(), bar->Left());
  EXPECT_EQ(bar->Width(), w);
}

TEST(DragLoop, FloatingBarDraggedOntoTheLeftDock) {
  TDockForm f;
  TToolbar* bar = f.Bar(nullptr, 3);
  bar->SetBounds(400, 300, bar->Width(), bar->Height());
  TFloatMetrics m = bar->FloatMetrics();
  POINT caption{10, -m.CaptionHeight / 2 - 1};
  POINT origin = f.left->ClientToScreen({0, 0});
  POINT to{origin.x + 1, origin.y + 100};
  PostMouse(bar, WM_MOUSEMOVE, to, MK_LBUTTON);
  PostMouse(bar, WM_LBUTTONUP, to);
  PressOn(bar, caption);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(bar->DockedTo(), f.left);
  EXPECT_EQ(bar->DockRow(), 0);
  EXPECT_EQ(bar->Width(), 26);
  EXPECT_EQ(bar->Height(), 66 + 13);
  EXPECT_EQ(f.left->Width(), 26);
}

TEST(DragLoop, DropNearARowBoundaryOpensARow) {
  TDockForm f;
  TToolbar* a = f.Bar(f.top, 2, 0, 0);
  TToolbar* b = f.Bar(f.top, 2, 0, 100);
  TToolbar* c = f.Bar(f.top, 2, 1, 0);
  ASSERT_EQ(b->Top(), 0);
  // B's centre moves from 13 to 26: within 5 px of the boundary of rows 0 and 1.
  POINT start = ClientToScreenOf(b, kHandle);
  PostMouse(b, WM_MOUSEMOVE, {start.x, start.y + 13}, MK_LBUTTON);
  PostMouse(b, WM_LBUTTONUP, {start.x, start.y + 13});
  PressOn(b, kHandle);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 1);
  EXPECT_EQ(c->DockRow(), 2);
  EXPECT_EQ(b->Top(), 26);
  EXPECT_EQ(b->Left(), 100);
  EXPECT_EQ(f.top->Height(), 78);
}

TEST(DragLoop, FullSizeBarDroppedOnAnOccupiedRowGetsTheNextRow) {
  TDockForm f;
  TToolbar* a = f.Bar(f.top, 2, 0);
  TToolbar* c = f.Bar(f.top, 2, 1);
  TToolbar* full = f.Bar(f.top, 2, 2);
  full->SetFullSize(true);
  ASSERT_EQ(full->DockRow(), 2);
  ASSERT_EQ(full->Width(), f.top->ClientWidth());
  // Its centre onto the middle of row 0.
  POINT start = ClientToScreenOf(full, kHandle);
  POINT to{start.x, start.y - 52};
  PostMouse(full, WM_MOUSEMOVE, to, MK_LBUTTON);
  PostMouse(full, WM_LBUTTONUP, to);
  PressOn(full, kHandle);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(full->DockRow(), 1);
  EXPECT_EQ(c->DockRow(), 2);
  EXPECT_EQ(full->Left(), 0);
}

TEST(DragLoop, EscapeChangesNothing) {
  for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
    TDockForm f;
    TToolbar* bar = f.Bar(f.top, 3, 0, 20);
    RECT before = WindowRect(bar);
    POINT start = ClientToScreenOf(bar, kHandle);
    PostMouse(bar, WM_MOUSEMOVE, {start.x + 250, start.y + 200}, MK_LBUTTON);
    PostKey(bar, msg, VK_ESCAPE);
    PressOn(bar, kHandle);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(bar->DockedTo(), f.top);
    EXPECT_EQ(bar->DockPos(), 20);
    RECT after = WindowRect(bar);
    EXPECT_TRUE(EqualRect(&before, &after));
    Pump();
  }
}

TEST(DragLoop, RightClickIsSwallowed) {
  // After a right click far away the drag goes on: released where it was
  // pressed the bar stays, released far away it floats.
  for (bool back : {true, false}) {
    SCOPED_TRACE(back ? "released where pressed" : "released far away");
    TDockForm f;
    TToolbar* bar = f.Bar(f.top, 3, 0, 20);
    POINT start = ClientToScreenOf(bar, kHandle);
    POINT away{start.x + 250, start.y + 200};
    PostMouse(bar, WM_MOUSEMOVE, away, MK_LBUTTON);
    PostMouse(bar, WM_RBUTTONDOWN, away, MK_LBUTTON | MK_RBUTTON);
    PostMouse(bar, WM_RBUTTONUP, away, MK_LBUTTON);
    POINT release = back ? start : away;
    PostMouse(bar, WM_MOUSEMOVE, release, MK_LBUTTON);
    PostMouse(bar, WM_LBUTTONUP, release);
    PressOn(bar, kHandle);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(bar->Docked(), back);
    if (back) {
      EXPECT_EQ(bar->DockPos(), 20);
    }
  }
}

TEST(DragLoop, CtrlTurnsDockingOffWhileHeld) {
  struct {
    const char* name;
    std::vector<UINT> keys;
    bool docked;
  } rows[] = {
      {"no Ctrl: docks", {}, true},
      {"Ctrl pressed: floats", {WM_KEYDOWN}, false},
      {"Ctrl pressed and released: docks", {WM_KEYDOWN, WM_KEYUP}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TDockForm f;
    TToolbar* bar = f.Bar(f.top, 2);
    POINT start = ClientToScreenOf(bar, kHandle);
    POINT to{start.x + 100, start.y};
    PostMouse(bar, WM_MOUSEMOVE, to, MK_LBUTTON);
    for (UINT k : row.keys) PostKey(bar, k, VK_CONTROL);
    PostMouse(bar, WM_LBUTTONUP, to);
    PressOn(bar, kHandle);
    EXPECT_EQ(bar->Docked(), row.docked);
    if (row.docked) {
      EXPECT_EQ(bar->DockPos(), 100);
    }
  }
}

TEST(DragLoop, RequestDockCanRefuse) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2);
  std::vector<TCustomToolWindow*> asked;
  f.top->OnRequestDock = [&](TComponent*, TCustomToolWindow* b, bool& accept) {
    asked.push_back(b);
    accept = false;
  };
  POINT start = ClientToScreenOf(bar, kHandle);
  PostMouse(bar, WM_MOUSEMOVE, {start.x + 100, start.y}, MK_LBUTTON);
  PostMouse(bar, WM_LBUTTONUP, {start.x + 100, start.y});
  PressOn(bar, kHandle);
  EXPECT_FALSE(bar->Docked());
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.front(), bar);
}

TEST(DragLoop, QuitEndsItAsACancelAndIsPostedAgain) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2, 0, 20);
  POINT start = ClientToScreenOf(bar, kHandle);
  PostMouse(bar, WM_MOUSEMOVE, {start.x + 250, start.y + 200}, MK_LBUTTON);
  PostQuitMessage(5);
  PressOn(bar, kHandle);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(bar->DockPos(), 20);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 5u);
}

TEST(DragLoop, HandlerErrorStillReleasesTheCapture) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2, 0, 20);
  f.top->OnRequestDock = [](TComponent*, TCustomToolWindow*, bool&) { throw Exception("refused loudly"); };
  POINT start = ClientToScreenOf(bar, kHandle);
  PostMouse(bar, WM_MOUSEMOVE, {start.x + 30, start.y}, MK_LBUTTON);
  PostMouse(bar, WM_LBUTTONUP, {start.x + 30, start.y});
  EXPECT_THROW(bar->DragBar(kHandle.x, kHandle.y), Exception);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(bar->DockPos(), 20);
  f.top->OnRequestDock = nullptr;
  Pump();
}

TEST(DragLoop, DoubleClickFloatsOrDocksAtTheStartOfRowZero) {
  TDockForm f;
  TToolbar* other = f.Bar(f.top, 2, 0, 0);
  TToolbar* bar = f.Bar(f.top, 3, 0, 200);
  bar->SetDefaultDock(f.top);
  PressOn(bar, kHandle, true);
  EXPECT_FALSE(bar->Docked());
  EXPECT_EQ(GetCapture(), nullptr);
  PressOn(bar, {10, -5}, true);
  ASSERT_EQ(bar->DockedTo(), f.top);
  EXPECT_EQ(bar->DockRow(), 0);
  EXPECT_EQ(bar->Left(), 0);
  EXPECT_EQ(other->Left(), bar->Width()) << "pushed along";
}

TEST(DragLoop, DockWithoutAllowDragKeepsItsBars) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2, 0, 20);
  f.top->SetAllowDrag(false);
  EXPECT_EQ(bar->Width(), 44 + 4) << "no handle";
  PressOn(bar, {-1, 5}, true);
  EXPECT_EQ(bar->DockedTo(), f.top);
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---- Sizing and the close button

namespace {
struct TFloatingFour {
  TDockForm f;
  TToolbar* bar;
  TFloatMetrics m;
  TFloatingFour() {
    bar = f.Bar(nullptr, 4);
    bar->SetBounds(300, 250, bar->Width(), bar->Height());
    m = bar->FloatMetrics();
  }
  // Presses the non-client area at a screen point with a hit code.
  void PressFrame(int code, POINT screen) {
    SendMessageA(bar->Handle(), WM_NCLBUTTONDOWN, code, MAKELPARAM(screen.x, screen.y));
  }
};
}  // namespace

TEST(SizingLoop, RightEdgeSnapsToTheWrapWidths) {
  struct {
    const char* name;
    int dx;
    bool escape;
    int clientWidth, clientHeight, floatRightX;
  } rows[] = {
      {"in by 40: two a line", -40, false, 52, 47, 52},
      {"in by 8: within the snap range, kept", -8, false, 96, 25, 0},
      {"in by 70: one a line", -70, false, 30, 91, 30},
      {"Escape: kept", -40, true, 96, 25, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TFloatingFour t;
    RECT wr = WindowRect(t.bar);
    POINT edge{wr.right - 2, wr.top + 30};
    PostMouse(t.bar, WM_MOUSEMOVE, {edge.x + row.dx, edge.y}, MK_LBUTTON);
    if (row.escape) PostKey(t.bar, WM_KEYDOWN, VK_ESCAPE);
    else PostMouse(t.bar, WM_LBUTTONUP, {edge.x + row.dx, edge.y});
    t.PressFrame(HTRIGHT, edge);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(t.bar->ClientWidth(), row.clientWidth);
    EXPECT_EQ(t.bar->ClientHeight(), row.clientHeight);
    EXPECT_EQ(t.bar->FloatRightX(), row.floatRightX);
    EXPECT_EQ(t.bar->Left(), wr.left);
    EXPECT_EQ(t.bar->SizeSteps(), nullptr);
    Pump();
  }
}

TEST(SizingLoop, WrappedButtonsFollowTheNewWidth) {
  TFloatingFour t;
  RECT wr = WindowRect(t.bar);
  POINT edge{wr.right - 2, wr.top + 30};
  PostMouse(t.bar, WM_MOUSEMOVE, {edge.x - 40, edge.y}, MK_LBUTTON);
  PostMouse(t.bar, WM_LBUTTONUP, {edge.x - 40, edge.y});
  t.PressFrame(HTRIGHT, edge);
  std::vector<POINT> places;
  for (TControl* c : t.bar->ControlOrder()) places.push_back({c->Left(), c->Top()});
  ASSERT_EQ(places.size(), 4u);
  EXPECT_EQ(places[2].x, 4);
  EXPECT_EQ(places[2].y, 24);
  EXPECT_EQ(places[3].x, 26);
  // Docked again, the bar is one line whatever its wrap width.
  t.bar->SetDockedTo(t.f.top);
  EXPECT_EQ(t.bar->ClientWidth(), 88);
  EXPECT_EQ(t.bar->ClientHeight(), 22);
}

TEST(CloseButton, ClosesOnlyWhenReleasedOverIt) {
  for (bool over : {true, false}) {
    SCOPED_TRACE(over ? "released over it" : "released off it");
    TFloatingFour t;
    int closed = 0;
    t.bar->OnClose = [&](TComponent*) { ++closed; };
    RECT wr = WindowRect(t.bar);
    RECT square = CloseButtonRect(t.m, t.bar->ClientWidth());
    POINT centre{wr.left + (square.left + square.right) / 2, wr.top + (square.top + square.bottom) / 2};
    ASSERT_EQ(SendMessageA(t.bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)), HTCLOSE);
    POINT release = over ? centre : POINT{centre.x - 40, centre.y + 30};
    PostMouse(t.bar, WM_MOUSEMOVE, release, MK_LBUTTON);
    PostMouse(t.bar, WM_LBUTTONUP, release);
    t.PressFrame(HTCLOSE, centre);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(t.bar->CloseDown());
    EXPECT_EQ(t.bar->Visible(), !over);
    EXPECT_EQ(closed, over ? 1 : 0);
    Pump();
  }
}

TEST(ToolWindowFrames, HitCodesOfRealWindows) {
  TFloatingFour t;
  TToolbar* docked = t.f.Bar(t.f.top, 2);
  RECT wr = WindowRect(t.bar);
  auto hit = [](TWinControl* w, POINT p) {
    return static_cast<int>(SendMessageA(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)));
  };
  EXPECT_EQ(hit(t.bar, {wr.left + t.m.FrameWidth + 5, wr.top + t.m.FrameHeight + 3}), HTCLIENT) << "caption";
  EXPECT_EQ(hit(t.bar, {wr.right - 1, wr.top + 30}), HTRIGHT);
  EXPECT_EQ(hit(t.bar, {wr.left, wr.top + 30}), HTLEFT);
  EXPECT_EQ(hit(t.bar, {wr.left + 40, wr.bottom - 1}), HTBOTTOM);
  EXPECT_EQ(hit(t.bar, {wr.left + 1, wr.top + 1}), HTTOP) << "toolbars have no corner codes";
  EXPECT_EQ(hit(docked, ClientToScreenOf(docked, kHandle)), HTCLIENT) << "the handle drags";
}

TEST(ToolWindowFrames, CaptionFollowsTheProgramsActivity) {
  // On systems before version 4 the caption is filled by hand; the square
  // of the close button keeps a ring of the caption colour.
  TPlatformOverride oldSystem(3, std::nullopt);
  TDockForm f;
  TToolbar* bar = f.Bar(nullptr, 4);
  bar->SetHideWhenInactive(false);
  bar->SetCaption("A caption much too long for this bar");
  TFloatMetrics m = bar->FloatMetrics();
  ASSERT_EQ(m.CaptionHeight, GetSystemMetrics(SM_CYCAPTION) - 1);
  RECT square = CloseButtonRect(m, bar->ClientWidth());
  auto captionPixel = [&] {
    SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
    TWindowDC dc(bar->Handle(), TWindowDC::Window);
    return GetPixel(dc.Get(), square.left, square.top + 2);
  };
  EXPECT_EQ(captionPixel(), GetSysColor(COLOR_ACTIVECAPTION));
  SetAppActive(false);
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  EXPECT_EQ(captionPixel(), GetSysColor(COLOR_INACTIVECAPTION));
  SetAppActive(true);
  EXPECT_EQ(captionPixel(), GetSysColor(COLOR_ACTIVECAPTION));
}

// ---- Hiding with the program and the form

TEST(Inactivity, FloatingBarsHideWhileTheProgramIsInactive) {
  TDockForm f;
  TToolbar* floating = f.Bar(nullptr, 2);
  TToolbar* keeps = f.Bar(nullptr, 2);
  keeps->SetHideWhenInactive(false);
  TToolbar* docked = f.Bar(f.top, 2);
  ASSERT_TRUE(IsWindowVisible(floating->Handle()));
  SetAppActive(false);
  EXPECT_FALSE(IsWindowVisible(floating->Handle()));
  EXPECT_TRUE(floating->HiddenInactive());
  EXPECT_TRUE(IsWindowVisible(keeps->Handle()));
  EXPECT_TRUE(keeps->InactiveCaption());
  EXPECT_TRUE(IsWindowVisible(docked->Handle()));
  SetAppActive(true);
  EXPECT_TRUE(IsWindowVisible(floating->Handle()));
  EXPECT_FALSE(keeps->InactiveCaption());
  EXPECT_TRUE(floating->Visible());
}

TEST(Inactivity, FloatingBarsFollowTheirForm) {
  TDockForm f;
  TToolbar* bar = f.Bar(nullptr, 2);
  ASSERT_TRUE(IsWindowVisible(bar->Handle()));
  f.form->SetWindowState(TWindowState::wsMinimized);
  EXPECT_FALSE(IsWindowVisible(bar->Handle()));
  f.form->SetWindowState(TWindowState::wsNormal);
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  f.form->Hide();
  EXPECT_FALSE(IsWindowVisible(bar->Handle()));
  f.form->Show();
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
}

TEST(Inactivity, NewBarWaitsForTheFirstRefresh) {
  TDockForm f;
  auto* bar = new TToolbar(f.form.get());
  EXPECT_TRUE(bar->HiddenInactive());
  EXPECT_FALSE(IsWindowVisible(bar->Handle()));
  Pump();
  EXPECT_FALSE(bar->HiddenInactive());
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
}

// The activation hook lives while tool windows do; the window-procedure
// hook only while one floats.
TEST(Inactivity, HooksLiveWhileToolWindowsDo) {
  EXPECT_FALSE(FormWatchHookInstalled());
  {
    TDockForm f;
    EXPECT_FALSE(MainWindowHookInstalled());
    TToolbar* docked = f.Bar(f.top, 1);
    EXPECT_FALSE(FormWatchHookInstalled());
    EXPECT_TRUE(MainWindowHookInstalled());
    TToolbar* a = f.Bar(nullptr, 1);
    TToolbar* b = f.Bar(nullptr, 1);
    EXPECT_TRUE(FormWatchHookInstalled());
    delete a;
    EXPECT_TRUE(FormWatchHookInstalled());
    b->SetDockedTo(f.top);
    EXPECT_FALSE(FormWatchHookInstalled());
    docked->SetDockedTo(nullptr);
    EXPECT_TRUE(FormWatchHookInstalled());
    docked->SetDockedTo(f.top);
    EXPECT_FALSE(FormWatchHookInstalled());
    EXPECT_TRUE(MainWindowHookInstalled());
    f.Bar(nullptr, 1);
    EXPECT_TRUE(FormWatchHookInstalled());
  }
  EXPECT_FALSE(FormWatchHookInstalled());
  EXPECT_FALSE(MainWindowHookInstalled());
}

// An edit of the form that takes the focus by Tab, at this height.
TEdit* TabStopEdit(TDockForm& f, int top) {
  auto* e = new TEdit(f.form.get());
  e->SetParent(f.form.get());
  e->SetBounds(100, top, 80, 20);
  e->SetTabStop(true);
  return e;
}

// A bar that starts floating after the focus moved still gives it back.
TEST(Inactivity, BarFloatedLaterGivesTheFocusBack) {
  TDockForm f;
  TabStopEdit(f, 100);
  TEdit* second = TabStopEdit(f, 130);
  TToolbar* bar = f.Bar(f.top, 2);
  SetFocus(second->Handle());
  bar->SetDockedTo(nullptr);
  Pump();
  ASSERT_FALSE(bar->Docked());
  SendMessageA(bar->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(f.form->ActiveControl(), second);
}

TEST(Inactivity, DeactivatedBarGivesTheFocusBack) {
  TDockForm f;
  TEdit* first = TabStopEdit(f, 100);
  TEdit* second = TabStopEdit(f, 130);
  TToolbar* bar = f.Bar(nullptr, 2);
  // Nothing focused yet: the first tab stop.
  SendMessageA(bar->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(f.form->ActiveControl(), first);
  SetFocus(second->Handle());
  ASSERT_EQ(LastFocusOf(f.form.get()), second->Handle());
  SendMessageA(bar->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(f.form->ActiveControl(), second);
}

// ---- Toolbar layout on real controls

TEST(Toolbar, FloatingOneLineCentresItsControls) {
  TDockForm f;
  auto* bar = new TToolbar(f.form.get());
  auto* big = new TBox(f.form.get(), 22, 22);
  auto* small = new TBox(f.form.get(), 30, 16);
  big->SetParent(bar);
  small->SetParent(bar);
  Pump();
  EXPECT_EQ(big->Left(), 4);
  EXPECT_EQ(big->Top(), 2);
  EXPECT_EQ(small->Left(), 26);
  EXPECT_EQ(small->Top(), 2 + 3);
  EXPECT_EQ(bar->ClientWidth(), 52 + 8);
  EXPECT_EQ(bar->ClientHeight(), 22 + 3);
  // Hidden controls take no place; removed ones leave the order.
  big->Hide();
  EXPECT_EQ(small->Left(), 4);
  EXPECT_EQ(bar->ClientHeight(), 16 + 3);
  big->SetParent(nullptr);
  EXPECT_EQ(bar->ControlOrder(), (std::vector<TControl*>{small}));
  big->SetParent(bar);
  big->Show();
  EXPECT_EQ(bar->ControlOrder(), (std::vector<TControl*>{small, big})) << "a child joins at the end";
  EXPECT_EQ(big->Left(), 34);
}

TEST(Toolbar, EmptyBarSizes) {
  TDockForm f;
  auto* floating = new TToolbar(f.form.get());
  Pump();
  EXPECT_EQ(floating->ClientWidth(), 16);
  EXPECT_EQ(floating->ClientHeight(), 11);
  TToolbar* docked = f.Bar(f.top, 0);
  EXPECT_EQ(docked->ClientWidth(), 8);
  EXPECT_EQ(docked->ClientHeight(), 8);
}

TEST(Toolbar, ThickerRowCentresControlsAndSeparatorsFillIt) {
  TDockForm f;
  TToolbar* thin = f.Bar(f.top, 0);
  auto* box = new TBox(f.form.get(), 22, 16);
  box->SetParent(thin);
  auto* sep = new TToolbarSep(f.form.get());
  sep->SetParent(thin);
  auto* tall = new TToolbar(f.form.get());
  (new TBox(f.form.get(), 22, 30))->SetParent(tall);
  tall->SetDockedTo(f.top);
  Pump();
  ASSERT_EQ(thin->DockRow(), tall->DockRow());
  EXPECT_EQ(thin->Height(), 34);
  EXPECT_EQ(box->Top(), 7);
  EXPECT_EQ(sep->Top(), 0);
  EXPECT_EQ(sep->Height(), 30);
  EXPECT_EQ(sep->Width(), 6);

  // In a vertical dock the separator lies across.
  thin->SetDockedTo(f.left);
  EXPECT_EQ(sep->Width(), 22);
  EXPECT_EQ(sep->Height(), 6);
  sep->SetSizeVert(10);
  EXPECT_EQ(sep->Height(), 10);
  EXPECT_EQ(thin->ClientHeight(), 16 + 10);
}

TEST(Toolbar, WrappedLinesAndTheirEtchedSeparators) {
  TDockForm f;
  auto* bar = new TToolbar(f.form.get());
  std::vector<TControl*> c;
  for (int i = 0; i < 5; ++i) {
    TControl* ctl = i % 2 ? static_cast<TControl*>(new TToolbarSep(f.form.get())) : new TBox(f.form.get(), 22, 22);
    ctl->SetParent(bar);
    c.push_back(ctl);
  }
  static_cast<TToolbarSep*>(c[3])->SetBlank(true);
  bar->ReadPositionData([](const std::string& section, const std::string& name, int) {
    return name == "FloatRightX" && section.empty() ? 40 : -1;
  });
  bar->ArrangeBar();
  Pump();
  EXPECT_EQ(bar->WrapSeparators(), (std::vector<TWrapSeparator>{{30, false}, {58, true}}));
  EXPECT_EQ(c[1]->Width(), 0);
  EXPECT_EQ(c[2]->Top(), 30);
  EXPECT_EQ(c[4]->Top(), 58);
  EXPECT_EQ(bar->ClientWidth(), 30);
  EXPECT_EQ(bar->ControlGroups().size(), 3u);
  std::string written;
  bar->WritePositionData([&](const std::string&, const std::string& name, int v) { written = name + "=" + std::to_string(v); });
  EXPECT_EQ(written, "FloatRightX=40");

  // The etched pair above the second line; none above the third.
  TBitmap bmp(bar->ClientWidth(), bar->ClientHeight());
  bmp.Canvas().Brush.SetColor(clWhite);
  bmp.Canvas().FillRect({0, 0, bmp.Width(), bmp.Height()});
  SendMessageA(bar->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(bmp.DC()), 0);
  EXPECT_EQ(bmp.Pixel(5, 26), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(bmp.Pixel(5, 27), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_NE(bmp.Pixel(5, 54), GetSysColor(COLOR_BTNSHADOW));

  // Docked, the same bar is one line.
  bar->SetDockedTo(f.top);
  EXPECT_TRUE(bar->WrapSeparators().empty());
  EXPECT_EQ(c[4]->Top(), 0);
  EXPECT_EQ(c[1]->Width(), 6);
}

TEST(Toolbar, SeparatorPaintsAnEtchedLineUnlessBlank) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 1);
  auto* sep = new TToolbarSep(f.form.get());
  sep->SetParent(bar);
  Pump();
  auto paint = [&] {
    auto bmp = std::make_unique<TBitmap>(sep->Width(), sep->Height());
    bmp->Canvas().Brush.SetColor(clWhite);
    bmp->Canvas().FillRect({0, 0, bmp->Width(), bmp->Height()});
    sep->PaintTo(bmp->Canvas(), 0, 0);
    return bmp;
  };
  auto lined = paint();
  EXPECT_EQ(lined->Pixel(2, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(lined->Pixel(3, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  sep->SetBlank(true);
  auto blank = paint();
  EXPECT_EQ(blank->Pixel(2, 5), RGB(255, 255, 255));
}

TEST(Toolbar, PressingASeparatorDragsTheBar) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 1);
  auto* sep = new TToolbarSep(f.form.get());
  sep->SetParent(bar);
  (new TBox(f.form.get(), 22, 22))->SetParent(bar);
  Pump();
  POINT onSep{sep->Left() + 2, sep->Top() + 5};
  POINT start = ClientToScreenOf(bar, onSep);
  PostMouse(bar, WM_MOUSEMOVE, {start.x + 250, start.y + 200}, MK_LBUTTON);
  PostMouse(bar, WM_LBUTTONUP, {start.x + 250, start.y + 200});
  PressOn(bar, onSep);
  EXPECT_FALSE(bar->Docked());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Toolbar, ToolbarButtonsClickAndOpenTheirMenusAwayFromTheEdge) {
  TDockForm f;
  auto* right = new TDock(f.form.get());
  right->SetPosition(TDockPosition::dpRight);
  right->SetParent(f.form.get());
  auto* bar = new TToolbar(f.form.get());
  auto* first = new TToolbarButton(f.form.get());
  auto* second = new TToolbarButton(f.form.get());
  first->SetParent(bar);
  second->SetParent(bar);
  bar->SetDockedTo(f.top);
  Pump();
  // A new button is 22 x 23: the row is 23 thick.
  EXPECT_EQ(bar->ClientHeight(), 23);
  EXPECT_EQ(second->Left(), 22);
  int clicks = 0;
  second->OnClick = [&](TComponent*) { ++clicks; };
  LPARAM on = MAKELPARAM(second->Left() + 5, 5);
  SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, on);
  SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, on);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(bar->DockedTo(), f.top) << "a press on a button is the button's";
  EXPECT_EQ(GetCapture(), nullptr);

  struct {
    TDock* dock;
    TDropdownSide side;
  } rows[] = {{f.left, TDropdownSide::dsRight},
              {right, TDropdownSide::dsLeft},
              {nullptr, TDropdownSide::dsBelow},
              {f.top, TDropdownSide::dsBelow}};
  for (auto row : rows) {
    bar->SetDockedTo(row.dock);
    auto* side = dynamic_cast<IDropdownSide*>(first->Parent());
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->DropdownSide(), row.side);
  }
}

// ---- Frames and backgrounds

TEST(Docks, DockedHandleIsTwoRaisedGrips) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 2);
  SendMessageA(bar->Handle(), WM_NCPAINT, 1, 0);
  TWindowDC dc(bar->Handle(), TWindowDC::Window);
  COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  int ch = bar->ClientHeight();
  struct {
    int x, y;
    COLORREF colour;
  } pixels[] = {{0, 5, hi}, {4, 5, hi}, {6, 5, shadow}, {7, 5, hi}, {9, 5, shadow}, {4, ch + 1, hi}, {7, ch + 1, hi}};
  for (auto p : pixels) EXPECT_EQ(GetPixel(dc.Get(), p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST(Docks, BackgroundTilesRunOnThroughTheBars) {
  TDockForm f;
  TToolbar* bar = f.Bar(f.top, 0, 0, 30);  // no controls: all background
  TBitmap& bg = f.top->Background();
  bg.SetSize(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) SetPixelV(bg.DC(), x, y, RGB(40 * x, 40 * y, 200));
  SetPixelV(bg.DC(), 0, 2, RGB(255, 255, 255));  // the bottom-left pixel
  f.top->BackgroundChanged();
  // The bar's client area continues the pattern from the form's origin.
  TBitmap client(bar->ClientWidth(), bar->ClientHeight());
  SendMessageA(bar->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(client.DC()), 0);
  POINT origin = f.top->BackgroundAnchor();
  RECT in = bar->NonClientInsets();
  for (POINT p : {POINT{0, 0}, POINT{1, 2}, POINT{2, 1}}) {
    int px = origin.x + bar->Left() + in.left + p.x, py = origin.y + bar->Top() + in.top + p.y;
    EXPECT_EQ(client.Pixel(p.x, p.y), bg.Pixel(px % 3, py % 3)) << p.x << "," << p.y;
  }
  // Transparent: the bottom-left pixel's colour shows the dock's colour.
  f.top->SetColor(clRed);
  f.top->SetBackgroundTransparent(true);
  TBitmap tiles(3, 3);
  f.top->PaintTiledBackground(tiles.DC(), {0, 0, 3, 3}, {0, 0, 3, 3}, nullptr);
  EXPECT_EQ(tiles.Pixel(0, 2), RGB(255, 0, 0));
  EXPECT_EQ(tiles.Pixel(1, 1), RGB(40, 40, 200));
}

// ---- Descriptions

namespace {
const char kBarsForm[] = R"(
object BarsForm: TForm
  Left = 100  Top = 100  Width = 500  Height = 300
  object Dock1: TDock
    BoundLines = [blBottom]
    OnInsertRemoveBar = Dock1InsertRemoveBar
    object Toolbar1: TToolbar
      Caption = 'Standard'
      CloseButton = False
      DockRow = 1
      object Image1: TImage
        Width = 22  Height = 22
      end
      object ToolbarSep1: TToolbarSep
        SizeHorz = 8
      end
      object Image2: TImage
        Width = 22  Height = 22
      end
    end
    object Toolbar2: TToolbar
      DockRow = 0
      FullSize = True
      DockableTo = [dpTop]
      object Image3: TImage
        Width = 22  Height = 22
      end
    end
  end
  object Toolbar3: TToolbar
    Caption = 'Floating'
    Left = -500  Top = 40
    DefaultDock = Dock1
    OnClose = Toolbar3Close
    object Image4: TImage
      Width = 22  Height = 22
    end
  end
end
)";

class TBarsForm : public TForm {
public:
  explicit TBarsForm(TComponent* owner) : TForm(owner) {
    Field("Dock1", Dock1);
    Field("Toolbar1", Toolbar1);
    Field("Toolbar2", Toolbar2);
    Field("Toolbar3", Toolbar3);
    Handler("Dock1InsertRemoveBar", &TBarsForm::Dock1InsertRemoveBar);
    Handler("Toolbar3Close", &TBarsForm::Toolbar3Close);
    LoadDescription(kBarsForm);
  }
  TDock* Dock1 = nullptr;
  TToolbar *Toolbar1 = nullptr, *Toolbar2 = nullptr, *Toolbar3 = nullptr;
  int joined = 0, closed = 0;
  void Dock1InsertRemoveBar(TComponent*, bool inserting, TCustomToolWindow*) { joined += inserting; }
  void Toolbar3Close(TComponent*) { ++closed; }
};
}  // namespace

TEST(Docks, LoadedFromADescription) {
  RegisterClass(TDock::ClassInfo());
  RegisterClass(TToolbar::ClassInfo());
  RegisterClass(TToolbarSep::ClassInfo());
  auto form = std::make_unique<TBarsForm>(nullptr);
  form->Show();
  SetAppActive(true);
  Pump();
  EXPECT_EQ(form->Toolbar1->DockedTo(), form->Dock1);
  EXPECT_EQ(form->Toolbar2->Top(), 0) << "the full-size bar is row 0";
  EXPECT_EQ(form->Toolbar2->Width(), form->Dock1->ClientWidth());
  EXPECT_EQ(form->Toolbar1->Top(), 26);
  EXPECT_EQ(form->Toolbar1->ClientWidth(), 22 + 8 + 22);
  EXPECT_EQ(form->Dock1->Height(), 52 + 1);
  EXPECT_EQ(form->Toolbar3->DefaultDock(), form->Dock1);
  EXPECT_TRUE(form->Toolbar3->CloseButton());
  EXPECT_FALSE(form->Toolbar1->CloseButton());
  EXPECT_EQ(form->Toolbar2->DockableTo(), TDockableTo{TDockPosition::dpTop});
  // Stored partly off the screen: moved fully inside when loaded.
  RECT work = TCustomToolWindow::WorkArea(), r = WindowRect(form->Toolbar3);
  EXPECT_GE(r.left, work.left);
  EXPECT_LE(r.right, work.right);
  EXPECT_TRUE(IsWindowVisible(form->Toolbar3->Handle()));
  EXPECT_EQ(form->joined, 2);
  form.reset();
  Pump();
}
