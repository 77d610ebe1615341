// Decoding the embedded pictures, plain and masked painting, sharing.
#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/BmpDecoder.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelBitmap.h"
#include "toolkit/PanelResources.h"

namespace gyrelle::testing {
namespace {

constexpr uint32_t kHandle = 900, kRgb = 901, kPal8 = 902;
constexpr uint32_t kVgaGrey = 0x808080, kVgaSilver = 0xC0C0C0;

TEST(Bitmaps, EmbeddedPicturesDecodeAtEveryDepth) {
  PanelBitmap* rgb = new PanelBitmap(kRgb);
  ASSERT_EQ(rgb->width(), 5);
  ASSERT_EQ(rgb->height(), 3);
  const PanelSurface& p = *rgb->picture();
  EXPECT_EQ(p.pixel(0, 0), 0x010203u);  // top row first although the file is bottom-up
  EXPECT_EQ(p.pixel(4, 2), 0x292A03u);
  EXPECT_EQ(p.pixel(1, 1), 0xFEFFFFu);
  rgb->release();

  PanelBitmap* pal = new PanelBitmap(kPal8);
  ASSERT_EQ(pal->width(), 3);
  EXPECT_EQ(pal->picture()->pixel(0, 0), kRed);
  EXPECT_EQ(pal->picture()->pixel(1, 0), kGreen);
  EXPECT_EQ(pal->picture()->pixel(0, 1), kGreen);
  pal->release();

  PanelBitmap* handle = new PanelBitmap(kHandle);
  ASSERT_EQ(handle->width(), 16);
  ASSERT_EQ(handle->height(), 12);
  EXPECT_EQ(handle->picture()->pixel(3, 0), kWhite);
  EXPECT_EQ(handle->picture()->pixel(3, 1), kVgaGrey);
  EXPECT_EQ(handle->picture()->pixel(15, 2), kVgaSilver);
  handle->release();
}

TEST(Bitmaps, ResourceIdsCompareTheirLow16Bits) {
  EXPECT_NE(findPanelResource(kRgb), nullptr);
  EXPECT_EQ(findPanelResource(kRgb + 0x10000), findPanelResource(kRgb));
  EXPECT_EQ(findPanelResource(12345), nullptr);
  // Embedded in a static library that nothing refers to by name: still there.
  ASSERT_NE(findPanelResource(903), nullptr);
  EXPECT_EQ(findPanelResource(903)->size, findPanelResource(kPal8)->size);
}

TEST(Bitmaps, MalformedDataIsRefused) {
  const PanelResource* good = findPanelResource(kRgb);
  ASSERT_NE(good, nullptr);
  std::vector<uint8_t> bytes(good->data, good->data + good->size);
  DecodedBmp out;
  EXPECT_TRUE(decodeBmp(bytes.data(), bytes.size(), out));
  EXPECT_FALSE(decodeBmp(nullptr, 100, out));
  EXPECT_FALSE(decodeBmp(bytes.data(), bytes.size() - 1, out));  // pixels cut short
  EXPECT_FALSE(decodeBmp(bytes.data(), 20, out));
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = bytes;
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
    DecodedBmp o;
    return decodeBmp(b.data(), b.size(), o);
  };
  EXPECT_FALSE(patched(18, 0));            // width 0
  EXPECT_FALSE(patched(18, 0x7FFFFFFF));   // absurd width
  EXPECT_FALSE(patched(22, 0x80000000));   // absurd height
  EXPECT_FALSE(patched(30, 1));            // run-length compressed
  EXPECT_FALSE(patched(10, 0xFFFFFFF0));   // pixel offset past the end
  EXPECT_EQ(out.width, 0);
}

TEST(Bitmaps, UnknownIdGivesAnEmptyBitmapThatPaintsNothing) {
  PanelSurface s(20, 20, kBlue);
  Canvas canvas(nullptr, &s, nullptr);
  PanelBitmap* missing = new PanelBitmap(4242);
  EXPECT_EQ(missing->width(), 0);
  EXPECT_EQ(missing->height(), 0);
  missing->paint(canvas, {0, 0, 20, 20}, {0, 0});
  missing->paintMasked(canvas, {0, 0, 20, 20}, {0, 0});
  EXPECT_EQ(countPixels(s, kBlue), 400);
  missing->release();
  PanelBitmap* sized = new PanelBitmap(nullptr, 30, 40);
  EXPECT_EQ(sized->width(), 30);
  EXPECT_FALSE(sized->hasPicture());
  sized->release();
  PanelBitmap* negative = new PanelBitmap(nullptr, -3, 5);
  EXPECT_EQ(negative->width(), 0);
  negative->release();
}

TEST(Bitmaps, PlainPaintCopiesTheBlockAtTheOffset) {
  PanelBitmap* handle = new PanelBitmap(kHandle);
  PanelSurface s(40, 40, kBlue);
  {
    Canvas canvas(nullptr, &s, nullptr);
    // Rows 1.. of the picture to (10, 20); the block is the rect's size, cut to the picture.
    handle->paint(canvas, {10, 20, 26, 32}, {0, 1});
  }
  EXPECT_EQ(s.pixel(10, 20), kVgaGrey);    // picture row 1
  EXPECT_EQ(s.pixel(25, 21), kVgaSilver);  // picture row 2
  EXPECT_EQ(countPixels(s, kBlue, 10, 20, 26, 31), 0);
  EXPECT_EQ(countPixels(s, kBlue, 10, 31, 26, 32), 16);  // past the picture's last row
  EXPECT_EQ(countPixels(s, kWhite), 0);
  handle->release();
}

TEST(Bitmaps, MaskedPaintLeavesPureWhiteOutAndCanBeRepeated) {
  PanelBitmap* handle = new PanelBitmap(kHandle);
  PanelSurface s(30, 30, 0x101010);
  {
    Canvas canvas(nullptr, &s, nullptr);
    handle->paintMasked(canvas, {5, 5, 21, 17}, {0, 0});
    handle->paintMasked(canvas, {5, 5, 21, 17}, {0, 0});
  }
  EXPECT_EQ(countPixels(s, 0x101010, 5, 5, 21, 6), 16);  // the white first row shows the background
  EXPECT_EQ(countPixels(s, kVgaGrey, 5, 6, 21, 17) + countPixels(s, kVgaSilver, 5, 6, 21, 17),
            16 * 11);
  EXPECT_EQ(countPixels(s, 0x101010), 900 - 16 * 11);
  EXPECT_EQ(handle->picture()->pixel(0, 0), kWhite);  // the picture itself is unchanged

  // Only exact white is transparent: (254, 255, 255) is drawn.
  PanelBitmap* rgb = new PanelBitmap(kRgb);
  PanelSurface t(10, 10, kBlue);
  {
    Canvas canvas(nullptr, &t, nullptr);
    rgb->paintMasked(canvas, {0, 0, 5, 3}, {0, 0});
  }
  EXPECT_EQ(t.pixel(1, 1), 0xFEFFFFu);
  EXPECT_EQ(t.pixel(2, 1), kBlue);
  // A smaller rect shows only its part of the picture.
  PanelSurface u(10, 10, kBlue);
  {
    Canvas canvas(nullptr, &u, nullptr);
    rgb->paintMasked(canvas, {0, 0, 2, 2}, {0, 0});
  }
  EXPECT_EQ(countPixels(u, kBlue), 100 - 4);
  rgb->release();
  handle->release();
}

TEST_F(HeadlessTest, ABackgroundSharedWithTheFrameLivesUntilTheFrameGoes) {
  PanelBitmap* picture = new PanelBitmap(kRgb);
  auto frame = openFrame(20, 20);
  frame->setBackground(picture);
  EXPECT_EQ(picture->refCount(), 2);
  picture->release();
  EXPECT_EQ(picture->refCount(), 1);
  frame->setBackground(picture);  // the same one again keeps it alive
  EXPECT_EQ(picture->refCount(), 1);
  frame->drawWidgetNow(nullptr);
  EXPECT_EQ(windowOf(*frame).pixel(0, 0), 0x010203u);
  frame.reset();  // the last release (AddressSanitizer would see a leak or a double free)
}

}  // namespace
}  // namespace gyrelle::testing
