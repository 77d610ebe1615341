// The extended opcodes (25 to 58) and the rest of the host services.
#pragma once

#include "host/HostedEffect.h"

namespace gyrelle {

class HostedEffectEx : public HostedEffect {
 public:
  // Host thread that calls the entry point.
  HostedEffectEx(audioMasterCallback callback, int32_t programCount, int32_t parameterCount);

  // Any host thread except the audio thread.
  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

  virtual int32_t receiveEvents(void* events);
  virtual bool parameterAutomatable(int32_t index);
  virtual bool parseParameterText(int32_t index, char* text);
  virtual float channelParameter(int32_t channel, int32_t index);
  virtual int32_t programCategoryCount();
  virtual bool indexedProgramName(int32_t category, int32_t index, char* text);
  virtual bool duplicateProgram(int32_t destination);
  virtual void onInputConnected(int32_t index, bool connected);
  virtual void onOutputConnected(int32_t index, bool connected);
  virtual bool inputPinProperties(int32_t index, void* properties);
  virtual bool outputPinProperties(int32_t index, void* properties);
  virtual int32_t effectCategory();
  virtual int32_t asyncPosition();
  virtual float* asyncDestination();
  virtual bool onOfflineNotify(void* files, int32_t count, bool start);
  virtual bool onOfflinePrepare(void* tasks, int32_t count);
  virtual bool onOfflineRun(void* tasks, int32_t count);
  virtual int32_t offlinePassCount();
  virtual int32_t offlineMetaPassCount();
  virtual bool processVariableBlock(void* block);
  virtual bool acceptSpeakerArrangement(void* input, void* output);
  virtual void changeBlockSizeAndRate(int32_t frames, float rate);
  virtual bool applyBypass(bool on);
  virtual bool copyEffectName(char* text);
  virtual bool copyErrorText(char* text);
  virtual bool copyVendorText(char* text);
  virtual bool copyProductText(char* text);
  virtual int32_t vendorVersion();
  virtual intptr_t vendorCall(int32_t index, intptr_t value, void* ptr, float opt);
  virtual int32_t capability(const char* text);
  virtual void* icon();
  virtual bool moveView(int32_t x, int32_t y);
  virtual int32_t tailSize();
  virtual int32_t backgroundIdle();
  virtual bool parameterProperties(int32_t index, void* properties);
  virtual bool needsKeys();
  virtual int32_t interfaceVersion();

  void declareAsync(bool on) { setFlag(effFlagsExtIsAsync, on); }
  void declareExternalBuffer(bool on) { setFlag(effFlagsExtHasBuffer, on); }
  void declareInstrument(bool on) { setFlag(effFlagsIsSynth, on); }
  void declareNoTail(bool on) { setFlag(effFlagsNoSoundInStop, on); }

  // Host services; without a host callback each answers its default and calls nothing.
  void hostWantEvents(intptr_t filter);
  void* hostTimeInfo(intptr_t filter);
  intptr_t hostTempoAt(intptr_t position);
  intptr_t hostAutomatableCount();
  intptr_t hostParameterQuantization();
  bool hostIoChanged();
  bool hostNeedIdle();
  bool hostSizeWindow(int32_t width, int32_t height);
  float hostSampleRate();
  int32_t hostBlockSize();
  intptr_t hostInputLatency();
  intptr_t hostOutputLatency();
  AEffect* hostPreviousEffect(int32_t pin);
  AEffect* hostNextEffect(int32_t pin);
  intptr_t hostProcessMode();
  intptr_t hostProcessLevel();
  intptr_t hostAutomationState();
  bool hostOfflineStart(void* files, int32_t count, int32_t newCount);
  bool hostOfflineRead(void* task, int32_t option, bool readSource);
  bool hostOfflineWrite(void* task, int32_t option);
  int32_t hostOfflinePass();
  int32_t hostOfflineMetaPass();
  void hostSetOutputRate(float rate);
  bool hostSpeakerArrangement(void* input, void* output);
  bool hostVendorText(char* text);
  bool hostProductText(char* text);
  intptr_t hostVendorVersion();
  intptr_t hostVendorCall(int32_t index, intptr_t value, void* ptr, float opt);
  int32_t hostCapability(const char* text);
  intptr_t hostLanguage();
  void* hostOpenWindow(void* window);
  bool hostCloseWindow(void* window);
  void* hostDirectory();
  bool hostUpdateDisplay();

 private:
  bool hostBoolean(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr) {
    return callHost(opcode, index, value, ptr) != 0;
  }
};

}  // namespace gyrelle
