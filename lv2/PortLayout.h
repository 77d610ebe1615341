// The LV2 plug-ins' ports, shared by the DSP library, its Turtle and the
// panel's UI library: the nine controls first (port index = parameter
// index), then the two control outputs, then the audio ports.
#pragma once

#include <cstdint>

namespace gyrelle::lv2 {

constexpr uint32_t kControlPorts = 9;      // ports 0 to 8, in the panel's units
constexpr uint32_t kLatencyPort = 9;       // output: the latency in frames, always 1024
constexpr uint32_t kGroovePhasePort = 10;  // output: the grooves' phase at the end of each run
constexpr uint32_t kFirstAudioPort = 11;   // inputs (1 or 2), then the two outputs

constexpr uint32_t portCount(int32_t channels) { return kFirstAudioPort + static_cast<uint32_t>(channels) + 2; }

// The plug-ins' URIs; the UI's is declared beside them.
constexpr char kMonoUri[] = "urn:quillfen:gyrelle:mono";
constexpr char kStereoUri[] = "urn:quillfen:gyrelle:stereo";
constexpr char kUiUri[] = "urn:quillfen:gyrelle:ui";

}  // namespace gyrelle::lv2
