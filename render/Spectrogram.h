// The --spectrogram picture: input above output, time across, frequency up
// on a logarithmic scale, so that pitch glides show as slanted lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/RgbImage.h"

namespace gyrelle::render {

// Where things sit in the picture; the tests locate frequencies with it.
// Any thread; pure arithmetic on constants.
struct SpectrogramLayout {
  static constexpr int kPlotLeft = 64;
  static constexpr int kPlotWidth = 1000;  // one analysis column a pixel
  static constexpr int kRightMargin = 24;
  static constexpr int kTopMargin = 30;
  static constexpr int kPanelHeight = 330;
  static constexpr int kPanelGap = 44;
  static constexpr int kBottomMargin = 52;
  static constexpr double kLowestHz = 40.0;

  explicit SpectrogramLayout(int sampleRate);
  int width() const { return kPlotLeft + kPlotWidth + kRightMargin; }
  int height() const { return kTopMargin + 2 * kPanelHeight + kPanelGap + kBottomMargin; }
  // Top row of panel 0 (input) or 1 (output).
  int panelTop(int panel) const { return kTopMargin + panel * (kPanelHeight + kPanelGap); }
  // The picture row showing hz in a panel. Main thread; pure.
  int rowForHz(int panel, double hz) const;
  // The frequency at the bottom edge of row r (0 = bottom) of a panel.
  double hzAtRow(double rowFromBottom) const;

  double highestHz;
};

// Short-time power spectra of one signal, gathered while it streams past and
// averaged into a fixed number of columns across its expected length.
class SpectrumHistory {
 public:
  // Main thread; plans the transform.
  SpectrumHistory(int sampleRate, int64_t expectedFrames, int columns);
  ~SpectrumHistory();
  SpectrumHistory(const SpectrumHistory&) = delete;
  SpectrumHistory& operator=(const SpectrumHistory&) = delete;

  // Takes interleaved frames (their channels are averaged). Main thread.
  void add(const float* interleaved, int64_t frames, int channels);
  // Analyses what is still pending; call once after the last add. Main thread.
  void finish();

  // Shape of the history. Main thread; read only.
  int columns() const { return columns_; }
  int bins() const { return fftSize_ / 2 + 1; }
  double binHz() const { return static_cast<double>(sampleRate_) / fftSize_; }
  // Mean power per bin of column c, 1.0 for a full-scale sine. Main thread.
  const float* columnPower(int c) const { return &power_[static_cast<size_t>(c) * bins()]; }

 private:
  void analyseFrame();

  int sampleRate_;
  int fftSize_;
  int hop_;
  int columns_;
  double columnSpan_;  // frames per column
  std::vector<float> window_;
  float* timeData_ = nullptr;
  void* spectrumData_ = nullptr;
  void* plan_ = nullptr;
  std::vector<float> pending_;  // mono samples from pendingStart_ on
  int64_t pendingStart_;        // absolute position of pending_[0]
  int64_t nextFrameCentre_ = 0;
  std::vector<float> power_;
  std::vector<int> counts_;
  bool finished_ = false;
};

// Paints both histories with axis labels in seconds and hertz. seconds is the
// length of the signals. Main thread.
RgbImage drawSpectrogram(const SpectrumHistory& input, const SpectrumHistory& output,
                         int sampleRate, double seconds);

}  // namespace gyrelle::render
