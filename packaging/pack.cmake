# Packs the vendor dependency: the JSON file and, in the Maven layout that WPILib's build tooling
# reads, for each C++ artifact of the JSON file (the library and the simulation driver) its .pom,
# its headers archive and one archive per platform build.
#
#   cmake -DBUILDS="build/default|build/windows" -DOUT=build/vendordep -P packaging/pack.cmake
#
# BUILDS lists configured and built folders ('|' or ';' between them); each says in
# vendordep-build.cmake which archive it fills: "<platform>" for a release build, "<platform>debug"
# for a Debug build. OUT gets Velmora.json and maven/<group>/<artifact>/<version>/ with
# <artifact>-<version>.pom and <artifact>-<version>-{headers,<classifier>}.zip. A build folder
# after the first that has not been configured is passed over with a note.
#
# With -DCHECK=<check.cmake> and -DHEADERS=<include folders> the result is checked at once: every
# packed archive, and every classifier or platform in -DREQUIRE="linuxx86-64|windowsx86-64debug".
# With -DCONSUMER=<tests/consumer> the consumer program is then built and run from the unpacked
# archives of every packed classifier (packaging/consume.cmake).
cmake_minimum_required(VERSION 3.21)  # file(RPATH_SET)
foreach(var BUILDS OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack.cmake: -D${var}= is required")
  endif()
endforeach()
string(REPLACE "|" ";" BUILDS "${BUILDS}")
get_filename_component(OUT ${OUT} ABSOLUTE)
set(absolute "")
foreach(build ${BUILDS})
  get_filename_component(build ${build} ABSOLUTE)
  list(APPEND absolute ${build})
endforeach()
set(BUILDS ${absolute})

# The install component that holds each artifact's library and headers, by its libName.
set(component_of_Velmora Velmora)
set(component_of_VelmoraDriver VelmoraSimDriver)
# What each artifact is, for the README.txt of its archives.
set(description_of_Velmora "The device library.")
set(description_of_VelmoraDriver "The simulation driver: it simulates the devices, so that a \
desktop program or test runs with no hardware.
On the robot the maker's driver, a library of the same name, takes its place.")

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)

# A zip of everything in `dir`, with fixed times so that the same files give the same archive.
function(zip_folder dir archive)
  file(GLOB entries RELATIVE ${dir} ${dir}/*)
  list(SORT entries)
  file(REMOVE ${archive})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip
                          "--mtime=2020-01-01 00:00:00 UTC" ${entries}
                  WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${archive}")
  endif()
endfunction()

# Maven repositories carry a SHA-1 and an MD5 file beside every file; Gradle checks them if there.
function(write_checksums file)
  foreach(algorithm SHA1 MD5)
    file(${algorithm} ${file} sum)
    string(TOLOWER ${algorithm} extension)
    file(WRITE ${file}.${extension} "${sum}")
  endforeach()
endfunction()

# The text that says what a platform archive holds and which programs it links with.
function(write_readme file artifact version lib classifier)
  if(vendordep_build_type STREQUAL "Debug")
    set(kind "Debug build (no optimisation, with debug information)")
  else()
    set(kind "Release build")
  endif()
  set(compiler "${vendordep_compiler_family} ${vendordep_compiler_version}")
  if(vendordep_platform STREQUAL "windowsx86-64")
    file(GLOB runtime RELATIVE ${stage}/bin ${stage}/bin/*.dll)
    list(REMOVE_ITEM runtime ${lib}.dll)
    string(REPLACE ";" ", " runtime "${runtime}")
    if(vendordep_compiler_family STREQUAL "MinGW-w64 GCC")
      set(family "FOR PROGRAMS BUILT WITH MinGW-w64 GCC ONLY. A C++ DLL links only with programs of
its own compiler family: this one exports GCC-mangled names and uses GCC's C++ runtime.
WPILib's Windows desktop builds use MSVC (Visual Studio 2019 for the 2020 season); they need
an MSVC build of this library instead.

The compiler's runtime DLLs it needs are included: ${runtime}.
Every module of a program must share them: keep them beside the program.")
    else()
      set(family "For programs built with ${vendordep_compiler_family}.")
    endif()
    set(files "windows/x86-64/shared/${lib}.dll, its import library ${lib}.lib")
  else()
    set(family "For programs built with GCC or Clang against libstdc++ (the C++ ABI of GCC 5 on).")
    set(files "linux/x86-64/shared/lib${lib}.so (SONAME lib${lib}.so)")
  endif()
  file(WRITE ${file} "${artifact} ${version}, ${classifier}
${description_of_${lib}}

Files: ${files}.
Built with ${compiler}. ${kind}.

${family}
")
endfunction()

list(GET BUILDS 0 first_build)
file(READ ${first_build}/Velmora.json json)
string(JSON dep_count LENGTH "${json}" cppDependencies)
math(EXPR last_dep "${dep_count} - 1")
set(repo ${OUT}/maven)

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${repo})
file(WRITE ${OUT}/Velmora.json "${json}")

set(packed "")
set(packed_builds "")
foreach(build ${BUILDS})
  if(NOT EXISTS ${build}/vendordep-build.cmake)
    if(build STREQUAL first_build)
      message(FATAL_ERROR "${build}: not a configured build")
    endif()
    message(STATUS "Passing over ${build}: not a configured build")
    continue()
  endif()
  include(${build}/vendordep-build.cmake)
  set(classifier ${vendordep_classifier})
  if(NOT classifier)
    message(FATAL_ERROR "${build}: no WPILib platform for this build")
  endif()
  if(classifier IN_LIST packed)
    message(FATAL_ERROR "${build}: a second build for the archive ${classifier}")
  endif()

  foreach(i RANGE ${last_dep})
    string(JSON group GET "${json}" cppDependencies ${i} groupId)
    string(JSON artifact GET "${json}" cppDependencies ${i} artifactId)
    string(JSON version GET "${json}" cppDependencies ${i} version)
    string(JSON lib GET "${json}" cppDependencies ${i} libName)
    string(JSON header_classifier GET "${json}" cppDependencies ${i} headerClassifier)
    if(NOT DEFINED component_of_${lib})
      message(FATAL_ERROR "pack.cmake: no install component is known for the library ${lib}")
    endif()
    string(REPLACE "." "/" group_path "${group}")
    set(artifact_dir ${repo}/${group_path}/${artifact}/${version})
    set(base ${artifact_dir}/${artifact}-${version})
    file(MAKE_DIRECTORY ${artifact_dir})

    set(stage ${OUT}/stage/${classifier}/${lib})
    run(${CMAKE_COMMAND} --install ${build} --prefix ${stage} --component ${component_of_${lib}}
        OUTPUT_QUIET)
    if(vendordep_platform STREQUAL "windowsx86-64")
      run(${CMAKE_COMMAND} --install ${build} --prefix ${stage} --component MinGWRuntime
          OUTPUT_QUIET)
    endif()

    if(NOT EXISTS ${base}-${header_classifier}.zip)  # the same on every platform: pack once
      zip_folder(${stage}/include ${base}-${header_classifier}.zip)
    endif()

    set(tree ${OUT}/tree/${classifier}/${lib})
    if(vendordep_platform STREQUAL "linuxx86-64")
      # One plain file under the name the library's SONAME gives (zip archives hold no links).
      set(shared ${tree}/linux/x86-64/shared)
      file(MAKE_DIRECTORY ${shared})
      if(NOT EXISTS ${stage}/lib/lib${lib}.so)
        message(FATAL_ERROR "${build}: the install holds no lib/lib${lib}.so")
      endif()
      get_filename_component(real ${stage}/lib/lib${lib}.so REALPATH)
      file(COPY_FILE ${real} ${shared}/lib${lib}.so)
      # The tooling puts the libraries of every artifact in one folder: they find each other
      # there. No other folder of the build machine's install goes out with them.
      file(RPATH_SET FILE ${shared}/lib${lib}.so NEW_RPATH "$ORIGIN")
    elseif(vendordep_platform STREQUAL "windowsx86-64")
      # The DLL, its import library, and the compiler's runtime DLLs it needs.
      set(shared ${tree}/windows/x86-64/shared)
      file(MAKE_DIRECTORY ${shared})
      file(GLOB dlls ${stage}/bin/*.dll)
      file(COPY ${dlls} ${stage}/lib/${lib}.lib DESTINATION ${shared})
      # The compiler's runtime DLLs come with their debug information (about 20 MB for the C++
      # runtime): the package ships their code only.
      file(GLOB runtime_dlls ${shared}/*.dll)
      list(REMOVE_ITEM runtime_dlls ${shared}/${lib}.dll)
      if(runtime_dlls AND vendordep_strip)
        run(${vendordep_strip} --strip-debug ${runtime_dlls})
      endif()
    else()
      message(FATAL_ERROR "no archive layout for platform ${vendordep_platform}")
    endif()
    write_readme(${tree}/README.txt ${artifact} ${version} ${lib} ${classifier})
    zip_folder(${tree} ${base}-${classifier}.zip)
  endforeach()
  list(APPEND packed ${classifier})
  list(APPEND packed_builds ${build})
endforeach()
file(REMOVE_RECURSE ${OUT}/stage ${OUT}/tree)

# Maven metadata: the .pom that makes each version resolvable, and the version list.
foreach(i RANGE ${last_dep})
  string(JSON group GET "${json}" cppDependencies ${i} groupId)
  string(JSON artifact GET "${json}" cppDependencies ${i} artifactId)
  string(JSON version GET "${json}" cppDependencies ${i} version)
  string(JSON lib GET "${json}" cppDependencies ${i} libName)
  string(REPLACE "." "/" group_path "${group}")
  set(artifact_root ${repo}/${group_path}/${artifact})
  set(base ${artifact_root}/${version}/${artifact}-${version})
  file(WRITE ${base}.pom "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<project xmlns=\"http://maven.apache.org/POM/4.0.0\"
         xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"
         xsi:schemaLocation=\"http://maven.apache.org/POM/4.0.0 http://maven.apache.org/xsd/maven-4.0.0.xsd\">
  <modelVersion>4.0.0</modelVersion>
  <groupId>${group}</groupId>
  <artifactId>${artifact}</artifactId>
  <version>${version}</version>
  <packaging>pom</packaging>
  <description>${lib}: headers and shared libraries for WPILib C++ robot programs</description>
</project>
")
  file(WRITE ${artifact_root}/maven-metadata.xml "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<metadata>
  <groupId>${group}</groupId>
  <artifactId>${artifact}</artifactId>
  <versioning>
    <latest>${version}</latest>
    <release>${version}</release>
    <versions>
      <version>${version}</version>
    </versions>
    <lastUpdated>20200101000000</lastUpdated>
  </versioning>
</metadata>
")
  write_checksums(${artifact_root}/maven-metadata.xml)
  file(GLOB files ${artifact_root}/${version}/*.zip ${artifact_root}/${version}/*.pom)
  foreach(file ${files})
    write_checksums(${file})
  endforeach()
endforeach()

string(REPLACE ";" ", " packed_text "${packed}")
message(STATUS "Packed ${dep_count} artifacts (${packed_text}) into ${OUT}")

if(CHECK)
  string(REPLACE "|" ";" require "${REQUIRE}")
  list(APPEND require ${packed})
  list(REMOVE_DUPLICATES require)
  string(REPLACE ";" "|" require "${require}")
  string(REPLACE ";" "|" headers "${HEADERS}")
  run(${CMAKE_COMMAND} -DJSON=${OUT}/Velmora.json -DREPO=${repo} -DHEADERS=${headers}
      -DREQUIRE=${require} -P ${CHECK})
endif()

if(CONSUMER)
  get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
  foreach(build ${packed_builds})
    run(${CMAKE_COMMAND} -DJSON=${OUT}/Velmora.json -DREPO=${repo} -DBUILD=${build}
        -DSOURCE=${CONSUMER} -DWORK=${OUT}/consume -P ${here}/consume.cmake)
  endforeach()
  file(REMOVE_RECURSE ${OUT}/consume)
endif()
