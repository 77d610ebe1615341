#include "render/RenderLoop.h"

#include <algorithm>

#include "render/Interruption.h"
#include "render/RenderError.h"

namespace gyrelle::render {

namespace {

// One set of channel buffers with the pointer array the record entries take.
struct ChannelBlock {
  ChannelBlock(int channels, int frames)
      : storage(static_cast<size_t>(channels) * static_cast<size_t>(frames), 0.0f),
        pointers(static_cast<size_t>(channels)) {
    for (int ch = 0; ch < channels; ++ch) {
      pointers[static_cast<size_t>(ch)] = storage.data() + static_cast<size_t>(ch) * frames;
    }
  }
  float* channel(int ch) { return pointers[static_cast<size_t>(ch)]; }
  std::vector<float> storage;
  std::vector<float*> pointers;
};

// Spreads interleaved source frames over the effect's inputs.
void feedInputs(const float* frames, int64_t count, int sourceChannels, bool downmix,
                ChannelBlock& inputs, int inputCount) {
  for (int ch = 0; ch < inputCount; ++ch) {
    float* in = inputs.channel(ch);
    for (int64_t i = 0; i < count; ++i) {
      float v = 0.0f;
      if (sourceChannels == 1) {
        v = ch < 2 ? frames[i] : 0.0f;
      } else if (downmix && inputCount == 1) {
        v = 0.5f * (frames[2 * i] + frames[2 * i + 1]);
      } else {
        v = ch < 2 ? frames[2 * i + ch] : 0.0f;
      }
      in[i] = v;
    }
  }
}

}  // namespace

float rampValueAt(const ResolvedRamp& ramp, int64_t position, int64_t frames) {
  const double t =
      frames > 1 ? std::clamp(static_cast<double>(position) / static_cast<double>(frames - 1), 0.0, 1.0)
                 : 1.0;
  return static_cast<float>(ramp.from + (static_cast<double>(ramp.to) - ramp.from) * t);
}

int64_t renderThrough(PluginHost& effect, SoundSource& source, const RenderPlan& plan,
                      const FrameSink& output, const FrameSink& input,
                      const std::function<void(double)>& progress) {
  const int block = plan.blockSize;
  const int sourceChannels = source.channels();
  const int inputCount = effect.inputCount();
  const int outputCount = effect.outputCount();
  const int64_t latency = plan.compensateLatency ? effect.latency() : 0;
  const int64_t expected = source.frames();

  ChannelBlock inputs(inputCount, block);
  ChannelBlock outputs(outputCount, block);
  std::vector<float> sourceFrames(static_cast<size_t>(block) * sourceChannels);
  std::vector<float> outputFrames(static_cast<size_t>(block) * sourceChannels);

  int64_t readTotal = 0;    // source frames read so far
  int64_t processed = 0;    // frames fed to the effect, tail included
  int64_t toDrop = latency; // output frames still to discard
  int64_t written = 0;
  bool sourceEnded = false;

  effect.start();
  while (!sourceEnded || processed < readTotal + latency) {
    if (interruptionRequested()) throw RenderError("interrupted; no output written");
    for (const ResolvedRamp& ramp : plan.ramps) {
      effect.setParameter(ramp.index, rampValueAt(ramp, processed, expected));
    }
    int64_t got = 0;
    if (!sourceEnded) {
      got = source.read(sourceFrames.data(), block);
      if (got < block) sourceEnded = true;
      readTotal += got;
      if (got > 0 && input) input(sourceFrames.data(), got);
    }
    int64_t frames = got;
    if (sourceEnded) {
      // The silent tail that pushes the last input samples out of the effect.
      frames = std::min<int64_t>(block, readTotal + latency - processed);
      std::fill(sourceFrames.begin() + got * sourceChannels, sourceFrames.end(), 0.0f);
    }
    if (frames <= 0) break;
    feedInputs(sourceFrames.data(), frames, sourceChannels, plan.downmix, inputs, inputCount);
    effect.process(inputs.pointers.data(), outputs.pointers.data(), static_cast<int>(frames));
    processed += frames;

    const int64_t skip = std::min(toDrop, frames);
    toDrop -= skip;
    const int64_t keep = std::min(frames - skip, readTotal - written);
    if (keep > 0) {
      for (int c = 0; c < sourceChannels; ++c) {
        const float* out = outputs.channel(std::min(c, outputCount - 1)) + skip;
        for (int64_t i = 0; i < keep; ++i) outputFrames[static_cast<size_t>(i * sourceChannels + c)] = out[i];
      }
      output(outputFrames.data(), keep);
      written += keep;
    }
    if (progress) {
      const double total = static_cast<double>(std::max<int64_t>(1, expected + latency));
      progress(std::min(1.0, static_cast<double>(processed) / total));
    }
  }
  effect.stop();
  return written;
}

}  // namespace gyrelle::render
