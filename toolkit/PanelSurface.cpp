#include "toolkit/PanelSurface.h"

#include <algorithm>

namespace gyrelle {

namespace {
int32_t clampSide(int32_t side) { return std::clamp(side, 0, PanelSurface::kMaxSide); }
}  // namespace

PanelSurface::PanelSurface(int32_t width, int32_t height, uint32_t fill)
    : width_(clampSide(width)),
      height_(clampSide(height)),
      pixels_(size_t(width_) * size_t(height_), fill) {}

uint32_t PanelSurface::pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void PanelSurface::markChanged(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (presenter_ == nullptr || x0 >= x1 || y0 >= y1) return;
  if (!changed_) {
    region_ = PanelRect{x0, y0, x1, y1};
    changed_ = true;
    return;
  }
  region_.left = std::min(region_.left, x0);
  region_.top = std::min(region_.top, y0);
  region_.right = std::max(region_.right, x1);
  region_.bottom = std::max(region_.bottom, y1);
}

void PanelSurface::presentChanges() {
  if (!changed_) return;
  changed_ = false;
  if (presenter_ != nullptr) presenter_->present(*this, region_);
}

}  // namespace gyrelle
