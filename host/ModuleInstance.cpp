#include "host/ModuleInstance.h"

#include <dlfcn.h>

namespace gyrelle {
namespace {

uintptr_t loadAddress = 0;

// Runs while the dynamic loader maps the library, before any host call.
__attribute__((constructor)) void recordLoadAddress() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&recordLoadAddress), &info) != 0) {
    loadAddress = reinterpret_cast<uintptr_t>(info.dli_fbase);
  }
}

}  // namespace

uintptr_t moduleInstance() { return loadAddress; }

}  // namespace gyrelle
