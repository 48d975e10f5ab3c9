# 32-bit Windows build: the COM server's deliverable form, run under Wine (WoW64) where 32-bit x86 code runs.
set(VERIMARK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
