#include "render/RenderApp.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "render/CommandLine.h"
#include "render/DemoSignal.h"
#include "render/Interruption.h"
#include "render/ParameterNames.h"
#include "render/PluginHost.h"
#include "render/PngFile.h"
#include "render/Progress.h"
#include "render/RenderError.h"
#include "render/RenderLoop.h"
#include "render/ReplaceFile.h"
#include "render/SoundFiles.h"
#include "render/Spectrogram.h"

namespace gyrelle::render {

namespace {

constexpr int kListSampleRate = 44100;

// The stereo build beside this program.
std::string defaultPluginPath() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  return folder + "/gyrelle-stereo.so";
}

std::vector<std::string> parameterNames(PluginHost& effect) {
  std::vector<std::string> names;
  for (int i = 0; i < effect.parameterCount(); ++i) names.push_back(effect.parameterName(i));
  return names;
}

int resolveParameter(const std::vector<std::string>& names, const std::string& wanted) {
  const int index = findParameter(names, wanted);
  if (index >= 0) return index;
  std::string valid;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    valid += (valid.empty() ? "" : ", ") + name;
  }
  throw RenderError("unknown parameter '" + wanted + "'; valid names: " +
                    (valid.empty() ? "none (the plug-in has no named parameters)" : valid));
}

// --program first, then the --set values in the order given.
void applySettings(PluginHost& effect, const Options& options,
                   const std::vector<std::string>& names) {
  if (options.program > 0) {
    if (effect.programCount() < 1) {
      throw RenderError("program " + std::to_string(options.program) +
                        " is out of range: the plug-in has no programs");
    }
    if (options.program > effect.programCount()) {
      throw RenderError("program " + std::to_string(options.program) + " is out of range 1.." +
                        std::to_string(effect.programCount()));
    }
    effect.selectProgram(options.program - 1);
  }
  for (const ParameterSetting& setting : options.settings) {
    effect.setParameter(resolveParameter(names, setting.name), setting.value);
  }
}

void listEffect(PluginHost& effect, const std::string& path, const Options& options) {
  // Reading every program name may switch programs; do it before the settings.
  std::vector<std::string> programs;
  for (int i = 0; i < effect.programCount(); ++i) programs.push_back(effect.programName(i));
  const std::vector<std::string> names = parameterNames(effect);
  applySettings(effect, options, names);

  const std::string title = effect.effectName();
  std::printf("%s (%s): %d inputs, %d outputs, latency %d samples\n",
              title.empty() ? "effect" : title.c_str(), path.c_str(), effect.inputCount(),
              effect.outputCount(), effect.latency());
  size_t nameWidth = 4;
  for (const std::string& name : names) nameWidth = std::max(nameWidth, name.size());
  std::printf("parameters:\n  %5s  %-*s  %-8s  %-12s  %s\n", "index", static_cast<int>(nameWidth),
              "name", "value", "text", "label");
  for (int i = 0; i < effect.parameterCount(); ++i) {
    char line[2048];
    std::snprintf(line, sizeof line, "  %5d  %-*s  %-8.6f  %-12s  %s", i, static_cast<int>(nameWidth),
                  names[static_cast<size_t>(i)].c_str(), static_cast<double>(effect.parameter(i)),
                  effect.parameterDisplay(i).c_str(), effect.parameterLabel(i).c_str());
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    std::printf("%s\n", text.c_str());
  }
  std::printf("programs:\n");
  for (size_t i = 0; i < programs.size(); ++i) {
    std::printf("  %5zu  %s\n", i + 1, programs[i].c_str());
  }
}

void checkNoOverwrite(const std::string& input, const std::string& target, const char* what) {
  if (!input.empty() && (input == target || isSameFile(input, target))) {
    throw RenderError(std::string("refusing to write the ") + what + " over the input file '" +
                      input + "'");
  }
}

int renderFile(const Options& options, const std::string& pluginPath) {
  checkNoOverwrite(options.inputPath, options.outputPath, "output");
  if (!options.spectrogramPath.empty()) {
    checkNoOverwrite(options.inputPath, options.spectrogramPath, "spectrogram");
    if (options.spectrogramPath == options.outputPath ||
        isSameFile(options.spectrogramPath, options.outputPath)) {
      throw RenderError("the spectrogram and the output must be different files");
    }
  }
  std::unique_ptr<SoundSource> source;
  if (options.demo) source = std::make_unique<DemoSignal>();
  else source = std::make_unique<SoundFileReader>(options.inputPath);
  const std::string inputName = options.demo ? "the demo signal" : "'" + options.inputPath + "'";
  if (source->channels() > 2) {
    throw RenderError(inputName + " has " + std::to_string(source->channels()) +
                      " channels; only mono and stereo files can be rendered");
  }
  const SoundFormat format = chooseOutputFormat(options.format, options.outputPath, source->format());

  PluginHost effect(pluginPath, static_cast<float>(source->sampleRate()), options.blockSize);
  if (source->channels() == 2 && effect.inputCount() == 1 && !options.downmix) {
    throw RenderError(inputName + " is stereo but the plug-in has one input; add --downmix to mix it to mono");
  }
  const std::vector<std::string> names = parameterNames(effect);
  applySettings(effect, options, names);
  RenderPlan plan;
  plan.blockSize = options.blockSize;
  plan.downmix = options.downmix;
  plan.compensateLatency = !options.keepLatency;
  for (const ParameterRamp& ramp : options.ramps) {
    plan.ramps.push_back({resolveParameter(names, ramp.name), ramp.from, ramp.to});
  }

  ReplaceFile target(options.outputPath);
  SoundFileWriter writer(target.descriptor(), options.outputPath, format, source->channels(),
                         source->sampleRate());
  // Declared after the effect so that they go first: an effect may tear down
  // FFTW's shared state when it closes, and these plans must not outlive that.
  std::unique_ptr<SpectrumHistory> inputSpectra, outputSpectra;
  if (!options.spectrogramPath.empty()) {
    inputSpectra = std::make_unique<SpectrumHistory>(source->sampleRate(), source->frames(),
                                                     SpectrogramLayout::kPlotWidth);
    outputSpectra = std::make_unique<SpectrumHistory>(source->sampleRate(), source->frames(),
                                                      SpectrogramLayout::kPlotWidth);
  }
  const int channels = source->channels();
  FrameSink toFile = [&](const float* frames, int64_t count) {
    writer.write(frames, count);
    if (outputSpectra) outputSpectra->add(frames, count, channels);
  };
  FrameSink toInputSpectra;
  if (inputSpectra) {
    toInputSpectra = [&](const float* frames, int64_t count) { inputSpectra->add(frames, count, channels); };
  }

  ProgressBar progress(!options.quiet);
  const auto started = std::chrono::steady_clock::now();
  const int64_t written = renderThrough(effect, *source, plan, toFile, toInputSpectra,
                                        [&](double fraction) { progress.update(fraction); });
  writer.finish();
  progress.clear();
  if (inputSpectra) {
    inputSpectra->finish();
    outputSpectra->finish();
    const double seconds = static_cast<double>(written) / source->sampleRate();
    writePng(options.spectrogramPath,
             drawSpectrogram(*inputSpectra, *outputSpectra, source->sampleRate(), seconds));
  }
  target.commit();
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!options.quiet) {
    const double duration = static_cast<double>(written) / source->sampleRate();
    std::fprintf(stderr, "%s: %.2f s of audio rendered in %.2f s (%.1fx real time)\n",
                 options.outputPath.c_str(), duration, took,
                 took > 0.0 ? duration / took : 0.0);
  }
  return 0;
}

}  // namespace

int runRender(const std::vector<std::string>& args) {
  try {
    const Options options = parseCommandLine(args);
    if (options.help) {
      std::fputs(usageText().c_str(), stdout);
      return 0;
    }
    watchForInterruption();
    const std::string pluginPath =
        options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    if (options.list) {
      PluginHost effect(pluginPath, kListSampleRate, options.blockSize);
      listEffect(effect, pluginPath, options);
      return 0;
    }
    return renderFile(options, pluginPath);
  } catch (const RenderError& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrelle-render: %s\n", error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "gyrelle-render: %s\n", error.what());
  }
  return 1;
}

}  // namespace gyrelle::render
