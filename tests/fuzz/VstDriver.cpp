#include "tests/fuzz/VstDriver.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/TextOracle.h"

namespace gyrelle::fuzz {

namespace {

constexpr int32_t kNumParams = 9;
constexpr int32_t kNumPrograms = 16;
constexpr size_t kHostNameBytes = 24;  // the program name buffer a host owns

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// The longest text each query may write: the longest parameter name
// ("Loudest Pitch"), unit ("st") and value text (eight characters); program
// names of 23 characters; and the buffers hosts give the identity texts.
size_t textLimit(int32_t opcode) {
  switch (opcode) {
    case effGetParamName: return 13;
    case effGetParamLabel: return 2;
    case effGetParamDisplay: return 8;
    case effGetProgramName:
    case effGetProgramNameIndexed: return 23;
    case effGetEffectName: return 31;
    default: return 63;  // vendor and product
  }
}

}  // namespace

VstDriver::VstDriver(PluginEntryProc entry) {
  record = entry(&hostCallback);
  if (record == nullptr) fail("the entry point made no instance");
  std::memcpy(&snapshot, record, sizeof snapshot);
  dispatch(effOpen, 0, 0, nullptr, 0.0f);
  dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  dispatch(effSetBlockSize, 0, 512, nullptr, 0.0f);
  dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
}

VstDriver::~VstDriver() { dispatch(effClose, 0, 0, nullptr, 0.0f); }

intptr_t VstDriver::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return record->dispatcher(record, opcode, index, value, ptr, opt);
}

void VstDriver::apply(const SessionEvent& event, bool first) {
  switch (event.kind) {
    case SessionEvent::kParameter: {
      record->setParameter(record, event.index, event.value);
      const float stored = record->getParameter(record, event.index);
      if (!(stored >= 0.0f && stored <= 1.0f)) fail("a parameter reads outside 0..1", stored);
      break;
    }
    case SessionEvent::kProgram:
      dispatch(effSetProgram, 0, static_cast<intptr_t>(event.number), nullptr, 0.0f);
      checkProgram();
      break;
    case SessionEvent::kSuspend:
      dispatch(effMainsChanged, 0, static_cast<intptr_t>(event.number), nullptr, 0.0f);
      dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
      break;
    case SessionEvent::kSampleRate:
      dispatch(effSetSampleRate, 0, 0, nullptr, event.value);
      break;
    case SessionEvent::kBlockSize:
      dispatch(effSetBlockSize, 0, static_cast<intptr_t>(event.number), nullptr, 0.0f);
      break;
    case SessionEvent::kDispatch:
      dispatchAnything(event);
      break;
    case SessionEvent::kTextQuery:
      if (first) queryText(event.code, event.index);
      break;
    case SessionEvent::kRename:
      if (first) rename(event);
      break;
    case SessionEvent::kEmptyBlock:
      if (first) emptyBlock(event);
      break;
  }
}

// Any opcode with any index, value and opt, and a null or zeroed pointer;
// what no well-behaved host sends (close in the middle, the panel's opcodes,
// a pointer of the wrong kind) is left out; a structure the pointer leads
// to comes empty (zeroed).
void VstDriver::dispatchAnything(const SessionEvent& event) {
  static std::vector<char> zeroed(512);
  int32_t opcode = event.code;
  if (opcode == effClose || (opcode >= effEditGetRect && opcode <= effEditSleep)) opcode = effIdentify;
  intptr_t value = static_cast<intptr_t>(event.number);
  std::fill(zeroed.begin(), zeroed.end(), 0);
  void* ptr = event.flags == 1 ? zeroed.data() : nullptr;
  if (opcode == effSetSpeakerArrangement) value = 0;
  if (opcode == effSetChunk && ptr != nullptr) value = std::clamp<intptr_t>(value, 0, static_cast<intptr_t>(zeroed.size()));
  dispatch(opcode, event.index, value, ptr, event.value);
  checkProgram();
}

void VstDriver::queryText(int32_t opcode, int32_t index) {
  GuardedText text(textLimit(opcode));
  dispatch(opcode, index, 0, text.data(), 0.0f);
  text.check("a text longer than allowed, unterminated or past its buffer");
}

void VstDriver::rename(const SessionEvent& event) {
  const size_t length = static_cast<size_t>(event.number);
  // Nobody can find the end of an unterminated text shorter than the 24
  // bytes hosts give a name: only longer ones come unterminated.
  const bool unterminated = event.flags == 1 && length >= kHostNameBytes;
  std::vector<char> name(length + (unterminated ? 0 : 1), static_cast<char>(event.index));
  if (!unterminated) name[length] = '\0';
  dispatch(effSetProgramName, 0, 0, name.empty() ? nullptr : name.data(), 0.0f);
  queryText(effGetProgramName, 0);
}

// A block of no samples or a negative count writes nothing.
void VstDriver::emptyBlock(const SessionEvent& event) {
  float samples[2][16];
  std::fill(&samples[0][0], &samples[0][0] + 32, 0.25f);
  float* channels[2] = {samples[0], samples[1]};
  const int32_t frames = static_cast<int32_t>(event.number);
  if (event.flags == 1) {
    record->processReplacing(record, channels, channels, frames);
  } else {
    record->process(record, channels, channels, frames);
  }
  for (int32_t i = 0; i < 32; ++i) {
    if ((&samples[0][0])[i] != 0.25f) fail("a block of no samples wrote into a buffer", frames);
  }
}

void VstDriver::process(const BlockCall& call, float* const* inputs, float* const* outputs) {
  float* inputPointers[2] = {inputs[0], record->numInputs > 1 ? inputs[1] : nullptr};
  float* outputPointers[2] = {outputs[0], outputs[1]};
  float** inputArray = call.missingInput == BlockCall::kAllInputs ? nullptr : inputPointers;
  const unsigned modeBefore = _mm_getcsr();
  if (call.replacing) {
    record->processReplacing(record, inputArray, outputPointers, call.frames);
  } else {
    record->process(record, inputArray, outputPointers, call.frames);
  }
  if (_mm_getcsr() != modeBefore) fail("the host's floating-point mode was not restored");
}

void VstDriver::checkProgram() {
  const intptr_t current = dispatch(effGetProgram, 0, 0, nullptr, 0.0f);
  if (current < 0 || current >= kNumPrograms) fail("the current program is out of range", double(current));
}

void VstDriver::finish() {
  if (std::memcmp(&snapshot, record, sizeof snapshot) != 0) fail("the instance record changed");
  for (int32_t index = 0; index < kNumParams; ++index) {
    const float value = record->getParameter(record, index);
    if (!(value >= 0.0f && value <= 1.0f)) fail("a parameter reads outside 0..1", value);
  }
  checkProgram();
}

}  // namespace gyrelle::fuzz
