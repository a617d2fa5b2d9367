# Helpers shared by the project's CMake files.

# GoogleTest: natively the installed package; for Windows built here with the cross compiler
# from Debian's googletest sources.
if(WIN32)
  set(KEYLUME_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${KEYLUME_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found at ${KEYLUME_GTEST_SOURCE}: install the googletest package")
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KEYLUME_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

# keylume_test(NAME SOURCES... LIBS ...): a GoogleTest program registered with CTest as one test.
# In the Windows tree CTest runs it under Wine through the cross-compiling emulator.
function(keylume_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main keylume_warnings)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine)
  endif()
endfunction()

# In the Windows tree every test program runs in the tree's own Wine prefix with one X display,
# set up before the first test and taken down after the last. Label "wine" marks every test that
# needs Wine, so that the others can run where Wine cannot.
if(WIN32)
  set(KEYLUME_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
  add_test(NAME wine_environment_start COMMAND ${KEYLUME_WINE_RUN} --start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_environment_stop COMMAND ${KEYLUME_WINE_RUN} --stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_environment_start PROPERTIES FIXTURES_SETUP wine LABELS wine)
  set_tests_properties(wine_environment_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)
endif()

# keylume_add_resources(TARGET SCRIPT.rc): the module's resources. Windows builds compile the
# script with windres; native builds turn the same script into a source of registered resources.
function(keylume_add_resources target script)
  if(WIN32)
    target_sources(${target} PRIVATE ${script})
    # windres also reads the pictures the script names, which CMake's scan of the script's
    # includes does not see: a changed picture must build the resources again.
    get_filename_component(script_dir ${script} DIRECTORY)
    file(STRINGS ${script} picture_lines REGEX "\"[^\"]+\\.(bmp|ico|cur)\"")
    foreach(line IN LISTS picture_lines)
      string(REGEX MATCH "\"([^\"]+\\.(bmp|ico|cur))\"" picture "${line}")
      set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${script_dir}/${CMAKE_MATCH_1})
    endforeach()
  else()
    get_filename_component(name ${script} NAME_WE)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}_resources.cpp)
    add_custom_command(OUTPUT ${generated}
                       COMMAND keylume-rc ${script} ${generated} ${generated}.d
                       DEPENDS keylume-rc ${script}
                       DEPFILE ${generated}.d
                       COMMENT "Compiling resources of ${target}")
    target_sources(${target} PRIVATE ${generated})
    target_link_libraries(${target} PRIVATE keylume_win32)
  endif()
endfunction()
