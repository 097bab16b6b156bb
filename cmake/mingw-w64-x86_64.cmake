# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model: the win32
# model of GCC 12 has no std::mutex or std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLYPHMILL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GLYPHMILL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLYPHMILL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${GLYPHMILL_MINGW_PREFIX}-windres)

# find_package looks only below these roots; every CMAKE_PREFIX_PATH entry (Qt, GoogleTest)
# must be one of them too, or it is ignored.
set(CMAKE_FIND_ROOT_PATH /usr/${GLYPHMILL_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without -static the programs need libgcc, libstdc++ and winpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Build-time generators and CTest run the Windows programs under Wine.
if(EXISTS /usr/lib/wine/wine64)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
