// The final effect class: the engine together with its editor. Every
// parameter write reaches the editor, so the panel follows the host.
#pragma once

#include "plugin/GrooveEngine.h"

namespace gyrelle {

class GrooveEffect : public GrooveEngine {
 public:
  // Host thread that loads the instance.
  GrooveEffect(audioMasterCallback callback, const ChannelBuild& build);
  ~GrooveEffect() override;

  // Any host thread, the audio thread included: the engine stores the value,
  // then the editor is told the value the engine kept.
  void writeParameter(int32_t index, float value) override;
};

}  // namespace gyrelle
