// One instance driven from every side at once, as hosts do: an audio thread
// processes blocks without a pause while other threads automate every
// parameter, change and rename programs, suspend and resume, and change the
// block size and the sample rate. Built with ThreadSanitizer (label tsan),
// any data race in the plug-in is reported; in every build the output must
// stay sound. The host side shares nothing but atomics.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/stress/OutputCheck.h"
#include "tests/support/LoadedPlugin.h"

namespace {

using gyrelle::testing::Instance;

constexpr int32_t kControlIterations = 10000;  // per controlling thread
constexpr int32_t kMinimumBlocks = 2000;
constexpr int32_t kLargestBlock = 2048;

class ThreadStress : public ::testing::TestWithParam<const char*> {};

TEST_P(ThreadStress, AudioThreadKeepsGoingWhileEveryOtherThreadChangesThings) {
  Instance instance(GetParam());
  ASSERT_TRUE(instance.valid());
  instance.start(48000.0f, 512);
  AEffect* effect = instance.effect();

  std::atomic<int32_t> announcedBlock{512};  // what the host last told the plug-in
  std::atomic<int32_t> controllersRunning{0};
  std::atomic<int32_t> unsoundBlocks{0};
  std::atomic<int32_t> blocks{0};

  // A controlling thread runs its step a fixed number of times.
  std::vector<std::thread> controllers;
  auto control = [&](uint32_t seed, std::function<void(std::mt19937&, int32_t)> step) {
    ++controllersRunning;
    controllers.emplace_back([&controllersRunning, seed, step] {
      std::mt19937 random(seed);
      for (int32_t i = 0; i < kControlIterations; ++i) step(random, i);
      --controllersRunning;
    });
  };

  // Automation: every parameter, with the host reading values and texts back.
  control(1, [effect](std::mt19937& random, int32_t) {
    std::uniform_real_distribution<float> value(-0.1f, 1.1f);
    char text[256];
    for (int32_t index = 0; index < effect->numParams; ++index) {
      effect->setParameter(effect, index, value(random));
      effect->getParameter(effect, index);
      effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
    }
  });
  // Programs: changes, renames and name reads.
  control(2, [effect](std::mt19937& random, int32_t i) {
    char name[256];
    std::snprintf(name, sizeof name, "stress program %d with a name far too long", i);
    effect->dispatcher(effect, effSetProgram, 0, static_cast<intptr_t>(random() % 16), nullptr, 0.0f);
    effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
    effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
    effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f);
  });
  // The host's transport and settings: suspend, resume, block size, sample rate.
  control(3, [effect, &announcedBlock](std::mt19937& random, int32_t) {
    static const float kRates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 22050.0f};
    const int32_t block = 1 + static_cast<int32_t>(random() % kLargestBlock);
    const float rate = kRates[random() % 5];
    switch (random() % 5) {
      case 0: effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f); break;
      case 1: effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f); break;
      case 2: effect->dispatcher(effect, effSetBlockSize, 0, block, nullptr, 0.0f); announcedBlock = block; break;
      case 3: effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rate); break;
      case 4:
        effect->dispatcher(effect, effSetBlockSizeAndSampleRate, 0, block, nullptr, rate);
        announcedBlock = block;
        break;
    }
  });
  // --- The editor's thread goes here once the plug-ins carry the editor: ---
  // control(4, [effect](std::mt19937& random, int32_t i) { effEditGetRect into
  // an ERect* slot, effEditOpen with a parent window the headless platform
  // accepts (a non-zero id, 1 in the toolkit's examples) when i % 50 == 0, an
  // effEditIdle every time, effEditClose when i % 50 == 49 }); the automation
  // thread above then also moves the panel's controls from another thread.

  // The audio thread: blocks of the announced size, both entries, until every
  // controller is done and at least kMinimumBlocks have run.
  std::thread audio([&] {
    const int32_t inputs = effect->numInputs;
    std::vector<std::vector<float>> in(static_cast<size_t>(inputs), std::vector<float>(kLargestBlock));
    std::vector<std::vector<float>> out(2, std::vector<float>(kLargestBlock));
    uint32_t noise = 12345;
    for (auto& channel : in) {
      for (float& v : channel) v = static_cast<float>((noise = noise * 1664525u + 1013904223u) >> 9) / 8388608.0f - 0.5f;
    }
    float* ins[2] = {in[0].data(), in[static_cast<size_t>(inputs - 1)].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    for (int32_t n = 0; controllersRunning.load() > 0 || n < kMinimumBlocks; ++n) {
      const int32_t frames = std::min(announcedBlock.load(), kLargestBlock);
      if (n % 2 == 0) {
        effect->processReplacing(effect, ins, outs, frames);
      } else {
        effect->process(effect, ins, outs, frames);
      }
      if (!gyrelle::testing::outputIsSound(outs[0], frames) || !gyrelle::testing::outputIsSound(outs[1], frames)) {
        ++unsoundBlocks;
      }
      ++blocks;
    }
  });

  for (std::thread& controller : controllers) controller.join();
  audio.join();
  EXPECT_EQ(unsoundBlocks.load(), 0);
  EXPECT_GE(blocks.load(), kMinimumBlocks);
  std::printf("%s: %d blocks while %zu threads made %d changes each\n", GetParam(), blocks.load(), controllers.size(),
              kControlIterations);
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, ThreadStress, ::testing::Values("gyrelle-mono", "gyrelle-stereo"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(std::strstr(info.param, "mono") ? "Mono" : "Stereo");
                         });

}  // namespace
