# Cross-building for 64-bit Windows with Debian's MinGW-w64 (POSIX threads variant). The libraries
# come from the private prefix named by QUASARINE_WINDOWS_PREFIX, found through its pkg-config files.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Try-compile projects read this file again; the prefix has to travel with them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUASARINE_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QUASARINE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian has no pkg-config wrapper for MinGW: point the host's pkg-config at the prefix alone.
set(ENV{PKG_CONFIG_LIBDIR} ${QUASARINE_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
