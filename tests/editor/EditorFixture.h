// A GrooveEffect with its panel on the headless platform, and a host
// callback that writes down what the effect tells the host.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "editor/PanelEditor.h"
#include "plugin/GrooveEffect.h"
#include "plugin/GuiEditor.h"
#include "toolkit/Canvas.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelFrame.h"

namespace gyrelle::testing {

constexpr uintptr_t kHostWindow = 0x4242;

struct Automation {
  int32_t index;
  float value;
};

// One recorder for the process: the callback has no room for a context.
struct HostRecord {
  std::vector<Automation> automations;  // UI-thread tests only
  std::atomic<int32_t> automateCount{0};
  std::atomic<int32_t> idleCount{0};
  bool recordAutomations = true;
  std::function<void(int32_t opcode)> onCall;  // what the host does when called back
};
HostRecord& hostRecord();
intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt);

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the panel in kHostWindow and lets it paint once.
  void openPanel();
  HeadlessWindow& window() { return *platform.window(editor->panelFrame()->window()); }
  uint32_t pixel(int32_t x, int32_t y) { return window().pixel(x, y); }
  void idle() { editor->editorIdle(); }
  // A press of the left button at `where`, handled at the next idle.
  void press(PanelPoint where, int32_t buttons = MouseLeft);
  void movePointer(PanelPoint where, int32_t buttons) { window().setPointer(where, buttons); }

  HeadlessPlatform platform;
  GrooveEffect* effect = nullptr;
  PanelEditor* editor = nullptr;
};

}  // namespace gyrelle::testing
