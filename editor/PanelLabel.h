// A fixed caption in a box ("Render Level", "dry", "wet"). Panel thread only.
#pragma once

#include "toolkit/TextDisplay.h"

namespace gyrelle {

class PanelLabel : public TextDisplay {
 public:
  static constexpr int kCaptionBytes = 100;

  explicit PanelLabel(const PanelRect& rect);

  void draw(Canvas& canvas) override;
  // Copies the text (cut to 99 characters; null means empty) and draws the
  // label at once if it is in a frame.
  void setLabelText(const char* text);
  const char* labelText() const { return caption_; }

 private:
  char caption_[kCaptionBytes] = {};
};

}  // namespace gyrelle
