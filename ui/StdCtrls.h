// Thin wrappers for the standard controls: label (windowless), button,
// check box, radio button, edit, memo, list box, combo box and group box.
// Each keeps its state while it has no window and pushes it on creation.
#pragma once
#include <string>
#include <vector>

#include "Controls.h"

enum class TTextLayout { tlTop, tlCenter, tlBottom };
TZ_ENUM_NAMES(TTextLayout, "tlTop", "tlCenter", "tlBottom")

// A windowless label; the base of the kit's own labels.
class TCustomLabel : public TGraphicControl {
public:
  explicit TCustomLabel(TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { if (a != alignment_) { alignment_ = a; Invalidate(); } }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l) { if (l != layout_) { layout_ = l; Invalidate(); } }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { if (v != wordWrap_) { wordWrap_ = v; AdjustSize(); Invalidate(); } }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v) { if (v != showAccelChar_) { showAccelChar_ = v; AdjustSize(); Invalidate(); } }
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* c);

protected:
  void Paint(TCanvas& canvas) override;
  // Draws (or with DT_CALCRECT measures) the caption in `r`.
  virtual void DoDrawText(TCanvas& canvas, RECT& r, UINT flags);
  // Draws `text` as the label does: embossed when disabled.
  void DrawLabelText(TCanvas& canvas, const std::string& text, RECT& r, UINT flags);
  void AdjustSize() override;
  void Loaded() override { TGraphicControl::Loaded(); AdjustSize(); }
  void Notification(TComponent* c, TOperation op) override;

private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool autoSize_ = true, wordWrap_ = false, transparent_ = false, showAccelChar_ = true;
  TTextLayout layout_ = TTextLayout::tlTop;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
public:
  using TCustomLabel::TCustomLabel;
};

// Base of the controls over a system window class.
class TStdControl : public TWinControl {
public:
  explicit TStdControl(TComponent* owner);
};

class TButton : public TStdControl {
public:
  explicit TButton(TComponent* owner);
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }
  // As a press does: sets the form's ModalResult, then OnClick.
  void Click() override;

protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;

private:
  bool default_ = false, cancel_ = false;
  int modalResult_ = 0;
};

class TCheckBox : public TStdControl {
public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const;
  // Fires OnClick when the state changes, as a click does.
  void SetChecked(bool v);

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;

private:
  bool checked_ = false;
};

class TRadioButton : public TStdControl {
public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return checked_; }
  // Checking one clears the other radio buttons of the same parent.
  void SetChecked(bool v);

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;

private:
  bool checked_ = false;
};

class TEdit : public TStdControl {
public:
  explicit TEdit(TComponent* owner);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  void SelectAll();
  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  virtual void Change() { if (OnChange) OnChange(this); }

private:
  int maxLength_ = 0;
  char passwordChar_ = 0;
  bool readOnly_ = false;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
TZ_ENUM_NAMES(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

class TMemo : public TEdit {
public:
  explicit TMemo(TComponent* owner);
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  void AddLine(const std::string& line);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s) { scrollBars_ = s; RecreateWnd(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; RecreateWnd(); }

protected:
  void CreateParams(TCreateParams& p) override;

private:
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  bool wordWrap_ = true;
};

// Items kept here and mirrored into the window.
class TItemsControl : public TStdControl {
public:
  using TStdControl::TStdControl;
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int AddItem(const std::string& item);
  void InsertItem(int index, const std::string& item);
  void DeleteItem(int index);
  void ClearItems();
  int ItemCount() const { return static_cast<int>(items_.size()); }
  int IndexOf(const std::string& item) const;
  int ItemIndex() const;
  virtual void SetItemIndex(int index);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);

protected:
  // The window messages of the list: add string, insert, delete, reset,
  // get and set the selection.
  struct TListMessages { UINT Insert, Delete, Reset, GetSel, SetSel; };
  virtual const TListMessages& Messages() const = 0;
  void HandleCreated() override;
  void DestroyWnd() override;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  // Per item, selected in a multi-selection list while it has no window.
  std::vector<bool> selected_;
  bool sorted_ = false;
};

class TListBox : public TItemsControl {
public:
  explicit TListBox(TComponent* owner);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool v);
  bool Selected(int index) const;
  // In a multi-selection list, index -1 stands for every item.
  void SetSelected(int index, bool v);
  int SelCount() const;

protected:
  const TListMessages& Messages() const override;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;

private:
  bool multiSelect_ = false;
};

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };
TZ_ENUM_NAMES(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList")

class TComboBox : public TItemsControl {
public:
  explicit TComboBox(TComponent* owner);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s) { style_ = s; RecreateWnd(); }
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int n) { dropDownCount_ = n; }
  // Choosing an item also sets the edit text, as the window does.
  void SetItemIndex(int index) override;
  TNotifyEvent OnChange;

protected:
  const TListMessages& Messages() const override;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;
  void SetTextBuf(const std::string& text) override;
  std::string GetText() const override;

private:
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int dropDownCount_ = 8;
};

class TGroupBox : public TStdControl {
public:
  explicit TGroupBox(TComponent* owner);

protected:
  void CreateParams(TCreateParams& p) override;
  void WndProc(TMessage& m) override;
};
