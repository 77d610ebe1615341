// The one kind of failure the renderer reports: a single line for standard
// error, thrown wherever the problem is found and caught by the program's main.
#pragma once

#include <stdexcept>
#include <string>

namespace gyrelle::render {

class RenderError : public std::runtime_error {
 public:
  explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace gyrelle::render
