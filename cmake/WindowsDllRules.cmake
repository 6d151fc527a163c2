# What a shipped Windows DLL may be, for the build's binary checks (CheckWindowsDlls.cmake) and the
# release's check of its archives (packaging/check.cmake):
#   velmora_check_windows_dll(<objdump> <dll> <role> <problems-var>)
# appends to <problems-var> every way in which <dll> is not a 64-bit MSVC-ABI DLL for its role:
#   library  Velmora.dll: imports only the Visual C++ runtime (msvcp140, vcruntime140[_1],
#            ucrtbase or the api-ms-win-crt-* forwarders), KERNEL32, WPILib's DLLs and
#            VelmoraDriver.dll; exports MSVC-mangled names (a constructor of Orvex among them) and
#            no Itanium-mangled ones; takes every driver function from VelmoraDriver.dll by its
#            flat C name;
#   driver   VelmoraDriver.dll: the runtime, KERNEL32 and WPILib's DLLs (the simulation joins
#            WPILib's simulated HAL); exports the flat c_ names;
#   jni      VelmoraJNI.dll (and the simulated world's VelmoraSimJNI.dll): the runtime, KERNEL32,
#            VelmoraDriver.dll and at most WPILib's own JNI natives (wpiHal, ntcore, wpiutil),
#            never wpilibc, which a Java program does not have;
#   simjni   VelmoraSimJNI.dll, the simulated world's bridge: as jni, but it calls the simulation
#            driver's own C++ API (mangled names), which only the simulation driver exports.
# MinGW's runtime DLLs and the debug runtime (msvcp140d, ...) are refused: the maker's driver is
# built by Visual Studio against the release runtime, and a std::string crosses its boundary.
include(${CMAKE_CURRENT_LIST_DIR}/ReadDllTables.cmake)

set(VELMORA_WINDOWS_RUNTIME_DLLS
    "^(msvcp140|msvcp140_1|msvcp140_2|vcruntime140|vcruntime140_1|ucrtbase|api-ms-win-crt-[a-z0-9-]+|kernel32)\\.dll$")
set(VELMORA_WINDOWS_WPILIB_DLLS "^(wpilibc|wpiHal|ntcore|wpiutil)\\.dll$")

function(velmora_check_windows_dll objdump dll role problems_var)
  set(problems ${${problems_var}})
  get_filename_component(name ${dll} NAME)
  execute_process(COMMAND ${objdump} -f ${dll} OUTPUT_VARIABLE header RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT header MATCHES "file format pei-x86-64")
    list(APPEND problems "${name}: not a 64-bit Windows DLL (x86-64 PE)")
    set(${problems_var} ${problems} PARENT_SCOPE)
    return()
  endif()
  velmora_read_dll_tables(${objdump} ${dll} exports imports import_dlls)
  foreach(import_dll IN LISTS import_dlls)
    string(TOLOWER "${import_dll}" lower)
    if(lower MATCHES "${VELMORA_WINDOWS_RUNTIME_DLLS}")
      continue()
    endif()
    if(import_dll MATCHES "${VELMORA_WINDOWS_WPILIB_DLLS}"
       AND NOT (role MATCHES "jni$" AND import_dll STREQUAL "wpilibc.dll"))
      continue()
    endif()
    if(import_dll STREQUAL "VelmoraDriver.dll" AND NOT role STREQUAL "driver")
      continue()
    endif()
    list(APPEND problems "${name}: imports ${import_dll}, which a ${role} DLL may not need")
  endforeach()
  # Built against the runtime DLLs (/MD), not a static copy of the runtime (/MT): the program,
  # the library and the driver then share one heap and one set of exceptions.
  if(NOT "vcruntime140.dll" IN_LIST import_dlls)
    list(APPEND problems "${name}: does not import vcruntime140.dll: not built against the Visual "
                         "C++ release runtime DLLs (/MD)")
  endif()
  # Names crossing the driver boundary are flat C names, never mangled. (The simulated world's
  # bridge calls the simulation's own C++ API, which only the simulation driver has.)
  if(role STREQUAL "simjni")
    set(imports "")
  endif()
  foreach(entry IN LISTS imports)
    if(entry MATCHES "^VelmoraDriver\\.dll:(.*)$" AND NOT CMAKE_MATCH_1 MATCHES "^(c_[A-Za-z0-9_]+|FindDevicePath)$")
      list(APPEND problems "${name}: imports ${CMAKE_MATCH_1} from the driver, not a flat c_ name")
    endif()
  endforeach()
  if(role STREQUAL "library")
    set(flat_driver_imports ${imports})
    list(FILTER flat_driver_imports INCLUDE REGEX "^VelmoraDriver\\.dll:c_")
    if(NOT flat_driver_imports)
      list(APPEND problems "${name}: imports no c_ function from VelmoraDriver.dll")
    endif()
    if(NOT "??0Orvex@velmora@@QEAA@H@Z" IN_LIST exports)
      list(APPEND problems "${name}: does not export Orvex's constructor by its MSVC name "
                           "??0Orvex@velmora@@QEAA@H@Z")
    endif()
  endif()
  foreach(export IN LISTS exports)
    if(export MATCHES "^_Z")
      list(APPEND problems "${name}: exports the Itanium-mangled ${export}: not an MSVC-ABI build")
    elseif(role STREQUAL "driver" AND export MATCHES "^\\?c_")
      list(APPEND problems "${name}: exports the driver function ${export} mangled")
    endif()
  endforeach()
  if(role STREQUAL "driver")
    set(flat ${exports})
    list(FILTER flat INCLUDE REGEX "^c_")
    if(NOT flat)
      list(APPEND problems "${name}: exports no flat c_ function")
    endif()
  endif()
  set(${problems_var} ${problems} PARENT_SCOPE)
endfunction()
