# web_build.cmake: kelvo.js and kelvo.wasm for web browsers, included by the root
# CMakeLists.txt when configured with emcmake (scripts/build_web.sh).
#
# The application code builds unchanged; platform/web provides the Win32 and sound calls
# over the page (platform/web/kelvo_web.js, platform/web/page/) and OpenGL 1.1 as a CPU
# vertex pipeline drawing through WebGL 2. zlib, libpng and lib3ds come from the prefix
# that build_web.sh fills.

set(KELVO_WEB_PREFIX "" CACHE PATH "Where build_web.sh installed zlib, libpng and lib3ds")
# Named directly: the emscripten toolchain confines library searches to its own sysroot.
foreach(library 3ds png z)
  set(path ${KELVO_WEB_PREFIX}/lib/lib${library}.a)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "${path} is missing: run scripts/build_web.sh --libraries-only")
  endif()
  list(APPEND KELVO_WEB_LIBRARIES ${path})
endforeach()

add_executable(kelvo ${KELVO_SHOW_SOURCES} ${KELVO_RESOURCE_SOURCES}
  ${KELVO_PLATFORM_WEB_SOURCES} ${KELVO_PLATFORM_SHARED_SOURCES})
target_include_directories(kelvo PRIVATE ${CMAKE_SOURCE_DIR} ${KELVO_WEB_PREFIX}/include)
target_link_libraries(kelvo PRIVATE ${KELVO_WEB_LIBRARIES})

# The calls of kelvo_web.js that suspend the program until the page answers.
set(KELVO_WEB_WAITING_CALLS
  kelvo_web_wait_frame kelvo_web_yield kelvo_web_stay kelvo_web_fetch kelvo_web_dialog_wait
  kelvo_web_message_box kelvo_web_audio_begin kelvo_web_audio_settle)
list(JOIN KELVO_WEB_WAITING_CALLS "," KELVO_WEB_WAITING_LIST)
# Functions that never reach a waiting call, although Asyncify's analysis cannot tell: it
# assumes any call through a pointer might wait. operator new's is the new-handler, and
# the decoders' are their memory, file and error callbacks. Left instrumented, operator
# new drags every function that allocates into the instrumentation, the whole per-vertex
# pipeline included, and the decoders make up a quarter of the module; both slow the
# frames while a browser is still compiling the module (for seconds in WebKit).
set(KELVO_WEB_NEVER_WAITING "operator*new*" "png_*" "lib3ds_*" "inflate*")
list(JOIN KELVO_WEB_NEVER_WAITING "," KELVO_WEB_NEVER_WAITING_LIST)
set(KELVO_WEB_LIBRARY ${CMAKE_SOURCE_DIR}/platform/web/kelvo_web.js)
target_link_options(kelvo PRIVATE
  -sASYNCIFY=1 "-sASYNCIFY_IMPORTS=[${KELVO_WEB_WAITING_LIST}]"
  "-sASYNCIFY_REMOVE=[${KELVO_WEB_NEVER_WAITING_LIST}]"
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sENVIRONMENT=web
  -sFORCE_FILESYSTEM=1 --js-library ${KELVO_WEB_LIBRARY})
set_target_properties(kelvo PROPERTIES SUFFIX ".js" LINK_DEPENDS ${KELVO_WEB_LIBRARY})
