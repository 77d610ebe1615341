#include "toolkit/XcbPopup.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "toolkit/PopupMenuLook.h"

namespace gyrelle {

namespace {

constexpr uint32_t kEscapeKeysym = 0xFF1B;

// The keycodes that produce Escape, from the server's keyboard mapping.
std::vector<xcb_keycode_t> escapeKeycodes(xcb_connection_t* c) {
  std::vector<xcb_keycode_t> codes;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const uint8_t first = setup->min_keycode;
  const int count = int(setup->max_keycode) - first + 1;
  if (count <= 0) return codes;
  xcb_get_keyboard_mapping_reply_t* map =
      xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first, uint8_t(count)), nullptr);
  if (map == nullptr) return codes;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
  const int perCode = map->keysyms_per_keycode;
  const int total = xcb_get_keyboard_mapping_keysyms_length(map);
  for (int i = 0; i < total && perCode > 0; ++i) {
    if (syms[i] == kEscapeKeysym) codes.push_back(xcb_keycode_t(first + i / perCode));
  }
  std::free(map);
  return codes;
}

bool grabPointer(xcb_connection_t* c, xcb_window_t w) {
  // The host or the window manager may hold the pointer for a moment.
  for (int attempt = 0; attempt < 20; ++attempt) {
    auto cookie = xcb_grab_pointer(
        c, 0, w,
        XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION,
        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
    xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(c, cookie, nullptr);
    if (reply == nullptr) return false;  // connection trouble
    const bool ok = reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

int32_t runXcbPopup(const XcbPopupContext& context, const PanelPopupRequest& request,
                    bool& panelExposed) {
  xcb_connection_t* c = context.connection;
  const xcb_screen_t& screen = *context.screen;
  if (request.entries == nullptr || request.count <= 0) return kPopupNone;
  const PopupLayout layout = layoutPopup(request);
  // Kept on the screen, as menus are.
  int32_t x = std::clamp<int32_t>(request.at.h, 0, std::max(0, screen.width_in_pixels - layout.width));
  int32_t y = request.at.v;
  if (y + layout.height > screen.height_in_pixels) y = screen.height_in_pixels - layout.height;
  y = std::max(y, 0);

  const xcb_window_t popup = xcb_generate_id(c);
  const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                        XCB_CW_EVENT_MASK | XCB_CW_COLORMAP;
  const uint32_t values[] = {0xF0F0F0u, 0, 1,
                             XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                 XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                 XCB_EVENT_MASK_KEY_PRESS,
                             screen.default_colormap};
  xcb_create_window(c, screen.root_depth, popup, screen.root, int16_t(x), int16_t(y),
                    uint16_t(layout.width), uint16_t(layout.height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual, mask, values);
  xcb_map_window(c, popup);
  xcb_flush(c);

  PanelSurface surface(layout.width, layout.height);
  int32_t highlighted = -1;
  auto redraw = [&] {
    drawPopup(surface, request, layout, highlighted);
    context.present(popup, surface, PanelRect{0, 0, layout.width, layout.height});
  };
  redraw();

  int32_t chosen = kPopupNone;
  bool open = grabPointer(c, popup);
  if (open) {
    xcb_grab_keyboard_reply_t* keyboard = xcb_grab_keyboard_reply(
        c,
        xcb_grab_keyboard(c, 0, popup, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    std::free(keyboard);  // without the keyboard, Escape just does not work
  }
  const std::vector<xcb_keycode_t> escapes = open ? escapeKeycodes(c) : std::vector<xcb_keycode_t>{};
  bool pressedInside = false;
  bool movedOverItems = false;
  auto inside = [&](int32_t px, int32_t py) {
    return px >= 0 && py >= 0 && px < layout.width && py < layout.height;
  };

  while (open && !xcb_connection_has_error(c) && !context.panelGone()) {
    xcb_generic_event_t* event = xcb_poll_for_event(c);
    if (event == nullptr) {
      pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
      poll(&fd, 1, 50);
      continue;
    }
    switch (event->response_type & 0x7F) {
      case XCB_EXPOSE: {
        auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
        if (e->window == popup) {
          if (e->count == 0) redraw();
        } else {
          context.panelEvent(event, panelExposed);
        }
        break;
      }
      case XCB_MOTION_NOTIFY: {
        auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        const int32_t item = (e->event == popup && inside(e->event_x, e->event_y))
                                 ? popupItemAt(request, layout, PanelPoint{e->event_x, e->event_y})
                                 : -1;
        if (item != highlighted) {
          highlighted = item;
          if (item >= 0) movedOverItems = true;
          redraw();
        }
        break;
      }
      case XCB_BUTTON_PRESS: {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
        if (e->event == popup && inside(e->event_x, e->event_y)) {
          pressedInside = true;
        } else if (e->event == popup) {
          open = false;  // a click outside closes without a choice
        } else {
          context.panelEvent(event, panelExposed);  // dropped there
        }
        break;
      }
      case XCB_BUTTON_RELEASE: {
        auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
        if (e->event != popup || !inside(e->event_x, e->event_y)) break;
        const int32_t item = popupItemAt(request, layout, PanelPoint{e->event_x, e->event_y});
        // The release of the click that opened the popup chooses nothing
        // unless the pointer went over the entries first.
        if (item >= 0 && (pressedInside || movedOverItems)) {
          chosen = item;
          open = false;
        }
        break;
      }
      case XCB_KEY_PRESS: {
        auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (std::find(escapes.begin(), escapes.end(), e->detail) != escapes.end()) open = false;
        break;
      }
      default:
        context.panelEvent(event, panelExposed);
        break;
    }
    std::free(event);
  }
  xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
  xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
  xcb_destroy_window(c, popup);
  xcb_flush(c);
  return chosen;
}

}  // namespace gyrelle
