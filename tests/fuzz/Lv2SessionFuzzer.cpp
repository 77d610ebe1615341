// libFuzzer target for the LV2 plug-ins, made for speed like the VST 2 one:
// the DSP library is loaded from the bundle as a host loads it (dlopen,
// lv2_descriptor); the first two bytes pick the mono or the stereo plug-in
// and how the host starts it (sample rate, activate or not, features, the
// order the ports are first connected in, a long session), the rest is one
// host session played on two fresh instances, cut into blocks differently,
// then held to the sound oracles.
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tests/fuzz/ByteReader.h"
#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/Lv2Driver.h"
#include "tests/fuzz/SessionPlan.h"
#include "tests/fuzz/SessionPlayer.h"

namespace {

constexpr char kMonoUri[] = "urn:quillfen:gyrelle:mono";
constexpr char kStereoUri[] = "urn:quillfen:gyrelle:stereo";
// A long session: one run may cross the plug-in's 4192-sample staging twice.
constexpr int32_t kLongSessionFrames = 9000;

const double kRates[16] = {44100.0, 48000.0, 96000.0, 22050.0, 8000.0, 192000.0, 0.0, -1.0,
                           std::numeric_limits<double>::quiet_NaN(), INFINITY, 1e30, 1e-30,
                           1.0, 11025.0, 384000.0, -INFINITY};

const LV2_Descriptor* descriptors[2] = {};  // mono, stereo
std::string bundle;

// The bundle of this build tree, or the folder GYRELLE_FUZZ_PLUGIN_DIR
// names (the copy a long campaign keeps while the tree is rebuilt).
LV2_Descriptor_Function loadDescriptors() {
  const char* folder = std::getenv("GYRELLE_FUZZ_PLUGIN_DIR");
  bundle = std::string(folder != nullptr ? folder : GYRELLE_LV2_BUNDLE) + "/";
  const std::string path = bundle + "gyrelle-dsp.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), dlerror());
    std::exit(1);
  }
  auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
  if (entry == nullptr) gyrelle::fuzz::fail("the library has no lv2_descriptor");
  return entry;
}

}  // namespace

// A small quarantine keeps use-after-free detection within an input and
// spares the page faults of cycling through fresh memory.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

// The library stays loaded for the whole run; each input makes its own instances.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const LV2_Descriptor_Function entry = loadDescriptors();
  descriptors[0] = entry(0);
  descriptors[1] = entry(1);
  if (descriptors[0] == nullptr || std::strcmp(descriptors[0]->URI, kMonoUri) != 0 || descriptors[1] == nullptr ||
      std::strcmp(descriptors[1]->URI, kStereoUri) != 0) {
    gyrelle::fuzz::fail("the descriptors are not the mono and the stereo plug-in");
  }
  for (uint32_t index : {2u, 3u, 255u, 0x80000000u, 0xFFFFFFFFu}) {
    if (entry(index) != nullptr) gyrelle::fuzz::fail("lv2_descriptor answers past its plug-ins", index);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gyrelle::fuzz::ByteReader input(data, size);
  const uint8_t how = input.byte();
  const int32_t channels = (how & 1) != 0 ? 2 : 1;
  gyrelle::fuzz::Lv2Start start;
  start.activate = (how & 2) == 0;
  start.passFeatures = (how & 4) == 0;
  start.sampleRate = kRates[(how >> 3) & 15];
  start.connectionOrder = input.byte();
  const int32_t limit = (how & 0x80) != 0 ? kLongSessionFrames : gyrelle::fuzz::kSessionFrames;
  const LV2_Descriptor& descriptor = *descriptors[channels - 1];
  gyrelle::fuzz::Lv2Driver first(descriptor, channels, bundle.c_str(), start);
  gyrelle::fuzz::Lv2Driver second(descriptor, channels, bundle.c_str(), start);
  const gyrelle::fuzz::SessionPlan plan = gyrelle::fuzz::decodeSession(input, channels, limit);
  gyrelle::fuzz::playAndCompare(plan, first, second);
  return 0;
}
