// The host services: what each passes to the host callback, and what it makes
// of the answer, with and without a callback.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "host/EditorBase.h"
#include "host/HostedEffectEx.h"

using namespace gyrelle;

namespace {

struct Call {
  AEffect* effect;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  void* ptr;
  float opt;
};

std::vector<Call> calls;
intptr_t hostAnswer = 0;

intptr_t recordingHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  calls.push_back({effect, opcode, index, value, ptr, opt});
  return hostAnswer;
}

class PlainEffect : public HostedEffectEx {
 public:
  explicit PlainEffect(audioMasterCallback callback) : HostedEffectEx(callback, 4, 3) {}
  void processAccumulate(float**, float**, int32_t) override {}
  void writeParameter(int32_t index, float value) override { written.push_back({index, value}); }
  float vuLevel() override { return vu; }
  bool needsKeys() override { return keys; }

  std::vector<std::pair<int32_t, float>> written;
  float vu = 0.5f;
  bool keys = false;
};

struct ServiceCase {
  const char* name;
  std::function<intptr_t(PlainEffect&)> call;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  intptr_t hostAnswer;
  intptr_t result;           // with the host answering hostAnswer
  intptr_t resultWithoutHost;
};

char textBuffer[64];

const std::vector<ServiceCase>& serviceCases() {
  static const std::vector<ServiceCase> cases = {
      {"version", [](PlainEffect& e) { return e.hostVersion(); }, audioMasterVersion, 0, 0, 2400, 2400, 1},
      {"version zero", [](PlainEffect& e) { return e.hostVersion(); }, audioMasterVersion, 0, 0, 0, 1, 1},
      {"current id", [](PlainEffect& e) { return e.hostCurrentId(); }, audioMasterCurrentId, 0, 0, 77, 77, 0},
      {"idle", [](PlainEffect& e) { e.hostIdle(); return intptr_t{0}; }, audioMasterIdle, 0, 0, 5, 0, 0},
      {"input connected", [](PlainEffect& e) { return intptr_t{e.hostInputConnected(3)}; }, audioMasterPinConnected, 3, 0, 0, 1, 1},
      {"input not connected", [](PlainEffect& e) { return intptr_t{e.hostInputConnected(3)}; }, audioMasterPinConnected, 3, 0, 1, 0, 1},
      {"output connected", [](PlainEffect& e) { return intptr_t{e.hostOutputConnected(1)}; }, audioMasterPinConnected, 1, 1, 0, 1, 1},
      {"time info", [](PlainEffect& e) { return reinterpret_cast<intptr_t>(e.hostTimeInfo(6)); }, audioMasterGetTime, 0, 6, 4096, 4096, 0},
      {"tempo", [](PlainEffect& e) { return e.hostTempoAt(99); }, audioMasterTempoAt, 0, 99, 120, 120, 0},
      {"io changed", [](PlainEffect& e) { return intptr_t{e.hostIoChanged()}; }, audioMasterIOChanged, 0, 0, 7, 1, 0},
      {"size window", [](PlainEffect& e) { return intptr_t{e.hostSizeWindow(512, 316)}; }, audioMasterSizeWindow, 512, 316, 1, 1, 0},
      {"sample rate", [](PlainEffect& e) { return static_cast<intptr_t>(e.hostSampleRate()); }, audioMasterGetSampleRate, 0, 0, 96000, 44100, 44100},
      {"block size", [](PlainEffect& e) { return intptr_t{e.hostBlockSize()}; }, audioMasterGetBlockSize, 0, 0, 64, 1024, 1024},
      {"offline pass", [](PlainEffect& e) { return intptr_t{e.hostOfflinePass()}; }, audioMasterOfflineGetCurrentPass, 0, 0, 9, 1, 0},
      {"can do yes", [](PlainEffect& e) { return intptr_t{e.hostCapability("sendVstEvents")}; }, audioMasterCanDo, 0, 0, 1, 1, 0},
      {"can do minus one", [](PlainEffect& e) { return intptr_t{e.hostCapability("sendVstEvents")}; }, audioMasterCanDo, 0, 0, -1, 1, 0},
      {"can do no", [](PlainEffect& e) { return intptr_t{e.hostCapability("sendVstEvents")}; }, audioMasterCanDo, 0, 0, 0, 0, 0},
      {"vendor text", [](PlainEffect& e) { return intptr_t{e.hostVendorText(textBuffer)}; }, audioMasterGetVendorString, 0, 0, 1, 1, 0},
      {"language", [](PlainEffect& e) { return e.hostLanguage(); }, audioMasterGetLanguage, 0, 0, 3, 3, 0},
      {"update display", [](PlainEffect& e) { return intptr_t{e.hostUpdateDisplay()}; }, audioMasterUpdateDisplay, 0, 0, 1, 1, 0},
      {"process level", [](PlainEffect& e) { return e.hostProcessLevel(); }, audioMasterGetCurrentProcessLevel, 0, 0, 2, 2, 0},
      {"want events", [](PlainEffect& e) { e.hostWantEvents(3); return intptr_t{0}; }, audioMasterWantMidi, 0, 3, 1, 0, 0},
      {"automatable count", [](PlainEffect& e) { return e.hostAutomatableCount(); }, audioMasterGetNumAutomatableParameters, 0, 0, 9, 9, 0},
      {"quantization", [](PlainEffect& e) { return e.hostParameterQuantization(); }, audioMasterGetParameterQuantization, 0, 0, 4, 4, 0},
      {"need idle", [](PlainEffect& e) { return intptr_t{e.hostNeedIdle()}; }, audioMasterNeedIdle, 0, 0, 1, 1, 0},
      {"input latency", [](PlainEffect& e) { return e.hostInputLatency(); }, audioMasterGetInputLatency, 0, 0, 256, 256, 0},
      {"output latency", [](PlainEffect& e) { return e.hostOutputLatency(); }, audioMasterGetOutputLatency, 0, 0, 128, 128, 0},
      {"previous effect", [](PlainEffect& e) { return reinterpret_cast<intptr_t>(e.hostPreviousEffect(1)); }, audioMasterGetPreviousPlug, 0, 0, 64, 64, 0},
      {"next effect", [](PlainEffect& e) { return reinterpret_cast<intptr_t>(e.hostNextEffect(1)); }, audioMasterGetNextPlug, 0, 0, 64, 64, 0},
      {"process mode", [](PlainEffect& e) { return e.hostProcessMode(); }, audioMasterWillReplaceOrAccumulate, 0, 0, 1, 1, 0},
      {"automation state", [](PlainEffect& e) { return e.hostAutomationState(); }, audioMasterGetAutomationState, 0, 0, 2, 2, 0},
      {"offline start", [](PlainEffect& e) { return intptr_t{e.hostOfflineStart(nullptr, 2, 3)}; }, audioMasterOfflineStart, 3, 2, 1, 1, 0},
      {"offline read", [](PlainEffect& e) { return intptr_t{e.hostOfflineRead(nullptr, 5, true)}; }, audioMasterOfflineRead, 1, 5, 1, 1, 0},
      {"offline write", [](PlainEffect& e) { return intptr_t{e.hostOfflineWrite(nullptr, 6)}; }, audioMasterOfflineWrite, 0, 6, 0, 0, 0},
      {"offline meta pass", [](PlainEffect& e) { return intptr_t{e.hostOfflineMetaPass()}; }, audioMasterOfflineGetCurrentMetaPass, 0, 0, 5, 1, 0},
      {"output rate", [](PlainEffect& e) { e.hostSetOutputRate(96000.0f); return intptr_t{0}; }, audioMasterSetOutputSampleRate, 0, 0, 1, 0, 0},
      {"speaker arrangement", [](PlainEffect& e) { return intptr_t{e.hostSpeakerArrangement(nullptr, nullptr)}; }, audioMasterGetSpeakerArrangement, 0, 0, 1, 1, 0},
      {"product text", [](PlainEffect& e) { return intptr_t{e.hostProductText(textBuffer)}; }, audioMasterGetProductString, 0, 0, 1, 1, 0},
      {"vendor version", [](PlainEffect& e) { return e.hostVendorVersion(); }, audioMasterGetVendorVersion, 0, 0, 1200, 1200, 0},
      {"vendor call", [](PlainEffect& e) { return e.hostVendorCall(4, 8, nullptr, 0.5f); }, audioMasterVendorSpecific, 4, 8, 42, 42, 0},
      {"open window", [](PlainEffect& e) { return reinterpret_cast<intptr_t>(e.hostOpenWindow(nullptr)); }, audioMasterOpenWindow, 0, 0, 96, 96, 0},
      {"close window", [](PlainEffect& e) { return intptr_t{e.hostCloseWindow(nullptr)}; }, audioMasterCloseWindow, 0, 0, 1, 1, 0},
      {"directory", [](PlainEffect& e) { return reinterpret_cast<intptr_t>(e.hostDirectory()); }, audioMasterGetDirectory, 0, 0, 32, 32, 0},
  };
  return cases;
}

TEST(HostServices, ArgumentsAndAnswers) {
  for (const ServiceCase& c : serviceCases()) {
    PlainEffect effect(&recordingHost);
    calls.clear();
    hostAnswer = c.hostAnswer;
    EXPECT_EQ(c.call(effect), c.result) << c.name;
    ASSERT_EQ(calls.size(), 1u) << c.name;
    EXPECT_EQ(calls[0].effect, effect.record()) << c.name;
    EXPECT_EQ(calls[0].opcode, c.opcode) << c.name;
    EXPECT_EQ(calls[0].index, c.index) << c.name;
    EXPECT_EQ(calls[0].value, c.value) << c.name;
  }
}

TEST(HostServices, WithoutCallbackNothingIsCalledAndDefaultsApply) {
  for (const ServiceCase& c : serviceCases()) {
    PlainEffect effect(nullptr);
    calls.clear();
    EXPECT_EQ(c.call(effect), c.resultWithoutHost) << c.name;
    EXPECT_TRUE(calls.empty()) << c.name;
  }
  PlainEffect effect(nullptr);
  EXPECT_EQ(effect.hostTimeInfo(0), nullptr);
  EXPECT_EQ(effect.hostPreviousEffect(0), nullptr);
  EXPECT_EQ(effect.hostDirectory(), nullptr);
  effect.writeParameterAndNotify(7, 0.5f);
  ASSERT_EQ(effect.written.size(), 1u);
  EXPECT_TRUE(calls.empty());
}

TEST(HostServices, AutomationWritesFirstThenTellsTheHost) {
  PlainEffect effect(&recordingHost);
  calls.clear();
  effect.writeParameterAndNotify(7, 0.5f);
  ASSERT_EQ(effect.written.size(), 1u);
  EXPECT_EQ(effect.written[0].first, 7);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(calls[0].index, 7);
  EXPECT_EQ(calls[0].value, 0);
  EXPECT_EQ(calls[0].opt, 0.5f);
}

TEST(BaseDispatcher, OverridableAnswers) {
  PlainEffect effect(nullptr);
  AEffect* record = effect.record();
  EXPECT_EQ(record->dispatcher(record, effGetVu, 0, 0, nullptr, 0), 16383);
  EXPECT_EQ(record->dispatcher(record, effKeysRequired, 0, 0, nullptr, 0), 1);
  effect.keys = true;
  EXPECT_EQ(record->dispatcher(record, effKeysRequired, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effSetBlockSizeAndSampleRate, 0, 512, nullptr, 22050.0f), 1);
  EXPECT_EQ(effect.currentBlockSize(), 512);
  EXPECT_EQ(effect.currentSampleRate(), 22050.0f);
  EXPECT_EQ(record->dispatcher(record, effSetProgram, 0, 3, nullptr, 0), 0);
  EXPECT_EQ(record->dispatcher(record, effGetProgram, 0, 0, nullptr, 0), 3);
  record->dispatcher(record, effSetProgram, 0, 4, nullptr, 0);  // past the four programs
  EXPECT_EQ(record->dispatcher(record, effGetProgram, 0, 0, nullptr, 0), 3);
}

TEST(BaseDispatcher, EditorFlagFollowsTheAttachedEditor) {
  PlainEffect effect(nullptr);
  effect.declareMonoCapable(true);
  effect.declareNoTail(true);
  auto* editor = new EditorBase(&effect);
  effect.attachEditor(editor);
  EXPECT_EQ(effect.record()->flags, 0x209);
  ERect* rect = reinterpret_cast<ERect*>(1);
  EXPECT_EQ(effect.record()->dispatcher(effect.record(), effEditGetRect, 0, 0, &rect, 0), 0);
  EXPECT_EQ(rect, nullptr);
  effect.attachEditor(nullptr);
  EXPECT_EQ(effect.record()->flags, 0x208);
  delete editor;
}

}  // namespace
