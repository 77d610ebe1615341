#include "editor/LevelScaleView.h"

#include <cmath>

#include "toolkit/Canvas.h"

namespace gyrelle {

namespace {

constexpr int32_t kMargin = 10;
constexpr const char* kTexts[LevelScaleView::kMarks] = {"1", "0", "-1", "-2", "-3", "-5", "-10", "-oo"};
// The bottom mark reads minus infinity but sits at -35 dB.
constexpr float kDecibels[LevelScaleView::kMarks] = {1, 0, -1, -2, -3, -5, -10, -35};

}  // namespace

LevelScaleView::LevelScaleView(const PanelRect& rect, PanelColour background, PanelColour text,
                               float fullScale)
    : ValueWidget(rect, nullptr, 0), background_(background), text_(text) {
  const int32_t span = rect.bottom - 2 * kMargin - rect.top;
  for (int32_t i = 0; i < kMarks; ++i) {
    const float gain = std::pow(10.0f, kDecibels[i] * 0.05f);
    float offset = gain * float(span) / fullScale;
    if (!(std::fabs(offset) < 1e6f)) offset = 0.0f;  // no usable full scale
    rows_[i] = rect.bottom - int32_t(offset) - kMargin;
  }
}

int32_t LevelScaleView::markRow(int32_t index) const {
  return index >= 0 && index < kMarks ? rows_[index] : 0;
}

const char* LevelScaleView::markText(int32_t index) {
  return index >= 0 && index < kMarks ? kTexts[index] : "";
}

void LevelScaleView::draw(Canvas& canvas) {
  canvas.setPenColour(background_);
  canvas.setFillColour(background_);
  canvas.outlineRect(rect);
  canvas.fillInnerRect(rect);
  canvas.selectFont(kFontSmall9, 0);
  canvas.setTextColour(text_);
  for (int32_t i = 0; i < kMarks; ++i) {
    canvas.drawText(kTexts[i], PanelRect{rect.left, rows_[i], rect.right, rows_[i] + 10}, false,
                    AlignCentre);
  }
  drawnValue_ = value_;
}

}  // namespace gyrelle
