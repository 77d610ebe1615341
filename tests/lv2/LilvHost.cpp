#include "tests/lv2/LilvHost.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace gyrelle::testing {

LilvBundle::LilvBundle() : world_(lilv_world_new()) {
  LilvNode* bundle = lilv_new_file_uri(world_, nullptr, GYRELLE_LV2_BUNDLE);
  lilv_world_load_specifications(world_);
  lilv_world_load_bundle(world_, bundle);
  lilv_node_free(bundle);
}

LilvBundle::~LilvBundle() {
  for (LilvNode* node : nodes_) lilv_node_free(node);
  lilv_world_free(world_);
}

const LilvPlugin* LilvBundle::plugin(const char* text) const {
  LilvNode* node = lilv_new_uri(world_, text);
  const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node);
  lilv_node_free(node);
  return found;
}

const LilvNode* LilvBundle::uri(const std::string& text) {
  nodes_.push_back(lilv_new_uri(world_, text.c_str()));
  return nodes_.back();
}

LilvEffect::LilvEffect(LilvBundle& bundle, const char* uri, double sampleRate) : plugin_(bundle.plugin(uri)) {
  if (plugin_ == nullptr) return;
  const uint32_t ports = lilv_plugin_get_num_ports(plugin_);
  controls_.assign(ports, 0.0f);
  std::vector<float> defaults(ports, NAN);
  lilv_plugin_get_port_ranges_float(plugin_, nullptr, nullptr, defaults.data());
  instance_ = lilv_plugin_instantiate(plugin_, sampleRate, nullptr);
  if (instance_ == nullptr) return;
  const LilvNode* audio = bundle.uri(LILV_URI_AUDIO_PORT);
  const LilvNode* input = bundle.uri(LILV_URI_INPUT_PORT);
  for (uint32_t i = 0; i < ports; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
    if (lilv_port_is_a(plugin_, port, audio)) {
      (lilv_port_is_a(plugin_, port, input) ? audioIn_ : audioOut_).push_back(i);
    } else {
      controls_[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
      lilv_instance_connect_port(instance_, i, &controls_[i]);
    }
  }
  inputs_ = static_cast<int32_t>(audioIn_.size());
}

LilvEffect::~LilvEffect() {
  if (instance_ != nullptr) lilv_instance_free(instance_);
}

uint32_t LilvEffect::portIndex(const char* symbol) const {
  for (uint32_t i = 0; i < controls_.size(); ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
    if (std::string(lilv_node_as_string(lilv_port_get_symbol(plugin_, port))) == symbol) return i;
  }
  throw std::runtime_error(std::string("no port ") + symbol);
}

void LilvEffect::setControl(const char* symbol, float value) { controls_[portIndex(symbol)] = value; }

void LilvEffect::runBlock(float* const* in, float* const* out, uint32_t frames) {
  for (size_t ch = 0; ch < audioIn_.size(); ++ch) lilv_instance_connect_port(instance_, audioIn_[ch], in[ch]);
  for (size_t ch = 0; ch < audioOut_.size(); ++ch) lilv_instance_connect_port(instance_, audioOut_[ch], out[ch]);
  lilv_instance_run(instance_, frames);
}

std::vector<std::vector<float>> LilvEffect::run(const std::vector<std::vector<float>>& input, uint32_t block,
                                                bool inPlace) {
  return runPattern(input, {block}, inPlace);
}

std::vector<std::vector<float>> LilvEffect::runPattern(const std::vector<std::vector<float>>& input,
                                                       const std::vector<uint32_t>& blocks, bool inPlace) {
  const size_t frames = input.empty() ? 0 : input[0].size();
  // In place, a copy of the input is overwritten; otherwise the input is only read.
  std::vector<std::vector<float>> copy;
  if (inPlace) copy = input;
  const std::vector<std::vector<float>>& work = inPlace ? copy : input;
  std::vector<std::vector<float>> out(2, std::vector<float>(frames, 0.0f));
  size_t step = 0;
  for (size_t done = 0; done < frames; ++step) {
    const uint32_t block = static_cast<uint32_t>(std::min<size_t>(blocks[step % blocks.size()], frames - done));
    // The plug-in reads its inputs only, except where they are its outputs too.
    float* in[2] = {const_cast<float*>(work[0].data()) + done, const_cast<float*>(work[input.size() - 1].data()) + done};
    float* o[2] = {out[0].data() + done, out[1].data() + done};
    if (inPlace) {
      o[0] = in[0];
      if (inputs_ == 2) o[1] = in[1];
    }
    runBlock(in, o, block);
    done += block;
  }
  if (inPlace) {
    out[0] = copy[0];
    if (inputs_ == 2) out[1] = copy[1];
  }
  return out;
}

}  // namespace gyrelle::testing
