# GoogleTest, built from Debian's sources for the Windows target, and CTest running every
# test executable under Wine through cmake/wine-run.sh.
set(VERIMARK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VERIMARK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
enable_testing()

# How much slower than natively real time passes for this tree's tests (the emulated ones
# set it): every real-time limit of a test, and CTest's timeout of each, is multiplied by it.
set(VERIMARK_TIME_SCALE 1 CACHE STRING "Factor of the tests' real-time limits")
if(NOT VERIMARK_TIME_SCALE MATCHES "^[1-9][0-9]?$")
  message(FATAL_ERROR "VERIMARK_TIME_SCALE is a whole number from 1 to 99, not '${VERIMARK_TIME_SCALE}'")
endif()
# The Wine loader and the time scale reach the test programs in the emulator's environment.
set(test_environment VERIMARK_BUILD_DIR=${CMAKE_BINARY_DIR} VERIMARK_WINE_LOADER=${VERIMARK_WINE_LOADER}
                     VERIMARK_TIME_SCALE=${VERIMARK_TIME_SCALE})
set(VERIMARK_I686_ROOT "" CACHE PATH "The root whose Wine runs the 32-bit tests (scripts/x86-32-root.sh)")
if(VERIMARK_MINGW_TRIPLET MATCHES "^aarch64")
  # ARM64 programs, the shipped ones as they are, run under the arm64 Wine of a chroot
  # (scripts/arm64-wine.sh).
  set(VERIMARK_ARM64_CHROOT "$ENV{VERIMARK_ARM64_CHROOT}" CACHE PATH "The arm64 chroot with Wine")
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${test_environment} VERIMARK_ARM64_CHROOT=${VERIMARK_ARM64_CHROOT}
      ${CMAKE_SOURCE_DIR}/cmake/wine-run-arm64.sh)
elseif(VERIMARK_MINGW_TRIPLET MATCHES "^i686" AND VERIMARK_I686_ROOT)
  # 32-bit programs run under the Wine of a root of their own (scripts/x86-32-root.sh),
  # whose i386 and amd64 packages always match.
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${test_environment} VERIMARK_CHROOT=${VERIMARK_I686_ROOT}
      ${CMAKE_SOURCE_DIR}/cmake/wine-run-chroot.sh)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${test_environment} ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
endif()

# verimark_add_test(<name> SOURCES ... LIBRARIES ... [SERIAL])
# One CTest test per program, all its cases in one process: a Wine start per program, not
# per case. SERIAL marks the programs that touch HKLM, named mutexes or shared directories:
# each is split by GoogleTest's sharding into one shard per lane, shard i running in lane
# i, a Wine prefix and server of its own (cmake/wine-env.sh). So two lanes never share
# machine state, and within a lane such tests run one at a time.
# Each run writes its cases' results to test-results/<test>.json (scripts/test.sh counts them).
set(VERIMARK_TEST_LANES 2)
function(verimark_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest_main)
  # Five times an idle machine's longest program (about 150 s) and more: a loaded one finishes.
  math(EXPR timeout "900 * ${VERIMARK_TIME_SCALE}")
  set(results Z:${CMAKE_BINARY_DIR}/test-results)
  if(NOT ARG_SERIAL)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "GTEST_OUTPUT=json:${results}/${name}.json")
    return()
  endif()
  foreach(lane RANGE 1 ${VERIMARK_TEST_LANES})
    math(EXPR shard "${lane} - 1")
    add_test(NAME ${name}.lane${lane} COMMAND ${name})
    set_tests_properties(${name}.lane${lane} PROPERTIES TIMEOUT ${timeout} RESOURCE_LOCK verimark_lane${lane}
      ENVIRONMENT "VERIMARK_LANE=${lane};GTEST_TOTAL_SHARDS=${VERIMARK_TEST_LANES};GTEST_SHARD_INDEX=${shard};GTEST_OUTPUT=json:${results}/${name}.lane${lane}.json")
  endforeach()
endfunction()
