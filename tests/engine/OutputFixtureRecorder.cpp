// Records the output fixtures from the libraries of this build tree:
//   build/tests/engine_output_fixture_recorder
// Run it only when the output is meant to change, and say why in the commit.
#include <cstdio>

#include "tests/engine/OutputFixture.h"

using namespace gyrelle::testing;

int main() {
  for (const FixtureCase& fixture : fixtureCases()) {
    const auto out = renderFixtureCase(fixture);
    const std::string path = fixturePath(fixture);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      std::perror(path.c_str());
      return 1;
    }
    // Channel after channel, little-endian 32-bit floats.
    for (const auto& channel : out) std::fwrite(channel.data(), sizeof(float), channel.size(), file);
    std::fclose(file);
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
