#include "lv2/PortValues.h"

#include <cmath>

#include "engine/EngineConstants.h"
#include "engine/ParameterTable.h"

namespace gyrelle::lv2 {

namespace {

constexpr double kSpeedUnit = 20.0 * 0.001001001;  // the speed mapping's scale: 1000^(2d) - 1 of these
constexpr double kLevelScale = 1.2;                // the level parameters reach 1.2, +1.58 dB

float clampTo(float value, float lowest, float highest) {
  return value < lowest ? lowest : (value > highest ? highest : value);
}

// Nearest whole step of an integer port, from a value already clamped to its range.
float nearestStep(float value) { return std::floor(value + 0.5f); }

float speedParameter(float hz) {
  const double magnitude = std::log(1.0 + std::fabs(static_cast<double>(hz)) / kSpeedUnit) / std::log(1000.0);
  const double value = hz < 0.0f ? 0.5 - 0.5 * magnitude : 0.5 + 0.5 * magnitude;
  return clampParameter(static_cast<float>(value));
}

float levelParameter(float decibels) {
  if (!(decibels > kSilentDecibels)) return 0.0f;
  return clampParameter(static_cast<float>(std::pow(10.0, static_cast<double>(decibels) / 20.0) / kLevelScale));
}

float levelDecibels(float value) {
  if (!(value > 0.0f)) return kSilentDecibels;
  const float decibels = static_cast<float>(20.0 * std::log10(kLevelScale * static_cast<double>(value)));
  return decibels < kSilentDecibels ? kSilentDecibels : decibels;
}

}  // namespace

float parameterFromPort(uint32_t index, float portValue) {
  if (std::isnan(portValue)) return portValue;
  switch (index) {
    case kRenderLevel:  // 1 to 4: the values the panel's menu writes
      return (nearestStep(clampTo(portValue, 1.0f, 4.0f)) - 1.0f) * 0.25f + 0.1f;
    case kNumGrooves:
      return (nearestStep(clampTo(portValue, 2.0f, 10.0f)) - 2.0f) / 8.0f;
    case kRange:
      return clampParameter(portValue / 48.0f);
    case kSpeed:
      return speedParameter(clampTo(portValue, -20.0f, 20.0f));
    case kPitchBias:
    case kVolumeBias:
      return clampParameter((portValue + 1.0f) * 0.5f);
    case kLoudestPitch:
      return clampParameter((portValue - 10.0f) / 80.0f);
    case kDryOutLvl:
    case kWetOutLvl:
      return levelParameter(portValue);
    default:
      return NAN;
  }
}

float portFromParameter(uint32_t index, float value) {
  if (std::isnan(value)) return value;
  const float v = clampParameter(value);
  switch (index) {
    case kRenderLevel:
      switch (overlapForRenderLevel(v)) {
        case 2: return 1.0f;
        case 4: return 2.0f;
        case 8: return 3.0f;
        default: return 4.0f;
      }
    case kNumGrooves:
      return static_cast<float>(grooveCountFor(v));
    case kRange:
      return 48.0f * v;
    case kSpeed:
      return clampTo(speedHz(v), -20.0f, 20.0f);
    case kPitchBias:
    case kVolumeBias:
      return 2.0f * v - 1.0f;
    case kLoudestPitch:
      return 10.0f + 80.0f * v;
    case kDryOutLvl:
    case kWetOutLvl:
      return levelDecibels(v);
    default:
      return NAN;
  }
}

}  // namespace gyrelle::lv2
