# 32-bit Windows build: the COM server's deliverable form. Built and inspected, never run here.
set(VERIMARK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
