// Runs test steps from inside the modal loops of the windows under test.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Runs steps from inside modal loops: each posted step is handled by the
// loop that is running when its turn comes.
class TSteps {
public:
  TSteps() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TzTestSteps";
    RegisterClassA(&wc);
    wnd_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TSteps() { DestroyWindow(wnd_); }
  void Then(std::function<void()> step) {
    steps_.push_back(std::move(step));
    PostMessageA(wnd_, WM_APP, steps_.size() - 1, 0);
  }
  int Done() const { return done_; }

private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_APP) return DefWindowProcA(wnd, msg, wp, lp);
    auto* self = reinterpret_cast<TSteps*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    self->steps_.at(wp)();
    ++self->done_;
    return 0;
  }
  HWND wnd_;
  std::vector<std::function<void()>> steps_;
  int done_ = 0;
};
