// The effect's panel, in any plug-in format: builds the panel over the
// picture, turns every widget change into an edit of the effect (through
// PanelControls), and mirrors every parameter change back into the widgets.
//
// Threads: the panel lives on the thread that opened it (the host's UI
// thread): open, close, idle, the widgets and all drawing happen there.
// parameterChanged may come from any host thread, the audio thread
// included; away from the panel's thread it only posts the value and the
// knob text to the hand-over and requests a refresh (atomics, no lock, no
// allocation), and the next editorIdle shows it.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "editor/PanelControls.h"
#include "editor/ParameterHandOver.h"
#include "toolkit/Widget.h"

namespace gyrelle {

class ChoiceMenu;
class GrooveDisplay;
class HelpView;
class KnobView;
class LevelScaleView;
class PanelBitmap;
class PanelFrame;
class PanelLabel;
class VerticalSlider;
class ViewGroupSet;

class PanelEditor : public PanelIdleHost, public ValueListener {
 public:
  static constexpr int32_t kKnobs = 6;
  static constexpr uint32_t kTrackingIdleMs = 50;

  // Host thread that builds the effect: loads the panel picture and takes
  // its size as the panel's. `controls` is not owned and outlives the panel.
  explicit PanelEditor(PanelControls* controls);
  // Host thread that closes the effect; the panel is closed first if the
  // host left it open.
  ~PanelEditor() override;

  PanelEditor(const PanelEditor&) = delete;
  PanelEditor& operator=(const PanelEditor&) = delete;

  // UI thread: opens the panel in the host's window `parent` (an X11 window
  // id); a panel already open is closed first. Answers 1 (0 when called from
  // a host callback while the panel handles its own events).
  intptr_t openEditor(void* parent);
  // UI thread: destroys the panel; nothing when it is closed. From a host
  // callback while the panel handles its own events, the panel goes as soon
  // as that handling returns.
  void closeEditor();
  // UI thread: shows parameter writes posted from other threads, then the
  // frame's refresh pass.
  void editorIdle();
  // Any thread: see the class comment.
  void parameterChanged(int32_t index, float value);
  // Any thread: asks for a refresh at the next idle; touches only an atomic flag.
  void requestRefresh() { refreshPending_.store(true, std::memory_order_release); }
  // UI thread, from a widget's tracking loop: editorIdle and the host's
  // idle at most once every 50 ms.
  void idleWhileTracking() override;
  // UI thread: the whole panel at once, if it is open.
  void redrawPanel(const PanelRect& area);
  // UI thread, from a widget of the panel.
  void widgetChanged(Canvas& canvas, ValueWidget* widget) override;
  // UI thread, from a knob or slider: brackets a drag with beginEdit and endEdit.
  void gestureBegan(ValueWidget* widget) override;
  void gestureEnded(ValueWidget* widget) override;

  // UI thread: the panel's own window (an X11 window id), 0 while closed or
  // when no window could be made.
  uintptr_t panelWindow() const;
  // UI thread: true while the panel is open and its window still exists
  // (the host may destroy the window it gave us).
  bool windowAlive() const;

  // Any thread: the panel's size, that of its picture.
  PanelRect panelBounds() const { return bounds_; }
  // For tests and tools, UI thread.
  PanelFrame* panelFrame() const { return frame; }
  bool isOpen() const { return open_; }
  ChoiceMenu* renderMenu() const { return renderMenu_; }
  KnobView* knob(int32_t tag) const;  // tags 1 to 6
  VerticalSlider* slider(int32_t tag) const;  // tags 7 and 8
  PanelLabel* renderCaption() const { return renderCaption_; }
  PanelLabel* dryCaption() const { return dryCaption_; }
  PanelLabel* wetCaption() const { return wetCaption_; }
  LevelScaleView* levelScale() const { return levelScale_; }
  GrooveDisplay* grooveDisplay() const { return grooveDisplay_; }
  HelpView* helpView() const { return helpView_; }
  ViewGroupSet* viewGroups() const { return viewGroups_; }
  PanelBitmap* backgroundPicture() const { return background_; }
  PanelBitmap* sliderTrackPicture() const { return sliderTrack_; }
  PanelBitmap* sliderHandlePicture() const { return sliderHandle_; }

  // Any thread: the render menu entry for a parameter value, and the value an entry writes.
  static int32_t renderEntryFor(float value);
  static float renderValueFor(int32_t entry);

 private:
  void buildWidgets();
  // Panel thread: what a parameter write does to the widgets.
  void showParameter(int32_t index, float value, const char* knobText);
  void takeHandedOver();
  bool onPanelThread() const;
  void endGestures();
  void edit(int32_t index, float value);

  PanelControls* const controls_;
  PanelRect bounds_{0, 0, 0, 0};
  PanelFrame* frame = nullptr;  // owned; exists only while the panel is open
  uint32_t lastIdleTicks;
  void* parentWindow_ = nullptr;  // the host's window given to the last openEditor
  ViewGroupSet* viewGroups_ = nullptr;
  HelpView* helpView_ = nullptr;
  bool open_ = false;
  int32_t idleDepth_ = 0;       // nesting of editorIdle (tracking loops idle from inside)
  bool closeDeferred_ = false;  // a close asked for while idleDepth_ > 0
  bool inGesture_[9] = {};      // per parameter: a drag's beginEdit was sent
  ChoiceMenu* renderMenu_ = nullptr;
  PanelLabel* renderCaption_ = nullptr;
  KnobView* knobs_[kKnobs] = {};
  VerticalSlider* drySlider_ = nullptr;
  VerticalSlider* wetSlider_ = nullptr;
  PanelLabel* dryCaption_ = nullptr;
  PanelLabel* wetCaption_ = nullptr;
  LevelScaleView* levelScale_ = nullptr;
  GrooveDisplay* grooveDisplay_ = nullptr;
  PanelBitmap* background_ = nullptr;
  PanelBitmap* sliderTrack_ = nullptr;
  PanelBitmap* sliderHandle_ = nullptr;

  // Shared with every thread that writes parameters. The panel thread
  // alone writes these two; others only read them.
  std::atomic<std::thread::id> panelThread_{};
  std::atomic<bool> acceptsHandOver_{false};
  std::atomic<bool> refreshPending_{false};  // set by any thread, cleared by the panel thread
  ParameterHandOver handOver_;
};

}  // namespace gyrelle
