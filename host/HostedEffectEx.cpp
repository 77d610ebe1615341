#include "host/HostedEffectEx.h"

namespace gyrelle {

HostedEffectEx::HostedEffectEx(audioMasterCallback callback, int32_t programs, int32_t parameters)
    : HostedEffect(callback, programs, parameters) {}

intptr_t HostedEffectEx::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  const int32_t count = static_cast<int32_t>(value);
  switch (opcode) {
    case effProcessEvents:
      return ptr != nullptr ? receiveEvents(ptr) : 0;
    case effCanBeAutomated:
      return parameterAutomatable(index) ? 1 : 0;
    case effString2Parameter:
      return text != nullptr && parseParameterText(index, text) ? 1 : 0;
    case effGetNumProgramCategories:
      return programCategoryCount();
    case effGetProgramNameIndexed:
      return text != nullptr && indexedProgramName(count, index, text) ? 1 : 0;
    case effCopyProgram:
      return duplicateProgram(index) ? 1 : 0;
    case effConnectInput:
      onInputConnected(index, value != 0);
      return 1;
    case effConnectOutput:
      onOutputConnected(index, value != 0);
      return 1;
    case effGetInputProperties:
      return ptr != nullptr && inputPinProperties(index, ptr) ? 1 : 0;
    case effGetOutputProperties:
      return ptr != nullptr && outputPinProperties(index, ptr) ? 1 : 0;
    case effGetPlugCategory:
      return effectCategory();
    case effGetCurrentPosition:
      return asyncPosition();
    case effGetDestinationBuffer:
      return reinterpret_cast<intptr_t>(asyncDestination());
    case effOfflineNotify:
      return onOfflineNotify(ptr, count, index != 0) ? 1 : 0;
    case effOfflinePrepare:
      return onOfflinePrepare(ptr, count) ? 1 : 0;
    case effOfflineRun:
      return onOfflineRun(ptr, count) ? 1 : 0;
    case effProcessVarIo:
      return ptr != nullptr && processVariableBlock(ptr) ? 1 : 0;
    case effSetSpeakerArrangement:
      return acceptSpeakerArrangement(reinterpret_cast<void*>(value), ptr) ? 1 : 0;
    case effSetBlockSizeAndSampleRate:
      changeBlockSizeAndRate(count, opt);
      return 1;
    case effSetBypass:
      return applyBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return text != nullptr && copyEffectName(text) ? 1 : 0;
    case effGetErrorText:
      return text != nullptr && copyErrorText(text) ? 1 : 0;
    case effGetVendorString:
      return text != nullptr && copyVendorText(text) ? 1 : 0;
    case effGetProductString:
      return text != nullptr && copyProductText(text) ? 1 : 0;
    case effGetVendorVersion:
      return vendorVersion();
    case effVendorSpecific:
      return vendorCall(index, value, ptr, opt);
    case effCanDo:
      return text != nullptr ? capability(text) : 0;
    case effGetTailSize:
      return tailSize();
    case effIdle:
      return backgroundIdle();
    case effGetIcon:
      return reinterpret_cast<intptr_t>(icon());
    case effSetViewPosition:
      return moveView(index, count) ? 1 : 0;
    case effGetParameterProperties:
      return ptr != nullptr && parameterProperties(index, ptr) ? 1 : 0;
    case effKeysRequired:
      return needsKeys() ? 0 : 1;
    case effGetVstVersion:
      return interfaceVersion();
    default:
      return HostedEffect::dispatch(opcode, index, value, ptr, opt);
  }
}

int32_t HostedEffectEx::receiveEvents(void*) { return 0; }
bool HostedEffectEx::parameterAutomatable(int32_t) { return true; }
bool HostedEffectEx::parseParameterText(int32_t, char*) { return false; }
float HostedEffectEx::channelParameter(int32_t, int32_t) { return 0.0f; }
int32_t HostedEffectEx::programCategoryCount() { return 1; }
bool HostedEffectEx::indexedProgramName(int32_t, int32_t, char*) { return false; }
bool HostedEffectEx::duplicateProgram(int32_t) { return false; }
void HostedEffectEx::onInputConnected(int32_t, bool) {}
void HostedEffectEx::onOutputConnected(int32_t, bool) {}
bool HostedEffectEx::inputPinProperties(int32_t, void*) { return false; }
bool HostedEffectEx::outputPinProperties(int32_t, void*) { return false; }
int32_t HostedEffectEx::effectCategory() { return (instanceRecord.flags & effFlagsIsSynth) != 0 ? 2 : 0; }
int32_t HostedEffectEx::asyncPosition() { return 0; }
float* HostedEffectEx::asyncDestination() { return nullptr; }
bool HostedEffectEx::onOfflineNotify(void*, int32_t, bool) { return false; }
bool HostedEffectEx::onOfflinePrepare(void*, int32_t) { return false; }
bool HostedEffectEx::onOfflineRun(void*, int32_t) { return false; }
int32_t HostedEffectEx::offlinePassCount() { return 0; }
int32_t HostedEffectEx::offlineMetaPassCount() { return 0; }
bool HostedEffectEx::processVariableBlock(void*) { return false; }
bool HostedEffectEx::acceptSpeakerArrangement(void*, void*) { return false; }

// Stores both values directly: the effect's block-size reaction is not run.
void HostedEffectEx::changeBlockSizeAndRate(int32_t frames, float rate) {
  blockLength.store(frames, std::memory_order_relaxed);
  sampleRateHz.store(rate, std::memory_order_relaxed);
}

bool HostedEffectEx::applyBypass(bool) { return false; }
bool HostedEffectEx::copyEffectName(char*) { return false; }
bool HostedEffectEx::copyErrorText(char*) { return false; }
bool HostedEffectEx::copyVendorText(char*) { return false; }
bool HostedEffectEx::copyProductText(char*) { return false; }
int32_t HostedEffectEx::vendorVersion() { return 0; }
intptr_t HostedEffectEx::vendorCall(int32_t, intptr_t, void*, float) { return 0; }
// The effect neither claims nor denies any capability.
int32_t HostedEffectEx::capability(const char*) { return 0; }
void* HostedEffectEx::icon() { return nullptr; }
bool HostedEffectEx::moveView(int32_t, int32_t) { return false; }
int32_t HostedEffectEx::tailSize() { return 0; }
int32_t HostedEffectEx::backgroundIdle() { return 0; }
bool HostedEffectEx::parameterProperties(int32_t, void*) { return false; }
bool HostedEffectEx::needsKeys() { return false; }
int32_t HostedEffectEx::interfaceVersion() { return 2; }

// --- Host services ---

void HostedEffectEx::hostWantEvents(intptr_t filter) { callHost(audioMasterWantMidi, 0, filter); }
void* HostedEffectEx::hostTimeInfo(intptr_t filter) {
  return reinterpret_cast<void*>(callHost(audioMasterGetTime, 0, filter));
}
intptr_t HostedEffectEx::hostTempoAt(intptr_t position) { return callHost(audioMasterTempoAt, 0, position); }
intptr_t HostedEffectEx::hostAutomatableCount() { return callHost(audioMasterGetNumAutomatableParameters); }
intptr_t HostedEffectEx::hostParameterQuantization() { return callHost(audioMasterGetParameterQuantization); }
bool HostedEffectEx::hostIoChanged() { return hostBoolean(audioMasterIOChanged); }
bool HostedEffectEx::hostNeedIdle() { return hostBoolean(audioMasterNeedIdle); }
bool HostedEffectEx::hostSizeWindow(int32_t width, int32_t height) {
  return hostBoolean(audioMasterSizeWindow, width, height);
}
// The host's answer is not used: the rate it last set through the dispatcher is.
float HostedEffectEx::hostSampleRate() {
  callHost(audioMasterGetSampleRate);
  return currentSampleRate();
}
int32_t HostedEffectEx::hostBlockSize() {
  callHost(audioMasterGetBlockSize);
  return currentBlockSize();
}
intptr_t HostedEffectEx::hostInputLatency() { return callHost(audioMasterGetInputLatency); }
intptr_t HostedEffectEx::hostOutputLatency() { return callHost(audioMasterGetOutputLatency); }
AEffect* HostedEffectEx::hostPreviousEffect(int32_t) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}
AEffect* HostedEffectEx::hostNextEffect(int32_t) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}
intptr_t HostedEffectEx::hostProcessMode() { return callHost(audioMasterWillReplaceOrAccumulate); }
intptr_t HostedEffectEx::hostProcessLevel() { return callHost(audioMasterGetCurrentProcessLevel); }
intptr_t HostedEffectEx::hostAutomationState() { return callHost(audioMasterGetAutomationState); }
bool HostedEffectEx::hostOfflineStart(void* files, int32_t count, int32_t newCount) {
  return hostBoolean(audioMasterOfflineStart, newCount, count, files);
}
bool HostedEffectEx::hostOfflineRead(void* task, int32_t option, bool readSource) {
  return hostBoolean(audioMasterOfflineRead, readSource ? 1 : 0, option, task);
}
bool HostedEffectEx::hostOfflineWrite(void* task, int32_t option) {
  return hostBoolean(audioMasterOfflineWrite, 0, option, task);
}
int32_t HostedEffectEx::hostOfflinePass() { return hostBoolean(audioMasterOfflineGetCurrentPass) ? 1 : 0; }
int32_t HostedEffectEx::hostOfflineMetaPass() {
  return hostBoolean(audioMasterOfflineGetCurrentMetaPass) ? 1 : 0;
}
void HostedEffectEx::hostSetOutputRate(float rate) {
  callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}
bool HostedEffectEx::hostSpeakerArrangement(void* input, void* output) {
  return hostBoolean(audioMasterGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(input), output);
}
bool HostedEffectEx::hostVendorText(char* text) { return hostBoolean(audioMasterGetVendorString, 0, 0, text); }
bool HostedEffectEx::hostProductText(char* text) {
  return hostBoolean(audioMasterGetProductString, 0, 0, text);
}
intptr_t HostedEffectEx::hostVendorVersion() { return callHost(audioMasterGetVendorVersion); }
intptr_t HostedEffectEx::hostVendorCall(int32_t index, intptr_t value, void* ptr, float opt) {
  return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}
// Any answer other than 0 counts as yes, a host's -1 included.
int32_t HostedEffectEx::hostCapability(const char* text) {
  return hostBoolean(audioMasterCanDo, 0, 0, const_cast<char*>(text)) ? 1 : 0;
}
intptr_t HostedEffectEx::hostLanguage() { return callHost(audioMasterGetLanguage); }
void* HostedEffectEx::hostOpenWindow(void* window) {
  return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}
bool HostedEffectEx::hostCloseWindow(void* window) { return hostBoolean(audioMasterCloseWindow, 0, 0, window); }
void* HostedEffectEx::hostDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
bool HostedEffectEx::hostUpdateDisplay() { return hostBoolean(audioMasterUpdateDisplay); }

}  // namespace gyrelle
