// Proof that a thread allocates nothing, takes no lock and calls the kernel
// never. Linking this replaces malloc, free and the lock functions of the
// whole program with counting versions (the program needs ENABLE_EXPORTS so
// that loaded plug-ins call them too); trapSystemCalls puts the calling
// thread under a seccomp filter that counts every system call instead of
// running it.
#pragma once

#include <atomic>
#include <string>

namespace gyrelle::testing {

struct RealtimeCounters {
  std::atomic<int> allocations{0};
  std::atomic<int> frees{0};
  std::atomic<int> locks{0};
  std::atomic<int> syscallsTrapped{0};
  std::atomic<long> lastSyscall{-1};
  void reset() { allocations = frees = locks = syscallsTrapped = 0; }
  // "" when nothing was counted, else what was.
  std::string findings() const {
    if (allocations == 0 && frees == 0 && locks == 0 && syscallsTrapped == 0) return "";
    return std::to_string(allocations.load()) + " allocations, " + std::to_string(frees.load()) + " frees, " +
           std::to_string(locks.load()) + " locks, " + std::to_string(syscallsTrapped.load()) +
           " system calls (last " + std::to_string(lastSyscall.load()) + ")";
  }
};

RealtimeCounters& realtimeCounters();
// Counting applies to the threads that set this to true.
void countOnThisThread(bool on);
// False when the filter could not be installed.
bool trapSystemCalls();

}  // namespace gyrelle::testing
