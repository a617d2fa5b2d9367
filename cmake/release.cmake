# The release package of a Windows tree: the component DLL, stripped, with its install text and
# the licence, as keylume-<version>-windows-<x86|x64>.zip (CPack, ZIP generator).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KEYLUME_PLAYER_BITS 64)
  set(package_architecture x64)
else()
  set(KEYLUME_PLAYER_BITS 32)
  set(package_architecture x86)
endif()
# Texts for Windows: CRLF line ends.
configure_file(${CMAKE_SOURCE_DIR}/docs/INSTALL.txt.in ${CMAKE_BINARY_DIR}/release/INSTALL.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/release/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

# Packing needs the component only, not the whole tree with its tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS keylume_component RUNTIME DESTINATION . ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/release/INSTALL.txt ${CMAKE_BINARY_DIR}/release/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME keylume-${KEYLUME_VERSION_TEXT}-windows-${package_architecture})
set(CPACK_STRIP_FILES ON)
include(CPack)
