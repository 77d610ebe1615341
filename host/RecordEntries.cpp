#include "host/RecordEntries.h"

#include "engine/DenormalGuard.h"
#include "host/HostedEffect.h"

namespace gyrelle::entries {

// Any host thread. effClose deletes the object: the record is gone afterwards.
intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  HostedEffect* object = HostedEffect::fromRecord(effect);
  if (object == nullptr) return 0;
  intptr_t answer = object->dispatch(opcode, index, value, ptr, opt);
  if (opcode == effClose) {
    delete object;
    return 1;
  }
  return answer;
}

// Audio thread.
void process(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  HostedEffect* object = HostedEffect::fromRecord(effect);
  if (object == nullptr) return;
  DenormalGuard guard;
  object->processAccumulate(inputs, outputs, frames);
}

// Audio thread.
void processReplacing(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
  HostedEffect* object = HostedEffect::fromRecord(effect);
  if (object == nullptr) return;
  DenormalGuard guard;
  object->processReplace(inputs, outputs, frames);
}

// Any host thread.
void setParameter(AEffect* effect, int32_t index, float value) {
  HostedEffect* object = HostedEffect::fromRecord(effect);
  if (object != nullptr) object->writeParameter(index, value);
}

// Any host thread.
float getParameter(AEffect* effect, int32_t index) {
  HostedEffect* object = HostedEffect::fromRecord(effect);
  return object != nullptr ? object->readParameter(index) : 0.0f;
}

}  // namespace gyrelle::entries
