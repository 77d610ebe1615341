#include "render/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "render/RenderError.h"

namespace gyrelle::render {

namespace {

long parseInteger(const std::string& text, const std::string& option, long low, long high) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
    throw RenderError(option + " needs a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

// NAME=VALUE, split at the first '='.
void splitAssignment(const std::string& text, const std::string& option, std::string& name,
                     std::string& value) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) {
    throw RenderError(option + " needs NAME=VALUE, not '" + text + "'");
  }
  name = text.substr(0, eq);
  value = text.substr(eq + 1);
}

ParameterRamp parseRamp(const std::string& text) {
  std::string name, range;
  splitAssignment(text, "--ramp", name, range);
  const size_t colon = range.find(':');
  if (colon == std::string::npos) {
    throw RenderError("--ramp needs NAME=FROM:TO, not '" + text + "'");
  }
  ParameterRamp ramp;
  ramp.name = name;
  ramp.from = parseUnitValue(range.substr(0, colon), name);
  ramp.to = parseUnitValue(range.substr(colon + 1), name);
  return ramp;
}

bool takesValue(const std::string& option) {
  return option == "--plugin" || option == "--set" || option == "--program" ||
         option == "--ramp" || option == "--block" || option == "--format" ||
         option == "--spectrogram";
}

void applyOption(Options& options, const std::string& option, const std::string& value) {
  if (option == "--plugin") {
    options.pluginPath = value;
  } else if (option == "--set") {
    std::string name, text;
    splitAssignment(value, option, name, text);
    options.settings.push_back({name, parseUnitValue(text, name)});
  } else if (option == "--program") {
    options.program = static_cast<int>(parseInteger(value, option, 1, 1000000));
  } else if (option == "--ramp") {
    options.ramps.push_back(parseRamp(value));
  } else if (option == "--block") {
    options.blockSize = static_cast<int>(parseInteger(value, option, 1, kMaxBlockSize));
  } else if (option == "--format") {
    options.format = value;
  } else if (option == "--spectrogram") {
    if (value.empty()) throw RenderError("--spectrogram needs a file name");
    options.spectrogramPath = value;
  }
}

bool applyFlag(Options& options, const std::string& option) {
  if (option == "--demo") options.demo = true;
  else if (option == "--list") options.list = true;
  else if (option == "--quiet" || option == "-q") options.quiet = true;
  else if (option == "--downmix") options.downmix = true;
  else if (option == "--keep-latency") options.keepLatency = true;
  else if (option == "--help" || option == "-h") options.help = true;
  else return false;
  return true;
}

}  // namespace

float parseUnitValue(const std::string& text, const std::string& what) {
  errno = 0;
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) {
    throw RenderError("value '" + text + "' for '" + what + "' is not a number");
  }
  if (value < 0.0f || value > 1.0f) {
    throw RenderError("value " + text + " for '" + what + "' is outside 0..1");
  }
  return value;
}

Options parseCommandLine(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string option = arg.substr(0, eq);
    if (takesValue(option)) {
      std::string value;
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw RenderError(option + " needs a value");
      }
      applyOption(options, option, value);
    } else if (eq == std::string::npos && applyFlag(options, option)) {
      // a plain switch
    } else {
      throw RenderError("unknown option '" + arg + "' (see --help)");
    }
  }
  if (options.help) return options;
  if (options.list) {
    if (!files.empty()) throw RenderError("--list takes no file names");
    return options;
  }
  if (options.demo) {
    if (files.size() != 1) throw RenderError("--demo needs exactly one output file name");
    options.outputPath = files[0];
    return options;
  }
  if (files.size() != 2) {
    throw RenderError(files.empty() ? "no input and output file given (see --help)"
                                    : "need an input and an output file name (see --help)");
  }
  options.inputPath = files[0];
  options.outputPath = files[1];
  return options;
}

std::string usageText() {
  return "usage: gyrelle-render [options] INPUT OUTPUT\n"
         "       gyrelle-render [options] --demo OUTPUT\n"
         "       gyrelle-render [--plugin LIB] [--program N] [--set NAME=V] --list\n"
         "Renders an audio file (WAV, AIFF, FLAC, Ogg Vorbis) through a VST 2 effect.\n"
         "  --plugin LIB         effect library (default: gyrelle-stereo.so beside this program)\n"
         "  --set NAME=VALUE     set a parameter, value 0..1 (repeatable)\n"
         "  --program N          choose program N (1-based) before the --set values\n"
         "  --ramp NAME=FROM:TO  move a parameter linearly across the file (repeatable)\n"
         "  --block N            block size announced and used (default 512)\n"
         "  --format F           output format: wav, aiff, flac or ogg, optionally with\n"
         "                       :16, :24 or :float (default: from OUTPUT's extension,\n"
         "                       else the input's)\n"
         "  --downmix            mix a stereo file to mono for a one-input effect\n"
         "  --keep-latency       write the raw output, delayed by the effect's latency\n"
         "  --spectrogram PNG    draw input and output spectrograms into PNG\n"
         "  --demo               render the built-in demo signal instead of INPUT\n"
         "  --list               list the parameters and programs and exit\n"
         "  --quiet              no progress bar and no summary line\n"
         "  --help               this text\n";
}

}  // namespace gyrelle::render
