// Where every widget of the panel sits, computed from the width of the
// background picture so that the widgets land on the wells painted into it.
// Plain arithmetic, any thread.
#pragma once

#include <cstdint>

#include "toolkit/PanelTypes.h"

namespace gyrelle {

struct PanelLayout {
  PanelRect renderMenu;
  PanelRect renderCaption;
  PanelRect knobs[6];  // tags 1 to 6: Grooves, Range, Speed, pitch bias, vol bias, loudest pitch
  PanelRect drySlider;
  PanelRect wetSlider;
  PanelRect dryCaption;
  PanelRect wetCaption;
  PanelRect levelScale;
  PanelRect grooveDisplay;
  PanelRect helpStrip;
  PanelRect helpOverlay;
};

// Each rectangle has its smaller coordinates first, whatever the width.
PanelLayout computePanelLayout(int32_t width);

// The panel's handle rows: the top of the slider handle at value 1 and at value 0.
constexpr int32_t kSliderTopRow = 58;
int32_t sliderBottomRow(int32_t trackHeight, int32_t handleHeight);

}  // namespace gyrelle
