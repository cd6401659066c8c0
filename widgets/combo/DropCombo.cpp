#include "DropCombo.h"

#include <windowsx.h>

#include <algorithm>

#include "FlatEdit.h"
#include "Gdi.h"
#include "Guards.h"

namespace {
// The list of the popup: no frame of its own.
class TPopList : public TListBox {
public:
  using TListBox::TListBox;

protected:
  void CreateParams(TCreateParams& p) override {
    TListBox::CreateParams(p);
    p.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  }
};

int FontTextHeight(const TFont& font) {
  TWindowDC screen(nullptr);
  TSelectGuard select(screen.Get(), font.Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(screen.Get(), &tm);
  return tm.tmHeight;
}

// The 9 x 3 downward arrow of the drop-down button.
std::unique_ptr<TBitmap> ArrowGlyph() {
  auto glyph = std::make_unique<TBitmap>(9, 3);
  TBitmap& bmp = *glyph;
  TBrushHandle back(CreateSolidBrush(RGB(128, 128, 0)));
  RECT all{0, 0, 9, 3};
  FillRect(bmp.DC(), &all, back.Get());
  for (int x = 2; x <= 6; ++x) SetPixel(bmp.DC(), x, 0, RGB(0, 0, 0));
  for (int x = 3; x <= 5; ++x) SetPixel(bmp.DC(), x, 1, RGB(0, 0, 0));
  SetPixel(bmp.DC(), 4, 2, RGB(0, 0, 0));
  return glyph;
}

int IndexOfText(const std::vector<std::string>& items, const std::string& text) {
  for (size_t i = 0; i < items.size(); ++i)
    if (lstrcmpiA(items[i].c_str(), text.c_str()) == 0) return static_cast<int>(i);
  return -1;
}
}  // namespace

// TXButton

TXButton::TXButton(TComponent* owner) : TGraphicControl(owner) {
  width_ = 25;
  height_ = 25;
  clickEvents_ = false;
  opaque_ = true;
}

void TXButton::SetBitmap(const TBitmap& bitmap) {
  bitmap_ = CopyOf(bitmap);
  Invalidate();
}

void TXButton::Paint(TCanvas& canvas) {
  const int w = Width(), h = Height();
  TBitmap off(w, h);
  TBrushHandle face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  RECT all{0, 0, w, h};
  FillRect(off.DC(), &all, face.Get());
  COLORREF first = GetSysColor(COLOR_BTNHIGHLIGHT), second = first;
  if (inside_) {
    first = GetSysColor(pressed_ ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    second = GetSysColor(pressed_ ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
  }
  {
    TPenHandle pen(CreatePen(PS_SOLID, 1, first));
    TSelectGuard select(off.DC(), pen.Get());
    MoveToEx(off.DC(), 0, h - 1, nullptr);
    LineTo(off.DC(), 0, 0);
    LineTo(off.DC(), w - 1, 0);
  }
  {
    TPenHandle pen(CreatePen(PS_SOLID, 1, second));
    TSelectGuard select(off.DC(), pen.Get());
    MoveToEx(off.DC(), w - 1, 0, nullptr);
    LineTo(off.DC(), w - 1, h - 1);
    LineTo(off.DC(), 0, h - 1);
  }
  canvas.Draw(0, 0, off.DC(), w, h);
  if (bitmap_) {
    int x = (w - bitmap_->Width()) / 2, y = (h - bitmap_->Height()) / 2;
    canvas.Draw(x, y, bitmap_->DC(), bitmap_->Width(), bitmap_->Height());
  }
}

void TXButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER: inside_ = true; Invalidate(); break;
    case CM_MOUSELEAVE: inside_ = false; Invalidate(); break;
    case WM_LBUTTONDOWN:
      if (Enabled() && !pressed_) {
        pressed_ = true;
        Invalidate();
      }
      break;
    case WM_LBUTTONUP: {
      if (!pressed_) break;
      pressed_ = false;
      POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
      RECT r = ClientRect();
      if (PtInRect(&r, p)) {
        Invalidate();
        TGraphicControl::WndProc(m);
        Click();
        return;
      }
      break;
    }
    default: break;
  }
  TGraphicControl::WndProc(m);
}

// TPopForm

TPopForm::TPopForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetFormStyle(TFormStyle::fsStayOnTop);
  Panel = new TPanel(this);
  Panel->SetParent(this);
  Panel->SetAlign(TAlign::alClient);
  Panel->SetBevelInner(TPanelBevel::bvNone);
  Panel->SetBevelOuter(TPanelBevel::bvLowered);
  Panel->SetBevelWidth(1);
  Panel->SetBorderWidth(0);
  List = new TPopList(this);
  List->SetParent(Panel);
  List->SetAlign(TAlign::alClient);
  List->SetParentFont(true);
}

// TDropDownComboBox

TDropDownComboBox::TDropDownComboBox(TComponent* owner) : TEdit(owner) {
  width_ = 145;
  height_ = 21;
  SetReadOnly(true);
  SetCursor(TCursor::crArrow);
  xbutton_ = new TXButton(this);
  xbutton_->SetParent(this);
  button_ = new TToolbarButton(this);
  button_->SetParent(this);
  button_->SetOpaque(false);
  button_->SetGlyph(*ArrowGlyph());
  button_->SetNumGlyphs(1);  // 9 x 3 is one image, not three
  button_->OnClick = [this](TComponent*) { DropDown(); };
  LayoutParts();
}

TDropDownComboBox::~TDropDownComboBox() {
  *alive_ = false;
  if (TPopForm* p = popup_) {
    popup_ = nullptr;
    p->OnDeactivate = nullptr;
    p->List->OnKeyDown = nullptr;
    p->List->OnDblClick = nullptr;
    p->List->OnMouseMove = nullptr;
    if (p->HandleAllocated()) p->Release();
    else delete p;
  }
}

void TDropDownComboBox::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  p.Style |= WS_BORDER | ES_MULTILINE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

void TDropDownComboBox::HandleCreated() {
  TEdit::HandleCreated();
  createdText_ = Text();
  LayoutParts();
}

void TDropDownComboBox::PaintWindow(HDC dc) {
  // The edit clips the DC to its text rectangle: the buttons paint after it.
  TSaveDC save(dc);
  TEdit::PaintWindow(dc);
}

void TDropDownComboBox::Resize() {
  LayoutParts();
  TEdit::Resize();
}

void TDropDownComboBox::LayoutParts() {
  if (laying_ || !button_) return;
  TFlagGuard busy(laying_);
  if (autoSize_) {
    int h = FontTextHeight(Font()) + 8;
    if (h != Height()) SetHeight(h);
  } else {
    itemHeight_ = Height() - 9;
  }
  int bh = Height() - 4, bw = bh * 8 / 10, left = Width() - bw - 4;
  button_->SetBounds(left, 0, bw, bh);
  xbutton_->SetBounds(left, 0, bw, bh);
  if (HWND h = HandleIfAllocated()) {
    RECT text{0, 0, left - 2, Height()};
    SendMessageA(h, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
  }
}

void TDropDownComboBox::SetItemHeight(int v) {
  if (autoSize_) return;
  itemHeight_ = v;
  SetHeight(v + 9);
}

void TDropDownComboBox::SetAutoSize(bool v) {
  autoSize_ = v;
  LayoutParts();
}

void TDropDownComboBox::SetBtn3State(bool v) {
  btn3State_ = v;
  if (v) {
    button_->SetGroupIndex(1);
    button_->SetAllowAllUp(false);
  } else {
    button_->SetAllowAllUp(true);
    button_->SetDown(false);
    button_->SetGroupIndex(0);
  }
}

void TDropDownComboBox::Clear() {
  SetText("");
  items_.clear();
}

bool TDropDownComboBox::DrawnHot() const { return mouseInside_; }

void TDropDownComboBox::PaintFrame(HRGN region) {
  HWND h = HandleIfAllocated();
  if (!h) return;
  TWindowDC dc(h, TWindowDC::Window);
  ClipToRegion(dc.Get(), h, region);
  RECT wr;
  GetWindowRect(h, &wr);
  RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  if (DrawnHot()) {
    DrawHotFrame(dc.Get(), r);
    return;
  }
  FrameRect(dc.Get(), &r, GetSysColorBrush(COLOR_BTNFACE));
  FrameRect(dc.Get(), &r, GetSysColorBrush(COLOR_BTNFACE));
  InflateRect(&r, -1, -1);
  FrameRect(dc.Get(), &r, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

void TDropDownComboBox::SetMouseInside(bool v) {
  mouseInside_ = v;
  PaintFrame();
}

void TDropDownComboBox::DropDown() {
  if (dropping_ || popup_) return;
  dropping_ = true;
  auto* p = new TPopForm(&Application());
  popup_ = p;
  RECT wr;
  GetWindowRect(Handle(), &wr);
  const int lineHeight = Height() - 6;
  const int lines = std::min(static_cast<int>(items_.size()), dropDownCount_);
  p->SetFont(Font());
  p->List->SetSorted(sorted_);
  p->List->SetItems(items_);
  p->SetBounds(wr.left - 2, wr.bottom - 1, Width(), lines * lineHeight + 4);
  SendMessageA(p->List->Handle(), LB_SETITEMHEIGHT, 0, lineHeight);
  p->List->OnMouseMove = [this](TComponent* s, TShiftState, int x, int y) {
    auto* list = static_cast<TListBox*>(s);
    LRESULT at = SendMessageA(list->Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    if (HIWORD(at) == 0) list->SetItemIndex(LOWORD(at));
    commit_ = false;
  };
  p->List->OnDblClick = [this](TComponent*) {
    commit_ = true;
    if (CanFocus()) SetFocus();
  };
  p->List->OnKeyDown = [this](TComponent*, WORD& key, TShiftState) {
    if (key != VK_RETURN && key != VK_ESCAPE) return;
    commit_ = key == VK_RETURN;
    key = 0;
    if (CanFocus()) SetFocus();
  };
  p->OnDeactivate = [this](TComponent*) { CloseUp(); };
  p->Show();
  if (!p->List->Items().empty()) p->List->SetItemIndex(0);
  p->List->SetFocus();
  if (TForm* owner = ParentForm(); owner && owner->HandleAllocated())
    SendMessageA(owner->Handle(), WM_NCACTIVATE, TRUE, 0);
  commit_ = false;
}

void TDropDownComboBox::CloseUp() {
  TPopForm* p = popup_;
  if (!p) return;
  if (commit_) {
    int selected = p->List->ItemIndex();
    if (selected < 0) {
      SetText(createdText_);
    } else {
      SetText(p->List->Items()[static_cast<size_t>(selected)]);
      itemIndex_ = static_cast<int16_t>(selected);
    }
  }
  popup_ = nullptr;
  p->OnDeactivate = nullptr;
  p->List->OnKeyDown = nullptr;
  p->List->OnDblClick = nullptr;
  p->List->OnMouseMove = nullptr;
  p->Hide();
  // Freed once the handler that closed it has returned.
  p->Release();
  if (CanFocus() && HandleAllocated()) SetFocus();
  dropping_ = false;
  auto alive = alive_;
  if (OnChange) OnChange(this);
  if (!*alive) return;
  if (btn3State_) {
    button_->SetAllowAllUp(true);
    button_->SetDown(false);
    button_->SetAllowAllUp(false);
  }
  PaintFrame();
  Invalidate();
}

void TDropDownComboBox::KeyStep(WORD key) {
  bool alt = GetKeyState(VK_MENU) < 0, ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (key == VK_DOWN && alt) {
    DropDown();
  } else if (key == VK_DOWN && !ctrl && !shift) {
    if (commit_ && !items_.empty()) {
      int at = IndexOfText(items_, Text());
      SetText(items_[static_cast<size_t>(at < 0 ? 0 : std::min(at + 1, static_cast<int>(items_.size()) - 1))]);
    }
    SetFocus();
    PostMessageA(Handle(), WM_KEYDOWN, VK_SHIFT, 0);
  } else if (key == VK_UP && !alt && !ctrl && !shift) {
    int at = IndexOfText(items_, Text());
    if (commit_ && at > 0) SetText(items_[static_cast<size_t>(at - 1)]);
    SetFocus();
    PostMessageA(Handle(), WM_KEYUP, VK_SHIFT, 0);
  }
  SelectAll();
}

void TDropDownComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCPAINT:
      TEdit::WndProc(m);
      PaintFrame(reinterpret_cast<HRGN>(m.WParam));
      return;
    case WM_SETFOCUS:
      TEdit::WndProc(m);
      if (autoSelect_) SelectAll();
      if (locator_ == TLocator::loFill) {
        savedColor_ = Color();
        SetColor(locColor_);
      }
      SetMouseInside(true);
      return;
    case WM_KILLFOCUS:
      TEdit::WndProc(m);
      if (locator_ == TLocator::loFill) SetColor(savedColor_);
      SetMouseInside(false);
      return;
    case WM_MOUSEMOVE:
      if (!mouseTracked_) {
        mouseTracked_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&tme);
        button_->SetFlat(false);
        SetMouseInside(true);
      }
      break;
    case CM_MOUSELEAVE:
      mouseTracked_ = false;
      button_->SetFlat(true);
      SetMouseInside(false);
      break;
    case WM_LBUTTONDBLCLK:
      TEdit::WndProc(m);
      commit_ = true;
      if (CanFocus()) SetFocus();
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto alive = alive_;
      WORD key = static_cast<WORD>(m.WParam);
      bool alt = m.Msg == WM_SYSKEYDOWN && (m.LParam & (1 << 29));
      TEdit::WndProc(m);
      if (!*alive) return;
      if (alt && key == VK_DOWN) {
        DropDown();
        SelectAll();
      } else {
        KeyStep(key);
      }
      return;
    }
    case CM_ENABLEDCHANGED:
      xbutton_->SetVisible(Enabled());
      SetColor(Enabled() ? clWindow : clBtnFace);
      break;
    case CM_FONTCHANGED:
      TEdit::WndProc(m);
      if (autoSize_ && !Loading()) LayoutParts();
      return;
    default: break;
  }
  TEdit::WndProc(m);
}

const TClassInfo& TDropDownComboBox::ClassInfo() {
  static const TClassInfo info = [] {
    const TClassInfo* edit = FindClass("TEdit");
    TClassInfo i("TDropDownComboBox", edit ? edit : &WinControlClassInfo(), Creator<TDropDownComboBox>());
    i.Prop("Items", &TDropDownComboBox::SetItems);
    i.Prop("ItemIndex", &TDropDownComboBox::SetItemIndex);
    i.Prop("Sorted", &TDropDownComboBox::SetSorted);
    i.Prop("Locator", &TDropDownComboBox::SetLocator);
    i.Prop("LocColor", &TDropDownComboBox::SetLocColor);
    i.Prop("DropDownCount", &TDropDownComboBox::SetDropDownCount);
    i.Prop("ItemHeight", &TDropDownComboBox::SetItemHeight);
    i.Prop("Btn3State", &TDropDownComboBox::SetBtn3State);
    i.Prop("AutoSelect", &TDropDownComboBox::SetAutoSelect);
    i.Prop("AutoSize", &TDropDownComboBox::SetAutoSize);
    i.Event("OnDropDown", &TDropDownComboBox::OnDropDown);
    i.Event("OnDrawItem", &TDropDownComboBox::OnDrawItem);
    return i;
  }();
  return info;
}
