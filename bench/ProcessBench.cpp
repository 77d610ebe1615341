// Processing cost of the engine at 48 kHz, driven through its record's block
// entry as a host drives it (denormals flushed, as the entry does):
// - BM_Process: every render level, both builds, 2, 4 and 10 grooves, blocks
//   of 512 samples and of 1. Reports the real-time factor (seconds of audio
//   per second of CPU on one core), the cost of one channel's frame relative
//   to its two transforms alone (`frame_vs_transforms`: the transform pairs
//   are timed between the blocks of the same run, so a busy machine slows
//   both alike) and the CPU time per sample.
// - BM_ManyInstances: 8 stereo instances at render level 4 with 10 grooves,
//   shared out over 1 or 2 threads; the real-time factor of all of them
//   together in wall-clock time, and with 2 threads the ratio to 1 thread.
// - BM_CreateInstance: building and closing a stereo instance (transform
//   planning included), in milliseconds.
// Every run states which frame loops (SSE2, or AVX2 with FMA) it measured;
// --sse2 forces the SSE2 loops.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/FrameKernels.h"
#include "engine/FrameTransforms.h"
#include "engine/DenormalGuard.h"
#include "plugin/GrooveEngine.h"

using namespace gyrelle;

namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kSamplesPerIteration = 512;
constexpr float kRenderLevels[] = {0.1f, 0.35f, 0.6f, 0.85f};  // overlap 2, 4, 8, 16

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// An instance as a host holds it, with its input and output blocks.
class BenchInstance {
 public:
  BenchInstance(int32_t channels, int32_t level, int32_t grooves, int32_t block)
      : engine(new GrooveEngine(nullptr, channels == 1 ? kMonoBuild : kStereoBuild)),
        record(engine->record()),
        blockSize(block),
        inputs(2, std::vector<float>(kSamplesPerIteration)),
        outputs(2, std::vector<float>(kSamplesPerIteration)) {
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, kRate);
    record->dispatcher(record, effSetBlockSize, 0, block, nullptr, 0.0f);
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    record->setParameter(record, kRenderLevel, kRenderLevels[level - 1]);
    record->setParameter(record, kNumGrooves, static_cast<float>(grooves - 2) / 8.0f);
    record->setParameter(record, kDryOutLvl, 0.5f);
    for (int32_t i = 0; i < kSamplesPerIteration; ++i) {
      inputs[0][static_cast<size_t>(i)] = 0.3f * std::sin(0.031f * static_cast<float>(i));
      inputs[1][static_cast<size_t>(i)] = 0.3f * std::sin(0.047f * static_cast<float>(i));
    }
    for (int i = 0; i < 200; ++i) run();  // past the first frames
  }

  // kSamplesPerIteration samples in blocks of blockSize.
  void run() {
    for (int32_t done = 0; done < kSamplesPerIteration; done += blockSize) {
      float* ins[2] = {inputs[0].data() + done, inputs[1].data() + done};
      float* outs[2] = {outputs[0].data() + done, outputs[1].data() + done};
      record->processReplacing(record, ins, outs, blockSize);
    }
    benchmark::DoNotOptimize(outputs[0][0]);
  }

  int32_t overlap() const { return engine->currentOverlap(); }

 private:
  std::unique_ptr<GrooveEngine> engine;
  AEffect* record;
  int32_t blockSize;
  std::vector<std::vector<float>> inputs, outputs;
};

// One forward and one inverse transform: the floor of any frame's cost.
class TransformPairs {
 public:
  TransformPairs() {
    for (int i = 0; i < 1024; ++i) transforms.frame()[i] = std::sin(0.1f * static_cast<float>(i));
    for (int j = 0; j < 513; ++j) transforms.synthesis()[j][0] = transforms.synthesis()[j][1] = 0.01f;
  }
  void run(int count) {
    // The inverse transform overwrites its input, which soon holds huge
    // values and NaNs: harmless at full speed as long as denormals are
    // flushed, as they are in the plug-in.
    DenormalGuard flush;
    for (int i = 0; i < count; ++i) {
      transforms.forward();
      transforms.inverse();
      benchmark::DoNotOptimize(transforms.resynthesised()[7]);
    }
  }

 private:
  FrameTransforms transforms;
};

void BM_TransformPair(benchmark::State& state) {
  TransformPairs pairs;
  for (auto _ : state) pairs.run(1);
}
BENCHMARK(BM_TransformPair);

// Arguments: channels (1 mono, 2 stereo), render level 1..4, grooves, block size.
void BM_Process(benchmark::State& state) {
  const int32_t channels = static_cast<int32_t>(state.range(0));
  const int32_t level = static_cast<int32_t>(state.range(1));
  const int32_t grooves = static_cast<int32_t>(state.range(2));
  const int32_t block = static_cast<int32_t>(state.range(3));
  BenchInstance instance(channels, level, grooves, block);
  TransformPairs pairs;
  const int framesPerIteration = kSamplesPerIteration / (1024 / instance.overlap()) * channels;

  double processing = 0.0, transforms = 0.0;
  for (auto _ : state) {
    const double start = threadSeconds();
    instance.run();
    const double middle = threadSeconds();
    pairs.run(framesPerIteration);
    transforms += threadSeconds() - middle;
    processing += middle - start;
  }
  const double iterations = static_cast<double>(state.iterations());
  const double audio = iterations * kSamplesPerIteration / kRate;
  state.counters["realtime_factor"] = audio / processing;
  state.counters["frame_vs_transforms"] = processing / transforms;
  state.counters["ns_per_sample"] = 1e9 * processing / (iterations * kSamplesPerIteration);
  state.SetLabel(std::string(channels == 1 ? "mono" : "stereo") + " level " + std::to_string(level) + ", " +
                 std::to_string(grooves) + " grooves, block " + std::to_string(block) + ", " +
                 selectedFrameKernels().name);
}
BENCHMARK(BM_Process)->ArgsProduct({{1, 2}, {1, 2, 3, 4}, {2, 10}, {512}});
BENCHMARK(BM_Process)->Args({2, 2, 4, 512})->Args({2, 2, 4, 1})->Args({2, 4, 10, 1});

// Each step of a channel's frame on its own, with 10 grooves spread over two
// octaves whose ratios move a little every frame (as they do while the
// grooves turn): the cost of one frame's step relative to a transform pair.
// Arguments: 0 the groove map (shared by the channels), 1 analysis,
// 2 remapping, 3 synthesis, 4 overlap-add (with the accumulator's shift),
// 5 window, 6 remapping of silence (every bin a hole to fill).
void BM_FrameStep(benchmark::State& state) {
  const FrameKernels& kernels = selectedFrameKernels();
  auto buffers = std::make_unique<ChannelBuffers>();
  auto map = std::make_unique<GrooveBinMap>();
  std::vector<float> spectrum(2 * kBinCount), synthesis(2 * kBinCount), resynthesised(kFrameSize), window(kFrameSize);
  std::memset(buffers.get(), 0, sizeof(ChannelBuffers));
  for (int32_t i = 0; i < 2 * kBinCount; ++i) spectrum[static_cast<size_t>(i)] = std::sin(0.37f * static_cast<float>(i));
  for (int32_t i = 0; i < kFrameSize; ++i) {
    resynthesised[static_cast<size_t>(i)] = std::cos(0.11f * static_cast<float>(i));
    window[static_cast<size_t>(i)] = 0.5f - 0.5f * std::cos(kTwoPi * static_cast<float>(i) / kFrameSize);
  }
  float ratios[kMaxGrooves], gains[kMaxGrooves];
  for (int32_t g = 0; g < kMaxGrooves; ++g) {
    ratios[g] = std::pow(2.0f, static_cast<float>(g) / 5.0f - 1.0f);
    gains[g] = 0.5f + 0.05f * static_cast<float>(g);
  }
  FrameSettings settings{16, 64, 46.875f, kPi / 8.0f, kMaxGrooves, ratios, gains, map.get(), 1e-4f, 0.3f,
                         window.data()};
  kernels.mapGrooves(kMaxGrooves, ratios, *map);
  kernels.analyse(settings, spectrum.data(), *buffers);
  TransformPairs pairs;
  const int step = static_cast<int>(state.range(0));
  if (step == 6) std::memset(buffers.get(), 0, sizeof(ChannelBuffers));
  constexpr int kRounds = 64;
  double work = 0.0, transforms = 0.0;
  DenormalGuard flush;
  for (auto _ : state) {
    const double start = threadSeconds();
    for (int round = 0; round < kRounds; ++round) {
      switch (step) {
        case 0:
          for (int32_t g = 0; g < kMaxGrooves; ++g) ratios[g] *= round % 2 == 0 ? 1.00005f : 0.99995f;
          kernels.mapGrooves(kMaxGrooves, ratios, *map);
          break;
        case 1: kernels.analyse(settings, spectrum.data(), *buffers); break;
        case 2:
        case 6: kernels.remap(settings, *buffers); break;
        case 3: kernels.synthesise(settings, spectrum.data(), *buffers, synthesis.data()); break;
        case 4: kernels.overlapAdd(settings, resynthesised.data(), *buffers); break;
        case 5: kernels.applyWindow(window.data(), resynthesised.data(), buffers->overlapSum); break;
      }
      benchmark::ClobberMemory();
    }
    const double middle = threadSeconds();
    pairs.run(kRounds);
    transforms += threadSeconds() - middle;
    work += middle - start;
  }
  static const char* const kSteps[] = {"groove map", "analysis",  "remapping",          "synthesis",
                                       "overlap-add", "window",   "remapping, silence"};
  state.counters["step_vs_transforms"] = work / transforms;
  state.SetLabel(std::string(kSteps[step]) + ", " + kernels.name);
}
BENCHMARK(BM_FrameStep)->DenseRange(0, 6);

constexpr int32_t kManyInstances = 8;
double oneThreadFactor = 0.0;  // written by the 1-thread run, read by the later ones

// Threads 1 or 2; each owns an equal share of the instances.
void BM_ManyInstances(benchmark::State& state) {
  const int32_t share = kManyInstances / state.threads();
  std::vector<std::unique_ptr<BenchInstance>> instances;
  for (int32_t i = 0; i < share; ++i) instances.emplace_back(new BenchInstance(2, 4, 10, 512));
  const double start = wallSeconds();
  for (auto _ : state) {
    for (auto& instance : instances) instance->run();
  }
  const double wall = wallSeconds() - start;
  const double audio = static_cast<double>(state.iterations()) * kSamplesPerIteration / kRate;
  // Counters are summed over the threads: each adds its share of the whole.
  const double factor = audio * share / kManyInstances / wall;
  state.counters["realtime_factor_all"] = factor;
  if (state.threads() == 1) oneThreadFactor = factor;
  if (state.threads() > 1 && oneThreadFactor > 0.0) state.counters["vs_one_thread"] = factor / oneThreadFactor;
  state.SetLabel(std::to_string(kManyInstances) + " stereo instances, level 4, 10 grooves, " +
                 selectedFrameKernels().name);
}
BENCHMARK(BM_ManyInstances)->Threads(1)->Threads(2)->UseRealTime();

void BM_CreateInstance(benchmark::State& state) {
  double longest = 0.0;
  for (auto _ : state) {
    const double start = wallSeconds();
    {
      GrooveEngine engine(nullptr, kStereoBuild);
      benchmark::DoNotOptimize(engine.record());
    }
    const double took = wallSeconds() - start;
    longest = took > longest ? took : longest;
  }
  state.counters["longest_ms"] = 1e3 * longest;
}
BENCHMARK(BM_CreateInstance)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sse2") == 0) forceFrameKernels(&baselineFrameKernels());
  }
  // Our own flag is not Google Benchmark's: take it out before it looks.
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sse2") != 0) rest.push_back(argv[i]);
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
