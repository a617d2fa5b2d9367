# Fails unless keylume-rc lays out the resources of SCRIPT byte for byte as windres does.
execute_process(COMMAND ${WINDRES} -I ${INCLUDE} ${SCRIPT} -O res -o ${WORK}/windres.res RESULT_VARIABLE windres_result)
execute_process(COMMAND ${KEYLUME_RC} --res ${SCRIPT} ${WORK}/keylume-rc.res RESULT_VARIABLE rc_result)
if(NOT windres_result EQUAL 0 OR NOT rc_result EQUAL 0)
  message(FATAL_ERROR "compiling ${SCRIPT} failed (windres ${windres_result}, keylume-rc ${rc_result})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/windres.res ${WORK}/keylume-rc.res
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "keylume-rc and windres lay out the resources of ${SCRIPT} differently")
endif()
message(STATUS "${SCRIPT}: identical resources")
