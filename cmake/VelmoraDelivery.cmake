# Delivery of the library: Windows DLL names, installation with a CMake package, the vendor
# dependency for WPILib projects, and the quality gates that build on it (packaging tests, fuzz
# targets, clang-tidy). Included at the end of the top-level CMakeLists.txt, once every target
# exists; it finds the targets by where they live, so new device files and stand-ins need no edit.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Every target made in a folder of this project (GoogleTest built from its sources excluded).
function(velmora_collect_targets out dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    if(NOT subdir MATCHES "googletest")
      velmora_collect_targets(sub_targets ${subdir})
      list(APPEND targets ${sub_targets})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

velmora_collect_targets(_velmora_all_targets ${PROJECT_SOURCE_DIR})
set(VELMORA_WPILIB_STANDIN_TARGETS "")
foreach(_target ${_velmora_all_targets})
  get_target_property(_type ${_target} TYPE)
  get_target_property(_dir ${_target} SOURCE_DIR)
  if(_type STREQUAL "SHARED_LIBRARY" AND WIN32)
    # Windows names without the MinGW "lib" prefix: Velmora.dll with its import library
    # Velmora.lib, and the driver as VelmoraDriver.dll, the name the library imports from.
    set_target_properties(${_target} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
  endif()
  if(_dir MATCHES "/wpilib_standin(/|$)" AND _type MATCHES "^(SHARED|STATIC)_LIBRARY$|^INTERFACE")
    list(APPEND VELMORA_WPILIB_STANDIN_TARGETS ${_target})
  endif()
endforeach()

# MSVC warns about every exported class that has standard-library members (C4251) or a base
# class WPILib does not mark for export (C4275). Both are about mixing runtimes across DLLs,
# which this library rules out anyway: the driver's records already require one shared runtime.
if(MSVC)
  target_compile_options(velmora_warnings INTERFACE /wd4251 /wd4275)
endif()

# MinGW programs need the compiler's C++ runtime DLLs beside them; put them where the build's
# programs and tests live, so they run under Wine (or on Windows) straight from the build folder.
set(VELMORA_MINGW_RUNTIME_DLLS "")
if(MINGW)
  foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${_path}" AND EXISTS "${_path}")
      get_filename_component(_path "${_path}" REALPATH)
      list(APPEND VELMORA_MINGW_RUNTIME_DLLS "${_path}")
      file(COPY "${_path}" DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    else()
      message(WARNING "MinGW runtime ${_dll} not found: programs may not start under Wine")
    endif()
  endforeach()
endif()

# ---- Installation ------------------------------------------------------------------------------
# Components: Velmora (library, headers, CMake package), VelmoraSimDriver and WPILibStandIn
# (the stand-ins, which a team with the maker's driver and the real WPILib leaves out) and, for
# MinGW builds, MinGWRuntime (the compiler's runtime DLLs).
set(VELMORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmora)
if(NOT WIN32)
  # The installed library finds the driver beside itself, and a real WPILib where it was built
  # against it: the folders of WPILib's shared libraries are recorded after $ORIGIN. A team that
  # moves its WPILib install later rebuilds, or puts WPILib's folder on the loader's path.
  set(_velmora_rpath "$ORIGIN")
  if(VELMORA_USE_REAL_WPILIB)
    foreach(_lib wpilibc hal ntcore wpiutil)
      if(TARGET ${_lib})
        get_target_property(_location ${_lib} LOCATION)
        if(_location)
          get_filename_component(_location "${_location}" DIRECTORY)
          list(APPEND _velmora_rpath "${_location}")
        endif()
      endif()
    endforeach()
    list(REMOVE_DUPLICATES _velmora_rpath)
  endif()
  set_target_properties(Velmora PROPERTIES INSTALL_RPATH "${_velmora_rpath}")
  set_target_properties(VelmoraDriver PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS Velmora EXPORT VelmoraTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Velmora
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Velmora NAMELINK_COMPONENT Velmora
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Velmora)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/velmora DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT Velmora FILES_MATCHING PATTERN "*.h")
install(EXPORT VelmoraTargets NAMESPACE Velmora:: DESTINATION ${VELMORA_CMAKE_DIR}
        COMPONENT Velmora)

install(TARGETS VelmoraDriver EXPORT VelmoraSimDriverTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT VelmoraSimDriver
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT VelmoraSimDriver
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT VelmoraSimDriver)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim_driver/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT VelmoraSimDriver)
install(EXPORT VelmoraSimDriverTargets NAMESPACE Velmora:: DESTINATION ${VELMORA_CMAKE_DIR}
        COMPONENT VelmoraSimDriver)

if(VELMORA_WPILIB_STANDIN_TARGETS)
  # Exported under WPILib's own target names (no namespace), so the real WPILib's CMake package
  # can take the stand-in's place.
  install(TARGETS ${VELMORA_WPILIB_STANDIN_TARGETS} EXPORT VelmoraWPILibStandInTargets
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT WPILibStandIn
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT WPILibStandIn
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT WPILibStandIn
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  # Installed programs find the stand-in's headers in the install tree, not in these sources.
  foreach(_target ${VELMORA_WPILIB_STANDIN_TARGETS})
    get_target_property(_includes ${_target} INTERFACE_INCLUDE_DIRECTORIES)
    if(_includes)
      set(_relocatable "")
      foreach(_include ${_includes})
        if(_include MATCHES "^\\$<")
          list(APPEND _relocatable "${_include}")
        else()
          list(APPEND _relocatable "$<BUILD_INTERFACE:${_include}>")
        endif()
      endforeach()
      list(APPEND _relocatable "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
      set_target_properties(${_target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_relocatable}")
    endif()
  endforeach()
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/wpilib_standin/include)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/wpilib_standin/include/
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT WPILibStandIn)
  endif()
  install(EXPORT VelmoraWPILibStandInTargets DESTINATION ${VELMORA_CMAKE_DIR}
          COMPONENT WPILibStandIn)
endif()

if(VELMORA_MINGW_RUNTIME_DLLS)
  install(FILES ${VELMORA_MINGW_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT MinGWRuntime)
endif()

set(VELMORA_NEEDS_WPILIB FALSE)
if(TARGET wpilibc)
  set(VELMORA_NEEDS_WPILIB TRUE)
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelmoraConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/VelmoraConfig.cmake
                              INSTALL_DESTINATION ${VELMORA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelmoraConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VelmoraConfig.cmake
              ${PROJECT_BINARY_DIR}/VelmoraConfigVersion.cmake
        DESTINATION ${VELMORA_CMAKE_DIR} COMPONENT Velmora)

# ---- Vendor dependency for WPILib projects -----------------------------------------------------
set(VELMORA_VENDORDEP_UUID "95bbbde5-93d5-5774-bb40-689e3a0a2763")
configure_file(${PROJECT_SOURCE_DIR}/packaging/Velmora.json.in ${PROJECT_BINARY_DIR}/Velmora.json
               @ONLY)
# The WPILib platform name of this build, for packing its archive.
if(WIN32 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(VELMORA_WPILIB_PLATFORM windowsx86-64)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|amd64)$")
  set(VELMORA_WPILIB_PLATFORM linuxx86-64)
else()
  set(VELMORA_WPILIB_PLATFORM "")
endif()
file(WRITE ${PROJECT_BINARY_DIR}/vendordep-platform.txt "${VELMORA_WPILIB_PLATFORM}")
# Other builds (folders) whose platform archives join this build's ones, e.g. the native build
# beside the Windows build, so one folder holds the archives of every platform.
set(VELMORA_PACKAGE_WITH "" CACHE STRING "Other build folders whose archives join this build's")
set(_velmora_pack_builds ${PROJECT_BINARY_DIR} ${VELMORA_PACKAGE_WITH})
string(REPLACE ";" "|" _velmora_pack_builds "${_velmora_pack_builds}")
add_custom_target(vendordep
  COMMAND ${CMAKE_COMMAND} -DBUILDS=${_velmora_pack_builds} -DOUT=${PROJECT_BINARY_DIR}/vendordep
          -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check.cmake
          -DHEADERS=${PROJECT_SOURCE_DIR}/include -DREQUIRE=linuxx86-64|windowsx86-64
          -P ${PROJECT_SOURCE_DIR}/packaging/pack.cmake
  COMMENT "Packing the vendor dependency (every platform) into ${PROJECT_BINARY_DIR}/vendordep"
  VERBATIM)

# ---- Packaging tests ---------------------------------------------------------------------------
# Built as robot programs are (no sanitizer or fuzzing runtime), these check the installed
# package and the vendor dependency archives.
if(VELMORA_BUILD_TESTS AND NOT VELMORA_SANITIZE AND NOT VELMORA_BUILD_FUZZERS)
  # On a real WPILib the consumer finds it as a team would: through the same prefixes.
  set(_velmora_wpilib_prefix "")
  if(VELMORA_USE_REAL_WPILIB)
    string(REPLACE ";" "|" _velmora_wpilib_prefix "${CMAKE_PREFIX_PATH}")
  endif()
  add_test(NAME package.consumer
           COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                   -DSOURCE=${PROJECT_SOURCE_DIR}/tests/consumer
                   -DWORK=${PROJECT_BINARY_DIR}/consumer
                   -DGENERATOR=${CMAKE_GENERATOR}
                   -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
                   -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                   -DWINDOWS=${WIN32}
                   -DWPILIB_PREFIX=${_velmora_wpilib_prefix}
                   -P ${PROJECT_SOURCE_DIR}/tests/consumer/run.cmake)
  # The same program for a team with a driver of its own: the simulation driver is left out of
  # the install, and the package is pointed at a driver library (here the stand-in's file).
  add_test(NAME package.consumer_with_own_driver
           COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                   -DSOURCE=${PROJECT_SOURCE_DIR}/tests/consumer
                   -DWORK=${PROJECT_BINARY_DIR}/consumer-own-driver
                   -DGENERATOR=${CMAKE_GENERATOR}
                   -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
                   -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                   -DWINDOWS=${WIN32}
                   -DCOMPONENTS=Velmora|WPILibStandIn|MinGWRuntime
                   -DDRIVER_LINK=$<TARGET_LINKER_FILE:VelmoraDriver>
                   -DDRIVER_RUNTIME=$<TARGET_FILE:VelmoraDriver>
                   -DWPILIB_PREFIX=${_velmora_wpilib_prefix}
                   -P ${PROJECT_SOURCE_DIR}/tests/consumer/run.cmake)
  set_tests_properties(package.consumer package.consumer_with_own_driver PROPERTIES
                       LABELS packaging PASS_REGULAR_EXPRESSION "Orvex 5 opened")
  add_test(NAME package.vendordep
           COMMAND ${CMAKE_COMMAND} -DBUILDS=${_velmora_pack_builds}
                   -DOUT=${PROJECT_BINARY_DIR}/vendordep-test
                   -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check.cmake
                   -DHEADERS=${PROJECT_SOURCE_DIR}/include
                   -P ${PROJECT_SOURCE_DIR}/packaging/pack.cmake)
  add_test(NAME package.vendordep_check_catches_faults
           COMMAND ${CMAKE_COMMAND} -DPACKED=${PROJECT_BINARY_DIR}/vendordep-test
                   -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check.cmake
                   -DHEADERS=${PROJECT_SOURCE_DIR}/include
                   -P ${PROJECT_SOURCE_DIR}/packaging/check_rejects.cmake)
  if(WIN32 AND CMAKE_OBJDUMP)
    add_test(NAME package.dll_exports
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:Velmora>
                     -DHEADERS=${PROJECT_SOURCE_DIR}/include/velmora
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckDllExports.cmake)
    set_tests_properties(package.dll_exports PROPERTIES LABELS packaging)
  endif()
  set_tests_properties(package.vendordep PROPERTIES LABELS packaging
                       FIXTURES_SETUP velmora_vendordep)
  set_tests_properties(package.vendordep_check_catches_faults PROPERTIES LABELS packaging
                       FIXTURES_REQUIRED velmora_vendordep)
endif()

# ---- Fuzz targets ------------------------------------------------------------------------------
option(VELMORA_BUILD_FUZZERS "Build the libFuzzer targets under fuzz/ (clang only)" OFF)
if(VELMORA_BUILD_FUZZERS)
  enable_testing()
  add_subdirectory(fuzz)
endif()

# ---- clang-tidy --------------------------------------------------------------------------------
# `cmake --build --preset tidy`: every source of this build against .clang-tidy; any finding fails.
# The WPILib stand-in is left out: it reproduces WPILib's own declarations (move operations
# without noexcept, virtual where WPILib has it), which the checks would have it change.
find_program(VELMORA_RUN_CLANG_TIDY NAMES run-clang-tidy run-clang-tidy-14)
find_program(VELMORA_CLANG_TIDY NAMES clang-tidy clang-tidy-14)
if(VELMORA_RUN_CLANG_TIDY AND VELMORA_CLANG_TIDY AND NOT CMAKE_CROSSCOMPILING)
  add_custom_target(tidy
    COMMAND ${VELMORA_RUN_CLANG_TIDY} -quiet -j 2 -p ${PROJECT_BINARY_DIR}
            -clang-tidy-binary ${VELMORA_CLANG_TIDY}
            "-header-filter=^${PROJECT_SOURCE_DIR}/(include|src|sim_driver|tests|fuzz|examples|benchmarks)/"
            "^${PROJECT_SOURCE_DIR}/(src|sim_driver|tests|fuzz|examples|benchmarks)/"
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "clang-tidy on every source of this build"
    VERBATIM)
endif()
