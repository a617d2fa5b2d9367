# Builds the tree with the flags Debian builds its packages with, as dpkg-buildflags gives them
# with every hardening feature on: fortified C library calls (-D_FORTIFY_SOURCE=2), the strong
# stack protector, format-string checks, and relocations made read-only and bound at start
# (-Wl,-z,relro -Wl,-z,now). The Debian package is made from this tree, so what it ships is
# hardened; the tests run against the same hardened code.
find_program(KEYLUME_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT KEYLUME_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags is missing: install dpkg-dev (scripts/install-deps does)")
endif()

# One kind of flags (CPPFLAGS, CXXFLAGS, CFLAGS or LDFLAGS), as one string.
function(debian_build_flags kind out)
  # The source folder is where a package build runs it: -ffile-prefix-map names it.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${KEYLUME_DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

debian_build_flags(CPPFLAGS cppflags)
debian_build_flags(CXXFLAGS cxxflags)
debian_build_flags(CFLAGS cflags)
debian_build_flags(LDFLAGS ldflags)
string(APPEND CMAKE_CXX_FLAGS " ${cppflags} ${cxxflags}")
string(APPEND CMAKE_C_FLAGS " ${cppflags} ${cflags}")
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${ldflags}")
endforeach()
