// The LV2 plug-ins sound as the VST 2 libraries do: the same settings (the
// LV2 port values worked out here from the VST 2 values with the parameter
// mappings) and the same 10 s of signal, both builds, compared by SNR.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/engine/OutputFixture.h"
#include "tests/lv2/LilvHost.h"
#include "tests/support/LoadedPlugin.h"

namespace gyrelle::testing {
namespace {

constexpr double kRate = 44100.0;
constexpr size_t kFrames = 10 * 44100;
constexpr uint32_t kBlock = 512;
constexpr size_t kChangeAt = 5 * 44100 / kBlock * kBlock;  // a block boundary about half-way

const char* const kSymbols[9] = {"render_level", "grooves",       "range",     "speed",    "pitch_bias",
                                 "volume_bias",  "loudest_pitch", "dry_level", "wet_level"};

// A VST 2 value (0..1) in the units of the LV2 port, by the parameters' own definitions.
float portValue(int32_t index, float v) {
  switch (index) {
    case 0: return v < 0.25f ? 1.0f : v < 0.5f ? 2.0f : v < 0.75f ? 3.0f : 4.0f;
    case 1: return std::floor(8.0f * v + 0.5f) + 2.0f;
    case 2: return 48.0f * v;
    case 3: {
      const double d = std::fabs(double(v) - 0.5);
      return float((v < 0.5f ? -1.0 : 1.0) * (std::pow(1000.0, 2.0 * d) - 1.0) * 20.0 / 999.0);
    }
    case 4:
    case 5: return 2.0f * v - 1.0f;
    case 6: return 10.0f + 80.0f * v;
    default: return v > 0.0f ? float(20.0 * std::log10(1.2 * double(v))) : -90.0f;
  }
}

struct Setting {
  int32_t index;
  float value;  // VST 2, 0..1
};

struct EqualityCase {
  const char* name;
  std::vector<Setting> settings;
  std::vector<Setting> change;  // at kChangeAt
};

const EqualityCase kCases[] = {
    {"Defaults", {}, {}},
    {"FastFewGrooves", {{0, 0.1f}, {1, 0.0f}, {2, 0.25f}, {3, 0.9f}, {4, 0.3f}, {5, 0.7f}, {6, 0.2f}, {7, 0.5f}, {8, 0.6f}}, {}},
    {"BestTenGroovesFalling", {{0, 0.85f}, {1, 1.0f}, {2, 1.0f}, {3, 0.1f}, {4, 0.8f}, {5, 0.2f}, {6, 0.8f}, {7, 0.0f}, {8, 1.0f}}, {}},
    {"StillSevenGroovesWithDry", {{0, 0.6f}, {1, 0.625f}, {2, 0.5f}, {3, 0.5f}, {7, 1.0f}, {8, 0.4f}}, {}},
    {"ChangesHalfWay", {{3, 0.8f}}, {{1, 1.0f}, {0, 0.6f}, {3, 0.25f}, {2, 0.75f}}},
};

double snrDb(const std::vector<float>& reference, const std::vector<float>& other) {
  double signal = 0.0, noise = 0.0;
  for (size_t i = 0; i < reference.size(); ++i) {
    signal += double(reference[i]) * reference[i];
    const double d = double(reference[i]) - other[i];
    noise += d * d;
  }
  return noise == 0.0 ? INFINITY : 10.0 * std::log10(signal / noise);
}

struct Build {
  const char* uri;
  const char* vstLibrary;
};

class Lv2Equality : public ::testing::TestWithParam<Build> {};

TEST_P(Lv2Equality, TheLv2OutputIsTheVstOutput) {
  LilvBundle bundle;
  for (const EqualityCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Instance vst(GetParam().vstLibrary);
    LilvEffect lv2(bundle, GetParam().uri, kRate);
    ASSERT_TRUE(vst.valid() && lv2.valid());
    vst.start(float(kRate), int32_t(kBlock));
    for (const Setting& s : c.settings) {
      vst.setParameter(s.index, s.value);
      lv2.setControl(kSymbols[s.index], portValue(s.index, s.value));
    }
    lv2.activate();
    std::vector<std::vector<float>> in;
    for (int32_t ch = 0; ch < lv2.inputs(); ++ch) in.push_back(fixtureInput(ch, kFrames));

    std::vector<std::vector<float>> head, tail;
    for (const auto& channel : in) {
      head.emplace_back(channel.begin(), channel.begin() + kChangeAt);
      tail.emplace_back(channel.begin() + kChangeAt, channel.end());
    }
    auto vstOut = vst.run(head, int32_t(kBlock));
    auto lv2Out = lv2.run(head, kBlock);
    for (const Setting& s : c.change) {
      vst.setParameter(s.index, s.value);
      lv2.setControl(kSymbols[s.index], portValue(s.index, s.value));
    }
    const auto vstTail = vst.run(tail, int32_t(kBlock));
    const auto lv2Tail = lv2.run(tail, kBlock);
    for (int ch = 0; ch < 2; ++ch) {
      vstOut[ch].insert(vstOut[ch].end(), vstTail[ch].begin(), vstTail[ch].end());
      lv2Out[ch].insert(lv2Out[ch].end(), lv2Tail[ch].begin(), lv2Tail[ch].end());
      ASSERT_EQ(vstOut[ch].size(), kFrames);
      const double snr = snrDb(vstOut[ch], lv2Out[ch]);
      EXPECT_GE(snr, 90.0) << "output " << ch;
      RecordProperty(std::string(c.name) + "_snr_db_" + std::to_string(ch), std::to_string(snr));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, Lv2Equality,
                         ::testing::Values(Build{"urn:quillfen:gyrelle:mono", "gyrelle-mono"},
                                           Build{"urn:quillfen:gyrelle:stereo", "gyrelle-stereo"}),
                         [](const ::testing::TestParamInfo<Build>& info) {
                           return std::string(info.index == 0 ? "Mono" : "Stereo");
                         });

}  // namespace
}  // namespace gyrelle::testing
