// An RGB picture in memory, rows top to bottom, 3 bytes a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gyrelle::render {

// Main thread; owns its pixels.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  RgbImage(int w, int h)
      : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
        pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0) {}

  // Pixels outside the picture are ignored. Main thread.
  void set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
};

}  // namespace gyrelle::render
