// Number conversion and the three roundings the engine relies on. Every caller uses these
// helpers rather than the C library so that halves round the same way everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

// Decimal integer with optional leading blanks and sign; anything else (letters, trailing
// characters, an empty string, a value outside int32) raises EConvertError.
int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);
int32_t StrToIntDef(const std::string& text, int32_t fallback);
std::string IntToStr(long long value);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int64_t Round(double value);

// Toward zero.
int64_t Trunc(double value);

// The engine's rounding: halves away from zero, computed through a x10000 fixed-point step, so
// values within about 0.00005 below a half already count as the half (2.49996 -> 3,
// 2.49994 -> 2, -2.5 -> -3). Sprite positions and the music player's decibels depend on it.
int64_t RoundAway(double value);

} // namespace rtl
