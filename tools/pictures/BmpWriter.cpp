#include "tools/pictures/BmpWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace gyrelle::pictures {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

std::vector<uint8_t> headers(int32_t w, int32_t h, uint16_t bits, const std::vector<uint32_t>& palette,
                             uint32_t imageBytes) {
  std::vector<uint8_t> out;
  const uint32_t offset = 14 + 40 + uint32_t(palette.size()) * 4;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + imageBytes);
  put32(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, uint32_t(w));
  put32(out, uint32_t(h));  // positive: bottom row first
  put16(out, 1);
  put16(out, bits);
  put32(out, 0);
  put32(out, imageBytes);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, uint32_t(palette.size()));
  put32(out, 0);
  for (uint32_t c : palette) put32(out, c & 0xFFFFFF);  // blue, green, red, 0
  return out;
}

bool save(const std::vector<uint8_t>& bytes, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

bool writeBmp24(const PanelSurface& p, const std::string& path) {
  const int32_t w = p.width(), h = p.height();
  const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
  std::vector<uint8_t> out = headers(w, h, 24, {}, stride * uint32_t(h));
  for (int32_t y = h - 1; y >= 0; --y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = p.pixel(x, y);
      out.push_back(uint8_t(c));
      out.push_back(uint8_t(c >> 8));
      out.push_back(uint8_t(c >> 16));
    }
    for (uint32_t pad = uint32_t(w) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return save(out, path);
}

bool writeBmp4(const PanelSurface& p, const std::string& path) {
  const int32_t w = p.width(), h = p.height();
  std::vector<uint32_t> palette;
  for (uint32_t c : p.pixelVector()) {
    bool known = false;
    for (uint32_t k : palette) known = known || k == c;
    if (!known) palette.push_back(c);
  }
  if (palette.size() > 16) return false;
  auto indexOf = [&](uint32_t c) {
    for (size_t i = 0; i < palette.size(); ++i)
      if (palette[i] == c) return uint8_t(i);
    return uint8_t(0);
  };
  const uint32_t stride = ((uint32_t(w) * 4 + 31) / 32) * 4;
  std::vector<uint8_t> out = headers(w, h, 4, palette, stride * uint32_t(h));
  for (int32_t y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t i = indexOf(p.pixel(x, y));
      row[size_t(x) / 2] |= (x % 2 == 0) ? uint8_t(i << 4) : i;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return save(out, path);
}

}  // namespace gyrelle::pictures
