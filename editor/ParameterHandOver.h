// Parameter values handed from any host thread to the panel's thread. A
// writer stores one atomic value and marks its slot; it never waits,
// allocates or calls the kernel. The panel's thread takes marked slots at its
// next idle and makes the knob text from the value it took there, so value
// and text can never come from two different writes, however many threads
// write at once.
#pragma once

#include <atomic>
#include <cstdint>

namespace gyrelle {

class ParameterHandOver {
 public:
  static constexpr int32_t kSlots = 9;

  // Any thread (the audio thread included): stores the value of parameter
  // `index` and marks it; indices outside 0..8 are ignored.
  void post(int32_t index, float value);

  // Panel thread: if parameter `index` is marked, copies the latest value
  // out, unmarks it and answers true.
  bool take(int32_t index, float& value);

  // Panel thread: forgets every mark (a panel that opens reads the effect).
  void clear();

 private:
  struct Slot {
    std::atomic<float> value{0.0f};
    std::atomic<bool> marked{false};
  };
  Slot slots_[kSlots];
};

}  // namespace gyrelle
