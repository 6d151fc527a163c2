# Installs a build into a fresh folder, builds the consumer project against that install tree
# and runs it (under the build's emulator for a cross build). Run by CTest as package.consumer.
#   -DBUILD=<build folder> -DSOURCE=<consumer sources> -DWORK=<scratch folder>
#   -DGENERATOR=<generator> [-DTOOLCHAIN=<file>] [-DEMULATOR=<program>] [-DWINDOWS=1]
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD SOURCE WORK GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run.cmake: -D${var}= is required")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${command}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/install)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

set(configure ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix})
if(TOOLCHAIN)
  # A cross build searches its root paths only: the install tree is one of them.
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_FIND_ROOT_PATH=${prefix})
endif()
run(${configure})
run(${CMAKE_COMMAND} --build ${WORK}/build)

file(GLOB program ${WORK}/build/consumer ${WORK}/build/consumer.exe)
if(WINDOWS)
  # Windows finds DLLs beside the program: copy the installed ones there, as an installer would.
  file(GLOB dlls ${prefix}/bin/*.dll)
  file(COPY ${dlls} DESTINATION ${WORK}/build)
endif()
if(EMULATOR AND NOT DEFINED ENV{WINEPREFIX})
  set(ENV{WINEPREFIX} ${BUILD}/wineprefix)  # the build's own prefix, made once
endif()
run(${EMULATOR} ${program})
