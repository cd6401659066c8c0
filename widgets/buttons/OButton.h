// The rounded office-style push button: a rounded frame whose border
// thickens under the mouse, an LED picture at its left that lights and
// presses with it, and a centred caption. It answers Space, Enter while it
// is the default, Escape when it is the cancel button, and its accelerator.
// The LED pictures are the program's bitmap resources "OFF", "ON", "DOWN"
// and "DISABLED" (link tz_button_pictures). Register with
// RegisterClass(TOButton::ClassInfo()).
#pragma once
#include <string>

#include "Description.h"
#include "Controls.h"

class TOButton : public TCustomControl {
public:
  explicit TOButton(TComponent* owner);
  static const TClassInfo& ClassInfo();

  TColor ActiveBorderColor() const { return activeBorderColor_; }
  void SetActiveBorderColor(TColor c);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor c);
  int RoundSize() const { return roundSize_; }
  void SetRoundSize(int v);
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int v) { modalResult_ = v; }

  bool Hot() const { return hot_; }
  bool Pressed() const { return pressed_; }
  bool IsActive() const { return active_; }
  // The LED picture the next paint shows.
  const char* LedPicture() const;

  // Makes the window's style say whether it is the default button.
  virtual void SetButtonStyle(bool isDefault);
  // A focus change in the form: `focused` has the focus now.
  void FocusChanged(TWinControl* focused);
  // Enter while active or Escape while the cancel button: clicks.
  bool DialogKey(WORD key);
  // The caption's accelerator character: clicks.
  bool DialogChar(char ch);

  // Called with the mouse message when the mouse enters or leaves.
  TEvent<const TMessage&> OnMouseEnter, OnMouseLeave;

protected:
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

private:
  void SetHot(bool v);
  TColor activeBorderColor_ = clGray, borderColor_ = clSilver;
  int roundSize_ = 20;
  bool default_ = false, cancel_ = false;
  int modalResult_ = 0;
  bool hot_ = false, pressed_ = false, focused_ = false, active_ = false, tracking_ = false;
};

// Tells every TOButton inside `root` of a focus change, and offers them a
// dialog key or an accelerator character; the form calls these.
void OButtonsFocusChanged(TWinControl* root, TWinControl* focused);
bool OButtonsDialogKey(TWinControl* root, WORD key);
bool OButtonsDialogChar(TWinControl* root, char ch);
