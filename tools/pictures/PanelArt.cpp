#include "tools/pictures/PanelArt.h"

#include <algorithm>
#include <cmath>

#include "editor/PanelLayout.h"
#include "toolkit/Canvas.h"

namespace gyrelle::pictures {

namespace {

uint32_t rgb(int r, int g, int b) {
  auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
  return (c(r) << 16) | (c(g) << 8) | c(b);
}

PanelColour colourOf(uint32_t p) { return pixelColour(p); }

void put(PanelSurface& s, int x, int y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < s.width() && y < s.height()) s.pixels()[y * s.width() + x] = c;
}

// Every pixel with left <= x <= right and top <= y <= bottom, corners cut
// round by `radius`.
void fillRounded(PanelSurface& s, int left, int top, int right, int bottom, int radius, uint32_t c) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const int dx = std::max({left + radius - x, x - (right - radius), 0});
      const int dy = std::max({top + radius - y, y - (bottom - radius), 0});
      if (dx * dx + dy * dy <= radius * radius) put(s, x, y, c);
    }
  }
}

// A recess: its outline darker above and left, lighter below and right.
void sunkenWell(PanelSurface& s, int left, int top, int right, int bottom, int radius,
                uint32_t inside) {
  fillRounded(s, left - 2, top - 2, right + 1, bottom + 1, radius + 2, rgb(92, 94, 100));
  fillRounded(s, left - 1, top - 1, right + 2, bottom + 2, radius + 2, rgb(206, 208, 212));
  fillRounded(s, left - 1, top - 1, right + 1, bottom + 1, radius + 1, rgb(60, 62, 68));
  fillRounded(s, left, top, right, bottom, radius, inside);
}

void brushedFace(PanelSurface& s) {
  for (int y = 0; y < s.height(); ++y) {
    const float t = float(y) / float(s.height() - 1);
    const int base = int(184.0f - 40.0f * t);
    for (int x = 0; x < s.width(); ++x) {
      // A faint grain along the rows, always the same.
      const int grain = int((unsigned(x * 7919 + y * 104729) >> 3) % 5) - 2 + ((y % 2) ? 1 : 0);
      put(s, x, y, rgb(base + grain, base + 1 + grain, base + 5 + grain));
    }
  }
  // The raised edge of the face.
  for (int i = 0; i < 2; ++i) {
    for (int x = i; x < s.width() - i; ++x) {
      put(s, x, i, rgb(222, 224, 228));
      put(s, x, s.height() - 1 - i, rgb(86, 88, 94));
    }
    for (int y = i; y < s.height() - i; ++y) {
      put(s, i, y, rgb(222, 224, 228));
      put(s, s.width() - 1 - i, y, rgb(86, 88, 94));
    }
  }
}

void engravedText(Canvas& c, const char* text, PanelRect r, PanelFontId font, int size,
                  uint32_t ink, int alignment) {
  c.selectFont(font, size);
  c.setTextColour(colourOf(rgb(230, 232, 236)));
  c.drawText(text, PanelRect{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, false, alignment);
  c.setTextColour(colourOf(ink));
  c.drawText(text, r, false, alignment);
}

void screw(PanelSurface& s, int cx, int cy) {
  fillRounded(s, cx - 4, cy - 4, cx + 4, cy + 4, 4, rgb(96, 98, 104));
  fillRounded(s, cx - 3, cy - 3, cx + 3, cy + 3, 3, rgb(170, 172, 178));
  fillRounded(s, cx - 2, cy - 3, cx + 3, cy + 2, 2, rgb(196, 198, 204));
  for (int d = -2; d <= 2; ++d) put(s, cx + d, cy - d, rgb(70, 72, 78));
}

// The maker's mark: a ring with a swirl that turns inward.
void makerLogo(PanelSurface& s, Canvas& c, int cx, int cy) {
  fillRounded(s, cx - 15, cy - 15, cx + 15, cy + 15, 15, rgb(40, 44, 54));
  fillRounded(s, cx - 13, cy - 13, cx + 13, cy + 13, 13, rgb(22, 92, 112));
  for (int i = 0; i < 220; ++i) {
    const float a = float(i) * 0.06f;
    const float radius = 11.0f - float(i) * 0.045f;
    const int x = cx + int(std::lround(std::cos(a) * radius));
    const int y = cy + int(std::lround(std::sin(a) * radius));
    put(s, x, y, rgb(140, 240, 250));
    put(s, x + 1, y, rgb(90, 200, 220));
  }
  engravedText(c, "Quillfen", PanelRect{cx + 20, cy - 15, 410, cy + 1}, kFontArialBold12, 14,
               rgb(34, 38, 48), AlignLeft);
  engravedText(c, "EFFECTS", PanelRect{cx + 20, cy + 1, 410, cy + 15}, kFontArial11, 10,
               rgb(22, 92, 112), AlignLeft);
}

void knobWell(PanelSurface& s, const PanelRect& r) {
  const int w = r.width();
  const int k = r.height() - w;
  sunkenWell(s, r.left - 3, r.top - 3, r.right + 3, r.bottom + 3, 5, rgb(50, 52, 58));
  // Label well: the caption strip.
  fillRounded(s, r.left + 2, r.top + 2, r.right - 2, r.top + k - 2, 3, rgb(14, 14, 16));
  // Value well: the strip under the dial.
  fillRounded(s, r.left + 2, r.top + w + 1, r.right - 2, r.bottom - 1, 3, rgb(14, 14, 16));
  // The dial: a ring, and the 270-degree pie the needle sweeps.
  const int cx = r.left + w / 2;
  const int cy = r.top + k + w / 2;
  const int radius = w / 2;
  for (int y = r.top + k; y <= r.bottom; ++y) {
    for (int x = r.left; x <= r.right; ++x) {
      const float dx = float(x - cx) + 0.5f, dy = float(y - cy) + 0.5f;
      const float d = std::sqrt(dx * dx + dy * dy);
      // Angle from straight up, clockwise; the open quarter is at the bottom.
      const float angle = std::atan2(dx, -dy) * 57.29578f;
      const bool inSweep = std::fabs(angle) <= 135.0f;
      if (inSweep && d <= float(radius) + 0.5f && d > float(radius) - 1.5f) {
        put(s, x, y, rgb(128, 132, 140));
      } else if (d <= float(radius) - 1.5f && inSweep) {
        put(s, x, y, rgb(74, 76, 84));
      }
    }
  }
  // Tick marks at both ends of the sweep and at the top.
  for (float a : {-135.0f, -67.5f, 0.0f, 67.5f, 135.0f}) {
    const float rad = a / 57.29578f;
    for (int t = radius - 6; t < radius - 1; ++t) {
      put(s, cx + int(std::sin(rad) * float(t)), cy - int(std::cos(rad) * float(t)), rgb(170, 174, 182));
    }
  }
}

}  // namespace

void drawPanelFace(PanelSurface& s) {
  Canvas c(nullptr, &s, nullptr);
  brushedFace(s);
  const PanelLayout l = computePanelLayout(s.width());

  // Title and subtitle at the top left.
  engravedText(c, "GYRELLE", PanelRect{12, 3, 260, 31}, kFontArialBold12, 26, rgb(36, 40, 50), AlignLeft);
  engravedText(c, "endless glissando", PanelRect{14, 29, 260, 43}, kFontArial11, 11, rgb(22, 92, 112),
               AlignLeft);
  makerLogo(s, c, 318, 23);

  // The left well: level sliders, their captions and the scale.
  sunkenWell(s, l.dryCaption.left - 3, l.dryCaption.top - 3, l.wetSlider.right + 3,
             l.drySlider.bottom + 3, 4, rgb(0, 0, 0));
  // The right well: the groove display.
  sunkenWell(s, l.grooveDisplay.left - 3, l.grooveDisplay.top - 2, l.grooveDisplay.right + 3,
             l.grooveDisplay.bottom + 3, 4, rgb(0, 0, 0));
  for (const PanelRect& r : l.knobs) knobWell(s, r);
  // The render level box around its caption and menu.
  sunkenWell(s, l.renderCaption.left - 6, l.renderCaption.top - 6, l.renderMenu.right + 6,
             l.renderMenu.bottom + 6, 5, rgb(30, 31, 36));

  // The foot of the panel, below the help overlay.
  const int foot = l.drySlider.bottom + 10;
  for (int x = 10; x < s.width() - 10; ++x) {
    put(s, x, foot, rgb(110, 112, 118));
    put(s, x, foot + 1, rgb(204, 206, 210));
  }
  engravedText(c, "QuillfenSoundSoftware", PanelRect{24, foot + 6, 250, foot + 30}, kFontArial11, 11,
               rgb(52, 56, 66), AlignLeft);
  engravedText(c, "spectral groove shifter  -  v1.4", PanelRect{250, foot + 6, 490, foot + 30},
               kFontArial11, 11, rgb(52, 56, 66), AlignRight);
  screw(s, 10, s.height() - 12);
  screw(s, s.width() - 11, s.height() - 12);
}

void drawSliderTrack(PanelSurface& s) {
  const uint32_t black = rgb(0, 0, 0);
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) put(s, x, y, black);
  // Tick marks beside the groove, where the scale's marks are.
  const int marks[] = {19, 39, 57, 73, 88, 112, 154, 204};
  for (int m : marks) {
    for (int x : {1, 2, 3, 12, 13, 14}) put(s, x, m, rgb(72, 72, 72));
  }
  for (int y = 4; y < s.height() - 4; ++y) {
    put(s, 6, y, rgb(36, 36, 36));
    put(s, 7, y, rgb(110, 110, 110));
    put(s, 8, y, rgb(128, 128, 128));
    put(s, 9, y, rgb(168, 168, 168));
  }
}

void drawSliderHandle(PanelSurface& s) {
  const uint32_t transparent = rgb(255, 255, 255);
  const int w = s.width(), h = s.height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = (y % 2 == 0) ? rgb(196, 198, 202) : rgb(124, 126, 132);
      if (y == 0) c = rgb(232, 234, 238);
      if (y == h - 1) c = rgb(70, 72, 78);
      if (y == h / 2 - 1 || y == h / 2) c = rgb(32, 34, 40);  // the indicator line
      if (x == 0) c = rgb(214, 216, 220);
      if (x == w - 1) c = rgb(84, 86, 92);
      put(s, x, y, c);
    }
  }
  // Rounded corners let the track show through.
  for (PanelPoint p : {PanelPoint{0, 0}, PanelPoint{1, 0}, PanelPoint{0, 1}, PanelPoint{w - 1, 0},
                       PanelPoint{w - 2, 0}, PanelPoint{w - 1, 1}, PanelPoint{0, h - 1},
                       PanelPoint{1, h - 1}, PanelPoint{0, h - 2}, PanelPoint{w - 1, h - 1},
                       PanelPoint{w - 2, h - 1}, PanelPoint{w - 1, h - 2}}) {
    put(s, p.h, p.v, transparent);
  }
}

}  // namespace gyrelle::pictures
