// Both plug-ins as a host sees them through lilv: every port's symbol, name,
// range, default, unit and properties, checked against the VST 2 library's
// own names and value texts, and the factory presets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/lv2/LilvHost.h"
#include "tests/support/LoadedPlugin.h"

namespace gyrelle::testing {
namespace {

const std::string kLv2 = "http://lv2plug.in/ns/lv2core#";
const std::string kUnits = "http://lv2plug.in/ns/extensions/units#";
const std::string kPortProps = "http://lv2plug.in/ns/ext/port-props#";

struct ControlPort {
  const char* symbol;
  const char* unit;  // null: no unit
  bool integer;
  bool enumeration;
};

constexpr ControlPort kControls[9] = {
    {"render_level", nullptr, true, true}, {"grooves", nullptr, true, false},
    {"range", "semitone12TET", false, false}, {"speed", "hz", false, false},
    {"pitch_bias", nullptr, false, false},  {"volume_bias", nullptr, false, false},
    {"loudest_pitch", "pc", false, false},  {"dry_level", "db", false, false},
    {"wet_level", "db", false, false},
};

struct Build {
  const char* uri;
  const char* vstLibrary;
  const char* name;
  int32_t inputs;
};

class Lv2Ports : public ::testing::TestWithParam<Build> {
 protected:
  // A VST 2 value text as the number an LV2 port holds: "-oo" dB is the level ports' floor.
  static float textValue(const std::string& text) {
    if (text.find("-oo") != std::string::npos) return -90.0f;
    return std::strtof(text.c_str(), nullptr);
  }
  bool hasProperty(const LilvPort* port, const std::string& property) {
    return lilv_port_has_property(plugin, port, bundle.uri(property));
  }

  void SetUp() override { plugin = bundle.plugin(GetParam().uri); }

  LilvBundle bundle;
  const LilvPlugin* plugin = nullptr;
};

TEST_P(Lv2Ports, ThePluginIsWhatTheVstBuildIs) {
  ASSERT_NE(plugin, nullptr);
  LilvNode* name = lilv_plugin_get_name(plugin);
  EXPECT_STREQ(lilv_node_as_string(name), GetParam().name);
  lilv_node_free(name);
  EXPECT_EQ(lilv_plugin_get_num_ports(plugin), 11u + uint32_t(GetParam().inputs) + 2u);
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  EXPECT_EQ(lilv_nodes_size(required), 0u);  // the simplest hosts run it
  lilv_nodes_free(required);
  EXPECT_TRUE(lilv_plugin_has_feature(plugin, bundle.uri(kLv2 + "hardRTCapable")));
  EXPECT_TRUE(lilv_plugin_has_latency(plugin));
  EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin), 9u);
}

TEST_P(Lv2Ports, ControlsMatchTheVstParametersInThePanelsUnits) {
  ASSERT_NE(plugin, nullptr);
  Instance vst(GetParam().vstLibrary);
  vst.start();
  const LilvNode* control = bundle.uri(LILV_URI_CONTROL_PORT);
  const LilvNode* input = bundle.uri(LILV_URI_INPUT_PORT);
  const LilvNode* unitKey = bundle.uri(kUnits + "unit");
  for (uint32_t k = 0; k < 9; ++k) {
    SCOPED_TRACE(kControls[k].symbol);
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, k);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(lilv_port_is_a(plugin, port, control));
    EXPECT_TRUE(lilv_port_is_a(plugin, port, input));
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), kControls[k].symbol);
    LilvNode* name = lilv_port_get_name(plugin, port);
    EXPECT_EQ(std::string(lilv_node_as_string(name)), vst.text(effGetParamName, int32_t(k)));
    lilv_node_free(name);

    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin, port, &def, &min, &max);
    ASSERT_TRUE(def && min && max);
    // The VST 2 build's texts at its default and at both ends of 0..1.
    const float vstDefault = textValue(vst.text(effGetParamDisplay, int32_t(k)));
    const float saved = vst.getParameter(int32_t(k));
    vst.setParameter(int32_t(k), 0.0f);
    const float vstMin = textValue(vst.text(effGetParamDisplay, int32_t(k)));
    vst.setParameter(int32_t(k), 1.0f);
    const float vstMax = textValue(vst.text(effGetParamDisplay, int32_t(k)));
    vst.setParameter(int32_t(k), saved);
    // The texts keep at most three decimals, truncated.
    EXPECT_NEAR(lilv_node_as_float(def), vstDefault, 1e-3f);
    EXPECT_NEAR(lilv_node_as_float(min), vstMin, 1e-3f);
    EXPECT_NEAR(lilv_node_as_float(max), vstMax, 1e-3f);
    lilv_node_free(def);
    lilv_node_free(min);
    lilv_node_free(max);

    LilvNodes* units = lilv_port_get_value(plugin, port, unitKey);
    if (kControls[k].unit == nullptr) {
      EXPECT_EQ(lilv_nodes_size(units), 0u);
    } else {
      ASSERT_EQ(lilv_nodes_size(units), 1u);
      EXPECT_EQ(std::string(lilv_node_as_uri(lilv_nodes_get_first(units))), kUnits + kControls[k].unit);
    }
    lilv_nodes_free(units);
    EXPECT_EQ(hasProperty(port, kLv2 + "integer"), kControls[k].integer);
    EXPECT_EQ(hasProperty(port, kLv2 + "enumeration"), kControls[k].enumeration);
  }
  LilvScalePoints* points = lilv_port_get_scale_points(plugin, lilv_plugin_get_port_by_index(plugin, 0));
  EXPECT_EQ(lilv_scale_points_size(points), 4u);  // the render menu's entries
  lilv_scale_points_free(points);
}

TEST_P(Lv2Ports, OutputsAndAudioPortsFollowTheControls) {
  ASSERT_NE(plugin, nullptr);
  const LilvNode* output = bundle.uri(LILV_URI_OUTPUT_PORT);
  const LilvNode* control = bundle.uri(LILV_URI_CONTROL_PORT);
  const LilvNode* audio = bundle.uri(LILV_URI_AUDIO_PORT);
  const LilvPort* latency = lilv_plugin_get_port_by_index(plugin, 9);
  EXPECT_TRUE(lilv_port_is_a(plugin, latency, output) && lilv_port_is_a(plugin, latency, control));
  EXPECT_TRUE(hasProperty(latency, kLv2 + "reportsLatency"));
  const LilvPort* phase = lilv_plugin_get_port_by_index(plugin, 10);
  EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, phase)), "groove_phase");
  EXPECT_TRUE(lilv_port_is_a(plugin, phase, output) && lilv_port_is_a(plugin, phase, control));
  EXPECT_TRUE(hasProperty(phase, kPortProps + "notOnGUI"));
  const uint32_t ports = lilv_plugin_get_num_ports(plugin);
  for (uint32_t i = 11; i < ports; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    EXPECT_TRUE(lilv_port_is_a(plugin, port, audio)) << i;
    EXPECT_EQ(lilv_port_is_a(plugin, port, output), i >= 11u + uint32_t(GetParam().inputs)) << i;
  }
}

TEST_P(Lv2Ports, PresetsSetEveryControlWithinItsRange) {
  ASSERT_NE(plugin, nullptr);
  LilvWorld* world = bundle.world();
  const LilvNode* presetClass = bundle.uri("http://lv2plug.in/ns/ext/presets#Preset");
  const LilvNode* label = bundle.uri("http://www.w3.org/2000/01/rdf-schema#label");
  const LilvNode* portKey = bundle.uri(kLv2 + "port");
  const LilvNode* symbolKey = bundle.uri(kLv2 + "symbol");
  const LilvNode* valueKey = bundle.uri("http://lv2plug.in/ns/ext/presets#value");
  std::vector<float> mins(lilv_plugin_get_num_ports(plugin)), maxs(mins.size());
  lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), nullptr);

  LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
  EXPECT_GE(lilv_nodes_size(presets), 5u);
  LILV_FOREACH(nodes, i, presets) {
    const LilvNode* preset = lilv_nodes_get(presets, i);
    lilv_world_load_resource(world, preset);
    LilvNode* name = lilv_world_get(world, preset, label, nullptr);
    ASSERT_NE(name, nullptr) << lilv_node_as_uri(preset);
    SCOPED_TRACE(lilv_node_as_string(name));
    LilvNodes* settings = lilv_world_find_nodes(world, preset, portKey, nullptr);
    EXPECT_EQ(lilv_nodes_size(settings), 9u);
    LILV_FOREACH(nodes, j, settings) {
      const LilvNode* setting = lilv_nodes_get(settings, j);
      LilvNode* symbol = lilv_world_get(world, setting, symbolKey, nullptr);
      LilvNode* value = lilv_world_get(world, setting, valueKey, nullptr);
      ASSERT_TRUE(symbol && value);
      LilvNode* symbolNode = lilv_new_string(world, lilv_node_as_string(symbol));
      const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, symbolNode);
      lilv_node_free(symbolNode);
      ASSERT_NE(port, nullptr) << lilv_node_as_string(symbol);
      const uint32_t index = lilv_port_get_index(plugin, port);
      EXPECT_LT(index, 9u);
      EXPECT_GE(lilv_node_as_float(value), mins[index]) << lilv_node_as_string(symbol);
      EXPECT_LE(lilv_node_as_float(value), maxs[index]) << lilv_node_as_string(symbol);
      lilv_node_free(symbol);
      lilv_node_free(value);
    }
    lilv_nodes_free(settings);
    lilv_node_free(name);
  }
  lilv_nodes_free(presets);
}

INSTANTIATE_TEST_SUITE_P(Builds, Lv2Ports,
                         ::testing::Values(Build{"urn:quillfen:gyrelle:mono", "gyrelle-mono", "Gyrelle v1.4 MONO", 1},
                                           Build{"urn:quillfen:gyrelle:stereo", "gyrelle-stereo", "Gyrelle v1.4", 2}),
                         [](const ::testing::TestParamInfo<Build>& info) {
                           return std::string(info.param.inputs == 1 ? "Mono" : "Stereo");
                         });

}  // namespace
}  // namespace gyrelle::testing
