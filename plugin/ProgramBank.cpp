#include "plugin/ProgramBank.h"

#include <cstdio>
#include <cstring>

#include "engine/ParameterTable.h"

namespace gyrelle {

namespace {
constexpr char kDefaultName[] = "Init";
}

ProgramBank::ProgramBank() {
  for (Program& program : programs) {
    for (int32_t i = 0; i < kNumParams; ++i) program.values[i].store(parameterInfo(i)->defaultValue);
    std::memcpy(program.name, kDefaultName, sizeof kDefaultName);
  }
}

void ProgramBank::rename(int32_t program, const char* text) {
  std::lock_guard<std::mutex> guard(nameLock);
  char* name = programs[program].name;
  size_t length = strnlen(text, kNameBytes - 1);
  std::memcpy(name, text, length);
  name[length] = '\0';
}

void ProgramBank::copyName(int32_t program, char* text) const {
  std::lock_guard<std::mutex> guard(nameLock);
  const char* name = programs[program].name;
  if (std::strcmp(name, kDefaultName) == 0) {
    std::snprintf(text, kNameBytes, "%s %d", kDefaultName, program + 1);
  } else {
    std::memcpy(text, name, std::strlen(name) + 1);
  }
}

}  // namespace gyrelle
