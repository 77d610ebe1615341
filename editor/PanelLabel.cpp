#include "editor/PanelLabel.h"

#include <cstring>

#include "toolkit/Canvas.h"

namespace gyrelle {

PanelLabel::PanelLabel(const PanelRect& rect) : TextDisplay(rect, nullptr, 0) {}

void PanelLabel::draw(Canvas& canvas) {
  canvas.setFillColour(backColour_);
  canvas.fillInnerRect(rect);
  canvas.setPenColour(frameColour_);
  canvas.outlineRect(rect);
  canvas.selectFont(font_, 0);
  canvas.setTextColour(textColour_);
  canvas.drawText(caption_, rect, false, AlignCentre);
  drawnValue_ = value_;
}

void PanelLabel::setLabelText(const char* text) {
  if (text == nullptr) text = "";
  const size_t n = strnlen(text, kCaptionBytes - 1);
  std::memcpy(caption_, text, n);
  caption_[n] = '\0';
  redrawNow();
}

}  // namespace gyrelle
