#include "render/ParameterNames.h"

#include <cctype>

namespace gyrelle::render {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '-' || c == '_' || c == '\t'; }

}  // namespace

std::string normaliseParameterName(const std::string& name) {
  std::string out;
  bool pendingSeparator = false;
  for (char c : name) {
    if (isSeparator(c)) {
      pendingSeparator = !out.empty();
      continue;
    }
    if (pendingSeparator) out += ' ';
    pendingSeparator = false;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

int findParameter(const std::vector<std::string>& names, const std::string& wanted) {
  const std::string key = normaliseParameterName(wanted);
  if (key.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (normaliseParameterName(names[i]) == key) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace gyrelle::render
