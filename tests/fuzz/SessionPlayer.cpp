#include "tests/fuzz/SessionPlayer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/SoundOracles.h"

namespace gyrelle::fuzz {

namespace {

// GYRELLE_FUZZ_TRACE=1 prints every call, to read a finding back.
const bool tracing = std::getenv("GYRELLE_FUZZ_TRACE") != nullptr;

using Output = std::vector<std::vector<float>>;

Output play(const SessionPlan& plan, const std::vector<BlockCall>& split, SessionDriver& driver, bool first) {
  Output output(2, std::vector<float>(static_cast<size_t>(plan.frames), kUnwritten));
  size_t next = 0;
  auto applyUpTo = [&](int32_t position) {
    for (; next < plan.events.size() && plan.events[next].position <= position; ++next) {
      const SessionEvent& e = plan.events[next];
      if (e.queryOnly() && !first) continue;
      if (tracing) {
        std::fprintf(stderr, "%s @%d: request %d code %d index %d number %lld value %g flags %d\n",
                     first ? "first" : "second", e.position, e.kind, e.code, e.index,
                     static_cast<long long>(e.number), static_cast<double>(e.value), e.flags);
      }
      driver.apply(e, first);
    }
  };
  for (const BlockCall& call : split) {
    applyUpTo(call.start);
    float* inputs[2] = {};
    float* outputs[2] = {output[0].data() + call.start, output[1].data() + call.start};
    for (int32_t ch = 0; ch < plan.inputs; ++ch) {
      inputs[ch] = const_cast<float*>(plan.signal[static_cast<size_t>(ch)].data()) + call.start;
    }
    if (call.inPlace) {
      // The host's buffers carry the input in and the output out.
      for (int32_t ch = 0; ch < plan.inputs; ++ch) {
        std::copy(inputs[ch], inputs[ch] + call.frames, outputs[ch]);
        inputs[ch] = outputs[ch];
      }
    }
    if (call.missingInput == BlockCall::kLastInput) inputs[plan.inputs - 1] = nullptr;
    if (call.missingInput == BlockCall::kAllInputs) {
      for (float*& input : inputs) input = nullptr;
    }
    if (tracing) {
      std::fprintf(stderr, "%s @%d: %d frames, %s%s, missing input %d\n", first ? "first" : "second", call.start,
                   call.frames, call.replacing ? "replacing" : "process", call.inPlace ? " in place" : "",
                   call.missingInput);
    }
    driver.process(call, inputs, outputs);
    for (float* samples : outputs) checkSound(samples, call.frames, first ? "first instance" : "second instance");
  }
  applyUpTo(plan.frames);
  return output;
}

// Silence in blocks of 512 after the session.
void playSilence(SessionDriver& driver) {
  const int32_t frames = kRecoveryFrames + kSilenceChecked;
  std::vector<float> silence(static_cast<size_t>(frames), 0.0f);
  Output output(2, std::vector<float>(static_cast<size_t>(frames), kUnwritten));
  for (int32_t start = 0; start < frames; start += 512) {
    BlockCall call;
    call.start = start;
    call.frames = std::min(512, frames - start);
    float* inputs[2] = {silence.data() + start, silence.data() + start};
    float* outputs[2] = {output[0].data() + start, output[1].data() + start};
    driver.process(call, inputs, outputs);
  }
  for (const std::vector<float>& channel : output) checkRecovered(channel.data(), frames);
}

}  // namespace

void playAndCompare(const SessionPlan& plan, SessionDriver& first, SessionDriver& second) {
  const Output cutByInput = play(plan, plan.blocks, first, true);
  const Output cutOtherwise = play(plan, otherSplit(plan), second, false);
  for (size_t ch = 0; ch < 2; ++ch) {
    checkIdentical(cutByInput[ch].data(), cutOtherwise[ch].data(), plan.frames, ch == 0 ? "output 1" : "output 2",
                   "the output depends on how the session is cut into blocks");
  }
  if (plan.inputs == 1) checkIdentical(cutByInput[0].data(), cutByInput[1].data(), plan.frames, "mono build",
                                       "the two outputs differ");
  if (plan.hostile) playSilence(first);
  first.finish();
  second.finish();
}

}  // namespace gyrelle::fuzz
