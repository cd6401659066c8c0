#include "StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "Forms.h"

namespace {
int CompareText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str());
}
}  // namespace

// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  width_ = 65;
  height_ = 17;
  SetParentColor(true);
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  AdjustSize();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  opaque_ = !v;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
  focusControl_ = c;
  if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* c, TOperation op) {
  TGraphicControl::Notification(c, op);
  if (op == TOperation::opRemove && c == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::DoDrawText(TCanvas& canvas, RECT& r, UINT flags) {
  std::string text = Caption();
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  canvas.Font.Assign(Font());
  DrawLabelText(canvas, text, r, flags);
}

void TCustomLabel::DrawLabelText(TCanvas& canvas, const std::string& text, RECT& r, UINT flags) {
  if (Enabled()) {
    canvas.DrawText(text, r, flags);
    return;
  }
  // Disabled: embossed, highlight one pixel down-right, then shadow.
  OffsetRect(&r, 1, 1);
  canvas.Font.SetColor(clBtnHighlight);
  canvas.DrawText(text, r, flags);
  OffsetRect(&r, -1, -1);
  canvas.Font.SetColor(clBtnShadow);
  canvas.DrawText(text, r, flags);
}

void TCustomLabel::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  if (!transparent_) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(r);
  }
  canvas.Brush.SetStyle(TBrushStyle::bsClear);
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | align[static_cast<int>(alignment_)];
  if (layout_ != TTextLayout::tlTop) {
    RECT calc = r;
    DoDrawText(canvas, calc, flags | DT_CALCRECT);
    int shift = Height() - calc.bottom;
    if (layout_ == TTextLayout::tlCenter) shift /= 2;
    OffsetRect(&r, 0, shift);
  }
  DoDrawText(canvas, r, flags);
}

void TCustomLabel::AdjustSize() {
  if (!autoSize_ || Loading() || Destroying()) return;
  TWindowDC screen(nullptr);
  TCanvas canvas(screen.Get());
  RECT r = ClientRect();
  DoDrawText(canvas, r, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
  int w = wordWrap_ ? Width() : static_cast<int>(r.right);
  int x = Left();
  if (alignment_ == TAlignment::taRightJustify && !wordWrap_) x = Left() + Width() - w;
  SetBounds(x, Top(), w, r.bottom);
}

// TStdControl

TStdControl::TStdControl(TComponent* owner) : TWinControl(owner) { clickEvents_ = false; }

// TButton

TButton::TButton(TComponent* owner) : TStdControl(owner) {
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::SetDefault(bool v) {
  default_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& p) {
  TStdControl::CreateParams(p);
  p.WinClassName = "BUTTON";
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
  if (TForm* form = ParentForm(); form && modalResult_ != 0) form->SetModalResult(modalResult_);
  TStdControl::Click();
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TStdControl::WndProc(m);
}

// TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TStdControl(owner) {
  width_ = 97;
  height_ = 17;
  SetTabStop(true);
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TStdControl::CreateParams(p);
  p.WinClassName = "BUTTON";
  p.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::HandleCreated() { SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

void TCheckBox::DestroyWnd() {
  checked_ = Checked();
  TStdControl::DestroyWnd();
}

bool TCheckBox::Checked() const {
  if (HWND h = HandleIfAllocated()) return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return checked_;
}

void TCheckBox::SetChecked(bool v) {
  if (v == Checked()) return;
  checked_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Loading()) Click();
}

void TCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    checked_ = Checked();
    Click();
    return;
  }
  TStdControl::WndProc(m);
}

// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TStdControl(owner) {
  width_ = 113;
  height_ = 17;
  SetTabStop(true);
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TStdControl::CreateParams(p);
  p.WinClassName = "BUTTON";
  p.Style |= BS_RADIOBUTTON;
}

void TRadioButton::HandleCreated() { SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!v) return;
  if (Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this) r->SetChecked(false);
  if (!Loading()) Click();
}

void TRadioButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    SetChecked(true);
    return;
  }
  TStdControl::WndProc(m);
}

// TEdit

TEdit::TEdit(TComponent* owner) : TStdControl(owner) {
  width_ = 121;
  height_ = 21;
  SetDefaultColor(clWindow);
  SetTabStop(true);
}

void TEdit::CreateParams(TCreateParams& p) {
  TStdControl::CreateParams(p);
  p.WinClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (passwordChar_) p.Style |= ES_PASSWORD;
  if (readOnly_) p.Style |= ES_READONLY;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::HandleCreated() {
  SendMessageA(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (passwordChar_) SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

void TEdit::SetMaxLength(int n) {
  maxLength_ = n;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, EM_SETLIMITTEXT, static_cast<WPARAM>(n), 0);
}

void TEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  RecreateWnd();
}

void TEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, EM_SETREADONLY, v, 0);
}

void TEdit::SelectAll() {
  if (HWND h = HandleIfAllocated()) SendMessageA(h, EM_SETSEL, 0, -1);
}

void TEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    if (!Loading()) Change();
    return;
  }
  if (m.Msg == CM_TEXTCHANGED && !HandleAllocated() && !Loading()) Change();
  TStdControl::WndProc(m);
}

// TMemo

TMemo::TMemo(TComponent* owner) : TEdit(owner) {
  width_ = 185;
  height_ = 89;
}

void TMemo::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  p.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!wordWrap_) p.Style |= ES_AUTOHSCROLL;
  if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth) p.Style |= WS_VSCROLL;
  if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) p.Style |= WS_HSCROLL;
}

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> lines;
  std::string text = GetText();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  SetText(text);
}

void TMemo::AddLine(const std::string& line) {
  auto lines = Lines();
  lines.push_back(line);
  SetLines(lines);
}

// TItemsControl

void TItemsControl::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const auto& s : items) AddItem(s);
}

int TItemsControl::AddItem(const std::string& item) {
  int index = ItemCount();
  if (sorted_) {
    auto it = std::upper_bound(items_.begin(), items_.end(), item,
                               [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    index = static_cast<int>(it - items_.begin());
  }
  InsertItem(index, item);
  return index;
}

void TItemsControl::InsertItem(int index, const std::string& item) {
  if (index < 0 || index > ItemCount()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  items_.insert(items_.begin() + index, item);
  selected_.insert(selected_.begin() + index, false);
  if (HWND h = HandleIfAllocated())
    SendMessageA(h, Messages().Insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.c_str()));
}

void TItemsControl::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  items_.erase(items_.begin() + index);
  selected_.erase(selected_.begin() + index);
  if (HWND h = HandleIfAllocated()) SendMessageA(h, Messages().Delete, static_cast<WPARAM>(index), 0);
  if (itemIndex_ >= ItemCount()) itemIndex_ = -1;
}

void TItemsControl::ClearItems() {
  items_.clear();
  selected_.clear();
  itemIndex_ = -1;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, Messages().Reset, 0, 0);
}

int TItemsControl::IndexOf(const std::string& item) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (CompareText(items_[static_cast<size_t>(i)], item) == 0) return i;
  return -1;
}

int TItemsControl::ItemIndex() const {
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageA(h, Messages().GetSel, 0, 0));
  return itemIndex_;
}

void TItemsControl::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount()) index = -1;
  itemIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, Messages().SetSel, static_cast<WPARAM>(index), 0);
}

void TItemsControl::SetSorted(bool v) {
  if (v == sorted_) return;
  sorted_ = v;
  if (v) {
    auto items = items_;
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    sorted_ = false;
    SetItems(items);
    sorted_ = true;
  }
}

void TItemsControl::HandleCreated() {
  HWND h = Handle();
  for (size_t i = 0; i < items_.size(); ++i)
    SendMessageA(h, Messages().Insert, i, reinterpret_cast<LPARAM>(items_[i].c_str()));
  if (itemIndex_ >= 0) SendMessageA(h, Messages().SetSel, static_cast<WPARAM>(itemIndex_), 0);
}

void TItemsControl::DestroyWnd() {
  itemIndex_ = ItemIndex();
  TStdControl::DestroyWnd();
}

// TListBox

TListBox::TListBox(TComponent* owner) : TItemsControl(owner) {
  width_ = 121;
  height_ = 97;
  SetDefaultColor(clWindow);
  SetTabStop(true);
}

const TItemsControl::TListMessages& TListBox::Messages() const {
  static const TListMessages m{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCURSEL, LB_SETCURSEL};
  return m;
}

void TListBox::CreateParams(TCreateParams& p) {
  TItemsControl::CreateParams(p);
  p.WinClassName = "LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | (multiSelect_ ? LBS_EXTENDEDSEL : 0);
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::SetMultiSelect(bool v) {
  if (v == multiSelect_) return;
  // Without a window the one selected item becomes the multiple selection;
  // with one, DestroyWnd reads the selection back.
  if (v && !HandleAllocated())
    for (size_t i = 0; i < selected_.size(); ++i) selected_[i] = static_cast<int>(i) == itemIndex_;
  multiSelect_ = v;
  RecreateWnd();
}

bool TListBox::Selected(int index) const {
  if (HWND h = HandleIfAllocated()) return SendMessageA(h, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
  if (!multiSelect_) return index >= 0 && index == itemIndex_;
  return index >= 0 && index < ItemCount() && selected_[static_cast<size_t>(index)];
}

void TListBox::SetSelected(int index, bool v) {
  if (!multiSelect_) { if (v) SetItemIndex(index); return; }
  if (index < -1 || index >= ItemCount()) throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  if (index == -1) std::fill(selected_.begin(), selected_.end(), v);  // every item, as the window does
  else selected_[static_cast<size_t>(index)] = v;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, LB_SETSEL, v, index);
}

int TListBox::SelCount() const {
  if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
  if (HWND h = HandleIfAllocated()) return static_cast<int>(SendMessageA(h, LB_GETSELCOUNT, 0, 0));
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TListBox::HandleCreated() {
  TItemsControl::HandleCreated();
  if (!multiSelect_) return;
  HWND h = Handle();
  for (size_t i = 0; i < selected_.size(); ++i)
    if (selected_[i]) SendMessageA(h, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
  if (itemIndex_ >= 0) SendMessageA(h, LB_SETCARETINDEX, static_cast<WPARAM>(itemIndex_), FALSE);
}

void TListBox::DestroyWnd() {
  if (HWND h = HandleIfAllocated())
    for (size_t i = 0; i < selected_.size(); ++i) selected_[i] = SendMessageA(h, LB_GETSEL, i, 0) > 0;
  TItemsControl::DestroyWnd();
}

void TListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) { Click(); return; }
    if (HIWORD(m.WParam) == LBN_DBLCLK) { DblClick(); return; }
  }
  TItemsControl::WndProc(m);
}

// TComboBox

TComboBox::TComboBox(TComponent* owner) : TItemsControl(owner) {
  width_ = 145;
  height_ = 21;
  SetDefaultColor(clWindow);
  SetTabStop(true);
}

const TItemsControl::TListMessages& TComboBox::Messages() const {
  static const TListMessages m{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCURSEL, CB_SETCURSEL};
  return m;
}

void TComboBox::CreateParams(TCreateParams& p) {
  TItemsControl::CreateParams(p);
  p.WinClassName = "COMBOBOX";
  static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
  p.Style |= styles[static_cast<int>(style_)] | CBS_AUTOHSCROLL | WS_VSCROLL;
  if (style_ != TComboBoxStyle::csSimple) p.Height = height_ + 18 * dropDownCount_;
}

void TComboBox::SetItemIndex(int index) {
  TItemsControl::SetItemIndex(index);
  if (!HandleAllocated()) text_ = itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : std::string();
}

void TComboBox::HandleCreated() {
  TItemsControl::HandleCreated();
  // The window ignores the text it is created with; choosing the item has
  // set that item's text, so the kept text (the later of the two) goes last.
  if (style_ != TComboBoxStyle::csDropDownList && TItemsControl::GetText() != text_)
    SetWindowTextA(Handle(), text_.c_str());
}

void TComboBox::SetTextBuf(const std::string& text) {
  if (style_ == TComboBoxStyle::csDropDownList) {
    int index = IndexOf(text);
    SetItemIndex(index);
    text_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
    return;
  }
  TItemsControl::SetTextBuf(text);
}

std::string TComboBox::GetText() const {
  if (!HandleIfAllocated() && style_ == TComboBoxStyle::csDropDownList)
    return itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : std::string();
  return TItemsControl::GetText();
}

void TComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    WORD code = HIWORD(m.WParam);
    if (code == CBN_SELCHANGE) {
      itemIndex_ = ItemIndex();
      if (itemIndex_ >= 0) text_ = items_[static_cast<size_t>(itemIndex_)];
      Click();
      if (OnChange && !Loading()) OnChange(this);
      return;
    }
    if (code == CBN_EDITCHANGE) {
      if (OnChange && !Loading()) OnChange(this);
      return;
    }
  }
  if (m.Msg == CM_TEXTCHANGED && OnChange && !Loading()) OnChange(this);
  TItemsControl::WndProc(m);
}

// TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TStdControl(owner) {
  width_ = 185;
  height_ = 105;
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TStdControl::CreateParams(p);
  p.WinClassName = "BUTTON";
  p.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
  p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TGroupBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Handle(), &r);
      FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
      m.Result = 1;
      return;
    }
    case WM_NCHITTEST:
      // The system group box is see-through for the mouse; ours holds
      // windowless children that need it.
      TStdControl::WndProc(m);
      if (m.Result == HTTRANSPARENT) m.Result = HTCLIENT;
      return;
    default: TStdControl::WndProc(m);
  }
}
