#include "toolkit/TextDisplay.h"

#include <cstdio>

#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle {

TextDisplay::TextDisplay(const PanelRect& r, PanelBitmap* background, int32_t style)
    : ValueWidget(r, nullptr, 0), style_(style), background_(background) {
  if (background_ != nullptr) background_->addRef();
}

TextDisplay::~TextDisplay() {
  if (background_ != nullptr) background_->release();
}

void TextDisplay::draw(Canvas& canvas) {
  char text[kTextBufferSize];
  if (formatter_ != nullptr) {
    text[0] = 0;
    formatter_(value_, text);
    text[kTextBufferSize - 1] = 0;  // a formatter that forgot the terminator stays inside
  } else {
    std::snprintf(text, sizeof text, "%2.2f", double(value_));
  }
  drawTextBox(canvas, text, nullptr);
}

void TextDisplay::drawTextBox(Canvas& canvas, const char* text, PanelBitmap* bitmap) {
  const PanelRect& r = rect;
  PanelBitmap* picture = bitmap != nullptr ? bitmap : background_;
  const bool bevel = (style_ & (StyleBevelIn | StyleBevelOut)) != 0;
  if (picture != nullptr) {
    picture->paint(canvas, r, bitmapOffset_);
  } else {
    canvas.setFillColour(backColour_);
    canvas.fillInnerRect(r);
    if (!bevel) {
      canvas.setPenColour(frameColour_);
      canvas.outlineRect(r);
    }
  }
  if (bevel) {
    const bool in = (style_ & StyleBevelIn) != 0;
    canvas.setPenColour(in ? backColour_ : frameColour_);
    canvas.movePenTo(PanelPoint{r.left, r.bottom});
    canvas.drawLineTo(PanelPoint{r.left, r.top});
    canvas.drawLineTo(PanelPoint{r.right + 1, r.top});
    canvas.setPenColour(in ? frameColour_ : backColour_);
    canvas.movePenTo(PanelPoint{r.right, r.top + 1});
    canvas.drawLineTo(PanelPoint{r.right, r.bottom});
    canvas.drawLineTo(PanelPoint{r.left, r.bottom});
  }
  canvas.selectFont(font_, 0);
  if (style_ & StyleShadowText) {
    canvas.setTextColour(shadowColour_);
    canvas.drawText(text, PanelRect{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, false,
                    alignment_);
  }
  canvas.setTextColour(textColour_);
  canvas.drawText(text, r, false, alignment_);
  drawnValue_ = value_;
}

void TextDisplay::setFont(PanelFontId font) {
  if (font != font_) forceRedraw();
  font_ = font;
}

void TextDisplay::setTextColour(PanelColour c) {
  if (!sameColour(c, textColour_)) forceRedraw();
  textColour_ = c;
}

void TextDisplay::setBackColour(PanelColour c) {
  if (!sameColour(c, backColour_)) forceRedraw();
  backColour_ = c;
}

void TextDisplay::setFrameColour(PanelColour c) {
  if (!sameColour(c, frameColour_)) forceRedraw();
  frameColour_ = c;
}

void TextDisplay::setShadowColour(PanelColour c) {
  if (!sameColour(c, shadowColour_)) forceRedraw();
  shadowColour_ = c;
}

void TextDisplay::setAlignment(int32_t alignment) {
  if (alignment != alignment_) forceRedraw();
  alignment_ = alignment;
}

void TextDisplay::setBitmapOffset(PanelPoint offset) { bitmapOffset_ = offset; }
void TextDisplay::setFormatter(TextFormatter formatter) { formatter_ = formatter; }

}  // namespace gyrelle
