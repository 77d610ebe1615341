// Matching the parameter names a user types against the names the plug-in
// reports: case does not matter, and spaces, hyphens and underscores are the
// same separator ("num-grooves" finds "Num Grooves").
#pragma once

#include <string>
#include <vector>

namespace gyrelle::render {

// Lower case, every run of separators one blank, no separators at either end.
// Main thread; pure.
std::string normaliseParameterName(const std::string& name);

// Index of the first name equal to wanted after normalising both, or -1.
// Main thread; pure.
int findParameter(const std::vector<std::string>& names, const std::string& wanted);

}  // namespace gyrelle::render
