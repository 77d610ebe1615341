// A small VST 2 effect for the renderer's tests: a gain with a delay line,
// three named parameters and three programs. Compile-time switches make the
// variants the tests need (channel counts, latency, refusing to instantiate,
// no entry point, only a "main" entry, no replacing entry). When the
// environment names a log file, it writes the host's calls into it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

#include "host/VstAbi.h"

#ifndef TEST_INPUTS
#define TEST_INPUTS 2
#endif
#ifndef TEST_LATENCY
#define TEST_LATENCY 0
#endif
// The latency the record claims; the delay line is TEST_LATENCY long.
#ifndef TEST_REPORTED_LATENCY
#define TEST_REPORTED_LATENCY TEST_LATENCY
#endif

#ifdef TEST_REFUSE
constexpr bool kRefuse = true;
#else
constexpr bool kRefuse = false;
#endif
#ifdef TEST_NO_REPLACING
constexpr bool kReplacing = false;
#else
constexpr bool kReplacing = true;
#endif

namespace {

constexpr size_t kDelayLength = TEST_LATENCY > 0 ? TEST_LATENCY : 1;
constexpr int kParams = 3;
constexpr int kPrograms = 3;
const char* const kParamNames[kParams] = {"Gain", "Dry-Out Level", "Mix_Amount"};
const char* const kProgramNames[kPrograms] = {"Unity", "Half", "Silent"};
const float kProgramGain[kPrograms] = {0.5f, 0.25f, 0.0f};

struct TestEffect {
  AEffect record;  // first, so the record's address is the object's
  audioMasterCallback host = nullptr;
  float params[kParams] = {0.5f, 0.0f, 1.0f};
  int program = 0;
  int blockSize = 0;
  std::vector<std::vector<float>> delay;  // per input channel, TEST_LATENCY long
  size_t delayPos = 0;
  FILE* log = nullptr;
  bool slow = false;  // sleeps in every block, so that a test can interrupt a render
  std::string lastLogged;
};

TestEffect* self(AEffect* e) { return reinterpret_cast<TestEffect*>(e); }

// Repeated lines (one per block) are written once.
void note(TestEffect* fx, const std::string& line) {
  if (!fx->log || line == fx->lastLogged) return;
  fx->lastLogged = line;
  std::fprintf(fx->log, "%s\n", line.c_str());
  std::fflush(fx->log);
}

void copyText(void* ptr, const std::string& text) {
  if (ptr) std::strcpy(static_cast<char*>(ptr), text.c_str());
}

intptr_t dispatcher(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt) {
  TestEffect* fx = self(e);
  switch (opcode) {
    case effOpen:
      note(fx, "open");
      note(fx, "host automate " + std::to_string(fx->host(e, audioMasterAutomate, 0, 0, nullptr, 0.5f)) +
                   " idle " + std::to_string(fx->host(e, audioMasterIdle, 0, 0, nullptr, 0.0f)) +
                   " other " + std::to_string(fx->host(e, audioMasterGetTime, 0, 0, nullptr, 0.0f)));
      return 0;
    case effClose:
      note(fx, "close");
      if (fx->log) std::fclose(fx->log);
      delete fx;
      return 1;
    case effSetSampleRate:
      note(fx, "rate " + std::to_string(static_cast<int>(opt)) + " host " +
                   std::to_string(fx->host(e, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f)));
      return 0;
    case effSetBlockSize:
      fx->blockSize = static_cast<int>(value);
      note(fx, "block " + std::to_string(value) + " host " +
                   std::to_string(fx->host(e, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f)));
      return 0;
    case effMainsChanged:
      note(fx, "mains " + std::to_string(value));
      return 0;
    case effSetProgram:
      if (value >= 0 && value < kPrograms) {
        fx->program = static_cast<int>(value);
        fx->params[0] = kProgramGain[value];
        note(fx, "program " + std::to_string(value));
      }
      return 0;
    case effGetProgram:
      return fx->program;
    case effGetProgramName:
      copyText(ptr, kProgramNames[fx->program]);
      return 0;
    case effGetParamName:
      if (index >= 0 && index < kParams) copyText(ptr, kParamNames[index]);
      return 0;
    case effGetParamLabel:
      if (index == 0) copyText(ptr, "x");
      return 0;
    case effGetParamDisplay:
      if (index >= 0 && index < kParams) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", index == 0 ? 2.0 * fx->params[0] : fx->params[index]);
        copyText(ptr, text);
      }
      return 0;
    case effGetEffectName:
      copyText(ptr, "Test Gain");
      return 1;
    default:
      return 0;
  }
}

void setParameter(AEffect* e, int32_t index, float value) {
  TestEffect* fx = self(e);
  if (index >= 0 && index < kParams) fx->params[index] = value;
  note(fx, "set " + std::to_string(index));
}

float getParameter(AEffect* e, int32_t index) {
  return index >= 0 && index < kParams ? self(e)->params[index] : 0.0f;
}

// Output c carries input min(c, inputs - 1), delayed and scaled by 2 x Gain.
void render(AEffect* e, float** inputs, float** outputs, int32_t frames, bool accumulate) {
  TestEffect* fx = self(e);
  std::string line = frames > fx->blockSize ? "process beyond the block size" : "process";
  if (TEST_INPUTS == 2) {
    const bool same = std::memcmp(inputs[0], inputs[1], sizeof(float) * static_cast<size_t>(frames)) == 0;
    line += same ? ", inputs equal" : ", inputs differ";
  }
  note(fx, line);
  if (fx->slow) usleep(2000);
  const float gain = 2.0f * fx->params[0];
  for (int32_t i = 0; i < frames; ++i) {
    float out[2];
    for (int ch = 0; ch < TEST_INPUTS; ++ch) {
      float v = inputs[ch][i];
      if (TEST_LATENCY > 0) {
        std::swap(v, fx->delay[static_cast<size_t>(ch)][fx->delayPos]);
      }
      out[ch] = v * gain;
    }
    fx->delayPos = (fx->delayPos + 1) % kDelayLength;
    for (int c = 0; c < 2; ++c) {
      const float v = out[c < TEST_INPUTS ? c : TEST_INPUTS - 1];
      outputs[c][i] = accumulate ? outputs[c][i] + v : v;
    }
  }
}

void processReplacing(AEffect* e, float** in, float** out, int32_t frames) {
  render(e, in, out, frames, false);
}

void processAccumulating(AEffect* e, float** in, float** out, int32_t frames) {
  render(e, in, out, frames, true);
}

AEffect* createEffect(audioMasterCallback host) {
  if (kRefuse) return nullptr;
  if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  auto* fx = new TestEffect();
  fx->host = host;
  AEffect& r = fx->record;
  std::memset(&r, 0, sizeof r);
  r.magic = kEffectMagic;
  r.dispatcher = dispatcher;
  r.process = processAccumulating;
  r.setParameter = setParameter;
  r.getParameter = getParameter;
  r.numPrograms = kPrograms;
  r.numParams = kParams;
  r.numInputs = TEST_INPUTS;
  r.numOutputs = 2;
  r.initialDelay = TEST_REPORTED_LATENCY;
  r.ioRatio = 1.0f;
  r.object = fx;
  r.uniqueID = 0x54657374;
  r.version = 1;
  r.flags = effFlagsCanMono;
  if (kReplacing) {
    r.flags |= effFlagsCanReplacing;
    r.processReplacing = processReplacing;
  }
  fx->delay.assign(TEST_INPUTS, std::vector<float>(kDelayLength, 0.0f));
  fx->slow = std::getenv("GYRELLE_TEST_PLUGIN_SLOW") != nullptr;
  if (const char* path = std::getenv("GYRELLE_TEST_PLUGIN_LOG")) {
    fx->log = std::fopen(path, "a");
    note(fx, "host version " + std::to_string(host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f)));
  }
  return &r;
}

}  // namespace

#if defined(TEST_NO_ENTRY)
extern "C" __attribute__((visibility("default"))) AEffect* somethingElse(audioMasterCallback host) {
  return createEffect(host);
}
#elif defined(TEST_MAIN_ONLY)
// A C++ function may not be called main, so the symbol gets the name by label.
extern "C" __attribute__((visibility("default"))) AEffect* pluginMain(audioMasterCallback host) __asm__("main");
extern "C" AEffect* pluginMain(audioMasterCallback host) { return createEffect(host); }
#else
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  return createEffect(host);
}
#endif
