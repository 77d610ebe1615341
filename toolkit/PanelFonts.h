// Text for the canvas: the font table's faces found with fontconfig and
// loaded once per process with FreeType, glyphs rendered in monochrome and
// cached for good. Any thread may draw; loading and caching are guarded, and
// drawing a text whose glyphs are cached allocates nothing.
#pragma once

#include <cstdint>

#include "toolkit/PanelSurface.h"
#include "toolkit/PanelTypes.h"

namespace gyrelle {

struct TextExtent {
  int32_t width = 0;    // sum of the glyph advances
  int32_t ascent = 0;   // pixels above the baseline
  int32_t descent = 0;  // pixels below it
};

// `size` is the height of the characters in pixels (its magnitude is used,
// limited to 1..512). A null text measures as empty.
TextExtent measurePanelText(PanelFontId id, int32_t size, const char* text);

// Draws `text` with its left end at x and its baseline at `baseline`, only
// inside the clip box (right and bottom exclusive).
void drawPanelText(PanelSurface& surface, PanelFontId id, int32_t size, const char* text,
                   int32_t x, int32_t baseline, const PanelRect& clip, uint32_t pixel);

// The font file chosen for a table id ("" when none was found), for tests
// and diagnostics.
const char* panelFontFile(PanelFontId id);

}  // namespace gyrelle
