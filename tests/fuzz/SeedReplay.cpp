// Plays every file in the folders (or the files) named on the command line
// through a fuzz target's entry, without libFuzzer: the committed seeds and
// the regression inputs run in every build, the sanitizer builds included,
// and any broken oracle aborts the run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  int played = 0;
  for (int a = 1; a < argc; ++a) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(argv[a])) {
      for (const auto& entry : std::filesystem::directory_iterator(argv[a])) files.push_back(entry.path());
    } else {
      files.emplace_back(argv[a]);
    }
    for (const auto& file : files) {
      std::ifstream stream(file, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
      std::fprintf(stderr, "%s\n", file.c_str());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++played;
    }
  }
  if (played == 0) {
    std::fprintf(stderr, "no input to play\n");
    return 1;
  }
  std::printf("%d passed, 0 failed\n", played);
  return 0;
}
