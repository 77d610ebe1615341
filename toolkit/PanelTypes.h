// The small records and constants every panel drawing and widget shares:
// colours, points, rectangles, the font table ids, mouse and modifier bits,
// line styles and text alignments. Plain values, usable from any thread.
#pragma once

#include <cstdint>

namespace gyrelle {

struct PanelColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t alpha;  // carried along, never drawn and never compared
};

// Colours differ when red, green or blue differ; alpha is ignored.
inline bool sameColour(PanelColour a, PanelColour b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The 24-bit value red + green * 256 + blue * 65536.
inline uint32_t colourValue(PanelColour c) {
  return uint32_t(c.red) | (uint32_t(c.green) << 8) | (uint32_t(c.blue) << 16);
}

// Surface pixels are 32-bit 0x00RRGGBB words (the X server's TrueColor layout).
inline uint32_t colourPixel(PanelColour c) {
  return (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | uint32_t(c.blue);
}

inline PanelColour pixelColour(uint32_t pixel) {
  return PanelColour{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 0};
}

constexpr PanelColour ColourTransparent{255, 255, 255, 0};  // key colour of masked bitmaps
constexpr PanelColour ColourBlack{0, 0, 0, 0};
constexpr PanelColour ColourWhite{255, 255, 255, 0};
constexpr PanelColour ColourGrey{127, 127, 127, 0};
constexpr PanelColour ColourRed{255, 0, 0, 0};
constexpr PanelColour ColourGreen{0, 255, 0, 0};
constexpr PanelColour ColourBlue{0, 0, 255, 0};
constexpr PanelColour ColourYellow{255, 255, 0, 0};
constexpr PanelColour ColourMagenta{255, 0, 255, 0};
constexpr PanelColour ColourCyan{0, 255, 255, 0};

struct PanelPoint {
  int32_t h;
  int32_t v;
};

// Edges inclusive: a rectangle contains (h, v) when left <= h <= right and
// top <= v <= bottom. Never normalised.
struct PanelRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;

  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool contains(PanelPoint p) const {
    return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
  }
};

// Index into the font table; anything outside 0..6 means 0.
using PanelFontId = int32_t;
constexpr PanelFontId kFontArialBold12 = 0;
constexpr PanelFontId kFontArial18 = 1;
constexpr PanelFontId kFontArial14 = 2;
constexpr PanelFontId kFontArial12 = 3;
constexpr PanelFontId kFontArial11 = 4;
constexpr PanelFontId kFontSmall9 = 5;
constexpr PanelFontId kFontSymbol13 = 6;
constexpr int kNumPanelFonts = 7;

struct PanelFontInfo {
  const char* faceName;
  int32_t defaultSize;  // pixels: the height of the characters themselves
  int32_t weight;       // 400 normal, 700 bold
  bool decorative;      // the symbol face; the others are proportional sans-serif
};

// The fixed font table, indexed by PanelFontId.
const PanelFontInfo& panelFontInfo(PanelFontId id);

// Bits of readMouseButtons: the live buttons and modifier keys.
constexpr int32_t MouseLeft = 1;
constexpr int32_t MouseMiddle = 2;
constexpr int32_t MouseRight = 4;
constexpr int32_t ModShift = 8;
constexpr int32_t ModControl = 16;
constexpr int32_t ModAlt = 32;

constexpr int32_t LineSolid = 0;
constexpr int32_t LineDotted = 1;

constexpr int32_t AlignLeft = 0;
constexpr int32_t AlignCentre = 1;
constexpr int32_t AlignRight = 2;

}  // namespace gyrelle
