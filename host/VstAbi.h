// The VST 2 binary interface as Linux x86-64 hosts use it, written from the
// published facts of the record layout and the opcode numbers.
#pragma once

#include <cstddef>
#include <cstdint>

struct AEffect;

// Host callback and dispatcher share one signature: effect, opcode, index,
// value (pointer-sized), pointer, opt.
using audioMasterCallback = intptr_t (*)(AEffect*, int32_t, int32_t, intptr_t, void*, float);
using AEffectDispatcherProc = intptr_t (*)(AEffect*, int32_t, int32_t, intptr_t, void*, float);
using AEffectProcessProc = void (*)(AEffect*, float**, float**, int32_t);
using AEffectSetParameterProc = void (*)(AEffect*, int32_t, float);
using AEffectGetParameterProc = float (*)(AEffect*, int32_t);

constexpr int32_t kEffectMagic = 0x56737450;  // 'VstP'

struct AEffect {
  int32_t magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;
  intptr_t resvd1;
  intptr_t resvd2;
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;
  void* user;
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  void* processDoubleReplacing;  // not offered: stays null
  char future[56];
};

static_assert(offsetof(AEffect, magic) == 0);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, process) == 16);
static_assert(offsetof(AEffect, setParameter) == 24);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, numParams) == 44);
static_assert(offsetof(AEffect, numInputs) == 48);
static_assert(offsetof(AEffect, numOutputs) == 52);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, resvd2) == 72);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, realQualities) == 84);
static_assert(offsetof(AEffect, offQualities) == 88);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, processDoubleReplacing) == 128);
static_assert(offsetof(AEffect, future) == 136);
static_assert(sizeof(AEffect) == 192);

// The editor rectangle.
struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
static_assert(sizeof(ERect) == 8);

// Flag bits of AEffect::flags.
enum : int32_t {
  effFlagsHasEditor = 0x1,
  effFlagsHasClip = 0x2,
  effFlagsHasVu = 0x4,
  effFlagsCanMono = 0x8,
  effFlagsCanReplacing = 0x10,
  effFlagsProgramChunks = 0x20,
  effFlagsIsSynth = 0x100,
  effFlagsNoSoundInStop = 0x200,
  effFlagsExtIsAsync = 0x400,
  effFlagsExtHasBuffer = 0x800,
};

// Dispatcher opcodes (host to plug-in).
enum : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,
  effEditMouse = 17,
  effEditKey = 18,
  effEditIdle = 19,
  effEditTop = 20,
  effEditSleep = 21,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,
  effConnectInput = 31,
  effConnectOutput = 32,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,
  effGetDestinationBuffer = 37,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetIcon = 54,
  effSetViewPosition = 55,
  effGetParameterProperties = 56,
  effKeysRequired = 57,
  effGetVstVersion = 58,
};

// Host callback opcodes (plug-in to host).
enum : int32_t {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterPinConnected = 4,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterTempoAt = 10,
  audioMasterGetNumAutomatableParameters = 11,
  audioMasterGetParameterQuantization = 12,
  audioMasterIOChanged = 13,
  audioMasterNeedIdle = 14,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetInputLatency = 18,
  audioMasterGetOutputLatency = 19,
  audioMasterGetPreviousPlug = 20,
  audioMasterGetNextPlug = 21,
  audioMasterWillReplaceOrAccumulate = 22,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterOfflineStart = 25,
  audioMasterOfflineRead = 26,
  audioMasterOfflineWrite = 27,
  audioMasterOfflineGetCurrentPass = 28,
  audioMasterOfflineGetCurrentMetaPass = 29,
  audioMasterSetOutputSampleRate = 30,
  audioMasterGetSpeakerArrangement = 31,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterOpenWindow = 39,
  audioMasterCloseWindow = 40,
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
};

// The library's entry point: given the host callback, answers the instance
// record or null. Exported as VSTPluginMain and as main.
using PluginEntryProc = AEffect* (*)(audioMasterCallback);
