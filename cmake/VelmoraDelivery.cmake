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
    # Windows names without a "lib" prefix: Velmora.dll with its import library
    # Velmora.lib, and the driver as VelmoraDriver.dll, the name the library imports from.
    set_target_properties(${_target} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
  endif()
  if(_dir MATCHES "/wpilib_standin(/|$)" AND _type MATCHES "^(SHARED|STATIC)_LIBRARY$|^INTERFACE")
    list(APPEND VELMORA_WPILIB_STANDIN_TARGETS ${_target})
    if(_type STREQUAL "SHARED_LIBRARY" AND VELMORA_WPILIB_DEBUG_NAMES)
      # WPILib's debug libraries are named with a "d": libwpilibcd.so, wpilibcd.dll.
      set_target_properties(${_target} PROPERTIES DEBUG_POSTFIX d)
    endif()
  endif()
endforeach()

# MSVC warns about every exported class that has standard-library members (C4251) or a base
# class WPILib does not mark for export (C4275). Both are about mixing runtimes across DLLs,
# which this library rules out anyway: the driver's records already require one shared runtime.
#
# MSVC also reads a source file without a byte-order mark in the machine's code page: /utf-8
# keeps the console messages' non-ASCII characters (the arrow of the scan-frequency report) the
# same UTF-8 bytes that the other compilers put out.
if(MSVC)
  target_compile_options(velmora_warnings INTERFACE /wd4251 /wd4275 /utf-8)
  # clang-cl (the MSVC-ABI cross build) takes WPILib's /Zc:throwingNew, which its operator new
  # already follows, as an unused argument; only that warning is left out.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(velmora_warnings INTERFACE -Wno-unused-command-line-argument)
  endif()
endif()

# Windows finds DLLs beside the program: a real WPILib's DLLs go where the build's programs and
# tests live, so they run (under Wine, or on Windows) straight from the build folder.
if(WIN32 AND VELMORA_USE_REAL_WPILIB)
  foreach(_lib wpilibc hal ntcore wpiutil)
    if(TARGET ${_lib})
      set(_dll "")
      foreach(_property IMPORTED_LOCATION_RELEASE IMPORTED_LOCATION_RELWITHDEBINFO
                        IMPORTED_LOCATION)
        if(NOT _dll)
          get_target_property(_dll ${_lib} ${_property})
        endif()
      endforeach()
      if(_dll AND EXISTS "${_dll}")
        file(COPY "${_dll}" DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
      else()
        message(WARNING "WPILib's ${_lib} has no DLL to put beside the programs")
      endif()
    endif()
  endforeach()
endif()

# ---- Installation ------------------------------------------------------------------------------
# A plain `cmake --install` installs the component Velmora (library, headers, CMake package). On
# Windows the Visual C++ runtime is the system's (the redistributable), never shipped. The stand-ins install only when asked for by component: VelmoraSimDriver (beside the
# library, where the maker's driver would go) and WPILibStandIn (in a folder of its own, so that
# its frc/, hal/, wpi/ and units/ never shadow a real WPILib installed to the same prefix).
set(VELMORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmora)
set(VELMORA_STANDIN_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/wpilib-standin)
set(VELMORA_STANDIN_LIBDIR ${CMAKE_INSTALL_LIBDIR}/wpilib-standin)
set(VELMORA_STANDIN_BINDIR ${CMAKE_INSTALL_BINDIR}/wpilib-standin)
if(NOT WIN32)
  # The installed library finds the driver beside itself; the WPILib stand-in (when it was built
  # against it) in the stand-in's own folder, since a program that calls no WPILib function
  # itself does not load WPILib for the library; and a real WPILib where it was built against
  # it: the folders of WPILib's shared libraries are recorded after $ORIGIN. A team that moves
  # its WPILib install later rebuilds, or puts WPILib's folder on the loader's path.
  set(_velmora_rpath "$ORIGIN")
  if(VELMORA_WPILIB_STANDIN_TARGETS)
    list(APPEND _velmora_rpath "$ORIGIN/wpilib-standin")  # VELMORA_STANDIN_LIBDIR
  endif()
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
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT VelmoraSimDriver EXCLUDE_FROM_ALL
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT VelmoraSimDriver EXCLUDE_FROM_ALL
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT VelmoraSimDriver EXCLUDE_FROM_ALL)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sim_driver/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT VelmoraSimDriver EXCLUDE_FROM_ALL)
install(EXPORT VelmoraSimDriverTargets NAMESPACE Velmora:: DESTINATION ${VELMORA_CMAKE_DIR}
        COMPONENT VelmoraSimDriver EXCLUDE_FROM_ALL)

if(VELMORA_WPILIB_STANDIN_TARGETS)
  # Exported under WPILib's own target names (no namespace), so the real WPILib's CMake package
  # can take the stand-in's place.
  install(TARGETS ${VELMORA_WPILIB_STANDIN_TARGETS} EXPORT VelmoraWPILibStandInTargets
          RUNTIME DESTINATION ${VELMORA_STANDIN_BINDIR} COMPONENT WPILibStandIn EXCLUDE_FROM_ALL
          LIBRARY DESTINATION ${VELMORA_STANDIN_LIBDIR} COMPONENT WPILibStandIn EXCLUDE_FROM_ALL
          ARCHIVE DESTINATION ${VELMORA_STANDIN_LIBDIR} COMPONENT WPILibStandIn EXCLUDE_FROM_ALL
          INCLUDES DESTINATION ${VELMORA_STANDIN_INCLUDEDIR})
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
      list(APPEND _relocatable "$<INSTALL_INTERFACE:${VELMORA_STANDIN_INCLUDEDIR}>")
      set_target_properties(${_target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_relocatable}")
    endif()
  endforeach()
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/wpilib_standin/include)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/wpilib_standin/include/
            DESTINATION ${VELMORA_STANDIN_INCLUDEDIR} COMPONENT WPILibStandIn EXCLUDE_FROM_ALL)
  endif()
  install(EXPORT VelmoraWPILibStandInTargets DESTINATION ${VELMORA_CMAKE_DIR}
          COMPONENT WPILibStandIn EXCLUDE_FROM_ALL)
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
include(${CMAKE_CURRENT_LIST_DIR}/VelmoraVendorFile.cmake)
# What the packer needs to know of this build: the WPILib platform and classifier of its archive
# (a Debug build fills the "<platform>debug" archive), the compiler family it links with, and
# whether it has the WPILib stand-in to build the unpacked test program against.
if(WIN32 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(VELMORA_WPILIB_PLATFORM windowsx86-64)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|amd64)$")
  set(VELMORA_WPILIB_PLATFORM linuxx86-64)
else()
  set(VELMORA_WPILIB_PLATFORM "")
endif()
set(_velmora_classifier "${VELMORA_WPILIB_PLATFORM}")
if(VELMORA_WPILIB_PLATFORM AND CMAKE_BUILD_TYPE STREQUAL "Debug")
  string(APPEND _velmora_classifier "debug")
endif()
if(MSVC)
  set(_velmora_family "MSVC")
else()
  set(_velmora_family "${CMAKE_CXX_COMPILER_ID}")
endif()
get_property(_velmora_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT _velmora_multi_config)
  set(_velmora_multi_config FALSE)
endif()
set(_velmora_debug_names FALSE)
if(VELMORA_WPILIB_DEBUG_NAMES)
  set(_velmora_debug_names TRUE)
endif()
set(_velmora_has_standin FALSE)
if(VELMORA_WPILIB_STANDIN_TARGETS)
  set(_velmora_has_standin TRUE)
endif()
# Whether this build has the JNI library to pack.
if(TARGET VelmoraJNI)
  set(_velmora_has_jni TRUE)
else()
  set(_velmora_has_jni FALSE)
endif()
file(WRITE ${PROJECT_BINARY_DIR}/vendordep-build.cmake
"set(vendordep_platform \"${VELMORA_WPILIB_PLATFORM}\")
set(vendordep_classifier \"${_velmora_classifier}\")
set(vendordep_build_type \"${CMAKE_BUILD_TYPE}\")
set(vendordep_compiler_family \"${_velmora_family}\")
set(vendordep_compiler_version \"${CMAKE_CXX_COMPILER_VERSION}\")
set(vendordep_wpilib_standin ${_velmora_has_standin})
set(vendordep_wpilib_prefix \"${CMAKE_PREFIX_PATH}\")
set(vendordep_generator \"${CMAKE_GENERATOR}\")
set(vendordep_multi_config ${_velmora_multi_config})
set(vendordep_wpilib_debug_names ${_velmora_debug_names})
set(vendordep_toolchain \"${CMAKE_TOOLCHAIN_FILE}\")
set(vendordep_emulator \"${CMAKE_CROSSCOMPILING_EMULATOR}\")
set(vendordep_strip \"${CMAKE_STRIP}\")
set(vendordep_jni ${_velmora_has_jni})
")
# Other builds (folders) whose platform archives join this build's ones, e.g. the native build
# beside the Windows build and the Debug builds of both, so one folder holds every archive.
set(VELMORA_PACKAGE_WITH "" CACHE STRING "Other build folders whose archives join this build's")
set(_velmora_pack_builds ${PROJECT_BINARY_DIR} ${VELMORA_PACKAGE_WITH})
string(REPLACE ";" "|" _velmora_pack_builds "${_velmora_pack_builds}")
set(_velmora_headers ${PROJECT_SOURCE_DIR}/include|${PROJECT_SOURCE_DIR}/sim_driver/include)
# A whole release (every build it packs, built first): the `release` preset, cmake/VelmoraRelease.cmake.

# ---- Packaging tests ---------------------------------------------------------------------------
# Built as robot programs are (no sanitizer or fuzzing runtime), these check the installed
# package and the vendor dependency archives.
if(VELMORA_BUILD_TESTS AND NOT VELMORA_SANITIZE AND NOT VELMORA_BUILD_FUZZERS)
  # A plain install holds the library and its package, and nothing a real WPILib would see.
  add_test(NAME package.default_install
           COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                   -DWORK=${PROJECT_BINARY_DIR}/default-install -DWINDOWS=${WIN32}
                   -DREAL_WPILIB=${VELMORA_USE_REAL_WPILIB}
                   -P ${PROJECT_SOURCE_DIR}/tests/consumer/default_install.cmake)
  set_tests_properties(package.default_install PROPERTIES LABELS packaging)
  # On a real WPILib the consumer finds it as a team would: through the same prefixes.
  set(_velmora_wpilib_prefix "")
  if(VELMORA_USE_REAL_WPILIB)
    string(REPLACE ";" "|" _velmora_wpilib_prefix "${CMAKE_PREFIX_PATH}")
  endif()
  # Every component, the stand-ins included, as a team without hardware or WPILib would install.
  add_test(NAME package.consumer
           COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                   -DSOURCE=${PROJECT_SOURCE_DIR}/tests/consumer
                   -DWORK=${PROJECT_BINARY_DIR}/consumer
                   -DGENERATOR=${CMAKE_GENERATOR}
                   -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
                   -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                   -DWINDOWS=${WIN32}
                   -DCOMPONENTS=Velmora|VelmoraSimDriver|WPILibStandIn
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
                   -DCOMPONENTS=Velmora|WPILibStandIn
                   -DDRIVER_LINK=$<TARGET_LINKER_FILE:VelmoraDriver>
                   -DDRIVER_RUNTIME=$<TARGET_FILE:VelmoraDriver>
                   -DWPILIB_PREFIX=${_velmora_wpilib_prefix}
                   -P ${PROJECT_SOURCE_DIR}/tests/consumer/run.cmake)
  set_tests_properties(package.consumer package.consumer_with_own_driver PROPERTIES
                       LABELS packaging PASS_REGULAR_EXPRESSION "Orvex 5 opened")
  # Packs what this build (and the builds it packs with) has, checks it and builds and runs the
  # consumer program from the unpacked archives.
  add_test(NAME package.vendordep
           COMMAND ${CMAKE_COMMAND} -DBUILDS=${_velmora_pack_builds}
                   -DOUT=${PROJECT_BINARY_DIR}/vendordep-test
                   -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check.cmake
                   -DHEADERS=${_velmora_headers}
                   -DCONSUMER=${PROJECT_SOURCE_DIR}/tests/consumer
                   -P ${PROJECT_SOURCE_DIR}/packaging/pack.cmake)
  find_program(READELF_FOR_FLOOR NAMES readelf)
  set(_velmora_floor_probe "")
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND READELF_FOR_FLOOR)
    set(_velmora_floor_probe -DFLOOR_PROBE=$<TARGET_FILE:velmora_floor_probe_plain>)
  endif()
  add_test(NAME package.vendordep_check_catches_faults
           COMMAND ${CMAKE_COMMAND} -DPACKED=${PROJECT_BINARY_DIR}/vendordep-test
                   -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check.cmake
                   -DHEADERS=${_velmora_headers} ${_velmora_floor_probe}
                   -P ${PROJECT_SOURCE_DIR}/packaging/check_rejects.cmake)
  if(WIN32 AND CMAKE_OBJDUMP)
    add_test(NAME package.dll_exports
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:Velmora>
                     -DHEADERS=${PROJECT_SOURCE_DIR}/include/velmora
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckDllExports.cmake)
    set_tests_properties(package.dll_exports PROPERTIES LABELS packaging)
  endif()
  # The MSVC-ABI build: what each shipped DLL imports and exports, and no import Wine only stubs.
  if(WIN32 AND MSVC AND CMAKE_OBJDUMP AND VELMORA_MSVC_TOOLCHAIN_DIR)
    find_package(Python3 COMPONENTS Interpreter REQUIRED)
    set(_velmora_jni_dll "")
    if(TARGET VelmoraJNI)
      set(_velmora_jni_dll -DJNI=$<TARGET_FILE:VelmoraJNI>)
    endif()
    if(TARGET VelmoraSimJNI)
      list(APPEND _velmora_jni_dll -DSIM_JNI=$<TARGET_FILE:VelmoraSimJNI>)
    endif()
    add_test(NAME package.windows_binaries
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:Velmora>
                     -DDRIVER=$<TARGET_FILE:VelmoraDriver> ${_velmora_jni_dll}
                     -DPYTHON=${Python3_EXECUTABLE} -DKIT=${VELMORA_MSVC_WINE_KIT}
                     -DTOOLCHAIN=${VELMORA_MSVC_TOOLCHAIN_DIR}
                     -DBIN=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsDlls.cmake)
    set_tests_properties(package.windows_binaries PROPERTIES LABELS packaging)
  endif()
  # The runtime floor check refuses a library that needs a newer glibc or libstdc++, and the
  # floor mechanism brings the same source under it.
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND READELF_FOR_FLOOR)
    foreach(_probe velmora_floor_probe_plain velmora_floor_probe_floored)
      add_library(${_probe} SHARED ${PROJECT_SOURCE_DIR}/tests/runtime_floor/probe.cpp)
      target_link_libraries(${_probe} PRIVATE velmora_warnings)
      # Unoptimised, as a debug archive's libraries are: more of libstdc++ is called, not inlined.
      target_compile_options(${_probe} PRIVATE -O0)
      set_target_properties(${_probe} PROPERTIES LIBRARY_OUTPUT_DIRECTORY
                            ${PROJECT_BINARY_DIR}/runtime_floor/${_probe})
    endforeach()
    velmora_runtime_floor(velmora_floor_probe_floored)
    add_executable(velmora_floor_probe_run ${PROJECT_SOURCE_DIR}/tests/runtime_floor/probe_run.cpp)
    target_link_libraries(velmora_floor_probe_run PRIVATE velmora_floor_probe_floored
                          velmora_warnings)
    add_test(NAME package.runtime_floor_probe_runs COMMAND velmora_floor_probe_run)
    set_tests_properties(package.runtime_floor_probe_runs PROPERTIES LABELS packaging)
    add_test(NAME package.runtime_floor_check
             COMMAND ${CMAKE_COMMAND} -DCHECK=${PROJECT_SOURCE_DIR}/packaging/check_floor.cmake
                     -DPLAIN=$<TARGET_FILE:velmora_floor_probe_plain>
                     -DFLOORED=$<TARGET_FILE:velmora_floor_probe_floored>
                     -DWORK=${PROJECT_BINARY_DIR}/runtime_floor/work
                     -P ${PROJECT_SOURCE_DIR}/tests/runtime_floor/check.cmake)
    set_tests_properties(package.runtime_floor_check PROPERTIES LABELS packaging)
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
            "-header-filter=^${PROJECT_SOURCE_DIR}/(include|src|sim_driver|tests|fuzz|examples|benchmarks|java)/"
            "^${PROJECT_SOURCE_DIR}/(src|sim_driver|tests|fuzz|examples|benchmarks|java)/"
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "clang-tidy on every source of this build"
    VERBATIM)
endif()
