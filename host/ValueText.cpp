// The host-facing value texts of every effect, made by the shared formatters.
#include "host/HostedEffect.h"

#include "engine/ValueText.h"

namespace gyrelle {

void HostedEffect::formatFloat(float value, char* text) { valuetext::formatFloat(value, text); }

void HostedEffect::formatDecibels(float level, char* text) { valuetext::formatDecibels(level, text); }

void HostedEffect::formatInteger(int32_t value, char* text) { valuetext::formatInteger(value, text); }

void HostedEffect::formatHertz(float samples, char* text) {
  float rate = currentSampleRate();
  valuetext::formatFloat(samples == 0.0f ? 0.0f : rate / samples, text);
}

void HostedEffect::formatMilliseconds(float samples, char* text) {
  valuetext::formatFloat(samples * 1000.0f / currentSampleRate(), text);
}

}  // namespace gyrelle
