#include "FileDropTarget.h"

#include <shellapi.h>

#include "Forms.h"

namespace {
const char kEntryProp[] = "TZFileDropTarget";
}  // namespace

// Leads the target's messages to the component; it outlives the component
// when another procedure was installed over it, and then only passes on.
struct TFileDropTarget::TEntry {
  TFileDropTarget* owner;
  HWND wnd;
  WNDPROC previous;
};

TFileDropTarget::~TFileDropTarget() {
  Uninstall();
  if (target_) RemoveFreeNotification(target_);
}

void TFileDropTarget::SetEnabled(bool v) {
  enabled_ = v;
  if (entry_) DragAcceptFiles(entry_->wnd, v);
}

void TFileDropTarget::SetTarget(TWinControl* target) {
  if (target == target_) return;
  Uninstall();
  if (target_) RemoveFreeNotification(target_);
  target_ = target;
  if (!target) return;
  target->FreeNotification(this);
  if (!Loading()) Install();
}

void TFileDropTarget::Loaded() {
  TComponent::Loaded();
  if (target_ && !entry_) Install();
}

void TFileDropTarget::Install() {
  HWND wnd = target_->Handle();
  entry_ = new TEntry{this, wnd, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC))};
  SetPropA(wnd, kEntryProp, entry_);
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WndProc));
  DragAcceptFiles(wnd, enabled_);
}

void TFileDropTarget::Uninstall() {
  TEntry* e = entry_;
  if (!e) return;
  entry_ = nullptr;
  if (!IsWindow(e->wnd)) return;
  DragAcceptFiles(e->wnd, FALSE);
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(e->wnd, GWLP_WNDPROC)) == WndProc) {
    SetWindowLongPtrA(e->wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e->previous));
    RemovePropA(e->wnd, kEntryProp);
    delete e;
  } else {
    e->owner = nullptr;  // freed with the window
  }
}

void TFileDropTarget::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == target_) {
    Uninstall();
    target_ = nullptr;
  }
}

LRESULT CALLBACK TFileDropTarget::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* e = static_cast<TEntry*>(GetPropA(wnd, kEntryProp));
  if (!e) return DefWindowProcA(wnd, msg, wp, lp);
  if (msg == WM_DROPFILES && e->owner) {
    try {
      e->owner->HandleDrop(reinterpret_cast<HDROP>(wp));
    } catch (...) {
      Application().HandleException();
    }
    return 0;
  }
  WNDPROC previous = e->previous;
  if (msg == WM_NCDESTROY) {
    RemovePropA(wnd, kEntryProp);
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    if (e->owner) e->owner->entry_ = nullptr;
    delete e;
  }
  return CallWindowProcA(previous, wnd, msg, wp, lp);
}

void TFileDropTarget::HandleDrop(HDROP drop) {
  files_.clear();
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  DragQueryPoint(drop, &dropPoint_);
  for (UINT i = 0; i < count; ++i) {
    char name[MAX_PATH + 1] = {};
    DragQueryFileA(drop, i, name, MAX_PATH + 1);
    files_.push_back(name);
  }
  DragFinish(drop);
  if (OnDrop) OnDrop(this);
}

const TClassInfo& TFileDropTarget::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TFileDropTarget", &ComponentClassInfo(), Creator<TFileDropTarget>());
    i.Prop("Enabled", &TFileDropTarget::SetEnabled);
    i.Ref("Target", &TFileDropTarget::SetTarget);
    i.Event("OnDrop", &TFileDropTarget::OnDrop);
    return i;
  }();
  return info;
}
