// The toolkit without any X server: window surfaces are pixel buffers that
// tests read back, and the pointer, buttons, modifiers, tick count and popup
// choices are scripted. Install it with usePanelPlatformForTesting before
// creating frames. Single-threaded test use.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "toolkit/PanelPlatform.h"

namespace gyrelle {

class HeadlessPlatform;

// One step of a scripted pointer: where it is and what is held.
struct PointerStep {
  PanelPoint position;
  int32_t buttons;
};

class HeadlessWindow : public PanelWindow, private SurfacePresenter {
 public:
  HeadlessWindow(HeadlessPlatform& platform, uintptr_t id, uintptr_t parent, int32_t width,
                 int32_t height, const char* className);
  ~HeadlessWindow() override;

  PanelSurface& surface() override { return surface_; }
  uintptr_t id() const override { return id_; }
  void pumpEvents(PanelWindowEvents& events) override;
  int32_t readMouseButtons() override;
  PanelPoint readMousePosition() override;
  PanelPoint screenOrigin() override { return origin_; }
  int32_t popupMenu(const PanelPopupRequest& request, PanelWindowEvents& events) override;

  // Reading back.
  const std::vector<uint32_t>& pixels() const { return surface_.pixelVector(); }
  uint32_t pixel(int32_t x, int32_t y) const { return surface_.pixel(x, y); }
  int32_t width() const { return surface_.width(); }
  int32_t height() const { return surface_.height(); }
  // Writes the window's pixels as a binary PPM or an (uncompressed) PNG
  // picture; false on failure.
  bool writePpm(const std::string& path) const;
  bool writePng(const std::string& path) const;
  uintptr_t parent() const { return parent_; }
  const std::string& className() const { return className_; }
  // How many times a changed region was presented, and the last one.
  int32_t presentCount() const { return presentCount_; }
  PanelRect lastPresented() const { return lastPresented_; }

  // Scripting. Queued events run at the next pumpEvents; a new window has
  // one Expose queued, as a mapped X window would.
  void queueExpose();
  void queueButtonPress(int32_t button, PanelPoint where);  // 1 left, 2 middle, 3 right
  void queueDestroy();
  // Live input: the current pointer state...
  void setPointer(PanelPoint position, int32_t buttons);
  // ...or a script: every readMousePosition moves to the next step; when the
  // script is used up the buttons read 0 (released).
  void scriptPointer(const std::vector<PointerStep>& steps);
  void setScreenOrigin(PanelPoint origin) { origin_ = origin; }

 private:
  void present(const PanelSurface& surface, const PanelRect& region) override;

  struct Event {
    int kind;
    int32_t button;
    PanelPoint where;
  };

  HeadlessPlatform& platform_;
  uintptr_t id_;
  uintptr_t parent_;
  std::string className_;
  PanelSurface surface_;
  std::deque<Event> events_;
  std::deque<PointerStep> script_;
  bool scripted_ = false;
  PanelPoint position_{0, 0};
  int32_t buttons_ = 0;
  PanelPoint origin_{0, 0};
  int32_t presentCount_ = 0;
  PanelRect lastPresented_{0, 0, 0, 0};
};

// Owned by the test, used on the test's thread; tracks the windows it made.
class HeadlessPlatform : public PanelPlatform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  std::unique_ptr<PanelWindow> createWindow(uintptr_t parent, int32_t width, int32_t height,
                                            const char* className) override;
  uint32_t tickCount() override;

  // The newest live window, or the one with `id`; null if none.
  HeadlessWindow* latestWindow() const;
  HeadlessWindow* window(uintptr_t id) const;
  int32_t windowCount() const { return int32_t(windows_.size()); }

  // Parents that createWindow refuses (as X refuses a window that is gone).
  void markParentMissing(uintptr_t parent) { missingParents_.push_back(parent); }

  // Tick count: set, or advanced by `step` at every read.
  void setTicks(uint32_t ticks) { ticks_ = ticks; }
  void setTickStep(uint32_t step) { tickStep_ = step; }

  // Popup answers, used in order; kPopupNone when the queue is empty.
  void queuePopupChoice(int32_t choice) { popupChoices_.push_back(choice); }
  // What the last popup was asked to show.
  int32_t popupCount() const { return popupCount_; }
  const std::vector<std::string>& lastPopupEntries() const { return lastPopupEntries_; }
  int32_t lastPopupChecked() const { return lastPopupChecked_; }
  PanelPoint lastPopupAt() const { return lastPopupAt_; }

 private:
  friend class HeadlessWindow;
  void forget(HeadlessWindow* window);
  int32_t answerPopup(const PanelPopupRequest& request);

  std::vector<HeadlessWindow*> windows_;
  std::vector<uintptr_t> missingParents_;
  uintptr_t nextId_ = 0x1000;
  uint32_t ticks_ = 0;
  uint32_t tickStep_ = 0;
  std::deque<int32_t> popupChoices_;
  int32_t popupCount_ = 0;
  std::vector<std::string> lastPopupEntries_;
  int32_t lastPopupChecked_ = -1;
  PanelPoint lastPopupAt_{0, 0};
};

}  // namespace gyrelle
