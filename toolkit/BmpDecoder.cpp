#include "toolkit/BmpDecoder.h"

namespace gyrelle {

namespace {

constexpr int64_t kMaxSide = 8192;

uint32_t read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t read32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, DecodedBmp& out) {
  out = DecodedBmp{};
  if (data == nullptr || size < 14 + 40 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = read32(data + 10);
  const uint32_t headerSize = read32(data + 14);
  if (headerSize < 40 || 14 + uint64_t(headerSize) > size) return false;
  const int64_t width = int32_t(read32(data + 18));
  const int64_t rawHeight = int32_t(read32(data + 22));
  const uint32_t planes = read16(data + 26);
  const uint32_t bits = read16(data + 28);
  const uint32_t compression = read32(data + 30);
  uint32_t paletteCount = read32(data + 46);
  const bool topDown = rawHeight < 0;
  const int64_t height = topDown ? -rawHeight : rawHeight;
  if (planes != 1 || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  // Uncompressed only (BI_RGB; BI_BITFIELDS with the standard masks for 32 bits).
  if (compression != 0 && !(compression == 3 && bits == 32)) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

  uint32_t palette[256] = {};
  if (bits <= 8) {
    const uint32_t maxColours = 1u << bits;
    if (paletteCount == 0 || paletteCount > maxColours) paletteCount = maxColours;
    const uint64_t paletteStart = 14 + uint64_t(headerSize);
    if (paletteStart + uint64_t(paletteCount) * 4 > size) return false;
    for (uint32_t i = 0; i < paletteCount; ++i) {
      const uint8_t* entry = data + paletteStart + i * 4;
      palette[i] = (uint32_t(entry[2]) << 16) | (uint32_t(entry[1]) << 8) | entry[0];
    }
  }

  const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (uint64_t(pixelOffset) + stride * uint64_t(height) > size) return false;

  out.width = int32_t(width);
  out.height = int32_t(height);
  out.pixels.assign(size_t(width * height), 0);
  for (int64_t y = 0; y < height; ++y) {
    const int64_t sourceRow = topDown ? y : height - 1 - y;
    const uint8_t* row = data + pixelOffset + uint64_t(sourceRow) * stride;
    uint32_t* into = out.pixels.data() + size_t(y * width);
    for (int64_t x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      switch (bits) {
        case 1: pixel = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: pixel = palette[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)]; break;
        case 8: pixel = palette[row[x]]; break;
        case 24:
          pixel = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
          break;
        default:
          pixel = (uint32_t(row[x * 4 + 2]) << 16) | (uint32_t(row[x * 4 + 1]) << 8) | row[x * 4];
          break;
      }
      into[x] = pixel;
    }
  }
  return true;
}

}  // namespace gyrelle
