// Parameter values (and a knob's value text) handed from any host thread to
// the panel's thread. A writer never waits, allocates or calls the kernel:
// it fills one slot with atomic stores between two counters; the
// panel's thread takes a slot only when no write was in progress while it
// read, and otherwise leaves it marked for the next idle.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/KnobText.h"

namespace gyrelle {

class ParameterHandOver {
 public:
  static constexpr int32_t kSlots = 9;

  // Any thread (the audio thread included): stores the value and text of
  // parameter `index` and marks it; indices outside 0..8 are ignored.
  void post(int32_t index, float value, const char* text);

  // Panel thread: if parameter `index` is marked and its slot reads
  // consistently, copies value and text (kKnobTextBytes) out, unmarks it
  // and answers true.
  bool take(int32_t index, float& value, char* text);

  // Panel thread: forgets every mark (a panel that opens reads the effect).
  void clear();

 private:
  static constexpr int kWords = (kKnobTextBytes + 7) / 8;
  struct Slot {
    std::atomic<uint32_t> begun{0};
    std::atomic<uint32_t> finished{0};
    std::atomic<float> value{0.0f};
    std::atomic<uint64_t> text[kWords] = {};
    std::atomic<bool> marked{false};
  };
  Slot slots_[kSlots];
};

}  // namespace gyrelle
