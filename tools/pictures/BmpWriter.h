// Writes pictures as uncompressed BMP files: 24 bits, or 4 bits with a
// palette of the picture's own colours (at most 16). Any thread; touches
// only the file.
#pragma once

#include <string>

#include "toolkit/PanelSurface.h"

namespace gyrelle::pictures {

// False when the file cannot be written.
bool writeBmp24(const PanelSurface& picture, const std::string& path);
// False when the picture has more than 16 colours or the file cannot be written.
bool writeBmp4(const PanelSurface& picture, const std::string& path);

}  // namespace gyrelle::pictures
