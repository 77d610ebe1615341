#include "toolkit/ChoiceMenu.h"

#include <cstring>

#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/PanelPlatform.h"

namespace gyrelle {

namespace {
void copyText(char* into, const char* text) {
  std::strncpy(into, text != nullptr ? text : "", kTextBufferSize - 1);
  into[kTextBufferSize - 1] = 0;
}
}  // namespace

ChoiceMenu::ChoiceMenu(const PanelRect& r, ValueListener* l, int32_t t, PanelBitmap* background,
                       PanelBitmap* pressed, int32_t style)
    : TextDisplay(r, background, style), pressed_(pressed) {
  listener = l;
  tag = t;
  if (pressed_ != nullptr) pressed_->addRef();
}

ChoiceMenu::~ChoiceMenu() {
  removeAllEntries();
  if (pressed_ != nullptr) pressed_->release();
}

bool ChoiceMenu::isSeparator(int32_t index) const { return std::strcmp(entries_[index], "-") == 0; }

void ChoiceMenu::draw(Canvas& canvas) {
  drawTextBox(canvas, current_ >= 0 ? entries_[current_] : "", nullptr);
}

void ChoiceMenu::onMouseDown(Canvas& canvas, PanelPoint) {
  if (!enabled_ || canvas.readMouseButtons() != MouseLeft) return;
  if (pressed_ != nullptr) drawTextBox(canvas, current_ >= 0 ? entries_[current_] : "", pressed_);
  // What was drawn so far shows before the popup's loop takes over.
  if (canvas.surface() != nullptr) canvas.surface()->presentChanges();
  if (frame != nullptr) frame->setFocusWidget(this);
  onFocusGained();
}

void ChoiceMenu::onFocusLost() { popupOpen_ = false; }

void ChoiceMenu::onFocusGained() {
  int32_t chosen = kPopupNone;
  PanelWindow* window = frame != nullptr ? frame->platformWindow() : nullptr;
  if (window != nullptr) {
    const PanelPoint origin = window->screenOrigin();
    PanelPopupRequest request;
    request.entries = entries_;
    request.count = count_;
    request.checked = (style_ & StyleMenuCheck) ? current_ : -1;
    request.at = PanelPoint{origin.h + rect.left,
                            origin.v + ((style_ & StyleMenuAtTop) ? rect.top : rect.bottom)};
    popupOpen_ = true;
    chosen = frame->runPopup(request);
    popupOpen_ = false;
    // Only entries that could be chosen count: a separator or a stale index is no choice.
    if (chosen < 0 || chosen >= count_ || isSeparator(chosen)) chosen = kPopupNone;
  }
  if (frame != nullptr) frame->setFocusWidget(nullptr);
  if (chosen == kPopupNone && pressed_ == nullptr) return;
  if (window == nullptr) return;
  Canvas canvas(frame, &window->surface(), window);
  if (chosen != kPopupNone) {
    current_ = chosen;
    if (listener != nullptr) listener->widgetChanged(canvas, this);
  }
  draw(canvas);
}

bool ChoiceMenu::addEntry(const char* text, int32_t index) {
  if (count_ >= kMaxMenuEntries) return false;
  entries_[count_] = new char[kTextBufferSize];
  if (index >= 0 && index < count_) {
    for (int32_t i = count_; i > index; --i) std::memcpy(entries_[i], entries_[i - 1], kTextBufferSize);
    if (current_ >= index) ++current_;
  } else {
    index = count_;
  }
  copyText(entries_[index], text);
  ++count_;
  if (current_ == -1) current_ = 0;
  return true;
}

int32_t ChoiceMenu::currentIndex(char* text) const {
  if (text != nullptr && current_ >= 0) copyText(text, entries_[current_]);
  return current_;
}

bool ChoiceMenu::setCurrentIndex(int32_t index) {
  if (index < 0 || index >= count_ || isSeparator(index)) return false;
  current_ = index;
  drawnValue_ = value_ == 0.0f ? 1.0f : 0.0f;
  return true;
}

bool ChoiceMenu::entryText(int32_t index, char* text) const {
  if (index < 0 || index >= count_) return false;
  if (text != nullptr) copyText(text, entries_[index]);
  return true;
}

bool ChoiceMenu::removeEntry(int32_t index) {
  if (index < 0 || index >= count_) return false;
  for (int32_t i = index; i + 1 < count_; ++i) std::memcpy(entries_[i], entries_[i + 1], kTextBufferSize);
  if (current_ >= index) --current_;
  delete[] entries_[count_ - 1];
  entries_[count_ - 1] = nullptr;
  --count_;
  if (count_ == 0) current_ = -1;
  return true;
}

bool ChoiceMenu::removeAllEntries() {
  for (int32_t i = 0; i < count_; ++i) {
    delete[] entries_[i];
    entries_[i] = nullptr;
  }
  count_ = 0;
  current_ = -1;
  return true;
}

int32_t ChoiceMenu::entryCount() const { return count_; }

}  // namespace gyrelle
