// Lets a window control accept files dragged from the shell: while
// Enabled, each drop on Target fills FileList and DropPoint and calls
// OnDrop. Register with RegisterClass(TFileDropTarget::ClassInfo()).
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Description.h"

class TFileDropTarget : public TComponent {
public:
  explicit TFileDropTarget(TComponent* owner) : TComponent(owner) {}
  ~TFileDropTarget() override;
  static const TClassInfo& ClassInfo();

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  TWinControl* Target() const { return target_; }
  void SetTarget(TWinControl* target);
  int FileCount() const { return static_cast<int>(files_.size()); }
  // The full paths of the last drop, in the shell's order.
  const std::vector<std::string>& FileList() const { return files_; }
  // Where the last drop was, in the target's client coordinates.
  POINT DropPoint() const { return dropPoint_; }
  // Whether the target's window procedure is this component's now.
  bool Installed() const { return entry_ != nullptr; }
  TNotifyEvent OnDrop;

  // Takes a drop (the target's WM_DROPFILES) and releases its data.
  void HandleDrop(HDROP drop);

protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

private:
  struct TEntry;
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Install();
  void Uninstall();
  bool enabled_ = false;
  TWinControl* target_ = nullptr;
  std::vector<std::string> files_;
  POINT dropPoint_{};
  TEntry* entry_ = nullptr;
};
