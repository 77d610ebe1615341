#include "tests/editor/EditorFixture.h"

#include "engine/ChannelBuild.h"

namespace gyrelle::testing {

HostRecord& hostRecord() {
  static HostRecord record;
  return record;
}

intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt) {
  HostRecord& r = hostRecord();
  if (opcode == audioMasterVersion) return 2400;
  if (opcode == audioMasterAutomate) {
    ++r.automateCount;
    if (r.recordAutomations) r.automations.push_back(Automation{index, opt});
  }
  if (opcode == audioMasterIdle) ++r.idleCount;
  if (r.onCall) r.onCall(opcode);
  return 0;
}

void EditorTest::SetUp() {
  usePanelPlatformForTesting(&platform);
  HostRecord& r = hostRecord();
  r.automations.clear();
  r.automateCount = 0;
  r.idleCount = 0;
  r.recordAutomations = true;
  r.onCall = nullptr;
  effect = new GrooveEffect(&recordingHost, kMonoBuild);
  editor = &static_cast<GuiEditor*>(effect->editor())->panel();
}

void EditorTest::TearDown() {
  hostRecord().onCall = nullptr;
  delete effect;
  usePanelPlatformForTesting(nullptr);
}

void EditorTest::openPanel() {
  ASSERT_EQ(editor->openEditor(reinterpret_cast<void*>(kHostWindow)), 1);
  ASSERT_NE(editor->panelFrame(), nullptr);
  idle();  // the first Expose paints the whole panel
}

void EditorTest::press(PanelPoint where, int32_t buttons) {
  window().setPointer(where, buttons);
  window().queueButtonPress(1, where);
  idle();
}

}  // namespace gyrelle::testing
