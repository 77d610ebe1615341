// A box with one line of text: filled or bitmap background, optional
// outline or bevel, text in a chosen font, colour and alignment, optionally
// with a drop shadow. By default it shows its value with two decimals.
// Used on the panel window's thread (drawn from a host thread only through
// redrawNow); it touches only its own fields and the canvas it is given.
#pragma once

#include <cstdint>

#include "toolkit/PanelTypes.h"
#include "toolkit/Widget.h"

namespace gyrelle {

class PanelBitmap;

constexpr int32_t StyleShadowText = 4;
constexpr int32_t StyleBevelIn = 128;
constexpr int32_t StyleBevelOut = 256;
constexpr int32_t StyleMenuAtTop = 512;
constexpr int32_t StyleMenuCheck = 1024;

constexpr int32_t kTextBufferSize = 256;

// Writes the text for `value` into a buffer of kTextBufferSize bytes.
using TextFormatter = void (*)(float value, char* text);

class TextDisplay : public ValueWidget {
 public:
  // Adds a reference to `background` (may be null).
  TextDisplay(const PanelRect& rect, PanelBitmap* background, int32_t style);
  ~TextDisplay() override;

  void draw(Canvas& canvas) override;

  // The look setters force the next refresh to redraw when they change something.
  virtual void setFont(PanelFontId font);
  virtual void setTextColour(PanelColour colour);
  virtual void setBackColour(PanelColour colour);
  virtual void setFrameColour(PanelColour colour);
  virtual void setShadowColour(PanelColour colour);
  virtual void setAlignment(int32_t alignment);
  virtual void setBitmapOffset(PanelPoint offset);
  virtual void setFormatter(TextFormatter formatter);

  // The box drawing shared with derived classes; `bitmap` (may be null)
  // replaces the background for this draw. A null text draws as empty.
  void drawTextBox(Canvas& canvas, const char* text, PanelBitmap* bitmap);

  int32_t alignment() const { return alignment_; }
  int32_t style() const { return style_; }
  PanelFontId font() const { return font_; }
  PanelColour textColour() const { return textColour_; }
  PanelColour backColour() const { return backColour_; }
  PanelColour frameColour() const { return frameColour_; }
  PanelColour shadowColour() const { return shadowColour_; }
  PanelPoint bitmapOffset() const { return bitmapOffset_; }
  PanelBitmap* background() const { return background_; }

 protected:
  void forceRedraw() { drawnValue_ = value_ + 0.1f; }

  int32_t alignment_ = AlignCentre;
  int32_t style_;
  PanelFontId font_ = kFontArial12;
  PanelColour textColour_ = ColourWhite;
  PanelColour backColour_ = ColourBlack;
  PanelColour frameColour_ = ColourBlack;
  PanelColour shadowColour_ = ColourRed;
  PanelPoint bitmapOffset_{0, 0};
  PanelBitmap* background_;
  TextFormatter formatter_ = nullptr;
};

}  // namespace gyrelle
