#include "render/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/RenderError.h"

namespace gyrelle::render {

namespace {

std::string errnoText() { return std::strerror(errno); }

}  // namespace

bool isSameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

ReplaceFile::ReplaceFile(const std::string& target) : target_(target) {
  if (target.empty()) throw RenderError("empty output file name");
  struct stat st {};
  if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    throw RenderError("cannot write '" + target + "': it is a folder");
  }
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) throw RenderError("cannot write '" + target + "': it names a folder");
  std::string pattern = (slash == std::string::npos ? "" : folder) + "." + base + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkstemp(name.data());
  if (fd_ < 0) {
    throw RenderError("cannot write into '" + folder + "': " + errnoText());
  }
  tempPath_ = name.data();
  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
}

ReplaceFile::~ReplaceFile() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !tempPath_.empty()) unlink(tempPath_.c_str());
}

void ReplaceFile::commit() {
  if (fsync(fd_) != 0 || close(fd_) != 0) {
    fd_ = -1;
    throw RenderError("cannot write '" + target_ + "': " + errnoText());
  }
  fd_ = -1;
  if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) {
    throw RenderError("cannot write '" + target_ + "': " + errnoText());
  }
  committed_ = true;
}

}  // namespace gyrelle::render
