// A set of up to 32 enum values, bit n for value n (Delphi's "set of").
#pragma once
#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E e : values) bits_ |= Bit(e);
  }
  static constexpr TSet FromBits(uint32_t bits) { TSet s; s.bits_ = bits; return s; }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool Has(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Contains(E e) const { return Has(e); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr void Clear() { bits_ = 0; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr bool operator==(const TSet&) const = default;

private:
  static constexpr uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }
  uint32_t bits_ = 0;
};
