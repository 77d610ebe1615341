#include "editor/PanelLayout.h"

#include <algorithm>

namespace gyrelle {

namespace {

PanelRect ordered(int32_t h1, int32_t v1, int32_t h2, int32_t v2) {
  return PanelRect{std::min(h1, h2), std::min(v1, v2), std::max(h1, h2), std::max(v1, v2)};
}

}  // namespace

PanelLayout computePanelLayout(int32_t w) {
  const int32_t u = 2 * w / 9;          // large knob pitch
  const int32_t v = 2 * u / 3;          // small knob pitch
  const int32_t x0 = 3 * w / 20;        // left edge of the knob area
  const int32_t yS = u / 4 + u + 48;    // top of the small knob row
  const int32_t e = v / 4 + v - 12;     // small knob height
  const int32_t yB = yS + e;            // bottom of the small knob row
  const int32_t largeBottom = u / 4 + u + 36;

  PanelLayout l{};
  l.renderMenu = ordered(2 * u + x0, yS + e / 2, 3 * u + x0 - 12, yS + 3 * e / 4);
  l.renderCaption = ordered(2 * u + x0, yS + e / 4, 3 * u + x0 - 12, yS + e / 2);
  for (int32_t i = 0; i < 3; ++i) {
    l.knobs[i] = ordered(x0 + i * u, 48, x0 + (i + 1) * u - 12, largeBottom);
    l.knobs[3 + i] = ordered(x0 + i * v, yS, x0 + (i + 1) * v - 12, yB);
  }
  l.drySlider = ordered(12, 58, 28, yB);
  l.wetSlider = ordered(x0 - 28, 58, x0 - 12, yB);
  l.dryCaption = ordered(12, 48, 27, 57);
  l.wetCaption = ordered(x0 - 28, 48, x0 - 13, 57);
  l.levelScale = ordered(28, 48, x0 - 29, yB - 1);
  l.grooveDisplay = ordered(x0 + 3 * u, 47, w - 12, yB);
  l.helpStrip = ordered(w - 100, 0, w, 20);
  l.helpOverlay = ordered(0, 0, w, 284);
  return l;
}

int32_t sliderBottomRow(int32_t trackHeight, int32_t handleHeight) {
  return trackHeight - handleHeight + kSliderTopRow - 1;
}

}  // namespace gyrelle
