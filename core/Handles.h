// A kernel handle that is closed on every path out.
#pragma once
#include <windows.h>

class THandleGuard {
public:
  explicit THandleGuard(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~THandleGuard() { Close(); }
  THandleGuard(const THandleGuard&) = delete;
  THandleGuard& operator=(const THandleGuard&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void Reset(HANDLE h) {
    Close();
    h_ = h;
  }
  // Closes now; false when closing failed.
  bool Close() {
    if (!Valid()) return true;
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

private:
  HANDLE h_;
};
