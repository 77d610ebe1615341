// A host session decoded from a fuzzer input, free of any plug-in format: the
// signal of every input channel, the blocks it is cut into (length, entry,
// in place or not) and the host requests made between blocks, each at a
// sample position. The same plan can be played on several instances, cut into
// blocks differently, to compare what they give.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/fuzz/ByteReader.h"

namespace gyrelle::fuzz {

// A host request between blocks. Each format's driver says what it means.
struct SessionEvent {
  enum Kind : uint8_t {
    kParameter,   // index, value: any float
    kProgram,     // number: any program number
    kSuspend,     // number: the value of the suspend request; a resume follows
    kSampleRate,  // value: any rate
    kBlockSize,   // number: any announced block size
    kDispatch,    // code, index, number, value; flags 1: a zeroed buffer as the pointer
    kTextQuery,   // code, index: a text the plug-in writes (first instance only)
    kRename,      // number: length of a program name, flags 1: unterminated (first instance only)
    kEmptyBlock,  // number: a block length of 0 or less (first instance only)
  };
  Kind kind = kParameter;
  int32_t position = 0;  // samples of the session processed before it
  int32_t code = 0;
  int32_t index = 0;
  int64_t number = 0;
  float value = 0.0f;
  uint8_t flags = 0;

  // Requests that change no state, sent to the first instance only.
  bool queryOnly() const { return kind == kTextQuery || kind == kRename || kind == kEmptyBlock; }
};

// One call of a block entry.
struct BlockCall {
  enum MissingInput : uint8_t { kAllInputs = 1, kLastInput = 2 };  // pointers the host leaves null
  int32_t start = 0;
  int32_t frames = 0;
  bool replacing = true;  // the replacing entry, or the one that writes through process
  bool inPlace = false;   // the outputs are also the inputs
  uint8_t missingInput = 0;
};

struct SessionPlan {
  int32_t inputs = 1;
  int32_t frames = 0;
  std::vector<std::vector<float>> signal;  // per input channel, `frames` long; null inputs read as silence
  std::vector<BlockCall> blocks;           // as the input cut the session
  std::vector<SessionEvent> events;        // in order, positions ascending
  bool hostile = false;                    // some input sample is not finite or huge
};

// The most audio one input may ask for, in samples per channel: the
// latency's 1024 and a frame of output, which keeps every input fast.
// Blocks share it; the longest is the whole of it.
constexpr int32_t kSessionFrames = 2048;
constexpr int32_t kMaxActions = 64;

// Decodes the rest of `in` into a session for a build with `inputs` channels,
// of at most `limit` samples.
SessionPlan decodeSession(ByteReader& in, int32_t inputs, int32_t limit = kSessionFrames);

// Another cut of the same session: a block boundary wherever a request falls,
// otherwise different from the plan's own, every block through the replacing
// entry with separate buffers and no pointer missing.
std::vector<BlockCall> otherSplit(const SessionPlan& plan);

}  // namespace gyrelle::fuzz
