// The audio path allocates nothing, takes no lock and makes no system call.
// This program replaces the allocation and locking functions to count their
// use on the audio thread, and runs that thread under a seccomp filter that
// traps every system call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/support/LoadedPlugin.h"
#include "tests/support/RealtimeGuard.h"

namespace {

using gyrelle::testing::countOnThisThread;
using gyrelle::testing::Instance;
using gyrelle::testing::realtimeCounters;
using gyrelle::testing::trapSystemCalls;

// What a host's audio thread does: blocks of every size through both entries,
// automation on the audio thread (structural changes included), hostile samples.
struct AudioBuffers {
  AudioBuffers() : in(10000), left(10000), right(10000) {
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.4f * std::sin(0.05f * static_cast<float>(i));
    in[17] = NAN;
    in[99] = INFINITY;
    in[500] = 1e38f;
  }
  std::vector<float> in, left, right;
};

void audioWork(AEffect* effect, AudioBuffers& buffers) {
  std::vector<float>& in = buffers.in;
  std::vector<float>& left = buffers.left;
  std::vector<float>& right = buffers.right;
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {left.data(), right.data()};
  const int32_t blocks[] = {512, 1, 64, 10000, 4192, 300};
  for (int round = 0; round < 8; ++round) {
    for (int32_t frames : blocks) {
      effect->processReplacing(effect, ins, outs, frames);
      effect->process(effect, ins, outs, frames);
      effect->setParameter(effect, round % 9, 0.1f * static_cast<float>(frames % 10));
      effect->getParameter(effect, 3);
    }
    effect->setParameter(effect, 0, 0.2f * static_cast<float>(round % 5));
    effect->setParameter(effect, 1, 0.125f * static_cast<float>(round));
  }
}

class RealtimeSafety : public ::testing::TestWithParam<const char*> {};

TEST_P(RealtimeSafety, TheAudioThreadAllocatesLocksAndCallsTheKernelNever) {
  Instance instance(GetParam());
  instance.start(48000.0f, 512);
  AudioBuffers buffers;
  audioWork(instance.effect(), buffers);  // binds every lazily resolved symbol first

  realtimeCounters().reset();
  bool filtered = false;
  std::thread audio([&] {
    filtered = trapSystemCalls();
    countOnThisThread(true);
    audioWork(instance.effect(), buffers);
    countOnThisThread(false);
  });
  audio.join();
  ASSERT_TRUE(filtered);
  EXPECT_EQ(realtimeCounters().findings(), "");
}

TEST(RealtimeSafetyProbe, TheCountersSeeWhatTheyMustSee) {
  realtimeCounters().reset();
  std::thread probe([] {
    countOnThisThread(true);
    void* volatile p = malloc(16);
    free(p);
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    pthread_mutex_lock(&m);
    pthread_mutex_unlock(&m);
    countOnThisThread(false);
  });
  probe.join();
  EXPECT_GE(realtimeCounters().allocations.load(), 1);
  EXPECT_GE(realtimeCounters().locks.load(), 1);
  realtimeCounters().syscallsTrapped = 0;
  std::thread trapped([] {
    trapSystemCalls();
    syscall(SYS_getpid);
  });
  trapped.join();
  EXPECT_EQ(realtimeCounters().syscallsTrapped.load(), 1);
}

// The LV2 plug-ins through their descriptor, as a host's run() calls them:
// blocks of every size, in place and not, control changes (structural ones
// and hostile values included) read at each run, a deactivate and activate.
struct Lv2Ports {
  Lv2Ports() : in(10000), left(10000), right(10000) {
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.4f * std::sin(0.05f * static_cast<float>(i));
    in[17] = NAN;
    in[500] = 1e38f;
  }
  float controls[11] = {2, 4, 24, 0.3f, 0, 0, 50, -90, 0, 0, 0};
  std::vector<float> in, left, right;
};

void lv2AudioWork(const LV2_Descriptor* descriptor, LV2_Handle handle, Lv2Ports& ports, uint32_t inputs) {
  const uint32_t blocks[] = {512, 0, 1, 64, 10000, 4096, 300};
  const float hostile[] = {NAN, INFINITY, -INFINITY, 1e30f, -3.0f};
  for (int round = 0; round < 6; ++round) {
    const bool inPlace = round % 2 == 1;
    for (uint32_t ch = 0; ch < inputs; ++ch) descriptor->connect_port(handle, 11 + ch, ports.in.data());
    descriptor->connect_port(handle, 11 + inputs, inPlace ? ports.in.data() : ports.left.data());
    descriptor->connect_port(handle, 12 + inputs, ports.right.data());
    for (uint32_t frames : blocks) {
      descriptor->run(handle, frames);
      ports.controls[frames % 9] = hostile[frames % 5];
      descriptor->run(handle, frames);
      ports.controls[frames % 9] = 0.5f;
    }
    ports.controls[0] = static_cast<float>(1 + round % 4);
    ports.controls[1] = static_cast<float>(2 + round);
    if (round == 3) {
      descriptor->deactivate(handle);
      descriptor->activate(handle);
    }
  }
}

class Lv2RealtimeSafety : public ::testing::TestWithParam<uint32_t> {};

TEST_P(Lv2RealtimeSafety, RunAllocatesLocksAndCallsTheKernelNever) {
  void* library = dlopen(GYRELLE_LV2_BUNDLE "/gyrelle-dsp.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2_Descriptor* descriptor = entry(GetParam());
  ASSERT_NE(descriptor, nullptr);
  const LV2_Feature* none[] = {nullptr};
  LV2_Handle handle = descriptor->instantiate(descriptor, 48000.0, GYRELLE_LV2_BUNDLE, none);
  ASSERT_NE(handle, nullptr);
  Lv2Ports ports;
  for (uint32_t k = 0; k < 11; ++k) descriptor->connect_port(handle, k, &ports.controls[k]);
  const uint32_t inputs = GetParam() + 1;
  descriptor->activate(handle);
  lv2AudioWork(descriptor, handle, ports, inputs);  // binds every lazily resolved symbol first

  realtimeCounters().reset();
  bool filtered = false;
  std::thread audio([&] {
    filtered = trapSystemCalls();
    countOnThisThread(true);
    lv2AudioWork(descriptor, handle, ports, inputs);
    countOnThisThread(false);
  });
  audio.join();
  ASSERT_TRUE(filtered);
  EXPECT_EQ(realtimeCounters().findings(), "");
  descriptor->deactivate(handle);
  descriptor->cleanup(handle);
  dlclose(library);
}

INSTANTIATE_TEST_SUITE_P(Builds, Lv2RealtimeSafety, ::testing::Values(0u, 1u),
                         [](const auto& info) { return std::string(info.index == 0 ? "Mono" : "Stereo"); });

INSTANTIATE_TEST_SUITE_P(Builds, RealtimeSafety, ::testing::Values("gyrelle-mono", "gyrelle-stereo"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Mono" : "Stereo"); });

}  // namespace
