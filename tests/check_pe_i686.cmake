# Fails unless every file in FILES is a 32-bit x86 PE image.
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -f ${file} OUTPUT_VARIABLE header RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT header MATCHES "file format pei-i386" OR NOT header MATCHES "architecture: i386")
    message(FATAL_ERROR "${file} is not an i686 PE image:\n${header}")
  endif()
  message(STATUS "${file}: pei-i386")
endforeach()
