# Every relative link in the repository's Markdown resolves: README.md, docs/ and every other
# *.md outside build folders. Links are [text](target) and ![alt](target); web, mail and
# in-page (#...) links are left alone, a target's #fragment is dropped, and fenced code blocks
# are skipped.
#
#   cmake -DROOT=<repository> -P tests/docs/check_links.cmake
#   cmake -DSELF_TEST=ON -DWORK=<scratch> -P tests/docs/check_links.cmake
#
# SELF_TEST writes a small tree with a good link, a link to a missing file and a link in a code
# block, and expects the check to fail on the missing one only.
cmake_minimum_required(VERSION 3.20)

function(check_tree root out_problems out_count)
  file(GLOB_RECURSE files ${root}/*.md)
  list(FILTER files EXCLUDE REGEX "^${root}/(build|\\.git)/")
  set(problems "")
  set(count 0)
  foreach(file ${files})
    file(RELATIVE_PATH name ${root} ${file})
    get_filename_component(dir ${file} DIRECTORY)
    # CMake lists group on brackets and split on semicolons: both are masked before the text is
    # cut into lines.
    file(READ ${file} text)
    string(REPLACE ";" "<SC>" text "${text}")
    string(REPLACE "[" "<LB>" text "${text}")
    string(REPLACE "]" "<RB>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(fenced FALSE)
    set(line_number 0)
    foreach(line IN LISTS lines)
      math(EXPR line_number "${line_number} + 1")
      if(line MATCHES "^[ \t]*```")
        if(fenced)
          set(fenced FALSE)
        else()
          set(fenced TRUE)
        endif()
        continue()
      endif()
      if(fenced)
        continue()
      endif()
      string(REGEX REPLACE "`[^`]*`" "" line "${line}")  # inline code
      string(REGEX MATCHALL "<RB>\\([^) \t]+\\)" links "${line}")
      foreach(link ${links})
        string(REGEX REPLACE "^<RB>\\(([^)]+)\\)$" "\\1" target "${link}")
        if(target MATCHES "^([a-zA-Z][a-zA-Z0-9+.-]*:|#)")
          continue()
        endif()
        string(REGEX REPLACE "#.*$" "" target "${target}")
        math(EXPR count "${count} + 1")
        if(NOT EXISTS ${dir}/${target})
          list(APPEND problems "${name}:${line_number}: ${target} does not exist")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${out_problems} "${problems}" PARENT_SCOPE)
  set(${out_count} ${count} PARENT_SCOPE)
endfunction()

if(SELF_TEST)
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK}/docs)
  file(WRITE ${WORK}/docs/guide.md "# Guide\n")
  file(WRITE ${WORK}/README.md "[guide](docs/guide.md#top) [web](https://example.org/x)
[gone](docs/gone.md) ![picture](docs/missing.svg)
```
[in code](docs/not-checked.md)
```
`[inline](docs/inline.md)`
")
  check_tree(${WORK} problems count)
  file(REMOVE_RECURSE ${WORK})
  set(expected "README.md:2: docs/gone.md does not exist;README.md:2: docs/missing.svg does not exist")
  if(NOT problems STREQUAL expected OR NOT count EQUAL 3)
    message(FATAL_ERROR "the link check found \"${problems}\" in ${count} links, expected "
                        "\"${expected}\" in 3")
  endif()
  message(STATUS "the link check finds exactly the broken links")
  return()
endif()

get_filename_component(ROOT ${ROOT} ABSOLUTE)
check_tree(${ROOT} problems count)
if(problems)
  list(LENGTH problems n)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "${n} broken relative link(s) in the Markdown:\n  ${text}")
endif()
message(STATUS "${count} relative links in the Markdown, all resolve")
