// A small LV2 host on Debian's lilv: loads the built bundle alone, makes
// instances of its plug-ins and runs them through their descriptor, with a
// value for every control port as a host keeps it.
#pragma once

#include <lilv/lilv.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gyrelle::testing {

// The world with only our bundle loaded (and the specifications it refers to).
class LilvBundle {
 public:
  LilvBundle();
  ~LilvBundle();
  LilvBundle(const LilvBundle&) = delete;
  LilvBundle& operator=(const LilvBundle&) = delete;

  LilvWorld* world() const { return world_; }
  // Null when the bundle has no such plug-in.
  const LilvPlugin* plugin(const char* uri) const;
  // A URI node owned by the bundle (freed with it).
  const LilvNode* uri(const std::string& text);

 private:
  LilvWorld* world_;
  std::vector<LilvNode*> nodes_;
};

// One instance: control ports hold the plug-in's defaults until set.
class LilvEffect {
 public:
  LilvEffect(LilvBundle& bundle, const char* uri, double sampleRate = 44100.0);
  ~LilvEffect();
  LilvEffect(const LilvEffect&) = delete;
  LilvEffect& operator=(const LilvEffect&) = delete;

  bool valid() const { return instance_ != nullptr; }
  int32_t inputs() const { return inputs_; }
  uint32_t portIndex(const char* symbol) const;
  void setControl(const char* symbol, float value);
  float control(uint32_t index) const { return controls_[index]; }

  void activate() { lilv_instance_activate(instance_); }
  void deactivate() { lilv_instance_deactivate(instance_); }
  // One run over the given buffers (inputs() inputs, two outputs); they may
  // be the same memory.
  void runBlock(float* const* in, float* const* out, uint32_t frames);
  // The input (one vector per input) in blocks of `block` frames, or in the
  // repeating pattern of `blocks`; answers both outputs. In place: the
  // outputs are the input buffers (the mono build's second output is a
  // buffer of its own).
  std::vector<std::vector<float>> run(const std::vector<std::vector<float>>& input, uint32_t block = 512,
                                      bool inPlace = false);
  std::vector<std::vector<float>> runPattern(const std::vector<std::vector<float>>& input,
                                             const std::vector<uint32_t>& blocks, bool inPlace = false);

 private:
  const LilvPlugin* plugin_;
  LilvInstance* instance_ = nullptr;
  std::vector<float> controls_;
  int32_t inputs_ = 0;
  std::vector<uint32_t> audioIn_, audioOut_;
};

}  // namespace gyrelle::testing
