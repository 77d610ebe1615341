// What differs between the mono and the stereo plug-in.
#pragma once

#include <cstdint>

namespace gyrelle {

struct ChannelBuild {
  int32_t channels;           // processed input channels; there are always two outputs
  int32_t uniqueId;
  const char* productSuffix;  // appended to the effect name in the product text
};

constexpr ChannelBuild kMonoBuild{1, 0x2d2d2df7, " MONO"};
constexpr ChannelBuild kStereoBuild{2, 0x2d2d2df8, ""};

}  // namespace gyrelle
