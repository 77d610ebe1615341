// The per-frame loops of the spectral shifter, compiled once for plain SSE2
// and once for AVX2 with FMA; one table of them is chosen from the CPU's
// features when a channel is built.
#pragma once

#include <cstdint>

#include "engine/ChannelBuffers.h"
#include "engine/FrameSettings.h"
#include "engine/GrooveBinMap.h"

namespace gyrelle {

struct FrameKernels {
  const char* name;
  // transformInput = window x input frame.
  void (*applyWindow)(const float* window, const float* input, float* transformInput);
  // Magnitude and true frequency of bins 1..512 from the interleaved spectrum
  // (bins 0..512); false when the spectrum is not finite.
  bool (*analyse)(const FrameSettings& settings, const float* spectrum, ChannelBuffers& buffers);
  // Each groove's source bins for its ratio.
  void (*mapGrooves)(int32_t grooveCount, const float* ratios, GrooveBinMap& map);
  // Every groove's shifted copy laid over the others: shiftMag and shiftFreq.
  void (*remap)(const FrameSettings& settings, ChannelBuffers& buffers);
  // Running phases into the interleaved synthesis spectrum, bins 0..512.
  void (*synthesise)(const FrameSettings& settings, const float* spectrum, ChannelBuffers& buffers,
                     float* synthesis);
  // Windowed resynthesis into the accumulator and the next hop's output,
  // then the accumulator moved on by the hop; false when the result is not
  // finite.
  bool (*overlapAdd)(const FrameSettings& settings, const float* resynthesised, ChannelBuffers& buffers);
};

// Plain SSE2, every x86 machine (and the portable build of the same loops elsewhere).
const FrameKernels& baselineFrameKernels();
// AVX2 with FMA, or null where the CPU (or the build) has none.
const FrameKernels* wideFrameKernels();
// What a channel built now uses: the widest the CPU runs, unless a test forced a table.
const FrameKernels& selectedFrameKernels();

// Test seam: channels built from now on use `kernels` (null: back to the CPU's choice).
void forceFrameKernels(const FrameKernels* kernels);

}  // namespace gyrelle
