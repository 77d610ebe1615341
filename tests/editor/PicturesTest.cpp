// The shipped pictures: their sizes, and the wells of the panel face lying
// exactly under the widgets that draw on them.
#include <gtest/gtest.h>

#include "editor/PanelIds.h"
#include "editor/PanelLayout.h"
#include "toolkit/PanelBitmap.h"

namespace gyrelle::testing {
namespace {

struct Picture {
  explicit Picture(uint32_t id) : bitmap(new PanelBitmap(id)) {}
  ~Picture() { bitmap->release(); }
  uint32_t at(int x, int y) const { return bitmap->picture()->pixel(x, y); }
  // True when every pixel with left <= x <= right, top <= y <= bottom is `colour`.
  bool uniform(const PanelRect& r, uint32_t colour) const {
    for (int y = r.top; y <= r.bottom; ++y)
      for (int x = r.left; x <= r.right; ++x)
        if (at(x, y) != colour) return false;
    return true;
  }
  PanelBitmap* bitmap;
};

TEST(ShippedPictures, SizesAndTheHandlesTransparentCorners) {
  Picture face(kPanelPictureId), track(kSliderTrackPictureId), handle(kSliderHandlePictureId);
  ASSERT_TRUE(face.bitmap->hasPicture());
  EXPECT_EQ(face.bitmap->width(), 512);
  EXPECT_EQ(face.bitmap->height(), 316);
  EXPECT_EQ(track.bitmap->width(), 16);
  EXPECT_EQ(track.bitmap->height(), 212);
  EXPECT_EQ(handle.bitmap->width(), 16);
  EXPECT_EQ(handle.bitmap->height(), 12);
  EXPECT_EQ(handle.at(0, 0), 0xFFFFFFu);
  EXPECT_EQ(handle.at(15, 11), 0xFFFFFFu);
  EXPECT_NE(handle.at(8, 6), 0xFFFFFFu);
  EXPECT_EQ(track.at(1, 100), 0u);  // a black track...
  EXPECT_NE(track.at(8, 100), 0u);  // ...with a groove down its middle
}

TEST(ShippedPictures, WellsLieUnderTheWidgets) {
  Picture face(kPanelPictureId);
  const PanelLayout l = computePanelLayout(512);
  // The left well holds the sliders, their captions and the scale; the right one the display.
  EXPECT_TRUE(face.uniform(PanelRect{l.dryCaption.left, l.dryCaption.top, l.wetSlider.right,
                                     l.drySlider.bottom},
                           0u));
  EXPECT_TRUE(face.uniform(l.grooveDisplay, 0u));
  // Each knob sits on its own dark well: caption strip on a label well, the
  // value strip's middle on a value well, the dial's corners on the well.
  for (const PanelRect& r : l.knobs) {
    const int w = r.width(), k = r.height() - w;
    const uint32_t label = face.at(r.left + 4, r.top + 4);
    EXPECT_TRUE(face.uniform(PanelRect{r.left + 4, r.top + 4, r.right - 4, r.top + k - 4}, label));
    EXPECT_LT(label & 0xFF, 0x30u);
    EXPECT_LT(face.at(r.left + w / 2, r.bottom - 3) & 0xFF, 0x30u);
    EXPECT_LT(face.at(r.left, r.top + k) & 0xFF, 0x50u);
    EXPECT_GT(face.at(r.left + 10, r.top - 6) & 0xFF, 0x60u);  // the grey face outside
  }
  // The render level box is dark around its caption and menu.
  const uint32_t box = face.at(l.renderCaption.left - 2, l.renderCaption.top - 2);
  EXPECT_TRUE(face.uniform(PanelRect{l.renderCaption.left - 2, l.renderCaption.top - 2,
                                     l.renderMenu.right + 2, l.renderMenu.bottom + 2},
                           box));
  EXPECT_LT(box & 0xFF, 0x40u);
}

}  // namespace
}  // namespace gyrelle::testing
