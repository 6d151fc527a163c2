# The vendor files of this configuration: Velmora.json (the library, for every robot program) and
# VelmoraSimulation.json (the simulation driver and the simulated world's API, which a team adds
# for desktop simulation and tests; on the robot the maker's driver takes the driver's place). Where a team's build tool downloads the
# artifacts from and where it looks for a newer vendor file are settings of the release build:
#   -DVELMORA_MAVEN_URL=https://.../maven/release -DVELMORA_JSON_URL=https://.../Velmora.json
# The defaults are placeholders (velmora.example is a reserved name no one can serve) for local
# builds and tests; a published release sets both. The platforms each artifact offers are filled
# in when the release is packed, from the archives it holds (packaging/pack.cmake).
set(VELMORA_MAVEN_URL "https://velmora.example/maven/release" CACHE STRING
    "Maven repository the vendor file points teams to (default: a placeholder)")
set(VELMORA_JSON_URL "https://velmora.example/vendordep/Velmora.json" CACHE STRING
    "Where the vendor file itself is published (default: a placeholder)")
# The simulation's vendor file is published beside the library's.
get_filename_component(_velmora_json_folder "${VELMORA_JSON_URL}" DIRECTORY)
set(VELMORA_SIMULATION_JSON_URL "${_velmora_json_folder}/VelmoraSimulation.json")
if(VELMORA_MAVEN_URL MATCHES "velmora\\.example" OR VELMORA_JSON_URL MATCHES "velmora\\.example")
  set(VELMORA_URLS_ARE_PLACEHOLDERS TRUE)
else()
  set(VELMORA_URLS_ARE_PLACEHOLDERS FALSE)
endif()
set(VELMORA_VENDORDEP_UUID "95bbbde5-93d5-5774-bb40-689e3a0a2763")
set(VELMORA_SIMULATION_VENDORDEP_UUID "3d64ce22-8b88-5a49-b983-c588a20d3472")
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/Velmora.json.in
               ${PROJECT_BINARY_DIR}/Velmora.json @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/VelmoraSimulation.json.in
               ${PROJECT_BINARY_DIR}/VelmoraSimulation.json @ONLY)
