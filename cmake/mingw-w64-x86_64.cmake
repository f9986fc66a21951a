# Cross-building for 64-bit Windows with Debian's mingw-w64 (packages g++-mingw-w64-x86-64-posix,
# binutils-mingw-w64-x86-64). The -posix compilers are the ones with std::thread and std::mutex.
# Programs built here run under Wine when it is installed (package wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(JF_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${JF_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${JF_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${JF_MINGW_TRIPLE}-windres)

# Libraries and headers for the target come from the mingw root alone, never from the build
# machine's /usr/include; programs (the build machine's tools) from anywhere.
set(CMAKE_FIND_ROOT_PATH /usr/${JF_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${JF_MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Debian keeps wine64 in wine's library folder, off PATH, unless the wine package is installed.
find_program(JITTERFORGE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(JITTERFORGE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${JITTERFORGE_WINE})
endif()
