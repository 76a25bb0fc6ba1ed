# Warnings as errors for our own targets only; third-party headers come in as system includes.
function(zr_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC checks null dereferences and uninitialised reads only after inlining, so it reports them
    # inside third-party and standard-library code (Asio's scheduler, std::optional), where the
    # system-header exemption no longer applies; clang checks null dereferences soundly.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized
      -Wno-error=restrict -Wno-error=array-bounds -Wno-error=stringop-overflow)
  else()
    target_compile_options(${target} PRIVATE -Wnull-dereference)
  endif()
endfunction()
