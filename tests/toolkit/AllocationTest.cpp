// Drawing text whose glyphs are cached allocates nothing: it may run from
// a host thread that must not wait on the allocator's locks for long.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

// These replace the global operators, so malloc and free do match here.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (counting.load()) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace gyrelle::testing {
namespace {

TEST(TextAllocation, CachedGlyphsDrawWithoutAllocating) {
  PanelSurface s(120, 40);
  auto draw = [&](int32_t size) {
    Canvas canvas(nullptr, &s, nullptr);
    canvas.selectFont(kFontArial11, size);
    canvas.setFillColour(ColourBlue);
    canvas.drawText("-12.5 dB 0.297 Hz", PanelRect{0, 0, 120, 40}, true, AlignRight);
  };
  draw(0);  // loads the face and caches the glyphs
  allocations = 0;
  counting = true;
  draw(0);
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  counting = true;
  draw(23);  // a size not seen yet: its glyphs are cached now, which allocates
  counting = false;
  EXPECT_GT(allocations.load(), 0);
}

TEST_F(HeadlessTest, WindowPixelsCanBeWrittenAsPictures) {
  auto frame = openFrame(7, 5);
  const std::string dir = ::testing::TempDir();
  EXPECT_TRUE(windowOf(*frame).writePng(dir + "panel.png"));
  EXPECT_TRUE(windowOf(*frame).writePpm(dir + "panel.ppm"));
  EXPECT_FALSE(windowOf(*frame).writePng("/nonexistent-dir/panel.png"));
  std::FILE* f = std::fopen((dir + "panel.png").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char head[8] = {};
  EXPECT_EQ(std::fread(head, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(head[1], 'P');
  EXPECT_EQ(head[0], 0x89);
}

}  // namespace
}  // namespace gyrelle::testing
