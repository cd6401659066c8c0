// Reads a fuzz input from the front, giving zeros once it is used up.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TFuzzInput {
public:
  TFuzzInput(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  uint8_t Byte() {
    if (!left_) return 0;
    --left_;
    return *p_++;
  }
  uint32_t UInt32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
    return v;
  }
  uint16_t UInt16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  std::string Bytes(size_t n) {
    if (n > left_) n = left_;
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    left_ -= n;
    return s;
  }
  std::string Rest() { return Bytes(left_); }
  size_t Left() const { return left_; }

private:
  const uint8_t* p_;
  size_t left_;
};
