# Every code block a guide shows as a file of the repository is that file, byte for byte: a
# block right after a line "<!-- file: <path from the repository root> -->". The robot project
# guide shows the robot project the release's tests build and run, so what a team copies is
# what runs.
#
#   cmake -DROOT=<repository> -DGUIDES="docs/robot-project.md|..." -P tests/docs/check_shown_files.cmake
#   cmake -DSELF_TEST=ON -DWORK=<scratch> -P tests/docs/check_shown_files.cmake
#
# SELF_TEST writes a guide showing two files, one as it is and one with a line changed, and
# expects the check to pass on the first alone and to fail naming the second.
cmake_minimum_required(VERSION 3.20)
if(SELF_TEST)
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/same.cpp "int a = 1;\n")
  file(WRITE ${WORK}/changed.cpp "int b = 2;\n")
  set(fence "```")
  file(WRITE ${WORK}/good.md "<!-- file: same.cpp -->\n${fence}cpp\nint a = 1;\n${fence}\n")
  file(WRITE ${WORK}/bad.md "<!-- file: same.cpp -->\n${fence}cpp\nint a = 1;\n${fence}\n\n"
       "<!-- file: changed.cpp -->\n${fence}cpp\nint b = 3;\n${fence}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -DGUIDES=good.md
                          -P ${CMAKE_CURRENT_LIST_FILE} RESULT_VARIABLE good_rc)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -DGUIDES=bad.md
                          -P ${CMAKE_CURRENT_LIST_FILE} RESULT_VARIABLE bad_rc
                  ERROR_VARIABLE bad_err)
  if(NOT good_rc EQUAL 0 OR bad_rc EQUAL 0 OR NOT bad_err MATCHES "shown as changed.cpp differs"
     OR bad_err MATCHES "same.cpp")
    message(FATAL_ERROR "the check of shown files misjudges: ${good_rc} ${bad_rc}\n${bad_err}")
  endif()
  message(STATUS "the check of shown files finds a changed file")
  return()
endif()
string(REPLACE "|" ";" GUIDES "${GUIDES}")
set(problems "")
set(count 0)
foreach(guide ${GUIDES})
  file(READ ${ROOT}/${guide} text)
  while(TRUE)
    string(FIND "${text}" "<!-- file: " at)
    if(at EQUAL -1)
      break()
    endif()
    math(EXPR at "${at} + 11")
    string(SUBSTRING "${text}" ${at} -1 text)
    string(FIND "${text}" " -->\n```" end)
    string(SUBSTRING "${text}" 0 ${end} path)
    string(SUBSTRING "${text}" ${end} -1 text)
    string(FIND "${text}" "\n" line_end)           # the marker line
    math(EXPR line_end "${line_end} + 1")
    string(SUBSTRING "${text}" ${line_end} -1 text)
    string(FIND "${text}" "\n" fence_end)          # the opening fence
    math(EXPR fence_end "${fence_end} + 1")
    string(SUBSTRING "${text}" ${fence_end} -1 text)
    string(FIND "${text}" "\n```" close)
    math(EXPR close "${close} + 1")
    string(SUBSTRING "${text}" 0 ${close} shown)
    string(SUBSTRING "${text}" ${close} -1 text)
    math(EXPR count "${count} + 1")
    if(NOT EXISTS ${ROOT}/${path})
      list(APPEND problems "${guide}: shows ${path}, which does not exist")
      continue()
    endif()
    file(READ ${ROOT}/${path} actual)
    if(NOT shown STREQUAL actual)
      list(APPEND problems "${guide}: the block shown as ${path} differs from the file")
    endif()
  endwhile()
endforeach()
if(problems)
  string(REPLACE ";" "\n  " problems "${problems}")
  message(FATAL_ERROR "guides that show other code than their files:\n  ${problems}")
endif()
if(count EQUAL 0)
  message(FATAL_ERROR "no file shown in ${GUIDES}")
endif()
message(STATUS "${count} files shown in the guides are the files")
