#include "tests/fuzz/Lv2Driver.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "tests/fuzz/FuzzFailure.h"

namespace gyrelle::fuzz {

namespace {

// The ports as the bundle's Turtle declares them: nine controls, the latency
// and groove phase outputs, then the audio inputs and the two outputs.
constexpr uint32_t kControls = 9;
constexpr uint32_t kLatencyPort = 9;
constexpr uint32_t kPhasePort = 10;
constexpr uint32_t kFirstAudio = 11;
constexpr uint32_t kGroovesPort = 1;
constexpr float kLatencyFrames = 1024.0f;
constexpr float kMostGrooves = 10.0f;

struct ControlRange {
  float lowest, highest, fallback;
};
const ControlRange kRanges[kControls] = {
    {1.0f, 4.0f, 2.0f},      {2.0f, 10.0f, 4.0f},   {0.0f, 48.0f, 24.0f},
    {-20.0f, 20.0f, 0.297f}, {-1.0f, 1.0f, 0.0f},   {-1.0f, 1.0f, 0.0f},
    {10.0f, 90.0f, 50.0f},   {-90.0f, 1.58f, -90.0f}, {-90.0f, 1.58f, 0.0f},
};

// Extension URIs a host asks any plug-in for; it offers none of them.
const char* const kExtensions[] = {
    "http://lv2plug.in/ns/ext/state#interface",     "http://lv2plug.in/ns/ext/worker#interface",
    "http://lv2plug.in/ns/ext/options#interface",   "http://lv2plug.in/ns/ext/data-access",
    "http://lv2plug.in/ns/ext/resize-port#resize",  "",
    "urn:quillfen:gyrelle:mono",                    "http://lv2plug.in/ns/lv2core#extensionData",
};

// The value a kParameter request means on a control port: a value in 0..1
// spans the port's range and a little beyond both ends; any other float
// (NaN, infinities, huge) goes to the port as it is.
float portValue(uint32_t port, float value) {
  if (!(value >= 0.0f && value <= 1.0f)) return value;
  const ControlRange& r = kRanges[port];
  return r.lowest + (value * 1.25f - 0.125f) * (r.highest - r.lowest);
}

// The most grooves the grooves port can mean: its value clamped to 2..10,
// rounded up (the plug-in rounds it to a whole count either way).
float grooveBound(float portValue) { return std::ceil(std::clamp(portValue, 2.0f, kMostGrooves)); }

}  // namespace

Lv2Driver::Lv2Driver(const LV2_Descriptor& d, int32_t channelCount, const char* bundle, const Lv2Start& start)
    : descriptor(d), channels(channelCount), stranger(64, 0.5f), decoy(16, std::numeric_limits<float>::quiet_NaN()) {
  static const LV2_Feature* const kNoFeatures[] = {nullptr};
  instance = descriptor.instantiate(&descriptor, start.sampleRate, bundle, start.passFeatures ? kNoFeatures : nullptr);
  if (instance == nullptr) fail("instantiate made no instance");
  for (uint32_t port = 0; port < kControls; ++port) hostValue[port] = readValue[port] = kRanges[port].fallback;
  // Every port once, in the order the input asks for: rotated, and maybe backwards.
  const uint32_t count = ports();
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t step = (start.connectionOrder & 1) != 0 ? count - 1 - k : k;
    reconnectOne((step + (start.connectionOrder >> 1)) % count);
  }
  if (start.activate) {
    descriptor.activate(instance);
    active = everActivated = true;
  }
}

Lv2Driver::~Lv2Driver() {
  if (active && everActivated) descriptor.deactivate(instance);
  descriptor.cleanup(instance);
}

uint32_t Lv2Driver::ports() const { return kFirstAudio + static_cast<uint32_t>(channels) + 2; }

void Lv2Driver::connect(uint32_t port, void* location) { descriptor.connect_port(instance, port, location); }

void Lv2Driver::moveControl(uint32_t port, float value) {
  std::unique_ptr<float> cell(new float(value));
  connect(port, cell.get());
  controlCell[port] = std::move(cell);  // frees the old one: a plug-in still reading it meets ASan
}

void Lv2Driver::reconnectOne(uint32_t port) {
  if (port < kControls) {
    moveControl(port, hostValue[port]);
  } else if (port == kLatencyPort || port == kPhasePort) {
    moveControl(port, std::numeric_limits<float>::quiet_NaN());
  } else if (port < ports()) {
    connect(port, decoy.data());  // the next block connects the run's buffer
  } else {
    connect(port, stranger.data());
  }
}

// Every port again, in an order drawn from `order`, as a host that rebuilds
// its connections while the instance runs.
void Lv2Driver::reconnectAll(uint64_t order) {
  uint32_t sequence[16];
  const uint32_t count = ports();
  for (uint32_t k = 0; k < count; ++k) sequence[k] = k;
  for (uint32_t k = count - 1; k > 0; --k) {
    std::swap(sequence[k], sequence[order % (k + 1)]);
    order /= (k + 1);
  }
  for (uint32_t k = 0; k < count; ++k) reconnectOne(sequence[k]);
}

// Activate and deactivate in any order, and runs of no frames between them
// (which read the controls): 0 is a deactivate then an activate, as a
// host's transport stop; otherwise the low two bits give 1 to 4 calls, two
// bits each above them: activate, deactivate, run 0 frames, activate.
void Lv2Driver::activeSequence(int64_t steps) {
  if (steps == 0) steps = (1 << 2) | (0 << 4) | 1;  // two calls: deactivate, activate
  const int32_t calls = 1 + static_cast<int32_t>(steps & 3);
  for (int32_t k = 0; k < calls; ++k) {
    switch ((steps >> (2 + 2 * k)) & 3) {
      case 1:
        descriptor.deactivate(instance);
        active = false;
        break;
      case 2:
        runNothing(true);
        break;
      default:
        descriptor.activate(instance);
        active = everActivated = true;
        break;
    }
  }
}

void Lv2Driver::apply(const SessionEvent& event, bool first) {
  switch (event.kind) {
    case SessionEvent::kParameter:
      if (event.index >= 0 && event.index < static_cast<int32_t>(kControls)) {
        const uint32_t port = static_cast<uint32_t>(event.index);
        hostValue[port] = portValue(port, event.value);
        if (controlCell[port] != nullptr) *controlCell[port] = hostValue[port];
      } else if (event.index == -1) {
        // The host scribbles on the output ports: the next run writes them again.
        for (uint32_t port : {kLatencyPort, kPhasePort}) {
          if (controlCell[port] != nullptr) *controlCell[port] = event.value;
        }
      } else if (event.index == static_cast<int32_t>(kControls)) {
        // The host leaves the output ports unconnected.
        connect(kLatencyPort, nullptr);
        connect(kPhasePort, nullptr);
        controlCell[kLatencyPort].reset();
        controlCell[kPhasePort].reset();
      } else {
        reconnectOne(static_cast<uint32_t>(event.index));  // a port of its own, or one it has not
      }
      break;
    case SessionEvent::kProgram:
      reconnectAll(static_cast<uint64_t>(event.number));
      break;
    case SessionEvent::kSuspend:
      activeSequence(event.number);
      break;
    case SessionEvent::kSampleRate: {
      // A control port disconnected: the plug-in keeps the value it last read.
      uint32_t bits;
      static_assert(sizeof bits == sizeof event.value);
      std::memcpy(&bits, &event.value, sizeof bits);
      const uint32_t port = bits % kControls;
      connect(port, nullptr);
      controlCell[port].reset();
      break;
    }
    case SessionEvent::kBlockSize: {
      const uint64_t pick = static_cast<uint64_t>(event.number);
      reconnectOne(pick < 32 ? static_cast<uint32_t>(pick) : static_cast<uint32_t>(pick >> 3));
      break;
    }
    case SessionEvent::kDispatch:
      queryExtensions(event.code);
      break;
    case SessionEvent::kTextQuery:
      if (first) queryExtensions(event.index);
      break;
    case SessionEvent::kRename:
      if (first) {
        reconnectOne(kLatencyPort);
        reconnectOne(kPhasePort);
      }
      break;
    case SessionEvent::kEmptyBlock:
      if (first) runNothing(false);
      break;
  }
}

void Lv2Driver::queryExtensions(int32_t code) {
  const char* uri = kExtensions[static_cast<uint32_t>(code) % std::size(kExtensions)];
  if (descriptor.extension_data(uri) != nullptr) fail("extension_data offers an interface the plug-in has not");
}

// A run of 0 frames, with the audio ports on buffers it must leave alone.
// It reads the controls, unless they are hidden from it: a run that only one
// of the two instances makes must not give it a history the other has not.
void Lv2Driver::runNothing(bool readsControls) {
  float samples[4][16];
  std::fill(&samples[0][0], &samples[0][0] + 64, 0.25f);
  const uint32_t audio = static_cast<uint32_t>(channels) + 2;
  for (uint32_t k = 0; k < audio; ++k) connect(kFirstAudio + k, samples[k]);
  if (readsControls) {
    run(0);
  } else {
    for (uint32_t port = 0; port < kControls; ++port) connect(port, nullptr);
    descriptor.run(instance, 0);
    for (uint32_t port = 0; port < kControls; ++port) connect(port, controlCell[port].get());
  }
  for (uint32_t k = 0; k < audio; ++k) connect(kFirstAudio + k, decoy.data());
  for (int32_t i = 0; i < 64; ++i) {
    if ((&samples[0][0])[i] != 0.25f) fail("a run of no frames wrote into a buffer");
  }
}

void Lv2Driver::process(const BlockCall& call, float* const* inputs, float* const* outputs) {
  const uint32_t audio = static_cast<uint32_t>(channels) + 2;
  float* buffers[4] = {};
  for (int32_t ch = 0; ch < channels; ++ch) buffers[ch] = inputs[ch];
  buffers[channels] = outputs[0];
  buffers[channels + 1] = outputs[1];
  // Through the other entry, the host connects backwards, and to the decoy first.
  for (uint32_t k = 0; k < audio; ++k) {
    const uint32_t port = call.replacing ? k : audio - 1 - k;
    if (!call.replacing) connect(kFirstAudio + port, decoy.data());
    connect(kFirstAudio + port, buffers[port]);
  }
  run(static_cast<uint32_t>(call.frames));
  for (uint32_t k = 0; k < audio; ++k) connect(kFirstAudio + k, decoy.data());
}

void Lv2Driver::run(uint32_t frames) {
  const float groovesBefore = readValue[kGroovesPort];
  for (uint32_t port = 0; port < kControls; ++port) {
    if (controlCell[port] != nullptr && !std::isnan(*controlCell[port])) readValue[port] = *controlCell[port];
  }
  const unsigned modeBefore = _mm_getcsr();
  descriptor.run(instance, frames);
  if (_mm_getcsr() != modeBefore) fail("the host's floating-point mode was not restored");
  for (float x : stranger) {
    if (x != 0.5f) fail("the plug-in wrote through a port it does not have");
  }
  // A run of 0 frames may leave a new groove count for the next one.
  const float bound = frames > 0 ? grooveBound(readValue[kGroovesPort])
                                 : std::max(grooveBound(groovesBefore), grooveBound(readValue[kGroovesPort]));
  if (controlCell[kPhasePort] != nullptr) {
    const float phase = *controlCell[kPhasePort];
    if (!(phase >= 0.0f && phase < bound)) fail("the groove phase output is outside 0 up to the groove count", phase);
  }
  if (controlCell[kLatencyPort] != nullptr && *controlCell[kLatencyPort] != kLatencyFrames) {
    fail("the latency output is not 1024", *controlCell[kLatencyPort]);
  }
}

void Lv2Driver::finish() {
  if (descriptor.extension_data(kExtensions[0]) != nullptr) fail("extension_data offers an interface the plug-in has not");
}

}  // namespace gyrelle::fuzz
