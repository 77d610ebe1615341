// For programs of ours that build the effect in-process (the panel tool, the
// editor tests): the process-wide construction flag that the plug-in's entry
// point otherwise provides. The entry point itself cannot be linked into a
// program, because it also defines `main`.
#include <atomic>

#include "host/PluginEntry.h"

namespace gyrelle {

namespace {
std::atomic<bool> constructionFailed{false};
}  // namespace

void markConstructionFailed() { constructionFailed.store(true); }
bool constructionHasFailed() { return constructionFailed.load(); }

}  // namespace gyrelle
