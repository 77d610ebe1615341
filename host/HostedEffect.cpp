#include "host/HostedEffect.h"

#include <cstring>

#include "host/EditorBase.h"
#include "host/RecordEntries.h"

namespace gyrelle {

namespace {
constexpr int32_t kBaseUniqueId = 0x4E6F4566;  // 'NoEf'
constexpr intptr_t kIdentifyAnswer = 0x4E764566;  // 'NvEf'
}  // namespace

HostedEffect::HostedEffect(audioMasterCallback callback, int32_t programs, int32_t parameters)
    : hostCallback(callback), programCount(programs), parameterCount(parameters) {
  std::memset(&instanceRecord, 0, sizeof instanceRecord);
  instanceRecord.magic = kEffectMagic;
  instanceRecord.dispatcher = &entries::dispatch;
  instanceRecord.process = &entries::process;
  instanceRecord.setParameter = &entries::setParameter;
  instanceRecord.getParameter = &entries::getParameter;
  instanceRecord.numPrograms = programs;
  instanceRecord.numParams = parameters;
  instanceRecord.numInputs = 1;
  instanceRecord.numOutputs = 2;
  instanceRecord.ioRatio = 1.0f;
  instanceRecord.object = this;
  instanceRecord.uniqueID = kBaseUniqueId;
  instanceRecord.version = 1;
  instanceRecord.processReplacing = &entries::processReplacing;
}

HostedEffect::~HostedEffect() { delete attachedEditor; }

HostedEffect* HostedEffect::fromRecord(AEffect* effect) {
  if (effect == nullptr || effect->magic != kEffectMagic) return nullptr;
  return static_cast<HostedEffect*>(effect->object);
}

void HostedEffect::attachEditor(EditorBase* editor) {
  attachedEditor = editor;
  setFlag(effFlagsHasEditor, editor != nullptr);
}

void HostedEffect::setFlag(int32_t bit, bool on) {
  if (on) {
    instanceRecord.flags |= bit;
  } else {
    instanceRecord.flags &= ~bit;
  }
}

void HostedEffect::writeParameter(int32_t, float) {}
float HostedEffect::readParameter(int32_t) { return 0.0f; }

void HostedEffect::writeParameterAndNotify(int32_t index, float value) {
  writeParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void HostedEffect::processReplace(float**, float**, int32_t) {}

intptr_t HostedEffect::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      onOpen();
      return 0;
    case effClose:
      onClose();
      return 0;
    case effSetProgram:
      // Negative numbers and numbers past the table are ignored.
      if (value >= 0 && value < programCount) selectProgram(static_cast<int32_t>(value));
      return 0;
    case effGetProgram:
      return currentProgram();
    case effSetProgramName:
      if (text != nullptr) renameProgram(text);
      return 0;
    case effGetProgramName:
      if (text != nullptr) copyProgramName(text);
      return 0;
    case effGetParamLabel:
      if (text != nullptr) copyParameterUnit(index, text);
      return 0;
    case effGetParamDisplay:
      if (text != nullptr) copyParameterText(index, text);
      return 0;
    case effGetParamName:
      if (text != nullptr) copyParameterName(index, text);
      return 0;
    case effGetVu:
      return static_cast<intptr_t>(vuLevel() * 32767.0f);
    case effSetSampleRate:
      changeSampleRate(opt);
      return 0;
    case effSetBlockSize:
      changeBlockSize(static_cast<int32_t>(value));
      return 0;
    case effMainsChanged:
      if (value == 0) {
        onSuspend();
      } else {
        onResume();
      }
      return 0;
    case effEditGetRect:
      if (attachedEditor == nullptr || ptr == nullptr) return 0;
      return attachedEditor->editorRect(static_cast<ERect**>(ptr));
    case effEditOpen:
      return attachedEditor != nullptr ? attachedEditor->openEditor(ptr) : 0;
    case effEditClose:
      if (attachedEditor != nullptr) attachedEditor->closeEditor();
      return 0;
    case effEditIdle:
      if (attachedEditor != nullptr) attachedEditor->editorIdle();
      return 0;
    case effIdentify:
      return kIdentifyAnswer;
    case effGetChunk:
      return ptr != nullptr ? saveChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
      return loadChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
      return 0;
  }
}

void HostedEffect::onOpen() {}
void HostedEffect::onClose() {}
int32_t HostedEffect::currentProgram() { return programIndex.load(std::memory_order_relaxed); }
void HostedEffect::selectProgram(int32_t program) { programIndex.store(program, std::memory_order_relaxed); }
void HostedEffect::renameProgram(const char*) {}
void HostedEffect::copyProgramName(char* text) { text[0] = '\0'; }
void HostedEffect::copyParameterUnit(int32_t, char* text) { text[0] = '\0'; }
void HostedEffect::copyParameterText(int32_t, char* text) { text[0] = '\0'; }
void HostedEffect::copyParameterName(int32_t, char* text) { text[0] = '\0'; }
float HostedEffect::vuLevel() { return 0.0f; }
int32_t HostedEffect::saveChunk(void**, bool) { return 0; }
int32_t HostedEffect::loadChunk(void*, int32_t, bool) { return 0; }
void HostedEffect::changeSampleRate(float rate) { sampleRateHz.store(rate, std::memory_order_relaxed); }
void HostedEffect::changeBlockSize(int32_t frames) { blockLength.store(frames, std::memory_order_relaxed); }
void HostedEffect::onSuspend() {}
void HostedEffect::onResume() {}

intptr_t HostedEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (hostCallback == nullptr) return 0;
  return hostCallback(&instanceRecord, opcode, index, value, ptr, opt);
}

intptr_t HostedEffect::hostVersion() {
  intptr_t version = callHost(audioMasterVersion);
  return version != 0 ? version : 1;
}

intptr_t HostedEffect::hostCurrentId() { return callHost(audioMasterCurrentId); }

void HostedEffect::hostIdle() { callHost(audioMasterIdle); }

// Pin queries answer 0 for "connected", the convention of this host opcode.
bool HostedEffect::hostInputConnected(int32_t pin) {
  return !hasHost() || callHost(audioMasterPinConnected, pin, 0) == 0;
}

bool HostedEffect::hostOutputConnected(int32_t pin) {
  return !hasHost() || callHost(audioMasterPinConnected, pin, 1) == 0;
}

}  // namespace gyrelle
