// The load address of this library, recorded when it is loaded. The panel
// toolkit names its window class after it.
#pragma once

#include <cstdint>

namespace gyrelle {

// 0 until the library's load-time constructor has run (or in programs that
// link the code statically, where it is the executable's base address).
uintptr_t moduleInstance();

}  // namespace gyrelle
