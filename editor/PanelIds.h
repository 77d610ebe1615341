// The bitmap resources the panel is drawn from.
#pragma once

#include <cstdint>

namespace gyrelle {

constexpr uint32_t kPanelPictureId = 128;         // 512 x 316 panel face
constexpr uint32_t kSliderTrackPictureId = 129;   // 16 x 212 slider track
constexpr uint32_t kSliderHandlePictureId = 130;  // 16 x 12 handle, pure white is transparent

}  // namespace gyrelle
