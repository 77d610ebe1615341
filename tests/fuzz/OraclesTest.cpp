// The session player and its oracles against drivers with a known fault:
// each oracle must stop on the fault it is there for, and let a sound
// driver through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/fuzz/SessionPlayer.h"
#include "tests/fuzz/SoundOracles.h"
#include "tests/fuzz/TextOracle.h"

namespace gyrelle::fuzz {
namespace {

enum class Fault { kNone, kBlockStartClick, kRinging, kOutputsDiffer };

// Half the input, one frame late, with the fault it is given.
class FakeDriver final : public SessionDriver {
 public:
  explicit FakeDriver(Fault f) : fault(f) {}
  int32_t inputCount() const override { return 1; }
  void apply(const SessionEvent&, bool) override {}
  void process(const BlockCall& call, float* const* inputs, float* const* outputs) override {
    for (int32_t i = 0; i < call.frames; ++i) {
      const float in = inputs[0] != nullptr ? inputs[0][i] : 0.0f;
      if (!std::isfinite(in)) ringing = true;
      float out = delay[position % 1024];
      delay[position % 1024] = std::isfinite(in) ? std::clamp(in, -1.0f, 1.0f) * 0.5f : 0.0f;
      ++position;
      if (fault == Fault::kBlockStartClick && i == 0) out += 0.01f;
      if (fault == Fault::kRinging && ringing) out = 0.25f;
      outputs[0][i] = out;
      outputs[1][i] = fault == Fault::kOutputsDiffer ? -out : out;
    }
  }

 private:
  Fault fault;
  float delay[1024] = {};
  int64_t position = 0;
  bool ringing = false;
};

SessionPlan sinePlan(bool hostile) {
  SessionPlan plan;
  plan.inputs = 1;
  plan.frames = 2048;
  plan.signal.assign(1, std::vector<float>(2048));
  for (int32_t i = 0; i < 2048; ++i) plan.signal[0][static_cast<size_t>(i)] = std::sin(0.05f * static_cast<float>(i));
  if (hostile) plan.signal[0][100] = NAN;
  plan.hostile = hostile;
  for (int32_t start : {0, 700, 1500}) {
    BlockCall call;
    call.start = start;
    call.frames = (start == 1500 ? 2048 : start == 700 ? 1500 : 700) - start;
    call.inPlace = start == 700;
    plan.blocks.push_back(call);
  }
  SessionEvent write;
  write.position = 1500;
  plan.events.push_back(write);
  return plan;
}

TEST(SessionOracles, ASoundDriverPasses) {
  FakeDriver first(Fault::kNone), second(Fault::kNone);
  playAndCompare(sinePlan(true), first, second);
}

TEST(SessionOracles, EachStopsOnItsFault) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  struct Case {
    Fault fault;
    bool hostile;
    const char* message;
  };
  const Case cases[] = {
      {Fault::kBlockStartClick, false, "depends on how the session is cut"},
      {Fault::kRinging, true, "silence did not bring the output back"},
      {Fault::kOutputsDiffer, false, "the two outputs differ"},
  };
  for (const Case& c : cases) {
    EXPECT_DEATH(
        {
          FakeDriver first(c.fault);
          FakeDriver second(c.fault);
          playAndCompare(sinePlan(c.hostile), first, second);
        },
        c.message);
  }
}

TEST(SessionOracles, TheOtherCutDiffersAndKeepsEveryRequestOnABoundary) {
  const SessionPlan plan = sinePlan(false);
  const std::vector<BlockCall> split = otherSplit(plan);
  // The plan cuts at 700 and 1500 (a request); the other cut must keep 1500
  // and nothing else of the plan's.
  std::vector<int32_t> starts;
  int32_t next = 0;
  for (const BlockCall& call : split) {
    EXPECT_EQ(call.start, next);
    EXPECT_TRUE(call.replacing && !call.inPlace && call.missingInput == 0);
    starts.push_back(call.start);
    next += call.frames;
  }
  EXPECT_EQ(next, plan.frames);
  EXPECT_EQ(starts, (std::vector<int32_t>{0, 1500, 1682}));
}

TEST(GuardedTextTest, AcceptsATextWithinItsLimitAndStopsOnOverrunsAndMissingTerminators) {
  GuardedText fits(8);
  std::strcpy(fits.data(), "12345678");
  EXPECT_EQ(fits.check("overrun"), 8u);

  EXPECT_DEATH(
      {
        GuardedText longer(8);
        std::strcpy(longer.data(), "123456789");
        longer.check("too long");
      },
      "too long");
  EXPECT_DEATH(
      {
        GuardedText unterminated(8);
        std::memcpy(unterminated.data(), "1234", 4);
        unterminated.data()[4] = 0x7f;
        unterminated.check("unterminated");
      },
      "unterminated");
  EXPECT_DEATH(
      {
        GuardedText guard(8);
        guard.data()[20] = 'x';
        guard.check("guard byte");
      },
      "guard byte");
}

}  // namespace
}  // namespace gyrelle::fuzz
