// Draws the panel into a PNG picture at chosen parameter values, after a
// second of audio has gone through the effect so that the helix is turned:
//   gyrelle-panel [--set INDEX=VALUE]... [--help-page | --about-page]
//                 [--seconds S] OUTPUT.png
// An OUTPUT ending in .ppm is written as a binary PPM picture instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/ChannelBuild.h"
#include "plugin/GrooveEffect.h"
#include "tools/panel/PanelSnapshot.h"

namespace {

intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: gyrelle-panel [--set INDEX=VALUE]... [--help-page | --about-page]\n"
               "                     [--seconds S] OUTPUT.png\n"
               "  INDEX 0..8 is a parameter, VALUE its value from 0 to 1.\n");
  return 2;
}

bool parseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gyrelle;
  GrooveEffect effect(&quietHost, kMonoBuild);
  PanelPage page = PanelPage::Controls;
  double seconds = 1.0;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--set" && i + 1 < argc) {
      const char* assignment = argv[++i];
      const char* equals = std::strchr(assignment, '=');
      double index = 0, value = 0;
      if (equals == nullptr || !parseNumber(std::string(assignment, equals).c_str(), index) ||
          !parseNumber(equals + 1, value) || index < 0 || index > 8 || index != int(index)) {
        std::fprintf(stderr, "gyrelle-panel: bad --set %s\n", assignment);
        return usage();
      }
      effect.writeParameter(int32_t(index), float(value));
    } else if (arg == "--help-page") {
      page = PanelPage::Help;
    } else if (arg == "--about-page") {
      page = PanelPage::About;
    } else if (arg == "--seconds" && i + 1 < argc) {
      if (!parseNumber(argv[++i], seconds) || !(seconds >= 0 && seconds <= 600)) return usage();
    } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
      output = arg;
    } else {
      return usage();
    }
  }
  if (output.empty()) return usage();
  const PanelPicture picture = snapshotPanel(effect, page, float(seconds));
  const bool ppm = output.size() > 4 && output.compare(output.size() - 4, 4, ".ppm") == 0;
  if (!(ppm ? writePpm(picture, output) : writePng(picture, output))) {
    std::fprintf(stderr, "gyrelle-panel: could not write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
