set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VERIMARK_MINGW_TRIPLET})

# The -posix variants: the win32 thread model lacks std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VERIMARK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VERIMARK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VERIMARK_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VERIMARK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A static runtime: the binaries then import nothing but system DLLs. Without it a missing
# libwinpthread-1.dll ends a program with status 53 and no message.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
