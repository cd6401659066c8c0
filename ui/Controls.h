// Controls: windowed ones over an HWND, and windowless (graphic) ones that
// their parent paints and feeds with mouse input.
//
//   auto* panel = new TPanel(form);        // the owner frees it
//   panel->SetParent(form);                // the parent shows it
//   panel->SetBounds(8, 8, 200, 40);
//   panel->SetAlign(TAlign::alTop);
//   auto* label = new TLabel(form);
//   label->SetParent(panel);               // windowless: the panel paints it
//   label->OnClick = [](TComponent*) { ... };
//
// A windowed control handles messages in WndProc, one case per message, and
// passes the rest to its base class. Notices between controls are the CM_
// messages below; WM_COMMAND, WM_NOTIFY, scrolls, owner drawing and colour
// requests come back to the child that sent them as CN_ messages.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Component.h"
#include "Enums.h"
#include "Graphics.h"
#include "Menus.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// Notices between controls.
enum : UINT {
  CM_BASE = 0xB000,
  CM_ENABLEDCHANGED,
  CM_VISIBLECHANGED,
  CM_COLORCHANGED,
  CM_FONTCHANGED,
  CM_TEXTCHANGED,
  CM_PARENTCOLORCHANGED,
  CM_PARENTFONTCHANGED,
  CM_SHOWHINTCHANGED,
  CM_PARENTSHOWHINTCHANGED,
  CM_MOUSEENTER,
  CM_MOUSELEAVE,
  CM_SYSCOLORCHANGE,
  CM_CURSORCHANGED,
  CM_DIALOGKEY,   // WParam: virtual key; Result non-zero when used
  CM_RELEASE,     // deferred free of a form
  CM_FOCUSCHANGED,
};
// Reflected notifications: CN_BASE + the parent's message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;

// Raised for misuse of a control (placement, modal state and the like).
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
TZ_ENUM_NAMES(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
TZ_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
TZ_ENUM_NAMES(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
enum class TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
TZ_ENUM_NAMES(TShiftFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
using TShiftState = TSet<TShiftFlag>;
enum class TCursor { crDefault, crArrow, crCross, crIBeam, crSizeNESW, crSizeNS, crSizeNWSE, crSizeWE,
                     crUpArrow, crHourGlass, crNo, crAppStart, crHelp, crHandPoint, crSizeAll };
TZ_ENUM_NAMES(TCursor, "crDefault", "crArrow", "crCross", "crIBeam", "crSizeNESW", "crSizeNS", "crSizeNWSE",
              "crSizeWE", "crUpArrow", "crHourGlass", "crNo", "crAppStart", "crHelp", "crHandPoint", "crSizeAll")
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent = TEvent<TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TShiftState, int, int>;
using TKeyEvent = TEvent<WORD&, TShiftState>;
using TKeyPressEvent = TEvent<char&>;

// What PopupMenu points at; the menu kit gives the real one.
class TPopupMenuBase : public TMenu {
public:
  explicit TPopupMenuBase(TComponent* owner) : TMenu(owner, false) {}
  virtual void Popup(int screenX, int screenY) = 0;
};

class TWinControl;
class TForm;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  // The form this control is placed on (itself for a form), or null.
  TForm* ParentForm() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const { RECT r = ClientRect(); return r.right - r.left; }
  int ClientHeight() const { RECT r = ClientRect(); return r.bottom - r.top; }
  virtual void SetClientWidth(int v) { SetWidth(width_ + v - ClientWidth()); }
  virtual void SetClientHeight(int v) { SetHeight(height_ + v - ClientHeight()); }
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_.Assign(font); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);

  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& text) { SetText(text); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& text);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  // The help file's topic for this control; 0 for none.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  TPopupMenuBase* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenuBase* menu);

  virtual void Invalidate();
  void Update();
  void Repaint() { Invalidate(); Update(); }
  void BringToFront();

  LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
  virtual void WndProc(TMessage& m);

  // Mouse capture: a windowless control captures through its parent.
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  bool Destroying() const { return destroying_; }

  TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave, OnResize;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

protected:
  virtual std::string GetText() const { return text_; }
  virtual void SetTextBuf(const std::string& text) { text_ = text; }
  virtual void DefaultHandler(TMessage&) {}
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void Resize() { if (OnResize) OnResize(this); }
  // Called when a change may alter the control's own size (AutoSize).
  virtual void AdjustSize() {}
  // Set while the class's own defaults are applied, so they do not
  // count as user settings (ParentFont stays on).
  void SetParentFontQuiet(bool v) { parentFont_ = v; }
  void SetDefaultColor(TColor c) { color_ = c; }
  // Only windowless and self-painted controls turn mouse up into Click.
  bool clickEvents_ = true;
  bool destroying_ = false;
  std::string text_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TWinControl* parent_ = nullptr;

private:
  friend class TWinControl;
  void FontChanged();
  void ParentFontChanged();
  void ParentColorChanged();
  void MouseEvent(TMessage& m);

  TAlign align_ = TAlign::alNone;
  bool visible_ = true, enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  bool fromParent_ = false;
  std::string hint_;
  int helpContext_ = 0;
  bool showHint_ = false, parentShowHint_ = true;
  TCursor cursor_ = TCursor::crDefault;
  TPopupMenuBase* popupMenu_ = nullptr;
  bool mouseDown_ = false;

protected:
  void Notification(TComponent* component, TOperation operation) override;
};

// A windowless control: its parent paints it through Paint.
// Whether `c` goes with something else being freed now: one of its owners
// or parents, or the whole program at its end. What goes only
// releases what it holds: no layout, painting or rebuilding of others.
bool IsGoing(const TComponent* c);

class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  // Paints into any canvas at (x, y) of it: tests read the pixels back.
  void PaintTo(TCanvas& canvas, int x, int y);
  // Opaque controls paint every pixel; others let the parent show through.
  bool Opaque() const { return opaque_; }

protected:
  friend class TWinControl;
  virtual void Paint(TCanvas& canvas) = 0;
  bool opaque_ = false;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();
  HWND HandleIfAllocated() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window and makes it again (after a style change).
  void RecreateWnd();
  // Finds the control (windowed or not) that owns `wnd`, or null.
  static TWinControl* FromHandle(HWND wnd);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  // Sends a message to every child control, in order.
  void Broadcast(TMessage& m);
  // The topmost visible windowless child at a client point, or null.
  TGraphicControl* GraphicControlAt(POINT p, bool allowDisabled = false) const;
  TGraphicControl* CaptureControl() const { return captureControl_; }

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  void SetFocus();
  bool Focused() const;
  bool CanFocus() const;

  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void Invalidate() override;
  void WndProc(TMessage& m) override;
  // Lays out the children by their Align.
  void Realign();
  // Paints the windowless children into `dc` (client coordinates).
  void PaintControls(HDC dc, const RECT& area);

  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;

protected:
  struct TCreateParams {
    std::string WinClassName;  // empty: the layer's own class
    std::string Caption;
    DWORD Style = 0, ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // After the window exists: push the state kept while it did not.
  virtual void HandleCreated() {}
  // Before the window goes: save what only the window holds.
  virtual void DestroyWnd();
  void DestroyHandle();
  // Frees owned components, detaches children and destroys the window.
  void FreeOwned();
  void DefaultHandler(TMessage& m) override;
  // The control's own painting, before its windowless children.
  virtual void PaintWindow(HDC dc);
  // Client area left for aligned children.
  virtual RECT AlignRect() { return ClientRect(); }
  // A child joined or left, or its bounds or visibility changed; for
  // containers that place their children themselves.
  enum class TChildChange { Inserted, Removed, Bounds, Visibility };
  virtual void ChildChanged(TControl*, TChildChange) {}
  std::string GetText() const override;
  void SetTextBuf(const std::string& text) override;
  // Brush for WM_CTLCOLOR answers (own colour).
  HBRUSH ColorBrush();
  void UpdateBoundsFromWindow();

private:
  friend class TControl;
  friend class TGraphicControl;
  static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Attach(HWND wnd);
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void WMPaint(TMessage& m);
  void WMEraseBkgnd(TMessage& m);
  bool Reflect(TMessage& m);
  bool RouteMouse(TMessage& m);
  void SetMouseControl(TControl* c);
  void AlignControls();

  HWND handle_ = nullptr;
  WNDPROC defProc_ = nullptr;
  std::vector<TControl*> controls_;
  bool tabStop_ = false;
  TGraphicControl* captureControl_ = nullptr;
  TControl* mouseControl_ = nullptr;
  bool trackingLeave_ = false;
  int aligning_ = 0;
  TBrushHandle colorBrush_;
  COLORREF colorBrushRGB_ = 0;
};

// A windowed control that paints itself on a canvas (panels and the like).
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}

protected:
  virtual void Paint(TCanvas& canvas) = 0;
  void PaintWindow(HDC dc) override;
};
