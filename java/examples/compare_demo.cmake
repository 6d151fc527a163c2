# Plays the demo's match in each program given and holds each report against the demo's report
# as the README and the docs show it (examples/demo_report.txt): from the devices' identity
# through the table and the events to the end of the summary, every program must print that text.
# The C++ demo on the WPILib stand-in, the C++ match on a real WPILib and the Java demo are held
# against the same file, so the three agree with each other too. Every program must exit with 0.
#   cmake [-DJAVA=<java> -DJAVA_ARGS=<args, |-separated>] -DCPP=<program>
#         [-DCPP_ARGS=<args, |-separated>] -DEXPECTED=<report file> -DOUT=<dir>
#         -P compare_demo.cmake
foreach(var CPP EXPECTED OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compare_demo.cmake: -D${var}= is required")
  endif()
endforeach()
file(MAKE_DIRECTORY ${OUT})

# The report: from the first identity line to the last line of the summary.
function(report text out)
  string(FIND "${text}" "Orvex CAN " from)
  string(FIND "${text}" "  analog 3: " to)
  if(from EQUAL -1 OR to EQUAL -1)
    message(FATAL_ERROR "no report in:\n${text}")
  endif()
  string(SUBSTRING "${text}" ${to} -1 tail)
  string(FIND "${tail}" "\n" end)
  math(EXPR length "${to} + ${end} - ${from}")
  string(SUBSTRING "${text}" ${from} ${length} body)
  set(${out} "${body}" PARENT_SCOPE)
endfunction()

file(READ ${EXPECTED} expected)
string(REGEX REPLACE "\n$" "" expected "${expected}")
find_program(DIFF diff)

# Runs one program and holds its report against the expected one.
function(check name command)
  execute_process(COMMAND ${command} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE rc TIMEOUT 300)
  file(WRITE ${OUT}/${name}.txt "${out}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the ${name} demo exited with ${rc}:\n${err}")
  endif()
  report("${out}" body)
  file(WRITE ${OUT}/${name}-report.txt "${body}\n")
  if(NOT body STREQUAL expected)
    if(DIFF)
      execute_process(COMMAND ${DIFF} -u ${EXPECTED} ${OUT}/${name}-report.txt)
    endif()
    message(FATAL_ERROR "the ${name} demo's report differs from ${EXPECTED}")
  endif()
  string(REGEX MATCHALL "\n" lines "${body}")
  list(LENGTH lines count)
  message(STATUS "the ${name} demo prints the demo's report (${count} lines)")
endfunction()

if(DEFINED CPP_ARGS)
  string(REPLACE "|" ";" CPP_ARGS "${CPP_ARGS}")
endif()
check(cpp "${CPP};${CPP_ARGS}")
if(DEFINED JAVA)
  string(REPLACE "|" ";" JAVA_ARGS "${JAVA_ARGS}")
  check(java "${JAVA};${JAVA_ARGS}")
endif()
