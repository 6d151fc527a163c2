# Makes a release: builds each build it packs through its preset, packs them (pack.cmake), checks
# the packed tree and runs the consumer from the unpacked release. Run by the `release` target.
#
#   cmake -DSOURCE=<repository> -DPRESETS="real-wpilib|linux-debug-real-wpilib|windows-msvc|..."
#         -DJSON="<configured Velmora.json>|<configured VelmoraSimulation.json>"
#         -DOUT=<folder> [-DMSVC_ARCHIVES=<folder>]
#         [-DPLACEHOLDERS=TRUE] -P packaging/release.cmake
#
# Only what the release ships is built (the library, the simulation driver and the WPILib
# stand-in where it is used); each preset's tests are its own gate.
cmake_minimum_required(VERSION 3.25)  # presets of version 6
foreach(var SOURCE PRESETS JSON OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "release.cmake: -D${var}= is required")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)

string(REPLACE "|" ";" PRESETS "${PRESETS}")
file(READ ${SOURCE}/CMakePresets.json presets_json)
string(JSON count LENGTH "${presets_json}" configurePresets)
math(EXPR last "${count} - 1")
set(builds "")
foreach(preset ${PRESETS})
  # The preset's build folder, as its binaryDir says.
  set(binary_dir "")
  foreach(i RANGE ${last})
    string(JSON name GET "${presets_json}" configurePresets ${i} name)
    if(name STREQUAL preset)
      string(JSON binary_dir GET "${presets_json}" configurePresets ${i} binaryDir)
    endif()
  endforeach()
  if(NOT binary_dir)
    message(FATAL_ERROR "release.cmake: no configure preset ${preset} with a binaryDir")
  endif()
  string(REPLACE "\${sourceDir}" "${SOURCE}" binary_dir "${binary_dir}")
  message(STATUS "== release: building ${preset} (${binary_dir})")
  run(${CMAKE_COMMAND} --preset ${preset} OUTPUT_QUIET)
  include(${binary_dir}/vendordep-build.cmake)
  set(targets Velmora VelmoraDriver)
  if(vendordep_wpilib_standin)
    list(APPEND targets wpilibc)
  endif()
  if(vendordep_jni)
    list(APPEND targets VelmoraJNI VelmoraSimJNI)
  endif()
  run(${CMAKE_COMMAND} --build --preset ${preset} --target ${targets})
  list(APPEND builds ${binary_dir})
endforeach()

# The jar and its sources jar, from the Java build against wpilibj, when wpilibj is there.
set(java_args "")
if(IS_DIRECTORY ${SOURCE}/../shared/wpilib-2020.3.2-java)
  message(STATUS "== release: building the jars (java)")
  run(${CMAKE_COMMAND} --preset java OUTPUT_QUIET)
  run(${CMAKE_COMMAND} --build --preset java --target velmora_jar velmora_sources_jar
      velmora_simulation_jar velmora_simulation_sources_jar)
  get_filename_component(wpilibj ${SOURCE}/../shared/wpilib-2020.3.2-java ABSOLUTE)
  set(java_args -DJAVA_JARS=${SOURCE}/build/java/java -DWPILIBJ=${wpilibj})
else()
  message(STATUS "No wpilibj in ../shared/wpilib-2020.3.2-java: the release has no Java artifacts")
endif()

string(REPLACE ";" "|" builds "${builds}")
# Windows in release only (see pack.cmake: no windowsx86-64debug archive).
set(require "linuxx86-64|linuxx86-64debug|windowsx86-64")
run(${CMAKE_COMMAND} -DBUILDS=${builds} -DOUT=${OUT} -DJSON=${JSON}
    -DMSVC_ARCHIVES=${MSVC_ARCHIVES} -DCHECK=${SOURCE}/packaging/check.cmake
    -DHEADERS=${SOURCE}/include|${SOURCE}/sim_driver/include -DREQUIRE=${require}
    -DCONSUMER=${SOURCE}/tests/consumer ${java_args} -P ${SOURCE}/packaging/pack.cmake)

file(GLOB_RECURSE outputs RELATIVE ${OUT} ${OUT}/*.zip ${OUT}/*.json)
list(FILTER outputs EXCLUDE REGEX "^maven/")
string(REPLACE ";" "\n  " outputs "${outputs}")
message(STATUS "Release in ${OUT}: the maven/ tree and\n  ${outputs}")
if(PLACEHOLDERS)
  message(STATUS "NOTE: the vendor file's URLs are placeholders (velmora.example); a published "
                 "release sets -DVELMORA_MAVEN_URL= and -DVELMORA_JSON_URL=")
endif()
