// One instance driven from every side at once, as hosts do: an audio thread
// processes blocks without a pause while other threads automate every
// parameter, change and rename programs, suspend and resume, and change the
// block size and the sample rate, and a user-interface thread opens, idles
// and closes the panel (on the headless platform, so the effect is built in
// this process; it is still driven only through its record). Built with
// ThreadSanitizer (label tsan), any data race in the plug-in is reported; in
// every build the output must stay sound. The host side shares nothing but atomics.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/ChannelBuild.h"
#include "plugin/GrooveEffect.h"
#include "tests/stress/OutputCheck.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelPlatform.h"

namespace {

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int32_t kControlIterations = 10000;  // per controlling thread
constexpr int32_t kMinimumBlocks = 2000;
constexpr int32_t kLargestBlock = 2048;

struct BuildCase {
  const char* name;
  gyrelle::ChannelBuild build;
};

class ThreadStress : public ::testing::TestWithParam<BuildCase> {};

TEST_P(ThreadStress, AudioThreadKeepsGoingWhileEveryOtherThreadChangesThings) {
  gyrelle::HeadlessPlatform panels;
  gyrelle::usePanelPlatformForTesting(&panels);
  AEffect* effect = (new gyrelle::GrooveEffect(&hostCallback, GetParam().build))->record();
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

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
  // The user-interface thread: the panel opened, idled and closed again, while
  // the automation thread moves its controls from another thread.
  std::atomic<int32_t> panelsOpened{0};
  control(4, [effect, &panelsOpened](std::mt19937& random, int32_t i) {
    ERect* rect = nullptr;
    effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
    if (i % 50 == 0 && effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t{1}), 0.0f) == 1) {
      ++panelsOpened;
    }
    effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
    if (i % 50 == 49 || random() % 97 == 0) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
  });

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
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  gyrelle::usePanelPlatformForTesting(nullptr);
  EXPECT_EQ(panels.windowCount(), 0);
  EXPECT_EQ(panelsOpened.load(), kControlIterations / 50);
  EXPECT_EQ(unsoundBlocks.load(), 0);
  EXPECT_GE(blocks.load(), kMinimumBlocks);
  std::printf("%s: %d blocks while %zu threads made %d changes each\n", GetParam().name, blocks.load(),
              controllers.size(), kControlIterations);
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, ThreadStress,
                         ::testing::Values(BuildCase{"Mono", gyrelle::kMonoBuild},
                                           BuildCase{"Stereo", gyrelle::kStereoBuild}),
                         [](const ::testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

}  // namespace
