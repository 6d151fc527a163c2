# Unpacks the release's Java artifacts as WPILib's build tooling does for a Java robot program,
# compiles the Java consumer against the unpacked jar (and wpilibj) and runs it with the unpacked
# native libraries. Run by pack.cmake with -DCONSUMER.
#
#   cmake -DJSON=<vendordeps/Velmora.json> -DREPO=<maven root> -DWPILIBJ=<wpilibj desktop build>
#         -DSOURCE=<tests/consumer/java> -DWORK=<scratch folder> -P packaging/consume_java.cmake
#
# The jar of each javaDependencies entry goes on the class path; from each jniDependencies
# archive and each cppDependencies archive for linuxx86-64 every **/*.so goes into one folder,
# which is the program's java.library.path, beside wpilibj's own JNI libraries.
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
file(READ ${JSON} json)

function(artifact_base kind i out)
  string(JSON group GET "${json}" ${kind} ${i} groupId)
  string(JSON artifact GET "${json}" ${kind} ${i} artifactId)
  string(JSON version GET "${json}" ${kind} ${i} version)
  string(REPLACE "." "/" group_path "${group}")
  set(${out} ${REPO}/${group_path}/${artifact}/${version}/${artifact}-${version} PARENT_SCOPE)
endfunction()

# The jars.
set(classpath "")
string(JSON java_count LENGTH "${json}" javaDependencies)
if(java_count EQUAL 0)
  message(FATAL_ERROR "consume_java.cmake: the vendor file offers no Java artifact")
endif()
math(EXPR last "${java_count} - 1")
foreach(i RANGE ${last})
  artifact_base(javaDependencies ${i} base)
  if(NOT EXISTS ${base}.jar)
    message(FATAL_ERROR "consume_java.cmake: ${base}.jar is missing")
  endif()
  list(APPEND classpath ${base}.jar)
endforeach()

# The native libraries, every one into one folder, as the tooling extracts them.
foreach(kind jniDependencies cppDependencies)
  string(JSON count LENGTH "${json}" ${kind})
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    artifact_base(${kind} ${i} base)
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

file(GLOB wpilibj_jars ${WPILIBJ}/java/*.jar)
list(APPEND classpath ${wpilibj_jars})
string(REPLACE ";" ":" classpath "${classpath}")
run(${JAVAC} --release 11 -Xlint:all -Xlint:-path -Werror -cp ${classpath} -d ${WORK}/classes
    ${SOURCE}/JavaConsumer.java)
execute_process(COMMAND ${JAVA} -Xcheck:jni -Djava.library.path=${natives}:${WPILIBJ}/wpilib/lib
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
