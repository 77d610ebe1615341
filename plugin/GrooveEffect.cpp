#include "plugin/GrooveEffect.h"

#include <new>

#include "plugin/GuiEditor.h"
#include "host/EditorBase.h"
#include "host/PluginEntry.h"

namespace gyrelle {

GrooveEffect::GrooveEffect(audioMasterCallback callback, const ChannelBuild& build)
    : GrooveEngine(callback, build) {
  // The editor attaches itself; without one the instance is refused.
  if (new (std::nothrow) GuiEditor(this) == nullptr) markConstructionFailed();
}

// A panel the host left open goes before the engine it draws from.
GrooveEffect::~GrooveEffect() {
  if (attachedEditor != nullptr) attachedEditor->closeEditor();
}

void GrooveEffect::writeParameter(int32_t index, float value) {
  GrooveEngine::writeParameter(index, value);
  if (attachedEditor != nullptr) attachedEditor->parameterChanged(index, readParameter(index));
}

}  // namespace gyrelle
