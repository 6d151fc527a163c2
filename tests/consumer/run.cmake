# Installs a build into a fresh folder, builds the consumer project against that install tree
# and runs it (under the build's emulator for a cross build). Run by CTest as package.consumer*.
#   -DBUILD=<build folder> -DSOURCE=<consumer sources> -DWORK=<scratch folder>
#   -DGENERATOR=<generator> [-DTOOLCHAIN=<file>] [-DEMULATOR=<program>] [-DWINDOWS=1]
#   [-DCOMPONENTS="Velmora|WPILibStandIn"]  install only these components
#   [-DDRIVER_LINK=<file> -DDRIVER_RUNTIME=<file>]  a driver of the team's own (the simulation
#       driver is not installed): the package must refuse without it, then build with it
#   [-DWPILIB_PREFIX="<prefix>|..."]  a real WPILib's install prefixes, found as a team finds them;
#       with a driver of the team's own, the package must first refuse without both
#   The program runs without LD_LIBRARY_PATH for WPILib: the installed library finds it itself.
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD SOURCE WORK GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run.cmake: -D${var}= is required")
  endif()
endforeach()
string(REPLACE "|" ";" COMPONENTS "${COMPONENTS}")
string(REPLACE "|" ";" WPILIB_PREFIX "${WPILIB_PREFIX}")
# Nothing from the caller's environment helps the package or the program find anything.
unset(ENV{CMAKE_PREFIX_PATH})
unset(ENV{LD_LIBRARY_PATH})

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RunCommand.cmake)

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/install)
if(COMPONENTS)
  foreach(component ${COMPONENTS})
    run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} --component ${component})
  endforeach()
else()
  run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
endif()

set(configure ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix})
if(TOOLCHAIN)
  # A cross build searches its root paths only: the install tree is one of them.
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_FIND_ROOT_PATH=${prefix})
endif()

if(DRIVER_LINK)
  # Without the simulation driver and without a driver (and without the real WPILib, where the
  # build used one), the package says everything it misses at once.
  execute_process(COMMAND ${configure} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(expected "VELMORA_DRIVER_LIBRARY")
  if(WPILIB_PREFIX)
    list(APPEND expected "wpilibc")
  endif()
  foreach(word ${expected})
    if(rc EQUAL 0 OR NOT "${err}" MATCHES "${word}")
      message(FATAL_ERROR "find_package(Velmora) did not name ${word} among what it misses:\n"
                          "${out}${err}")
    endif()
  endforeach()
  string(REPLACE ";" " and " expected "${expected}")
  message(STATUS "The package refuses, naming ${expected}")
  file(REMOVE_RECURSE ${WORK}/build)
  list(APPEND configure -DVELMORA_DRIVER_LIBRARY=${DRIVER_LINK})
endif()
if(WPILIB_PREFIX)
  # WPILib's prefixes through the environment, as a team's shell or IDE provides them.
  string(REPLACE ";" ":" wpilib_path "${WPILIB_PREFIX}")
  set(ENV{CMAKE_PREFIX_PATH} "${wpilib_path}")
endif()
run(${configure})
# Release, also for multi-configuration generators: with MSVC a program and the DLLs it passes
# standard-library objects to must use the same (release) runtime.
run(${CMAKE_COMMAND} --build ${WORK}/build --config Release)

file(GLOB_RECURSE program ${WORK}/build/consumer ${WORK}/build/consumer.exe)
list(FILTER program EXCLUDE REGEX "/CMakeFiles/")
get_filename_component(program_dir "${program}" DIRECTORY)
if(WINDOWS)
  # Windows finds DLLs beside the program: copy the installed ones there, as an installer would.
  file(GLOB_RECURSE dlls ${prefix}/bin/*.dll)
  # And WPILib's own, from its install, as a team's WPILib tooling puts them there.
  foreach(wpilib_prefix ${WPILIB_PREFIX})
    file(GLOB wpilib_dlls ${wpilib_prefix}/wpilib/bin/*.dll ${wpilib_prefix}/bin/*.dll)
    list(APPEND dlls ${wpilib_dlls})
  endforeach()
  file(COPY ${dlls} ${DRIVER_RUNTIME} DESTINATION ${program_dir})
elseif(DRIVER_RUNTIME)
  get_filename_component(driver_dir ${DRIVER_RUNTIME} DIRECTORY)
  set(ENV{LD_LIBRARY_PATH} "${driver_dir}")
endif()
if(EMULATOR AND NOT DEFINED ENV{WINEPREFIX})
  set(ENV{WINEPREFIX} ${BUILD}/wineprefix)  # the build's own prefix, made once
endif()
run(${EMULATOR} ${program})
