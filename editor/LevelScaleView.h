// The decibel marks between the two level sliders, each at the height where
// a slider's handle shows that gain. Panel thread only.
#pragma once

#include <cstdint>

#include "toolkit/Widget.h"

namespace gyrelle {

class LevelScaleView : public ValueWidget {
 public:
  static constexpr int32_t kMarks = 8;

  // `fullScale` is the gain at the top of the slider travel (1.2 here);
  // a zero or NaN full scale puts every mark at the bottom margin.
  LevelScaleView(const PanelRect& rect, PanelColour background, PanelColour text, float fullScale);

  void draw(Canvas& canvas) override;

  // Top row of mark `index`'s text box (0 outside 0..7).
  int32_t markRow(int32_t index) const;
  static const char* markText(int32_t index);

 private:
  PanelColour background_;
  PanelColour text_;
  int32_t rows_[kMarks];
};

}  // namespace gyrelle
