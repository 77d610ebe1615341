// A drawing surface: a 32-bit pixel buffer (0x00RRGGBB) plus the drawing
// state that canvases select into it (pen, brush, font, colours, pen
// position). The panel window's surface also collects the region that
// changed since it was last shown, and hands it to its presenter when a
// canvas on it is destroyed.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/PanelTypes.h"

namespace gyrelle {

// What a canvas selects into a surface and puts back when it is destroyed.
struct SurfacePen {
  PanelColour colour = ColourBlack;
  int32_t style = LineSolid;
  int32_t width = 1;
  bool null = false;  // the null pen: nothing is drawn
};

struct SurfaceFont {
  PanelFontId id = kFontArial12;
  int32_t size = 0;  // 0: no font selected yet (the surface's default font)
};

struct SurfaceState {
  SurfacePen pen;
  PanelColour brush = ColourWhite;
  SurfaceFont font;
  PanelColour textColour = ColourBlack;
  PanelColour backColour = ColourWhite;
  bool opaqueBackground = false;
  PanelPoint penPosition{0, 0};
  int32_t dotPhase = 0;  // where a dotted pen is in its pattern
};

class PanelSurface;

// Shows a changed region of a surface (the panel window's platform side).
class SurfacePresenter {
 public:
  virtual ~SurfacePresenter() = default;
  // Called by the thread whose canvas on the surface is being destroyed.
  virtual void present(const PanelSurface& surface, const PanelRect& region) = 0;
};

// Used by one thread at a time: the one whose canvas draws on it.
class PanelSurface {
 public:
  // Sizes below 0 become 0; each side is limited to kMaxSide pixels.
  static constexpr int32_t kMaxSide = 8192;
  PanelSurface(int32_t width, int32_t height, uint32_t fill = 0);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  uint32_t* pixels() { return pixels_.data(); }
  const uint32_t* pixels() const { return pixels_.data(); }
  // 0 outside the surface.
  uint32_t pixel(int32_t x, int32_t y) const;
  const std::vector<uint32_t>& pixelVector() const { return pixels_; }

  SurfaceState& state() { return state_; }

  // Changed-region bookkeeping (right and bottom exclusive, already clipped).
  void markChanged(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  bool hasChanges() const { return changed_; }
  void setPresenter(SurfacePresenter* presenter) { presenter_ = presenter; }
  // Hands the changed region to the presenter (if any) and forgets it.
  void presentChanges();

 private:
  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> pixels_;
  SurfaceState state_;
  SurfacePresenter* presenter_ = nullptr;
  bool changed_ = false;
  PanelRect region_{0, 0, 0, 0};
};

}  // namespace gyrelle
