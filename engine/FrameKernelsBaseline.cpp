// The frame loops for plain SSE2, the instruction set every x86-64 machine has.
#include "engine/FrameKernelsBody.h"

namespace gyrelle {

const FrameKernels& baselineFrameKernels() {
  static constexpr FrameKernels kernels = kernelTable("sse2");
  return kernels;
}

}  // namespace gyrelle
