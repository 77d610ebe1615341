// The sixteen programs: nine parameter values and a name each.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/EngineConstants.h"

namespace gyrelle {

class ProgramBank {
 public:
  static constexpr int kNameBytes = 24;  // 23 characters and the terminator

  ProgramBank();

  static bool validProgram(int32_t program) {
    return static_cast<uint32_t>(program) < static_cast<uint32_t>(kNumPrograms);
  }

  // Any thread; program and index must be valid.
  float value(int32_t program, int32_t index) const {
    return programs[program].values[index].load(std::memory_order_relaxed);
  }
  void setValue(int32_t program, int32_t index, float value) {
    programs[program].values[index].store(value, std::memory_order_relaxed);
  }

  // Dispatcher threads: a longer name is cut to 23 characters.
  void rename(int32_t program, const char* text);
  // Dispatcher threads: a program still called "Init" reads "Init N" (1-based).
  void copyName(int32_t program, char* text) const;

 private:
  struct Program {
    std::atomic<float> values[kNumParams];
    char name[kNameBytes];
  };
  Program programs[kNumPrograms];
  mutable std::mutex nameLock;  // names are edited and read by several host threads, never by the audio thread
};

}  // namespace gyrelle
