#include "toolkit/Canvas.h"

#include <algorithm>

#include "toolkit/PanelBitmap.h"
#include "toolkit/PanelFonts.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/PanelPlatform.h"
#include "toolkit/Rasterizer.h"

namespace gyrelle {

Canvas::Canvas(PanelFrame* frame, PanelSurface* surface, PanelWindow* window)
    : frame_(frame), surface_(surface), window_(window) {
  if (surface_ == nullptr) return;
  SurfaceState& state = surface_->state();
  remembered_ = true;
  initialPen_ = state.pen;
  initialBrush_ = state.brush;
  initialFont_ = state.font;
  state.opaqueBackground = false;
  setPenColour(penColour_);
  setLineStyle(lineStyle_);
  setFillColour(fillColour_);
  setTextColour(textColour_);
}

Canvas::Canvas(PanelFrame* frame) : frame_(frame), surface_(nullptr), window_(nullptr) {}

Canvas::~Canvas() {
  if (surface_ == nullptr) return;
  if (remembered_) {
    SurfaceState& state = surface_->state();
    state.pen = initialPen_;
    state.brush = initialBrush_;
    state.font = initialFont_;
  }
  surface_->presentChanges();
}

PanelWindow* Canvas::window() const {
  if (window_ != nullptr) return window_;
  return frame_ != nullptr ? frame_->platformWindow() : nullptr;
}

void Canvas::applyPen() {
  if (surface_ == nullptr) return;
  SurfacePen& pen = surface_->state().pen;
  pen.colour = penColour_;
  pen.style = lineStyle_ == LineDotted ? LineDotted : LineSolid;
  pen.width = lineWidth_;
  pen.null = false;
}

void Canvas::setPenColour(PanelColour colour) {
  penColour_ = colour;
  applyPen();
}

void Canvas::setLineStyle(int32_t style) {
  lineStyle_ = style;
  applyPen();
}

void Canvas::setFillColour(PanelColour colour) {
  fillColour_ = colour;
  if (surface_ == nullptr) return;
  surface_->state().backColour = colour;
  surface_->state().brush = colour;
}

void Canvas::setTextColour(PanelColour colour) {
  textColour_ = colour;
  if (surface_ != nullptr) surface_->state().textColour = colour;
}

void Canvas::selectFont(PanelFontId id, int32_t size) {
  if (id < 0 || id >= kNumPanelFonts) id = 0;
  fontId_ = id;
  fontSize_ = size != 0 ? size : panelFontInfo(id).defaultSize;
  if (surface_ != nullptr) surface_->state().font = SurfaceFont{fontId_, fontSize_};
}

void Canvas::movePenTo(PanelPoint p) {
  if (surface_ == nullptr) return;
  surface_->state().penPosition = p;
  surface_->state().dotPhase = 0;
}

void Canvas::drawLineTo(PanelPoint p) {
  if (surface_ == nullptr) return;
  SurfaceState& state = surface_->state();
  raster::line(*surface_, state.penPosition, p, state.pen, state.dotPhase);
  state.penPosition = p;
}

void Canvas::drawPolyline(const PanelPoint* points, int32_t count) {
  if (surface_ == nullptr || points == nullptr || count < 2) return;
  // Polyline neither uses nor moves the current pen position.
  SurfaceState& state = surface_->state();
  int32_t phase = 0;
  for (int32_t i = 1; i < count; ++i) raster::line(*surface_, points[i - 1], points[i], state.pen, phase);
}

void Canvas::fillPolygon(const PanelPoint* points, int32_t count) {
  if (surface_ == nullptr) return;
  raster::fillPolygon(*surface_, points, count, colourPixel(surface_->state().brush));
}

void Canvas::outlineRect(const PanelRect& r) {
  if (surface_ == nullptr) return;
  movePenTo(PanelPoint{r.left, r.top});
  drawLineTo(PanelPoint{r.right, r.top});
  drawLineTo(PanelPoint{r.right, r.bottom});
  drawLineTo(PanelPoint{r.left, r.bottom});
  drawLineTo(PanelPoint{r.left, r.top});
}

void Canvas::fillInnerRect(const PanelRect& r) {
  if (surface_ == nullptr) return;
  raster::fillBox(*surface_, r.left + 1, r.top + 1, r.right, r.bottom,
                  colourPixel(surface_->state().brush));
}

void Canvas::fillInnerEllipse(const PanelRect& r) {
  if (surface_ == nullptr) return;
  raster::fillEllipse(*surface_, r.left + 1, r.top + 1, r.right, r.bottom,
                      colourPixel(surface_->state().brush));
}

void Canvas::fillInnerPie(const PanelRect& r, PanelPoint from, PanelPoint to) {
  if (surface_ == nullptr) return;
  raster::fillPie(*surface_, r.left + 1, r.top + 1, r.right, r.bottom, from, to,
                  colourPixel(surface_->state().brush));
}

void Canvas::drawText(const char* text, const PanelRect& r, bool opaque, int32_t alignment) {
  if (surface_ == nullptr) return;
  SurfaceState& state = surface_->state();
  state.opaqueBackground = opaque;
  if (text == nullptr) text = "";
  PanelFontId id = state.font.id;
  int32_t size = state.font.size != 0 ? state.font.size : panelFontInfo(id).defaultSize;
  // Far-off rectangles are pulled in to where no arithmetic can overflow; no
  // visible pixel changes, since surfaces are far smaller than the bound.
  auto near = [](int32_t v) { return std::clamp<int32_t>(v, -(1 << 20), 1 << 20); };
  PanelRect box{near(r.left), near(r.top), near(r.right), near(r.bottom)};
  if (alignment != AlignCentre && alignment != AlignRight) box.left += 1;
  const TextExtent extent = measurePanelText(id, size, text);
  const int32_t cellHeight = extent.ascent + extent.descent;
  // Half of the spare room, rounded toward zero, as a text line is centred.
  const int32_t top = box.top + (box.height() - cellHeight) / 2;
  int32_t x = box.left;
  if (alignment == AlignCentre) {
    x = box.left + (box.width() - extent.width) / 2;
  } else if (alignment == AlignRight) {
    x = box.right - extent.width;
  }
  if (opaque && extent.width > 0) {
    raster::fillBox(*surface_, std::max(x, box.left), std::max(top, box.top),
                    std::min(x + extent.width, box.right), std::min(top + cellHeight, box.bottom),
                    colourPixel(state.backColour));
  }
  drawPanelText(*surface_, id, size, text, int32_t(x), top + extent.ascent, box,
                colourPixel(state.textColour));
  state.opaqueBackground = false;
}

int32_t Canvas::readMouseButtons() {
  PanelWindow* w = window();
  return w != nullptr ? w->readMouseButtons() : 0;
}

void Canvas::readMousePosition(PanelPoint& where) {
  PanelWindow* w = window();
  where = w != nullptr ? w->readMousePosition() : PanelPoint{0, 0};
}

OffscreenCanvas::OffscreenCanvas(Canvas& source, PanelBitmap* bitmap)
    : Canvas(source.frame()),
      memory_(bitmap != nullptr ? bitmap->width() : 20, bitmap != nullptr ? bitmap->height() : 20) {
  attachSurface(&memory_);
  if (bitmap != nullptr) {
    bitmap->paint(*this, PanelRect{0, 0, bitmap->width(), bitmap->height()}, PanelPoint{0, 0});
  } else {
    setFillColour(ColourBlack);
    fillInnerRect(PanelRect{0, 0, width(), height()});
  }
}

OffscreenCanvas::OffscreenCanvas(PanelFrame* frame, int32_t width, int32_t height,
                                 PanelColour background)
    : Canvas(frame), memory_(width, height) {
  attachSurface(&memory_);
  setFillColour(background);
  setPenColour(background);
  fillInnerRect(PanelRect{0, 0, this->width(), this->height()});
  outlineRect(PanelRect{0, 0, this->width(), this->height()});
}

OffscreenCanvas::~OffscreenCanvas() { attachSurface(nullptr); }

void OffscreenCanvas::blitTo(Canvas& dest, const PanelRect& r, PanelPoint offset) {
  if (dest.surface() == nullptr) return;
  raster::copyBlock(*dest.surface(), r.left, r.top, memory_, offset.h, offset.v, r.width(),
                    r.height());
}

}  // namespace gyrelle
