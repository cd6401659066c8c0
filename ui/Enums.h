// Named enums and small sets, so window descriptions can name values.
#pragma once
#include <span>
#include <string_view>

#include "Set.h"

// Names of an enum's values 0..N-1, in order; given by TZ_ENUM_NAMES.
template <class E>
std::span<const char* const> EnumNames();

#define TZ_ENUM_NAMES(E, ...)                                   \
  template <>                                                   \
  inline std::span<const char* const> EnumNames<E>() {          \
    static const char* const names[] = {__VA_ARGS__};           \
    return names;                                               \
  }
