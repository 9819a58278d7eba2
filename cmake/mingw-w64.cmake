# mingw-w64.cmake -- cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads variant);
# libraries and pkg-config files come only from the dependency prefix that scripts/windows.sh builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

# BEARINGS_WINDOWS_DEPS: the prefix holding the cross-built SDL, SDL_mixer, vorbis, ogg, libpng, zlib.
set(BEARINGS_WINDOWS_DEPS "" CACHE PATH "prefix of the cross-built dependencies")
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} ${BEARINGS_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see the cross-built libraries and none of the host's.
set(ENV{PKG_CONFIG_LIBDIR} ${BEARINGS_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
