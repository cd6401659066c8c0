#include "TabSet.h"

#include <commctrl.h>

#include "Description.h"

TTabSet::TTabSet(TComponent* owner) : TStdControl(owner) {
  width_ = 300;
  height_ = 24;
  SetTabStop(true);
}

const TClassInfo& TTabSet::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TTabSet", &WinControlClassInfo(), Creator<TTabSet>());
    i.Prop("Tabs", &TTabSet::SetTabs);
    i.Prop("TabIndex", &TTabSet::SetTabIndex);
    i.Event("OnChange", &TTabSet::OnChange);
    return i;
  }();
  return info;
}

void TTabSet::CreateParams(TCreateParams& p) {
  static bool init = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)init;
  TStdControl::CreateParams(p);
  p.WinClassName = WC_TABCONTROLA;
  p.Style |= TCS_TABS | TCS_FOCUSONBUTTONDOWN;
}

void TTabSet::HandleCreated() {
  HWND h = HandleIfAllocated();
  SendMessageA(h, TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < tabs_.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs_[i].c_str());
    SendMessageA(h, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(tabIndex_), 0);
}

void TTabSet::SetTabs(const std::vector<std::string>& tabs) {
  tabs_ = tabs;
  if (HandleAllocated()) HandleCreated();
}

void TTabSet::SetTabIndex(int index) {
  tabIndex_ = index;
  if (HWND h = HandleIfAllocated()) SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TTabSet::SelectTab(int index) {
  if (index == tabIndex_) return;
  if (OnChange) OnChange(this, index);
  SetTabIndex(index);
}

void TTabSet::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    int index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
    if (index != tabIndex_) {
      if (OnChange) OnChange(this, index);
      tabIndex_ = index;
    }
    return;
  }
  TStdControl::WndProc(m);
}
