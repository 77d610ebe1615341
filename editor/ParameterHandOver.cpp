#include "editor/ParameterHandOver.h"

#include <cstring>

namespace gyrelle {

static_assert(std::atomic<float>::is_always_lock_free, "a value store must never lock");
static_assert(std::atomic<uint64_t>::is_always_lock_free, "a text store must never lock");

void ParameterHandOver::post(int32_t index, float value, const char* text) {
  if (index < 0 || index >= kSlots) return;
  Slot& slot = slots_[index];
  uint64_t words[kWords] = {};
  if (text != nullptr) std::memcpy(words, text, strnlen(text, kKnobTextBytes - 1));
  slot.begun.fetch_add(1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  slot.value.store(value, std::memory_order_relaxed);
  for (int i = 0; i < kWords; ++i) slot.text[i].store(words[i], std::memory_order_relaxed);
  slot.finished.fetch_add(1, std::memory_order_release);
  slot.marked.store(true, std::memory_order_release);
}

bool ParameterHandOver::take(int32_t index, float& value, char* text) {
  if (index < 0 || index >= kSlots) return false;
  Slot& slot = slots_[index];
  if (!slot.marked.exchange(false, std::memory_order_acquire)) return false;
  const uint32_t finished = slot.finished.load(std::memory_order_acquire);
  const float v = slot.value.load(std::memory_order_relaxed);
  uint64_t words[kWords];
  for (int i = 0; i < kWords; ++i) words[i] = slot.text[i].load(std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_acquire);
  if (slot.begun.load(std::memory_order_relaxed) != finished) {
    // A writer was busy meanwhile; it marks the slot again when it is done,
    // and the next idle takes its complete value.
    slot.marked.store(true, std::memory_order_relaxed);
    return false;
  }
  value = v;
  std::memcpy(text, words, kKnobTextBytes - 1);
  text[kKnobTextBytes - 1] = '\0';
  return true;
}

void ParameterHandOver::clear() {
  for (Slot& slot : slots_) slot.marked.store(false, std::memory_order_relaxed);
}

}  // namespace gyrelle
