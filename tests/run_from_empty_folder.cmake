# Copies FILES into an empty folder under WORK and runs the last of them, a program, there in a
# fresh Wine prefix through WINE_RUN: a DLL that none of the files brings and Wine does not have
# makes the run fail, and Wine's loader names it.
list(GET FILES -1 program)
get_filename_component(program_name ${program} NAME)
set(folder ${WORK}/folder)
set(ENV{KEYLUME_WINEPREFIX} ${WORK}/wineprefix)
# The loader's errors name a missing DLL; a crash ends the program instead of waiting in a dialog.
set(ENV{WINEDEBUG} "-all,err+module")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml,winedbg.exe=")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${folder})
file(COPY ${FILES} DESTINATION ${folder})
execute_process(COMMAND ${WINE_RUN} ${folder}/${program_name} --gtest_brief=1 WORKING_DIRECTORY ${folder}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(ENV{WINEPREFIX} $ENV{KEYLUME_WINEPREFIX})
execute_process(COMMAND wineserver -k OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${program_name} did not run from a folder holding only [${FILES}] (${result}):\n${output}")
endif()
message(STATUS "${program_name} ran from a folder holding only its own files")
