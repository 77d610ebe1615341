// The VST 2 side of the session player: one fresh instance made through the
// library's entry point and driven only through its record.
#pragma once

#include <cstdint>

#include "host/VstAbi.h"
#include "tests/fuzz/SessionDriver.h"

namespace gyrelle::fuzz {

class VstDriver final : public SessionDriver {
 public:
  // Makes the instance and starts it as a host does (open, rate, block size, resume).
  explicit VstDriver(PluginEntryProc entry);
  ~VstDriver() override;  // effClose
  VstDriver(const VstDriver&) = delete;
  VstDriver& operator=(const VstDriver&) = delete;

  int32_t inputCount() const override { return record->numInputs; }
  void apply(const SessionEvent& event, bool first) override;
  void process(const BlockCall& call, float* const* inputs, float* const* outputs) override;
  void finish() override;

 private:
  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  void dispatchAnything(const SessionEvent& event);
  void queryText(int32_t opcode, int32_t index);
  void rename(const SessionEvent& event);
  void emptyBlock(const SessionEvent& event);
  void checkProgram();

  AEffect* record = nullptr;
  AEffect snapshot{};  // the record as made: no opcode may write into it
};

}  // namespace gyrelle::fuzz
