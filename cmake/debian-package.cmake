# keylume-sim as a Linux program: what `cmake --install` puts under a prefix, and the Debian
# package made from it (CPack, DEB generator): keylume-sim_<version>_<architecture>.deb.
#
# Installed: the program in bin; the component, the host's shared library, the Win32 platform
# layer and the LCD Manager stand-in in the program's own module folder (lib/keylume), off the
# system's library path; the manual page; the README, the licence and the changelog in
# share/doc/keylume-sim; the desktop entry and its icons. Nothing else: tests, benchmarks and static libraries stay in the build
# tree.

set(doc_folder ${CMAKE_INSTALL_DATAROOTDIR}/doc/keylume-sim)

# The changelog's latest entry is the version being packed.
file(STRINGS ${CMAKE_SOURCE_DIR}/docs/changelog latest_entry LIMIT_COUNT 1)
if(NOT latest_entry MATCHES "^keylume-sim \\(${KEYLUME_VERSION_TEXT}\\) ")
  message(FATAL_ERROR "docs/changelog: the latest entry must be for version ${KEYLUME_VERSION_TEXT}, "
                      "not '${latest_entry}'")
endif()

# The manual page names the module folder as installed by the package (prefix /usr).
cmake_path(ABSOLUTE_PATH KEYLUME_MODULE_INSTALL_DIR BASE_DIRECTORY /usr NORMALIZE
           OUTPUT_VARIABLE KEYLUME_PACKAGE_MODULE_FOLDER)
set(manual_page ${CMAKE_BINARY_DIR}/docs/keylume-sim.1)
configure_file(${CMAKE_SOURCE_DIR}/docs/keylume-sim.1.in ${manual_page} @ONLY)

# The copyright file in Debian's machine-readable format: the project's MIT licence (Expat in
# Debian's names) for every file, its notice and terms taken from LICENSE.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n+(Permission is hereby granted.*)$")
  message(FATAL_ERROR "LICENSE: no 'Copyright (c) ...' line followed by the MIT licence's terms")
endif()
set(copyright_notice "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" licence_terms)
# In a field, each line is indented by one space, and an empty line is written as " .".
string(REPLACE "\n\n" "\n.\n" licence_terms "${licence_terms}")
string(REPLACE "\n" "\n " licence_terms "${licence_terms}")
set(copyright_file ${CMAKE_BINARY_DIR}/docs/copyright)
file(CONFIGURE OUTPUT ${copyright_file} @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Keylume
Source: the Keylume source tree this package is built from, which has no public location yet

Files: *
Copyright: @copyright_notice@
License: Expat
 @licence_terms@
")

# Debian's documents are compressed with gzip -9n (no name, no time: the same bytes every build).
set(compressed_documents)
foreach(document ${manual_page} ${CMAKE_SOURCE_DIR}/docs/changelog ${CMAKE_SOURCE_DIR}/README.md)
  get_filename_component(name ${document} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/docs/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND gzip -9n --stdout ${document} > ${compressed}
                     DEPENDS ${document}
                     COMMENT "Compressing ${name}")
  list(APPEND compressed_documents ${compressed})
endforeach()
add_custom_target(keylume_sim_documents ALL DEPENDS ${compressed_documents})
list(GET compressed_documents 0 manual_page_gz)
list(GET compressed_documents 1 changelog_gz)
list(GET compressed_documents 2 readme_gz)

# Packing builds nothing: the release's build preset builds keylume-sim and its documents only.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS keylume-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Loaded modules, not programs: not executable.
install(TARGETS keylume_component shared keylume_win32 keylume_lcdserver
        LIBRARY DESTINATION ${KEYLUME_MODULE_INSTALL_DIR}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${manual_page_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${readme_gz} ${changelog_gz} ${copyright_file} DESTINATION ${doc_folder})
# "Keylume" in the desktop's applications menu: the window following the desktop's player.
install(FILES ${CMAKE_SOURCE_DIR}/desktop/keylume-sim.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/keylume.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/keylume-48.png DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/48x48/apps
        RENAME keylume.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keylume-sim)
set(CPACK_PACKAGE_VERSION ${KEYLUME_VERSION_TEXT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A placeholder until the package has a maintainer (docs/packaging.md says where a real one goes).
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Keylume developers <keylume@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows the playing track on a simulated keyboard LCD")
# CPack puts the summary first.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "keylume-sim runs the Keylume display component for the Velvox media player
with stand-ins for Velvox and for the LCD Manager, and shows the 160 x 43
monochrome LCD of a gaming keyboard in the terminal or in a window of its
own with the soft buttons to click: four screens of the track's tags, two
time fields and a progress bar.
.
It plays audio files, folders and playlists, or follows a media player
on the desktop over MPRIS (mpv with mpv-mpris, VLC, Rhythmbox, ...).")
# The libraries come from dpkg-shlibdeps; the fonts are those the display draws with: the faces
# Windows ships as fonts-wine makes them, and the fallbacks for what they lack (Cyrillic,
# Japanese, ...). Following a player needs no particular player.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CPACK_PACKAGING_INSTALL_PREFIX}/${KEYLUME_MODULE_INSTALL_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-dejavu-core, fonts-droid-fallback")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mpv, mpv-mpris")
set(CPACK_STRIP_FILES ON)
# The package needs nothing done when it is installed or removed: no maintainer scripts.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/debian-package-without-ldconfig.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
