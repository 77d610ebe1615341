// One VST 2 effect loaded from a shared library and driven only through its
// instance record: the renderer's whole view of a plug-in.
#pragma once

#include <string>

#include "host/VstAbi.h"

namespace gyrelle::render {

class PluginHost {
 public:
  // Loads the library, asks its entry point (VSTPluginMain, else main) for an
  // instance, then opens it and announces the sample rate and block size.
  // Throws RenderError when the library will not load, has no entry point,
  // refuses the instance or answers a record that is not a usable effect.
  // Main thread; touches the process-wide host callback settings.
  PluginHost(const std::string& libraryPath, float sampleRate, int blockSize);
  // Stops the effect if it runs, closes it and unloads the library. Main thread.
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // The record's counts and latency, checked at load. Main thread; read only.
  int inputCount() const { return effect_->numInputs; }
  int outputCount() const { return effect_->numOutputs; }
  int parameterCount() const { return effect_->numParams; }
  int programCount() const { return effect_->numPrograms; }
  int latency() const { return effect_->initialDelay > 0 ? effect_->initialDelay : 0; }

  // Texts the plug-in writes, read through a zeroed scratch buffer whose end
  // is always terminated. Main thread; calls the dispatcher.
  std::string parameterName(int index);
  std::string parameterDisplay(int index);
  std::string parameterLabel(int index);
  std::string effectName();
  // The name of program index (0-based); may select programs on the way and
  // leaves the current program as it found it. Main thread.
  std::string programName(int index);

  // Parameter values 0..1 through the record's entries. Main thread.
  float parameter(int index);
  void setParameter(int index, float value);
  // effSetProgram with a 0-based index in range. Main thread.
  void selectProgram(int index);

  // effMainsChanged 1 / 0. Main thread.
  void start();
  void stop();
  // One block: processReplacing when offered, else the accumulating entry
  // on zeroed outputs. Arrays hold inputCount() / outputCount() channels of
  // frames samples (1..the announced block size). Main thread.
  void process(float** inputs, float** outputs, int frames);

 private:
  std::string queryText(int32_t opcode, int32_t index, intptr_t value = 0);
  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  void* library_ = nullptr;
  AEffect* effect_ = nullptr;
  int blockSize_ = 0;
  bool running_ = false;
  bool replacing_ = false;
};

// The host callback handed to every effect: version 2400, the sample rate and
// block size in use; automation and idle accepted with 0; 0 for the rest.
// Any thread of the effect; reads the process-wide settings only.
intptr_t renderHostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt);

}  // namespace gyrelle::render
