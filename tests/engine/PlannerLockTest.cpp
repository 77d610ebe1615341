// Planning and destroying FFTW plans in either plug-in goes through FFTW's
// own planner lock: the two libraries (and the host) share one FFTW, so a
// lock of one library's own would leave the other's planning unguarded. This
// program replaces the lock functions and counts those that FFTW takes.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cstring>
#include <string>

#include "tests/support/LoadedPlugin.h"

namespace {

std::atomic<int> fftwLocks{0};

void noteCaller(void* returnAddress) {
  Dl_info info{};
  if (dladdr(returnAddress, &info) != 0 && info.dli_fname != nullptr && std::strstr(info.dli_fname, "libfftw3f") != nullptr) {
    ++fftwLocks;
  }
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// Exported, so that they take the place of the C library's for FFTW too.
extern "C" {
__attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t* mutex) {
  noteCaller(__builtin_return_address(0));
  static const auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
  return real(mutex);
}
__attribute__((visibility("default"))) int sem_wait(sem_t* semaphore) {
  noteCaller(__builtin_return_address(0));
  static const auto real = next<int (*)(sem_t*)>("sem_wait");
  return real(semaphore);
}
}

namespace {

class PlannerLock : public ::testing::TestWithParam<const char*> {};

TEST_P(PlannerLock, MakingAndClosingAnInstanceTakesFftwsOwnLock) {
  fftwLocks = 0;
  gyrelle::testing::Instance instance(GetParam());
  ASSERT_TRUE(instance.valid());
  EXPECT_GE(fftwLocks.load(), 2);  // one forward and one inverse plan
  fftwLocks = 0;
  instance.close();
  EXPECT_GE(fftwLocks.load(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, PlannerLock, ::testing::Values("gyrelle-mono", "gyrelle-stereo"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(std::strstr(info.param, "mono") ? "Mono" : "Stereo");
                         });

}  // namespace
