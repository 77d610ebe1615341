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
  // Sequentially consistent throughout: a reader that finds `begun` equal to
  // the `finished` it saw first cannot have read a write that was half done.
  slot.begun.fetch_add(1);
  slot.value.store(value);
  for (int i = 0; i < kWords; ++i) slot.text[i].store(words[i]);
  slot.finished.fetch_add(1);
  slot.marked.store(true);
}

bool ParameterHandOver::take(int32_t index, float& value, char* text) {
  if (index < 0 || index >= kSlots) return false;
  Slot& slot = slots_[index];
  if (!slot.marked.exchange(false)) return false;
  const uint32_t finished = slot.finished.load();
  const float v = slot.value.load();
  uint64_t words[kWords];
  for (int i = 0; i < kWords; ++i) words[i] = slot.text[i].load();
  if (slot.begun.load() != finished) {
    // A writer was busy meanwhile; it marks the slot again when it is done,
    // and the next idle takes its complete value.
    slot.marked.store(true);
    return false;
  }
  value = v;
  std::memcpy(text, words, kKnobTextBytes - 1);
  text[kKnobTextBytes - 1] = '\0';
  return true;
}

void ParameterHandOver::clear() {
  for (Slot& slot : slots_) slot.marked.store(false);
}

}  // namespace gyrelle
