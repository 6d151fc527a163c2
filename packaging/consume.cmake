# Unpacks the vendor dependency's archives for one build's classifier as WPILib's build tooling
# does, builds the consumer program against the unpacked files alone (plus WPILib, which the
# tooling brings itself) and runs it. Run by pack.cmake with -DCONSUMER.
#
#   cmake -DJSON=<Velmora.json> -DREPO=<maven root> -DBUILD=<build folder>
#         -DSOURCE=<tests/consumer> -DWORK=<scratch folder> -P packaging/consume.cmake
#
# The tooling extracts each artifact's headers archive into the include path, and from each
# platform archive the files matching **/*.so (Linux) or **/*.dll and **/*.lib (Windows); when it
# runs a desktop program it puts every shared library it extracted into one folder beside it.
# WPILib here is the build's WPILib stand-in, installed from that build.
cmake_minimum_required(VERSION 3.20)
foreach(var JSON REPO BUILD SOURCE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consume.cmake: -D${var}= is required")
  endif()
endforeach()

foreach(var JSON REPO BUILD SOURCE WORK)
  get_filename_component(${var} ${${var}} ABSOLUTE)
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)

include(${BUILD}/vendordep-build.cmake)
set(classifier ${vendordep_classifier})
if(vendordep_platform STREQUAL "linuxx86-64")
  set(patterns "\\.so$")
elseif(vendordep_platform STREQUAL "windowsx86-64")
  set(patterns "\\.dll$" "\\.lib$")
else()
  message(FATAL_ERROR "consume.cmake: no extraction rule for ${vendordep_platform}")
endif()

set(work ${WORK}/${classifier})
set(unpacked ${work}/unpacked)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${unpacked}/include ${unpacked}/lib)

file(READ ${JSON} json)
string(JSON dep_count LENGTH "${json}" cppDependencies)
math(EXPR last_dep "${dep_count} - 1")
foreach(i RANGE ${last_dep})
  string(JSON group GET "${json}" cppDependencies ${i} groupId)
  string(JSON artifact GET "${json}" cppDependencies ${i} artifactId)
  string(JSON version GET "${json}" cppDependencies ${i} version)
  string(JSON header_classifier GET "${json}" cppDependencies ${i} headerClassifier)
  string(REPLACE "." "/" group_path "${group}")
  set(base ${REPO}/${group_path}/${artifact}/${version}/${artifact}-${version})
  foreach(file ${base}-${header_classifier}.zip ${base}-${classifier}.zip)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "${file} is missing")
    endif()
  endforeach()
  run(${CMAKE_COMMAND} -E chdir ${unpacked}/include ${CMAKE_COMMAND} -E tar xf
      ${base}-${header_classifier}.zip)
  set(scratch ${work}/${artifact})
  file(MAKE_DIRECTORY ${scratch})
  run(${CMAKE_COMMAND} -E chdir ${scratch} ${CMAKE_COMMAND} -E tar xf ${base}-${classifier}.zip)
  file(GLOB_RECURSE files RELATIVE ${scratch} ${scratch}/*)
  foreach(file ${files})
    foreach(pattern ${patterns})
      if(file MATCHES "${pattern}")
        file(COPY ${scratch}/${file} DESTINATION ${unpacked}/lib)
      endif()
    endforeach()
  endforeach()
  file(REMOVE_RECURSE ${scratch})
endforeach()

# WPILib, as the tooling brings it: the WPILib install the build used, or else the build's
# stand-in, installed from it into a folder of its own.
set(wpilib ${work}/wpilib)
if(vendordep_wpilib_standin)
  run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${wpilib} --component WPILibStandIn OUTPUT_QUIET)
  set(wpilib_args -DWPILIB_INCLUDE_DIR=${wpilib}/include/wpilib-standin)
  if(vendordep_platform STREQUAL "windowsx86-64")
    list(APPEND wpilib_args -DWPILIB_LIBRARIES=${wpilib}/lib/wpilib-standin/wpilibc.lib)
    file(GLOB wpilib_runtime ${wpilib}/bin/wpilib-standin/*.dll)
  else()
    list(APPEND wpilib_args -DWPILIB_LIBRARIES=${wpilib}/lib/wpilib-standin/libwpilibc.so)
    set(wpilib_runtime ${wpilib}/lib/wpilib-standin/libwpilibc.so)
  endif()
elseif(vendordep_wpilib_prefix)
  string(REPLACE ";" "|" prefix "${vendordep_wpilib_prefix}")
  set(wpilib_args -DWPILIB_PREFIX=${prefix})
  set(wpilib_runtime "")
else()
  message(FATAL_ERROR "${BUILD} names no WPILib to build the consumer against")
endif()

set(build_type Release)
if(classifier MATCHES "debug$")
  set(build_type Debug)
endif()
set(configure ${CMAKE_COMMAND} -S ${SOURCE}/unpacked -B ${work}/build -G ${vendordep_generator}
    -DCMAKE_BUILD_TYPE=${build_type} -DUNPACKED=${unpacked} ${wpilib_args})
if(vendordep_toolchain)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${vendordep_toolchain})
endif()
run(${configure} OUTPUT_QUIET)
run(${CMAKE_COMMAND} --build ${work}/build --config ${build_type})

# Every shared library in one folder beside the program, as the tooling lays out a desktop run.
file(GLOB_RECURSE program ${work}/build/consumer ${work}/build/consumer.exe)
list(FILTER program EXCLUDE REGEX "/CMakeFiles/")
get_filename_component(bin "${program}" DIRECTORY)
file(GLOB runtime ${unpacked}/lib/*.dll ${unpacked}/lib/*.so)
if(EXISTS ${work}/build/wpilib-runtime-${build_type}.txt)  # the libraries of a WPILib install
  file(READ ${work}/build/wpilib-runtime-${build_type}.txt wpilib_runtime)
endif()
file(COPY ${runtime} ${wpilib_runtime} DESTINATION ${bin})
if(vendordep_emulator AND NOT DEFINED ENV{WINEPREFIX})
  set(ENV{WINEPREFIX} ${BUILD}/wineprefix)  # the build's own Wine prefix, made once
endif()
set(ENV{LD_LIBRARY_PATH} ${bin})
execute_process(COMMAND ${vendordep_emulator} ${program} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Orvex 5 opened")
  message(FATAL_ERROR "${classifier}: the consumer built from the unpacked archives failed "
                      "(exit ${rc}):\n${out}${err}")
endif()
message(STATUS "${classifier}: the consumer built from the unpacked archives runs: ${out}")
