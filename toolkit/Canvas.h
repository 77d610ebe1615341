// The only way the panel draws. A Canvas wraps one surface (the panel
// window's, or an offscreen one) with the current pen, fill and text
// settings; it is made for one paint, press, immediate redraw or refresh
// pass and destroyed right after, which puts the surface's pen, brush and
// font back and shows what changed on a window surface.
// A canvas is used by the one thread that made it.
#pragma once

#include <cstdint>

#include "toolkit/PanelSurface.h"
#include "toolkit/PanelTypes.h"

namespace gyrelle {

class PanelFrame;
class PanelWindow;
class PanelBitmap;

class Canvas {
 public:
  // `surface` may be null: then every primitive draws nothing. `window` is
  // where live pointer input is read (null: the frame's window, if any).
  Canvas(PanelFrame* frame, PanelSurface* surface, PanelWindow* window);
  virtual ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void setPenColour(PanelColour colour);
  void setLineStyle(int32_t style);
  void setFillColour(PanelColour colour);
  void setTextColour(PanelColour colour);
  // Invalid ids mean 0; size 0 means the table's default size.
  void selectFont(PanelFontId id, int32_t size);

  void movePenTo(PanelPoint p);
  void drawLineTo(PanelPoint p);  // the end point is not drawn
  void drawPolyline(const PanelPoint* points, int32_t count);
  void fillPolygon(const PanelPoint* points, int32_t count);  // even-odd, no outline
  void outlineRect(const PanelRect& r);                       // all four edges
  void fillInnerRect(const PanelRect& r);     // (left+1, top+1)..(right, bottom) exclusive
  void fillInnerEllipse(const PanelRect& r);  // inside (left+1, top+1)..(right, bottom)
  void fillInnerPie(const PanelRect& r, PanelPoint from, PanelPoint to);
  // One line of text, centred vertically, aligned as asked, clipped to `r`;
  // opaque paints the text cell in the fill colour first.
  void drawText(const char* text, const PanelRect& r, bool opaque, int32_t alignment);

  // Live buttons and modifiers (MouseLeft | ModShift ...), 0 without a window.
  int32_t readMouseButtons();
  // Live pointer position in the window's coordinates ((0, 0) without a window).
  void readMousePosition(PanelPoint& where);

  PanelFrame* frame() const { return frame_; }
  PanelSurface* surface() const { return surface_; }
  PanelWindow* window() const;
  int32_t fontSize() const { return fontSize_; }
  PanelFontId fontId() const { return fontId_; }
  PanelColour textColour() const { return textColour_; }
  PanelColour penColour() const { return penColour_; }
  PanelColour fillColour() const { return fillColour_; }
  int32_t lineStyle() const { return lineStyle_; }
  int32_t lineWidth() const { return lineWidth_; }

 protected:
  // For OffscreenCanvas: a canvas whose surface is set up afterwards.
  explicit Canvas(PanelFrame* frame);
  void attachSurface(PanelSurface* surface) { surface_ = surface; }

 private:
  void applyPen();

  PanelFrame* frame_;
  PanelSurface* surface_;
  PanelWindow* window_;
  int32_t fontSize_ = 0;
  PanelFontId fontId_ = kFontArial12;
  PanelColour textColour_ = ColourWhite;
  int32_t lineWidth_ = 1;
  PanelColour penColour_ = ColourWhite;
  PanelColour fillColour_ = ColourBlack;
  int32_t lineStyle_ = LineSolid;
  bool remembered_ = false;
  SurfacePen initialPen_;
  PanelColour initialBrush_ = ColourWhite;
  SurfaceFont initialFont_;
};

// A canvas on a memory surface of its own, for composing a picture that is
// then copied to the window in one step.
class OffscreenCanvas : public Canvas {
 public:
  // Sized like `bitmap` (20 x 20 without one) and starting with its picture,
  // or black without one.
  OffscreenCanvas(Canvas& source, PanelBitmap* bitmap);
  // width x height filled with `background`.
  OffscreenCanvas(PanelFrame* frame, int32_t width, int32_t height, PanelColour background);
  ~OffscreenCanvas() override;

  // Copies a block of r's size from `offset` of this surface to (r.left, r.top) of dest.
  void blitTo(Canvas& dest, const PanelRect& r, PanelPoint offset);

  int32_t width() const { return memory_.width(); }
  int32_t height() const { return memory_.height(); }
  PanelSurface& memory() { return memory_; }

 private:
  PanelSurface memory_;
};

}  // namespace gyrelle
