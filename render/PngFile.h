// Writing an RGB picture as a PNG file through libpng.
#pragma once

#include <string>

#include "render/RgbImage.h"

namespace gyrelle::render {

// Writes image to path through a temporary file renamed into place. Throws
// RenderError when the file cannot be written. Main thread.
void writePng(const std::string& path, const RgbImage& image);

}  // namespace gyrelle::render
