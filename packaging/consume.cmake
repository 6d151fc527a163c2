# Unpacks a release for one build's platform and configuration as a team gets it, builds the
# consumer program against the unpacked files alone (plus WPILib, which the tooling brings
# itself) and runs it. Run by pack.cmake with -DCONSUMER.
#
#   cmake (-DJSON="<vendordeps/Velmora.json>|<vendordeps/VelmoraSimulation.json>" -DREPO=<maven root>
#          | -DPLAIN=<download zip>)
#         -DBUILD=<build folder> [-DCONFIG=<Release|Debug|...>] -DSOURCE=<tests/consumer>
#         -DWORK=<scratch folder> -P packaging/consume.cmake
#
# From a Maven tree (the offline installer's, say) it does what WPILib's build tooling does: each
# artifact's headers archive into the include path, and from each platform archive the files
# matching **/*.so (Linux) or **/*.dll and **/*.lib (Windows); for a desktop run every shared
# library it extracted goes into one folder beside the program. From a plain download (the MinGW
# build) it takes include/, lib/*.lib and bin/*.dll as a MinGW team would.
# WPILib is the build's WPILib stand-in (installed from that build) or the WPILib install the
# build used; a debug build links WPILib's debug library names, as the debug archives do.
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD SOURCE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consume.cmake: -D${var}= is required")
  endif()
  get_filename_component(${var} ${${var}} ABSOLUTE)
endforeach()
if(NOT PLAIN AND NOT (JSON AND REPO))
  message(FATAL_ERROR "consume.cmake: -DPLAIN= or -DJSON= and -DREPO= are required")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)

include(${BUILD}/vendordep-build.cmake)
if(NOT CONFIG)
  set(CONFIG ${vendordep_build_type})
endif()
if(NOT CONFIG)
  set(CONFIG Release)
endif()
set(classifier ${vendordep_platform})
if(CONFIG STREQUAL "Debug")
  string(APPEND classifier debug)
endif()
if(vendordep_platform STREQUAL "linuxx86-64")
  set(patterns "\\.so$")
elseif(vendordep_platform STREQUAL "windowsx86-64")
  set(patterns "\\.dll$" "\\.lib$")
else()
  message(FATAL_ERROR "consume.cmake: no extraction rule for ${vendordep_platform}")
endif()

set(work ${WORK}/${classifier})
if(PLAIN)
  get_filename_component(from ${PLAIN} NAME_WLE)
  set(work ${WORK}/${from})
endif()
set(unpacked ${work}/unpacked)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${unpacked}/include ${unpacked}/lib)

if(PLAIN)
  set(scratch ${work}/download)
  file(MAKE_DIRECTORY ${scratch})
  run(${CMAKE_COMMAND} -E chdir ${scratch} ${CMAKE_COMMAND} -E tar xf ${PLAIN})
  file(COPY ${scratch}/include/ DESTINATION ${unpacked}/include)
  file(GLOB files ${scratch}/bin/*.dll ${scratch}/lib/*.lib)
  file(COPY ${files} DESTINATION ${unpacked}/lib)
  file(REMOVE_RECURSE ${scratch})
else()
  string(REPLACE "|" ";" JSON "${JSON}")
  foreach(json_file ${JSON})
  file(READ ${json_file} json)
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
  endforeach()
endif()

# WPILib, as the tooling brings it: the WPILib install the build used, or else the build's
# stand-in, installed from it into a folder of its own.
set(wpilib ${work}/wpilib)
if(vendordep_wpilib_standin)
  run(${CMAKE_COMMAND} --install ${BUILD} --config ${CONFIG} --prefix ${wpilib}
      --component WPILibStandIn OUTPUT_QUIET)
  set(wpilib_args -DWPILIB_INCLUDE_DIR=${wpilib}/include/wpilib-standin)
  if(vendordep_platform STREQUAL "windowsx86-64")
    file(GLOB wpilib_libraries ${wpilib}/lib/wpilib-standin/*.lib)
    file(GLOB wpilib_runtime ${wpilib}/bin/wpilib-standin/*.dll)
  else()
    file(GLOB wpilib_libraries ${wpilib}/lib/wpilib-standin/*.so)
    set(wpilib_runtime ${wpilib_libraries})
  endif()
  string(REPLACE ";" "|" wpilib_libraries "${wpilib_libraries}")
  list(APPEND wpilib_args -DWPILIB_LIBRARIES=${wpilib_libraries})
elseif(vendordep_wpilib_prefix)
  string(REPLACE ";" "|" prefix "${vendordep_wpilib_prefix}")
  set(wpilib_args -DWPILIB_PREFIX=${prefix} -DWPILIB_DEBUG_NAMES=${vendordep_wpilib_debug_names})
  set(wpilib_runtime "")
else()
  message(FATAL_ERROR "${BUILD} names no WPILib to build the consumer against")
endif()

set(configure ${CMAKE_COMMAND} -S ${SOURCE}/unpacked -B ${work}/build -G ${vendordep_generator}
    -DCMAKE_BUILD_TYPE=${CONFIG} -DUNPACKED=${unpacked} ${wpilib_args})
if(vendordep_toolchain)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${vendordep_toolchain})
  if(vendordep_wpilib_prefix AND NOT vendordep_wpilib_standin)
    # A cross toolchain searches, besides its own root, the prefixes named when the build is
    # configured: a team names WPILib's there.
    list(GET vendordep_wpilib_prefix 0 first_prefix)
    list(APPEND configure -DCMAKE_PREFIX_PATH=${first_prefix})
  endif()
endif()
run(${configure} OUTPUT_QUIET)
run(${CMAKE_COMMAND} --build ${work}/build --config ${CONFIG})

# Every shared library in one folder beside the program, as the tooling lays out a desktop run.
file(GLOB_RECURSE program ${work}/build/consumer ${work}/build/consumer.exe)
list(FILTER program EXCLUDE REGEX "/CMakeFiles/")
get_filename_component(bin "${program}" DIRECTORY)
file(GLOB runtime ${unpacked}/lib/*.dll ${unpacked}/lib/*.so)
if(EXISTS ${work}/build/wpilib-runtime-${CONFIG}.txt)  # the libraries of a WPILib install
  file(READ ${work}/build/wpilib-runtime-${CONFIG}.txt wpilib_runtime)
endif()
file(COPY ${runtime} ${wpilib_runtime} DESTINATION ${bin})
if(vendordep_emulator AND NOT DEFINED ENV{WINEPREFIX})
  set(ENV{WINEPREFIX} ${BUILD}/wineprefix)  # the build's own Wine prefix, made once
endif()
set(ENV{LD_LIBRARY_PATH} ${bin})
execute_process(COMMAND ${vendordep_emulator} ${program} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Orvex 5 opened")
  message(FATAL_ERROR "${classifier}: the consumer built from the unpacked release failed "
                      "(exit ${rc}):\n${out}${err}")
endif()
# On Linux: the program must have loaded WPILib once, under the names the archives ask for.
if(vendordep_platform STREQUAL "linuxx86-64")
  execute_process(COMMAND ldd ${program} OUTPUT_VARIABLE loaded RESULT_VARIABLE rc)
  string(REGEX MATCHALL "libwpilibcd?\\.so" wpilibc_loaded "${loaded}")
  list(REMOVE_DUPLICATES wpilibc_loaded)
  list(LENGTH wpilibc_loaded count)
  if(rc EQUAL 0 AND count GREATER 1)
    message(FATAL_ERROR "${classifier}: the program loads both a release and a debug WPILib")
  endif()
endif()
message(STATUS "${classifier}: the consumer built from the unpacked release runs: ${out}")
