// The base of every effect instance: owns the record handed to the host,
// turns the first set of host opcodes (0 to 24) into virtual operations with
// default answers, and offers the basic host services and value texts.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/VstAbi.h"

namespace gyrelle {

class EditorBase;

class HostedEffect {
 public:
  // Host thread that calls the entry point.
  HostedEffect(audioMasterCallback callback, int32_t programCount, int32_t parameterCount);
  // Host thread that sends effClose; deletes the attached editor last.
  virtual ~HostedEffect();

  HostedEffect(const HostedEffect&) = delete;
  HostedEffect& operator=(const HostedEffect&) = delete;

  // The record handed to the host; its `object` field leads back here.
  AEffect* record() { return &instanceRecord; }
  static HostedEffect* fromRecord(AEffect* effect);

  // Construction only: stores the editor and sets or clears effFlagsHasEditor.
  void attachEditor(EditorBase* editor);
  EditorBase* editor() const { return attachedEditor; }

  // --- Virtual operations, in the order the host binding relies on ---
  // Any host thread, the audio thread included: stores a parameter value.
  virtual void writeParameter(int32_t index, float value);
  // Any thread: reads a parameter value.
  virtual float readParameter(int32_t index);
  // UI thread (panel edits): writes the parameter, then tells the host (audioMasterAutomate).
  virtual void writeParameterAndNotify(int32_t index, float value);
  // Audio thread: both block entries write, never add to, the outputs.
  virtual void processAccumulate(float** inputs, float** outputs, int32_t frames) = 0;
  virtual void processReplace(float** inputs, float** outputs, int32_t frames);
  // Any host thread except the audio thread: answers one opcode.
  virtual intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  virtual void onOpen();
  virtual void onClose();
  virtual int32_t currentProgram();
  virtual void selectProgram(int32_t program);
  virtual void renameProgram(const char* text);
  virtual void copyProgramName(char* text);
  virtual void copyParameterUnit(int32_t index, char* text);
  virtual void copyParameterText(int32_t index, char* text);
  virtual void copyParameterName(int32_t index, char* text);
  virtual float vuLevel();
  virtual int32_t saveChunk(void** data, bool isPreset);
  virtual int32_t loadChunk(void* data, int32_t size, bool isPreset);
  virtual void changeSampleRate(float rate);
  virtual void changeBlockSize(int32_t frames);
  virtual void onSuspend();
  virtual void onResume();

  // Declarations made while the instance is built.
  void assignUniqueId(int32_t id) { instanceRecord.uniqueID = id; }
  void assignInputCount(int32_t count) { instanceRecord.numInputs = count; }
  void assignOutputCount(int32_t count) { instanceRecord.numOutputs = count; }
  void declareVu(bool on) { setFlag(effFlagsHasVu, on); }
  void declareClip(bool on) { setFlag(effFlagsHasClip, on); }
  void declareMonoCapable(bool on) { setFlag(effFlagsCanMono, on); }
  void declareReplacing(bool on) { setFlag(effFlagsCanReplacing, on); }
  void declareProgramChunks(bool on) { setFlag(effFlagsProgramChunks, on); }
  void assignRealtimeQualities(int32_t count) { instanceRecord.realQualities = count; }
  void assignOfflineQualities(int32_t count) { instanceRecord.offQualities = count; }
  void assignInitialDelay(int32_t frames) { instanceRecord.initialDelay = frames; }

  // Any thread.
  float currentSampleRate() const { return sampleRateHz.load(std::memory_order_relaxed); }
  int32_t currentBlockSize() const { return blockLength.load(std::memory_order_relaxed); }

  // Host services; without a host callback each answers its default and calls nothing.
  intptr_t hostVersion();
  intptr_t hostCurrentId();
  void hostIdle();
  bool hostInputConnected(int32_t pin);
  bool hostOutputConnected(int32_t pin);

  // Value texts of at most eight characters; the buffer must hold nine bytes.
  virtual void formatDecibels(float level, char* text);
  virtual void formatHertz(float samples, char* text);
  virtual void formatMilliseconds(float samples, char* text);
  virtual void formatFloat(float value, char* text);
  virtual void formatInteger(int32_t value, char* text);

 protected:
  void setFlag(int32_t bit, bool on);
  // Calls the host with this instance's record; answers 0 without a callback.
  intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);
  bool hasHost() const { return hostCallback != nullptr; }

  // Written by dispatcher threads, read by the audio thread.
  std::atomic<float> sampleRateHz{44100.0f};
  EditorBase* attachedEditor = nullptr;
  const audioMasterCallback hostCallback;
  const int32_t programCount;
  const int32_t parameterCount;
  std::atomic<int32_t> programIndex{0};
  std::atomic<int32_t> blockLength{1024};
  AEffect instanceRecord;
};

}  // namespace gyrelle
