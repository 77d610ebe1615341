// Drives a plug-in library the way a host does: dlopen, the entry point, and
// from then on only the instance record.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "host/VstAbi.h"

namespace gyrelle::testing {

// Path of a plug-in built by this tree: "gyrelle-mono" or "gyrelle-stereo".
std::string pluginPath(const std::string& name);

// One host callback call, as the plug-in made it.
struct HostCall {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  float opt;
};

// The host side of one instance: answers the callback and records every call.
class TestHost {
 public:
  intptr_t versionAnswer = 2400;
  std::atomic<int32_t> automateCount{0};
  std::atomic<int32_t> idleCount{0};

  std::vector<HostCall> calls() const;
  void clearCalls();
  static intptr_t callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

 private:
  mutable std::mutex lock;
  std::vector<HostCall> recorded;
};

class LoadedPlugin {
 public:
  explicit LoadedPlugin(const std::string& name);
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  PluginEntryProc entry() const { return entryPoint; }
  void* library() const { return handle; }

 private:
  void* handle = nullptr;
  PluginEntryProc entryPoint = nullptr;
};

// One instance made through the entry point with a TestHost behind it.
class Instance {
 public:
  explicit Instance(const std::string& name);
  ~Instance();  // effClose when still open
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  AEffect* effect() const { return record; }
  TestHost& host() { return *testHost; }
  bool valid() const { return record != nullptr; }

  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
  std::string text(int32_t opcode, int32_t index = 0);
  void setParameter(int32_t index, float value) { record->setParameter(record, index, value); }
  float getParameter(int32_t index) { return record->getParameter(record, index); }
  // Sample rate, block size and resume, as a host does before processing.
  void start(float sampleRate = 44100.0f, int32_t blockSize = 512);
  // effClose; answers what the dispatcher answered (0 when already closed).
  intptr_t close();

  // Runs mono or stereo input (one vector per input) through processReplacing
  // in blocks of the given size; answers both outputs.
  std::vector<std::vector<float>> run(const std::vector<std::vector<float>>& input, int32_t blockSize = 512,
                                      bool replacing = true);

 private:
  LoadedPlugin plugin;
  TestHost* testHost;
  AEffect* record = nullptr;
};

}  // namespace gyrelle::testing
