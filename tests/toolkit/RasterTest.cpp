// Pixel rules of the canvas primitives, read back from surfaces.
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"

namespace gyrelle::testing {
namespace {

// A canvas on a plain 40 x 40 black surface.
struct Plain {
  PanelSurface surface{40, 40};
  Canvas canvas{nullptr, &surface, nullptr};
};

// Rows of the surface as strings: '#' for `ink`, '.' for anything else.
std::string picture(const PanelSurface& s, uint32_t ink, int x0, int y0, int x1, int y1) {
  std::string out;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) out += s.pixel(x, y) == ink ? '#' : '.';
    out += '\n';
  }
  return out;
}

TEST(Records, RectContainsAllFourEdgesAndColoursIgnoreAlpha) {
  PanelRect r{0, 0, 10, 10};
  EXPECT_TRUE(r.contains({0, 0}));
  EXPECT_TRUE(r.contains({10, 10}));
  EXPECT_FALSE(r.contains({11, 5}));
  EXPECT_FALSE(r.contains({5, -1}));
  EXPECT_EQ(r.width(), 10);
  EXPECT_EQ(colourValue(PanelColour{1, 2, 3, 4}), 1u + 2u * 256 + 3u * 65536);
  EXPECT_TRUE(sameColour(PanelColour{1, 2, 3, 0}, PanelColour{1, 2, 3, 9}));
  EXPECT_FALSE(sameColour(ColourWhite, PanelColour{254, 255, 255, 0}));
  EXPECT_TRUE(sameColour(ColourTransparent, ColourWhite));
}

TEST(Raster, InnerFillAndOutlineTileWithoutOverlap) {
  Plain p;
  p.canvas.setFillColour(ColourRed);
  p.canvas.fillInnerRect({10, 10, 20, 20});
  EXPECT_EQ(countPixels(p.surface, kRed), 81);
  EXPECT_EQ(countPixels(p.surface, kRed, 11, 11, 20, 20), 81);  // columns and rows 11..19
  p.canvas.setPenColour(ColourBlue);
  p.canvas.outlineRect({10, 10, 20, 20});
  EXPECT_EQ(countPixels(p.surface, kRed), 81);                    // the outline covers no fill
  EXPECT_EQ(countPixels(p.surface, kBlue), 40);                   // 11 x 11 border ring
  EXPECT_EQ(countPixels(p.surface, kBlue, 10, 10, 21, 21), 40);
  EXPECT_EQ(p.surface.pixel(20, 20), kBlue);
  EXPECT_EQ(p.surface.pixel(10, 20), kBlue);
}

TEST(Raster, LinesLeaveOutTheirEndPoint) {
  Plain p;
  p.canvas.setPenColour(ColourWhite);
  p.canvas.movePenTo({2, 3});
  p.canvas.drawLineTo({8, 3});
  EXPECT_EQ(countPixels(p.surface, kWhite), 6);
  EXPECT_EQ(p.surface.pixel(7, 3), kWhite);
  EXPECT_EQ(p.surface.pixel(8, 3), kBlack);
  // A diagonal and a line back up: each leaves out its own end.
  Plain q;
  q.canvas.movePenTo({0, 0});
  q.canvas.drawLineTo({4, 4});
  EXPECT_EQ(picture(q.surface, kWhite, 0, 0, 5, 5), "#....\n.#...\n..#..\n...#.\n.....\n");
  // A zero-length line draws nothing.
  Plain z;
  z.canvas.movePenTo({5, 5});
  z.canvas.drawLineTo({5, 5});
  EXPECT_EQ(countPixels(z.surface, kWhite), 0);
}

TEST(Raster, DottedPenLeavesGaps) {
  Plain p;
  p.canvas.setLineStyle(LineDotted);
  p.canvas.movePenTo({0, 0});
  p.canvas.drawLineTo({12, 0});
  EXPECT_EQ(picture(p.surface, kWhite, 0, 0, 13, 1), "###...###....\n");
  p.canvas.setLineStyle(LineSolid);
  p.canvas.movePenTo({0, 2});
  p.canvas.drawLineTo({12, 2});
  EXPECT_EQ(countPixels(p.surface, kWhite, 0, 2, 13, 3), 12);
}

TEST(Raster, PolylineJoinsPointsWithThePen) {
  Plain p;
  const PanelPoint pts[] = {{1, 1}, {5, 1}, {5, 4}};
  p.canvas.drawPolyline(pts, 3);
  // Each segment leaves out its own end; the last point is not drawn.
  EXPECT_EQ(picture(p.surface, kWhite, 0, 0, 7, 5), ".......\n.#####.\n.....#.\n.....#.\n.......\n");
  p.canvas.drawPolyline(nullptr, 3);  // nothing, no crash
  p.canvas.drawPolyline(pts, -1);
}

TEST(Raster, PolygonFillsByAlternateRuleWithoutOutline) {
  Plain p;
  p.canvas.setPenColour(ColourBlue);
  p.canvas.setFillColour(ColourRed);
  // A square: its right and bottom edges are outside, as with the inner fills.
  const PanelPoint square[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  p.canvas.fillPolygon(square, 4);
  EXPECT_EQ(countPixels(p.surface, kRed), 16);
  EXPECT_EQ(countPixels(p.surface, kRed, 2, 2, 6, 6), 16);
  EXPECT_EQ(countPixels(p.surface, kBlue), 0);
  // A square traced twice around (the pen's path overlaps itself): alternate
  // filling leaves the doubly covered inside empty.
  Plain q;
  q.canvas.setFillColour(ColourRed);
  const PanelPoint nested[] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {0, 0},
                               {5, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 5}};
  q.canvas.fillPolygon(nested, 10);
  EXPECT_EQ(q.surface.pixel(2, 2), kRed);
  EXPECT_EQ(q.surface.pixel(10, 10), kBlack);
  EXPECT_EQ(countPixels(q.surface, kRed), 400 - 100);
  q.canvas.fillPolygon(nested, 2);  // fewer than three points: nothing
}

TEST(Raster, EllipseStaysInsideTheInnerBox) {
  Plain p;
  p.canvas.setFillColour(ColourGreen);
  p.canvas.fillInnerEllipse({10, 10, 30, 20});
  const PanelRect box = inkBox(p.surface, kBlack);
  EXPECT_EQ(box.left, 11);
  EXPECT_EQ(box.top, 11);
  EXPECT_EQ(box.right, 30);
  EXPECT_EQ(box.bottom, 20);
  EXPECT_EQ(p.surface.pixel(20, 15), kGreen);  // centre
  EXPECT_EQ(p.surface.pixel(11, 11), kBlack);  // corner of the box is outside the ellipse
  EXPECT_EQ(countPixels(p.surface, kBlue), 0);
}

TEST(Raster, PieRunsCounterClockwiseFromTheFirstRadial) {
  // Circle inside (1, 1)..(21, 21), centre about (11, 11).
  const PanelRect r{0, 0, 21, 21};
  Plain upperRight;
  upperRight.canvas.setFillColour(ColourRed);
  // From the radial to the right round counter-clockwise to the radial upward.
  upperRight.canvas.fillInnerPie(r, {30, 11}, {11, -10});
  EXPECT_EQ(upperRight.surface.pixel(16, 6), kRed);    // upper right quadrant
  EXPECT_EQ(upperRight.surface.pixel(6, 6), kBlack);   // upper left
  EXPECT_EQ(upperRight.surface.pixel(6, 16), kBlack);  // lower left
  EXPECT_EQ(upperRight.surface.pixel(16, 16), kBlack); // lower right
  // The same radials the other way round give the other three quadrants.
  Plain rest;
  rest.canvas.setFillColour(ColourRed);
  rest.canvas.fillInnerPie(r, {11, -10}, {30, 11});
  EXPECT_EQ(rest.surface.pixel(16, 6), kBlack);
  EXPECT_EQ(rest.surface.pixel(6, 6), kRed);
  EXPECT_EQ(rest.surface.pixel(6, 16), kRed);
  EXPECT_EQ(rest.surface.pixel(16, 16), kRed);
  // Together they make the whole ellipse, without a pixel in both.
  Plain whole;
  whole.canvas.setFillColour(ColourRed);
  whole.canvas.fillInnerEllipse(r);
  EXPECT_GE(countPixels(upperRight.surface, kRed) + countPixels(rest.surface, kRed),
            countPixels(whole.surface, kRed));
  EXPECT_EQ(inkBox(rest.surface, kBlack).left, 1);
  // Equal radials: the whole ellipse.
  Plain full;
  full.canvas.setFillColour(ColourRed);
  full.canvas.fillInnerPie(r, {30, 11}, {30, 11});
  EXPECT_EQ(countPixels(full.surface, kRed), countPixels(whole.surface, kRed));
}

TEST(Raster, AbsurdCoordinatesAreClippedCheaply) {
  Plain p;
  p.canvas.movePenTo({-2000000000, 5});
  p.canvas.drawLineTo({2000000000, 5});
  EXPECT_EQ(countPixels(p.surface, kWhite, 0, 5, 40, 6), 40);
  p.canvas.setFillColour(ColourRed);
  p.canvas.fillInnerRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  p.canvas.fillInnerEllipse({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  const PanelPoint huge[] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}};
  p.canvas.fillPolygon(huge, 3);
  p.canvas.drawText("far", {INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX}, true, AlignRight);
  EXPECT_EQ(p.surface.pixel(39, 39), kRed);
}

TEST(Raster, NullSurfaceDrawsNothing) {
  Canvas canvas(nullptr, nullptr, nullptr);
  canvas.setFillColour(ColourRed);
  canvas.fillInnerRect({0, 0, 10, 10});
  canvas.drawText("x", {0, 0, 10, 10}, true, AlignLeft);
  EXPECT_EQ(canvas.readMouseButtons(), 0);
  PanelPoint where{7, 7};
  canvas.readMousePosition(where);
  EXPECT_EQ(where.h, 0);
}

TEST(CanvasState, DestroyingACanvasPutsBackPenBrushAndFont) {
  PanelSurface surface(10, 10);
  surface.state().pen.colour = ColourGreen;
  surface.state().brush = ColourBlue;
  surface.state().font = SurfaceFont{kFontArial18, 18};
  {
    Canvas canvas(nullptr, &surface, nullptr);
    // A fresh canvas starts with a white pen, a black brush and white text.
    EXPECT_TRUE(sameColour(surface.state().pen.colour, ColourWhite));
    EXPECT_TRUE(sameColour(surface.state().brush, ColourBlack));
    EXPECT_TRUE(sameColour(surface.state().textColour, ColourWhite));
    canvas.setPenColour(ColourRed);
    canvas.setFillColour(ColourRed);
    canvas.selectFont(kFontSmall9, 0);
  }
  EXPECT_TRUE(sameColour(surface.state().pen.colour, ColourGreen));
  EXPECT_TRUE(sameColour(surface.state().brush, ColourBlue));
  EXPECT_EQ(surface.state().font.id, kFontArial18);
  EXPECT_EQ(surface.state().font.size, 18);
}

TEST(CanvasState, SelectFontFollowsTheTable) {
  PanelSurface surface(4, 4);
  Canvas canvas(nullptr, &surface, nullptr);
  struct Case { PanelFontId id; int32_t size; PanelFontId wantId; int32_t wantSize; };
  const Case cases[] = {{9, 0, 0, 12}, {-1, 0, 0, 12}, {5, 0, 5, 9}, {3, 20, 3, 20}, {1, 0, 1, 18},
                        {6, 0, 6, 13}};
  for (const Case& c : cases) {
    canvas.selectFont(c.id, c.size);
    EXPECT_EQ(canvas.fontId(), c.wantId) << c.id;
    EXPECT_EQ(canvas.fontSize(), c.wantSize) << c.id;
  }
  EXPECT_EQ(panelFontInfo(0).weight, 700);
  EXPECT_EQ(panelFontInfo(3).weight, 400);
  EXPECT_STREQ(panelFontInfo(5).faceName, "Small Fonts");
  EXPECT_STREQ(panelFontInfo(42).faceName, "Arial");
}

TEST_F(HeadlessTest, OffscreenCanvasesStartBlackOrWithTheirColourAndBlitOneBlock) {
  auto frame = openFrame(200, 120);
  HeadlessWindow& window = windowOf(*frame);
  OffscreenCanvas fromFrame(frame.get(), 30, 40, ColourBlue);
  EXPECT_EQ(countPixels(fromFrame.memory(), kBlue), 30 * 40);
  OffscreenCanvas black(frame.get(), 30, 40, ColourBlack);
  EXPECT_EQ(countPixels(black.memory(), kBlack), 30 * 40);
  {
    Canvas canvas(frame.get(), &window.surface(), &window);
    canvas.setFillColour(ColourRed);
    canvas.fillInnerRect({-1, -1, 200, 120});
    fromFrame.blitTo(canvas, {100, 50, 130, 90}, {0, 0});
    Canvas& source = canvas;
    OffscreenCanvas small(source, nullptr);
    EXPECT_EQ(small.width(), 20);
    EXPECT_EQ(countPixels(small.memory(), kBlack), 400);
  }
  EXPECT_EQ(countPixels(window.surface(), kBlue), 30 * 40);
  EXPECT_EQ(countPixels(window.surface(), kBlue, 100, 50, 130, 90), 30 * 40);
  // The canvas sent its changed region to the window when it went away.
  EXPECT_GE(window.presentCount(), 1);
  // Sizes that make no sense give an empty surface, not a crash.
  OffscreenCanvas negative(frame.get(), -5, 10, ColourBlue);
  EXPECT_EQ(negative.width(), 0);
}

}  // namespace
}  // namespace gyrelle::testing
