// printf-style formatting into a std::string.
#pragma once
#include <string>

#if defined(__MINGW32__) && !defined(__clang__)
#define TZ_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define TZ_PRINTF(f, a) __attribute__((format(printf, f, a)))
#endif

std::string Format(const char* format, ...) TZ_PRINTF(1, 2);
