# A plain `cmake --install` of a build: the library, its headers and its CMake package are there;
# the stand-ins are not, and nothing lands where a real WPILib's headers or libraries live.
# Then the WPILib stand-in on request: in its own folder, still away from include/frc.
#   -DBUILD=<build folder> -DWORK=<scratch folder> [-DWINDOWS=1]
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "default_install.cmake: -D${var}= is required")
  endif()
endforeach()

set(problems "")
function(install_into prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD} ${ARGN} failed (${rc})")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/plain)
install_into(${prefix})
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)

if(WINDOWS)
  set(library bin/Velmora.dll lib/Velmora.lib)
else()
  set(library lib/libVelmora.so)
endif()
foreach(wanted ${library} include/velmora/Orvex.h lib/cmake/Velmora/VelmoraConfig.cmake
        lib/cmake/Velmora/VelmoraTargets.cmake)
  if(NOT wanted IN_LIST installed)
    list(APPEND problems "a plain install lacks ${wanted}")
  endif()
endforeach()
# Nothing of the stand-ins: no WPILib headers or libraries, no simulation driver.
foreach(file ${installed})
  if(file MATCHES "^include/(frc|hal|wpi|units|velmora_sim)/|wpilibc|VelmoraDriver|StandIn|SimDriver")
    list(APPEND problems "a plain install holds ${file}")
  endif()
endforeach()

# The WPILib stand-in when asked for: its headers and library in a folder of their own.
set(prefix ${WORK}/standin)
install_into(${prefix} --component WPILibStandIn)
if(IS_DIRECTORY ${prefix}/include/frc)
  list(APPEND problems "the WPILib stand-in's headers went to include/frc")
endif()
if(NOT EXISTS ${prefix}/include/wpilib-standin/frc/PWM.h)
  list(APPEND problems "the WPILib stand-in's headers are not in include/wpilib-standin/")
endif()
file(GLOB standin_libs ${prefix}/lib/*wpilibc* ${prefix}/bin/*wpilibc*)
if(standin_libs)
  list(APPEND problems "the WPILib stand-in's library went beside the libraries: ${standin_libs}")
endif()

if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "install layout:\n  ${text}")
endif()
message(STATUS "A plain install holds the library and its package only; the stand-in stays apart")
