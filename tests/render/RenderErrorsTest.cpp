// Every way a render can fail: one line on standard error, a non-zero exit
// status, the existing target as it was and no temporary file left behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/render/RenderTestSupport.h"

namespace gyrelle::render::test {
namespace {

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

class RenderErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    writeSound(scratch.path("mono.wav"), kWav16, 1, 44100, testSignal(1, 1000, 44100));
    writeSound(scratch.path("stereo.wav"), kWav16, 2, 44100, testSignal(2, 1000, 44100));
    writeSound(scratch.path("six.wav"), kWav16, 6, 44100, testSignal(6, 1000, 44100));
    writeBytes(scratch.path("text.wav"), "this is not a sound file\n");
    writeBytes(scratch.path("target.wav"), "previous content");
    symlink(scratch.path("mono.wav").c_str(), scratch.path("link.wav").c_str());
  }
  ScratchFolder scratch;
};

TEST_F(RenderErrors, EachFailureIsOneLineAndTouchesNothing) {
  const std::string mono = scratch.path("mono.wav");
  const std::string target = scratch.path("target.wav");
  const std::string stereoPlugin = testPlugin("stereo");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{scratch.path("missing.wav"), target}, "cannot open input"},
      {{scratch.folder(), target}, "it is a folder"},
      {{scratch.path("text.wav"), target}, "unsupported format"},
      {{scratch.path("six.wav"), target}, "has 6 channels; only mono and stereo"},
      {{"--plugin", scratch.path("none.so"), mono, target}, "cannot load plug-in"},
      {{"--plugin", scratch.path("text.wav"), mono, target}, "cannot load plug-in"},
      {{"--plugin", testPlugin("no-entry"), mono, target}, "has no VSTPluginMain or main entry point"},
      {{"--plugin", testPlugin("refuse"), mono, target}, "refused to make an instance"},
      {{"--plugin", testPlugin("huge-latency"), mono, target}, "reports an impossible latency"},
      {{"--set", "bogus=0.5", mono, target},
       "unknown parameter 'bogus'; valid names: Gain, Dry-Out Level, Mix_Amount"},
      {{"--ramp", "bogus=0:1", mono, target}, "unknown parameter 'bogus'"},
      {{"--set", "gain=1.5", mono, target}, "value 1.5 for 'gain' is outside 0..1"},
      {{"--set", "gain=-0.1", mono, target}, "is outside 0..1"},
      {{"--ramp", "gain=0:2", mono, target}, "is outside 0..1"},
      {{"--set", "gain=loud", mono, target}, "is not a number"},
      {{"--program", "4", mono, target}, "program 4 is out of range 1..3"},
      {{"--program", "0", mono, target}, "--program needs a whole number from 1"},
      {{"--plugin", testPlugin("mono"), scratch.path("stereo.wav"), target}, "add --downmix"},
      {{"--format", "mp3", mono, target}, "unsupported output format 'mp3'"},
      {{"--block", "0", mono, target}, "--block needs a whole number"},
      {{"--frobnicate", mono, target}, "unknown option '--frobnicate'"},
      {{mono}, "need an input and an output file name"},
      {{target, mono}, "unsupported format"},  // the old target is no sound file
      {{"--spectrogram", target, mono, target}, "must be different files"},
      {{mono, scratch.folder()}, "is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args = {"--quiet", "--plugin", stereoPlugin};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult run = runRenderer(args);
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.errLines().size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("gyrelle-render: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fileBytes(target), "previous content");
    EXPECT_EQ(folderEntries(scratch.folder()),
              (std::vector<std::string>{"link.wav", "mono.wav", "six.wav", "stereo.wav", "target.wav", "text.wav"}));
  }
}

TEST_F(RenderErrors, NeverWritesOverTheInput) {
  const std::string before = fileBytes(scratch.path("mono.wav"));
  const std::string plugin = testPlugin("stereo");
  const std::vector<std::vector<std::string>> cases = {
      {scratch.path("mono.wav"), scratch.path("mono.wav")},
      {scratch.path("mono.wav"), scratch.folder() + "/./mono.wav"},
      {scratch.path("mono.wav"), scratch.path("link.wav")},
      {scratch.path("link.wav"), scratch.path("mono.wav")},
      {"--spectrogram", scratch.path("link.wav"), scratch.path("mono.wav"), scratch.path("out.wav")},
  };
  for (const auto& files : cases) {
    SCOPED_TRACE(::testing::PrintToString(files));
    std::vector<std::string> args = {"--quiet", "--plugin", plugin};
    args.insert(args.end(), files.begin(), files.end());
    const RunResult run = runRenderer(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("over the input file"), std::string::npos) << run.err;
    EXPECT_EQ(fileBytes(scratch.path("mono.wav")), before);
  }
  EXPECT_EQ(folderEntries(scratch.folder()),
            (std::vector<std::string>{"link.wav", "mono.wav", "six.wav", "stereo.wav", "target.wav", "text.wav"}));
}

}  // namespace
}  // namespace gyrelle::render::test
