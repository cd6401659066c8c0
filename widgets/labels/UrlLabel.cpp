#include "UrlLabel.h"

#include <cstring>

#include "Description.h"
#include "Seam.h"

namespace {
// Whether the text holds anything but blanks and control characters.
bool Blank(const std::string& s) {
  for (char ch : s)
    if (static_cast<unsigned char>(ch) > ' ') return false;
  return true;
}

// The label's context menu: one item, "Copy".
class TCopyMenu : public TPopupMenuBase {
public:
  TCopyMenu(TUrlLabel* label) : TPopupMenuBase(label), label_(label) {}
  void Popup(int x, int y) override {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "Copy");
    HWND owner = label_->Parent() ? label_->Parent()->Handle() : nullptr;
    int cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
    if (cmd == 1) label_->CopyClick();
  }

private:
  TUrlLabel* label_;
};
}  // namespace

TUrlLabel::TUrlLabel(TComponent* owner) : TLabel(owner) {
  Font().SetColor(clBlue);
  Font().SetStyle(TFontStyles{TFontStyle::fsUnderline});
  SetCursor(TCursor::crHandPoint);
  SetPopupMenu(new TCopyMenu(this));
}

const TClassInfo& TUrlLabel::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TUrlLabel", &CustomLabelClassInfo(), Creator<TUrlLabel>());
    i.Prop("URL", &TUrlLabel::SetURL);
    i.Prop("ActiveColor", &TUrlLabel::SetActiveColor);
    return i;
  }();
  return info;
}

std::string TUrlLabel::Target() const { return Blank(URL) ? Caption() : URL; }

void TUrlLabel::Click() {
  TLabel::Click();
  std::string target = Target();
  if (!Blank(target)) Seam().Shell(GetDesktopWindow(), "open", target, "", "", SW_SHOWNORMAL);
}

void TUrlLabel::CopyClick() {
  std::string text = Caption();
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void TUrlLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) {
    savedColor_ = Font().Color();
    Font().SetColor(ActiveColor);
  }
  TLabel::MouseDown(button, shift, x, y);
}

void TUrlLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbLeft) Font().SetColor(savedColor_);
  TLabel::MouseUp(button, shift, x, y);
}
