// The eight-character value texts hosts show beside a parameter, shared by
// every format binding and the engine's parameter texts.
#pragma once

#include <cstdint>

namespace gyrelle::valuetext {

constexpr int kTextBytes = 9;  // eight characters and the terminator

// Exactly eight characters: the digits are truncated, never rounded.
void formatFloat(float value, char* text);
// A linear gain as decibels; zero, negative and NaN gains read "  -oo   ".
void formatDecibels(float level, char* text);
// "%7d", cut to eight characters; 100000000 and above read " Huge!  ".
void formatInteger(int32_t value, char* text);

}  // namespace gyrelle::valuetext
