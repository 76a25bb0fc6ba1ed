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
    # A static with a destructor runs it at exit, beside the threads that outlive main (the network
    # thread, the workers): statics are held in a NoDestructor or are trivially destructible, and
    # an exception says why (platform/foundation/ExitTimeDestructor.h).
    target_compile_options(${target} PRIVATE -Wnull-dereference -Wexit-time-destructors)
  endif()
endfunction()

# Test and benchmark programs keep tables and test state in ordinary statics, used by threads that
# their tests end before exit; the exit tests, which leave threads running, hold what those threads
# use in a NoDestructor.
function(zr_allow_exit_time_destructors target)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-exit-time-destructors)
  endif()
endfunction()
