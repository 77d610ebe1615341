// A test's own connection to the X server it runs under: windows of its own,
// the pixels of any window read back, and real pointer events sent with XTest.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace gyrelle::testing {

class XTestServer {
 public:
  XTestServer();
  ~XTestServer();
  XTestServer(const XTestServer&) = delete;
  XTestServer& operator=(const XTestServer&) = delete;

  bool ok() const { return screen != nullptr; }
  // Waits until the server has handled everything sent so far.
  void sync();

  // A mapped top-level window of the given size and background.
  xcb_window_t makeWindow(int16_t x, int16_t y, uint16_t width, uint16_t height, uint32_t background);
  std::vector<xcb_window_t> children(xcb_window_t window);
  // True while an override-redirect window (a popup) is shown on the root.
  bool popupShown();
  // The window's pixels as 0x00RRGGBB, row by row; empty when it cannot be read.
  std::vector<uint32_t> read(xcb_window_t window, int width, int height);
  // One XTest event (motion, button or key) at root coordinates, then a sync.
  void fake(uint8_t type, uint8_t detail, int16_t x = 0, int16_t y = 0);

  xcb_connection_t* c = nullptr;
  xcb_screen_t* screen = nullptr;
};

}  // namespace gyrelle::testing
