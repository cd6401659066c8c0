// A focusable label that works as a push button, with a small LED at its
// left that shows its state.
#pragma once
#include <string>

#include "Controls.h"

class TClassInfo;

enum class TLEDType { ltDefault, ltUp, ltDown };
TZ_ENUM_NAMES(TLEDType, "ltDefault", "ltUp", "ltDown")

// Name of the LED picture for a type and state ("OFFRND", "DOWN3UP", ...).
std::string LedPictureName(TLEDType type, bool enabled, bool hover, bool pressed);

class TOLabel : public TCustomControl {
public:
  explicit TOLabel(TComponent* owner);
  static const TClassInfo& ClassInfo();

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { if (a != alignment_) { alignment_ = a; Invalidate(); } }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  TLEDType LedType() const { return ledType_; }
  void SetLedType(TLEDType t);
  int MarginLeft() const { return marginLeft_; }
  void SetMarginLeft(int v);
  int MarginRight() const { return marginRight_; }
  void SetMarginRight(int v);
  int TabSize() const { return tabSize_; }
  void SetTabSize(int v);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }

  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
  bool IsActive() const { return active_; }
  // The picture the next paint shows.
  std::string LedPicture() const { return LedPictureName(ledType_, Enabled(), hover_, pressed_); }
  // The text rectangle of the last paint.
  const RECT& TextRect() const { return textRect_; }

  void Click() override;
  // Enter while active, or Escape while the cancel button, with no shift
  // key held: fires the click. The form passes its dialog keys here.
  bool DialogKey(WORD key);
  // The caption's accelerator typed: fires the click when the control can
  // take the focus.
  bool DialogChar(char ch);
  // A focus change in the form: `focused` is the new focused control.
  void FocusChanged(TWinControl* focused);

protected:
  void CreateParams(TCreateParams& p) override;
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

private:
  void SetHover(bool v);
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool cancel_ = false, default_ = false;
  TLEDType ledType_ = TLEDType::ltDefault;
  int marginLeft_ = 1, marginRight_ = 1, tabSize_ = 3;
  int modalResult_ = 0;
  bool hover_ = false, pressed_ = false, focused_ = false, active_ = false, mouseInside_ = false;
  RECT textRect_{};
};

// Tells every TOLabel of the form of a focus change (as the form's
// focus-changed notice does) and offers them a dialog key first.
void OLabelsFocusChanged(TWinControl* form, TWinControl* focused);
bool OLabelsDialogKey(TWinControl* form, WORD key);
// Offers an accelerator character to the form's TOLabels; true when one used it.
bool OLabelsDialogChar(TWinControl* form, char ch);
