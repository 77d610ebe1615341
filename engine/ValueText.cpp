#include "engine/ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>


namespace gyrelle {
namespace valuetext {

namespace {
constexpr char kHuge[] = " Huge!  ";
constexpr char kMinusInfinity[] = "  -oo   ";
constexpr char kNotANumber[] = "  NaN   ";
constexpr int kWidth = 8;

int digitOf(double v) { return static_cast<int>(std::fmod(v, 10.0)); }
}  // namespace

void formatFloat(float value, char* text) {
  double v = value;
  if (std::isnan(v)) {
    std::memcpy(text, kNotANumber, sizeof kNotANumber);
    return;
  }
  bool negative = v < 0.0;
  int count = 0;
  if (negative) {
    v = -v;
    count = 1;
    if (v > 9999999.0) {
      std::memcpy(text, kHuge, sizeof kHuge);
      return;
    }
  } else if (v > 99999999.0) {
    std::memcpy(text, kHuge, sizeof kHuge);
    return;
  }

  // Eight integer characters leave no room for the point: show them all
  // rather than drop the leading digits.
  if (v >= (negative ? 1000000.0 : 10000000.0)) {
    std::snprintf(text, kTextBytes, "%s%.0f", negative ? "-" : "", std::floor(v));
    return;
  }

  // The integer part is written from the decimal point leftwards.
  char scratch[2 * kWidth + 1];
  int left = kWidth;
  scratch[left] = '.';
  double i = std::floor(v);
  scratch[--left] = static_cast<char>('0' + digitOf(i));
  i *= 0.1;
  count += 2;
  while (i >= 1.0 && count < kWidth) {
    scratch[--left] = static_cast<char>('0' + digitOf(i));
    i *= 0.1;
    ++count;
  }
  if (negative) scratch[--left] = '-';

  int length = kWidth + 1 - left;
  std::memcpy(text, scratch + left, static_cast<size_t>(length));
  if (count < kWidth) {
    // The fraction digits come from the exact value, built from the right.
    int n = kWidth - count;
    double m = std::fmod(v, 1.0) * std::pow(10.0, n);
    for (int d = n - 1; d >= 0; --d) {
      int digit = 0;
      if (m > 0.0) {
        digit = digitOf(m);
        m *= 0.1;
      }
      text[length + d] = static_cast<char>('0' + digit);
    }
    length += n;
  }
  text[length] = '\0';
}

void formatDecibels(float level, char* text) {
  if (level > 0.0f) {
    formatFloat(static_cast<float>(20.0 * std::log10(static_cast<double>(level))), text);
  } else {
    std::memcpy(text, kMinusInfinity, sizeof kMinusInfinity);
  }
}

void formatInteger(int32_t value, char* text) {
  if (value >= 100000000) {
    std::memcpy(text, kHuge, sizeof kHuge);
    return;
  }
  char scratch[16];
  std::snprintf(scratch, sizeof scratch, "%7d", value);
  std::memcpy(text, scratch, kWidth);
  text[kWidth] = '\0';
}

}  // namespace valuetext
}  // namespace gyrelle
