# The vendor dependency check must catch a broken package. Takes a packed folder (pack.cmake's
# OUT), breaks copies of it in the ways a package goes wrong and expects the check to fail on each,
# naming the fault.
#   cmake -DPACKED=<folder> -DCHECK=<check.cmake> -DHEADERS=<include folders>
#         [-DFLOOR_PROBE=<a lib*.so that needs a newer glibc>] -P check_rejects.cmake
cmake_minimum_required(VERSION 3.21)  # file(RPATH_SET)
foreach(var PACKED CHECK HEADERS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_rejects.cmake: -D${var}= is required")
  endif()
endforeach()

get_filename_component(PACKED ${PACKED} ABSOLUTE)
set(work ${PACKED}-broken)
set(failures "")

file(GLOB installer RELATIVE ${PACKED} ${PACKED}/*-offline.zip)
find_program(PATCHELF patchelf)

# `json` is the library's vendor file as the case has it; the release's other vendor files (the
# simulation's) are read with it, as the release's check reads them.
function(expect_rejected case json require pattern)
  set(extra "")
  if(installer)
    list(APPEND extra -DINSTALLER=${work}/${installer})
  endif()
  foreach(other ${other_vendor_files})
    if(EXISTS ${work}/${other})
      string(APPEND json "|${work}/${other}")
    endif()
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -DJSON=${json} -DREPO=${work}/maven
                          -DHEADERS=${HEADERS} -DREQUIRE=${require}
                          ${extra} -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc EQUAL 0)
    set(failures "${failures}\n  ${case}: the check passed" PARENT_SCOPE)
  elseif(NOT "${out}${err}" MATCHES "${pattern}")
    set(failures "${failures}\n  ${case}: failed without naming the fault:\n${err}" PARENT_SCOPE)
  else()
    message(STATUS "rejected as it should be: ${case}")
  endif()
endfunction()

function(fresh_copy)
  file(REMOVE_RECURSE ${work})
  file(COPY ${PACKED}/ DESTINATION ${work})
endfunction()

function(unzip archive dir)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${dir})
endfunction()

function(rezip dir archive)
  file(GLOB entries RELATIVE ${dir} ${dir}/*)
  file(REMOVE ${archive})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip ${entries}
                  WORKING_DIRECTORY ${dir})
  file(REMOVE_RECURSE ${dir})
endfunction()

# Rewrites an archive without the entries matching `regex`.
function(drop_from_zip archive regex)
  set(tree ${work}/unzipped)
  unzip(${archive} ${tree})
  file(GLOB_RECURSE files RELATIVE ${tree} ${tree}/*)
  foreach(file ${files})
    if(file MATCHES "${regex}")
      file(REMOVE ${tree}/${file})
    endif()
  endforeach()
  rezip(${tree} ${archive})
endfunction()

file(READ ${PACKED}/Velmora.json json)
file(GLOB other_vendor_files RELATIVE ${PACKED} ${PACKED}/*.json)
list(REMOVE_ITEM other_vendor_files Velmora.json)
set(all_json "${json}")
set(sim_json "")
if(EXISTS ${PACKED}/VelmoraSimulation.json)
  file(READ ${PACKED}/VelmoraSimulation.json sim_json)
endif()
string(JSON lib GET "${json}" cppDependencies 0 libName)
string(JSON artifact GET "${json}" cppDependencies 0 artifactId)
string(JSON version GET "${json}" cppDependencies 0 version)
string(JSON group GET "${json}" cppDependencies 0 groupId)
string(REPLACE "." "/" group_path "${group}")
set(base ${work}/maven/${group_path}/${artifact}/${version}/${artifact}-${version})

# Each platform's release archive: without its library, and (for the library's artifact) missing.
file(GLOB_RECURSE platform_zips RELATIVE ${PACKED} ${PACKED}/maven/*.zip)
list(FILTER platform_zips EXCLUDE REGEX "-(headers|sources)\\.zip$|-offline\\.zip$|^downloads/")
if(NOT platform_zips)
  message(STATUS "no platform archive in ${PACKED}/maven: the platform archive cases are skipped")
endif()
set(classifiers "")
foreach(rel ${platform_zips})
  get_filename_component(name ${rel} NAME)
  string(REGEX REPLACE "^(.+)-[0-9]+\\.[0-9]+\\.[0-9]+-(.+)\\.zip$" "\\1" owner "${name}")
  string(REGEX REPLACE "^.*-[0-9]+\\.[0-9]+\\.[0-9]+-(.+)\\.zip$" "\\1" classifier "${name}")
  list(APPEND classifiers ${classifier})
  if(classifier MATCHES "debug$")  # read by the same rules as the release archive
    continue()
  endif()
  set(owner_lib "")
  foreach(one "${json}" "${sim_json}")
    if(one STREQUAL "")
      continue()
    endif()
    string(JSON count LENGTH "${one}" cppDependencies)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      string(JSON id GET "${one}" cppDependencies ${i} artifactId)
      if(id STREQUAL owner)
        string(JSON owner_lib GET "${one}" cppDependencies ${i} libName)
      endif()
    endforeach()
  endforeach()
  if(NOT owner_lib)  # a JNI archive: its cases follow below
    continue()
  endif()

  fresh_copy()
  drop_from_zip(${work}/${rel} "/shared/(lib)?${owner_lib}\\.(so|dll)$")
  expect_rejected("${owner} ${classifier} archive without the library" ${work}/Velmora.json
                  ${classifier} "${owner_lib}\\.(so|dll) is not in")

  if(owner STREQUAL artifact)  # the same rule for every artifact: try it on one
    fresh_copy()
    file(REMOVE ${work}/${rel})
    expect_rejected("${owner} ${classifier} archive missing" ${work}/Velmora.json ${classifier}
                    "${classifier}\\.zip is missing")
  endif()
endforeach()
list(REMOVE_DUPLICATES classifiers)

fresh_copy()
file(REMOVE ${base}.pom)
expect_rejected("no .pom" ${work}/Velmora.json "" "${artifact}-${version}\\.pom is missing")

fresh_copy()
file(READ ${base}.pom pom)
string(REPLACE "<version>${version}</version>" "<version>9.9.9</version>" pom "${pom}")
file(WRITE ${base}.pom "${pom}")
expect_rejected(".pom of another version" ${work}/Velmora.json "" "the \\.pom says version")

fresh_copy()
drop_from_zip(${base}-headers.zip "Orvex\\.h$")
expect_rejected("headers archive without a header" ${work}/Velmora.json ""
                "Orvex.h is not in any headers archive")

fresh_copy()
set(tree ${work}/unzipped)
unzip(${base}-headers.zip ${tree}/include)
rezip(${tree} ${base}-headers.zip)
expect_rejected("headers under include/" ${work}/Velmora.json "" "not under include/")

fresh_copy()
file(RENAME ${work}/Velmora.json ${work}/Other.json)
expect_rejected("file name differs from fileName" ${work}/Other.json "" "fileName")

fresh_copy()
string(JSON uuid GET "${json}" uuid)
string(TOUPPER "${uuid}" upper)
string(REPLACE "${uuid}" "${upper}" broken "${json}")
file(WRITE ${work}/Velmora.json "${broken}")
expect_rejected("upper-case uuid" ${work}/Velmora.json "" "uuid")

if("linuxx86-64" IN_LIST classifiers)
  # A library whose SONAME is not its file name: another library under the library's name.
  fresh_copy()
  unzip(${base}-linuxx86-64.zip ${tree})
  file(GLOB_RECURSE other ${work}/maven/*.zip)
  list(FILTER other EXCLUDE REGEX "/${artifact}-${version}-|-headers\\.zip$")
  list(FILTER other INCLUDE REGEX "-linuxx86-64\\.zip$")
  list(GET other 0 other)
  unzip(${other} ${work}/other)
  file(GLOB_RECURSE other_so ${work}/other/*.so)
  file(COPY_FILE ${other_so} ${tree}/linux/x86-64/shared/lib${lib}.so)
  rezip(${tree} ${base}-linuxx86-64.zip)
  expect_rejected("library whose SONAME is not its file name" ${work}/Velmora.json "" "SONAME")

  fresh_copy()
  unzip(${base}-linuxx86-64.zip ${tree})
  file(RENAME ${tree}/linux/x86-64/shared/lib${lib}.so ${tree}/linux/x86-64/lib${lib}.so)
  rezip(${tree} ${base}-linuxx86-64.zip)
  expect_rejected("library outside shared/" ${work}/Velmora.json "" "outside linux/x86-64/shared/")

  fresh_copy()
  unzip(${base}-linuxx86-64.zip ${tree})
  file(RPATH_SET FILE ${tree}/linux/x86-64/shared/lib${lib}.so NEW_RPATH "/lib")
  rezip(${tree} ${base}-linuxx86-64.zip)
  expect_rejected("library with a build machine's run path" ${work}/Velmora.json ""
                  "has the run path /lib")
endif()

# WPILib by the names of the archive's kind: a debug library asking for release names, or the
# other way round.
if(PATCHELF)
  foreach(classifier linuxx86-64 linuxx86-64debug)
    if(NOT classifier IN_LIST classifiers)
      continue()
    endif()
    if(classifier MATCHES "debug$")
      set(from libwpilibcd.so)
      set(to libwpilibc.so)
      set(kind debug)
    else()
      set(from libwpilibc.so)
      set(to libwpilibcd.so)
      set(kind release)
    endif()
    fresh_copy()
    unzip(${base}-${classifier}.zip ${tree})
    execute_process(COMMAND ${PATCHELF} --replace-needed ${from} ${to}
                            ${tree}/linux/x86-64/shared/lib${lib}.so)
    rezip(${tree} ${base}-${classifier}.zip)
    expect_rejected("${classifier} library asking for ${to}" ${work}/Velmora.json ""
                    "needs ${to}, not one of WPILib's ${kind} library names")
  endforeach()
endif()

# A library under the runtime floor's limit, shipped in an archive beside ours.
if(FLOOR_PROBE AND "linuxx86-64" IN_LIST classifiers)
  fresh_copy()
  unzip(${base}-linuxx86-64.zip ${tree})
  file(COPY_FILE ${FLOOR_PROBE} ${tree}/linux/x86-64/shared/libprobe.so)
  rezip(${tree} ${base}-linuxx86-64.zip)
  expect_rejected("a library that needs glibc 2.35" ${work}/Velmora.json ""
                  "runtime floor: [^\n]*libprobe\\.so needs GLIBC_2\\.35")
endif()

fresh_copy()
file(REMOVE ${base}-sources.zip)
expect_rejected("no sources archive" ${work}/Velmora.json "" "sources\\.zip is missing")

if(installer)
  fresh_copy()
  drop_from_zip(${work}/${installer} "^vendordeps/")
  expect_rejected("offline installer without the vendor file" ${work}/Velmora.json ""
                  "installer holds no vendordeps/Velmora.json")
endif()

# The Windows archive: a debug archive beside it, and a DLL of another role in the library's place.
if(EXISTS ${PACKED}/maven/${group_path}/${artifact}/${version}/${artifact}-${version}-windowsx86-64.zip)
  fresh_copy()
  file(COPY_FILE ${base}-windowsx86-64.zip ${base}-windowsx86-64debug.zip)
  expect_rejected("a windowsx86-64debug archive offered" ${work}/Velmora.json ""
                  "a Windows debug archive")

  fresh_copy()
  set(tree ${work}/unzipped)
  unzip(${base}-windowsx86-64.zip ${tree})
  file(GLOB_RECURSE driver_zips ${work}/maven/*-windowsx86-64.zip)
  foreach(zip ${driver_zips})
    unzip(${zip} ${work}/other)
    if(EXISTS ${work}/other/windows/x86-64/shared/VelmoraDriver.dll)
      file(COPY_FILE ${work}/other/windows/x86-64/shared/VelmoraDriver.dll
           ${tree}/windows/x86-64/shared/${lib}.dll)
    endif()
    file(REMOVE_RECURSE ${work}/other)
  endforeach()
  rezip(${tree} ${base}-windowsx86-64.zip)
  expect_rejected("the driver's DLL in the library's place" ${work}/Velmora.json ""
                  "does not export Orvex's constructor by its MSVC name")
endif()

# Release and debug archives swapped: each holds the other kind of build.
foreach(platform linuxx86-64 windowsx86-64)
  if(platform IN_LIST classifiers AND "${platform}debug" IN_LIST classifiers)
    fresh_copy()
    file(RENAME ${base}-${platform}.zip ${base}-swap.zip)
    file(RENAME ${base}-${platform}debug.zip ${base}-${platform}.zip)
    file(RENAME ${base}-swap.zip ${base}-${platform}debug.zip)
    expect_rejected("${platform} release and debug archives swapped" ${work}/Velmora.json ""
                    "is a debug build")
  endif()
endforeach()

# The Java artifacts, when the package offers them: the jar, its sources jar, the JNI archives.
string(JSON java_count ERROR_VARIABLE ignored LENGTH "${json}" javaDependencies)
string(JSON jni_count ERROR_VARIABLE ignored LENGTH "${json}" jniDependencies)
if(java_count GREATER 0 AND jni_count GREATER 0)
  string(JSON java_artifact GET "${json}" javaDependencies 0 artifactId)
  string(JSON jni_artifact GET "${json}" jniDependencies 0 artifactId)
  set(java_base ${work}/maven/${group_path}/${java_artifact}/${version}/${java_artifact}-${version})
  set(jni_base ${work}/maven/${group_path}/${jni_artifact}/${version}/${jni_artifact}-${version})

  fresh_copy()
  file(REMOVE ${java_base}-sources.jar)
  expect_rejected("no sources jar" ${work}/Velmora.json "" "sources\\.jar is missing")

  fresh_copy()
  file(APPEND ${java_base}.jar "tampered")
  expect_rejected("a jar that is not the one its checksums were made of" ${work}/Velmora.json ""
                  "\\.jar\\.sha1 does not match")

  fresh_copy()
  string(JSON broken SET "${json}" jniDependencies "[]")
  file(WRITE ${work}/Velmora.json "${broken}")
  expect_rejected("a jar without its JNI library" ${work}/Velmora.json ""
                  "javaDependencies without jniDependencies")

  fresh_copy()
  string(JSON broken SET "${json}" jniDependencies 0 isJar true)
  file(WRITE ${work}/Velmora.json "${broken}")
  expect_rejected("the JNI artifact marked a jar" ${work}/Velmora.json "" "isJar must be false")

  if(EXISTS ${jni_base}-linuxx86-64.zip)
    fresh_copy()
    file(REMOVE ${jni_base}-linuxx86-64.zip)
    expect_rejected("the JNI archive missing" ${work}/Velmora.json linuxx86-64
                    "${jni_artifact}-${version}-linuxx86-64\\.zip is missing")

    fresh_copy()
    drop_from_zip(${jni_base}-linuxx86-64.zip "/shared/libVelmoraJNI\\.so$")
    expect_rejected("the JNI archive without the library" ${work}/Velmora.json linuxx86-64
                    "libVelmoraJNI\\.so is not in")

    if(PATCHELF)
      fresh_copy()
      set(tree ${work}/unzipped)
      unzip(${jni_base}-linuxx86-64.zip ${tree})
      execute_process(COMMAND ${PATCHELF} --add-needed libwpilibc.so
                              ${tree}/linux/x86-64/shared/libVelmoraJNI.so)
      rezip(${tree} ${jni_base}-linuxx86-64.zip)
      expect_rejected("a JNI library that needs wpilibc" ${work}/Velmora.json linuxx86-64
                      "must need the driver only")
    endif()
  endif()
endif()

# The simulation's vendor file: a Java program gets the driver only through its JNI archive.
if(sim_json)
  string(JSON sim_jni_count ERROR_VARIABLE ignored LENGTH "${sim_json}" jniDependencies)
  if(sim_jni_count GREATER 0)
    string(JSON sim_jni GET "${sim_json}" jniDependencies 0 artifactId)
    set(sim_jni_base ${work}/maven/${group_path}/${sim_jni}/${version}/${sim_jni}-${version})
    if(EXISTS ${PACKED}/maven/${group_path}/${sim_jni}/${version}/${sim_jni}-${version}-linuxx86-64.zip)
      fresh_copy()
      drop_from_zip(${sim_jni_base}-linuxx86-64.zip "/shared/libVelmoraDriver\\.so$")
      expect_rejected("the simulation's JNI archive without the driver" ${work}/Velmora.json
                      linuxx86-64 "libVelmoraDriver\\.so is not in")

      fresh_copy()
      drop_from_zip(${sim_jni_base}-linuxx86-64.zip "/shared/libVelmoraSimJNI\\.so$")
      expect_rejected("the simulation's JNI archive without the world's bridge"
                      ${work}/Velmora.json linuxx86-64 "libVelmoraSimJNI\\.so is not in")
    endif()
  endif()
  if(installer)
    fresh_copy()
    drop_from_zip(${work}/${installer} "^vendordeps/VelmoraSimulation\\.json$")
    expect_rejected("offline installer without the simulation's vendor file"
                    ${work}/Velmora.json "" "installer holds no vendordeps/VelmoraSimulation.json")
  endif()
endif()

file(REMOVE_RECURSE ${work})
if(failures)
  message(FATAL_ERROR "the vendor dependency check let faults through:${failures}")
endif()
