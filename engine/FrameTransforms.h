// The forward and inverse 1024-point real transforms of one instance, with
// the buffers they run on. FFTW's planner is not thread-safe, and hosts build
// and close instances from several threads: planning and plan destruction go
// through FFTW's own process-wide planner lock. Executing a plan needs no lock.
#pragma once

#include <fftw3.h>

namespace gyrelle {

class FrameTransforms {
 public:
  // Any host thread that builds or closes an instance (never the audio thread).
  FrameTransforms();
  ~FrameTransforms();
  FrameTransforms(const FrameTransforms&) = delete;
  FrameTransforms& operator=(const FrameTransforms&) = delete;

  // Audio thread: windowed frame -> spectrum (bins 0..512).
  float* frame() { return frameBuffer; }
  const fftwf_complex* spectrum() const { return spectrumBuffer; }
  void forward() { fftwf_execute(forwardPlan); }

  // Audio thread: synthesised bins 0..512 -> unnormalised time signal (x1024).
  fftwf_complex* synthesis() { return synthesisBuffer; }
  const float* resynthesised() const { return outputBuffer; }
  void inverse() { fftwf_execute(inversePlan); }

 private:
  float* frameBuffer;
  fftwf_complex* spectrumBuffer;
  fftwf_complex* synthesisBuffer;
  float* outputBuffer;
  fftwf_plan forwardPlan;
  fftwf_plan inversePlan;
};

}  // namespace gyrelle
