# Our own code builds with warnings as errors; third-party headers are system includes.
function(gyrelle_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A static library of ours that ends up inside the plug-in.
function(gyrelle_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  gyrelle_warnings(${target})
endfunction()
