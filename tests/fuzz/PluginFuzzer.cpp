// libFuzzer target: every input is played as a host script on a fresh
// instance of the mono build and then of the stereo build, each driven only
// through its record. The effect is built in this process, so that its panel
// opens on the headless platform installed here and the fuzzer reaches the
// editor's mouse handling as well as the audio path.
#include <cstdio>
#include <cstdlib>

#include "engine/ChannelBuild.h"
#include "plugin/GrooveEffect.h"
#include "tests/fuzz/HostScript.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelPlatform.h"

namespace {

gyrelle::HeadlessPlatform* panels = nullptr;

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  panels = new gyrelle::HeadlessPlatform;
  panels->markParentMissing(2);
  panels->setTickStep(17);  // the tracking idle runs every few pointer reads
  gyrelle::usePanelPlatformForTesting(panels);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const gyrelle::ChannelBuild& build : {gyrelle::kMonoBuild, gyrelle::kStereoBuild}) {
    auto* effect = new gyrelle::GrooveEffect(&hostCallback, build);
    if (effect->editor() == nullptr) {
      std::fprintf(stderr, "the effect has no editor\n");
      std::abort();
    }
    AEffect* record = effect->record();
    gyrelle::fuzz::ByteReader input(data, size);
    gyrelle::fuzz::HostScript(record, input, *panels).play();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    if (panels->windowCount() != 0) {
      std::fprintf(stderr, "closing the effect left a panel window open\n");
      std::abort();
    }
  }
  return 0;
}
