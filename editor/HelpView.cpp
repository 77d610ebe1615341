#include "editor/HelpView.h"

#include <algorithm>
#include <cstdlib>

#include "editor/HelpText.h"
#include "editor/ViewGroupSet.h"
#include "toolkit/Canvas.h"

namespace gyrelle {

HelpView::HelpView(const PanelRect& o, ViewGroupSet* groups)
    : ValueWidget(PanelRect{o.right - kStripWidth, 0, o.right, kStripHeight}, nullptr, 0),
      overlay_(o),
      groups_(groups),
      lineCount_(countHelpLines()) {}

PanelRect HelpView::thumbRect() const {
  const int32_t track = kPageLines * kLineHeight;  // 224 rows, 45 to 269
  const int32_t length = std::min(track * kPageLines / std::max(lineCount_, 1), track);
  const int32_t steps = std::max(lineCount_ - kPageLines, 1);
  const int32_t p = (track - length) * firstLine_ / steps;
  const PanelRect& o = overlay_;
  return PanelRect{o.left + 4, o.top + 45 + p, o.left + 8, o.top + 45 + p + length};
}

void HelpView::draw(Canvas& canvas) {
  if (shown_) {
    drawShown(canvas);
  } else {
    drawClosed(canvas);
  }
  drawnValue_ = value_;
}

void HelpView::drawClosed(Canvas& canvas) {
  const PanelRect& s = rect;
  canvas.setFillColour(ColourBlack);
  canvas.fillInnerRect(s);
  canvas.selectFont(kFontArial12, 0);
  canvas.setTextColour(ColourWhite);
  const PanelRect help{s.left, s.top, (s.left + s.right) / 2 - 1, s.bottom};
  canvas.drawText("HELP", help, false, AlignCentre);
  canvas.setPenColour(hoverMain_ ? ColourWhite : ColourBlack);
  canvas.outlineRect(help);
  const PanelRect about{(s.left + s.right) / 2, s.top, s.right, s.bottom};
  canvas.drawText("About...", about, false, AlignCentre);
  canvas.setPenColour(hoverAbout_ ? ColourWhite : ColourBlack);
  canvas.outlineRect(about);
}

void HelpView::drawShown(Canvas& canvas) {
  const PanelRect& s = rect;
  const PanelRect& o = overlay_;
  const int32_t w = s.width();
  canvas.setFillColour(ColourBlack);
  canvas.setPenColour(ColourBlack);
  canvas.fillInnerRect(o);
  canvas.outlineRect(o);
  canvas.selectFont(kFontArial12, 0);
  canvas.setTextColour(ColourWhite);
  canvas.drawText("close", s, false, AlignCentre);
  canvas.selectFont(kFontArial18, 0);
  canvas.setTextColour(ColourCyan);
  canvas.drawText(kMakerLogoText, PanelRect{o.left + 12, o.top, o.right, o.top + 22}, false,
                  AlignLeft);
  const PanelRect titleBox{o.left, o.top + 22, o.right, o.top + 45};

  if (aboutMode_) {
    canvas.drawText(kAboutTitle, titleBox, false, AlignCentre);
    canvas.selectFont(kFontArial12, 0);
    canvas.setTextColour(ColourWhite);
    if (hoverMain_) {
      canvas.setPenColour(ColourWhite);
      canvas.outlineRect(s);
    }
    canvas.selectFont(kFontArial14, 0);
    canvas.setTextColour(ColourCyan);
    for (int32_t k = 1; k <= kAboutLineCount; ++k) {
      canvas.drawText(kAboutLines[k - 1],
                      PanelRect{o.left + 12, 45 + kLineHeight * k, o.right, 61 + kLineHeight * k},
                      false, AlignCentre);
    }
    return;
  }

  canvas.drawText(kHelpTitle, titleBox, false, AlignCentre);
  const int32_t d = s.height() / 2;
  const int32_t xl = (5 * s.left + s.right) / 6;
  const int32_t xr = (5 * s.right + s.left) / 6;
  const int32_t q1 = (3 * s.top + s.bottom) / 4;
  const int32_t q3 = (s.top + 3 * s.bottom) / 4;
  drawArrow(canvas, PanelPoint{xl, q1 + 2}, 0, d, ColourWhite);
  drawArrow(canvas, PanelPoint{xl, q1 - 2}, 0, d, ColourWhite);
  drawArrow(canvas, PanelPoint{xr, q3 + 2}, 0, -d, ColourWhite);
  drawArrow(canvas, PanelPoint{xr, q3 - 1}, 0, -d, ColourWhite);

  canvas.setPenColour(ColourWhite);
  if (hoverLower_) canvas.outlineRect(PanelRect{s.left, s.top, s.left + w / 3, s.bottom});
  if (hoverMain_) canvas.outlineRect(PanelRect{s.left + w / 3, s.top, s.right - w / 3, s.bottom});
  if (hoverUpper_) canvas.outlineRect(PanelRect{s.right - w / 3, s.top, s.right, s.bottom});

  canvas.selectFont(kFontArial14, 0);
  for (int32_t i = 0; i < kPageLines && firstLine_ + i < lineCount_; ++i) {
    canvas.drawText(kHelpLines[firstLine_ + i],
                    PanelRect{o.left + 12, 45 + kLineHeight * i, o.right, 61 + kLineHeight * i},
                    false, AlignLeft);
  }
  canvas.setFillColour(ColourCyan);
  canvas.fillInnerRect(thumbRect());
}

void HelpView::drawArrow(Canvas& canvas, PanelPoint start, int32_t dx, int32_t dy,
                         PanelColour colour) {
  canvas.setLineStyle(LineSolid);
  canvas.setPenColour(colour);
  const PanelPoint tip{start.h + dx, start.v + dy};
  canvas.movePenTo(start);
  canvas.drawLineTo(tip);
  const int32_t r = std::max(std::abs(dx), std::abs(dy)) / 2;
  const int32_t ax = dx != 0 ? std::abs(dx) : 1;
  const int32_t ay = dy != 0 ? std::abs(dy) : 1;
  const int32_t a = dx * r / ax;
  const int32_t b = dy * r / ay;
  canvas.drawLineTo(PanelPoint{tip.h + b - a, tip.v - a - b});
  canvas.movePenTo(tip);
  canvas.drawLineTo(PanelPoint{tip.h - b - a, tip.v + a - b});
}

void HelpView::closeOverlay(Canvas& canvas) {
  shown_ = false;
  if (groups_ != nullptr) groups_->showGroup(0, true);
  draw(canvas);
}

void HelpView::onMouseDown(Canvas& canvas, PanelPoint) {
  PanelPoint where{0, 0};
  canvas.readMousePosition(where);
  const int32_t x = where.h;
  const int32_t left = rect.left;
  if (!shown_) {
    shown_ = true;
    aboutMode_ = x > left + kStripWidth / 2;
    if (groups_ != nullptr) groups_->hideGroup(0);
    draw(canvas);
  } else if (aboutMode_) {
    closeOverlay(canvas);
  } else if (x < left + third()) {
    scrollHelp(canvas, +1);
  } else if (x < left + 2 * third()) {
    closeOverlay(canvas);
  } else {
    scrollHelp(canvas, -1);
  }
}

void HelpView::scrollHelp(Canvas& canvas, int32_t direction) {
  if (direction < 0 && firstLine_ > 0) {
    --firstLine_;
    draw(canvas);
  } else if (direction > 0 && firstLine_ + kPageLines < lineCount_) {
    ++firstLine_;
    draw(canvas);
  }
}

void HelpView::refresh(Canvas& canvas) {
  PanelPoint p{0, 0};
  canvas.readMousePosition(p);
  const bool before[4] = {hoverMain_, hoverAbout_, hoverLower_, hoverUpper_};
  hoverMain_ = hoverAbout_ = hoverLower_ = hoverUpper_ = false;
  if (rect.contains(p)) {
    const int32_t left = rect.left;
    if (!shown_) {
      (p.h <= left + kStripWidth / 2 ? hoverMain_ : hoverAbout_) = true;
    } else if (aboutMode_) {
      hoverMain_ = true;
    } else if (p.h < left + third()) {
      hoverLower_ = true;
    } else if (p.h < left + 2 * third()) {
      hoverMain_ = true;
    } else {
      hoverUpper_ = true;
    }
  }
  if (before[0] != hoverMain_ || before[1] != hoverAbout_ || before[2] != hoverLower_ ||
      before[3] != hoverUpper_) {
    draw(canvas);
  }
  const int32_t buttons = canvas.readMouseButtons();
  const bool held = (buttons & (MouseLeft | MouseRight)) != 0;
  if (held && hoverUpper_) scrollHelp(canvas, -1);
  if (held && hoverLower_) scrollHelp(canvas, +1);
}

}  // namespace gyrelle
