# Packs a release: the vendor files, the Maven tree that WPILib's build tooling reads, and the
# offline installer.
#
#   cmake -DBUILDS="build/real-wpilib|build/linux-debug-real-wpilib|build/windows-msvc|..."
#         -DOUT=build/release/out
#         [-DJSON="<configured Velmora.json>|<configured VelmoraSimulation.json>"]
#         [-DMSVC_ARCHIVES=<folder>] [-DCHECK=<check.cmake> -DHEADERS=<include folders>]
#         [-DREQUIRE="linuxx86-64|linuxx86-64debug"] [-DCONSUMER=<tests/consumer>]
#         [-DJAVA_JARS=<folder> -DWPILIBJ=<wpilibj desktop build>] -P packaging/pack.cmake
#
# BUILDS lists configured and built folders ('|' or ';' between them); each says in
# vendordep-build.cmake what it is (platform, build type, compiler family). A build folder after
# the first that has not been configured is passed over with a note. JSON lists the configured
# vendor files (default: the first build's Velmora.json and VelmoraSimulation.json): the
# library's, and the simulation's (the simulation driver, and the simulated world's Java API with
# its JNI library); each file's platforms are filled here from what was packed.
#
# OUT gets:
#  - Velmora.json and VelmoraSimulation.json: the vendor files. An artifact lists a platform only
#    when its archive for that platform is in the Maven tree, so it offers nothing that does not
#    link.
#  - maven/<group>/<artifact>/<version>/: <artifact>-<version>.pom, -headers.zip, -sources.zip and
#    one archive per platform build (classifier "<platform>" or "<platform>debug"), each with
#    SHA-1 and MD5 files, and maven-metadata.xml per artifact. Linux builds and the MSVC-ABI
#    Windows build go here (a Windows build in release only: a debug build of a Windows robot
#    program links the debug runtime, /MDd, whose std::string cannot cross into the maker's
#    release-runtime driver, so there is no windowsx86-64debug archive). MSVC archives packed
#    elsewhere (the hosted Visual Studio workflow, which runs this script on its build) join from
#    MSVC_ARCHIVES, found there by their Maven file names, in place of the cross build's once
#    their DLLs export the same names. The Velmora-cpp platform archives also carry a CMake
#    package file (VelmoraConfig.cmake) at their root, for plain CMake against the unpacked
#    archives.
#  - Velmora-<version>-offline.zip: the maven/ tree and vendordeps/ with both vendor files, laid
#    out as the ~/wpilib/<year>/ folder a team unpacks it into.
#
# With CHECK and HEADERS the result is checked at once (check.cmake, both vendor files together:
# the tree as the tooling reads it, the runtime floor, the debug library names, MSVC-ABI DLLs);
# REQUIRE names classifiers that must be there. With CONSUMER the consumer program is built and
# run from the offline installer's layout for each build (consume.cmake; the Windows one with the
# build's cross toolchain, run under Wine), and for a Linux release build against a real WPILib
# the robot project of tests/robot_project in simulateNative's layout and with plain CMake
# (consume_robot_cpp.cmake).
#
# The artifacts are data: the vendor files' cppDependencies and jniDependencies, and below, per
# libName (per artifactId for a JNI artifact, which has no libName), the install component that
# holds it, its description and its source folders. The Java artifacts (javaDependencies: each
# jar and its sources jar) come from JAVA_JARS, the folder of a Java build's <artifactId>.jar and
# <artifactId>-sources.jar. Without JAVA_JARS, or without any JNI archive, a vendor file offers
# no Java at all (a jar without its native library would fail at its first call). With CONSUMER,
# JAVA_JARS and WPILIBJ the Java consumer runs as well, with the robot project's Java robot
# (consume_java.cmake).
cmake_minimum_required(VERSION 3.21)  # file(RPATH_SET), file(COPY_FILE)
foreach(var BUILDS OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack.cmake: -D${var}= is required")
  endif()
endforeach()
get_filename_component(source_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
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
# Its sources (folders of the repository), for the sources archive.
set(sources_of_Velmora src include)
set(sources_of_VelmoraDriver sim_driver/src sim_driver/wpilib sim_driver/include)
# The JNI artifacts, by artifactId: the libraries each archive holds. A Java program gets only
# what the jniDependencies bring, so the simulation's archive brings the simulation driver with
# the simulated world's bridge; the library's brings its bridge alone (the driver is the maker's
# on the robot, the simulation's in desktop simulation).
set(jni_libs_of_Velmora-jni VelmoraJNI)
set(jni_libs_of_Velmora-simulation-jni VelmoraSimJNI VelmoraDriver)
set(component_of_VelmoraJNI VelmoraJNI)
set(component_of_VelmoraSimJNI VelmoraSimJNI)
set(description_of_Velmora-jni "The JNI library that binds the Java classes (dev.velmora.frc, the \
artifact Velmora-java) to the driver. It needs the driver (VelmoraDriver) beside it: the maker's
on the robot, the simulation's (vendor file VelmoraSimulation.json) in desktop simulation.")
set(description_of_Velmora-simulation-jni "The simulation driver (VelmoraDriver), which simulates \
the devices so that a desktop program or test runs with no hardware, and the JNI library that
binds the simulated world's Java API (dev.velmora.frc.sim, the artifact Velmora-simulation-java)
to it. For desktop simulation and tests only: on the robot the maker's driver takes its place.")

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunCommand.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/runtime_floor.cmake)
string(REPLACE ";" ", " floor_text "${velmora_runtime_floor}")

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

# What the build is, in words, for the README.txt files.
function(describe_build out_kind out_compiler)
  if(build_type STREQUAL "Debug")
    set(${out_kind} "Debug build (no optimisation, with debug information)" PARENT_SCOPE)
  else()
    set(${out_kind} "Release build" PARENT_SCOPE)
  endif()
  set(${out_compiler} "${vendordep_compiler_family} ${vendordep_compiler_version}" PARENT_SCOPE)
endfunction()

# The text that says what a platform archive of the Maven tree holds and what it links with.
function(write_readme file artifact version libs classifier)
  describe_build(kind compiler)
  list(GET libs 0 lib)
  set(description "${description_of_${lib}}")
  if(DEFINED description_of_${artifact})
    set(description "${description_of_${artifact}}")
  endif()
  set(files "")
  foreach(one ${libs})
    if(vendordep_platform STREQUAL "windowsx86-64")
      if(one MATCHES "JNI$")
        list(APPEND files "windows/x86-64/shared/${one}.dll")
      else()
        list(APPEND files "windows/x86-64/shared/${one}.dll, its import library ${one}.lib")
      endif()
    else()
      list(APPEND files "linux/x86-64/shared/lib${one}.so (SONAME lib${one}.so)")
    endif()
  endforeach()
  string(REPLACE ";" ",\n       " files "${files}")
  if(vendordep_platform STREQUAL "windowsx86-64")
    set(family "For programs built with ${vendordep_compiler_family} (WPILib's Windows desktop \
builds).")
  else()
    set(family "For programs built with GCC or Clang against libstdc++ (the C++ ABI of GCC 5 on).
Runtime floor: needs no symbol version newer than ${floor_text}
(Ubuntu 18.04 and later, where WPILib 2020's own desktop binaries run); checked when packed.")
    if(build_type STREQUAL "Debug" AND NOT lib STREQUAL "VelmoraJNI")
      string(APPEND family "
Links against WPILib's debug libraries (libwpilibcd.so, libwpiHald.so, libntcored.so,
libwpiutild.so), which a debug build of a robot program extracts.")
    endif()
  endif()
  file(WRITE ${file} "${artifact} ${version}, ${classifier}
${description}

Files: ${files}.
Built with ${compiler}. ${kind}.

${family}
")
endfunction()

list(GET BUILDS 0 first_build)
# The vendor files: the library's and the simulation's.
if(JSON)
  string(REPLACE "|" ";" JSON "${JSON}")
else()
  set(JSON ${first_build}/Velmora.json)
  if(EXISTS ${first_build}/VelmoraSimulation.json)
    list(APPEND JSON ${first_build}/VelmoraSimulation.json)
  endif()
endif()
set(absolute "")
foreach(file ${JSON})
  get_filename_component(file ${file} ABSOLUTE)
  list(APPEND absolute ${file})
endforeach()
set(JSON ${absolute})
list(GET JSON 0 main_json)
file(READ ${main_json} json)
string(JSON release_version GET "${json}" version)
string(JSON release_name GET "${json}" name)
set(repo ${OUT}/maven)

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${repo})

# Reads one vendor file into `json` and the counts the packing loops use.
macro(read_vendor_file file)
  file(READ ${file} json)
  string(JSON dep_count LENGTH "${json}" cppDependencies)
  math(EXPR last_dep "${dep_count} - 1")
  string(JSON jni_count LENGTH "${json}" jniDependencies)
  math(EXPR last_jni "${jni_count} - 1")
  string(JSON vendor_name GET "${json}" name)
  string(JSON vendor_file_name GET "${json}" fileName)
endmacro()

# Where each artifact's files go in the Maven tree.
macro(artifact_paths i)
  string(JSON group GET "${json}" cppDependencies ${i} groupId)
  string(JSON artifact GET "${json}" cppDependencies ${i} artifactId)
  string(JSON version GET "${json}" cppDependencies ${i} version)
  string(JSON lib GET "${json}" cppDependencies ${i} libName)
  string(REPLACE "." "/" group_path "${group}")
  set(artifact_root ${repo}/${group_path}/${artifact})
  set(artifact_dir ${artifact_root}/${version})
  set(base ${artifact_dir}/${artifact}-${version})
endmacro()

# Where a JNI artifact's files go in the Maven tree.
macro(jni_paths i)
  string(JSON group GET "${json}" jniDependencies ${i} groupId)
  string(JSON artifact GET "${json}" jniDependencies ${i} artifactId)
  string(JSON version GET "${json}" jniDependencies ${i} version)
  if(NOT DEFINED jni_libs_of_${artifact})
    message(FATAL_ERROR "pack.cmake: no library is known for the JNI artifact ${artifact}")
  endif()
  set(libs ${jni_libs_of_${artifact}})
  list(GET libs 0 lib)
  string(REPLACE "." "/" group_path "${group}")
  set(artifact_root ${repo}/${group_path}/${artifact})
  set(artifact_dir ${artifact_root}/${version})
  set(base ${artifact_dir}/${artifact}-${version})
endmacro()

# The JNI archives of a Linux or MSVC build that has the JNI libraries: each artifact's libraries
# under <os>/<arch>/shared/, which the tooling extracts into the folder on java.library.path.
function(pack_jni_archives build config classifier)
  if(NOT vendordep_jni OR jni_count EQUAL 0)
    return()
  endif()
  foreach(i RANGE ${last_jni})
    jni_paths(${i})
    file(MAKE_DIRECTORY ${artifact_dir})
    set(tree ${OUT}/tree/${classifier}/${artifact})
    foreach(one ${libs})
      set(stage ${OUT}/stage/${classifier}/${artifact}/${one})
      run(${CMAKE_COMMAND} --install ${build} --config ${config} --prefix ${stage}
          --component ${component_of_${one}} OUTPUT_QUIET)
      if(vendordep_platform STREQUAL "linuxx86-64")
        set(shared ${tree}/linux/x86-64/shared)
        file(MAKE_DIRECTORY ${shared})
        if(NOT EXISTS ${stage}/lib/lib${one}.so)
          message(FATAL_ERROR "${build}: the install holds no lib/lib${one}.so")
        endif()
        get_filename_component(real ${stage}/lib/lib${one}.so REALPATH)
        file(COPY_FILE ${real} ${shared}/lib${one}.so)
        file(RPATH_SET FILE ${shared}/lib${one}.so NEW_RPATH "$ORIGIN")
      else()
        set(shared ${tree}/windows/x86-64/shared)
        file(MAKE_DIRECTORY ${shared})
        file(COPY ${stage}/bin/${one}.dll DESTINATION ${shared})
      endif()
    endforeach()
    write_readme(${tree}/README.txt ${artifact} ${version} "${libs}" ${classifier})
    zip_folder(${tree} ${base}-${classifier}.zip)
  endforeach()
endfunction()

# One Maven archive per artifact for a Linux or MSVC build in one configuration.
function(pack_maven_archives build config classifier)
  foreach(i RANGE ${last_dep})
    artifact_paths(${i})
    if(NOT DEFINED component_of_${lib})
      message(FATAL_ERROR "pack.cmake: no install component is known for the library ${lib}")
    endif()
    file(MAKE_DIRECTORY ${artifact_dir})
    set(stage ${OUT}/stage/${classifier}/${lib})
    run(${CMAKE_COMMAND} --install ${build} --config ${config} --prefix ${stage}
        --component ${component_of_${lib}} OUTPUT_QUIET)
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
    else()
      # MSVC: the DLL and its import library; MSVC's runtime is the system's.
      set(shared ${tree}/windows/x86-64/shared)
      file(MAKE_DIRECTORY ${shared})
      file(COPY ${stage}/bin/${lib}.dll ${stage}/lib/${lib}.lib DESTINATION ${shared})
    endif()
    if(lib STREQUAL "Velmora")
      # For plain CMake without Gradle: the package file, at the root of the folder the team
      # unpacks the archives into (the tooling takes only the libraries and ignores it).
      file(READ ${CMAKE_CURRENT_LIST_DIR}/VelmoraConfig.unpacked.cmake.in config)
      string(REPLACE "@VELMORA_VERSION@" "${version}" config "${config}")
      file(WRITE ${tree}/VelmoraConfig.cmake "${config}")
      string(REGEX MATCH "^[0-9]+" major "${version}")
      file(WRITE ${tree}/VelmoraConfigVersion.cmake "set(PACKAGE_VERSION \"${version}\")
set(PACKAGE_VERSION_COMPATIBLE TRUE)
if(PACKAGE_FIND_VERSION AND (NOT PACKAGE_FIND_VERSION_MAJOR EQUAL ${major}
   OR PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION))
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
endif()
if(PACKAGE_FIND_VERSION VERSION_EQUAL PACKAGE_VERSION)
  set(PACKAGE_VERSION_EXACT TRUE)
endif()
")
    endif()
    write_readme(${tree}/README.txt ${artifact} ${version} ${lib} ${classifier})
    zip_folder(${tree} ${base}-${classifier}.zip)
  endforeach()
endfunction()

# A Maven artifact's .pom and metadata, and the checksums of everything in its version folder.
function(write_maven_files packaging description)
  file(WRITE ${base}.pom "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<project xmlns=\"http://maven.apache.org/POM/4.0.0\"
         xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"
         xsi:schemaLocation=\"http://maven.apache.org/POM/4.0.0 http://maven.apache.org/xsd/maven-4.0.0.xsd\">
  <modelVersion>4.0.0</modelVersion>
  <groupId>${group}</groupId>
  <artifactId>${artifact}</artifactId>
  <version>${version}</version>
  <packaging>${packaging}</packaging>
  <description>${description}</description>
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
  file(GLOB files ${artifact_dir}/*.zip ${artifact_dir}/*.jar ${artifact_dir}/*.pom)
  foreach(file ${files})
    write_checksums(${file})
  endforeach()
endfunction()


# The builds, each in each of its configurations: "<build>|<config>|<classifier>|<kind>".
set(packed "")
set(entries "")
foreach(build ${BUILDS})
  if(NOT EXISTS ${build}/vendordep-build.cmake)
    if(build STREQUAL first_build)
      message(FATAL_ERROR "${build}: not a configured build")
    endif()
    message(STATUS "Passing over ${build}: not a configured build")
    continue()
  endif()
  include(${build}/vendordep-build.cmake)
  if(NOT vendordep_platform)
    message(FATAL_ERROR "${build}: no WPILib platform for this build")
  endif()
  # A multi-configuration build (Visual Studio) fills the release and the debug archive.
  if(vendordep_multi_config AND vendordep_platform STREQUAL "windowsx86-64")
    set(configs Release)  # no Windows debug archive (below)
  elseif(vendordep_multi_config)
    set(configs Release Debug)
  else()
    set(configs ${vendordep_build_type})
  endif()
  foreach(build_type ${configs})
    set(classifier ${vendordep_platform})
    if(build_type STREQUAL "Debug")
      string(APPEND classifier "debug")
    endif()
    if(build_type STREQUAL "")
      set(build_type Release)
    endif()
    if(vendordep_compiler_family STREQUAL "MinGW-w64 GCC")
      # Its C++ ABI is not the maker's driver's (an MSVC-built DLL that hands std::string over).
      message(FATAL_ERROR "${build}: a MinGW-w64 build; Windows archives come from an MSVC-ABI "
                          "build (the windows-msvc preset)")
    endif()
    if(vendordep_platform STREQUAL "windowsx86-64" AND build_type STREQUAL "Debug")
      # A debug build of a Windows robot program links the debug runtime (/MDd), whose
      # std::string cannot cross into the maker's release-runtime driver: no debug archive.
      message(FATAL_ERROR "${build}: a Windows Debug build; the release offers no "
                          "windowsx86-64debug archive")
    endif()
    if("maven:${classifier}" IN_LIST packed)
      message(FATAL_ERROR "${build}: a second build for the archive ${classifier}")
    endif()
    list(APPEND packed "maven:${classifier}")
    list(APPEND entries "${build}|${build_type}|${classifier}|maven")
  endforeach()
endforeach()

set(consumer_runs "")  # "<build>|<config>|<maven or zip>"
set(vendor_files "")   # the vendor files written, by name
set(java_offered_files "")  # those that offer Java
foreach(json_file ${JSON})
read_vendor_file(${json_file})
foreach(entry ${entries})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 build)
  list(GET entry 1 build_type)
  list(GET entry 2 classifier)
  list(GET entry 3 kind)
  include(${build}/vendordep-build.cmake)
  if(kind STREQUAL "maven")
    pack_maven_archives(${build} ${build_type} ${classifier})
    pack_jni_archives(${build} ${build_type} ${classifier})
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT}/stage ${OUT}/tree)

# MSVC archives from the hosted Visual Studio workflow, by their Maven file names: they take the
# place of the cross build's, once their DLLs are shown to export the same names (a program
# built against either links against the other).
find_program(PE_OBJDUMP NAMES objdump)
function(use_hosted_archive found target lib)
  if(EXISTS ${target})
    set(compare ${OUT}/stage/compare/${lib})
    file(REMOVE_RECURSE ${compare})
    file(MAKE_DIRECTORY ${compare}/built ${compare}/hosted)
    run(${CMAKE_COMMAND} -E chdir ${compare}/built ${CMAKE_COMMAND} -E tar xf ${target})
    run(${CMAKE_COMMAND} -E chdir ${compare}/hosted ${CMAKE_COMMAND} -E tar xf ${found})
    include(${source_root}/cmake/ReadDllTables.cmake)
    foreach(side built hosted)
      set(dll ${compare}/${side}/windows/x86-64/shared/${lib}.dll)
      if(NOT EXISTS ${dll})
        message(FATAL_ERROR "MSVC_ARCHIVES: ${found} holds no windows/x86-64/shared/${lib}.dll")
      endif()
      velmora_read_dll_tables(${PE_OBJDUMP} ${dll} exports_${side} imports dlls)
      list(SORT exports_${side})
    endforeach()
    if(NOT exports_built STREQUAL exports_hosted)
      set(missing ${exports_built})
      list(REMOVE_ITEM missing ${exports_hosted})
      set(extra ${exports_hosted})
      list(REMOVE_ITEM extra ${exports_built})
      message(FATAL_ERROR "MSVC_ARCHIVES: ${lib}.dll of ${found} does not export the names of "
                          "the cross build's: missing ${missing}; extra ${extra}")
    endif()
    list(LENGTH exports_built count)
    message(STATUS "${lib}.dll of the hosted workflow exports the same ${count} names")
  endif()
  file(COPY_FILE ${found} ${target})
endfunction()
if(MSVC_ARCHIVES)
  get_filename_component(MSVC_ARCHIVES ${MSVC_ARCHIVES} ABSOLUTE)
  foreach(i RANGE ${last_dep})
    artifact_paths(${i})
    set(name ${artifact}-${version}-windowsx86-64.zip)
    file(GLOB_RECURSE found ${MSVC_ARCHIVES}/${name})
    if(NOT found)
      message(FATAL_ERROR "MSVC_ARCHIVES: ${MSVC_ARCHIVES} holds no ${name}")
    endif()
    list(GET found 0 found)
    file(MAKE_DIRECTORY ${artifact_dir})
    use_hosted_archive(${found} ${base}-windowsx86-64.zip ${lib})
    list(APPEND packed "maven:windowsx86-64")
  endforeach()
endif()
# The MSVC build of the JNI library, when the hosted workflow packed one.
if(MSVC_ARCHIVES AND jni_count GREATER 0)
  foreach(i RANGE ${last_jni})
    jni_paths(${i})
    file(GLOB_RECURSE found ${MSVC_ARCHIVES}/${artifact}-${version}-windowsx86-64.zip)
    if(found)
      list(GET found 0 found)
      file(MAKE_DIRECTORY ${artifact_dir})
      use_hosted_archive(${found} ${base}-windowsx86-64.zip ${lib})
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE ${OUT}/stage)
list(REMOVE_DUPLICATES packed)

# Per artifact: the platforms it offers (those with an archive), headers, sources, Maven files.
foreach(i RANGE ${last_dep})
  artifact_paths(${i})
  file(MAKE_DIRECTORY ${artifact_dir})
  set(platforms "[]")
  set(n 0)
  foreach(platform linuxx86-64 windowsx86-64)
    if(EXISTS ${base}-${platform}.zip OR EXISTS ${base}-${platform}debug.zip)
      string(JSON platforms SET "${platforms}" ${n} "\"${platform}\"")
      math(EXPR n "${n} + 1")
    endif()
  endforeach()
  string(JSON json SET "${json}" cppDependencies ${i} binaryPlatforms "${platforms}")

  # Headers: the same from every build; installed from the first Maven build or the sources.
  string(JSON header_classifier GET "${json}" cppDependencies ${i} headerClassifier)
  set(stage ${OUT}/stage/headers/${lib})
  run(${CMAKE_COMMAND} --install ${first_build} --prefix ${stage} --component ${component_of_${lib}}
      OUTPUT_QUIET)
  zip_folder(${stage}/include ${base}-${header_classifier}.zip)

  string(JSON sources_classifier ERROR_VARIABLE no_sources GET "${json}" cppDependencies ${i}
         sourcesClassifier)
  if(NOT no_sources)
    set(stage ${OUT}/stage/sources/${lib})
    foreach(folder ${sources_of_${lib}})
      if(IS_DIRECTORY ${source_root}/${folder})
        file(COPY ${source_root}/${folder}/ DESTINATION ${stage})
      endif()
    endforeach()
    zip_folder(${stage} ${base}-${sources_classifier}.zip)
  endif()

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
  file(GLOB files ${artifact_dir}/*.zip ${artifact_dir}/*.pom)
  foreach(file ${files})
    write_checksums(${file})
  endforeach()
endforeach()
file(REMOVE_RECURSE ${OUT}/stage)

# The JNI artifacts: the platforms with an archive, then the Java artifact; without either, no
# Java in the vendor file at all.
set(java_offered FALSE)
set(jni_packed FALSE)
if(jni_count GREATER 0)
  foreach(i RANGE ${last_jni})
    jni_paths(${i})
    set(platforms "[]")
    set(n 0)
    foreach(platform linuxx86-64 windowsx86-64)
      if(EXISTS ${base}-${platform}.zip OR EXISTS ${base}-${platform}debug.zip)
        string(JSON platforms SET "${platforms}" ${n} "\"${platform}\"")
        math(EXPR n "${n} + 1")
        set(jni_packed TRUE)
      endif()
    endforeach()
    string(JSON json SET "${json}" jniDependencies ${i} validPlatforms "${platforms}")
    if(n GREATER 0)
      write_maven_files(pom "${lib}: the JNI library of the Java classes, per platform")
    endif()
  endforeach()
endif()
string(JSON java_count LENGTH "${json}" javaDependencies)
if(JAVA_JARS AND jni_packed AND java_count GREATER 0)
  get_filename_component(JAVA_JARS ${JAVA_JARS} ABSOLUTE)
  string(JSON group GET "${json}" javaDependencies 0 groupId)
  string(JSON artifact GET "${json}" javaDependencies 0 artifactId)
  string(JSON version GET "${json}" javaDependencies 0 version)
  string(REPLACE "." "/" group_path "${group}")
  set(artifact_root ${repo}/${group_path}/${artifact})
  set(artifact_dir ${artifact_root}/${version})
  set(base ${artifact_dir}/${artifact}-${version})
  foreach(jar ${artifact}.jar ${artifact}-sources.jar)
    if(NOT EXISTS ${JAVA_JARS}/${jar})
      message(FATAL_ERROR "JAVA_JARS: ${JAVA_JARS} holds no ${jar}")
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${artifact_dir})
  file(COPY_FILE ${JAVA_JARS}/${artifact}.jar ${base}.jar)
  file(COPY_FILE ${JAVA_JARS}/${artifact}-sources.jar ${base}-sources.jar)
  write_maven_files(jar "${artifact}: Java classes for WPILib Java robot programs")
  set(java_offered TRUE)
else()
  message(STATUS "No Java artifacts packed (JAVA_JARS and a JNI archive are both needed): the "
                 "vendor file offers no Java")
  if(jni_count GREATER 0)
    foreach(i RANGE ${last_jni})
      jni_paths(${i})
      file(REMOVE_RECURSE ${artifact_root})
    endforeach()
  endif()
  string(JSON json SET "${json}" javaDependencies "[]")
  string(JSON json SET "${json}" jniDependencies "[]")
endif()

file(WRITE ${OUT}/${vendor_file_name} "${json}\n")
list(APPEND vendor_files ${OUT}/${vendor_file_name})
if(java_offered)
  list(APPEND java_offered_files ${vendor_file_name})
endif()
endforeach()

# A consumer run from the unpacked release for each build (Windows: with the build's cross
# toolchain, run under Wine).
foreach(entry ${entries})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 build)
  list(GET entry 1 build_type)
  list(APPEND consumer_runs "${build}|${build_type}|maven")
endforeach()
file(REMOVE_RECURSE ${OUT}/stage)


# The offline installer: unpacked into ~/wpilib/<year>/, the tooling finds the vendor file in
# vendordeps/ and the artifacts in the maven/ repository it reads without a network.
# Both vendor files are there: a team adds the library's, and the simulation's for desktop
# simulation and tests.
set(installer ${OUT}/${release_name}-${release_version}-offline.zip)
set(stage ${OUT}/stage/installer)
file(COPY ${repo} DESTINATION ${stage})
file(COPY ${vendor_files} DESTINATION ${stage}/vendordeps)
zip_folder(${stage} ${installer})
file(REMOVE_RECURSE ${OUT}/stage)

string(REPLACE ";" ", " packed_text "${packed}")
message(STATUS "Packed ${vendor_files} (${packed_text}) into ${OUT}")

if(CHECK)
  string(REPLACE "|" ";" require "${REQUIRE}")
  foreach(entry ${packed})
    if(entry MATCHES "^maven:(.+)$")
      list(APPEND require ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES require)
  string(REPLACE ";" "|" require "${require}")
  string(REPLACE ";" "|" headers "${HEADERS}")
  string(REPLACE ";" "|" json_arg "${vendor_files}")
  run(${CMAKE_COMMAND} -DJSON=${json_arg} -DREPO=${repo} -DHEADERS=${headers}
      -DREQUIRE=${require} -DINSTALLER=${installer} -P ${CHECK})
endif()

if(CONSUMER)
  get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
  # The consumers from the offline installer, unpacked as a team unpacks it.
  set(home ${OUT}/consume/wpilib-home)
  file(MAKE_DIRECTORY ${home})
  run(${CMAKE_COMMAND} -E chdir ${home} ${CMAKE_COMMAND} -E tar xf ${installer})
  # What a simulating team's project holds in vendordeps/: both vendor files.
  set(home_json "")
  foreach(file ${vendor_files})
    get_filename_component(name ${file} NAME)
    list(APPEND home_json ${home}/vendordeps/${name})
  endforeach()
  string(REPLACE ";" "|" home_json "${home_json}")
  foreach(entry ${consumer_runs})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 build)
    list(GET entry 1 config)
    list(GET entry 2 from)
    if(from STREQUAL "maven")
      set(layout -DJSON=${home_json} -DREPO=${home}/maven)
    else()
      set(layout -DPLAIN=${from})
    endif()
    run(${CMAKE_COMMAND} ${layout} -DBUILD=${build} -DCONFIG=${config} -DSOURCE=${CONSUMER}
        -DWORK=${OUT}/consume -P ${here}/consume.cmake)
    # The robot project guide's C++ robot, from a Linux release build against a real WPILib.
    include(${build}/vendordep-build.cmake)
    if(from STREQUAL "maven" AND NOT config STREQUAL "Debug" AND NOT vendordep_wpilib_standin
       AND vendordep_platform STREQUAL "linuxx86-64"
       AND vendordep_wpilib_prefix AND IS_DIRECTORY ${CONSUMER}/../robot_project)
      run(${CMAKE_COMMAND} -DJSON=${home_json} -DREPO=${home}/maven -DBUILD=${build}
          -DROBOT=${CONSUMER}/../robot_project -DWORK=${OUT}/consume/robot-cpp
          -P ${here}/consume_robot_cpp.cmake)
    endif()
  endforeach()
  # The Java consumer, from the same unpacked installer, on the Linux release archives.
  list(LENGTH java_offered_files java_files)
  list(LENGTH vendor_files all_files)
  if(WPILIBJ AND java_files EQUAL all_files)
    run(${CMAKE_COMMAND} -DJSON=${home_json} -DREPO=${home}/maven
        -DWPILIBJ=${WPILIBJ} -DSOURCE=${CONSUMER}/java -DWORK=${OUT}/consume/java
        -DROBOT=${CONSUMER}/../robot_project
        -P ${here}/consume_java.cmake)
  endif()
  file(REMOVE_RECURSE ${OUT}/consume)
endif()
