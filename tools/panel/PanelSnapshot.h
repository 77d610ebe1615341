// Draws the panel of an effect headlessly, the way it looks in a host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gyrelle {

class GrooveEffect;

enum class PanelPage { Controls, Help, About };

struct PanelPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Renders `seconds` of a test tone through `effect` (so that the grooves
// have moved), opens its panel on the headless platform, shows `page`, and
// answers the panel's pixels. Single-threaded; installs and removes the
// headless platform itself.
PanelPicture snapshotPanel(GrooveEffect& effect, PanelPage page, float seconds);

// Write 8-bit RGB PNG, or binary PPM; false on failure.
bool writePng(const PanelPicture& picture, const std::string& path);
bool writePpm(const PanelPicture& picture, const std::string& path);

}  // namespace gyrelle
