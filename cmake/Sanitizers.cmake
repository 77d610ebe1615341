# GYRELLE_SANITIZE: "address" (AddressSanitizer + UndefinedBehaviorSanitizer), "thread", or empty.
set(GYRELLE_SANITIZE "" CACHE STRING "Sanitizer build: address, thread or empty")
if(GYRELLE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(GYRELLE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT GYRELLE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "Unknown GYRELLE_SANITIZE value '${GYRELLE_SANITIZE}'")
endif()

# GYRELLE_FUZZ: the libFuzzer build (clang only). Everything, the plug-ins
# included, is instrumented for coverage and built with AddressSanitizer and
# UndefinedBehaviorSanitizer; only the fuzz targets link libFuzzer itself.
option(GYRELLE_FUZZ "Build the libFuzzer targets and instrument the plug-ins for them (clang)" OFF)
if(GYRELLE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "GYRELLE_FUZZ needs clang (CC=clang-14 CXX=clang++-14)")
  endif()
  if(NOT GYRELLE_SANITIZE STREQUAL "")
    message(FATAL_ERROR "GYRELLE_FUZZ brings its own sanitizers; leave GYRELLE_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
