# 64-bit Windows build: the console tool and everything the tests run under Wine.
set(VERIMARK_MINGW_TRIPLET x86_64-w64-mingw32)
# Its programs start with Wine's 64-bit loader (cmake/wine-env.sh).
set(VERIMARK_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
