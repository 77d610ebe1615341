#include "tests/support/HeadlessPanelPicture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace gyrelle::testing {

std::vector<uint32_t> headlessPanelPicture(const std::string& programDir,
                                           const std::vector<std::pair<int, float>>& settings) {
  constexpr int kW = 512, kH = 316;
  const std::string picture = ::testing::TempDir() + "gyrelle-headless-panel.ppm";
  std::string command = programDir + "/gyrelle-panel --seconds 0";
  for (const auto& [index, value] : settings) {
    char assignment[64];
    std::snprintf(assignment, sizeof assignment, " --set %d=%.9g", index, double(value));
    command += assignment;
  }
  command += " " + picture;
  std::vector<uint32_t> pixels;
  if (std::system(command.c_str()) != 0) return pixels;
  std::ifstream in(picture, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, depth = 0;
  in >> magic >> w >> h >> depth;
  in.get();
  if (magic != "P6" || w != kW || h != kH || depth != 255) return pixels;
  for (int i = 0; i < w * h; ++i) {
    unsigned char rgb[3] = {};
    in.read(reinterpret_cast<char*>(rgb), 3);
    pixels.push_back((uint32_t(rgb[0]) << 16) | (uint32_t(rgb[1]) << 8) | rgb[2]);
  }
  std::remove(picture.c_str());
  return pixels;
}

}  // namespace gyrelle::testing
