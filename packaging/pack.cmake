# Packs the vendor dependency: the JSON file and, in the Maven layout that WPILib's build tooling
# reads, the headers archive and one archive per platform build.
#
#   cmake -DBUILDS="build/default|build/windows" -DOUT=build/vendordep -P packaging/pack.cmake
#
# BUILDS lists configured and built folders ('|' or ';' between them), one per platform; each
# says its platform in vendordep-platform.txt. OUT gets Velmora.json and maven/<group>/<artifact>/
# <version>/<artifact>-<version>-{headers,<platform>}.zip. A build folder after the first that
# has not been configured is passed over with a note. With -DCHECK=<check.cmake> and
# -DHEADERS=<include folder> the result is checked at once: every packed platform must be
# complete, and so must every platform in -DREQUIRE="linuxx86-64|windowsx86-64" (a release).
cmake_minimum_required(VERSION 3.20)
foreach(var BUILDS OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack.cmake: -D${var}= is required")
  endif()
endforeach()
string(REPLACE "|" ";" BUILDS "${BUILDS}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${command}")
  endif()
endfunction()

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

list(GET BUILDS 0 first_build)
file(READ ${first_build}/Velmora.json json)
string(JSON group GET "${json}" cppDependencies 0 groupId)
string(JSON artifact GET "${json}" cppDependencies 0 artifactId)
string(JSON version GET "${json}" cppDependencies 0 version)
string(JSON lib GET "${json}" cppDependencies 0 libName)
string(REPLACE "." "/" group_path "${group}")
set(repo ${OUT}/maven)
set(artifact_dir ${repo}/${group_path}/${artifact}/${version})
set(base ${artifact_dir}/${artifact}-${version})

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${artifact_dir})
file(WRITE ${OUT}/Velmora.json "${json}")

set(packed "")
foreach(build ${BUILDS})
  if(NOT EXISTS ${build}/vendordep-platform.txt AND NOT build STREQUAL first_build)
    message(STATUS "Passing over ${build}: not a configured build")
    continue()
  endif()
  file(READ ${build}/vendordep-platform.txt platform)
  string(STRIP "${platform}" platform)
  if(NOT platform)
    message(FATAL_ERROR "${build}: no WPILib platform for this build")
  endif()
  set(stage ${OUT}/stage/${platform})
  run(${CMAKE_COMMAND} --install ${build} --prefix ${stage} --component Velmora)

  if(NOT packed)  # headers are the same on every platform: pack them once
    zip_folder(${stage}/include ${base}-headers.zip)
  endif()

  set(tree ${OUT}/tree/${platform})
  if(platform STREQUAL "linuxx86-64")
    set(shared ${tree}/linux/x86-64/shared)
    file(MAKE_DIRECTORY ${shared})
    # The link name (what the tooling links) and the run-time name from the SONAME (what the
    # loader looks for), each as a plain file: zip archives carry no symbolic links.
    file(GLOB_RECURSE names ${stage}/lib${lib}.so ${stage}/lib${lib}.so.*)
    set(copied FALSE)
    foreach(name ${names})
      if(IS_SYMLINK ${name})
        get_filename_component(real ${name} REALPATH)
        get_filename_component(leaf ${name} NAME)
        file(COPY_FILE ${real} ${shared}/${leaf})
        set(copied TRUE)
      endif()
    endforeach()
    if(NOT copied)
      file(COPY ${names} DESTINATION ${shared})
    endif()
  elseif(platform STREQUAL "windowsx86-64")
    set(shared ${tree}/windows/x86-64/shared)
    file(MAKE_DIRECTORY ${shared})
    file(GLOB_RECURSE files ${stage}/${lib}.dll ${stage}/${lib}.lib)
    file(COPY ${files} DESTINATION ${shared})
  else()
    message(FATAL_ERROR "no archive layout for platform ${platform}")
  endif()
  zip_folder(${tree} ${base}-${platform}.zip)
  list(APPEND packed ${platform})
endforeach()
file(REMOVE_RECURSE ${OUT}/stage ${OUT}/tree)

string(REPLACE ";" ", " packed_text "${packed}")
message(STATUS "Packed ${artifact} ${version} (${packed_text}) into ${OUT}")

if(CHECK)
  string(REPLACE "|" ";" require "${REQUIRE}")
  list(APPEND require ${packed})
  list(REMOVE_DUPLICATES require)
  string(REPLACE ";" "|" require "${require}")
  run(${CMAKE_COMMAND} -DJSON=${OUT}/Velmora.json -DREPO=${repo} -DHEADERS=${HEADERS}
      -DREQUIRE=${require} -P ${CHECK})
endif()
