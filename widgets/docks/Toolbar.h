// TCustomToolbar: the tool window that lays out its child controls (tool
// buttons, separators, any control) in one line when docked and, when
// floating, in lines wrapped at a width the user picks by sizing the
// frame; the frame snaps to the widths where the wrapping changes.
// TToolbar is the one placed on forms; TToolbarSep goes between buttons.
//
//   object Toolbar1: TToolbar          // inside a TDock, or on the form
//     Caption = 'Standard'            //   to float
//     CloseButton = False
//     object ToolbarButton1: TToolbarButton ... end
//     object ToolbarSep1: TToolbarSep end
//   end
//
// Register with RegisterClass(TToolbar::ClassInfo()) and
// RegisterClass(TToolbarSep::ClassInfo()).
#pragma once
#include <memory>
#include <vector>

#include "ToolKit.h"
#include "ToolWindow.h"

class ERangeError : public Exception {
public:
  using Exception::Exception;
};

class TCustomToolbar : public TCustomToolWindow, public IDropdownSide {
public:
  explicit TCustomToolbar(TComponent* owner);
  ~TCustomToolbar() override;

  // The wrap width of the floating layout; 0 lays out one line.
  int FloatRightX() const { return floatRightX_; }
  // The children in layout order.
  const std::vector<TControl*>& ControlOrder() const { return controlOrder_; }
  // The separators that end a floating line.
  const std::vector<TWrapSeparator>& WrapSeparators() const { return wrapSeparators_; }
  struct TGroup {
    int Width = 0, Height = 0;
    std::vector<TControl*> Controls;
  };
  const std::vector<TGroup>& ControlGroups() const { return controlGroups_; }
  // Present only while the user sizes the floating toolbar.
  const TSizeSteps* SizeSteps() const { return sizeSteps_.get(); }

  int GetBarThickness(int axis) override;
  SIZE GetMinimumSize() override { return {0, 0}; }
  SIZE LayOutControls(bool apply, TDock* fromDock, TDock* targetDock) override;
  void ReadPositionData(const TPositionReadInt& readInteger) override;
  void WritePositionData(const TPositionWriteInt& writeInteger) override;
  // Button menus open to the right in a left dock, to the left in a right one.
  TDropdownSide DropdownSide() const override;

protected:
  void BeginSizing(int hitCode) override;
  void Sizing(POINT cursor, RECT& newRect, const RECT& pressBounds) override;
  void EndSizing(bool accepted) override;
  void AfterLoad() override;
  void Paint(TCanvas& canvas) override;
  void ChildChanged(TControl* child, TChildChange change) override;

private:
  std::vector<TControl*> VisibleInOrder() const;
  static std::vector<TToolItem> ItemsOf(const std::vector<TControl*>& controls);

  int floatRightX_ = 0;
  std::vector<TControl*> controlOrder_;
  std::vector<TWrapSeparator> wrapSeparators_;
  std::vector<TGroup> controlGroups_;
  std::unique_ptr<TSizeSteps> sizeSteps_;
};

class TToolbar : public TCustomToolbar {
public:
  explicit TToolbar(TComponent* owner) : TCustomToolbar(owner) {}
  static const TClassInfo& ClassInfo();
};

// A gap between buttons, with an etched line unless Blank; pressing it
// drags its toolbar.
class TToolbarSep : public TGraphicControl {
public:
  explicit TToolbarSep(TComponent* owner);
  bool Blank() const { return blank_; }
  void SetBlank(bool value);
  // 1 and more; a smaller value raises ERangeError.
  int SizeHorz() const { return sizeHorz_; }
  void SetSizeHorz(int value);
  int SizeVert() const { return sizeVert_; }
  void SetSizeVert(int value);
  void SetParent(TWinControl* parent) override;
  static const TClassInfo& ClassInfo();

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  void SetSize(int& field, int value);
  bool blank_ = false;
  int sizeHorz_ = 6, sizeVert_ = 6;
};
