#include "toolkit/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace gyrelle::raster {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int32_t kDotOn = 3;     // a dotted pen: three pixels on...
constexpr int32_t kDotPeriod = 6;  // ...three off

inline void plot(PanelSurface& s, int32_t x, int32_t y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= s.width() || y >= s.height()) return;
  s.pixels()[size_t(y) * size_t(s.width()) + size_t(x)] = pixel;
}

// Fills pixels of row y whose centres lie in [xa, xb).
void span(PanelSurface& s, int32_t y, double xa, double xb, uint32_t pixel) {
  if (y < 0 || y >= s.height()) return;
  double first = std::ceil(xa - 0.5);
  double last = std::ceil(xb - 0.5);
  int32_t x0 = int32_t(std::max(first, 0.0));
  int32_t x1 = int32_t(std::min(last, double(s.width())));
  if (x0 >= x1) return;
  std::fill_n(s.pixels() + size_t(y) * size_t(s.width()) + size_t(x0), size_t(x1 - x0), pixel);
  s.markChanged(x0, y, x1, y + 1);
}

// Lines far outside any surface are first cut to a box just around it, so
// that absurd coordinates cost nothing and cannot overflow. Lines within
// +-65536 keep their exact pixels. False when nothing of the line is near.
bool clipFarLine(const PanelSurface& s, PanelPoint& from, PanelPoint& to) {
  constexpr int32_t kNear = 65536;
  auto near = [](PanelPoint p) {
    return p.h > -kNear && p.h < kNear && p.v > -kNear && p.v < kNear;
  };
  if (near(from) && near(to)) return true;
  const double x0 = from.h, y0 = from.v, ddx = double(to.h) - from.h, ddy = double(to.v) - from.v;
  double t0 = 0, t1 = 1;
  const double lo[2] = {-2.0, -2.0}, hi[2] = {s.width() + 2.0, s.height() + 2.0};
  const double p0[2] = {x0, y0}, d[2] = {ddx, ddy};
  for (int axis = 0; axis < 2; ++axis) {
    if (d[axis] == 0) {
      if (p0[axis] < lo[axis] || p0[axis] > hi[axis]) return false;
      continue;
    }
    double ta = (lo[axis] - p0[axis]) / d[axis], tb = (hi[axis] - p0[axis]) / d[axis];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  from = PanelPoint{int32_t(std::lround(x0 + t0 * ddx)), int32_t(std::lround(y0 + t0 * ddy))};
  to = PanelPoint{int32_t(std::lround(x0 + t1 * ddx)), int32_t(std::lround(y0 + t1 * ddy))};
  return true;
}

double normalisedAngle(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

}  // namespace

void fillBox(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, s.width());
  y1 = std::min(y1, s.height());
  if (x0 >= x1 || y0 >= y1) return;
  for (int32_t y = y0; y < y1; ++y) {
    std::fill_n(s.pixels() + size_t(y) * size_t(s.width()) + size_t(x0), size_t(x1 - x0), pixel);
  }
  s.markChanged(x0, y0, x1, y1);
}

void line(PanelSurface& s, PanelPoint from, PanelPoint to, const SurfacePen& pen,
          int32_t& dotPhase) {
  if (pen.null) return;
  const uint32_t pixel = colourPixel(pen.colour);
  if (!clipFarLine(s, from, to)) return;
  int32_t x = from.h, y = from.v;
  const int32_t dx = std::abs(to.h - x), dy = -std::abs(to.v - y);
  const int32_t sx = x < to.h ? 1 : -1, sy = y < to.v ? 1 : -1;
  int32_t err = dx + dy;
  const int32_t steps = std::max(dx, -dy);  // pixels drawn: the end point is left out
  int32_t minX = s.width(), minY = s.height(), maxX = -1, maxY = -1;
  for (int32_t i = 0; i < steps; ++i) {
    bool on = pen.style != LineDotted || (dotPhase % kDotPeriod) < kDotOn;
    dotPhase = (dotPhase + 1) % kDotPeriod;
    if (on && x >= 0 && y >= 0 && x < s.width() && y < s.height()) {
      plot(s, x, y, pixel);
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
    const int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  if (maxX >= 0) s.markChanged(minX, minY, maxX + 1, maxY + 1);
}

void fillPolygon(PanelSurface& s, const PanelPoint* points, int32_t count, uint32_t pixel) {
  if (points == nullptr || count < 3) return;
  int32_t top = points[0].v, bottom = points[0].v;
  for (int32_t i = 1; i < count; ++i) {
    top = std::min(top, points[i].v);
    bottom = std::max(bottom, points[i].v);
  }
  top = std::max(top, 0);
  bottom = std::min(bottom, s.height());
  std::vector<double> crossings;
  crossings.reserve(size_t(count));
  for (int32_t y = top; y < bottom; ++y) {
    const double yc = y + 0.5;
    crossings.clear();
    for (int32_t i = 0; i < count; ++i) {
      // Vertices are pixel centres: a point (h, v) sits at (h + 0.5, v + 0.5).
      const PanelPoint a = points[i];
      const PanelPoint b = points[(i + 1) % count];
      const double ay = a.v + 0.5, by = b.v + 0.5;
      if (ay == by) continue;
      const double lo = std::min(ay, by), hi = std::max(ay, by);
      if (yc < lo || yc >= hi) continue;
      const double t = (yc - ay) / (by - ay);
      crossings.push_back(a.h + 0.5 + t * (double(b.h) - a.h));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      span(s, y, crossings[i], crossings[i + 1], pixel);
    }
  }
}

namespace {

// Walks the ellipse in the box row by row; `inside(x, y)` filters pixels.
template <typename Filter>
void ellipseRows(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel,
                 Filter inside) {
  if (x0 >= x1 || y0 >= y1) return;
  const double cx = (double(x0) + x1) / 2, cy = (double(y0) + y1) / 2;
  const double a = (double(x1) - x0) / 2, b = (double(y1) - y0) / 2;
  const int32_t rowFirst = std::max(y0, 0), rowEnd = std::min(y1, s.height());
  for (int32_t y = rowFirst; y < rowEnd; ++y) {
    const double dy = (y + 0.5 - cy) / b;
    const double q = 1.0 - dy * dy;
    if (q < 0) continue;
    const double half = a * std::sqrt(q);
    const double xa = cx - half, xb = cx + half;
    // Centres in [xa, xb]: the right end is inclusive for a symmetric shape.
    int32_t first = int32_t(std::max(std::ceil(xa - 0.5), double(std::max(x0, 0))));
    int32_t last = int32_t(std::min(std::floor(xb - 0.5), double(std::min(x1, s.width()) - 1)));
    int32_t runStart = -1;
    for (int32_t x = first; x <= last + 1; ++x) {
      bool in = x <= last && inside(x + 0.5 - cx, cy - (y + 0.5));
      if (in && runStart < 0) runStart = x;
      if (!in && runStart >= 0) {
        std::fill_n(s.pixels() + size_t(y) * size_t(s.width()) + size_t(runStart),
                    size_t(x - runStart), pixel);
        s.markChanged(runStart, y, x, y + 1);
        runStart = -1;
      }
    }
  }
}

}  // namespace

void fillEllipse(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel) {
  ellipseRows(s, x0, y0, x1, y1, pixel, [](double, double) { return true; });
}

void fillPie(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, PanelPoint from,
             PanelPoint to, uint32_t pixel) {
  const double cx = (double(x0) + x1) / 2, cy = (double(y0) + y1) / 2;
  // Angles grow counter-clockwise as seen on screen (v grows downward).
  const double start = std::atan2(cy - (from.v + 0.5), from.h + 0.5 - cx);
  const double end = std::atan2(cy - (to.v + 0.5), to.h + 0.5 - cx);
  double sweep = normalisedAngle(end - start);
  if (sweep == 0) sweep = kTwoPi;  // the same radial twice: the whole ellipse
  ellipseRows(s, x0, y0, x1, y1, pixel, [&](double dx, double dy) {
    if (dx == 0 && dy == 0) return true;
    return normalisedAngle(std::atan2(dy, dx) - start) <= sweep;
  });
}

void copyBlock(PanelSurface& dst, int32_t dx, int32_t dy, const PanelSurface& src, int32_t sx,
               int32_t sy, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return;
  // Clip against the source, then against the destination, in 64 bits.
  int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;
  x0 = std::max<int64_t>(x0, -int64_t(sx));
  y0 = std::max<int64_t>(y0, -int64_t(sy));
  x1 = std::min<int64_t>(x1, int64_t(src.width()) - sx);
  y1 = std::min<int64_t>(y1, int64_t(src.height()) - sy);
  x0 = std::max<int64_t>(x0, -int64_t(dx));
  y0 = std::max<int64_t>(y0, -int64_t(dy));
  x1 = std::min<int64_t>(x1, int64_t(dst.width()) - dx);
  y1 = std::min<int64_t>(y1, int64_t(dst.height()) - dy);
  if (x0 >= x1 || y0 >= y1) return;
  const bool same = &dst == &src;
  for (int64_t r = 0; r < y1 - y0; ++r) {
    // Rows in an order that is safe when the blocks of one surface overlap.
    const int64_t row = (same && dy > sy) ? (y1 - 1 - r) : (y0 + r);
    const uint32_t* from = src.pixels() + size_t(sy + row) * size_t(src.width()) + size_t(sx + x0);
    uint32_t* into = dst.pixels() + size_t(dy + row) * size_t(dst.width()) + size_t(dx + x0);
    std::memmove(into, from, size_t(x1 - x0) * sizeof(uint32_t));
  }
  dst.markChanged(int32_t(dx + x0), int32_t(dy + y0), int32_t(dx + x1), int32_t(dy + y1));
}

}  // namespace gyrelle::raster
