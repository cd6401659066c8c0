// Named enums and small sets, so window descriptions can name values.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

// Names of an enum's values 0..N-1, in order; given by TZ_ENUM_NAMES.
template <class E>
std::span<const char* const> EnumNames();

#define TZ_ENUM_NAMES(E, ...)                                   \
  template <>                                                   \
  inline std::span<const char* const> EnumNames<E>() {          \
    static const char* const names[] = {__VA_ARGS__};           \
    return names;                                               \
  }

// A set of up to 32 enum values (Delphi's "set of").
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
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr bool operator==(const TSet&) const = default;

private:
  static constexpr uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }
  uint32_t bits_ = 0;
};
