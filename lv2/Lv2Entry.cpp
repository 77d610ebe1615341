// The library's one exported symbol: the descriptors of the mono and the
// stereo plug-in, with the host's calls turned into Lv2Effect calls.
#include <lv2/core/lv2.h>

#include <new>

#include "lv2/Lv2Effect.h"
#include "lv2/PortLayout.h"

namespace gyrelle::lv2 {
namespace {

Lv2Effect* effectOf(LV2_Handle instance) { return static_cast<Lv2Effect*>(instance); }

// Host thread that instantiates; null when memory runs out.
template <int32_t Channels>
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const*) {
  try {
    return new Lv2Effect(Channels, sampleRate);
  } catch (const std::bad_alloc&) {
    return nullptr;  // the host reports a plug-in that failed to load
  }
}

// Any thread the host uses for the instance, the audio thread included.
void connectPort(LV2_Handle instance, uint32_t port, void* location) {
  effectOf(instance)->connectPort(port, location);
}

// Host thread, never during run.
void activate(LV2_Handle instance) { effectOf(instance)->activate(); }

// Audio thread.
void run(LV2_Handle instance, uint32_t frames) { effectOf(instance)->run(frames); }

// Host thread, never during run.
void deactivate(LV2_Handle instance) { effectOf(instance)->deactivate(); }

// Host thread that frees the instance.
void cleanup(LV2_Handle instance) { delete effectOf(instance); }

// Any thread: no extension interfaces.
const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptors[] = {
    {kMonoUri, instantiate<1>, connectPort, activate, run, deactivate, cleanup, extensionData},
    {kStereoUri, instantiate<2>, connectPort, activate, run, deactivate, cleanup, extensionData},
};

}  // namespace
}  // namespace gyrelle::lv2

// Host thread that loads the library.
extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index < 2 ? &gyrelle::lv2::kDescriptors[index] : nullptr;
}
