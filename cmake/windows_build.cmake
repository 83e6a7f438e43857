# windows_build.cmake: kelvo.exe for 64-bit Windows, included by the root CMakeLists.txt
# when cross-compiling with cmake/mingw-w64-x86_64.cmake (scripts/build_windows.sh).
#
# The application code builds unchanged against the real <windows.h>, OpenGL and GLU; the
# settings dialog comes from the resource script; only the sound library layer (SDL2_mixer)
# and the file paths are ours. Everything links statically, so kelvo.exe needs no DLL
# that Windows does not ship.

find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
# Static archives by name: the mingw sysroot also holds import libraries (libz.dll.a).
find_library(KELVO_WIN_PNG_LIBRARY NAMES libpng16.a REQUIRED)
find_library(KELVO_WIN_ZLIB_LIBRARY NAMES libz.a REQUIRED)
find_library(KELVO_WIN_3DS_LIBRARY NAMES lib3ds.a REQUIRED)
find_path(KELVO_WIN_PNG_INCLUDE_DIR png.h REQUIRED)
find_path(KELVO_WIN_3DS_INCLUDE_DIR lib3ds/file.h REQUIRED)

# Windows finds the dialog templates in the executable's resources. Our part of the
# platform: the file paths, and sound through SDL2_mixer as on Linux.
add_executable(kelvo WIN32 ${KELVO_SHOW_SOURCES} ${KELVO_RESOURCE_SCRIPTS}
  ${KELVO_PLATFORM_WINDOWS_SOURCES} ${KELVO_MIXER_SOURCES} ${KELVO_MIXER_FSOUND_SOURCES})
target_include_directories(kelvo PRIVATE ${CMAKE_SOURCE_DIR}
  ${KELVO_WIN_PNG_INCLUDE_DIR} ${KELVO_WIN_3DS_INCLUDE_DIR})
# The whole <windows.h> (timeGetTime is in its multimedia part); no min/max macros.
target_compile_definitions(kelvo PRIVATE NOMINMAX SDL_MAIN_HANDLED)
target_link_libraries(kelvo PRIVATE
  SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static
  ${KELVO_WIN_3DS_LIBRARY} ${KELVO_WIN_PNG_LIBRARY} ${KELVO_WIN_ZLIB_LIBRARY}
  glu32 opengl32 winmm gdi32 user32)
target_link_options(kelvo PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
