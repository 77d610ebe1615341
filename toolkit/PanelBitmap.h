// One picture of the panel, shared between owners by reference counting.
// Whoever stores a pointer calls addRef, and release when letting go; the
// last release deletes it. Used on the panel window's thread.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/PanelSurface.h"
#include "toolkit/PanelTypes.h"

namespace gyrelle {

class Canvas;
class PanelFrame;

class PanelBitmap {
 public:
  // The picture embedded under `resourceId`; unknown or undecodable ids
  // give a 0 x 0 bitmap that paints nothing. Reference count 1.
  explicit PanelBitmap(uint32_t resourceId);
  // No picture, only a size (negative sizes become 0). Reference count 1.
  PanelBitmap(PanelFrame* frame, int32_t width, int32_t height);

  void addRef() { ++refCount_; }
  void release();
  int32_t refCount() const { return refCount_; }

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool hasPicture() const { return picture_ != nullptr; }
  // The picture's pixels, or null.
  const PanelSurface* picture() const { return picture_.get(); }

  // Copies a block of r's size from `offset` of the picture to (r.left, r.top).
  void paint(Canvas& canvas, const PanelRect& r, PanelPoint offset);
  // Draws every pixel of the picture that is not pure white at
  // (r.left + offset.h, r.top + offset.v), clipped to r's size.
  void paintMasked(Canvas& canvas, const PanelRect& r, PanelPoint offset);

 private:
  ~PanelBitmap();

  std::shared_ptr<const PanelSurface> picture_;  // the embedded pictures are shared, never changed
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t refCount_ = 1;
};

}  // namespace gyrelle
