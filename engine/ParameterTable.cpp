#include "engine/ParameterTable.h"

#include <cmath>

#include "engine/ParameterText.h"
#include "engine/ValueText.h"

namespace gyrelle {

namespace {

const ParameterInfo kParameters[kNumParams] = {
    {"Render Level", "", 0.3f},
    {"Num Grooves", "", 0.25f},
    {"Range", "st", 0.5f},
    {"Speed", "Hz", 0.7f},
    {"Pitch Bias", "", 0.5f},
    {"Volume Bias", "", 0.5f},
    {"Loudest Pitch", "%", 0.5f},
    {"Dry Out Lvl", "Db", 0.0f},
    {"Wet Out Lvl", "Db", 1.0f / 1.2f},
};

constexpr float kSpeedScale = 0.001001001f;  // 1/999: the far ends give exactly 20 Hz
constexpr double kLevelScale = 1.2;          // the level sliders reach +1.6 dB

}  // namespace

const ParameterInfo* parameterInfo(int32_t index) {
  return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams) ? &kParameters[index] : nullptr;
}

float clampParameter(float value) {
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

int32_t overlapForRenderLevel(float value) {
  if (value < 0.25f) return 2;
  if (value >= 0.75f) return 16;
  if (value >= 0.5f) return 8;
  return 4;
}

int32_t grooveCountFor(float value) {
  int32_t count = static_cast<int32_t>(8.0f * clampParameter(value) + 0.5f) + kMinGrooves;
  return count < kMinGrooves ? kMinGrooves : (count > kMaxGrooves ? kMaxGrooves : count);
}

float speedHz(float value) {
  const double sign = value < 0.5f ? -1.0 : 1.0;
  const float distance = static_cast<float>(std::fabs(static_cast<double>(value) - 0.5));
  const double rise = std::pow(1000.0, 2.0 * distance) - 1.0;
  return static_cast<float>(sign * rise * 20.0 * static_cast<double>(kSpeedScale));
}

void parameterValueText(int32_t index, float value, char* text) {
  const double x = value;
  switch (index) {
    case kRenderLevel:
      integerText(1 - static_cast<int64_t>(std::trunc(x * -3.99)), text);
      break;
    case kNumGrooves:
      integerText(static_cast<int64_t>(std::trunc(8.0 * x + 0.5)) + 2, text);
      break;
    case kRange:
      decimalText(static_cast<float>(48.0 * x), text);
      break;
    case kSpeed:
      decimalText(speedHz(value), text);
      break;
    case kPitchBias:
    case kVolumeBias:
      decimalText(static_cast<float>(2.0 * x - 1.0), text);
      break;
    case kLoudestPitch:
      integerText(static_cast<int64_t>(std::trunc(10.0 + 80.0 * x)), text);
      break;
    case kDryOutLvl:
    case kWetOutLvl:
      valuetext::formatDecibels(static_cast<float>(kLevelScale * x), text);
      break;
    default:
      break;
  }
}

}  // namespace gyrelle
