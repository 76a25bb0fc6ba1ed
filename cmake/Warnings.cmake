# Warnings as errors for our own targets only; third-party headers come in as system includes.
function(zr_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false positives from inlined standard-library code at -O2.
    target_compile_options(${target} PRIVATE -Wno-error=maybe-uninitialized -Wno-error=null-dereference
      -Wno-error=restrict -Wno-error=array-bounds -Wno-error=stringop-overflow)
  endif()
endfunction()
