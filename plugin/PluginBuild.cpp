// The one place where the two plug-ins differ: which channel build they make.
#include "host/PluginEntry.h"
#include "plugin/GrooveEffect.h"

#include <new>

#ifndef GYRELLE_CHANNELS
#error "GYRELLE_CHANNELS must be 1 (mono build) or 2 (stereo build)"
#endif

namespace gyrelle {

HostedEffect* createEffect(audioMasterCallback callback) {
  static_assert(GYRELLE_CHANNELS == 1 || GYRELLE_CHANNELS == 2, "one or two channels");
  return new (std::nothrow) GrooveEffect(callback, GYRELLE_CHANNELS == 1 ? kMonoBuild : kStereoBuild);
}

}  // namespace gyrelle
