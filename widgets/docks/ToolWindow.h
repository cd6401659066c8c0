// TCustomToolWindow: the base of every dockable bar. Docked, it is a child
// of a TDock with a thin raised frame and a drag handle; floating, a small
// popup above its form with its own frame, caption and close button. The
// user drags it between docks and the floating state with an outline,
// sizes it when floating and closes it with its close button (the loops:
// ToolDrag.cpp); floating bars hide while the program is inactive or their
// form is hidden or minimized (ToolWatch.h).
//
// Descendants give the layout: GetBarThickness, GetMinimumSize and
// LayOutControls, and may follow sizing through BeginSizing, Sizing and
// EndSizing.
#pragma once
#include <functional>
#include <string>

#include "Dock.h"
#include "Forms.h"

// Raises a counter for the life of a scope (the layout and bounds locks).
class TCounterHold {
public:
  explicit TCounterHold(int& counter) : counter_(counter) { ++counter_; }
  ~TCounterHold() { --counter_; }
  TCounterHold(const TCounterHold&) = delete;
  TCounterHold& operator=(const TCounterHold&) = delete;

private:
  int& counter_;
};

// The zero-size child of a form that floating bars are parented to.
class TFloatParent : public TWinControl {
public:
  explicit TFloatParent(TComponent* owner) : TWinControl(owner) {}

protected:
  void CreateParams(TCreateParams& p) override;
};

// How far ComputeLayout goes: measure only, place the children, or also
// resize the bar to fit them.
enum class TLayoutMode { lmMeasure, lmApply, lmApplyAndSize };

// Position data callbacks: (section, value name, value or default).
using TPositionReadInt = std::function<int(const std::string& section, const std::string& name, int defaultValue)>;
using TPositionWriteInt = std::function<void(const std::string& section, const std::string& name, int value)>;

// Fixed by each kind of bar at construction.
struct TToolWindowParams {
  bool AlignChildren = true;    // the default child alignment runs first
  bool CornerSizing = true;     // floating frame has corner sizing codes
  bool ClipWhileSizing = true;  // the cursor stays in the work area while sizing
};

// Private messages: the inactivity refresh posted to the application
// window, and the deferred redraw of a docked bar's frame.
constexpr UINT kRefreshToolWindowsMessage = 0x17AE;
constexpr LPARAM kRefreshToolWindowsMagic = 0x73A590F4;
constexpr UINT kRedrawDockedFrameMessage = 0x17AF;

class TCustomToolWindow : public TCustomControl {
public:
  ~TCustomToolWindow() override;

  bool ActivateParent() const { return activateParent_; }
  void SetActivateParent(bool value) { activateParent_ = value; }
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool value);
  TDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TDock* dock);
  TDockableTo DockableTo() const { return dockableTo_; }
  void SetDockableTo(TDockableTo value) { dockableTo_ = value; }
  TDock* DockedTo() const { return dockedTo_; }
  // Moves the bar into a dock, or floating with nullptr.
  void SetDockedTo(TDock* dock);
  int DockPos() const { return dockPos_; }
  void SetDockPos(int value);
  int DockRow() const { return dockRow_; }
  void SetDockRow(int value);
  bool DragHandle() const { return dragHandle_; }
  void SetDragHandle(bool value);
  bool FullSize() const { return fullSize_; }
  void SetFullSize(bool value);
  bool HideWhenInactive() const { return hideWhenInactive_; }
  void SetHideWhenInactive(bool value) { hideWhenInactive_ = value; }
  TNotifyEvent OnClose, OnRecreated, OnRecreating, OnDockChanged, OnDockChanging, OnVisibleChanged;

  bool Docked() const { return docked_; }
  // The form that owns the bar; floating windows stay above it.
  TForm* TopForm() const { return topForm_; }
  TFloatParent* FloatParent() const { return floatParent_; }
  int FloatingLeft() const { return floatingLeft_; }
  int FloatingTop() const { return floatingTop_; }
  bool Resizable() const { return resizable_; }
  void SetResizable(bool value) { resizable_ = value; }
  bool HiddenInactive() const { return hiddenInactive_; }
  bool InactiveCaption() const { return inactiveCaption_; }
  bool CloseDown() const { return closeDown_; }
  // Set by the inactivity tracking; a change shows, hides or redraws.
  void SetHiddenInactive(bool value);
  void SetInactiveCaption(bool value);

  void LockArrange();
  void UnlockArrange();
  // Lays out the children for the dock the bar is in and sizes the bar.
  void ArrangeBar();
  // Lays out for targetDock (nullptr: floating); false when the layout is
  // locked and only marked pending.
  bool ComputeLayout(TLayoutMode mode, TDock* fromDock, TDock* targetDock, SIZE* clientSize = nullptr);
  void KeepOnScreen(bool onlyIfFullyOff);

  TFloatMetrics FloatMetrics() const;
  // Non-client widths per side in the bar's present state.
  RECT NonClientInsets() const;
  static RECT WorkArea();

  virtual int GetBarThickness(int axis) = 0;
  virtual SIZE GetMinimumSize() = 0;
  virtual SIZE LayOutControls(bool apply, TDock* fromDock, TDock* targetDock) = 0;
  // Before a size change the bar did not make itself.
  virtual void SizeChanging(int, int) {}
  virtual void ReadPositionData(const TPositionReadInt&) {}
  virtual void WritePositionData(const TPositionWriteInt&) {}

  // A left press on the bar's surface (or a separator's) at a client point.
  void HandlePress(TShiftState shift, int x, int y);
  // The modal loops; see ToolDrag.cpp.
  void DragBar(int x, int y);
  bool SizeBar(int hitCode, POINT pressScreen, RECT& result);
  void TrackCloseButton();

  void SetParent(TWinControl* parent) override;
  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;

protected:
  TCustomToolWindow(TComponent* owner, TToolWindowParams params);

  virtual void BeginSizing(int) {}
  virtual void Sizing(POINT /*cursor*/, RECT&, const RECT&) {}
  virtual void EndSizing(bool) {}
  virtual void AfterLoad() {}

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void Paint(TCanvas& canvas) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Resize() override;
  void ChildChanged(TControl* child, TChildChange change) override;

  // Whether the docked client area shows its dock's background.
  bool TilesBackground() const;
  void PaintClientBackground(HDC dc);
  void RedrawFloatingFrame(bool frame, bool closeButton, bool caption);

  TToolWindowParams params_;

private:
  friend class TDock;
  void UpdateShowing();
  bool ShouldShow() const;
  void PostRedrawDockedFrame();
  void PaintDockedFrame(HRGN updateRegion);
  void PaintFloatingFrame(HRGN updateRegion, bool frame, bool closeButton, bool caption);
  void MouseActivate(TMessage& m);
  void Activated(bool active);
  void NCLeftButton(TMessage& m);
  int NCHitTest(TMessage& m);

  TForm* ownerForm_ = nullptr;
  TForm* topForm_ = nullptr;
  TFloatParent* floatParent_ = nullptr;
  TDock* dockedTo_ = nullptr;
  TDock* defaultDock_ = nullptr;
  bool docked_ = false;
  bool activateParent_ = true, closeButton_ = true, dragHandle_ = true, fullSize_ = false;
  bool hideWhenInactive_ = true, resizable_ = true;
  TDockableTo dockableTo_{TDockPosition::dpTop, TDockPosition::dpBottom, TDockPosition::dpLeft, TDockPosition::dpRight};
  int dockPos_ = -1, dockRow_ = 0;
  int floatingLeft_ = 0, floatingTop_ = 0;
  int layoutLock_ = 0, boundsLock_ = 0, moveHideCount_ = 0;
  bool arrangePending_ = false;
  bool hiddenInactive_ = true, inactiveCaption_ = false, closeDown_ = false;
};

// Describes the tool window's properties for the classes built on it.
const TClassInfo& ToolWindowClassInfo();
