#include "engine/SpectralChannel.h"

#include <cstring>

#include "engine/FrameTransforms.h"

namespace gyrelle {

SpectralChannel::SpectralChannel() : kernels(&selectedFrameKernels()) { clear(); }

void SpectralChannel::clear() { std::memset(&buffers, 0, sizeof buffers); }

void SpectralChannel::processFrame(const FrameSettings& settings, FrameTransforms& transforms) {
  kernels->applyWindow(settings.window, buffers.inputFrame, transforms.frame());
  transforms.forward();
  const float* spectrum = transforms.spectrum()[0];
  bool finite = kernels->analyse(settings, spectrum, buffers);
  if (finite) {
    kernels->remap(settings, buffers);
    kernels->synthesise(settings, spectrum, buffers, transforms.synthesis()[0]);
    transforms.inverse();
    finite = kernels->overlapAdd(settings, transforms.resynthesised(), buffers);
  }
  if (!finite) {
    clear();
    return;
  }
  advance(settings.hop);
}

void SpectralChannel::advance(int32_t hop) {
  // The overlap-add has moved the accumulator on already.
  const int32_t kept = kFrameSize - hop;
  std::memmove(buffers.inputFrame, buffers.inputFrame + hop, sizeof(float) * static_cast<size_t>(kept));
}

}  // namespace gyrelle
