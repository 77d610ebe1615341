// Renders hours of audio offline through a plug-in library (the stereo build
// by default), loaded and driven the way a host does, with every parameter
// automated at random. Passes when every output sample stays finite and
// within -1..1, the resident memory does not grow after warm-up, and a steady
// test sine comes back at the end with the quality it had at the start.
//
//   gyrelle-longrun [--minutes N] [--hold M] [--seed S] [LIBRARY]
// N minutes of automated audio (120), then the test sine held for M minutes (30).
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/VstAbi.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int32_t kLargestBlock = 1024;
constexpr double kWarmUpMinutes = 5.0;
constexpr long kRssSlackKb = 0;  // the audio path allocates nothing: not one page may be added
constexpr double kSnrToleranceDb = 1.0;
constexpr double kTestFrequency = 3000.0;
constexpr double kTestSeconds = 10.0;
// A sine held for long: the relative phase of neighbouring bins wanders with
// the rounding of each frame's phase step, which moves the SNR between the
// phase-aligned value of a fresh stream and that of a stream with a history
// (about 3 dB lower); a decay into noise would go far below.
constexpr double kHoldCheckMinutes = 5.0;
constexpr double kHeldSnrToleranceDb = 6.0;

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

long residentKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
  }
  std::fclose(status);
  return kb;
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

std::string besideThisProgram(const char* file) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return file;
  self[length] = '\0';
  std::string path(self);
  return path.substr(0, path.rfind('/') + 1) + file;
}

// Runs blocks through the instance and checks every output sample.
class Renderer {
 public:
  explicit Renderer(AEffect* effect)
      : record(effect), in(2, std::vector<float>(kLargestBlock)), out(2, std::vector<float>(kLargestBlock)) {}

  // inputs: both channels already in input(ch); returns the outputs.
  void block(int32_t frames) {
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    record->processReplacing(record, ins, outs, frames);
    for (const auto& channel : out) {
      for (int32_t i = 0; i < frames; ++i) {
        const float v = channel[static_cast<size_t>(i)];
        if (!std::isfinite(v) || std::fabs(v) > 1.0f) ++badSamples;
        if (std::isfinite(v)) peak = std::fmax(peak, std::fabs(v));
      }
    }
    samples += frames;
  }

  float* input(int ch) { return in[static_cast<size_t>(ch)].data(); }
  const float* output(int ch) const { return out[static_cast<size_t>(ch)].data(); }

  AEffect* const record;
  long long badSamples = 0;
  long long samples = 0;
  float peak = 0.0f;

 private:
  std::vector<std::vector<float>> in;
  std::vector<std::vector<float>> out;
};

// The settings the test sine is measured with: Range 0 (every groove at the
// input's pitch), Speed 0, render level 3, four grooves, wet only.
void referenceSettings(AEffect* e) {
  const float values[] = {0.6f, 0.25f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 1.0f / 1.2f};
  for (int32_t i = 0; i < 9; ++i) e->setParameter(e, i, values[i]);
}

// Plays the steady test sine for `seconds` more (its phase runs on in
// `clock`) and answers the signal-to-noise ratio of channel 0 against the
// best-fitting sinusoid at the test frequency over the last four seconds.
double testSineSnrDb(Renderer& renderer, long long& clock, double seconds) {
  const auto total = static_cast<long long>(seconds * kRate);
  const auto measured = static_cast<long long>(4.0 * kRate);
  std::vector<double> y;
  y.reserve(static_cast<size_t>(measured));
  const double step = 2.0 * M_PI * kTestFrequency / kRate;
  for (long long done = 0; done < total; done += 512, clock += 512) {
    for (int32_t i = 0; i < 512; ++i) {
      const float x = static_cast<float>(0.5 * std::sin(step * static_cast<double>(clock + i)));
      renderer.input(0)[i] = x;
      renderer.input(1)[i] = x;
    }
    renderer.block(512);
    if (done >= total - measured) y.insert(y.end(), renderer.output(0), renderer.output(0) + 512);
  }
  // Least squares on sin, cos and a constant.
  double ss = 0, sc = 0, cc = 0, s1 = 0, c1 = 0, n = 0, ys = 0, yc = 0, y1 = 0;
  for (size_t i = 0; i < y.size(); ++i) {
    const double s = std::sin(step * static_cast<double>(i)), c = std::cos(step * static_cast<double>(i));
    ss += s * s, sc += s * c, cc += c * c, s1 += s, c1 += c, n += 1;
    ys += y[i] * s, yc += y[i] * c, y1 += y[i];
  }
  // Solve the 3x3 normal equations by Cramer's rule.
  const double m[3][3] = {{ss, sc, s1}, {sc, cc, c1}, {s1, c1, n}};
  const double r[3] = {ys, yc, y1};
  auto det = [](const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  double coefficient[3];
  for (int k = 0; k < 3; ++k) {
    double a[3][3];
    std::memcpy(a, m, sizeof a);
    for (int row = 0; row < 3; ++row) a[row][k] = r[row];
    coefficient[k] = det(a) / det(m);
  }
  double signal = 0, noise = 0;
  for (size_t i = 0; i < y.size(); ++i) {
    const double fit = coefficient[0] * std::sin(step * static_cast<double>(i)) +
                       coefficient[1] * std::cos(step * static_cast<double>(i)) + coefficient[2];
    signal += fit * fit;
    noise += (y[i] - fit) * (y[i] - fit);
  }
  return 10.0 * std::log10(signal / std::fmax(noise, 1e-30));
}

void report(long long done, const Renderer& renderer) {
  std::fprintf(stderr, "  %6.1f min: peak %.4f, %lld bad samples, RSS %ld kB\n", static_cast<double>(done) / kRate / 60.0,
               static_cast<double>(renderer.peak), renderer.badSamples, residentKb());
}

// Music-like input that changes character every few seconds: tones, noise,
// silence, now and then too loud.
class InputSource {
 public:
  explicit InputSource(std::mt19937& generator) : random(generator) {}

  void fill(Renderer& renderer, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
      if (--untilChange <= 0) change();
      for (int ch = 0; ch < 2; ++ch) {
        phase[ch] += step[ch];
        if (phase[ch] > 2.0 * M_PI) phase[ch] -= 2.0 * M_PI;
        const double noise = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
        renderer.input(ch)[i] = static_cast<float>(level * (toneShare * std::sin(phase[ch]) + (1.0 - toneShare) * noise));
      }
    }
  }

 private:
  void change() {
    untilChange = static_cast<long>(kRate * std::uniform_real_distribution<double>(0.5, 6.0)(random));
    static const double kLevels[] = {0.0, 0.01, 0.1, 0.3, 0.7, 1.0, 2.0};
    level = kLevels[random() % 7];
    toneShare = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    for (double& s : step) s = 2.0 * M_PI * std::uniform_real_distribution<double>(40.0, 15000.0)(random) / kRate;
  }

  std::mt19937& random;
  long untilChange = 0;
  double level = 0.0, toneShare = 1.0;
  double phase[2] = {0.0, 0.0};
  double step[2] = {0.01, 0.01};
};

}  // namespace

int main(int argc, char** argv) {
  double minutes = 120.0;
  double holdMinutes = 30.0;
  unsigned seed = 1;
  std::string library = besideThisProgram("gyrelle-stereo.so");
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) {
      minutes = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc) {
      holdMinutes = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<unsigned>(std::atol(argv[++i]));
    } else {
      library = argv[i];
    }
  }

  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto entry = handle != nullptr ? reinterpret_cast<PluginEntryProc>(dlsym(handle, "VSTPluginMain")) : nullptr;
  AEffect* effect = entry != nullptr ? entry(&hostCallback) : nullptr;
  if (effect == nullptr) {
    std::fprintf(stderr, "gyrelle-longrun: cannot make an instance of %s\n", library.c_str());
    return 2;
  }
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  effect->dispatcher(effect, effSetBlockSize, 0, kLargestBlock, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

  Renderer renderer(effect);
  std::mt19937 random(seed);
  InputSource source(random);
  const double startCpu = cpuSeconds();
  long long sineClock = 0;
  referenceSettings(effect);
  const double snrStart = testSineSnrDb(renderer, sineClock, kTestSeconds);

  // The automated part: a random block length, one or two parameter writes
  // per block; the structural ones (render level, groove count) about once a second.
  const auto total = static_cast<long long>(minutes * 60.0 * kRate);
  const auto warmUp = static_cast<long long>(std::fmin(kWarmUpMinutes, minutes / 4.0) * 60.0 * kRate);
  const auto reportEvery = static_cast<long long>(10.0 * 60.0 * kRate);
  long rssAfterWarmUp = -1, rssHighest = -1;
  long long nextReport = reportEvery;
  std::uniform_real_distribution<float> value(0.0f, 1.0f);
  for (long long done = 0; done < total;) {
    const int32_t frames = static_cast<int32_t>(std::min<long long>(1 + random() % kLargestBlock, total - done));
    effect->setParameter(effect, static_cast<int32_t>(2 + random() % 7), value(random));
    if (random() % 94 == 0) effect->setParameter(effect, static_cast<int32_t>(random() % 2), value(random));
    source.fill(renderer, frames);
    renderer.block(frames);
    done += frames;
    // The warm-up ends with a progress line, so that the C library's number
    // formatting has touched its pages before the baseline is read.
    if (done >= warmUp && rssAfterWarmUp < 0) {
      report(done, renderer);
      rssAfterWarmUp = rssHighest = residentKb();
    }
    if (rssAfterWarmUp >= 0) rssHighest = std::max(rssHighest, residentKb());
    if (done >= nextReport) {
      report(done, renderer);
      nextReport += reportEvery;
    }
  }

  // The same settings, after a stop and start of the host's transport, so
  // that the sine meets the stream as it did at the start: whatever the hours
  // left behind outside the stream would show. Then the sine is held for
  // half an hour, measured every five minutes: no decay with running time.
  referenceSettings(effect);
  effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  sineClock = 0;
  const double snrEnd = testSineSnrDb(renderer, sineClock, kTestSeconds);
  double heldLowest = snrEnd, heldHighest = snrEnd;
  for (double held = 0.0; held < holdMinutes; held += kHoldCheckMinutes) {
    const double snr = testSineSnrDb(renderer, sineClock, kHoldCheckMinutes * 60.0);
    heldLowest = std::fmin(heldLowest, snr);
    heldHighest = std::fmax(heldHighest, snr);
  }
  const double cpu = cpuSeconds() - startCpu;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  dlclose(handle);

  const double audioSeconds = static_cast<double>(renderer.samples) / kRate;
  const bool soundOk = renderer.badSamples == 0;
  const bool memoryOk = rssHighest - rssAfterWarmUp <= kRssSlackKb;
  const bool qualityOk = std::fabs(snrEnd - snrStart) <= kSnrToleranceDb;
  const bool holdOk = heldLowest >= snrStart - kHeldSnrToleranceDb;
  std::printf("rendered %.1f minutes of stereo audio at 48 kHz in %.1f s of CPU (%.0fx real time)\n",
              audioSeconds / 60.0, cpu, audioSeconds / cpu);
  std::printf("output: %lld of %lld samples outside -1..1 or not finite, peak %.4f: %s\n", renderer.badSamples,
              renderer.samples * 2, static_cast<double>(renderer.peak), soundOk ? "ok" : "FAILED");
  std::printf("memory: VmRSS %ld kB after warm-up, highest %ld kB later: %s\n", rssAfterWarmUp, rssHighest,
              memoryOk ? "ok" : "FAILED");
  std::printf("test sine %.0f Hz: SNR %.2f dB at the start, %.2f dB at the end: %s\n", kTestFrequency, snrStart,
              snrEnd, qualityOk ? "ok" : "FAILED");
  std::printf("test sine held %.0f minutes more: SNR between %.2f and %.2f dB: %s\n", holdMinutes, heldLowest,
              heldHighest, holdOk ? "ok" : "FAILED");
  return soundOk && memoryOk && qualityOk && holdOk ? 0 : 1;
}
