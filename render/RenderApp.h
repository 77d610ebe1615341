// gyrelle-render as a whole: command line in, exit status out.
#pragma once

#include <string>
#include <vector>

namespace gyrelle::render {

// Runs one invocation; args excludes the program name. Every failure is one
// line on standard error and status 1; --help answers 0 as does a success.
// Main thread; owns the process's signal handlers while it runs.
int runRender(const std::vector<std::string>& args);

}  // namespace gyrelle::render
