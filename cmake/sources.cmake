# sources.cmake: the one list of the show's sources, included by every build (native,
# Windows, web) from the root CMakeLists.txt. The show itself builds unchanged in each;
# only the platform layer under it differs (platform/README.md lists what a layer supplies).

# The application code: written against platform/win32.h and platform/fsound.h only.
file(GLOB KELVO_SHOW_SOURCES CONFIGURE_DEPENDS
  app/*.cpp timeline/*.cpp demo/*.cpp scene/*.cpp gfx/*.cpp audio/*.cpp)
# The dialog templates: compiled in where the platform layer looks them up by id, from the
# resource script where Windows finds them in the executable.
file(GLOB KELVO_RESOURCE_SOURCES CONFIGURE_DEPENDS app/resources/*.cpp)
file(GLOB KELVO_RESOURCE_SCRIPTS CONFIGURE_DEPENDS app/resources/*.rc)

# What every layer that stands in for Windows shares: the message queue and its routing,
# the stock icon and cursor, and program paths over the layer's own file lookup.
set(KELVO_PLATFORM_SHARED_SOURCES
  platform/common/message_queue.cpp platform/common/window_messages.cpp
  platform/common/stock_resources.cpp platform/common/file_paths.cpp)
# File lookup on a local file system (the live and headless layers).
set(KELVO_LOCAL_FILE_LOOKUP_SOURCES platform/common/local_file_lookup.cpp)
# The sound library subset over SDL2_mixer: the mixer's tracks and devices, and the calls
# the show makes (the live and Windows builds; the headless layer records its own).
set(KELVO_MIXER_SOURCES platform/common/mixer_sound.cpp)
set(KELVO_MIXER_FSOUND_SOURCES platform/common/sound.cpp)

# The layers.
file(GLOB KELVO_PLATFORM_LIVE_SOURCES CONFIGURE_DEPENDS platform/live/*.cpp platform/live/x11/*.cpp)
list(FILTER KELVO_PLATFORM_LIVE_SOURCES EXCLUDE REGEX "/main\\.cpp$")
set(KELVO_PLATFORM_LIVE_MAIN platform/live/main.cpp)
file(GLOB KELVO_PLATFORM_HEADLESS_SOURCES CONFIGURE_DEPENDS platform/headless/*.cpp)
file(GLOB KELVO_PLATFORM_WEB_SOURCES CONFIGURE_DEPENDS platform/web/*.cpp)
file(GLOB KELVO_PLATFORM_WINDOWS_SOURCES CONFIGURE_DEPENDS platform/windows/*.cpp)
