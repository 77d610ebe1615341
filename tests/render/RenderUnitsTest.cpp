// The renderer's pure rules: name matching, output format choice, ramps.
#include <gtest/gtest.h>
#include <sndfile.h>

#include "render/AudioFormat.h"
#include "render/CommandLine.h"
#include "render/ParameterNames.h"
#include "render/RenderError.h"
#include "render/RenderLoop.h"

namespace gyrelle::render {
namespace {

TEST(ParameterNames, CaseAndSeparatorsDoNotMatter) {
  const std::vector<std::string> names = {"Render Level", "Num Grooves", "Dry Out Lvl", "Speed"};
  struct Case {
    const char* typed;
    int index;
  } cases[] = {
      {"speed", 3},        {"SPEED", 3},         {"num-grooves", 1}, {"num_grooves", 1},
      {"Num  Grooves", 1}, {" dry-out_lvl ", 2}, {"render level", 0}, {"numgrooves", -1},
      {"", -1},            {"---", -1},          {"speed2", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(findParameter(names, c.typed), c.index) << c.typed;
}

TEST(ParameterNames, FirstOfTwoEqualNamesWins) {
  EXPECT_EQ(findParameter({"Gain", "gain"}, "GAIN"), 0);
}

TEST(OutputFormat, OptionThenExtensionThenInput) {
  const SoundFormat wav16{SF_FORMAT_WAV, SampleEncoding::Pcm16};
  const SoundFormat wavFloat{SF_FORMAT_WAV, SampleEncoding::Float};
  const SoundFormat ogg{SF_FORMAT_OGG, SampleEncoding::Vorbis};
  struct Case {
    const char* option;
    const char* path;
    SoundFormat input;
    int container;
    SampleEncoding encoding;
  } cases[] = {
      {"", "out.wav", wav16, SF_FORMAT_WAV, SampleEncoding::Pcm16},
      {"", "out.FLAC", wav16, SF_FORMAT_FLAC, SampleEncoding::Pcm16},
      {"", "out.flac", wavFloat, SF_FORMAT_FLAC, SampleEncoding::Pcm24},  // FLAC has no float
      {"", "out.aif", wavFloat, SF_FORMAT_AIFF, SampleEncoding::Float},
      {"", "out.ogg", wav16, SF_FORMAT_OGG, SampleEncoding::Vorbis},
      {"", "out.wav", ogg, SF_FORMAT_WAV, SampleEncoding::Float},
      {"", "out.raw", wavFloat, SF_FORMAT_WAV, SampleEncoding::Float},  // unknown: keep
      {"", "dir.flac/out", wav16, SF_FORMAT_WAV, SampleEncoding::Pcm16},
      {"wav:24", "out.flac", wav16, SF_FORMAT_WAV, SampleEncoding::Pcm24},
      {"flac", "out.wav", wavFloat, SF_FORMAT_FLAC, SampleEncoding::Pcm24},
      {"AIFF:float", "out", wav16, SF_FORMAT_AIFF, SampleEncoding::Float},
      {"ogg", "out.wav", wav16, SF_FORMAT_OGG, SampleEncoding::Vorbis},
  };
  for (const Case& c : cases) {
    const SoundFormat got = chooseOutputFormat(c.option, c.path, c.input);
    EXPECT_EQ(got.container, c.container) << c.option << " " << c.path;
    EXPECT_EQ(got.encoding, c.encoding) << c.option << " " << c.path;
  }
}

TEST(OutputFormat, UnknownOrImpossibleFormatsAreRefused) {
  const SoundFormat wav16{SF_FORMAT_WAV, SampleEncoding::Pcm16};
  for (const char* option : {"mp3", "wav:8", "wav:", "flac:float", "ogg:16", ":16"}) {
    EXPECT_THROW(chooseOutputFormat(option, "out.wav", wav16), RenderError) << option;
  }
}

TEST(Ramp, RunsFromFirstToLastFrameAndHoldsInTheTail) {
  const ResolvedRamp ramp{0, 0.2f, 0.6f};
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 0, 101), 0.2f);
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 50, 101), 0.4f);
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 100, 101), 0.6f);
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 5000, 101), 0.6f);
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 0, 1), 0.6f);
  EXPECT_FLOAT_EQ(rampValueAt(ramp, 0, 0), 0.6f);
}

TEST(CommandLine, ValuesTakeBothSpellings) {
  const Options a = parseCommandLine({"--set", "speed=0.25", "--block=64", "in.wav", "out.wav"});
  ASSERT_EQ(a.settings.size(), 1u);
  EXPECT_EQ(a.settings[0].name, "speed");
  EXPECT_FLOAT_EQ(a.settings[0].value, 0.25f);
  EXPECT_EQ(a.blockSize, 64);
  const Options b = parseCommandLine({"--ramp=a b=1:0", "--", "-in.wav", "out.wav"});
  ASSERT_EQ(b.ramps.size(), 1u);
  EXPECT_EQ(b.ramps[0].name, "a b");
  EXPECT_FLOAT_EQ(b.ramps[0].from, 1.0f);
  EXPECT_EQ(b.inputPath, "-in.wav");
}

TEST(CommandLine, MalformedValuesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--set", "speed", "a", "b"},       {"--set", "=0.5", "a", "b"},
      {"--set", "speed=nan", "a", "b"},   {"--set", "speed=1e40", "a", "b"},
      {"--set", "speed=0.5x", "a", "b"},  {"--ramp", "speed=0.5", "a", "b"},
      {"--block", "0", "a", "b"},         {"--block", "65537", "a", "b"},
      {"--program", "-1", "a", "b"},      {"--program", "2x", "a", "b"},
      {"--block"},                        {"--quiet=1", "a", "b"},
      {"a"},                              {"--demo"},
      {"--list", "a"},                    {"a", "b", "c"},
  };
  for (const auto& args : cases) {
    EXPECT_THROW(parseCommandLine(args), RenderError) << ::testing::PrintToString(args);
  }
}

}  // namespace
}  // namespace gyrelle::render
