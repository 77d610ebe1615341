// Number texts shared by the host's value texts and the panel's readouts.
#pragma once

#include <cstdint>

namespace gyrelle {

// Enough for every text these functions write.
constexpr int kNumberTextBytes = 24;

// Plain decimal integer: no padding, a sign only when negative.
void integerText(int64_t value, char* text);
// Up to three decimals, truncated, trailing zeros removed ("24", "14.4", "-0.613").
void decimalText(float value, char* text);

}  // namespace gyrelle
