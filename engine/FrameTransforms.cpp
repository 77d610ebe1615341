#include "engine/FrameTransforms.h"

#include <dlfcn.h>

#include <mutex>

#include "engine/EngineConstants.h"

namespace gyrelle {

namespace {

// Keeps a library mapped for the rest of the process, whoever closes it.
void pinLibraryOf(void* symbol) {
  Dl_info info{};
  if (dladdr(symbol, &info) != 0 && info.dli_fname != nullptr) {
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
}

// Both plug-ins of this project, the host and other plug-ins may all use the
// one FFTW library of the process, so no lock or count of ours can cover the
// planner, and tearing FFTW down (fftwf_cleanup) would void everybody's plans.
// Instead FFTW's own planner lock is switched on, which guards every plan
// creation and destruction in the process, and the FFTW libraries stay mapped
// once used: their planner tables stay reachable and are reused by the next
// instance, and the lock functions never vanish from under a later user.
void prepareFftw() {
  static std::once_flag once;
  std::call_once(once, [] {
    fftwf_make_planner_thread_safe();
    pinLibraryOf(reinterpret_cast<void*>(&fftwf_execute));
    pinLibraryOf(reinterpret_cast<void*>(&fftwf_make_planner_thread_safe));
  });
}

}  // namespace

FrameTransforms::FrameTransforms() {
  prepareFftw();
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
