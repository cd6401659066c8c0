#include "StrFmt.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string result;
  if (n > 0) {
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, again);
    result.assign(buf.data(), static_cast<size_t>(n));
  }
  va_end(again);
  return result;
}
