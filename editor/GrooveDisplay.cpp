#include "editor/GrooveDisplay.h"

#include <cmath>

#include "editor/PanelControls.h"
#include "engine/EngineConstants.h"
#include "engine/GrooveMotion.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle {

namespace {

// Model coordinates of +-2 reach the edges of the surface.
int32_t truncated(float x) {
  if (!(std::fabs(x) < 1e6f)) return 0;
  return int32_t(x);
}

}  // namespace

GrooveDisplay::GrooveDisplay(const PanelRect& rect, const PanelControls* controls, PanelFrame* frame)
    : ValueWidget(rect, nullptr, 0),
      controls_(controls),
      localRect_{0, 0, rect.width(), rect.height()},
      offscreenPicture_(new PanelBitmap(frame, rect.width(), rect.height())) {}

GrooveDisplay::~GrooveDisplay() {
  delete offscreen_;
  offscreenPicture_->release();
}

void GrooveDisplay::refresh(Canvas& canvas) { draw(canvas); }

PanelPoint GrooveDisplay::project(const ModelPoint& p) const {
  const int32_t w = localRect_.right;
  const int32_t h = localRect_.bottom;
  return PanelPoint{truncated(float(w) * p.x / 4.0f) + w / 2,
                    h / 2 - truncated((p.z * 0.125f + p.y) * float(h) / 4.0f)};
}

void GrooveDisplay::computeStrands() {
  const float spread = std::sqrt(controls_->parameterValue(kRange));
  const float volumeBias = controls_->parameterValue(kVolumeBias) + 0.5f;
  const float pitchBias = controls_->parameterValue(kPitchBias);
  const float loudestPitch = controls_->parameterValue(kLoudestPitch);
  const GrooveDisplayState grooves = controls_->grooveDisplayState();
  for (int32_t i = 0; i < kRungs; ++i) {
    const float f = float(i) * 0.020408163f;
    const float a = helixAngle(f, pitchBias, grooves.grooveCount, grooves.phase);
    const float g = (i == 0 || i == kRungs - 1) ? 0.0f : grooveAmplitude(f, volumeBias, loudestPitch);
    const float x = std::cos(a) * 4.0f * g * 0.4f;
    const float y = (f - 0.5f) * 4.0f * spread * 0.9f;
    const float z = std::sin(a) * 4.0f * g * 0.4f;
    front_[i] = ModelPoint{x, y, z};
    back_[i] = ModelPoint{-x, y, -z};
    frontScreen_[i] = project(front_[i]);
    backScreen_[i] = project(back_[i]);
  }
}

void GrooveDisplay::draw(Canvas& canvas) {
  const int32_t w = localRect_.right;
  const int32_t h = localRect_.bottom;
  if (offscreen_ == nullptr) offscreen_ = new OffscreenCanvas(canvas, offscreenPicture_);
  OffscreenCanvas& off = *offscreen_;
  off.setFillColour(ColourBlack);
  off.setPenColour(ColourBlack);
  off.outlineRect(localRect_);
  off.fillInnerRect(localRect_);
  if (controls_ != nullptr) {
    computeStrands();
    off.setPenColour(ColourGreen);
    off.setLineStyle(LineSolid);
    off.movePenTo(PanelPoint{w / 2, h});
    for (int32_t i = 0; i < kRungs; ++i) off.drawLineTo(frontScreen_[i]);
    off.movePenTo(backScreen_[0]);
    for (int32_t i = 1; i < kRungs; ++i) off.drawLineTo(backScreen_[i]);
    off.drawLineTo(PanelPoint{w / 2, 0});
    for (int32_t j = 0; j < kRungs; ++j) {
      off.movePenTo(frontScreen_[j]);
      off.drawLineTo(backScreen_[j]);
    }
  }
  off.blitTo(canvas, rect, PanelPoint{0, 0});
  drawnValue_ = value_;
}

}  // namespace gyrelle
