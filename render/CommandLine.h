// The renderer's command line: what to render, through which library, with
// which parameter values.
#pragma once

#include <string>
#include <vector>

namespace gyrelle::render {

struct ParameterSetting {
  std::string name;  // as typed; matched against the plug-in's names later
  float value = 0.0f;
};

struct ParameterRamp {
  std::string name;
  float from = 0.0f;
  float to = 0.0f;
};

struct Options {
  std::string pluginPath;  // empty: the stereo build beside the program
  std::string inputPath;
  std::string outputPath;
  std::string spectrogramPath;  // empty: no picture
  std::string format;           // empty: the extension or the input decides
  std::vector<ParameterSetting> settings;
  std::vector<ParameterRamp> ramps;
  int program = 0;  // 1-based; 0 leaves the plug-in's own program
  int blockSize = 512;
  bool demo = false;
  bool list = false;
  bool quiet = false;
  bool downmix = false;
  bool keepLatency = false;
  bool help = false;
};

constexpr int kMaxBlockSize = 65536;

// Parses the arguments after the program name. Throws RenderError for an
// unknown option, a missing or malformed value or the wrong number of files.
// Main thread; pure.
Options parseCommandLine(const std::vector<std::string>& args);

// Parses a parameter value, which must be a finite number in 0..1; what names
// it in the error. Main thread; pure.
float parseUnitValue(const std::string& text, const std::string& what);

// The --help text. Main thread; pure.
std::string usageText();

}  // namespace gyrelle::render
