// A text box showing the current one of a list of entries; a left click
// opens a popup of all entries and the chosen one becomes current. An entry
// that is exactly "-" is a separator and can never be current. Used on the
// panel window's thread; the popup's loop runs nested inside a press.
#pragma once

#include <cstdint>

#include "toolkit/TextDisplay.h"

namespace gyrelle {

constexpr int32_t kMaxMenuEntries = 128;

class ChoiceMenu : public TextDisplay {
 public:
  // Adds references to both bitmaps (either may be null).
  ChoiceMenu(const PanelRect& rect, ValueListener* listener, int32_t tag, PanelBitmap* background,
             PanelBitmap* pressed, int32_t style);
  ~ChoiceMenu() override;

  void draw(Canvas& canvas) override;
  void onMouseDown(Canvas& canvas, PanelPoint where) override;
  void onFocusLost() override;
  // Runs the popup (modal) and applies the choice.
  void onFocusGained() override;

  // Inserts at `index` (at the end when it is outside 0..count-1); null is
  // the empty text; texts are cut to 255 characters. False when full.
  virtual bool addEntry(const char* text, int32_t index);
  // The current index (-1: none); copies its text into `text` (256 bytes) if given.
  virtual int32_t currentIndex(char* text) const;
  virtual bool setCurrentIndex(int32_t index);
  virtual bool entryText(int32_t index, char* text) const;
  virtual bool removeEntry(int32_t index);
  virtual bool removeAllEntries();
  virtual int32_t entryCount() const;

  bool popupOpen() const { return popupOpen_; }

 private:
  bool isSeparator(int32_t index) const;

  bool popupOpen_ = false;
  char* entries_[kMaxMenuEntries] = {};
  int32_t count_ = 0;
  int32_t current_ = -1;
  PanelBitmap* pressed_;
};

}  // namespace gyrelle
