# The release build (preset `release`, VELMORA_RELEASE=ON): a build folder that builds nothing of
# its own. Its target `release` builds every build the release packs, through their presets, then
# packs, checks and runs the consumers (packaging/release.cmake):
#   - the Linux release and debug builds: against the real WPILib 2020 when it is beside the
#     repository (../shared/wpilib-2020.3.2), so that the simulation driver follows WPILib's
#     clock in a team's desktop simulation; else against the WPILib stand-in;
#   - the MinGW-w64 release and debug builds, for the MinGW download;
#   - MSVC archives for the vendor file's Windows platform, when given (the hosted MSVC workflow
#     packs them; no MSVC runs here): -DVELMORA_WINDOWS_MSVC_ARCHIVES=<folder>.
# Settings: VELMORA_MAVEN_URL and VELMORA_JSON_URL (cmake/VelmoraVendorFile.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/VelmoraVendorFile.cmake)
set(VELMORA_WINDOWS_MSVC_ARCHIVES "" CACHE PATH
    "Folder with the MSVC archives (<artifact>-<version>-windowsx86-64[debug].zip) to offer")
set(_wpilib ${PROJECT_SOURCE_DIR}/../shared/wpilib-2020.3.2)
if(IS_DIRECTORY ${_wpilib})
  set(_presets real-wpilib linux-debug-real-wpilib)
else()
  message(STATUS "No real WPILib in ${_wpilib}: the Linux archives are built against the stand-in")
  set(_presets default linux-debug)
endif()
list(APPEND _presets windows windows-debug)
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
