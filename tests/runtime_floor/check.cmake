# The floor check refuses a library that needs a newer glibc and libstdc++ (the probe built as
# is), from a folder and from inside a zip archive, naming what it needs; and passes the same
# source built with velmora_runtime_floor().
#   cmake -DCHECK=<check_floor.cmake> -DPLAIN=<probe .so> -DFLOORED=<probe .so> -DWORK=<dir>
#         -P check.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/plain/linux/x86-64/shared)
file(COPY_FILE ${PLAIN} ${WORK}/plain/linux/x86-64/shared/libprobe.so)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${WORK}/probe-linuxx86-64.zip --format=zip
                        linux WORKING_DIRECTORY ${WORK}/plain)

set(failures "")
foreach(path ${PLAIN} ${WORK}/probe-linuxx86-64.zip)
  execute_process(COMMAND ${CMAKE_COMMAND} -DPATHS=${path} -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(text "${out}${err}")
  if(rc EQUAL 0)
    string(APPEND failures "\n  ${path}: passed although it needs a newer glibc")
  else()
    # Each re-versioned function and the libstdc++ helper must be named with its version.
    foreach(wanted "GLIBC_2.35[^\n]*hypot" "GLIBC_2.29[^\n]*exp" "GLIBC_2.28[^\n]*fcntl64"
                   "GLIBCXX_3.4.29[^\n]*_ZSt28__throw_bad_array_new_lengthv")
      if(NOT text MATCHES "${wanted}")
        string(APPEND failures "\n  ${path}: the report does not name ${wanted}:\n${text}")
      endif()
    endforeach()
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DPATHS=${FLOORED} -P ${CHECK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  string(APPEND failures "\n  the probe built with the floor fails the check:\n${out}${err}")
endif()
file(REMOVE_RECURSE ${WORK})
if(failures)
  message(FATAL_ERROR "runtime floor check:${failures}")
endif()
message(STATUS "the floor check refuses the plain probe and passes the floored one")
