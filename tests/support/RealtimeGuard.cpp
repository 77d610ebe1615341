#include "tests/support/RealtimeGuard.h"

#include <dlfcn.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
using gyrelle::testing::realtimeCounters;
thread_local bool onAudioThread = false;

void noteAllocation() {
  if (onAudioThread) ++realtimeCounters().allocations;
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
using MutexFunction = int (*)(pthread_mutex_t*);
using RwFunction = int (*)(pthread_rwlock_t*);
}  // namespace

// The replaced lock functions find the real ones on first use.
#define FORWARD_LOCK(Type, name, argument)    \
  if (onAudioThread) ++realtimeCounters().locks; \
  static const Type real = next<Type>(name);     \
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
  if (onAudioThread && p != nullptr) ++realtimeCounters().frees;
  __libc_free(p);
}
int pthread_mutex_lock(pthread_mutex_t* m) { FORWARD_LOCK(MutexFunction, "pthread_mutex_lock", m); }
int pthread_mutex_trylock(pthread_mutex_t* m) { FORWARD_LOCK(MutexFunction, "pthread_mutex_trylock", m); }
int pthread_rwlock_rdlock(pthread_rwlock_t* l) { FORWARD_LOCK(RwFunction, "pthread_rwlock_rdlock", l); }
int pthread_rwlock_wrlock(pthread_rwlock_t* l) { FORWARD_LOCK(RwFunction, "pthread_rwlock_wrlock", l); }
}

namespace {

void onTrappedSyscall(int, siginfo_t* info, void* context) {
  ++realtimeCounters().syscallsTrapped;
  realtimeCounters().lastSyscall = info->si_syscall;
  static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RAX] = -ENOSYS;
}

}  // namespace

namespace gyrelle::testing {

namespace {
// Constant-initialised, so the first allocation of the program can count.
RealtimeCounters counters;
}  // namespace

RealtimeCounters& realtimeCounters() { return counters; }

void countOnThisThread(bool on) { onAudioThread = on; }

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

}  // namespace gyrelle::testing
