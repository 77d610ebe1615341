#include "engine/ParameterText.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace gyrelle {

void integerText(int64_t value, char* text) {
  uint64_t magnitude = static_cast<uint64_t>(value);
  if (value < 0) {
    *text++ = '-';
    magnitude = 0 - magnitude;
  }
  uint64_t place = 1;
  while (place <= magnitude / 10) place *= 10;
  for (; place > 0; place /= 10) *text++ = static_cast<char>('0' + (magnitude / place) % 10);
  *text = '\0';
}

void decimalText(float value, char* text) {
  if (std::isnan(value)) {
    std::strcpy(text, "nan");
    return;
  }
  double v = value;
  char* out = text;
  if (v < 0.0) {
    *out++ = '-';
    v = -v;
  }
  if (std::isinf(v)) {
    std::strcpy(out, "inf");
    return;
  }
  // Nine integer digits at most, so the text always fits.
  constexpr double kLargest = 999999999.0;
  if (v > kLargest) v = kLargest;
  integerText(static_cast<int64_t>(v), out);
  out += std::strlen(out);
  *out++ = '.';
  for (double scale : {10.0, 100.0, 1000.0}) {
    *out++ = static_cast<char>('0' + static_cast<int64_t>(std::trunc(v * scale)) % 10);
  }
  *out = '\0';
  while (out > text && out[-1] == '0') *--out = '\0';
  if (out > text && out[-1] == '.') *--out = '\0';
}

}  // namespace gyrelle
