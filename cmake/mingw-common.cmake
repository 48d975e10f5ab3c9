set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VERIMARK_MINGW_TRIPLET})

# The toolchain files name the triplet, and where it is not Debian's MinGW GCC, its
# compilers and sysroot. Debian's GCC: the -posix variants, since the win32 thread model
# lacks std::mutex, which GoogleTest needs.
if(NOT VERIMARK_MINGW_TOOLS)
  set(CMAKE_C_COMPILER ${VERIMARK_MINGW_TRIPLET}-gcc-posix)
  set(CMAKE_CXX_COMPILER ${VERIMARK_MINGW_TRIPLET}-g++-posix)
  set(CMAKE_RC_COMPILER ${VERIMARK_MINGW_TRIPLET}-windres)
  set(CMAKE_FIND_ROOT_PATH /usr/${VERIMARK_MINGW_TRIPLET})
else()
  set(CMAKE_C_COMPILER ${VERIMARK_MINGW_TOOLS}/bin/${VERIMARK_MINGW_TRIPLET}-clang)
  set(CMAKE_CXX_COMPILER ${VERIMARK_MINGW_TOOLS}/bin/${VERIMARK_MINGW_TRIPLET}-clang++)
  set(CMAKE_RC_COMPILER ${VERIMARK_MINGW_TOOLS}/bin/${VERIMARK_MINGW_TRIPLET}-windres)
  set(CMAKE_AR ${VERIMARK_MINGW_TOOLS}/bin/${VERIMARK_MINGW_TRIPLET}-ar)
  set(CMAKE_RANLIB ${VERIMARK_MINGW_TOOLS}/bin/${VERIMARK_MINGW_TRIPLET}-ranlib)
  set(CMAKE_FIND_ROOT_PATH ${VERIMARK_MINGW_TOOLS}/${VERIMARK_MINGW_TRIPLET})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A static runtime: the binaries then import nothing but system DLLs. Without it a missing
# libwinpthread-1.dll ends a program with status 53 and no message.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
