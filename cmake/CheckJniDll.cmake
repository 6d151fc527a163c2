cmake_minimum_required(VERSION 3.20)
# Checks the Windows JNI DLL without a Windows JVM: the JVM finds it by its exported JNI_OnLoad
# (and JNI_OnUnload), which binds every native method from the registration table. So the DLL
# must export both undecorated, carry every name and signature of the table in its data, import
# the driver from VelmoraDriver.dll and nothing of WPILib's C++ side, and the table must hold
# every native method the Java class declares (the Java tests compare the signatures).
#   cmake -DOBJDUMP=<objdump> -DDLL=<VelmoraJNI.dll> -DTABLE=<VelmoraJNI.cpp>
#         -DJAVA=<VelmoraJNI.java> -P CheckJniDll.cmake
foreach(var OBJDUMP DLL TABLE JAVA)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckJniDll.cmake: -D${var}= is required")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/ReadDllTables.cmake)
velmora_read_dll_tables(${OBJDUMP} ${DLL} exports imports import_dlls)

set(problems "")
foreach(entry JNI_OnLoad JNI_OnUnload)
  if(NOT entry IN_LIST exports)
    list(APPEND problems "${entry} is not exported (exports: ${exports})")
  endif()
endforeach()
if(NOT "VelmoraDriver.dll" IN_LIST import_dlls)
  list(APPEND problems "the driver is not imported from VelmoraDriver.dll (imports: ${import_dlls})")
endif()
foreach(dll IN LISTS import_dlls)
  if(dll MATCHES "^(wpilibc|wpiHal|ntcore|wpiutil|Velmora)\\.dll$")
    list(APPEND problems "imports ${dll}: the JNI library needs the driver only")
  endif()
endforeach()

# The registration table in the source, and its strings in the DLL's data (each NUL-terminated,
# searched in the DLL's bytes as hex). Signatures hold "[" and ";", which CMake lists do not take:
# they are "<" and ">" while listed.
file(READ ${TABLE} source)
string(REPLACE "[" "<" source "${source}")
string(REPLACE ";" ">" source "${source}")
string(REGEX MATCHALL "VELMORA_NATIVE\\(\"[A-Za-z0-9_]+\", \"[^\"]+\"" entries "${source}")
list(LENGTH entries entry_count)
if(entry_count EQUAL 0)
  list(APPEND problems "no registration table in ${TABLE}")
endif()
file(READ ${DLL} dll_hex HEX)
set(registered "")
foreach(entry IN LISTS entries)
  string(REGEX MATCH "\"([A-Za-z0-9_]+)\", \"([^\"]+)\"" _ "${entry}")
  set(name "${CMAKE_MATCH_1}")
  set(signature "${CMAKE_MATCH_2}")
  list(APPEND registered ${name})
  foreach(text "${name}" "${signature}")
    string(REPLACE "<" "[" bytes "${text}")
    string(REPLACE ">" ";" bytes "${bytes}")
    string(HEX "${bytes}" hex)
    string(FIND "${dll_hex}" "00${hex}00" at)
    if(at EQUAL -1)
      list(APPEND problems "\"${bytes}\" of the table is not in the DLL")
    endif()
  endforeach()
endforeach()

# Every native method the Java class declares is in the table.
file(READ ${JAVA} java)
string(REGEX MATCHALL "static native [^(]+ ([A-Za-z0-9_]+)\\(" natives "${java}")
list(LENGTH natives native_count)
foreach(native IN LISTS natives)
  string(REGEX MATCH "([A-Za-z0-9_]+)\\($" _ "${native}")
  if(NOT CMAKE_MATCH_1 IN_LIST registered)
    list(APPEND problems "native method ${CMAKE_MATCH_1} is not in the registration table")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${DLL}:\n  ${text}")
endif()
message(STATUS "${DLL}: exports JNI_OnLoad, registers all ${native_count} native methods "
               "(${entry_count} in its table), imports the driver and no WPILib library")
