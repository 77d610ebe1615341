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

namespace {

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  put32(out, uint32_t(body.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  put32(out, crc32(typed.data(), typed.size()));
}

}  // namespace

bool HeadlessWindow::writePng(const std::string& path) const {
  // Rows of RGB, each after filter byte 0, in stored (uncompressed) deflate blocks.
  std::vector<uint8_t> raw;
  raw.reserve(size_t(height()) * (size_t(width()) * 3 + 1));
  for (int32_t y = 0; y < height(); ++y) {
    raw.push_back(0);
    for (int32_t x = 0; x < width(); ++x) {
      const uint32_t p = pixel(x, y);
      raw.insert(raw.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put32(z, (b << 16) | a);
  std::vector<uint8_t> header;
  put32(header, uint32_t(width()));
  put32(header, uint32_t(height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
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
