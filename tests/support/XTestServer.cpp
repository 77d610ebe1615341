#include "tests/support/XTestServer.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace gyrelle::testing {

XTestServer::XTestServer() {
  c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) == 0) screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

XTestServer::~XTestServer() { xcb_disconnect(c); }

void XTestServer::sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

xcb_window_t XTestServer::makeWindow(int16_t x, int16_t y, uint16_t width, uint16_t height, uint32_t background) {
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t values[] = {background};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, x, y, width, height, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
  xcb_map_window(c, window);
  sync();
  return window;
}

std::vector<xcb_window_t> XTestServer::children(xcb_window_t window) {
  std::vector<xcb_window_t> out;
  auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
  if (tree == nullptr) return out;
  const xcb_window_t* kids = xcb_query_tree_children(tree);
  out.assign(kids, kids + xcb_query_tree_children_length(tree));
  std::free(tree);
  return out;
}

bool XTestServer::popupShown() {
  bool shown = false;
  for (xcb_window_t window : children(screen->root)) {
    auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (a != nullptr && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE) shown = true;
    std::free(a);
  }
  return shown;
}

std::vector<uint32_t> XTestServer::read(xcb_window_t window, int width, int height) {
  std::vector<uint32_t> pixels;
  auto* reply = xcb_get_image_reply(
      c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, uint16_t(width), uint16_t(height), ~0u),
      nullptr);
  if (reply == nullptr) return pixels;
  const uint32_t* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(reply));
  const int n = xcb_get_image_data_length(reply) / 4;
  for (int i = 0; i < n; ++i) pixels.push_back(data[i] & 0xFFFFFFu);
  std::free(reply);
  return pixels;
}

void XTestServer::fake(uint8_t type, uint8_t detail, int16_t x, int16_t y) {
  xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME, screen->root, x, y, 0);
  sync();
}

}  // namespace gyrelle::testing
