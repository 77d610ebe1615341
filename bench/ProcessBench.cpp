// Processing cost of the engine at 48 kHz: every render level, both builds,
// 2 and 10 grooves. Reports the real-time factor (seconds of audio per second
// of CPU) and the cost of one channel's frame relative to its two transforms
// alone, the baseline measured in the same run.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cmath>
#include <vector>

#include "engine/FrameTransforms.h"
#include "plugin/GrooveEngine.h"

using namespace gyrelle;

namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kBlock = 512;
constexpr float kRenderLevels[] = {0.1f, 0.35f, 0.6f, 0.85f};  // overlap 2, 4, 8, 16

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// One forward and one inverse transform: the floor of any frame's cost.
double transformPairSeconds() {
  static const double seconds = [] {
    FrameTransforms transforms;
    for (int i = 0; i < 1024; ++i) transforms.frame()[i] = std::sin(0.1f * static_cast<float>(i));
    for (int i = 0; i < 513; ++i) transforms.synthesis()[i][0] = transforms.synthesis()[i][1] = 0.01f;
    const int rounds = 20000;
    const double start = threadSeconds();
    for (int i = 0; i < rounds; ++i) {
      transforms.forward();
      transforms.inverse();
      benchmark::DoNotOptimize(transforms.resynthesised()[7]);
    }
    return (threadSeconds() - start) / rounds;
  }();
  return seconds;
}

void BM_TransformPair(benchmark::State& state) {
  FrameTransforms transforms;
  for (auto _ : state) {
    transforms.forward();
    transforms.inverse();
    benchmark::DoNotOptimize(transforms.resynthesised()[0]);
  }
}
BENCHMARK(BM_TransformPair);

// Arguments: channels (1 mono, 2 stereo), render level 1..4, grooves.
void BM_Process(benchmark::State& state) {
  const int32_t channels = static_cast<int32_t>(state.range(0));
  const int32_t level = static_cast<int32_t>(state.range(1));
  const int32_t grooves = static_cast<int32_t>(state.range(2));
  GrooveEngine engine(nullptr, channels == 1 ? kMonoBuild : kStereoBuild);
  engine.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
  engine.dispatch(effSetBlockSize, 0, kBlock, nullptr, 0.0f);
  engine.writeParameter(kRenderLevel, kRenderLevels[level - 1]);
  engine.writeParameter(kNumGrooves, static_cast<float>(grooves - 2) / 8.0f);
  engine.writeParameter(kDryOutLvl, 0.5f);

  std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
  for (int32_t i = 0; i < kBlock; ++i) {
    left[static_cast<size_t>(i)] = 0.3f * std::sin(0.031f * static_cast<float>(i));
    right[static_cast<size_t>(i)] = 0.3f * std::sin(0.047f * static_cast<float>(i));
  }
  float* ins[2] = {left.data(), right.data()};
  float* outs[2] = {outLeft.data(), outRight.data()};
  for (int i = 0; i < 200; ++i) engine.processReplace(ins, outs, kBlock);  // past the first frames

  const double start = threadSeconds();
  for (auto _ : state) {
    engine.processReplace(ins, outs, kBlock);
    benchmark::DoNotOptimize(outLeft[0]);
  }
  const double cpu = threadSeconds() - start;
  const double audio = static_cast<double>(state.iterations()) * kBlock / kRate;
  const double hop = 1024.0 / engine.currentOverlap();
  const double frames = static_cast<double>(state.iterations()) * kBlock / hop * channels;
  state.counters["realtime_factor"] = audio / cpu;
  state.counters["frame_vs_transforms"] = cpu / frames / transformPairSeconds();
  state.SetLabel(std::string(channels == 1 ? "mono" : "stereo") + " level " + std::to_string(level) + ", " +
                 std::to_string(grooves) + " grooves");
}
BENCHMARK(BM_Process)->ArgsProduct({{1, 2}, {1, 2, 3, 4}, {2, 10}});

}  // namespace

BENCHMARK_MAIN();
