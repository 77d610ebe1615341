// A control port's value in the units a host shows (levels in dB, speed in
// Hz, ...) and the effect's parameter value in 0..1, both ways. The DSP
// reads ports through it; the panel's UI writes them through it.
#pragma once

#include <cstdint>

namespace gyrelle::lv2 {

// The lowest level a level port offers; it and anything below it is silence.
constexpr float kSilentDecibels = -90.0f;

// Any thread. The parameter value (0..1) for `portValue` on control port
// `index` (0..8): out-of-range values are clamped to the port's range,
// integer ports rounded to the nearest step; NaN stays NaN (the effect
// ignores it) and an unknown index gives NaN.
float parameterFromPort(uint32_t index, float portValue);

// Any thread. The port value for parameter value `value` (0..1), within
// the port's range; NaN stays NaN, an unknown index gives NaN.
float portFromParameter(uint32_t index, float value);

}  // namespace gyrelle::lv2
