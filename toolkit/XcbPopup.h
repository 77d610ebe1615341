// The modal popup list of the X11 platform: an override-redirect window
// drawn with our canvas, with the pointer grabbed while it is open.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

#include "toolkit/PanelPlatform.h"

namespace gyrelle {

struct XcbPopupContext {
  xcb_connection_t* connection = nullptr;
  const xcb_screen_t* screen = nullptr;
  xcb_window_t panelWindow = 0;
  // Sends a region of a surface to a window of the connection.
  std::function<void(xcb_window_t, const PanelSurface&, const PanelRect&)> present;
  // Handles an event that is not the popup's (presses are dropped there).
  std::function<void(xcb_generic_event_t*, bool& exposed)> panelEvent;
  // True once the panel window is gone.
  std::function<bool()> panelGone;
};

// Runs the popup until a choice, a click outside, Escape, or the loss of
// the panel or the connection; answers the chosen index or kPopupNone.
int32_t runXcbPopup(const XcbPopupContext& context, const PanelPopupRequest& request,
                    bool& panelExposed);

}  // namespace gyrelle
