// Recorded output of the plug-in libraries for a fixed signal and a table of
// settings: both builds, every render level. The recording is the reference
// that later changes to the signal path are measured against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gyrelle::testing {

struct ParameterWrite {
  int32_t index;
  float value;
};

struct FixtureCase {
  const char* name;        // also the file name, without extension
  const char* plugin;      // "gyrelle-mono" or "gyrelle-stereo"
  std::vector<ParameterWrite> settings;    // written after the host's start-up calls
  std::vector<ParameterWrite> automation;  // written between the blocks at the half-way point
};

constexpr float kFixtureRate = 44100.0f;
constexpr int32_t kFixtureBlock = 512;
constexpr size_t kFixtureFrames = 5 * 44100 + 1000;

const std::vector<FixtureCase>& fixtureCases();

// The input of one channel: integer oscillators and noise, so the same
// samples come out of any compiler and any maths library.
std::vector<float> fixtureInput(int32_t channel, size_t frames);

// Runs a case through the built library as a host would; answers the
// outputs that are recorded (one for the mono build, whose outputs are
// copies of each other, two for the stereo build).
std::vector<std::vector<float>> renderFixtureCase(const FixtureCase& fixture);

// Where the recordings live in the source tree, and the file of one case.
std::string fixturePath(const FixtureCase& fixture);

}  // namespace gyrelle::testing
