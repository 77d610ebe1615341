#include "editor/PanelEditor.h"

#include <cmath>

#include "editor/GrooveDisplay.h"
#include "editor/HelpView.h"
#include "editor/KnobText.h"
#include "editor/KnobView.h"
#include "editor/LevelScaleView.h"
#include "editor/PanelIds.h"
#include "editor/PanelLabel.h"
#include "editor/PanelLayout.h"
#include "editor/ViewGroupSet.h"
#include "toolkit/ChoiceMenu.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/PanelPlatform.h"
#include "toolkit/VerticalSlider.h"

namespace gyrelle {

static_assert(std::atomic<std::thread::id>::is_always_lock_free,
              "parameterChanged must never take a lock");

namespace {

struct KnobSettings {
  PanelColour colour;
  const char* caption;
  const char* unit;
};

constexpr KnobSettings kKnobSettings[PanelEditor::kKnobs] = {
    {{196, 128, 128, 0}, "Grooves", ""},
    {{196, 128, 196, 0}, "Range", "s/ tones"},
    {{128, 128, 196, 0}, "Speed", "Hz"},
    {{128, 196, 196, 0}, "pitch bias", ""},
    {{128, 196, 128, 0}, "vol bias", ""},
    {{196, 196, 128, 0}, "loudest pitch", "%"},
};

constexpr const char* kRenderEntries[] = {"1 (fastest)", "2", "3", "4 (best)"};
constexpr int32_t kRenderTag = 0;
constexpr int32_t kFirstKnobTag = 1;
constexpr int32_t kDryTag = 7;
constexpr int32_t kWetTag = 8;
constexpr int32_t kParameters = 9;
constexpr float kLevelFullScale = 1.2f;

PanelLabel* makeCaption(const PanelRect& rect, PanelFontId font, const char* text) {
  auto* label = new PanelLabel(rect);
  label->setFont(font);
  label->setTextColour(ColourGrey);
  label->setBackColour(ColourBlack);
  label->setFrameColour(ColourBlack);
  label->setLabelText(text);
  return label;
}

}  // namespace

PanelEditor::PanelEditor(PanelControls* controls)
    : controls_(controls), lastIdleTicks(panelTickCount()), background_(new PanelBitmap(kPanelPictureId)) {
  bounds_ = PanelRect{0, 0, background_->width(), background_->height()};
}

PanelEditor::~PanelEditor() {
  closeEditor();
  background_->release();
}

int32_t PanelEditor::renderEntryFor(float value) {
  if (!(value > 0.0f)) return 0;  // NaN too
  const float scaled = value * 4.0f;
  return scaled >= 3.0f ? 3 : int32_t(scaled);
}

float PanelEditor::renderValueFor(int32_t entry) { return float(entry) * 0.25f + 0.1f; }

KnobView* PanelEditor::knob(int32_t tag) const {
  return tag >= 1 && tag <= kKnobs ? knobs_[tag - 1] : nullptr;
}

VerticalSlider* PanelEditor::slider(int32_t tag) const {
  return tag == kDryTag ? drySlider_ : tag == kWetTag ? wetSlider_ : nullptr;
}

bool PanelEditor::onPanelThread() const {
  return panelThread_.load(std::memory_order_acquire) == std::this_thread::get_id();
}

intptr_t PanelEditor::openEditor(void* parent) {
  // From a host callback made while the panel handles its own events, the
  // panel in use cannot be replaced.
  if (idleDepth_ > 0) return 0;
  if (frame != nullptr) closeEditor();  // hosts do not always pair open and close
  requestRefresh();
  parentWindow_ = parent;
  panelThread_.store(std::this_thread::get_id(), std::memory_order_release);
  handOver_.clear();
  acceptsHandOver_.store(true, std::memory_order_release);

  if (sliderTrack_ == nullptr) sliderTrack_ = new PanelBitmap(kSliderTrackPictureId);
  if (sliderHandle_ == nullptr) sliderHandle_ = new PanelBitmap(kSliderHandlePictureId);
  frame = new PanelFrame(PanelRect{0, 0, background_->width(), background_->height()},
                         reinterpret_cast<uintptr_t>(parent), this);
  frame->setBackground(background_);
  viewGroups_ = new ViewGroupSet(frame);
  buildWidgets();
  viewGroups_->showGroup(0, false);
  helpView_ = new HelpView(computePanelLayout(background_->width()).helpOverlay, viewGroups_);
  frame->addWidget(helpView_);

  for (int32_t index = 1; index < kParameters; ++index) {
    parameterChanged(index, controls_->parameterValue(index));
  }
  open_ = true;
  return 1;
}

void PanelEditor::buildWidgets() {
  const PanelLayout layout = computePanelLayout(background_->width());

  renderMenu_ = new ChoiceMenu(layout.renderMenu, this, kRenderTag, nullptr, nullptr, 0);
  renderMenu_->setFont(kFontArial11);
  renderMenu_->setTextColour(ColourWhite);
  renderMenu_->setBackColour(ColourBlack);
  renderMenu_->setFrameColour(ColourBlack);
  for (int32_t i = 0; i < 4; ++i) renderMenu_->addEntry(kRenderEntries[i], i);
  renderMenu_->setCurrentIndex(renderEntryFor(controls_->parameterValue(0)));
  viewGroups_->addToGroup(renderMenu_, 0);

  renderCaption_ = makeCaption(layout.renderCaption, kFontArial11, "Render Level");
  viewGroups_->addToGroup(renderCaption_, 0);

  for (int32_t i = 0; i < kKnobs; ++i) {
    const KnobSettings& k = kKnobSettings[i];
    knobs_[i] = new KnobView(layout.knobs[i], this, kFirstKnobTag + i, frame, background_,
                             k.colour, k.caption, k.unit);
    viewGroups_->addToGroup(knobs_[i], 0);
  }

  const int32_t bottomRow = sliderBottomRow(sliderTrack_->height(), sliderHandle_->height());
  drySlider_ = new VerticalSlider(layout.drySlider, this, kDryTag, kSliderTopRow, bottomRow,
                                  sliderHandle_, sliderTrack_, PanelPoint{0, 0}, SliderTopIsMaximum);
  viewGroups_->addToGroup(drySlider_, 0);
  wetSlider_ = new VerticalSlider(layout.wetSlider, this, kWetTag, kSliderTopRow, bottomRow,
                                  sliderHandle_, sliderTrack_, PanelPoint{0, 0}, SliderTopIsMaximum);
  viewGroups_->addToGroup(wetSlider_, 0);

  dryCaption_ = makeCaption(layout.dryCaption, kFontSmall9, "dry");
  viewGroups_->addToGroup(dryCaption_, 0);
  wetCaption_ = makeCaption(layout.wetCaption, kFontSmall9, "wet");
  viewGroups_->addToGroup(wetCaption_, 0);

  levelScale_ = new LevelScaleView(layout.levelScale, ColourBlack, ColourGrey, kLevelFullScale);
  viewGroups_->addToGroup(levelScale_, 0);

  grooveDisplay_ = new GrooveDisplay(layout.grooveDisplay, controls_, frame);
  viewGroups_->addToGroup(grooveDisplay_, 0);
}

void PanelEditor::closeEditor() {
  if (frame == nullptr && viewGroups_ == nullptr) return;  // nothing is open
  if (idleDepth_ > 0) {
    // A host callback (automation, host idle) inside the panel's own event
    // handling: the widgets on the stack must outlive it.
    closeDeferred_ = true;
    return;
  }
  closeDeferred_ = false;
  endGestures();  // a drag cut short by the close
  open_ = false;
  acceptsHandOver_.store(false, std::memory_order_release);
  delete frame;  // destroys the widgets in it and its window
  frame = nullptr;
  if (viewGroups_ != nullptr) {
    // With the help overlay open, group 0 is out of the frame and ours to destroy.
    if (!viewGroups_->isShown(0)) {
      for (int32_t i = 0; i < viewGroups_->count(0); ++i) delete viewGroups_->member(0, i);
    }
    delete viewGroups_;
    viewGroups_ = nullptr;
  }
  if (sliderTrack_ != nullptr) sliderTrack_->release();
  if (sliderHandle_ != nullptr) sliderHandle_->release();
  sliderTrack_ = sliderHandle_ = nullptr;
  // The widgets are gone; nothing may reach them through a stale pointer.
  helpView_ = nullptr;
  renderMenu_ = nullptr;
  renderCaption_ = dryCaption_ = wetCaption_ = nullptr;
  for (KnobView*& k : knobs_) k = nullptr;
  drySlider_ = wetSlider_ = nullptr;
  levelScale_ = nullptr;
  grooveDisplay_ = nullptr;
  panelThread_.store(std::thread::id(), std::memory_order_release);
}

void PanelEditor::editorIdle() {
  if (frame != nullptr) takeHandedOver();
  ++idleDepth_;
  refreshPending_.store(false, std::memory_order_release);
  if (frame != nullptr) frame->refreshAll();
  --idleDepth_;
  if (idleDepth_ == 0 && closeDeferred_) closeEditor();
}

void PanelEditor::idleWhileTracking() {
  const uint32_t now = panelTickCount();
  // Unsigned difference: the 32-bit millisecond clock may wrap.
  if (now - lastIdleTicks < kTrackingIdleMs) return;
  lastIdleTicks = now;
  editorIdle();
  if (controls_ != nullptr) controls_->idleHost();
}

void PanelEditor::redrawPanel(const PanelRect&) {
  if (frame != nullptr) frame->drawWidgetNow(nullptr);
}

void PanelEditor::takeHandedOver() {
  float value = 0.0f;
  char text[kKnobTextBytes];
  for (int32_t index = 0; index < kParameters; ++index) {
    if (!handOver_.take(index, value)) continue;
    knobValueText(index, value, text);
    showParameter(index, value, text);
  }
}

void PanelEditor::parameterChanged(int32_t index, float value) {
  char text[kKnobTextBytes];
  if (onPanelThread()) {
    if (frame == nullptr) return;
    knobValueText(index, value, text);
    showParameter(index, value, text);
    return;
  }
  // Another thread: the panel's widgets are not ours to touch here.
  if (!acceptsHandOver_.load(std::memory_order_acquire)) return;
  handOver_.post(index, value);
  requestRefresh();
}

void PanelEditor::showParameter(int32_t index, float value, const char* knobText) {
  if (frame == nullptr) return;
  if (index == kRenderTag) {
    renderMenu_->setCurrentIndex(renderEntryFor(value));
  } else if (index >= kFirstKnobTag && index < kFirstKnobTag + kKnobs) {
    KnobView* k = knobs_[index - kFirstKnobTag];
    k->setValueText(value, knobText);
    if (open_) k->redrawNow();
  } else if (index == kDryTag || index == kWetTag) {
    slider(index)->setValue(value);
  }
  requestRefresh();
}

void PanelEditor::widgetChanged(Canvas& canvas, ValueWidget* widget) {
  if (widget == nullptr || frame == nullptr) return;
  const int32_t tag = widget->tag;
  if (tag == kRenderTag && widget == renderMenu_) {
    const int32_t entry = renderMenu_->currentIndex(nullptr);
    if (entry < 0) return;
    edit(kRenderTag, renderValueFor(entry));
    renderMenu_->refresh(canvas);
  } else if (tag >= kFirstKnobTag && tag <= kWetTag) {
    edit(tag, widget->value());
    widget->redrawNow();
  }
}

// A change outside a drag (a menu choice, a slider reset) is a gesture of its own.
void PanelEditor::edit(int32_t index, float value) {
  if (inGesture_[index]) {
    controls_->performEdit(index, value);
    return;
  }
  controls_->beginEdit(index);
  controls_->performEdit(index, value);
  controls_->endEdit(index);
}

void PanelEditor::gestureBegan(ValueWidget* widget) {
  if (widget == nullptr || frame == nullptr) return;
  const int32_t tag = widget->tag;
  if (tag < kFirstKnobTag || tag > kWetTag || inGesture_[tag]) return;
  inGesture_[tag] = true;
  controls_->beginEdit(tag);
}

void PanelEditor::gestureEnded(ValueWidget* widget) {
  if (widget == nullptr) return;
  const int32_t tag = widget->tag;
  if (tag < kFirstKnobTag || tag > kWetTag || !inGesture_[tag]) return;
  inGesture_[tag] = false;
  controls_->endEdit(tag);
}

void PanelEditor::endGestures() {
  for (int32_t index = 0; index < kParameters; ++index) {
    if (!inGesture_[index]) continue;
    inGesture_[index] = false;
    controls_->endEdit(index);
  }
}

uintptr_t PanelEditor::panelWindow() const { return frame != nullptr ? frame->window() : 0; }

bool PanelEditor::windowAlive() const { return frame != nullptr && frame->isOpen() && frame->window() != 0; }

}  // namespace gyrelle
