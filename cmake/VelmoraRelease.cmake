# The release build (preset `release`, VELMORA_RELEASE=ON): a build folder that builds nothing of
# its own. Its target `release` builds every build the release packs, through their presets, then
# packs, checks and runs the consumers (packaging/release.cmake):
#   - the Linux release and debug builds: against the real WPILib 2020 when it is beside the
#     repository (../shared/wpilib-2020.3.2), so that the simulation driver follows WPILib's
#     clock in a team's desktop simulation; else against the WPILib stand-in;
#   - the Windows x64 build in the MSVC C++ ABI (preset windows-msvc-real-wpilib, against the
#     real WPILib 2020.3.2 for Windows when it is beside the repository, else windows-msvc), in
#     release only: its library, simulation driver and JNI library;
#   - MSVC archives of the hosted Visual Studio workflow, when given, in place of the cross
#     build's once they export the same names: -DVELMORA_WINDOWS_MSVC_ARCHIVES=<folder>.
# Settings: VELMORA_MAVEN_URL and VELMORA_JSON_URL (cmake/VelmoraVendorFile.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/VelmoraVendorFile.cmake)
set(VELMORA_WINDOWS_MSVC_ARCHIVES "" CACHE PATH
    "Folder with the hosted workflow's MSVC archives (<artifact>-<version>-windowsx86-64.zip)")
set(_wpilib ${PROJECT_SOURCE_DIR}/../shared/wpilib-2020.3.2)
if(IS_DIRECTORY ${_wpilib})
  set(_presets real-wpilib linux-debug-real-wpilib)
else()
  message(STATUS "No real WPILib in ${_wpilib}: the Linux archives are built against the stand-in")
  set(_presets default linux-debug)
endif()
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/../shared/wpilib-2020.3.2-windows-msvc)
  list(APPEND _presets windows-msvc-real-wpilib)
else()
  list(APPEND _presets windows-msvc)
endif()
string(REPLACE ";" "|" _presets "${_presets}")
add_custom_target(release
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DPRESETS=${_presets}
          -DJSON=${PROJECT_BINARY_DIR}/Velmora.json|${PROJECT_BINARY_DIR}/VelmoraSimulation.json
          -DOUT=${PROJECT_BINARY_DIR}/out
          -DMSVC_ARCHIVES=${VELMORA_WINDOWS_MSVC_ARCHIVES}
          -DPLACEHOLDERS=${VELMORA_URLS_ARE_PLACEHOLDERS}
          -P ${PROJECT_SOURCE_DIR}/packaging/release.cmake
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Building, packing and checking the release into ${PROJECT_BINARY_DIR}/out"
  VERBATIM)
