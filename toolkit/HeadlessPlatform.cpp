#include "toolkit/HeadlessPlatform.h"

#include <algorithm>
#include <cstdio>

namespace gyrelle {

namespace {
enum EventKind { kExpose, kButton, kDestroy };
}  // namespace

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, uintptr_t id, uintptr_t parent,
                               int32_t width, int32_t height, const char* className)
    : platform_(platform),
      id_(id),
      parent_(parent),
      className_(className != nullptr ? className : ""),
      surface_(width, height) {
  surface_.setPresenter(this);
  queueExpose();
}

HeadlessWindow::~HeadlessWindow() {
  surface_.setPresenter(nullptr);
  platform_.forget(this);
}

void HeadlessWindow::present(const PanelSurface&, const PanelRect& region) {
  ++presentCount_;
  lastPresented_ = region;
}

void HeadlessWindow::queueExpose() { events_.push_back(Event{kExpose, 0, PanelPoint{0, 0}}); }

void HeadlessWindow::queueButtonPress(int32_t button, PanelPoint where) {
  events_.push_back(Event{kButton, button, where});
}

void HeadlessWindow::queueDestroy() { events_.push_back(Event{kDestroy, 0, PanelPoint{0, 0}}); }

void HeadlessWindow::pumpEvents(PanelWindowEvents& events) {
  // Events queued by the handlers themselves wait for the next pump.
  size_t pending = events_.size();
  while (pending-- > 0 && !events_.empty()) {
    const Event e = events_.front();
    events_.pop_front();
    switch (e.kind) {
      case kExpose: events.windowExposed(); break;
      case kButton:
        if (e.button == 1 || e.button == 3) events.windowButtonPressed(e.where);
        break;
      default: events.windowDestroyed(); break;
    }
  }
}

void HeadlessWindow::setPointer(PanelPoint position, int32_t buttons) {
  scripted_ = false;
  script_.clear();
  position_ = position;
  buttons_ = buttons;
}

void HeadlessWindow::scriptPointer(const std::vector<PointerStep>& steps) {
  script_.assign(steps.begin(), steps.end());
  scripted_ = true;
}

int32_t HeadlessWindow::readMouseButtons() { return buttons_; }

PanelPoint HeadlessWindow::readMousePosition() {
  if (scripted_) {
    if (script_.empty()) {
      buttons_ = 0;  // the script is over: the button is let go
    } else {
      position_ = script_.front().position;
      buttons_ = script_.front().buttons;
      script_.pop_front();
    }
  }
  return position_;
}

int32_t HeadlessWindow::popupMenu(const PanelPopupRequest& request, PanelWindowEvents& events) {
  pumpEvents(events);
  return platform_.answerPopup(request);
}

bool HeadlessWindow::writePpm(const std::string& path) const {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", int(width()), int(height()));
  for (uint32_t p : pixels()) {
    const unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    std::fwrite(rgb, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() = default;

std::unique_ptr<PanelWindow> HeadlessPlatform::createWindow(uintptr_t parent, int32_t width,
                                                            int32_t height, const char* className) {
  if (parent == 0 ||
      std::find(missingParents_.begin(), missingParents_.end(), parent) != missingParents_.end()) {
    return nullptr;
  }
  auto window = std::make_unique<HeadlessWindow>(*this, nextId_++, parent, width, height, className);
  windows_.push_back(window.get());
  return window;
}

uint32_t HeadlessPlatform::tickCount() {
  const uint32_t now = ticks_;
  ticks_ += tickStep_;
  return now;
}

HeadlessWindow* HeadlessPlatform::latestWindow() const {
  return windows_.empty() ? nullptr : windows_.back();
}

HeadlessWindow* HeadlessPlatform::window(uintptr_t id) const {
  for (HeadlessWindow* w : windows_) {
    if (w->id() == id) return w;
  }
  return nullptr;
}

void HeadlessPlatform::forget(HeadlessWindow* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

int32_t HeadlessPlatform::answerPopup(const PanelPopupRequest& request) {
  ++popupCount_;
  lastPopupEntries_.clear();
  for (int32_t i = 0; i < request.count && request.entries != nullptr; ++i) {
    lastPopupEntries_.emplace_back(request.entries[i] != nullptr ? request.entries[i] : "");
  }
  lastPopupChecked_ = request.checked;
  lastPopupAt_ = request.at;
  if (popupChoices_.empty()) return kPopupNone;
  const int32_t choice = popupChoices_.front();
  popupChoices_.pop_front();
  return choice;
}

}  // namespace gyrelle
