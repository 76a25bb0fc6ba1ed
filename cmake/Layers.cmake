# One static library per layer. Sources are every .cpp below the layer's folder, so a new
# file needs no CMake edit. Headers are included by their path from the repository root
# ("platform/foundation/RunLoop.h", "src/http/HTTPRequest.h"); scripts/check-layering, run as
# the `layering` test, checks that no layer includes from a layer above it.
function(zr_layer name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
  else()
    add_library(${name} INTERFACE)
  endif()
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    zr_warnings(${name})
  endif()
endfunction()

function(zr_layer_link name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    # A layer without sources yet passes on only its public dependencies.
    set(keyword PUBLIC)
    foreach(item ${ARGN})
      if(item MATCHES "^(PUBLIC|PRIVATE|INTERFACE)$")
        set(keyword ${item})
      elseif(NOT keyword STREQUAL "PRIVATE")
        target_link_libraries(${name} INTERFACE ${item})
      endif()
    endforeach()
  else()
    target_link_libraries(${name} ${ARGN})
  endif()
endfunction()

# A GoogleTest program made of every .cpp in the given test folder.
function(zr_test_suite name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  zr_warnings(${name})
  zr_allow_exit_time_destructors(${name})
  # Test files share most of their headers: compiling a few of them as one unit parses those
  # headers once instead of once a file, which roughly halves the suites' build time.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
  target_link_libraries(${name} PRIVATE ${ARGN} zr_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  # Views under test load the pictures and sounds made at build time.
  if(TARGET zr_pictures)
    add_dependencies(${name} zr_pictures)
  endif()
  if(TARGET zr_sounds)
    add_dependencies(${name} zr_sounds)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
