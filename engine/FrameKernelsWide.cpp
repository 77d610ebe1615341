// The frame loops for AVX2 with FMA; only ever called once the CPU has been
// found to run them.
#include "engine/FrameKernelsBody.h"

namespace gyrelle {

extern const FrameKernels kWideFrameKernels = kernelTable("avx2+fma");

}  // namespace gyrelle
