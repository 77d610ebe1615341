// Opcode answers, as a host sees them through the record.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "tests/support/LoadedPlugin.h"

using namespace gyrelle::testing;

namespace {

struct OpcodeCase {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  intptr_t answer;
};

// Every opcode the binding answers with its default, and opcodes it does not know.
const OpcodeCase kDefaults[] = {
    {effOpen, 0, 0, 0},
    {effGetProgram, 0, 0, 0},
    {effGetVu, 0, 0, 0},
    {effEditGetRect, 0, 0, 0},
    {effEditOpen, 0, 0, 0},
    {effEditClose, 0, 0, 0},
    {effEditDraw, 0, 0, 0},
    {effEditMouse, 0, 0, 0},
    {effEditKey, 0, 0, 0},
    {effEditIdle, 0, 0, 0},
    {effEditTop, 0, 0, 0},
    {effEditSleep, 0, 0, 0},
    {effIdentify, 0, 0, 0x4E764566},
    {effGetChunk, 0, 0, 0},
    {effGetChunk, 1, 0, 0},
    {effSetChunk, 0, 16, 0},
    {effProcessEvents, 0, 0, 0},
    {effCanBeAutomated, 0, 0, 1},
    {effCanBeAutomated, 8, 0, 1},
    {effCanBeAutomated, 123, 0, 1},
    {effString2Parameter, 0, 0, 0},
    {effGetNumProgramCategories, 0, 0, 1},
    {effGetProgramNameIndexed, 0, 0, 0},
    {effCopyProgram, 1, 0, 0},
    {effConnectInput, 0, 0, 1},
    {effConnectInput, 1, 1, 1},
    {effConnectOutput, 0, 0, 1},
    {effConnectOutput, 1, 1, 1},
    {effGetInputProperties, 0, 0, 0},
    {effGetOutputProperties, 0, 0, 0},
    {effGetPlugCategory, 0, 0, 0},
    {effGetCurrentPosition, 0, 0, 0},
    {effGetDestinationBuffer, 0, 0, 0},
    {effOfflineNotify, 0, 0, 0},
    {effOfflinePrepare, 0, 0, 0},
    {effOfflineRun, 0, 0, 0},
    {effProcessVarIo, 0, 0, 0},
    {effSetSpeakerArrangement, 0, 0, 0},
    {effSetBypass, 0, 1, 0},
    {effGetErrorText, 0, 0, 0},
    {effGetVendorVersion, 0, 0, 0},
    {effVendorSpecific, 0, 0, 0},
    {effGetTailSize, 0, 0, 0},
    {effIdle, 0, 0, 0},
    {effGetIcon, 0, 0, 0},
    {effSetViewPosition, 10, 20, 0},
    {effGetParameterProperties, 0, 0, 0},
    {effKeysRequired, 0, 0, 1},
    {effGetVstVersion, 0, 0, 2},
    {59, 0, 0, 0},
    {999, 0, 0, 0},
    {-1, 0, 0, 0},
    {INT_MIN, 0, 0, 0},
    {INT_MAX, 0, 0, 0},
};

class Dispatcher : public ::testing::TestWithParam<const char*> {};

TEST_P(Dispatcher, DefaultAnswersWithValidAndNullPointers) {
  Instance instance(GetParam());
  ASSERT_TRUE(instance.valid());
  for (const OpcodeCase& c : kDefaults) {
    alignas(16) char buffer[512] = {};
    EXPECT_EQ(instance.dispatch(c.opcode, c.index, c.value, buffer), c.answer) << "opcode " << c.opcode;
    EXPECT_EQ(instance.dispatch(c.opcode, c.index, c.value, nullptr), c.answer) << "opcode " << c.opcode;
  }
}

TEST_P(Dispatcher, CapabilityQueriesAreNeverClaimed) {
  Instance instance(GetParam());
  for (const char* text : {"receiveVstEvents", "1in2out", "plugAsChannelInsert", "", "bypass"}) {
    EXPECT_EQ(instance.dispatch(effCanDo, 0, 0, const_cast<char*>(text)), 0) << text;
  }
  EXPECT_EQ(instance.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_P(Dispatcher, TextRequestsWithNullPointerAnswerZeroAndWriteNothing) {
  Instance instance(GetParam());
  for (int32_t opcode : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                         effGetEffectName, effGetVendorString, effGetProductString, effGetErrorText}) {
    EXPECT_EQ(instance.dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
  }
  EXPECT_EQ(instance.text(effGetProgramName), "Init 1");
}

TEST_P(Dispatcher, BlockSizeAndRateTogetherAnswerOne) {
  Instance instance(GetParam());
  EXPECT_EQ(instance.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 22050.0f), 1);
  EXPECT_EQ(instance.dispatch(effSetBlockSizeAndSampleRate, 0, -5, nullptr, -1.0f), 1);
}

INSTANTIATE_TEST_SUITE_P(Builds, Dispatcher, ::testing::Values("gyrelle-mono", "gyrelle-stereo"),
                         [](const auto& info) { return std::string(std::strstr(info.param, "mono") ? "Mono" : "Stereo"); });

}  // namespace
