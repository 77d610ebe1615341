// libFuzzer target for the record and the audio path, without the panel, made
// for speed: the first byte picks the mono or the stereo library, the rest is
// one host session, played on two fresh instances made through the library's
// entry point and cut into blocks differently, then held to the sound oracles.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/ByteReader.h"
#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/SessionPlan.h"
#include "tests/fuzz/SessionPlayer.h"
#include "tests/fuzz/VstDriver.h"

namespace {

PluginEntryProc entries[2] = {};  // mono, stereo

// The libraries of this build tree, or of GYRELLE_FUZZ_PLUGIN_DIR (a copy
// that a long campaign keeps while the tree is rebuilt).
PluginEntryProc loadEntry(const char* name) {
  const char* folder = std::getenv("GYRELLE_FUZZ_PLUGIN_DIR");
  const std::string path = std::string(folder != nullptr ? folder : GYRELLE_PLUGIN_DIR) + "/" + name;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), dlerror());
    std::exit(1);
  }
  auto entry = reinterpret_cast<PluginEntryProc>(dlsym(library, "VSTPluginMain"));
  if (entry == nullptr) gyrelle::fuzz::fail("the library has no entry point");
  return entry;
}

}  // namespace

// A small quarantine keeps use-after-free detection within an input and
// spares the page faults of cycling through fresh memory (each input makes
// and frees two instances).
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

// The libraries stay loaded for the whole run; each input makes its own instances.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  entries[0] = loadEntry("gyrelle-mono.so");
  entries[1] = loadEntry("gyrelle-stereo.so");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gyrelle::fuzz::ByteReader input(data, size);
  const PluginEntryProc entry = entries[input.byte() & 1];
  gyrelle::fuzz::VstDriver first(entry);
  gyrelle::fuzz::VstDriver second(entry);
  const gyrelle::fuzz::SessionPlan plan = gyrelle::fuzz::decodeSession(input, first.inputCount());
  gyrelle::fuzz::playAndCompare(plan, first, second);
  return 0;
}
