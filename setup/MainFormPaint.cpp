#include "MainFormPaint.h"

int MulDivRound(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  bool negative = (p < 0) != (c < 0);
  int64_t num = p < 0 ? -p : p, den = c < 0 ? -static_cast<int64_t>(c) : c;
  int64_t q = (num + den / 2) / den;
  return static_cast<int>(negative ? -q : q);
}

uint32_t ScaleColor(uint32_t color, int n) {
  uint32_t result = color & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t b = (color >> shift) & 0xFF;
    result |= (b * static_cast<uint32_t>(n) / 255) << shift;
  }
  return result;
}

uint32_t BandColor(uint32_t backColorRGB, int i) { return ScaleColor(backColorRGB, (4 * i) ^ 255); }
