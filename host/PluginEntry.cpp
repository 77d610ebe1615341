#include "host/PluginEntry.h"

#include "host/HostedEffect.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback callback) {
  // Without a callback there is no host to ask for a version.
  if (callback == nullptr) return nullptr;
  if (callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  gyrelle::HostedEffect* effect = gyrelle::createEffect(callback);
  if (effect == nullptr) return nullptr;
  if (gyrelle::constructionHasFailed()) {
    delete effect;
    return nullptr;
  }
  return effect->record();
}

// Hosts look for either name; both are the same function.
__asm__(".globl main\n\t.type main, @function\n\t.set main, VSTPluginMain");
