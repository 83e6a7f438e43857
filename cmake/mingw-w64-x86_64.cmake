# mingw-w64-x86_64.cmake: CMake toolchain for cross-compiling to 64-bit Windows with
# Debian's mingw-w64. The POSIX-threads variant of the compilers is used, since its C++
# library has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVO_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KELVO_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KELVO_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries come from the mingw sysroot (zlib) and from the prefix the project builds its
# third-party libraries into (KELVO_WINDOWS_PREFIX, passed on the command line).
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELVO_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${KELVO_MINGW_TRIPLET})
if(KELVO_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KELVO_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
