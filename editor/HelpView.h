// The strip at the top right with "HELP" and "About...": a press covers the
// panel with a black overlay showing the scrolling help text or the about
// page, and takes every other panel widget out of the frame meanwhile. Hover
// outlines and held-button scrolling follow the frame's idle refresh.
// Panel thread only.
#pragma once

#include <cstdint>

#include "toolkit/Widget.h"

namespace gyrelle {

class ViewGroupSet;

class HelpView : public ValueWidget {
 public:
  static constexpr int32_t kStripWidth = 100;
  static constexpr int32_t kStripHeight = 20;
  static constexpr int32_t kPageLines = 14;
  static constexpr int32_t kLineHeight = 16;

  // `groups` (not owned) holds group 0, the widgets the overlay hides.
  HelpView(const PanelRect& overlay, ViewGroupSet* groups);

  void draw(Canvas& canvas) override;
  // Uses the live pointer column, not `where`.
  void onMouseDown(Canvas& canvas, PanelPoint where) override;
  void refresh(Canvas& canvas) override;

  // direction < 0: one line toward the start; > 0: one line toward the end.
  void scrollHelp(Canvas& canvas, int32_t direction);
  static void drawArrow(Canvas& canvas, PanelPoint start, int32_t dx, int32_t dy,
                        PanelColour colour);

  bool isShown() const { return shown_; }
  bool isAboutMode() const { return aboutMode_; }
  int32_t firstLine() const { return firstLine_; }
  int32_t lineCount() const { return lineCount_; }
  bool hoverMain() const { return hoverMain_; }
  bool hoverAbout() const { return hoverAbout_; }
  bool hoverLower() const { return hoverLower_; }
  bool hoverUpper() const { return hoverUpper_; }
  // The scroll thumb's rectangle (as filled) for the current first line.
  PanelRect thumbRect() const;

 private:
  void drawClosed(Canvas& canvas);
  void drawShown(Canvas& canvas);
  void closeOverlay(Canvas& canvas);
  int32_t third() const { return kStripWidth / 3; }

  PanelRect overlay_;
  ViewGroupSet* groups_;
  bool shown_ = false;
  bool aboutMode_ = false;
  int32_t firstLine_ = 0;
  int32_t lineCount_;
  bool hoverMain_ = false;
  bool hoverAbout_ = false;
  bool hoverLower_ = false;
  bool hoverUpper_ = false;
};

}  // namespace gyrelle
