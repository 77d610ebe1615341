// Decodes a fuzzer input into a sequence of host actions and plays it on one
// instance, driven only through its record. Everything a host may pass is
// fair game: any opcode, index, value and opt, a null or a real buffer for the
// pointer, any parameter value, any block length and any samples. What a
// well-behaved host never does (pass a pointer that is not what the opcode
// says, call after effClose) is left out, because the fault would be the host's.
// Aborts as soon as an output sample or an answer breaks what a host relies on.
#pragma once

#include <cstdint>
#include <vector>

#include "host/VstAbi.h"
#include "tests/fuzz/ByteReader.h"

namespace gyrelle {
class HeadlessPlatform;
}

namespace gyrelle::fuzz {

class HostScript {
 public:
  // The largest block the script sends, and the samples one script may
  // process in all (keeps every input fast).
  static constexpr int32_t kMaxBlock = 20000;
  static constexpr int64_t kSampleBudget = 24000;
  static constexpr int32_t kMaxActions = 96;

  // The panel opens on `panels`, the headless platform the instance's toolkit uses.
  HostScript(AEffect* effect, ByteReader& input, HeadlessPlatform& panels)
      : record(effect), in(input), platform(panels) {}

  // Plays actions until the input is used up, then checks the final state.
  void play();

 private:
  void dispatchAnything();
  void writeParameter();
  void changeProgram();
  void renameProgram();
  void processBlock();
  void changeBlockSizeOrRate();
  void suspendOrResume();
  void editorAction();
  void pressOnPanel();
  void queryTexts();
  void checkFinalState();

  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  int32_t blockLength();
  void checkOutput(const float* samples, int32_t frames) const;

  AEffect* const record;
  ByteReader& in;
  HeadlessPlatform& platform;
  int32_t announcedBlock = 1024;
  int64_t samplesLeft = kSampleBudget;
  std::vector<char> buffer = std::vector<char>(512);
};

}  // namespace gyrelle::fuzz
