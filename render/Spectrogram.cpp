#include "render/Spectrogram.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "render/PixelFont.h"

namespace gyrelle::render {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRangeDb = 60.0;  // darkest colour this far below the loudest bin

// About 190 ms of signal (8192 samples at 44.1 kHz): bins of about 5 Hz keep
// partials near 50 Hz apart on the logarithmic axis, and a glide of several
// semitones a second still blurs by little more than a semitone.
int fftSizeFor(int sampleRate) {
  int size = 1024;
  while (size < 65536 && size < sampleRate / 5.5) size *= 2;
  return size;
}

struct Colour {
  double at;
  uint8_t r, g, b;
};

// Dark violet through red and orange to pale yellow: brightness grows
// steadily with level, so faint and loud partials both stay readable.
const Colour kColourMap[] = {
    {0.00, 0, 0, 4},      {0.15, 31, 12, 72},   {0.30, 85, 15, 109},
    {0.45, 136, 34, 106}, {0.60, 186, 54, 85},  {0.72, 227, 89, 51},
    {0.84, 249, 140, 10}, {0.93, 249, 201, 50}, {1.00, 252, 255, 164},
};

void colourFor(double level, uint8_t rgb[3]) {
  level = std::clamp(level, 0.0, 1.0);
  size_t i = 1;
  while (i + 1 < std::size(kColourMap) && kColourMap[i].at < level) ++i;
  const Colour& a = kColourMap[i - 1];
  const Colour& b = kColourMap[i];
  const double t = (level - a.at) / (b.at - a.at);
  rgb[0] = static_cast<uint8_t>(std::lround(a.r + (b.r - a.r) * t));
  rgb[1] = static_cast<uint8_t>(std::lround(a.g + (b.g - a.g) * t));
  rgb[2] = static_cast<uint8_t>(std::lround(a.b + (b.b - a.b) * t));
}

double toDb(double power) { return 10.0 * std::log10(std::max(power, 1e-20)); }

// Level of one picture row: between bins where a row is narrower than a bin,
// the loudest bin of the row where it spans several.
double rowDb(const float* power, int bins, double binHz, double lowHz, double highHz) {
  const double lo = lowHz / binHz;
  const double hi = highHz / binHz;
  if (hi - lo < 1.0) {
    const double centre = std::min((lo + hi) / 2.0, bins - 1.0);
    const int k = static_cast<int>(centre);
    const int k1 = std::min(k + 1, bins - 1);
    const double t = centre - k;
    return toDb(power[k]) * (1.0 - t) + toDb(power[k1]) * t;
  }
  const int first = std::clamp(static_cast<int>(std::ceil(lo)), 0, bins - 1);
  const int last = std::clamp(static_cast<int>(std::floor(hi)), first, bins - 1);
  float best = 0.0f;
  for (int k = first; k <= last; ++k) best = std::max(best, power[k]);
  return toDb(best);
}

double niceTimeStep(double seconds) {
  const double steps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 1800, 3600};
  for (double step : steps) {
    if (seconds / step <= 12.0) return step;
  }
  return 7200.0;
}

std::string timeLabel(double t, double step) {
  char text[32];
  if (step < 1.0) std::snprintf(text, sizeof text, "%.1f", t);
  else std::snprintf(text, sizeof text, "%.0f", t);
  return text;
}

std::string hzLabel(double hz) {
  char text[32];
  if (hz >= 1000.0) std::snprintf(text, sizeof text, "%.0fk", hz / 1000.0);
  else std::snprintf(text, sizeof text, "%.0f", hz);
  return text;
}

constexpr uint8_t kBackground[3] = {22, 22, 28};
constexpr uint8_t kInk[3] = {215, 215, 222};
constexpr uint8_t kTick[3] = {120, 120, 132};

}  // namespace

SpectrogramLayout::SpectrogramLayout(int sampleRate)
    : highestHz(std::max(kLowestHz * 2.0, std::min(20000.0, sampleRate / 2.0))) {}

double SpectrogramLayout::hzAtRow(double rowFromBottom) const {
  return kLowestHz * std::pow(highestHz / kLowestHz, rowFromBottom / kPanelHeight);
}

int SpectrogramLayout::rowForHz(int panel, double hz) const {
  const double fromBottom = kPanelHeight * std::log(hz / kLowestHz) / std::log(highestHz / kLowestHz);
  const int row = static_cast<int>(std::floor(fromBottom));
  return panelTop(panel) + kPanelHeight - 1 - std::clamp(row, 0, kPanelHeight - 1);
}

SpectrumHistory::SpectrumHistory(int sampleRate, int64_t expectedFrames, int columns)
    : sampleRate_(std::max(1, sampleRate)), fftSize_(fftSizeFor(sampleRate_)) {
  columns_ = std::max(1, columns);
  columnSpan_ = std::max(1.0, static_cast<double>(expectedFrames) / columns_);
  hop_ = static_cast<int>(std::clamp(columnSpan_, 1.0, fftSize_ / 4.0));
  window_.resize(static_cast<size_t>(fftSize_));
  for (int i = 0; i < fftSize_; ++i) window_[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * i / fftSize_));
  timeData_ = fftwf_alloc_real(static_cast<size_t>(fftSize_));
  auto* spectrum = fftwf_alloc_complex(static_cast<size_t>(bins()));
  spectrumData_ = spectrum;
  plan_ = fftwf_plan_dft_r2c_1d(fftSize_, timeData_, spectrum, FFTW_ESTIMATE);
  power_.assign(static_cast<size_t>(columns_) * bins(), 0.0f);
  counts_.assign(static_cast<size_t>(columns_), 0);
  // Frames are centred on their position: half a frame of silence leads in.
  pending_.assign(static_cast<size_t>(fftSize_ / 2), 0.0f);
  pendingStart_ = -fftSize_ / 2;
}

SpectrumHistory::~SpectrumHistory() {
  fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
  fftwf_free(spectrumData_);
  fftwf_free(timeData_);
}

void SpectrumHistory::add(const float* interleaved, int64_t frames, int channels) {
  if (finished_ || frames <= 0 || channels <= 0) return;
  const float share = 1.0f / channels;
  for (int64_t i = 0; i < frames; ++i) {
    float sum = 0.0f;
    for (int ch = 0; ch < channels; ++ch) sum += interleaved[i * channels + ch];
    pending_.push_back(sum * share);
  }
  while (nextFrameCentre_ + fftSize_ / 2 <= pendingStart_ + static_cast<int64_t>(pending_.size())) {
    analyseFrame();
  }
}

void SpectrumHistory::finish() {
  if (finished_) return;
  const int64_t end = pendingStart_ + static_cast<int64_t>(pending_.size());
  pending_.resize(pending_.size() + static_cast<size_t>(fftSize_ / 2), 0.0f);
  while (nextFrameCentre_ < end) analyseFrame();
  // A column no frame fell into takes its left neighbour's spectrum.
  for (int c = 1; c < columns_; ++c) {
    if (counts_[static_cast<size_t>(c)] == 0 && counts_[static_cast<size_t>(c - 1)] > 0) {
      std::copy_n(columnPower(c - 1), bins(), &power_[static_cast<size_t>(c) * bins()]);
      counts_[static_cast<size_t>(c)] = 1;
    }
  }
  finished_ = true;
  pending_.clear();
}

void SpectrumHistory::analyseFrame() {
  const int64_t start = nextFrameCentre_ - fftSize_ / 2;
  const size_t offset = static_cast<size_t>(start - pendingStart_);
  double windowSum = 0.0;
  for (int i = 0; i < fftSize_; ++i) {
    timeData_[i] = pending_[offset + static_cast<size_t>(i)] * window_[static_cast<size_t>(i)];
    windowSum += window_[static_cast<size_t>(i)];
  }
  fftwf_execute(static_cast<fftwf_plan>(plan_));
  const int column = std::min(columns_ - 1, static_cast<int>(nextFrameCentre_ / columnSpan_));
  auto* spectrum = static_cast<fftwf_complex*>(spectrumData_);
  // A full-scale sine peaks at windowSum / 2 in its bin.
  const double norm = 4.0 / (windowSum * windowSum);
  float* out = &power_[static_cast<size_t>(column) * bins()];
  for (int k = 0; k < bins(); ++k) {
    const double re = spectrum[k][0], im = spectrum[k][1];
    out[k] += static_cast<float>((re * re + im * im) * norm);
  }
  ++counts_[static_cast<size_t>(column)];
  nextFrameCentre_ += hop_;
  // Drop samples no later frame needs.
  const int64_t keepFrom = nextFrameCentre_ - fftSize_ / 2;
  const int64_t drop = keepFrom - pendingStart_;
  if (drop > static_cast<int64_t>(fftSize_) * 4) {
    pending_.erase(pending_.begin(), pending_.begin() + drop);
    pendingStart_ = keepFrom;
  }
}

RgbImage drawSpectrogram(const SpectrumHistory& input, const SpectrumHistory& output,
                         int sampleRate, double seconds) {
  const SpectrogramLayout layout(sampleRate);
  RgbImage image(layout.width(), layout.height());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) image.set(x, y, kBackground[0], kBackground[1], kBackground[2]);
  }
  const SpectrumHistory* panels[2] = {&input, &output};

  // Both panels share one level scale, so input and output compare directly.
  std::vector<std::vector<double>> levels(2);
  double loudest = -1e9;
  for (int p = 0; p < 2; ++p) {
    const SpectrumHistory& h = *panels[p];
    levels[p].resize(static_cast<size_t>(SpectrogramLayout::kPlotWidth) * SpectrogramLayout::kPanelHeight);
    for (int x = 0; x < SpectrogramLayout::kPlotWidth; ++x) {
      const int c = std::min(h.columns() - 1, x * h.columns() / SpectrogramLayout::kPlotWidth);
      const float* power = h.columnPower(c);
      for (int r = 0; r < SpectrogramLayout::kPanelHeight; ++r) {
        const double db = rowDb(power, h.bins(), h.binHz(), layout.hzAtRow(r), layout.hzAtRow(r + 1));
        levels[p][static_cast<size_t>(x) * SpectrogramLayout::kPanelHeight + r] = db;
        loudest = std::max(loudest, db);
      }
    }
  }
  loudest = std::max(loudest, -120.0);
  for (int p = 0; p < 2; ++p) {
    const int top = layout.panelTop(p);
    for (int x = 0; x < SpectrogramLayout::kPlotWidth; ++x) {
      for (int r = 0; r < SpectrogramLayout::kPanelHeight; ++r) {
        uint8_t rgb[3];
        const double db = levels[p][static_cast<size_t>(x) * SpectrogramLayout::kPanelHeight + r];
        colourFor(1.0 + (db - loudest) / kRangeDb, rgb);
        image.set(SpectrogramLayout::kPlotLeft + x, top + SpectrogramLayout::kPanelHeight - 1 - r, rgb[0], rgb[1], rgb[2]);
      }
    }
    const std::string title = p == 0 ? "Input" : "Output";
    drawText(image, title, SpectrogramLayout::kPlotLeft + SpectrogramLayout::kPlotWidth / 2 - textWidth(title, 2) / 2,
             top - 20, 2, kInk[0], kInk[1], kInk[2]);
    // Frequency ticks at 1-2-5 steps.
    for (double decade = 10.0; decade <= 100000.0; decade *= 10.0) {
      for (double m : {1.0, 2.0, 5.0}) {
        const double hz = decade * m;
        if (hz < SpectrogramLayout::kLowestHz || hz > layout.highestHz) continue;
        const int y = layout.rowForHz(p, hz);
        for (int x = SpectrogramLayout::kPlotLeft - 6; x < SpectrogramLayout::kPlotLeft; ++x) image.set(x, y, kTick[0], kTick[1], kTick[2]);
        const std::string label = hzLabel(hz);
        drawText(image, label, SpectrogramLayout::kPlotLeft - 9 - textWidth(label, 2), y - 7, 2, kInk[0], kInk[1], kInk[2]);
      }
    }
    drawText(image, "Hz", 8, top - 20, 2, kInk[0], kInk[1], kInk[2]);
  }

  // Time ticks under each panel, labels under the lower one.
  const double span = std::max(seconds, 1e-9);
  const double step = niceTimeStep(span);
  const int bottom = layout.panelTop(1) + SpectrogramLayout::kPanelHeight;
  for (double t = 0.0; t <= span + 1e-9; t += step) {
    const int x = SpectrogramLayout::kPlotLeft +
                  std::min(SpectrogramLayout::kPlotWidth - 1, static_cast<int>(std::lround(t / span * SpectrogramLayout::kPlotWidth)));
    for (int p = 0; p < 2; ++p) {
      const int below = layout.panelTop(p) + SpectrogramLayout::kPanelHeight;
      for (int y = below; y < below + 5; ++y) image.set(x, y, kTick[0], kTick[1], kTick[2]);
    }
    const std::string label = timeLabel(t, step);
    drawText(image, label, x - textWidth(label, 2) / 2, bottom + 9, 2, kInk[0], kInk[1], kInk[2]);
  }
  const std::string caption = "time (s)";
  drawText(image, caption, SpectrogramLayout::kPlotLeft + SpectrogramLayout::kPlotWidth / 2 - textWidth(caption, 2) / 2,
           bottom + 30, 2, kInk[0], kInk[1], kInk[2]);
  return image;
}

}  // namespace gyrelle::render
