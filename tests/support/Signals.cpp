#include "tests/support/Signals.h"

#include <algorithm>
#include <cmath>

namespace gyrelle::testing {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

std::vector<float> sine(double frequency, double sampleRate, size_t length, double amplitude) {
  std::vector<float> x(length);
  for (size_t i = 0; i < length; ++i) {
    x[i] = static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / sampleRate));
  }
  return x;
}

double sineSnrDb(const std::vector<float>& x, size_t begin, size_t length, double frequency, double sampleRate) {
  // Least-squares fit of a*sin + b*cos + c.
  double ss = 0, cc = 0, sc = 0, s1 = 0, c1 = 0, xs = 0, xc = 0, x1 = 0;
  const double n = static_cast<double>(length);
  for (size_t i = 0; i < length; ++i) {
    const double t = 2.0 * kPi * frequency * static_cast<double>(begin + i) / sampleRate;
    const double s = std::sin(t), c = std::cos(t), v = x[begin + i];
    ss += s * s, cc += c * c, sc += s * c, s1 += s, c1 += c;
    xs += v * s, xc += v * c, x1 += v;
  }
  // Solve the 3x3 normal equations by Cramer's rule.
  const double m[3][3] = {{ss, sc, s1}, {sc, cc, c1}, {s1, c1, n}};
  const double r[3] = {xs, xc, x1};
  auto det = [](const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double d = det(m);
  double coef[3];
  for (int k = 0; k < 3; ++k) {
    double mk[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) mk[i][j] = j == k ? r[i] : m[i][j];
    coef[k] = det(mk) / d;
  }
  double signal = 0, noise = 0;
  for (size_t i = 0; i < length; ++i) {
    const double t = 2.0 * kPi * frequency * static_cast<double>(begin + i) / sampleRate;
    const double fit = coef[0] * std::sin(t) + coef[1] * std::cos(t) + coef[2];
    signal += fit * fit;
    noise += (x[begin + i] - fit) * (x[begin + i] - fit);
  }
  return 10.0 * std::log10(signal / std::max(noise, 1e-30));
}

double componentAmplitude(const std::vector<float>& x, size_t begin, size_t length, double frequency,
                          double sampleRate) {
  double re = 0, im = 0, windowSum = 0;
  for (size_t i = 0; i < length; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / static_cast<double>(length));
    const double t = 2.0 * kPi * frequency * static_cast<double>(i) / sampleRate;
    re += w * x[begin + i] * std::cos(t);
    im += w * x[begin + i] * std::sin(t);
    windowSum += w;
  }
  return 2.0 * std::sqrt(re * re + im * im) / windowSum;
}

double strongestFrequency(const std::vector<float>& x, size_t begin, size_t length, double sampleRate, double lo,
                          double hi, double step) {
  double best = lo, bestAmplitude = -1;
  for (double f = lo; f <= hi; f += step) {
    const double a = componentAmplitude(x, begin, length, f, sampleRate);
    if (a > bestAmplitude) bestAmplitude = a, best = f;
  }
  return best;
}

double rms(const std::vector<float>& x, size_t begin, size_t length) {
  double sum = 0;
  for (size_t i = 0; i < length; ++i) sum += static_cast<double>(x[begin + i]) * x[begin + i];
  return std::sqrt(sum / static_cast<double>(std::max<size_t>(length, 1)));
}

float peak(const std::vector<float>& x) {
  float p = 0;
  for (float v : x) p = std::max(p, std::fabs(v));
  return p;
}

}  // namespace gyrelle::testing
