#include "render/DemoSignal.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gyrelle::render {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;  // seconds per beat: 120 beats per minute

struct Voice {
  double hertz;
  double pan;      // 0 left .. 1 right
  double level;
  double pulse;    // seconds between notes
  double offset;   // first note
  double decay;    // seconds for the accent to fall by e
  double floor;    // level held between accents, so partials stay continuous
  int harmonics;
};

// An A minor seventh chord over a pulsing bass. Few partials and sustained
// notes leave room to see each shifted copy as a line of its own; accents on
// eighths and off-beats give the rhythm.
const Voice kVoices[] = {
    {55.00, 0.50, 0.30, kBeat, 0.0, 0.20, 0.0, 2},             // A1, every beat
    {220.00, 0.35, 0.30, kBeat * 2, 0.0, 0.60, 0.35, 3},       // A3, half notes
    {261.63, 0.65, 0.25, kBeat, kBeat / 2, 0.30, 0.35, 3},     // C4, off-beats
    {329.63, 0.40, 0.22, kBeat / 2, 0.0, 0.15, 0.35, 2},       // E4, eighths
    {392.00, 0.60, 0.20, kBeat / 2, kBeat / 4, 0.15, 0.35, 2}, // G4, shifted eighths
    {1318.51, 0.55, 0.06, kBeat * 4, kBeat * 3, 1.50, 0.0, 1}, // E6, once a bar
};

// Attack of a few milliseconds, then an exponential fall to the floor.
double envelope(double sinceNote, double decay, double floor) {
  if (sinceNote < 0.0) return 0.0;
  const double attack = std::min(1.0, sinceNote / 0.004);
  return attack * (floor + (1.0 - floor) * std::exp(-sinceNote / decay));
}

}  // namespace

DemoSignal::DemoSignal() {
  const int64_t count = static_cast<int64_t>(kSeconds * kSampleRate);
  samples_.assign(static_cast<size_t>(count * kChannels), 0.0f);
  std::vector<double> left(static_cast<size_t>(count)), right(static_cast<size_t>(count));
  for (const Voice& voice : kVoices) {
    for (int64_t i = 0; i < count; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      const double sinceStart = t - voice.offset;
      if (sinceStart < 0.0) continue;
      const double sinceNote = std::fmod(sinceStart, voice.pulse);
      const double gain = voice.level * envelope(sinceNote, voice.decay, voice.floor);
      if (gain < 1e-5) continue;
      double tone = 0.0;
      for (int h = 1; h <= voice.harmonics; ++h) {
        tone += std::sin(2.0 * kPi * voice.hertz * h * t) / h;
      }
      left[static_cast<size_t>(i)] += gain * tone * std::cos(voice.pan * kPi / 2);
      right[static_cast<size_t>(i)] += gain * tone * std::sin(voice.pan * kPi / 2);
    }
  }
  double peak = 1e-9;
  for (int64_t i = 0; i < count; ++i) {
    peak = std::max({peak, std::fabs(left[static_cast<size_t>(i)]),
                     std::fabs(right[static_cast<size_t>(i)])});
  }
  // Half of full scale, with a short fade at both ends against clicks.
  const double scale = 0.5 / peak;
  const int64_t fade = kSampleRate / 100;
  for (int64_t i = 0; i < count; ++i) {
    const double edge = std::min(1.0, static_cast<double>(std::min(i, count - 1 - i)) / fade);
    samples_[static_cast<size_t>(2 * i)] = static_cast<float>(left[static_cast<size_t>(i)] * scale * edge);
    samples_[static_cast<size_t>(2 * i + 1)] = static_cast<float>(right[static_cast<size_t>(i)] * scale * edge);
  }
}

SoundFormat DemoSignal::format() const { return {SF_FORMAT_WAV, SampleEncoding::Pcm24}; }

int64_t DemoSignal::read(float* interleaved, int64_t count) {
  const int64_t available = frames() - position_;
  const int64_t n = std::max<int64_t>(0, std::min(count, available));
  if (n > 0) {
    std::memcpy(interleaved, samples_.data() + position_ * kChannels,
                static_cast<size_t>(n * kChannels) * sizeof(float));
  }
  position_ += n;
  return n;
}

}  // namespace gyrelle::render
