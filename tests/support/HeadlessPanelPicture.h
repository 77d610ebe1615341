// The panel as the headless renderer draws it, for comparing with what a
// real X server shows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gyrelle::testing {

// Runs `programDir`/gyrelle-panel in a process of its own (a second copy of
// the engine in the test's process would share FFTW with the loaded
// library) with the given parameter values; answers the 512 x 316 pixels as
// 0xRRGGBB, or nothing when the program or its picture failed.
std::vector<uint32_t> headlessPanelPicture(const std::string& programDir,
                                           const std::vector<std::pair<int, float>>& settings);

}  // namespace gyrelle::testing
