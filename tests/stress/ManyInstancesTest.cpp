// Instances of both builds created, run and closed from several threads at
// once, as a host does when it loads a session: the libraries are opened
// and closed concurrently and FFTW plans are made and destroyed side by side.
// Every instance must give exactly the output a lone instance gives. Run
// under AddressSanitizer and valgrind for leaks and memory errors;
// GYRELLE_STRESS_LIGHT=1 makes the run small enough for valgrind.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/stress/OutputCheck.h"
#include "tests/support/LoadedPlugin.h"
#include "tests/support/Signals.h"

namespace {

using gyrelle::testing::Instance;

struct Scale {
  int32_t threads;
  int32_t roundsPerThread;
  size_t samples;
};

Scale scale() {
  const bool light = std::getenv("GYRELLE_STRESS_LIGHT") != nullptr;
  return light ? Scale{4, 3, 8192} : Scale{4, 12, 24000};
}

const char* const kBuilds[] = {"gyrelle-mono", "gyrelle-stereo"};

// One instance's whole life: settings that differ per round, a sine through it.
std::vector<std::vector<float>> lifetime(const char* build, int32_t round, size_t samples) {
  Instance instance(build);
  if (!instance.valid()) return {};
  instance.start(48000.0f, 512);
  instance.setParameter(0, 0.1f + 0.25f * static_cast<float>(round % 4));  // every render level
  instance.setParameter(1, static_cast<float>(round % 3) * 0.5f);          // 2, 6 and 10 grooves
  instance.setParameter(7, 0.5f);
  const auto input = gyrelle::testing::sine(440.0 + 110.0 * round, 48000.0, samples);
  return instance.run({input, input}, 512);
}

TEST(ManyInstances, CreatedRunAndClosedFromSeveralThreadsAtOnce) {
  const Scale size = scale();
  const int32_t rounds = size.roundsPerThread;
  // What a lone instance gives for each build and round.
  std::vector<std::vector<std::vector<float>>> expected;
  for (int32_t round = 0; round < rounds; ++round) {
    expected.push_back(lifetime(kBuilds[round % 2], round, size.samples));
    ASSERT_FALSE(expected.back().empty());
  }

  std::atomic<int32_t> instances{0};
  std::atomic<int32_t> refused{0};
  std::atomic<int32_t> unsound{0};
  std::atomic<int32_t> different{0};
  std::vector<std::thread> threads;
  for (int32_t t = 0; t < size.threads; ++t) {
    threads.emplace_back([&, t] {
      for (int32_t i = 0; i < rounds; ++i) {
        const int32_t round = (i + t) % rounds;  // threads run different rounds side by side
        const auto output = lifetime(kBuilds[round % 2], round, size.samples);
        ++instances;
        if (output.empty()) {
          ++refused;
          continue;
        }
        for (const auto& channel : output) {
          if (!gyrelle::testing::outputIsSound(channel.data(), static_cast<int32_t>(channel.size()))) ++unsound;
        }
        if (output != expected[static_cast<size_t>(round)]) ++different;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(instances.load(), size.threads * rounds);
  EXPECT_EQ(refused.load(), 0);
  EXPECT_EQ(unsound.load(), 0);
  EXPECT_EQ(different.load(), 0);
  std::printf("%d instances on %d threads, %zu samples each\n", instances.load(), size.threads, size.samples);
}

}  // namespace
