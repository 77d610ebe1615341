// Decodes uncompressed BMP files (1, 4, 8 bits with a palette, 24 and 32
// bits) into 0x00RRGGBB pixels, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gyrelle {

struct DecodedBmp {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// Any thread; touches only `out`. False (and `out` left empty) for anything malformed, compressed or larger
// than 8192 pixels on a side.
bool decodeBmp(const uint8_t* data, size_t size, DecodedBmp& out);

}  // namespace gyrelle
