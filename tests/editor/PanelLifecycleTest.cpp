// The panel's life through the editor opcodes: the rectangle, open, close,
// reopen, unpaired opcodes, and where every widget lands on the picture.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/HelpView.h"
#include "editor/KnobView.h"
#include "editor/PanelLayout.h"
#include "editor/ViewGroupSet.h"
#include "tests/editor/EditorFixture.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle::testing {
namespace {

bool sameRect(const PanelRect& a, const PanelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The frame's widgets in creation order, for the shipped 512-pixel picture.
const PanelRect kShippedRects[] = {
    {302, 229, 403, 249},  // render level menu
    {302, 209, 403, 229},  // its caption
    {76, 48, 177, 177},    {189, 48, 290, 177}, {302, 48, 403, 177},  // large knobs
    {76, 189, 139, 270},   {151, 189, 214, 270}, {226, 189, 289, 270},  // small knobs
    {12, 58, 28, 270},     {48, 58, 64, 270},    // dry and wet sliders
    {12, 48, 27, 57},      {48, 48, 63, 57},     // their captions
    {28, 48, 47, 269},     // level scale
    {415, 47, 500, 270},   // groove display
    {412, 0, 512, 20},     // help strip
};

TEST_F(EditorTest, EveryWidgetLiesOnItsWellOfTheShippedPicture) {
  openPanel();
  PanelFrame* frame = editor->panelFrame();
  EXPECT_EQ(frame->background()->width(), 512);
  EXPECT_EQ(frame->background()->height(), 316);
  ASSERT_EQ(frame->widgetCount(), 15);
  for (int32_t i = 0; i < 15; ++i) {
    const PanelRect r = frame->widgetAt(i)->rect;
    EXPECT_TRUE(sameRect(r, kShippedRects[i]))
        << "widget " << i << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
  EXPECT_EQ(frame->widgetAt(14), editor->helpView());  // last: offered presses first
  EXPECT_EQ(editor->viewGroups()->count(0), 14);
  // The sliders are exactly as tall as the track picture.
  EXPECT_EQ(kShippedRects[8].height(), editor->sliderTrackPicture()->height());
}

TEST(PanelLayout, AnyWidthGivesOrderedRectangles) {
  for (int32_t w : {0, 1, 100, 512, 2000}) {
    const PanelLayout l = computePanelLayout(w);
    const PanelRect all[] = {l.renderMenu, l.renderCaption, l.knobs[0], l.knobs[5], l.drySlider,
                             l.wetSlider, l.levelScale, l.grooveDisplay, l.helpStrip};
    for (const PanelRect& r : all) {
      EXPECT_LE(r.left, r.right) << w;
      EXPECT_LE(r.top, r.bottom) << w;
    }
  }
}

TEST_F(EditorTest, RectangleIsAnsweredBeforeAnyOpen) {
  AEffect* record = effect->record();
  EXPECT_EQ(record->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 316);
  EXPECT_EQ(rect->right, 512);
  EXPECT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, nullptr, 0), 0);
}

TEST_F(EditorTest, UnpairedOpcodesAreHarmless) {
  AEffect* record = effect->record();
  record->dispatcher(record, effEditClose, 0, 0, nullptr, 0);
  record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0);
  EXPECT_EQ(platform.windowCount(), 0);
  EXPECT_EQ(editor->panelFrame(), nullptr);

  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, reinterpret_cast<void*>(kHostWindow), 0), 1);
  KnobView* firstKnob = editor->knob(1);
  // A second open without a close: the old panel goes, a new one opens in the new window.
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, reinterpret_cast<void*>(0x777), 0), 1);
  EXPECT_EQ(platform.windowCount(), 1);
  EXPECT_EQ(platform.latestWindow()->parent(), 0x777u);
  EXPECT_NE(editor->knob(1), nullptr);
  (void)firstKnob;
  record->dispatcher(record, effEditClose, 0, 0, nullptr, 0);
  record->dispatcher(record, effEditClose, 0, 0, nullptr, 0);
  EXPECT_EQ(platform.windowCount(), 0);
}

TEST_F(EditorTest, OpenWithoutAWindowStillBuildsThePanel) {
  EXPECT_EQ(editor->openEditor(nullptr), 1);
  EXPECT_EQ(editor->panelFrame()->window(), 0u);
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 15);
  effect->writeParameter(3, 0.9f);  // draws nowhere, but must not fail
  idle();
  EXPECT_STREQ(editor->knob(3)->valueText(), "5.008");
}

TEST_F(EditorTest, ReopeningBuildsASecondWidgetSetAndLoadsThePicturesAgain) {
  openPanel();
  PanelBitmap* background = editor->backgroundPicture();
  EXPECT_EQ(background->refCount(), 2);  // the editor's and the frame's
  ASSERT_NE(editor->sliderTrackPicture(), nullptr);
  EXPECT_EQ(editor->sliderHandlePicture()->refCount(), 3);  // editor and both sliders
  editor->closeEditor();
  EXPECT_FALSE(editor->isOpen());
  EXPECT_EQ(editor->sliderTrackPicture(), nullptr);
  EXPECT_EQ(editor->sliderHandlePicture(), nullptr);
  EXPECT_EQ(background->refCount(), 1);
  EXPECT_EQ(platform.windowCount(), 0);

  effect->writeParameter(3, 0.25f);  // while closed: nothing to show, no refresh asked
  openPanel();
  EXPECT_TRUE(editor->isOpen());
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 15);
  EXPECT_NE(editor->sliderTrackPicture(), nullptr);
  EXPECT_EQ(editor->sliderTrackPicture()->width(), 16);
  EXPECT_STREQ(editor->knob(3)->valueText(), "-0.613");  // the effect's value, read at open
}

TEST_F(EditorTest, ClosingWithTheHelpPageOpenDestroysTheHiddenWidgets) {
  openPanel();
  press(PanelPoint{420, 10});
  ASSERT_TRUE(editor->helpView()->isShown());
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 1);
  editor->closeEditor();  // the leak checker of the sanitizer build sees any survivor
  openPanel();
  EXPECT_FALSE(editor->helpView()->isShown());
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 15);
}

TEST_F(EditorTest, HostWritesReachTheWidgetsAndUnknownIndicesOnlyAskForARefresh) {
  openPanel();
  idle();
  effect->writeParameter(0, 1.0f);
  EXPECT_EQ(editor->renderMenu()->currentIndex(nullptr), 3);
  effect->writeParameter(0, 0.6f);
  EXPECT_EQ(editor->renderMenu()->currentIndex(nullptr), 2);
  editor->editorIdle();
  editor->parameterChanged(9, 0.5f);
  editor->parameterChanged(-1, 0.5f);
  EXPECT_EQ(editor->panelFrame()->widgetCount(), 15);
}

TEST_F(EditorTest, AHostThatClosesThePanelFromACallbackClosesItAfterTheEvent) {
  openPanel();
  int reopenAnswer = -1;
  hostRecord().onCall = [&](int32_t opcode) {
    if (opcode != audioMasterAutomate) return;
    effect->dispatch(effEditClose, 0, 0, nullptr, 0);
    reopenAnswer = int(effect->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(kHostWindow), 0));
  };
  press(PanelPoint{240, 100});  // the Range knob
  movePointer(PanelPoint{240, 60}, MouseLeft);
  idle();  // the drag writes, the host closes: the knob must survive its own call
  EXPECT_EQ(reopenAnswer, 0);
  EXPECT_EQ(editor->panelFrame(), nullptr);
  EXPECT_EQ(platform.windowCount(), 0);
  EXPECT_FLOAT_EQ(effect->readParameter(2), 0.75f);
  hostRecord().onCall = nullptr;
  openPanel();
  EXPECT_STREQ(editor->knob(2)->valueText(), "36");
}

TEST_F(EditorTest, TrackingIdleRunsAtMostEvery50Milliseconds) {
  openPanel();
  platform.setTicks(1000);
  editor->idleWhileTracking();
  EXPECT_EQ(hostRecord().idleCount.load(), 1);
  platform.setTicks(1049);
  editor->idleWhileTracking();
  EXPECT_EQ(hostRecord().idleCount.load(), 1);
  platform.setTicks(1050);
  editor->idleWhileTracking();
  EXPECT_EQ(hostRecord().idleCount.load(), 2);
}

}  // namespace
}  // namespace gyrelle::testing

namespace gyrelle::testing {
namespace {

class Dot : public ValueWidget {
 public:
  Dot() : ValueWidget(PanelRect{0, 0, 1, 1}, nullptr, 0) {}
  void draw(Canvas&) override {}
};

TEST_F(EditorTest, ViewGroupsRefuseWhatTheyCannotHoldAndShowOnce) {
  openPanel();
  PanelFrame* frame = editor->panelFrame();
  ViewGroupSet groups(frame);
  std::vector<std::unique_ptr<Dot>> dots;
  for (int i = 0; i < ViewGroupSet::kMembers; ++i) {
    dots.push_back(std::make_unique<Dot>());
    ASSERT_TRUE(groups.addToGroup(dots.back().get(), 1));
  }
  Dot extra;
  EXPECT_FALSE(groups.addToGroup(&extra, 1));
  EXPECT_FALSE(groups.addToGroup(&extra, 2));
  EXPECT_FALSE(groups.addToGroup(&extra, -1));
  EXPECT_FALSE(groups.addToGroup(nullptr, 0));
  EXPECT_EQ(groups.count(1), ViewGroupSet::kMembers);
  const int32_t before = frame->widgetCount();
  groups.showGroup(1, false);
  groups.showGroup(1, true);  // already shown: nothing more enters
  EXPECT_EQ(frame->widgetCount(), before + ViewGroupSet::kMembers);
  groups.hideGroup(1);
  groups.hideGroup(1);
  groups.hideGroup(7);
  EXPECT_EQ(frame->widgetCount(), before);
  EXPECT_EQ(groups.member(1, ViewGroupSet::kMembers), nullptr);
}

}  // namespace
}  // namespace gyrelle::testing
