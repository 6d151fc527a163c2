# Unpacks the release's Java artifacts exactly as WPILib's Gradle plugin does for a Java robot
# program's desktop simulation (simulateJava), compiles the Java consumer against the unpacked
# jars (and wpilibj) and runs it with the unpacked native libraries. Run by pack.cmake with
# -DCONSUMER.
#
#   cmake -DJSON="<vendordeps/Velmora.json>|<vendordeps/VelmoraSimulation.json>"
#         -DREPO=<maven root> -DWPILIBJ=<wpilibj desktop build>
#         -DSOURCE=<tests/consumer/java> -DWORK=<scratch folder> -P packaging/consume_java.cmake
#
# The jar of each javaDependencies entry goes on the class path. The plugin gives a Java program
# only the jniDependencies archives (never a cppDependencies one): from each of them for
# linuxx86-64 every **/*.so goes into one folder, together with WPILib's own JNI natives as the
# plugin extracts them (its HAL, ntcore and wpiutil with their JNI libraries; no wpilibc), and
# that folder alone is the program's java.library.path.
cmake_minimum_required(VERSION 3.20)
foreach(var JSON REPO WPILIBJ SOURCE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consume_java.cmake: -D${var}= is required")
  endif()
  get_filename_component(${var} ${${var}} ABSOLUTE)
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)
find_program(JAVAC javac REQUIRED)
find_program(JAVA java REQUIRED)

file(REMOVE_RECURSE ${WORK})
set(natives ${WORK}/natives)
file(MAKE_DIRECTORY ${natives} ${WORK}/classes)
string(REPLACE "|" ";" JSON "${JSON}")
set(json_files "")
foreach(file ${JSON})
  get_filename_component(file ${file} ABSOLUTE)
  list(APPEND json_files ${file})
endforeach()

function(artifact_base kind i out)
  string(JSON group GET "${json}" ${kind} ${i} groupId)
  string(JSON artifact GET "${json}" ${kind} ${i} artifactId)
  string(JSON version GET "${json}" ${kind} ${i} version)
  string(REPLACE "." "/" group_path "${group}")
  set(${out} ${REPO}/${group_path}/${artifact}/${version}/${artifact}-${version} PARENT_SCOPE)
endfunction()

# The jars.
set(classpath "")
foreach(json_file ${json_files})
  file(READ ${json_file} json)
  string(JSON java_count LENGTH "${json}" javaDependencies)
  if(java_count EQUAL 0)
    message(FATAL_ERROR "consume_java.cmake: ${json_file} offers no Java artifact")
  endif()
  math(EXPR last "${java_count} - 1")
  foreach(i RANGE ${last})
    artifact_base(javaDependencies ${i} base)
    if(NOT EXISTS ${base}.jar)
      message(FATAL_ERROR "consume_java.cmake: ${base}.jar is missing")
    endif()
    list(APPEND classpath ${base}.jar)
  endforeach()

  # The native libraries of the jniDependencies, every one into one folder.
  string(JSON count LENGTH "${json}" jniDependencies)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    artifact_base(jniDependencies ${i} base)
    set(archive ${base}-linuxx86-64.zip)
    if(NOT EXISTS ${archive})
      message(FATAL_ERROR "consume_java.cmake: ${archive} is missing")
    endif()
    set(scratch ${WORK}/unzip)
    file(REMOVE_RECURSE ${scratch})
    file(MAKE_DIRECTORY ${scratch})
    run(${CMAKE_COMMAND} -E chdir ${scratch} ${CMAKE_COMMAND} -E tar xf ${archive})
    file(GLOB_RECURSE libraries ${scratch}/*.so)
    file(COPY ${libraries} DESTINATION ${natives})
  endforeach()
endforeach()
file(REMOVE_RECURSE ${WORK}/unzip)
# WPILib's own natives for a Java program: its JNI libraries and the C++ libraries they load.
file(GLOB wpilib_natives ${WPILIBJ}/wpilib/lib/*.so)
list(FILTER wpilib_natives EXCLUDE REGEX "/libwpilibc\\.so$")
file(COPY ${wpilib_natives} DESTINATION ${natives})

file(GLOB wpilibj_jars ${WPILIBJ}/java/*.jar)
list(APPEND classpath ${wpilibj_jars})
string(REPLACE ";" ":" classpath "${classpath}")
run(${JAVAC} --release 11 -Xlint:all -Xlint:-path -Werror -cp ${classpath} -d ${WORK}/classes
    ${SOURCE}/JavaConsumer.java)
execute_process(COMMAND ${JAVA} -Xcheck:jni -Djava.library.path=${natives}
                        -cp ${WORK}/classes:${classpath} JavaConsumer
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the Java consumer exited with ${rc}:\n${out}\n${err}")
endif()
if(out MATCHES "WARNING in native method" OR err MATCHES "WARNING in native method")
  message(FATAL_ERROR "the Java consumer's JNI calls drew warnings:\n${out}\n${err}")
endif()
string(STRIP "${out}" out)
message(STATUS "${out}")

# The robot project (-DROBOT=<tests/robot_project>): a team's TimedRobot and its JUnit test, laid
# out as WPILib's Gradle project, built against the same unpacked jars.
if(NOT ROBOT)
  return()
endif()
get_filename_component(ROBOT ${ROBOT} ABSOLUTE)
find_file(JUNIT_CONSOLE junit-platform-console-standalone.jar PATHS /usr/share/java NO_DEFAULT_PATH)
find_program(CXX NAMES c++ g++ clang++ REQUIRED)
set(robot ${WORK}/robot)
file(MAKE_DIRECTORY ${robot}/classes ${robot}/test-classes)
file(GLOB_RECURSE main_sources ${ROBOT}/java/src/main/java/*.java)
run(${JAVAC} --release 11 -Xlint:all -Xlint:-path -Werror -cp ${classpath} -d ${robot}/classes
    ${main_sources})

# simulateJava: the robot's jar with the vendor files' jars on the class path, the unpacked
# natives the only java.library.path, and the HAL's simulation extensions named in
# HALSIM_EXTENSIONS. Here the extension is a headless driver station that enables the robot in
# autonomous, where a team clicks the simulation GUI's buttons.
run(${CXX} -shared -fPIC -pthread -o ${robot}/libheadless_ds.so ${ROBOT}/sim/headless_ds.cpp
    ${natives}/libwpiHal.so)
set(ENV{HALSIM_EXTENSIONS} ${robot}/libheadless_ds.so)
execute_process(COMMAND sh ${ROBOT}/sim/run_until.sh ${robot}/simulate.log
                        "Robot: autonomous done at .* m driven" 120
                        ${JAVA} -Djava.library.path=${natives}
                        -cp ${robot}/classes:${classpath} frc.robot.Main
                RESULT_VARIABLE rc)
unset(ENV{HALSIM_EXTENSIONS})
file(READ ${robot}/simulate.log log)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the robot program started as simulateJava starts it did not finish "
                      "autonomous (${rc}):\n${log}")
endif()
if(NOT log MATCHES "autonomous done at x=([0-9.]+) m" OR CMAKE_MATCH_1 LESS 1.5)
  message(FATAL_ERROR "the robot did not drive forward on the simulated field:\n${log}")
endif()
string(REGEX MATCH "Robot: autonomous done[^\n]*" line "${log}")
message(STATUS "simulateJava layout: ${line}")

# What a team reads when a native library is missing: the robot's devices are fields, so the
# robot fails while WPILib constructs it, and WPILib prints only the innermost cause. A project
# without VelmoraSimulation.json (no driver beside VelmoraJNI), and one without any of the
# release's native libraries: each run must name the library, the folder searched and the
# vendor file to add, on its own line and in WPILib's report.
foreach(case no-driver no-jni)
  set(folder ${robot}/natives-${case})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
  file(GLOB present ${natives}/*.so)
  foreach(library ${present})
    get_filename_component(name ${library} NAME)
    if(name MATCHES "^libVelmora(Driver|SimJNI)\\.so$"
       OR (case STREQUAL "no-jni" AND name STREQUAL "libVelmoraJNI.so"))
      continue()
    endif()
    file(COPY ${library} DESTINATION ${folder})
  endforeach()
  if(case STREQUAL "no-driver")
    set(wanted "the driver libVelmoraDriver.so was not found beside the JNI library "
               "libVelmoraJNI.so. For desktop simulation and tests add the vendor file "
               "VelmoraSimulation.json")
  else()
    set(wanted "the JNI library libVelmoraJNI.so is in none of these folders. Add the vendor "
               "file Velmora.json")
  endif()
  string(CONCAT wanted "Velmora: the native library VelmoraJNI could not be loaded: " ${wanted})
  execute_process(COMMAND sh ${ROBOT}/sim/run_until.sh ${robot}/${case}.log
                          "Could not instantiate robot" 120
                          ${JAVA} -Djava.library.path=${folder}
                          -cp ${robot}/classes:${classpath} frc.robot.Main)
  file(READ ${robot}/${case}.log log)
  string(FIND "${log}" "\n${wanted}" own_line)
  string(FIND "${log}" "Folders searched (java.library.path): ${folder}." searched)
  set(wpilib_line FALSE)
  if(log MATCHES "Unhandled exception instantiating robot [^ ]+ java\\.lang\\.UnsatisfiedLinkError: ${wanted}")
    set(wpilib_line TRUE)
  endif()
  if(own_line EQUAL -1 OR NOT wpilib_line OR searched EQUAL -1)
    message(FATAL_ERROR "${case}: the console does not say what to add:\n${log}")
  endif()
  message(STATUS "${case}: the console names the library, the folder and what to add")
endforeach()

# The robot's JUnit test, with the same class path and natives.
file(GLOB_RECURSE test_sources ${ROBOT}/java/src/test/java/*.java)
file(GLOB junit_jars /usr/share/java/junit-jupiter-api.jar /usr/share/java/apiguardian-api.jar
     /usr/share/java/opentest4j.jar)
string(REPLACE ";" ":" junit_classpath "${junit_jars}")
run(${JAVAC} --release 11 -Xlint:all -Xlint:-path -Werror
    -cp ${robot}/classes:${classpath}:${junit_classpath} -d ${robot}/test-classes ${test_sources})
execute_process(COMMAND ${JAVA} -Djava.library.path=${natives} -jar ${JUNIT_CONSOLE}
                        --disable-banner --details=tree --fail-if-no-tests
                        --class-path ${robot}/test-classes:${robot}/classes:${classpath}
                        --scan-class-path ${robot}/test-classes
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the robot's JUnit test failed (${rc}):\n${out}\n${err}")
endif()
message(STATUS "the robot's JUnit test passes")
