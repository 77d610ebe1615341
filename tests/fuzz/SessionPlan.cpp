#include "tests/fuzz/SessionPlan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "tests/fuzz/SamplePatterns.h"

namespace gyrelle::fuzz {

namespace {

constexpr float kHugeSample = 1e6f;

const float kRates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 8000.0f, 192000.0f, 0.0f, -1.0f, 1e-30f, 1e30f};
const int32_t kBlockSizes[] = {1, 64, 512, 1024, 4096, 4192, 4193, 0, -1, 16384};
const int32_t kBoundaryBlocks[] = {1023, 1024, 1025, 4191, 4192, 4193, 255, 256, 511, 512, 513};
// Texts the plug-in writes, by opcode.
const int32_t kTextOpcodes[] = {8 /*effGetParamName*/,  6 /*effGetParamLabel*/,   7 /*effGetParamDisplay*/,
                                5 /*effGetProgramName*/, 45 /*effGetEffectName*/, 47 /*effGetVendorString*/,
                                48 /*effGetProductString*/, 29 /*effGetProgramNameIndexed*/};

class Decoder {
 public:
  Decoder(ByteReader& input, int32_t inputs, int32_t frames) : in(input), limit(frames) {
    plan.inputs = inputs;
    plan.signal.assign(static_cast<size_t>(inputs), {});
  }

  SessionPlan run() {
    for (int32_t action = 0; action < kMaxActions && !in.empty() && plan.frames < limit; ++action) {
      switch (in.below(12)) {
        case 0: case 1: case 2: case 3: case 4: block(); break;
        case 5: case 6: parameter(); break;
        case 7: structural(); break;
        case 8: dispatch(); break;
        case 9: textQuery(); break;
        case 10: rename(); break;
        case 11: emptyBlock(); break;
      }
    }
    return std::move(plan);
  }

 private:
  SessionEvent& event(SessionEvent::Kind kind) {
    plan.events.emplace_back();
    plan.events.back().kind = kind;
    plan.events.back().position = plan.frames;
    return plan.events.back();
  }

  int32_t blockLength() {
    int32_t frames = 1;
    switch (in.below(6)) {
      case 0: frames = 1 + static_cast<int32_t>(in.below(16)); break;
      case 1: frames = announced >= 1 && announced <= limit ? announced : 512; break;
      case 2: frames = kBoundaryBlocks[in.below(std::size(kBoundaryBlocks))]; break;
      case 3: frames = 1 + static_cast<int32_t>(in.word() % limit); break;
      case 4: frames = 1 + static_cast<int32_t>(in.byte()) * 8; break;
      case 5: frames = 64 << in.below(5); break;
    }
    return std::min(frames, limit - plan.frames);
  }

  void block() {
    BlockCall call;
    call.start = plan.frames;
    call.frames = blockLength();
    const uint8_t how = in.byte();
    call.replacing = (how & 1) == 0;
    call.inPlace = (how & 6) == 0;
    call.missingInput = (how >> 3) == 1 ? BlockCall::kAllInputs : (how >> 3) == 2 ? BlockCall::kLastInput : 0;
    for (int32_t ch = 0; ch < plan.inputs; ++ch) {
      std::vector<float>& channel = plan.signal[static_cast<size_t>(ch)];
      channel.resize(static_cast<size_t>(call.start + call.frames));
      float* samples = channel.data() + call.start;
      const bool missing = call.missingInput == BlockCall::kAllInputs ||
                           (call.missingInput == BlockCall::kLastInput && ch == plan.inputs - 1);
      if (missing) {
        std::fill(samples, samples + call.frames, 0.0f);  // what a missing pointer means
        continue;
      }
      fillSamples(in, samples, call.frames);
      for (int32_t i = 0; i < call.frames && !plan.hostile; ++i) {
        plan.hostile = !(std::fabs(samples[i]) < kHugeSample);
      }
    }
    plan.frames += call.frames;
    plan.blocks.push_back(call);
  }

  void parameter() {
    SessionEvent& e = event(SessionEvent::kParameter);
    const uint8_t pick = in.byte();
    e.index = pick < 0xF0 ? pick % 11 - 1 : in.signedWord();
    e.value = in.below(4) != 0 ? static_cast<float>(in.byte()) / 255.0f : in.anyFloat();
  }

  void structural() {
    switch (in.below(4)) {
      case 0: {
        SessionEvent& e = event(SessionEvent::kProgram);
        const uint8_t pick = in.byte();
        e.number = pick < 0xF0 ? pick % 20 - 2 : static_cast<int64_t>(in.longWord());
        break;
      }
      case 1: {
        SessionEvent& e = event(SessionEvent::kSuspend);
        const uint8_t pick = in.byte();
        e.number = pick < 0xF0 ? 0 : in.signedWord();
        break;
      }
      case 2: {
        SessionEvent& e = event(SessionEvent::kSampleRate);
        e.value = in.below(2) == 0 ? kRates[in.below(std::size(kRates))] : in.anyFloat();
        break;
      }
      case 3: {
        SessionEvent& e = event(SessionEvent::kBlockSize);
        e.number = in.below(2) == 0 ? kBlockSizes[in.below(std::size(kBlockSizes))] : in.signedWord();
        announced = static_cast<int32_t>(e.number);
        break;
      }
    }
  }

  void dispatch() {
    SessionEvent& e = event(SessionEvent::kDispatch);
    const uint8_t pick = in.byte();
    e.code = pick < 0xE0 ? pick % 64 - 2 : in.signedWord();
    const uint8_t indexPick = in.byte();
    e.index = indexPick < 0xC0 ? indexPick % 24 - 4 : in.signedWord();
    const uint8_t valuePick = in.byte();
    e.number = valuePick < 0xC0 ? valuePick % 40 - 4 : valuePick < 0xF0 ? in.signedWord() : static_cast<int64_t>(in.longWord());
    e.value = in.below(2) == 0 ? kRates[in.below(std::size(kRates))] : in.anyFloat();
    e.flags = in.below(2);
  }

  void textQuery() {
    SessionEvent& e = event(SessionEvent::kTextQuery);
    e.code = kTextOpcodes[in.below(std::size(kTextOpcodes))];
    const uint8_t pick = in.byte();
    e.index = pick < 0xF0 ? pick % 13 - 2 : in.signedWord();
  }

  void rename() {
    static const int64_t kLengths[] = {0, 1, 22, 23, 24, 25, 63, 2000};
    SessionEvent& e = event(SessionEvent::kRename);
    e.number = in.below(2) == 0 ? kLengths[in.below(std::size(kLengths))] : in.byte();
    e.flags = in.below(3) == 0 ? 1 : 0;
    e.index = 'a' + static_cast<int32_t>(in.below(26));
  }

  void emptyBlock() {
    SessionEvent& e = event(SessionEvent::kEmptyBlock);
    e.number = in.below(2) == 0 ? 0 : in.below(2) == 0 ? std::numeric_limits<int32_t>::min() : -1 - static_cast<int32_t>(in.word() >> 1);
    e.flags = in.below(2);  // 1: the replacing entry
  }

  ByteReader& in;
  const int32_t limit;
  SessionPlan plan;
  int32_t announced = 1024;
};

}  // namespace

SessionPlan decodeSession(ByteReader& in, int32_t inputs, int32_t limit) { return Decoder(in, inputs, limit).run(); }

std::vector<BlockCall> otherSplit(const SessionPlan& plan) {
  // Positions where a request falls, or where the session ends.
  std::vector<int32_t> boundaries;
  for (const SessionEvent& e : plan.events) {
    if (!e.queryOnly() && e.position > 0 && e.position < plan.frames) boundaries.push_back(e.position);
  }
  boundaries.push_back(plan.frames);
  std::sort(boundaries.begin(), boundaries.end());
  boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());

  std::vector<BlockCall> split;
  auto add = [&split](int32_t start, int32_t frames) {
    BlockCall call;
    call.start = start;
    call.frames = frames;
    split.push_back(call);
  };
  int32_t start = 0;
  for (int32_t end : boundaries) {
    if (end <= start) continue;
    // Between two requests: one block, or, where the plan itself already
    // used one block there, two blocks cut at a third.
    const bool planUsedOne = std::any_of(plan.blocks.begin(), plan.blocks.end(),
                                         [&](const BlockCall& b) { return b.start == start && b.frames == end - start; });
    if (planUsedOne && end - start >= 2) {
      const int32_t cut = std::max(1, (end - start) / 3);
      add(start, cut);
      add(start + cut, end - start - cut);
    } else {
      add(start, end - start);
    }
    start = end;
  }
  return split;
}

}  // namespace gyrelle::fuzz
