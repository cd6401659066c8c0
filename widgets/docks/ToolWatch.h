// The process-wide tracking behind floating tool windows: one hook on the
// window-procedure calls of the thread watches the forms that own tool
// windows (their moves, showing and hiding, and which control last had the
// focus) while at least one bar floats, since under Wine it costs every
// message; one hook on the application window follows activation. A
// floating bar hides while its form is hidden or minimized and, with
// HideWhenInactive, while the program is inactive.
#pragma once
#include <windows.h>

class TForm;
class TCustomToolWindow;

// Kind 0 watches a top form; HookMain also counts it for the activation hook.
void WatchForm(int kind, TForm* form, bool hookMain);
void UnwatchForm(int kind, TForm* form);
// A bar starts or stops floating; the window-procedure hook lives while any floats.
void SetFloating(TCustomToolWindow* bar, bool floating);
// Tool windows made since the last refresh message was handled.
void AddNewToolWindow(TCustomToolWindow* bar);
void RemoveNewToolWindow(TCustomToolWindow* bar);
// Hides, shows and recaptions the floating bars among the form's components.
void RefreshFloatingWindows(TForm* form, bool appActive);
// The control window of the form that last had the focus; null when none
// was recorded or the form is not watched.
HWND LastFocusOf(TForm* form);
// Whether the two hooks are in place (they exist only while needed).
bool FormWatchHookInstalled();
bool MainWindowHookInstalled();
