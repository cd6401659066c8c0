// Small scope guards in plain C++.
#pragma once

// Sets a flag for the life of a scope and clears it on every way out,
// also through an exception.
class TFlagGuard {
public:
  explicit TFlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagGuard() { flag_ = false; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
  bool& flag_;
};
