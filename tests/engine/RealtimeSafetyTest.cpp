// The audio path allocates nothing, takes no lock and makes no system call.
// This program replaces the allocation and locking functions to count their
// use on the audio thread, and runs that thread under a seccomp filter that
// traps every system call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <thread>
#include <vector>

#include "tests/support/LoadedPlugin.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
thread_local bool onAudioThread = false;
std::atomic<int> allocations{0};
std::atomic<int> frees{0};
std::atomic<int> locks{0};
std::atomic<int> syscallsTrapped{0};
std::atomic<long> lastSyscall{-1};

void noteAllocation() {
  if (onAudioThread) ++allocations;
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
using MutexFunction = int (*)(pthread_mutex_t*);
using RwFunction = int (*)(pthread_rwlock_t*);
}  // namespace

// The replaced lock functions find the real ones on first use.
#define FORWARD_LOCK(Type, name, argument)                \
  if (onAudioThread) ++locks;                             \
  static const Type real = next<Type>(name);              \
  return real(argument)

extern "C" {
void* malloc(size_t size) {
  noteAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  noteAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  noteAllocation();
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  noteAllocation();
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  noteAllocation();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  noteAllocation();
  *out = __libc_memalign(alignment, size);
  return *out != nullptr ? 0 : ENOMEM;
}
void free(void* p) {
  if (onAudioThread && p != nullptr) ++frees;
  __libc_free(p);
}
int pthread_mutex_lock(pthread_mutex_t* m) { FORWARD_LOCK(MutexFunction, "pthread_mutex_lock", m); }
int pthread_mutex_trylock(pthread_mutex_t* m) { FORWARD_LOCK(MutexFunction, "pthread_mutex_trylock", m); }
int pthread_rwlock_rdlock(pthread_rwlock_t* l) { FORWARD_LOCK(RwFunction, "pthread_rwlock_rdlock", l); }
int pthread_rwlock_wrlock(pthread_rwlock_t* l) { FORWARD_LOCK(RwFunction, "pthread_rwlock_wrlock", l); }
}

namespace {

using gyrelle::testing::Instance;

void onTrappedSyscall(int, siginfo_t* info, void* context) {
  ++syscallsTrapped;
  lastSyscall = info->si_syscall;
  static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
}

// Traps every system call of the calling thread except those a thread needs to end.
bool trapSystemCalls() {
  struct sigaction action {};
  action.sa_sigaction = &onTrappedSyscall;
  action.sa_flags = SA_SIGINFO;
  sigaction(SIGSYS, &action, nullptr);
  static sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_exit, 6, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 5, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigprocmask, 4, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_madvise, 3, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_munmap, 2, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_futex, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  static sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
  return syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &program) == 0;
}

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

  allocations = frees = locks = syscallsTrapped = 0;
  bool filtered = false;
  std::thread audio([&] {
    filtered = trapSystemCalls();
    onAudioThread = true;
    audioWork(instance.effect(), buffers);
    onAudioThread = false;
  });
  audio.join();
  ASSERT_TRUE(filtered);
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(frees.load(), 0);
  EXPECT_EQ(locks.load(), 0);
  EXPECT_EQ(syscallsTrapped.load(), 0) << "last system call " << lastSyscall.load();
}

TEST(RealtimeSafetyProbe, TheCountersSeeWhatTheyMustSee) {
  allocations = frees = locks = 0;
  std::thread probe([] {
    onAudioThread = true;
    void* volatile p = malloc(16);
    free(p);
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    pthread_mutex_lock(&m);
    pthread_mutex_unlock(&m);
    onAudioThread = false;
  });
  probe.join();
  EXPECT_GE(allocations.load(), 1);
  EXPECT_GE(locks.load(), 1);
  syscallsTrapped = 0;
  std::thread trapped([] {
    trapSystemCalls();
    syscall(SYS_getpid);
  });
  trapped.join();
  EXPECT_EQ(syscallsTrapped.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Builds, RealtimeSafety, ::testing::Values("gyrelle-mono", "gyrelle-stereo"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Mono" : "Stereo"); });

}  // namespace
