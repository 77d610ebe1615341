#include "plugin/GrooveEffect.h"

#include "host/EditorBase.h"

namespace gyrelle {

GrooveEffect::GrooveEffect(audioMasterCallback callback, const ChannelBuild& build)
    : GrooveEngine(callback, build) {}

GrooveEffect::~GrooveEffect() = default;

void GrooveEffect::writeParameter(int32_t index, float value) {
  GrooveEngine::writeParameter(index, value);
  if (attachedEditor != nullptr) attachedEditor->parameterChanged(index, readParameter(index));
}

}  // namespace gyrelle
