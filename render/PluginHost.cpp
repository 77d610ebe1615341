#include "render/PluginHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "render/RenderError.h"

namespace gyrelle::render {

namespace {

constexpr intptr_t kHostVersion = 2400;
// Plug-ins write their texts without a size check; this is far more than any
// VST 2 text field.
constexpr size_t kTextBufferSize = 1024;
// A record claiming more channels or entries than this is broken, not big.
constexpr int32_t kMaxChannels = 64;
constexpr int32_t kMaxEntries = 100000;
// Feeding this much silence to flush an effect would take minutes of work.
constexpr int32_t kMaxLatency = 1 << 24;

// What the host callback answers. Written on the main thread before an effect
// is created; effects may read them from any thread.
std::atomic<float> hostSampleRate{44100.0f};
std::atomic<int32_t> hostBlockSize{512};

std::string dlErrorText() {
  const char* text = dlerror();
  std::string line = text ? text : "unknown error";
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

// Keeps a plug-in's text to one printable line.
std::string printable(const char* text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return out;
}

}  // namespace

intptr_t renderHostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterGetSampleRate:
      return static_cast<intptr_t>(hostSampleRate.load());
    case audioMasterGetBlockSize:
      return hostBlockSize.load();
    case audioMasterAutomate:
    case audioMasterIdle:
    default:
      return 0;
  }
}

PluginHost::PluginHost(const std::string& libraryPath, float sampleRate, int blockSize)
    : blockSize_(blockSize) {
  hostSampleRate.store(sampleRate);
  hostBlockSize.store(blockSize);

  // A bare name would make dlopen search the library path instead of the file.
  const std::string openPath =
      libraryPath.find('/') == std::string::npos ? "./" + libraryPath : libraryPath;
  library_ = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) {
    throw RenderError("cannot load plug-in: " + dlErrorText());
  }
  void* entry = dlsym(library_, "VSTPluginMain");
  if (!entry) entry = dlsym(library_, "main");
  if (!entry) {
    dlclose(library_);
    throw RenderError("plug-in '" + libraryPath + "' has no VSTPluginMain or main entry point");
  }
  PluginEntryProc entryPoint;
  std::memcpy(&entryPoint, &entry, sizeof entry);
  effect_ = entryPoint(&renderHostCallback);
  if (!effect_) {
    dlclose(library_);
    throw RenderError("plug-in '" + libraryPath + "' refused to make an instance");
  }

  std::string fault;
  if (effect_->magic != kEffectMagic || !effect_->dispatcher) {
    fault = "does not answer a VST 2 effect record";
  } else if (effect_->numInputs < 1 || effect_->numInputs > kMaxChannels) {
    fault = "has " + std::to_string(effect_->numInputs) + " audio inputs";
  } else if (effect_->numOutputs < 1 || effect_->numOutputs > kMaxChannels) {
    fault = "has " + std::to_string(effect_->numOutputs) + " audio outputs";
  } else if (effect_->numParams < 0 || effect_->numParams > kMaxEntries ||
             effect_->numPrograms < 0 || effect_->numPrograms > kMaxEntries) {
    fault = "reports an impossible parameter or program count";
  } else if (effect_->initialDelay > kMaxLatency) {
    fault = "reports an impossible latency of " + std::to_string(effect_->initialDelay) + " samples";
  } else if (!effect_->processReplacing && !effect_->process) {
    fault = "has no processing entry";
  } else if (effect_->numParams > 0 && (!effect_->setParameter || !effect_->getParameter)) {
    fault = "has parameters but no parameter entries";
  }
  if (!fault.empty()) {
    // Only a record with the right magic and a dispatcher can take an effClose.
    if (effect_->magic == kEffectMagic && effect_->dispatcher) dispatch(effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
    dlclose(library_);
    throw RenderError("plug-in '" + libraryPath + "' " + fault);
  }
  replacing_ = (effect_->flags & effFlagsCanReplacing) && effect_->processReplacing;
  if (!replacing_ && !effect_->process) replacing_ = true;

  dispatch(effOpen, 0, 0, nullptr, 0.0f);
  dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  dispatch(effSetBlockSize, 0, blockSize, nullptr, 0.0f);
}

PluginHost::~PluginHost() {
  if (effect_) {
    if (running_) stop();
    // The record lives inside the effect object: it is gone after effClose.
    dispatch(effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
  }
  if (library_) dlclose(library_);
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                              float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginHost::queryText(int32_t opcode, int32_t index, intptr_t value) {
  std::vector<char> buffer(kTextBufferSize, '\0');
  dispatch(opcode, index, value, buffer.data(), 0.0f);
  buffer.back() = '\0';
  return printable(buffer.data());
}

std::string PluginHost::parameterName(int index) { return queryText(effGetParamName, index); }
std::string PluginHost::parameterDisplay(int index) {
  return queryText(effGetParamDisplay, index);
}
std::string PluginHost::parameterLabel(int index) { return queryText(effGetParamLabel, index); }
std::string PluginHost::effectName() { return queryText(effGetEffectName, 0); }

std::string PluginHost::programName(int index) {
  std::vector<char> buffer(kTextBufferSize, '\0');
  if (dispatch(effGetProgramNameIndexed, index, -1, buffer.data(), 0.0f) != 0) {
    buffer.back() = '\0';
    return printable(buffer.data());
  }
  const intptr_t current = dispatch(effGetProgram, 0, 0, nullptr, 0.0f);
  if (current != index) selectProgram(index);
  std::string name = queryText(effGetProgramName, 0);
  if (current != index && current >= 0 && current < effect_->numPrograms) {
    selectProgram(static_cast<int>(current));
  }
  return name;
}

float PluginHost::parameter(int index) { return effect_->getParameter(effect_, index); }

void PluginHost::setParameter(int index, float value) {
  effect_->setParameter(effect_, index, value);
}

void PluginHost::selectProgram(int index) { dispatch(effSetProgram, 0, index, nullptr, 0.0f); }

void PluginHost::start() {
  dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
  running_ = true;
}

void PluginHost::stop() {
  dispatch(effMainsChanged, 0, 0, nullptr, 0.0f);
  running_ = false;
}

void PluginHost::process(float** inputs, float** outputs, int frames) {
  if (frames <= 0) return;
  frames = std::min(frames, blockSize_);
  if (replacing_) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return;
  }
  for (int ch = 0; ch < effect_->numOutputs; ++ch) {
    std::fill(outputs[ch], outputs[ch] + frames, 0.0f);
  }
  effect_->process(effect_, inputs, outputs, frames);
}

}  // namespace gyrelle::render
