#include "engine/FrameTransforms.h"

#include <mutex>

#include "engine/EngineConstants.h"

namespace gyrelle {

namespace {

// Both plug-ins of this project, the host and other plug-ins may all use the
// one FFTW library of the process, so a lock of ours (one per plug-in
// library) cannot cover the planner. FFTW's own planner lock can: switched
// on once, it guards every plan creation and destruction in the process.
// The plug-in stays mapped once loaded (-z nodelete), so the lock functions
// never vanish from under a later FFTW user.
void makePlannerThreadSafe() {
  static std::once_flag once;
  std::call_once(once, [] { fftwf_make_planner_thread_safe(); });
}

}  // namespace

FrameTransforms::FrameTransforms() {
  makePlannerThreadSafe();
  frameBuffer = fftwf_alloc_real(kFrameSize);
  spectrumBuffer = fftwf_alloc_complex(kBinCount);
  synthesisBuffer = fftwf_alloc_complex(kBinCount);
  outputBuffer = fftwf_alloc_real(kFrameSize);
  forwardPlan = fftwf_plan_dft_r2c_1d(kFrameSize, frameBuffer, spectrumBuffer, FFTW_ESTIMATE);
  inversePlan = fftwf_plan_dft_c2r_1d(kFrameSize, synthesisBuffer, outputBuffer, FFTW_ESTIMATE);
}

FrameTransforms::~FrameTransforms() {
  fftwf_destroy_plan(forwardPlan);
  fftwf_destroy_plan(inversePlan);
  fftwf_free(frameBuffer);
  fftwf_free(spectrumBuffer);
  fftwf_free(synthesisBuffer);
  fftwf_free(outputBuffer);
}

}  // namespace gyrelle
