// The LV2 driver's own checks against a small LV2 plug-in with a known
// fault: each check must stop on the fault it is there for, and let the
// sound plug-in through a session that uses every kind of request.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/fuzz/Lv2Driver.h"
#include "tests/fuzz/SessionPlayer.h"

namespace gyrelle::fuzz {
namespace {

enum class Fault { kNone, kWrongLatency, kPhaseTooHigh, kWritesUnknownPort, kWritesOnEmptyRun, kOffersExtension };

Fault fault = Fault::kNone;

// Mono: both outputs are half the input; ports as the real plug-in's.
struct FakePlugin {
  float* port[14] = {};
  float* unknown = nullptr;
};

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) { return new FakePlugin; }

void connectPort(LV2_Handle handle, uint32_t index, void* location) {
  auto* plugin = static_cast<FakePlugin*>(handle);
  if (index < 14) {
    plugin->port[index] = static_cast<float*>(location);
  } else if (fault == Fault::kWritesUnknownPort) {
    plugin->unknown = static_cast<float*>(location);
  }
}

void run(LV2_Handle handle, uint32_t frames) {
  auto* plugin = static_cast<FakePlugin*>(handle);
  float* const* p = plugin->port;
  for (uint32_t i = 0; i < frames; ++i) {
    const float in = p[11] != nullptr && std::isfinite(p[11][i]) ? p[11][i] : 0.0f;
    p[12][i] = p[13][i] = std::fmax(-1.0f, std::fmin(1.0f, in)) * 0.5f;
  }
  if (frames == 0 && fault == Fault::kWritesOnEmptyRun) p[12][0] = 0.0f;
  if (plugin->unknown != nullptr) plugin->unknown[0] = 1.0f;
  if (p[9] != nullptr) *p[9] = fault == Fault::kWrongLatency ? 512.0f : 1024.0f;
  if (p[10] != nullptr) *p[10] = fault == Fault::kPhaseTooHigh ? 4.0f : 3.5f;  // four grooves: 0 up to 4
}

void nothing(LV2_Handle) {}
void cleanup(LV2_Handle handle) { delete static_cast<FakePlugin*>(handle); }
const void* extensionData(const char*) { return fault == Fault::kOffersExtension ? &fault : nullptr; }

const LV2_Descriptor kFake = {"urn:test:fake", instantiate, connectPort, nothing, run, nothing, cleanup, extensionData};

// Blocks around one request of each kind.
SessionPlan fullPlan() {
  SessionPlan plan;
  plan.inputs = 1;
  plan.frames = 1200;
  plan.signal.assign(1, std::vector<float>(1200));
  for (int32_t i = 0; i < 1200; ++i) plan.signal[0][static_cast<size_t>(i)] = std::sin(0.05f * static_cast<float>(i));
  for (int32_t start : {0, 300, 700}) {
    BlockCall call;
    call.start = start;
    call.frames = (start == 700 ? 1200 : start == 300 ? 700 : 300) - start;
    call.replacing = start != 300;
    call.inPlace = start == 700;
    plan.blocks.push_back(call);
  }
  const SessionEvent::Kind kinds[] = {SessionEvent::kParameter, SessionEvent::kProgram,   SessionEvent::kSuspend,
                                      SessionEvent::kSampleRate, SessionEvent::kBlockSize, SessionEvent::kDispatch,
                                      SessionEvent::kTextQuery,  SessionEvent::kRename,    SessionEvent::kEmptyBlock};
  for (SessionEvent::Kind kind : kinds) {
    SessionEvent e;
    e.kind = kind;
    e.position = 300;
    e.index = kind == SessionEvent::kParameter ? 3 : 0;
    e.value = 0.75f;
    e.number = kind == SessionEvent::kProgram ? 12345 : kind == SessionEvent::kSuspend ? 0b100110 : 5;
    plan.events.push_back(e);
  }
  SessionEvent unknownPort;
  unknownPort.position = 700;
  unknownPort.index = 4000;
  plan.events.push_back(unknownPort);
  return plan;
}

void play(Fault f) {
  fault = f;
  Lv2Start start;
  Lv2Driver first(kFake, 1, "/nowhere/", start);
  Lv2Driver second(kFake, 1, "/nowhere/", start);
  playAndCompare(fullPlan(), first, second);
}

TEST(Lv2DriverChecks, ASoundPluginPasses) { play(Fault::kNone); }

TEST(Lv2DriverChecks, EachStopsOnItsFault) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  const std::pair<Fault, const char*> cases[] = {
      {Fault::kWrongLatency, "the latency output is not 1024"},
      {Fault::kPhaseTooHigh, "the groove phase output is outside"},
      {Fault::kWritesUnknownPort, "wrote through a port it does not have"},
      {Fault::kWritesOnEmptyRun, "a run of no frames wrote"},
      {Fault::kOffersExtension, "extension_data offers an interface"},
  };
  for (const auto& [f, message] : cases) EXPECT_DEATH(play(f), message);
}

}  // namespace
}  // namespace gyrelle::fuzz
