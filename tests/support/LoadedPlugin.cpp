#include "tests/support/LoadedPlugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

namespace gyrelle::testing {

std::string pluginPath(const std::string& name) { return std::string(GYRELLE_PLUGIN_DIR) + "/" + name + ".so"; }

namespace {
// The callback has no user pointer: each record finds its host here.
std::mutex hostsLock;
std::map<AEffect*, TestHost*>& hosts() {
  static std::map<AEffect*, TestHost*> table;
  return table;
}
thread_local TestHost* constructingHost = nullptr;
}  // namespace

intptr_t TestHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void*, float opt) {
  TestHost* host = constructingHost;
  if (effect != nullptr) {
    std::lock_guard<std::mutex> guard(hostsLock);
    auto found = hosts().find(effect);
    if (found != hosts().end()) host = found->second;
  }
  if (host == nullptr) return opcode == audioMasterVersion ? 2400 : 0;
  {
    std::lock_guard<std::mutex> guard(host->lock);
    host->recorded.push_back({opcode, index, value, opt});
  }
  switch (opcode) {
    case audioMasterVersion:
      return host->versionAnswer;
    case audioMasterAutomate:
      ++host->automateCount;
      return 0;
    case audioMasterIdle:
      ++host->idleCount;
      return 0;
    default:
      return 0;
  }
}

std::vector<HostCall> TestHost::calls() const {
  std::lock_guard<std::mutex> guard(lock);
  return recorded;
}

void TestHost::clearCalls() {
  std::lock_guard<std::mutex> guard(lock);
  recorded.clear();
}

LoadedPlugin::LoadedPlugin(const std::string& name) {
  handle = dlopen(pluginPath(name).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) throw std::runtime_error(dlerror());
  entryPoint = reinterpret_cast<PluginEntryProc>(dlsym(handle, "VSTPluginMain"));
  if (entryPoint == nullptr) throw std::runtime_error("no VSTPluginMain");
}

LoadedPlugin::~LoadedPlugin() {
  if (handle != nullptr) dlclose(handle);
}

Instance::Instance(const std::string& name) : plugin(name), testHost(new TestHost) {
  constructingHost = testHost;
  record = plugin.entry()(&TestHost::callback);
  constructingHost = nullptr;
  if (record != nullptr) {
    std::lock_guard<std::mutex> guard(hostsLock);
    hosts()[record] = testHost;
  }
}

Instance::~Instance() {
  close();
  delete testHost;
}

intptr_t Instance::close() {
  if (record == nullptr) return 0;
  intptr_t answer = record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
  std::lock_guard<std::mutex> guard(hostsLock);
  hosts().erase(record);
  record = nullptr;
  return answer;
}

intptr_t Instance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return record->dispatcher(record, opcode, index, value, ptr, opt);
}

std::string Instance::text(int32_t opcode, int32_t index) {
  char buffer[256];
  std::memset(buffer, 0x7f, sizeof buffer);
  buffer[255] = '\0';
  dispatch(opcode, index, 0, buffer, 0.0f);
  return buffer;
}

void Instance::start(float sampleRate, int32_t blockSize) {
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  dispatch(effSetBlockSize, 0, blockSize);
  dispatch(effMainsChanged, 0, 1);
}

std::vector<std::vector<float>> Instance::run(const std::vector<std::vector<float>>& input, int32_t blockSize,
                                              bool replacing) {
  const size_t length = input.empty() ? 0 : input[0].size();
  std::vector<std::vector<float>> output(2, std::vector<float>(length, 0.0f));
  for (size_t offset = 0; offset < length; offset += static_cast<size_t>(blockSize)) {
    const int32_t frames = static_cast<int32_t>(std::min(length - offset, static_cast<size_t>(blockSize)));
    std::vector<float*> ins;
    for (const auto& channel : input) ins.push_back(const_cast<float*>(channel.data()) + offset);
    float* outs[2] = {output[0].data() + offset, output[1].data() + offset};
    if (replacing) {
      record->processReplacing(record, ins.data(), outs, frames);
    } else {
      record->process(record, ins.data(), outs, frames);
    }
  }
  return output;
}

}  // namespace gyrelle::testing
