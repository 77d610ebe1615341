// Both plug-ins in one process, as in any host session that uses both: they
// share the one FFTW library of the process, so neither may tear down what
// the other's instances still use.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/LoadedPlugin.h"
#include "tests/support/Signals.h"

namespace {

using gyrelle::testing::Instance;

std::vector<std::vector<float>> runSine(Instance& instance) {
  const auto input = gyrelle::testing::sine(440.0, 44100.0, 8192);
  return instance.run({input, input});
}

// Closing the last mono instance used to call fftwf_cleanup, which voids every
// plan in the process: the stereo instance's plans with them.
TEST(SharedTransforms, ClosingTheLastInstanceOfOneBuildLeavesTheOtherBuildWorking) {
  std::vector<std::vector<float>> expected;
  {
    Instance lone("gyrelle-stereo");
    lone.start();
    expected = runSine(lone);
  }
  for (int round = 0; round < 3; ++round) {
    Instance stereo("gyrelle-stereo");
    stereo.start();
    {
      Instance mono("gyrelle-mono");
      mono.start();
      runSine(mono);
      mono.close();
      Instance secondMono("gyrelle-mono");  // plans made after the other build's last close
      secondMono.start();
      runSine(secondMono);
    }
    EXPECT_EQ(runSine(stereo), expected) << round;
    stereo.close();  // destroys plans made before the mono instances came and went
  }
}

}  // namespace
