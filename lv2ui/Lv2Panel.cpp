#include "lv2ui/Lv2Panel.h"

#include <cmath>
#include <cstring>

#include "engine/EngineConstants.h"
#include "engine/GrooveMotion.h"
#include "engine/ParameterTable.h"
#include "lv2/PortLayout.h"
#include "lv2/PortValues.h"

namespace gyrelle::lv2 {

namespace {

bool isParameter(int32_t index) { return index >= 0 && index < kNumParams; }

}  // namespace

Lv2Panel::Lv2Panel(const Lv2UiHost& host) : host_(host), phase_(GrooveMotion::kResetPhase), panel_(this) {
  // Until the host's first port events, the ports hold their defaults.
  for (int32_t i = 0; i < kParameters; ++i) values_[i] = parameterInfo(i)->defaultValue;
}

// The panel goes first: its widgets may still call back into this object.
Lv2Panel::~Lv2Panel() { panel_.closeEditor(); }

bool Lv2Panel::open(uintptr_t parent) {
  panel_.openEditor(reinterpret_cast<void*>(parent));
  if (panel_.panelWindow() == 0) return false;
  if (host_.resize != nullptr && host_.resize->ui_resize != nullptr) {
    const PanelRect bounds = panel_.panelBounds();
    host_.resize->ui_resize(host_.resize->handle, bounds.width(), bounds.height());
  }
  return true;
}

void Lv2Panel::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer) {
  if (format != 0 || bufferSize != sizeof(float) || buffer == nullptr) return;
  float portValue;
  std::memcpy(&portValue, buffer, sizeof portValue);
  if (!std::isfinite(portValue)) return;
  if (port == kGroovePhasePort) {
    phase_ = portValue;
    return;
  }
  if (port >= kControlPorts) return;
  const float value = parameterFromPort(port, portValue);
  if (std::isnan(value)) return;
  const int32_t index = int32_t(port);
  values_[index] = value;
  panel_.parameterChanged(index, value);
}

int Lv2Panel::idle() {
  panel_.editorIdle();
  return panel_.windowAlive() ? 0 : 1;
}

float Lv2Panel::parameterValue(int32_t index) const { return isParameter(index) ? values_[index] : 0.0f; }

void Lv2Panel::beginEdit(int32_t index) {
  if (!isParameter(index) || host_.touch == nullptr || host_.touch->touch == nullptr) return;
  host_.touch->touch(host_.touch->handle, uint32_t(index), true);
}

void Lv2Panel::performEdit(int32_t index, float value) {
  if (!isParameter(index) || std::isnan(value)) return;
  const float portValue = portFromParameter(uint32_t(index), value);
  // The panel shows what the port now holds, as the DSP will read it.
  values_[index] = parameterFromPort(uint32_t(index), portValue);
  if (host_.write != nullptr) host_.write(host_.controller, uint32_t(index), sizeof portValue, 0, &portValue);
  panel_.parameterChanged(index, values_[index]);
}

void Lv2Panel::endEdit(int32_t index) {
  if (!isParameter(index) || host_.touch == nullptr || host_.touch->touch == nullptr) return;
  host_.touch->touch(host_.touch->handle, uint32_t(index), false);
}

GrooveDisplayState Lv2Panel::grooveDisplayState() const {
  const int32_t count = grooveCountFor(values_[kNumGrooves]);
  // The phase lies in [0, count); a count lowered since the last run may leave it beyond.
  float phase = phase_;
  if (!(phase >= 0.0f) || phase >= float(count)) phase = std::fmod(std::fabs(phase), float(count));
  return GrooveDisplayState{count, phase};
}

}  // namespace gyrelle::lv2
