# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread model, whose C++
# runtime has std::thread and std::mutex). OSKE_WIN_SYSROOT is where build-deps.sh put SDL2 and
# libopenmpt; the compilers' own Windows headers and libraries are found as usual.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OSKE_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OSKE_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OSKE_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${OSKE_MINGW_HOST}-windres)

if(NOT OSKE_WIN_SYSROOT)
  set(OSKE_WIN_SYSROOT ${CMAKE_BINARY_DIR}/deps/sysroot CACHE PATH "Cross-built SDL2 and libopenmpt")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSKE_WIN_SYSROOT)
set(CMAKE_FIND_ROOT_PATH /usr/${OSKE_MINGW_HOST} ${OSKE_WIN_SYSROOT})
# Only the sysroot's .pc files, never the Linux ones.
set(ENV{PKG_CONFIG_LIBDIR} ${OSKE_WIN_SYSROOT}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
