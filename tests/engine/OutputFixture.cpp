#include "tests/engine/OutputFixture.h"

#include "tests/support/LoadedPlugin.h"

namespace gyrelle::testing {

const std::vector<FixtureCase>& fixtureCases() {
  // Render level 0.1/0.35/0.6/0.85 picks overlap 2/4/8/16.
  static const std::vector<FixtureCase> cases = {
      {"mono-level1-defaults", "gyrelle-mono", {{0, 0.1f}}, {}},
      {"mono-level2-ten-grooves", "gyrelle-mono",
       {{0, 0.35f}, {1, 1.0f}, {2, 0.5f}, {3, 0.8f}, {7, 0.3f}}, {{3, 0.2f}}},
      {"mono-level3-falling-biased", "gyrelle-mono",
       {{0, 0.6f}, {1, 0.0f}, {3, 0.2f}, {4, 0.3f}, {5, 0.8f}, {6, 0.2f}}, {}},
      {"mono-level4-wide", "gyrelle-mono",
       {{0, 0.85f}, {1, 0.5f}, {2, 1.0f}, {6, 0.9f}, {8, 1.0f}}, {{2, 0.25f}, {4, -1.0f}}},
      {"stereo-level1-range-zero", "gyrelle-stereo",
       {{0, 0.1f}, {1, 0.25f}, {2, 0.0f}, {7, 0.6f}}, {}},
      {"stereo-level2-defaults", "gyrelle-stereo", {}, {{3, 0.9f}}},
      {"stereo-level3-ten-grooves", "gyrelle-stereo",
       {{0, 0.6f}, {1, 1.0f}, {3, 0.65f}, {4, -0.5f}, {5, 0.1f}}, {}},
      {"stereo-level4-ten-grooves", "gyrelle-stereo",
       {{0, 0.85f}, {1, 1.0f}, {2, 0.75f}, {3, 0.3f}, {6, 0.7f}, {7, 0.2f}}, {{5, 0.9f}, {8, 0.5f}}},
  };
  return cases;
}

std::vector<float> fixtureInput(int32_t channel, size_t frames) {
  // Three integer phase accumulators (a chord with a sawtooth, a triangle and
  // a square) under a slow integer envelope, plus a little LCG noise.
  const uint32_t steps[2][3] = {{9739434u, 12271520u, 14596963u}, {10926471u, 16382013u, 8196132u}};
  uint32_t phase[3] = {0, 0, 0};
  uint32_t noise = 12345u + static_cast<uint32_t>(channel) * 7919u;
  std::vector<float> x(frames);
  for (size_t i = 0; i < frames; ++i) {
    for (int k = 0; k < 3; ++k) phase[k] += steps[channel & 1][k];
    const int32_t saw = static_cast<int32_t>(phase[0]) >> 16;                           // -32768..32767
    const int32_t tri = static_cast<int32_t>((phase[1] >> 31) ? ~phase[1] : phase[1]) >> 15;  // 0..65535
    const int32_t square = (phase[2] >> 31) ? 16384 : -16384;
    noise = noise * 1664525u + 1013904223u;
    const int32_t hiss = static_cast<int32_t>(noise >> 20) - 2048;
    const int32_t envelope = static_cast<int32_t>((i / 64) % 1024);  // a ramp every 65536 samples
    const int32_t mix = saw / 2 + (tri - 32768) / 3 + square / 4 + hiss;
    x[i] = static_cast<float>(mix * (256 + envelope)) * (1.0f / (32768.0f * 1600.0f));
  }
  return x;
}

std::vector<std::vector<float>> renderFixtureCase(const FixtureCase& fixture) {
  Instance instance(fixture.plugin);
  instance.start(kFixtureRate, kFixtureBlock);
  for (const ParameterWrite& write : fixture.settings) instance.setParameter(write.index, write.value);
  const int32_t inputs = instance.effect()->numInputs;
  std::vector<std::vector<float>> first, second;
  const size_t half = (kFixtureFrames / 2 / kFixtureBlock) * kFixtureBlock;
  for (int32_t ch = 0; ch < inputs; ++ch) {
    const std::vector<float> x = fixtureInput(ch, kFixtureFrames);
    first.emplace_back(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(half));
    second.emplace_back(x.begin() + static_cast<std::ptrdiff_t>(half), x.end());
  }
  std::vector<std::vector<float>> out = instance.run(first, kFixtureBlock);
  for (const ParameterWrite& write : fixture.automation) instance.setParameter(write.index, write.value);
  const std::vector<std::vector<float>> rest = instance.run(second, kFixtureBlock);
  for (int32_t ch = 0; ch < 2; ++ch) out[ch].insert(out[ch].end(), rest[ch].begin(), rest[ch].end());
  if (inputs == 1) out.resize(1);
  return out;
}

std::string fixturePath(const FixtureCase& fixture) {
  return std::string(GYRELLE_SOURCE_DIR) + "/tests/fixtures/output/" + fixture.name + ".f32";
}

}  // namespace gyrelle::testing
