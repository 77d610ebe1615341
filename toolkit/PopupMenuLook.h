// How a popup list of entries is laid out and drawn with the canvas; shared
// by every platform that draws its own popup.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/PanelPlatform.h"
#include "toolkit/PanelSurface.h"

namespace gyrelle {

// Pure functions of the request, called on the panel window's thread.
struct PopupLayout {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<PanelRect> items;  // one per entry, right and bottom exclusive
};

PopupLayout layoutPopup(const PanelPopupRequest& request);

// The entry under `where` (popup coordinates) that can be chosen, or -1.
int32_t popupItemAt(const PanelPopupRequest& request, const PopupLayout& layout, PanelPoint where);

// Draws the whole popup into `surface` (of the layout's size).
void drawPopup(PanelSurface& surface, const PanelPopupRequest& request, const PopupLayout& layout,
               int32_t highlighted);

bool isPopupSeparator(const char* entry);

}  // namespace gyrelle
