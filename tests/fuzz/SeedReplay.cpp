// Plays every file in the folders (or the files) named on the command line
// through a fuzz target's entry, without libFuzzer: the committed seeds and
// the regression inputs run in every build, the sanitizer builds included,
// and any broken oracle aborts the run.
//   SEEDS [--repeat N] FOLDER|FILE...
// --repeat plays them all N times and prints the CPU time per input, the
// measure of a target's speed (in the fuzz build, as the fuzzer runs it).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  int repeat = 0;
  std::vector<std::vector<uint8_t>> inputs;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--repeat") == 0 && a + 1 < argc) {
      repeat = std::atoi(argv[++a]);
      continue;
    }
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(argv[a])) {
      for (const auto& entry : std::filesystem::directory_iterator(argv[a])) files.push_back(entry.path());
    } else {
      files.emplace_back(argv[a]);
    }
    for (const auto& file : files) {
      std::ifstream stream(file, std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
      if (repeat == 0) {
        std::fprintf(stderr, "%s\n", file.c_str());
        LLVMFuzzerTestOneInput(inputs.back().data(), inputs.back().size());
      }
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no input to play\n");
    return 1;
  }
  if (repeat > 0) {
    size_t bytes = 0;
    timespec start{}, end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    for (int r = 0; r < repeat; ++r) {
      for (const auto& input : inputs) LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    for (const auto& input : inputs) bytes += input.size();
    const double seconds = double(end.tv_sec - start.tv_sec) + 1e-9 * double(end.tv_nsec - start.tv_nsec);
    const double runs = double(inputs.size()) * repeat;
    std::printf("%zu inputs of %.0f bytes on average, %d times: %.1f us of CPU each, %.0f a second\n", inputs.size(),
                double(bytes) / double(inputs.size()), repeat, 1e6 * seconds / runs, runs / seconds);
  }
  std::printf("%zu passed, 0 failed\n", inputs.size());
  return 0;
}
