# keylume_sim_options(PROGRAM OUT): the options PROGRAM --help lists, into OUT. The options are the
# entries of its list: lines that start with one, indented by two spaces; options mentioned in the
# text of another (another program's, say) are not keylume-sim's.
function(keylume_sim_options program out)
  execute_process(COMMAND ${program} --help RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_VARIABLE help)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} --help failed (${result}):\n${help}")
  endif()
  string(REGEX MATCHALL "\n  --[a-z][a-z-]*" options "${help}")
  string(REPLACE "\n  " "" options "${options}")
  list(REMOVE_DUPLICATES options)
  if(NOT options)
    message(FATAL_ERROR "${program} --help names no option:\n${help}")
  endif()
  set(${out} "${options}" PARENT_SCOPE)
endfunction()
