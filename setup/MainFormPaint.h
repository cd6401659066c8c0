// The values the background window paints with: its 64-colour palette and
// the bands of its gradient. Plain C++.
#pragma once
#include <cstdint>

constexpr int kBandCount = 64;

// a * b / c rounded to the nearest, as the system's MulDiv; -1 when c is 0.
int MulDivRound(int a, int b, int c);
// Each colour byte b becomes b * n / 255; the fourth byte is kept.
uint32_t ScaleColor(uint32_t color, int n);
// Palette entry and band i (0 to 63): the back colour scaled by (4 * i) xor 255.
uint32_t BandColor(uint32_t backColorRGB, int i);
// Band i covers y = BandTop(h, i) up to BandTop(h, i + 1).
inline int BandTop(int clientHeight, int i) { return MulDivRound(clientHeight, i, kBandCount - 1); }
