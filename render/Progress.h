// The progress bar on standard error while a file renders.
#pragma once

namespace gyrelle::render {

class ProgressBar {
 public:
  // Draws only when enabled and standard error is a terminal. Main thread.
  explicit ProgressBar(bool enabled);
  // Clears the bar if it was drawn. Main thread.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // fraction 0..1; redraws when the shown percentage changes. Main thread.
  void update(double fraction);
  // Removes the bar so that the next line starts clean. Main thread.
  void clear();

 private:
  bool active_;
  bool drawn_ = false;
  int shownPercent_ = -1;
};

}  // namespace gyrelle::render
