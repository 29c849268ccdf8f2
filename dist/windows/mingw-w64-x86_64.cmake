# CMake toolchain for 64-bit Windows with Debian's MinGW-w64 cross compilers
# (g++-mingw-w64-x86-64-posix). Give the static Qt built for them with
# -DCMAKE_PREFIX_PATH; tools/build-windows.sh does all of it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ATLUME_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ATLUME_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ATLUME_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ATLUME_MINGW}-windres)

# Libraries and headers come from the MinGW tree and the given prefixes, never
# from the build machine; its programs (Qt's moc, uic, rcc) run here.
set(CMAKE_FIND_ROOT_PATH /usr/${ATLUME_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The C++ runtime, libgcc and winpthread go into each executable, so that it
# needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
