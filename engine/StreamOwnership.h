// Who may touch the signal stream right now. The audio thread takes it for
// each block; a dispatcher thread takes it to reset the stream while no block
// runs. Neither side ever waits: a taker that finds the stream busy does
// something else (the audio thread outputs silence for that block, a
// dispatcher thread leaves the reset to the audio thread).
#pragma once

#include <atomic>

namespace gyrelle {

class StreamOwnership {
 public:
  // Any thread; answers true when the caller now owns the stream.
  bool tryTake() { return !busy.exchange(true, std::memory_order_acquire); }
  // The owner only.
  void give() { busy.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> busy{false};
};

// Takes the stream for a scope when it is free.
class StreamTurn {
 public:
  explicit StreamTurn(StreamOwnership& ownership) : owner(ownership), taken(ownership.tryTake()) {}
  ~StreamTurn() {
    if (taken) owner.give();
  }
  StreamTurn(const StreamTurn&) = delete;
  StreamTurn& operator=(const StreamTurn&) = delete;
  explicit operator bool() const { return taken; }

 private:
  StreamOwnership& owner;
  const bool taken;
};

}  // namespace gyrelle
