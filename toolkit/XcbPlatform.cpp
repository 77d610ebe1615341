#include "toolkit/XcbPlatform.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "toolkit/XcbPopup.h"

namespace gyrelle {

namespace {

// The only pixel layout we write: 32 bits per pixel, 0x00RRGGBB, as the
// surfaces hold it (every TrueColor depth-24 or depth-32 X server today).
bool usableFormat(const xcb_setup_t* setup, const xcb_screen_t* screen) {
  const xcb_visualtype_t* visual = nullptr;
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
    if (d.data->depth != screen->root_depth) continue;
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == screen->root_visual) visual = v.data;
    }
  }
  if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR ||
      visual->red_mask != 0xFF0000u || visual->green_mask != 0xFF00u || visual->blue_mask != 0xFFu) {
    return false;
  }
  if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == screen->root_depth) return f.data->bits_per_pixel == 32;
  }
  return false;
}

void setStringProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, const char* text,
                       size_t length) {
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_STRING, 8,
                      uint32_t(length), text);
}

class XcbWindow : public PanelWindow, private SurfacePresenter {
 public:
  XcbWindow(xcb_connection_t* connection, const xcb_screen_t& screen, xcb_window_t window,
            int32_t width, int32_t height)
      : connection_(connection),
        screen_(screen),
        window_(window),
        surface_(width, height),
        scratch_(size_t(surface_.width()) * size_t(surface_.height())) {
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, window_, 0, nullptr);
    maxRequestBytes_ = size_t(xcb_get_maximum_request_length(connection_)) * 4;
    surface_.setPresenter(this);
  }

  ~XcbWindow() override {
    surface_.setPresenter(nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    if (usable()) {
      xcb_free_gc(connection_, gc_);
      if (!destroyed_) xcb_destroy_window(connection_, window_);
      xcb_flush(connection_);
    }
    xcb_disconnect(connection_);
  }

  PanelSurface& surface() override { return surface_; }
  uintptr_t id() const override { return window_; }

  void pumpEvents(PanelWindowEvents& events) override {
    bool exposed = false;
    xcb_generic_event_t* event = nullptr;
    while (usable() && (event = xcb_poll_for_event(connection_)) != nullptr) {
      handle(event, events, exposed, false);
      std::free(event);
    }
    noticeLostConnection(events);
    if (exposed && !destroyed_) events.windowExposed();
  }

  int32_t readMouseButtons() override {
    // Events wait for the host's next idle call, so a quick click may be
    // over before its press is handled: the first read inside the press's
    // handling answers the state the press carried, later reads are live.
    if (pressState_ >= 0) {
      const int32_t state = pressState_;
      pressState_ = -1;
      return state;
    }
    xcb_query_pointer_reply_t* reply = queryPointer();
    if (reply == nullptr) return 0;
    const uint16_t mask = reply->mask;
    std::free(reply);
    return buttonBits(mask);
  }

  static int32_t buttonBits(uint16_t mask) {
    int32_t buttons = 0;
    if (mask & XCB_KEY_BUT_MASK_BUTTON_1) buttons |= MouseLeft;
    if (mask & XCB_KEY_BUT_MASK_BUTTON_2) buttons |= MouseMiddle;
    if (mask & XCB_KEY_BUT_MASK_BUTTON_3) buttons |= MouseRight;
    if (mask & XCB_KEY_BUT_MASK_SHIFT) buttons |= ModShift;
    if (mask & XCB_KEY_BUT_MASK_CONTROL) buttons |= ModControl;
    if (mask & XCB_KEY_BUT_MASK_MOD_1) buttons |= ModAlt;
    return buttons;
  }

  PanelPoint readMousePosition() override {
    xcb_query_pointer_reply_t* reply = queryPointer();
    if (reply == nullptr) return PanelPoint{0, 0};
    PanelPoint where{reply->win_x, reply->win_y};
    std::free(reply);
    return where;
  }

  PanelPoint screenOrigin() override {
    if (!usable()) return PanelPoint{0, 0};
    auto cookie = xcb_translate_coordinates(connection_, window_, screen_.root, 0, 0);
    xcb_translate_coordinates_reply_t* reply =
        xcb_translate_coordinates_reply(connection_, cookie, nullptr);
    if (reply == nullptr) return PanelPoint{0, 0};
    PanelPoint origin{reply->dst_x, reply->dst_y};
    std::free(reply);
    return origin;
  }

  int32_t popupMenu(const PanelPopupRequest& request, PanelWindowEvents& events) override {
    if (!usable() || destroyed_) return kPopupNone;
    XcbPopupContext context;
    context.connection = connection_;
    context.screen = &screen_;
    context.panelWindow = window_;
    context.present = [this](xcb_window_t w, const PanelSurface& s, const PanelRect& r) {
      std::lock_guard<std::mutex> lock(mutex_);
      putImage(w, s, r);
    };
    context.panelEvent = [this, &events](xcb_generic_event_t* event, bool& exposed) {
      handle(event, events, exposed, true);
    };
    context.panelGone = [this] { return destroyed_.load(); };
    bool exposed = false;
    const int32_t chosen = runXcbPopup(context, request, exposed);
    // Presses of the panel queued while the popup closed are the closing click: dropped.
    xcb_generic_event_t* event = nullptr;
    int dropped = 0;
    while (usable() && (event = xcb_poll_for_event(connection_)) != nullptr) {
      handle(event, events, exposed, dropped < 2);
      if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) ++dropped;
      std::free(event);
    }
    noticeLostConnection(events);
    if (exposed && !destroyed_) events.windowExposed();
    return chosen;
  }

 private:
  bool usable() const { return xcb_connection_has_error(connection_) == 0; }

  // A lost connection means the window is gone for us.
  void noticeLostConnection(PanelWindowEvents& events) {
    if (!usable() && !destroyed_) {
      destroyed_ = true;
      events.windowDestroyed();
    }
  }

  void handle(xcb_generic_event_t* event, PanelWindowEvents& events, bool& exposed,
              bool dropPresses) {
    switch (event->response_type & 0x7F) {
      case 0:  // an X error: drawing failures are ignored
        break;
      case XCB_EXPOSE: {
        auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
        if (e->window == window_) exposed = true;  // drawn once, after the queue is empty
        break;
      }
      case XCB_BUTTON_PRESS: {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
        if (e->event != window_ || dropPresses || destroyed_) break;
        if (e->detail == 1 || e->detail == 3) {
          // The state before the press, plus the button just pressed.
          const int32_t saved = pressState_;
          pressState_ = buttonBits(e->state) | (e->detail == 1 ? MouseLeft : MouseRight);
          events.windowButtonPressed(PanelPoint{e->event_x, e->event_y});
          pressState_ = saved;
        }
        break;
      }
      case XCB_DESTROY_NOTIFY: {
        auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
        if (e->window == window_ && !destroyed_) {
          destroyed_ = true;
          events.windowDestroyed();
        }
        break;
      }
      default:
        break;
    }
  }

  xcb_query_pointer_reply_t* queryPointer() {
    if (!usable() || destroyed_) return nullptr;
    return xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, window_), nullptr);
  }

  // Any thread: the canvas being destroyed sends what it changed.
  void present(const PanelSurface& surface, const PanelRect& region) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (destroyed_) return;
    putImage(window_, surface, region);
  }

  // Sends columns left..right-1, rows top..bottom-1 of `surface` to `target`, in
  // requests no larger than the server accepts.
  void putImage(xcb_window_t target, const PanelSurface& surface, const PanelRect& region) {
    if (!usable()) return;
    const int32_t x0 = std::max(region.left, 0), y0 = std::max(region.top, 0);
    const int32_t x1 = std::min(region.right, surface.width());
    const int32_t y1 = std::min(region.bottom, surface.height());
    if (x0 >= x1 || y0 >= y1) return;
    const size_t rowBytes = size_t(x1 - x0) * 4;
    const size_t room = maxRequestBytes_ > 64 ? maxRequestBytes_ - 64 : 0;
    const int32_t rowsPerRequest = int32_t(std::max<size_t>(1, room / rowBytes));
    if (scratch_.size() < size_t(x1 - x0) * size_t(y1 - y0)) {
      scratch_.resize(size_t(x1 - x0) * size_t(y1 - y0));
    }
    for (int32_t y = y0; y < y1; y += rowsPerRequest) {
      const int32_t rows = std::min(rowsPerRequest, y1 - y);
      for (int32_t r = 0; r < rows; ++r) {
        std::memcpy(scratch_.data() + size_t(r) * size_t(x1 - x0),
                    surface.pixels() + size_t(y + r) * size_t(surface.width()) + size_t(x0),
                    rowBytes);
      }
      xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc_, uint16_t(x1 - x0),
                    uint16_t(rows), int16_t(x0), int16_t(y), 0, screen_.root_depth,
                    uint32_t(rowBytes * size_t(rows)),
                    reinterpret_cast<const uint8_t*>(scratch_.data()));
    }
    xcb_flush(connection_);
  }

  xcb_connection_t* connection_;
  xcb_screen_t screen_;
  xcb_window_t window_;
  xcb_gcontext_t gc_ = 0;
  PanelSurface surface_;
  std::vector<uint32_t> scratch_;
  size_t maxRequestBytes_ = 0;
  std::atomic<bool> destroyed_{false};  // set on the window's thread, read by presenting threads
  int32_t pressState_ = -1;  // the state of the press being handled, until first read
  std::mutex mutex_;  // present may come from a host thread other than the window's
};

class XcbPlatform : public PanelPlatform {
 public:
  std::unique_ptr<PanelWindow> createWindow(uintptr_t parent, int32_t width, int32_t height,
                                            const char* className) override {
    if (parent == 0 || parent > 0xFFFFFFFFu) return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (c == nullptr) return nullptr;
    if (xcb_connection_has_error(c)) {
      xcb_disconnect(c);
      return nullptr;
    }
    // The parent must exist; its root tells which screen it is on.
    const xcb_window_t parentId = xcb_window_t(parent);
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, parentId), nullptr);
    if (geometry == nullptr) {
      xcb_disconnect(c);
      return nullptr;
    }
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_t* screen = nullptr;
    for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
      if (it.data->root == root) screen = it.data;
    }
    if (screen == nullptr || !usableFormat(setup, screen)) {
      xcb_disconnect(c);
      return nullptr;
    }
    const uint16_t w = uint16_t(std::clamp(width, 1, 32767));
    const uint16_t h = uint16_t(std::clamp(height, 1, 32767));
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK |
                          XCB_CW_COLORMAP;
    // Black, as a new surface starts: a partial first present shows no seam.
    const uint32_t values[] = {0x000000u, 0,
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                               screen->default_colormap};
    xcb_void_cookie_t created =
        xcb_create_window_checked(c, screen->root_depth, window, parentId, 0, 0, w, h, 0,
                                  XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
    xcb_generic_error_t* error = xcb_request_check(c, created);
    if (error != nullptr) {  // the parent went away meanwhile
      std::free(error);
      xcb_disconnect(c);
      return nullptr;
    }
    // WM_CLASS holds instance and class name, each zero-terminated.
    const char* name = className != nullptr ? className : "";
    const size_t n = std::strlen(name);
    std::vector<char> wmClass(2 * (n + 1), 0);
    std::memcpy(wmClass.data(), name, n);
    std::memcpy(wmClass.data() + n + 1, name, n);
    setStringProperty(c, window, XCB_ATOM_WM_CLASS, wmClass.data(), wmClass.size());
    setStringProperty(c, window, XCB_ATOM_WM_NAME, "Window", 6);
    auto result = std::make_unique<XcbWindow>(c, *screen, window, width, height);
    xcb_map_window(c, window);
    xcb_flush(c);
    return result;
  }

  uint32_t tickCount() override {
    // The monotonic clock, in milliseconds, wrapping as a 32-bit tick count does.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
};

}  // namespace

PanelPlatform& xcbPanelPlatform() {
  static XcbPlatform platform;
  return platform;
}

}  // namespace gyrelle
