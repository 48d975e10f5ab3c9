# GoogleTest, built from Debian's sources for the Windows target, and CTest running every
# test executable under Wine through cmake/wine-run.sh.
set(VERIMARK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VERIMARK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

enable_testing()
include(GoogleTest)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env VERIMARK_BUILD_DIR=${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)

# verimark_add_test(<name> SOURCES ... LIBRARIES ... [SERIAL])
# SERIAL marks tests that touch HKLM, named mutexes or shared directories: they never
# run at the same time as each other.
function(verimark_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  if(VERIMARK_REGISTER_TESTS)
    set(props "")
    if(ARG_SERIAL)
      set(props RESOURCE_LOCK verimark_machine_state)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES ${props} TIMEOUT 120)
  endif()
endfunction()
