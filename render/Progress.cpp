#include "render/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace gyrelle::render {

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar(bool enabled) : active_(enabled && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { clear(); }

void ProgressBar::update(double fraction) {
  if (!active_) return;
  const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const int filled = percent * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '.');
  std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(), percent);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::clear() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r%*s\r", kBarWidth + 20, "");
  std::fflush(stderr);
  drawn_ = false;
  shownPercent_ = -1;
}

}  // namespace gyrelle::render
