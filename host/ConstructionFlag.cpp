// The process-wide record that an instance could not build its editor.
#include <atomic>

#include "host/PluginEntry.h"

namespace gyrelle {

namespace {
std::atomic<bool> constructionFailed{false};
}  // namespace

void markConstructionFailed() { constructionFailed.store(true); }
bool constructionHasFailed() { return constructionFailed.load(); }

}  // namespace gyrelle
