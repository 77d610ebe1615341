// gyrelle-render through the real plug-ins and the spectrogram picture.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "render/Spectrogram.h"
#include "tests/render/RenderTestSupport.h"

namespace gyrelle::render::test {
namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  int brightness(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] + p[1] + p[2];
  }
};

Picture readPng(const std::string& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
  }
  png_image_free(&image);
  return picture;
}

// The brightest picture row of a panel in one column.
int brightestRow(const Picture& picture, const SpectrogramLayout& layout, int panel, int x) {
  int best = layout.panelTop(panel);
  for (int y = layout.panelTop(panel); y < layout.panelTop(panel) + SpectrogramLayout::kPanelHeight; ++y) {
    if (picture.brightness(x, y) > picture.brightness(x, best)) best = y;
  }
  return best;
}

// A 1 kHz tone shows at the 1 kHz row of both panels, whole length across.
TEST(Spectrogram, ToneShowsAtItsFrequencyInBothPanels) {
  ScratchFolder scratch;
  const int rate = 48000;
  std::vector<float> tone(static_cast<size_t>(rate) * 2);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * i / rate));
  writeSound(scratch.path("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, rate, tone);
  const RunResult run = runRenderer({"--quiet", "--plugin", testPlugin("mono"), "--spectrogram",
                                     scratch.path("tone.png"), scratch.path("tone.wav"), scratch.path("out.wav")});
  ASSERT_EQ(run.status, 0) << run.err;
  const Picture picture = readPng(scratch.path("tone.png"));
  const SpectrogramLayout layout(rate);
  ASSERT_EQ(picture.width, layout.width());
  ASSERT_EQ(picture.height, layout.height());
  for (int panel = 0; panel < 2; ++panel) {
    for (int column : {20, 500, 980}) {
      const int x = SpectrogramLayout::kPlotLeft + column;
      EXPECT_NEAR(brightestRow(picture, layout, panel, x), layout.rowForHz(panel, 1000.0), 2)
          << "panel " << panel << " column " << column;
    }
  }
}

class RealPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(realPlugin("stereo").c_str(), R_OK) != 0 || access(realPlugin("mono").c_str(), R_OK) != 0) {
      GTEST_SKIP() << "the plug-ins are not built in this tree";
    }
  }
  ScratchFolder scratch;
};

// Wet level 0 and the dry level at unity: the output is the input at half
// level, sample for sample once the latency is taken out.
TEST_F(RealPlugin, DryOnlyOutputIsHalfTheInput) {
  struct Case {
    const char* build;
    int channels;
    int format;
    double tolerance;
  } cases[] = {
      {"stereo", 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7},
      {"mono", 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7},
      {"stereo", 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.01 / 32768},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.build) + " build, " + std::to_string(c.channels) + " channels");
    const int64_t frames = 20000;
    const std::string suffix = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC ? ".flac" : ".wav";
    const std::string input = scratch.path("in" + suffix), output = scratch.path("out" + suffix);
    writeSound(input, c.format, c.channels, 44100, testSignal(c.channels, frames, 44100));
    const Sound in = readSound(input);
    const RunResult run = runRenderer({"--quiet", "--plugin", realPlugin(c.build), "--set", "Wet Out Lvl=0",
                                       "--set", "dry-out-lvl=0.8333333", input, output});
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound out = readSound(output);
    ASSERT_EQ(out.frames, frames);
    ASSERT_EQ(out.channels, c.channels);
    ASSERT_EQ(out.format, c.format);
    double worst = 0.0;
    for (int64_t i = 0; i < frames; ++i) {
      for (int ch = 0; ch < c.channels; ++ch) worst = std::max(worst, std::fabs(out.at(i, ch) - 0.5 * in.at(i, ch)));
    }
    EXPECT_LE(worst, c.tolerance);
  }
}

TEST_F(RealPlugin, ListShowsTheNineParametersAndSixteenPrograms) {
  const RunResult run = runRenderer({"--plugin", realPlugin("stereo"), "--list"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* name : {"Render Level", "Num Grooves", "Range", "Speed", "Pitch Bias", "Volume Bias",
                           "Loudest Pitch", "Dry Out Lvl", "Wet Out Lvl", "Init 1", "Init 16"}) {
    EXPECT_NE(run.out.find(name), std::string::npos) << name << "\n" << run.out;
  }
}

TEST_F(RealPlugin, DemoRendersWithSpectrogram) {
  const RunResult run = runRenderer({"--quiet", "--plugin", realPlugin("stereo"), "--demo", scratch.path("demo.wav"),
                                     "--spectrogram", scratch.path("demo.png"), "--ramp", "speed=0.6:0.9"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(readSound(scratch.path("demo.wav")).frames, 0);
  EXPECT_EQ(readPng(scratch.path("demo.png")).width, SpectrogramLayout(44100).width());
}

}  // namespace
}  // namespace gyrelle::render::test
