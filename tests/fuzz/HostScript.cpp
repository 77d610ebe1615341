#include "tests/fuzz/HostScript.h"

#include "toolkit/HeadlessPlatform.h"

#include "tests/fuzz/SamplePatterns.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace gyrelle::fuzz {

namespace {

constexpr int32_t kNumParams = 9;
constexpr int32_t kNumPrograms = 16;
constexpr size_t kNameLimit = 23;   // program names are cut to 23 characters
constexpr size_t kTextLimit = 64;   // no parameter text comes anywhere near this
constexpr size_t kHostNameBytes = 24;  // the name buffer a host owns
constexpr float kSentinel = std::numeric_limits<float>::quiet_NaN();  // an output nobody wrote stays NaN

// GYRELLE_FUZZ_TRACE=1 prints every action, to read a finding back.
const bool tracing = std::getenv("GYRELLE_FUZZ_TRACE") != nullptr;

void trace(const char* format, ...) {
  if (!tracing) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
}

[[noreturn]] void fail(const char* what, double detail = 0.0) {
  std::fprintf(stderr, "host contract broken: %s (%g)\n", what, detail);
  std::abort();
}

const float kOpts[] = {0.0f, 1.0f, 0.5f, -1.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 22050.0f, 1e-30f, 1e30f};
const intptr_t kBlockSizes[] = {1, 64, 512, 1024, 4096, 4192, 4193, 8192, 0, -1, 16384, 20000};
const int32_t kBoundaryBlocks[] = {4191, 4192, 4193, 1023, 1024, 1025, 8384, 8385};

// Opcodes whose pointer leads to structures with pointers of their own: a
// host gives a valid one, here an empty (zeroed) one or none.
bool pointsToStructure(int32_t opcode) {
  switch (opcode) {
    case effProcessEvents:
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effVendorSpecific:
      return true;
    default:
      return false;
  }
}

bool readsText(int32_t opcode) {
  return opcode == effSetProgramName || opcode == effCanDo || opcode == effString2Parameter;
}

bool isEditorOpcode(int32_t opcode) {
  return opcode == effEditGetRect || opcode == effEditOpen || opcode == effEditClose || opcode == effEditIdle;
}

}  // namespace

void HostScript::play() {
  AEffect before;
  std::memcpy(&before, record, sizeof before);
  for (int32_t action = 0; action < kMaxActions && !in.empty(); ++action) {
    switch (in.below(10)) {
      case 0: dispatchAnything(); break;
      case 1: writeParameter(); break;
      case 2: changeProgram(); break;
      case 3: renameProgram(); break;
      case 4:
      case 5: processBlock(); break;
      case 6: changeBlockSizeOrRate(); break;
      case 7: suspendOrResume(); break;
      case 8: editorAction(); break;
      case 9: queryTexts(); break;
    }
  }
  // The host owns the record's layout; no opcode may have written into it.
  if (std::memcmp(&before, record, sizeof before) != 0) fail("the instance record changed");
  checkFinalState();
}

intptr_t HostScript::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  trace("dispatch %d index %d value %lld ptr %s opt %g", opcode, index, static_cast<long long>(value),
        ptr == nullptr ? "null" : "buffer", static_cast<double>(opt));
  return record->dispatcher(record, opcode, index, value, ptr, opt);
}

void HostScript::dispatchAnything() {
  const uint8_t pick = in.byte();
  int32_t opcode = pick < 0xE0 ? pick % 64 - 2 : in.signedWord();
  // Closing ends the script, never its middle; the editor has its own well-formed actions.
  if (opcode == effClose) opcode = effOpen;
  if (isEditorOpcode(opcode)) {
    editorAction();
    return;
  }
  const uint8_t indexPick = in.byte();
  const int32_t index = indexPick < 0xC0 ? indexPick % 24 - 4 : in.signedWord();
  const uint8_t valuePick = in.byte();
  intptr_t value = valuePick < 0xC0 ? valuePick % 40 - 4
                   : valuePick < 0xF0 ? in.signedWord()
                                      : static_cast<intptr_t>(in.longWord());
  const uint8_t optPick = in.byte();
  const float opt = optPick < 0x80 ? kOpts[optPick % std::size(kOpts)] : in.anyFloat();

  std::vector<char> text;
  void* ptr = nullptr;
  switch (in.below(4)) {
    case 0:
      break;
    case 1:
      std::fill(buffer.begin(), buffer.end(), static_cast<char>(in.byte()));
      ptr = buffer.data();
      break;
    case 2:
      std::fill(buffer.begin(), buffer.end(), 0);
      ptr = buffer.data();
      break;
    case 3: {
      // Opcodes that only read a text get one exactly as long as it says, so
      // that reading past it is caught; the others write into what they get,
      // and a host gives them a full buffer.
      if (!readsText(opcode)) {
        std::fill(buffer.begin(), buffer.end(), 'x');
        buffer.back() = '\0';
        ptr = buffer.data();
        break;
      }
      const bool unterminated = (opcode == effSetProgramName || opcode == effCanDo) && in.below(2) == 0;
      const size_t length = (unterminated ? kHostNameBytes : 1) + static_cast<size_t>(in.byte()) * 8;
      text.assign(length, static_cast<char>('A' + in.below(26)));
      if (!unterminated) text.back() = '\0';
      ptr = text.data();
      break;
    }
  }
  if (pointsToStructure(opcode) && ptr != nullptr) {
    std::fill(buffer.begin(), buffer.end(), 0);
    ptr = buffer.data();
  }
  std::vector<char> arrangement(512, 0);
  if (opcode == effSetSpeakerArrangement) value = ptr != nullptr ? reinterpret_cast<intptr_t>(arrangement.data()) : 0;
  if (opcode == effSetChunk && ptr != nullptr) {
    std::fill(buffer.begin(), buffer.end(), 0);
    ptr = buffer.data();
    value = std::clamp<intptr_t>(value, 0, static_cast<intptr_t>(buffer.size()));
  }
  if (opcode == effSetBlockSize || opcode == effSetBlockSizeAndSampleRate) announcedBlock = static_cast<int32_t>(value);
  dispatch(opcode, index, value, ptr, opt);
}

void HostScript::writeParameter() {
  const uint8_t pick = in.byte();
  const int32_t index = pick < 0xE0 ? pick % (kNumParams + 2) - 1 : in.signedWord();
  const float value = in.below(2) == 0 ? static_cast<float>(in.byte()) / 255.0f : in.anyFloat();
  trace("setParameter %d %g", index, static_cast<double>(value));
  record->setParameter(record, index, value);
  const float stored = record->getParameter(record, index);
  if (!(stored >= 0.0f && stored <= 1.0f)) fail("a parameter reads outside 0..1", stored);
}

void HostScript::changeProgram() {
  const uint8_t pick = in.byte();
  const intptr_t program = pick < 0xE0 ? pick % (kNumPrograms + 4) - 2 : static_cast<intptr_t>(in.longWord());
  dispatch(effSetProgram, 0, program, nullptr, 0.0f);
  const intptr_t current = dispatch(effGetProgram, 0, 0, nullptr, 0.0f);
  if (current < 0 || current >= kNumPrograms) fail("the current program is out of range", double(current));
}

void HostScript::renameProgram() {
  static const size_t kLengths[] = {0, 1, 22, 23, 24, 25, 63, 2000};
  const size_t length = in.below(2) == 0 ? kLengths[in.below(std::size(kLengths))] : in.byte();
  // Nobody can find the end of an unterminated text in a buffer shorter than
  // the 24 bytes hosts give a name: only longer ones come unterminated.
  const bool unterminated = length >= kHostNameBytes && in.below(3) == 0;
  // Exactly the bytes the host owns: the terminator only when there is one.
  std::vector<char> name(length + (unterminated ? 0 : 1), static_cast<char>('a' + in.below(26)));
  if (!unterminated) name.back() = '\0';
  dispatch(effSetProgramName, 0, 0, name.empty() ? nullptr : name.data(), 0.0f);

  std::fill(buffer.begin(), buffer.end(), 0x7f);
  dispatch(effGetProgramName, 0, 0, buffer.data(), 0.0f);
  const size_t shown = strnlen(buffer.data(), buffer.size());
  if (shown > kNameLimit) fail("a program name longer than 23 characters", double(shown));
}

int32_t HostScript::blockLength() {
  const int32_t announced = announcedBlock >= 1 && announcedBlock <= kMaxBlock ? announcedBlock : 512;
  int32_t frames = 0;
  switch (in.below(8)) {
    case 0: frames = 0; break;
    case 1: frames = in.below(2) == 0 ? std::numeric_limits<int32_t>::min() : -1 - static_cast<int32_t>(in.word() >> 1); break;
    case 2: frames = 1 + static_cast<int32_t>(in.below(16)); break;
    case 3: frames = announced; break;
    case 4: frames = announced * (2 + static_cast<int32_t>(in.below(3))); break;
    case 5: frames = static_cast<int32_t>(in.word() % kMaxBlock); break;
    case 6: frames = kBoundaryBlocks[in.below(std::size(kBoundaryBlocks))]; break;
    case 7: frames = 1 + static_cast<int32_t>(in.word() % 2048); break;
  }
  if (frames <= 0) return frames;
  return static_cast<int32_t>(std::min<int64_t>({frames, kMaxBlock, samplesLeft}));
}

void HostScript::checkOutput(const float* samples, int32_t frames) const {
  for (int32_t i = 0; i < frames; ++i) {
    if (!std::isfinite(samples[i])) fail("an output sample is not finite or was never written", samples[i]);
    if (std::fabs(samples[i]) > 1.0f) fail("an output sample is outside -1..1", samples[i]);
  }
}

void HostScript::processBlock() {
  const bool replacing = in.below(2) == 0;
  const bool inPlace = in.below(3) == 0;
  const uint8_t nulls = in.below(16);  // now and then a channel pointer a host left empty
  const int32_t frames = blockLength();
  const size_t length = static_cast<size_t>(std::max(frames, 1));
  const int32_t inputs = record->numInputs;

  std::vector<std::vector<float>> inputData(static_cast<size_t>(inputs), std::vector<float>(length));
  std::vector<std::vector<float>> outputData(2, std::vector<float>(length, kSentinel));
  for (auto& channel : inputData) fillSamples(in, channel.data(), frames > 0 ? frames : 1);
  // In place: the samples go in through the very buffers they come out of.
  if (inPlace) {
    for (int32_t ch = 0; ch < inputs; ++ch) outputData[static_cast<size_t>(ch)] = inputData[static_cast<size_t>(ch)];
  }
  float* outputPointers[2] = {outputData[0].data(), outputData[1].data()};
  float* inputPointers[2] = {};
  for (int32_t ch = 0; ch < inputs; ++ch) {
    inputPointers[ch] = inPlace ? outputPointers[ch] : inputData[static_cast<size_t>(ch)].data();
  }
  float** inputArray = inputPointers;
  if (nulls == 1) inputArray = nullptr;
  if (nulls == 2) inputPointers[inputs - 1] = nullptr;
  if (nulls == 3) outputPointers[1] = nullptr;
  if (nulls == 4) outputPointers[0] = nullptr;

  trace("%s %d frames%s, null pattern %d", replacing ? "processReplacing" : "process", frames,
        inPlace ? " in place" : "", nulls);
  const unsigned modeBefore = _mm_getcsr();
  if (replacing) {
    record->processReplacing(record, inputArray, outputPointers, frames);
  } else {
    record->process(record, inputArray, outputPointers, frames);
  }
  if (_mm_getcsr() != modeBefore) fail("the host's floating-point mode was not restored");
  if (frames <= 0) return;
  samplesLeft -= frames;
  for (float* output : outputPointers) {
    if (output != nullptr) checkOutput(output, frames);
  }
}

void HostScript::changeBlockSizeOrRate() {
  const intptr_t size = in.below(2) == 0 ? kBlockSizes[in.below(std::size(kBlockSizes))] : in.signedWord();
  const float rate = in.below(2) == 0 ? kOpts[in.below(std::size(kOpts))] : in.anyFloat();
  switch (in.below(3)) {
    case 0:
      dispatch(effSetBlockSize, 0, size, nullptr, 0.0f);
      announcedBlock = static_cast<int32_t>(size);
      break;
    case 1:
      dispatch(effSetSampleRate, 0, 0, nullptr, rate);
      break;
    case 2:
      dispatch(effSetBlockSizeAndSampleRate, 0, size, nullptr, rate);
      announcedBlock = static_cast<int32_t>(size);
      break;
  }
}

void HostScript::suspendOrResume() {
  const uint8_t pick = in.byte();
  dispatch(effMainsChanged, 0, pick < 0xF0 ? pick & 1 : in.signedWord(), nullptr, 0.0f);
}

// Editor actions, as a host's user-interface thread sends them. effEditOpen
// only ever gets a parent window: a host would give it nothing else.
void HostScript::editorAction() {
  switch (in.below(5)) {
    case 0: {
      ERect* rect = nullptr;
      if (dispatch(effEditGetRect, 0, 0, &rect, 0.0f) != 0) {
        if (rect == nullptr) fail("effEditGetRect answered 1 without a rectangle");
        volatile int16_t width = static_cast<int16_t>(rect->right - rect->left);  // must be readable
        (void)width;
      }
      break;
    }
    case 1:
      dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
      break;
    case 2:
      dispatch(effEditClose, 0, 0, nullptr, 0.0f);
      break;
    case 3:
      // Window 2 is a parent the platform treats as gone; any other exists.
      dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t{1} + in.below(2)), 0.0f);
      break;
    case 4:
      pressOnPanel();
      break;
  }
}

// A mouse press somewhere on (or just off) the open panel, the pointer moving
// and letting go as the input says, then the host's idle call that handles it.
void HostScript::pressOnPanel() {
  HeadlessWindow* window = platform.latestWindow();
  if (window == nullptr) return;
  const PanelPoint where{in.byte() * 2 + static_cast<int32_t>(in.below(2)) - 8, in.byte() * 5 / 4 - 8};
  const int32_t modifiers[] = {0, ModShift, ModAlt, ModControl};
  const int32_t buttons = (in.below(4) == 0 ? MouseRight : MouseLeft) | modifiers[in.below(4)];
  std::vector<PointerStep> steps;
  for (uint32_t n = in.below(12); n > 0; --n) {
    steps.push_back({{where.h + static_cast<int32_t>(in.byte()) - 128, where.v + 2 * in.byte() - 256}, buttons});
  }
  window->scriptPointer(steps);  // released once the steps run out, so every drag ends
  window->queueButtonPress((buttons & MouseRight) != 0 ? 3 : 1, where);
  platform.queuePopupChoice(static_cast<int32_t>(in.below(6)) - 1);
  trace("press at %d,%d buttons %d, %zu pointer steps", where.h, where.v, buttons, steps.size());
  dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
  dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
}

void HostScript::queryTexts() {
  static const int32_t kTextOpcodes[] = {effGetParamName, effGetParamLabel, effGetParamDisplay, effGetProgramName,
                                         effGetEffectName, effGetVendorString, effGetProductString,
                                         effGetProgramNameIndexed};
  const int32_t opcode = kTextOpcodes[in.below(std::size(kTextOpcodes))];
  const uint8_t pick = in.byte();
  const int32_t index = pick < 0xE0 ? pick % (kNumParams + 4) - 2 : in.signedWord();
  std::fill(buffer.begin(), buffer.end(), 0x7f);
  buffer[0] = '\0';  // an index the plug-in ignores leaves an empty text
  dispatch(opcode, index, 0, buffer.data(), 0.0f);
  const size_t length = strnlen(buffer.data(), buffer.size());
  if (length >= kTextLimit) fail("a text without its terminator", double(length));
}

void HostScript::checkFinalState() {
  for (int32_t index = 0; index < kNumParams; ++index) {
    const float value = record->getParameter(record, index);
    if (!(value >= 0.0f && value <= 1.0f)) fail("a parameter reads outside 0..1", value);
  }
  const intptr_t program = dispatch(effGetProgram, 0, 0, nullptr, 0.0f);
  if (program < 0 || program >= kNumPrograms) fail("the current program is out of range", double(program));
}

}  // namespace gyrelle::fuzz
