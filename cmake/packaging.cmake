# packaging.cmake: where `cmake --install` puts the show, Debian's layout for games, and the
# .deb that CPack makes of it (scripts/package_deb.sh builds the target kelvo_package_files
# and the data folder first, then runs cpack).
#
#   /usr/games/kelvo-remix[-capture]         launchers (packaging/)
#   /usr/lib/games/kelvo-remix/              kelvo, kelvo-capture
#   /usr/share/games/kelvo-remix/data/       the generated data folder
#   /usr/share/applications/, icons/hicolor/, man/man6/, doc/kelvo-remix/

set(KELVO_PACKAGE kelvo-remix)
set(KELVO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# Files made at build time from the sources: icons, compressed man pages and changelog.
set(KELVO_PACKAGE_FILES_DIR ${CMAKE_BINARY_DIR}/package-files)
set(KELVO_DATA_DIR ${CMAKE_BINARY_DIR}/data CACHE PATH "The data folder to install (scripts/make_data.sh writes it)")
set(KELVO_PACKAGE_MAINTAINER "Kelvo Remix maintainers <maintainers@kelvo-remix.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(KELVO_COMPRESSED_DOCS
  man/kelvo-remix.6 man/kelvo-remix-capture.6 changelog.Debian)
set(KELVO_PACKAGE_OUTPUTS)
foreach(doc ${KELVO_COMPRESSED_DOCS})
  get_filename_component(doc_name ${doc} NAME)
  set(compressed ${KELVO_PACKAGE_FILES_DIR}/${doc_name}.gz)
  # -n leaves out the file's name and time, so the result depends on its contents only.
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVO_PACKAGE_FILES_DIR}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${KELVO_PACKAGING_DIR}/${doc} ${compressed}
    DEPENDS ${KELVO_PACKAGING_DIR}/${doc} VERBATIM)
  list(APPEND KELVO_PACKAGE_OUTPUTS ${compressed})
endforeach()
set(icon_stamp ${KELVO_PACKAGE_FILES_DIR}/icons.stamp)
add_custom_command(OUTPUT ${icon_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KELVO_PACKAGE_FILES_DIR}/icons
  COMMAND kelvo-assets --icons ${KELVO_PACKAGE_FILES_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E touch ${icon_stamp}
  DEPENDS kelvo-assets VERBATIM)
list(APPEND KELVO_PACKAGE_OUTPUTS ${icon_stamp})
add_custom_target(kelvo_package_files DEPENDS ${KELVO_PACKAGE_OUTPUTS})

install(TARGETS kelvo kelvo-capture RUNTIME DESTINATION lib/games/${KELVO_PACKAGE})
install(PROGRAMS ${KELVO_PACKAGING_DIR}/kelvo-remix ${KELVO_PACKAGING_DIR}/kelvo-remix-capture
  DESTINATION games)
install(DIRECTORY ${KELVO_DATA_DIR} DESTINATION share/games/${KELVO_PACKAGE})
install(FILES ${KELVO_PACKAGING_DIR}/kelvo-remix.desktop DESTINATION share/applications)
install(DIRECTORY ${KELVO_PACKAGE_FILES_DIR}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${KELVO_PACKAGE_FILES_DIR}/kelvo-remix.6.gz ${KELVO_PACKAGE_FILES_DIR}/kelvo-remix-capture.6.gz
  DESTINATION share/man/man6)
install(FILES ${KELVO_PACKAGING_DIR}/copyright ${KELVO_PACKAGE_FILES_DIR}/changelog.Debian.gz
  DESTINATION share/doc/${KELVO_PACKAGE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KELVO_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KELVO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories as Debian expects them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first Debian revision of this version: the package carries a changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KELVO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "")
# Depends comes from dpkg-shlibdeps, from the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# kelvo-remix-capture --video runs ffmpeg, which no library link names.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D demo with music")
set(CPACK_PACKAGE_DESCRIPTION
"Kelvo Remix plays a three and a half minute show in a 640 x 480 OpenGL
window or full screen: thirteen animated 3D scenes, pictures flashed on the
beat and an MP3 soundtrack. Escape ends it early.
.
The package also holds kelvo-remix-capture, which renders the show offscreen
with a virtual clock and writes its frames as PNG files, its soundtrack as a
WAV file or both as a video, on machines without a display or sound card.")
include(CPack)
