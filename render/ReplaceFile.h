// Writing a file so that it appears complete or not at all: everything goes
// into a temporary file beside the target, renamed over it only on success.
#pragma once

#include <string>

namespace gyrelle::render {

class ReplaceFile {
 public:
  // Creates the temporary file in the target's folder. Throws RenderError
  // when the target is a folder or the folder is not writable. Main thread.
  explicit ReplaceFile(const std::string& target);
  // Removes the temporary file unless commit() succeeded. Main thread.
  ~ReplaceFile();
  ReplaceFile(const ReplaceFile&) = delete;
  ReplaceFile& operator=(const ReplaceFile&) = delete;

  // The open temporary file; the caller writes through it but must not close
  // it. Main thread.
  int descriptor() const { return fd_; }
  const std::string& temporaryPath() const { return tempPath_; }

  // Flushes, closes and renames the temporary file onto the target. Throws
  // RenderError when that fails (the target is then left as it was). Main thread.
  void commit();

 private:
  std::string target_;
  std::string tempPath_;
  int fd_ = -1;
  bool committed_ = false;
};

// True when both paths name one existing file (links included). Main thread.
bool isSameFile(const std::string& a, const std::string& b);

}  // namespace gyrelle::render
