// The conversions between LV2 port values and parameter values that the DSP
// and the panel's UI share: a panel edit sent as a port value comes back to
// the effect as the value the panel made.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/ParameterTable.h"
#include "lv2/PortValues.h"

namespace gyrelle::lv2 {
namespace {

TEST(PortValues, APanelValueSurvivesTheTripThroughItsPort) {
  for (uint32_t k = 0; k < 9; ++k) {
    for (int step = 0; step <= 200; ++step) {
      const float v = float(step) / 200.0f;
      const float back = parameterFromPort(k, portFromParameter(k, v));
      SCOPED_TRACE(::testing::Message() << "port " << k << " value " << v);
      if (k == kRenderLevel) {
        EXPECT_EQ(overlapForRenderLevel(back), overlapForRenderLevel(v));
      } else if (k == kNumGrooves) {
        EXPECT_EQ(grooveCountFor(back), grooveCountFor(v));
      } else if ((k == kDryOutLvl || k == kWetOutLvl) && v < 3e-5f) {
        EXPECT_EQ(back, 0.0f);  // below -90 dB is off
      } else {
        EXPECT_NEAR(back, v, 2e-6f);
      }
    }
  }
}

TEST(PortValues, PortsReachTheEndsOfTheParameters) {
  const float lowest[9] = {1, 2, 0, -20, -1, -1, 10, kSilentDecibels, kSilentDecibels};
  const float highest[9] = {4, 10, 48, 20, 1, 1, 90, 1.583625f, 1.583625f};
  for (uint32_t k = 0; k < 9; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(portFromParameter(k, 0.0f), lowest[k], 1e-4f);
    EXPECT_NEAR(portFromParameter(k, 1.0f), highest[k], 1e-4f);
    if (k != kRenderLevel) {
      EXPECT_FLOAT_EQ(parameterFromPort(k, lowest[k]), 0.0f);
    }
    EXPECT_GE(parameterFromPort(k, highest[k]), k == kRenderLevel ? 0.75f : 1.0f);
  }
}

TEST(PortValues, NaNStaysNaNAndUnknownPortsHaveNoValue) {
  for (uint32_t k = 0; k < 9; ++k) {
    EXPECT_TRUE(std::isnan(parameterFromPort(k, NAN)));
    EXPECT_TRUE(std::isnan(portFromParameter(k, NAN)));
  }
  EXPECT_TRUE(std::isnan(parameterFromPort(9, 1.0f)));
  EXPECT_TRUE(std::isnan(portFromParameter(10, 0.5f)));
}

}  // namespace
}  // namespace gyrelle::lv2
