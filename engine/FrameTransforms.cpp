#include "engine/FrameTransforms.h"

#include <mutex>

#include "engine/EngineConstants.h"

namespace gyrelle {

namespace {
std::mutex& plannerLock() {
  static std::mutex lock;
  return lock;
}
}  // namespace

FrameTransforms::FrameTransforms() {
  std::lock_guard<std::mutex> guard(plannerLock());
  frameBuffer = fftwf_alloc_real(kFrameSize);
  spectrumBuffer = fftwf_alloc_complex(kBinCount);
  synthesisBuffer = fftwf_alloc_complex(kBinCount);
  outputBuffer = fftwf_alloc_real(kFrameSize);
  forwardPlan = fftwf_plan_dft_r2c_1d(kFrameSize, frameBuffer, spectrumBuffer, FFTW_ESTIMATE);
  inversePlan = fftwf_plan_dft_c2r_1d(kFrameSize, synthesisBuffer, outputBuffer, FFTW_ESTIMATE);
}

FrameTransforms::~FrameTransforms() {
  std::lock_guard<std::mutex> guard(plannerLock());
  fftwf_destroy_plan(forwardPlan);
  fftwf_destroy_plan(inversePlan);
  fftwf_free(frameBuffer);
  fftwf_free(spectrumBuffer);
  fftwf_free(synthesisBuffer);
  fftwf_free(outputBuffer);
}

}  // namespace gyrelle
