// The texts of the help and about pages.
#pragma once

#include <cstdint>

namespace gyrelle {

// The help lines, ending with an "EOF" entry that is not a line.
extern const char* const kHelpLines[];
// The lines before "EOF".
int32_t countHelpLines();

extern const char* const kHelpTitle;
extern const char* const kAboutTitle;
constexpr int32_t kAboutLineCount = 6;
extern const char* const kAboutLines[kAboutLineCount];
extern const char* const kMakerLogoText;

}  // namespace gyrelle
