// The value texts the knobs show: each parameter in the unit the user
// thinks in (grooves, semitones, hertz, a bias, a percentage).
#pragma once

#include <cstdint>

namespace gyrelle {

// Room for any knob text and its terminating zero.
constexpr int kKnobTextBytes = 20;

// Any thread: writes the text of knob `index` (1 to 6) for `value` into
// `text` (kKnobTextBytes); other indices give "". Allocates nothing.
void knobValueText(int32_t index, float value, char* text);

}  // namespace gyrelle
