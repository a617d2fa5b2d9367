# Run by CPack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS, with CPACK_PACKAGE_FILES
# naming them): makes each again with dpkg-deb, without the postinst and postrm that CPack adds to
# every package holding a library under /usr/lib. Those scripts only call ldconfig, which does not
# look into a private folder such as /usr/lib/keylume, so they change nothing; and libc-bin's
# trigger runs ldconfig where it does matter. A maintainer script that does anything else is kept.
find_program(dpkg_deb dpkg-deb REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${dpkg_deb} --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  foreach(script postinst postrm)
    set(file ${tree}/DEBIAN/${script})
    if(EXISTS ${file})
      file(READ ${file} text)
      if(text MATCHES "^#!/bin/sh\n\nset -e\n\nif \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n\tldconfig\nfi\n$")
        file(REMOVE ${file})
      endif()
    endif()
  endforeach()
  execute_process(COMMAND ${dpkg_deb} --root-owner-group --build ${tree} ${package} OUTPUT_QUIET
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
