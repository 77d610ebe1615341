// The grooves drawn as a green twisted ladder: height is pitch position,
// width the loudness the effect gives a groove there, and the twist follows
// the grooves' motion. Redrawn from the effect's live state at every idle
// refresh. Panel thread only; the effect is read through PanelControls.
#pragma once

#include <cstdint>

#include "toolkit/Widget.h"

namespace gyrelle {

class PanelControls;
class OffscreenCanvas;
class PanelBitmap;

class GrooveDisplay : public ValueWidget {
 public:
  static constexpr int32_t kRungs = 50;

  struct ModelPoint {
    float x, y, z;
  };

  // `controls` is not owned and may be null (the display then stays black).
  GrooveDisplay(const PanelRect& rect, const PanelControls* controls, PanelFrame* frame);
  ~GrooveDisplay() override;

  void draw(Canvas& canvas) override;
  // Draws at every pass, changed or not.
  void refresh(Canvas& canvas) override;

  // The projections of the last draw, in display coordinates.
  const PanelPoint* frontPoints() const { return frontScreen_; }
  const PanelPoint* backPoints() const { return backScreen_; }

 private:
  void computeStrands();
  PanelPoint project(const ModelPoint& p) const;

  const PanelControls* controls_;
  OffscreenCanvas* offscreen_ = nullptr;
  PanelRect localRect_;
  PanelBitmap* offscreenPicture_;
  ModelPoint front_[kRungs] = {};
  ModelPoint back_[kRungs] = {};
  PanelPoint frontScreen_[kRungs] = {};
  PanelPoint backScreen_[kRungs] = {};
};

}  // namespace gyrelle
