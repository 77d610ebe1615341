// libFuzzer target: every input is played as a host script on a fresh
// instance of the mono build and then of the stereo build. The libraries
// stay loaded for the whole run, so their coverage counters stay registered.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/HostScript.h"
#include "tests/support/LoadedPlugin.h"

namespace {

using gyrelle::testing::LoadedPlugin;

LoadedPlugin* builds[2] = {};

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  builds[0] = new LoadedPlugin("gyrelle-mono");
  builds[1] = new LoadedPlugin("gyrelle-stereo");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (LoadedPlugin* build : builds) {
    AEffect* effect = build->entry()(&hostCallback);
    if (effect == nullptr) {
      std::fprintf(stderr, "the entry point refused an instance\n");
      std::abort();
    }
    gyrelle::fuzz::ByteReader input(data, size);
    gyrelle::fuzz::HostScript(effect, input).play();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  }
  return 0;
}
