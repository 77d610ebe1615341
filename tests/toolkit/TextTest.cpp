// Text placement, clipping and the opaque cell, read back from surfaces.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/toolkit/HeadlessFixture.h"
#include "toolkit/Canvas.h"
#include "toolkit/PanelFonts.h"

namespace gyrelle::testing {
namespace {

bool sameSurface(const PanelSurface& a, const PanelSurface& b) {
  return a.pixelVector() == b.pixelVector();
}

TEST(Fonts, ArialIsLiberationSansAndEveryFaceResolves) {
  EXPECT_NE(std::string(panelFontFile(kFontArial12)).find("LiberationSans-Regular"),
            std::string::npos)
      << panelFontFile(kFontArial12);
  EXPECT_NE(std::string(panelFontFile(kFontArialBold12)).find("LiberationSans-Bold"),
            std::string::npos)
      << panelFontFile(kFontArialBold12);
  for (PanelFontId id = 0; id < kNumPanelFonts; ++id) EXPECT_STRNE(panelFontFile(id), "") << id;
}

TEST(Fonts, SizeIsTheHeightOfTheCharacters) {
  // A capital letter without descent is about as tall as the size says
  // (the cell, ascent plus descent, is taller).
  for (int32_t size : {11, 12, 18, 20}) {
    PanelSurface s(100, 60);
    drawPanelText(s, kFontArial12, size, "H", 10, 40, PanelRect{0, 0, 100, 60}, kWhite);
    const PanelRect box = inkBox(s, kBlack);
    const int capHeight = box.bottom - box.top;
    EXPECT_GE(capHeight, size * 6 / 10) << size;
    EXPECT_LE(capHeight, size) << size;
    const TextExtent e = measurePanelText(kFontArial12, size, "H");
    EXPECT_GT(e.ascent + e.descent, size - 1) << size;
    EXPECT_EQ(box.bottom, 40) << size;  // sits on the baseline
  }
  EXPECT_EQ(measurePanelText(kFontArial12, 12, nullptr).width, 0);
  EXPECT_EQ(measurePanelText(kFontArial12, 12, "").width, 0);
  // Absurd sizes are limited, not fatal.
  EXPECT_GT(measurePanelText(kFontArial12, -2000000000, "x").width, 0);
}

TEST(Fonts, TextIsMonochrome) {
  PanelSurface s(100, 30);
  drawPanelText(s, kFontArial12, 14, "Gyrelle 0.50", 2, 20, PanelRect{0, 0, 100, 30}, kWhite);
  EXPECT_GT(countPixels(s, kWhite), 20);
  EXPECT_EQ(countPixels(s, kWhite) + countPixels(s, kBlack), 100 * 30);
}

// drawText against the same glyphs drawn at the position worked out by hand:
// half the spare room (rounded toward zero) on each side, also when the text
// is larger than the rect and the spare room is negative.
TEST(CanvasText, AlignmentAndVerticalCentring) {
  const char* text = "Speed";
  const TextExtent e = measurePanelText(kFontArial12, 12, text);
  for (const PanelRect& r : {PanelRect{10, 5, 90, 25}, PanelRect{30, 8, 45, 13}}) {
    const int32_t top = r.top + (r.height() - (e.ascent + e.descent)) / 2;
    const PanelRect moved{r.left + 1, r.top, r.right, r.bottom};
    struct Case { int32_t alignment; int32_t x; PanelRect clip; };
    const Case cases[] = {
        {AlignLeft, r.left + 1, moved},
        {AlignCentre, r.left + (r.width() - e.width) / 2, r},
        {AlignRight, r.right - e.width, r},
        {7, r.left + 1, moved},  // unknown values align left
    };
    for (const Case& c : cases) {
      PanelSurface viaCanvas(100, 30), byHand(100, 30);
      {
        Canvas canvas(nullptr, &viaCanvas, nullptr);
        canvas.selectFont(kFontArial12, 0);
        canvas.drawText(text, r, false, c.alignment);
      }
      drawPanelText(byHand, kFontArial12, 12, text, c.x, top + e.ascent, c.clip, kWhite);
      EXPECT_TRUE(sameSurface(viaCanvas, byHand)) << c.alignment << " in " << r.left;
      EXPECT_GT(countPixels(viaCanvas, kWhite), 3) << c.alignment << " in " << r.left;
    }
  }
}

TEST(CanvasText, LeftAlignedTextStartsOnePixelRightOfTheEdge) {
  // A vertical bar has its ink at its pen position or just after it.
  PanelSurface left(60, 20);
  {
    Canvas canvas(nullptr, &left, nullptr);
    canvas.drawText("l", PanelRect{20, 0, 60, 20}, false, AlignLeft);
  }
  PanelSurface reference(60, 20);
  const TextExtent e = measurePanelText(kFontArial12, 12, "l");
  drawPanelText(reference, kFontArial12, 12, "l", 20, (20 - e.ascent - e.descent) / 2 + e.ascent,
                PanelRect{0, 0, 60, 20}, kWhite);
  EXPECT_EQ(inkBox(left, kBlack).left, inkBox(reference, kBlack).left + 1);
}

TEST(CanvasText, ClippedToTheRect) {
  PanelSurface s(120, 40);
  {
    Canvas canvas(nullptr, &s, nullptr);
    canvas.selectFont(kFontArial18, 0);
    canvas.drawText("WWWWWWWWWW", PanelRect{10, 10, 40, 20}, false, AlignLeft);
  }
  const PanelRect ink = inkBox(s, kBlack);
  EXPECT_GE(ink.left, 11);
  EXPECT_LE(ink.right, 40);  // right edge exclusive
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.bottom, 20);
  EXPECT_GT(countPixels(s, kWhite), 0);
}

TEST(CanvasText, OpaqueTextPaintsItsCellInTheFillColour) {
  PanelSurface s(120, 40);
  const PanelRect r{0, 0, 120, 40};
  const TextExtent e = measurePanelText(kFontArial12, 12, "0.50");
  {
    Canvas canvas(nullptr, &s, nullptr);
    canvas.setFillColour(ColourBlue);
    canvas.setTextColour(ColourWhite);
    canvas.drawText("0.50", r, true, AlignCentre);
    EXPECT_EQ(countPixels(s, kBlue) + countPixels(s, kWhite), e.width * (e.ascent + e.descent));
    EXPECT_GT(countPixels(s, kBlue), 0);
    // The next transparent text paints no background.
    canvas.setFillColour(ColourRed);
    canvas.drawText("0.50", PanelRect{0, 20, 120, 40}, false, AlignCentre);
  }
  EXPECT_EQ(countPixels(s, kRed), 0);
  EXPECT_FALSE(s.state().opaqueBackground);
}

TEST(CanvasText, DrawingFromSeveralThreadsAtOnceIsSafe) {
  auto work = [](PanelFontId id) {
    for (int size = 8; size < 40; ++size) {
      PanelSurface s(80, 60);
      Canvas canvas(nullptr, &s, nullptr);
      canvas.selectFont(id, size);
      canvas.drawText("Render Level 1 (fastest)", PanelRect{0, 0, 80, 60}, true, AlignLeft);
    }
  };
  std::thread a(work, kFontArial12), b(work, kFontSmall9);
  a.join();
  b.join();
  SUCCEED();
}

}  // namespace
}  // namespace gyrelle::testing
