// A tiny 5 x 7 bitmap font for the spectrogram's labels: digits, a few
// signs and the letters of its captions ("Input", "Output", "time (s)", "Hz", "k").
#pragma once

#include <cstdint>
#include <string>

#include "render/RgbImage.h"

namespace gyrelle::render {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Width in pixels of text drawn at scale (one blank column between glyphs).
// Main thread; pure.
int textWidth(const std::string& text, int scale);

// Draws text with its top left corner at (x, y), each font pixel a scale x
// scale square (descenders reach one row lower); characters the font lacks
// leave a gap. Main thread.
void drawText(RgbImage& image, const std::string& text, int x, int y, int scale, uint8_t r,
              uint8_t g, uint8_t b);

}  // namespace gyrelle::render
