// A text buffer as a host hands it over, with guard bytes behind it: the
// plug-in may write a terminated text of at most `limit` characters into the
// first limit + 1 bytes and must leave every byte after them untouched.
#pragma once

#include <cstddef>
#include <cstring>

#include "tests/fuzz/FuzzFailure.h"

namespace gyrelle::fuzz {

class GuardedText {
 public:
  static constexpr size_t kCapacity = 512;
  static constexpr size_t kGuard = 64;

  // A fresh buffer for a text of at most `limit` characters: empty, with
  // garbage after the terminator so that a text written without one shows.
  explicit GuardedText(size_t limit) : limit_(limit) {
    std::memset(bytes, kFill, sizeof bytes);
    bytes[0] = '\0';
  }

  char* data() { return bytes; }

  // Answers the text's length after the checks.
  size_t check(const char* what) const {
    for (size_t i = limit_ + 1; i < limit_ + 1 + kGuard; ++i) {
      if (bytes[i] != kFill) fail(what, static_cast<double>(i));
    }
    const size_t length = strnlen(bytes, limit_ + 1);
    if (length > limit_) fail(what, static_cast<double>(length));
    return length;
  }

 private:
  static constexpr char kFill = 0x7f;
  size_t limit_;
  char bytes[kCapacity + kGuard];
};

}  // namespace gyrelle::fuzz
