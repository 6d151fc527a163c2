# The C++ robot project of the robot project guide (tests/robot_project), built and run from the
# release's unpacked archives in both ways the guide gives. Run by pack.cmake with -DCONSUMER for
# a Linux release build against a real WPILib 2020.
#
#   cmake -DJSON="<vendordeps/Velmora.json>|<vendordeps/VelmoraSimulation.json>"
#         -DREPO=<maven root> -DBUILD=<build folder> -DROBOT=<tests/robot_project>
#         [-DGUIDE=<docs/robot-project.md>] -DWORK=<scratch folder>
#         -P packaging/consume_robot_cpp.cmake
#
#  - simulateNative's layout: built as WPILib's Gradle plugin builds it (every headers archive an
#    include folder, every library of the platform archives linked), installed with WPILib's and
#    the archives' libraries in one folder beside the program, run with that folder as the
#    loader's path as the plugin's run does; the robot drives in autonomous on the simulated
#    field, and its GoogleTest test passes;
#  - plain CMake: the guide's commands (docs/robot-project.md, the block after
#    "<!-- commands: plain-cmake -->") as they stand, in a copy of the project: the archives
#    unpacked into one folder, the project's own CMakeLists.txt with find_package(Velmora) (the
#    package file shipped in the Velmora-cpp platform archive), the test and the program run
#    with no LD_LIBRARY_PATH at all.
# The simulation's driver station is a HAL extension enabling the robot in autonomous, loaded
# through HALSIM_EXTENSIONS as the plugin loads the simulation GUI.
cmake_minimum_required(VERSION 3.20)
foreach(var JSON REPO BUILD ROBOT WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consume_robot_cpp.cmake: -D${var}= is required")
  endif()
endforeach()
foreach(var REPO BUILD ROBOT WORK)
  get_filename_component(${var} ${${var}} ABSOLUTE)
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)
include(${BUILD}/vendordep-build.cmake)
string(REPLACE "|" ";" JSON "${JSON}")
string(REPLACE "|" ";" wpilib_prefix "${vendordep_wpilib_prefix}")
list(GET wpilib_prefix 0 wpilib_root)
find_program(CXX NAMES c++ g++ clang++ REQUIRED)

file(REMOVE_RECURSE ${WORK})
set(gradle ${WORK}/simulateNative)
set(plain ${WORK}/plain-cmake/velmora)
file(MAKE_DIRECTORY ${gradle}/unpacked/include ${gradle}/unpacked/lib ${plain}/include)
# (the plain-CMake unpacking here feeds simulateNative's layout; the plain-CMake run below
# unpacks the archives itself, with the guide's commands)
foreach(json_file ${JSON})
  file(READ ${json_file} json)
  string(JSON count LENGTH "${json}" cppDependencies)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON group GET "${json}" cppDependencies ${i} groupId)
    string(JSON artifact GET "${json}" cppDependencies ${i} artifactId)
    string(JSON version GET "${json}" cppDependencies ${i} version)
    string(JSON header_classifier GET "${json}" cppDependencies ${i} headerClassifier)
    string(REPLACE "." "/" group_path "${group}")
    set(base ${REPO}/${group_path}/${artifact}/${version}/${artifact}-${version})
    foreach(include ${gradle}/unpacked/include ${plain}/include)
      run(${CMAKE_COMMAND} -E chdir ${include} ${CMAKE_COMMAND} -E tar xf
          ${base}-${header_classifier}.zip)
    endforeach()
    run(${CMAKE_COMMAND} -E chdir ${plain} ${CMAKE_COMMAND} -E tar xf ${base}-linuxx86-64.zip)
  endforeach()
endforeach()
file(GLOB_RECURSE libraries ${plain}/*.so)
file(COPY ${libraries} DESTINATION ${gradle}/unpacked/lib)

run(${CXX} -shared -fPIC -pthread -o ${WORK}/libheadless_ds.so ${ROBOT}/sim/headless_ds.cpp
    ${wpilib_root}/wpilib/lib/libwpiHal.so)

# Runs a robot program until its autonomous is done; it must have driven forward.
function(run_robot label log)
  set(ENV{HALSIM_EXTENSIONS} ${WORK}/libheadless_ds.so)
  execute_process(COMMAND sh ${ROBOT}/sim/run_until.sh ${log} "Robot: autonomous done at .* m driven" 120 ${ARGN}
                  RESULT_VARIABLE rc)
  unset(ENV{HALSIM_EXTENSIONS})
  file(READ ${log} out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${label}: the robot program did not finish autonomous (${rc}):\n${out}")
  endif()
  if(NOT out MATCHES "autonomous done at x=([0-9.]+) m" OR CMAKE_MATCH_1 LESS 1.5)
    message(FATAL_ERROR "${label}: the robot did not drive forward on the simulated field:\n${out}")
  endif()
  string(REGEX MATCH "Robot: autonomous done[^\n]*" line "${out}")
  message(STATUS "${label}: ${line}")
endfunction()

function(run_test label)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 300)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "\\[  PASSED  \\] 1 test")
    message(FATAL_ERROR "${label}: the robot's GoogleTest test failed (${rc}):\n${out}\n${err}")
  endif()
  message(STATUS "${label}: the robot's GoogleTest test passes")
endfunction()

# simulateNative's layout.
string(REPLACE ";" "|" prefix_arg "${wpilib_prefix}")
run(${CMAKE_COMMAND} -S ${ROBOT}/gradle_native -B ${gradle}/build -DCMAKE_BUILD_TYPE=Release
    -DUNPACKED=${gradle}/unpacked -DWPILIB_PREFIX=${prefix_arg} OUTPUT_QUIET)
run(${CMAKE_COMMAND} --build ${gradle}/build OUTPUT_QUIET)
set(lib ${gradle}/install/lib)
file(READ ${gradle}/build/wpilib-runtime.txt wpilib_runtime)
file(GLOB vendor_runtime ${gradle}/unpacked/lib/*.so)
file(COPY ${gradle}/build/frcUserProgram ${gradle}/build/frcUserProgramTest ${vendor_runtime}
     ${wpilib_runtime} DESTINATION ${lib})
set(ENV{LD_LIBRARY_PATH} ${lib})
run_robot("simulateNative layout" ${gradle}/simulate.log ${lib}/frcUserProgram)
run_test("simulateNative layout" ${lib}/frcUserProgramTest)
unset(ENV{LD_LIBRARY_PATH})

# Plain CMake with find_package(Velmora): the robot project guide's commands as they stand, in a
# copy of the project, with MAVEN, VERSION and WPILIB set as the guide says; the last command
# (the robot program, which runs until stopped) is run until autonomous is done. No loader path.
if(NOT GUIDE)
  get_filename_component(GUIDE ${ROBOT}/../../docs/robot-project.md ABSOLUTE)
endif()
file(READ ${GUIDE} guide)
string(FIND "${guide}" "<!-- commands: plain-cmake -->\n```sh\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${GUIDE}: no plain-cmake commands block")
endif()
math(EXPR at "${at} + 37")
string(SUBSTRING "${guide}" ${at} -1 guide)
string(FIND "${guide}" "```" end)
string(SUBSTRING "${guide}" 0 ${end} commands)
string(STRIP "${commands}" commands)
string(FIND "${commands}" "\n" last_break REVERSE)
math(EXPR after "${last_break} + 1")
string(SUBSTRING "${commands}" ${after} -1 last_command)
string(SUBSTRING "${commands}" 0 ${last_break} commands)
if(NOT last_command STREQUAL "./build/robot")
  message(FATAL_ERROR "${GUIDE}: the plain-cmake commands end in \"${last_command}\", not the robot")
endif()
set(project ${WORK}/plain-cmake)
file(REMOVE_RECURSE ${project})
file(COPY ${ROBOT}/cpp/ DESTINATION ${project})
file(WRITE ${project}/guide-commands.sh "set -e\n${commands}\n")
list(GET JSON 0 first_file)
file(READ ${first_file} first_json)
string(JSON version GET "${first_json}" version)
set(ENV{MAVEN} ${REPO}/dev/velmora/frc)
set(ENV{VERSION} ${version})
set(ENV{WPILIB} ${wpilib_root})
unset(ENV{LD_LIBRARY_PATH})
execute_process(COMMAND sh ${project}/guide-commands.sh WORKING_DIRECTORY ${project}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "\\[  PASSED  \\] 1 test")
  message(FATAL_ERROR "plain CMake: the guide's commands failed (${rc}):\n${out}\n${err}")
endif()
message(STATUS "plain CMake: the guide's commands build the robot and its test passes")
run_robot("plain CMake" ${project}/simulate.log ${project}/build/robot)
