# 32-bit Windows build: the COM server's deliverable form, run under Wine (WoW64) where 32-bit x86 code runs.
set(VERIMARK_MINGW_TRIPLET i686-w64-mingw32)
# Its programs start with Wine's 32-bit loader (cmake/wine-env.sh).
set(VERIMARK_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
