cmake_minimum_required(VERSION 3.25)
# Plays the scripted session with PROGRAM (session_frames, through EMULATOR if given) in the
# working folder and fails unless the frames it wrote are the recorded ones: their SHA-256 is the
# one in GOLDEN. The recording was made natively and is the same under Wine, so every target draws
# the same pixels; scripts/compare-frames names the first frame that differs between two targets.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} session.frames RESULT_VARIABLE result OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "session_frames failed (${result}):\n${output}${errors}")
endif()
file(SHA256 session.frames played)
file(STRINGS ${GOLDEN} recorded LIMIT_COUNT 1)
if(NOT played STREQUAL recorded)
  string(REPLACE "\r" "" output "${output}")
  string(STRIP "${output}" output)
  message(FATAL_ERROR "the session's frames (${output}) are not the recorded ones: SHA-256 ${played}, "
                      "recorded ${recorded} (${GOLDEN}); scripts/compare-frames shows the first that differs")
endif()
file(REMOVE session.frames)
message(STATUS "the session's frames are the recorded ones")
