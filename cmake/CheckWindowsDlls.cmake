cmake_minimum_required(VERSION 3.20)
# The Windows build's binary checks, run as a test: the library, the driver and the JNI library
# are 64-bit MSVC-ABI DLLs that import only what their role allows (WindowsDllRules.cmake), and
# no DLL or program of the build imports a function that Wine only stubs (the cross toolchain
# kit's check_imports.py: such a call aborts under Wine, so a test could not stand for Windows).
#   cmake -DOBJDUMP=<objdump> -DLIBRARY=<Velmora.dll> -DDRIVER=<VelmoraDriver.dll>
#         [-DJNI=<VelmoraJNI.dll>] [-DSIM_JNI=<VelmoraSimJNI.dll>] -DPYTHON=<python3> -DKIT=<kit folder>
#         -DTOOLCHAIN=<made toolchain folder> -DBIN=<folder of the build's programs>
#         -P CheckWindowsDlls.cmake
foreach(var OBJDUMP LIBRARY DRIVER PYTHON KIT TOOLCHAIN BIN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckWindowsDlls.cmake: -D${var}= is required")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/WindowsDllRules.cmake)

set(problems "")
velmora_check_windows_dll(${OBJDUMP} ${LIBRARY} library problems)
velmora_check_windows_dll(${OBJDUMP} ${DRIVER} driver problems)
if(JNI)
  velmora_check_windows_dll(${OBJDUMP} ${JNI} jni problems)
endif()
if(SIM_JNI)
  velmora_check_windows_dll(${OBJDUMP} ${SIM_JNI} simjni problems)
endif()

# The rules refuse what they must: the library in the JNI library's place (it imports WPILib),
# the driver in the library's (no constructor of Orvex, no driver imports).
set(refused "")
velmora_check_windows_dll(${OBJDUMP} ${LIBRARY} jni refused)
if(NOT refused MATCHES "imports wpilibc.dll")
  list(APPEND problems "the rules accept Velmora.dll as a JNI library: ${refused}")
endif()
set(refused "")
velmora_check_windows_dll(${OBJDUMP} ${DRIVER} library refused)
if(NOT refused MATCHES "Orvex's constructor" OR NOT refused MATCHES "imports no c_ function")
  list(APPEND problems "the rules accept VelmoraDriver.dll as the library: ${refused}")
endif()

file(GLOB binaries ${BIN}/*.dll ${BIN}/*.exe)
execute_process(COMMAND ${PYTHON} ${KIT}/scripts/check_imports.py ${TOOLCHAIN}/stubs
                        ${TOOLCHAIN}/exports ${binaries}
                OUTPUT_VARIABLE stub_report ERROR_VARIABLE stub_report RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  list(APPEND problems "imports Wine cannot serve:\n${stub_report}")
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Windows binaries:\n  ${text}")
endif()
list(LENGTH binaries count)
message(STATUS "the library, the driver and the JNI libraries: MSVC-ABI x86-64 DLLs with the "
               "imports of their roles; ${stub_report}")
