# Windows on ARM64: clang with libc++, from the toolchain scripts/arm64-toolchain.sh builds
# out of Debian's archive (its directory in VERIMARK_ARM64_TOOLCHAIN).
set(VERIMARK_MINGW_TRIPLET aarch64-w64-mingw32)
# Its programs start with Wine's 64-bit loader (cmake/wine-env.sh).
set(VERIMARK_WINE_LOADER wine64)
if(NOT VERIMARK_ARM64_TOOLCHAIN)
  set(VERIMARK_ARM64_TOOLCHAIN "$ENV{VERIMARK_ARM64_TOOLCHAIN}")
endif()
if(NOT EXISTS "${VERIMARK_ARM64_TOOLCHAIN}/bin/aarch64-w64-mingw32-clang++")
  message(FATAL_ERROR "No ARM64 toolchain at '${VERIMARK_ARM64_TOOLCHAIN}': scripts/setup.sh builds it")
endif()
set(VERIMARK_ARM64_TOOLCHAIN "${VERIMARK_ARM64_TOOLCHAIN}" CACHE PATH "The ARM64 MinGW toolchain")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VERIMARK_ARM64_TOOLCHAIN)

set(VERIMARK_MINGW_TOOLS ${VERIMARK_ARM64_TOOLCHAIN})
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
