#include "toolkit/PanelBitmap.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "toolkit/BmpDecoder.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelResources.h"
#include "toolkit/Rasterizer.h"

namespace gyrelle {

namespace {

// An embedded picture never changes, so each is decoded once per process and
// shared by every bitmap made from it: a new instance's editor costs no
// decoding. Any thread that makes an editor; null for an unknown or
// undecodable id.
std::shared_ptr<const PanelSurface> decodedPicture(uint32_t resourceId) {
  static std::mutex lock;
  static std::map<uint32_t, std::shared_ptr<const PanelSurface>> pictures;
  std::lock_guard<std::mutex> guard(lock);
  auto known = pictures.find(resourceId);
  if (known != pictures.end()) return known->second;
  std::shared_ptr<PanelSurface> picture;
  const PanelResource* resource = findPanelResource(resourceId);
  DecodedBmp decoded;
  if (resource != nullptr && decodeBmp(resource->data, resource->size, decoded)) {
    picture = std::make_shared<PanelSurface>(decoded.width, decoded.height);
    std::copy(decoded.pixels.begin(), decoded.pixels.end(), picture->pixels());
  }
  pictures.emplace(resourceId, picture);
  return picture;
}

}  // namespace

PanelBitmap::PanelBitmap(uint32_t resourceId) : picture_(decodedPicture(resourceId)) {
  if (picture_ == nullptr) return;
  width_ = picture_->width();
  height_ = picture_->height();
}

PanelBitmap::PanelBitmap(PanelFrame*, int32_t width, int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

PanelBitmap::~PanelBitmap() = default;

void PanelBitmap::release() {
  if (--refCount_ <= 0) delete this;
}

void PanelBitmap::paint(Canvas& canvas, const PanelRect& r, PanelPoint offset) {
  if (!picture_ || canvas.surface() == nullptr) return;
  raster::copyBlock(*canvas.surface(), r.left, r.top, *picture_, offset.h, offset.v, r.width(),
                    r.height());
}

void PanelBitmap::paintMasked(Canvas& canvas, const PanelRect& r, PanelPoint offset) {
  if (!picture_ || canvas.surface() == nullptr) return;
  PanelSurface& target = *canvas.surface();
  // The picture goes to (r.left + offset.h, r.top + offset.v); of it, the
  // block of r's size at `offset` is shown, as the raster sequence of a
  // mask, an inverse mask and a work copy would leave it.
  const int64_t dx = int64_t(r.left) + offset.h, dy = int64_t(r.top) + offset.v;
  const int64_t w = std::min<int64_t>(r.width(), int64_t(width_) - offset.h);
  const int64_t h = std::min<int64_t>(r.height(), int64_t(height_) - offset.v);
  int32_t minX = target.width(), minY = target.height(), maxX = -1, maxY = -1;
  for (int64_t y = std::max<int64_t>(0, -int64_t(offset.v)); y < h; ++y) {
    const int64_t sy = offset.v + y, ty = dy + y;
    if (sy < 0 || sy >= height_ || ty < 0 || ty >= target.height()) continue;
    const uint32_t* from = picture_->pixels() + size_t(sy) * size_t(width_);
    uint32_t* into = target.pixels() + size_t(ty) * size_t(target.width());
    for (int64_t x = std::max<int64_t>(0, -int64_t(offset.h)); x < w; ++x) {
      const int64_t sx = offset.h + x, tx = dx + x;
      if (sx < 0 || sx >= width_ || tx < 0 || tx >= target.width()) continue;
      const uint32_t pixel = from[sx];
      if (pixel == 0x00FFFFFFu) continue;  // exact pure white lets the background through
      into[tx] = pixel;
      minX = std::min(minX, int32_t(tx));
      maxX = std::max(maxX, int32_t(tx));
      minY = std::min(minY, int32_t(ty));
      maxY = std::max(maxY, int32_t(ty));
    }
  }
  if (maxX >= 0) target.markChanged(minX, minY, maxX + 1, maxY + 1);
}

}  // namespace gyrelle
