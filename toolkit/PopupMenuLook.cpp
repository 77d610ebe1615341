#include "toolkit/PopupMenuLook.h"

#include <algorithm>
#include <cstring>

#include "toolkit/Canvas.h"
#include "toolkit/PanelFonts.h"

namespace gyrelle {

namespace {
constexpr int32_t kItemHeight = 18;
constexpr int32_t kSeparatorHeight = 7;
constexpr int32_t kTextLeft = 20;  // room for the check mark
constexpr int32_t kTextRight = 16;
constexpr int32_t kMinWidth = 80;
constexpr int32_t kMaxWidth = 1000;
constexpr PanelFontId kFont = kFontArial12;
constexpr PanelColour kFace{240, 240, 240, 0};
constexpr PanelColour kEdge{128, 128, 128, 0};
constexpr PanelColour kHighlight{51, 153, 255, 0};
}  // namespace

bool isPopupSeparator(const char* entry) { return entry != nullptr && std::strcmp(entry, "-") == 0; }

PopupLayout layoutPopup(const PanelPopupRequest& request) {
  PopupLayout layout;
  const int32_t count = request.entries != nullptr ? std::max(request.count, 0) : 0;
  int32_t widest = 0;
  int32_t y = 2;
  for (int32_t i = 0; i < count; ++i) {
    const char* entry = request.entries[i];
    const int32_t h = isPopupSeparator(entry) ? kSeparatorHeight : kItemHeight;
    layout.items.push_back(PanelRect{2, y, 0, y + h});
    y += h;
    if (!isPopupSeparator(entry)) {
      widest = std::max(widest, measurePanelText(kFont, panelFontInfo(kFont).defaultSize, entry).width);
    }
  }
  layout.width = std::clamp(kTextLeft + widest + kTextRight, kMinWidth, kMaxWidth);
  layout.height = std::min(y + 2, PanelSurface::kMaxSide);
  for (PanelRect& r : layout.items) r.right = layout.width - 2;
  return layout;
}

int32_t popupItemAt(const PanelPopupRequest& request, const PopupLayout& layout, PanelPoint where) {
  for (size_t i = 0; i < layout.items.size(); ++i) {
    const PanelRect& r = layout.items[i];
    if (where.h >= r.left && where.h < r.right && where.v >= r.top && where.v < r.bottom) {
      return isPopupSeparator(request.entries[i]) ? -1 : int32_t(i);
    }
  }
  return -1;
}

void drawPopup(PanelSurface& surface, const PanelPopupRequest& request, const PopupLayout& layout,
               int32_t highlighted) {
  Canvas canvas(nullptr, &surface, nullptr);
  canvas.setFillColour(kFace);
  canvas.fillInnerRect(PanelRect{-1, -1, layout.width, layout.height});
  canvas.setPenColour(kEdge);
  canvas.outlineRect(PanelRect{0, 0, layout.width - 1, layout.height - 1});
  canvas.selectFont(kFont, 0);
  for (size_t i = 0; i < layout.items.size(); ++i) {
    const PanelRect& r = layout.items[i];
    const char* entry = request.entries[i];
    if (isPopupSeparator(entry)) {
      const int32_t mid = (r.top + r.bottom) / 2;
      canvas.setPenColour(kEdge);
      canvas.movePenTo(PanelPoint{r.left + 2, mid});
      canvas.drawLineTo(PanelPoint{r.right - 2, mid});
      continue;
    }
    const bool lit = int32_t(i) == highlighted;
    if (lit) {
      canvas.setFillColour(kHighlight);
      canvas.fillInnerRect(PanelRect{r.left - 1, r.top - 1, r.right, r.bottom});
    }
    const PanelColour ink = lit ? ColourWhite : ColourBlack;
    if (int32_t(i) == request.checked) {
      // A check mark: a short stroke down and a long one up.
      const int32_t x = r.left + 5, y = (r.top + r.bottom) / 2;
      canvas.setPenColour(ink);
      for (int32_t t = 0; t < 2; ++t) {
        canvas.movePenTo(PanelPoint{x, y + t - 1});
        canvas.drawLineTo(PanelPoint{x + 3, y + t + 2});
        canvas.drawLineTo(PanelPoint{x + 10, y + t - 5});
      }
    }
    canvas.setTextColour(ink);
    canvas.drawText(entry, PanelRect{r.left + kTextLeft - 1, r.top, r.right, r.bottom}, false,
                    AlignLeft);
  }
}

}  // namespace gyrelle
