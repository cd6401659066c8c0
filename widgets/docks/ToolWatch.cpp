#include "ToolWatch.h"

#include <algorithm>
#include <vector>

#include "Forms.h"
#include "ToolWindow.h"

namespace {
struct TWatchedForm {
  TForm* Form = nullptr;
  int Kind = 0;
  bool HookMain = false;
  HWND LastFocus = nullptr;
  int RefCount = 0;
};
struct THookedForm {
  TForm* Form = nullptr;
  int Count = 0;
};
struct TWatchState {
  std::vector<TWatchedForm> Watched;
  std::vector<THookedForm> Hooked;
  std::vector<TCustomToolWindow*> Fresh;
  std::vector<TCustomToolWindow*> Floating;
  HHOOK ThreadHook = nullptr;
  int MainHook = 0;
};

// Never freed: forms are freed at program end, after other statics may be.
TWatchState& State() {
  static TWatchState* state = new TWatchState;
  return *state;
}

TWatchedForm* Find(TForm* form) {
  for (auto& w : State().Watched)
    if (w.Form == form) return &w;
  return nullptr;
}

// The control window of the form that holds `focus`, or null.
HWND FocusWithin(TForm* form, HWND formWnd, HWND focus) {
  if (!focus || !IsChild(formWnd, focus)) return nullptr;
  for (HWND w = focus; w; w = GetParent(w)) {
    if (TWinControl* c = TWinControl::FromHandle(w))
      return c != form && c->HandleAllocated() && c->ParentForm() == form ? w : nullptr;
  }
  return nullptr;
}

void Watch(TForm* form, const CWPSTRUCT& m) {
  TWatchedForm* rec = Find(form);
  HWND formWnd = form->HandleIfAllocated();
  if (!rec || !formWnd) return;
  switch (m.message) {
    case WM_DESTROY:
      if (m.hwnd == rec->LastFocus) rec->LastFocus = nullptr;
      break;
    case WM_SETFOCUS:
      if (IsChild(formWnd, m.hwnd)) rec->LastFocus = FocusWithin(form, formWnd, m.hwnd);
      break;
    case WM_WINDOWPOSCHANGED:
      if (m.hwnd == formWnd) RefreshFloatingWindows(form, Application().Active());
      break;
    default: break;
  }
}

LRESULT CALLBACK FormWatchHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto& m = *reinterpret_cast<const CWPSTRUCT*>(lp);
    if (m.message == WM_DESTROY || m.message == WM_SETFOCUS || m.message == WM_WINDOWPOSCHANGED) {
      std::vector<TForm*> forms;  // a refresh may change the list
      for (const auto& w : State().Watched) forms.push_back(w.Form);
      for (TForm* f : forms) Watch(f, m);
    }
  }
  return CallNextHookEx(State().ThreadHook, code, wp, lp);
}

bool MainWindowHook(TMessage& m) {
  auto& st = State();
  if (m.Msg == kRefreshToolWindowsMessage && m.WParam == static_cast<WPARAM>(kRefreshToolWindowsMagic) &&
      m.LParam == kRefreshToolWindowsMagic) {
    // Newest first; a bar freed meanwhile has left the list.
    while (!st.Fresh.empty()) {
      TCustomToolWindow* bar = st.Fresh.back();
      st.Fresh.pop_back();
      RefreshFloatingWindows(bar->TopForm(), Application().Active());
    }
  } else if (m.Msg == WM_ACTIVATEAPP) {
    std::vector<TForm*> forms;
    for (const auto& h : st.Hooked) forms.push_back(h.Form);
    for (TForm* f : forms) RefreshFloatingWindows(f, m.WParam != 0);
  }
  return false;
}
}  // namespace

void WatchForm(int kind, TForm* form, bool hookMain) {
  auto& st = State();
  for (auto& w : st.Watched) {
    if (w.Kind == kind && w.Form == form) {
      ++w.RefCount;
      return;
    }
  }
  st.Watched.push_back({form, kind, hookMain, nullptr, 1});
  if (hookMain) {
    auto it = std::find_if(st.Hooked.begin(), st.Hooked.end(), [form](const THookedForm& h) { return h.Form == form; });
    if (it != st.Hooked.end()) {
      ++it->Count;
    } else {
      st.Hooked.push_back({form, 1});
      if (st.Hooked.size() == 1) st.MainHook = Application().HookMainWindow(MainWindowHook);
    }
  }
}

void UnwatchForm(int kind, TForm* form) {
  auto& st = State();
  auto w = std::find_if(st.Watched.begin(), st.Watched.end(),
                        [&](const TWatchedForm& r) { return r.Kind == kind && r.Form == form; });
  if (w == st.Watched.end() || --w->RefCount > 0) return;
  bool hookMain = w->HookMain;
  st.Watched.erase(w);
  if (hookMain) {
    auto h = std::find_if(st.Hooked.begin(), st.Hooked.end(), [form](const THookedForm& r) { return r.Form == form; });
    if (h != st.Hooked.end() && --h->Count == 0) {
      st.Hooked.erase(h);
      if (st.Hooked.empty()) {
        Application().UnhookMainWindow(st.MainHook);
        st.MainHook = 0;
      }
    }
  }
}

void SetFloating(TCustomToolWindow* bar, bool floating) {
  auto& st = State();
  auto it = std::find(st.Floating.begin(), st.Floating.end(), bar);
  if (floating == (it != st.Floating.end())) return;
  if (!floating) {
    st.Floating.erase(it);
    if (st.Floating.empty() && st.ThreadHook) {
      UnhookWindowsHookEx(st.ThreadHook);
      st.ThreadHook = nullptr;
    }
    return;
  }
  st.Floating.push_back(bar);
  if (st.ThreadHook) return;
  st.ThreadHook = SetWindowsHookExA(WH_CALLWNDPROC, FormWatchHook, nullptr, GetCurrentThreadId());
  // What had the focus before the hook could see it.
  HWND focus = GetFocus();
  for (auto& w : st.Watched)
    if (HWND formWnd = w.Form->HandleIfAllocated()) w.LastFocus = FocusWithin(w.Form, formWnd, focus);
}

void AddNewToolWindow(TCustomToolWindow* bar) { State().Fresh.push_back(bar); }

void RemoveNewToolWindow(TCustomToolWindow* bar) {
  auto& v = State().Fresh;
  v.erase(std::remove(v.begin(), v.end(), bar), v.end());
}

void RefreshFloatingWindows(TForm* form, bool appActive) {
  if (!form || form->Destroying()) return;
  HWND formWnd = form->HandleIfAllocated();
  bool hidden = IsIconic(Application().Handle()) || !form->Visible() ||
                (formWnd && (!IsWindowVisible(formWnd) || IsIconic(formWnd)));
  std::vector<TCustomToolWindow*> bars;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* bar = dynamic_cast<TCustomToolWindow*>(form->Components(i)); bar && !bar->Destroying()) bars.push_back(bar);
  for (TCustomToolWindow* bar : bars) {
    bool floating = !bar->Docked();
    bar->SetHiddenInactive(floating && (hidden || (bar->HideWhenInactive() && !appActive)));
    bar->SetInactiveCaption(floating && !bar->HideWhenInactive() && !appActive);
  }
}

HWND LastFocusOf(TForm* form) {
  TWatchedForm* rec = Find(form);
  return rec ? rec->LastFocus : nullptr;
}

bool FormWatchHookInstalled() { return State().ThreadHook != nullptr; }
bool MainWindowHookInstalled() { return State().MainHook != 0; }
