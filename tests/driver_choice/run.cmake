# Runs the same program beside the simulation driver and beside a stand-in for the maker's driver
# (the same library name and functions), as a team switches between them: by which driver library
# sits beside the program, without rebuilding it. Beside the simulation the program's first line
# on the standard error stream says so, once; beside the other driver nothing says so. Both runs
# exit with status 0 and print what the program read.
#   cmake -DPROGRAM=<program> -DBIN=<folder of the build's DLLs> -DSIM_DRIVER=<simulation driver>
#         -DMAKER_DRIVER=<stand-in driver> -DHEADER=<velmora_sim/SimDriver.h> -DWORK=<folder>
#         -DWINDOWS=<bool> [-DEMULATOR=<runner>] -P run.cmake
foreach(var PROGRAM BIN SIM_DRIVER MAKER_DRIVER HEADER WORK WINDOWS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run.cmake: -D${var}= is required")
  endif()
endforeach()
file(READ ${HEADER} header)
if(NOT header MATCHES "kLoadedLine\\[\\] =[ \t\r\n]*\"([^\"]+)\"")
  message(FATAL_ERROR "${HEADER}: no kLoadedLine")
endif()
set(loaded_line "${CMAKE_MATCH_1}")

set(problems "")
foreach(case simulation maker)
  if(case STREQUAL "simulation")
    set(driver ${SIM_DRIVER})
  else()
    set(driver ${MAKER_DRIVER})
  endif()
  set(dir ${WORK}/${case})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  get_filename_component(driver_name ${driver} NAME)
  if(WINDOWS)
    # The program folder as a team lays it out: the program, the library, WPILib and one driver.
    file(GLOB dlls ${BIN}/*.dll)
    list(FILTER dlls EXCLUDE REGEX "/${driver_name}$")
    file(COPY ${PROGRAM} ${dlls} DESTINATION ${dir})
    file(COPY_FILE ${driver} ${dir}/${driver_name})
    get_filename_component(program_name ${PROGRAM} NAME)
    set(command ${EMULATOR} ${dir}/${program_name})
  else()
    # The loader looks in LD_LIBRARY_PATH before the program's own run path.
    file(COPY_FILE ${driver} ${dir}/${driver_name})
    set(command ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${dir} ${PROGRAM})
  endif()
  execute_process(COMMAND ${command} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 300)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  if(NOT rc EQUAL 0 OR NOT out MATCHES "firmware '")
    list(APPEND problems "${case}: the program failed (exit ${rc}):\n${out}${err}")
    continue()
  endif()
  string(FIND "${err}" "${loaded_line}" at)
  string(FIND "${err}" "${loaded_line}" last REVERSE)
  if(case STREQUAL "simulation")
    if(NOT at EQUAL 0)
      list(APPEND problems "beside the simulation driver, the standard error stream does not "
                           "begin with \"${loaded_line}\":\n${err}")
    elseif(NOT last EQUAL at)
      list(APPEND problems "the simulation driver says it is loaded more than once:\n${err}")
    endif()
  elseif(NOT at EQUAL -1)
    list(APPEND problems "beside the other driver, the program says the simulation is loaded")
  endif()
  message(STATUS "${case} driver: ${out}")
endforeach()
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "${text}")
endif()
