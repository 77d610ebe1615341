// The LV2 side of the session player: one fresh instance made through the
// library's descriptor and driven only through it, as a careless or hostile
// host would: ports connected in any order and again while running, to
// fresh memory each time (the old is freed, so a stale pointer shows), or
// not at all; control values of any float; activate and deactivate in any
// order, run before the first activate and for 0 frames.
#pragma once

#include <lv2/core/lv2.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "tests/fuzz/SessionDriver.h"

namespace gyrelle::fuzz {

// How the host starts an instance, the same for both of a session.
struct Lv2Start {
  double sampleRate = 48000.0;
  bool activate = true;         // false: run (and clean up) with no activate at all
  bool passFeatures = true;     // false: a null feature list
  uint32_t connectionOrder = 0;  // the order the ports are first connected in
};

class Lv2Driver final : public SessionDriver {
 public:
  Lv2Driver(const LV2_Descriptor& descriptor, int32_t channels, const char* bundle, const Lv2Start& start);
  ~Lv2Driver() override;  // cleanup, after a deactivate if the host had activated
  Lv2Driver(const Lv2Driver&) = delete;
  Lv2Driver& operator=(const Lv2Driver&) = delete;

  int32_t inputCount() const override { return channels; }
  void apply(const SessionEvent& event, bool first) override;
  void process(const BlockCall& call, float* const* inputs, float* const* outputs) override;
  void finish() override;

 private:
  uint32_t ports() const;
  void connect(uint32_t port, void* location);
  // A fresh cell for a control port, holding `value`; the one before is freed.
  void moveControl(uint32_t port, float value);
  void reconnectAll(uint64_t order);
  void reconnectOne(uint32_t port);
  void activeSequence(int64_t steps);
  void runNothing(bool readsControls);
  void queryExtensions(int32_t code);
  // Any run: the controls as the plug-in reads them, then the checks on what it wrote.
  void run(uint32_t frames);

  const LV2_Descriptor& descriptor;
  const int32_t channels;
  LV2_Handle instance = nullptr;
  bool active = false;
  bool everActivated = false;
  // One heap cell per control port (null: left unconnected), the value the
  // host means for it and the one the plug-in last read.
  std::unique_ptr<float> controlCell[11];
  float hostValue[11] = {};
  float readValue[11] = {};
  // Any port index the plug-in does not have is connected to this; nothing may write it.
  std::vector<float> stranger;
  // What the audio ports point at between blocks: the plug-in may only use
  // the buffers of the run it is given.
  std::vector<float> decoy;
};

}  // namespace gyrelle::fuzz
