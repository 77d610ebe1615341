#include "render/Interruption.h"

#include <signal.h>

#include <atomic>

namespace gyrelle::render {

namespace {

// Written by the signal handler only, read by the render loop.
std::atomic<bool> interrupted{false};

void noteInterruption(int) { interrupted.store(true); }

}  // namespace

void watchForInterruption() {
  struct sigaction action {};
  action.sa_handler = noteInterruption;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

bool interruptionRequested() { return interrupted.load(); }

}  // namespace gyrelle::render
