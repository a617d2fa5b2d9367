# Makes the Debian package of the build tree BUILD_DIR with CPACK, extracts it into an empty
# folder under WORK and runs the keylume-sim inside it: it prints VERSION, and a bounded run,
# started through a symbolic link in another folder, writes a PNG and loads every module from
# the extracted folder, none from the build tree. The
# package holds exactly keylume-sim's files, has no maintainer scripts, and LINTIAN finds neither
# errors nor warnings nor any info tag but those named below.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
set(root ${WORK}/root)
file(MAKE_DIRECTORY ${root} ${WORK}/config ${WORK}/elsewhere)

function(run_checked what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

run_checked("packing" ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK}/package)
run_checked("dpkg --print-architecture" dpkg --print-architecture)
string(STRIP "${output}" architecture)
set(package ${WORK}/package/keylume-sim_${VERSION}_${architecture}.deb)
if(NOT EXISTS ${package})
  file(GLOB made ${WORK}/package/*.deb)
  message(FATAL_ERROR "no ${package}; made: ${made}")
endif()
run_checked("extracting the package" dpkg-deb -x ${package} ${root})

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
list(SORT files)
set(expected usr/bin/keylume-sim usr/lib/keylume/keylume_lcdserver.so usr/lib/keylume/libkeylume.so
             usr/lib/keylume/libkeylume_win32.so usr/lib/keylume/libshared.so
             usr/share/applications/keylume-sim.desktop usr/share/doc/keylume-sim/README.md.gz
             usr/share/doc/keylume-sim/changelog.gz usr/share/doc/keylume-sim/copyright
             usr/share/icons/hicolor/48x48/apps/keylume.png usr/share/icons/hicolor/scalable/apps/keylume.svg
             usr/share/man/man1/keylume-sim.1.gz)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "the package holds\n  ${files}\ninstead of\n  ${expected}")
endif()

set(program ${root}/usr/bin/keylume-sim)
run_checked("keylume-sim --version" ${program} --version)
if(NOT output STREQUAL "keylume-sim ${VERSION}\n")
  message(FATAL_ERROR "keylume-sim --version printed '${output}', not 'keylume-sim ${VERSION}'")
endif()

# The dynamic loader names the file of every object whose initialisers it runs.
file(CREATE_LINK ${program} ${WORK}/elsewhere/keylume-sim SYMBOLIC)
run_checked("a bounded run" ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${WORK}/config LD_DEBUG=libs
            ${WORK}/elsewhere/keylume-sim --ticks 30 --snapshot ${WORK}/last.png)
set(signature)
if(EXISTS ${WORK}/last.png)
  file(READ ${WORK}/last.png signature LIMIT 8 HEX)
endif()
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "the bounded run wrote no PNG picture to ${WORK}/last.png")
endif()
string(REGEX MATCHALL "calling init: [^\n]*" initialised "${errors}")
set(loaded)
foreach(line ${initialised})
  string(REGEX REPLACE "^calling init: " "" file "${line}")
  file(REAL_PATH ${file} file)
  list(APPEND loaded ${file})
endforeach()
foreach(module keylume_lcdserver.so libkeylume.so libkeylume_win32.so libshared.so)
  if(NOT ${root}/usr/lib/keylume/${module} IN_LIST loaded)
    message(FATAL_ERROR "keylume-sim did not load ${root}/usr/lib/keylume/${module}; it loaded:\n  ${loaded}")
  endif()
endforeach()
foreach(file ${loaded})
  if(file MATCHES "^${BUILD_DIR}/" AND NOT file MATCHES "^${root}/")
    message(FATAL_ERROR "the packaged keylume-sim loaded ${file} from the build tree")
  endif()
endforeach()

# The package has no maintainer scripts: it needs nothing done when installed or removed.
run_checked("dpkg-deb --info" dpkg-deb --info ${package})
foreach(script preinst postinst prerm postrm)
  if(output MATCHES " lines? +(\\* +)?${script} ")
    message(FATAL_ERROR "the package has a ${script} script")
  endif()
endforeach()

# Pedantic lintian finds no error and no warning, and of the info and pedantic tags only these,
# which stay for the reasons given:
# - binary-has-unneeded-section: CPack strips with plain strip, which keeps the .comment section
#   (the compiler's version string, 39 bytes a file) that Debian's dh_strip removes.
# - spelling-error-in-binary "filess": the compiler stores the message "...: no audio files in
#   this folder" as two overlapping 16-byte pieces, which read on as "filess"; no word is misspelt.
# Any other tag fails, the hardening tags among them (a binary built without Debian's flags).
set(accepted_tags binary-has-unneeded-section spelling-error-in-binary)
run_checked("lintian" ${LINTIAN} --pedantic --display-info --fail-on error,warning ${package})
string(REGEX MATCHALL "(^|\n)[IP]: [^ ]+ [a-z0-9-]+" tags "${output}")
foreach(tag ${tags})
  string(REGEX REPLACE ".* " "" tag "${tag}")
  if(NOT tag IN_LIST accepted_tags)
    message(FATAL_ERROR "lintian reports ${tag}, which the package should not have:\n${output}")
  endif()
endforeach()
message(STATUS "${package} runs from an empty folder with its own modules; lintian:\n${output}")
