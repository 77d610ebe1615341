// Where the grooves sit, how loud they are and how they move.
#include "engine/GrooveMotion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/ParameterTable.h"

using namespace gyrelle;

namespace {

constexpr GrooveShape kNeutral{0.5f, 0.5f, 0.5f, 0.5f};

TEST(GrooveMotion, FixedChordRightAfterAReset) {
  GrooveMotion motion;
  motion.advance(0.01f, speedHz(0.5f), 4, kNeutral);
  EXPECT_FLOAT_EQ(motion.currentPhase(), 0.5f);
  const float ratios[] = {1.0f, 1.41421356f, 0.5f, 0.70710678f};
  const float gains[] = {1.0f, 0.5f, 0.0f, 0.5f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(motion.ratios()[i], ratios[i], 1e-5f) << i;
    EXPECT_NEAR(motion.gains()[i], gains[i], 1e-6f) << i;
  }
}

TEST(GrooveMotion, ZeroRangeLeavesEveryRatioAtOne) {
  GrooveMotion motion;
  for (int step = 0; step < 50; ++step) {
    motion.advance(0.05f, speedHz(0.9f), 7, GrooveShape{0.0f, 0.2f, 0.8f, 0.3f});
    for (int i = 0; i < 7; ++i) ASSERT_EQ(motion.ratios()[i], 1.0f);
  }
}

TEST(GrooveMotion, LoudestPitchMovesTheFadePeak) {
  // Loudest at the bottom: full gain at 0, silent at the top; and the reverse.
  EXPECT_FLOAT_EQ(grooveAmplitude(0.0f, 0.5f, 0.0f), 1.0f);
  EXPECT_NEAR(grooveAmplitude(1.0f, 0.5f, 0.0f), 0.0f, 1e-6f);
  EXPECT_NEAR(grooveAmplitude(0.0f, 0.5f, 1.0f), 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(grooveAmplitude(1.0f, 0.5f, 1.0f), 1.0f);
  // Volume bias bends the fade: convex above the centre, concave below.
  const float plain = grooveAmplitude(0.25f, 0.5f, 0.5f);
  EXPECT_GT(grooveAmplitude(0.25f, 1.0f, 0.5f), plain);
  EXPECT_LT(grooveAmplitude(0.25f, 0.0f, 0.5f), plain);
}

TEST(GrooveMotion, PitchBiasBendsPositionsAndUnwarpInvertsIt) {
  EXPECT_FLOAT_EQ(warpPosition(0.5f, 1.0f), std::pow(0.5f, 1.0f / 3.0f));  // u^(3^-pb), pb = 1
  EXPECT_FLOAT_EQ(warpPosition(0.5f, 0.0f), 0.125f);                       // pb = -1: u^3
  EXPECT_FLOAT_EQ(warpPosition(0.5f, 0.5f), 0.5f);
  for (float u : {0.0f, 0.1f, 0.37f, 0.9f, 1.0f}) {
    for (float bias : {0.0f, 0.3f, 1.0f}) EXPECT_NEAR(unwarpPosition(warpPosition(u, bias), bias), u, 1e-5f);
  }
}

TEST(GrooveMotion, PhaseStaysInsideTheCycleWhateverTheStep) {
  GrooveMotion motion;
  const float steps[] = {0.01f, -0.01f, 5.0f, -123.0f, 1e30f, -1e30f, INFINITY, NAN};
  for (float dt : steps) {
    motion.advance(dt, speedHz(0.0f), 3, kNeutral);
    EXPECT_GE(motion.currentPhase(), 0.0f) << dt;
    EXPECT_LT(motion.currentPhase(), 3.0f) << dt;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(motion.ratios()[i]) && std::isfinite(motion.gains()[i]));
  }
}

TEST(GrooveMotion, NegativeSpeedFallsAndTwoGroovesStayHalfACycleApart) {
  GrooveMotion motion;
  motion.advance(0.1f, speedHz(0.2f), 2, kNeutral);
  EXPECT_LT(motion.currentPhase(), 0.5f);
  for (int step = 0; step < 200; ++step) {
    motion.advance(0.037f, speedHz(0.1f), 2, GrooveShape{1.0f, 0.5f, 0.5f, 0.5f});
    // With no pitch bias, position = log2(ratio) / 4 + 1/2 at Range 48.
    const float a = std::log2(motion.ratios()[0]) / 4.0f + 0.5f;
    const float b = std::log2(motion.ratios()[1]) / 4.0f + 0.5f;
    EXPECT_NEAR(std::fabs(a - b), 0.5f, 1e-4f);
  }
}

TEST(GrooveMotion, HelixTurnsHalfATurnPerGroove) {
  const float bottom = helixAngle(0.0f, 0.5f, 5, 0.0f);
  const float top = helixAngle(1.0f, 0.5f, 5, 0.0f);
  EXPECT_NEAR(top - bottom, 5.0f * 3.14159265f, 1e-4f);
  EXPECT_NEAR(helixAngle(0.0f, 0.5f, 5, 1.0f) - bottom, -3.14159265f, 1e-5f);
}

}  // namespace
