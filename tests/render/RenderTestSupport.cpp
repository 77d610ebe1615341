#include "tests/render/RenderTestSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace gyrelle::render::test {

std::string renderProgram() { return GYRELLE_RENDER_EXE; }
std::string testPlugin(const std::string& variant) {
  return std::string(TEST_PLUGIN_DIR) + "/test-gain-" + variant + ".so";
}
std::string realPlugin(const std::string& build) {
  return std::string(GYRELLE_PLUGIN_DIR) + "/gyrelle-" + build + ".so";
}

std::vector<std::string> RunResult::errLines() const {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

RunResult runRenderer(const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::string>>& env) {
  RunResult result;
  char outName[] = "/tmp/gyrelle-render-out-XXXXXX";
  char errName[] = "/tmp/gyrelle-render-err-XXXXXX";
  const int outFd = mkstemp(outName);
  const int errFd = mkstemp(errName);
  if (outFd < 0 || errFd < 0) {
    ADD_FAILURE() << "cannot make capture files";
    return result;
  }
  const std::string program = renderProgram();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(outFd);
  close(errFd);
  result.out = fileBytes(outName);
  result.err = fileBytes(errName);
  unlink(outName);
  unlink(errName);
  return result;
}

bool writeSound(const std::string& path, int format, int channels, int rate,
                const std::vector<float>& samples) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    ADD_FAILURE() << "cannot write " << path << ": " << sf_strerror(nullptr);
    return false;
  }
  const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
  const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  EXPECT_TRUE(ok) << path;
  return ok;
}

Sound readSound(const std::string& path) {
  Sound sound;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    sound.frames = -1;
    return sound;
  }
  sound.channels = info.channels;
  sound.rate = info.samplerate;
  sound.format = info.format;
  std::vector<float> block(static_cast<size_t>(4096 * info.channels));
  for (sf_count_t got; (got = sf_readf_float(file, block.data(), 4096)) > 0;) {
    sound.samples.insert(sound.samples.end(), block.begin(), block.begin() + got * info.channels);
  }
  sound.frames = static_cast<int64_t>(sound.samples.size()) / info.channels;
  sf_close(file);
  return sound;
}

std::vector<float> testSignal(int channels, int64_t frames, int rate) {
  std::vector<float> samples(static_cast<size_t>(frames * channels));
  for (int64_t i = 0; i < frames; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      const double t = static_cast<double>(i) / rate;
      const double hz = 220.0 * (ch + 1) + 37.0 * ch;
      samples[static_cast<size_t>(i * channels + ch)] =
          static_cast<float>(0.6 * std::sin(2.0 * M_PI * hz * t) + 0.05 * std::sin(0.37 * static_cast<double>(i)));
    }
  }
  return samples;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

ScratchFolder::ScratchFolder() {
  char name[] = "/tmp/gyrelle-render-test-XXXXXX";
  const char* made = mkdtemp(name);
  if (!made) ADD_FAILURE() << "cannot make a scratch folder";
  folder_ = made ? made : "/tmp";
}

ScratchFolder::~ScratchFolder() {
  for (const std::string& name : folderEntries(folder_)) unlink(path(name).c_str());
  rmdir(folder_.c_str());
}

}  // namespace gyrelle::render::test
