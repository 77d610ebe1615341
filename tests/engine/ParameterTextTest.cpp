// The number texts shared by the host's value texts and the panel.
#include "engine/ParameterText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/ParameterTable.h"

using namespace gyrelle;

namespace {

std::string decimal(float v) {
  char text[kNumberTextBytes];
  decimalText(v, text);
  return text;
}

std::string integer(int64_t v) {
  char text[kNumberTextBytes];
  integerText(v, text);
  return text;
}

TEST(ParameterText, Decimals) {
  EXPECT_EQ(decimal(24.0f), "24");
  EXPECT_EQ(decimal(static_cast<float>(48.0 * 0.3f)), "14.4");
  EXPECT_EQ(decimal(-0.6130686f), "-0.613");
  EXPECT_EQ(decimal(33.6f), "33.599");
  EXPECT_EQ(decimal(0.35f), "0.349");
  EXPECT_EQ(decimal(-0.5f), "-0.5");
  EXPECT_EQ(decimal(0.0f), "0");
  EXPECT_EQ(decimal(-0.0f), "0");
  EXPECT_EQ(decimal(10.0f), "10");
  EXPECT_EQ(decimal(speedHz(0.9f)), "5.008");
  EXPECT_EQ(decimal(speedHz(1.0f)), "20");
}

TEST(ParameterText, IntegersAndBounds) {
  EXPECT_EQ(integer(-7), "-7");
  EXPECT_EQ(integer(100), "100");
  EXPECT_EQ(integer(0), "0");
  EXPECT_EQ(integer(INT64_MIN), "-9223372036854775808");
  for (float v : {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 3e9f}) {
    EXPECT_LT(std::strlen(decimal(v).c_str()), 20u) << v;
  }
}

TEST(ParameterText, SpeedEndsAndCentre) {
  EXPECT_EQ(speedHz(0.0f), -20.0f);
  EXPECT_EQ(speedHz(1.0f), 20.0f);
  EXPECT_EQ(speedHz(0.5f), 0.0f);
  EXPECT_EQ(overlapForRenderLevel(0.25f), 4);
  EXPECT_EQ(overlapForRenderLevel(0.1f), 2);
  EXPECT_EQ(overlapForRenderLevel(0.6f), 8);
  EXPECT_EQ(overlapForRenderLevel(0.85f), 16);
}

}  // namespace
