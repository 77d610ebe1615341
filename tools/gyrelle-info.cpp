// Loads VST 2 plug-in libraries the way a host does and prints what the host
// sees: identity, channels, latency, parameters and programs.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "host/VstAbi.h"

namespace {

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

void text(AEffect* e, int32_t opcode, int32_t index, char (&buffer)[256]) {
  std::memset(buffer, 0, sizeof buffer);
  e->dispatcher(e, opcode, index, 0, buffer, 0.0f);
  buffer[sizeof buffer - 1] = '\0';
}

bool describe(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "gyrelle-info: cannot load %s: %s\n", path, dlerror());
    return false;
  }
  auto entry = reinterpret_cast<PluginEntryProc>(dlsym(library, "VSTPluginMain"));
  if (entry == nullptr) entry = reinterpret_cast<PluginEntryProc>(dlsym(library, "main"));
  AEffect* e = entry != nullptr ? entry(&hostCallback) : nullptr;
  if (e == nullptr) {
    std::fprintf(stderr, "gyrelle-info: %s made no instance\n", path);
    dlclose(library);
    return false;
  }
  char name[256], vendor[256], product[256], buffer[256];
  text(e, effGetEffectName, 0, name);
  text(e, effGetVendorString, 0, vendor);
  text(e, effGetProductString, 0, product);
  std::printf("%s\n  %s by %s (product \"%s\")\n", path, name, vendor, product);
  std::printf("  unique ID 0x%08X, %d in / %d out, latency %d samples, flags 0x%X, %d programs\n",
              static_cast<unsigned>(e->uniqueID), e->numInputs, e->numOutputs, e->initialDelay,
              static_cast<unsigned>(e->flags), e->numPrograms);
  for (int32_t i = 0; i < e->numParams; ++i) {
    char label[256], display[256];
    text(e, effGetParamName, i, buffer);
    text(e, effGetParamDisplay, i, display);
    text(e, effGetParamLabel, i, label);
    std::printf("  %d  %-14s %.4f  %s %s\n", i, buffer, static_cast<double>(e->getParameter(e, i)), display, label);
  }
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  dlclose(library);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gyrelle-info PLUGIN.so...\n");
    return 2;
  }
  bool ok = true;
  for (int i = 1; i < argc; ++i) ok = describe(argv[i]) && ok;
  return ok ? 0 : 1;
}
