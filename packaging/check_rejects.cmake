# The vendor dependency check must catch a broken package. Takes a packed folder (pack.cmake's
# OUT), breaks copies of it in three ways and expects the check to fail on each, naming the fault.
#   cmake -DPACKED=<folder> -DCHECK=<check.cmake> -DHEADERS=<include folder> -P check_rejects.cmake
cmake_minimum_required(VERSION 3.20)
foreach(var PACKED CHECK HEADERS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_rejects.cmake: -D${var}= is required")
  endif()
endforeach()

set(work ${PACKED}-broken)
set(failures "")

function(expect_rejected case json require pattern)
  execute_process(COMMAND ${CMAKE_COMMAND} -DJSON=${json} -DREPO=${work}/maven
                          -DHEADERS=${HEADERS} -DREQUIRE=${require} -P ${CHECK}
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

# Rewrites an archive without the entries matching `regex`.
function(drop_from_zip archive regex)
  set(tree ${work}/unzipped)
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${tree})
  file(GLOB_RECURSE files RELATIVE ${tree} ${tree}/*)
  foreach(file ${files})
    if(file MATCHES "${regex}")
      file(REMOVE ${tree}/${file})
    endif()
  endforeach()
  file(GLOB entries RELATIVE ${tree} ${tree}/*)
  file(REMOVE ${archive})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip ${entries}
                  WORKING_DIRECTORY ${tree})
  file(REMOVE_RECURSE ${tree})
endfunction()

file(GLOB_RECURSE platform_zips ${PACKED}/maven/*.zip)
list(FILTER platform_zips EXCLUDE REGEX "-headers\\.zip$")
if(NOT platform_zips)
  message(FATAL_ERROR "no platform archive in ${PACKED}/maven")
endif()

foreach(zip ${platform_zips})
  get_filename_component(name ${zip} NAME)
  string(REGEX REPLACE "^.*-[0-9]+\\.[0-9]+\\.[0-9]+-(.+)\\.zip$" "\\1" platform "${name}")
  file(RELATIVE_PATH rel ${PACKED} ${zip})

  fresh_copy()
  drop_from_zip(${work}/${rel} "/shared/(lib)?Velmora\\.(so|dll)$")
  expect_rejected("${platform} archive without the library" ${work}/Velmora.json ${platform}
                  "Velmora\\.(so|dll) is not in")

  fresh_copy()
  file(REMOVE ${work}/${rel})
  expect_rejected("${platform} archive missing" ${work}/Velmora.json ${platform} "is missing")
endforeach()

fresh_copy()
file(GLOB_RECURSE headers_zip ${work}/maven/*-headers.zip)
drop_from_zip(${headers_zip} "Orvex\\.h$")
expect_rejected("headers archive without a header" ${work}/Velmora.json "" "Orvex.h is not in")

fresh_copy()
file(RENAME ${work}/Velmora.json ${work}/Other.json)
expect_rejected("file name differs from fileName" ${work}/Other.json "" "fileName")

file(REMOVE_RECURSE ${work})
if(failures)
  message(FATAL_ERROR "the vendor dependency check let faults through:${failures}")
endif()
