// The nine parameters: names, units, defaults, and the mapping from the
// host's 0..1 value to what the signal path works with.
#pragma once

#include <cstdint>

#include "engine/EngineConstants.h"

namespace gyrelle {

struct ParameterInfo {
  const char* name;
  const char* label;
  float defaultValue;
};

// Index 0..8; null for any other index.
const ParameterInfo* parameterInfo(int32_t index);

// A host value brought into 0..1 (NaN is the caller's to reject).
float clampParameter(float value);

// Render Level value to overlap: 2, 4, 8 or 16.
int32_t overlapForRenderLevel(float value);
// Num Grooves value to the groove count, 2 to 10.
int32_t grooveCountFor(float value);
// Speed value to cycles per second, -20 to +20.
float speedHz(float value);

// The value text the host shows for a parameter; writes nothing for other indices.
void parameterValueText(int32_t index, float value, char* text);

}  // namespace gyrelle
