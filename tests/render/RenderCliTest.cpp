// End-to-end runs of gyrelle-render through the small test effects: formats,
// lengths, latency, channels, programs, values, ramps, listing, call order.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "tests/render/RenderTestSupport.h"

namespace gyrelle::render::test {
namespace {

constexpr int kRate = 44100;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kWav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kFlac24 = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
constexpr int kAiff24 = SF_FORMAT_AIFF | SF_FORMAT_PCM_24;

// Largest |out(i) - factor * in(i - shift)| over all samples; in before its
// start counts as silence.
double worstDeviation(const Sound& in, const Sound& out, double factor, int64_t shift = 0) {
  double worst = 0.0;
  for (int64_t i = 0; i < out.frames; ++i) {
    for (int ch = 0; ch < out.channels; ++ch) {
      const int64_t j = i - shift;
      const double expected = j >= 0 && j < in.frames ? factor * in.at(j, std::min(ch, in.channels - 1)) : 0.0;
      worst = std::max(worst, std::fabs(out.at(i, ch) - expected));
    }
  }
  return worst;
}

class RenderCli : public ::testing::Test {
 protected:
  // Writes a test signal; answers what reading it back gives.
  Sound makeInput(const std::string& name, int format, int channels, int64_t frames,
                  int rate = kRate) {
    writeSound(scratch.path(name), format, channels, rate, testSignal(channels, frames, rate));
    return readSound(scratch.path(name));
  }
  RunResult render(std::vector<std::string> args, const std::string& plugin = "stereo") {
    args.insert(args.begin(), {"--quiet", "--plugin", testPlugin(plugin)});
    return runRenderer(args);
  }
  std::string logOf(const std::vector<std::string>& args, const std::string& plugin = "stereo") {
    std::vector<std::string> all = {"--quiet", "--plugin", testPlugin(plugin)};
    all.insert(all.end(), args.begin(), args.end());
    const RunResult run = runRenderer(all, {{"GYRELLE_TEST_PLUGIN_LOG", scratch.path("calls.log")}});
    EXPECT_EQ(run.status, 0) << run.err;
    return fileBytes(scratch.path("calls.log"));
  }
  ScratchFolder scratch;
};

// Gain 0.25 halves the signal; the output keeps the input's format, rate and
// length, and integer files come back within half a step of their width.
TEST_F(RenderCli, OutputKeepsTheInputFormatAndIsTheInputScaled) {
  struct Case {
    const char* name;
    int format;
    int rate;
    double tolerance;
  } cases[] = {
      {"in16.wav", kWav16, 44100, 1.01 / 32768},   {"in24.wav", kWav24, 48000, 1.01 / 8388608},
      {"inf.wav", kWavFloat, 96000, 1e-7},         {"in16.flac", kFlac16, 22050, 1.01 / 32768},
      {"in24.flac", kFlac24, 44100, 1.01 / 8388608}, {"in24.aiff", kAiff24, 32000, 1.01 / 8388608},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Sound in = makeInput(c.name, c.format, 2, 3001, c.rate);
    const std::string out = scratch.path(std::string("out-") + c.name);
    const RunResult run = render({"--set", "gain=0.25", scratch.path(c.name), out});
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound got = readSound(out);
    EXPECT_EQ(got.format, c.format);
    EXPECT_EQ(got.rate, c.rate);
    EXPECT_EQ(got.channels, 2);
    EXPECT_EQ(got.frames, in.frames);
    EXPECT_LE(worstDeviation(in, got, 0.5), c.tolerance);
  }
}

TEST_F(RenderCli, ExtensionOrFormatOptionChooseTheOutputFormat) {
  const Sound in = makeInput("in.wav", kWav16, 1, 2000);
  struct Case {
    std::vector<std::string> extra;
    const char* out;
    int format;
  } cases[] = {
      {{}, "a.flac", kFlac16},
      {{}, "b.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {{"--format", "wav:float"}, "c.wav", kWavFloat},
      {{"--format=flac:24"}, "d.out", kFlac24},
      {{}, "e.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    std::vector<std::string> args = c.extra;
    args.push_back(scratch.path("in.wav"));
    args.push_back(scratch.path(c.out));
    const RunResult run = render(args, "mono");
    ASSERT_EQ(run.status, 0) << run.err;
    const Sound got = readSound(scratch.path(c.out));
    EXPECT_EQ(got.format, c.format);
    EXPECT_EQ(got.frames, in.frames);
    // Vorbis is lossy; everything else must be the input at unity gain.
    if ((c.format & SF_FORMAT_SUBMASK) != SF_FORMAT_VORBIS) {
      EXPECT_LE(worstDeviation(in, got, 1.0), 1.01 / 32768);
    }
  }
}

// The effect delays by 300 samples: compensated output lines up with the
// input, --keep-latency shows the raw delay; the length never changes.
TEST_F(RenderCli, LatencyIsCompensatedUnlessKept) {
  struct Case {
    int64_t frames;
    int block;
  } cases[] = {{0, 512}, {1, 512}, {299, 128}, {300, 300}, {511, 512}, {512, 512}, {513, 512}, {1000, 1}, {5000, 4096}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.frames) + " frames in blocks of " + std::to_string(c.block));
    const Sound in = makeInput("in.wav", kWavFloat, 2, c.frames);
    const std::string block = std::to_string(c.block);
    ASSERT_EQ(render({"--block", block, scratch.path("in.wav"), scratch.path("aligned.wav")}, "latency").status, 0);
    ASSERT_EQ(render({"--block", block, "--keep-latency", scratch.path("in.wav"), scratch.path("raw.wav")}, "latency").status, 0);
    const Sound aligned = readSound(scratch.path("aligned.wav"));
    const Sound raw = readSound(scratch.path("raw.wav"));
    EXPECT_EQ(aligned.frames, c.frames);
    EXPECT_EQ(raw.frames, c.frames);
    EXPECT_EQ(worstDeviation(in, aligned, 1.0), 0.0);
    EXPECT_EQ(worstDeviation(in, raw, 1.0, 300), 0.0);
  }
}

TEST_F(RenderCli, ChannelsFollowTheFileAndTheBuild) {
  const Sound mono = makeInput("mono.wav", kWavFloat, 1, 1500);
  const Sound stereo = makeInput("stereo.wav", kWavFloat, 2, 1500);

  // Mono through the mono build, stereo through the stereo build.
  ASSERT_EQ(render({scratch.path("mono.wav"), scratch.path("m-m.wav")}, "mono").status, 0);
  EXPECT_EQ(readSound(scratch.path("m-m.wav")).channels, 1);
  EXPECT_EQ(worstDeviation(mono, readSound(scratch.path("m-m.wav")), 1.0), 0.0);
  ASSERT_EQ(render({scratch.path("stereo.wav"), scratch.path("s-s.wav")}, "stereo").status, 0);
  EXPECT_EQ(readSound(scratch.path("s-s.wav")).channels, 2);
  EXPECT_EQ(worstDeviation(stereo, readSound(scratch.path("s-s.wav")), 1.0), 0.0);

  // A mono file given to the stereo build reaches both of its inputs.
  const std::string log = logOf({scratch.path("mono.wav"), scratch.path("m-s.wav")});
  EXPECT_NE(log.find("inputs equal"), std::string::npos) << log;
  EXPECT_EQ(log.find("inputs differ"), std::string::npos) << log;
  EXPECT_EQ(worstDeviation(mono, readSound(scratch.path("m-s.wav")), 1.0), 0.0);

  // A stereo file and the mono build need --downmix, which feeds the mean.
  const RunResult refused = render({scratch.path("stereo.wav"), scratch.path("s-m.wav")}, "mono");
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find("--downmix"), std::string::npos) << refused.err;
  ASSERT_EQ(render({"--downmix", scratch.path("stereo.wav"), scratch.path("s-m.wav")}, "mono").status, 0);
  const Sound downmixed = readSound(scratch.path("s-m.wav"));
  ASSERT_EQ(downmixed.channels, 2);
  double worst = 0.0;
  for (int64_t i = 0; i < stereo.frames; ++i) {
    const double mean = 0.5 * (stereo.at(i, 0) + stereo.at(i, 1));
    worst = std::max({worst, std::fabs(downmixed.at(i, 0) - mean), std::fabs(downmixed.at(i, 1) - mean)});
  }
  EXPECT_LE(worst, 1e-7);
}

TEST_F(RenderCli, ProgramComesBeforeTheSetValues) {
  const Sound in = makeInput("in.wav", kWavFloat, 2, 800);
  struct Case {
    std::vector<std::string> args;
    double gain;
  } cases[] = {
      {{}, 1.0},
      {{"--program", "2"}, 0.5},
      {{"--program", "3"}, 0.0},
      {{"--set", "gain=1", "--program", "2"}, 2.0},
      {{"--set", "GAIN=0.1", "--set", "gain=0.375"}, 0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args = c.args;
    args.push_back(scratch.path("in.wav"));
    args.push_back(scratch.path("out.wav"));
    ASSERT_EQ(render(args).status, 0);
    EXPECT_LE(worstDeviation(in, readSound(scratch.path("out.wav")), c.gain), 1e-7);
  }
}

// Gain moves from 0 to 0.5 across 1000 frames, written before each block of
// 100: block k plays at 2 x 0.5 x (100 k / 999).
TEST_F(RenderCli, RampIsWrittenBetweenBlocks) {
  writeSound(scratch.path("dc.wav"), kWavFloat, 1, kRate, std::vector<float>(1000, 0.5f));
  ASSERT_EQ(render({"--block", "100", "--set", "gain=1", "--ramp", "Gain=0:0.5", scratch.path("dc.wav"), scratch.path("out.wav")}).status, 0);
  const Sound out = readSound(scratch.path("out.wav"));
  ASSERT_EQ(out.frames, 1000);
  for (int64_t i = 0; i < out.frames; ++i) {
    const double value = static_cast<float>(0.5 * (static_cast<double>(i / 100 * 100) / 999.0));
    ASSERT_NEAR(out.at(i, 0), 0.5 * 2.0 * value, 1e-6) << "frame " << i;
  }
}

TEST_F(RenderCli, ListShowsParametersAndProgramsAsReported) {
  const RunResult run = render({"--set", "dry_out_level=0.25", "--set", "MIX AMOUNT=0", "--list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Test Gain"), std::string::npos) << run.out;
  for (const char* line : {"      0  Gain           0.500000  1.00          x",
                           "      1  Dry-Out Level  0.250000  0.25",
                           "      2  Mix_Amount     0.000000  0.00",
                           "      1  Unity", "      2  Half", "      3  Silent"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

TEST_F(RenderCli, EffectIsDrivenInTheHostOrder) {
  makeInput("in.wav", kWav16, 2, 3000, 48000);
  const std::string log = logOf({"--block", "256", "--set", "gain=0.3", scratch.path("in.wav"), scratch.path("out.wav")});
  EXPECT_EQ(log,
            "host version 2400\nopen\nhost automate 0 idle 0 other 0\nrate 48000 host 48000\n"
            "block 256 host 256\nset 0\nmains 1\nprocess, inputs differ\nmains 0\nclose\n");
}

TEST_F(RenderCli, OtherEntryPointsAndAccumulatingEffectsWork) {
  const Sound in = makeInput("in.wav", kWavFloat, 2, 1200);
  for (const char* variant : {"main-only", "accumulating"}) {
    SCOPED_TRACE(variant);
    ASSERT_EQ(render({scratch.path("in.wav"), scratch.path("out.wav")}, variant).status, 0);
    EXPECT_EQ(worstDeviation(in, readSound(scratch.path("out.wav")), 1.0), 0.0);
  }
}

TEST_F(RenderCli, DemoRendersAFewSecondsOfStereo) {
  const RunResult run = render({"--demo", scratch.path("demo.flac")});
  ASSERT_EQ(run.status, 0) << run.err;
  const Sound demo = readSound(scratch.path("demo.flac"));
  EXPECT_EQ(demo.channels, 2);
  EXPECT_GE(demo.frames, 3 * demo.rate);
  EXPECT_LE(demo.frames, 20 * demo.rate);
  float peak = 0.0f;
  for (float v : demo.samples) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.1f);
  EXPECT_LT(peak, 1.0f);
}

TEST_F(RenderCli, SummaryLineUnlessQuiet) {
  makeInput("in.wav", kWav16, 1, 4410);
  const RunResult loud = runRenderer({"--plugin", testPlugin("mono"), scratch.path("in.wav"), scratch.path("out.wav")});
  ASSERT_EQ(loud.status, 0);
  ASSERT_EQ(loud.errLines().size(), 1u) << loud.err;
  EXPECT_NE(loud.err.find("0.10 s of audio rendered in"), std::string::npos) << loud.err;
  EXPECT_NE(loud.err.find("real time"), std::string::npos) << loud.err;
  EXPECT_EQ(render({scratch.path("in.wav"), scratch.path("out.wav")}, "mono").err, "");
}

// An interrupted render removes its temporary file and leaves the old target.
TEST_F(RenderCli, InterruptedRenderLeavesTheTargetAlone) {
  makeInput("in.wav", kWav16, 2, 400000);
  writeBytes(scratch.path("out.wav"), "previous");
  const std::string log = scratch.path("calls.log");
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("GYRELLE_TEST_PLUGIN_LOG", log.c_str(), 1);
    setenv("GYRELLE_TEST_PLUGIN_SLOW", "1", 1);
    const std::string program = renderProgram(), plugin = testPlugin("stereo");
    const std::string in = scratch.path("in.wav"), out = scratch.path("out.wav");
    execl(program.c_str(), program.c_str(), "--quiet", "--block", "64", "--plugin", plugin.c_str(),
          in.c_str(), out.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 500 && fileBytes(log).find("process") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
  EXPECT_EQ(fileBytes(scratch.path("out.wav")), "previous");
  EXPECT_EQ(folderEntries(scratch.folder()), (std::vector<std::string>{"calls.log", "in.wav", "out.wav"}));
  EXPECT_NE(fileBytes(log).find("close"), std::string::npos);
}

}  // namespace
}  // namespace gyrelle::render::test
