// Ctrl-C and termination requests: noted by a signal handler, acted on by
// the render loop, so that temporary files are removed on the way out.
#pragma once

namespace gyrelle::render {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP. Main thread, once.
void watchForInterruption();

// True once one of those signals arrived. Any thread; reads one atomic flag.
bool interruptionRequested();

}  // namespace gyrelle::render
