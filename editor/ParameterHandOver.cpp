#include "editor/ParameterHandOver.h"

namespace gyrelle {

static_assert(std::atomic<float>::is_always_lock_free, "a value store must never lock");
static_assert(std::atomic<bool>::is_always_lock_free, "a mark must never lock");

void ParameterHandOver::post(int32_t index, float value) {
  if (index < 0 || index >= kSlots) return;
  Slot& slot = slots_[index];
  slot.value.store(value);
  // Marked after the value: whoever sees the mark sees this value or a later one.
  slot.marked.store(true);
}

bool ParameterHandOver::take(int32_t index, float& value) {
  if (index < 0 || index >= kSlots) return false;
  Slot& slot = slots_[index];
  if (!slot.marked.exchange(false)) return false;
  // A write that lands between the two lines marks the slot again, and the
  // next idle shows it once more: never an older value than the mark promised.
  value = slot.value.load();
  return true;
}

void ParameterHandOver::clear() {
  for (Slot& slot : slots_) slot.marked.store(false);
}

}  // namespace gyrelle
