// Tabs over the common tab control: a row of captions, one selected.
//
//   object TabSet1: TTabSet
//     Tabs = ('Standard SFX' 'Advanced SFX' 'DOS SFX')
//     OnChange = TabSet1Change                  // (Sender, NewTab)
//   end
//
// Register with RegisterClass(TTabSet::ClassInfo()).
#pragma once
#include <string>
#include <vector>

#include "StdCtrls.h"

class TClassInfo;

// OnChange gets the new tab's index before the tab changes, and runs only
// when the user (or SelectTab) changes the tab.
class TTabSet : public TStdControl {
public:
  explicit TTabSet(TComponent* owner);
  static const TClassInfo& ClassInfo();
  const std::vector<std::string>& Tabs() const { return tabs_; }
  void SetTabs(const std::vector<std::string>& tabs);
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index);
  // As a click on a tab does: OnChange, then the new tab.
  void SelectTab(int index);
  TEvent<int> OnChange;

protected:
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;

private:
  std::vector<std::string> tabs_;
  int tabIndex_ = 0;
};
