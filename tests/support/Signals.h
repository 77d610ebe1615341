// Test signals and the measurements the signal-path tests make on them.
#pragma once

#include <cstddef>
#include <vector>

namespace gyrelle::testing {

std::vector<float> sine(double frequency, double sampleRate, size_t length, double amplitude = 0.5);

// Signal-to-noise ratio in dB of x[begin, begin + length) against the best-fitting
// sinusoid at `frequency`: what is not that sine counts as noise.
double sineSnrDb(const std::vector<float>& x, size_t begin, size_t length, double frequency, double sampleRate);

// Amplitude of the component at `frequency` in x[begin, begin + length) (Hann-windowed DFT).
double componentAmplitude(const std::vector<float>& x, size_t begin, size_t length, double frequency,
                          double sampleRate);

// The frequency of the strongest component between lo and hi hertz, found to within `step` hertz.
double strongestFrequency(const std::vector<float>& x, size_t begin, size_t length, double sampleRate, double lo,
                          double hi, double step);

double rms(const std::vector<float>& x, size_t begin, size_t length);
float peak(const std::vector<float>& x);

}  // namespace gyrelle::testing
