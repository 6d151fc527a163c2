# run(<command> <args>...): runs a command from a CMake script and stops the script, naming the
# command and its exit code, when it fails. Shared by the packaging and install scripts.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${command}")
  endif()
endfunction()
