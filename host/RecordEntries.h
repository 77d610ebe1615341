// The plain functions published in the record; each finds the effect object
// through the record and forwards to one virtual operation.
#pragma once

#include "host/VstAbi.h"

namespace gyrelle::entries {

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
void process(AEffect* effect, float** inputs, float** outputs, int32_t frames);
void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames);
void setParameter(AEffect* effect, int32_t index, float value);
float getParameter(AEffect* effect, int32_t index);

}  // namespace gyrelle::entries
