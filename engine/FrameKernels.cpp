#include "engine/FrameKernels.h"

#include <atomic>

namespace gyrelle {

#if defined(GYRELLE_WIDE_KERNELS)
extern const FrameKernels kWideFrameKernels;
#endif

namespace {

bool cpuRunsWideKernels() {
#if defined(GYRELLE_WIDE_KERNELS)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

std::atomic<const FrameKernels*> forcedKernels{nullptr};

}  // namespace

const FrameKernels* wideFrameKernels() {
#if defined(GYRELLE_WIDE_KERNELS)
  static const bool runs = cpuRunsWideKernels();
  return runs ? &kWideFrameKernels : nullptr;
#else
  return nullptr;
#endif
}

const FrameKernels& selectedFrameKernels() {
  if (const FrameKernels* forced = forcedKernels.load(std::memory_order_acquire)) return *forced;
  const FrameKernels* wide = wideFrameKernels();
  return wide != nullptr ? *wide : baselineFrameKernels();
}

void forceFrameKernels(const FrameKernels* kernels) { forcedKernels.store(kernels, std::memory_order_release); }

}  // namespace gyrelle
