// Runs each test on a fresh headless platform, with helpers to read pixels.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "toolkit/Canvas.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelFrame.h"
#include "toolkit/PanelSurface.h"

namespace gyrelle::testing {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF,
                   kGreen = 0x00FF00;
constexpr uintptr_t kParent = 0x42;

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { usePanelPlatformForTesting(&platform); }
  void TearDown() override { usePanelPlatformForTesting(nullptr); }

  // A frame whose window exists; its first Expose has been handled.
  std::unique_ptr<PanelFrame> openFrame(int32_t w = 64, int32_t h = 48,
                                        PanelIdleHost* host = nullptr) {
    auto frame = std::make_unique<PanelFrame>(PanelRect{0, 0, w, h}, kParent, host);
    frame->refreshAll();
    return frame;
  }
  HeadlessWindow& windowOf(const PanelFrame& frame) { return *platform.window(frame.window()); }

  HeadlessPlatform platform;
};

// Counts the pixels of colour `pixel` inside columns x0..x1-1, rows y0..y1-1.
inline int countPixels(const PanelSurface& s, uint32_t pixel, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += s.pixel(x, y) == pixel;
  return n;
}
inline int countPixels(const PanelSurface& s, uint32_t pixel) {
  return countPixels(s, pixel, 0, 0, s.width(), s.height());
}

// The bounding box of the pixels that are not `background` (right/bottom exclusive).
inline PanelRect inkBox(const PanelSurface& s, uint32_t background) {
  PanelRect box{s.width(), s.height(), -1, -1};
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x)
      if (s.pixel(x, y) != background) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

}  // namespace gyrelle::testing
