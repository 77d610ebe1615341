#include "editor/KnobText.h"

#include <cmath>
#include <cstring>

#include "engine/ParameterText.h"

namespace gyrelle {

namespace {

// The text functions write at most kNumberTextBytes; knob texts are shorter
// than kKnobTextBytes for every finite value, but a NaN or a huge value must
// still end up cut to size.
void copyCut(const char* from, char* text) {
  const size_t n = strnlen(from, kKnobTextBytes - 1);
  std::memcpy(text, from, n);
  text[n] = '\0';
}

int64_t truncated(float x) {
  if (!(std::fabs(x) < 1e15f)) return 0;  // NaN or absurd: no number to show
  return static_cast<int64_t>(x);
}

float speedFor(float v) {
  const float distance = std::fabs(v - 0.5f);  // rounded to single precision first
  const double power = std::pow(1000.0, static_cast<double>(distance * 2.0f));
  const float sign = v < 0.5f ? -1.0f : 1.0f;
  return static_cast<float>(sign * (power - 1.0) * 20.0 * static_cast<double>(0.001001001f));
}

}  // namespace

void knobValueText(int32_t index, float v, char* text) {
  char digits[kNumberTextBytes];
  digits[0] = '\0';
  switch (index) {
    case 1:
      integerText(truncated(8.0f * v + 0.5f) + 2, digits);
      break;
    case 2:
      integerText(truncated(48.0f * v), digits);
      break;
    case 3:
      decimalText(speedFor(v), digits);
      break;
    case 4:
    case 5:
      decimalText(2.0f * v - 1.0f, digits);
      break;
    case 6:
      integerText(truncated(80.0f * v + 10.0f), digits);
      break;
    default:
      break;
  }
  copyCut(digits, text);
}

}  // namespace gyrelle
