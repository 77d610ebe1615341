// The library's entry point and the process-wide state that goes with it.
#pragma once

#include "host/VstAbi.h"

namespace gyrelle {

class HostedEffect;

// Defined by the plug-in build: makes one instance for the host; null when it cannot.
HostedEffect* createEffect(audioMasterCallback callback);

// Any thread building an instance: once one could not build its editor, every
// later instance in the process is refused.
void markConstructionFailed();
bool constructionHasFailed();

}  // namespace gyrelle

// Host thread that loads an instance. Exported as VSTPluginMain and as main.
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback callback);
