// Helpers for the renderer's end-to-end tests: run the built program, make
// and read back small sound files, keep each test's files in a scratch folder.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gyrelle::render::test {

// Where the build put the renderer, the test plug-ins and the real plug-ins.
std::string renderProgram();
std::string testPlugin(const std::string& variant);  // "stereo", "mono", "latency", ...
std::string realPlugin(const std::string& build);    // "stereo" or "mono"

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
  // Lines of standard error.
  std::vector<std::string> errLines() const;
};

// Runs the renderer with args and the extra environment variables; waits for it.
RunResult runRenderer(const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::string>>& env = {});

struct Sound {
  int channels = 0;
  int rate = 0;
  int format = 0;  // libsndfile format code
  int64_t frames = 0;
  std::vector<float> samples;  // interleaved
  float at(int64_t frame, int channel) const {
    return samples[static_cast<size_t>(frame * channels + channel)];
  }
};

// Writes interleaved samples; fails the test (and answers false) if it cannot.
bool writeSound(const std::string& path, int format, int channels, int rate,
                const std::vector<float>& samples);
// Reads a whole file; frames is -1 when it cannot be opened.
Sound readSound(const std::string& path);

// A test signal with distinct content per channel, well inside full scale.
std::vector<float> testSignal(int channels, int64_t frames, int rate);

// The whole content of a file, or "" if it cannot be read.
std::string fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
// Names in a folder, sorted, without . and ..
std::vector<std::string> folderEntries(const std::string& folder);

// A fresh folder removed with its content at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace gyrelle::render::test
